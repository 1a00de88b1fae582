#include "connection/database/stores/sqlprogramdatabaseconnection.h"

#include "connection/database/core/databasekey.h"
#include "connection/database/core/sqliteconnection.h"
#include "connection/database/core/sqlquery.h"
#include "connection/database/core/valueconversions.h"
#include "connection/database/stores/failedreadwatch.h"
#include "domain/types/chambersignal.h"
#include "domain/types/unit.h"

#include <QtCore/QHash>
#include <QtCore/QLoggingCategory>
#include <QtCore/QSet>
#include <QtCore/QVector>

namespace quelta::base::connection::databaseconnection {

using domain::types::ChamberSignal;
using domain::types::ChamberTypeData;
using domain::types::ChamberTypeKey;
using domain::types::ProgramChange;
using domain::types::ProgramData;
using domain::types::ProgramSection;
using domain::types::ProgramStep;
using domain::types::SetpointValue;
using domain::types::ToleranceRange;
using domain::types::Unit;
using domain::types::UnitValue;

namespace {

Q_LOGGING_CATEGORY(lcProgramStore, "quelta.SqlProgramDatabaseConnection")

using Row = domain::api::ISqlConnection::Row;
using ColumnValues = SqlQuery::ColumnValues;
using Statements = QList<QSharedPointer<domain::api::ISqlQuery>>;
using StepColumn = ProgramStepColumn;
using SectionColumn = ProgramSectionColumn;
using SetpointColumn = ProgramSetpointColumn;
using RepetitionColumn = ProgramStepRepetitionColumn;

// The exported program is the first row written into an emptied file.
constexpr int FileProgramId = 1;
// One program file is open at a time.
const QLatin1String FileConnectionName("exportConnection");
// SQLite's list of a database's tables, and the start of the names of the
// tables that SQLite keeps for itself.
const QLatin1String SchemaTable("sqlite_master");
const QLatin1String InternalTablePrefix("sqlite_");

constexpr int ProgramWidth = columnCountThrough(ProgramColumn::CHAMBER_TYPE_ID);
constexpr int StepWidth = columnCountThrough(StepColumn::SUB_PROGRAM_ID);
constexpr int SectionWidth = columnCountThrough(SectionColumn::PROGRAM_EVENT_MESSAGE);
constexpr int SetpointWidth = columnCountThrough(SetpointColumn::TOLERANCE_RANGE_MAX);
constexpr int RepetitionWidth = columnCountThrough(RepetitionColumn::NUM_REPETITIONS);

template<typename Column>
QVariant at(const Row &row, Column column)
{
    return row.at(int(column));
}

// Every column of a table, in the order of its enumeration, so that a
// reader finds a column's value at the column's number.
QStringList programColumns()
{
    return columnNamesThrough(ProgramColumn::CHAMBER_TYPE_ID);
}

QStringList repetitionColumns()
{
    return columnNamesThrough(RepetitionColumn::NUM_REPETITIONS);
}

// What a lookup that finds nothing gives.
ProgramData emptyProgram()
{
    return ProgramData(0, QString(), 0, QString(), 1, false, ChamberTypeData());
}

ProgramSection emptySection()
{
    return ProgramSection(0, {}, 0, ProgramSection::INVALID, false, QString());
}

ProgramStep emptyRepetition()
{
    return ProgramStep(0, 0, 0, 0, -1);
}

template<typename T>
bool holds(const QVariant &content)
{
    return content.userType() == qMetaTypeId<T>();
}

bool isSectionStep(const ProgramChange &step)
{
    return step.stepType() == ProgramChange::SectionStep && holds<ProgramSection>(step.content());
}

bool isSubProgramStep(const ProgramChange &step)
{
    return step.stepType() == ProgramChange::SubProgramStep && holds<ProgramData>(step.content());
}

QVariant limitValue(const QVariant &value)
{
    return isUsable(value) ? QVariant(toFloatOr(value, 0.0F)) : QVariant();
}

ColumnValues programValues(const ProgramData &program)
{
    const ChamberTypeData type = program.chamberType();
    const bool hasType = type.chamberTypeId() != 0 || type.additionalInfoId() != 0;
    return {
        {columnName(ProgramColumn::PROGRAM_NAME), program.programName()},
        {columnName(ProgramColumn::USER_ID), valueOrNull(uint(program.userId()), 0U)},
        {columnName(ProgramColumn::INFO_TEXT), program.infoText()},
        {columnName(ProgramColumn::PROGRAM_TYPE), program.programType()},
        {columnName(ProgramColumn::EDITED), program.isEdited()},
        {columnName(ProgramColumn::CHAMBER_TYPE_ID), hasType ? QVariant(type.chamberTypeId()) : QVariant()},
    };
}

ColumnValues sectionValues(const ProgramSection &section)
{
    ColumnValues values{
        {columnName(SectionColumn::DURATION_IN_SECONDS), valueOrNull<qint64>(section.durationInSeconds(), 0)},
        {columnName(SectionColumn::TRANSITION_TYPE), int(section.transitionType())},
        {columnName(SectionColumn::BREAKPOINT), section.hasBreakpoint()},
        {columnName(SectionColumn::PROGRAM_EVENT_MESSAGE), section.programEventMessage()},
    };
    if (section.id() != 0)
        values.append({columnName(SectionColumn::ID), section.id()});
    return values;
}

// The columns of a step but those of its content.
ColumnValues stepValues(const ProgramChange &step)
{
    ColumnValues values{
        {columnName(StepColumn::PROGRAM_ID), valueOrNull<qint64>(step.programId(), 0)},
        {columnName(StepColumn::ORDER_NUMBER), step.orderNumber()},
        {columnName(StepColumn::STEP_TYPE), step.stepType()},
    };
    if (step.id() != 0)
        values.append({columnName(StepColumn::ID), step.id()});
    return values;
}

ColumnValues repetitionValues(const ProgramStep &repetition)
{
    return {
        {columnName(RepetitionColumn::PROGRAM_ID), valueOrNull<qint64>(repetition.programId(), 0)},
        {columnName(RepetitionColumn::START_STEP_ID), valueOrNull<qint64>(repetition.startStepId(), 0)},
        {columnName(RepetitionColumn::END_STEP_ID), valueOrNull<qint64>(repetition.endStepId(), 0)},
        {columnName(RepetitionColumn::NUM_REPETITIONS), repetition.numRepetitions()},
    };
}

ProgramStep repetitionFromRow(const Row &row)
{
    return ProgramStep(toIntOr(at(row, RepetitionColumn::ID), -1), toIntOr(at(row, RepetitionColumn::PROGRAM_ID), -1),
                       toIntOr(at(row, RepetitionColumn::START_STEP_ID), -1),
                       toIntOr(at(row, RepetitionColumn::END_STEP_ID), -1),
                       toIntOr(at(row, RepetitionColumn::NUM_REPETITIONS), -1));
}

SqlQuery insertion(const QString &table, const ColumnValues &columnValues)
{
    SqlQuery query;
    query.insertInto(table).columnsAndValues(columnValues);
    return query;
}

SqlQuery selection(const QStringList &columns, const QString &table, const QString &column, const QVariant &value)
{
    SqlQuery query;
    query.select(columns).from(table).where(column).equals(value);
    return query;
}

SqlQuery counting(const QString &table, const QString &column, const QVariant &value)
{
    SqlQuery query;
    query.count(SqlQuery::CountType::ALL, QString()).from(table).where(column).equals(value);
    return query;
}

QSharedPointer<SqlQuery> deletion(const QString &table, const QString &column, const QVariant &value)
{
    auto query = QSharedPointer<SqlQuery>::create();
    query->deleteFrom(table).where(column).equals(value);
    return query;
}

// A section after its setpoints; run once no step refers to the section.
Statements sectionRemoval(const QVariant &sectionId)
{
    return {deletion(tableNameProgramSetpoint(), columnName(SetpointColumn::PROGRAM_SECTION_ID), sectionId),
            deletion(tableNameProgramSection(), columnName(SectionColumn::ID), sectionId)};
}

// The local path of the file; empty when the URL names no local file, which
// would otherwise open a temporary database that vanishes on close.
QString localPathOf(const QUrl &file)
{
    return file.isLocalFile() ? file.toLocalFile() : QString();
}

// Imported programs are named after the file, up to its first dot.
QString baseNameOf(const QUrl &file)
{
    return file.fileName(QUrl::FullyDecoded).section(QLatin1Char('.'), 0, 0);
}

// The count of the file's tables that a program file does not have: any but
// the five program tables and SQLite's own.
SqlQuery foreignTableCount()
{
    const QList<QVariant> programTables{tableNameProgram(), tableNameProgramStep(), tableNameProgramStepRepetition(),
                                        tableNameProgramSection(), tableNameProgramSetpoint()};
    SqlQuery query;
    query.count(SqlQuery::CountType::ALL, QString())
        .from(SchemaTable)
        .where(QStringLiteral("type"))
        .equals(QStringLiteral("table"))
        .andWhere(QStringLiteral("name"))
        .notIn(programTables)
        .andWhere(QStringLiteral("substr(name, 1, %1)").arg(InternalTablePrefix.size()))
        .notIn({InternalTablePrefix});
    return query;
}

// The five tables of a program file, in the order they are created.
QList<QPair<QString, SqlQuery>> programFileTables()
{
    using Type = SqlQuery::DataType;
    using Flag = SqlQuery::ColumnFlag;
    const SqlQuery::ColumnFlags key = Flag::PRIMARY_KEY | Flag::NOT_NULL | Flag::AUTO_INCREMENT;
    const SqlQuery::ColumnFlags required = Flag::NOT_NULL;
    const SqlQuery::ColumnFlags keyPart = Flag::PRIMARY_KEY | Flag::NOT_NULL;
    const QString id = columnName(ProgramColumn::ID);

    SqlQuery program;
    program.createTable(tableNameProgram(),
                        {{id, Type::INTEGER, key},
                         {columnName(ProgramColumn::PROGRAM_NAME), Type::TEXT, Flag::NONE},
                         {columnName(ProgramColumn::USER_ID), Type::INTEGER, Flag::NONE},
                         {columnName(ProgramColumn::INFO_TEXT), Type::TEXT, Flag::NONE},
                         {columnName(ProgramColumn::PROGRAM_TYPE), Type::ENUMERATION, Flag::NONE},
                         {columnName(ProgramColumn::EDITED), Type::BOOLEAN, Flag::NONE},
                         {columnName(ProgramColumn::CHAMBER_TYPE_ID), Type::INTEGER, Flag::NONE}});
    SqlQuery step;
    step.createTable(tableNameProgramStep(),
                     {{columnName(StepColumn::ID), Type::INTEGER, key},
                      {columnName(StepColumn::PROGRAM_ID), Type::INTEGER, required},
                      {columnName(StepColumn::ORDER_NUMBER), Type::INTEGER, required},
                      {columnName(StepColumn::STEP_TYPE), Type::ENUMERATION, required},
                      {columnName(StepColumn::SECTION_ID), Type::INTEGER, Flag::NONE},
                      {columnName(StepColumn::SUB_PROGRAM_ID), Type::INTEGER, Flag::NONE}},
                     {{columnName(StepColumn::PROGRAM_ID), tableNameProgram(), id},
                      {columnName(StepColumn::SUB_PROGRAM_ID), tableNameProgram(), id},
                      {columnName(StepColumn::SECTION_ID), tableNameProgramSection(), columnName(SectionColumn::ID)}});
    SqlQuery repetition;
    repetition.createTable(
        tableNameProgramStepRepetition(),
        {{columnName(RepetitionColumn::ID), Type::INTEGER, key},
         {columnName(RepetitionColumn::PROGRAM_ID), Type::INTEGER, required},
         {columnName(RepetitionColumn::START_STEP_ID), Type::INTEGER, required},
         {columnName(RepetitionColumn::END_STEP_ID), Type::INTEGER, required},
         {columnName(RepetitionColumn::NUM_REPETITIONS), Type::INTEGER, Flag::NONE}},
        {{columnName(RepetitionColumn::PROGRAM_ID), tableNameProgram(), id},
         {columnName(RepetitionColumn::START_STEP_ID), tableNameProgramStep(), columnName(StepColumn::ID)},
         {columnName(RepetitionColumn::END_STEP_ID), tableNameProgramStep(), columnName(StepColumn::ID)}});
    SqlQuery section;
    section.createTable(tableNameProgramSection(),
                        {{columnName(SectionColumn::ID), Type::INTEGER, key},
                         {columnName(SectionColumn::DURATION_IN_SECONDS), Type::INTEGER, Flag::NONE},
                         {columnName(SectionColumn::TRANSITION_TYPE), Type::ENUMERATION, Flag::NONE},
                         {columnName(SectionColumn::BREAKPOINT), Type::BOOLEAN, Flag::NONE},
                         {columnName(SectionColumn::PROGRAM_EVENT_MESSAGE), Type::TEXT, Flag::NONE}});
    SqlQuery setpoint;
    setpoint.createTable(
        tableNameProgramSetpoint(),
        {{columnName(SetpointColumn::PROGRAM_SECTION_ID), Type::INTEGER, keyPart},
         {columnName(SetpointColumn::SIGNAL_ID), Type::INTEGER, keyPart},
         {columnName(SetpointColumn::SETPOINT), Type::REAL, Flag::NONE},
         {columnName(SetpointColumn::TOLERANCE_RANGE_MIN), Type::REAL, Flag::NONE},
         {columnName(SetpointColumn::TOLERANCE_RANGE_MAX), Type::REAL, Flag::NONE}},
        {{columnName(SetpointColumn::PROGRAM_SECTION_ID), tableNameProgramSection(),
          columnName(SectionColumn::ID)}});

    return {{tableNameProgram(), program},
            {tableNameProgramStep(), step},
            {tableNameProgramStepRepetition(), repetition},
            {tableNameProgramSection(), section},
            {tableNameProgramSetpoint(), setpoint}};
}

} // namespace

SqlProgramDatabaseConnection::SqlProgramDatabaseConnection(QObject *parent)
    : QObject(parent)
{
}

SqlProgramDatabaseConnection::~SqlProgramDatabaseConnection() = default;

bool SqlProgramDatabaseConnection::setConnections(domain::api::ISqlConnection *connection,
                                                  domain::api::IConfigurationDatabaseConnection *configuration)
{
    m_frame.setConnections(connection, configuration);
    return isInitialized();
}

bool SqlProgramDatabaseConnection::isInitialized() const
{
    return m_frame.isComplete();
}

bool SqlProgramDatabaseConnection::initialize()
{
    return m_frame.checkTables(
        {tableNameProgram(), tableNameProgramStep(), tableNameProgramSection(), tableNameProgramSetpoint()},
        MissingTableReport::Silent);
}

QList<ProgramData> SqlProgramDatabaseConnection::getPrograms()
{
    if (!m_frame.ensureReady())
        return {};

    SqlQuery query;
    query.select(programColumns()).from(tableNameProgram());
    const auto readPrograms = [&] {
        QList<ProgramData> programs;
        const QList<Row> rows = m_frame.rowsOfWidth(connection()->select(query), ProgramWidth);
        for (const Row &row : rows)
            programs.append(programFromRow(row));
        return programs;
    };
    return m_frame.unlessReadsFail(readPrograms, configuration()).value_or(QList<ProgramData>());
}

ProgramData SqlProgramDatabaseConnection::getProgram(const int &id)
{
    if (!m_frame.ensureReady())
        return emptyProgram();
    return m_frame.unlessReadsFail([&] { return readProgram(*connection(), id); }, configuration())
        .value_or(emptyProgram());
}

QString SqlProgramDatabaseConnection::getProgramName(const int &id)
{
    if (!m_frame.ensureReady())
        return {};
    return toStringOr(getProgramColumn(id, ProgramColumn::PROGRAM_NAME), QString());
}

bool SqlProgramDatabaseConnection::isProgramEdited(const int &id)
{
    if (!m_frame.ensureReady())
        return false;
    return toBoolOr(getProgramColumn(id, ProgramColumn::EDITED), false);
}

unsigned int SqlProgramDatabaseConnection::getProgramUserId(const int &id)
{
    if (!m_frame.ensureReady())
        return 0;
    return toUIntOr(getProgramColumn(id, ProgramColumn::USER_ID), 0);
}

ChamberTypeKey SqlProgramDatabaseConnection::getProgramChamberType(const int &id)
{
    if (!m_frame.ensureReady())
        return {};
    return ChamberTypeKey(toUIntOr(getProgramColumn(id, ProgramColumn::CHAMBER_TYPE_ID), 0), 0);
}

bool SqlProgramDatabaseConnection::exportProgramsToFile(const int &programId, const QUrl &file)
{
    if (!m_frame.ensureReady())
        return false;

    const QString path = localPathOf(file);
    if (path.isEmpty()) {
        qCWarning(lcProgramStore) << "Could not open file" << file;
        return false;
    }
    // Checked before the file is opened: exporting nothing must not cost the
    // file its content.
    if (!programExists(programId)) {
        qCWarning(lcProgramStore) << "No program found" << programId;
        return false;
    }
    SqliteConnection programFile(FileConnectionName);
    if (!programFile.open(path, QString(), QString(), DatabaseKey, Connection::OpenMode::CreateIfMissing)) {
        qCWarning(lcProgramStore) << "Could not open file" << file;
        return false;
    }
    // The file is emptied next: another database opened under the same key,
    // the configuration database itself, must keep its rows.
    if (!isProgramFile(programFile)) {
        qCWarning(lcProgramStore) << "Not a program file" << file;
        return false;
    }
    programFile.emptyAllTables();
    if (!createProgramFileTables(programFile)) {
        qCWarning(lcProgramStore) << "Could not create tables";
        return false;
    }
    return m_frame.unlessReadsFail([&] { return exportProgram(programFile, programId) != 0; }, configuration())
        .value_or(false);
}

int SqlProgramDatabaseConnection::importProgramsFromFile(const QUrl &file, const int &userId)
{
    if (!m_frame.ensureReady())
        return 0;

    // A file that is not there is not created: a mistyped name fails here.
    const QString path = localPathOf(file);
    SqliteConnection programFile(FileConnectionName);
    if (path.isEmpty() || !programFile.open(path, QString(), QString(), DatabaseKey)) {
        qCWarning(lcProgramStore) << "Could not open file" << file;
        return 0;
    }
    // The names are read once: a look-up per candidate name made a long
    // chain of sub-programs take minutes.
    SqlQuery names;
    names.select(columnName(ProgramColumn::PROGRAM_NAME)).from(tableNameProgram());
    const QList<QVariant> takenNames = connection()->selectColumn(names);
    Import import{programFile, userId, baseNameOf(file), {}, {}, {}};
    for (const QVariant &name : takenNames)
        import.takenNames.insert(toStringOr(name, QString()));
    const int programId = m_frame.unlessReadsFail([&] { return importProgram(import); }, configuration()).value_or(0);
    if (programId == 0)
        removePrograms(import.added);
    return programId;
}

bool SqlProgramDatabaseConnection::addProgram(ProgramData &program)
{
    if (!m_frame.ensureReady())
        return false;
    return insertProgram(*connection(), program);
}

bool SqlProgramDatabaseConnection::deleteProgram(const int &id)
{
    if (!m_frame.ensureReady())
        return false;
    return removePrograms({id});
}

bool SqlProgramDatabaseConnection::updateProgram(const ProgramData &program)
{
    if (!m_frame.ensureReady())
        return false;

    SqlQuery query;
    query.update(tableNameProgram())
        .set(programValues(program))
        .where(columnName(ProgramColumn::ID))
        .equals(program.id());
    return m_frame.execute(query);
}

bool SqlProgramDatabaseConnection::setProgramName(const int &id, const QString &name)
{
    if (!m_frame.ensureReady())
        return false;
    return setProgramColumn(id, ProgramColumn::PROGRAM_NAME, name);
}

int SqlProgramDatabaseConnection::getProgramIdByName(const QString &name)
{
    if (!m_frame.ensureReady())
        return 0;
    const SqlQuery query = selection({columnName(ProgramColumn::ID)}, tableNameProgram(),
                                     columnName(ProgramColumn::PROGRAM_NAME), name);
    return toIntOr(connection()->selectValue(query), 0);
}

bool SqlProgramDatabaseConnection::programExists(const int &id)
{
    if (!m_frame.ensureReady())
        return true;
    const SqlQuery query = counting(tableNameProgram(), columnName(ProgramColumn::ID), id);
    return toIntOr(connection()->selectValue(query), 0) >= 1;
}

int SqlProgramDatabaseConnection::getProgramType(const int &id)
{
    if (!m_frame.ensureReady())
        return 0;
    return toIntOr(getProgramColumn(id, ProgramColumn::PROGRAM_TYPE), 0);
}

bool SqlProgramDatabaseConnection::containsSubPrograms(const int &programId)
{
    if (!m_frame.ensureReady())
        return true;
    SqlQuery query = counting(tableNameProgramStep(), columnName(StepColumn::PROGRAM_ID), programId);
    query.andWhere(columnName(StepColumn::STEP_TYPE)).equals(int(ProgramChange::SubProgramStep));
    return toIntOr(connection()->selectValue(query), 0) >= 1;
}

bool SqlProgramDatabaseConnection::checkStepRepetitionRange(const ProgramStep &repetition)
{
    if (!m_frame.ensureReady())
        return true;

    const QString table = tableNameProgramStepRepetition();
    const QString programId = columnName(RepetitionColumn::PROGRAM_ID);
    const SqlQuery owner = selection({programId}, table, columnName(RepetitionColumn::ID), repetition.id());
    SqlQuery query;
    query.count(SqlQuery::CountType::ALL, QString())
        .from(table)
        .where(programId)
        .in(owner)
        .andWhere(columnName(RepetitionColumn::START_STEP_ID))
        .greaterThanOrEquals(repetition.startStepId())
        .andWhere(columnName(RepetitionColumn::END_STEP_ID))
        .equals(repetition.endStepId());
    return toIntOr(connection()->selectValue(query), 0) > 1;
}

bool SqlProgramDatabaseConnection::addProgramStep(ProgramChange &step)
{
    if (!m_frame.ensureReady())
        return false;
    return m_frame.unlessReadsFail([&] { return insertProgramStep(*connection(), step); }, configuration())
        .value_or(false);
}

bool SqlProgramDatabaseConnection::saveProgramSteps(const int &programId, QList<ProgramChange> &steps)
{
    if (!m_frame.ensureReady())
        return false;

    const auto saveSteps = [&] {
        for (ProgramChange &step : steps) {
            if (!(step.id() != 0 ? updateProgramStep(step) : insertProgramStep(*connection(), step)))
                return false;
        }
        return deleteProgramStepsExcept(programId, steps);
    };
    return m_frame.unlessReadsFail(saveSteps, configuration()).value_or(false);
}

QList<ProgramChange> SqlProgramDatabaseConnection::getProgramSteps(const int &programId)
{
    if (!m_frame.ensureReady())
        return {};
    return m_frame.unlessReadsFail([&] { return readProgramSteps(*connection(), programId); }, configuration())
        .value_or(QList<ProgramChange>());
}

bool SqlProgramDatabaseConnection::addStepRepetition(ProgramStep &repetition)
{
    if (!m_frame.ensureReady())
        return false;
    return insertStepRepetition(*connection(), repetition);
}

bool SqlProgramDatabaseConnection::saveStepRepetitions(const int &programId, QList<ProgramStep> &repetitions)
{
    if (!m_frame.ensureReady())
        return false;

    for (ProgramStep &repetition : repetitions) {
        if (!(repetition.id() != 0 ? updateStepRepetition(repetition)
                                   : insertStepRepetition(*connection(), repetition))) {
            return false;
        }
    }
    return deleteStepRepetitionsExcept(programId, repetitions);
}

bool SqlProgramDatabaseConnection::deleteStepRepetition(const int &id)
{
    if (!m_frame.ensureReady())
        return false;
    return m_frame.execute(*deletion(tableNameProgramStepRepetition(), columnName(RepetitionColumn::ID), id));
}

bool SqlProgramDatabaseConnection::updateStepRepetition(const ProgramStep &repetition)
{
    if (!m_frame.ensureReady())
        return false;

    SqlQuery query;
    query.update(tableNameProgramStepRepetition())
        .set(repetitionValues(repetition))
        .where(columnName(RepetitionColumn::ID))
        .equals(repetition.id());
    return m_frame.execute(query);
}

QList<ProgramStep> SqlProgramDatabaseConnection::getStepRepetitions(const int &programId)
{
    if (!m_frame.ensureReady())
        return {};
    return readStepRepetitions(*connection(), programId);
}

ProgramStep SqlProgramDatabaseConnection::getStepRepetitionsOfSteps(const int &firstSectionId,
                                                                     const int &lastSectionId)
{
    if (!m_frame.ensureReady())
        return emptyRepetition();

    const QStringList stepId{columnName(StepColumn::ID)};
    const QString sectionId = columnName(StepColumn::SECTION_ID);
    SqlQuery query;
    query.select(repetitionColumns())
        .from(tableNameProgramStepRepetition())
        .where(columnName(RepetitionColumn::START_STEP_ID))
        .in(selection(stepId, tableNameProgramStep(), sectionId, firstSectionId))
        .andWhere(columnName(RepetitionColumn::END_STEP_ID))
        .in(selection(stepId, tableNameProgramStep(), sectionId, lastSectionId));
    const QList<Row> rows = m_frame.rowsOfWidth(connection()->select(query), RepetitionWidth);
    if (rows.size() != 1)
        m_frame.reportError(domain::types::UNEXPECTED_RESULT);
    return rows.isEmpty() ? emptyRepetition() : repetitionFromRow(rows.first());
}

QVariant SqlProgramDatabaseConnection::getProgramColumn(int id, ProgramColumn column)
{
    return connection()->selectValue(
        selection({columnName(column)}, tableNameProgram(), columnName(ProgramColumn::ID), id));
}

bool SqlProgramDatabaseConnection::setProgramColumn(int id, ProgramColumn column, const QVariant &value)
{
    SqlQuery query;
    query.update(tableNameProgram()).set(columnName(column), value).where(columnName(ProgramColumn::ID)).equals(id);
    return m_frame.execute(query);
}

ProgramData SqlProgramDatabaseConnection::programFromRow(const Row &row)
{
    const ChamberTypeKey type(toUIntOr(at(row, ProgramColumn::CHAMBER_TYPE_ID), 0), 0);
    return ProgramData(toIntOr(at(row, ProgramColumn::ID), -1),
                       toStringOr(at(row, ProgramColumn::PROGRAM_NAME), QString()),
                       int(toUIntOr(at(row, ProgramColumn::USER_ID), 0)),
                       toStringOr(at(row, ProgramColumn::INFO_TEXT), QString()),
                       toIntOr(at(row, ProgramColumn::PROGRAM_TYPE), 0),
                       toBoolOr(at(row, ProgramColumn::EDITED), false), configuration()->getChamberType(type, true));
}

std::optional<ProgramData> SqlProgramDatabaseConnection::findProgram(Connection &connection, int id)
{
    const QList<Row> rows = connection.select(
        selection(programColumns(), tableNameProgram(), columnName(ProgramColumn::ID), id));
    if (rows.size() != 1 || rows.first().size() != ProgramWidth) {
        m_frame.reportError(domain::types::UNEXPECTED_RESULT);
        return std::nullopt;
    }
    return programFromRow(rows.first());
}

ProgramData SqlProgramDatabaseConnection::readProgram(Connection &connection, int id)
{
    return findProgram(connection, id).value_or(emptyProgram());
}

QList<ProgramChange> SqlProgramDatabaseConnection::readProgramSteps(Connection &connection, int programId)
{
    SqlQuery query = selection(columnNamesThrough(StepColumn::SUB_PROGRAM_ID), tableNameProgramStep(),
                               columnName(StepColumn::PROGRAM_ID), programId);
    query.orderBy(columnName(StepColumn::ORDER_NUMBER), Qt::AscendingOrder);

    QList<ProgramChange> steps;
    const QList<Row> rows = m_frame.rowsOfWidth(connection.select(query), StepWidth);
    for (const Row &row : rows) {
        const int id = toIntOr(at(row, StepColumn::ID), -1);
        const int ownerId = toIntOr(at(row, StepColumn::PROGRAM_ID), -1);
        const int orderNumber = toIntOr(at(row, StepColumn::ORDER_NUMBER), -1);
        switch (toIntOr(at(row, StepColumn::STEP_TYPE), ProgramChange::NoStep)) {
        case ProgramChange::SectionStep:
            steps.append(ProgramChange(id, ownerId, readSection(connection, toIntOr(at(row, StepColumn::SECTION_ID), -1)),
                                       orderNumber));
            break;
        case ProgramChange::SubProgramStep:
            steps.append(ProgramChange(
                id, ownerId, readProgram(connection, toIntOr(at(row, StepColumn::SUB_PROGRAM_ID), -1)), orderNumber));
            break;
        default:
            // Steps of a kind this program does not know are left out.
            break;
        }
    }
    return steps;
}

QList<ProgramStep> SqlProgramDatabaseConnection::readStepRepetitions(Connection &connection, int programId)
{
    const SqlQuery query = selection(repetitionColumns(), tableNameProgramStepRepetition(),
                                     columnName(RepetitionColumn::PROGRAM_ID), programId);
    QList<ProgramStep> repetitions;
    const QList<Row> rows = m_frame.rowsOfWidth(connection.select(query), RepetitionWidth);
    for (const Row &row : rows)
        repetitions.append(repetitionFromRow(row));
    return repetitions;
}

ProgramSection SqlProgramDatabaseConnection::readSection(Connection &connection, int sectionId)
{
    const SqlQuery query = selection(columnNamesThrough(SectionColumn::PROGRAM_EVENT_MESSAGE),
                                     tableNameProgramSection(), columnName(SectionColumn::ID), sectionId);
    const Row row = connection.selectRow(query);
    if (!m_frame.hasWidth(row, SectionWidth))
        return emptySection();
    return ProgramSection(
        sectionId, readSetpoints(connection, sectionId), toIntOr(at(row, SectionColumn::DURATION_IN_SECONDS), 0),
        ProgramSection::TransitionType(toIntOr(at(row, SectionColumn::TRANSITION_TYPE), ProgramSection::INVALID)),
        toBoolOr(at(row, SectionColumn::BREAKPOINT), false),
        toStringOr(at(row, SectionColumn::PROGRAM_EVENT_MESSAGE), QString()));
}

// Values and limits are stored in the signal's unit, the limits as
// distances from the set point.
QList<SetpointValue> SqlProgramDatabaseConnection::readSetpoints(Connection &connection, int sectionId)
{
    const SqlQuery query = selection(columnNamesThrough(SetpointColumn::TOLERANCE_RANGE_MAX),
                                     tableNameProgramSetpoint(),
                                     columnName(SetpointColumn::PROGRAM_SECTION_ID), sectionId);
    QList<SetpointValue> setpoints;
    const QList<Row> rows = m_frame.rowsOfWidth(connection.select(query), SetpointWidth);
    for (const Row &row : rows) {
        const QSharedPointer<ChamberSignal> signal =
            configuration()->getSignal(toIntOr(at(row, SetpointColumn::SIGNAL_ID), -1));
        if (!signal)
            continue;
        const int unit = signal->unit();
        const ToleranceRange range(ToleranceRange::Relative,
                                   UnitValue(unit, limitValue(at(row, SetpointColumn::TOLERANCE_RANGE_MIN))),
                                   UnitValue(unit, limitValue(at(row, SetpointColumn::TOLERANCE_RANGE_MAX))));
        const QVariant value = at(row, SetpointColumn::SETPOINT);
        if (!isUsable(value))
            setpoints.append(SetpointValue(*signal, QVariant(), range));
        else if (signal->isDigital())
            setpoints.append(SetpointValue(*signal, toBoolOr(value, false), range));
        else
            setpoints.append(SetpointValue(*signal, toFloatOr(value, 0.0F), unit, range));
    }
    return setpoints;
}

bool SqlProgramDatabaseConnection::insertProgram(Connection &connection, ProgramData &program)
{
    const QPair<bool, quint64> result = connection.execute(insertion(tableNameProgram(), programValues(program)));
    if (!result.first) {
        qCWarning(lcProgramStore) << "Failed to add program" << program.programName();
        return false;
    }
    program.setId(int(result.second));
    return true;
}

bool SqlProgramDatabaseConnection::insertSection(Connection &connection, ProgramSection &section)
{
    const QPair<bool, quint64> result = connection.execute(insertion(tableNameProgramSection(), sectionValues(section)));
    if (!result.first)
        return false;
    ProgramSection inserted = section;
    inserted.setId(int(result.second));
    if (!saveSetpoints(connection, inserted, inserted.setpoints())) {
        // Nothing would refer to the section row.
        connection.executeTransaction(sectionRemoval(inserted.id()));
        return false;
    }
    section = inserted;
    return true;
}

bool SqlProgramDatabaseConnection::insertProgramStep(Connection &connection, ProgramChange &step)
{
    ColumnValues values = stepValues(step);
    ProgramChange inserted = step;
    if (isSectionStep(step)) {
        ProgramSection section = step.section();
        section.setId(0);
        if (!insertSection(connection, section))
            return false;
        values.append({columnName(StepColumn::SECTION_ID), section.id()});
        inserted = ProgramChange(step.id(), step.programId(), section, step.orderNumber());
    } else if (isSubProgramStep(step)) {
        values.append({columnName(StepColumn::SUB_PROGRAM_ID), step.subProgram().id()});
    } else {
        return false;
    }

    const QPair<bool, quint64> result = connection.execute(insertion(tableNameProgramStep(), values));
    if (!result.first) {
        if (isSectionStep(inserted))
            connection.executeTransaction(sectionRemoval(inserted.section().id()));
        return false;
    }
    inserted.setId(int(result.second));
    step = inserted;
    return true;
}

bool SqlProgramDatabaseConnection::insertStepRepetition(Connection &connection, ProgramStep &repetition)
{
    const QPair<bool, quint64> result =
        connection.execute(insertion(tableNameProgramStepRepetition(), repetitionValues(repetition)));
    if (!result.first)
        return false;
    repetition.setId(int(result.second));
    return true;
}

bool SqlProgramDatabaseConnection::saveSetpoints(Connection &connection, const ProgramSection &section,
                                                 const QList<SetpointValue> &setpoints)
{
    Statements statements{
        deletion(tableNameProgramSetpoint(), columnName(SetpointColumn::PROGRAM_SECTION_ID), section.id())};
    // A failed read gives no unit, and a set point without its signal's unit
    // cannot be stored: the section keeps the set points it has.
    const FailedReadWatch catalogue(configuration());
    for (const SetpointValue &setpoint : setpoints) {
        const int unit = configuration()->getSignalUnit(setpoint.signalId());
        if (catalogue.hasFailed())
            return false;
        if (unit == Unit::None) {
            qCWarning(lcProgramStore) << "Can't write setpoint to database with invalid unit";
            continue;
        }
        const ToleranceRange range = setpoint.toleranceRange();
        statements.append(QSharedPointer<SqlQuery>::create(insertion(
            tableNameProgramSetpoint(),
            {{columnName(SetpointColumn::PROGRAM_SECTION_ID), section.id()},
             {columnName(SetpointColumn::SIGNAL_ID), setpoint.signalId()},
             {columnName(SetpointColumn::SETPOINT), setpoint.valueIn(unit)},
             {columnName(SetpointColumn::TOLERANCE_RANGE_MIN), range.lower().differenceIn(unit)},
             {columnName(SetpointColumn::TOLERANCE_RANGE_MAX), range.upper().differenceIn(unit)}})));
    }
    return connection.executeTransaction(statements);
}

bool SqlProgramDatabaseConnection::updateSection(ProgramSection &section)
{
    SqlQuery query;
    query.update(tableNameProgramSection())
        .set(sectionValues(section))
        .where(columnName(SectionColumn::ID))
        .equals(section.id());
    return m_frame.execute(query) && saveSetpoints(*connection(), section, section.setpoints());
}

bool SqlProgramDatabaseConnection::updateProgramStep(ProgramChange &step)
{
    ColumnValues values = stepValues(step);
    if (isSectionStep(step)) {
        ProgramSection section = step.section();
        if (!(section.id() != 0 ? updateSection(section) : insertSection(*connection(), section)))
            return false;
        values.append({columnName(StepColumn::SECTION_ID), section.id()});
        values.append({columnName(StepColumn::SUB_PROGRAM_ID), QVariant()});
        step = ProgramChange(step.id(), step.programId(), section, step.orderNumber());
    } else if (isSubProgramStep(step)) {
        values.append({columnName(StepColumn::SECTION_ID), QVariant()});
        values.append({columnName(StepColumn::SUB_PROGRAM_ID), step.subProgram().id()});
    } else {
        return false;
    }

    SqlQuery query;
    query.update(tableNameProgramStep()).set(values).where(columnName(StepColumn::ID)).equals(step.id());
    return m_frame.execute(query);
}

bool SqlProgramDatabaseConnection::deleteProgramStepsExcept(int programId, const QList<ProgramChange> &kept)
{
    QSet<int> keptIds;
    for (const ProgramChange &step : kept)
        keptIds.insert(step.id());
    const QStringList columns{columnName(StepColumn::ID), columnName(StepColumn::SECTION_ID)};
    const QList<Row> rows = m_frame.rowsOfWidth(
        connection()->select(selection(columns, tableNameProgramStep(), columnName(StepColumn::PROGRAM_ID), programId)),
        columns.size());

    Statements steps;
    Statements sections;
    for (const Row &row : rows) {
        if (keptIds.contains(toIntOr(row.at(0), 0)))
            continue;
        steps.append(deletion(tableNameProgramStep(), columnName(StepColumn::ID), row.at(0)));
        if (isUsable(row.at(1)))
            sections.append(sectionRemoval(row.at(1)));
    }
    return connection()->executeTransaction(steps + sections);
}

bool SqlProgramDatabaseConnection::deleteStepRepetitionsExcept(int programId, const QList<ProgramStep> &kept)
{
    QSet<int> keptIds;
    for (const ProgramStep &repetition : kept)
        keptIds.insert(repetition.id());
    const QString id = columnName(RepetitionColumn::ID);
    const QList<QVariant> stored = connection()->selectColumn(
        selection({id}, tableNameProgramStepRepetition(), columnName(RepetitionColumn::PROGRAM_ID), programId));

    Statements statements;
    for (const QVariant &storedId : stored) {
        if (!keptIds.contains(toIntOr(storedId, 0)))
            statements.append(deletion(tableNameProgramStepRepetition(), id, storedId));
    }
    return connection()->executeTransaction(statements);
}

bool SqlProgramDatabaseConnection::removePrograms(const QList<int> &ids)
{
    // Every step goes before the sections it uses and the programs it calls,
    // so that programs that call each other go together.
    Statements steps;
    Statements sections;
    Statements programs;
    for (const int id : ids) {
        const QList<QVariant> sectionIds = connection()->selectColumn(selection(
            {columnName(StepColumn::SECTION_ID)}, tableNameProgramStep(), columnName(StepColumn::PROGRAM_ID), id));
        steps.append(deletion(tableNameProgramStepRepetition(), columnName(RepetitionColumn::PROGRAM_ID), id));
        steps.append(deletion(tableNameProgramStep(), columnName(StepColumn::PROGRAM_ID), id));
        for (const QVariant &sectionId : sectionIds) {
            if (isUsable(sectionId))
                sections.append(sectionRemoval(sectionId));
        }
        programs.append(deletion(tableNameProgram(), columnName(ProgramColumn::ID), id));
    }
    return connection()->executeTransaction(steps + sections + programs);
}

bool SqlProgramDatabaseConnection::createProgramFileTables(Connection &file)
{
    const QList<QPair<QString, SqlQuery>> tables = programFileTables();
    for (const QPair<QString, SqlQuery> &table : tables) {
        if (!file.tableExists(table.first) && !file.execute(table.second).first)
            return false;
    }
    return true;
}

bool SqlProgramDatabaseConnection::isProgramFile(Connection &file)
{
    const QVariant foreignTables = file.selectValue(foreignTableCount());
    return foreignTables.isValid() && toIntOr(foreignTables, 1) == 0;
}

int SqlProgramDatabaseConnection::exportProgram(Connection &file, int programId)
{
    const auto exportRow = [&](int id, bool) {
        ProgramData program = readProgram(*connection(), id);
        program.setId(0);
        program.setUserId(0);
        if (!insertProgram(file, program)) {
            qCWarning(lcProgramStore) << "Could not add program";
            return 0;
        }
        return program.id();
    };
    return copyWithCalls(*connection(), file, programId, exportRow, "Could not export subprogram");
}

int SqlProgramDatabaseConnection::importProgram(Import &import)
{
    const auto importRow = [&](int id, bool isSubProgram) {
        std::optional<ProgramData> program = findProgram(import.file, id);
        if (!program) {
            qCWarning(lcProgramStore) << "No program found";
            return 0;
        }
        program->setId(0);
        program->setEdited(false);
        program->setUserId(import.userId);
        program->setProgramName(importedProgramName(import, isSubProgram));
        if (!insertProgram(*connection(), *program)) {
            qCWarning(lcProgramStore) << "Could not add program";
            return 0;
        }
        import.added.append(program->id());
        return program->id();
    };
    return copyWithCalls(import.file, *connection(), FileProgramId, importRow, "Could not import subprogram");
}

struct SqlProgramDatabaseConnection::ProgramCopy
{
    int sourceId = 0;
    int targetId = 0;
    QList<ProgramChange> steps;
    // The first step not yet in the target.
    int nextStep = 0;
    // The ids of the steps copied, in the source and in the target.
    QHash<int, int> stepIds;
};

// The chain of calls lives here rather than on the stack, which a file with
// calls nested deep enough would overflow. A called program is copied whole,
// depth first, before the step that calls it; on failure each caller on the
// chain reports that its sub-program failed.
int SqlProgramDatabaseConnection::copyWithCalls(Connection &source, Connection &target, int programId,
                                                const std::function<int(int, bool)> &copyProgram,
                                                const char *subProgramFailure)
{
    QVector<ProgramCopy> chain;
    QSet<int> onChain;
    // The programs copied whole: their ids in the source and in the target.
    QHash<int, int> copies;
    const auto enter = [&](int sourceId) {
        const int targetId = copyProgram(sourceId, !chain.isEmpty());
        if (targetId == 0)
            return false;
        chain.append({sourceId, targetId, readProgramSteps(source, sourceId), 0, {}});
        onChain.insert(sourceId);
        return true;
    };
    const auto fail = [&](int failedCallers) {
        for (int caller = 0; caller < failedCallers; ++caller)
            qCWarning(lcProgramStore) << subProgramFailure;
        return 0;
    };

    if (!enter(programId))
        return 0;
    for (;;) {
        ProgramCopy &program = chain.last();
        if (program.nextStep == program.steps.size()) {
            if (!copyRepetitions(source, target, program))
                return fail(chain.size() - 1);
            const ProgramCopy copied = chain.takeLast();
            onChain.remove(copied.sourceId);
            if (chain.isEmpty())
                return copied.targetId;
            copies.insert(copied.sourceId, copied.targetId);
            continue;
        }
        const ProgramChange step = program.steps.at(program.nextStep);
        int calledId = 0;
        if (isSubProgramStep(step)) {
            const int subProgramId = step.subProgram().id();
            // A program must not call itself, directly or through others:
            // copying it would never end.
            if (onChain.contains(subProgramId)) {
                qCWarning(lcProgramStore) << "Program" << subProgramId << "calls itself through its sub-programs";
                return fail(chain.size());
            }
            calledId = copies.value(subProgramId);
            if (calledId == 0) {
                if (!enter(subProgramId))
                    return fail(chain.size());
                continue;
            }
        }
        if (!copyStep(target, program, step, calledId))
            return fail(chain.size() - 1);
        ++program.nextStep;
    }
}

bool SqlProgramDatabaseConnection::copyStep(Connection &target, ProgramCopy &program, ProgramChange step, int calledId)
{
    const int stepId = step.id();
    if (isSubProgramStep(step)) {
        ProgramData subProgram = step.subProgram();
        subProgram.setId(calledId);
        step = ProgramChange(stepId, step.programId(), subProgram, step.orderNumber());
    }
    step.setId(0);
    step.setProgramId(program.targetId);
    if (!insertProgramStep(target, step)) {
        qCWarning(lcProgramStore) << "Could not add program step";
        return false;
    }
    program.stepIds.insert(stepId, step.id());
    return true;
}

bool SqlProgramDatabaseConnection::copyRepetitions(Connection &source, Connection &target, const ProgramCopy &program)
{
    const QList<ProgramStep> repetitions = readStepRepetitions(source, program.sourceId);
    for (ProgramStep repetition : repetitions) {
        repetition.setId(0);
        repetition.setProgramId(program.targetId);
        repetition.setStartStepId(program.stepIds.value(repetition.startStepId()));
        repetition.setEndStepId(program.stepIds.value(repetition.endStepId()));
        if (!insertStepRepetition(target, repetition)) {
            qCWarning(lcProgramStore) << "Could not add program step repetition";
            return false;
        }
    }
    return true;
}

// No name is freed during an import, so the search for a free one goes on
// where the last one of its kind stopped; from the first number each time,
// a long chain of sub-programs took minutes.
QString SqlProgramDatabaseConnection::importedProgramName(Import &import, bool isSubProgram)
{
    const QString pattern = QStringLiteral("%1_%2%3");
    const QString kind = isSubProgram ? QStringLiteral("subimported") : QStringLiteral("imported");
    int &number = import.firstFreeNumbers[kind];
    const auto candidate = [&] {
        return pattern.arg(import.baseName, kind, number == 0 ? QString() : QString::number(number));
    };
    QString name = candidate();
    while (import.takenNames.contains(name)) {
        ++number;
        name = candidate();
    }
    import.takenNames.insert(name);
    ++number;
    return name;
}

domain::api::ISqlConnection *SqlProgramDatabaseConnection::connection() const
{
    return m_frame.connection();
}

domain::api::IConfigurationDatabaseConnection *SqlProgramDatabaseConnection::configuration() const
{
    return m_frame.dependency<domain::api::IConfigurationDatabaseConnection>();
}

} // namespace quelta::base::connection::databaseconnection
