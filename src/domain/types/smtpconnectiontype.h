#pragma once

#include <QtCore/QMetaType>
#include <QtCore/QObject>

namespace quelta::domain::types {

// How the mail client talks to the SMTP server. Registered with the
// meta-object system so that the key names can be read and written as text.
class SmtpConnectionType
{
    Q_GADGET

public:
    enum Type : int {
        TCP = 1,
        TLS = 2,
        SSL = 3
    };
    Q_ENUM(Type)
};

} // namespace quelta::domain::types
