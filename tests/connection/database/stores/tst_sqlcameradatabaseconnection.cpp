#include "connection/database/stores/sqlcameradatabaseconnection.h"

#include "domain/types/metatypes.h"
#include "support/databaseerrors.h"
#include "support/datastorefixture.h"

#include <QtTest/QtTest>

using namespace quelta::base::connection::databaseconnection;
using namespace quelta::domain::types;
using quelta::test::errorsOf;
using Store = SqlCameraDatabaseConnection;

namespace {

constexpr uint Recording = 5;

CameraData camera(const QString &address, const QString &usbPort, int interval)
{
    return CameraData(CameraId(), QHostAddress(address), usbPort, Recording, interval);
}

} // namespace

class tst_SqlCameraDatabaseConnection : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { registerMetaTypes(); }
    void camera_isGuardedThenRoundTripsAndChangesItsKindOfAddress_data();
    void camera_isGuardedThenRoundTripsAndChangesItsKindOfAddress();
};

void tst_SqlCameraDatabaseConnection::camera_isGuardedThenRoundTripsAndChangesItsKindOfAddress_data()
{
    QTest::addColumn<CameraData>("before");
    QTest::addColumn<CameraData>("after");
    const CameraData ipV4 = camera("192.168.0.20", QString(), 30);
    const CameraData ipV6 = camera("fd00::20", QString(), 60);
    const CameraData usb = camera(QString(), "3", 10);
    QTest::newRow("IPv4 to USB") << ipV4 << usb;
    QTest::newRow("IPv4 to IPv6") << ipV4 << ipV6;
    QTest::newRow("IPv6 to IPv4") << ipV6 << ipV4;
    QTest::newRow("USB to IPv6") << usb << ipV6;
}

// updateCamera used to write one address column only, so a camera kept its
// old IPv4 address whatever it became.
void tst_SqlCameraDatabaseConnection::camera_isGuardedThenRoundTripsAndChangesItsKindOfAddress()
{
    QFETCH(CameraData, before);
    QFETCH(CameraData, after);
    Store store;
    QSignalSpy errors(&store, &Store::error);
    QVERIFY(store.getCameras(Recording).isEmpty() && !store.addCamera(before) && !store.initialize());
    QVERIFY(!store.updateCamera(before) && !store.deleteCamera(before));
    QCOMPARE(before.id(), CameraId());
    QCOMPARE(errorsOf(errors), QVector<DatabaseConnectionError>(5, NOT_INITIALIZED).toList());

    quelta::test::DataStoreFixture database;
    QVERIFY(database.isValid() && store.setSqlConnection(&database.connection()));

    QVERIFY(store.addCamera(before));
    QVERIFY(before.id().value() > 0);
    QCOMPARE(store.getCameras(Recording), QList<CameraData>{before});
    after.setId(before.id());
    QVERIFY(store.updateCamera(after));
    QCOMPARE(store.getCameras(Recording), QList<CameraData>{after});
    QVERIFY(store.deleteCamera(CameraData(after.id(), QHostAddress(), QString(), 0, 0)));
    QCOMPARE(store.getCameras(Recording), QList<CameraData>());

    // A camera of no recording is found by none.
    CameraData unassigned(CameraId(), QHostAddress("10.0.0.9"), QString(), 0, 15);
    QVERIFY(store.addCamera(unassigned));
    QCOMPARE(database.value("SELECT typeof(recording_id) FROM camera").toString(), "null");
    QCOMPARE(store.getCameras(0), QList<CameraData>());
}

QTEST_GUILESS_MAIN(tst_SqlCameraDatabaseConnection)
#include "tst_sqlcameradatabaseconnection.moc"
