// An interface's signal operations are Qt signals of the implementing QObject.
// A caller that knows only the interface connects to them by name, queued
// from the implementation's worker thread; that works only when the signals
// spell their argument types as they are registered.

#include "domain/api/idataloggerreader.h"
#include "domain/api/metatypes.h"
#include "domain/types/metatypes.h"

#include <QtCore/QScopeGuard>
#include <QtCore/QThread>
#include <QtTest/QtTest>

using namespace quelta::domain::api;
using namespace quelta::domain::types;

namespace {

class FakeDataLoggerReader : public QObject, public IDataLoggerReader
{
    Q_OBJECT
    Q_INTERFACES(quelta::domain::api::IDataLoggerReader)

public:
    bool readDataLogger(const RecordingData &, const QList<ChamberSignal> &, bool) override { return false; }

Q_SIGNALS:
    void finished(const quelta::domain::types::RecordingData &recording,
                  const QList<quelta::domain::types::Recordset> &recordsets) override;
    void error(const QString &errorMessage) override;
};

// Records each delivery as text, with the thread it arrived on.
class Receiver : public QObject
{
    Q_OBJECT

public:
    QStringList deliveries;
    QList<QThread *> threads;

public Q_SLOTS:
    void onFinished(const quelta::domain::types::RecordingData &recording,
                    const QList<quelta::domain::types::Recordset> &recordsets)
    {
        QStringList times;
        for (const Recordset &recordset : recordsets)
            times << recordset.recordTime().toString(Qt::ISODate);
        deliveries << QString("%1 %2").arg(recording.id()).arg(times.join('|'));
        threads << QThread::currentThread();
    }
};

QMetaMethod methodNamed(const QObject *object, const QByteArray &name)
{
    const QByteArray signature = QMetaObject::normalizedSignature(
        (name + "(quelta::domain::types::RecordingData,QList<quelta::domain::types::Recordset>)").constData());
    return object->metaObject()->method(object->metaObject()->indexOfMethod(signature.constData()));
}

} // namespace

class tst_ApiImplementations : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void signalByName_deliversQueuedFromWorkerThread();
};

void tst_ApiImplementations::initTestCase()
{
    registerMetaTypes();
    registerApiMetaTypes();
    // IProgramTransmitter::readProgramNamesFinished's argument; by name only,
    // since asking for its id would register it on the spot.
    QVERIFY(QMetaType::type("QMap<int,QString>") != QMetaType::UnknownType);
}

void tst_ApiImplementations::signalByName_deliversQueuedFromWorkerThread()
{
    Receiver receiver;
    QThread worker;
    worker.start();
    const auto stopWorker = qScopeGuard([&worker] {
        worker.quit();
        worker.wait();
    });
    auto *reader = new FakeDataLoggerReader;
    reader->moveToThread(&worker);
    connect(&worker, &QThread::finished, reader, &QObject::deleteLater);

    QObject *object = dynamic_cast<QObject *>(qobject_cast<IDataLoggerReader *>(reader));
    const QMetaMethod signal = methodNamed(object, "finished");
    QCOMPARE(signal.methodType(), QMetaMethod::Signal);
    QVERIFY(QObject::connect(object, signal, &receiver, methodNamed(&receiver, "onFinished"), Qt::QueuedConnection));

    QAtomicPointer<QThread> emittedOn;
    QMetaObject::invokeMethod(
        reader,
        [reader, &emittedOn] {
            emittedOn.storeRelease(QThread::currentThread());
            RecordingData recording;
            recording.setId(7);
            const QDateTime first(QDate(2022, 12, 1), QTime(10, 0));
            const auto recordAt = [](const QDateTime &time) {
                return Recordset(-1, 7, time, {}, true, RecordsetComment(), 0, QString(), 0);
            };
            Q_EMIT reader->finished(recording, {recordAt(first), recordAt(first.addSecs(60))});
        },
        Qt::QueuedConnection);

    QTRY_COMPARE(receiver.deliveries, QStringList{"7 2022-12-01T10:00:00|2022-12-01T10:01:00"});
    QCOMPARE(emittedOn.loadAcquire(), &worker);
    QCOMPARE(receiver.threads, QList<QThread *>{QThread::currentThread()});
}

QTEST_GUILESS_MAIN(tst_ApiImplementations)

#include "tst_apiimplementations.moc"
