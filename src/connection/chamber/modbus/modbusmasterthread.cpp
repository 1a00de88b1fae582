#include "connection/chamber/modbus/modbusmasterthread.h"

#include "connection/chamber/core/chamberconnectionlogging.h"
#include "connection/chamber/modbus/modbusmasterimpl.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QMutex>
#include <QtCore/QMutexLocker>
#include <QtCore/QSet>
#include <QtCore/QThread>

namespace quelta::base::connection::chamberconnection {

namespace {

struct ThreadRegistry
{
    QMutex mutex;
    QSet<ModbusMasterThread *> threads;
    // The application object whose destruction stops the threads still
    // running; its post routines run once, so each new one needs its own.
    const QCoreApplication *postRoutineOwner = nullptr;
};

ThreadRegistry &threadRegistry()
{
    static ThreadRegistry registry;
    return registry;
}

} // namespace

ModbusMasterThread::ModbusMasterThread(const ModbusClientSettings &settings)
    : m_settings(settings)
    , m_thread(new QThread)
    , m_worker(new ModbusMasterImpl(settings))
{
    m_thread->setObjectName(QStringLiteral("Modbus ") + settings.key());
    m_worker->moveToThread(m_thread);
    QObject::connect(m_thread, &QThread::finished, m_worker, &QObject::deleteLater);

    ThreadRegistry &registry = threadRegistry();
    {
        const QMutexLocker locker(&registry.mutex);
        registry.threads.insert(this);
        const QCoreApplication *application = QCoreApplication::instance();
        if (application && registry.postRoutineOwner != application) {
            registry.postRoutineOwner = application;
            qAddPostRoutine(&ModbusMasterThread::stopAll);
        }
    }
    m_thread->start();
}

ModbusMasterThread::~ModbusMasterThread()
{
    stop();
    delete m_thread;
}

ModbusMasterImpl *ModbusMasterThread::worker() const
{
    // Once stopped, the worker is gone or going on its own thread.
    return m_stopped ? nullptr : m_worker;
}

int ModbusMasterThread::runningThreadCount()
{
    ThreadRegistry &registry = threadRegistry();
    const QMutexLocker locker(&registry.mutex);
    return registry.threads.size();
}

void ModbusMasterThread::stop()
{
    if (m_stopped)
        return;
    m_stopped = true;
    {
        ThreadRegistry &registry = threadRegistry();
        const QMutexLocker locker(&registry.mutex);
        registry.threads.remove(this);
    }

    m_thread->quit();
    if (m_thread->wait(int(StopTimeout.count())))
        return;
    qCCritical(lcChamberConnection).noquote()
        << "(Modbus) The worker thread of" << m_settings.key() << "did not end within" << StopTimeout.count()
        << "ms; it is left to end by itself";
    // Deleting a running QThread would abort the program.
    QObject::connect(m_thread, &QThread::finished, m_thread, &QObject::deleteLater);
    m_thread = nullptr;
}

void ModbusMasterThread::stopAll()
{
    ThreadRegistry &registry = threadRegistry();
    QSet<ModbusMasterThread *> running;
    {
        const QMutexLocker locker(&registry.mutex);
        running = registry.threads;
        registry.postRoutineOwner = nullptr;
    }
    if (running.isEmpty())
        return;
    qCWarning(lcChamberConnection) << "(Modbus) Stopping" << running.size()
                                   << "worker threads that are still running as the application ends";
    for (ModbusMasterThread *thread : qAsConst(running))
        thread->stop();
}

} // namespace quelta::base::connection::chamberconnection
