#include "connection/chamber/protocol/vacuubrandprotocolimpl.h"

#include <QtCore/QRegularExpression>

namespace quelta::base::connection::chamberconnection {

QString VacuubrandProtocolImpl::name() const
{
    return QStringLiteral("Vacuubrand");
}

QByteArray VacuubrandProtocolImpl::checkRequest() const
{
    return QByteArrayLiteral("IN_PV_1");
}

bool VacuubrandProtocolImpl::isCheckAnswer(const QByteArray &line) const
{
    // The controller writes the pressure with leading zeros, in the unit chosen
    // on the device, with or without decimals.
    static const QRegularExpression pressure(
            QStringLiteral("^\\s*\\d{1,5}(\\.\\d{1,3})? (mbar|hPa|Torr)\\s*$"));
    return pressure.match(QString::fromLatin1(line)).hasMatch();
}

} // namespace quelta::base::connection::chamberconnection
