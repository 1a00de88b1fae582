#include "support/cataloguebuilder.h"

#include "connection/database/core/sqliteconnection.h"
#include "connection/database/core/sqlquery.h"
#include "support/encrypteddatabase.h"

#include <QtCore/QAtomicInt>
#include <QtCore/QFile>
#include <QtCore/QSharedPointer>

namespace quelta::test {

namespace {

using base::connection::databaseconnection::SqliteConnection;
using base::connection::databaseconnection::SqlQuery;

// (table, CREATE TABLE statement). No foreign keys, so that tests can write
// rows that refer to nothing.
const QList<QPair<QString, QString>> &schema()
{
    static const QList<QPair<QString, QString>> tables{
        {"controller", "CREATE TABLE controller (id INTEGER PRIMARY KEY, type TEXT)"},
        {"protocol", "CREATE TABLE protocol (id INTEGER PRIMARY KEY, name TEXT)"},
        {"additional_info", "CREATE TABLE additional_info (id INTEGER PRIMARY KEY, article_nr TEXT, info TEXT)"},
        {"value_type",
         "CREATE TABLE value_type (id INTEGER PRIMARY KEY, name TEXT, decimal_places INTEGER, color TEXT)"},
        {"controller_data",
         "CREATE TABLE controller_data (id INTEGER PRIMARY KEY, address TEXT, address_type TEXT, access TEXT, "
         "variable_type TEXT, set_point_nr INTEGER, description TEXT, controller_id INTEGER, comment TEXT)"},
        {"signal",
         "CREATE TABLE signal (id INTEGER PRIMARY KEY, name TEXT, read INTEGER, write_basic INTEGER, "
         "write_manual INTEGER, write_auto INTEGER, unit TEXT, user_level INTEGER, limit_min REAL, "
         "limit_max REAL, bitposition INTEGER, signal_type TEXT, value_type INTEGER, set_point_signal INTEGER, "
         "time_programmable BOOLEAN, week_programmable BOOLEAN)"},
        {"control_signals",
         "CREATE TABLE control_signals (id INTEGER PRIMARY KEY, name TEXT, bitposition INTEGER, "
         "userlevel INTEGER, read INTEGER, write INTEGER)"},
        {"options", "CREATE TABLE options (id INTEGER PRIMARY KEY, name TEXT, fix BOOLEAN)"},
        {"tolerance_range",
         "CREATE TABLE tolerance_range (id INTEGER PRIMARY KEY, name TEXT, set_point INTEGER, "
         "process_value INTEGER, range_min REAL, range_max REAL, delay1 INTEGER, delay2 INTEGER)"},
        {"chamber_type",
         "CREATE TABLE chamber_type (id INTEGER PRIMARY KEY, type TEXT, developement_state TEXT, size INTEGER, "
         "voltage TEXT, image TEXT, description TEXT, firmware_start TEXT, firmware_ende TEXT, "
         "setup_kennung TEXT, setup_version_start INTEGER, setup_version_ende INTEGER, "
         "kennung_programme TEXT, controller_id INTEGER)"},
        {"chamber_type_has_additional_info",
         "CREATE TABLE chamber_type_has_additional_info (chamber_type_id INTEGER NOT NULL, "
         "additional_info_id INTEGER NOT NULL, PRIMARY KEY (chamber_type_id, additional_info_id))"},
        {"chamber_type_has_protocol",
         "CREATE TABLE chamber_type_has_protocol (chamber_type_id INTEGER NOT NULL, protocol_id INTEGER NOT NULL, "
         "PRIMARY KEY (chamber_type_id, protocol_id))"},
        {"chamber_type_has_signal",
         "CREATE TABLE chamber_type_has_signal (chamber_type_id INTEGER NOT NULL, signal_id INTEGER NOT NULL, "
         "PRIMARY KEY (chamber_type_id, signal_id))"},
        {"chamber_type_has_control_signals",
         "CREATE TABLE chamber_type_has_control_signals (chamber_type_id INTEGER NOT NULL, "
         "control_signals_id INTEGER NOT NULL, PRIMARY KEY (chamber_type_id, control_signals_id))"},
        {"chamber_type_has_options",
         "CREATE TABLE chamber_type_has_options (chamber_type_id INTEGER NOT NULL, options_id INTEGER NOT NULL, "
         "PRIMARY KEY (chamber_type_id, options_id))"},
        {"chamber_type_has_tolerance_range",
         "CREATE TABLE chamber_type_has_tolerance_range (chamber_type_id INTEGER NOT NULL, "
         "tolerance_range_id INTEGER NOT NULL, PRIMARY KEY (chamber_type_id, tolerance_range_id))"},
        {"chamber_type_has_datalogger_signal",
         "CREATE TABLE chamber_type_has_datalogger_signal (chamber_type_id INTEGER NOT NULL, "
         "datalogger_signal_id INTEGER NOT NULL, channel INTEGER NOT NULL, "
         "PRIMARY KEY (chamber_type_id, channel))"},
    };
    return tables;
}

// SQLite binds at most 999 values per statement.
constexpr int MaxValuesPerStatement = 900;
// Statements per transaction, so that a large catalogue is not held in
// memory as a whole.
constexpr int StatementsPerTransaction = 200;

QString uniqueConnectionName()
{
    static QAtomicInt counter;
    return QStringLiteral("catalogueBuilder%1").arg(counter.fetchAndAddRelaxed(1));
}

class RowWriter
{
public:
    explicit RowWriter(SqliteConnection &connection)
        : m_connection(connection)
    {
    }

    bool write(const QString &table, const QStringList &columns, const QList<QVariantList> &rows)
    {
        const int rowsPerStatement = qMax(1, MaxValuesPerStatement / columns.size());
        QList<QSharedPointer<domain::api::ISqlQuery>> statements;
        for (int first = 0; first < rows.size(); first += rowsPerStatement) {
            auto statement = QSharedPointer<SqlQuery>::create();
            statement->insertInto(table).columns(columns);
            const int last = qMin(rows.size(), first + rowsPerStatement);
            for (int row = first; row < last; ++row)
                statement->values(rows.at(row), row == first);
            statements.append(statement);
            if (statements.size() == StatementsPerTransaction) {
                if (!m_connection.executeTransaction(statements))
                    return false;
                statements.clear();
            }
        }
        return m_connection.executeTransaction(statements);
    }

private:
    SqliteConnection &m_connection;
};

QVariant nullable(const QString &text)
{
    return text.isNull() ? QVariant() : QVariant(text);
}

bool writeContent(SqliteConnection &connection, const CatalogueContent &content)
{
    RowWriter writer(connection);
    QList<QVariantList> rows;

    for (const CatalogueController &controller : content.controllers)
        rows.append({controller.id, nullable(controller.type)});
    if (!writer.write("controller", {"id", "type"}, rows))
        return false;

    rows.clear();
    for (const CatalogueProtocol &protocol : content.protocols)
        rows.append({protocol.id, nullable(protocol.name)});
    if (!writer.write("protocol", {"id", "name"}, rows))
        return false;

    rows.clear();
    for (const CatalogueAdditionalInfo &info : content.additionalInfos)
        rows.append({info.id, nullable(info.articleNr), nullable(info.info)});
    if (!writer.write("additional_info", {"id", "article_nr", "info"}, rows))
        return false;

    rows.clear();
    for (const CatalogueValueType &valueType : content.valueTypes)
        rows.append({valueType.id, nullable(valueType.name), valueType.decimalPlaces, nullable(valueType.color)});
    if (!writer.write("value_type", {"id", "name", "decimal_places", "color"}, rows))
        return false;

    rows.clear();
    for (const CatalogueDescriptor &descriptor : content.descriptors) {
        rows.append({descriptor.id, nullable(descriptor.address), nullable(descriptor.addressType),
                     nullable(descriptor.access), nullable(descriptor.variableType), descriptor.setPointNr,
                     nullable(descriptor.description), descriptor.controllerId, nullable(descriptor.comment)});
    }
    if (!writer.write("controller_data",
                      {"id", "address", "address_type", "access", "variable_type", "set_point_nr", "description",
                       "controller_id", "comment"},
                      rows)) {
        return false;
    }

    rows.clear();
    for (const CatalogueSignal &signal : content.signalRows) {
        rows.append({signal.id, nullable(signal.name), signal.read, signal.writeBasic, signal.writeManual,
                     signal.writeAuto, nullable(signal.unit), signal.userLevel, signal.limitMin, signal.limitMax,
                     signal.bitposition, nullable(signal.signalType), signal.valueType, signal.setPointSignal,
                     signal.timeProgrammable, signal.weekProgrammable});
    }
    if (!writer.write("signal",
                      {"id", "name", "read", "write_basic", "write_manual", "write_auto", "unit", "user_level",
                       "limit_min", "limit_max", "bitposition", "signal_type", "value_type", "set_point_signal",
                       "time_programmable", "week_programmable"},
                      rows)) {
        return false;
    }

    rows.clear();
    for (const CatalogueControlSignal &controlSignal : content.controlSignals) {
        rows.append({controlSignal.id, nullable(controlSignal.name), controlSignal.bitposition,
                     controlSignal.userlevel, controlSignal.read, controlSignal.write});
    }
    if (!writer.write("control_signals", {"id", "name", "bitposition", "userlevel", "read", "write"}, rows))
        return false;

    rows.clear();
    for (const CatalogueOption &option : content.options)
        rows.append({option.id, nullable(option.name), option.fix});
    if (!writer.write("options", {"id", "name", "fix"}, rows))
        return false;

    rows.clear();
    for (const CatalogueToleranceRange &range : content.toleranceRanges) {
        rows.append({range.id, nullable(range.name), range.setPoint, range.processValue, range.rangeMin,
                     range.rangeMax, range.delay1, range.delay2});
    }
    if (!writer.write("tolerance_range",
                      {"id", "name", "set_point", "process_value", "range_min", "range_max", "delay1", "delay2"},
                      rows)) {
        return false;
    }

    rows.clear();
    QList<QVariantList> protocols, variants, typeSignals, controlSignals, options, ranges, dataloggerSignals;
    for (const CatalogueChamberType &type : content.chamberTypes) {
        rows.append({type.id, nullable(type.type), nullable(type.developementState), type.size,
                     nullable(type.voltage), nullable(type.image), nullable(type.description),
                     nullable(type.firmwareStart), nullable(type.firmwareEnde), nullable(type.setupKennung),
                     type.setupVersionStart, type.setupVersionEnde, nullable(type.kennungProgramme),
                     type.controllerId});
        for (int id : type.protocolIds)
            protocols.append({type.id, id});
        for (quint64 id : type.additionalInfoIds)
            variants.append({type.id, id});
        for (int id : type.signalIds)
            typeSignals.append({type.id, id});
        for (int id : type.controlSignalIds)
            controlSignals.append({type.id, id});
        for (int id : type.optionIds)
            options.append({type.id, id});
        for (int id : type.toleranceRangeIds)
            ranges.append({type.id, id});
        for (const QPair<int, int> &entry : type.dataloggerSignals)
            dataloggerSignals.append({type.id, entry.first, entry.second});
    }
    return writer.write("chamber_type",
                        {"id", "type", "developement_state", "size", "voltage", "image", "description",
                         "firmware_start", "firmware_ende", "setup_kennung", "setup_version_start",
                         "setup_version_ende", "kennung_programme", "controller_id"},
                        rows)
        && writer.write("chamber_type_has_protocol", {"chamber_type_id", "protocol_id"}, protocols)
        && writer.write("chamber_type_has_additional_info", {"chamber_type_id", "additional_info_id"}, variants)
        && writer.write("chamber_type_has_signal", {"chamber_type_id", "signal_id"}, typeSignals)
        && writer.write("chamber_type_has_control_signals", {"chamber_type_id", "control_signals_id"},
                        controlSignals)
        && writer.write("chamber_type_has_options", {"chamber_type_id", "options_id"}, options)
        && writer.write("chamber_type_has_tolerance_range", {"chamber_type_id", "tolerance_range_id"}, ranges)
        && writer.write("chamber_type_has_datalogger_signal",
                        {"chamber_type_id", "datalogger_signal_id", "channel"}, dataloggerSignals);
}

} // namespace

QString CatalogueBuilder::schemaScript(const QStringList &leftOut)
{
    QString script;
    for (const QPair<QString, QString> &table : schema()) {
        if (!leftOut.contains(table.first))
            script += table.second + QLatin1String(";\n");
    }
    return script;
}

QString CatalogueBuilder::create(const QString &path, const CatalogueContent &content, const QString &key)
{
    const QString failure = createEncryptedDatabase(path, schemaScript(), key);
    if (!failure.isEmpty())
        return failure;

    bool written = false;
    {
        SqliteConnection connection(uniqueConnectionName());
        written = connection.open(path, QString(), QString(), key) && writeContent(connection, content);
        connection.close();
    }
    if (!written) {
        QFile::remove(path);
        return QStringLiteral("The catalogue could not be written to %1 (see the log)").arg(path);
    }
    return QString();
}

} // namespace quelta::test
