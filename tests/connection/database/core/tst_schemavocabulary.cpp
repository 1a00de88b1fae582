#include "connection/database/core/schemavocabulary.h"

#include <QtTest/QtTest>

using namespace quelta::base::connection::databaseconnection;

namespace {

// How many columns an enumeration names, counting from 0 up to the first
// number without a name.
template <typename Column>
int columnCount(QString (*columnName)(Column))
{
    int count = 0;
    while (!columnName(static_cast<Column>(count)).isNull())
        ++count;
    return count;
}

} // namespace

// Stores address columns by number (settings by their number in the
// enumeration, recordings by flag value); these pin the numbering.
class tst_SchemaVocabulary : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void enumerationsAreComplete_data();
    void enumerationsAreComplete();
    void numbersMapToTheirColumns_data();
    void numbersMapToTheirColumns();
};

void tst_SchemaVocabulary::enumerationsAreComplete_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("expected");

    QTest::newRow("chamber") << columnCount(&columnNameChamber) << 19;
    QTest::newRow("application user") << columnCount(&columnNameApplicationUser) << 14;
    QTest::newRow("user preferences") << columnCount(&columnNameUserPreferences) << 8;
    QTest::newRow("application alarm") << columnCount(&columnNameApplicationAlarm) << 12;
    QTest::newRow("global settings") << columnCount(&columnNameGlobalSettings) << 44;
    QTest::newRow("log entry") << columnCount(&columnNameLogEntry) << 6;
    QTest::newRow("record set") << columnCount(&columnNameRecordSet) << 8;
    QTest::newRow("program") << columnCount(&columnNameProgram) << 7;
    QTest::newRow("camera") << columnCount(&columnNameCamera) << 6;
    QTest::newRow("chamber type") << columnCount(&columnNameChamberType) << 14;
    QTest::newRow("signal") << columnCount(&columnNameSignal) << 16;
    QTest::newRow("catalogue tolerance range") << columnCount(&columnNameToleranceRange) << 8;
    QTest::newRow("user recording config") << columnCount(&columnNameUserRecordingConfig) << 3;
}

void tst_SchemaVocabulary::enumerationsAreComplete()
{
    QFETCH(int, count);
    QFETCH(int, expected);
    QCOMPARE(count, expected);
}

void tst_SchemaVocabulary::numbersMapToTheirColumns_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");

    QTest::newRow("chamber 18") << columnNameChamber(ChamberColumn(18)) << "converter_id";
    QTest::newRow("settings 14") << columnNameGlobalSettings(GlobalSettingsColumn(14)) << "base_password";
    QTest::newRow("settings 43") << columnNameGlobalSettings(GlobalSettingsColumn(43)) << "tocsa_is_active";
    QTest::newRow("recording flag 16384")
        << columnNameRecording(RecordingColumn(16384)) << "is_start_reconding_allowed";
    QTest::newRow("record set pattern") << columnNameRecordSet(RecordSetColumn(3)) << "signal_%1";
    QTest::newRow("log entry pattern") << columnNameLogEntry(LogEntryColumn(5)) << "arg_%1";
    QTest::newRow("signal select order") << columnNameSignal(SignalColumn(12)) << "read";
    QTest::newRow("past the last setting") << columnNameGlobalSettings(GlobalSettingsColumn(44)) << QString();
    QTest::newRow("recording flag below the first") << columnNameRecording(RecordingColumn(4096)) << QString();
    QTest::newRow("recording without flag") << columnNameRecording(RecordingColumn(0)) << QString();
}

void tst_SchemaVocabulary::numbersMapToTheirColumns()
{
    QFETCH(QString, name);
    QFETCH(QString, expected);
    QCOMPARE(name, expected);
    QCOMPARE(name.isNull(), expected.isNull());
}

QTEST_GUILESS_MAIN(tst_SchemaVocabulary)

#include "tst_schemavocabulary.moc"
