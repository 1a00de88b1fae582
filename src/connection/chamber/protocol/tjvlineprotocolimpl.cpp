#include "connection/chamber/protocol/tjvlineprotocolimpl.h"

#include <algorithm>

namespace quelta::base::connection::chamberconnection {

QString TjvLineProtocolImpl::name() const
{
    return QStringLiteral("TJV");
}

QByteArray TjvLineProtocolImpl::checkRequest() const
{
    return QByteArrayLiteral("*IDN?");
}

bool TjvLineProtocolImpl::isCheckAnswer(const QByteArray &line) const
{
    // A peer that echoes what it receives must not pass for a controller.
    if (line.trimmed().isEmpty() || line == checkRequest())
        return false;
    return std::all_of(line.cbegin(), line.cend(), [](char c) { return c >= 0x20 && c <= 0x7e; });
}

} // namespace quelta::base::connection::chamberconnection
