#include "connection/chamber/modbus/modbusmasterwappermulticlient.h"

#include "connection/chamber/core/chamberconnectionlogging.h"
#include "connection/chamber/modbus/modbusmasterthread.h"

#include <QtCore/QHash>
#include <QtCore/QMutex>
#include <QtCore/QMutexLocker>
#include <QtCore/QWeakPointer>

namespace quelta::base::connection::chamberconnection {

namespace {

struct RegistryEntry
{
    QString key;
    QWeakPointer<ModbusMasterThread> thread;
};

// Connections are made on the GUI thread, but nothing here relies on it.
struct ClientRegistry
{
    QMutex mutex;
    // By transport and key, so that a serial port and a gateway never meet.
    QHash<QString, RegistryEntry> clients;
};

ClientRegistry &clientRegistry()
{
    static ClientRegistry registry;
    return registry;
}

QString registryKey(const ModbusClientSettings &settings)
{
    return QString::number(int(settings.transport())) + QLatin1Char(' ') + settings.key();
}

} // namespace

ModbusMasterWapperMultiClient::ModbusMasterWapperMultiClient(const ModbusClientSettings &settings,
                                                             QObject *parent)
    : ModbusMasterWapper(acquire(settings), parent)
{
    Q_ASSERT(settings.transport() != ModbusClientSettings::Transport::Tcp);
}

ModbusMasterWapperMultiClient::~ModbusMasterWapperMultiClient() = default;

QStringList ModbusMasterWapperMultiClient::sharedClientKeys()
{
    ClientRegistry &registry = clientRegistry();
    const QMutexLocker locker(&registry.mutex);
    QStringList keys;
    for (const RegistryEntry &entry : qAsConst(registry.clients))
        keys.append(entry.key);
    keys.sort();
    return keys;
}

QSharedPointer<ModbusMasterThread> ModbusMasterWapperMultiClient::acquire(const ModbusClientSettings &settings)
{
    ClientRegistry &registry = clientRegistry();
    const QMutexLocker locker(&registry.mutex);
    const QString key = registryKey(settings);
    if (QSharedPointer<ModbusMasterThread> shared = registry.clients.value(key).thread.toStrongRef()) {
        if (shared->settings() != settings) {
            qCWarning(lcChamberConnection) << "(Modbus) Sharing the client of" << settings.key() << "as it is:"
                                           << shared->settings() << "instead of" << settings;
        }
        return shared;
    }
    const QSharedPointer<ModbusMasterThread> shared(new ModbusMasterThread(settings),
                                                    &ModbusMasterWapperMultiClient::release);
    registry.clients.insert(key, RegistryEntry{settings.key(), shared});
    return shared;
}

void ModbusMasterWapperMultiClient::release(ModbusMasterThread *thread)
{
    {
        ClientRegistry &registry = clientRegistry();
        const QMutexLocker locker(&registry.mutex);
        const auto it = registry.clients.find(registryKey(thread->settings()));
        // The entry may already belong to a newer client of the same key.
        if (it != registry.clients.end() && it->thread.isNull())
            registry.clients.erase(it);
    }
    // Stops the thread outside the lock: that waits for it to end.
    delete thread;
}

} // namespace quelta::base::connection::chamberconnection
