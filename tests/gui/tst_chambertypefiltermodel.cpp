#include "gui/chambertypefiltermodel.h"
#include "gui/chambertypemodel.h"

#include "support/rolevalues.h"

#include <QtTest/QAbstractItemModelTester>
#include <QtTest/QtTest>

#include <functional>

using namespace quelta::domain::types;
using namespace quelta::gui;
using quelta::test::roleValues;

using Filter = std::function<void(ChamberTypeFilterModel *)>;
Q_DECLARE_METATYPE(Filter)

namespace {

ChamberTypeData makeType(quint64 typeId, quint64 infoId, const QString &typeName, const QString &articleNumber = {},
                         const QString &eLevel = {}, int size = -1, const QString &voltage = {},
                         const QString &controller = {}, const QList<ChamberOption> &options = {})
{
    return ChamberTypeData(ChamberTypeKey(typeId, infoId), typeName, eLevel, size, voltage, {}, {}, {}, {}, {}, -1,
                           -1, {}, articleNumber, {}, controller, {1}, {}, {}, options, {});
}

const ChamberOption TimeProgram("TimeProgram", false);
const ChamberOption DataStorage("Readable_DataStorage", false);
const QStringList AllTypes{"LAB 100", "KB 23", "Lab mini", "Lab mini 2", "Size15", "Size53", "Big"};

// A catalogue behind the filter; the tester watches the filter through the
// fill and every filter change.
struct Fixture
{
    Fixture()
    {
        filter.setSourceModel(&source);
        source.addChamberTypes({
            makeType(1, 0, "LAB 100", "A-100", "E1", 100, "230 V", "ZK4", {TimeProgram}),
            makeType(2, 0, "KB 23", "B-23", "E2", 23, "400 V", "QX2", {TimeProgram, DataStorage}),
            makeType(3, 1, "Lab mini", "A-5", "e10", 5, "115 V", "zk3", {DataStorage}),
            makeType(3, 0, "Lab mini 2"),
            makeType(5, 7, "Size15", {}, {}, 15),
            makeType(6, 9, "Size53", {}, {}, 53),
            makeType(Q_UINT64_C(0x100000001), 9, "Big"),
        });
    }

    ChamberTypeModel source;
    ChamberTypeFilterModel filter;
    QAbstractItemModelTester tester{&filter, QAbstractItemModelTester::FailureReportingMode::QtTest};
};

} // namespace

class tst_ChamberTypeFilterModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void filters_data();
    void filters();
    void findRow_data();
    void findRow();
};

void tst_ChamberTypeFilterModel::filters_data()
{
    QTest::addColumn<Filter>("filter");
    QTest::addColumn<QStringList>("expected");

    using F = ChamberTypeFilterModel;
    QTest::newRow("type name, any case")
        << Filter([](F *f) { f->setFilterTypeName("ab"); }) << QStringList{"LAB 100", "Lab mini", "Lab mini 2"};
    QTest::newRow("article number") << Filter([](F *f) { f->setFilterArticleNumber("a-"); })
                                    << QStringList{"LAB 100", "Lab mini"};
    QTest::newRow("E-level") << Filter([](F *f) { f->setFilterELevel("E1"); }) << QStringList{"LAB 100", "Lab mini"};
    QTest::newRow("voltage") << Filter([](F *f) { f->setFilterVoltage("230"); }) << QStringList{"LAB 100"};
    QTest::newRow("controller") << Filter([](F *f) { f->setFilterController("ZK"); })
                                << QStringList{"LAB 100", "Lab mini"};
    // The size filter looks for its digits in the size's decimal text, and
    // types without a size have no text to find them in.
    QTest::newRow("size as a substring") << Filter([](F *f) { f->setFilterSize("5"); })
                                         << QStringList{"Lab mini", "Size15", "Size53"};
    QTest::newRow("size that is no number") << Filter([](F *f) { f->setFilterSize("x"); }) << AllTypes;
    // A type's options match in any case; selecting an option again deselects it.
    QTest::newRow("every selected option") << Filter([](F *f) {
        f->updateSelectedOptions("timeprogram");
        f->updateSelectedOptions("Readable_DataStorage");
    }) << QStringList{"KB 23"};
    QTest::newRow("option deselected") << Filter([](F *f) {
        f->updateSelectedOptions("timeprogram");
        f->updateSelectedOptions("timeprogram");
    }) << AllTypes;
    // Regression: the ids were read as int, so the id 0x100000001 passed as
    // type 1 and could not be selected by its own id.
    QTest::newRow("type ids") << Filter([](F *f) { f->setChamberTypeIdFilter({1, 2}); })
                              << QStringList{"LAB 100", "KB 23"};
    QTest::newRow("64-bit type id") << Filter([](F *f) { f->setChamberTypeIdFilter({Q_UINT64_C(0x100000001)}); })
                                    << QStringList{"Big"};
    QTest::newRow("reset clears every filter") << Filter([](F *f) {
        f->setFilterSize("100");
        f->updateSelectedOptions("Readable_DataStorage");
        f->setChamberTypeIdFilter({2});
        f->resetFilter();
    }) << AllTypes;
}

void tst_ChamberTypeFilterModel::filters()
{
    QFETCH(Filter, filter);
    QFETCH(QStringList, expected);

    Fixture fixture;
    filter(&fixture.filter);
    QCOMPARE(QStringList(roleValues<QString>(fixture.filter, ChamberTypeModel::TYPE_NAME)), expected);
}

void tst_ChamberTypeFilterModel::findRow_data()
{
    QTest::addColumn<QString>("typeNameFilter");
    QTest::addColumn<int>("chamberTypeId");
    QTest::addColumn<int>("additionalInfoId");
    QTest::addColumn<int>("expected");

    QTest::newRow("single type hit, whatever its info id") << QString() << 2 << 9 << 1;
    QTest::newRow("single info hit, whatever its type id") << QString() << 3 << 7 << 4;
    QTest::newRow("the type hit that has the info id") << QString() << 3 << 0 << 3;
    QTest::newRow("no type hit has the info id") << QString() << 3 << 9 << -1;
    QTest::newRow("a proxy row") << "size" << 6 << 9 << 1;
}

void tst_ChamberTypeFilterModel::findRow()
{
    QFETCH(QString, typeNameFilter);
    QFETCH(int, chamberTypeId);
    QFETCH(int, additionalInfoId);
    QFETCH(int, expected);

    Fixture fixture;
    fixture.filter.setFilterTypeName(typeNameFilter);
    QCOMPARE(fixture.filter.findRow(chamberTypeId, additionalInfoId), expected);
}

QTEST_GUILESS_MAIN(tst_ChamberTypeFilterModel)
#include "tst_chambertypefiltermodel.moc"
