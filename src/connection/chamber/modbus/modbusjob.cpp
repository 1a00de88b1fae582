#include "connection/chamber/modbus/modbusjob.h"

#include <QtCore/QDebug>

namespace quelta::base::connection::chamberconnection {

ModbusJob::ModbusJob(Kind kind, int serverAddress, const QVector<QModbusDataUnit> &transactions)
    : m_kind(kind)
    , m_serverAddress(serverAddress)
    , m_transactions(transactions)
{
}

bool operator==(const ModbusJob &lhs, const ModbusJob &rhs)
{
    if (lhs.m_kind != rhs.m_kind || lhs.m_serverAddress != rhs.m_serverAddress
        || lhs.m_transactions.size() != rhs.m_transactions.size())
        return false;
    for (int i = 0; i < lhs.m_transactions.size(); ++i) {
        const QModbusDataUnit &left = lhs.m_transactions.at(i);
        const QModbusDataUnit &right = rhs.m_transactions.at(i);
        if (left.registerType() != right.registerType() || left.startAddress() != right.startAddress()
            || left.valueCount() != right.valueCount() || left.values() != right.values())
            return false;
    }
    return true;
}

QDebug operator<<(QDebug debug, const ModbusJob &job)
{
    const QDebugStateSaver saver(debug);
    debug.nospace() << "ModbusJob(" << (job.kind() == ModbusJob::Kind::Read ? "read" : "write") << ", server "
                    << job.serverAddress();
    const QVector<QModbusDataUnit> transactions = job.transactions();
    for (const QModbusDataUnit &unit : transactions)
        debug << ", " << Qt::hex << Qt::showbase << unit.startAddress() << Qt::dec << Qt::noshowbase << '+'
              << unit.valueCount();
    debug << ')';
    return debug;
}

} // namespace quelta::base::connection::chamberconnection
