#pragma once

#include <QtCore/QString>
#include <QtSerialBus/QModbusPdu>

#include <optional>

class QDebug;

// The outcome of cutting one application data unit (ADU) from the front of
// a receive buffer: not enough bytes yet, one complete ADU, or bytes that
// cannot be framed. size() is the number of bytes to take off the buffer for
// a complete or an invalid ADU.
class ModbusAdu
{
public:
    enum class Status { Incomplete, Complete, Invalid };

    ModbusAdu() = default;

    static ModbusAdu incomplete();
    static ModbusAdu invalid(int size, const QString &reason);
    static ModbusAdu complete(int size, int serverAddress, std::optional<quint16> transactionId,
                              const QModbusResponse &pdu);

    Status status() const { return m_status; }
    int size() const { return m_size; }
    int serverAddress() const { return m_serverAddress; }
    // Set only by framings that carry one (the MBAP header of Modbus TCP).
    std::optional<quint16> transactionId() const { return m_transactionId; }
    QModbusResponse pdu() const { return m_pdu; }
    // Why an invalid ADU cannot be used, in plain English for the log.
    QString reason() const { return m_reason; }

private:
    Status m_status = Status::Incomplete;
    int m_size = 0;
    int m_serverAddress = -1;
    std::optional<quint16> m_transactionId;
    QModbusResponse m_pdu;
    QString m_reason;
};

QDebug operator<<(QDebug debug, const ModbusAdu &adu);
