#include "connection/chamber/modbus/modbusadu.h"

#include <QtCore/QDebug>

ModbusAdu ModbusAdu::incomplete()
{
    return ModbusAdu();
}

ModbusAdu ModbusAdu::invalid(int size, const QString &reason)
{
    ModbusAdu adu;
    adu.m_status = Status::Invalid;
    adu.m_size = size;
    adu.m_reason = reason;
    return adu;
}

ModbusAdu ModbusAdu::complete(int size, int serverAddress, std::optional<quint16> transactionId,
                              const QModbusResponse &pdu)
{
    ModbusAdu adu;
    adu.m_status = Status::Complete;
    adu.m_size = size;
    adu.m_serverAddress = serverAddress;
    adu.m_transactionId = transactionId;
    adu.m_pdu = pdu;
    return adu;
}

QDebug operator<<(QDebug debug, const ModbusAdu &adu)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "ModbusAdu(";
    switch (adu.status()) {
    case ModbusAdu::Status::Incomplete:
        debug << "incomplete";
        break;
    case ModbusAdu::Status::Invalid:
        debug << "invalid, size " << adu.size() << ", " << adu.reason();
        break;
    case ModbusAdu::Status::Complete:
        debug << "size " << adu.size() << ", server " << adu.serverAddress();
        if (adu.transactionId())
            debug << ", tid " << *adu.transactionId();
        debug << ", " << adu.pdu();
        break;
    }
    return debug << ')';
}
