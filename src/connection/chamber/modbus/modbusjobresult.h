#pragma once

#include <QtCore/QMetaType>
#include <QtCore/QString>
#include <QtCore/QVector>
#include <QtSerialBus/QModbusDevice>

class QDebug;

namespace quelta::base::connection::chamberconnection {

// What became of a ModbusJob: the registers of the transactions that
// succeeded, in order (the values read, or the values written), and the
// error of the transaction that ended the job early.
class ModbusJobResult
{
public:
    ModbusJobResult() = default;
    ModbusJobResult(QModbusDevice::Error error, const QString &errorString);

    QModbusDevice::Error error() const { return m_error; }
    QString errorString() const { return m_errorString; }
    void setError(QModbusDevice::Error error, const QString &errorString);

    int completedTransactions() const { return m_completedTransactions; }
    QVector<quint16> registers() const { return m_registers; }
    void addCompletedTransaction(const QVector<quint16> &registers);

    friend bool operator==(const ModbusJobResult &lhs, const ModbusJobResult &rhs);
    friend bool operator!=(const ModbusJobResult &lhs, const ModbusJobResult &rhs) { return !(lhs == rhs); }

private:
    QModbusDevice::Error m_error = QModbusDevice::NoError;
    QString m_errorString;
    int m_completedTransactions = 0;
    QVector<quint16> m_registers;
};

QDebug operator<<(QDebug debug, const ModbusJobResult &result);

} // namespace quelta::base::connection::chamberconnection

Q_DECLARE_METATYPE(quelta::base::connection::chamberconnection::ModbusJobResult)
