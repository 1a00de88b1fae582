#pragma once

#include "connection/database/core/databasekey.h"
#include "support/cataloguecontent.h"

#include <QtCore/QString>

namespace quelta::test {

// Writes a chamber-type catalogue into a new encrypted configuration
// database: every catalogue table with the columns the configuration store
// reads, spelled out here on their own rather than taken from the schema
// vocabulary, so that a misspelt name in the vocabulary fails the tests.
class CatalogueBuilder
{
public:
    // Creates the database at path (which must not exist yet) and writes the
    // content. Returns an empty text on success, else what went wrong; a
    // database that could not be written whole is removed again.
    static QString create(const QString &path, const CatalogueContent &content,
                          const QString &key = base::connection::databaseconnection::DatabaseKey);

    CatalogueBuilder() = delete;
};

} // namespace quelta::test
