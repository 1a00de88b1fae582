#include "connection/chamber/modbus/modbusjobresult.h"

#include <QtCore/QDebug>

namespace quelta::base::connection::chamberconnection {

ModbusJobResult::ModbusJobResult(QModbusDevice::Error error, const QString &errorString)
    : m_error(error)
    , m_errorString(errorString)
{
}

void ModbusJobResult::setError(QModbusDevice::Error error, const QString &errorString)
{
    m_error = error;
    m_errorString = errorString;
}

void ModbusJobResult::addCompletedTransaction(const QVector<quint16> &registers)
{
    ++m_completedTransactions;
    m_registers += registers;
}

bool operator==(const ModbusJobResult &lhs, const ModbusJobResult &rhs)
{
    return lhs.m_error == rhs.m_error && lhs.m_errorString == rhs.m_errorString
        && lhs.m_completedTransactions == rhs.m_completedTransactions && lhs.m_registers == rhs.m_registers;
}

QDebug operator<<(QDebug debug, const ModbusJobResult &result)
{
    const QDebugStateSaver saver(debug);
    debug.nospace() << "ModbusJobResult(" << result.error();
    if (!result.errorString().isEmpty())
        debug << ' ' << result.errorString();
    debug << ", " << result.completedTransactions() << " transactions, " << result.registers().size()
          << " registers)";
    return debug;
}

} // namespace quelta::base::connection::chamberconnection
