#pragma once

#include "connection/chamber/modbus/modbusmasterwapper.h"

#include <QtCore/QStringList>

namespace quelta::base::connection::chamberconnection {

// A wrapper of a client that is shared by every connection to one serial
// line or one gateway: one client and one worker thread per key
// (ModbusClientSettings::key()), found in a static registry. The first
// wrapper of a key starts the thread, the last one to go stops it and takes
// the key out of the registry again.
//
// The first wrapper's settings hold for the shared client; a later wrapper
// with other settings for the same key shares the client as it is.
class ModbusMasterWapperMultiClient : public ModbusMasterWapper
{
    Q_OBJECT

public:
    ~ModbusMasterWapperMultiClient() override;

    // The keys of the shared clients that exist now.
    static QStringList sharedClientKeys();

protected:
    ModbusMasterWapperMultiClient(const ModbusClientSettings &settings, QObject *parent);

private:
    static QSharedPointer<ModbusMasterThread> acquire(const ModbusClientSettings &settings);
    static void release(ModbusMasterThread *thread);
};

} // namespace quelta::base::connection::chamberconnection
