#pragma once

#include <QtCore/QList>
#include <QtCore/QObject>
#include <QtCore/QString>
#include <QtCore/QVariant>
#include <QtCore/QVector>

namespace quelta::domain::api {

// A built SQL statement: its text with "?" placeholders and the values bound
// to them, in placeholder order.
class ISqlQuery
{
public:
    virtual ~ISqlQuery() = default;

    virtual const QString &getQuery() const = 0;
    virtual const QVector<QVariant> &getValues() const = 0;

protected:
    ISqlQuery() = default;

private:
    Q_DISABLE_COPY_MOVE(ISqlQuery)
};

} // namespace quelta::domain::api

Q_DECLARE_INTERFACE(quelta::domain::api::ISqlQuery, "domain::api::ISqlQuery")
