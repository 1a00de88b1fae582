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
    void contentFollowsTheStepType();
    void equalityComparesTheContent();
};

void tst_ProgramChange::contentFollowsTheStepType()
{
    // Ten years in seconds does not fit an int.
    const qint64 tenYears = qint64(10) * 365 * 24 * 3600 * 100;
    const ProgramChange section(1, 10, sectionOf(4, tenYears), 0);
    QCOMPARE(section.stepType(), int(ProgramChange::SectionStep));
    QCOMPARE(section.section().durationInSeconds(), tenYears);
    QCOMPARE(section.subProgram(), ProgramData());

    const ProgramData sub(11, "Soak", 2, "", 0, false, ChamberTypeData());
    const ProgramChange subProgram(2, 10, sub, 1);
    QCOMPARE(subProgram.stepType(), int(ProgramChange::SubProgramStep));
    QCOMPARE(subProgram.subProgram(), sub);
    QCOMPARE(subProgram.section(), ProgramSection());
}

void tst_ProgramChange::equalityComparesTheContent()
{
    QCOMPARE(ProgramChange(1, 10, sectionOf(4, 60), 0), ProgramChange(1, 10, sectionOf(4, 60), 0));
    QVERIFY(ProgramChange(1, 10, sectionOf(4, 60), 0) != ProgramChange(1, 10, sectionOf(4, 61), 0));
    const ProgramData sub(11, "Soak", 2, "", 0, false, ChamberTypeData());
    QVERIFY(ProgramChange(1, 10, sectionOf(4, 60), 0) != ProgramChange(1, 10, sub, 0));
}

QTEST_GUILESS_MAIN(tst_ProgramChange)
#include "tst_programchange.moc"
