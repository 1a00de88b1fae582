#include "connection/database/core/schemavocabulary.h"

namespace quelta::base::connection::databaseconnection {

QString tableNameApplicationAlarm()
{
    return QStringLiteral("application_alarm");
}

QString columnNameApplicationAlarm(ApplicationAlarmColumn column)
{
    switch (column) {
    case ApplicationAlarmColumn::ID:
        return QStringLiteral("id");
    case ApplicationAlarmColumn::ALARM_TIMESTAMP:
        return QStringLiteral("alarm_timestamp");
    case ApplicationAlarmColumn::ALARM_TYPE:
        return QStringLiteral("alarm_type");
    case ApplicationAlarmColumn::IS_ACTIVE:
        return QStringLiteral("is_active");
    case ApplicationAlarmColumn::ALARM_STATUS:
        return QStringLiteral("alarm_status");
    case ApplicationAlarmColumn::USER_ID:
        return QStringLiteral("user_id");
    case ApplicationAlarmColumn::ALARM_NAME:
        return QStringLiteral("alarm_name");
    case ApplicationAlarmColumn::SHORT_DESCRIPTION:
        return QStringLiteral("short_description");
    case ApplicationAlarmColumn::NUM_SHORT_DESC_ARGS:
        return QStringLiteral("num_short_desc_args");
    case ApplicationAlarmColumn::SHORT_DESC_ARG_N:
        return QStringLiteral("short_desc_arg_%1");
    case ApplicationAlarmColumn::DESCRIPTION:
        return QStringLiteral("description");
    case ApplicationAlarmColumn::CHAMBER_ID:
        return QStringLiteral("chamber_id");
    }
    return QString();
}

QString tableNameAlarmHasSignal()
{
    return QStringLiteral("alarm_has_signal");
}

QString columnNameAlarmHasSignal(AlarmHasSignalColumn column)
{
    switch (column) {
    case AlarmHasSignalColumn::ALARM_ID:
        return QStringLiteral("alarm_id");
    case AlarmHasSignalColumn::SIGNAL_ID:
        return QStringLiteral("signal_id");
    }
    return QString();
}

QString tableNameApplicationUser()
{
    return QStringLiteral("application_user");
}

QString columnNameApplicationUser(ApplicationUserColumn column)
{
    switch (column) {
    case ApplicationUserColumn::ID:
        return QStringLiteral("id");
    case ApplicationUserColumn::LOGIN_NAME:
        return QStringLiteral("login_name");
    case ApplicationUserColumn::MAIL_ADDRESS:
        return QStringLiteral("mail_address");
    case ApplicationUserColumn::FIRST_NAME:
        return QStringLiteral("first_name");
    case ApplicationUserColumn::LAST_NAME:
        return QStringLiteral("last_name");
    case ApplicationUserColumn::PASSWORD_HASH:
        return QStringLiteral("password_hash");
    case ApplicationUserColumn::PASSWORD_SALT:
        return QStringLiteral("password_salt");
    case ApplicationUserColumn::PASSWORD_CREATION_TIME:
        return QStringLiteral("password_creation_time");
    case ApplicationUserColumn::PASSWORD_EXPIRATION_TIME:
        return QStringLiteral("password_expiration_time");
    case ApplicationUserColumn::PASSWORD_IS_TEMPORARY:
        return QStringLiteral("password_is_temporary");
    case ApplicationUserColumn::NUMBER_FAILED_LOGIN_ATTEMPTS:
        return QStringLiteral("number_failed_login_attempts");
    case ApplicationUserColumn::IS_BANNED:
        return QStringLiteral("is_banned");
    case ApplicationUserColumn::IS_DELETED:
        return QStringLiteral("is_deleted");
    case ApplicationUserColumn::USER_LEVEL:
        return QStringLiteral("user_level");
    }
    return QString();
}

QString tableNameCamera()
{
    return QStringLiteral("camera");
}

QString columnNameCamera(CameraColumn column)
{
    switch (column) {
    case CameraColumn::ID:
        return QStringLiteral("id");
    case CameraColumn::IP_V4_ADDRESS:
        return QStringLiteral("ip_v4_address");
    case CameraColumn::IP_V6_ADDRESS:
        return QStringLiteral("ip_v6_address");
    case CameraColumn::USB_PORT:
        return QStringLiteral("usb_port");
    case CameraColumn::RECORDING_ID:
        return QStringLiteral("recording_id");
    case CameraColumn::RECORDING_INTERVAL:
        return QStringLiteral("recording_interval");
    }
    return QString();
}

QString tableNameChamber()
{
    return QStringLiteral("chamber");
}

QString columnNameChamber(ChamberColumn column)
{
    switch (column) {
    case ChamberColumn::ID:
        return QStringLiteral("id");
    case ChamberColumn::CHAMBER_NAME:
        return QStringLiteral("chamber_name");
    case ChamberColumn::CHAMBER_TYPE_ID:
        return QStringLiteral("chamber_type_id");
    case ChamberColumn::CHAMBER_TYPE_ADDITIONAL_INFO_ID:
        return QStringLiteral("chamber_type_additional_info_id");
    case ChamberColumn::SERIAL_NO:
        return QStringLiteral("serial_no");
    case ChamberColumn::IS_ARCHIVED:
        return QStringLiteral("is_archived");
    case ChamberColumn::IS_SUBSCRIBED:
        return QStringLiteral("is_subscribed");
    case ChamberColumn::IP_V4_ADDRESS:
        return QStringLiteral("ip_v4_address");
    case ChamberColumn::IP_V6_ADDRESS:
        return QStringLiteral("ip_v6_address");
    case ChamberColumn::MAC_ADDRESS:
        return QStringLiteral("mac_address");
    case ChamberColumn::IS_ACTIVE:
        return QStringLiteral("is_active");
    case ChamberColumn::MODBUS_ADDRESS:
        return QStringLiteral("modbus_address");
    case ChamberColumn::COM_PORT:
        return QStringLiteral("com_port");
    case ChamberColumn::BAUD_RATE:
        return QStringLiteral("baud_rate");
    case ChamberColumn::DATA_BITS:
        return QStringLiteral("data_bits");
    case ChamberColumn::STOP_BITS:
        return QStringLiteral("stop_bits");
    case ChamberColumn::PARITY:
        return QStringLiteral("parity");
    case ChamberColumn::PROTOCOL_ID:
        return QStringLiteral("protocol_id");
    case ChamberColumn::CONVERTER_ID:
        return QStringLiteral("converter_id");
    }
    return QString();
}

QString tableNameChamberHasCustomSignalName()
{
    return QStringLiteral("chamber_has_custom_signal_name");
}

QString columnNameChamberHasCustomSignalName(ChamberHasCustomSignalNameColumn column)
{
    switch (column) {
    case ChamberHasCustomSignalNameColumn::CHAMBER_ID:
        return QStringLiteral("chamber_id");
    case ChamberHasCustomSignalNameColumn::SIGNAL_ID:
        return QStringLiteral("signal_id");
    case ChamberHasCustomSignalNameColumn::SIGNAL_NAME:
        return QStringLiteral("signal_name");
    }
    return QString();
}

QString tableNameChamberHasSignalDelay()
{
    return QStringLiteral("chamber_has_signal_delay");
}

QString columnNameChamberHasSignalDelay(ChamberHasSignalDelayColumn column)
{
    switch (column) {
    case ChamberHasSignalDelayColumn::CHAMBER_ID:
        return QStringLiteral("chamber_id");
    case ChamberHasSignalDelayColumn::SIGNAL_ID:
        return QStringLiteral("signal_id");
    case ChamberHasSignalDelayColumn::DELAY1_IN_SECONDS:
        return QStringLiteral("delay1_in_seconds");
    case ChamberHasSignalDelayColumn::DELAY2_IN_SECONDS:
        return QStringLiteral("delay2_in_seconds");
    }
    return QString();
}

QString tableNameChamberHasSubscribedSignal()
{
    return QStringLiteral("chamber_has_subscribed_signal");
}

QString columnNameChamberHasSubscribedSignal(ChamberHasSubscribedSignalColumn column)
{
    switch (column) {
    case ChamberHasSubscribedSignalColumn::CHAMBER_ID:
        return QStringLiteral("chamber_id");
    case ChamberHasSubscribedSignalColumn::SIGNAL_ID:
        return QStringLiteral("signal_id");
    }
    return QString();
}

QString tableNameChamberToleranceRange()
{
    return QStringLiteral("tolerance_range");
}

QString columnNameChamberToleranceRange(ChamberToleranceRangeColumn column)
{
    switch (column) {
    case ChamberToleranceRangeColumn::EFFECTIVE_FROM:
        return QStringLiteral("effective_from");
    case ChamberToleranceRangeColumn::CHAMBER_ID:
        return QStringLiteral("chamber_id");
    case ChamberToleranceRangeColumn::SIGNAL_ID:
        return QStringLiteral("signal_id");
    case ChamberToleranceRangeColumn::RANGE_TYPE:
        return QStringLiteral("range_type");
    case ChamberToleranceRangeColumn::RANGE_MIN:
        return QStringLiteral("range_min");
    case ChamberToleranceRangeColumn::RANGE_MAX:
        return QStringLiteral("range_max");
    }
    return QString();
}

QString tableNameGlobalSettings()
{
    return QStringLiteral("global_settings");
}

QString columnNameGlobalSettings(GlobalSettingsColumn column)
{
    switch (column) {
    case GlobalSettingsColumn::ID:
        return QStringLiteral("id");
    case GlobalSettingsColumn::EVENT_DO_REPEAT:
        return QStringLiteral("event_do_repeat");
    case GlobalSettingsColumn::EVENT_REPETITION_INTERVAL:
        return QStringLiteral("event_repetition_interval");
    case GlobalSettingsColumn::REPORT_CREATION_INTERVAL:
        return QStringLiteral("report_creation_interval");
    case GlobalSettingsColumn::REPORT_LANGUAGE:
        return QStringLiteral("report_language");
    case GlobalSettingsColumn::REPORT_FILE_FORMAT:
        return QStringLiteral("report_file_format");
    case GlobalSettingsColumn::REPORT_FILE_PREFIX:
        return QStringLiteral("report_file_prefix");
    case GlobalSettingsColumn::REPORT_FILE_PATH:
        return QStringLiteral("report_file_path");
    case GlobalSettingsColumn::REPORT_HEADER_LOGO_PATH:
        return QStringLiteral("report_header_logo_path");
    case GlobalSettingsColumn::REPORT_HEADER_LOGO_POSITION:
        return QStringLiteral("report_header_logo_position");
    case GlobalSettingsColumn::REPORT_HEADER_TITLE:
        return QStringLiteral("report_header_title");
    case GlobalSettingsColumn::REPORT_WATERMARK_PATH:
        return QStringLiteral("report_watermark_path");
    case GlobalSettingsColumn::REPORT_ENABLED_CHAPTERS:
        return QStringLiteral("report_enabled_chapters");
    case GlobalSettingsColumn::REPORT_WATERMARK_TEXT:
        return QStringLiteral("report_watermark_text");
    case GlobalSettingsColumn::BASE_PASSWORD:
        return QStringLiteral("base_password");
    case GlobalSettingsColumn::QUICK_RECORDING_NAME_TEMPLATE:
        return QStringLiteral("quick_recording_name_template");
    case GlobalSettingsColumn::QUICK_RECORDING_SECONDS_INTERVAL:
        return QStringLiteral("quick_recording_seconds_interval");
    case GlobalSettingsColumn::RESUME_RECORDINGS_ON_STARTUP:
        return QStringLiteral("resume_recordings_on_startup");
    case GlobalSettingsColumn::ACCESS_CONTROL_ACTIVE:
        return QStringLiteral("access_control_active");
    case GlobalSettingsColumn::PASSWORD_VALIDITY_PERIOD:
        return QStringLiteral("password_validity_period");
    case GlobalSettingsColumn::SCREEN_LOCK_TIMEOUT:
        return QStringLiteral("screen_lock_timeout");
    case GlobalSettingsColumn::SMTP_SERVER:
        return QStringLiteral("smtp_server");
    case GlobalSettingsColumn::SMTP_PORT:
        return QStringLiteral("smtp_port");
    case GlobalSettingsColumn::SMTP_CONNECTION_TYPE:
        return QStringLiteral("smtp_connection_type");
    case GlobalSettingsColumn::SMTP_USERNAME:
        return QStringLiteral("smtp_username");
    case GlobalSettingsColumn::SMTP_PASSWORD:
        return QStringLiteral("smtp_password");
    case GlobalSettingsColumn::SMTP_SENDER:
        return QStringLiteral("smtp_sender");
    case GlobalSettingsColumn::PREALARM_SECONDS_DELAY:
        return QStringLiteral("prealarm_seconds_delay");
    case GlobalSettingsColumn::BACKUP_INTERVAL:
        return QStringLiteral("backup_interval");
    case GlobalSettingsColumn::BACKUP_TIME_OF_DAY:
        return QStringLiteral("backup_time_of_day");
    case GlobalSettingsColumn::BACKUP_DAY_OF_X:
        return QStringLiteral("backup_day_of_x");
    case GlobalSettingsColumn::BACKUP_PATH:
        return QStringLiteral("backup_path");
    case GlobalSettingsColumn::BACKUP_PASSWORD:
        return QStringLiteral("backup_password");
    case GlobalSettingsColumn::BACKUP_KEEP_STRATEGY:
        return QStringLiteral("backup_keep_strategy");
    case GlobalSettingsColumn::BACKUP_KEEP_NUM:
        return QStringLiteral("backup_keep_num");
    case GlobalSettingsColumn::MAX_NUMBER_OF_ALLOWED_FAILED_LOGINS:
        return QStringLiteral("max_number_of_allowed_failed_logins");
    case GlobalSettingsColumn::QUELTA_IP_ADDRESS:
        return QStringLiteral("quelta_ip_address");
    case GlobalSettingsColumn::QUELTA_PORT:
        return QStringLiteral("quelta_port");
    case GlobalSettingsColumn::QUELTA_NUM_CONNECTION_ATTEMPTS:
        return QStringLiteral("quelta_num_connection_attempts");
    case GlobalSettingsColumn::QUELTA_IS_ACTIVE:
        return QStringLiteral("quelta_is_active");
    case GlobalSettingsColumn::TOCSA_IP_ADDRESS:
        return QStringLiteral("tocsa_ip_address");
    case GlobalSettingsColumn::TOCSA_PORT:
        return QStringLiteral("tocsa_port");
    case GlobalSettingsColumn::TOCSA_NUM_CONNECTION_ATTEMPTS:
        return QStringLiteral("tocsa_num_connection_attempts");
    case GlobalSettingsColumn::TOCSA_IS_ACTIVE:
        return QStringLiteral("tocsa_is_active");
    }
    return QString();
}

QString tableNameLogEntry()
{
    return QStringLiteral("log_entry");
}

QString columnNameLogEntry(LogEntryColumn column)
{
    switch (column) {
    case LogEntryColumn::ID:
        return QStringLiteral("id");
    case LogEntryColumn::CREATION_TIME:
        return QStringLiteral("creation_time");
    case LogEntryColumn::USER_ID:
        return QStringLiteral("user_id");
    case LogEntryColumn::EVENT_DESCRIPTION:
        return QStringLiteral("event_description");
    case LogEntryColumn::NUM_ARGS:
        return QStringLiteral("num_args");
    case LogEntryColumn::ARG_N:
        return QStringLiteral("arg_%1");
    }
    return QString();
}

QString tableNameMailRecipient()
{
    return QStringLiteral("mail_recipient");
}

QString columnNameMailRecipient(MailRecipientColumn column)
{
    switch (column) {
    case MailRecipientColumn::ID:
        return QStringLiteral("id");
    case MailRecipientColumn::MAIL_ADDRESS:
        return QStringLiteral("mail_address");
    }
    return QString();
}

QString tableNameMetaRecordingHasRecording()
{
    return QStringLiteral("meta_recording_has_recording");
}

QString columnNameMetaRecordingHasRecording(MetaRecordingHasRecordingColumn column)
{
    switch (column) {
    case MetaRecordingHasRecordingColumn::META_RECORDING_ID:
        return QStringLiteral("meta_recording_id");
    case MetaRecordingHasRecordingColumn::RECORDING_ID:
        return QStringLiteral("recording_id");
    }
    return QString();
}

QString tableNameProgram()
{
    return QStringLiteral("program");
}

QString columnNameProgram(ProgramColumn column)
{
    switch (column) {
    case ProgramColumn::ID:
        return QStringLiteral("id");
    case ProgramColumn::PROGRAM_NAME:
        return QStringLiteral("program_name");
    case ProgramColumn::USER_ID:
        return QStringLiteral("user_id");
    case ProgramColumn::INFO_TEXT:
        return QStringLiteral("info_text");
    case ProgramColumn::PROGRAM_TYPE:
        return QStringLiteral("program_type");
    case ProgramColumn::EDITED:
        return QStringLiteral("edited");
    case ProgramColumn::CHAMBER_TYPE_ID:
        return QStringLiteral("chamber_type_id");
    }
    return QString();
}

QString tableNameProgramSection()
{
    return QStringLiteral("program_section");
}

QString columnNameProgramSection(ProgramSectionColumn column)
{
    switch (column) {
    case ProgramSectionColumn::ID:
        return QStringLiteral("id");
    case ProgramSectionColumn::DURATION_IN_SECONDS:
        return QStringLiteral("duration_in_seconds");
    case ProgramSectionColumn::TRANSITION_TYPE:
        return QStringLiteral("transition_type");
    case ProgramSectionColumn::BREAKPOINT:
        return QStringLiteral("breakpoint");
    case ProgramSectionColumn::PROGRAM_EVENT_MESSAGE:
        return QStringLiteral("program_event_message");
    }
    return QString();
}

QString tableNameProgramSetpoint()
{
    return QStringLiteral("program_setpoint");
}

QString columnNameProgramSetpoint(ProgramSetpointColumn column)
{
    switch (column) {
    case ProgramSetpointColumn::PROGRAM_SECTION_ID:
        return QStringLiteral("program_section_id");
    case ProgramSetpointColumn::SIGNAL_ID:
        return QStringLiteral("signal_id");
    case ProgramSetpointColumn::SETPOINT:
        return QStringLiteral("setpoint");
    case ProgramSetpointColumn::TOLERANCE_RANGE_MIN:
        return QStringLiteral("tolerance_range_min");
    case ProgramSetpointColumn::TOLERANCE_RANGE_MAX:
        return QStringLiteral("tolerance_range_max");
    }
    return QString();
}

QString tableNameProgramStep()
{
    return QStringLiteral("program_step");
}

QString columnNameProgramStep(ProgramStepColumn column)
{
    switch (column) {
    case ProgramStepColumn::ID:
        return QStringLiteral("id");
    case ProgramStepColumn::PROGRAM_ID:
        return QStringLiteral("program_id");
    case ProgramStepColumn::ORDER_NUMBER:
        return QStringLiteral("order_number");
    case ProgramStepColumn::STEP_TYPE:
        return QStringLiteral("step_type");
    case ProgramStepColumn::SECTION_ID:
        return QStringLiteral("section_id");
    case ProgramStepColumn::SUB_PROGRAM_ID:
        return QStringLiteral("sub_program_id");
    }
    return QString();
}

QString tableNameProgramStepRepetition()
{
    return QStringLiteral("program_step_repetition");
}

QString columnNameProgramStepRepetition(ProgramStepRepetitionColumn column)
{
    switch (column) {
    case ProgramStepRepetitionColumn::ID:
        return QStringLiteral("id");
    case ProgramStepRepetitionColumn::PROGRAM_ID:
        return QStringLiteral("program_id");
    case ProgramStepRepetitionColumn::START_STEP_ID:
        return QStringLiteral("start_step_id");
    case ProgramStepRepetitionColumn::END_STEP_ID:
        return QStringLiteral("end_step_id");
    case ProgramStepRepetitionColumn::NUM_REPETITIONS:
        return QStringLiteral("num_repetitions");
    }
    return QString();
}

QString tableNameRecordSet()
{
    return QStringLiteral("record_set");
}

QString columnNameRecordSet(RecordSetColumn column)
{
    switch (column) {
    case RecordSetColumn::ID:
        return QStringLiteral("id");
    case RecordSetColumn::RECORDING_ID:
        return QStringLiteral("recording_id");
    case RecordSetColumn::RECORD_TIME:
        return QStringLiteral("record_time");
    case RecordSetColumn::SIGNAL_N:
        return QStringLiteral("signal_%1");
    case RecordSetColumn::IS_RETRIEVED_FROM_CHAMBER:
        return QStringLiteral("is_retrieved_from_chamber");
    case RecordSetColumn::ALARM_TYPE:
        return QStringLiteral("alarm_type");
    case RecordSetColumn::CAMERA_IMAGE_PATH:
        return QStringLiteral("camera_image_path");
    case RecordSetColumn::CHAMBER_MODE:
        return QStringLiteral("chamber_mode");
    }
    return QString();
}

QString tableNameRecordSetComment()
{
    return QStringLiteral("record_set_comment");
}

QString columnNameRecordSetComment(RecordSetCommentColumn column)
{
    switch (column) {
    case RecordSetCommentColumn::RECORDSET_ID:
        return QStringLiteral("recordset_id");
    case RecordSetCommentColumn::USER_ID:
        return QStringLiteral("user_id");
    case RecordSetCommentColumn::CREATION_TIME:
        return QStringLiteral("creation_time");
    case RecordSetCommentColumn::COMMENT_TEXT:
        return QStringLiteral("comment_text");
    }
    return QString();
}

QString tableNameRecording()
{
    return QStringLiteral("recording");
}

QString columnNameRecording(RecordingColumn column)
{
    switch (column) {
    case RecordingColumn::ID:
        return QStringLiteral("id");
    case RecordingColumn::RECORDING_NAME:
        return QStringLiteral("recording_name");
    case RecordingColumn::CHAMBER_ID:
        return QStringLiteral("chamber_id");
    case RecordingColumn::USER_ID:
        return QStringLiteral("user_id");
    case RecordingColumn::SECONDS_INTERVAL:
        return QStringLiteral("seconds_interval");
    case RecordingColumn::START_TIME:
        return QStringLiteral("start_time");
    case RecordingColumn::END_TIME:
        return QStringLiteral("end_time");
    case RecordingColumn::IS_ACTIVE:
        return QStringLiteral("is_active");
    case RecordingColumn::ADDITIONAL_INFO:
        return QStringLiteral("additional_info");
    case RecordingColumn::FREE_TEXT:
        return QStringLiteral("free_text");
    case RecordingColumn::IS_ARCHIVED:
        return QStringLiteral("is_archived");
    case RecordingColumn::AUTOMATICALLY_CREATE_REPORT:
        return QStringLiteral("automatically_create_report");
    case RecordingColumn::IS_START_RECONDING_ALLOWED:
        return QStringLiteral("is_start_reconding_allowed");
    case RecordingColumn::NUMBER_OF_RECORDSETS:
        return QStringLiteral("number_of_recordsets");
    }
    return QString();
}

QString tableNameRecordingHasSignalColumn()
{
    return QStringLiteral("recording_has_signal_column");
}

QString columnNameRecordingHasSignalColumn(RecordingHasSignalColumnColumn column)
{
    switch (column) {
    case RecordingHasSignalColumnColumn::RECORDING_ID:
        return QStringLiteral("recording_id");
    case RecordingHasSignalColumnColumn::SIGNAL_ID:
        return QStringLiteral("signal_id");
    case RecordingHasSignalColumnColumn::RECORDSET_SIGNAL_COLUMN:
        return QStringLiteral("recordset_signal_column");
    }
    return QString();
}

QString tableNameRoom()
{
    return QStringLiteral("room");
}

QString columnNameRoom(RoomColumn column)
{
    switch (column) {
    case RoomColumn::ID:
        return QStringLiteral("id");
    case RoomColumn::ROOM_NAME:
        return QStringLiteral("room_name");
    case RoomColumn::IMAGE_PATH:
        return QStringLiteral("image_path");
    case RoomColumn::IMAGE_SCALE:
        return QStringLiteral("image_scale");
    }
    return QString();
}

QString tableNameRoomChamberPosition()
{
    return QStringLiteral("room_chamber_position");
}

QString columnNameRoomChamberPosition(RoomChamberPositionColumn column)
{
    switch (column) {
    case RoomChamberPositionColumn::CHAMBER_ID:
        return QStringLiteral("chamber_id");
    case RoomChamberPositionColumn::ROOM_ID:
        return QStringLiteral("room_id");
    case RoomChamberPositionColumn::CHAMBER_POS_X:
        return QStringLiteral("chamber_pos_x");
    case RoomChamberPositionColumn::CHAMBER_POS_Y:
        return QStringLiteral("chamber_pos_y");
    }
    return QString();
}

QString tableNameUserHasChamberSignalVisibilityPreference()
{
    return QStringLiteral("user_has_chamber_signal_visibility_preference");
}

QString columnNameUserHasChamberSignalVisibilityPreference(UserHasChamberSignalVisibilityPreferenceColumn column)
{
    switch (column) {
    case UserHasChamberSignalVisibilityPreferenceColumn::USER_ID:
        return QStringLiteral("user_id");
    case UserHasChamberSignalVisibilityPreferenceColumn::CHAMBER_ID:
        return QStringLiteral("chamber_id");
    case UserHasChamberSignalVisibilityPreferenceColumn::SIGNAL_ID:
        return QStringLiteral("signal_id");
    case UserHasChamberSignalVisibilityPreferenceColumn::POSITION:
        return QStringLiteral("position");
    }
    return QString();
}

QString tableNameUserPreferences()
{
    return QStringLiteral("user_preferences");
}

QString columnNameUserPreferences(UserPreferencesColumn column)
{
    switch (column) {
    case UserPreferencesColumn::USER_ID:
        return QStringLiteral("user_id");
    case UserPreferencesColumn::DEFAULT_FILE_FORMAT:
        return QStringLiteral("default_file_format");
    case UserPreferencesColumn::LOCALIZATION:
        return QStringLiteral("localization");
    case UserPreferencesColumn::TIME_FORMAT:
        return QStringLiteral("time_format");
    case UserPreferencesColumn::DATE_FORMAT:
        return QStringLiteral("date_format");
    case UserPreferencesColumn::DECIMAL_FORMAT:
        return QStringLiteral("decimal_format");
    case UserPreferencesColumn::TEMPERATURE_UNIT:
        return QStringLiteral("temperature_unit");
    case UserPreferencesColumn::HUMIDITY_UNIT:
        return QStringLiteral("humidity_unit");
    }
    return QString();
}

QString tableNameUserRecordingConfig()
{
    return QStringLiteral("user_recording_config");
}

QString columnNameUserRecordingConfig(UserRecordingConfigColumn column)
{
    switch (column) {
    case UserRecordingConfigColumn::USER_ID:
        return QStringLiteral("user_id");
    case UserRecordingConfigColumn::RECORDING_ID:
        return QStringLiteral("recording_id");
    case UserRecordingConfigColumn::CONFIG:
        return QStringLiteral("config");
    }
    return QString();
}

QString tableNameActivityAccess()
{
    return QStringLiteral("activity_access");
}

QString columnNameActivityAccess(ActivityAccessColumn column)
{
    switch (column) {
    case ActivityAccessColumn::COMPONENT_ID:
        return QStringLiteral("component_id");
    case ActivityAccessColumn::ACTIVITY_ID:
        return QStringLiteral("activity_id");
    case ActivityAccessColumn::MIN_USER_LEVEL:
        return QStringLiteral("min_user_level");
    }
    return QString();
}

QString tableNameAdditionalInfo()
{
    return QStringLiteral("additional_info");
}

QString columnNameAdditionalInfo(AdditionalInfoColumn column)
{
    switch (column) {
    case AdditionalInfoColumn::ID:
        return QStringLiteral("id");
    case AdditionalInfoColumn::ARTICLE_NR:
        return QStringLiteral("article_nr");
    case AdditionalInfoColumn::INFO:
        return QStringLiteral("info");
    }
    return QString();
}

QString tableNameChamberType()
{
    return QStringLiteral("chamber_type");
}

QString columnNameChamberType(ChamberTypeColumn column)
{
    switch (column) {
    case ChamberTypeColumn::ID:
        return QStringLiteral("id");
    case ChamberTypeColumn::TYPE:
        return QStringLiteral("type");
    case ChamberTypeColumn::DEVELOPEMENT_STATE:
        return QStringLiteral("developement_state");
    case ChamberTypeColumn::SIZE:
        return QStringLiteral("size");
    case ChamberTypeColumn::VOLTAGE:
        return QStringLiteral("voltage");
    case ChamberTypeColumn::IMAGE:
        return QStringLiteral("image");
    case ChamberTypeColumn::DESCRIPTION:
        return QStringLiteral("description");
    case ChamberTypeColumn::FIRMWARE_START:
        return QStringLiteral("firmware_start");
    case ChamberTypeColumn::FIRMWARE_ENDE:
        return QStringLiteral("firmware_ende");
    case ChamberTypeColumn::SETUP_KENNUNG:
        return QStringLiteral("setup_kennung");
    case ChamberTypeColumn::SETUP_VERSION_START:
        return QStringLiteral("setup_version_start");
    case ChamberTypeColumn::SETUP_VERSION_ENDE:
        return QStringLiteral("setup_version_ende");
    case ChamberTypeColumn::KENNUNG_PROGRAMME:
        return QStringLiteral("kennung_programme");
    case ChamberTypeColumn::CONTROLLER_ID:
        return QStringLiteral("controller_id");
    }
    return QString();
}

QString tableNameChamberTypeHasAdditionalInfo()
{
    return QStringLiteral("chamber_type_has_additional_info");
}

QString columnNameChamberTypeHasAdditionalInfo(ChamberTypeHasAdditionalInfoColumn column)
{
    switch (column) {
    case ChamberTypeHasAdditionalInfoColumn::CHAMBER_TYPE_ID:
        return QStringLiteral("chamber_type_id");
    case ChamberTypeHasAdditionalInfoColumn::ADDITIONAL_INFO_ID:
        return QStringLiteral("additional_info_id");
    }
    return QString();
}

QString tableNameChamberTypeHasControlSignals()
{
    return QStringLiteral("chamber_type_has_control_signals");
}

QString columnNameChamberTypeHasControlSignals(ChamberTypeHasControlSignalsColumn column)
{
    switch (column) {
    case ChamberTypeHasControlSignalsColumn::CHAMBER_TYPE_ID:
        return QStringLiteral("chamber_type_id");
    case ChamberTypeHasControlSignalsColumn::CONTROL_SIGNALS_ID:
        return QStringLiteral("control_signals_id");
    }
    return QString();
}

QString tableNameChamberTypeHasDataloggerSignal()
{
    return QStringLiteral("chamber_type_has_datalogger_signal");
}

QString columnNameChamberTypeHasDataloggerSignal(ChamberTypeHasDataloggerSignalColumn column)
{
    switch (column) {
    case ChamberTypeHasDataloggerSignalColumn::CHAMBER_TYPE_ID:
        return QStringLiteral("chamber_type_id");
    case ChamberTypeHasDataloggerSignalColumn::DATALOGGER_SIGNAL_ID:
        return QStringLiteral("datalogger_signal_id");
    case ChamberTypeHasDataloggerSignalColumn::CHANNEL:
        return QStringLiteral("channel");
    }
    return QString();
}

QString tableNameChamberTypeHasOptions()
{
    return QStringLiteral("chamber_type_has_options");
}

QString columnNameChamberTypeHasOptions(ChamberTypeHasOptionsColumn column)
{
    switch (column) {
    case ChamberTypeHasOptionsColumn::CHAMBER_TYPE_ID:
        return QStringLiteral("chamber_type_id");
    case ChamberTypeHasOptionsColumn::OPTIONS_ID:
        return QStringLiteral("options_id");
    }
    return QString();
}

QString tableNameChamberTypeHasProtocol()
{
    return QStringLiteral("chamber_type_has_protocol");
}

QString columnNameChamberTypeHasProtocol(ChamberTypeHasProtocolColumn column)
{
    switch (column) {
    case ChamberTypeHasProtocolColumn::CHAMBER_TYPE_ID:
        return QStringLiteral("chamber_type_id");
    case ChamberTypeHasProtocolColumn::PROTOCOL_ID:
        return QStringLiteral("protocol_id");
    }
    return QString();
}

QString tableNameChamberTypeHasSignal()
{
    return QStringLiteral("chamber_type_has_signal");
}

QString columnNameChamberTypeHasSignal(ChamberTypeHasSignalColumn column)
{
    switch (column) {
    case ChamberTypeHasSignalColumn::CHAMBER_TYPE_ID:
        return QStringLiteral("chamber_type_id");
    case ChamberTypeHasSignalColumn::SIGNAL_ID:
        return QStringLiteral("signal_id");
    }
    return QString();
}

QString tableNameChamberTypeHasToleranceRange()
{
    return QStringLiteral("chamber_type_has_tolerance_range");
}

QString columnNameChamberTypeHasToleranceRange(ChamberTypeHasToleranceRangeColumn column)
{
    switch (column) {
    case ChamberTypeHasToleranceRangeColumn::CHAMBER_TYPE_ID:
        return QStringLiteral("chamber_type_id");
    case ChamberTypeHasToleranceRangeColumn::TOLERANCE_RANGE_ID:
        return QStringLiteral("tolerance_range_id");
    }
    return QString();
}

QString tableNameControlSignals()
{
    return QStringLiteral("control_signals");
}

QString columnNameControlSignals(ControlSignalsColumn column)
{
    switch (column) {
    case ControlSignalsColumn::ID:
        return QStringLiteral("id");
    case ControlSignalsColumn::NAME:
        return QStringLiteral("name");
    case ControlSignalsColumn::BITPOSITION:
        return QStringLiteral("bitposition");
    case ControlSignalsColumn::USERLEVEL:
        return QStringLiteral("userlevel");
    case ControlSignalsColumn::READ:
        return QStringLiteral("read");
    case ControlSignalsColumn::WRITE:
        return QStringLiteral("write");
    }
    return QString();
}

QString tableNameController()
{
    return QStringLiteral("controller");
}

QString columnNameController(ControllerColumn column)
{
    switch (column) {
    case ControllerColumn::ID:
        return QStringLiteral("id");
    case ControllerColumn::TYPE:
        return QStringLiteral("type");
    }
    return QString();
}

QString tableNameControllerData()
{
    return QStringLiteral("controller_data");
}

QString columnNameControllerData(ControllerDataColumn column)
{
    switch (column) {
    case ControllerDataColumn::ID:
        return QStringLiteral("id");
    case ControllerDataColumn::ADDRESS:
        return QStringLiteral("address");
    case ControllerDataColumn::ACCESS:
        return QStringLiteral("access");
    case ControllerDataColumn::VARIABLE_TYPE:
        return QStringLiteral("variable_type");
    case ControllerDataColumn::SET_POINT_NR:
        return QStringLiteral("set_point_nr");
    case ControllerDataColumn::DESCRIPTION:
        return QStringLiteral("description");
    case ControllerDataColumn::ADDRESS_TYPE:
        return QStringLiteral("address_type");
    case ControllerDataColumn::CONTROLLER_ID:
        return QStringLiteral("controller_id");
    case ControllerDataColumn::COMMENT:
        return QStringLiteral("comment");
    }
    return QString();
}

QString tableNameOptions()
{
    return QStringLiteral("options");
}

QString columnNameOptions(OptionsColumn column)
{
    switch (column) {
    case OptionsColumn::ID:
        return QStringLiteral("id");
    case OptionsColumn::NAME:
        return QStringLiteral("name");
    case OptionsColumn::FIX:
        return QStringLiteral("fix");
    }
    return QString();
}

QString tableNameProtocol()
{
    return QStringLiteral("protocol");
}

QString tableNameSignal()
{
    return QStringLiteral("signal");
}

QString columnNameSignal(SignalColumn column)
{
    switch (column) {
    case SignalColumn::ID:
        return QStringLiteral("id");
    case SignalColumn::NAME:
        return QStringLiteral("name");
    case SignalColumn::UNIT:
        return QStringLiteral("unit");
    case SignalColumn::USER_LEVEL:
        return QStringLiteral("user_level");
    case SignalColumn::LIMIT_MIN:
        return QStringLiteral("limit_min");
    case SignalColumn::LIMIT_MAX:
        return QStringLiteral("limit_max");
    case SignalColumn::BITPOSITION:
        return QStringLiteral("bitposition");
    case SignalColumn::TIME_PROGRAMMABLE:
        return QStringLiteral("time_programmable");
    case SignalColumn::WEEK_PROGRAMMABLE:
        return QStringLiteral("week_programmable");
    case SignalColumn::VALUE_TYPE:
        return QStringLiteral("value_type");
    case SignalColumn::SIGNAL_TYPE:
        return QStringLiteral("signal_type");
    case SignalColumn::SET_POINT_SIGNAL:
        return QStringLiteral("set_point_signal");
    case SignalColumn::READ:
        return QStringLiteral("read");
    case SignalColumn::WRITE_BASIC:
        return QStringLiteral("write_basic");
    case SignalColumn::WRITE_MANUAL:
        return QStringLiteral("write_manual");
    case SignalColumn::WRITE_AUTO:
        return QStringLiteral("write_auto");
    }
    return QString();
}

QString tableNameToleranceRange()
{
    return QStringLiteral("tolerance_range");
}

QString columnNameToleranceRange(ToleranceRangeColumn column)
{
    switch (column) {
    case ToleranceRangeColumn::ID:
        return QStringLiteral("id");
    case ToleranceRangeColumn::NAME:
        return QStringLiteral("name");
    case ToleranceRangeColumn::SET_POINT:
        return QStringLiteral("set_point");
    case ToleranceRangeColumn::PROCESS_VALUE:
        return QStringLiteral("process_value");
    case ToleranceRangeColumn::RANGE_MIN:
        return QStringLiteral("range_min");
    case ToleranceRangeColumn::RANGE_MAX:
        return QStringLiteral("range_max");
    case ToleranceRangeColumn::DELAY1:
        return QStringLiteral("delay1");
    case ToleranceRangeColumn::DELAY2:
        return QStringLiteral("delay2");
    }
    return QString();
}

QString tableNameValueType()
{
    return QStringLiteral("value_type");
}

QString columnNameValueType(ValueTypeColumn column)
{
    switch (column) {
    case ValueTypeColumn::ID:
        return QStringLiteral("id");
    case ValueTypeColumn::NAME:
        return QStringLiteral("name");
    case ValueTypeColumn::DECIMAL_PLACES:
        return QStringLiteral("decimal_places");
    case ValueTypeColumn::COLOR:
        return QStringLiteral("color");
    }
    return QString();
}

} // namespace quelta::base::connection::databaseconnection
