#include "connection/chamber/protocol/lineframerimpl.h"

#include <QtTest/QtTest>

using quelta::base::connection::chamberconnection::LineFramerImpl;

class tst_LineFramerImpl : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void append_cutsCompleteLines_data();
    void append_cutsCompleteLines();
};

void tst_LineFramerImpl::append_cutsCompleteLines_data()
{
    QTest::addColumn<QList<QByteArray>>("chunks");
    QTest::addColumn<QList<QByteArray>>("lines");

    using L = QList<QByteArray>;
    const int max = LineFramerImpl::MaximumLineLength;
    QTest::newRow("crlf") << L{"0950 mbar\r\n"} << L{"0950 mbar"};
    QTest::newRow("lf only") << L{"0950 mbar\n"} << L{"0950 mbar"};
    QTest::newRow("split between cr and lf") << L{"0950 mbar\r", "\n"} << L{"0950 mbar"};
    QTest::newRow("empty lines skipped") << L{"\r\na\r\n\n\r\nb\r\n\r\n"} << L{"a", "b"};
    QTest::newRow("unterminated kept for the next chunk") << L{"a\r\nb", "c\n"} << L{"a", "bc"};
    QTest::newRow("longest line kept") << L{QByteArray(max, 'x') + "\r\n"} << L{QByteArray(max, 'x')};
    QTest::newRow("overlong line dropped") << L{QByteArray(max + 1, 'x') + "\nok\n"} << L{"ok"};
    // The tail of a dropped line must not come out as a line of its own.
    QTest::newRow("overlong line dropped across chunks")
            << L{QByteArray(max + 10, 'x'), "tail\r\nnext\r\n"} << L{"next"};
    // A null chunk stands for clear(), which drops a partial line.
    QTest::newRow("clear drops a partial line") << L{"stale", QByteArray(), "0950 mbar\r\n"} << L{"0950 mbar"};
}

void tst_LineFramerImpl::append_cutsCompleteLines()
{
    QFETCH(QList<QByteArray>, chunks);
    QFETCH(QList<QByteArray>, lines);

    LineFramerImpl framer;
    QList<QByteArray> received;
    for (const QByteArray &chunk : chunks) {
        if (chunk.isNull())
            framer.clear();
        else
            received += framer.append(chunk).lines;
    }
    QCOMPARE(received, lines);
}

QTEST_GUILESS_MAIN(tst_LineFramerImpl)
#include "tst_lineframerimpl.moc"
