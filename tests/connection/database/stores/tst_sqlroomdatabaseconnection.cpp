#include "connection/database/stores/sqlroomdatabaseconnection.h"

#include "domain/types/metatypes.h"
#include "support/databaseerrors.h"
#include "support/datastorefixture.h"

#include <QtTest/QtTest>

using namespace quelta::base::connection::databaseconnection;
using namespace quelta::domain::types;
using quelta::test::errorsOf;
using Store = SqlRoomDatabaseConnection;

class tst_SqlRoomDatabaseConnection : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { registerMetaTypes(); }
    void room_roundTripsWithScaleAndImage_data();
    void room_roundTripsWithScaleAndImage();
    void chamberPosition_isGuardedThenReplacedAndRemoved();
};

void tst_SqlRoomDatabaseConnection::room_roundTripsWithScaleAndImage_data()
{
    QTest::addColumn<RoomData>("room");
    QTest::addColumn<QUrl>("storedImage");
    QTest::newRow("plan on a drive") << RoomData(0, "Hall", QUrl("file:///C:/plans/hall.png"), 0.125f)
                                     << QUrl("/C:/plans/hall.png");
    QTest::newRow("no plan") << RoomData(0, "Store", QUrl(), 2.5f) << QUrl();
    QTest::newRow("scale in thirds") << RoomData(0, "Lab", QUrl::fromLocalFile("/srv/lab plan.png"), 1.0f / 3)
                                     << QUrl("/srv/lab plan.png");
}

void tst_SqlRoomDatabaseConnection::room_roundTripsWithScaleAndImage()
{
    QFETCH(RoomData, room);
    QFETCH(QUrl, storedImage);
    quelta::test::DataStoreFixture database;
    Store store;
    QVERIFY(database.isValid() && store.setConnections(&database.connection()));

    QVERIFY(store.addRoom(room));
    QVERIFY(room.id() > 0);
    QCOMPARE(store.getRooms(), QList<RoomData>{room});
    QCOMPARE(store.getRoom(room.id()), storedImage);
    QCOMPARE(database.value("SELECT image_path IS NULL FROM room").toBool(), storedImage.isEmpty());

    const RoomData renamed(room.id(), "Renamed", QUrl(), 4.75f);
    QVERIFY(store.updateRoom(renamed));
    QVERIFY(database.run("INSERT INTO room (room_name) VALUES ('Unscaled')"));
    QCOMPARE(store.getRooms(), QList<RoomData>({renamed, RoomData(room.id() + 1, "Unscaled", QUrl(), 1.0f)}));
}

void tst_SqlRoomDatabaseConnection::chamberPosition_isGuardedThenReplacedAndRemoved()
{
    Store store;
    QSignalSpy errors(&store, &Store::error);
    RoomData first(0, "First", QUrl(), 1.0f);
    QVERIFY(store.getRooms().isEmpty() && store.getRoom(1).isEmpty() && store.getRoomChambers(1).isEmpty());
    QVERIFY(!store.addRoom(first) && !store.updateRoom(first) && !store.deleteRoom(1));
    QVERIFY(!store.setChamberPosition(1, ChamberLocation(1, {})) && !store.initialize());
    QCOMPARE(store.getChamberPosition(1), ChamberLocation());
    QCOMPARE(errorsOf(errors), QVector<DatabaseConnectionError>(9, NOT_INITIALIZED).toList());

    quelta::test::DataStoreFixture database;
    QVERIFY(database.isValid() && store.setConnections(&database.connection()));
    QVERIFY(database.run("INSERT INTO chamber (id) VALUES (1), (2)"));
    RoomData second(0, "Second", QUrl(), 1.0f);
    QVERIFY(store.addRoom(first) && store.addRoom(second));
    errors.clear();

    const ChamberLocation there(first.id(), QPointF(10.5, 20.25));
    QVERIFY(store.setChamberPosition(1, there) && store.setChamberPosition(2, there));
    QCOMPARE(store.getChamberPosition(1), there);
    QVERIFY(store.setChamberPosition(2, ChamberLocation(second.id(), QPointF(-3.0, 0.0))));
    QCOMPARE(store.getChamberPosition(2), ChamberLocation(second.id(), QPointF(-3.0, 0.0)));
    QCOMPARE(store.getRoomChambers(first.id()), QList<int>{1});
    QCOMPARE(errors.count(), 0);

    // A room in which a chamber stands cannot go.
    QVERIFY(!store.deleteRoom(first.id()));
    QVERIFY(store.setChamberPosition(1, ChamberLocation()) && store.setChamberPosition(1, ChamberLocation()));
    QVERIFY(store.deleteRoom(first.id()));
    QCOMPARE(store.getRoomChambers(first.id()), QList<int>());
    QCOMPARE(store.getChamberPosition(1), ChamberLocation());
    QCOMPARE(store.getRoom(first.id()), QUrl());
    QCOMPARE(errorsOf(errors), QVector<DatabaseConnectionError>(2, UNEXPECTED_RESULT).toList());
}

QTEST_GUILESS_MAIN(tst_SqlRoomDatabaseConnection)
#include "tst_sqlroomdatabaseconnection.moc"
