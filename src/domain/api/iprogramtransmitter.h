#pragma once

#include "domain/types/chambersignal.h"
#include "domain/types/programstartoptions.h"
#include "domain/types/programtransmittablesection.h"

#include <QtCore/QList>
#include <QtCore/QMap>
#include <QtCore/QObject>
#include <QtCore/QString>

namespace quelta::domain::api {

// Transfers setpoint programs to and from a chamber controller.
//
// A transmitter runs one command at a time. Each command operation returns
// true when the command was accepted and false when it was refused; an
// accepted command ends later in exactly one ...Finished signal or error. A
// refusal because a command runs, or because of a bad program index or too
// many sections, is reported through error as well; an operation that the
// controller does not offer at all is refused without a signal. Program
// indices are 1-based.
//
// The signals at the end are Qt signals of the implementing QObject, which
// declares them in its Q_SIGNALS section as overrides. Connect to them through
// that QObject (qobject_cast or dynamic_cast to QObject), by name where only
// this interface is known. Their argument types are spelled in full, so that
// the implementation's meta-object names them as they are registered and
// queued connections by name find them.
class IProgramTransmitter
{
public:
    virtual ~IProgramTransmitter() = default;

    virtual bool readProgramNames() = 0;
    virtual bool readProgramName(int programIndex) = 0;
    // chamberSignals are the chamber type's signals, which tell how the
    // program's values are laid out on the controller.
    virtual bool readProgram(int programIndex, const QList<types::ChamberSignal> &chamberSignals) = 0;
    virtual bool writeProgram(int programIndex,
                              const QString &programName,
                              const QList<types::ProgramTransmittableSection> &sections,
                              const QList<types::ChamberSignal> &chamberSignals) = 0;
    virtual bool deleteProgram(int programIndex) = 0;
    virtual bool startProgram(int programIndex, const types::ProgramStartOptions &options) = 0;
    virtual bool stopProgram() = 0;
    // Forgets what the transmitter remembers of the controller's state; only
    // controllers whose transmitter keeps such state override it.
    virtual void resetLastKnownControllerState() {}

    // Signals.
    virtual void readProgramNamesFinished(const QMap<int, QString> &programNames) = 0;
    virtual void readProgramNameFinished(int programIndex, const QString &programName) = 0;
    virtual void readProgramFinished(const QString &programName,
                                     const QList<quelta::domain::types::ProgramTransmittableSection> &sections) = 0;
    virtual void writeProgramFinished() = 0;
    virtual void deleteProgramFinished() = 0;
    virtual void startProgramFinished() = 0;
    virtual void stopProgramFinished() = 0;
    virtual void error(const QString &errorMessage) = 0;

protected:
    IProgramTransmitter() = default;

private:
    Q_DISABLE_COPY_MOVE(IProgramTransmitter)
};

} // namespace quelta::domain::api

Q_DECLARE_INTERFACE(quelta::domain::api::IProgramTransmitter, "domain::api::IProgramTransmitter")
