#pragma once

#include <QtCore/QString>

namespace quelta::test {

// Runs the script in the existing SQLCipher database at path, as
// runSqlScript() does, then damages the middle one of the pages that the
// script added to the file, as a failing disk would: its checksum no longer
// fits, and SQLCipher refuses the page whenever a statement reaches it. A
// script that fills one new table or index puts that page amid its rows, so
// that a read of them in order fails midway. No connection may have the
// file open meanwhile: one would keep the sound page in its cache.
// Returns an empty text on success, else what went wrong.
QString runSqlScriptAndDamageItsMiddlePage(const QString &path, const QString &script);

} // namespace quelta::test
