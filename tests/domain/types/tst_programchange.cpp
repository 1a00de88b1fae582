#include "domain/types/programchange.h"

#include <QtTest/QtTest>

using quelta::domain::types::ChamberTypeData;
using quelta::domain::types::ProgramChange;
using quelta::domain::types::ProgramData;
using quelta::domain::types::ProgramSection;
using quelta::domain::types::SetpointValue;
using quelta::domain::types::Unit;

namespace {

ProgramSection sectionOf(int id, qint64 seconds)
{
    return ProgramSection(id, {SetpointValue(3, 40.0f, 0.0f, Unit::DegreeCelsius)}, seconds, ProgramSection::RAMP,
                          false, "Open the door");
}

} // namespace

class tst_ProgramChange : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sectionStep();
    void subProgramStep();
    void equalityComparesTheContent();
    void longDurationsSurvive();
};

void tst_ProgramChange::sectionStep()
{
    const ProgramChange change(1, 10, sectionOf(4, 3600), 0);
    QCOMPARE(change.stepType(), int(ProgramChange::SectionStep));
    QCOMPARE(change.content().userType(), qMetaTypeId<ProgramSection>());
    QCOMPARE(change.section(), sectionOf(4, 3600));
    QCOMPARE(change.subProgram(), ProgramData());
}

void tst_ProgramChange::subProgramStep()
{
    const ProgramData sub(11, "Soak", 2, "", 0, false, ChamberTypeData());
    const ProgramChange change(2, 10, sub, 1);
    QCOMPARE(change.stepType(), int(ProgramChange::SubProgramStep));
    QCOMPARE(change.content().userType(), qMetaTypeId<ProgramData>());
    QCOMPARE(change.subProgram(), sub);
    QCOMPARE(change.orderNumber(), 1);
}

void tst_ProgramChange::equalityComparesTheContent()
{
    QCOMPARE(ProgramChange(1, 10, sectionOf(4, 60), 0), ProgramChange(1, 10, sectionOf(4, 60), 0));
    QVERIFY(ProgramChange(1, 10, sectionOf(4, 60), 0) != ProgramChange(1, 10, sectionOf(4, 61), 0));
    QVERIFY(ProgramChange(1, 10, sectionOf(4, 60), 0) != ProgramChange(1, 10, sectionOf(4, 60), 1));
    const ProgramData sub(11, "Soak", 2, "", 0, false, ChamberTypeData());
    QVERIFY(ProgramChange(1, 10, sectionOf(4, 60), 0) != ProgramChange(1, 10, sub, 0));
}

void tst_ProgramChange::longDurationsSurvive()
{
    const qint64 tenYears = qint64(10) * 365 * 24 * 3600 * 100;
    QCOMPARE(sectionOf(1, tenYears).durationInSeconds(), tenYears);
}

QTEST_GUILESS_MAIN(tst_ProgramChange)
#include "tst_programchange.moc"
