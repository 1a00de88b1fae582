#include "connection/database/stores/sqlprogramdatabaseconnection.h"

#include "connection/database/core/sqliteconnection.h"
#include "connection/database/stores/sqlconfigurationdatabaseconnection.h"
#include "support/databaseerrors.h"
#include "support/datadatabase.h"
#include "support/democatalogue.h"
#include "support/encrypteddatabase.h"
#include "support/recordingconnection.h"
#include "support/sqltext.h"

#include <QtCore/QLoggingCategory>
#include <QtCore/QRegularExpression>
#include <QtCore/QSet>
#include <QtCore/QTemporaryDir>
#include <QtTest/QtTest>

#include <sqlcipher/sqlite3.h>

using namespace quelta::base::connection::databaseconnection;
using namespace quelta::domain::types;
using quelta::test::SqlText;
using D = quelta::test::DemoCatalogue;

namespace {

const QStringList ProgramTables{"program", "program_step", "program_section", "program_setpoint",
                                "program_step_repetition"};

// What a reader without the key gets from the file's first page.
int readWithoutKey(const QString &path)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    const int result = sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return result;
}

// Each program's steps are looked up by program; without an index every
// look-up reads all the steps of a chain, 20,000 times over.
const QString StepsOfProgramIndex = "CREATE INDEX IF NOT EXISTS steps_of_program ON program_step (program_id)";

// Imports and exports commit statement by statement; a chain of 20,000
// programs makes tens of thousands of commits, each waiting for the disk
// unless the databases live in memory.
QString scratchDirectoryTemplate()
{
    const QFileInfo memory("/dev/shm");
    const QString parent = memory.isDir() && memory.isWritable() ? memory.filePath() : QDir::tempPath();
    return parent + "/tst_sqlprogramdatabaseconnection-XXXXXX";
}

ToleranceRange relative(int unit, const QVariant &lower, const QVariant &upper)
{
    return ToleranceRange(ToleranceRange::Relative, UnitValue(unit, lower), UnitValue(unit, upper));
}

} // namespace

class tst_SqlProgramDatabaseConnection : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void notReady_givesEmptyResultsAndRunsNoStatement();
    void program_roundTripsInTheSignalsUnits();
    void deleteProgram_removesEverythingOrNothing();
    void programFile_carriesProgramsEncryptedUnderNewNames();
    void programFile_refusedImportLeavesNoRows_data();
    void programFile_refusedImportLeavesNoRows();
    void exportProgramsToFile_writesOnlyIntoProgramFiles_data();
    void exportProgramsToFile_writesOnlyIntoProgramFiles();
    void programFile_copiesEachProgramOnce_data();
    void programFile_copiesEachProgramOnce();
    void catalogueReadFailing_failsTheWholeOperation();

private:
    // Main: a section, a call of Sub, a section, and a loop over all three.
    int addMainCallingSub();
    QList<int> rowCounts()
    {
        QList<int> counts;
        for (const QString &table : ProgramTables)
            counts << m_data.selectValue(SqlText("SELECT count(*) FROM " + table)).toInt();
        return counts;
    }
    ChamberSignal signal(int id) { return *m_configuration.getSignal(id); }
    // The steps with their content and loops, ids left out, called programs
    // written out in place.
    QString outline(int programId);
    // The calls among the programs imported from a file of that base name,
    // each program by its number in the order the import first met it.
    QSet<QPair<int, int>> importedCalls(const QString &baseName);
    // The calls among the programs of an exported file, by their ids there.
    QSet<QPair<int, int>> exportedCalls(const QUrl &file);
    QUrl fileUrl(const QString &name) { return QUrl::fromLocalFile(m_directory.filePath(name)); }

    QTemporaryDir m_directory{scratchDirectoryTemplate()};
    int m_fileCount = 0;
    QString m_dataPath;
    SqliteConnection m_data{"data"};
    SqlConfigurationDatabaseConnection m_configuration;
    SqlProgramDatabaseConnection m_store;
    int m_sub = 0;
};

void tst_SqlProgramDatabaseConnection::init()
{
    m_dataPath = m_directory.filePath(QString("data%1.sqlite3").arg(++m_fileCount));
    QCOMPARE(quelta::test::createDataDatabaseWithCatalogue(m_dataPath, D::content()), QString());
    QVERIFY(m_data.open(m_dataPath, QString(), QString(), DatabaseKey));
    QVERIFY(m_configuration.setConnections(&m_data));
    QVERIFY(m_store.setConnections(&m_data, &m_configuration));
}

int tst_SqlProgramDatabaseConnection::addMainCallingSub()
{
    const ChamberTypeData type = m_configuration.getChamberType({D::TemperatureChamber, 0}, true);
    ProgramData sub(0, "Sub", 7, "called", 2, true, type);
    ProgramData main(0, "Main", 7, "calls Sub", 1, false, type);
    if (!m_store.addProgram(sub) || !m_store.addProgram(main))
        return 0;
    m_sub = sub.id();
    QList<ProgramChange> subSteps{
        {0, sub.id(), ProgramSection(0, {{signal(14), 40.0F, Unit::Percent}}, 0, ProgramSection::JUMP, true, "m"), 1}};
    // The set point in kelvin and its limits as kelvin differences; the
    // signal without unit cannot be stored.
    const ProgramSection warmUp(0,
                                {{signal(12), 373.15F, Unit::Kelvin, relative(Unit::Kelvin, 2.0F, 3.0F)},
                                 {signal(13), 5.0F, Unit::None}},
                                600, ProgramSection::RAMP, false, "warm up");
    // Saved out of order; read back in order.
    QList<ProgramChange> steps{{0, main.id(), ProgramSection(0, {{signal(12), 20.0F, Unit::DegreeCelsius}}, 60,
                                                              ProgramSection::JUMP, false, QString()), 3},
                               {0, main.id(), warmUp, 1},
                               {0, main.id(), sub, 2}};
    QTest::ignoreMessage(QtWarningMsg, "Can't write setpoint to database with invalid unit");
    if (!m_store.saveProgramSteps(sub.id(), subSteps) || !m_store.saveProgramSteps(main.id(), steps))
        return 0;
    QList<ProgramStep> loop{{0, main.id(), steps.at(1).id(), steps.at(0).id(), 2}};
    return m_store.saveStepRepetitions(main.id(), loop) ? main.id() : 0;
}

QString tst_SqlProgramDatabaseConnection::outline(int programId)
{
    QString text;
    QDebug debug(&text);
    QList<int> stepIds;
    const QList<ProgramChange> steps = m_store.getProgramSteps(programId);
    for (const ProgramChange &step : steps) {
        stepIds << step.id();
        ProgramSection section = step.section();
        section.setId(0);
        debug << step.orderNumber();
        if (step.stepType() == ProgramChange::SectionStep)
            debug << section;
        else
            debug << "calls" << outline(step.subProgram().id());
    }
    const QList<ProgramStep> loops = m_store.getStepRepetitions(programId);
    for (const ProgramStep &loop : loops)
        debug << "loop" << stepIds.indexOf(loop.startStepId()) << stepIds.indexOf(loop.endStepId()) << loop.numRepetitions();
    return text;
}

void tst_SqlProgramDatabaseConnection::notReady_givesEmptyResultsAndRunsNoStatement()
{
    QCOMPARE(m_store.qt_metacast("IProgramDatabaseConnection"),
             static_cast<void *>(static_cast<IProgramDatabaseConnection *>(&m_store)));
    QCOMPARE(m_store.qt_metacast("domain::api::IProgramDatabaseConnection"),
             static_cast<void *>(static_cast<IProgramDatabaseConnection *>(&m_store)));
    QSignalSpy errors(&m_store, &SqlProgramDatabaseConnection::error);
    // The repetition table is not asked for; a missing table only answers false.
    QVERIFY(m_data.execute(SqlText("DROP TABLE program_step_repetition")).first && m_store.initialize());
    QVERIFY(m_data.execute(SqlText("DROP TABLE program_setpoint")).first && !m_store.initialize());

    quelta::test::RecordingConnection recorder(m_data);
    QVERIFY(!m_store.setConnections(&recorder, nullptr));
    QList<ProgramChange> steps;
    QVERIFY(m_store.getPrograms().isEmpty() && m_store.getProgram(1) == ProgramData(0, {}, 0, {}, 1, false, {}));
    QVERIFY(m_store.programExists(1) && m_store.containsSubPrograms(1) && !m_store.saveProgramSteps(1, steps));
    QCOMPARE(m_store.getStepRepetitionsOfSteps(1, 2), ProgramStep(0, 0, 0, 0, -1));
    QVERIFY(!m_store.exportProgramsToFile(1, fileUrl("Never.prog")) && !QFile::exists(m_directory.filePath("Never.prog")));
    QCOMPARE(quelta::test::errorsOf(errors), QVector<DatabaseConnectionError>(7, NOT_INITIALIZED).toList());
    QCOMPARE(recorder.statements(), QStringList());
}

void tst_SqlProgramDatabaseConnection::program_roundTripsInTheSignalsUnits()
{
    const int main = addMainCallingSub();
    QVERIFY(main != 0);
    QCOMPARE(m_store.getProgramIdByName("Main"), main);
    QVERIFY(m_store.containsSubPrograms(main) && !m_store.containsSubPrograms(m_sub));
    QCOMPARE(m_store.getProgramChamberType(main), ChamberTypeKey(D::TemperatureChamber, 0));

    // Stored in degrees Celsius, the limits as differences.
    QCOMPARE(m_data.select(SqlText("SELECT signal_id, setpoint, tolerance_range_min, tolerance_range_max "
                                   "FROM program_setpoint ORDER BY setpoint")),
             (QList<QVariantList>{{qint64(12), 20.0, "", ""}, {qint64(14), 40.0, "", ""}, {qint64(12), 100.0, 2.0, 3.0}}));
    QCOMPARE(m_data.selectValue(SqlText("SELECT count(*) FROM program_section WHERE duration_in_seconds IS NULL")),
             QVariant(qint64(1)));
    const QList<ProgramChange> steps = m_store.getProgramSteps(main);
    QCOMPARE(steps.size(), 3);
    const auto celsius = [](const QVariant &lower, const QVariant &upper) {
        return relative(Unit::DegreeCelsius, lower, upper);
    };
    QCOMPARE(steps.at(0).section(),
             ProgramSection(steps.at(0).section().id(), {{signal(12), 100.0F, Unit::DegreeCelsius, celsius(2.0F, 3.0F)}},
                            600, ProgramSection::RAMP, false, "warm up"));
    QCOMPARE(steps.at(1), ProgramChange(steps.at(1).id(), main, m_store.getProgram(m_sub), 2));
    QCOMPARE(steps.at(2).section().setpoints(),
             (QList<SetpointValue>{{signal(12), 20.0F, Unit::DegreeCelsius, celsius({}, {})}}));
    QCOMPARE(m_store.getProgramSteps(m_sub).at(0).section().durationInSeconds(), qint64(0));
    const ProgramStep loop = m_store.getStepRepetitionsOfSteps(steps.at(0).section().id(), steps.at(2).section().id());
    QCOMPARE(loop, ProgramStep(loop.id(), main, steps.at(0).id(), steps.at(2).id(), 2));
    QCOMPARE(m_store.getStepRepetitions(main), QList<ProgramStep>{loop});

    // Removing the left-over loops used to fail unnoticed.
    QVERIFY(m_data.execute(SqlText("CREATE TRIGGER keep BEFORE DELETE ON program_step_repetition BEGIN "
                                   "SELECT RAISE(ABORT, 'kept'); END")).first);
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("kept"));
    QList<ProgramStep> none;
    QVERIFY(!m_store.saveStepRepetitions(main, none));
    QCOMPARE(m_store.getStepRepetitions(main), QList<ProgramStep>{loop});
}

void tst_SqlProgramDatabaseConnection::deleteProgram_removesEverythingOrNothing()
{
    const int main = addMainCallingSub();
    QVERIFY(main != 0);
    const QList<int> before = rowCounts();
    QCOMPARE(before, (QList<int>{2, 4, 3, 3, 1}));

    // Main calls Sub. Deleting it used to take its setpoints and sections before failing.
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("FOREIGN KEY"));
    QVERIFY(!m_store.deleteProgram(m_sub));
    QCOMPARE(rowCounts(), before);
    // Main's loop used to keep its steps from going.
    QVERIFY(m_store.deleteProgram(main) && m_store.deleteProgram(m_sub));
    QCOMPARE(rowCounts(), (QList<int>{0, 0, 0, 0, 0}));
}

void tst_SqlProgramDatabaseConnection::programFile_carriesProgramsEncryptedUnderNewNames()
{
    const int main = addMainCallingSub();
    QVERIFY(main != 0);
    const QUrl file = fileUrl("Heating.old.prog");
    QVERIFY(m_store.exportProgramsToFile(main, file));
    QCOMPARE(readWithoutKey(file.toLocalFile()), SQLITE_NOTADB);

    const QString original = outline(main);
    QVERIFY(original.contains("calls"));
    const int first = m_store.importProgramsFromFile(file, 3);
    const int second = m_store.importProgramsFromFile(file, 4);
    QCOMPARE(outline(first), original);
    QCOMPARE(outline(second), original);
    const ProgramData imported = m_store.getProgram(second);
    QCOMPARE(imported.programName(), QString("Heating_imported1"));
    QCOMPARE(imported.userId(), 4);
    QVERIFY(!imported.isEdited());
    QCOMPARE(imported.chamberType().chamberTypeId(), D::TemperatureChamber);
    QCOMPARE(m_store.getProgramName(first), QString("Heating_imported"));
    QCOMPARE(m_store.getProgramName(m_store.getProgramSteps(first).at(1).subProgram().id()), QString("Heating_subimported"));
    QCOMPARE(m_store.getProgramName(m_store.getProgramSteps(second).at(1).subProgram().id()), QString("Heating_subimported1"));

    // A program that is not there used to empty the file and answer true.
    QFile exported(file.toLocalFile());
    QVERIFY(exported.open(QIODevice::ReadOnly));
    const QByteArray content = exported.readAll();
    QTest::ignoreMessage(QtWarningMsg, "No program found 999");
    QVERIFY(!m_store.exportProgramsToFile(999, file));
    QCOMPARE(exported.seek(0) ? exported.readAll() : QByteArray(), content);

    // A cycle in the data used to recurse without end.
    QVERIFY(m_data.execute(SqlText("INSERT INTO program_step (program_id, order_number, step_type, sub_program_id) "
                                   "VALUES (?, 2, 2, ?)",
                                   {m_sub, main})).first);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("calls itself"));
    QTest::ignoreMessage(QtWarningMsg, "Could not export subprogram");
    QTest::ignoreMessage(QtWarningMsg, "Could not export subprogram");
    QVERIFY(!m_store.exportProgramsToFile(main, file));
}

void tst_SqlProgramDatabaseConnection::programFile_refusedImportLeavesNoRows_data()
{
    QTest::addColumn<QString>("url");
    // Run on a file that holds the exported programs; none: no such file.
    QTest::addColumn<QString>("fileChange");
    QTest::addColumn<QString>("warning");

    // An empty path used to open a temporary database, a mistyped one to create the file.
    QTest::newRow("web address") << "https://example.org/Heating.prog" << QString() << "Could not open file";
    QTest::newRow("mistyped path") << "Heatng.prog" << QString() << "Could not open file";
    QTest::newRow("no program") << "Heating.prog"
                                << "DELETE FROM program_step_repetition; DELETE FROM program_step; DELETE FROM program"
                                << "No program found";
    QTest::newRow("call of no program") << "Heating.prog"
                                        << "UPDATE program_step SET step_type = 2, section_id = NULL "
                                           "WHERE sub_program_id IS NULL"
                                        << "No program found";
    // Used to recurse without end.
    QTest::newRow("cycle") << "Heating.prog"
                           << "INSERT INTO program_step (program_id, order_number, step_type, sub_program_id) "
                              "VALUES (2, 2, 2, 1)"
                           << "calls itself";
}

void tst_SqlProgramDatabaseConnection::programFile_refusedImportLeavesNoRows()
{
    QFETCH(QString, url);
    QFETCH(QString, fileChange);
    QFETCH(QString, warning);
    const int main = addMainCallingSub();
    QVERIFY(main != 0);
    const QString path = m_directory.filePath(url);
    if (!fileChange.isEmpty()) {
        QVERIFY(m_store.exportProgramsToFile(main, QUrl::fromLocalFile(path)));
        QCOMPARE(quelta::test::runSqlScript(path, fileChange), QString());
    }
    const QList<int> before = rowCounts();

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(warning));
    const QUrl file = url.startsWith("https:") ? QUrl(url) : QUrl::fromLocalFile(path);
    QCOMPARE(m_store.importProgramsFromFile(file, 3), 0);
    QCOMPARE(rowCounts(), before);
    QCOMPARE(QFile::exists(path), !fileChange.isEmpty());
}

void tst_SqlProgramDatabaseConnection::exportProgramsToFile_writesOnlyIntoProgramFiles_data()
{
    // Run on a file that holds the exported programs (its loop removed, which
    // the export puts back); none: a new file.
    QTest::addColumn<QString>("fileChange");
    QTest::addColumn<bool>("intoData");
    QTest::addColumn<bool>("exported");

    QTest::newRow("new file") << QString() << false << true;
    QTest::newRow("program file") << "DELETE FROM program_step_repetition" << false << true;
    QTest::newRow("program file with a further table") << "CREATE TABLE notes (x INTEGER)" << false << false;
    // Opens under the same key; exporting used to empty all its tables.
    QTest::newRow("configuration database") << QString() << true << false;
}

void tst_SqlProgramDatabaseConnection::exportProgramsToFile_writesOnlyIntoProgramFiles()
{
    QFETCH(QString, fileChange);
    QFETCH(bool, intoData);
    QFETCH(bool, exported);
    const int main = addMainCallingSub();
    QVERIFY(main != 0);
    const QString path = intoData ? m_dataPath : m_directory.filePath(QString("Target%1.prog").arg(m_fileCount));
    if (!fileChange.isEmpty()) {
        QVERIFY(m_store.exportProgramsToFile(main, QUrl::fromLocalFile(path)));
        QCOMPARE(quelta::test::runSqlScript(path, fileChange), QString());
    }
    const QList<int> before = rowCounts();
    const QList<ChamberTypeData> types = m_configuration.getChamberTypes(false);

    if (!exported)
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Not a program file .*" + QFileInfo(path).fileName()));
    QCOMPARE(m_store.exportProgramsToFile(main, QUrl::fromLocalFile(path)), exported);
    QCOMPARE(rowCounts(), before);
    QCOMPARE(m_configuration.getChamberTypes(false), types);
    // What the file holds now, written or kept.
    if (!intoData)
        QCOMPARE(outline(m_store.importProgramsFromFile(QUrl::fromLocalFile(path), 3)), outline(main));
}

QSet<QPair<int, int>> tst_SqlProgramDatabaseConnection::importedCalls(const QString &baseName)
{
    const auto number = [&baseName](const QString &name) {
        if (name == baseName + "_imported")
            return 1;
        const QString counter = name.mid(baseName.size() + QString("_subimported").size());
        return counter.isEmpty() ? 2 : counter.toInt() + 2;
    };
    QSet<QPair<int, int>> calls;
    const QList<QVariantList> rows = m_data.select(
        SqlText("SELECT caller.program_name, callee.program_name FROM program_step "
                "JOIN program AS caller ON caller.id = program_step.program_id "
                "JOIN program AS callee ON callee.id = program_step.sub_program_id WHERE caller.program_name GLOB ?",
                {baseName + "_*"}));
    for (const QVariantList &row : rows)
        calls.insert({number(row.at(0).toString()), number(row.at(1).toString())});
    return calls;
}

QSet<QPair<int, int>> tst_SqlProgramDatabaseConnection::exportedCalls(const QUrl &file)
{
    SqliteConnection programFile("programFile");
    if (!programFile.open(file.toLocalFile(), QString(), QString(), DatabaseKey))
        return {};
    QSet<QPair<int, int>> calls;
    const QList<QVariantList> rows = programFile.select(SqlText("SELECT program_id, sub_program_id FROM program_step"));
    for (const QVariantList &row : rows)
        calls.insert({row.at(0).toInt(), row.at(1).toInt()});
    return calls;
}

void tst_SqlProgramDatabaseConnection::programFile_copiesEachProgramOnce_data()
{
    QTest::addColumn<int>("programs");
    // How many of the next programs each program calls.
    QTest::addColumn<int>("callees");

    // Copied once per call, they used to become 376.
    QTest::newRow("each calling the next two") << 12 << 2;
    // Copied by one nested call per level, the chain used to overflow the stack.
    QTest::newRow("chain of calls deeper than the stack") << 20000 << 1;
}

void tst_SqlProgramDatabaseConnection::programFile_copiesEachProgramOnce()
{
    QFETCH(int, programs);
    QFETCH(int, callees);
    const int main = addMainCallingSub();
    QVERIFY(main != 0);
    const QUrl file = fileUrl("Graph.prog");
    QVERIFY(m_store.exportProgramsToFile(main, file));
    // P1 to Pn, Pi calling P(i + 1) to P(i + callees) in steps of those order numbers.
    const QString numbers = "WITH RECURSIVE n(id) AS (VALUES (1) UNION ALL SELECT id + 1 FROM n WHERE id < %1), "
                            "callee(next) AS (VALUES (1) UNION ALL SELECT next + 1 FROM callee WHERE next < %2) ";
    const QString graph = "DELETE FROM program_setpoint; DELETE FROM program_step_repetition; DELETE FROM program_step; "
                          "DELETE FROM program_section; DELETE FROM program; "
                          + numbers + "INSERT INTO program (id, program_name, program_type) SELECT id, 'P' || id, 1 FROM n; "
                          + numbers + "INSERT INTO program_step (program_id, order_number, step_type, sub_program_id) "
                                      "SELECT id, id + next, 2, id + next FROM n, callee WHERE id + next <= %1; "
                          + StepsOfProgramIndex;
    QCOMPARE(quelta::test::runSqlScript(file.toLocalFile(), graph.arg(programs).arg(callees)), QString());
    QVERIFY(m_data.execute(SqlText(StepsOfProgramIndex)).first);
    QSet<QPair<int, int>> calls;
    for (int caller = 1; caller <= programs; ++caller) {
        for (int callee = caller + 1; callee <= qMin(caller + callees, programs); ++callee)
            calls.insert({caller, callee});
    }
    const auto programCount = [this] { return m_data.selectValue(SqlText("SELECT count(*) FROM program")).toInt(); };
    const int before = programCount();

    const int imported = m_store.importProgramsFromFile(file, 3);
    QVERIFY(imported != 0);
    QCOMPARE(programCount() - before, programs);
    // A program called from several levels arrives once, and every call reaches that copy.
    QCOMPARE(importedCalls("Graph"), calls);

    // Exported again, each program is written once, too, and numbered in
    // the order first met.
    const QUrl exported = fileUrl("Graph2.prog");
    QVERIFY(m_store.exportProgramsToFile(imported, exported));
    QCOMPARE(exportedCalls(exported), calls);
}

// A catalogue read that failed used to leave programs without their type's
// signals and sections without their set points, read, saved and copied so.
void tst_SqlProgramDatabaseConnection::catalogueReadFailing_failsTheWholeOperation()
{
    const int main = addMainCallingSub();
    const QUrl file = fileUrl("Main.prog");
    QVERIFY(main != 0 && m_store.exportProgramsToFile(main, file));
    QList<ProgramChange> steps = m_store.getProgramSteps(main);
    const QList<int> before = rowCounts();
    QSignalSpy errors(&m_store, &SqlProgramDatabaseConnection::error);

    // The types' signals, the set points' signals and their units are read from it.
    QVERIFY(m_data.execute(SqlText("ALTER TABLE signal RENAME TO unreadable")).first);
    QLoggingCategory::setFilterRules("quelta.SqliteConnection.critical=false");
    QVERIFY(m_store.getPrograms().isEmpty() && m_store.getProgramSteps(main).isEmpty());
    QVERIFY(!m_store.saveProgramSteps(main, steps) && !m_store.exportProgramsToFile(main, fileUrl("Unread.prog")));
    QCOMPARE(m_store.importProgramsFromFile(file, 3), 0);
    QLoggingCategory::setFilterRules(QString());
    QCOMPARE(rowCounts(), before);
    QCOMPARE(quelta::test::errorsOf(errors), QVector<DatabaseConnectionError>(5, EXECUTION_FAILED).toList());

    QVERIFY(m_data.execute(SqlText("ALTER TABLE unreadable RENAME TO signal")).first);
    QCOMPARE(m_store.getProgramSteps(main), steps);
    QVERIFY(m_store.saveProgramSteps(main, steps) && m_store.importProgramsFromFile(file, 3) != 0);
}

QTEST_GUILESS_MAIN(tst_SqlProgramDatabaseConnection)

#include "tst_sqlprogramdatabaseconnection.moc"
