#include "support/cataloguebuilder.h"

#include "connection/database/core/sqliteconnection.h"
#include "connection/database/core/sqlquery.h"
#include "support/encrypteddatabase.h"

#include <QtCore/QFile>
#include <QtCore/QSharedPointer>

namespace quelta::test {

namespace {

using base::connection::databaseconnection::SqliteConnection;
using base::connection::databaseconnection::SqlQuery;

// The catalogue tables. No foreign keys, so that tests can write rows that
// refer to nothing.
const char Schema[] = R"(
CREATE TABLE controller (id INTEGER PRIMARY KEY, type TEXT);
CREATE TABLE protocol (id INTEGER PRIMARY KEY, name TEXT);
CREATE TABLE additional_info (id INTEGER PRIMARY KEY, article_nr TEXT, info TEXT);
CREATE TABLE value_type (id INTEGER PRIMARY KEY, name TEXT, decimal_places INTEGER, color TEXT);
CREATE TABLE controller_data (id INTEGER PRIMARY KEY, address TEXT, address_type TEXT, access TEXT,
    variable_type TEXT, set_point_nr INTEGER, description TEXT, controller_id INTEGER, comment TEXT);
CREATE TABLE signal (id INTEGER PRIMARY KEY, name TEXT, read INTEGER, write_basic INTEGER, write_manual INTEGER,
    write_auto INTEGER, unit TEXT, user_level INTEGER, limit_min REAL, limit_max REAL, bitposition INTEGER,
    signal_type TEXT, value_type INTEGER, set_point_signal INTEGER, time_programmable BOOLEAN,
    week_programmable BOOLEAN);
CREATE TABLE control_signals (id INTEGER PRIMARY KEY, name TEXT, bitposition INTEGER, userlevel INTEGER,
    read INTEGER, write INTEGER);
CREATE TABLE options (id INTEGER PRIMARY KEY, name TEXT, fix BOOLEAN);
CREATE TABLE tolerance_range (id INTEGER PRIMARY KEY, name TEXT, set_point INTEGER, process_value INTEGER,
    range_min REAL, range_max REAL, delay1 INTEGER, delay2 INTEGER);
CREATE TABLE chamber_type (id INTEGER PRIMARY KEY, type TEXT, developement_state TEXT, size INTEGER, voltage TEXT,
    image TEXT, description TEXT, firmware_start TEXT, firmware_ende TEXT, setup_kennung TEXT,
    setup_version_start INTEGER, setup_version_ende INTEGER, kennung_programme TEXT, controller_id INTEGER);
CREATE TABLE chamber_type_has_additional_info (chamber_type_id INTEGER NOT NULL,
    additional_info_id INTEGER NOT NULL, PRIMARY KEY (chamber_type_id, additional_info_id));
CREATE TABLE chamber_type_has_protocol (chamber_type_id INTEGER NOT NULL, protocol_id INTEGER NOT NULL,
    PRIMARY KEY (chamber_type_id, protocol_id));
CREATE TABLE chamber_type_has_signal (chamber_type_id INTEGER NOT NULL, signal_id INTEGER NOT NULL,
    PRIMARY KEY (chamber_type_id, signal_id));
CREATE TABLE chamber_type_has_control_signals (chamber_type_id INTEGER NOT NULL,
    control_signals_id INTEGER NOT NULL, PRIMARY KEY (chamber_type_id, control_signals_id));
CREATE TABLE chamber_type_has_options (chamber_type_id INTEGER NOT NULL, options_id INTEGER NOT NULL,
    PRIMARY KEY (chamber_type_id, options_id));
CREATE TABLE chamber_type_has_tolerance_range (chamber_type_id INTEGER NOT NULL,
    tolerance_range_id INTEGER NOT NULL, PRIMARY KEY (chamber_type_id, tolerance_range_id));
CREATE TABLE chamber_type_has_datalogger_signal (chamber_type_id INTEGER NOT NULL,
    datalogger_signal_id INTEGER NOT NULL, channel INTEGER NOT NULL, PRIMARY KEY (chamber_type_id, channel));
)";

// SQLite binds at most 999 values per statement.
constexpr int MaxValuesPerStatement = 900;
// Statements per transaction, so that a large catalogue is not held in
// memory as a whole.
constexpr int StatementsPerTransaction = 200;

// Writes rows, each in the column order of its table, through multi-row
// inserts. A null text is written as NULL.
class RowWriter
{
public:
    explicit RowWriter(SqliteConnection &connection)
        : m_connection(connection)
    {
    }

    // One row of values per item.
    template<typename Item, typename ToRow>
    bool write(const QString &table, const QList<Item> &items, ToRow toRow)
    {
        QList<QVariantList> rows;
        for (const Item &item : items)
            rows.append(toRow(item));
        return write(table, rows);
    }

    bool write(const QString &table, const QList<QVariantList> &rows)
    {
        const int rowsPerStatement = rows.isEmpty() ? 1 : qMax(1, MaxValuesPerStatement / rows.first().size());
        QList<QSharedPointer<domain::api::ISqlQuery>> statements;
        for (int first = 0; first < rows.size(); first += rowsPerStatement) {
            auto statement = QSharedPointer<SqlQuery>::create();
            statement->insertInto(table);
            for (int row = first; row < qMin(rows.size(), first + rowsPerStatement); ++row) {
                QVariantList values;
                for (const QVariant &value : rows.at(row))
                    values.append(value.isNull() ? QVariant() : value);
                statement->values(values, row == first);
            }
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

bool writeContent(SqliteConnection &connection, const CatalogueContent &content)
{
    using Type = CatalogueChamberType;
    // The rows of a link table from chamber_type to the ids in the member.
    const auto links = [&content](auto Type::*member) {
        QList<QVariantList> rows;
        for (const Type &type : content.chamberTypes) {
            for (const auto &id : type.*member)
                rows.append({type.id, id});
        }
        return rows;
    };
    QList<QVariantList> dataloggerSignals;
    for (const Type &type : content.chamberTypes) {
        for (const QPair<int, int> &entry : type.dataloggerSignals)
            dataloggerSignals.append({type.id, entry.first, entry.second});
    }
    const auto name = [](const CatalogueName &row) -> QVariantList { return {row.id, row.name}; };

    RowWriter writer(connection);
    return writer.write("controller", content.controllers, name) && writer.write("protocol", content.protocols, name)
        && writer.write("additional_info", content.additionalInfos,
                        [](const CatalogueAdditionalInfo &row) -> QVariantList {
                            return {row.id, row.articleNr, row.info};
                        })
        && writer.write("value_type", content.valueTypes,
                        [](const CatalogueValueType &row) -> QVariantList {
                            return {row.id, row.name, row.decimalPlaces, row.color};
                        })
        && writer.write("controller_data", content.descriptors,
                        [](const CatalogueDescriptor &row) -> QVariantList {
                            return {row.id, row.address, row.addressType, row.access, row.variableType, row.setPointNr,
                                    row.description, row.controllerId, row.comment};
                        })
        && writer.write("signal", content.signalRows,
                        [](const CatalogueSignal &row) -> QVariantList {
                            return {row.id, row.name, row.read, row.writeBasic, row.writeManual, row.writeAuto,
                                    row.unit, row.userLevel, row.limitMin, row.limitMax, row.bitposition,
                                    row.signalType, row.valueType, row.setPointSignal, row.timeProgrammable,
                                    row.weekProgrammable};
                        })
        && writer.write("control_signals", content.controlSignals,
                        [](const CatalogueControlSignal &row) -> QVariantList {
                            return {row.id, row.name, row.bitposition, row.userlevel, row.read, row.write};
                        })
        && writer.write("options", content.options,
                        [](const CatalogueOption &row) -> QVariantList { return {row.id, row.name, row.fix}; })
        && writer.write("tolerance_range", content.toleranceRanges,
                        [](const CatalogueToleranceRange &row) -> QVariantList {
                            return {row.id, row.name, row.setPoint, row.processValue, row.rangeMin, row.rangeMax,
                                    row.delay1, row.delay2};
                        })
        && writer.write("chamber_type", content.chamberTypes,
                        [](const Type &row) -> QVariantList {
                            return {row.id, row.type, row.developementState, row.size, row.voltage, row.image,
                                    row.description, row.firmwareStart, row.firmwareEnde, row.setupKennung,
                                    row.setupVersionStart, row.setupVersionEnde, row.kennungProgramme,
                                    row.controllerId};
                        })
        && writer.write("chamber_type_has_protocol", links(&Type::protocolIds))
        && writer.write("chamber_type_has_additional_info", links(&Type::additionalInfoIds))
        && writer.write("chamber_type_has_signal", links(&Type::signalIds))
        && writer.write("chamber_type_has_control_signals", links(&Type::controlSignalIds))
        && writer.write("chamber_type_has_options", links(&Type::optionIds))
        && writer.write("chamber_type_has_tolerance_range", links(&Type::toleranceRangeIds))
        && writer.write("chamber_type_has_datalogger_signal", dataloggerSignals);
}

} // namespace

QString CatalogueBuilder::create(const QString &path, const CatalogueContent &content, const QString &key)
{
    const QString failure = createEncryptedDatabase(path, QString::fromUtf8(Schema), key);
    if (!failure.isEmpty())
        return failure;

    bool written = false;
    {
        SqliteConnection connection(path);
        written = connection.open(path, QString(), QString(), key) && writeContent(connection, content);
    }
    if (!written) {
        QFile::remove(path);
        return QStringLiteral("The catalogue could not be written to %1 (see the log)").arg(path);
    }
    return QString();
}

} // namespace quelta::test
