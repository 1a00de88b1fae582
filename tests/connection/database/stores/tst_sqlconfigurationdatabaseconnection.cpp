#include "connection/database/stores/sqlconfigurationdatabaseconnection.h"

#include "connection/database/core/sqliteconnection.h"
#include "domain/types/int10.h"
#include "domain/types/metatypes.h"
#include "domain/types/unit.h"
#include "support/cataloguebuilder.h"
#include "support/damageddatabase.h"
#include "support/databaseerrors.h"
#include "support/democatalogue.h"
#include "support/encrypteddatabase.h"
#include "support/interruptingconnection.h"
#include "support/sqltext.h"

#include <QtCore/QFile>
#include <QtCore/QRegularExpression>
#include <QtCore/QTemporaryDir>
#include <QtTest/QtTest>

#include <limits>
#include <memory>

using namespace quelta::base::connection::databaseconnection;
using namespace quelta::domain::types;
using quelta::domain::api::IConfigurationDatabaseConnection;
using quelta::test::CatalogueBuilder;
using quelta::test::CatalogueContent;
using quelta::test::CatalogueSignal;
using quelta::test::errorsOf;
using D = quelta::test::DemoCatalogue;

Q_DECLARE_METATYPE(QList<DatabaseConnectionError>)

namespace {

QSharedPointer<ControllerAddress> address(int id, const QString &text, int access, int valueType, int count,
                                          int number, const QString &description)
{
    return QSharedPointer<ControllerAddress>::create(ControllerAddressId(id), text, access, valueType, count, number,
                                                     description);
}

// Catalogue rows that the demo catalogue, being realistic, does not hold.
namespace edge {

constexpr quint64 BareType = 90;
constexpr quint64 WideType = 3000000000ULL;    // above 2^31
constexpr quint64 WideVariant = 5000000000ULL; // above 2^32
constexpr int OddSignal = 908;
constexpr int MissingId = 9999;

CatalogueSignal signalRow(int id, const QVariant &setPointSignal)
{
    CatalogueSignal row;
    row.id = id;
    row.name = QString("Edge %1").arg(id);
    row.setPointSignal = setPointSignal;
    return row;
}

CatalogueContent content()
{
    CatalogueContent content = D::content();
    // Set-point chains: 901 and 902 name each other, 903 -> 904 -> 905 -> 903,
    // 906 names itself and 907 a missing signal.
    const QList<QPair<int, int>> chains{{901, 902}, {902, 901}, {903, 904}, {904, 905},
                                       {905, 903}, {906, 906}, {907, MissingId}};
    for (const QPair<int, int> &link : chains)
        content.signalRows.append(signalRow(link.first, link.second));

    // An unknown role, unit and user level, no lower and an empty upper limit,
    // a descriptor without access, set-point number and description, and one
    // that is missing.
    CatalogueSignal odd = signalRow(OddSignal, {});
    odd.signalType = "alarm";
    odd.unit = "furlong";
    odd.userLevel = "high";
    odd.limitMax = "";
    odd.read = 9001;
    odd.writeManual = MissingId;
    content.signalRows.append(odd);
    content.descriptors.append({9001, "0x0001", {}, "UINT32[2]", {}, {}, 4, "register", {}});

    quelta::test::CatalogueChamberType bare;
    bare.id = BareType;
    content.chamberTypes.append(bare);

    // The wide type also holds a second band for the climate temperature.
    content.additionalInfos.append({WideVariant, "WIDE-1", "Wide variant"});
    content.toleranceRanges.append(
        {99, "Second band", D::ClimateTemperatureSetPoint, D::ClimateTemperature, 1.0, 1.0, 10, 1});
    quelta::test::CatalogueChamberType wide;
    wide.id = WideType;
    wide.type = "XL";
    wide.additionalInfoIds = {WideVariant};
    wide.signalIds = {D::ClimateTemperature};
    wide.toleranceRangeIds = {1, 99};
    content.chamberTypes.append(wide);
    return content;
}

} // namespace edge

} // namespace

class tst_SqlConfigurationDatabaseConnection : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void notConnected_everyOperationEmitsNotInitializedAndReturnsEmpty();
    void initialize_missingTable_emitsMissingTableAndFails();

    void getChamberTypes_givesOneRecordPerVariant_data();
    void getChamberTypes_givesOneRecordPerVariant();
    void getChamberType_withSignals_fillsEveryField();
    void getChamberType_missingOrAmbiguous_givesDefaultRecord();
    void getChamberType_absentColumns_giveDefaults();
    void getChamberType_failedStatement_leavesOnlyItsPartEmpty();
    void readsFailingMidway_leaveTheirPartEmpty_data();
    void readsFailingMidway_leaveTheirPartEmpty();
    void getTimeProgrammableChamberTypes_givesTypesWithProgrammableSignals();

    void signals_absentOrOddColumns_giveDefaults();
    void setPointSignals_followTheChainUntilItRepeats_data();
    void setPointSignals_followTheChainUntilItRepeats();
    void signalLookups_findSignalsByIdRoleAndUnit();
    void getChamberSignals_ordersBySetPointNumberWithRanges();
    void getDataLoggerSignals_ordersByChannel();
    void matchSignalsByValueType_pairsSignalsOfOneValueType();

    void getToleranceRange_bySetPointOrProcessValue();
    void getDefaultSignalDelay_readsDelaysInSeconds_data();
    void getDefaultSignalDelay_readsDelaysInSeconds();

    void largeCatalogue_readsEveryRow();
    void linkTablesInAnyOrder_giveTheSameRecords();

private:
    QString newPath();
    void openCatalogue(const QString &path);
    QString copyWithout(const QStringList &tables);

    QTemporaryDir m_directory;
    QString m_path;
    int m_fileCount = 0;
    std::unique_ptr<SqliteConnection> m_sqlite;
    std::unique_ptr<SqlConfigurationDatabaseConnection> m_store;
};

void tst_SqlConfigurationDatabaseConnection::initTestCase()
{
    registerMetaTypes();
    QVERIFY(m_directory.isValid());
    m_path = newPath();
    QCOMPARE(CatalogueBuilder::create(m_path, edge::content()), QString());
}

void tst_SqlConfigurationDatabaseConnection::init()
{
    openCatalogue(m_path);
}

void tst_SqlConfigurationDatabaseConnection::cleanup()
{
    m_store.reset();
    m_sqlite.reset();
}

QString tst_SqlConfigurationDatabaseConnection::newPath()
{
    return m_directory.filePath(QString("catalogue%1.sqlite3").arg(++m_fileCount));
}

void tst_SqlConfigurationDatabaseConnection::openCatalogue(const QString &path)
{
    cleanup();
    m_sqlite = std::make_unique<SqliteConnection>(path);
    QVERIFY(m_sqlite->open(path, QString(), QString(), DatabaseKey));
    m_store = std::make_unique<SqlConfigurationDatabaseConnection>();
    QVERIFY(m_store->setConnections(m_sqlite.get()));
}

// A copy of the catalogue without the tables: a statement that reads one of
// them fails.
QString tst_SqlConfigurationDatabaseConnection::copyWithout(const QStringList &tables)
{
    const QString path = newPath();
    SqliteConnection connection("copy");
    bool dropped = QFile::copy(m_path, path) && connection.open(path, QString(), QString(), DatabaseKey);
    for (const QString &table : tables)
        dropped = dropped && connection.execute(quelta::test::SqlText("DROP TABLE " + table)).first;
    return dropped ? path : QString();
}

void tst_SqlConfigurationDatabaseConnection::notConnected_everyOperationEmitsNotInitializedAndReturnsEmpty()
{
    // The facade finds the store through its interface, by its bare name too.
    auto *asInterface = static_cast<IConfigurationDatabaseConnection *>(m_store.get());
    QCOMPARE(qobject_cast<IConfigurationDatabaseConnection *>(m_store.get()), asInterface);
    QCOMPARE(m_store->qt_metacast("IConfigurationDatabaseConnection"), static_cast<void *>(asInterface));
    QVERIFY(!m_store->setConnections(nullptr));

    SqlConfigurationDatabaseConnection &store = *m_store;
    QSignalSpy errors(&store, &SqlConfigurationDatabaseConnection::error);
    const ChamberTypeKey key(D::ClimateChamber, D::ClimateStandard);
    const QList<QPair<const char *, bool>> results{
        {"initialize", !store.initialize()},
        {"getChamberTypes", store.getChamberTypes(true).isEmpty()},
        {"getTimeProgrammableChamberTypes", store.getTimeProgrammableChamberTypes().isEmpty()},
        {"getChamberType", store.getChamberType(key, true) == ChamberTypeData()},
        {"getChamberTypeSignals", store.getChamberTypeSignals(key).isEmpty()},
        {"getChamberSignals", store.getChamberSignals(key).isEmpty()},
        {"getSetpointSignals", store.getSetpointSignals(key).isEmpty()},
        {"getSignals", store.getSignals({1, 2}).isEmpty()},
        {"getSignal", store.getSignal(1).isNull()},
        {"matchSignalsByValueType", store.matchSignalsByValueType(key, key).isEmpty()},
        {"getDataLoggerSignals", store.getDataLoggerSignals(key).isEmpty()},
        {"getToleranceRange", store.getToleranceRange(key, 1, true) == ToleranceRangeDefinition()},
        {"getDefaultSignalDelay", store.getDefaultSignalDelay(key, 1, false) == 0},
        {"getSignalUnit", store.getSignalUnit(1) == Unit::None},
    };
    for (const auto &result : results)
        QVERIFY2(result.second, result.first);
    // One error per operation, each of them error 0.
    QCOMPARE(errorsOf(errors).toVector(), QVector<DatabaseConnectionError>(results.size(), NOT_INITIALIZED));
}

void tst_SqlConfigurationDatabaseConnection::initialize_missingTable_emitsMissingTableAndFails()
{
    QVERIFY(m_store->initialize());
    openCatalogue(copyWithout({"signal"}));
    QSignalSpy errors(m_store.get(), &SqlConfigurationDatabaseConnection::error);
    QVERIFY(!m_store->initialize());
    QCOMPARE(errorsOf(errors), QList<DatabaseConnectionError>{MISSING_TABLE});
}

void tst_SqlConfigurationDatabaseConnection::getChamberTypes_givesOneRecordPerVariant_data()
{
    QTest::addColumn<bool>("withSignals");
    QTest::newRow("without signals") << false;
    QTest::newRow("with signals") << true;
}

void tst_SqlConfigurationDatabaseConnection::getChamberTypes_givesOneRecordPerVariant()
{
    QFETCH(bool, withSignals);
    // Without signals no statement may read a signal table; this copy has none.
    if (!withSignals) {
        openCatalogue(copyWithout(
            {"signal", "control_signals", "chamber_type_has_signal", "chamber_type_has_control_signals"}));
    }
    QSignalSpy storeErrors(m_store.get(), &SqlConfigurationDatabaseConnection::error);
    QSignalSpy connectionErrors(m_sqlite.get(), &SqliteConnection::error);

    const QList<ChamberTypeData> types = m_store->getChamberTypes(withSignals);
    QList<ChamberTypeKey> keys;
    QSet<int> kinds;
    for (const ChamberTypeData &type : types) {
        keys.append(type.key());
        const QList<int> interfaces = type.interfaces();
        kinds.unite(QSet<int>(interfaces.cbegin(), interfaces.cend()));
        // The whole catalogue and the lookup of one record read alike; the
        // lookup of the wide type binds ids beyond 32 bits.
        QCOMPARE(m_store->getChamberType(type.key(), withSignals), type);
    }
    const QList<ChamberTypeKey> expected{
        {D::ClimateChamber, D::ClimateStandard}, {D::ClimateChamber, D::ClimateWaterSupply},
        {D::ClimateChamber, D::ClimateLight},    {D::TemperatureChamber, 0},
        {D::DryingOven, 301},                    {D::VacuumController, 401},
        {D::SimservChamber, 501},                {D::CtsChamber, 601},
        {edge::BareType, 0},                     {edge::WideType, edge::WideVariant}};
    QCOMPARE(keys, expected);
    QCOMPARE(kinds, (QSet<int>{1, 2, 3, 4, 5, 6, 7, 8}));
    QCOMPARE(types.at(0).signals().isEmpty(), !withSignals);
    QCOMPARE(storeErrors.count(), 0);
    QCOMPARE(connectionErrors.count(), 0);
}

void tst_SqlConfigurationDatabaseConnection::getChamberType_withSignals_fillsEveryField()
{
    QSignalSpy errors(m_store.get(), &SqlConfigurationDatabaseConnection::error);
    const ChamberTypeKey key(D::ClimateChamber, D::ClimateWaterSupply);
    const ChamberTypeData type = m_store->getChamberType(key, true);
    QCOMPARE(errors.count(), 0);

    const QList<ChamberOption> options{
        {"TimeProgram", true}, {"Readable_DataStorage", false}, {"OperatingModeSwitching", false}};
    QCOMPARE(type, ChamberTypeData(key, "KLH", "E2", 100, "230 V", "klh.svg", "Climate test chamber", "4.10", "4.99",
                                   "KLH", 3, 7, "ZK4P", "640100-02", "With fixed water supply", "ZK4", {1, 3},
                                   type.signals(), type.controlSignals(), options, {}));

    const QMap<int, ChamberSignal> signalMap = type.signals();
    QCOMPARE(signalMap.keys(), (QList<int>{1, 2, 3, 4, 5, 6, 7}));
    const QColor red("#e53935");
    constexpr int Float = QMetaType::Float;
    const ChamberSignal setPoint(
        D::ClimateTemperatureSetPoint, "Temperature set point", Unit::DegreeCelsius, red, 1, UserLevel::ADVANCED,
        -40.0f, 180.0f, -1, ChamberSignal::SetPoint, {}, true, true,
        address(1002, "0xAC02", ControllerAddress::ReadOnly, Float, 1, -1, "Temperature set point"),
        address(1014, "0xAC20", ControllerAddress::WriteOnly, Float, 1, -1, "Temperature set point, basic mode"),
        address(1003, "0xAC40", ControllerAddress::ReadWrite, Float, 1, 1, "Temperature set point, manual mode"),
        address(1004, "0xAC80", ControllerAddress::ReadWrite, Float, 1, 1, "Temperature set point, automatic mode"));
    QCOMPARE(signalMap.value(D::ClimateTemperatureSetPoint), setPoint);
    QCOMPARE(*signalMap.value(D::ClimateTemperature).setPointSignal(), setPoint);
    QCOMPARE(signalMap.value(D::ClimateLightSwitch).signalType(), int(ChamberSignal::SetPointProcessValue));

    const ControllerAddress statusWord(ControllerAddressId(1013), "0xAD21", ControllerAddress::ReadOnly,
                                       QMetaType::UShort, 1, -1, "Status word");
    const ControllerAddress controlWord(ControllerAddressId(1012), "0xAD20", ControllerAddress::WriteOnly,
                                        QMetaType::UShort, 1, -1, "Control word");
    const QMap<int, ControlSignal> controlSignals = type.controlSignals();
    QCOMPARE(controlSignals[1], ControlSignal(ControlSignalId(1), "Start", 0, 2, statusWord, controlWord));
    // A read column of -1 leaves the empty descriptor.
    QCOMPARE(controlSignals[3],
             ControlSignal(ControlSignalId(3), "Alarm reset", 2, 2, ControllerAddress(), controlWord));
}

void tst_SqlConfigurationDatabaseConnection::getChamberType_missingOrAmbiguous_givesDefaultRecord()
{
    QSignalSpy errors(m_store.get(), &SqlConfigurationDatabaseConnection::error);
    QCOMPARE(m_store->getChamberType({4711, 0}, true), ChamberTypeData());
    // Three variants, none asked for.
    QCOMPARE(m_store->getChamberType({D::ClimateChamber, 0}, true), ChamberTypeData());
    QCOMPARE(errorsOf(errors), (QList<DatabaseConnectionError>{UNEXPECTED_RESULT, UNEXPECTED_RESULT}));
}

void tst_SqlConfigurationDatabaseConnection::getChamberType_absentColumns_giveDefaults()
{
    QSignalSpy errors(m_store.get(), &SqlConfigurationDatabaseConnection::error);
    QCOMPARE(m_store->getChamberType({edge::BareType, 0}, false),
             ChamberTypeData({edge::BareType, 0}, QString(), QString(), -1, QString(), QString(), QString(), QString(),
                             QString(), QString(), -1, -1, QString(), QString(), QString(), QString(), {}, {}, {}, {},
                             {}));
    QCOMPARE(errors.count(), 0);
}

void tst_SqlConfigurationDatabaseConnection::getChamberType_failedStatement_leavesOnlyItsPartEmpty()
{
    openCatalogue(copyWithout({"options", "chamber_type_has_options"}));
    QSignalSpy storeErrors(m_store.get(), &SqlConfigurationDatabaseConnection::error);
    QSignalSpy connectionErrors(m_sqlite.get(), &SqliteConnection::error);

    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("."));
    const ChamberTypeData type = m_store->getChamberType({D::ClimateChamber, D::ClimateLight}, false);
    QCOMPARE(type.articleNumber(), QString("640100-03"));
    QCOMPARE(type.controller(), QString("ZK4"));
    QCOMPARE(type.interfaces(), (QList<int>{1, 3}));
    QVERIFY(type.options().isEmpty());
    QCOMPARE(errorsOf(storeErrors), QList<DatabaseConnectionError>{EXECUTION_FAILED});
    QVERIFY(connectionErrors.count() > 0);
}

void tst_SqlConfigurationDatabaseConnection::readsFailingMidway_leaveTheirPartEmpty_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("part");
    for (const QString failure : {"interrupted", "damaged"}) {
        for (const QString part : {"types", "signals"})
            QTest::newRow(qPrintable(part + ", " + failure)) << failure << part;
    }
}

// Rows given before a read fails are not the catalogue's: the types read
// that fails gives no records, the signals read that fails no signals, each
// time.
void tst_SqlConfigurationDatabaseConnection::readsFailingMidway_leaveTheirPartEmpty()
{
    QFETCH(QString, failure);
    QFETCH(QString, part);
    constexpr quint64 LargeType = 700;
    constexpr int RowsBeforeInterrupt = 500;
    // Enough rows for many pages, in pages of their own.
    const QMap<QString, QString> addRows{
        {"types", "INSERT INTO chamber_type (id, type, description) WITH RECURSIVE n(i) AS (SELECT 1000 UNION ALL "
                  "SELECT i + 1 FROM n WHERE i < 2199) SELECT i, 'Type ' || i, hex(zeroblob(100)) FROM n;"},
        {"signals", "INSERT INTO chamber_type (id, type) VALUES (700, 'Large');"
                    "INSERT INTO signal (id, name) WITH RECURSIVE n(i) AS (SELECT 200000 UNION ALL SELECT i + 1 "
                    "FROM n WHERE i < 205999) SELECT i, 'Signal ' || hex(zeroblob(100)) FROM n;"
                    "INSERT INTO chamber_type_has_signal SELECT 700, id FROM signal WHERE id >= 200000;"},
    };
    const QString path = newPath();
    QCOMPARE(CatalogueBuilder::create(path, D::content()), QString());
    QCOMPARE(failure == "damaged" ? quelta::test::runSqlScriptAndDamageItsMiddlePage(path, addRows.value(part))
                                  : quelta::test::runSqlScript(path, addRows.value(part)),
             QString());
    openCatalogue(path);
    // The statement that reads the part, and the end of how its failure is logged.
    const QString read = part == "types" ? "FROM chamber_type$" : "FROM chamber_type_has_signal JOIN signal";
    const QString logged = part == "types" ? "FROM chamber_type\": .*" : read;
    quelta::test::InterruptingConnection interrupting(*m_sqlite, path, read, RowsBeforeInterrupt);
    if (failure == "interrupted")
        QVERIFY(m_store->setConnections(&interrupting));
    QSignalSpy connectionErrors(m_sqlite.get(), &SqliteConnection::error);
    QSignalSpy storeErrors(m_store.get(), &SqlConfigurationDatabaseConnection::error);

    for (int attempt = 0; attempt < 2; ++attempt) {
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("Could not read the result of .*" + logged));
        if (part == "types") {
            QVERIFY(m_store->getChamberTypes(false).isEmpty());
        } else {
            const ChamberTypeData large = m_store->getChamberType({LargeType, 0}, true);
            QCOMPARE(large.typeName(), QString("Large"));
            QVERIFY(large.signals().isEmpty());
        }
        QCOMPARE(errorsOf(connectionErrors), QList<DatabaseConnectionError>{EXECUTION_FAILED});
        // The store's own report lets those who build on it tell a failed
        // read from a catalogue without these records.
        QCOMPARE(errorsOf(storeErrors), QList<DatabaseConnectionError>{EXECUTION_FAILED});
        connectionErrors.clear();
        storeErrors.clear();
    }
    QCOMPARE(interrupting.interruptions(), failure == "interrupted" ? 2 : 0);
}

void tst_SqlConfigurationDatabaseConnection::getTimeProgrammableChamberTypes_givesTypesWithProgrammableSignals()
{
    QSet<quint64> typeIds;
    for (const ChamberTypeData &type : m_store->getTimeProgrammableChamberTypes())
        typeIds.insert(type.chamberTypeId());
    QCOMPARE(typeIds, (QSet<quint64>{D::ClimateChamber, D::TemperatureChamber, D::DryingOven, D::VacuumController}));
}

void tst_SqlConfigurationDatabaseConnection::signals_absentOrOddColumns_giveDefaults()
{
    QSignalSpy errors(m_store.get(), &SqlConfigurationDatabaseConnection::error);
    const QMap<int, ChamberSignal> signalMap = m_store->getSignals({D::ClimateOperatingHours, edge::OddSignal});
    QCOMPARE(signalMap.keys(), (QList<int>{D::ClimateOperatingHours, edge::OddSignal}));

    QCOMPARE(signalMap.first().signalType(), int(ChamberSignal::NoSignalType));
    // Defaults for the absent and unknown values; no value type gives no
    // colour. The missing write descriptor leaves its address empty, reported.
    QCOMPARE(signalMap.last(),
             ChamberSignal(edge::OddSignal, "Edge 908", Unit::None, QColor(), 0, UserLevel(0),
                           std::numeric_limits<float>::lowest(), std::numeric_limits<float>::max(), -1,
                           ChamberSignal::ProcessValue, {}, false, false,
                           address(9001, "0x0001", ControllerAddress::NoAccess, QMetaType::UInt, 2, -1, QString()),
                           {}, {}, {}));
    QCOMPARE(errorsOf(errors), QList<DatabaseConnectionError>{UNEXPECTED_RESULT});
}

void tst_SqlConfigurationDatabaseConnection::setPointSignals_followTheChainUntilItRepeats_data()
{
    QTest::addColumn<QList<int>>("asked");
    QTest::addColumn<QList<int>>("chain");
    QTest::addColumn<QList<DatabaseConnectionError>>("errors");

    const QList<DatabaseConnectionError> none;
    QTest::newRow("itself") << QList<int>{906} << QList<int>() << none;
    // The signal stays; only its set-point signal is missing.
    QTest::newRow("missing") << QList<int>{907} << QList<int>() << QList<DatabaseConnectionError>{UNEXPECTED_RESULT};
    // Two set-point signals that name each other used to nest without end.
    QTest::newRow("pair") << QList<int>{901, 902} << QList<int>{902} << none;
    QTest::newRow("ring of three") << QList<int>{903} << QList<int>{904, 905} << none;
}

void tst_SqlConfigurationDatabaseConnection::setPointSignals_followTheChainUntilItRepeats()
{
    QFETCH(QList<int>, asked);
    QFETCH(QList<int>, chain);
    QFETCH(QList<DatabaseConnectionError>, errors);
    QSignalSpy spy(m_store.get(), &SqlConfigurationDatabaseConnection::error);

    const QMap<int, ChamberSignal> signalMap = m_store->getSignals(asked);
    QCOMPARE(signalMap.keys(), asked);
    QList<int> followed;
    for (auto setPoint = signalMap.first().setPointSignal(); !setPoint.isNull();
         setPoint = setPoint->setPointSignal()) {
        followed.append(setPoint->id());
    }
    QCOMPARE(followed, chain);
    QCOMPARE(errorsOf(spy), errors);
}

void tst_SqlConfigurationDatabaseConnection::signalLookups_findSignalsByIdRoleAndUnit()
{
    QSignalSpy errors(m_store.get(), &SqlConfigurationDatabaseConnection::error);
    QCOMPARE(m_store->getSetpointSignals({D::ClimateChamber, 0}).keys(),
             (QList<int>{D::ClimateTemperatureSetPoint, D::ClimateHumiditySetPoint}));
    QCOMPARE(m_store->getSignals({D::TemperatureChamberSetPoint, 4711, D::ClimateTemperature}).keys(),
             (QList<int>{D::ClimateTemperature, D::TemperatureChamberSetPoint}));
    const QSharedPointer<ChamberSignal> signal = m_store->getSignal(D::TemperatureChamberSetPoint);
    QVERIFY(!signal.isNull());
    QCOMPARE(signal->readAddress()->valueType(), qMetaTypeId<Int10>());
    QCOMPARE(m_store->getSignalUnit(D::ClimateHumidity), int(Unit::RelativeHumidityRH));
    QCOMPARE(errors.count(), 0);

    QVERIFY(m_store->getSignal(4711).isNull());
    QCOMPARE(errorsOf(errors), QList<DatabaseConnectionError>{UNEXPECTED_RESULT});
}

void tst_SqlConfigurationDatabaseConnection::getChamberSignals_ordersBySetPointNumberWithRanges()
{
    QSignalSpy errors(m_store.get(), &SqlConfigurationDatabaseConnection::error);
    // Each signal and the set point of its tolerance range (none, -1, for the
    // light), by the set-point numbers 1, 2 and 3 of their manual-mode descriptors.
    QList<int> ids;
    for (const auto &pair : m_store->getChamberSignals({D::ClimateChamber, 0}))
        ids << pair.first.id() << pair.second.setPoint();
    QCOMPARE(ids, (QList<int>{D::ClimateTemperatureSetPoint, D::ClimateTemperatureSetPoint, D::ClimateLightSwitch, -1,
                              D::ClimateHumiditySetPoint, D::ClimateHumiditySetPoint}));
    QCOMPARE(errors.count(), 0);
}

void tst_SqlConfigurationDatabaseConnection::getDataLoggerSignals_ordersByChannel()
{
    QList<int> ids;
    for (const ChamberSignal &signal : m_store->getDataLoggerSignals({D::ClimateChamber, 0}))
        ids.append(signal.id());
    QCOMPARE(ids, (QList<int>{D::ClimateTemperature, D::ClimateHumidity, D::ClimateLightSwitch}));
}

void tst_SqlConfigurationDatabaseConnection::matchSignalsByValueType_pairsSignalsOfOneValueType()
{
    const QMap<int, ChamberSignal> matched =
        m_store->matchSignalsByValueType({D::ClimateChamber, 0}, {D::TemperatureChamber, 0});
    // Only the temperature signals share a value type with the other type,
    // whose temperature registers hold INT10 values.
    QCOMPARE(matched.keys(), (QList<int>{D::ClimateTemperature, D::ClimateTemperatureSetPoint}));
    for (const ChamberSignal &signal : matched)
        QCOMPARE(signal.readAddress()->valueType(), qMetaTypeId<Int10>());
}

void tst_SqlConfigurationDatabaseConnection::getToleranceRange_bySetPointOrProcessValue()
{
    QSignalSpy errors(m_store.get(), &SqlConfigurationDatabaseConnection::error);
    const ChamberTypeKey climate(D::ClimateChamber, 0);
    const ToleranceRangeDefinition expected(
        "Temperature", D::ClimateTemperatureSetPoint, D::ClimateTemperature,
        ToleranceRange(ToleranceRange::Relative, UnitValue(Unit::DegreeCelsius, 2.5f),
                       UnitValue(Unit::DegreeCelsius, 3.0f)),
        30, 5);
    QCOMPARE(m_store->getToleranceRange(climate, D::ClimateTemperatureSetPoint, true), expected);
    QCOMPARE(m_store->getToleranceRange(climate, D::ClimateTemperature, false), expected);
    QCOMPARE(m_store->getToleranceRange(climate, D::ClimateHumidity, false).delay2(), -1);
    QCOMPARE(m_store->getToleranceRange(climate, D::ClimateTemperature, true), ToleranceRangeDefinition());

    // The band spans 2.5 below to 3 above the set point (once the lower
    // limit was read negated, so 19 counted as below a set point of 20).
    const UnitValue setPoint(Unit::DegreeCelsius, 20.0f);
    QCOMPARE(expected.range().check(UnitValue(Unit::DegreeCelsius, 19.0f), setPoint), int(ToleranceRange::Inside));
    QCOMPARE(expected.range().check(UnitValue(Unit::DegreeCelsius, 17.0f), setPoint), int(ToleranceRange::Below));
    QCOMPARE(errors.count(), 0);

    // Two ranges for one signal: reported, and the first is used.
    QCOMPARE(m_store->getToleranceRange({edge::WideType, 0}, D::ClimateTemperatureSetPoint, true).name(),
             QString("Temperature"));
    QCOMPARE(errorsOf(errors), QList<DatabaseConnectionError>{UNEXPECTED_RESULT});
}

void tst_SqlConfigurationDatabaseConnection::getDefaultSignalDelay_readsDelaysInSeconds_data()
{
    QTest::addColumn<quint64>("chamberType");
    QTest::addColumn<int>("signalId");
    QTest::addColumn<bool>("second");
    QTest::addColumn<int>("delay");

    const quint64 climate = D::ClimateChamber;
    QTest::newRow("first delay in seconds") << climate << D::ClimateTemperature << false << 30;
    QTest::newRow("second delay from minutes") << climate << D::ClimateTemperature << true << 300;
    // An unset delay stays unset instead of becoming -60 seconds.
    QTest::newRow("second delay unset") << climate << D::ClimateHumidity << true << -1;
    QTest::newRow("no range") << climate << D::ClimateDoor << false << 180;
    QTest::newRow("range of another type") << quint64(D::TemperatureChamber) << D::ClimateTemperature << false << 180;
}

void tst_SqlConfigurationDatabaseConnection::getDefaultSignalDelay_readsDelaysInSeconds()
{
    QFETCH(quint64, chamberType);
    QFETCH(int, signalId);
    QFETCH(bool, second);
    QFETCH(int, delay);
    QCOMPARE(m_store->getDefaultSignalDelay({chamberType, 0}, signalId, second), delay);

    // A failed read gives the same answer as no row, and the store says it failed.
    m_sqlite->close();
    QSignalSpy errors(m_store.get(), &SqlConfigurationDatabaseConnection::error);
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("the database is not open"));
    QCOMPARE(m_store->getDefaultSignalDelay({chamberType, 0}, signalId, second), 180);
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("the database is not open"));
    QCOMPARE(m_store->getSignalUnit(signalId), int(Unit::None));
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("the database is not open"));
    QCOMPARE(m_store->getChamberType({chamberType, 0}, true), ChamberTypeData());
    QCOMPARE(errorsOf(errors), (QList<DatabaseConnectionError>{EXECUTION_FAILED, EXECUTION_FAILED, EXECUTION_FAILED}));
}

void tst_SqlConfigurationDatabaseConnection::largeCatalogue_readsEveryRow()
{
    // More controllers than one statement can bind, and one type with enough
    // set-point signals to need several batches of ids and enough
    // descriptors for one pass over their table.
    constexpr int TypeCount = 1200;
    constexpr int SignalCount = 6000;
    constexpr quint64 LargeType = 500;
    constexpr int FirstId = 100000;
    CatalogueContent content = D::content();
    for (int id = FirstId; id < FirstId + TypeCount; ++id) {
        content.controllers.append({id, QString("C%1").arg(id)});
        quelta::test::CatalogueChamberType type;
        type.id = quint64(id);
        type.controllerId = id;
        content.chamberTypes.append(type);
    }
    quelta::test::CatalogueChamberType large;
    large.id = LargeType;
    for (int id = FirstId; id < FirstId + SignalCount; ++id) {
        content.signalRows.append(edge::signalRow(id, id % 2 == 0 ? QVariant(id + 1) : QVariant()));
        content.signalRows.last().read = id;
        content.descriptors.append({id, QString::number(id), "RO", "UINT16", {}, {}, 4, "register", {}});
        large.signalIds.append(id);
    }
    content.chamberTypes.append(large);
    const QString path = newPath();
    QCOMPARE(CatalogueBuilder::create(path, content), QString());
    openCatalogue(path);
    QSignalSpy errors(m_store.get(), &SqlConfigurationDatabaseConnection::error);

    int named = 0;
    for (const ChamberTypeData &type : m_store->getChamberTypes(false))
        named += type.controller() == QString("C%1").arg(type.chamberTypeId()) ? 1 : 0;
    QCOMPARE(named, TypeCount);

    const QMap<int, ChamberSignal> all = m_store->getChamberType({LargeType, 0}, true).signals();
    QCOMPARE(all.size(), SignalCount);
    QCOMPARE(all.last().readAddress()->address(), QString::number(FirstId + SignalCount - 1));
    QCOMPARE(all.first().setPointSignal()->readAddress()->address(), QString::number(FirstId + 1));
    QCOMPARE(errors.count(), 0);
}

// Variants, interfaces and options are listed by id, and each option once,
// in whatever order the link tables hold them and however often.
void tst_SqlConfigurationDatabaseConnection::linkTablesInAnyOrder_giveTheSameRecords()
{
    const QList<ChamberTypeData> ordered = m_store->getChamberTypes(true);
    const ChamberTypeKey climate(D::ClimateChamber, D::ClimateLight);
    const ChamberTypeData one = m_store->getChamberType(climate, true);

    const QString path = newPath();
    QVERIFY(QFile::copy(m_path, path));
    {
        SqliteConnection connection("reversed");
        QVERIFY(connection.open(path, QString(), QString(), DatabaseKey));
        // Without their keys the tables are read in the order of their rows.
        for (const QString table :
             {"chamber_type_has_additional_info", "chamber_type_has_protocol", "chamber_type_has_options"}) {
            const QStringList statements{"CREATE TABLE reversed AS SELECT * FROM " + table + " ORDER BY rowid DESC",
                                         "DROP TABLE " + table, "ALTER TABLE reversed RENAME TO " + table};
            for (const QString &statement : statements)
                QVERIFY(connection.execute(quelta::test::SqlText(statement)).first);
        }
        QVERIFY(connection
                    .execute(quelta::test::SqlText(
                        "INSERT INTO chamber_type_has_options SELECT * FROM chamber_type_has_options"))
                    .first);
    }
    openCatalogue(path);
    QSignalSpy errors(m_store.get(), &SqlConfigurationDatabaseConnection::error);

    QCOMPARE(m_store->getChamberTypes(true), ordered);
    QCOMPARE(m_store->getChamberType(climate, true), one);
    QCOMPARE(errors.count(), 0);
}

QTEST_GUILESS_MAIN(tst_SqlConfigurationDatabaseConnection)
#include "tst_sqlconfigurationdatabaseconnection.moc"
