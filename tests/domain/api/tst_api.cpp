// The contract of the domain/api interfaces: each is a pure interface with
// its own id, and its signal operations, Qt signals of the implementing
// QObject, reach a caller that knows only the interface and connects by
// name, queued from the implementation's worker thread; that works only when
// the signals spell their argument types as they are registered.

#include "domain/api/iaccessdatabaseconnection.h"
#include "domain/api/ialarmdatabaseconnection.h"
#include "domain/api/icameradatabaseconnection.h"
#include "domain/api/ichamberconnection.h"
#include "domain/api/ichamberconnectionprovider.h"
#include "domain/api/ichamberdatabaseconnection.h"
#include "domain/api/ichamberoperatingmodeconnection.h"
#include "domain/api/ichamberreply.h"
#include "domain/api/idataloggerreader.h"
#include "domain/api/iinitializing.h"
#include "domain/api/iprogramdatabaseconnection.h"
#include "domain/api/iprogramtransmitter.h"
#include "domain/api/iprotocoldatabaseconnection.h"
#include "domain/api/irecordingdatabaseconnection.h"
#include "domain/api/irecordsetdatabaseconnection.h"
#include "domain/api/iroomdatabaseconnection.h"
#include "domain/api/isettingsdatabaseconnection.h"
#include "domain/api/isqlconnection.h"
#include "domain/api/isqlquery.h"
#include "domain/api/iupdatemanagement.h"
#include "domain/api/iuserdatabaseconnection.h"
#include "domain/api/metatypes.h"
#include "domain/types/metatypes.h"

#include <QtCore/QScopeGuard>
#include <QtCore/QThread>
#include <QtTest/QtTest>

#include <type_traits>

using namespace quelta::domain::api;
using namespace quelta::domain::types;

namespace {

// An interface can only be implemented, never built, copied or moved on its
// own, and an implementation dies correctly through an interface pointer.
template<typename... Interfaces>
constexpr bool arePureInterfaces = ((std::is_abstract_v<Interfaces> && std::has_virtual_destructor_v<Interfaces>
                                     && !std::is_copy_constructible_v<Interfaces>
                                     && !std::is_copy_assignable_v<Interfaces>
                                     && !std::is_move_constructible_v<Interfaces>
                                     && !std::is_move_assignable_v<Interfaces>)
                                    && ...);

static_assert(arePureInterfaces<IAccessDatabaseConnection, IAlarmDatabaseConnection, ICameraDatabaseConnection,
                                IChamberConnection, IChamberConnectionProvider, IChamberDatabaseConnection,
                                IChamberOperatingModeConnection, IChamberReply, IDataLoggerReader, IInitializing,
                                IProgramDatabaseConnection, IProgramTransmitter, IProtocolDatabaseConnection,
                                IRecordingDatabaseConnection, IRecordsetDatabaseConnection, IRoomDatabaseConnection, ISettingsDatabaseConnection,
                                ISqlConnection, ISqlQuery, IUpdateManagement, IUserDatabaseConnection>);

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

class tst_Api : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void interfaceId_isNamespacedClassName_data();
    void interfaceId_isNamespacedClassName();
    void signalByName_deliversQueuedFromWorkerThread();
};

void tst_Api::initTestCase()
{
    registerMetaTypes();
    registerApiMetaTypes();
    // IProgramTransmitter::readProgramNamesFinished's argument; by name only,
    // since asking for its id would register it on the spot.
    QVERIFY(QMetaType::type("QMap<int,QString>") != QMetaType::UnknownType);
}

// Code that knows an interface only by name asks qt_metacast() for these ids.
void tst_Api::interfaceId_isNamespacedClassName_data()
{
    QTest::addColumn<QByteArray>("id");
    QTest::addColumn<QByteArray>("expected");

#define INTERFACE_ROW(Interface)                                                                                       \
    QTest::newRow(#Interface) << QByteArray(qobject_interface_iid<Interface *>()) << QByteArray("domain::api::" #Interface)
    INTERFACE_ROW(IAccessDatabaseConnection);
    INTERFACE_ROW(IAlarmDatabaseConnection);
    INTERFACE_ROW(ICameraDatabaseConnection);
    INTERFACE_ROW(IChamberConnection);
    INTERFACE_ROW(IChamberConnectionProvider);
    INTERFACE_ROW(IChamberDatabaseConnection);
    INTERFACE_ROW(IChamberOperatingModeConnection);
    INTERFACE_ROW(IChamberReply);
    INTERFACE_ROW(IDataLoggerReader);
    INTERFACE_ROW(IInitializing);
    INTERFACE_ROW(IProgramDatabaseConnection);
    INTERFACE_ROW(IProgramTransmitter);
    INTERFACE_ROW(IProtocolDatabaseConnection);
    INTERFACE_ROW(IRecordingDatabaseConnection);
    INTERFACE_ROW(IRecordsetDatabaseConnection);
    INTERFACE_ROW(IRoomDatabaseConnection);
    INTERFACE_ROW(ISettingsDatabaseConnection);
    INTERFACE_ROW(ISqlConnection);
    INTERFACE_ROW(ISqlQuery);
    INTERFACE_ROW(IUpdateManagement);
    INTERFACE_ROW(IUserDatabaseConnection);
#undef INTERFACE_ROW
}

void tst_Api::interfaceId_isNamespacedClassName()
{
    QFETCH(QByteArray, id);
    QFETCH(QByteArray, expected);

    QCOMPARE(id, expected);
}

void tst_Api::signalByName_deliversQueuedFromWorkerThread()
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

QTEST_GUILESS_MAIN(tst_Api)

#include "tst_api.moc"
