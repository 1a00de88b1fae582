#include "support/datadatabase.h"

#include "support/cataloguebuilder.h"
#include "support/encrypteddatabase.h"

namespace quelta::test {

namespace {

// Foreign keys without an action refuse to delete a row that others still
// refer to. The chamber's own subscriptions, delays and signal names go with
// it instead, so that a later chamber that gets its id inherits none of them.
// Alarm ids are never reused: a record held elsewhere must not come to name
// a later alarm.
const char Schema[] = R"(
CREATE TABLE IF NOT EXISTS chamber (id INTEGER PRIMARY KEY NOT NULL, chamber_type_id INTEGER,
    chamber_type_additional_info_id INTEGER, serial_no TEXT, is_archived BOOLEAN, is_subscribed BOOLEAN,
    is_active BOOLEAN, chamber_name TEXT, ip_v4_address TEXT UNIQUE, ip_v6_address TEXT UNIQUE,
    mac_address TEXT UNIQUE, modbus_address INTEGER, com_port TEXT, parity INTEGER, baud_rate INTEGER,
    data_bits INTEGER, stop_bits INTEGER,
    -- stores' own
    protocol_id INTEGER, converter_id INTEGER);
CREATE TABLE IF NOT EXISTS global_settings (id INTEGER PRIMARY KEY NOT NULL, event_do_repeat INTEGER,
    event_repetition_interval INTEGER, report_creation_interval INTEGER, base_password TEXT,
    quick_recording_name_template TEXT, quick_recording_seconds_interval INTEGER,
    resume_recordings_on_startup INTEGER,
    -- stores' own
    report_language INTEGER, report_file_format INTEGER, report_file_prefix TEXT, report_file_path TEXT,
    report_header_logo_path TEXT, report_header_logo_position INTEGER, report_header_title TEXT,
    report_watermark_path TEXT, report_enabled_chapters INTEGER, report_watermark_text TEXT,
    access_control_active BOOLEAN, password_validity_period INTEGER, screen_lock_timeout INTEGER,
    smtp_server TEXT, smtp_port INTEGER, smtp_connection_type INTEGER, smtp_username TEXT, smtp_password TEXT,
    smtp_sender TEXT, prealarm_seconds_delay INTEGER, backup_interval INTEGER, backup_time_of_day TEXT,
    backup_day_of_x INTEGER, backup_path TEXT, backup_password TEXT, backup_keep_strategy INTEGER,
    backup_keep_num INTEGER, max_number_of_allowed_failed_logins INTEGER, quelta_ip_address TEXT,
    quelta_port INTEGER, quelta_num_connection_attempts INTEGER, quelta_is_active BOOLEAN,
    tocsa_ip_address TEXT, tocsa_port INTEGER, tocsa_num_connection_attempts INTEGER, tocsa_is_active BOOLEAN);
CREATE TABLE IF NOT EXISTS room (id INTEGER PRIMARY KEY NOT NULL, room_name TEXT, image_path TEXT,
    image_scale REAL);
CREATE TABLE IF NOT EXISTS application_user (id INTEGER PRIMARY KEY NOT NULL, login_name TEXT, mail_address TEXT,
    password_hash BLOB, password_salt BLOB, password_creation_time DATETIME, password_is_temporary BOOLEAN,
    user_level INTEGER, number_failed_login_attempts INTEGER, is_banned BOOLEAN,
    password_expiration_time DATETIME, first_name TEXT, last_name TEXT,
    -- stores' own
    is_deleted BOOLEAN);
CREATE TABLE IF NOT EXISTS log_entry (id INTEGER PRIMARY KEY NOT NULL, creation_time DATETIME,
    event_description TEXT, user_id INTEGER,
    -- stores' own; BLOB keeps each argument's own type
    num_args INTEGER, arg_1 BLOB, arg_2 BLOB, arg_3 BLOB, arg_4 BLOB, arg_5 BLOB, arg_6 BLOB, arg_7 BLOB,
    arg_8 BLOB, arg_9 BLOB, arg_10 BLOB,
    FOREIGN KEY (user_id) REFERENCES application_user (id));
CREATE TABLE IF NOT EXISTS recording (id INTEGER PRIMARY KEY NOT NULL, recording_name TEXT, user_id INTEGER,
    free_text TEXT, chamber_id INTEGER, start_time DATETIME, end_time DATETIME, seconds_interval INTEGER,
    is_archived BOOLEAN, additional_info TEXT, automatically_create_report BOOLEAN, is_active BOOLEAN,
    number_of_recordsets INTEGER,
    -- stores' own
    is_start_reconding_allowed BOOLEAN,
    FOREIGN KEY (user_id) REFERENCES application_user (id), FOREIGN KEY (chamber_id) REFERENCES chamber (id));
CREATE TABLE IF NOT EXISTS meta_recording_has_recording (meta_recording_id INTEGER NOT NULL,
    recording_id INTEGER NOT NULL,
    FOREIGN KEY (meta_recording_id) REFERENCES recording (id), FOREIGN KEY (recording_id) REFERENCES recording (id));
CREATE TABLE IF NOT EXISTS record_set (id INTEGER PRIMARY KEY NOT NULL, record_time DATETIME,
    is_retrieved_from_chamber BOOLEAN, recording_id INTEGER NOT NULL,
    signal_1 REAL, signal_2 REAL, signal_3 REAL, signal_4 REAL, signal_5 REAL, signal_6 REAL, signal_7 REAL,
    signal_8 REAL, signal_9 REAL, signal_10 REAL, signal_11 REAL, signal_12 REAL, signal_13 REAL, signal_14 REAL,
    signal_15 REAL, signal_16 REAL, signal_17 REAL, signal_18 REAL, signal_19 REAL, signal_20 REAL, signal_21 REAL,
    signal_22 REAL, signal_23 REAL, signal_24 REAL, signal_25 REAL, signal_26 REAL, signal_27 REAL, signal_28 REAL,
    signal_29 REAL, signal_30 REAL, signal_31 REAL, signal_32 REAL, signal_33 REAL, signal_34 REAL, signal_35 REAL,
    signal_36 REAL, signal_37 REAL, signal_38 REAL, signal_39 REAL, signal_40 REAL, signal_41 REAL, signal_42 REAL,
    signal_43 REAL, signal_44 REAL, signal_45 REAL, signal_46 REAL, signal_47 REAL, signal_48 REAL,
    -- stores' own
    alarm_type INTEGER, camera_image_path TEXT, chamber_mode INTEGER,
    FOREIGN KEY (recording_id) REFERENCES recording (id));
CREATE TABLE IF NOT EXISTS record_set_comment (recordset_id INTEGER PRIMARY KEY NOT NULL UNIQUE, user_id INTEGER,
    creation_time DATETIME, comment_text TEXT,
    FOREIGN KEY (recordset_id) REFERENCES record_set (id));
CREATE TABLE IF NOT EXISTS room_chamber_position (chamber_id INTEGER PRIMARY KEY NOT NULL, room_id INTEGER,
    chamber_pos_x REAL, chamber_pos_y REAL,
    FOREIGN KEY (chamber_id) REFERENCES chamber (id), FOREIGN KEY (room_id) REFERENCES room (id));
CREATE TABLE IF NOT EXISTS tolerance_range (effective_from DATETIME NOT NULL, chamber_id INTEGER NOT NULL,
    signal_id INTEGER NOT NULL, range_type INTEGER, range_min REAL, range_max REAL,
    FOREIGN KEY (chamber_id) REFERENCES chamber (id), PRIMARY KEY (effective_from, chamber_id, signal_id));
CREATE TABLE IF NOT EXISTS user_has_chamber_signal_visibility_preference (user_id INTEGER NOT NULL,
    chamber_id INTEGER NOT NULL, signal_id INTEGER NOT NULL,
    -- stores' own
    position INTEGER,
    FOREIGN KEY (user_id) REFERENCES application_user (id), FOREIGN KEY (chamber_id) REFERENCES chamber (id));
CREATE TABLE IF NOT EXISTS user_preferences (user_id INTEGER PRIMARY KEY NOT NULL, default_file_format INTEGER,
    localization INTEGER, time_format INTEGER, date_format INTEGER, decimal_format INTEGER,
    temperature_unit INTEGER, humidity_unit INTEGER,
    FOREIGN KEY (user_id) REFERENCES application_user (id));

CREATE TABLE IF NOT EXISTS chamber_has_subscribed_signal (chamber_id INTEGER NOT NULL, signal_id INTEGER NOT NULL,
    PRIMARY KEY (chamber_id, signal_id), FOREIGN KEY (chamber_id) REFERENCES chamber (id) ON DELETE CASCADE);
CREATE TABLE IF NOT EXISTS chamber_has_signal_delay (chamber_id INTEGER NOT NULL, signal_id INTEGER NOT NULL,
    delay1_in_seconds INTEGER, delay2_in_seconds INTEGER,
    PRIMARY KEY (chamber_id, signal_id), FOREIGN KEY (chamber_id) REFERENCES chamber (id) ON DELETE CASCADE);
CREATE TABLE IF NOT EXISTS chamber_has_custom_signal_name (chamber_id INTEGER NOT NULL, signal_id INTEGER NOT NULL,
    signal_name TEXT,
    PRIMARY KEY (chamber_id, signal_id), FOREIGN KEY (chamber_id) REFERENCES chamber (id) ON DELETE CASCADE);
CREATE TABLE IF NOT EXISTS application_alarm (id INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL,
    alarm_timestamp DATETIME, alarm_type INTEGER, is_active BOOLEAN, alarm_status INTEGER, user_id INTEGER,
    alarm_name TEXT, short_description TEXT, num_short_desc_args INTEGER, short_desc_arg_1 BLOB,
    short_desc_arg_2 BLOB, description TEXT, chamber_id INTEGER);
CREATE TABLE IF NOT EXISTS alarm_has_signal (alarm_id INTEGER NOT NULL, signal_id INTEGER NOT NULL,
    FOREIGN KEY (alarm_id) REFERENCES application_alarm (id));
CREATE TABLE IF NOT EXISTS mail_recipient (id INTEGER PRIMARY KEY NOT NULL, mail_address TEXT);
CREATE TABLE IF NOT EXISTS user_recording_config (user_id INTEGER NOT NULL, recording_id INTEGER NOT NULL,
    config TEXT, PRIMARY KEY (user_id, recording_id));
CREATE TABLE IF NOT EXISTS recording_has_signal_column (recording_id INTEGER NOT NULL, signal_id INTEGER NOT NULL,
    recordset_signal_column INTEGER NOT NULL,
    PRIMARY KEY (recording_id, signal_id), FOREIGN KEY (recording_id) REFERENCES recording (id));
CREATE TABLE IF NOT EXISTS camera (id INTEGER PRIMARY KEY NOT NULL, ip_v4_address TEXT, ip_v6_address TEXT,
    usb_port TEXT, recording_id INTEGER, recording_interval INTEGER);
CREATE TABLE IF NOT EXISTS program (id INTEGER PRIMARY KEY NOT NULL, program_name TEXT, user_id INTEGER,
    info_text TEXT, program_type INTEGER, edited BOOLEAN, chamber_type_id INTEGER);
CREATE TABLE IF NOT EXISTS program_step (id INTEGER PRIMARY KEY NOT NULL, program_id INTEGER NOT NULL,
    order_number INTEGER NOT NULL, step_type INTEGER NOT NULL, section_id INTEGER, sub_program_id INTEGER,
    FOREIGN KEY (program_id) REFERENCES program (id), FOREIGN KEY (sub_program_id) REFERENCES program (id),
    FOREIGN KEY (section_id) REFERENCES program_section (id));
CREATE TABLE IF NOT EXISTS program_section (id INTEGER PRIMARY KEY NOT NULL, duration_in_seconds INTEGER,
    transition_type INTEGER, breakpoint BOOLEAN, program_event_message TEXT);
CREATE TABLE IF NOT EXISTS program_setpoint (program_section_id INTEGER NOT NULL, signal_id INTEGER NOT NULL,
    setpoint REAL, tolerance_range_min REAL, tolerance_range_max REAL,
    FOREIGN KEY (program_section_id) REFERENCES program_section (id), PRIMARY KEY (program_section_id, signal_id));
CREATE TABLE IF NOT EXISTS program_step_repetition (id INTEGER PRIMARY KEY NOT NULL, program_id INTEGER NOT NULL,
    start_step_id INTEGER NOT NULL, end_step_id INTEGER NOT NULL, num_repetitions INTEGER,
    FOREIGN KEY (program_id) REFERENCES program (id), FOREIGN KEY (start_step_id) REFERENCES program_step (id),
    FOREIGN KEY (end_step_id) REFERENCES program_step (id));
-- The access rights, which belong to the configuration database.
CREATE TABLE IF NOT EXISTS activity_access (component_id INTEGER, activity_id INTEGER, min_user_level INTEGER);
CREATE TABLE IF NOT EXISTS database_version_info (version INTEGER);
)";

QString dataScript()
{
    return dataSchema()
        + QStringLiteral("INSERT INTO database_version_info (version) VALUES (%1);").arg(DataSchemaVersion);
}

} // namespace

QString dataSchema()
{
    return QString::fromUtf8(Schema);
}

QString createDataDatabase(const QString &path, const QString &key)
{
    return createEncryptedDatabase(path, dataScript(), key);
}

QString createDataDatabaseWithCatalogue(const QString &path, const CatalogueContent &catalogue, const QString &key)
{
    const QString failure = CatalogueBuilder::create(path, catalogue, key);
    return failure.isEmpty() ? runSqlScript(path, dataScript(), key) : failure;
}

} // namespace quelta::test
