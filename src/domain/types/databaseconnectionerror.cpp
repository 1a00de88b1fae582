#include "domain/types/databaseconnectionerror.h"

#include <QtCore/QDebug>

namespace quelta::domain::types {

namespace {

const char *errorName(DatabaseConnectionError error)
{
    switch (error) {
    case NOT_INITIALIZED:
        return "NOT_INITIALIZED";
    case INVALID_DATABASE:
        return "INVALID_DATABASE";
    case OPEN_FAILED:
        return "OPEN_FAILED";
    case MISSING_TABLE:
        return "MISSING_TABLE";
    case EXECUTION_FAILED:
        return "EXECUTION_FAILED";
    case PREPARE_FAILED:
        return "PREPARE_FAILED";
    case NO_RESULT:
        return "NO_RESULT";
    case UNEXPECTED_RESULT:
        return "UNEXPECTED_RESULT";
    }
    return nullptr;
}

} // namespace

QDebug operator<<(QDebug debug, DatabaseConnectionError error)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "DatabaseConnectionError(";
    if (const char *name = errorName(error))
        debug << name;
    else
        debug << static_cast<int>(error);
    debug << ')';
    return debug;
}

} // namespace quelta::domain::types
