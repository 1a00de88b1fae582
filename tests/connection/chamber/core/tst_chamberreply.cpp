#include "connection/chamber/core/chamberreply.h"
#include "connection/chamber/core/metatypes.h"

#include <QtCore/QPointer>
#include <QtCore/QThread>
#include <QtTest/QSignalSpy>
#include <QtTest/QtTest>

#include <memory>

using namespace std::chrono_literals;
using quelta::base::connection::chamberconnection::ChamberReply;
using quelta::domain::types::ChamberError;

class tst_ChamberReply : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void newReply_readsAsNotSetAndUnfinished();
    void slots_holdAValueOrAnErrorCode();
    void finished_comesFromTheEventLoopExactlyOnce();
    void finishWithError_fillsOnlyTheUnsetSlots();
    void finishedReply_ignoresLateResults();
    void timeout_finishesTheUnsetSlotsWithTimeoutError();
    void finishOnAnotherThread_emitsOnTheReplysThread();
    void create_deletesTheReplyAfterTheLastOwner();
    void metaType_isRegisteredByItsFullName();
};

void tst_ChamberReply::newReply_readsAsNotSetAndUnfinished()
{
    ChamberReply reply(3);
    QCOMPARE(reply.resultCount(), 3);
    QVERIFY(!reply.isFinished());
    QVERIFY(reply.hasAnyError());
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(reply.errorCode(i), int(ChamberError::UnknownError));
        QVERIFY(!reply.result(i).isValid());
    }
    QCOMPARE(reply.errorCode(3), int(ChamberError::UnknownError));
    QVERIFY(!reply.result(-1).isValid());
    // 10,000 ms per item plus 50,000 ms.
    QCOMPARE(reply.timeout(), 80000ms);
    QCOMPARE(ChamberReply(0).timeout(), 50000ms);
}

void tst_ChamberReply::slots_holdAValueOrAnErrorCode()
{
    ChamberReply reply(3);
    reply.setResult(0, 42);
    reply.setError(1, ChamberError::TimeoutError);
    reply.setError(2, ChamberError::ProtocolError);
    reply.setResult(2, QStringLiteral("late but good"));
    QCOMPARE(reply.result(0), QVariant(42));
    QCOMPARE(reply.errorCode(0), 0);
    QVERIFY(!reply.result(1).isValid());
    QCOMPARE(reply.errorCode(1), int(ChamberError::TimeoutError));
    QCOMPARE(reply.errorCode(2), 0);
    QVERIFY(reply.hasAnyError());

    reply.setResult(1, 7);
    QVERIFY(!reply.hasAnyError());
}

void tst_ChamberReply::finished_comesFromTheEventLoopExactlyOnce()
{
    ChamberReply reply(1);
    QSignalSpy finished(&reply, &ChamberReply::finished);
    reply.setResult(0, 1);
    reply.finish();
    // Final at once, announced only from the event loop.
    QVERIFY(reply.isFinished());
    QCOMPARE(finished.count(), 0);
    reply.finish();
    reply.finishWithError(ChamberError::ReplyAbortedError);
    QVERIFY(finished.wait(5000));

    // A later reply finishing proves that no second signal was on its way.
    ChamberReply later(1);
    QSignalSpy laterFinished(&later, &ChamberReply::finished);
    later.finish();
    QVERIFY(laterFinished.wait(5000));
    QCOMPARE(finished.count(), 1);
    QCOMPARE(reply.errorCode(0), 0);
}

void tst_ChamberReply::finishWithError_fillsOnlyTheUnsetSlots()
{
    ChamberReply reply(3);
    reply.setResult(0, 5);
    reply.setError(1, ChamberError::ProtocolError);
    reply.finishWithError(ChamberError::ReplyAbortedError);
    QCOMPARE(reply.errorCode(0), 0);
    QCOMPARE(reply.result(0), QVariant(5));
    QCOMPARE(reply.errorCode(1), int(ChamberError::ProtocolError));
    QCOMPARE(reply.errorCode(2), int(ChamberError::ReplyAbortedError));
    QVERIFY(reply.isFinished());
}

void tst_ChamberReply::finishedReply_ignoresLateResults()
{
    ChamberReply reply(1);
    reply.setResult(0, 1);
    reply.finish();
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("finished reply")));
    reply.setResult(0, 2);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("finished reply")));
    reply.setError(0, ChamberError::TimeoutError);
    QCOMPARE(reply.result(0), QVariant(1));
    QCOMPARE(reply.errorCode(0), 0);
}

void tst_ChamberReply::timeout_finishesTheUnsetSlotsWithTimeoutError()
{
    ChamberReply reply(2);
    reply.setTimeout(20ms);
    QCOMPARE(reply.timeout(), 20ms);
    QSignalSpy finished(&reply, &ChamberReply::finished);
    reply.setResult(0, 3);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("timed out")));
    QVERIFY(finished.wait(5000));
    QVERIFY(reply.isFinished());
    QCOMPARE(reply.errorCode(0), 0);
    QCOMPARE(reply.errorCode(1), int(ChamberError::TimeoutError));
    QCOMPARE(finished.count(), 1);
}

void tst_ChamberReply::finishOnAnotherThread_emitsOnTheReplysThread()
{
    ChamberReply reply(2);
    QThread *emittedOn = nullptr;
    connect(&reply, &ChamberReply::finished, this, [&emittedOn] { emittedOn = QThread::currentThread(); },
            Qt::DirectConnection);
    QSignalSpy finished(&reply, &ChamberReply::finished);

    std::unique_ptr<QThread> worker(QThread::create([&reply] {
        reply.setResult(0, 1.5f);
        reply.setError(1, ChamberError::ConnectionError);
        reply.finish();
    }));
    worker->start();
    QVERIFY(finished.wait(5000));
    worker->wait();
    QCOMPARE(emittedOn, QThread::currentThread());
    QCOMPARE(reply.result(0), QVariant(1.5f));
    QCOMPARE(reply.errorCode(1), int(ChamberError::ConnectionError));
}

void tst_ChamberReply::create_deletesTheReplyAfterTheLastOwner()
{
    QSharedPointer<ChamberReply> reply = ChamberReply::create(1);
    QPointer<ChamberReply> watch = reply.data();
    QSignalSpy destroyed(reply.data(), &QObject::destroyed);
    QSharedPointer<ChamberReply> transport = reply;
    reply.reset();
    transport.reset();
    // Deleted later, from the event loop, never under a running slot.
    QVERIFY(!watch.isNull());
    QVERIFY(destroyed.wait(5000));
    QVERIFY(watch.isNull());
}

void tst_ChamberReply::metaType_isRegisteredByItsFullName()
{
    quelta::base::connection::chamberconnection::registerChamberConnectionMetaTypes();
    const int id =
        QMetaType::type("QSharedPointer<quelta::base::connection::chamberconnection::ChamberReply>");
    QVERIFY(id != QMetaType::UnknownType);
    QCOMPARE(id, qMetaTypeId<QSharedPointer<ChamberReply>>());
}

QTEST_GUILESS_MAIN(tst_ChamberReply)
#include "tst_chamberreply.moc"
