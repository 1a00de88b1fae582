#pragma once

#include "connection/chamber/modbus/registeroperatingmodeconnection.h"

#include <QtCore/QHash>
#include <QtCore/QPair>

namespace quelta::base::connection::chamberconnection {

class ChamberReply;

// The operating mode of a QX2 controller, in its operating state register
// 0x1158: bit 1 set is the basic mode, clear the manual mode. Writing 2
// selects the basic mode, 1 the manual mode; the controller has no automatic
// mode to select.
class Qx2OperatingModeConnection : public RegisterOperatingModeConnection
{
    Q_OBJECT

public:
    static constexpr quint16 BasicModeBit = 0x0002;
    static constexpr quint16 BasicModeValue = 2;
    static constexpr quint16 ManualModeValue = 1;

    explicit Qx2OperatingModeConnection(const QSharedPointer<domain::api::IChamberConnection> &connection,
                                        QObject *parent = nullptr);
    // Ends unfinished reads with ReplyAbortedError.
    ~Qx2OperatingModeConnection() override;

    // A reply whose one result is the mode as int, or the error of the read.
    QSharedPointer<domain::api::IChamberReply> readOperatingMode() override;

private:
    void handleOperatingModeResponse(ChamberReply *registerRead);

    // The replies of the register reads, with the reply handed out for each.
    QHash<ChamberReply *, QPair<QSharedPointer<domain::api::IChamberReply>, QSharedPointer<ChamberReply>>> m_reads;
};

} // namespace quelta::base::connection::chamberconnection
