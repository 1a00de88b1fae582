#include "connection/database/stores/failedreadwatch.h"

#include <QtCore/QMetaMethod>

namespace quelta::base::connection::databaseconnection {

FailedReadWatch::~FailedReadWatch() = default;

void FailedReadWatch::listenTo(const QObject *reporter)
{
    if (!reporter)
        return;
    // The stores and the connection declare the signal in their own classes,
    // which the interfaces they are known by do not name.
    const QMetaObject *meta = reporter->metaObject();
    const int signal = meta->indexOfSignal("error(quelta::domain::types::DatabaseConnectionError)");
    if (signal < 0)
        return;
    const int slot = staticMetaObject.indexOfSlot("onError(quelta::domain::types::DatabaseConnectionError)");
    connect(reporter, meta->method(signal), this, staticMetaObject.method(slot), Qt::DirectConnection);
}

void FailedReadWatch::onError(domain::types::DatabaseConnectionError error)
{
    if (error != domain::types::UNEXPECTED_RESULT)
        m_failed.store(true, std::memory_order_relaxed);
}

} // namespace quelta::base::connection::databaseconnection
