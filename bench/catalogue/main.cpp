// Reads a large chamber-type catalogue through the configuration store and
// through the raw SQLCipher C API in the same run, and prints the times of
// both with their ratio: the whole catalogue without and with signals, and
// single chamber types with their signals.
//
// The raw side reads the same rows that the store reads, with statements
// prepared once and values taken straight from the columns into plain
// structs; it builds no records. The ratio is what the store's statement
// building, value conversion and record assembly cost on top.

#include "measurement.h"
#include "rawdatabase.h"

#include "connection/database/core/databasekey.h"
#include "connection/database/core/sqliteconnection.h"
#include "connection/database/stores/sqlconfigurationdatabaseconnection.h"
#include "domain/types/metatypes.h"
#include "support/cataloguebuilder.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QElapsedTimer>
#include <QtCore/QLoggingCategory>
#include <QtCore/QTemporaryDir>

#include <sqlcipher/sqlite3.h>

#include <cstdio>
#include <string>
#include <unordered_map>
#include <vector>

using namespace quelta::base::connection::databaseconnection;
using quelta::domain::types::ChamberTypeData;
using quelta::domain::types::ChamberTypeKey;
using quelta::bench::fail;
using quelta::bench::Goal;
using quelta::bench::RawDatabase;
using quelta::test::CatalogueContent;

namespace {

constexpr int TypeCount = 2000;
constexpr int VariantsPerType = 3;
constexpr int SignalsPerType = 40;
// Of the signals of a type, this many are set points that belong to the
// process value before them.
constexpr int SetPointPairsPerType = 10;
constexpr int ControlSignalsPerType = 3;
constexpr int Lookups = 1000;
constexpr int Rounds = 3;

// The store's times should stay within these multiples of the raw C API's.
constexpr Goal AllTypesGoal{Goal::Bound::AtMost, 1.6};
constexpr Goal AllTypesWithSignalsGoal{Goal::Bound::AtMost, 2.0};
constexpr Goal LookupGoal{Goal::Bound::AtMost, 1.3};

constexpr int ControllerCount = 8;
constexpr int ValueTypeCount = 6;
constexpr int OptionCount = 4;

// --- the catalogue ---

int signalId(int type, int index)
{
    return type * 100 + index;
}

int descriptorId(int type, int index)
{
    return type * 100 + index;
}

CatalogueContent largeCatalogue()
{
    CatalogueContent content;
    const QStringList controllers{"QX1", "QX2", "ZK3", "ZK4", "TJV", "CVC 3000", "Simserv", "CTS"};
    for (int id = 1; id <= ControllerCount; ++id)
        content.controllers.append({id, controllers.at(id - 1)});
    for (int id = 1; id <= 8; ++id)
        content.protocols.append({id, QStringLiteral("Protocol %1").arg(id)});
    const QStringList colors{"#e53935", "#1e88e5", "#43a047", "#757575", "#fdd835", "#8e24aa"};
    for (int id = 1; id <= ValueTypeCount; ++id)
        content.valueTypes.append({id, QStringLiteral("value type %1").arg(id), id % 3, colors.at(id - 1)});
    const QStringList options{"TimeProgram", "TimeProgram_QUELTA_4", "Readable_DataStorage", "OperatingModeSwitching"};
    for (int id = 1; id <= OptionCount; ++id)
        content.options.append({id, options.at(id - 1), id % 2 == 1});

    for (int type = 1; type <= TypeCount; ++type) {
        const int controller = 1 + type % ControllerCount;
        quelta::test::CatalogueChamberType chamberType;
        chamberType.id = quint64(type);
        chamberType.type = QStringLiteral("T%1").arg(type % 97);
        chamberType.developementState = QStringLiteral("E%1").arg(type % 4);
        chamberType.size = 10 * (type % 60);
        chamberType.voltage = QStringLiteral("230 V");
        chamberType.image = QStringLiteral("type%1.png").arg(type);
        chamberType.description = QStringLiteral("Chamber type number %1").arg(type);
        chamberType.firmwareStart = QStringLiteral("1.0");
        chamberType.firmwareEnde = QStringLiteral("9.9");
        chamberType.setupKennung = QStringLiteral("S%1").arg(type);
        chamberType.setupVersionStart = 1;
        chamberType.setupVersionEnde = 9;
        chamberType.kennungProgramme = QStringLiteral("P%1").arg(controller);
        chamberType.controllerId = controller;
        chamberType.protocolIds = {1 + type % 3, 4 + type % 5};
        chamberType.optionIds = {1 + type % 2, 3 + type % 2};
        for (int variant = 0; variant < VariantsPerType; ++variant) {
            const quint64 id = quint64(type) * 10 + quint64(variant);
            content.additionalInfos.append(
                {id, QStringLiteral("%1-%2").arg(type).arg(variant), QStringLiteral("Variant %1").arg(variant)});
            chamberType.additionalInfoIds.append(id);
        }

        for (int index = 0; index < SignalsPerType; ++index) {
            const bool setPoint = index % 2 == 1 && index < 2 * SetPointPairsPerType;
            const bool processValueOfPair = index % 2 == 0 && index < 2 * SetPointPairsPerType;
            quelta::test::CatalogueSignal signal;
            signal.id = signalId(type, index);
            signal.name = QStringLiteral("Signal %1").arg(index);
            signal.unit = index % 4 == 0 ? QStringLiteral("°C") : QStringLiteral("% r.H.");
            signal.userLevel = 1 + index % 3;
            signal.limitMin = -40.0;
            signal.limitMax = 180.0;
            signal.bitposition = index >= 36 ? QVariant(index - 36) : QVariant();
            signal.signalType = setPoint ? QStringLiteral("set_point") : QStringLiteral("process_value");
            signal.valueType = 1 + index % ValueTypeCount;
            signal.setPointSignal = processValueOfPair ? QVariant(signalId(type, index + 1)) : QVariant();
            signal.timeProgrammable = setPoint;
            signal.weekProgrammable = false;
            signal.read = descriptorId(type, index);
            content.descriptors.append({descriptorId(type, index),
                                        QStringLiteral("0x%1").arg(index, 4, 16, QLatin1Char('0')), "RO", "FLOAT",
                                        {}, QStringLiteral("Read %1").arg(index), controller, "register",
                                        QString()});
            if (setPoint) {
                const int manual = descriptorId(type, 50 + index);
                const int automatic = descriptorId(type, 70 + index);
                signal.writeManual = manual;
                signal.writeAuto = automatic;
                content.descriptors.append({manual, QStringLiteral("0x1%1").arg(index, 3, 16, QLatin1Char('0')), "RW",
                                            "FLOAT", index / 2 + 1, QStringLiteral("Manual %1").arg(index), controller,
                                            "register", QString()});
                content.descriptors.append({automatic, QStringLiteral("0x2%1").arg(index, 3, 16, QLatin1Char('0')),
                                            "RW", "FLOAT", index / 2 + 1, QStringLiteral("Auto %1").arg(index),
                                            controller, "register", QString()});
            }
            content.signalRows.append(signal);
            chamberType.signalIds.append(signal.id);
        }
        for (int index = 0; index < ControlSignalsPerType; ++index) {
            const int id = type * 10 + index;
            content.controlSignals.append({id, QStringLiteral("Control %1").arg(index), index, 2,
                                           descriptorId(type, 0), descriptorId(type, 1)});
            chamberType.controlSignalIds.append(id);
        }
        content.chamberTypes.append(chamberType);
    }
    return content;
}

// --- the raw C API ---

struct RawType
{
    qint64 id = 0;
    std::string texts[12];
    qint64 size = 0;
    qint64 controllerId = 0;
    std::vector<qint64> protocols;
    std::vector<std::pair<std::string, bool>> options;
    std::vector<std::pair<std::string, std::string>> variants;
};

struct RawSignal
{
    qint64 typeId = 0;
    qint64 id = 0;
    std::string name;
    std::string unit;
    std::string signalType;
    double limits[2] = {};
    // user level, bit position, the two flags, value type, set-point signal
    qint64 numbers[6] = {};
    // read, write basic, write manual, write auto
    qint64 descriptors[4] = {};
};

struct RawDescriptor
{
    qint64 id = 0;
    std::string address;
    std::string access;
    std::string variableType;
    qint64 setPointNr = 0;
    std::string description;
};

constexpr auto text = &RawDatabase::text;

class RawReader
{
public:
    explicit RawReader(const QString &path)
        : m_db(path)
    {
        m_types = prepare("SELECT id, type, developement_state, size, voltage, image, description, firmware_start, "
                          "firmware_ende, setup_kennung, setup_version_start, setup_version_ende, kennung_programme, "
                          "controller_id FROM chamber_type");
        m_type = prepare("SELECT id, type, developement_state, size, voltage, image, description, firmware_start, "
                         "firmware_ende, setup_kennung, setup_version_start, setup_version_ende, kennung_programme, "
                         "controller_id FROM chamber_type WHERE id = ?");
        m_controllers = prepare("SELECT id, type FROM controller");
        m_protocols = prepare("SELECT chamber_type_id, protocol_id FROM chamber_type_has_protocol");
        m_typeProtocols = prepare("SELECT chamber_type_id, protocol_id FROM chamber_type_has_protocol "
                                  "WHERE chamber_type_id = ?");
        m_options = prepare("SELECT l.chamber_type_id, o.name, o.fix FROM chamber_type_has_options l "
                            "JOIN options o ON l.options_id = o.id");
        m_typeOptions = prepare("SELECT l.chamber_type_id, o.name, o.fix FROM chamber_type_has_options l "
                                "JOIN options o ON l.options_id = o.id WHERE l.chamber_type_id = ?");
        m_variants = prepare("SELECT l.chamber_type_id, a.article_nr, a.info FROM chamber_type_has_additional_info l "
                             "LEFT JOIN additional_info a ON l.additional_info_id = a.id");
        m_variant = prepare("SELECT article_nr, info FROM additional_info WHERE id = ?");
        const char *signalColumns = "l.chamber_type_id, s.id, s.name, s.unit, s.user_level, s.limit_min, s.limit_max, "
                                    "s.bitposition, s.time_programmable, s.week_programmable, s.value_type, "
                                    "s.signal_type, s.set_point_signal, s.read, s.write_basic, s.write_manual, "
                                    "s.write_auto";
        m_signals = prepare(QByteArray("SELECT ") + signalColumns
                            + " FROM chamber_type_has_signal l JOIN signal s ON l.signal_id = s.id");
        m_typeSignals = prepare(QByteArray("SELECT ") + signalColumns
                                + " FROM chamber_type_has_signal l JOIN signal s ON l.signal_id = s.id "
                                  "WHERE l.chamber_type_id = ?");
        m_controlSignals = prepare("SELECT l.chamber_type_id, c.id, c.name, c.bitposition, c.userlevel, c.read, "
                                   "c.write FROM chamber_type_has_control_signals l JOIN control_signals c "
                                   "ON l.control_signals_id = c.id");
        m_typeControlSignals = prepare("SELECT l.chamber_type_id, c.id, c.name, c.bitposition, c.userlevel, c.read, "
                                       "c.write FROM chamber_type_has_control_signals l JOIN control_signals c "
                                       "ON l.control_signals_id = c.id WHERE l.chamber_type_id = ?");
        m_valueTypes = prepare("SELECT id, color, decimal_places FROM value_type");
        m_descriptors = prepare("SELECT id, address, access, variable_type, set_point_nr, description "
                                "FROM controller_data");
        // Every descriptor that a signal or control signal of the type names.
        m_typeDescriptors = prepare(
            "SELECT id, address, access, variable_type, set_point_nr, description FROM controller_data WHERE id IN ("
            "SELECT s.read FROM chamber_type_has_signal l JOIN signal s ON l.signal_id = s.id "
            "WHERE l.chamber_type_id = ?1 "
            "UNION SELECT s.write_basic FROM chamber_type_has_signal l JOIN signal s ON l.signal_id = s.id "
            "WHERE l.chamber_type_id = ?1 "
            "UNION SELECT s.write_manual FROM chamber_type_has_signal l JOIN signal s ON l.signal_id = s.id "
            "WHERE l.chamber_type_id = ?1 "
            "UNION SELECT s.write_auto FROM chamber_type_has_signal l JOIN signal s ON l.signal_id = s.id "
            "WHERE l.chamber_type_id = ?1 "
            "UNION SELECT c.read FROM chamber_type_has_control_signals l JOIN control_signals c "
            "ON l.control_signals_id = c.id WHERE l.chamber_type_id = ?1 "
            "UNION SELECT c.write FROM chamber_type_has_control_signals l JOIN control_signals c "
            "ON l.control_signals_id = c.id WHERE l.chamber_type_id = ?1)");
    }

    // Returns the number of records the store would build.
    int readAllTypes(bool withSignals)
    {
        std::unordered_map<qint64, RawType> types;
        std::vector<qint64> order;
        while (sqlite3_step(m_types) == SQLITE_ROW) {
            RawType type = typeFrom(m_types);
            order.push_back(type.id);
            types.emplace(type.id, std::move(type));
        }
        sqlite3_reset(m_types);
        readControllers();
        while (sqlite3_step(m_protocols) == SQLITE_ROW)
            types[sqlite3_column_int64(m_protocols, 0)].protocols.push_back(sqlite3_column_int64(m_protocols, 1));
        sqlite3_reset(m_protocols);
        while (sqlite3_step(m_options) == SQLITE_ROW)
            types[sqlite3_column_int64(m_options, 0)].options.emplace_back(text(m_options, 1),
                                                                         sqlite3_column_int(m_options, 2) != 0);
        sqlite3_reset(m_options);
        int records = 0;
        while (sqlite3_step(m_variants) == SQLITE_ROW) {
            types[sqlite3_column_int64(m_variants, 0)].variants.emplace_back(text(m_variants, 1),
                                                                           text(m_variants, 2));
            ++records;
        }
        sqlite3_reset(m_variants);
        if (withSignals) {
            readSignals(m_signals);
            readControlSignals(m_controlSignals);
            readValueTypes();
            while (sqlite3_step(m_descriptors) == SQLITE_ROW)
                m_descriptorRows.push_back(descriptorFrom(m_descriptors));
            sqlite3_reset(m_descriptors);
        }
        m_signalRows.clear();
        m_descriptorRows.clear();
        return records;
    }

    // Returns the number of signals of the type.
    int readType(qint64 typeId, qint64 variantId)
    {
        sqlite3_bind_int64(m_type, 1, typeId);
        if (sqlite3_step(m_type) != SQLITE_ROW)
            fail("the raw C API misses a type");
        RawType type = typeFrom(m_type);
        sqlite3_reset(m_type);
        readControllers();
        sqlite3_bind_int64(m_typeProtocols, 1, typeId);
        while (sqlite3_step(m_typeProtocols) == SQLITE_ROW)
            type.protocols.push_back(sqlite3_column_int64(m_typeProtocols, 1));
        sqlite3_reset(m_typeProtocols);
        sqlite3_bind_int64(m_typeOptions, 1, typeId);
        while (sqlite3_step(m_typeOptions) == SQLITE_ROW)
            type.options.emplace_back(text(m_typeOptions, 1), sqlite3_column_int(m_typeOptions, 2) != 0);
        sqlite3_reset(m_typeOptions);
        sqlite3_bind_int64(m_variant, 1, variantId);
        while (sqlite3_step(m_variant) == SQLITE_ROW)
            type.variants.emplace_back(text(m_variant, 0), text(m_variant, 1));
        sqlite3_reset(m_variant);

        sqlite3_bind_int64(m_typeSignals, 1, typeId);
        readSignals(m_typeSignals);
        sqlite3_bind_int64(m_typeControlSignals, 1, typeId);
        readControlSignals(m_typeControlSignals);
        readValueTypes();
        sqlite3_bind_int64(m_typeDescriptors, 1, typeId);
        while (sqlite3_step(m_typeDescriptors) == SQLITE_ROW)
            m_descriptorRows.push_back(descriptorFrom(m_typeDescriptors));
        sqlite3_reset(m_typeDescriptors);
        const int signalCount = int(m_signalRows.size());
        m_signalRows.clear();
        m_descriptorRows.clear();
        return signalCount;
    }

private:
    sqlite3_stmt *prepare(const QByteArray &text) { return m_db.prepare(text); }

    static RawType typeFrom(sqlite3_stmt *statement)
    {
        RawType type;
        type.id = sqlite3_column_int64(statement, 0);
        int textIndex = 0;
        for (int column : {1, 2, 4, 5, 6, 7, 8, 9, 10, 11, 12})
            type.texts[textIndex++] = text(statement, column);
        type.size = sqlite3_column_int64(statement, 3);
        type.controllerId = sqlite3_column_int64(statement, 13);
        return type;
    }

    static RawDescriptor descriptorFrom(sqlite3_stmt *statement)
    {
        return {sqlite3_column_int64(statement, 0), text(statement, 1), text(statement, 2), text(statement, 3),
                sqlite3_column_int64(statement, 4), text(statement, 5)};
    }

    void readControllers()
    {
        while (sqlite3_step(m_controllers) == SQLITE_ROW)
            m_controllerNames[sqlite3_column_int64(m_controllers, 0)] = text(m_controllers, 1);
        sqlite3_reset(m_controllers);
    }

    void readValueTypes()
    {
        while (sqlite3_step(m_valueTypes) == SQLITE_ROW)
            m_valueTypeColors[sqlite3_column_int64(m_valueTypes, 0)] = text(m_valueTypes, 1);
        sqlite3_reset(m_valueTypes);
    }

    void readSignals(sqlite3_stmt *statement)
    {
        while (sqlite3_step(statement) == SQLITE_ROW) {
            RawSignal signal;
            signal.typeId = sqlite3_column_int64(statement, 0);
            signal.id = sqlite3_column_int64(statement, 1);
            signal.name = text(statement, 2);
            signal.unit = text(statement, 3);
            signal.limits[0] = sqlite3_column_double(statement, 5);
            signal.limits[1] = sqlite3_column_double(statement, 6);
            signal.signalType = text(statement, 11);
            int number = 0;
            for (int column : {4, 7, 8, 9, 10, 12})
                signal.numbers[number++] = sqlite3_column_int64(statement, column);
            for (int index = 0; index < 4; ++index)
                signal.descriptors[index] = sqlite3_column_int64(statement, 13 + index);
            m_signalRows.push_back(std::move(signal));
        }
        sqlite3_reset(statement);
    }

    void readControlSignals(sqlite3_stmt *statement)
    {
        while (sqlite3_step(statement) == SQLITE_ROW) {
            m_controlSignalNames.push_back(text(statement, 2));
            m_controlSignalCount += sqlite3_column_int64(statement, 5) + sqlite3_column_int64(statement, 6);
        }
        sqlite3_reset(statement);
        m_controlSignalNames.clear();
    }

    RawDatabase m_db;
    sqlite3_stmt *m_types = nullptr;
    sqlite3_stmt *m_type = nullptr;
    sqlite3_stmt *m_controllers = nullptr;
    sqlite3_stmt *m_protocols = nullptr;
    sqlite3_stmt *m_typeProtocols = nullptr;
    sqlite3_stmt *m_options = nullptr;
    sqlite3_stmt *m_typeOptions = nullptr;
    sqlite3_stmt *m_variants = nullptr;
    sqlite3_stmt *m_variant = nullptr;
    sqlite3_stmt *m_signals = nullptr;
    sqlite3_stmt *m_typeSignals = nullptr;
    sqlite3_stmt *m_controlSignals = nullptr;
    sqlite3_stmt *m_typeControlSignals = nullptr;
    sqlite3_stmt *m_valueTypes = nullptr;
    sqlite3_stmt *m_descriptors = nullptr;
    sqlite3_stmt *m_typeDescriptors = nullptr;

    std::unordered_map<qint64, std::string> m_controllerNames;
    std::unordered_map<qint64, std::string> m_valueTypeColors;
    std::vector<RawSignal> m_signalRows;
    std::vector<RawDescriptor> m_descriptorRows;
    std::vector<std::string> m_controlSignalNames;
    qint64 m_controlSignalCount = 0;
};

// --- the runs ---

struct Times
{
    qint64 allTypes = 0;
    qint64 allTypesWithSignals = 0;
    qint64 lookups = 0;

    void keepBest(const Times &run)
    {
        const auto best = [](qint64 kept, qint64 measured) { return kept == 0 ? measured : qMin(kept, measured); };
        allTypes = best(allTypes, run.allTypes);
        allTypesWithSignals = best(allTypesWithSignals, run.allTypesWithSignals);
        lookups = best(lookups, run.lookups);
    }
};

ChamberTypeKey lookupKey(int lookup)
{
    // Spread over the catalogue, a different variant each time.
    const int type = 1 + (lookup * 7919) % TypeCount;
    return {quint64(type), quint64(type) * 10 + quint64(lookup % VariantsPerType)};
}

Times runStore(const QString &path)
{
    SqliteConnection connection(QStringLiteral("benchCatalogue"));
    if (!connection.open(path, QString(), QString(), DatabaseKey))
        fail("the store's connection could not open the catalogue");
    SqlConfigurationDatabaseConnection store;
    if (!store.setConnections(&connection))
        fail("the store is not ready");

    Times times;
    QElapsedTimer timer;
    // The raw side keeps no rows from one part to the next; the store's
    // records go as well before the next part is timed, so that the lookups
    // do not run in a heap that still holds the whole catalogue.
    {
        timer.start();
        const QList<ChamberTypeData> types = store.getChamberTypes(false);
        times.allTypes = timer.nsecsElapsed();
        if (types.size() != TypeCount * VariantsPerType)
            fail("the store read the wrong number of types");
    }
    {
        timer.restart();
        const QList<ChamberTypeData> typesWithSignals = store.getChamberTypes(true);
        times.allTypesWithSignals = timer.nsecsElapsed();
        if (typesWithSignals.size() != TypeCount * VariantsPerType
            || typesWithSignals.last().signals().size() != SignalsPerType) {
            fail("the store read the wrong signals");
        }
    }

    int signalCount = 0;
    timer.restart();
    for (int lookup = 0; lookup < Lookups; ++lookup)
        signalCount += store.getChamberType(lookupKey(lookup), true).signals().size();
    times.lookups = timer.nsecsElapsed();
    if (signalCount != Lookups * SignalsPerType)
        fail("the store's lookups found the wrong signals");
    connection.close();
    return times;
}

Times runRaw(const QString &path)
{
    RawReader reader(path);
    Times times;
    QElapsedTimer timer;
    timer.start();
    if (reader.readAllTypes(false) != TypeCount * VariantsPerType)
        fail("the raw C API read the wrong number of types");
    times.allTypes = timer.nsecsElapsed();

    timer.restart();
    reader.readAllTypes(true);
    times.allTypesWithSignals = timer.nsecsElapsed();

    int signalCount = 0;
    timer.restart();
    for (int lookup = 0; lookup < Lookups; ++lookup) {
        const ChamberTypeKey key = lookupKey(lookup);
        signalCount += reader.readType(qint64(key.chamberTypeId()), qint64(key.additionalInfoId()));
    }
    times.lookups = timer.nsecsElapsed();
    if (signalCount != Lookups * SignalsPerType)
        fail("the raw C API's lookups found the wrong signals");
    return times;
}

void report(const char *what, qint64 store, qint64 raw, int repetitions, const Goal &goal)
{
    const auto milliseconds = [repetitions](qint64 nanoseconds) { return nanoseconds / 1e6 / repetitions; };
    quelta::bench::printComparison(what, {"store", milliseconds(store)}, {"raw C API", milliseconds(raw)}, "ms", 3,
                                   goal);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("quelta.*.info=false"));
    quelta::domain::types::registerMetaTypes();

    QTemporaryDir directory;
    if (!directory.isValid())
        fail("no temporary directory");
    const QString path = directory.filePath(QStringLiteral("catalogue.sqlite3"));
    QElapsedTimer building;
    building.start();
    const QString failure = quelta::test::CatalogueBuilder::create(path, largeCatalogue());
    if (!failure.isEmpty())
        fail(qPrintable(failure));
    std::printf("Catalogue of %d types x %d variants x %d signals written in %.1f s\n", TypeCount, VariantsPerType,
                SignalsPerType, building.nsecsElapsed() / 1e9);

    // Each side keeps its best times.
    Times store;
    Times raw;
    quelta::bench::runInTurns(
        Rounds, [&](int) { raw.keepBest(runRaw(path)); }, [&](int) { store.keepBest(runStore(path)); });

    report("getChamberTypes(false)", store.allTypes, raw.allTypes, 1, AllTypesGoal);
    report("getChamberTypes(true)", store.allTypesWithSignals, raw.allTypesWithSignals, 1, AllTypesWithSignalsGoal);
    report("getChamberType(key, true), each", store.lookups, raw.lookups, Lookups, LookupGoal);
    return 0;
}
