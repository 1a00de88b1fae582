#include "transferbench.h"

#include "connection/chamber/core/chamberreply.h"
#include "domain/types/chamberdata.h"

#include <QtCore/QTimer>

namespace transferbench {

using quelta::base::connection::chamberconnection::ChamberReply;
using quelta::base::connection::chamberconnection::ValueCodec;

// A record without a Modbus road: the base builds no client and no thread.
FakeModbusChamberConnection::FakeModbusChamberConnection(const Handshake &handshake)
    : ModbusChamberConnection(ChamberData())
    , handshake(handshake)
{
    setState(ChamberState::STATE_CONNECTED);
    m_clock.start();
}

QVariant FakeModbusChamberConnection::value(const ControllerAddress &address) const
{
    const int first = ValueCodec::registerAddress(address).value_or(0);
    return ValueCodec(wordOrder()).decode(address, registers.mid(first, ValueCodec::registerCount(address)));
}

void FakeModbusChamberConnection::setValue(const ControllerAddress &address, const QVariant &value)
{
    const QVector<quint16> encoded = ValueCodec(wordOrder()).encode(address, value).value_or(QVector<quint16>());
    std::copy(encoded.begin(), encoded.end(), registers.begin() + ValueCodec::registerAddress(address).value_or(0));
}

QSharedPointer<IChamberReply> FakeModbusChamberConnection::writeValues(
    const QList<QPair<ControllerAddress, QVariant>> &values)
{
    Request request{true, {}, {}};
    for (const auto &pair : values) {
        request.addresses.append(pair.first);
        request.values.append(pair.second);
    }
    return makeRequest(request);
}

QSharedPointer<IChamberReply> FakeModbusChamberConnection::makeRequest(const Request &request)
{
    for (int i = 0; i < request.addresses.size(); ++i) {
        const ControllerAddress &address = request.addresses.at(i);
        if (!ValueCodec::registerAddress(address)
            || (request.isWrite && !ValueCodec(wordOrder()).encode(address, request.values.at(i)))) {
            return {};
        }
    }
    if (request.addresses.isEmpty())
        return {};
    requests.append(request);
    requests.last().madeAt = std::chrono::milliseconds(m_clock.elapsed());

    const QSharedPointer<ChamberReply> reply = ChamberReply::create(request.addresses.size());
    const auto fault = std::find_if(m_faults.begin(), m_faults.end(), [&request](const Fault &fault) {
        return std::any_of(request.addresses.begin(), request.addresses.end(), [&fault](const auto &address) {
            const int offset = fault.registerAddress - *ValueCodec::registerAddress(address);
            return offset >= 0 && offset < ValueCodec::registerCount(address);
        });
    });
    if (fault != m_faults.end()) {
        const Fault hit = *fault;
        m_faults.erase(fault);
        if (hit.replyTimeout > std::chrono::milliseconds::zero())
            reply->setTimeout(hit.replyTimeout);
        else
            QTimer::singleShot(0, this, [reply, hit] { reply->finishWithError(hit.error); });
        return reply;
    }
    QTimer::singleShot(0, this, [this, request, reply] {
        for (int i = 0; i < request.addresses.size(); ++i)
            reply->setResult(i, answer(request.addresses.at(i), request.values.value(i)));
        reply->finish();
    });
    return reply;
}

// Stores or reads one item, acting as the controller on its control word.
QVariant FakeModbusChamberConnection::answer(const ControllerAddress &address, const QVariant &written)
{
    const bool isControlWord = handshake.execute && address.address() == handshake.controlWord.address();
    if (written.isValid()) {
        setValue(address, written);
        if (isControlWord) {
            const quint16 errorCode = handshake.execute(value(address).toUInt());
            setValue(handshake.errorCode, handshake.forcedErrorCode.value_or(errorCode));
            m_busyLeft = handshake.busyPolls;
        }
        return written;
    }
    if (isControlWord) {
        setValue(address, m_busyLeft > 0 ? handshake.busyWord : handshake.readyWord);
        m_busyLeft = qMax(0, m_busyLeft - 1);
    }
    return value(address);
}

ChamberSignal chamberSignal(int id, int number, int bitPosition, float limitMax)
{
    ChamberSignal signal;
    signal.setId(id);
    signal.setUnit(bitPosition >= 0 ? Unit::Bool : Unit::DegreeCelsius);
    signal.setBitPosition(bitPosition);
    signal.setLimitMax(limitMax);
    signal.setWriteManualAddress(QSharedPointer<ControllerAddress>::create(
        ControllerAddressId(), QStringLiteral("0x%1").arg(0x2000 + id, 0, 16), 2, QMetaType::UShort, 1, number, QString()));
    return signal;
}

ProgramTransmittableSection programSection(const QList<SetpointValue> &setpoints, qint64 duration)
{
    return ProgramTransmittableSection(ProgramSection(0, setpoints, duration, ProgramSection::INVALID, false, {}),
                                       0, 0);
}

ProgramNames programList(int slots, const ProgramNames &named)
{
    ProgramNames names;
    for (int key = 1; key <= slots; ++key)
        names.insert(key, named.value(key));
    return names;
}

void addRoadColumns()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QVariant>("expected");
    QTest::addColumn<QString>("log");
}

void addRoad(const char *name, const QString &command, const QString &setup, const QString &error,
             const QVariant &expected, const QString &log)
{
    QTest::newRow(name) << command << setup << error << expected << log;
}

ToleranceRange relativeBand(float below, float above)
{
    return ToleranceRange(ToleranceRange::Relative, UnitValue(Unit::DegreeCelsius, QVariant(below)),
                          UnitValue(Unit::DegreeCelsius, QVariant(above)));
}

bool startCommand(AbstractProgramTransmitter &transmitter, const QString &command, int programIndex,
                  const QString &programName, const QList<ProgramTransmittableSection> &sections,
                  const QList<ChamberSignal> &chamberSignals, const ProgramStartOptions &startOptions)
{
    if (command == "names")
        return transmitter.readProgramNames();
    if (command == "name")
        return transmitter.readProgramName(programIndex);
    if (command == "read")
        return transmitter.readProgram(programIndex, chamberSignals);
    if (command == "write")
        return transmitter.writeProgram(programIndex, programName, sections, chamberSignals);
    if (command == "delete")
        return transmitter.deleteProgram(programIndex);
    if (command == "start")
        return transmitter.startProgram(programIndex, startOptions);
    return command == "stop" && transmitter.stopProgram();
}

} // namespace transferbench
