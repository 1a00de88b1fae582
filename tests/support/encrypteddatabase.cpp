#include "support/encrypteddatabase.h"

#include "support/sqltext.h"

#include "connection/database/core/sqliteconnection.h"

#include <QtCore/QFile>
#include <QtCore/QFileInfo>
#include <QtCore/QSharedPointer>

#include <sqlcipher/sqlite3.h>

namespace quelta::test {

namespace {

QString uniqueConnectionName()
{
    static QAtomicInt counter;
    return QStringLiteral("testFixture%1").arg(counter.fetchAndAddRelaxed(1));
}

using domain::api::ISqlConnection;

QString runScript(const QString &path, const QString &script, const QString &key, ISqlConnection::OpenMode mode)
{
    QList<QSharedPointer<domain::api::ISqlQuery>> statements;
    const QStringList texts = splitSqlScript(script);
    for (const QString &text : texts)
        statements.append(QSharedPointer<SqlText>::create(text));

    base::connection::databaseconnection::SqliteConnection connection(uniqueConnectionName());
    if (!connection.open(path, QString(), QString(), key, mode))
        return QStringLiteral("Could not open %1").arg(path);
    const bool written = connection.executeTransaction(statements);
    connection.close();
    return written ? QString() : QStringLiteral("The script for %1 failed (see the log)").arg(path);
}

} // namespace

QStringList splitSqlScript(const QString &script)
{
    // SQLite's own tokenizer decides where a statement ends: a ";" that
    // leaves sqlite3_complete() false belongs to a literal, a comment or a
    // trigger body.
    QStringList statements;
    QString pending;
    for (const QChar character : script) {
        pending += character;
        if (character != QLatin1Char(';'))
            continue;
        if (!sqlite3_complete(pending.toUtf8().constData()))
            continue;
        pending.chop(1);
        const QString statement = pending.trimmed();
        if (!statement.isEmpty())
            statements.append(statement);
        pending.clear();
    }
    const QString rest = pending.trimmed();
    if (!rest.isEmpty())
        statements.append(rest);
    return statements;
}

QString createEncryptedDatabase(const QString &path, const QString &script, const QString &key)
{
    if (QFileInfo::exists(path))
        return QStringLiteral("%1 exists already").arg(path);

    const QString failure = runScript(path, script, key, ISqlConnection::OpenMode::CreateIfMissing);
    if (!failure.isEmpty())
        QFile::remove(path);
    return failure;
}

QString runSqlScript(const QString &path, const QString &script, const QString &key)
{
    return runScript(path, script, key, ISqlConnection::OpenMode::OpenExisting);
}

} // namespace quelta::test
