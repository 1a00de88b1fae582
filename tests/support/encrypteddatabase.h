#pragma once

#include "connection/database/core/databasekey.h"

#include <QtCore/QString>
#include <QtCore/QStringList>

namespace quelta::test {

// Splits an SQL script into its statements, each without its closing ";".
// Semicolons inside literals, comments and trigger bodies do not split.
QStringList splitSqlScript(const QString &script);

// Creates a new SQLCipher database at path and runs the statements of the
// script in it, in one transaction, through SqliteConnection, so that store
// tests build their fixtures at run time. The file must not exist yet.
// Returns an empty text on success, else what went wrong.
QString createEncryptedDatabase(
    const QString &path, const QString &script,
    const QString &key = base::connection::databaseconnection::DatabaseKey);

// Runs the statements of the script in the existing SQLCipher database at
// path, in one transaction. Returns an empty text on success, else what went
// wrong.
QString runSqlScript(const QString &path, const QString &script,
                     const QString &key = base::connection::databaseconnection::DatabaseKey);

} // namespace quelta::test
