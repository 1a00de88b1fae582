#pragma once

#include "domain/types/databaseconnectionerror.h"

#include <QtTest/QSignalSpy>

namespace quelta::test {

// The errors that a spy on an error(DatabaseConnectionError) signal caught, in order.
inline QList<domain::types::DatabaseConnectionError> errorsOf(const QSignalSpy &spy)
{
    QList<domain::types::DatabaseConnectionError> errors;
    for (const QList<QVariant> &arguments : spy)
        errors.append(arguments.at(0).value<domain::types::DatabaseConnectionError>());
    return errors;
}

} // namespace quelta::test
