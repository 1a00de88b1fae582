#pragma once

#include "domain/api/iprogramtransmitter.h"
#include "domain/types/chambersignal.h"
#include "domain/types/programstartoptions.h"
#include "domain/types/programtransmittablesection.h"

#include <QtCore/QList>
#include <QtCore/QMap>
#include <QtCore/QObject>
#include <QtCore/QString>
#include <QtCore/QTimer>
#include <QtCore/QVector>

#include <chrono>
#include <memory>
#include <optional>

namespace quelta::base::connection::chamberconnection {

// The base of every program transmitter: the entry points that all
// controller generations share (program list, read, write and delete of one
// program), one command at a time, the checks of program index and section
// count, and the data of the running command.
//
// An accepted command only records what it has to do and queues the
// generation's prepare... step for the next turn of the event loop; nothing
// is sent or emitted inside the caller's call. The generation chains its
// steps from there and ends every accepted command in exactly one
// ...Finished signal or error, calling resetCommand() right before or right
// after it. A refused command returns false and is reported through error.
class AbstractProgramTransmitter : public QObject, public domain::api::IProgramTransmitter
{
    Q_OBJECT
    Q_INTERFACES(quelta::domain::api::IProgramTransmitter)

public:
    enum Command : quint16 {
        INVALID = 0,
        READ_NAMES = 1,
        READ_NAME = 2,
        READ = 3,
        WRITE = 4,
        DELETE = 5,
        START = 6,
        STOP = 7
    };
    Q_ENUM(Command)

    // The state of one running command.
    struct TransmissionData
    {
        // READ_NAMES and STOP.
        TransmissionData() = default;
        // DELETE.
        explicit TransmissionData(int programIndex);
        // START.
        TransmissionData(int programIndex, const domain::types::ProgramStartOptions &startOptions);
        // READ: the position maps of the signals.
        TransmissionData(int programIndex, const QList<domain::types::ChamberSignal> &chamberSignals);
        // WRITE: the position maps, and every section's setpoints sorted by
        // analog column, those without a column last.
        TransmissionData(const QString &programName, int programIndex,
                         const QList<domain::types::ProgramTransmittableSection> &sections,
                         const QList<domain::types::ChamberSignal> &chamberSignals);

        // The id of a signal that one of the sections sets and whose bit
        // position lies beyond bitCount bits, which the controller cannot
        // hold.
        std::optional<int> signalBeyondBits(int bitCount) const;
        // The digital set-points of a section as a word: bit n is the last
        // set-point of the signal at bit position n.
        uint digitalWord(const domain::types::ProgramSection &section) const;
        // The analog set-points of a section by column, for the first
        // columnCount columns; a column without one holds 0.
        QVector<float> analogColumns(const domain::types::ProgramSection &section, int columnCount) const;

        QString programName;
        // 0-based; READ_NAMES counts the program slots with it.
        int programIndex = 0;
        int signalIndex = 0;
        int sectionIndex = 0;
        // READ: the sections the controller reports.
        int sectionCount = 0;
        QList<domain::types::ProgramTransmittableSection> sections;
        QList<domain::types::ChamberSignal> chamberSignals;
        // Signal id to 0-based analog column: the number of the signal's
        // manual-mode write address minus 1.
        QMap<int, int> analogPositions;
        // Signal id to bit position, for digital signals.
        QMap<int, int> digitalPositions;
        // How many analog columns follow each other without a gap, counted
        // from the lowest.
        int analogRunLength = 0;
        domain::types::ProgramStartOptions startOptions;
    };

    ~AbstractProgramTransmitter() override;

    bool readProgramNames() override;
    bool readProgram(int programIndex, const QList<domain::types::ChamberSignal> &chamberSignals) override;
    bool writeProgram(int programIndex, const QString &programName,
                      const QList<domain::types::ProgramTransmittableSection> &sections,
                      const QList<domain::types::ChamberSignal> &chamberSignals) override;
    bool deleteProgram(int programIndex) override;

    // A fixed number per controller generation.
    virtual int generationValue() const = 0;
    // The most sections one program may hold.
    virtual int maxStepCount() const = 0;
    // The number of program slots: the highest 1-based program index.
    virtual int programSlotCount() const = 0;

    Command currentCommand() const { return m_currentCommand; }

    static QString commandText(Command command);
    static QString defaultProgramName(int number);

Q_SIGNALS:
    void readProgramNamesFinished(const QMap<int, QString> &programNames) override;
    void readProgramNameFinished(int programIndex, const QString &programName) override;
    void readProgramFinished(const QString &programName,
                             const QList<quelta::domain::types::ProgramTransmittableSection> &sections) override;
    void writeProgramFinished() override;
    void deleteProgramFinished() override;
    void startProgramFinished() override;
    void stopProgramFinished() override;
    void error(const QString &errorMessage = tr("Unknown Error")) override;

protected:
    explicit AbstractProgramTransmitter(QObject *parent = nullptr);

    // The generation's first step of each command.
    virtual void prepareReadProgramNames() = 0;
    virtual void prepareReadProgram() = 0;
    virtual void prepareDeleteProgram() = 0;
    virtual void prepareWriteProgram() = 0;

    // Back to idle: no command, no transmission data.
    virtual void resetCommand();

    // True, after logging and reporting the running command, while one runs.
    bool refuseWhileBusy();
    // True, after logging logPrefix and the index and reporting it, when
    // programIndex lies outside 1 .. programSlotCount().
    bool refuseIndex(int programIndex, const char *logPrefix);
    // Makes command the running one with data and queues its first step for
    // the next turn of the event loop: nothing happens inside the caller's
    // call.
    template<typename Transmitter>
    void beginCommand(Command command, std::unique_ptr<TransmissionData> data, void (Transmitter::*firstStep)())
    {
        m_currentCommand = command;
        m_transmissionData = std::move(data);
        queueStep(firstStep);
    }
    // Runs step on the next turn of the event loop, or after delay, through
    // hasTransmissionData().
    template<typename Transmitter>
    void queueStep(void (Transmitter::*step)(), std::chrono::milliseconds delay = std::chrono::milliseconds::zero())
    {
        auto *const transmitter = static_cast<Transmitter *>(this);
        QTimer::singleShot(delay, Qt::PreciseTimer, transmitter, [this, transmitter, step] {
            if (hasTransmissionData())
                (transmitter->*step)();
        });
    }
    // The guard of every step: false, after a critical log line and the end
    // of the command with "Unknown Error", when the command was reset while
    // the step waited.
    bool hasTransmissionData();
    // Valid inside a step: each one passes hasTransmissionData() first.
    TransmissionData &transmissionData() const;
    QMap<int, QString> &programNames() { return m_programNames; }

    // READ_NAMES: names the slot at hand and queues the next one.
    void listSlotName(const QString &name);
    // READ: reports the sections read under programName, then resets.
    void finishRead(const QString &programName);

    void reportIndexOutOfBounds(int programIndex);
    void reportDeviceBusy();
    // The two orders in which the generations end a command with an error.
    void resetThenReportError(const QString &errorMessage = tr("Unknown Error"));
    void reportErrorThenReset(const QString &errorMessage = tr("Unknown Error"));

private:
    Command m_currentCommand = INVALID;
    std::unique_ptr<TransmissionData> m_transmissionData;
    QMap<int, QString> m_programNames;
};

// The name that the generations report for an empty program slot.
inline const QString emptyProgramName;

} // namespace quelta::base::connection::chamberconnection
