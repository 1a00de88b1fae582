#pragma once

#include <QtCore/QMetaType>
#include <QtCore/QVector>
#include <QtSerialBus/QModbusDataUnit>

class QDebug;

namespace quelta::base::connection::chamberconnection {

// One request of a chamber connection as the worker thread carries it out:
// Modbus transactions of one kind to one server, sent one after the other in
// list order. The first transaction that fails ends the job and the later
// ones are not sent, so a command word written last never follows data that
// did not arrive.
class ModbusJob
{
public:
    enum class Kind { Read, Write };

    ModbusJob() = default;
    // Read transactions name their holding registers by start and count;
    // write transactions carry the values.
    ModbusJob(Kind kind, int serverAddress, const QVector<QModbusDataUnit> &transactions);

    Kind kind() const { return m_kind; }
    int serverAddress() const { return m_serverAddress; }
    QVector<QModbusDataUnit> transactions() const { return m_transactions; }

    friend bool operator==(const ModbusJob &lhs, const ModbusJob &rhs);
    friend bool operator!=(const ModbusJob &lhs, const ModbusJob &rhs) { return !(lhs == rhs); }

private:
    Kind m_kind = Kind::Read;
    int m_serverAddress = 0;
    QVector<QModbusDataUnit> m_transactions;
};

QDebug operator<<(QDebug debug, const ModbusJob &job);

} // namespace quelta::base::connection::chamberconnection

Q_DECLARE_METATYPE(quelta::base::connection::chamberconnection::ModbusJob)
