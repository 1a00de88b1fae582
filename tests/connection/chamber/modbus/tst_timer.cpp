#include "connection/chamber/modbus/timer.h"

#include <QtTest/QSignalSpy>
#include <QtTest/QtTest>

using namespace std::chrono_literals;

class tst_Timer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void timeout_comesOnlyForTheCurrentPeriod();
};

void tst_Timer::timeout_comesOnlyForTheCurrentPeriod()
{
    Timer timer;
    QSignalSpy spy(&timer, &Timer::timeout);
    const int first = timer.start(10ms);
    // A restart ends the first period: only the second one times out.
    const int second = timer.start(20ms);
    QVERIFY(first != 0 && second != 0 && second != first);
    QCOMPARE(timer.timerId(), second);
    QVERIFY(spy.wait(5000));
    QCOMPARE(spy.at(0).at(0).toInt(), second);
    QVERIFY(!timer.isActive());
    QCOMPARE(timer.timerId(), 0);

    const int third = timer.start(10ms);
    QVERIFY(third != first && third != second);
    timer.stop();
    QCOMPARE(timer.timerId(), 0);
    // A later timer proves that no stray timeout is still on its way.
    Timer witness;
    QSignalSpy witnessSpy(&witness, &Timer::timeout);
    witness.start(100ms);
    QVERIFY(witnessSpy.wait(5000));
    QCOMPARE(spy.count(), 1);
}

QTEST_GUILESS_MAIN(tst_Timer)
#include "tst_timer.moc"
