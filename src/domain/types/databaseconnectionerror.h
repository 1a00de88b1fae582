#pragma once

#include <QtCore/QMetaType>

class QDebug;

namespace quelta::domain::types {

// The error code that the SQLite connection, every store and the facade emit.
// 3 is not used; the numbers are stored and compared as they stand.
enum DatabaseConnectionError : int {
    NOT_INITIALIZED = 0,
    INVALID_DATABASE = 1,
    OPEN_FAILED = 2,
    MISSING_TABLE = 4,
    EXECUTION_FAILED = 5,
    PREPARE_FAILED = 6,
    NO_RESULT = 7,
    UNEXPECTED_RESULT = 8
};

QDebug operator<<(QDebug debug, DatabaseConnectionError error);

} // namespace quelta::domain::types

Q_DECLARE_METATYPE(quelta::domain::types::DatabaseConnectionError)
