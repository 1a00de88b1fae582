#pragma once

#include "connection/chamber/modbus/modbuschamberconnection.h"
#include "domain/api/metatypes.h"
#include "domain/types/chambererror.h"
#include "domain/types/chambersignal.h"
#include "domain/types/programtransmittablesection.h"
#include "transfer/abstractprogramtransmitter.h"
#include "transfer/holdingregister.h"

#include <QtCore/QElapsedTimer>
#include <QtTest/QSignalSpy>
#include <QtTest/QTest>

#include <chrono>
#include <functional>
#include <optional>

// The bench of the transfer tests: a Modbus chamber connection without a
// wire, the controller model of the handshake generations, a spy on every
// result of a transmitter, and signal and section fixtures.
namespace transferbench {

using namespace quelta::domain::types;
using quelta::base::connection::chamberconnection::AbstractProgramTransmitter;
using quelta::base::connection::chamberconnection::holdingRegister;
using IChamberReply = quelta::domain::api::IChamberReply;
using ProgramNames = QMap<int, QString>;
using Sections = QList<ProgramTransmittableSection>;
using Signals = QList<ChamberSignal>;

inline const QString unknownError = QStringLiteral("Unknown Error");

// A controller that takes a command code in its control word and carries it
// out: the control word then reads busyWord for busyPolls reads, then
// readyWord, and the error code register holds what execute returned.
struct Handshake
{
    ControllerAddress controlWord;
    ControllerAddress errorCode;
    quint32 readyWord = 0;
    quint32 busyWord = 0;
    std::function<quint16(quint32 command)> execute;
    int busyPolls = 0;
    // Answered instead of the error code of execute.
    std::optional<quint16> forcedErrorCode;
};

// A connected Modbus chamber connection that answers every request from its
// registers through a real ChamberReply, finished on a later turn of the
// event loop, and records every request. Values go through the project's
// value codec, so bench and connection agree on every wire format. Like the
// real connection it makes no reply for a request that cannot be made.
class FakeModbusChamberConnection : public quelta::base::connection::chamberconnection::ModbusChamberConnection
{
    Q_OBJECT

public:
    struct Request
    {
        bool isWrite = false;
        QList<ControllerAddress> addresses;
        QVariantList values;
        // Since the connection was made.
        std::chrono::milliseconds madeAt{};

        QStringList addressTexts() const
        {
            QStringList texts;
            for (const ControllerAddress &address : addresses)
                texts << address.address();
            return texts;
        }
    };

    explicit FakeModbusChamberConnection(const Handshake &handshake);

    QVariant value(const ControllerAddress &address) const;
    void setValue(const ControllerAddress &address, const QVariant &value);
    // The next request that touches the register stores nothing and fails
    // with the error; with a reply time-out it is never answered and its
    // reply ends by that time-out.
    void failNext(quint16 registerAddress, ChamberError::Error error,
                  std::chrono::milliseconds replyTimeout = std::chrono::milliseconds::zero())
    {
        m_faults.append({registerAddress, error, replyTimeout});
    }

    QSharedPointer<IChamberReply> readValue(const ControllerAddress &address) override
    {
        return makeRequest({false, {address}, {}});
    }
    QSharedPointer<IChamberReply> readValues(const QList<ControllerAddress> &addresses) override
    {
        return makeRequest({false, addresses, {}});
    }
    QSharedPointer<IChamberReply> writeValue(const ControllerAddress &address, const QVariant &value) override
    {
        return makeRequest({true, {address}, {value}});
    }
    QSharedPointer<IChamberReply> writeValues(const QList<QPair<ControllerAddress, QVariant>> &values) override;

    // The 65536 holding registers.
    QVector<quint16> registers = QVector<quint16>(0x10000);
    Handshake handshake;
    QList<Request> requests;

private:
    struct Fault
    {
        quint16 registerAddress;
        ChamberError::Error error;
        std::chrono::milliseconds replyTimeout;
    };

    QSharedPointer<IChamberReply> makeRequest(const Request &request);
    QVariant answer(const ControllerAddress &address, const QVariant &written);

    QList<Fault> m_faults;
    int m_busyLeft = 0;
    QElapsedTimer m_clock;
};

// Every result signal of a transmitter, to prove that a command ends in
// exactly one of them. The spies need the argument types registered, as the
// application registers them at start-up.
struct TransmitterSpy
{
    explicit TransmitterSpy(AbstractProgramTransmitter *t)
        : names((quelta::domain::api::registerApiMetaTypes(), t), &AbstractProgramTransmitter::readProgramNamesFinished)
        , name(t, &AbstractProgramTransmitter::readProgramNameFinished)
        , read(t, &AbstractProgramTransmitter::readProgramFinished)
        , written(t, &AbstractProgramTransmitter::writeProgramFinished)
        , deleted(t, &AbstractProgramTransmitter::deleteProgramFinished)
        , started(t, &AbstractProgramTransmitter::startProgramFinished)
        , stopped(t, &AbstractProgramTransmitter::stopProgramFinished)
        , errors(t, &AbstractProgramTransmitter::error)
    {
    }

    int outcomes() const
    {
        return names.count() + name.count() + read.count() + written.count() + deleted.count() + started.count()
            + stopped.count() + errors.count();
    }
    QString lastError() const { return errors.isEmpty() ? QString() : errors.last().first().toString(); }

    QSignalSpy names, name, read, written, deleted, started, stopped, errors;
};

// Starts one of the commands "names", "name", "read", "write", "delete",
// "start" and "stop" on the program with the 1-based index; a write names
// the program programName.
bool startCommand(AbstractProgramTransmitter &transmitter, const QString &command, int programIndex,
                  const QString &programName, const QList<ProgramTransmittableSection> &sections,
                  const QList<ChamberSignal> &chamberSignals, const ProgramStartOptions &startOptions);

// A transmitter wired to a fake connection with a controller's handshake.
template<typename Transmitter>
struct TransmitterBench
{
    explicit TransmitterBench(const Handshake &handshake)
        : connection(QSharedPointer<FakeModbusChamberConnection>::create(handshake))
    {
        transmitter.setChamberConnection(connection);
    }

    // Runs the current row of a table of command roads (addRoadColumns()) on
    // the program with the 1-based index: the command must end exactly once, with the row's error and what the
    // row expects; check looks further. A program list read then ends on its
    // own: no second end of the command was on its way.
    void runRoad(int programIndex, const Sections &sections, const Signals &chamberSignals,
                 const ProgramStartOptions &options = {}, const std::function<void()> &check = [] {})
    {
        using namespace std::chrono_literals;
        QFETCH(QString, command);
        QFETCH(QString, setup);
        QFETCH(QString, error);
        QFETCH(QVariant, expected);
        QFETCH(QString, log);
        Handshake &handshake = connection->handshake;
        if (setup == "busy")
            handshake.busyPolls = std::numeric_limits<int>::max();
        if (setup == "error code")
            handshake.forcedErrorCode = 2;
        if (const QString fault = setup.section(' ', 1); fault == "lost" || fault == "refused" || fault == "stalled")
            connection->failNext(setup.section(' ', 0, 0).toUShort(nullptr, 16),
                                 fault == "lost" ? ChamberError::ConnectionError : ChamberError::ProtocolError,
                                 fault == "stalled" ? 50ms : 0ms);
        if (!log.isEmpty())
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(log));
        QVERIFY(startCommand(transmitter, command, programIndex, programName, sections, chamberSignals, options));
        if (setup == "busy") {
            QTRY_VERIFY(connection->requests.size() > 20);
            connection->failNext(handshake.controlWord.address().toUShort(nullptr, 16), ChamberError::TimeoutError,
                                 50ms);
        }
        QTRY_COMPARE(spy.outcomes(), 1);
        QCOMPARE(spy.lastError(), error);
        if (expected.userType() == qMetaTypeId<ProgramNames>())
            QCOMPARE(spy.names.first().first().value<ProgramNames>(), expected.value<ProgramNames>());
        if (expected.userType() == QMetaType::Int)
            QCOMPARE(spy.read.first().last().value<Sections>().size(), expected.toInt());
        if (expected.userType() == QMetaType::QVariantList)
            QCOMPARE(connection->requests.first().values, expected.toList());
        check();
        if (QTest::currentTestFailed())
            return;
        handshake.busyPolls = 0;
        handshake.forcedErrorCode.reset();
        const int lists = spy.names.count();
        QVERIFY(transmitter.readProgramNames());
        QTRY_COMPARE(spy.outcomes(), 2);
        QCOMPARE(spy.names.count(), lists + 1);
    }

    // Reads the program after a write: it comes back as expected under name,
    // and the read ends the second command.
    void verifyReadBack(int programIndex, const Signals &chamberSignals, const QString &name, const Sections &expected)
    {
        QVERIFY(transmitter.readProgram(programIndex, chamberSignals));
        QTRY_COMPARE(spy.read.count(), 1);
        QCOMPARE(spy.read.first().first(), QVariant(name));
        QCOMPARE(spy.read.first().last().value<Sections>(), expected);
        QCOMPARE(spy.outcomes(), 2);
    }

    const QSharedPointer<FakeModbusChamberConnection> connection;
    Transmitter transmitter;
    TransmitterSpy spy{&transmitter};
    // The name of the program that runRoad() writes.
    QString programName = QStringLiteral("P");
};

// A signal in °C whose manual-mode write address (0x2000 + id) has the
// 1-based column number, or, with a bit position of 0 or more, a switch that
// is that bit.
ChamberSignal chamberSignal(int id, int number, int bitPosition = -1,
                            float limitMax = ChamberSignal::NoUpperLimit);
ProgramTransmittableSection programSection(const QList<SetpointValue> &setpoints, qint64 duration);
// A program list of the slots 1 to slots, empty but for the named ones.
ProgramNames programList(int slots, const ProgramNames &named);
// A tolerance band in °C relative to its setpoint.
ToleranceRange relativeBand(float below, float above);
// The columns of a table of command roads: command, setup (the controller's
// fault: "busy" until a poll's reply times out, "error code" 2, "<hex
// register> lost|refused|stalled" for the next request that touches it, or
// what the test makes of it), error (empty for success), expected (a program
// list, the number of sections read, the first request's values, or what the
// test checks itself) and log (a warning that the road writes).
void addRoadColumns();
void addRoad(const char *name, const QString &command, const QString &setup, const QString &error = {},
             const QVariant &expected = {}, const QString &log = {});

} // namespace transferbench
