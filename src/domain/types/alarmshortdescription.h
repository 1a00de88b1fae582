#pragma once

#include <QtCore/QMetaType>
#include <QtCore/QString>
#include <QtCore/QVariantList>

class QDebug;

namespace quelta::domain::types {

// The short description of an alarm: an untranslated source text and the
// arguments that fill it.
class AlarmShortDescription
{
public:
    AlarmShortDescription() = default;
    AlarmShortDescription(const QString &text, const QVariantList &arguments);

    QString text() const { return m_text; }
    QVariantList arguments() const { return m_arguments; }

    friend bool operator==(const AlarmShortDescription &lhs, const AlarmShortDescription &rhs)
    {
        return lhs.m_text == rhs.m_text && lhs.m_arguments == rhs.m_arguments;
    }
    friend bool operator!=(const AlarmShortDescription &lhs, const AlarmShortDescription &rhs)
    {
        return !(lhs == rhs);
    }

private:
    QString m_text;
    QVariantList m_arguments;
};

QDebug operator<<(QDebug debug, const AlarmShortDescription &description);

} // namespace quelta::domain::types

Q_DECLARE_METATYPE(quelta::domain::types::AlarmShortDescription)
