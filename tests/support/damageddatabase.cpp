#include "support/damageddatabase.h"

#include "support/encrypteddatabase.h"
#include "support/sqltext.h"

#include "connection/database/core/databasekey.h"
#include "connection/database/core/sqliteconnection.h"

#include <QtCore/QFile>

namespace quelta::test {

namespace {

struct Pages
{
    qint64 size = 0;
    qint64 count = 0;
};

Pages pagesOf(const QString &path)
{
    base::connection::databaseconnection::SqliteConnection connection(QStringLiteral("pagesOf"));
    if (!connection.open(path, QString(), QString(), base::connection::databaseconnection::DatabaseKey))
        return {};
    return {connection.selectValue(SqlText(QStringLiteral("PRAGMA page_size"))).toLongLong(),
            connection.selectValue(SqlText(QStringLiteral("PRAGMA page_count"))).toLongLong()};
}

} // namespace

QString runSqlScriptAndDamageItsMiddlePage(const QString &path, const QString &script)
{
    const Pages before = pagesOf(path);
    const QString failure = runSqlScript(path, script);
    if (!failure.isEmpty())
        return failure;
    const Pages after = pagesOf(path);
    if (before.size <= 0 || after.count <= before.count)
        return QStringLiteral("The script added no page to %1").arg(path);

    // Pages count from 1; one byte in the middle of the page is enough.
    const qint64 page = (before.count + 1 + after.count) / 2;
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite) || !file.seek((page - 1) * after.size + after.size / 2))
        return QStringLiteral("Could not reach page %1 of %2").arg(page).arg(path);
    char byte = 0;
    if (!file.getChar(&byte) || !file.seek(file.pos() - 1) || !file.putChar(char(~byte)))
        return QStringLiteral("Could not damage page %1 of %2").arg(page).arg(path);
    return QString();
}

} // namespace quelta::test
