#pragma once

#include "connection/chamber/core/chamberconnection.h"
#include "connection/chamber/core/chamberreply.h"

#include <QtCore/QList>
#include <QtCore/QPair>
#include <QtCore/QSharedPointer>

// A chamber connection that sends nothing: it records each read and write
// and hands out a reply that the test completes, or no reply at all.
class RecordingChamberConnection : public quelta::base::connection::chamberconnection::ChamberConnection
{
    Q_OBJECT

public:
    using ChamberReply = quelta::base::connection::chamberconnection::ChamberReply;
    using ControllerAddress = quelta::domain::types::ControllerAddress;

    explicit RecordingChamberConnection(QObject *parent = nullptr);
    ~RecordingChamberConnection() override;

    // Every request gets a null reply from now on.
    void setRefusing(bool refusing) { m_refusing = refusing; }

    QList<ControllerAddress> reads() const { return m_reads; }
    QList<QPair<ControllerAddress, QVariant>> writes() const { return m_writes; }
    // The replies handed out, in order.
    QList<QSharedPointer<ChamberReply>> replies() const { return m_replies; }

    bool connectDevice() override;
    void disconnectDevice() override;
    void reset() override;
    QSharedPointer<quelta::domain::api::IChamberReply> checkCommunication(
        const ControllerAddress &checkAddress) override;
    QSharedPointer<quelta::domain::api::IChamberReply> readValue(const ControllerAddress &address) override;
    QSharedPointer<quelta::domain::api::IChamberReply> readValues(const QList<ControllerAddress> &addresses) override;
    QSharedPointer<quelta::domain::api::IChamberReply> writeValue(const ControllerAddress &address,
                                                                  const QVariant &value) override;
    QSharedPointer<quelta::domain::api::IChamberReply> writeValues(
        const QList<QPair<ControllerAddress, QVariant>> &values) override;

private:
    QSharedPointer<quelta::domain::api::IChamberReply> hand(int itemCount);

    bool m_refusing = false;
    QList<ControllerAddress> m_reads;
    QList<QPair<ControllerAddress, QVariant>> m_writes;
    QList<QSharedPointer<ChamberReply>> m_replies;
};
