#include "connection/chamber/core/chamberreply.h"

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
    void slots_holdAValueOrAnErrorUntilFinished();
    void finished_comesOnceFromTheRepliesThreadAndEventLoop();
};

void tst_ChamberReply::slots_holdAValueOrAnErrorUntilFinished()
{
    ChamberReply reply(4);
    // 10,000 ms per item plus 50,000 ms, shortened below.
    QCOMPARE(reply.timeout(), 90000ms);
    QCOMPARE(reply.errorCode(0), int(ChamberError::UnknownError));
    QCOMPARE(reply.errorCode(4), int(ChamberError::UnknownError));
    QVERIFY(!reply.result(-1).isValid());

    reply.setError(1, ChamberError::ProtocolError);
    reply.setError(2, ChamberError::TimeoutError);
    reply.setResult(2, QStringLiteral("late but good"));
    QCOMPARE(reply.errorCode(2), 0);

    // A reply that nobody finishes times out: only the slots never set take
    // the reply's error.
    reply.setTimeout(20ms);
    QSignalSpy finished(&reply, &ChamberReply::finished);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("timed out")));
    QVERIFY(finished.wait(5000));
    QCOMPARE(reply.errorCode(1), int(ChamberError::ProtocolError));
    QCOMPARE(reply.errorCode(2), 0);
    QCOMPARE(reply.errorCode(3), int(ChamberError::TimeoutError));

    // Frozen from now on.
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("finished reply")));
    reply.setResult(3, 7);
    QCOMPARE(reply.errorCode(3), int(ChamberError::TimeoutError));
}

// finished() never comes from inside finish(): a requester that connects after
// the reply was made, or even completed, must not miss it.
void tst_ChamberReply::finished_comesOnceFromTheRepliesThreadAndEventLoop()
{
    ChamberReply reply(1);
    QSignalSpy finished(&reply, &ChamberReply::finished);
    reply.setResult(0, 1);
    reply.finish();
    QVERIFY(reply.isFinished());
    QCOMPARE(finished.count(), 0);
    reply.finish();
    reply.finishWithError(ChamberError::ReplyAbortedError);
    QVERIFY(finished.wait(5000));

    // A later reply, finished on another thread, proves that no second signal
    // was on its way; it too is announced on the reply's own thread.
    QSharedPointer<ChamberReply> later = ChamberReply::create(1);
    QThread *emittedOn = nullptr;
    connect(later.data(), &ChamberReply::finished, this, [&emittedOn] { emittedOn = QThread::currentThread(); },
            Qt::DirectConnection);
    std::unique_ptr<QThread> worker(QThread::create([&later] { later->finish(); }));
    worker->start();
    QTRY_VERIFY(emittedOn);
    worker->wait();
    QCOMPARE(emittedOn, QThread::currentThread());
    QCOMPARE(finished.count(), 1);
    QVERIFY(!reply.hasAnyError());

    // The last owner's release deletes a shared reply later, from the event
    // loop, never under a running slot.
    const QPointer<ChamberReply> watch = later.data();
    later.reset();
    QVERIFY(!watch.isNull());
    QTRY_VERIFY(watch.isNull());
}

QTEST_GUILESS_MAIN(tst_ChamberReply)
#include "tst_chamberreply.moc"
