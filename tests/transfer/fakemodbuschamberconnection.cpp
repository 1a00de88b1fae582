#include "fakemodbuschamberconnection.h"

#include "connection/chamber/core/chamberreply.h"
#include "domain/types/chamberdata.h"

#include <QtCore/QTimer>

using quelta::base::connection::chamberconnection::ChamberReply;
using quelta::base::connection::chamberconnection::ValueCodec;
using quelta::domain::types::ChamberState;

QVariant FakeModbusChamberConnection::Request::valueOf(const QString &address) const
{
    for (int i = 0; i < addresses.size() && isWrite; ++i) {
        if (addresses.at(i).address() == address)
            return values.at(i);
    }
    return QVariant();
}

bool FakeModbusChamberConnection::Request::touches(quint16 registerAddress) const
{
    for (const ControllerAddress &address : addresses) {
        const int first = ValueCodec::registerAddress(address).value_or(0);
        if (registerAddress >= first && registerAddress < first + ValueCodec::registerCount(address))
            return true;
    }
    return false;
}

// A record without a Modbus road: the base builds no client and no thread.
FakeModbusChamberConnection::FakeModbusChamberConnection(ControllerModel *model, QObject *parent)
    : ModbusChamberConnection(quelta::domain::types::ChamberData(), parent)
    , m_model(model)
{
    setState(ChamberState::STATE_CONNECTED);
}

QList<FakeModbusChamberConnection::Request> FakeModbusChamberConnection::writesTo(const QString &address) const
{
    QList<Request> writes;
    for (const Request &request : m_requests) {
        if (request.valueOf(address).isValid())
            writes.append(request);
    }
    return writes;
}

int FakeModbusChamberConnection::readsOf(const QString &address) const
{
    return int(std::count_if(m_requests.begin(), m_requests.end(), [&address](const Request &request) {
        return !request.isWrite && request.addresses.first().address() == address;
    }));
}

void FakeModbusChamberConnection::refuseNext(quint16 registerAddress, ChamberError::Error error)
{
    m_faults.append({registerAddress, error, std::chrono::milliseconds::zero()});
}

void FakeModbusChamberConnection::stallNext(quint16 registerAddress, std::chrono::milliseconds replyTimeout)
{
    m_faults.append({registerAddress, ChamberError::TimeoutError, replyTimeout});
}

QSharedPointer<FakeModbusChamberConnection::IChamberReply> FakeModbusChamberConnection::readValue(
    const ControllerAddress &address)
{
    return makeRequest({false, {address}, {}});
}

QSharedPointer<FakeModbusChamberConnection::IChamberReply> FakeModbusChamberConnection::readValues(
    const QList<ControllerAddress> &addresses)
{
    return makeRequest({false, addresses, {}});
}

QSharedPointer<FakeModbusChamberConnection::IChamberReply> FakeModbusChamberConnection::writeValue(
    const ControllerAddress &address, const QVariant &value)
{
    return makeRequest({true, {address}, {value}});
}

QSharedPointer<FakeModbusChamberConnection::IChamberReply> FakeModbusChamberConnection::writeValues(
    const QList<QPair<ControllerAddress, QVariant>> &values)
{
    Request write{true, {}, {}};
    for (const auto &pair : values) {
        write.addresses.append(pair.first);
        write.values.append(pair.second);
    }
    return makeRequest(write);
}

QSharedPointer<FakeModbusChamberConnection::IChamberReply> FakeModbusChamberConnection::makeRequest(
    const Request &request)
{
    for (int i = 0; i < request.addresses.size(); ++i) {
        const ControllerAddress &address = request.addresses.at(i);
        if (!ValueCodec::registerAddress(address)
            || (request.isWrite && !m_bank.codec().encode(address, request.values.at(i)))) {
            qWarning() << "Bench: refusing to make a request of" << address;
            return {};
        }
    }
    if (request.addresses.isEmpty())
        return {};
    m_requests.append(request);

    const QSharedPointer<ChamberReply> reply = ChamberReply::create(request.addresses.size());
    const auto fault = std::find_if(m_faults.begin(), m_faults.end(), [&request](const Fault &fault) {
        return request.touches(fault.registerAddress);
    });
    if (fault != m_faults.end()) {
        const Fault hit = *fault;
        m_faults.erase(fault);
        if (hit.replyTimeout > std::chrono::milliseconds::zero())
            reply->setTimeout(hit.replyTimeout);
        else
            QTimer::singleShot(0, this, [reply, hit] { reply->finishWithError(hit.error); });
        return reply;
    }
    QTimer::singleShot(0, this, [this, request, reply] { answer(request, *reply); });
    return reply;
}

void FakeModbusChamberConnection::answer(const Request &request, ChamberReply &reply)
{
    for (int i = 0; i < request.addresses.size(); ++i) {
        const ControllerAddress &address = request.addresses.at(i);
        const quint16 first = *ValueCodec::registerAddress(address);
        const int count = ValueCodec::registerCount(address);
        if (request.isWrite) {
            m_bank.setValue(address, request.values.at(i));
            if (m_model)
                m_model->written(m_bank, first, count);
            reply.setResult(i, request.values.at(i));
        } else {
            if (m_model)
                m_model->aboutToRead(m_bank, first, count);
            reply.setResult(i, m_bank.value(address));
        }
    }
    reply.finish();
}
