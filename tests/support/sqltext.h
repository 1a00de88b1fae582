#pragma once

#include "domain/api/isqlquery.h"

namespace quelta::test {

// A statement given as plain text, for SQL that the builder does not write
// (PRAGMA, fixture scripts).
class SqlText : public domain::api::ISqlQuery
{
public:
    explicit SqlText(const QString &text, const QList<QVariant> &values = {})
        : m_text(text)
        , m_values(values.toVector())
    {
    }

    const QString &getQuery() const override { return m_text; }
    const QVector<QVariant> &getValues() const override { return m_values; }

private:
    const QString m_text;
    const QVector<QVariant> m_values;
};

} // namespace quelta::test
