#pragma once

#include "registerbank.h"

#include "connection/chamber/modbus/modbuschamberconnection.h"
#include "domain/types/chambererror.h"

#include <QtCore/QList>
#include <QtCore/QVariant>

#include <chrono>

// A connected Modbus chamber connection without a wire: it answers every
// request from a register bank through a real ChamberReply, finished on a
// later turn of the event loop, and lets a controller model react to the
// registers written and read. Every request is recorded in the order made.
//
// Like the real connection it returns no reply for a request that cannot be
// made (an empty list, no register form, a value that does not fit). A fault
// set for a register hits the next request that touches it: refused, the
// request stores nothing and all its items carry the error; stalled, it is
// never answered and its reply ends by its own time-out.
class FakeModbusChamberConnection : public quelta::base::connection::chamberconnection::ModbusChamberConnection
{
    Q_OBJECT

public:
    using ControllerAddress = quelta::domain::types::ControllerAddress;
    using ChamberError = quelta::domain::types::ChamberError;
    using IChamberReply = quelta::domain::api::IChamberReply;

    struct Request
    {
        bool isWrite = false;
        QList<ControllerAddress> addresses;
        // The values of a write, in list order.
        QVariantList values;

        // The value written to the address text; invalid when none was.
        QVariant valueOf(const QString &address) const;
        bool touches(quint16 registerAddress) const;
    };

    explicit FakeModbusChamberConnection(ControllerModel *model = nullptr, QObject *parent = nullptr);

    RegisterBank &bank() { return m_bank; }
    const QList<Request> &requests() const { return m_requests; }
    // The requests that write the address text.
    QList<Request> writesTo(const QString &address) const;
    int readsOf(const QString &address) const;

    void refuseNext(quint16 registerAddress, ChamberError::Error error = ChamberError::ProtocolError);
    void stallNext(quint16 registerAddress, std::chrono::milliseconds replyTimeout);

    QSharedPointer<IChamberReply> readValue(const ControllerAddress &address) override;
    QSharedPointer<IChamberReply> readValues(const QList<ControllerAddress> &addresses) override;
    QSharedPointer<IChamberReply> writeValue(const ControllerAddress &address, const QVariant &value) override;
    QSharedPointer<IChamberReply> writeValues(const QList<QPair<ControllerAddress, QVariant>> &values) override;

private:
    struct Fault
    {
        quint16 registerAddress;
        ChamberError::Error error;
        // Set for a stall.
        std::chrono::milliseconds replyTimeout;
    };

    QSharedPointer<IChamberReply> makeRequest(const Request &request);
    void answer(const Request &request, quelta::base::connection::chamberconnection::ChamberReply &reply);

    ControllerModel *const m_model;
    RegisterBank m_bank;
    QList<Request> m_requests;
    QList<Fault> m_faults;
};
