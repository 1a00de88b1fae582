#include "transfer/replywaiter.h"

#include "connection/chamber/core/chamberreply.h"

#include <QtTest/QtTest>

using quelta::base::connection::chamberconnection::ChamberReply;
using quelta::base::connection::chamberconnection::ReplyWaiter;

class tst_ReplyWaiter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void wait_handsTheReplyOverOnce_data();
    void wait_handsTheReplyOverOnce();
};

void tst_ReplyWaiter::wait_handsTheReplyOverOnce_data()
{
    QTest::addColumn<int>("finishedBefore");
    // 0: still running; 1: finished, its signal on the way; 2: finished and
    // announced before anyone waited, which used to leave the waiter hanging.
    QTest::newRow("running") << 0;
    QTest::newRow("finished") << 1;
    QTest::newRow("finished and announced") << 2;
}

void tst_ReplyWaiter::wait_handsTheReplyOverOnce()
{
    QFETCH(int, finishedBefore);
    const QSharedPointer<ChamberReply> reply = ChamberReply::create(1);
    reply->setResult(0, 7);
    if (finishedBefore >= 1)
        reply->finish();
    if (finishedBefore == 2)
        QVERIFY(QSignalSpy(reply.data(), &ChamberReply::finished).wait(5000));

    ReplyWaiter waiter;
    QList<QVariant> handled;
    QVERIFY(waiter.wait(reply, [&handled](const ChamberReply &finished) { handled.append(finished.result(0)); }));
    if (finishedBefore == 0) {
        QCoreApplication::processEvents();
        QVERIFY(handled.isEmpty());
        reply->finish();
    }
    QTRY_COMPARE(handled, QList<QVariant>{7});

    // A later reply through the same waiter: no second call for the first
    // one can still be on its way once this one is handled.
    const QSharedPointer<ChamberReply> later = ChamberReply::create(1);
    later->setResult(0, 8);
    later->finish();
    QVERIFY(waiter.wait(later, [&handled](const ChamberReply &finished) { handled.append(finished.result(0)); }));
    QTRY_COMPARE(handled, (QList<QVariant>{7, 8}));
    QVERIFY(!waiter.isWaiting());

    QVERIFY(!waiter.wait(QSharedPointer<ChamberReply>(), [](const ChamberReply &) { QFAIL("no reply"); }));
}

QTEST_GUILESS_MAIN(tst_ReplyWaiter)
#include "tst_replywaiter.moc"
