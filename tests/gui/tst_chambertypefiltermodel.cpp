#include "gui/chambertypefiltermodel.h"
#include "gui/chambertypemodel.h"

#include <QtTest/QAbstractItemModelTester>
#include <QtTest/QtTest>

#include <memory>

using quelta::domain::types::ChamberOption;
using quelta::domain::types::ChamberTypeData;
using quelta::domain::types::ChamberTypeKey;
using quelta::gui::ChamberTypeFilterModel;
using quelta::gui::ChamberTypeModel;

namespace {

ChamberTypeData makeType(quint64 typeId, quint64 infoId, const QString &typeName, const QString &articleNumber = {},
                         const QString &eLevel = {}, int size = -1, const QString &voltage = {},
                         const QString &controller = {}, const QStringList &optionNames = {})
{
    QList<ChamberOption> options;
    for (const QString &name : optionNames)
        options.append(ChamberOption(name, false));
    return ChamberTypeData(ChamberTypeKey(typeId, infoId), typeName, eLevel, size, voltage, {}, {}, {}, {}, {}, -1,
                           -1, {}, articleNumber, {}, controller, {1}, {}, {}, options, {});
}

const QStringList AllTypes{"LAB 100", "KB 23", "Lab mini", "Lab mini 2", "Vac", "Size15", "Size53", "Big"};

} // namespace

class tst_ChamberTypeFilterModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void textFilters_data();
    void textFilters();
    void setters_announceOnlyRealChanges();
    void selectedOptions_keepTypesWithEveryOption();
    void resetFilter_clearsEverythingAndAlwaysAnnounces();
    void idFilter_comparesWholeIds();
    void findRow_data();
    void findRow();

private:
    QStringList visibleTypes() const;

    std::unique_ptr<ChamberTypeModel> m_source;
    std::unique_ptr<ChamberTypeFilterModel> m_filter;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
};

void tst_ChamberTypeFilterModel::init()
{
    // The tester watches the proxy through the fill and every filter change.
    m_source = std::make_unique<ChamberTypeModel>();
    m_filter = std::make_unique<ChamberTypeFilterModel>();
    m_tester = std::make_unique<QAbstractItemModelTester>(m_filter.get(),
                                                          QAbstractItemModelTester::FailureReportingMode::QtTest);
    m_filter->setSourceModel(m_source.get());
    m_source->addChamberTypes({
        makeType(1, 0, "LAB 100", "A-100", "E1", 100, "230 V", "ZK4", {"TimeProgram"}),
        makeType(2, 0, "KB 23", "B-23", "E2", 23, "400 V", "QX2", {"TimeProgram", "Readable_DataStorage"}),
        makeType(3, 1, "Lab mini", "A-5", "e10", 5, "115 V", "zk3", {"Readable_DataStorage"}),
        makeType(3, 0, "Lab mini 2"),
        makeType(4, 0, "Vac", {}, {}, -1, {}, "TJV"),
        makeType(5, 7, "Size15", {}, {}, 15),
        makeType(6, 9, "Size53", {}, {}, 53),
        makeType(Q_UINT64_C(0x100000001), 9, "Big"),
    });
}

void tst_ChamberTypeFilterModel::cleanup()
{
    m_tester.reset();
    m_filter.reset();
    m_source.reset();
}

QStringList tst_ChamberTypeFilterModel::visibleTypes() const
{
    QStringList names;
    for (int row = 0; row < m_filter->rowCount(); ++row)
        names.append(m_filter->data(m_filter->index(row, 0), ChamberTypeModel::TYPE_NAME).toString());
    return names;
}

void tst_ChamberTypeFilterModel::textFilters_data()
{
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("type name, any case")
        << QByteArray("filterTypeName") << "ab" << QStringList{"LAB 100", "Lab mini", "Lab mini 2"};
    QTest::newRow("article number") << QByteArray("filterArticleNumber") << "a-" << QStringList{"LAB 100", "Lab mini"};
    QTest::newRow("E-level") << QByteArray("filterELevel") << "E1" << QStringList{"LAB 100", "Lab mini"};
    QTest::newRow("voltage") << QByteArray("filterVoltage") << "230" << QStringList{"LAB 100"};
    QTest::newRow("controller") << QByteArray("filterController") << "ZK" << QStringList{"LAB 100", "Lab mini"};
    // The size filter looks for its digits in the size's decimal text, and
    // types without a size have no text to find them in.
    QTest::newRow("size as a substring") << QByteArray("filterSize") << "5" << QStringList{"Lab mini", "Size15", "Size53"};
    QTest::newRow("size that is no number") << QByteArray("filterSize") << "x" << AllTypes;
}

void tst_ChamberTypeFilterModel::textFilters()
{
    QFETCH(QByteArray, property);
    QFETCH(QString, text);
    QFETCH(QStringList, expected);

    QCOMPARE(visibleTypes(), AllTypes);
    QVERIFY(m_filter->setProperty(property.constData(), text));
    QCOMPARE(visibleTypes(), expected);
}

void tst_ChamberTypeFilterModel::setters_announceOnlyRealChanges()
{
    QSignalSpy changed(m_filter.get(), &ChamberTypeFilterModel::signalFilterChanged);

    m_filter->setFilterTypeName("KB");
    m_filter->setFilterTypeName("KB");
    QCOMPARE(changed.count(), 1);

    // The size is kept as a number: "15" after "015" is no change, and text
    // that is no positive number reads back as a null text.
    m_filter->setFilterSize("015");
    m_filter->setFilterSize("15");
    QCOMPARE(changed.count(), 2);
    QCOMPARE(m_filter->filterSize(), QString("15"));
    m_filter->setFilterSize("-3");
    QVERIFY(m_filter->filterSize().isNull());
    QCOMPARE(changed.count(), 3);
}

void tst_ChamberTypeFilterModel::selectedOptions_keepTypesWithEveryOption()
{
    QSignalSpy changed(m_filter.get(), &ChamberTypeFilterModel::signalFilterChanged);

    // The type's options match in any case; the selection itself does not.
    m_filter->updateSelectedOptions("timeprogram");
    QVERIFY(m_filter->isSelectedOption("timeprogram"));
    QVERIFY(!m_filter->isSelectedOption("TimeProgram"));
    QCOMPARE(visibleTypes(), (QStringList{"LAB 100", "KB 23"}));

    m_filter->updateSelectedOptions("Readable_DataStorage");
    QCOMPARE(visibleTypes(), QStringList{"KB 23"});

    m_filter->updateSelectedOptions("timeprogram");
    QVERIFY(!m_filter->isSelectedOption("timeprogram"));
    QCOMPARE(visibleTypes(), (QStringList{"KB 23", "Lab mini"}));
    QCOMPARE(changed.count(), 3);
}

void tst_ChamberTypeFilterModel::resetFilter_clearsEverythingAndAlwaysAnnounces()
{
    QSignalSpy changed(m_filter.get(), &ChamberTypeFilterModel::signalFilterChanged);
    m_filter->resetFilter();
    QCOMPARE(changed.count(), 1);

    const char *const properties[] = {"filterArticleNumber", "filterTypeName", "filterELevel",
                                      "filterSize",          "filterVoltage",  "filterController"};
    for (const char *property : properties)
        QVERIFY(m_filter->setProperty(property, "1"));
    m_filter->updateSelectedOptions("TimeProgram");
    m_filter->setChamberTypeIdFilter({1});
    QCOMPARE(visibleTypes(), QStringList());

    m_filter->resetFilter();
    QCOMPARE(visibleTypes(), AllTypes);
    for (const char *property : properties)
        QVERIFY2(m_filter->property(property).toString().isNull(), property);
    QVERIFY(!m_filter->isSelectedOption("TimeProgram"));
}

void tst_ChamberTypeFilterModel::idFilter_comparesWholeIds()
{
    // Regression: the ids were read as int, so the id 0x100000001 passed as
    // type 1 and could not be selected by its own id.
    m_filter->setChamberTypeIdFilter({1});
    QCOMPARE(visibleTypes(), QStringList{"LAB 100"});
    m_filter->setChamberTypeIdFilter({Q_UINT64_C(0x100000001)});
    QCOMPARE(visibleTypes(), QStringList{"Big"});
    m_filter->setChamberTypeIdFilter({3, 4});
    QCOMPARE(visibleTypes(), (QStringList{"Lab mini", "Lab mini 2", "Vac"}));
    m_filter->setChamberTypeIdFilter({});
    QCOMPARE(visibleTypes(), AllTypes);
}

void tst_ChamberTypeFilterModel::findRow_data()
{
    QTest::addColumn<QString>("typeNameFilter");
    QTest::addColumn<int>("chamberTypeId");
    QTest::addColumn<int>("additionalInfoId");
    QTest::addColumn<int>("expected");

    QTest::newRow("an info id that no row has") << QString() << 2 << 77 << -1;
    QTest::newRow("single type hit, whatever its info id") << QString() << 2 << 9 << 1;
    QTest::newRow("single info hit, whatever its type id") << QString() << 3 << 7 << 5;
    QTest::newRow("the type hit that has the info id") << QString() << 3 << 0 << 3;
    QTest::newRow("no type hit has the info id") << QString() << 3 << 9 << -1;
    QTest::newRow("unknown type id") << QString() << 99 << 1 << -1;
    QTest::newRow("a proxy row") << "size" << 6 << 9 << 1;
    QTest::newRow("hidden rows are not found") << "size" << 1 << 0 << -1;
}

void tst_ChamberTypeFilterModel::findRow()
{
    QFETCH(QString, typeNameFilter);
    QFETCH(int, chamberTypeId);
    QFETCH(int, additionalInfoId);
    QFETCH(int, expected);

    m_filter->setFilterTypeName(typeNameFilter);
    QCOMPARE(m_filter->findRow(chamberTypeId, additionalInfoId), expected);
}

QTEST_GUILESS_MAIN(tst_ChamberTypeFilterModel)
#include "tst_chambertypefiltermodel.moc"
