#include "connection/chamber/modbus/qx2operatingmodeconnection.h"

#include "connection/chamber/core/chamberconnectionlogging.h"
#include "connection/chamber/core/chamberreply.h"
#include "domain/types/chambererror.h"

namespace quelta::base::connection::chamberconnection {

using domain::types::ChamberError;
using domain::types::ChamberOperationMode;

Qx2OperatingModeConnection::Qx2OperatingModeConnection(
    const QSharedPointer<domain::api::IChamberConnection> &connection, QObject *parent)
    : RegisterOperatingModeConnection(connection, "QX2", QStringLiteral("0x1158"),
                                      {{ChamberOperationMode::MODE_BASIC, BasicModeValue},
                                       {ChamberOperationMode::MODE_MANUAL, ManualModeValue}},
                                      parent)
{
}

Qx2OperatingModeConnection::~Qx2OperatingModeConnection()
{
    for (const auto &read : qAsConst(m_reads))
        read.second->finishWithError(ChamberError::ReplyAbortedError);
}

QSharedPointer<domain::api::IChamberReply> Qx2OperatingModeConnection::readOperatingMode()
{
    const QSharedPointer<domain::api::IChamberReply> registerReply = chamberConnection()->readValue(modeRegister());
    auto *notifier = dynamic_cast<ChamberReply *>(registerReply.data());
    if (!notifier) {
        qCWarning(lcChamberConnection) << "(Modbus) The QX2 operating state cannot be read";
        return {};
    }
    const QSharedPointer<ChamberReply> modeReply = ChamberReply::create(1);
    m_reads.insert(notifier, {registerReply, modeReply});
    connect(notifier, &ChamberReply::finished, this, [this, notifier] { handleOperatingModeResponse(notifier); });
    return modeReply;
}

void Qx2OperatingModeConnection::handleOperatingModeResponse(ChamberReply *registerRead)
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
