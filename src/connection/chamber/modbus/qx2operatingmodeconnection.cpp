#include "connection/chamber/modbus/qx2operatingmodeconnection.h"

#include "connection/chamber/core/chamberconnectionlogging.h"
#include "connection/chamber/core/chamberreply.h"
#include "domain/types/chambererror.h"
#include "domain/types/controlleraddress.h"

namespace quelta::base::connection::chamberconnection {

using domain::types::ChamberError;
using domain::types::ChamberOperationMode;
using domain::types::ControllerAddress;
using domain::types::ControllerAddressId;

namespace {

const ControllerAddress &stateRegister()
{
    static const ControllerAddress address(ControllerAddressId(), QStringLiteral("0x1158"),
                                           ControllerAddress::ReadWrite, QMetaType::UShort, 1, -1, QString());
    return address;
}

} // namespace

Qx2OperatingModeConnection::Qx2OperatingModeConnection(
    const QSharedPointer<domain::api::IChamberConnection> &connection, QObject *parent)
    : QObject(parent)
    , m_connection(connection)
{
    Q_ASSERT(m_connection);
}

Qx2OperatingModeConnection::~Qx2OperatingModeConnection()
{
    for (const auto &read : qAsConst(m_reads))
        read.second->finishWithError(ChamberError::ReplyAbortedError);
}

QSharedPointer<domain::api::IChamberReply> Qx2OperatingModeConnection::readOperatingMode()
{
    const QSharedPointer<domain::api::IChamberReply> registerReply = m_connection->readValue(stateRegister());
    auto *notifier = dynamic_cast<ChamberReply *>(registerReply.data());
    if (!notifier) {
        qCWarning(lcChamberConnection) << "(Modbus) The QX2 operating state cannot be read";
        return {};
    }
    const QSharedPointer<ChamberReply> modeReply = ChamberReply::create(1);
    m_reads.insert(notifier, {registerReply, modeReply});
    connect(notifier, &ChamberReply::finished, this, [this, notifier] { onRegisterRead(notifier); });
    return modeReply;
}

QSharedPointer<domain::api::IChamberReply> Qx2OperatingModeConnection::writeOperatingMode(
    ChamberOperationMode::Mode mode)
{
    quint16 value = 0;
    switch (mode) {
    case ChamberOperationMode::MODE_BASIC:
        value = BasicModeValue;
        break;
    case ChamberOperationMode::MODE_MANUAL:
        value = ManualModeValue;
        break;
    case ChamberOperationMode::MODE_AUTO:
    case ChamberOperationMode::MODE_UNDEFINED:
    case ChamberOperationMode::MODE_NOTSUPPORTED:
        qCWarning(lcChamberConnection) << "(Modbus) A QX2 controller cannot be switched to" << mode;
        return {};
    }
    return m_connection->writeValue(stateRegister(), value);
}

void Qx2OperatingModeConnection::onRegisterRead(ChamberReply *registerRead)
{
    const auto read = m_reads.take(registerRead);
    if (!read.first)
        return;
    const domain::api::IChamberReply &registerReply = *read.first;
    if (registerReply.resultCount() < 1 || registerReply.errorCode(0) != ChamberError::NoError) {
        read.second->finishWithError(ChamberError::Error(registerReply.errorCode(0)));
        return;
    }
    const uint state = registerReply.result(0).toUInt();
    read.second->setResult(0, int((state & BasicModeBit) ? ChamberOperationMode::MODE_BASIC
                                                         : ChamberOperationMode::MODE_MANUAL));
    read.second->finish();
}

} // namespace quelta::base::connection::chamberconnection
