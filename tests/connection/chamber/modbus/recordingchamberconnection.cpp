#include "recordingchamberconnection.h"

RecordingChamberConnection::RecordingChamberConnection(QObject *parent)
    : ChamberConnection(parent)
{
}

RecordingChamberConnection::~RecordingChamberConnection() = default;

bool RecordingChamberConnection::connectDevice()
{
    setState(quelta::domain::types::ChamberState::STATE_CONNECTED);
    return true;
}

void RecordingChamberConnection::disconnectDevice()
{
    setState(quelta::domain::types::ChamberState::STATE_UNCONNECTED);
}

void RecordingChamberConnection::reset()
{
}

QSharedPointer<quelta::domain::api::IChamberReply> RecordingChamberConnection::checkCommunication(
    const ControllerAddress &checkAddress)
{
    return readValue(checkAddress);
}

QSharedPointer<quelta::domain::api::IChamberReply> RecordingChamberConnection::readValue(
    const ControllerAddress &address)
{
    return readValues({address});
}

QSharedPointer<quelta::domain::api::IChamberReply> RecordingChamberConnection::readValues(
    const QList<ControllerAddress> &addresses)
{
    m_reads += addresses;
    return hand(addresses.size());
}

QSharedPointer<quelta::domain::api::IChamberReply> RecordingChamberConnection::writeValue(
    const ControllerAddress &address, const QVariant &value)
{
    return writeValues({{address, value}});
}

QSharedPointer<quelta::domain::api::IChamberReply> RecordingChamberConnection::writeValues(
    const QList<QPair<ControllerAddress, QVariant>> &values)
{
    m_writes += values;
    return hand(values.size());
}

QSharedPointer<quelta::domain::api::IChamberReply> RecordingChamberConnection::hand(int itemCount)
{
    if (m_refusing)
        return {};
    const QSharedPointer<ChamberReply> reply = ChamberReply::create(itemCount);
    m_replies.append(reply);
    return reply;
}
