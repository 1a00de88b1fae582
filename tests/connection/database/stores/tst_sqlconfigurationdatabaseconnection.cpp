#include "connection/database/stores/sqlconfigurationdatabaseconnection.h"

#include "connection/database/core/sqliteconnection.h"
#include "connection/database/core/sqlquery.h"
#include "domain/types/int10.h"
#include "domain/types/metatypes.h"
#include "domain/types/unit.h"
#include "support/cataloguebuilder.h"
#include "support/democatalogue.h"
#include "support/encrypteddatabase.h"

#include <QtCore/QFile>
#include <QtCore/QRegularExpression>
#include <QtCore/QTemporaryDir>
#include <QtTest/QtTest>

#include <functional>
#include <limits>
#include <memory>

using namespace quelta::base::connection::databaseconnection;
using namespace quelta::domain::types;
using quelta::domain::api::ISqlConnection;
using quelta::domain::api::ISqlQuery;
using quelta::test::CatalogueBuilder;
using quelta::test::CatalogueContent;
using quelta::test::DemoCatalogue;

Q_DECLARE_METATYPE(QList<DatabaseConnectionError>)

namespace {

// Passes every call on to the real connection and keeps the text of every
// statement, so that tests can tell which tables an operation read. A
// filter can change the rows of a select, as a broken driver might.
class RecordingConnection : public ISqlConnection
{
public:
    using RowFilter = std::function<QList<Row>(const QString &statement, QList<Row> rows)>;

    explicit RecordingConnection(ISqlConnection &connection)
        : m_connection(connection)
    {
    }

    bool open(const QString &path, const QString &user, const QString &password, const QString &key,
              OpenMode mode) override
    {
        return m_connection.open(path, user, password, key, mode);
    }
    void close() override { m_connection.close(); }
    QPair<bool, quint64> execute(const ISqlQuery &query) override { return m_connection.execute(record(query)); }
    bool executeTransaction(const QList<QSharedPointer<ISqlQuery>> &queries) override
    {
        return m_connection.executeTransaction(queries);
    }
    QList<Row> select(const ISqlQuery &query) override { return filter(query, m_connection.select(record(query))); }
    void selectEach(const ISqlQuery &query, const RowFunction &function) override
    {
        m_connection.selectEach(record(query), [&](const Row &row, int index) {
            for (const Row &filtered : filter(query, {row}))
                function(filtered, index);
        });
    }
    QList<QVariant> selectColumn(const ISqlQuery &query) override { return m_connection.selectColumn(record(query)); }
    Row selectRow(const ISqlQuery &query) override
    {
        return filter(query, {m_connection.selectRow(record(query))}).value(0);
    }
    QVariant selectValue(const ISqlQuery &query) override { return m_connection.selectValue(record(query)); }
    bool tableExists(const QString &table) override { return m_connection.tableExists(table); }
    int databaseVersion() override { return m_connection.databaseVersion(); }
    void emptyAllTables() override { m_connection.emptyAllTables(); }

    // The statements that read one of the signal tables.
    QStringList signalStatements() const
    {
        static const QRegularExpression signalTable(
            "\\b(signal|control_signals|chamber_type_has_signal|chamber_type_has_control_signals)\\b");
        return statements.filter(signalTable);
    }

    QStringList statements;
    RowFilter rowFilter;

private:
    const ISqlQuery &record(const ISqlQuery &query)
    {
        statements.append(query.getQuery());
        return query;
    }
    QList<Row> filter(const ISqlQuery &query, const QList<Row> &rows) const
    {
        return rowFilter ? rowFilter(query.getQuery(), rows) : rows;
    }

    ISqlConnection &m_connection;
};

QSharedPointer<ControllerAddress> address(int id, const QString &text, int access, int valueType, int count,
                                          int number, const QString &description)
{
    return QSharedPointer<ControllerAddress>::create(ControllerAddressId(id), text, access, valueType, count, number,
                                                     description);
}

QList<DatabaseConnectionError> errorsOf(const QSignalSpy &spy)
{
    QList<DatabaseConnectionError> errors;
    for (const QList<QVariant> &arguments : spy)
        errors.append(arguments.at(0).value<DatabaseConnectionError>());
    return errors;
}

QList<int> idsOf(const QList<ChamberSignal> &signalList)
{
    QList<int> ids;
    for (const ChamberSignal &signal : signalList)
        ids.append(signal.id());
    return ids;
}

// Catalogue rows that the demo catalogue, being realistic, does not hold.
namespace edge {

constexpr quint64 BareType = 90;
constexpr quint64 WideType = 3000000000ULL;        // above 2^31
constexpr quint64 WideVariant = 5000000000ULL;     // above 2^32
constexpr quint64 SecondWideVariant = 5000000001ULL;
constexpr int CycleA = 901;
constexpr int CycleB = 902;
constexpr int LongCycleA = 903;
constexpr int LongCycleB = 904;
constexpr int LongCycleC = 905;
constexpr int SelfReference = 906;
constexpr int DanglingSetPoint = 907;
constexpr int OddColumns = 908;
constexpr int OddDescriptors = 909;
constexpr int MissingId = 9999;

quelta::test::CatalogueSignal signalRow(int id, const QVariant &setPointSignal)
{
    quelta::test::CatalogueSignal row;
    row.id = id;
    row.name = QString("Edge %1").arg(id);
    row.unit = "°C";
    row.signalType = "process_value";
    row.setPointSignal = setPointSignal;
    return row;
}

CatalogueContent content()
{
    CatalogueContent content = DemoCatalogue::content();

    content.signalRows.append({signalRow(CycleA, CycleB), signalRow(CycleB, CycleA), signalRow(LongCycleA, LongCycleB),
                               signalRow(LongCycleB, LongCycleC), signalRow(LongCycleC, LongCycleA),
                               signalRow(SelfReference, SelfReference), signalRow(DanglingSetPoint, MissingId)});

    quelta::test::CatalogueSignal odd = signalRow(OddColumns, {});
    odd.signalType = "alarm";
    odd.unit = "furlong";
    odd.userLevel = "high";
    odd.limitMin = {};
    odd.limitMax = "";
    content.signalRows.append(odd);

    quelta::test::CatalogueSignal oddDescriptors = signalRow(OddDescriptors, {});
    oddDescriptors.read = 9001;
    oddDescriptors.writeBasic = 9002;
    oddDescriptors.writeManual = MissingId;
    content.signalRows.append(oddDescriptors);
    content.descriptors.append({9001, "0x0001", QString(), "UINT32[2]", {}, QString(), 4, "register", QString()});
    content.descriptors.append({9002, "0x0002", "rw", "INT16[]", 7, "Lower-case access", 4, "register", QString()});

    content.controlSignals.append({90, "Dangling", {}, {}, MissingId, -1});

    quelta::test::CatalogueChamberType bare;
    bare.id = BareType;
    bare.type = "";
    // The cycles belong to no type; they are read by id.
    bare.signalIds = {SelfReference, DanglingSetPoint, OddColumns, OddDescriptors};
    bare.controlSignalIds = {90};
    content.chamberTypes.append(bare);

    content.additionalInfos.append({WideVariant, "WIDE-1", "First wide variant"});
    content.additionalInfos.append({SecondWideVariant, "WIDE-2", "Second wide variant"});
    quelta::test::CatalogueChamberType wide;
    wide.id = WideType;
    wide.type = "XL";
    wide.size = 2000;
    wide.controllerId = 4;
    wide.protocolIds = {3};
    wide.additionalInfoIds = {WideVariant, SecondWideVariant};
    wide.signalIds = {DemoCatalogue::ClimateTemperature};
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
    void setConnections_withNullConnection_isNotReady();
    void initialize_missingTable_emitsMissingTableAndFails_data();
    void initialize_missingTable_emitsMissingTableAndFails();

    void getChamberTypes_givesOneRecordPerVariant_data();
    void getChamberTypes_givesOneRecordPerVariant();
    void getChamberType_withSignals_fillsEveryField();
    void getChamberType_missingOrAmbiguous_givesDefaultRecord_data();
    void getChamberType_missingOrAmbiguous_givesDefaultRecord();
    void getChamberType_takesTheVariantAsAsked();
    void getChamberType_absentColumnsAndIdsBeyond32Bits();
    void getTimeProgrammableChamberTypes_givesTypesWithProgrammableSignals();

    void signals_absentOrOddColumns_giveDefaults();
    void setPointSignals_followTheChainUntilItRepeats_data();
    void setPointSignals_followTheChainUntilItRepeats();
    void descriptors_convertAccessTypeAndNumber();
    void signalLookups_findSignalsByIdRoleAndUnit();
    void getChamberSignals_ordersBySetPointNumberWithRanges();
    void getDataLoggerSignals_followsChannels();
    void matchSignalsByValueType_pairsSignalsOfOneValueType();

    void getToleranceRange_bySetPointOrProcessValue();
    void getDefaultSignalDelay_readsDelaysInSeconds_data();
    void getDefaultSignalDelay_readsDelaysInSeconds();

    void largeType_readsEveryRowInBatches();
    void manyControllers_allNamed();
    void failedStatement_leavesOnlyItsPartEmpty();
    void rowOfWrongWidth_isReportedAndSkipped();

private:
    void openCopyOf(const QString &source);
    void openCatalogue(const QString &path);
    void buildAndOpen(const CatalogueContent &content);

    QTemporaryDir m_directory;
    QString m_demoPath;
    QString m_edgePath;
    int m_databaseCount = 0;
    std::unique_ptr<SqliteConnection> m_sqlite;
    std::unique_ptr<RecordingConnection> m_connection;
    std::unique_ptr<SqlConfigurationDatabaseConnection> m_store;
};

void tst_SqlConfigurationDatabaseConnection::initTestCase()
{
    registerMetaTypes();
    QVERIFY(m_directory.isValid());
    m_demoPath = m_directory.filePath("demo.sqlite3");
    QCOMPARE(CatalogueBuilder::create(m_demoPath, DemoCatalogue::content()), QString());
    m_edgePath = m_directory.filePath("edge.sqlite3");
    QCOMPARE(CatalogueBuilder::create(m_edgePath, edge::content()), QString());
}

void tst_SqlConfigurationDatabaseConnection::init()
{
    openCopyOf(m_demoPath);
}

void tst_SqlConfigurationDatabaseConnection::cleanup()
{
    m_store.reset();
    m_connection.reset();
    m_sqlite.reset();
}

// Each test reads its own copy of a catalogue.
void tst_SqlConfigurationDatabaseConnection::openCopyOf(const QString &source)
{
    const QString path = m_directory.filePath(QString("copy%1.sqlite3").arg(++m_databaseCount));
    QVERIFY(QFile::copy(source, path));
    openCatalogue(path);
}

void tst_SqlConfigurationDatabaseConnection::openCatalogue(const QString &path)
{
    cleanup();
    m_sqlite = std::make_unique<SqliteConnection>(QString("catalogue%1").arg(m_databaseCount));
    QVERIFY(m_sqlite->open(path, QString(), QString(), DatabaseKey));
    m_connection = std::make_unique<RecordingConnection>(*m_sqlite);
    m_store = std::make_unique<SqlConfigurationDatabaseConnection>();
    QVERIFY(m_store->setConnections(m_connection.get()));
}

void tst_SqlConfigurationDatabaseConnection::buildAndOpen(const CatalogueContent &content)
{
    const QString path = m_directory.filePath(QString("built%1.sqlite3").arg(++m_databaseCount));
    QCOMPARE(CatalogueBuilder::create(path, content), QString());
    openCatalogue(path);
}

void tst_SqlConfigurationDatabaseConnection::notConnected_everyOperationEmitsNotInitializedAndReturnsEmpty()
{
    SqlConfigurationDatabaseConnection store;
    QSignalSpy errors(&store, &SqlConfigurationDatabaseConnection::error);
    const ChamberTypeKey key(DemoCatalogue::ClimateChamber, DemoCatalogue::ClimateStandard);
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

void tst_SqlConfigurationDatabaseConnection::setConnections_withNullConnection_isNotReady()
{
    // The facade finds the store through its interfaces.
    QCOMPARE(qobject_cast<quelta::domain::api::IConfigurationDatabaseConnection *>(m_store.get()), m_store.get());
    QCOMPARE(qobject_cast<quelta::domain::api::IInitializing *>(m_store.get()), m_store.get());
    QCOMPARE(m_store->qt_metacast("IConfigurationDatabaseConnection"),
             static_cast<void *>(static_cast<quelta::domain::api::IConfigurationDatabaseConnection *>(m_store.get())));

    QVERIFY(m_store->isInitialized());
    QVERIFY(!m_store->setConnections(nullptr));
    QVERIFY(!m_store->isInitialized());

    QSignalSpy errors(m_store.get(), &SqlConfigurationDatabaseConnection::error);
    QVERIFY(m_store->getChamberTypes(false).isEmpty());
    QCOMPARE(errorsOf(errors), QList<DatabaseConnectionError>{NOT_INITIALIZED});
    QVERIFY(m_connection->statements.isEmpty());
}

void tst_SqlConfigurationDatabaseConnection::initialize_missingTable_emitsMissingTableAndFails_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<bool>("result");

    for (const char *table : {"additional_info", "chamber_type_has_additional_info", "chamber_type_has_protocol",
                              "chamber_type_has_signal", "chamber_type", "controller", "controller_data", "protocol",
                              "signal", "value_type"}) {
        QTest::newRow(table) << QString(table) << false;
    }
    // Tables the check does not ask for.
    QTest::newRow("options") << "options" << true;
    QTest::newRow("tolerance_range") << "tolerance_range" << true;
}

void tst_SqlConfigurationDatabaseConnection::initialize_missingTable_emitsMissingTableAndFails()
{
    QFETCH(QString, table);
    QFETCH(bool, result);

    const QString path = m_directory.filePath(QString("partial%1.sqlite3").arg(++m_databaseCount));
    QCOMPARE(quelta::test::createEncryptedDatabase(path, CatalogueBuilder::schemaScript({table})), QString());
    openCatalogue(path);
    QSignalSpy errors(m_store.get(), &SqlConfigurationDatabaseConnection::error);

    QCOMPARE(m_store->initialize(), result);
    const QList<DatabaseConnectionError> expected =
        result ? QList<DatabaseConnectionError>() : QList<DatabaseConnectionError>{MISSING_TABLE};
    QCOMPARE(errorsOf(errors), expected);
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
    QSignalSpy errors(m_store.get(), &SqlConfigurationDatabaseConnection::error);

    const QList<ChamberTypeData> types = m_store->getChamberTypes(withSignals);
    QList<ChamberTypeKey> keys;
    QSet<int> kinds;
    for (const ChamberTypeData &type : types) {
        keys.append(type.key());
        const QList<int> interfaces = type.interfaces();
        kinds.unite(QSet<int>(interfaces.cbegin(), interfaces.cend()));
        QCOMPARE(type.signals().isEmpty(), !withSignals);
        // The whole catalogue and the lookup of one record read alike.
        QCOMPARE(m_store->getChamberType(type.key(), withSignals), type);
    }
    const QList<ChamberTypeKey> expected{
        {DemoCatalogue::ClimateChamber, DemoCatalogue::ClimateStandard},
        {DemoCatalogue::ClimateChamber, DemoCatalogue::ClimateWaterSupply},
        {DemoCatalogue::ClimateChamber, DemoCatalogue::ClimateLight},
        {DemoCatalogue::TemperatureChamber, 0},
        {DemoCatalogue::DryingOven, DemoCatalogue::DryingOvenStandard},
        {DemoCatalogue::VacuumController, 401},
        {DemoCatalogue::SimservChamber, 501},
        {DemoCatalogue::CtsChamber, 601},
        {DemoCatalogue::PlantChamber, 701},
        {DemoCatalogue::IncubatorChamber, 801}};
    QCOMPARE(keys, expected);
    QCOMPARE(types.at(0).articleNumber(), QString("640100-01"));
    QCOMPARE(types.at(2).info(), QString("With light cassettes"));
    QCOMPARE(types.at(2).options().size(), 3);
    // Every connection kind is offered by some type.
    QCOMPARE(kinds, (QSet<int>{1, 2, 3, 4, 5, 6, 7, 8}));
    QCOMPARE(types.at(0).controlSignals().keys(), withSignals ? (QList<int>{1, 2, 3}) : QList<int>());
    QCOMPARE(errors.count(), 0);
    if (!withSignals)
        QCOMPARE(m_connection->signalStatements(), QStringList());
}

void tst_SqlConfigurationDatabaseConnection::getChamberType_withSignals_fillsEveryField()
{
    QSignalSpy errors(m_store.get(), &SqlConfigurationDatabaseConnection::error);
    const ChamberTypeKey key(DemoCatalogue::ClimateChamber, DemoCatalogue::ClimateWaterSupply);
    const ChamberTypeData type = m_store->getChamberType(key, true);
    QCOMPARE(errors.count(), 0);

    // An option whose fix flag is NULL is not fix.
    const QList<ChamberOption> options{
        {"TimeProgram", true}, {"Readable_DataStorage", false}, {"OperatingModeSwitching", false}};
    QCOMPARE(type, ChamberTypeData(key, "KLH", "E2", 100, "230 V", "klh.png", "Climate test chamber", "4.10", "4.99",
                                   "KLH", 3, 7, "ZK4P", "640100-02", "With fixed water supply", "ZK4", {1, 3},
                                   type.signals(), type.controlSignals(), options, {}));

    const QMap<int, ChamberSignal> signalMap = type.signals();
    QCOMPARE(signalMap.keys(), (QList<int>{1, 2, 3, 4, 5, 6, 7}));
    const QColor red("#e53935");
    constexpr int Float = QMetaType::Float;
    const ChamberSignal setPoint(
        DemoCatalogue::ClimateTemperatureSetPoint, "Temperature set point", Unit::DegreeCelsius, red, 1,
        UserLevel::ADVANCED, -40.0f, 180.0f, -1, ChamberSignal::SetPoint, {}, true, true,
        address(1002, "0xAC02", ControllerAddress::ReadOnly, Float, 1, -1, "Temperature set point"),
        address(1014, "0xAC20", ControllerAddress::WriteOnly, Float, 1, -1, "Temperature set point, basic mode"),
        address(1003, "0xAC40", ControllerAddress::ReadWrite, Float, 1, 1, "Temperature set point, manual mode"),
        address(1004, "0xAC80", ControllerAddress::ReadWrite, Float, 1, 1, "Temperature set point, automatic mode"));
    QCOMPARE(signalMap.value(DemoCatalogue::ClimateTemperatureSetPoint), setPoint);
    QCOMPARE(signalMap.value(DemoCatalogue::ClimateTemperature),
             ChamberSignal(DemoCatalogue::ClimateTemperature, "Temperature", Unit::DegreeCelsius, red, 1,
                           UserLevel::BASIC, -40.0f, 180.0f, -1, ChamberSignal::ProcessValue,
                           QSharedPointer<ChamberSignal>::create(setPoint), false, false,
                           address(1001, "0xAC00", ControllerAddress::ReadOnly, Float, 1, -1,
                                   "Temperature actual value"),
                           {}, {}, {}));
    QCOMPARE(signalMap.value(DemoCatalogue::ClimateHumidity).unit(), int(Unit::RelativeHumidityRH));
    // One bit of a register, without a unit of its own.
    const ChamberSignal door = signalMap.value(DemoCatalogue::ClimateDoor);
    QCOMPARE(door.bitPosition(), 3);
    QVERIFY(door.isDigital());
    QCOMPARE(signalMap.value(DemoCatalogue::ClimateLightSwitch).signalType(),
             int(ChamberSignal::SetPointProcessValue));

    const ControllerAddress statusWord(ControllerAddressId(1013), "0xAD21", ControllerAddress::ReadOnly,
                                       QMetaType::UShort, 1, -1, "Status word");
    const ControllerAddress controlWord(ControllerAddressId(1012), "0xAD20", ControllerAddress::WriteOnly,
                                        QMetaType::UShort, 1, -1, "Control word");
    const QMap<int, ControlSignal> controlSignals = type.controlSignals();
    QCOMPARE(controlSignals.keys(), (QList<int>{1, 2, 3}));
    QCOMPARE(controlSignals[1], ControlSignal(ControlSignalId(1), "Start", 0, 2, statusWord, controlWord));
    QCOMPARE(controlSignals[2], ControlSignal(ControlSignalId(2), "Defrost", 1, 3, statusWord, controlWord));
    // A read column of -1 leaves the empty descriptor.
    QCOMPARE(controlSignals[3],
             ControlSignal(ControlSignalId(3), "Alarm reset", 2, 2, ControllerAddress(), controlWord));
}

void tst_SqlConfigurationDatabaseConnection::getChamberType_missingOrAmbiguous_givesDefaultRecord_data()
{
    QTest::addColumn<quint64>("chamberType");
    QTest::addColumn<quint64>("variant");

    QTest::newRow("missing type") << quint64(4711) << quint64(0);
    QTest::newRow("missing type, with variant") << quint64(4711) << quint64(DemoCatalogue::ClimateLight);
    QTest::newRow("three variants, none asked for") << quint64(DemoCatalogue::ClimateChamber) << quint64(0);
}

void tst_SqlConfigurationDatabaseConnection::getChamberType_missingOrAmbiguous_givesDefaultRecord()
{
    QFETCH(quint64, chamberType);
    QFETCH(quint64, variant);
    QSignalSpy errors(m_store.get(), &SqlConfigurationDatabaseConnection::error);

    const ChamberTypeData type = m_store->getChamberType({chamberType, variant}, true);
    QCOMPARE(type, ChamberTypeData());
    QCOMPARE(type.size(), -1);
    QCOMPARE(errorsOf(errors), QList<DatabaseConnectionError>{UNEXPECTED_RESULT});
    QCOMPARE(m_connection->signalStatements(), QStringList());
}

void tst_SqlConfigurationDatabaseConnection::getChamberType_takesTheVariantAsAsked()
{
    // A variant of another type, or of none, is taken as asked.
    QSignalSpy errors(m_store.get(), &SqlConfigurationDatabaseConnection::error);
    const ChamberTypeData foreign =
        m_store->getChamberType({DemoCatalogue::TemperatureChamber, DemoCatalogue::ClimateLight}, false);
    QCOMPARE(foreign.key(), ChamberTypeKey(DemoCatalogue::TemperatureChamber, DemoCatalogue::ClimateLight));
    QCOMPARE(foreign.typeName(), QString("TK"));
    QCOMPARE(foreign.articleNumber(), QString("640100-03"));
    const ChamberTypeData unknown = m_store->getChamberType({DemoCatalogue::TemperatureChamber, 12345}, false);
    QCOMPARE(unknown.key(), ChamberTypeKey(DemoCatalogue::TemperatureChamber, 12345));
    QCOMPARE(unknown.articleNumber(), QString());
    QCOMPARE(errors.count(), 0);
}

void tst_SqlConfigurationDatabaseConnection::getChamberType_absentColumnsAndIdsBeyond32Bits()
{
    openCopyOf(m_edgePath);
    QSignalSpy errors(m_store.get(), &SqlConfigurationDatabaseConnection::error);

    // Ids above 2^31 are bound as 64-bit integers and find their rows.
    const ChamberTypeData wide = m_store->getChamberType({edge::WideType, edge::SecondWideVariant}, true);
    QCOMPARE(wide.key(), ChamberTypeKey(edge::WideType, edge::SecondWideVariant));
    QCOMPARE(wide.typeName(), QString("XL"));
    QCOMPARE(wide.articleNumber(), QString("WIDE-2"));
    QCOMPARE(wide.interfaces(), QList<int>{3});
    QCOMPARE(wide.signals().keys(), QList<int>{DemoCatalogue::ClimateTemperature});
    QList<ChamberTypeKey> wideKeys;
    for (const ChamberTypeData &record : m_store->getChamberTypes(false)) {
        if (record.chamberTypeId() == edge::WideType)
            wideKeys.append(record.key());
    }
    QCOMPARE(wideKeys, (QList<ChamberTypeKey>{{edge::WideType, edge::WideVariant},
                                               {edge::WideType, edge::SecondWideVariant}}));

    const ChamberTypeData bare = m_store->getChamberType({edge::BareType, 0}, false);
    QCOMPARE(bare, ChamberTypeData({edge::BareType, 0}, QString(), QString(), -1, QString(), QString(), QString(),
                                   QString(), QString(), QString(), -1, -1, QString(), QString(), QString(),
                                   QString(), {}, {}, {}, {}, {}));
    // The vacuum controller has no size.
    QCOMPARE(m_store->getChamberType({DemoCatalogue::VacuumController, 0}, false).size(), -1);
    QCOMPARE(errors.count(), 0);
}

void tst_SqlConfigurationDatabaseConnection::getTimeProgrammableChamberTypes_givesTypesWithProgrammableSignals()
{
    QSet<quint64> typeIds;
    int records = 0;
    for (const ChamberTypeData &type : m_store->getTimeProgrammableChamberTypes()) {
        ++records;
        typeIds.insert(type.chamberTypeId());
        QVERIFY(type.signals().isEmpty());
    }
    QCOMPARE(typeIds, (QSet<quint64>{DemoCatalogue::ClimateChamber, DemoCatalogue::TemperatureChamber,
                                     DemoCatalogue::DryingOven, DemoCatalogue::VacuumController,
                                     DemoCatalogue::PlantChamber, DemoCatalogue::IncubatorChamber}));
    QCOMPARE(records, 8);
}

void tst_SqlConfigurationDatabaseConnection::signals_absentOrOddColumns_giveDefaults()
{
    openCopyOf(m_edgePath);
    const QMap<int, ChamberSignal> signalMap =
        m_store->getSignals({DemoCatalogue::ClimateOperatingHours, edge::OddColumns});
    QCOMPARE(signalMap.keys(), (QList<int>{DemoCatalogue::ClimateOperatingHours, edge::OddColumns}));

    // No value type, so no colour and no decimal places; no unit, no role,
    // no limits.
    const ChamberSignal hours = signalMap.first();
    QVERIFY(!hours.color().isValid());
    QCOMPARE(hours.decimalPlaces(), 0);
    QCOMPARE(hours.unit(), int(Unit::None));
    QCOMPARE(hours.signalType(), int(ChamberSignal::NoSignalType));
    QCOMPARE(hours.userLevel(), UserLevel::SERVICE);
    QCOMPARE(hours.limitMin(), std::numeric_limits<float>::lowest());
    QCOMPARE(hours.limitMax(), std::numeric_limits<float>::max());

    // An unknown role, unit and user level, and an empty limit text.
    const ChamberSignal odd = signalMap.last();
    QCOMPARE(odd.signalType(), int(ChamberSignal::ProcessValue));
    QCOMPARE(odd.unit(), int(Unit::None));
    QCOMPARE(odd.userLevel(), UserLevel(0));
    QCOMPARE(odd.limitMax(), std::numeric_limits<float>::max());
    QVERIFY(odd.readAddress().isNull());
    QCOMPARE(m_store->getSignalUnit(edge::OddColumns), int(Unit::None));
}

void tst_SqlConfigurationDatabaseConnection::setPointSignals_followTheChainUntilItRepeats_data()
{
    QTest::addColumn<QList<int>>("asked");
    QTest::addColumn<int>("start");
    QTest::addColumn<QList<int>>("chain");
    QTest::addColumn<QList<DatabaseConnectionError>>("errors");

    const QList<DatabaseConnectionError> none;
    QTest::newRow("named set point") << QList<int>{DemoCatalogue::ClimateTemperature}
                                     << DemoCatalogue::ClimateTemperature
                                     << QList<int>{DemoCatalogue::ClimateTemperatureSetPoint} << none;
    QTest::newRow("itself") << QList<int>{edge::SelfReference} << edge::SelfReference << QList<int>() << none;
    // The signal stays; only its set-point signal is missing.
    QTest::newRow("missing") << QList<int>{edge::DanglingSetPoint} << edge::DanglingSetPoint << QList<int>()
                             << QList<DatabaseConnectionError>{UNEXPECTED_RESULT};
    // Two set-point signals that name each other used to nest without end.
    QTest::newRow("pair, first") << QList<int>{edge::CycleA, edge::CycleB} << edge::CycleA
                                 << QList<int>{edge::CycleB} << none;
    QTest::newRow("pair, second") << QList<int>{edge::CycleA, edge::CycleB} << edge::CycleB
                                  << QList<int>{edge::CycleA} << none;
    QTest::newRow("ring of three") << QList<int>{edge::LongCycleA} << edge::LongCycleA
                                   << QList<int>{edge::LongCycleB, edge::LongCycleC} << none;
}

void tst_SqlConfigurationDatabaseConnection::setPointSignals_followTheChainUntilItRepeats()
{
    QFETCH(QList<int>, asked);
    QFETCH(int, start);
    QFETCH(QList<int>, chain);
    QFETCH(QList<DatabaseConnectionError>, errors);

    openCopyOf(m_edgePath);
    QSignalSpy spy(m_store.get(), &SqlConfigurationDatabaseConnection::error);

    const QMap<int, ChamberSignal> signalMap = m_store->getSignals(asked);
    QCOMPARE(signalMap.keys(), asked);
    QList<int> followed;
    for (QSharedPointer<ChamberSignal> setPoint = signalMap.value(start).setPointSignal(); !setPoint.isNull();
         setPoint = setPoint->setPointSignal()) {
        followed.append(setPoint->id());
    }
    QCOMPARE(followed, chain);
    QCOMPARE(errorsOf(spy), errors);
}

void tst_SqlConfigurationDatabaseConnection::descriptors_convertAccessTypeAndNumber()
{
    openCopyOf(m_edgePath);
    QSignalSpy errors(m_store.get(), &SqlConfigurationDatabaseConnection::error);
    const QSharedPointer<ChamberSignal> signal = m_store->getSignal(edge::OddDescriptors);
    QVERIFY(!signal.isNull());

    // access NULL, UINT32[2], set_point_nr NULL
    QCOMPARE(*signal->readAddress(), *address(9001, "0x0001", ControllerAddress::NoAccess, QMetaType::UInt, 2, -1,
                                              QString()));
    // "rw" is not "RW"; INT16[] has no count
    QCOMPARE(*signal->writeBasicAddress(), *address(9002, "0x0002", ControllerAddress::ReadOnly, QMetaType::Short, 0, 7,
                                                    "Lower-case access"));
    // An id without a controller_data row leaves the address empty.
    QVERIFY(signal->writeManualAddress().isNull());
    QVERIFY(signal->writeAutoAddress().isNull());
    QCOMPARE(errorsOf(errors), QList<DatabaseConnectionError>{UNEXPECTED_RESULT});

    // A control signal whose descriptor is missing keeps the empty one.
    const ChamberTypeData bare = m_store->getChamberType({edge::BareType, 0}, true);
    QCOMPARE(bare.controlSignals().value(90).readAddress(), ControllerAddress());
    QCOMPARE(bare.controlSignals().value(90).writeAddress(), ControllerAddress());
}

void tst_SqlConfigurationDatabaseConnection::signalLookups_findSignalsByIdRoleAndUnit()
{
    QSignalSpy errors(m_store.get(), &SqlConfigurationDatabaseConnection::error);
    QCOMPARE(m_store->getSetpointSignals({DemoCatalogue::ClimateChamber, 0}).keys(),
             (QList<int>{DemoCatalogue::ClimateTemperatureSetPoint, DemoCatalogue::ClimateHumiditySetPoint}));
    QCOMPARE(m_store->getSignals({14, 4711, 1}).keys(), (QList<int>{1, 14}));
    QVERIFY(m_store->getSignals({}).isEmpty());

    const QSharedPointer<ChamberSignal> signal = m_store->getSignal(DemoCatalogue::TemperatureChamberSetPoint);
    QVERIFY(!signal.isNull());
    QCOMPARE(signal->name(), QString("Temperature set point"));
    QCOMPARE(signal->readAddress()->valueType(), qMetaTypeId<Int10>());

    QCOMPARE(m_store->getSignalUnit(DemoCatalogue::ClimateTemperature), int(Unit::DegreeCelsius));
    QCOMPARE(m_store->getSignalUnit(31), int(Unit::Millibar));
    QCOMPARE(m_store->getSignalUnit(DemoCatalogue::ClimateOperatingHours), int(Unit::None));
    QCOMPARE(m_store->getSignalUnit(4711), int(Unit::None));
    QCOMPARE(errors.count(), 0);

    QVERIFY(m_store->getSignal(4711).isNull());
    QCOMPARE(errorsOf(errors), QList<DatabaseConnectionError>{UNEXPECTED_RESULT});
}

void tst_SqlConfigurationDatabaseConnection::getChamberSignals_ordersBySetPointNumberWithRanges()
{
    CatalogueContent content = DemoCatalogue::content();
    // Time-programmable, but without a manual-mode write descriptor.
    quelta::test::CatalogueSignal unwritable = edge::signalRow(950, {});
    unwritable.timeProgrammable = true;
    unwritable.writeAuto = DemoCatalogue::ClimateTemperatureSetPointAuto;
    content.signalRows.append(unwritable);
    content.chamberTypes[0].signalIds.append(950);
    buildAndOpen(content);

    QSignalSpy errors(m_store.get(), &SqlConfigurationDatabaseConnection::error);
    const auto pairs = m_store->getChamberSignals({DemoCatalogue::ClimateChamber, 0});
    QCOMPARE(errors.count(), 0);
    QList<int> ids;
    for (const auto &pair : pairs)
        ids.append(pair.first.id());
    // set_point_nr 1, 2 and 3
    QCOMPARE(ids, (QList<int>{DemoCatalogue::ClimateTemperatureSetPoint, DemoCatalogue::ClimateHumiditySetPoint,
                              DemoCatalogue::ClimateLightSwitch}));
    QCOMPARE(pairs.at(0).second.name(), QString("Temperature"));
    QCOMPARE(pairs.at(1).second.name(), QString("Humidity"));
    QCOMPARE(pairs.at(2).second, ToleranceRangeDefinition());
}

void tst_SqlConfigurationDatabaseConnection::getDataLoggerSignals_followsChannels()
{
    QCOMPARE(idsOf(m_store->getDataLoggerSignals({DemoCatalogue::ClimateChamber, 0})),
             (QList<int>{DemoCatalogue::ClimateTemperature, DemoCatalogue::ClimateHumidity,
                         DemoCatalogue::ClimateLightSwitch}));
    QCOMPARE(idsOf(m_store->getDataLoggerSignals({DemoCatalogue::DryingOven, 0})), QList<int>());
}

void tst_SqlConfigurationDatabaseConnection::matchSignalsByValueType_pairsSignalsOfOneValueType()
{
    const QMap<int, ChamberSignal> matched =
        m_store->matchSignalsByValueType({DemoCatalogue::ClimateChamber, 0}, {DemoCatalogue::TemperatureChamber, 0});
    // Only the two temperature signals share a value type with the other
    // type, which has two temperature signals of its own.
    QCOMPARE(matched.keys(),
             (QList<int>{DemoCatalogue::ClimateTemperature, DemoCatalogue::ClimateTemperatureSetPoint}));
    for (const ChamberSignal &signal : matched) {
        QVERIFY(signal.id() == DemoCatalogue::TemperatureChamberTemperature
                || signal.id() == DemoCatalogue::TemperatureChamberSetPoint);
        QCOMPARE(signal.readAddress()->valueType(), qMetaTypeId<Int10>());
    }
    QVERIFY(m_store->matchSignalsByValueType({DemoCatalogue::ClimateChamber, 0}, {DemoCatalogue::CtsChamber, 0})
                .contains(DemoCatalogue::ClimateTemperature));
}

void tst_SqlConfigurationDatabaseConnection::getToleranceRange_bySetPointOrProcessValue()
{
    const ChamberTypeKey climate(DemoCatalogue::ClimateChamber, 0);
    const ToleranceRangeDefinition expected(
        "Temperature", DemoCatalogue::ClimateTemperatureSetPoint, DemoCatalogue::ClimateTemperature,
        ToleranceRange(ToleranceRange::Relative, UnitValue(Unit::DegreeCelsius, 2.5f),
                       UnitValue(Unit::DegreeCelsius, 3.0f)),
        30, 5);
    QCOMPARE(m_store->getToleranceRange(climate, DemoCatalogue::ClimateTemperatureSetPoint, true), expected);
    QCOMPARE(m_store->getToleranceRange(climate, DemoCatalogue::ClimateTemperature, false), expected);

    // The band spans 2.5 below to 3 above the set point (once the lower
    // limit was read negated, so 19 counted as below a set point of 20).
    const ToleranceRange band = expected.range();
    const UnitValue setPoint(Unit::DegreeCelsius, 20.0f);
    QCOMPARE(band.check(UnitValue(Unit::DegreeCelsius, 19.0f), setPoint), int(ToleranceRange::Inside));
    QCOMPARE(band.check(UnitValue(Unit::DegreeCelsius, 17.0f), setPoint), int(ToleranceRange::Below));
    QCOMPARE(band.check(UnitValue(Unit::DegreeCelsius, 23.5f), setPoint), int(ToleranceRange::Above));

    const ToleranceRangeDefinition humidity =
        m_store->getToleranceRange(climate, DemoCatalogue::ClimateHumidity, false);
    QCOMPARE(humidity.range().lower(), UnitValue(Unit::RelativeHumidityRH, 5.0f));
    QCOMPARE(humidity.delay2(), -1);

    // Not by the other role, not for another type.
    QCOMPARE(m_store->getToleranceRange(climate, DemoCatalogue::ClimateTemperature, true), ToleranceRangeDefinition());
    QCOMPARE(m_store->getToleranceRange({DemoCatalogue::TemperatureChamber, 0},
                                        DemoCatalogue::ClimateTemperatureSetPoint, true),
             ToleranceRangeDefinition());

    // Several ranges for one signal: reported, and the first is used.
    CatalogueContent content = DemoCatalogue::content();
    content.toleranceRanges.append({99, "Second temperature band", DemoCatalogue::ClimateTemperatureSetPoint,
                                    DemoCatalogue::ClimateTemperature, 1.0, 1.0, 10, 1});
    content.chamberTypes[0].toleranceRangeIds.append(99);
    buildAndOpen(content);
    QSignalSpy errors(m_store.get(), &SqlConfigurationDatabaseConnection::error);
    QCOMPARE(m_store->getToleranceRange(climate, DemoCatalogue::ClimateTemperatureSetPoint, true).name(),
             QString("Temperature"));
    QCOMPARE(errorsOf(errors), QList<DatabaseConnectionError>{UNEXPECTED_RESULT});
}

void tst_SqlConfigurationDatabaseConnection::getDefaultSignalDelay_readsDelaysInSeconds_data()
{
    QTest::addColumn<quint64>("chamberType");
    QTest::addColumn<int>("signalId");
    QTest::addColumn<bool>("second");
    QTest::addColumn<int>("delay");

    const quint64 climate = DemoCatalogue::ClimateChamber;
    QTest::newRow("first delay in seconds") << climate << DemoCatalogue::ClimateTemperature << false << 30;
    QTest::newRow("second delay from minutes") << climate << DemoCatalogue::ClimateTemperature << true << 300;
    // An unset delay stays unset instead of becoming -60 seconds.
    QTest::newRow("second delay unset") << climate << DemoCatalogue::ClimateHumidity << true << -1;
    QTest::newRow("no range, first") << climate << DemoCatalogue::ClimateDoor << false << 180;
    QTest::newRow("found by process value only")
        << climate << DemoCatalogue::ClimateTemperatureSetPoint << false << 180;
    QTest::newRow("range of another type") << quint64(DemoCatalogue::TemperatureChamber)
                                           << DemoCatalogue::ClimateTemperature << false << 180;
    QTest::newRow("other type's own range") << quint64(DemoCatalogue::TemperatureChamber)
                                            << DemoCatalogue::TemperatureChamberTemperature << true << 600;
}

void tst_SqlConfigurationDatabaseConnection::getDefaultSignalDelay_readsDelaysInSeconds()
{
    QFETCH(quint64, chamberType);
    QFETCH(int, signalId);
    QFETCH(bool, second);
    QFETCH(int, delay);
    QCOMPARE(m_store->getDefaultSignalDelay({chamberType, 0}, signalId, second), delay);
}

void tst_SqlConfigurationDatabaseConnection::largeType_readsEveryRowInBatches()
{
    // Enough signals and descriptors to need several batches of ids and,
    // for the whole type, one pass over the descriptor table.
    constexpr int SignalCount = 6000;
    constexpr quint64 LargeType = 500;
    constexpr int FirstId = 100000;
    CatalogueContent content = DemoCatalogue::content();
    quelta::test::CatalogueChamberType type;
    type.id = LargeType;
    type.type = "Large";
    for (int index = 0; index < SignalCount; ++index) {
        const int id = FirstId + index;
        quelta::test::CatalogueSignal signal = edge::signalRow(id, index % 2 == 0 ? QVariant(id + 1) : QVariant());
        signal.read = id;
        content.signalRows.append(signal);
        content.descriptors.append({id, QString("0x%1").arg(index, 4, 16, QChar('0')), "RO", "UINT16", {},
                                    QString(), 4, "register", QString()});
        type.signalIds.append(id);
    }
    content.chamberTypes.append(type);
    buildAndOpen(content);
    QSignalSpy errors(m_store.get(), &SqlConfigurationDatabaseConnection::error);

    const QMap<int, ChamberSignal> all = m_store->getChamberType({LargeType, 0}, true).signals();
    QCOMPARE(all.size(), SignalCount);
    QCOMPARE(all.first().readAddress()->address(), QString("0x0000"));
    QCOMPARE(all.last().readAddress()->address(), QString("0x176f"));
    QCOMPARE(all.first().setPointSignal()->readAddress()->address(), QString("0x0001"));

    QList<int> some;
    for (int index = 0; index < SignalCount; index += 5)
        some.append(FirstId + index);
    const QMap<int, ChamberSignal> selected = m_store->getSignals(some);
    QCOMPARE(selected.keys(), some);
    for (const ChamberSignal &signal : selected)
        QCOMPARE(signal.readAddress()->id().value(), signal.id());
    QCOMPARE(errors.count(), 0);
}

void tst_SqlConfigurationDatabaseConnection::manyControllers_allNamed()
{
    // More controllers than one statement can bind as values.
    constexpr int TypeCount = 1200;
    constexpr int FirstId = 10000;
    CatalogueContent content = DemoCatalogue::content();
    for (int index = 0; index < TypeCount; ++index) {
        const int id = FirstId + index;
        content.controllers.append({id, QString("C%1").arg(id)});
        quelta::test::CatalogueChamberType type;
        type.id = quint64(id);
        type.type = "Many";
        type.controllerId = id;
        content.chamberTypes.append(type);
    }
    buildAndOpen(content);

    int named = 0;
    for (const ChamberTypeData &type : m_store->getChamberTypes(false)) {
        if (type.chamberTypeId() >= FirstId && type.controller() == QString("C%1").arg(type.chamberTypeId()))
            ++named;
    }
    QCOMPARE(named, TypeCount);
}

void tst_SqlConfigurationDatabaseConnection::failedStatement_leavesOnlyItsPartEmpty()
{
    // A catalogue without its options tables: that statement fails, the
    // rest of the record is read.
    const QString path = m_directory.filePath(QString("nooptions%1.sqlite3").arg(++m_databaseCount));
    QCOMPARE(quelta::test::createEncryptedDatabase(
                 path, CatalogueBuilder::schemaScript({"options", "chamber_type_has_options"})
                           + "INSERT INTO controller VALUES (4, 'ZK4');"
                             "INSERT INTO chamber_type (id, type, size, controller_id) VALUES (1, 'KLH', 100, 4);"
                             "INSERT INTO chamber_type_has_protocol VALUES (1, 3);"),
             QString());
    openCatalogue(path);
    QSignalSpy storeErrors(m_store.get(), &SqlConfigurationDatabaseConnection::error);
    QSignalSpy connectionErrors(m_sqlite.get(), &SqliteConnection::error);

    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("."));
    const ChamberTypeData type = m_store->getChamberType({1, 0}, false);
    QCOMPARE(type.typeName(), QString("KLH"));
    QCOMPARE(type.controller(), QString("ZK4"));
    QCOMPARE(type.interfaces(), QList<int>{3});
    QVERIFY(type.options().isEmpty());
    QCOMPARE(storeErrors.count(), 0);
    QVERIFY(connectionErrors.count() > 0);
}

void tst_SqlConfigurationDatabaseConnection::rowOfWrongWidth_isReportedAndSkipped()
{
    // Drops the last value of every row a statement reads from the table,
    // as a broken connection might.
    const auto shortenRowsOf = [](const QString &table) {
        return [table](const QString &statement, QList<ISqlConnection::Row> rows) {
            if (statement.contains("FROM " + table + ' '))
                for (ISqlConnection::Row &row : rows)
                    row.removeLast();
            return rows;
        };
    };
    QSignalSpy errors(m_store.get(), &SqlConfigurationDatabaseConnection::error);
    m_connection->rowFilter = shortenRowsOf("signal");
    QVERIFY(m_store->getChamberTypeSignals({DemoCatalogue::ClimateChamber, 0}).isEmpty());
    QCOMPARE(errorsOf(errors).toVector(), QVector<DatabaseConnectionError>(7, UNEXPECTED_RESULT));

    errors.clear();
    m_connection->rowFilter = shortenRowsOf("chamber_type");
    QCOMPARE(m_store->getChamberType({DemoCatalogue::TemperatureChamber, 0}, true), ChamberTypeData());
    QCOMPARE(errorsOf(errors), QList<DatabaseConnectionError>{UNEXPECTED_RESULT});
}

QTEST_GUILESS_MAIN(tst_SqlConfigurationDatabaseConnection)
#include "tst_sqlconfigurationdatabaseconnection.moc"
