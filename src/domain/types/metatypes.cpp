#include "domain/types/metatypes.h"

#include "domain/types/activationstate.h"
#include "domain/types/activityid.h"
#include "domain/types/alarmdata.h"
#include "domain/types/backupcleanupsettings.h"
#include "domain/types/backupsettings.h"
#include "domain/types/cameradata.h"
#include "domain/types/chamberdata.h"
#include "domain/types/chambererror.h"
#include "domain/types/chamberoperationmode.h"
#include "domain/types/chamberstate.h"
#include "domain/types/chambertypedata.h"
#include "domain/types/databaseconnectionerror.h"
#include "domain/types/fileformat.h"
#include "domain/types/int10.h"
#include "domain/types/networkconfiguration.h"
#include "domain/types/programchange.h"
#include "domain/types/programprogress.h"
#include "domain/types/programstartoptions.h"
#include "domain/types/programstep.h"
#include "domain/types/programtransmittablesection.h"
#include "domain/types/queltaendpoint.h"
#include "domain/types/recordingdata.h"
#include "domain/types/recordset.h"
#include "domain/types/reportconfiguration.h"
#include "domain/types/roomdata.h"
#include "domain/types/smtpconfiguration.h"
#include "domain/types/systemlogentry.h"
#include "domain/types/tocsaendpoint.h"
#include "domain/types/tolerancerangedefinition.h"
#include "domain/types/userdata.h"
#include "domain/types/userlevel.h"

#include <QtCore/QList>
#include <QtCore/QMetaType>

namespace quelta::domain::types {

void registerMetaTypes()
{
    // Enums, so that queued signals carry them and QVariant converts
    // integers (and, for the Q_ENUM ones, key names) to them.
    qRegisterMetaType<ChamberState::State>();
    qRegisterMetaType<ActivationState::State>();
    qRegisterMetaType<ChamberOperationMode::Mode>();
    qRegisterMetaType<DatabaseConnectionError>();
    qRegisterMetaType<UserLevel>();
    qRegisterMetaType<FileFormat>();
    qRegisterMetaType<ActivityId::ComponentId>();
    qRegisterMetaType<SmtpConnectionType::Type>();
    qRegisterMetaType<BackupCleanupSettings::KeepStrategy>();
    qRegisterMetaType<ProgramSection::TransitionType>();

    // Chamber communication and discovery.
    qRegisterMetaType<ChamberError>();
    qRegisterMetaType<ChamberData>();
    qRegisterMetaType<NetworkConfiguration>();
    qRegisterMetaType<QList<NetworkConfiguration>>();
    qRegisterMetaType<MacAddress>();
    qRegisterMetaType<ControllerAddress>();
    qRegisterMetaType<QList<ControllerAddress>>();
    qRegisterMetaType<Int10>();

    // The catalogue.
    qRegisterMetaType<ChamberTypeKey>();
    qRegisterMetaType<ChamberTypeData>();
    qRegisterMetaType<QList<ChamberTypeData>>();
    qRegisterMetaType<ChamberSignal>();
    qRegisterMetaType<QList<ChamberSignal>>();
    qRegisterMetaType<ControlSignal>();
    qRegisterMetaType<ChamberOption>();
    qRegisterMetaType<ToleranceRangeDefinition>();

    // Values.
    qRegisterMetaType<UnitValue>();
    qRegisterMetaType<SetpointValue>();
    qRegisterMetaType<QList<SetpointValue>>();
    qRegisterMetaType<ToleranceRange>();

    // Recordings and programs.
    qRegisterMetaType<RecordingData>();
    qRegisterMetaType<Recordset>();
    qRegisterMetaType<QList<Recordset>>();
    qRegisterMetaType<RecordsetComment>();
    qRegisterMetaType<ProgramData>();
    qRegisterMetaType<ProgramSection>();
    qRegisterMetaType<ProgramChange>();
    qRegisterMetaType<ProgramStep>();
    qRegisterMetaType<ProgramTransmittableSection>();
    qRegisterMetaType<QList<ProgramTransmittableSection>>();
    qRegisterMetaType<ProgramProgress>();
    qRegisterMetaType<ProgramStartOptions>();

    // Users, settings and the rest of the application's data.
    qRegisterMetaType<ActivityId>();
    qRegisterMetaType<UserData>();
    qRegisterMetaType<LocalePreferences>();
    qRegisterMetaType<AlarmData>();
    qRegisterMetaType<AlarmShortDescription>();
    qRegisterMetaType<SystemLogEntry>();
    qRegisterMetaType<RoomData>();
    qRegisterMetaType<CameraData>();
    qRegisterMetaType<SmtpConfiguration>();
    qRegisterMetaType<ReportConfiguration>();
    qRegisterMetaType<BackupSettings>();
    qRegisterMetaType<BackupCleanupSettings>();
    qRegisterMetaType<QueltaEndpoint>();
    qRegisterMetaType<TocsaEndpoint>();
}

} // namespace quelta::domain::types
