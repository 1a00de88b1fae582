#include "gui/chambertypemodel.h"

#include "support/settingsfilesandbox.h"

#include <QtTest/QAbstractItemModelTester>
#include <QtTest/QtTest>

using namespace quelta::domain::types;
using namespace quelta::gui;

namespace {

ChamberTypeData makeType(quint64 typeId, quint64 infoId = 0, const QString &image = {})
{
    return ChamberTypeData(ChamberTypeKey(typeId, infoId), "LAB", "E2", -1, "230 V", image, {}, {}, {}, {}, -1, -1,
                           {}, "ART", {}, "ZK4", {}, {}, {}, {}, {});
}

} // namespace

class tst_ChamberTypeModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fillsAndClear_notifyTheRowsThatChange();
    void imagePath_data();
    void imagePath();
};

void tst_ChamberTypeModel::fillsAndClear_notifyTheRowsThatChange()
{
    ChamberTypeModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);

    model.addChamberTypes({makeType(1, 0), makeType(2, 5)});
    // A second list goes behind the first, without duplicate checks.
    model.addChamberTypes({makeType(Q_UINT64_C(0xFFFFFFFFFFFFFFFF)), makeType(1, 0), makeType(2, 6)});
    model.addChamberTypes({});
    QCOMPARE(inserted.count(), 2);
    QCOMPARE(inserted.at(1).mid(1), (QVariantList{2, 4}));
    QCOMPARE(model.data(model.index(2), ChamberTypeModel::CHAMBER_TYPE_ID), QVariant(Q_UINT64_C(0xFFFFFFFFFFFFFFFF)));

    // The first row with both ids; QML hands the ids over as int, and they widen with their sign.
    QCOMPARE(model.findChamberTypeIndex(1, 0), 0);
    QCOMPARE(model.findChamberTypeIndex(2, 6), 4);
    QCOMPARE(model.findChamberTypeIndex(1, 5), -1);
    QCOMPARE(model.findChamberTypeIndex(-1, 0), 2);

    model.clear();
    model.clear();
    QCOMPARE(model.rowCount(), 0);

    // Only the type's own roles: QML reads no display role from this model.
    const QHash<int, QByteArray> roles = model.roleNames();
    QCOMPARE(roles.size(), 12);
    QCOMPARE(roles.value(ChamberTypeModel::DEVELOPMENT_STATE), QByteArray("eLevel"));
    QCOMPARE(roles.value(ChamberTypeModel::REQUIRES_MODBUS_ADDRESS), QByteArray("requiresModbusAddress"));
}

void tst_ChamberTypeModel::imagePath_data()
{
    QTest::addColumn<QString>("directory"); // null: no setting
    QTest::addColumn<QString>("image");
    QTest::addColumn<QString>("expected");

    // Regression: an empty image name (how the catalogue's NULL arrives)
    // gave the URL of the directory instead of the placeholder.
    QTest::newRow("empty image name") << "/srv/images" << QString("") << "qrc:/images/no_thumb.png";
    QTest::newRow("no setting") << QString() << "x.png"
                                << QUrl::fromLocalFile(QCoreApplication::applicationDirPath()
                                                       + "/database/images/chamber/x.png")
                                       .toString();
    QTest::newRow("names that a URL must escape")
        << "/srv/chamber images" << "x#1.png" << "file:///srv/chamber images/x%231.png";
}

void tst_ChamberTypeModel::imagePath()
{
    QFETCH(QString, directory);
    QFETCH(QString, image);
    QFETCH(QString, expected);

    quelta::test::SettingsFileSandbox settings;
    QVERIFY(settings.isValid());
    if (!directory.isNull())
        settings.setValue("General/ChamberImageDirectory", directory);
    ChamberTypeModel model;
    model.addChamberTypes({makeType(1, 0, image)});
    QCOMPARE(model.data(model.index(0), ChamberTypeModel::IMAGE_PATH).toString(), expected);
}

QTEST_GUILESS_MAIN(tst_ChamberTypeModel)
#include "tst_chambertypemodel.moc"
