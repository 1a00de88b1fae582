#include "programfixtures.h"
#include "transmitterbench.h"
#include "zk3controllermodel.h"

#include "transfer/zk3programtransmitter.h"

#include <QtTest/QtTest>

using namespace programfixtures;
using quelta::base::connection::chamberconnection::ZK3ProgramTransmitter;
using ProgramNames = QMap<int, QString>;
using Zk3Bench = TransmitterBench<Zk3ControllerModel, ZK3ProgramTransmitter>;

class tst_ZK3ProgramTransmitter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void writeThenRead_givesTheProgramBackWithinLimits();
    void readProgramNames_marksEmptySlots();
    void read_refusesMoreSectionsThanAProgramHolds_data();
    void read_refusesMoreSectionsThanAProgramHolds();
    void write_endsWithoutTraffic_data();
    void write_endsWithoutTraffic();
    void delete_reportsSuccessDespiteAnErrorCode();
    void startAndStop_writeTheRunCommand_data();
    void startAndStop_writeTheRunCommand();
};

void tst_ZK3ProgramTransmitter::writeThenRead_givesTheProgramBackWithinLimits()
{
    Zk3Bench bench;
    const QList<ChamberSignal> chamberSignals{analogSignal(1, 2, 50.0f), analogSignal(2, 1), digitalSignal(3, 0),
                                             digitalSignal(4, 3)};
    const auto setpoints = [&chamberSignals](float first, float second, bool a, bool b) {
        return QList<SetpointValue>{SetpointValue(chamberSignals.at(0), QVariant(first)),
                                    SetpointValue(chamberSignals.at(1), QVariant(second)),
                                    SetpointValue(chamberSignals.at(2), a), SetpointValue(chamberSignals.at(3), b)};
    };
    const QList<ProgramTransmittableSection> sections{programSection(setpoints(25.0f, -10.5f, true, false), 60),
                                                      programSection(setpoints(80.0f, 0.0f, false, true), 3600),
                                                      programSection(setpoints(40.0f, 7.25f, true, true), 1)};
    QVERIFY(bench.transmitter.writeProgram(2, "Heat", sections, chamberSignals));
    QTRY_COMPARE(bench.spy.written.count(), 1);

    const QList<FakeModbusChamberConnection::Request> writes = bench.connection->writesTo("0x03F6");
    QCOMPARE(writes.size(), 3);
    for (int i = 0; i < writes.size(); ++i) {
        QCOMPARE(writes.at(i).valueOf("0x03F5"), QVariant(1));
        QCOMPARE(writes.at(i).valueOf("0x03F6"), QVariant(i));
        QCOMPARE(writes.at(i).valueOf("0x03F7"), QVariant(i));
        QCOMPARE(writes.at(i).addresses.last().address(), QString("0x03F3"));
    }
    QCOMPARE(writes.first().valueOf("0x03F9").value<QVector<float>>(), (QVector<float>{-10.5f, 25.0f, 0.0f}));
    QCOMPARE(writes.first().valueOf("0x0401"), QVariant(1U));
    QCOMPARE(writes.last().valueOf("0x0401"), QVariant(9U));
    QCOMPARE(writes.at(1).valueOf("0x03FF"), QVariant(qint64(3600)));

    QVERIFY(bench.transmitter.readProgram(2, chamberSignals));
    QTRY_COMPARE(bench.spy.read.count(), 1);
    QList<ProgramTransmittableSection> expected = sections;
    expected[1] = programSection(setpoints(50.0f, 0.0f, false, true), 3600);
    QCOMPARE(bench.spy.read.first().at(0).toString(), QString("Program 2"));
    QCOMPARE(bench.spy.read.first().at(1).value<QList<ProgramTransmittableSection>>(), expected);
    QCOMPARE(bench.spy.outcomes(), 2);
}

void tst_ZK3ProgramTransmitter::readProgramNames_marksEmptySlots()
{
    Zk3Bench bench;
    bench.controller.programs[0] = {QVector<quint16>(Zk3ControllerModel::SectionBlockSize)};
    QVERIFY(bench.transmitter.readProgramNames());
    QTRY_COMPARE(bench.spy.names.count(), 1);
    QCOMPARE(bench.spy.names.first().first().value<ProgramNames>(),
             (ProgramNames{{1, "Program 1"}, {2, ""}}));
}

void tst_ZK3ProgramTransmitter::read_refusesMoreSectionsThanAProgramHolds_data()
{
    QTest::addColumn<int>("storedSections");
    QTest::addColumn<bool>("refused");
    QTest::newRow("last section 0") << 1 << false;
    QTest::newRow("20 sections") << 20 << false;
    QTest::newRow("21 sections") << 21 << true;
    QTest::newRow("last section 255, as after a delete") << 256 << true;
}

void tst_ZK3ProgramTransmitter::read_refusesMoreSectionsThanAProgramHolds()
{
    Zk3Bench bench;
    QFETCH(int, storedSections);
    QFETCH(bool, refused);
    bench.controller.programs[0].fill(QVector<quint16>(Zk3ControllerModel::SectionBlockSize), storedSections);
    if (refused) {
        QTest::ignoreMessage(QtWarningMsg, qPrintable(QString("(Modbus) The controller reports %1 sections, more "
                                                              "than the 20 a program holds")
                                                          .arg(storedSections)));
    }
    QVERIFY(bench.transmitter.readProgram(1, {analogSignal(1, 1)}));
    QTRY_COMPARE(bench.spy.outcomes(), 1);
    QCOMPARE(bench.spy.lastError(), refused ? "Unknown Error" : QString());
    if (!refused)
        QCOMPARE(bench.spy.read.first().at(1).value<QList<ProgramTransmittableSection>>().size(), storedSections);
}

void tst_ZK3ProgramTransmitter::write_endsWithoutTraffic_data()
{
    QTest::addColumn<QList<ProgramTransmittableSection>>("sections");
    QTest::addColumn<QString>("error");
    const ChamberSignal ninthBit = digitalSignal(5, 8);
    QTest::newRow("no sections") << QList<ProgramTransmittableSection>{} << QString();
    QTest::newRow("digital bit 8")
        << QList<ProgramTransmittableSection>{programSection({}, 1), programSection({SetpointValue(ninthBit, true)}, 1)}
        << "Unknown Error";
}

void tst_ZK3ProgramTransmitter::write_endsWithoutTraffic()
{
    Zk3Bench bench;
    QFETCH(QList<ProgramTransmittableSection>, sections);
    QFETCH(QString, error);
    if (!error.isEmpty())
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Digital signal 5 has no place"));
    QVERIFY(bench.transmitter.writeProgram(1, "P", sections, {digitalSignal(5, 8)}));
    QTRY_COMPARE(bench.spy.outcomes(), 1);
    QCOMPARE(bench.spy.lastError(), error);
    QVERIFY(bench.connection->requests().isEmpty());
}

// Kept as the controllers expect it: a delete ends as deleted whatever the
// controller answers.
void tst_ZK3ProgramTransmitter::delete_reportsSuccessDespiteAnErrorCode()
{
    Zk3Bench bench;
    bench.controller.forcedErrorCode = 4;
    QTest::ignoreMessage(QtWarningMsg, "(Modbus) Delete answered with error code 4");
    QVERIFY(bench.transmitter.deleteProgram(2));
    QTRY_COMPARE(bench.spy.deleted.count(), 1);
    QCOMPARE(bench.spy.outcomes(), 1);
    const FakeModbusChamberConnection::Request request = bench.connection->requests().first();
    QCOMPARE(request.valueOf("0x03F5"), QVariant(1));
    QCOMPARE(request.valueOf("0x03F6"), QVariant(255));
    QCOMPARE(request.valueOf("0x03F7"), QVariant(255));
    QCOMPARE(request.valueOf("0x03F3"), QVariant(5));
}

void tst_ZK3ProgramTransmitter::startAndStop_writeTheRunCommand_data()
{
    QTest::addColumn<QDateTime>("startTime");
    QTest::addColumn<int>("startDelay");
    QTest::addColumn<qint64>("lowestDelay");
    QTest::addColumn<qint64>("highestDelay");
    const QDateTime now = QDateTime::currentDateTime();
    QTest::newRow("default") << QDateTime() << 0 << qint64(0) << qint64(0);
    QTest::newRow("delay 90") << QDateTime() << 90 << qint64(90) << qint64(90);
    QTest::newRow("an hour ahead") << now.addSecs(3600) << 90 << qint64(3590) << qint64(3600);
    // A negative delay would go out as a start about 136 years later.
    QTest::newRow("an hour ago") << now.addSecs(-3600) << 0 << qint64(0) << qint64(0);
    QTest::newRow("negative delay") << QDateTime() << -5 << qint64(0) << qint64(0);
}

void tst_ZK3ProgramTransmitter::startAndStop_writeTheRunCommand()
{
    Zk3Bench bench;
    QFETCH(QDateTime, startTime);
    QFETCH(int, startDelay);
    QFETCH(qint64, lowestDelay);
    QFETCH(qint64, highestDelay);
    if (highestDelay == 0 && (startTime.isValid() || startDelay < 0))
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("in the past; starting now"));
    QVERIFY(bench.transmitter.startProgram(2, {startTime, startDelay, -1, -1, 0, 0, 0}));
    QTRY_COMPARE(bench.spy.started.count(), 1);
    QVERIFY(bench.transmitter.stopProgram());
    QTRY_COMPARE(bench.spy.stopped.count(), 1);
    QCOMPARE(bench.spy.outcomes(), 2);

    const QList<FakeModbusChamberConnection::Request> requests = bench.connection->requests();
    QCOMPARE(requests.size(), 2);
    const qint64 delay = requests.first().valueOf("0x0067").toLongLong();
    QVERIFY2(delay >= lowestDelay && delay <= highestDelay, qPrintable(QString::number(delay)));
    QCOMPARE(requests.first().valueOf("0x0065"), QVariant(2));
    QCOMPARE(requests.first().valueOf("0x0046"), QVariant(32));
    QCOMPARE(requests.last().valueOf("0x0046"), QVariant(8));
}

QTEST_GUILESS_MAIN(tst_ZK3ProgramTransmitter)
#include "tst_zk3programtransmitter.moc"
