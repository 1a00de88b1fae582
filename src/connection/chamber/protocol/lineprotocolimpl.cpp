#include "connection/chamber/protocol/lineprotocolimpl.h"

namespace quelta::base::connection::chamberconnection {

LineProtocolImpl::~LineProtocolImpl() = default;

} // namespace quelta::base::connection::chamberconnection
