#pragma once

#include "connection/chamber/modbus/modbusclientsettings.h"

#include <QtCore/QtGlobal>

#include <chrono>

class QThread;

namespace quelta::base::connection::chamberconnection {

class ModbusMasterImpl;

// One worker thread with the ModbusMasterImpl that lives on it, for as long
// as this object lives. The destructor quits the thread and waits for it a
// bounded time; the worker, and with it the client, is deleted on its own
// thread as the thread finishes.
//
// Every running Modbus worker thread is listed in a registry, so that the
// ones still running when the application object is destroyed are ended
// before it goes.
class ModbusMasterThread
{
public:
    // How long the destructor waits for the thread to end. The worker never
    // blocks, so it ends as soon as its event loop sees the quit.
    static constexpr std::chrono::milliseconds StopTimeout{5000};

    explicit ModbusMasterThread(const ModbusClientSettings &settings);
    ~ModbusMasterThread();

    ModbusClientSettings settings() const { return m_settings; }
    // Null once the thread has been stopped, which the application's end
    // may do before this object goes.
    ModbusMasterImpl *worker() const;
    QThread *thread() const { return m_thread; }

    // The Modbus worker threads that run now.
    static int runningThreadCount();

private:
    Q_DISABLE_COPY_MOVE(ModbusMasterThread)

    void stop();
    static void stopAll();

    const ModbusClientSettings m_settings;
    QThread *m_thread;
    ModbusMasterImpl *const m_worker;
    bool m_stopped = false;
};

} // namespace quelta::base::connection::chamberconnection
