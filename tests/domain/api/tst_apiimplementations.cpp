// Implementations of every domain/api interface as small QObjects, the way
// the subsystems implement them: found by interface with qobject_cast, and
// reached by signal name through the implementing QObject, also queued from
// a worker thread.

#include "domain/api/ichamberconnection.h"
#include "domain/api/ichamberconnectionprovider.h"
#include "domain/api/ichamberoperatingmodeconnection.h"
#include "domain/api/ichamberreply.h"
#include "domain/api/idataloggerreader.h"
#include "domain/api/iinitializing.h"
#include "domain/api/iprogramtransmitter.h"
#include "domain/api/iupdatemanagement.h"
#include "domain/api/metatypes.h"
#include "domain/types/metatypes.h"

#include <QtCore/QScopeGuard>
#include <QtCore/QThread>
#include <QtTest/QtTest>

#include <functional>
#include <memory>

using namespace quelta::domain::api;
using namespace quelta::domain::types;

namespace {

class FakeChamberReply : public QObject, public IChamberReply
{
    Q_OBJECT
    Q_INTERFACES(quelta::domain::api::IChamberReply)

public:
    bool isFinished() const override { return false; }
    bool hasAnyError() const override { return false; }
    int resultCount() const override { return 0; }
    QVariant result(int) const override { return {}; }
    int errorCode(int) const override { return 0; }
};

class FakeChamberConnection : public QObject, public IChamberConnection
{
    Q_OBJECT
    Q_INTERFACES(quelta::domain::api::IChamberConnection)

public:
    ChamberState::State state() const override { return ChamberState::STATE_UNCONNECTED; }
    bool connectDevice() override { return false; }
    void disconnectDevice() override {}
    void reset() override {}
    QSharedPointer<IChamberReply> checkCommunication(const ControllerAddress &) override { return {}; }
    QSharedPointer<IChamberReply> readValue(const ControllerAddress &) override { return {}; }
    QSharedPointer<IChamberReply> readValues(const QList<ControllerAddress> &) override { return {}; }
    QSharedPointer<IChamberReply> writeValue(const ControllerAddress &, const QVariant &) override { return {}; }
    QSharedPointer<IChamberReply> writeValues(const QList<QPair<ControllerAddress, QVariant>> &) override
    {
        return {};
    }
};

class FakeConnectionProvider : public QObject, public IChamberConnectionProvider
{
    Q_OBJECT
    Q_INTERFACES(quelta::domain::api::IChamberConnectionProvider)

public:
    QSharedPointer<IChamberConnection> createChamberConnection(const ChamberData &) override { return {}; }
    QSharedPointer<IDataLoggerReader> createDataLoggerReader(const ChamberData &,
                                                             const ChamberTypeData &,
                                                             const QSharedPointer<IChamberConnection> &) override
    {
        return {};
    }
    QSharedPointer<IProgramTransmitter> createProgramTransmitter(const ChamberData &,
                                                                 const ChamberTypeData &,
                                                                 const QSharedPointer<IChamberConnection> &) override
    {
        return {};
    }
    QSharedPointer<IChamberOperatingModeConnection> createOperatingModeConnection(
        const ChamberData &, const ChamberTypeData &, const QSharedPointer<IChamberConnection> &) override
    {
        return {};
    }
    QList<QSerialPortInfo> availablePorts() const override { return {}; }
    bool startChamberBroadcast(int) override { return true; }
    bool checkCommunication(const ChamberData &, const ControllerAddress &) override { return false; }
    void stopCheckCommunication() override {}
};

class FakeOperatingModeConnection : public QObject, public IChamberOperatingModeConnection
{
    Q_OBJECT
    Q_INTERFACES(quelta::domain::api::IChamberOperatingModeConnection)

public:
    QSharedPointer<IChamberReply> readOperatingMode() override { return {}; }
    QSharedPointer<IChamberReply> writeOperatingMode(ChamberOperationMode::Mode) override { return {}; }
};

class FakeProgramTransmitter : public QObject, public IProgramTransmitter
{
    Q_OBJECT
    Q_INTERFACES(quelta::domain::api::IProgramTransmitter)

public:
    bool readProgramNames() override { return false; }
    bool readProgramName(int) override { return false; }
    bool readProgram(int, const QList<ChamberSignal> &) override { return false; }
    bool writeProgram(int, const QString &, const QList<ProgramTransmittableSection> &, const QList<ChamberSignal> &)
        override
    {
        return false;
    }
    bool deleteProgram(int) override { return false; }
    bool startProgram(int, const ProgramStartOptions &) override { return false; }
    bool stopProgram() override { return false; }

Q_SIGNALS:
    void readProgramNamesFinished(const QMap<int, QString> &programNames) override;
    void readProgramNameFinished(int programIndex, const QString &programName) override;
    void readProgramFinished(const QString &programName,
                             const QList<quelta::domain::types::ProgramTransmittableSection> &sections) override;
    void writeProgramFinished() override;
    void deleteProgramFinished() override;
    void startProgramFinished() override;
    void stopProgramFinished() override;
    void error(const QString &errorMessage) override;
};

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

// Like the update manager, one object implements two interfaces.
class FakeUpdateManager : public QObject, public IUpdateManagement, public IInitializing
{
    Q_OBJECT
    Q_INTERFACES(quelta::domain::api::IUpdateManagement quelta::domain::api::IInitializing)

public:
    bool initialize() override { return true; }

public Q_SLOTS:
    void checkForUpdateFinished(int, QProcess::ExitStatus) override {}
    void performUpdate() override {}
    void checkForUpdates() override {}

Q_SIGNALS:
    void updatesAvailable(const QStringList &updates) override;
    void signalInstalledVersions(const QStringList &updates) override;
    void updateStarted() override;
    void noUpdatesAvailable() override;
};

using Factory = std::unique_ptr<QObject> (*)();

template<typename Implementation>
std::unique_ptr<QObject> make()
{
    return std::make_unique<Implementation>();
}

// What a caller does that holds only an interface: find it on an object, and
// get back to the QObject that carries the signals. Null when the object does
// not answer the interface's id.
template<typename Interface>
QObject *objectBehind(QObject *object)
{
    Interface *found = qobject_cast<Interface *>(object);
    return found ? dynamic_cast<QObject *>(found) : nullptr;
}

const QPair<const char *, QObject *(*)(QObject *)> interfaceProbes[] = {
    {"IChamberConnection", &objectBehind<IChamberConnection>},
    {"IChamberConnectionProvider", &objectBehind<IChamberConnectionProvider>},
    {"IChamberOperatingModeConnection", &objectBehind<IChamberOperatingModeConnection>},
    {"IChamberReply", &objectBehind<IChamberReply>},
    {"IDataLoggerReader", &objectBehind<IDataLoggerReader>},
    {"IInitializing", &objectBehind<IInitializing>},
    {"IProgramTransmitter", &objectBehind<IProgramTransmitter>},
    {"IUpdateManagement", &objectBehind<IUpdateManagement>},
};

template<typename Interface>
Interface &implementationOf(QObject *object)
{
    auto *found = qobject_cast<Interface *>(object);
    if (!found)
        qFatal("%s does not implement %s", object->metaObject()->className(), qobject_interface_iid<Interface *>());
    return *found;
}

// Emits one signal through the interface that declares it.
using Emission = std::function<void(QObject *)>;

// Records each delivery as text, with the thread it arrived on.
class Receiver : public QObject
{
    Q_OBJECT

public:
    QStringList deliveries() const { return m_deliveries; }
    QList<QThread *> threads() const { return m_threads; }

public Q_SLOTS:
    void onUpdatesAvailable(const QStringList &updates)
    {
        record(QStringLiteral("updatesAvailable ") + updates.join(QLatin1Char('|')));
    }

    void onReadProgramNamesFinished(const QMap<int, QString> &programNames)
    {
        QStringList entries;
        for (auto it = programNames.cbegin(); it != programNames.cend(); ++it)
            entries << QStringLiteral("%1=%2").arg(it.key()).arg(it.value());
        record(QStringLiteral("readProgramNamesFinished ") + entries.join(QLatin1Char('|')));
    }
    void onReadProgramFinished(const QString &programName,
                               const QList<quelta::domain::types::ProgramTransmittableSection> &sections)
    {
        QStringList durations;
        for (const ProgramTransmittableSection &section : sections)
            durations << QString::number(section.section().durationInSeconds());
        record(QStringLiteral("readProgramFinished %1 %2").arg(programName, durations.join(QLatin1Char('|'))));
    }
    void onFinished(const quelta::domain::types::RecordingData &recording,
                    const QList<quelta::domain::types::Recordset> &recordsets)
    {
        QStringList times;
        for (const Recordset &recordset : recordsets)
            times << recordset.recordTime().toString(Qt::ISODate);
        record(QStringLiteral("finished %1 %2").arg(recording.id()).arg(times.join(QLatin1Char('|'))));
    }

private:
    void record(const QString &delivery)
    {
        m_deliveries << delivery;
        m_threads << QThread::currentThread();
    }

    QStringList m_deliveries;
    QList<QThread *> m_threads;
};

QMetaMethod methodNamed(const QObject *object, const QByteArray &signature)
{
    const QMetaObject *metaObject = object->metaObject();
    const QByteArray normalized = QMetaObject::normalizedSignature(signature.constData());
    return metaObject->method(metaObject->indexOfMethod(normalized.constData()));
}

} // namespace

Q_DECLARE_METATYPE(Factory)
Q_DECLARE_METATYPE(Emission)

class tst_ApiImplementations : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void qobjectCast_findsExactlyTheImplementedInterfaces_data();
    void qobjectCast_findsExactlyTheImplementedInterfaces();

    void signalOperation_deliversQueuedFromWorkerThread_data();
    void signalOperation_deliversQueuedFromWorkerThread();
};

void tst_ApiImplementations::initTestCase()
{
    registerMetaTypes();
    registerApiMetaTypes();
}

void tst_ApiImplementations::qobjectCast_findsExactlyTheImplementedInterfaces_data()
{
    QTest::addColumn<Factory>("factory");
    QTest::addColumn<QStringList>("interfaces");

    QTest::newRow("chamber reply") << &make<FakeChamberReply> << QStringList{"IChamberReply"};
    QTest::newRow("chamber connection") << &make<FakeChamberConnection> << QStringList{"IChamberConnection"};
    QTest::newRow("connection provider") << &make<FakeConnectionProvider> << QStringList{"IChamberConnectionProvider"};
    QTest::newRow("operating-mode connection")
        << &make<FakeOperatingModeConnection> << QStringList{"IChamberOperatingModeConnection"};
    QTest::newRow("program transmitter") << &make<FakeProgramTransmitter> << QStringList{"IProgramTransmitter"};
    QTest::newRow("data-log reader") << &make<FakeDataLoggerReader> << QStringList{"IDataLoggerReader"};
    QTest::newRow("update manager") << &make<FakeUpdateManager> << QStringList{"IInitializing", "IUpdateManagement"};
}

void tst_ApiImplementations::qobjectCast_findsExactlyTheImplementedInterfaces()
{
    QFETCH(Factory, factory);
    QFETCH(QStringList, interfaces);

    const std::unique_ptr<QObject> object = factory();

    // An object that answers another interface's id as its own hands out a
    // pointer of the wrong type, which leads nowhere.
    QStringList found;
    for (const auto &[name, objectBehindInterface] : interfaceProbes) {
        if (QObject *behind = objectBehindInterface(object.get())) {
            QVERIFY2(behind == object.get(), name);
            found << QString::fromLatin1(name);
        }
    }
    QCOMPARE(found, interfaces);
}

void tst_ApiImplementations::signalOperation_deliversQueuedFromWorkerThread_data()
{
    QTest::addColumn<Factory>("factory");
    QTest::addColumn<QByteArray>("signalSignature");
    QTest::addColumn<QByteArray>("slotSignature");
    QTest::addColumn<Emission>("emission");
    QTest::addColumn<QString>("expected");

    // One row for each kind of argument list the interfaces' signals carry.
    QTest::newRow("updatesAvailable")
        << &make<FakeUpdateManager> << QByteArray("updatesAvailable(QStringList)")
        << QByteArray("onUpdatesAvailable(QStringList)") << Emission([](QObject *object) {
               implementationOf<IUpdateManagement>(object).updatesAvailable({"Core :: 1.3.0", "Languages :: 0002"});
           })
        << QString("updatesAvailable Core :: 1.3.0|Languages :: 0002");

    QTest::newRow("readProgramNamesFinished")
        << &make<FakeProgramTransmitter> << QByteArray("readProgramNamesFinished(QMap<int,QString>)")
        << QByteArray("onReadProgramNamesFinished(QMap<int,QString>)") << Emission([](QObject *object) {
               implementationOf<IProgramTransmitter>(object).readProgramNamesFinished(
                   {{1, "Heating"}, {3, QString()}, {2, "Cooling"}});
           })
        << QString("readProgramNamesFinished 1=Heating|2=Cooling|3=");
    QTest::newRow("readProgramFinished")
        << &make<FakeProgramTransmitter>
        << QByteArray("readProgramFinished(QString,QList<quelta::domain::types::ProgramTransmittableSection>)")
        << QByteArray("onReadProgramFinished(QString,QList<quelta::domain::types::ProgramTransmittableSection>)")
        << Emission([](QObject *object) {
               const QList<ProgramTransmittableSection> sections{
                   ProgramTransmittableSection(ProgramSection(1, {}, 3600, ProgramSection::RAMP, false, QString()), 0, 0),
                   ProgramTransmittableSection(ProgramSection(2, {}, 90, ProgramSection::JUMP, true, QString()), 1, 2)};
               implementationOf<IProgramTransmitter>(object).readProgramFinished("Heating", sections);
           })
        << QString("readProgramFinished Heating 3600|90");

    QTest::newRow("reader finished")
        << &make<FakeDataLoggerReader>
        << QByteArray("finished(quelta::domain::types::RecordingData,QList<quelta::domain::types::Recordset>)")
        << QByteArray("onFinished(quelta::domain::types::RecordingData,QList<quelta::domain::types::Recordset>)")
        << Emission([](QObject *object) {
               RecordingData recording;
               recording.setId(7);
               const QDateTime first(QDate(2022, 12, 1), QTime(10, 0, 0));
               const QList<Recordset> recordsets{
                   Recordset(-1, 7, first, {}, true, RecordsetComment(), 0, QString(), 0),
                   Recordset(-1, 7, first.addSecs(60), {}, true, RecordsetComment(), 0, QString(), 0)};
               implementationOf<IDataLoggerReader>(object).finished(recording, recordsets);
           })
        << QString("finished 7 2022-12-01T10:00:00|2022-12-01T10:01:00");
}

void tst_ApiImplementations::signalOperation_deliversQueuedFromWorkerThread()
{
    QFETCH(Factory, factory);
    QFETCH(QByteArray, signalSignature);
    QFETCH(QByteArray, slotSignature);
    QFETCH(Emission, emission);
    QFETCH(QString, expected);

    Receiver receiver;
    QAtomicPointer<QThread> emittedOn;
    QThread worker;
    worker.start();
    const auto stopWorker = qScopeGuard([&worker] {
        worker.quit();
        worker.wait();
    });

    QObject *object = factory().release();
    object->moveToThread(&worker);
    connect(&worker, &QThread::finished, object, &QObject::deleteLater);

    // A connection by name can only queue arguments whose types are registered.
    const QMetaMethod signal = methodNamed(object, signalSignature);
    QCOMPARE(signal.methodType(), QMetaMethod::Signal);
    QVERIFY(QObject::connect(object, signal, &receiver, methodNamed(&receiver, slotSignature), Qt::QueuedConnection));

    QMetaObject::invokeMethod(
        object,
        [object, emission, &emittedOn] {
            emittedOn.storeRelease(QThread::currentThread());
            emission(object);
        },
        Qt::QueuedConnection);

    QTRY_COMPARE(receiver.deliveries(), QStringList{expected});
    QCOMPARE(emittedOn.loadAcquire(), &worker);
    QCOMPARE(receiver.threads(), QList<QThread *>{QThread::currentThread()});
}

QTEST_GUILESS_MAIN(tst_ApiImplementations)

#include "tst_apiimplementations.moc"
