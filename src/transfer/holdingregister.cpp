#include "transfer/holdingregister.h"

namespace quelta::base::connection::chamberconnection {

using domain::types::ControllerAddress;
using domain::types::ControllerAddressId;

ControllerAddress holdingRegister(const char *address, int valueType, int count, int access)
{
    return ControllerAddress(ControllerAddressId(), QString::fromLatin1(address), access, valueType, count, -1,
                             QString());
}

ControllerAddress holdingRegister(int address, int valueType, int count, int access)
{
    return holdingRegister(qPrintable(QString::asprintf("0x%04X", address)), valueType, count, access);
}

} // namespace quelta::base::connection::chamberconnection
