#include "connection/chamber/protocol/lineframerimpl.h"

#include <QtTest/QtTest>

using quelta::base::connection::chamberconnection::LineFramerImpl;

class tst_LineFramerImpl : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void frame_appendsCrLf();
    void append_cutsCompleteLines_data();
    void append_cutsCompleteLines();
    void append_overlongLine_isDiscardedUpToItsEnd();
    void clear_dropsPartialLine();
};

void tst_LineFramerImpl::frame_appendsCrLf()
{
    QCOMPARE(LineFramerImpl::frame("IN_PV_1"), QByteArray("IN_PV_1\r\n"));
}

void tst_LineFramerImpl::append_cutsCompleteLines_data()
{
    QTest::addColumn<QList<QByteArray>>("chunks");
    QTest::addColumn<QList<QByteArray>>("lines");
    QTest::addColumn<bool>("remainder");

    using L = QList<QByteArray>;
    QTest::newRow("crlf") << L{"0950 mbar\r\n"} << L{"0950 mbar"} << false;
    QTest::newRow("lf only") << L{"0950 mbar\n"} << L{"0950 mbar"} << false;
    QTest::newRow("two in one chunk") << L{"a\r\nb\r\n"} << L{"a", "b"} << false;
    QTest::newRow("split inside line") << L{"09", "50 mbar\r\n"} << L{"0950 mbar"} << false;
    QTest::newRow("split between cr and lf") << L{"0950 mbar\r", "\n"} << L{"0950 mbar"} << false;
    QTest::newRow("byte by byte") << L{"a", "b", "\r", "\n"} << L{"ab"} << false;
    QTest::newRow("empty lines skipped") << L{"\r\n\n\r\nx\r\n\r\n"} << L{"x"} << false;
    QTest::newRow("unterminated kept") << L{"a\r\nb"} << L{"a"} << true;
    QTest::newRow("lone cr is data") << L{"a\rb\n"} << L{"a\rb"} << false;
    QTest::newRow("nul byte is data") << L{QByteArray("a\0b\n", 4)} << L{QByteArray("a\0b", 3)} << false;
}

void tst_LineFramerImpl::append_cutsCompleteLines()
{
    QFETCH(QList<QByteArray>, chunks);
    QFETCH(QList<QByteArray>, lines);
    QFETCH(bool, remainder);

    LineFramerImpl framer;
    QList<QByteArray> received;
    for (const QByteArray &chunk : chunks) {
        const LineFramerImpl::Chunk result = framer.append(chunk);
        QCOMPARE(result.discardedBytes, 0);
        received += result.lines;
    }
    QCOMPARE(received, lines);
    QCOMPARE(framer.isEmpty(), !remainder);
}

void tst_LineFramerImpl::append_overlongLine_isDiscardedUpToItsEnd()
{
    const int max = LineFramerImpl::MaximumLineLength;

    {
        LineFramerImpl framer;
        const QByteArray longest(max, 'x');
        const LineFramerImpl::Chunk chunk = framer.append(longest + "\r\n");
        QCOMPARE(chunk.lines, QList<QByteArray>{longest});
        QCOMPARE(chunk.discardedBytes, 0);
    }
    {
        // The tail of a dropped line must not come out as a line of its own.
        LineFramerImpl framer;
        const LineFramerImpl::Chunk first = framer.append(QByteArray(max + 10, 'x'));
        QVERIFY(first.lines.isEmpty());
        QCOMPARE(first.discardedBytes, max + 10);
        const LineFramerImpl::Chunk second = framer.append("tail\r\nnext\r\n");
        QCOMPARE(second.lines, QList<QByteArray>{"next"});
        QCOMPARE(second.discardedBytes, 6);
        QVERIFY(framer.isEmpty());
    }
    {
        LineFramerImpl framer;
        const LineFramerImpl::Chunk chunk = framer.append(QByteArray(max + 1, 'x') + "\nok\n");
        QCOMPARE(chunk.lines, QList<QByteArray>{"ok"});
        QCOMPARE(chunk.discardedBytes, max + 2);
    }
}

void tst_LineFramerImpl::clear_dropsPartialLine()
{
    LineFramerImpl framer;
    QVERIFY(framer.append("stale").lines.isEmpty());
    framer.clear();
    QVERIFY(framer.isEmpty());
    QCOMPARE(framer.append("0950 mbar\r\n").lines, QList<QByteArray>{"0950 mbar"});
}

QTEST_GUILESS_MAIN(tst_LineFramerImpl)
#include "tst_lineframerimpl.moc"
