#pragma once

#include "connection/database/core/databasekey.h"
#include "support/cataloguecontent.h"

#include <QtCore/QString>

namespace quelta::test {

// The version of the data schema that dataSchema() describes.
constexpr int DataSchemaVersion = 17;

// Every table of the data database that the stores use, as CREATE TABLE IF
// NOT EXISTS statements: the thirteen that the schema creation makes, with
// their columns first and the columns that the stores use beyond them after
// a "-- stores' own" line, then the tables that the stores use and the schema
// creation does not make, and the version table. Names are spelled out here
// rather than taken from the schema vocabulary, so that a misspelt name in the
// vocabulary fails the tests. The facade's test holds the schema creation's
// thirteen tables to the ones here.
QString dataSchema();

// Creates a new data database at path with every table of dataSchema(),
// empty, at DataSchemaVersion. The file must not exist yet. Returns an empty
// text on success, else what went wrong.
QString createDataDatabase(const QString &path,
                           const QString &key = base::connection::databaseconnection::DatabaseKey);

// The chamber-type catalogue and the data tables in one file, as this program
// keeps them. The catalogue's own tolerance_range holds the place of the data
// table of that name, which is therefore missing from such a file.
QString createDataDatabaseWithCatalogue(const QString &path, const CatalogueContent &catalogue,
                                        const QString &key = base::connection::databaseconnection::DatabaseKey);

} // namespace quelta::test
