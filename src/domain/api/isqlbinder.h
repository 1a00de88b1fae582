#pragma once

#include <QtCore/QDateTime>
#include <QtCore/QObject>
#include <QtCore/QString>
#include <QtCore/QVariant>
#include <QtCore/QtGlobal>

namespace quelta::domain::api {

// The "?" placeholders of a statement about to run, given their values one
// after the other in placeholder order, without a QVariant each. Each value
// is stored as the same value bound through a QVariant would be. A binder is
// handed to a function for one run of a statement and is valid only during
// that call.
class ISqlBinder
{
public:
    virtual ~ISqlBinder() = default;

    virtual void bindNull() = 0;
    virtual void bindInteger(qint64 value) = 0;
    virtual void bindReal(double value) = 0;
    // A null text binds NULL.
    virtual void bindText(const QString &text) = 0;
    // An invalid date-time binds NULL, a valid one its UTC text.
    virtual void bindDateTime(const QDateTime &dateTime) = 0;
    virtual void bindVariant(const QVariant &value) = 0;

protected:
    ISqlBinder() = default;

private:
    Q_DISABLE_COPY_MOVE(ISqlBinder)
};

} // namespace quelta::domain::api

Q_DECLARE_INTERFACE(quelta::domain::api::ISqlBinder, "domain::api::ISqlBinder")
