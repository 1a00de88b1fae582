#pragma once

#include <QtCore/QByteArray>
#include <QtCore/QString>
#include <QtCore/QtGlobal>

namespace quelta::base::connection::chamberconnection {

// The device side of a line protocol: what the communication check sends and
// which answer line proves that the device speaks the protocol. Requests and
// answers are lines without their terminator; LineFramerImpl adds and strips it.
class LineProtocolImpl
{
public:
    virtual ~LineProtocolImpl();

    // Used as the log prefix, e.g. "(Vacuubrand) ".
    [[nodiscard]] virtual QString name() const = 0;
    [[nodiscard]] virtual QByteArray checkRequest() const = 0;
    [[nodiscard]] virtual bool isCheckAnswer(const QByteArray &line) const = 0;

protected:
    LineProtocolImpl() = default;

private:
    Q_DISABLE_COPY_MOVE(LineProtocolImpl)
};

} // namespace quelta::base::connection::chamberconnection
