#include "connection/chamber/modbus/timer.h"

#include <QtTest/QSignalSpy>
#include <QtTest/QtTest>

using namespace std::chrono_literals;

class tst_Timer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void timeout_carriesTheIdOfItsPeriod();
    void restart_endsOnlyTheNewPeriod();
    void stop_preventsTheTimeout();
};

void tst_Timer::timeout_carriesTheIdOfItsPeriod()
{
    Timer timer;
    QCOMPARE(timer.timerId(), 0);
    QSignalSpy spy(&timer, &Timer::timeout);

    const int id = timer.start(10ms);
    QVERIFY(id != 0);
    QVERIFY(timer.isActive());
    QCOMPARE(timer.timerId(), id);

    QVERIFY(spy.wait(5000));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toInt(), id);
    QVERIFY(!timer.isActive());
    QCOMPARE(timer.timerId(), 0);

    const int next = timer.start(10ms);
    QVERIFY(next != id);
    QVERIFY(spy.wait(5000));
    QCOMPARE(spy.at(1).at(0).toInt(), next);
}

void tst_Timer::restart_endsOnlyTheNewPeriod()
{
    Timer timer;
    QSignalSpy spy(&timer, &Timer::timeout);
    const int first = timer.start(10ms);
    const int second = timer.start(20ms);
    QVERIFY(first != second);

    // A later timer proves that no second timeout is still on its way.
    Timer witness;
    QSignalSpy witnessSpy(&witness, &Timer::timeout);
    witness.start(100ms);
    QVERIFY(witnessSpy.wait(5000));

    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toInt(), second);
}

void tst_Timer::stop_preventsTheTimeout()
{
    Timer timer;
    QSignalSpy spy(&timer, &Timer::timeout);
    timer.start(10ms);
    timer.stop();
    QVERIFY(!timer.isActive());
    QCOMPARE(timer.timerId(), 0);

    Timer witness;
    QSignalSpy witnessSpy(&witness, &Timer::timeout);
    witness.start(50ms);
    QVERIFY(witnessSpy.wait(5000));
    QCOMPARE(spy.count(), 0);
}

QTEST_GUILESS_MAIN(tst_Timer)
#include "tst_timer.moc"
