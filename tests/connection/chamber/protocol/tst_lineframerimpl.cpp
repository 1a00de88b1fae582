#include "connection/chamber/protocol/lineframerimpl.h"

#include <QtTest/QtTest>

using quelta::base::connection::chamberconnection::LineFramerImpl;

class tst_LineFramerImpl : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void append_cutsCompleteLines_data();
    void append_cutsCompleteLines();
    void clear_dropsPartialLine();
};

void tst_LineFramerImpl::append_cutsCompleteLines_data()
{
    QTest::addColumn<QList<QByteArray>>("chunks");
    QTest::addColumn<QList<QByteArray>>("lines");
    QTest::addColumn<int>("discardedBytes");

    using L = QList<QByteArray>;
    const int max = LineFramerImpl::MaximumLineLength;
    QTest::newRow("crlf") << L{"0950 mbar\r\n"} << L{"0950 mbar"} << 0;
    QTest::newRow("lf only") << L{"0950 mbar\n"} << L{"0950 mbar"} << 0;
    QTest::newRow("split between cr and lf") << L{"0950 mbar\r", "\n"} << L{"0950 mbar"} << 0;
    QTest::newRow("empty lines skipped") << L{"\r\na\r\n\n\r\nb\r\n\r\n"} << L{"a", "b"} << 0;
    QTest::newRow("unterminated kept for the next chunk") << L{"a\r\nb", "c\n"} << L{"a", "bc"} << 0;
    QTest::newRow("lone cr is data") << L{"a\rb\n"} << L{"a\rb"} << 0;
    QTest::newRow("longest line kept") << L{QByteArray(max, 'x') + "\r\n"} << L{QByteArray(max, 'x')} << 0;
    QTest::newRow("overlong line dropped with its lf")
            << L{QByteArray(max + 1, 'x') + "\nok\n"} << L{"ok"} << max + 2;
    // The tail of a dropped line must not come out as a line of its own.
    QTest::newRow("overlong line dropped across chunks")
            << L{QByteArray(max + 10, 'x'), "tail\r\nnext\r\n"} << L{"next"} << max + 16;
}

void tst_LineFramerImpl::append_cutsCompleteLines()
{
    QFETCH(QList<QByteArray>, chunks);
    QFETCH(QList<QByteArray>, lines);
    QFETCH(int, discardedBytes);

    LineFramerImpl framer;
    QList<QByteArray> received;
    int discarded = 0;
    for (const QByteArray &chunk : chunks) {
        const LineFramerImpl::Chunk result = framer.append(chunk);
        received += result.lines;
        discarded += result.discardedBytes;
    }
    QCOMPARE(received, lines);
    QCOMPARE(discarded, discardedBytes);
}

void tst_LineFramerImpl::clear_dropsPartialLine()
{
    LineFramerImpl framer;
    QVERIFY(framer.append("stale").lines.isEmpty());
    framer.clear();
    QCOMPARE(framer.append("0950 mbar\r\n").lines, QList<QByteArray>{"0950 mbar"});
}

QTEST_GUILESS_MAIN(tst_LineFramerImpl)
#include "tst_lineframerimpl.moc"
