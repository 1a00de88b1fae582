#include "programfixtures.h"
#include "transmitterbench.h"
#include "zk3controllermodel.h"

#include "transfer/zk3programtransmitter.h"

#include <QtTest/QtTest>

using namespace programfixtures;
using quelta::base::connection::chamberconnection::AbstractProgramTransmitter;
using quelta::base::connection::chamberconnection::ZK3ProgramTransmitter;
using TransmissionData = AbstractProgramTransmitter::TransmissionData;

class tst_AbstractProgramTransmitter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void transmissionData_mapsPositions_data();
    void transmissionData_mapsPositions();
    void transmissionData_sortsSetpointsByColumn();
    void entryPoints_checkIndexAndStepsBeforeAnyTraffic_data();
    void entryPoints_checkIndexAndStepsBeforeAnyTraffic();
};

void tst_AbstractProgramTransmitter::transmissionData_mapsPositions_data()
{
    QTest::addColumn<QList<ChamberSignal>>("chamberSignals");
    QTest::addColumn<QMap<int, int>>("analog");
    QTest::addColumn<QMap<int, int>>("digital");
    QTest::addColumn<int>("runLength");

    QTest::newRow("numbers 3, 4, 6") << QList<ChamberSignal>{analogSignal(1, 3), analogSignal(2, 4), analogSignal(3, 6)}
                                     << QMap<int, int>{{1, 2}, {2, 3}, {3, 5}} << QMap<int, int>{} << 2;
    QTest::newRow("numbers 2, 1") << QList<ChamberSignal>{analogSignal(1, 2), analogSignal(2, 1)}
                                  << QMap<int, int>{{1, 1}, {2, 0}} << QMap<int, int>{} << 2;
    QTest::newRow("lowest columns apart") << QList<ChamberSignal>{analogSignal(1, 1), analogSignal(2, 3)}
                                          << QMap<int, int>{{1, 0}, {2, 2}} << QMap<int, int>{} << 1;
    QTest::newRow("digital only") << QList<ChamberSignal>{digitalSignal(1, 0), digitalSignal(2, 7)}
                                  << QMap<int, int>{} << QMap<int, int>{{1, 0}, {2, 7}} << 0;
    ChamberSignal unaddressed;
    unaddressed.setId(4);
    QTest::newRow("skipped signals, a later id wins")
        << QList<ChamberSignal>{digitalSignal(3, -1), unaddressed, analogSignal(1, 1), analogSignal(1, 5)}
        << QMap<int, int>{{1, 4}} << QMap<int, int>{} << 1;
}

void tst_AbstractProgramTransmitter::transmissionData_mapsPositions()
{
    QFETCH(QList<ChamberSignal>, chamberSignals);
    const TransmissionData data(0, chamberSignals);
    QTEST(data.analogPositions, "analog");
    QTEST(data.digitalPositions, "digital");
    QTEST(data.analogRunLength, "runLength");
}

void tst_AbstractProgramTransmitter::transmissionData_sortsSetpointsByColumn()
{
    const QList<ChamberSignal> chamberSignals{analogSignal(1, 2), analogSignal(2, 1), digitalSignal(3, 0)};
    const SetpointValue first(chamberSignals.at(1), QVariant(1.0f));
    const SetpointValue second(chamberSignals.at(0), QVariant(2.0f));
    const SetpointValue digital(chamberSignals.at(2), true);
    const SetpointValue unknown(9, UnitValue(Unit::Percent, 5));
    const TransmissionData data(QString(), 0, {programSection({digital, second, unknown, first}, 60)},
                                chamberSignals);
    QCOMPARE(data.sections.first().section().setpoints(), (QList<SetpointValue>{first, second, digital, unknown}));
}

void tst_AbstractProgramTransmitter::entryPoints_checkIndexAndStepsBeforeAnyTraffic_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("programIndex");
    QTest::addColumn<int>("sectionCount");
    QTest::addColumn<QString>("log");
    QTest::addColumn<QString>("error");

    QTest::newRow("read 1") << "read" << 1 << 0 << QString() << QString();
    QTest::newRow("read 2") << "read" << 2 << 0 << QString() << QString();
    QTest::newRow("read 0") << "read" << 0 << 0 << "Read Program index out of bounds 0"
                            << "Program index out of bounds: 0 not in [1, 2]";
    QTest::newRow("read 3") << "read" << 3 << 0 << "Read Program index out of bounds 3"
                            << "Program index out of bounds: 3 not in [1, 2]";
    QTest::newRow("delete 0") << "delete" << 0 << 0 << " Delete Program index out of bounds 0"
                              << "Program index out of bounds: 0 not in [1, 2]";
    QTest::newRow("start 3") << "start" << 3 << 0 << "Start Program index out of bounds 3"
                             << "Program index out of bounds: 3 not in [1, 2]";
    QTest::newRow("write 0") << "write" << 0 << 1 << "Write Program index out of bounds 0"
                             << "Program index out of bounds: 0 not in [1, 2]";
    QTest::newRow("write 20 sections") << "write" << 2 << 20 << QString() << QString();
    QTest::newRow("write 21 sections") << "write" << 2 << 21 << "Maximum number of steps exceeded"
                                       << "Maximum number of steps exceeded: only 20 steps are supported";
}

void tst_AbstractProgramTransmitter::entryPoints_checkIndexAndStepsBeforeAnyTraffic()
{
    QFETCH(QString, command);
    QFETCH(int, programIndex);
    QFETCH(int, sectionCount);
    QFETCH(QString, log);
    QFETCH(QString, error);
    TransmitterBench<Zk3ControllerModel, ZK3ProgramTransmitter> bench;
    if (!log.isEmpty())
        QTest::ignoreMessage(QtWarningMsg, qPrintable(log));

    bool accepted = false;
    if (command == "read")
        accepted = bench.transmitter.readProgram(programIndex, {});
    else if (command == "delete")
        accepted = bench.transmitter.deleteProgram(programIndex);
    else if (command == "start")
        accepted = bench.transmitter.startProgram(programIndex, {});
    else
        accepted = bench.transmitter.writeProgram(programIndex, "P", QVector(sectionCount, programSection({}, 1)).toList(), {});

    QCOMPARE(accepted, error.isEmpty());
    QCOMPARE(bench.spy.outcomes(), error.isEmpty() ? 0 : 1);
    QCOMPARE(bench.spy.lastError(), error);
    QCOMPARE(bench.transmitter.currentCommand() == AbstractProgramTransmitter::INVALID, !accepted);
    // Nothing happens inside the caller's call.
    QVERIFY(bench.connection->requests().isEmpty());
}

QTEST_GUILESS_MAIN(tst_AbstractProgramTransmitter)
#include "tst_abstractprogramtransmitter.moc"
