#include "gui/roommodel.h"

#include "support/qmlprobe.h"

#include <QtTest/QtTest>

using quelta::domain::types::RoomData;
using quelta::gui::RoomModel;

class tst_RoomModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();

    void roomImagePath_data();
    void roomImagePath();
    void setRoomData_announcesScaleChangesBeyondTheTolerance();

private:
    QTemporaryDir m_root;
    QString m_previousDirectory;
};

void tst_RoomModel::initTestCase()
{
    // The settings file is "../QUELTA4.ini" from the working directory.
    QVERIFY(m_root.isValid());
    QVERIFY(QDir(m_root.path()).mkdir("work"));
    m_previousDirectory = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_root.filePath("work")));
}

void tst_RoomModel::cleanupTestCase()
{
    QDir::setCurrent(m_previousDirectory);
}

void tst_RoomModel::cleanup()
{
    QFile::remove(m_root.filePath("QUELTA4.ini"));
}

void tst_RoomModel::roomImagePath_data()
{
    QTest::addColumn<QString>("directory"); // null: no settings file
    QTest::addColumn<QUrl>("image");
    QTest::addColumn<QUrl>("url");

    QTest::newRow("no image") << "C:/Plans" << QUrl() << QUrl();
    QTest::newRow("no settings file") << QString() << QUrl("plan.png") << QUrl("file:////plan.png");
    // The drive letter parses as a URL scheme, which is lower case.
    QTest::newRow("directories are dropped") << "C:/Plans" << QUrl("D:/old/plans/plan 1.png")
                                             << QUrl("file:///c:/Plans/plan%201.png");
    QTest::newRow("file url") << "C:/Plans" << QUrl("file:///home/a/plan%C3%A4.png")
                              << QUrl("file:///c:/Plans/planä.png");
}

void tst_RoomModel::roomImagePath()
{
    QFETCH(QString, directory);
    QFETCH(QUrl, image);
    QFETCH(QUrl, url);

    if (!directory.isNull()) {
        QSettings settings(m_root.filePath("QUELTA4.ini"), QSettings::IniFormat);
        settings.setValue("General/LocalImageDirectory", directory);
    }
    RoomModel model(RoomData(4, "Lab", image, 0.5f));
    QCOMPARE(model.roomImagePath(), url);
    QCOMPARE(evaluateInQml(QVariant::fromValue(&model), "[item.roomId, item.roomName, item.scaleFactor].join(' ')"),
             QVariant(QStringLiteral("4 Lab 0.5")));
}

void tst_RoomModel::setRoomData_announcesScaleChangesBeyondTheTolerance()
{
    RoomModel model;
    QCOMPARE(model.roomId(), 0);
    QSignalSpy changed(&model, &RoomModel::signalDataChanged);
    model.setRoomData(RoomData(0, QString(), QUrl(), 1.000001f));
    QCOMPARE(changed.count(), 0);
    model.setRoomData(RoomData(0, QString(), QUrl(), 1.0001f));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(model.scaleFactor(), 1.0001f);
}

QTEST_MAIN(tst_RoomModel)

#include "tst_roommodel.moc"
