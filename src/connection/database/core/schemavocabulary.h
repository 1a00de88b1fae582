#pragma once

#include <QtCore/QString>
#include <QtCore/QStringList>

// The schema vocabulary: the name of every table and column that the stores
// use. Each table has a function that returns its name and, where the stores
// address its columns, an enumeration of the columns with a function that
// maps a value of it to the column's name. A value outside the enumeration
// gives a null text. Names that end in "_%1" are patterns: the caller fills
// in the number (for example "signal_%1" becomes "signal_1" to "signal_48").

namespace quelta::base::connection::databaseconnection {

// Tables of the data database.

enum class ApplicationAlarmColumn {
    ID,
    ALARM_TIMESTAMP,
    ALARM_TYPE,
    IS_ACTIVE,
    ALARM_STATUS,
    USER_ID,
    ALARM_NAME,
    SHORT_DESCRIPTION,
    NUM_SHORT_DESC_ARGS,
    SHORT_DESC_ARG_N,
    DESCRIPTION,
    CHAMBER_ID,
};
QString tableNameApplicationAlarm();
QString columnNameApplicationAlarm(ApplicationAlarmColumn column);

enum class AlarmHasSignalColumn {
    ALARM_ID,
    SIGNAL_ID,
};
QString tableNameAlarmHasSignal();
QString columnNameAlarmHasSignal(AlarmHasSignalColumn column);

enum class ApplicationUserColumn {
    ID,
    LOGIN_NAME,
    MAIL_ADDRESS,
    FIRST_NAME,
    LAST_NAME,
    PASSWORD_HASH,
    PASSWORD_SALT,
    PASSWORD_CREATION_TIME,
    PASSWORD_EXPIRATION_TIME,
    PASSWORD_IS_TEMPORARY,
    NUMBER_FAILED_LOGIN_ATTEMPTS,
    IS_BANNED,
    IS_DELETED,
    USER_LEVEL,
};
QString tableNameApplicationUser();
QString columnNameApplicationUser(ApplicationUserColumn column);

enum class CameraColumn {
    ID,
    IP_V4_ADDRESS,
    IP_V6_ADDRESS,
    USB_PORT,
    RECORDING_ID,
    RECORDING_INTERVAL,
};
QString tableNameCamera();
QString columnNameCamera(CameraColumn column);

enum class ChamberColumn {
    ID,
    CHAMBER_NAME,
    CHAMBER_TYPE_ID,
    CHAMBER_TYPE_ADDITIONAL_INFO_ID,
    SERIAL_NO,
    IS_ARCHIVED,
    IS_SUBSCRIBED,
    IP_V4_ADDRESS,
    IP_V6_ADDRESS,
    MAC_ADDRESS,
    IS_ACTIVE,
    MODBUS_ADDRESS,
    COM_PORT,
    BAUD_RATE,
    DATA_BITS,
    STOP_BITS,
    PARITY,
    PROTOCOL_ID,
    CONVERTER_ID,
};
QString tableNameChamber();
QString columnNameChamber(ChamberColumn column);

enum class ChamberHasCustomSignalNameColumn {
    CHAMBER_ID,
    SIGNAL_ID,
    SIGNAL_NAME,
};
QString tableNameChamberHasCustomSignalName();
QString columnNameChamberHasCustomSignalName(ChamberHasCustomSignalNameColumn column);

enum class ChamberHasSignalDelayColumn {
    CHAMBER_ID,
    SIGNAL_ID,
    DELAY1_IN_SECONDS,
    DELAY2_IN_SECONDS,
};
QString tableNameChamberHasSignalDelay();
QString columnNameChamberHasSignalDelay(ChamberHasSignalDelayColumn column);

enum class ChamberHasSubscribedSignalColumn {
    CHAMBER_ID,
    SIGNAL_ID,
};
QString tableNameChamberHasSubscribedSignal();
QString columnNameChamberHasSubscribedSignal(ChamberHasSubscribedSignalColumn column);

// The chamber tolerance ranges of the data database (not the catalogue's table of the same name).
enum class ChamberToleranceRangeColumn {
    EFFECTIVE_FROM,
    CHAMBER_ID,
    SIGNAL_ID,
    RANGE_TYPE,
    RANGE_MIN,
    RANGE_MAX,
};
QString tableNameChamberToleranceRange();
QString columnNameChamberToleranceRange(ChamberToleranceRangeColumn column);

// Every setting is a column of the single settings row.
enum class GlobalSettingsColumn {
    ID,
    EVENT_DO_REPEAT,
    EVENT_REPETITION_INTERVAL,
    REPORT_CREATION_INTERVAL,
    REPORT_LANGUAGE,
    REPORT_FILE_FORMAT,
    REPORT_FILE_PREFIX,
    REPORT_FILE_PATH,
    REPORT_HEADER_LOGO_PATH,
    REPORT_HEADER_LOGO_POSITION,
    REPORT_HEADER_TITLE,
    REPORT_WATERMARK_PATH,
    REPORT_ENABLED_CHAPTERS,
    REPORT_WATERMARK_TEXT,
    BASE_PASSWORD,
    QUICK_RECORDING_NAME_TEMPLATE,
    QUICK_RECORDING_SECONDS_INTERVAL,
    RESUME_RECORDINGS_ON_STARTUP,
    ACCESS_CONTROL_ACTIVE,
    PASSWORD_VALIDITY_PERIOD,
    SCREEN_LOCK_TIMEOUT,
    SMTP_SERVER,
    SMTP_PORT,
    SMTP_CONNECTION_TYPE,
    SMTP_USERNAME,
    SMTP_PASSWORD,
    SMTP_SENDER,
    PREALARM_SECONDS_DELAY,
    BACKUP_INTERVAL,
    BACKUP_TIME_OF_DAY,
    BACKUP_DAY_OF_X,
    BACKUP_PATH,
    BACKUP_PASSWORD,
    BACKUP_KEEP_STRATEGY,
    BACKUP_KEEP_NUM,
    MAX_NUMBER_OF_ALLOWED_FAILED_LOGINS,
    QUELTA_IP_ADDRESS,
    QUELTA_PORT,
    QUELTA_NUM_CONNECTION_ATTEMPTS,
    QUELTA_IS_ACTIVE,
    TOCSA_IP_ADDRESS,
    TOCSA_PORT,
    TOCSA_NUM_CONNECTION_ATTEMPTS,
    TOCSA_IS_ACTIVE,
};
QString tableNameGlobalSettings();
QString columnNameGlobalSettings(GlobalSettingsColumn column);

enum class LogEntryColumn {
    ID,
    CREATION_TIME,
    USER_ID,
    EVENT_DESCRIPTION,
    NUM_ARGS,
    ARG_N,
};
QString tableNameLogEntry();
QString columnNameLogEntry(LogEntryColumn column);

enum class MailRecipientColumn {
    ID,
    MAIL_ADDRESS,
};
QString tableNameMailRecipient();
QString columnNameMailRecipient(MailRecipientColumn column);

enum class MetaRecordingHasRecordingColumn {
    META_RECORDING_ID,
    RECORDING_ID,
};
QString tableNameMetaRecordingHasRecording();
QString columnNameMetaRecordingHasRecording(MetaRecordingHasRecordingColumn column);

enum class ProgramColumn {
    ID,
    PROGRAM_NAME,
    USER_ID,
    INFO_TEXT,
    PROGRAM_TYPE,
    EDITED,
    CHAMBER_TYPE_ID,
};
QString tableNameProgram();
QString columnNameProgram(ProgramColumn column);

enum class ProgramSectionColumn {
    ID,
    DURATION_IN_SECONDS,
    TRANSITION_TYPE,
    BREAKPOINT,
    PROGRAM_EVENT_MESSAGE,
};
QString tableNameProgramSection();
QString columnNameProgramSection(ProgramSectionColumn column);

enum class ProgramSetpointColumn {
    PROGRAM_SECTION_ID,
    SIGNAL_ID,
    SETPOINT,
    TOLERANCE_RANGE_MIN,
    TOLERANCE_RANGE_MAX,
};
QString tableNameProgramSetpoint();
QString columnNameProgramSetpoint(ProgramSetpointColumn column);

enum class ProgramStepColumn {
    ID,
    PROGRAM_ID,
    ORDER_NUMBER,
    STEP_TYPE,
    SECTION_ID,
    SUB_PROGRAM_ID,
};
QString tableNameProgramStep();
QString columnNameProgramStep(ProgramStepColumn column);

enum class ProgramStepRepetitionColumn {
    ID,
    PROGRAM_ID,
    START_STEP_ID,
    END_STEP_ID,
    NUM_REPETITIONS,
};
QString tableNameProgramStepRepetition();
QString columnNameProgramStepRepetition(ProgramStepRepetitionColumn column);

enum class RecordSetColumn {
    ID,
    RECORDING_ID,
    RECORD_TIME,
    SIGNAL_N,
    IS_RETRIEVED_FROM_CHAMBER,
    ALARM_TYPE,
    CAMERA_IMAGE_PATH,
    CHAMBER_MODE,
};
QString tableNameRecordSet();
QString columnNameRecordSet(RecordSetColumn column);

enum class RecordSetCommentColumn {
    RECORDSET_ID,
    USER_ID,
    CREATION_TIME,
    COMMENT_TEXT,
};
QString tableNameRecordSetComment();
QString columnNameRecordSetComment(RecordSetCommentColumn column);

// Bit-flag values; the two between 2048 and 16384 name no column.
enum class RecordingColumn {
    ID = 1,
    RECORDING_NAME = 2,
    CHAMBER_ID = 4,
    USER_ID = 8,
    SECONDS_INTERVAL = 16,
    START_TIME = 32,
    END_TIME = 64,
    IS_ACTIVE = 128,
    ADDITIONAL_INFO = 256,
    FREE_TEXT = 512,
    IS_ARCHIVED = 1024,
    AUTOMATICALLY_CREATE_REPORT = 2048,
    IS_START_RECONDING_ALLOWED = 16384,
    NUMBER_OF_RECORDSETS = 32768,
};
QString tableNameRecording();
QString columnNameRecording(RecordingColumn column);

enum class RecordingHasSignalColumnColumn {
    RECORDING_ID,
    SIGNAL_ID,
    RECORDSET_SIGNAL_COLUMN,
};
QString tableNameRecordingHasSignalColumn();
QString columnNameRecordingHasSignalColumn(RecordingHasSignalColumnColumn column);

enum class RoomColumn {
    ID,
    ROOM_NAME,
    IMAGE_PATH,
    IMAGE_SCALE,
};
QString tableNameRoom();
QString columnNameRoom(RoomColumn column);

enum class RoomChamberPositionColumn {
    CHAMBER_ID,
    ROOM_ID,
    CHAMBER_POS_X,
    CHAMBER_POS_Y,
};
QString tableNameRoomChamberPosition();
QString columnNameRoomChamberPosition(RoomChamberPositionColumn column);

enum class UserHasChamberSignalVisibilityPreferenceColumn {
    USER_ID,
    CHAMBER_ID,
    SIGNAL_ID,
    POSITION,
};
QString tableNameUserHasChamberSignalVisibilityPreference();
QString columnNameUserHasChamberSignalVisibilityPreference(UserHasChamberSignalVisibilityPreferenceColumn column);

enum class UserPreferencesColumn {
    USER_ID,
    DEFAULT_FILE_FORMAT,
    LOCALIZATION,
    TIME_FORMAT,
    DATE_FORMAT,
    DECIMAL_FORMAT,
    TEMPERATURE_UNIT,
    HUMIDITY_UNIT,
};
QString tableNameUserPreferences();
QString columnNameUserPreferences(UserPreferencesColumn column);

enum class UserRecordingConfigColumn {
    USER_ID,
    RECORDING_ID,
    CONFIG,
};
QString tableNameUserRecordingConfig();
QString columnNameUserRecordingConfig(UserRecordingConfigColumn column);

// Tables of the configuration database: the access rights and the chamber-type
// catalogue.

enum class ActivityAccessColumn {
    COMPONENT_ID,
    ACTIVITY_ID,
    MIN_USER_LEVEL,
};
QString tableNameActivityAccess();
QString columnNameActivityAccess(ActivityAccessColumn column);

enum class AdditionalInfoColumn {
    ID,
    ARTICLE_NR,
    INFO,
};
QString tableNameAdditionalInfo();
QString columnNameAdditionalInfo(AdditionalInfoColumn column);

// Numbered in the order in which the catalogue store selects them.
enum class ChamberTypeColumn {
    ID,
    TYPE,
    DEVELOPEMENT_STATE,
    SIZE,
    VOLTAGE,
    IMAGE,
    DESCRIPTION,
    FIRMWARE_START,
    FIRMWARE_ENDE,
    SETUP_KENNUNG,
    SETUP_VERSION_START,
    SETUP_VERSION_ENDE,
    KENNUNG_PROGRAMME,
    CONTROLLER_ID,
};
QString tableNameChamberType();
QString columnNameChamberType(ChamberTypeColumn column);

enum class ChamberTypeHasAdditionalInfoColumn {
    CHAMBER_TYPE_ID,
    ADDITIONAL_INFO_ID,
};
QString tableNameChamberTypeHasAdditionalInfo();
QString columnNameChamberTypeHasAdditionalInfo(ChamberTypeHasAdditionalInfoColumn column);

enum class ChamberTypeHasControlSignalsColumn {
    CHAMBER_TYPE_ID,
    CONTROL_SIGNALS_ID,
};
QString tableNameChamberTypeHasControlSignals();
QString columnNameChamberTypeHasControlSignals(ChamberTypeHasControlSignalsColumn column);

enum class ChamberTypeHasDataloggerSignalColumn {
    CHAMBER_TYPE_ID,
    DATALOGGER_SIGNAL_ID,
    CHANNEL,
};
QString tableNameChamberTypeHasDataloggerSignal();
QString columnNameChamberTypeHasDataloggerSignal(ChamberTypeHasDataloggerSignalColumn column);

enum class ChamberTypeHasOptionsColumn {
    CHAMBER_TYPE_ID,
    OPTIONS_ID,
};
QString tableNameChamberTypeHasOptions();
QString columnNameChamberTypeHasOptions(ChamberTypeHasOptionsColumn column);

enum class ChamberTypeHasProtocolColumn {
    CHAMBER_TYPE_ID,
    PROTOCOL_ID,
};
QString tableNameChamberTypeHasProtocol();
QString columnNameChamberTypeHasProtocol(ChamberTypeHasProtocolColumn column);

enum class ChamberTypeHasSignalColumn {
    CHAMBER_TYPE_ID,
    SIGNAL_ID,
};
QString tableNameChamberTypeHasSignal();
QString columnNameChamberTypeHasSignal(ChamberTypeHasSignalColumn column);

enum class ChamberTypeHasToleranceRangeColumn {
    CHAMBER_TYPE_ID,
    TOLERANCE_RANGE_ID,
};
QString tableNameChamberTypeHasToleranceRange();
QString columnNameChamberTypeHasToleranceRange(ChamberTypeHasToleranceRangeColumn column);

enum class ControlSignalsColumn {
    ID,
    NAME,
    BITPOSITION,
    USERLEVEL,
    READ,
    WRITE,
};
QString tableNameControlSignals();
QString columnNameControlSignals(ControlSignalsColumn column);

enum class ControllerColumn {
    ID,
    TYPE,
};
QString tableNameController();
QString columnNameController(ControllerColumn column);

// The first six in the order in which the catalogue store selects them.
enum class ControllerDataColumn {
    ID,
    ADDRESS,
    ACCESS,
    VARIABLE_TYPE,
    SET_POINT_NR,
    DESCRIPTION,
    ADDRESS_TYPE,
    CONTROLLER_ID,
    COMMENT,
};
QString tableNameControllerData();
QString columnNameControllerData(ControllerDataColumn column);

enum class OptionsColumn {
    ID,
    NAME,
    FIX,
};
QString tableNameOptions();
QString columnNameOptions(OptionsColumn column);

QString tableNameProtocol();

// Numbered in the order in which the catalogue store selects them.
enum class SignalColumn {
    ID,
    NAME,
    UNIT,
    USER_LEVEL,
    LIMIT_MIN,
    LIMIT_MAX,
    BITPOSITION,
    TIME_PROGRAMMABLE,
    WEEK_PROGRAMMABLE,
    VALUE_TYPE,
    SIGNAL_TYPE,
    SET_POINT_SIGNAL,
    READ,
    WRITE_BASIC,
    WRITE_MANUAL,
    WRITE_AUTO,
};
QString tableNameSignal();
QString columnNameSignal(SignalColumn column);

// The catalogue's tolerance ranges (not the data database's table of the same name).
enum class ToleranceRangeColumn {
    ID,
    NAME,
    SET_POINT,
    PROCESS_VALUE,
    RANGE_MIN,
    RANGE_MAX,
    DELAY1,
    DELAY2,
};
QString tableNameToleranceRange();
QString columnNameToleranceRange(ToleranceRangeColumn column);

enum class ValueTypeColumn {
    ID,
    NAME,
    DECIMAL_PLACES,
    COLOR,
};
QString tableNameValueType();
QString columnNameValueType(ValueTypeColumn column);

// The column-name functions above under one name, for code that addresses
// the columns of several tables.
inline QString columnName(ApplicationAlarmColumn column) { return columnNameApplicationAlarm(column); }
inline QString columnName(AlarmHasSignalColumn column) { return columnNameAlarmHasSignal(column); }
inline QString columnName(ApplicationUserColumn column) { return columnNameApplicationUser(column); }
inline QString columnName(CameraColumn column) { return columnNameCamera(column); }
inline QString columnName(ChamberColumn column) { return columnNameChamber(column); }
inline QString columnName(ChamberHasCustomSignalNameColumn column)
{
    return columnNameChamberHasCustomSignalName(column);
}
inline QString columnName(ChamberHasSignalDelayColumn column) { return columnNameChamberHasSignalDelay(column); }
inline QString columnName(ChamberHasSubscribedSignalColumn column)
{
    return columnNameChamberHasSubscribedSignal(column);
}
inline QString columnName(ChamberToleranceRangeColumn column) { return columnNameChamberToleranceRange(column); }
inline QString columnName(GlobalSettingsColumn column) { return columnNameGlobalSettings(column); }
inline QString columnName(LogEntryColumn column) { return columnNameLogEntry(column); }
inline QString columnName(MailRecipientColumn column) { return columnNameMailRecipient(column); }
inline QString columnName(MetaRecordingHasRecordingColumn column)
{
    return columnNameMetaRecordingHasRecording(column);
}
inline QString columnName(ProgramColumn column) { return columnNameProgram(column); }
inline QString columnName(ProgramSectionColumn column) { return columnNameProgramSection(column); }
inline QString columnName(ProgramSetpointColumn column) { return columnNameProgramSetpoint(column); }
inline QString columnName(ProgramStepColumn column) { return columnNameProgramStep(column); }
inline QString columnName(ProgramStepRepetitionColumn column) { return columnNameProgramStepRepetition(column); }
inline QString columnName(RecordSetColumn column) { return columnNameRecordSet(column); }
inline QString columnName(RecordSetCommentColumn column) { return columnNameRecordSetComment(column); }
inline QString columnName(RecordingColumn column) { return columnNameRecording(column); }
inline QString columnName(RecordingHasSignalColumnColumn column) { return columnNameRecordingHasSignalColumn(column); }
inline QString columnName(RoomColumn column) { return columnNameRoom(column); }
inline QString columnName(RoomChamberPositionColumn column) { return columnNameRoomChamberPosition(column); }
inline QString columnName(UserHasChamberSignalVisibilityPreferenceColumn column)
{
    return columnNameUserHasChamberSignalVisibilityPreference(column);
}
inline QString columnName(UserPreferencesColumn column) { return columnNameUserPreferences(column); }
inline QString columnName(UserRecordingConfigColumn column) { return columnNameUserRecordingConfig(column); }
inline QString columnName(ActivityAccessColumn column) { return columnNameActivityAccess(column); }
inline QString columnName(AdditionalInfoColumn column) { return columnNameAdditionalInfo(column); }
inline QString columnName(ChamberTypeColumn column) { return columnNameChamberType(column); }
inline QString columnName(ChamberTypeHasAdditionalInfoColumn column)
{
    return columnNameChamberTypeHasAdditionalInfo(column);
}
inline QString columnName(ChamberTypeHasControlSignalsColumn column)
{
    return columnNameChamberTypeHasControlSignals(column);
}
inline QString columnName(ChamberTypeHasDataloggerSignalColumn column)
{
    return columnNameChamberTypeHasDataloggerSignal(column);
}
inline QString columnName(ChamberTypeHasOptionsColumn column) { return columnNameChamberTypeHasOptions(column); }
inline QString columnName(ChamberTypeHasProtocolColumn column) { return columnNameChamberTypeHasProtocol(column); }
inline QString columnName(ChamberTypeHasSignalColumn column) { return columnNameChamberTypeHasSignal(column); }
inline QString columnName(ChamberTypeHasToleranceRangeColumn column)
{
    return columnNameChamberTypeHasToleranceRange(column);
}
inline QString columnName(ControlSignalsColumn column) { return columnNameControlSignals(column); }
inline QString columnName(ControllerColumn column) { return columnNameController(column); }
inline QString columnName(ControllerDataColumn column) { return columnNameControllerData(column); }
inline QString columnName(OptionsColumn column) { return columnNameOptions(column); }
inline QString columnName(SignalColumn column) { return columnNameSignal(column); }
inline QString columnName(ToleranceRangeColumn column) { return columnNameToleranceRange(column); }
inline QString columnName(ValueTypeColumn column) { return columnNameValueType(column); }

// The names of the given columns, in their order.
template<typename Columns>
QStringList columnNames(const Columns &columns)
{
    QStringList names;
    for (const auto column : columns)
        names.append(columnName(column));
    return names;
}

// The number of a table's columns from its first one up to last.
template<typename Column>
constexpr int columnCountThrough(Column last)
{
    return int(last) + 1;
}

// The names of a table's columns from its first one up to last, in the order
// of the enumeration, so that a row selected with them holds each column's
// value at the column's number.
template<typename Column>
QStringList columnNamesThrough(Column last)
{
    QStringList names;
    for (int column = 0; column <= int(last); ++column)
        names.append(columnName(Column(column)));
    return names;
}

} // namespace quelta::base::connection::databaseconnection
