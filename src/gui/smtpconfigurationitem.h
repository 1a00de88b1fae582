#pragma once

#include "domain/types/smtpconfiguration.h"

#include <QtCore/QObject>
#include <QtCore/QString>
#include <QtCore/QStringList>

namespace quelta::gui {

// The mail-server settings as the settings screen edits them. The item keeps
// the record being edited apart from the one last handed in; the owner reads
// the edited record back to store it. The setters write the record's first
// set of fields; the password and sender setters first copy the present
// value into the second set.
//
// changed is worked out on each read: only setConfiguration() announces it.
class SmtpConfigurationItem : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool changed READ isChanged NOTIFY changed)
    Q_PROPERTY(QString smtpHostname READ smtpHostname WRITE setSmtpHostname NOTIFY hostnameChanged)
    Q_PROPERTY(QString smtpPort READ smtpPort WRITE setSmtpPort NOTIFY portChanged)
    Q_PROPERTY(QString smtpUsername READ smtpUsername WRITE setSmtpUsername NOTIFY usernameChanged)
    Q_PROPERTY(QString smtpPassword READ smtpPassword WRITE setSmtpPassword NOTIFY passwordChanged)
    Q_PROPERTY(QString smtpSenderAddress READ smtpSenderAddress WRITE setSmtpSenderAddress NOTIFY senderAddressChanged)
    Q_PROPERTY(QStringList smtpConfigurationTypes READ smtpConfigurationTypes CONSTANT)
    Q_PROPERTY(QString smtpConfigurationType READ smtpConfigurationType WRITE setSmtpConfigurationType
                   NOTIFY configurationTypeChanged)

public:
    explicit SmtpConfigurationItem(QObject *parent = nullptr);

    bool isChanged() const;
    QString smtpHostname() const;
    void setSmtpHostname(const QString &hostname);
    // The port as a decimal text.
    QString smtpPort() const;
    // A text that is no port number between 0 and 65535 stores 0.
    void setSmtpPort(const QString &port);
    QString smtpUsername() const;
    void setSmtpUsername(const QString &username);
    QString smtpPassword() const;
    void setSmtpPassword(const QString &password);
    QString smtpSenderAddress() const;
    void setSmtpSenderAddress(const QString &address);
    QStringList smtpConfigurationTypes() const;
    // The key name of the connection type: "TCP", "TLS" or "SSL".
    QString smtpConfigurationType() const;
    // Takes only the exact key names; always announces the write.
    void setSmtpConfigurationType(const QString &type);

    // Replaces both records, as after loading or saving the settings.
    void setConfiguration(const domain::types::SmtpSettings &settings);
    domain::types::SmtpSettings configuration() const { return m_editedSettings; }

Q_SIGNALS:
    void changed();
    void hostnameChanged();
    void portChanged();
    void usernameChanged();
    void passwordChanged();
    void senderAddressChanged();
    void configurationTypeChanged();

private:
    domain::types::SmtpSettings m_editedSettings;
    domain::types::SmtpSettings m_storedSettings;
};

} // namespace quelta::gui
