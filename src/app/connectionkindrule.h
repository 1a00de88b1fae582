#pragma once

#include "domain/types/chamberdata.h"

#include <QtCore/QList>

// Chooses how the communication check reaches a chamber: from the connection
// kinds that its chamber type offers (the type's interface list) and the
// addresses of the record. The first case that fits decides:
//   Modbus TCP             the type offers 3 and the record has an IP address
//   Modbus RTU, serial     the type offers 1 and the record has a COM port
//   Modbus RTU, converter  the type offers 1 and the record has an IP address
//   Modbus RTU over TCP    the type offers 2 and the record has an IP address
//   vacuum controller      the type offers 5 (through a ComServer converter
//                          when the record has an IP address)
//   TJV line protocol      the type offers 4
// Otherwise the kind stays as it was. A converter that is already set is
// kept; the Simserv and CTS kinds (6 to 8) are never chosen.
void settleConnectionKind(quelta::domain::types::ChamberData &chamber, const QList<int> &interfaces);
