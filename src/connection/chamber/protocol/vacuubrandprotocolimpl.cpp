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
    // on the device, with or without decimals. Every byte of the line counts:
    // only blanks may stand around the answer (not CR, VT or FF), and a NUL
    // does not end the text.
    static const QRegularExpression pressure(
            QStringLiteral("\\A *[0-9]{1,5}(\\.[0-9]{1,3})? (mbar|hPa|Torr) *\\z"));
    return pressure.match(QString::fromLatin1(line.constData(), line.size())).hasMatch();
}

} // namespace quelta::base::connection::chamberconnection
