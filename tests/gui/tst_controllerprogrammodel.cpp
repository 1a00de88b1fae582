#include "gui/controllerprogramfiltermodel.h"
#include "gui/controllerprogrammodel.h"

#include "support/rolevalues.h"

#include <QtTest/QAbstractItemModelTester>
#include <QtTest/QtTest>

using quelta::gui::ControllerProgramFilterModel;
using quelta::gui::ControllerProgramModel;
using quelta::test::roleValues;

using Programs = QMap<int, QString>;

class tst_ControllerProgramModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void changes_data();
    void changes();
    void setPrograms_withoutSlotAbove0IsEmptyButReady();
};

void tst_ControllerProgramModel::changes_data()
{
    QTest::addColumn<Programs>("programs");
    QTest::addColumn<int>("removedIndex"); // 0: reset instead
    QTest::addColumn<QList<int>>("rows");
    QTest::addColumn<QList<int>>("programIndexes");
    QTest::addColumn<bool>("ready");

    const Programs dense{{1, "Heat"}, {2, QString()}, {3, ""}};
    // A sparse list used to announce rows up to its largest slot that the
    // model never had.
    const Programs sparse{{1, "Heat"}, {5, "Cool"}};
    QTest::newRow("dense") << dense << -1 << QList<int>{1, 2, 3} << QList<int>{1, 3} << true;
    QTest::newRow("sparse") << sparse << -1 << QList<int>{1, 5} << QList<int>{1, 5} << true;
    QTest::newRow("slot removed") << sparse << 5 << QList<int>{1} << QList<int>{1} << true;
    QTest::newRow("absent slot removed") << sparse << 4 << QList<int>{1, 5} << QList<int>{1, 5} << true;
    QTest::newRow("reset") << dense << 0 << QList<int>() << QList<int>() << false;
}

void tst_ControllerProgramModel::changes()
{
    QFETCH(Programs, programs);
    QFETCH(int, removedIndex);
    QFETCH(QList<int>, rows);
    QFETCH(QList<int>, programIndexes);
    QFETCH(bool, ready);

    ControllerProgramModel model;
    ControllerProgramFilterModel filter;
    filter.setSourceModel(&model);
    QAbstractItemModelTester modelTester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QAbstractItemModelTester filterTester(&filter, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.setPrograms(programs);
    QSignalSpy removed(&model, &ControllerProgramModel::rowsAboutToBeRemoved);
    QSignalSpy readyChanged(&model, &ControllerProgramModel::signalIsReady);
    if (removedIndex == 0)
        model.resetPrograms();
    else if (removedIndex > 0)
        model.removeProgram(removedIndex);

    QCOMPARE(roleValues<int>(model, ControllerProgramModel::PROGRAM_INDEX), rows);
    QCOMPARE(roleValues<int>(filter, ControllerProgramModel::PROGRAM_INDEX), programIndexes);
    QCOMPARE(removed.count(), rows.size() < programs.size() && removedIndex > 0 ? 1 : 0);
    QCOMPARE(model.isReady(), ready);
    QCOMPARE(readyChanged.count(), removedIndex == 0 ? 1 : 0);
}

void tst_ControllerProgramModel::setPrograms_withoutSlotAbove0IsEmptyButReady()
{
    ControllerProgramModel model;
    model.setPrograms({{-2, "Heat"}, {0, "Cool"}});
    QCOMPARE(model.rowCount(), 0);
    QVERIFY(model.isReady());
}

QTEST_GUILESS_MAIN(tst_ControllerProgramModel)

#include "tst_controllerprogrammodel.moc"
