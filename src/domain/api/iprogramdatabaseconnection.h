#pragma once

#include "domain/types/chambertypekey.h"
#include "domain/types/databaseconnectionerror.h"
#include "domain/types/programchange.h"
#include "domain/types/programdata.h"
#include "domain/types/programstep.h"

#include <QtCore/QList>
#include <QtCore/QObject>
#include <QtCore/QString>
#include <QtCore/QUrl>

namespace quelta::domain::api {

// The setpoint programs of the data database: programs, their steps (a
// section with setpoints, or a call of another program), and step
// repetitions, which loop over a run of a program's steps. Setpoints and
// their tolerance limits are stored in the unit that the catalogue gives each
// signal and read back in it, limits as a relative range. A program with its
// sub-programs can be written into a program file and read back from one.
//
// Every operation reports a store that is not connected yet with
// error(NOT_INITIALIZED), runs no statement and answers with its empty
// result: an empty list or text, false, 0, the default record (id 0, program
// type 1), the repetition {0, 0, 0, 0, -1}; programExists(),
// containsSubPrograms() and checkStepRepetitionRange() answer true then.
//
// error() is a Qt signal of the implementing QObject, which declares it in
// its Q_SIGNALS section as an override; connect to it through that QObject.
class IProgramDatabaseConnection
{
public:
    virtual ~IProgramDatabaseConnection() = default;

    virtual QList<types::ProgramData> getPrograms() = 0;
    // The default record, with error(UNEXPECTED_RESULT), when there is no
    // such program.
    virtual types::ProgramData getProgram(const int &id) = 0;
    virtual QString getProgramName(const int &id) = 0;
    virtual bool isProgramEdited(const int &id) = 0;
    virtual unsigned int getProgramUserId(const int &id) = 0;
    // Its additionalInfoId is always 0.
    virtual types::ChamberTypeKey getProgramChamberType(const int &id) = 0;
    // Writes the program with everything it calls into an encrypted program
    // file, replacing the file's content. A program that does not exist, or
    // a URL that is not a local file, leaves the file untouched and gives false.
    virtual bool exportProgramsToFile(const int &programId, const QUrl &file) = 0;
    // Adds the file's program, and every program it calls, as new programs
    // of the user, named after the file; the new program's id, or 0 with
    // nothing added.
    virtual int importProgramsFromFile(const QUrl &file, const int &userId) = 0;
    // On success the record's id is the new row's.
    virtual bool addProgram(types::ProgramData &program) = 0;
    // Removes the program with its steps, sections, setpoints and
    // repetitions, or nothing. A program that another one calls stays.
    virtual bool deleteProgram(const int &id) = 0;
    virtual bool updateProgram(const types::ProgramData &program) = 0;
    virtual bool setProgramName(const int &id, const QString &name) = 0;
    // 0 when there is no program of that name, or several.
    virtual int getProgramIdByName(const QString &name) = 0;
    virtual bool programExists(const int &id) = 0;
    virtual int getProgramType(const int &id) = 0;
    virtual bool containsSubPrograms(const int &programId) = 0;
    // True when more than one repetition of the program that owns the given
    // one starts at or after its first step and ends at its last.
    virtual bool checkStepRepetitionRange(const types::ProgramStep &repetition) = 0;
    // A section step adds a new section with its setpoints. On success the
    // step's id is the new row's, and so is its section's.
    virtual bool addProgramStep(types::ProgramChange &step) = 0;
    // Updates the steps that have an id, adds the others (the list receives
    // the new ids) and removes the program's steps that are not in the list.
    virtual bool saveProgramSteps(const int &programId, QList<types::ProgramChange> &steps) = 0;
    // In ascending order number. A sub-program step carries the called
    // program's own record, without its steps.
    virtual QList<types::ProgramChange> getProgramSteps(const int &programId) = 0;
    // On success the record's id is the new row's.
    virtual bool addStepRepetition(types::ProgramStep &repetition) = 0;
    // As saveProgramSteps(), for the program's step repetitions.
    virtual bool saveStepRepetitions(const int &programId, QList<types::ProgramStep> &repetitions) = 0;
    virtual bool deleteStepRepetition(const int &id) = 0;
    virtual bool updateStepRepetition(const types::ProgramStep &repetition) = 0;
    virtual QList<types::ProgramStep> getStepRepetitions(const int &programId) = 0;
    // The repetition from the step of the first section to the step of the
    // last one; error(UNEXPECTED_RESULT) unless there is exactly one, and then
    // the first of several or {0, 0, 0, 0, -1}.
    virtual types::ProgramStep getStepRepetitionsOfSteps(const int &firstSectionId, const int &lastSectionId) = 0;

    // Signal.
    virtual void error(quelta::domain::types::DatabaseConnectionError error) = 0;

protected:
    IProgramDatabaseConnection() = default;

private:
    Q_DISABLE_COPY_MOVE(IProgramDatabaseConnection)
};

} // namespace quelta::domain::api

Q_DECLARE_INTERFACE(quelta::domain::api::IProgramDatabaseConnection, "domain::api::IProgramDatabaseConnection")
