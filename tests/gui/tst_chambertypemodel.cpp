#include "gui/chambertypemodel.h"

#include <QtCore/QDir>
#include <QtCore/QSettings>
#include <QtCore/QTemporaryDir>
#include <QtTest/QAbstractItemModelTester>
#include <QtTest/QtTest>

using quelta::domain::types::ChamberOption;
using quelta::domain::types::ChamberTypeData;
using quelta::domain::types::ChamberTypeKey;
using quelta::gui::ChamberTypeModel;

namespace {

ChamberTypeData makeType(quint64 typeId, quint64 infoId = 0, const QString &image = {}, int size = -1,
                         const QList<int> &interfaces = {}, const QStringList &optionNames = {})
{
    QList<ChamberOption> options;
    for (const QString &name : optionNames)
        options.append(ChamberOption(name, false));
    return ChamberTypeData(ChamberTypeKey(typeId, infoId), "LAB", "E2", size, "230 V", image, {}, {}, {}, {}, -1, -1,
                           {}, "ART", {}, "ZK4", interfaces, {}, {}, options, {});
}

} // namespace

class tst_ChamberTypeModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void data_data();
    void data();
    void indexesOfNoRow_giveNothingAndLogNothing();
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
    settings.setValue("General/ChamberImageDirectory", directory);
    settings.sync();
    QCOMPARE(settings.status(), QSettings::NoError);
}

void tst_ChamberTypeModel::data_data()
{
    QTest::addColumn<ChamberTypeData>("type");
    QTest::addColumn<int>("role");
    QTest::addColumn<QVariant>("expected");

    const quint64 bigId = Q_UINT64_C(0x123456789);
    QTest::newRow("64-bit type id") << makeType(bigId) << 257 << QVariant(bigId);
    QTest::newRow("size") << makeType(1, 0, {}, 120) << 262 << QVariant("120");
    QTest::newRow("size 0 is no size") << makeType(1, 0, {}, 0) << 262 << QVariant(QString());
    QTest::newRow("options") << makeType(1, 0, {}, -1, {}, {"TimeProgram", "Readable_DataStorage"}) << 266
                             << QVariant(QStringList{"TimeProgram", "Readable_DataStorage"});
    // Vacuum controllers are serial without a Modbus address; Modbus TCP
    // needs an address without being serial.
    QTest::newRow("vacuum controller is serial") << makeType(1, 0, {}, -1, {5}) << 267 << QVariant(true);
    QTest::newRow("vacuum controller needs no address") << makeType(1, 0, {}, -1, {5}) << 268 << QVariant(false);
    QTest::newRow("Modbus TCP is not serial") << makeType(1, 0, {}, -1, {2}) << 267 << QVariant(false);
    QTest::newRow("Modbus TCP needs an address") << makeType(1, 0, {}, -1, {2}) << 268 << QVariant(true);
    QTest::newRow("no display role") << makeType(1) << int(Qt::DisplayRole) << QVariant();
    QTest::newRow("no role past the own ones") << makeType(1) << 269 << QVariant();
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

void tst_ChamberTypeModel::indexesOfNoRow_giveNothingAndLogNothing()
{
    static QStringList messages;
    messages.clear();
    ChamberTypeModel model;
    model.addChamberTypes({makeType(1), makeType(2)});
    const QModelIndex stale = model.index(1);
    model.clear();

    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext &, const QString &message) { messages.append(message); });
    const QVariant noIndex = model.data(QModelIndex(), ChamberTypeModel::CHAMBER_TYPE_ID);
    const QVariant removedRow = model.data(stale, ChamberTypeModel::CHAMBER_TYPE_ID);
    qInstallMessageHandler(previous);

    QVERIFY(!noIndex.isValid());
    QVERIFY(!removedRow.isValid());
    QCOMPARE(messages, QStringList());
}

void tst_ChamberTypeModel::imagePath_data()
{
    QTest::addColumn<QString>("directory"); // null: no setting
    QTest::addColumn<QString>("image");
    QTest::addColumn<QString>("expected");

    const QString placeholder = "qrc:/images/no_thumb.png";
    QTest::newRow("no image") << QString() << QString() << placeholder;
    // Regression: an empty image name (how the catalogue's NULL arrives)
    // gave the URL of the directory instead of the placeholder.
    QTest::newRow("empty image name") << "/srv/images" << QString("") << placeholder;
    QTest::newRow("default directory")
        << QString() << "x.png"
        << "file://" + QCoreApplication::applicationDirPath() + "/database/images/chamber/x.png";
    QTest::newRow("names that a URL must escape")
        << "/srv/chamber images" << "x#1.png" << "file:///srv/chamber images/x%231.png";
}

void tst_ChamberTypeModel::imagePath()
{
    QFETCH(QString, directory);
    QFETCH(QString, image);
    QFETCH(QString, expected);

    if (!directory.isNull())
        writeImageDirectory(directory);
    ChamberTypeModel model;
    model.addChamberTypes({makeType(1, 0, image)});
    QCOMPARE(model.data(model.index(0), ChamberTypeModel::IMAGE_PATH).toString(), expected);
}

void tst_ChamberTypeModel::imagePath_followsTheDirectoryOfTheLastFill()
{
    ChamberTypeModel model;
    writeImageDirectory("/first");
    model.addChamberTypes({makeType(1, 0, "x.png")});
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

    model.addChamberTypes({makeType(1), makeType(2)});
    // A second list goes behind the first, without duplicate checks.
    model.addChamberTypes({makeType(3), makeType(1), makeType(4)});
    model.addChamberTypes({});
    QCOMPARE(inserted.count(), 2);
    QCOMPARE(inserted.at(1).mid(1), (QVariantList{2, 4}));
    QCOMPARE(model.data(model.index(2), ChamberTypeModel::CHAMBER_TYPE_ID).toULongLong(), 3u);

    model.clear();
    model.clear();
    QCOMPARE(removed.count(), 1);
    QCOMPARE(removed.at(0).mid(1), (QVariantList{0, 4}));
    QCOMPARE(model.rowCount(), 0);
}

void tst_ChamberTypeModel::findChamberTypeIndex_data()
{
    QTest::addColumn<QList<ChamberTypeData>>("types");
    QTest::addColumn<int>("chamberTypeId");
    QTest::addColumn<int>("additionalInfoId");
    QTest::addColumn<int>("expected");

    const QList<ChamberTypeData> types{makeType(1, 0), makeType(2, 5), makeType(2, 6), makeType(2, 5)};
    QTest::newRow("both ids decide") << types << 2 << 6 << 2;
    QTest::newRow("the first of two equal rows") << types << 2 << 5 << 1;
    QTest::newRow("type id alone does not match") << types << 1 << 5 << -1;
    QTest::newRow("empty model") << QList<ChamberTypeData>() << 1 << 0 << -1;
    QTest::newRow("negative ids widen with their sign")
        << QList<ChamberTypeData>{makeType(Q_UINT64_C(0xFFFFFFFFFFFFFFFF))} << -1 << 0 << 0;
    QTest::newRow("low bits of a larger id do not match")
        << QList<ChamberTypeData>{makeType(Q_UINT64_C(0x100000001))} << 1 << 0 << -1;
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
