#pragma once

#include "connection/database/core/schemavocabulary.h"
#include "connection/database/stores/sqlstoreframe.h"
#include "domain/api/iconfigurationdatabaseconnection.h"
#include "domain/api/iinitializing.h"
#include "domain/api/iprogramdatabaseconnection.h"
#include "domain/api/isqlconnection.h"
#include "domain/types/databaseconnectionerror.h"

#include <QtCore/QHash>
#include <QtCore/QObject>
#include <QtCore/QSet>

#include <functional>
#include <optional>

namespace quelta::base::connection::databaseconnection {

// Named bare in the base list, so that a cast by the interface's bare name
// finds the interface as well.
using domain::api::IProgramDatabaseConnection;

// The store of the setpoint programs in the data database: a row per program
// in program, its steps in program_step, the sections of section steps in
// program_section with a row per signal in program_setpoint, and loops over
// steps in program_step_repetition. It asks the configuration store for the
// chamber type of a program and for the signals and units of setpoints; it
// keeps nothing between calls.
//
// The readers and writers take the connection they run on, so that a program
// file, an encrypted database with the same five tables, is read and written
// by the same code. A file holds the exported program as program 1 and, once
// each, every program it calls, depth first, with ids of the file; it is
// opened under the configuration database's key. Export empties the file
// first, so it writes only into a new file or a program file. A program whose
// sub-program calls lead back to itself is refused on export and on import.
//
// Removals run child first in one transaction: a step repetition before the
// steps it spans, a step before its section, setpoints before their section.
// Whatever fails leaves every row in place; with foreign keys on, a program
// that another one calls cannot be deleted. An import that fails removes
// every program it has added.
//
// Every operation is guarded: before setConnections() has given it the
// connection and the configuration store it emits error(NOT_INITIALIZED),
// runs no statement and gives its empty result. Statements that fail are
// reported by the connection they ran on; the store then gives false or its
// empty result. The store itself emits error(UNEXPECTED_RESULT) for a row of
// the wrong width, and for a program, a section or the repetition between
// two sections that is not found exactly once; initialize() only answers
// false for a missing table. An operation during which a read of the
// configuration store fails emits error(EXECUTION_FAILED) and gives its
// empty result, false or 0; a set point is then not written, since it is
// stored in its signal's unit.
class SqlProgramDatabaseConnection : public QObject,
                                     public IProgramDatabaseConnection,
                                     public domain::api::IInitializing
{
    Q_OBJECT
    Q_INTERFACES(quelta::domain::api::IProgramDatabaseConnection quelta::domain::api::IInitializing)

public:
    explicit SqlProgramDatabaseConnection(QObject *parent = nullptr);
    ~SqlProgramDatabaseConnection() override;

    // Stores both pointers, null included, and returns isInitialized().
    bool setConnections(domain::api::ISqlConnection *connection,
                        domain::api::IConfigurationDatabaseConnection *configuration);
    // True once the connection and the configuration store are set.
    bool isInitialized() const;
    // Whether the program, step, section and setpoint tables are there.
    bool initialize() override;

    QList<domain::types::ProgramData> getPrograms() override;
    domain::types::ProgramData getProgram(const int &id) override;
    QString getProgramName(const int &id) override;
    bool isProgramEdited(const int &id) override;
    unsigned int getProgramUserId(const int &id) override;
    domain::types::ChamberTypeKey getProgramChamberType(const int &id) override;
    bool exportProgramsToFile(const int &programId, const QUrl &file) override;
    int importProgramsFromFile(const QUrl &file, const int &userId) override;
    bool addProgram(domain::types::ProgramData &program) override;
    bool deleteProgram(const int &id) override;
    bool updateProgram(const domain::types::ProgramData &program) override;
    bool setProgramName(const int &id, const QString &name) override;
    int getProgramIdByName(const QString &name) override;
    bool programExists(const int &id) override;
    int getProgramType(const int &id) override;
    bool containsSubPrograms(const int &programId) override;
    bool checkStepRepetitionRange(const domain::types::ProgramStep &repetition) override;
    bool addProgramStep(domain::types::ProgramChange &step) override;
    bool saveProgramSteps(const int &programId, QList<domain::types::ProgramChange> &steps) override;
    QList<domain::types::ProgramChange> getProgramSteps(const int &programId) override;
    bool addStepRepetition(domain::types::ProgramStep &repetition) override;
    bool saveStepRepetitions(const int &programId, QList<domain::types::ProgramStep> &repetitions) override;
    bool deleteStepRepetition(const int &id) override;
    bool updateStepRepetition(const domain::types::ProgramStep &repetition) override;
    QList<domain::types::ProgramStep> getStepRepetitions(const int &programId) override;
    domain::types::ProgramStep getStepRepetitionsOfSteps(const int &firstSectionId,
                                                         const int &lastSectionId) override;

Q_SIGNALS:
    void error(quelta::domain::types::DatabaseConnectionError error) override;

private:
    using Connection = domain::api::ISqlConnection;
    using Row = Connection::Row;

    QVariant getProgramColumn(int id, ProgramColumn column);
    bool setProgramColumn(int id, ProgramColumn column, const QVariant &value);

    // Readers, on the data database or on a program file.
    domain::types::ProgramData programFromRow(const Row &row);
    // Reports error(UNEXPECTED_RESULT) unless there is exactly one such program.
    std::optional<domain::types::ProgramData> findProgram(Connection &connection, int id);
    domain::types::ProgramData readProgram(Connection &connection, int id);
    QList<domain::types::ProgramChange> readProgramSteps(Connection &connection, int programId);
    QList<domain::types::ProgramStep> readStepRepetitions(Connection &connection, int programId);
    domain::types::ProgramSection readSection(Connection &connection, int sectionId);
    QList<domain::types::SetpointValue> readSetpoints(Connection &connection, int sectionId);
    // Rows that do not have the width are reported and left out.

    // Writers, on the data database or on a program file. An insert gives
    // the record the new row's id.
    bool insertProgram(Connection &connection, domain::types::ProgramData &program);
    // The section row and its setpoints, or neither.
    bool insertSection(Connection &connection, domain::types::ProgramSection &section);
    // A section step inserts a new section for itself.
    bool insertProgramStep(Connection &connection, domain::types::ProgramChange &step);
    bool insertStepRepetition(Connection &connection, domain::types::ProgramStep &repetition);
    // Replaces the section's setpoints, or keeps the old ones.
    bool saveSetpoints(Connection &connection, const domain::types::ProgramSection &section,
                       const QList<domain::types::SetpointValue> &setpoints);
    bool updateSection(domain::types::ProgramSection &section);
    bool updateProgramStep(domain::types::ProgramChange &step);
    bool deleteProgramStepsExcept(int programId, const QList<domain::types::ProgramChange> &kept);
    bool deleteStepRepetitionsExcept(int programId, const QList<domain::types::ProgramStep> &kept);
    // The programs with everything that belongs to them, in one transaction.
    bool removePrograms(const QList<int> &ids);

    // What one import keeps from its first program to its last.
    struct Import
    {
        Connection &file;
        int userId = 0;
        QString baseName;
        // The names of the data database's programs, those this import gave
        // included.
        QSet<QString> takenNames;
        // Per kind of name, the number below which every name is taken.
        QHash<QString, int> firstFreeNumbers;
        // Every program added.
        QList<int> added;
    };
    // A program on the chain of calls being copied.
    struct ProgramCopy;

    // Program files. Each program of the source is copied once, however many
    // steps call it.
    bool createProgramFileTables(Connection &file);
    // Whether the file holds no tables but those of a program file.
    bool isProgramFile(Connection &file);
    // The id in the file, 0 when the export fails.
    int exportProgram(Connection &file, int programId);
    // The new id of the file's program, 0 when the import fails.
    int importProgram(Import &import);
    // Copies the program and every program it calls from source to target:
    // each program's row by copyProgram (its id in the source, whether it is
    // called; its id in the target, 0 when that fails), then its steps and
    // step repetitions. Gives the program's id in the target, 0 when the
    // copy fails or the calls lead back to a caller.
    int copyWithCalls(Connection &source, Connection &target, int programId,
                      const std::function<int(int, bool)> &copyProgram, const char *subProgramFailure);
    // The step, calling the program of that id in the target when it is a
    // sub-program step.
    bool copyStep(Connection &target, ProgramCopy &program, domain::types::ProgramChange step, int calledId);
    bool copyRepetitions(Connection &source, Connection &target, const ProgramCopy &program);
    // The first free name of the pattern, which is taken from then on.
    QString importedProgramName(Import &import, bool isSubProgram);

    domain::api::ISqlConnection *connection() const;
    domain::api::IConfigurationDatabaseConnection *configuration() const;

    SqlStoreFrame<SqlProgramDatabaseConnection, domain::api::IConfigurationDatabaseConnection> m_frame{this};
};

} // namespace quelta::base::connection::databaseconnection
