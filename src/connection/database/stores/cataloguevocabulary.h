#pragma once

#include <QtCore/QPair>
#include <QtCore/QString>

// The texts with which the chamber-type catalogue names access modes, value
// types and signal roles, and the numbers the system uses for them. The
// lookups are case-sensitive; a text that is not in a table gives the number
// named below.

namespace quelta::base::connection::databaseconnection {

// "RO" 0, "WO" 1, "RW" 2, the empty text 3 (ControllerAddress::Access);
// any other text 0.
int accessModeId(const QString &text);

// The QMetaType type id of a value-type name such as "FLOAT" or "INT10";
// 0 for a name that is not in the table.
int dataTypeId(const QString &name);

// The meta-type id and element count of a variable type written as a type
// name, optionally followed by a count in square brackets: "UINT16[4]" gives
// (QMetaType::UShort, 4), "FLOAT" (QMetaType::Float, 1). A missing count is
// 1; a count that is not a number is 0, and so is anything else after the
// name ("FLOAT[3", "INT10]2[", "UINT16[ 4").
QPair<int, int> parseVariableType(const QString &variableType);

// "process_value" 0, "set_point" 1, "set_point_process_value" 2, the empty
// text 3 (ChamberSignal::SignalType); any other text 0.
int signalTypeId(const QString &text);

// The catalogue's text of a signal type: the first text, in text order, that
// signalTypeId() maps to it; empty when there is none.
QString signalTypeText(int signalType);

} // namespace quelta::base::connection::databaseconnection
