#pragma once

#include "domain/types/databaseconnectionerror.h"

#include <QtCore/QObject>

#include <atomic>

namespace quelta::base::connection::databaseconnection {

// Tells whether one of some stores or connections reported a read that
// failed while the watch lived. An empty answer from another store may be
// the database's answer or the remains of a read that failed; the one that
// failed has been reported through the reporter's signal
// error(DatabaseConnectionError), which is what the watch listens to. Every error but UNEXPECTED_RESULT
// counts: that one names data that the read found odd, not a read that
// gave no answer.
//
// An object that is no QObject, or has no such signal, reports nothing to
// the watch. The watch listens on the thread on which it was made: keep it
// to calls made on that thread.
class FailedReadWatch : public QObject
{
    Q_OBJECT

public:
    template<typename... Reporters>
    explicit FailedReadWatch(Reporters *...reporters)
    {
        (listenTo(dynamic_cast<const QObject *>(reporters)), ...);
    }
    ~FailedReadWatch() override;

    bool hasFailed() const { return m_failed.load(std::memory_order_relaxed); }

private Q_SLOTS:
    void onError(quelta::domain::types::DatabaseConnectionError error);

private:
    void listenTo(const QObject *reporter);

    std::atomic<bool> m_failed{false};
};

} // namespace quelta::base::connection::databaseconnection
