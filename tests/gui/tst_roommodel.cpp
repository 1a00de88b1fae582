#include "gui/roommodel.h"

#include "support/qmlprobe.h"
#include "support/settingsfilesandbox.h"

#include <QtTest/QtTest>

using quelta::domain::types::RoomData;
using quelta::gui::RoomModel;

class tst_RoomModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void roomImagePath_data();
    void roomImagePath();
    void setRoomData_announcesScaleChangesBeyondTheTolerance();
};

void tst_RoomModel::roomImagePath_data()
{
    QTest::addColumn<QString>("directory"); // null: no settings file
    QTest::addColumn<QUrl>("image");
    QTest::addColumn<QUrl>("url");

    QTest::newRow("no image") << "C:/Plans" << QUrl() << QUrl();
    QTest::newRow("no settings file") << QString() << QUrl("plan.png") << QUrl("file:////plan.png");
    // The drive letter parses as a URL scheme, which is lower case.
    QTest::newRow("directories are dropped") << "C:/Plans" << QUrl("file:///D:/old/plan%201.png")
                                             << QUrl("file:///c:/Plans/plan 1.png");
}

void tst_RoomModel::roomImagePath()
{
    QFETCH(QString, directory);
    QFETCH(QUrl, image);
    QFETCH(QUrl, url);

    quelta::test::SettingsFileSandbox settings;
    QVERIFY(settings.isValid());
    if (!directory.isNull())
        settings.setValue("General/LocalImageDirectory", directory);
    RoomModel model(RoomData(4, "Lab", image, 0.5f));

    QCOMPARE(model.roomImagePath(), url);
    QCOMPARE(evaluateInQml(QVariant::fromValue(&model), "[item.roomId, item.roomName, item.scaleFactor].join(' ')"),
             QVariant("4 Lab 0.5"));
}

void tst_RoomModel::setRoomData_announcesScaleChangesBeyondTheTolerance()
{
    RoomModel model;
    QSignalSpy changed(&model, &RoomModel::signalDataChanged);
    model.setRoomData(RoomData(0, QString(), QUrl(), 1.000001f));
    QCOMPARE(changed.count(), 0);
    model.setRoomData(RoomData(0, QString(), QUrl(), 1.0001f));
    QCOMPARE(changed.count(), 1);
}

QTEST_GUILESS_MAIN(tst_RoomModel)

#include "tst_roommodel.moc"
