#include "transfer/replywaiter.h"

#include "connection/chamber/core/chamberreply.h"

#include <QtTest/QtTest>

using quelta::base::connection::chamberconnection::ChamberReply;
using quelta::base::connection::chamberconnection::ReplyWaiter;

class tst_ReplyWaiter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void wait_handsEachReplyOverOnce_data();
    void wait_handsEachReplyOverOnce();
};

void tst_ReplyWaiter::wait_handsEachReplyOverOnce_data()
{
    QTest::addColumn<int>("finishedBefore");
    QTest::newRow("running") << 0;
    QTest::newRow("finished, signal on its way") << 1;
    // Used to leave the transfer objects busy for ever.
    QTest::newRow("finished and announced") << 2;
}

void tst_ReplyWaiter::wait_handsEachReplyOverOnce()
{
    QFETCH(int, finishedBefore);
    const QSharedPointer<ChamberReply> replies[] = {ChamberReply::create(1), ChamberReply::create(1)};
    replies[0]->setResult(0, 7);
    replies[1]->setResult(0, 8);
    if (finishedBefore >= 1)
        replies[0]->finish();
    if (finishedBefore == 2)
        QVERIFY(QSignalSpy(replies[0].data(), &ChamberReply::finished).wait(5000));

    ReplyWaiter waiter;
    QVariantList handled;
    const auto handle = [&handled](const ChamberReply &reply) { handled.append(reply.result(0)); };
    QVERIFY(!waiter.wait(QSharedPointer<ChamberReply>(), handle));
    QVERIFY(waiter.wait(replies[0], handle));
    replies[0]->finish();
    QTRY_COMPARE(handled, QVariantList{7});
    // A later wait on a finished reply: no second call for the first one can
    // still be on its way once this one is handled.
    replies[1]->finish();
    QVERIFY(waiter.wait(replies[1], handle));
    QTRY_COMPARE(handled, (QVariantList{7, 8}));
    QVERIFY(!waiter.isWaiting());
}

QTEST_GUILESS_MAIN(tst_ReplyWaiter)
#include "tst_replywaiter.moc"
