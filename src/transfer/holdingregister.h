#pragma once

#include "domain/types/controlleraddress.h"

namespace quelta::base::connection::chamberconnection {

// A holding register of the chamber's Modbus server as the transfer classes
// describe their register maps: no id, no set-point number, no description.
domain::types::ControllerAddress holdingRegister(const char *address, int valueType, int count = 1,
                                                 int access = domain::types::ControllerAddress::ReadWrite);
// The same with the address written as "0x" and four upper-case hexadecimal
// digits.
domain::types::ControllerAddress holdingRegister(int address, int valueType, int count = 1,
                                                 int access = domain::types::ControllerAddress::ReadWrite);

} // namespace quelta::base::connection::chamberconnection
