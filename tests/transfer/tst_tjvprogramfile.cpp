#include "transfer/tjvprogramfile.h"

#include <QtTest/QtTest>

using quelta::base::connection::chamberconnection::TjvProgramFile;
using Line = TjvProgramFile::Line;
Q_DECLARE_METATYPE(Line)

class tst_TjvProgramFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void line_data();
    void line();
    void parse_acceptsOnlyExactLines();
};

void tst_TjvProgramFile::line_data()
{
    QTest::addColumn<Line>("fields");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("readsBack");
    QTest::newRow("no band, ramp, no bits")
        << Line{0, 23.5f, 3600, 0, 0, {}, {}, 0, {}} << QByteArray("0\t23.50\t3600\t0\t0\t-999.00\t999.00\t0\r\n") << true;
    // The band reaching 0.5 below used to be written as 0.50 and read as -0.5.
    QTest::newRow("lower limit turned, bits")
        << Line{2, -5.25f, 60, 1, 3, 0.5f, 1.25f, 1, 5} << QByteArray("2\t-5.25\t60\t1\t3\t-0.50\t1.25\t1\t5\r\n") << true;
    QTest::newRow("four integer digits") << Line{0, 999.996f, 1, 0, 0, {}, {}, 0, {}}
                                         << QByteArray("0\t1000.00\t1\t0\t0\t-999.00\t999.00\t0\r\n") << false;
    QTest::newRow("no transition type") << Line{0, 1, 1, 0, 0, {}, {}, -1, {}}
                                        << QByteArray("0\t1.00\t1\t0\t0\t-999.00\t999.00\t-1\r\n") << false;
}

void tst_TjvProgramFile::line()
{
    QFETCH(Line, fields);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, readsBack);
    QCOMPARE(TjvProgramFile::format(fields), bytes);
    const std::optional<Line> parsed = TjvProgramFile::parse(bytes);
    QCOMPARE(parsed.has_value(), readsBack);
    QVERIFY(!readsBack || *parsed == fields);
}

void tst_TjvProgramFile::parse_acceptsOnlyExactLines()
{
    const QByteArray line = "3\t1.00\t1\t0\t0\t-999.00\t999.00\t1\t300\r\n";
    QCOMPARE(TjvProgramFile::parse(line)->bits, 300 % 256);
    for (const QByteArray &wrong : {line.chopped(2), line.chopped(2) + "\n", QByteArray(line).replace("1.00", "1.0"),
                                    line.chopped(5) + "1000\r\n", "4294967296" + line.mid(1)})
        QVERIFY2(!TjvProgramFile::parse(wrong), wrong.constData());
    QCOMPARE(TjvProgramFile::header(true), "Nr.\tWert\tH:M:S\tRef.\tWdh.\tT.min\tT.max\tR/S\t1|2|3\r\n");
    QVERIFY(TjvProgramFile::isHeader("Nr.  Wert H:M:S Ref. Wdh. T.min T.max R/S 1|2|3 \r\n"));
    QVERIFY(!TjvProgramFile::isHeader(TjvProgramFile::header(false).chopped(2)));
}

QTEST_GUILESS_MAIN(tst_TjvProgramFile)

#include "tst_tjvprogramfile.moc"
