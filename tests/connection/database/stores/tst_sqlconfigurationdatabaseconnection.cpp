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
    QPair<bool, quint64> execute(const ISqlQuery &query) override
    {
        record(query);
        return m_connection.execute(query);
    }
    bool executeTransaction(const QList<QSharedPointer<ISqlQuery>> &queries) override
    {
        return m_connection.executeTransaction(queries);
    }
    QList<Row> select(const ISqlQuery &query) override
    {
        record(query);
        const QList<Row> rows = m_connection.select(query);
        return rowFilter ? rowFilter(query.getQuery(), rows) : rows;
    }
    void selectEach(const ISqlQuery &query, const RowFunction &function) override
    {
        record(query);
        if (!rowFilter) {
            m_connection.selectEach(query, function);
            return;
        }
        m_connection.selectEach(query, [&](const Row &row, int index) {
            for (const Row &filtered : rowFilter(query.getQuery(), {row}))
                function(filtered, index);
        });
    }
    QList<QVariant> selectColumn(const ISqlQuery &query) override
    {
        record(query);
        return m_connection.selectColumn(query);
    }
    Row selectRow(const ISqlQuery &query) override
    {
        record(query);
        const Row row = m_connection.selectRow(query);
        return rowFilter ? rowFilter(query.getQuery(), {row}).value(0) : row;
    }
    QVariant selectValue(const ISqlQuery &query) override
    {
        record(query);
        return m_connection.selectValue(query);
    }
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
    void record(const ISqlQuery &query) { statements.append(query.getQuery()); }

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

QList<int> keysOf(const QMap<int, ChamberSignal> &signalMap)
{
    return signalMap.keys();
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
    void initialize_findsEveryCatalogueTable();
    void initialize_missingTable_emitsMissingTableAndFails_data();
    void initialize_missingTable_emitsMissingTableAndFails();

    void getChamberTypes_givesOneRecordPerVariant();
    void withoutSignals_runsNoSignalStatement();
    void getChamberTypes_withSignals_fillsEveryType();
    void getChamberType_withSignals_fillsSignalsAndControlSignals();
    void getChamberType_missingOrAmbiguous_givesDefaultRecord_data();
    void getChamberType_missingOrAmbiguous_givesDefaultRecord();
    void getChamberType_takesTheVariantAsAsked();
    void getChamberType_absentColumns_giveDefaults();
    void getChamberType_idsBeyond32Bits_findTheirRows();
    void getTimeProgrammableChamberTypes_givesTypesWithProgrammableSignals();

    void signals_readValueTypeUnitAndRole();
    void signals_absentOrOddColumns_giveDefaults();
    void setPointSignal_isTheNamedSignal();
    void setPointCycle_terminatesWithNullSetPoint();
    void descriptors_convertAccessTypeAndNumber();
    void signalLookups_findSignalsByIdRoleAndUnit();
    void getChamberSignals_ordersBySetPointNumberWithRanges();
    void getDataLoggerSignals_followsChannels();
    void matchSignalsByValueType_pairsSignalsOfOneValueType();

    void getToleranceRange_bySetPointOrProcessValue();
    void getDefaultSignalDelay_readsDelaysInSeconds_data();
    void getDefaultSignalDelay_readsDelaysInSeconds();

    void largeType_readsEveryRowInBatches();
    void failedStatement_leavesOnlyItsPartEmpty();
    void rowOfWrongWidth_isReportedAndSkipped();

private:
    void openCatalogue(const QString &path);
    void buildAndOpen(const CatalogueContent &content);

    QTemporaryDir m_directory;
    QString m_demoPath;
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
}

void tst_SqlConfigurationDatabaseConnection::init()
{
    // Each test reads its own copy of the demo catalogue.
    const QString path = m_directory.filePath(QString("copy%1.sqlite3").arg(++m_databaseCount));
    QVERIFY(QFile::copy(m_demoPath, path));
    openCatalogue(path);
}

void tst_SqlConfigurationDatabaseConnection::cleanup()
{
    m_store.reset();
    m_connection.reset();
    m_sqlite.reset();
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
    int operations = 0;
    const auto check = [&](bool emptyResult, const char *operation) {
        ++operations;
        QVERIFY2(emptyResult, operation);
        QVERIFY2(errors.count() == operations, operation);
        QCOMPARE(errors.last().at(0).value<DatabaseConnectionError>(), NOT_INITIALIZED);
    };

    QVERIFY(!store.isInitialized());
    check(!store.initialize(), "initialize");
    check(store.getChamberTypes(true).isEmpty(), "getChamberTypes");
    check(store.getTimeProgrammableChamberTypes().isEmpty(), "getTimeProgrammableChamberTypes");
    check(store.getChamberType(key, true) == ChamberTypeData(), "getChamberType");
    check(store.getChamberTypeSignals(key).isEmpty(), "getChamberTypeSignals");
    check(store.getChamberSignals(key).isEmpty(), "getChamberSignals");
    check(store.getSetpointSignals(key).isEmpty(), "getSetpointSignals");
    check(store.getSignals({1, 2}).isEmpty(), "getSignals");
    check(store.getSignal(1).isNull(), "getSignal");
    check(store.matchSignalsByValueType(key, key).isEmpty(), "matchSignalsByValueType");
    check(store.getDataLoggerSignals(key).isEmpty(), "getDataLoggerSignals");
    check(store.getToleranceRange(key, 1, true) == ToleranceRangeDefinition(), "getToleranceRange");
    check(store.getDefaultSignalDelay(key, 1, false) == 0, "getDefaultSignalDelay");
    check(store.getSignalUnit(1) == Unit::None, "getSignalUnit");
}

void tst_SqlConfigurationDatabaseConnection::setConnections_withNullConnection_isNotReady()
{
    // The facade finds the store through its interfaces.
    QCOMPARE(qobject_cast<quelta::domain::api::IConfigurationDatabaseConnection *>(m_store.get()), m_store.get());
    QCOMPARE(qobject_cast<quelta::domain::api::IInitializing *>(m_store.get()), m_store.get());

    QVERIFY(m_store->isInitialized());
    QVERIFY(!m_store->setConnections(nullptr));
    QVERIFY(!m_store->isInitialized());

    QSignalSpy errors(m_store.get(), &SqlConfigurationDatabaseConnection::error);
    QVERIFY(m_store->getChamberTypes(false).isEmpty());
    QCOMPARE(errorsOf(errors), QList<DatabaseConnectionError>{NOT_INITIALIZED});
    QVERIFY(m_connection->statements.isEmpty());
}

void tst_SqlConfigurationDatabaseConnection::initialize_findsEveryCatalogueTable()
{
    QSignalSpy errors(m_store.get(), &SqlConfigurationDatabaseConnection::error);
    QVERIFY(m_store->initialize());
    QCOMPARE(errors.count(), 0);
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

void tst_SqlConfigurationDatabaseConnection::getChamberTypes_givesOneRecordPerVariant()
{
    QSignalSpy errors(m_store.get(), &SqlConfigurationDatabaseConnection::error);
    const QList<ChamberTypeData> types = m_store->getChamberTypes(false);
    QCOMPARE(errors.count(), 0);

    QList<ChamberTypeKey> keys;
    for (const ChamberTypeData &type : types)
        keys.append(type.key());
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

    // The three variants differ in their variant fields only.
    QCOMPARE(types.at(0).articleNumber(), QString("640100-01"));
    QCOMPARE(types.at(1).articleNumber(), QString("640100-02"));
    QCOMPARE(types.at(2).info(), QString("With light cassettes"));
    for (int index = 1; index < 3; ++index) {
        const ChamberTypeData &variant = types.at(index);
        const ChamberTypeData rebuilt(types.at(0).key(), variant.typeName(), variant.eLevel(), variant.size(),
                                      variant.voltage(), variant.image(), variant.description(),
                                      variant.firmwareStart(), variant.firmwareEnd(), variant.setupIdentifier(),
                                      variant.setupVersionStart(), variant.setupVersionEnd(),
                                      variant.programIdentifier(), types.at(0).articleNumber(), types.at(0).info(),
                                      variant.controller(), variant.interfaces(), variant.signals(),
                                      variant.controlSignals(), variant.options(), variant.additionalOptions());
        QCOMPARE(rebuilt, types.at(0));
    }

    // Every connection kind is offered by some type.
    QSet<int> kinds;
    for (const ChamberTypeData &type : types) {
        QVERIFY(type.signals().isEmpty());
        QVERIFY(type.controlSignals().isEmpty());
        const QList<int> interfaces = type.interfaces();
        kinds.unite(QSet<int>(interfaces.cbegin(), interfaces.cend()));
    }
    QCOMPARE(kinds, (QSet<int>{1, 2, 3, 4, 5, 6, 7, 8}));
    QCOMPARE(types.at(0).interfaces(), (QList<int>{1, 3}));
    QCOMPARE(types.at(0).controller(), QString("ZK4"));
}

void tst_SqlConfigurationDatabaseConnection::withoutSignals_runsNoSignalStatement()
{
    QVERIFY(!m_store->getChamberTypes(false).isEmpty());
    const ChamberTypeData type =
        m_store->getChamberType({DemoCatalogue::ClimateChamber, DemoCatalogue::ClimateLight}, false);
    QCOMPARE(type.articleNumber(), QString("640100-03"));
    QVERIFY(type.signals().isEmpty());
    QVERIFY(type.controlSignals().isEmpty());
    QCOMPARE(type.options().size(), 3);
    QCOMPARE(m_connection->signalStatements(), QStringList());
}
void tst_SqlConfigurationDatabaseConnection::getChamberTypes_withSignals_fillsEveryType()
{
    QSignalSpy errors(m_store.get(), &SqlConfigurationDatabaseConnection::error);
    const QList<ChamberTypeData> types = m_store->getChamberTypes(true);
    QCOMPARE(errors.count(), 0);
    QCOMPARE(types.size(), 10);

    for (const ChamberTypeData &type : types) {
        QVERIFY2(!type.signals().isEmpty(), qPrintable(type.typeName()));
        const ChamberTypeData single =
            m_store->getChamberType(type.key(), true);
        QCOMPARE(single, type);
    }
    QCOMPARE(keysOf(types.at(0).signals()), (QList<int>{1, 2, 3, 4, 5, 6, 7}));
    QCOMPARE(types.at(0).controlSignals().keys(), (QList<int>{1, 2, 3}));
    QCOMPARE(keysOf(types.at(3).signals()), (QList<int>{11, 12, 13, 14}));
    QVERIFY(types.at(3).controlSignals().isEmpty());
}

void tst_SqlConfigurationDatabaseConnection::getChamberType_withSignals_fillsSignalsAndControlSignals()
{
    QSignalSpy errors(m_store.get(), &SqlConfigurationDatabaseConnection::error);
    const ChamberTypeData type =
        m_store->getChamberType({DemoCatalogue::ClimateChamber, DemoCatalogue::ClimateWaterSupply}, true);
    QCOMPARE(errors.count(), 0);

    QCOMPARE(type.key(), ChamberTypeKey(DemoCatalogue::ClimateChamber, DemoCatalogue::ClimateWaterSupply));
    QCOMPARE(type.typeName(), QString("KLH"));
    QCOMPARE(type.eLevel(), QString("E2"));
    QCOMPARE(type.size(), 100);
    QCOMPARE(type.voltage(), QString("230 V"));
    QCOMPARE(type.image(), QString("klh.png"));
    QCOMPARE(type.description(), QString("Climate test chamber"));
    QCOMPARE(type.firmwareStart(), QString("4.10"));
    QCOMPARE(type.firmwareEnd(), QString("4.99"));
    QCOMPARE(type.setupIdentifier(), QString("KLH"));
    QCOMPARE(type.setupVersionStart(), 3);
    QCOMPARE(type.setupVersionEnd(), 7);
    QCOMPARE(type.programIdentifier(), QString("ZK4P"));
    QCOMPARE(type.articleNumber(), QString("640100-02"));
    QCOMPARE(type.info(), QString("With fixed water supply"));
    QCOMPARE(type.controller(), QString("ZK4"));
    QCOMPARE(type.interfaces(), (QList<int>{1, 3}));
    QVERIFY(type.additionalOptions().isEmpty());

    // The check takes the read address of the first signal in id order.
    const QMap<int, ChamberSignal> signalMap = type.signals();
    QCOMPARE(keysOf(signalMap), (QList<int>{1, 2, 3, 4, 5, 6, 7}));
    const auto temperatureRead = address(1001, "0xAC00", ControllerAddress::ReadOnly, QMetaType::Float, 1, -1,
                                         "Temperature actual value");
    QCOMPARE(*signalMap.first().readAddress(), *temperatureRead);

    const ChamberSignal &setPoint = signalMap[DemoCatalogue::ClimateTemperatureSetPoint];
    QCOMPARE(*setPoint.readAddress(), *address(1002, "0xAC02", ControllerAddress::ReadOnly, QMetaType::Float, 1, -1,
                                               "Temperature set point"));
    QCOMPARE(*setPoint.writeBasicAddress(), *address(1014, "0xAC20", ControllerAddress::WriteOnly, QMetaType::Float,
                                                     1, -1, "Temperature set point, basic mode"));
    QCOMPARE(*setPoint.writeManualAddress(), *address(1003, "0xAC40", ControllerAddress::ReadWrite, QMetaType::Float,
                                                      1, 1, "Temperature set point, manual mode"));
    QCOMPARE(*setPoint.writeAutoAddress(), *address(1004, "0xAC80", ControllerAddress::ReadWrite, QMetaType::Float,
                                                    1, 1, "Temperature set point, automatic mode"));
    QVERIFY(signalMap[DemoCatalogue::ClimateTemperature].writeManualAddress().isNull());

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
    QCOMPARE(controlSignals[3].readAddress().access(), int(ControllerAddress::NoAccess));
    QCOMPARE(controlSignals[3].readAddress().count(), 1);

    // An option whose fix flag is NULL is not fix.
    QCOMPARE(type.options(), (QList<ChamberOption>{{"TimeProgram", true},
                                                   {"Readable_DataStorage", false},
                                                   {"OperatingModeSwitching", false}}));
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
    QSignalSpy errors(m_store.get(), &SqlConfigurationDatabaseConnection::error);

    // A type without variants has variant 0 and no variant texts.
    const ChamberTypeData plain = m_store->getChamberType({DemoCatalogue::TemperatureChamber, 0}, true);
    QCOMPARE(plain.key(), ChamberTypeKey(DemoCatalogue::TemperatureChamber, 0));
    QCOMPARE(plain.articleNumber(), QString());
    QCOMPARE(plain.eLevel(), QString());
    QCOMPARE(plain.controller(), QString("QX2"));
    QCOMPARE(plain.interfaces(), (QList<int>{2, 3}));
    QCOMPARE(keysOf(plain.signals()), (QList<int>{11, 12, 13, 14}));

    // A variant of another type, or of none, is taken as asked.
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
void tst_SqlConfigurationDatabaseConnection::getChamberType_absentColumns_giveDefaults()
{
    buildAndOpen(edge::content());
    const ChamberTypeData bare = m_store->getChamberType({edge::BareType, 0}, false);
    QCOMPARE(bare.key(), ChamberTypeKey(edge::BareType, 0));
    QCOMPARE(bare.typeName(), QString());
    QCOMPARE(bare.size(), -1);
    QCOMPARE(bare.setupVersionStart(), -1);
    QCOMPARE(bare.setupVersionEnd(), -1);
    QCOMPARE(bare.controller(), QString());
    QVERIFY(bare.interfaces().isEmpty());
    QVERIFY(bare.options().isEmpty());

    // The vacuum controller has no size.
    QCOMPARE(m_store->getChamberType({DemoCatalogue::VacuumController, 0}, false).size(), -1);
}

void tst_SqlConfigurationDatabaseConnection::getChamberType_idsBeyond32Bits_findTheirRows()
{
    buildAndOpen(edge::content());
    QSignalSpy errors(m_store.get(), &SqlConfigurationDatabaseConnection::error);

    const ChamberTypeData type = m_store->getChamberType({edge::WideType, edge::SecondWideVariant}, true);
    QCOMPARE(type.key(), ChamberTypeKey(edge::WideType, edge::SecondWideVariant));
    QCOMPARE(type.typeName(), QString("XL"));
    QCOMPARE(type.articleNumber(), QString("WIDE-2"));
    QCOMPARE(type.interfaces(), QList<int>{3});
    QCOMPARE(keysOf(type.signals()), QList<int>{DemoCatalogue::ClimateTemperature});
    QCOMPARE(errors.count(), 0);

    QList<ChamberTypeKey> wideKeys;
    for (const ChamberTypeData &record : m_store->getChamberTypes(false)) {
        if (record.chamberTypeId() == edge::WideType)
            wideKeys.append(record.key());
    }
    QCOMPARE(wideKeys, (QList<ChamberTypeKey>{{edge::WideType, edge::WideVariant},
                                               {edge::WideType, edge::SecondWideVariant}}));
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

void tst_SqlConfigurationDatabaseConnection::signals_readValueTypeUnitAndRole()
{
    const QMap<int, ChamberSignal> signalMap = m_store->getChamberTypeSignals({DemoCatalogue::ClimateChamber, 0});
    QCOMPARE(keysOf(signalMap), (QList<int>{1, 2, 3, 4, 5, 6, 7}));

    const ChamberSignal temperature = signalMap[DemoCatalogue::ClimateTemperature];
    QCOMPARE(temperature.name(), QString("Temperature"));
    QCOMPARE(temperature.unit(), int(Unit::DegreeCelsius));
    QCOMPARE(temperature.color(), QColor("#e53935"));
    QCOMPARE(temperature.decimalPlaces(), 1);
    QCOMPARE(temperature.userLevel(), UserLevel::BASIC);
    QCOMPARE(temperature.limitMin(), -40.0f);
    QCOMPARE(temperature.limitMax(), 180.0f);
    QCOMPARE(temperature.signalType(), int(ChamberSignal::ProcessValue));

    const ChamberSignal setPoint = signalMap[DemoCatalogue::ClimateTemperatureSetPoint];
    QCOMPARE(setPoint.signalType(), int(ChamberSignal::SetPoint));
    QCOMPARE(setPoint.userLevel(), UserLevel::ADVANCED);
    QVERIFY(setPoint.isTimeProgrammable());
    QVERIFY(setPoint.isWeekProgrammable());

    QCOMPARE(signalMap[DemoCatalogue::ClimateHumidity].unit(), int(Unit::RelativeHumidityRH));

    // One bit of a register, without a unit of its own.
    const ChamberSignal door = signalMap[DemoCatalogue::ClimateDoor];
    QCOMPARE(door.unit(), int(Unit::None));
    QCOMPARE(door.bitPosition(), 3);
    QCOMPARE(door.decimalPlaces(), 0);
    QVERIFY(door.isDigital());

    QCOMPARE(signalMap[DemoCatalogue::ClimateLightSwitch].signalType(), int(ChamberSignal::SetPointProcessValue));

    // No value type: no colour and no decimal places; no unit; no role.
    const ChamberSignal hours = signalMap[DemoCatalogue::ClimateOperatingHours];
    QVERIFY(!hours.color().isValid());
    QCOMPARE(hours.decimalPlaces(), 0);
    QCOMPARE(hours.unit(), int(Unit::None));
    QCOMPARE(hours.signalType(), int(ChamberSignal::NoSignalType));
    QCOMPARE(hours.userLevel(), UserLevel::SERVICE);
    QCOMPARE(hours.limitMin(), std::numeric_limits<float>::lowest());
    QCOMPARE(hours.limitMax(), std::numeric_limits<float>::max());
}

void tst_SqlConfigurationDatabaseConnection::signals_absentOrOddColumns_giveDefaults()
{
    buildAndOpen(edge::content());
    const QMap<int, ChamberSignal> signalMap = m_store->getSignals({edge::OddColumns});
    QCOMPARE(keysOf(signalMap), QList<int>{edge::OddColumns});
    const ChamberSignal odd = signalMap.first();
    QCOMPARE(odd.signalType(), int(ChamberSignal::ProcessValue));
    QCOMPARE(odd.unit(), int(Unit::None));
    QCOMPARE(odd.userLevel(), UserLevel(0));
    QCOMPARE(odd.limitMin(), std::numeric_limits<float>::lowest());
    QCOMPARE(odd.limitMax(), std::numeric_limits<float>::max());
    QVERIFY(odd.readAddress().isNull());
    QCOMPARE(m_store->getSignalUnit(edge::OddColumns), int(Unit::None));
}

void tst_SqlConfigurationDatabaseConnection::setPointSignal_isTheNamedSignal()
{
    const QMap<int, ChamberSignal> signalMap = m_store->getChamberTypeSignals({DemoCatalogue::ClimateChamber, 0});
    const QSharedPointer<ChamberSignal> setPoint = signalMap[DemoCatalogue::ClimateTemperature].setPointSignal();
    QVERIFY(!setPoint.isNull());
    QCOMPARE(*setPoint, signalMap[DemoCatalogue::ClimateTemperatureSetPoint]);
    QCOMPARE(setPoint->writeManualAddress()->address(), QString("0xAC40"));
    QVERIFY(signalMap[DemoCatalogue::ClimateTemperatureSetPoint].setPointSignal().isNull());

    buildAndOpen(edge::content());
    QSignalSpy errors(m_store.get(), &SqlConfigurationDatabaseConnection::error);
    const QMap<int, ChamberSignal> self = m_store->getSignals({edge::SelfReference});
    QCOMPARE(keysOf(self), QList<int>{edge::SelfReference});
    QVERIFY(self.first().setPointSignal().isNull());
    QCOMPARE(errors.count(), 0);

    // The signal stays; only its set-point signal is missing.
    const QMap<int, ChamberSignal> dangling = m_store->getSignals({edge::DanglingSetPoint});
    QCOMPARE(keysOf(dangling), QList<int>{edge::DanglingSetPoint});
    QVERIFY(dangling.first().setPointSignal().isNull());
    QCOMPARE(errorsOf(errors), QList<DatabaseConnectionError>{UNEXPECTED_RESULT});
}
void tst_SqlConfigurationDatabaseConnection::setPointCycle_terminatesWithNullSetPoint()
{
    // Two set-point signals that name each other used to nest without end.
    buildAndOpen(edge::content());
    const QRegularExpression cycleWarning("closes a cycle of set-point signals");
    QTest::ignoreMessage(QtWarningMsg, cycleWarning);
    QTest::ignoreMessage(QtWarningMsg, cycleWarning);
    const QMap<int, ChamberSignal> pair = m_store->getSignals({edge::CycleA, edge::CycleB});
    QCOMPARE(keysOf(pair), (QList<int>{edge::CycleA, edge::CycleB}));
    const QSharedPointer<ChamberSignal> ofA = pair[edge::CycleA].setPointSignal();
    QVERIFY(!ofA.isNull());
    QCOMPARE(ofA->id(), edge::CycleB);
    QVERIFY(ofA->setPointSignal().isNull());
    const QSharedPointer<ChamberSignal> ofB = pair[edge::CycleB].setPointSignal();
    QVERIFY(!ofB.isNull());
    QCOMPARE(ofB->id(), edge::CycleA);
    QVERIFY(ofB->setPointSignal().isNull());

    QTest::ignoreMessage(QtWarningMsg, cycleWarning);
    const QMap<int, ChamberSignal> ring = m_store->getSignals({edge::LongCycleA});
    const QSharedPointer<ChamberSignal> second = ring[edge::LongCycleA].setPointSignal();
    QVERIFY(!second.isNull());
    QCOMPARE(second->id(), edge::LongCycleB);
    QCOMPARE(second->setPointSignal()->id(), edge::LongCycleC);
    QVERIFY(second->setPointSignal()->setPointSignal().isNull());
}

void tst_SqlConfigurationDatabaseConnection::descriptors_convertAccessTypeAndNumber()
{
    buildAndOpen(edge::content());
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

    // The value types of the demo catalogue's registers.
    const QMap<int, ChamberSignal> temperatureChamber =
        m_store->getChamberTypeSignals({DemoCatalogue::TemperatureChamber, 0});
    QCOMPARE(temperatureChamber[11].readAddress()->valueType(), qMetaTypeId<Int10>());
    QCOMPARE(temperatureChamber[13].readAddress()->valueType(), int(QMetaType::QTime));
    QCOMPARE(temperatureChamber[14].readAddress()->valueType(), int(QMetaType::Short));
    const QMap<int, ChamberSignal> climate = m_store->getChamberTypeSignals({DemoCatalogue::ClimateChamber, 0});
    QCOMPARE(*climate[DemoCatalogue::ClimateLightSwitch].readAddress(),
             *address(DemoCatalogue::ClimateDigitalOutputs, "0xAD10", ControllerAddress::ReadWrite, QMetaType::Bool,
                      16, 3, "Digital outputs"));

    // A control signal whose descriptor is missing keeps the empty one.
    const ChamberTypeData bare = m_store->getChamberType({edge::BareType, 0}, true);
    QCOMPARE(bare.controlSignals().value(90).readAddress(), ControllerAddress());
    QCOMPARE(bare.controlSignals().value(90).writeAddress(), ControllerAddress());
}

void tst_SqlConfigurationDatabaseConnection::signalLookups_findSignalsByIdRoleAndUnit()
{
    QSignalSpy errors(m_store.get(), &SqlConfigurationDatabaseConnection::error);
    QCOMPARE(keysOf(m_store->getSetpointSignals({DemoCatalogue::ClimateChamber, 0})),
             (QList<int>{DemoCatalogue::ClimateTemperatureSetPoint, DemoCatalogue::ClimateHumiditySetPoint}));
    QCOMPARE(keysOf(m_store->getSignals({14, 4711, 1})), (QList<int>{1, 14}));
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
    QCOMPARE(keysOf(matched),
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
    QTest::newRow("first delay of the second range") << climate << DemoCatalogue::ClimateHumidity << false << 60;
    // An unset delay stays unset instead of becoming -60 seconds.
    QTest::newRow("second delay unset") << climate << DemoCatalogue::ClimateHumidity << true << -1;
    QTest::newRow("no range, first") << climate << DemoCatalogue::ClimateDoor << false << 180;
    QTest::newRow("no range, second") << climate << DemoCatalogue::ClimateDoor << true << 180;
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
    QCOMPARE(keysOf(selected), some);
    for (const ChamberSignal &signal : selected)
        QCOMPARE(signal.readAddress()->id().value(), signal.id());
    QCOMPARE(errors.count(), 0);
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
    // Drop the last value of every signal row, as a broken connection might.
    m_connection->rowFilter = [](const QString &statement, QList<ISqlConnection::Row> rows) {
        if (statement.contains("FROM signal"))
            for (ISqlConnection::Row &row : rows)
                row.removeLast();
        return rows;
    };
    QSignalSpy errors(m_store.get(), &SqlConfigurationDatabaseConnection::error);
    QVERIFY(m_store->getChamberTypeSignals({DemoCatalogue::ClimateChamber, 0}).isEmpty());
    const QList<DatabaseConnectionError> reported = errorsOf(errors);
    QCOMPARE(reported.size(), 7);
    QCOMPARE(reported.count(UNEXPECTED_RESULT), 7);

    errors.clear();
    m_connection->rowFilter = [](const QString &statement, QList<ISqlConnection::Row> rows) {
        if (statement.contains("FROM chamber_type "))
            for (ISqlConnection::Row &row : rows)
                row.removeLast();
        return rows;
    };
    QCOMPARE(m_store->getChamberType({DemoCatalogue::TemperatureChamber, 0}, true), ChamberTypeData());
    QCOMPARE(errorsOf(errors), QList<DatabaseConnectionError>{UNEXPECTED_RESULT});
}

QTEST_GUILESS_MAIN(tst_SqlConfigurationDatabaseConnection)
#include "tst_sqlconfigurationdatabaseconnection.moc"
