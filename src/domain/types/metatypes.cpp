#include "domain/types/metatypes.h"

#include "domain/types/activationstate.h"
#include "domain/types/chamberdata.h"
#include "domain/types/chambererror.h"
#include "domain/types/chamberoperationmode.h"
#include "domain/types/chamberstate.h"
#include "domain/types/chambertypedata.h"
#include "domain/types/databaseconnectionerror.h"
#include "domain/types/int10.h"
#include "domain/types/networkconfiguration.h"
#include "domain/types/tolerancerange.h"
#include "domain/types/userlevel.h"

#include <QtCore/QList>
#include <QtCore/QMetaType>

namespace quelta::domain::types {

void registerMetaTypes()
{
    qRegisterMetaType<ChamberState::State>();
    qRegisterMetaType<ActivationState::State>();
    qRegisterMetaType<ChamberOperationMode::Mode>();
    qRegisterMetaType<ChamberError>();
    qRegisterMetaType<DatabaseConnectionError>();
    qRegisterMetaType<UserLevel>();

    qRegisterMetaType<ChamberData>();
    qRegisterMetaType<NetworkConfiguration>();
    qRegisterMetaType<QList<NetworkConfiguration>>();
    qRegisterMetaType<MacAddress>();
    qRegisterMetaType<ChamberTypeKey>();
    qRegisterMetaType<ChamberTypeData>();
    qRegisterMetaType<QList<ChamberTypeData>>();
    qRegisterMetaType<ChamberSignal>();
    qRegisterMetaType<QList<ChamberSignal>>();
    qRegisterMetaType<ControllerAddress>();
    qRegisterMetaType<QList<ControllerAddress>>();
    qRegisterMetaType<Int10>();
    qRegisterMetaType<UnitValue>();
    qRegisterMetaType<ToleranceRange>();
}

} // namespace quelta::domain::types
