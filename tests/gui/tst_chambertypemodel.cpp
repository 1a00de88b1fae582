#include "gui/chambertypemodel.h"

#include <QtCore/QDir>
#include <QtCore/QMetaEnum>
#include <QtCore/QSettings>
#include <QtCore/QTemporaryDir>
#include <QtTest/QAbstractItemModelTester>
#include <QtTest/QtTest>

using quelta::domain::types::ChamberOption;
using quelta::domain::types::ChamberTypeData;
using quelta::domain::types::ChamberTypeKey;
using quelta::gui::ChamberTypeModel;

namespace {

struct TypeFields
{
    quint64 typeId = 1;
    quint64 infoId = 0;
    QString typeName = "LAB";
    QString eLevel;
    int size = -1;
    QString image;
    QList<int> interfaces;
    QStringList options;
};

ChamberTypeData makeType(const TypeFields &f)
{
    QList<ChamberOption> options;
    for (const QString &name : f.options)
        options.append(ChamberOption(name, false));
    return ChamberTypeData(ChamberTypeKey(f.typeId, f.infoId), f.typeName, f.eLevel, f.size, "230 V", f.image,
                           "description", {}, {}, {}, -1, -1, {}, "ART-" + QString::number(f.typeId), {}, "ZK4",
                           f.interfaces, {}, {}, options, {});
}

ChamberTypeData makeType(quint64 typeId, quint64 infoId)
{
    TypeFields fields;
    fields.typeId = typeId;
    fields.infoId = infoId;
    return makeType(fields);
}

} // namespace

class tst_ChamberTypeModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void roleNames_areExactlyTheTwelveOwnRoles();
    void data_data();
    void data();
    void data_givesNothingOutsideTheRolesOrForInvalidIndexes();
    void imagePath_data();
    void imagePath();
    void imagePath_followsTheDirectoryOfTheLastFill();
    void fillsAndClear_notifyTheRowsThatChange();
    void findChamberTypeIndex_data();
    void findChamberTypeIndex();

private:
    void writeImageDirectory(const QString &directory);

    QTemporaryDir m_root;
    QString m_previousDirectory;
};

void tst_ChamberTypeModel::initTestCase()
{
    // The settings file is "../QUELTA4.ini" from the working directory, so
    // the tests work one level below a directory of their own.
    QVERIFY(m_root.isValid());
    QVERIFY(QDir(m_root.path()).mkdir("work"));
    m_previousDirectory = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_root.filePath("work")));
}

void tst_ChamberTypeModel::init()
{
    QFile::remove(m_root.filePath("QUELTA4.ini"));
}

void tst_ChamberTypeModel::cleanupTestCase()
{
    QDir::setCurrent(m_previousDirectory);
}

void tst_ChamberTypeModel::writeImageDirectory(const QString &directory)
{
    QSettings settings(m_root.filePath("QUELTA4.ini"), QSettings::IniFormat);
    settings.setIniCodec("UTF-8");
    settings.setValue("General/ChamberImageDirectory", directory);
    settings.sync();
    QCOMPARE(settings.status(), QSettings::NoError);
}

void tst_ChamberTypeModel::roleNames_areExactlyTheTwelveOwnRoles()
{
    const ChamberTypeModel model;
    const QHash<int, QByteArray> expected{
        {257, "chamberTypeId"}, {258, "additionalInfoId"}, {259, "articleNumber"}, {260, "typeName"},
        {261, "eLevel"},        {262, "size"},             {263, "voltage"},       {264, "controller"},
        {265, "imagePath"},     {266, "options"},          {267, "isSerial"},      {268, "requiresModbusAddress"},
    };
    QCOMPARE(model.roleNames(), expected);

    // QML names the roles by the published enum.
    const QMetaEnum roles = QMetaEnum::fromType<ChamberTypeModel::ChamberTypeRoles>();
    QCOMPARE(roles.keyCount(), 12);
    QCOMPARE(roles.keyToValue("DEVELOPMENT_STATE"), 261);
    QCOMPARE(roles.keyToValue("REQUIRES_MODBUS_ADDRESS"), 268);
}

void tst_ChamberTypeModel::data_data()
{
    QTest::addColumn<ChamberTypeData>("type");
    QTest::addColumn<int>("role");
    QTest::addColumn<QVariant>("expected");

    TypeFields plain;
    plain.typeId = Q_UINT64_C(0x123456789);
    plain.infoId = 3;
    plain.eLevel = "E2";
    plain.size = 120;
    QTest::newRow("64-bit type id") << makeType(plain) << 257 << QVariant(Q_UINT64_C(0x123456789));
    QTest::newRow("additional-info id") << makeType(plain) << 258 << QVariant(quint64(3));
    QTest::newRow("E-level") << makeType(plain) << 261 << QVariant("E2");
    QTest::newRow("size") << makeType(plain) << 262 << QVariant("120");
    QTest::newRow("controller") << makeType(plain) << 264 << QVariant("ZK4");

    TypeFields noSize = plain;
    noSize.size = 0;
    QTest::newRow("size 0 is no size") << makeType(noSize) << 262 << QVariant(QString());
    noSize.size = -1;
    QTest::newRow("size -1 is no size") << makeType(noSize) << 262 << QVariant(QString());

    TypeFields withOptions = plain;
    withOptions.options = QStringList{"TimeProgram", "Readable_DataStorage"};
    QTest::newRow("options") << makeType(withOptions) << 266
                             << QVariant(QStringList{"TimeProgram", "Readable_DataStorage"});
    QTest::newRow("no options") << makeType(plain) << 266 << QVariant(QStringList());

    TypeFields modbusRtu = plain;
    modbusRtu.interfaces = {1};
    TypeFields vacuum = plain;
    vacuum.interfaces = {5};
    TypeFields tcp = plain;
    tcp.interfaces = {3, 4};
    QTest::newRow("Modbus RTU is serial") << makeType(modbusRtu) << 267 << QVariant(true);
    QTest::newRow("Modbus RTU needs an address") << makeType(modbusRtu) << 268 << QVariant(true);
    QTest::newRow("Vacuubrand needs no address") << makeType(vacuum) << 268 << QVariant(false);
    QTest::newRow("TCP kinds are not serial") << makeType(tcp) << 267 << QVariant(false);
}

void tst_ChamberTypeModel::data()
{
    QFETCH(ChamberTypeData, type);
    QFETCH(int, role);
    QFETCH(QVariant, expected);

    ChamberTypeModel model;
    model.addChamberTypes({makeType(99, 99), type});
    const QVariant actual = model.data(model.index(1), role);
    QCOMPARE(actual, expected);
    QCOMPARE(actual.userType(), expected.userType());
    QCOMPARE(actual.toString().isNull(), expected.toString().isNull());
}

void tst_ChamberTypeModel::data_givesNothingOutsideTheRolesOrForInvalidIndexes()
{
    ChamberTypeModel model;
    model.addChamberTypes({makeType(1, 0)});
    QVERIFY(!model.data(model.index(0), 256).isValid());
    QVERIFY(!model.data(model.index(0), 269).isValid());
    QVERIFY(!model.data(model.index(0), Qt::DisplayRole).isValid());
    QVERIFY(!model.data(QModelIndex(), 260).isValid());
    QCOMPARE(model.rowCount(model.index(0)), 0);
    QCOMPARE(model.rowCount(), 1);
}

void tst_ChamberTypeModel::imagePath_data()
{
    QTest::addColumn<bool>("withSetting");
    QTest::addColumn<QString>("directory");
    QTest::addColumn<QString>("image");
    QTest::addColumn<QString>("expected");

    const QString placeholder = "qrc:/images/no_thumb.png";
    const QString defaultDirectory = QCoreApplication::applicationDirPath() + "/database/images/chamber";

    QTest::newRow("no image") << false << QString() << QString() << placeholder;
    // Regression: an empty image name (how the catalogue's NULL arrives)
    // gave the URL of the directory instead of the placeholder.
    QTest::newRow("empty image name") << false << QString() << QString("") << placeholder;
    QTest::newRow("default directory") << false << QString() << "x.png"
                                       << "file://" + defaultDirectory + "/x.png";
    QTest::newRow("directory from the settings") << true << "/srv/images" << "x.png" << "file:///srv/images/x.png";
    QTest::newRow("directory with a drive letter") << true << "D:/img" << "x.png" << "file:///D:/img/x.png";
    QTest::newRow("empty directory from the settings") << true << "" << "x.png" << "file:///x.png";
    QTest::newRow("no image with a directory") << true << "/srv/images" << QString() << placeholder;
    QTest::newRow("names that a URL must escape")
        << true << "/srv/chamber images" << "x#1.png" << "file:///srv/chamber images/x%231.png";
}

void tst_ChamberTypeModel::imagePath()
{
    QFETCH(bool, withSetting);
    QFETCH(QString, directory);
    QFETCH(QString, image);
    QFETCH(QString, expected);

    if (withSetting)
        writeImageDirectory(directory);
    TypeFields fields;
    fields.image = image;
    ChamberTypeModel model;
    model.addChamberTypes({makeType(fields)});
    QCOMPARE(model.data(model.index(0), ChamberTypeModel::IMAGE_PATH).toString(), expected);
}

void tst_ChamberTypeModel::imagePath_followsTheDirectoryOfTheLastFill()
{
    TypeFields fields;
    fields.image = "x.png";
    ChamberTypeModel model;
    writeImageDirectory("/first");
    model.addChamberTypes({makeType(fields)});
    QCOMPARE(model.data(model.index(0), ChamberTypeModel::IMAGE_PATH).toString(), QString("file:///first/x.png"));

    writeImageDirectory("/second");
    model.addChamberTypes({});
    QCOMPARE(model.data(model.index(0), ChamberTypeModel::IMAGE_PATH).toString(), QString("file:///second/x.png"));
}

void tst_ChamberTypeModel::fillsAndClear_notifyTheRowsThatChange()
{
    ChamberTypeModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);

    model.addChamberTypes({makeType(1, 0), makeType(2, 0)});
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(inserted.at(0).at(1).toInt(), 0);
    QCOMPARE(inserted.at(0).at(2).toInt(), 1);

    // A second list goes behind the first, without duplicate checks.
    model.addChamberTypes({makeType(3, 0), makeType(1, 0), makeType(4, 0)});
    QCOMPARE(inserted.count(), 2);
    QCOMPARE(inserted.at(1).at(1).toInt(), 2);
    QCOMPARE(inserted.at(1).at(2).toInt(), 4);
    QCOMPARE(model.rowCount(), 5);
    QCOMPARE(model.data(model.index(0), ChamberTypeModel::CHAMBER_TYPE_ID).toULongLong(), 1u);
    QCOMPARE(model.data(model.index(2), ChamberTypeModel::CHAMBER_TYPE_ID).toULongLong(), 3u);
    QCOMPARE(model.data(model.index(4), ChamberTypeModel::CHAMBER_TYPE_ID).toULongLong(), 4u);

    model.addChamberTypes({});
    QCOMPARE(inserted.count(), 2);

    model.clear();
    QCOMPARE(removed.count(), 1);
    QCOMPARE(removed.at(0).at(1).toInt(), 0);
    QCOMPARE(removed.at(0).at(2).toInt(), 4);
    QCOMPARE(model.rowCount(), 0);

    model.clear();
    QCOMPARE(removed.count(), 1);

    model.addChamberTypes({makeType(5, 0)});
    QCOMPARE(model.rowCount(), 1);
}

void tst_ChamberTypeModel::findChamberTypeIndex_data()
{
    QTest::addColumn<QList<ChamberTypeData>>("types");
    QTest::addColumn<int>("chamberTypeId");
    QTest::addColumn<int>("additionalInfoId");
    QTest::addColumn<int>("expected");

    const QList<ChamberTypeData> types{makeType(1, 0), makeType(2, 5), makeType(2, 6), makeType(2, 5)};
    QTest::newRow("first row") << types << 1 << 0 << 0;
    QTest::newRow("both ids decide") << types << 2 << 6 << 2;
    QTest::newRow("the first of two equal rows") << types << 2 << 5 << 1;
    QTest::newRow("type id alone does not match") << types << 1 << 5 << -1;
    QTest::newRow("unknown ids") << types << 9 << 9 << -1;
    QTest::newRow("empty model") << QList<ChamberTypeData>() << 1 << 0 << -1;
    QTest::newRow("negative ids widen with their sign")
        << QList<ChamberTypeData>{makeType(Q_UINT64_C(0xFFFFFFFFFFFFFFFF), 0)} << -1 << 0 << 0;
    QTest::newRow("low bits of a larger id do not match")
        << QList<ChamberTypeData>{makeType(Q_UINT64_C(0x100000001), 0)} << 1 << 0 << -1;
}

void tst_ChamberTypeModel::findChamberTypeIndex()
{
    QFETCH(QList<ChamberTypeData>, types);
    QFETCH(int, chamberTypeId);
    QFETCH(int, additionalInfoId);
    QFETCH(int, expected);

    ChamberTypeModel model;
    model.addChamberTypes(types);
    QCOMPARE(model.findChamberTypeIndex(chamberTypeId, additionalInfoId), expected);
}

QTEST_GUILESS_MAIN(tst_ChamberTypeModel)
#include "tst_chambertypemodel.moc"
