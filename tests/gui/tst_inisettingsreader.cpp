#include "gui/inisettingsreader.h"

#include <QtTest/QtTest>

using quelta::gui::IniSettingsReader;

class tst_IniSettingsReader : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void value_data();
    void value();
    void valueWithoutText_data();
    void valueWithoutText();
    void valueOfGeneratedFiles();
};

namespace {

const QString Key = "General/ConfigDatabasePath";

// The file as QSettings reads it, in a file of its own: QSettings caches the
// files that it has read by their names.
QVariant settingsValue(const QByteArray &content, const QString &key)
{
    static const QTemporaryDir directory;
    static int files = 0;
    QFile file(directory.filePath(QString::number(++files) + ".ini"));
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        return "(the file could not be written)";
    file.close();
    QSettings settings(file.fileName(), QSettings::IniFormat);
    settings.setIniCodec("UTF-8");
    const QVariant value = settings.value(key);
    file.remove();
    return value;
}

IniSettingsReader::State stateOf(const QVariant &value)
{
    if (!value.isValid())
        return IniSettingsReader::State::Missing;
    const bool text = value.userType() == QMetaType::QString || value.userType() == QMetaType::QByteArray
        || value.userType() == QMetaType::QUrl;
    return text ? IniSettingsReader::State::Text : IniSettingsReader::State::NotText;
}

QByteArray anyOf(QRandomGenerator &random, const QVector<QByteArray> &texts)
{
    return texts.at(random.bounded(texts.size()));
}

// Lines at random from the pieces on which QSettings' rules turn, with no
// comma: QSettings splits a value at a comma outside quotes. The streams of
// "@Variant(...)" are of a few types only: QSettings aborts on a damaged
// stream of some others.
QByteArray generatedContent(QRandomGenerator &random)
{
    static const QVector<QByteArray> sections = {"%General", "%General", "%General", "%General", "%General",
        " %General\t", "%general", "%GENERAL", "%47eneral", "%U0047eneral", "General", "General\\Config", "Other",
        "%General]x", "[%General", QByteArrayLiteral("%General\0x"), QByteArrayLiteral("General\0")};
    static const QVector<QByteArray> keys = {"ConfigDatabasePath", "ConfigDatabasePath", "ConfigDatabasePath",
        "Config%44atabasePath", "Config%U0044atabasePath", "General\\ConfigDatabasePath", "\"ConfigDatabasePath\"",
        "ConfigDatabasePath%4", "Config\\a", "a", "a", QByteArrayLiteral("a\0"), "%", ""};
    static const QVector<QByteArray> starts = {"", "", "", "", "@String(", "\"@String(", "@ByteArray(", "@@", "@",
        "@Invalid()", "@Rect(1 2 3 4)", "@Size(1 2", "@Point(3 4)", "@Variant(\\0\\0\\0\\x2\\0\\0\\0\\x5)",
        "@Variant(\\0\\0\\0\\n\\0\\0\\0\\x4\\0/\\0a)", "@Variant(\\0\\0\\0\\n\\0\\0\\0\\x3\\0a\\0)",
        "@Variant(\\0\\0\\0\\x11\\0\\0\\0\\x3/ab)", "@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\bQString\\0\\0\\0\\0\\x2\\0a)"};
    static const QVector<QByteArray> pieces = {"/data", "a", "a", " ", "\t", "\"", "\"", ";", "=", "(", ")", ")", "@",
        "[", "]", "%", "\\", "\\n", "\\\"", "\\x41", "\\x", "\\0", "\\101", "\\x1234567", "\\q", "\\\n", "\\\r\n",
        "\n", "\r", QByteArrayLiteral("\0"), "\xc3\xa4", "\xe2\x82\xac", "\xc3", "\xa4"};
    static const QVector<QByteArray> lineEnds = {"\n", "\n", "\r", "\r\n", "\n\r", "\\\n", " \n"};

    QByteArray content = random.bounded(8) == 0 ? "\xef\xbb\xbf" : "";
    for (int sectionCount = random.bounded(1, 4); sectionCount > 0; --sectionCount) {
        if (random.bounded(4) != 0)
            content += "[" + anyOf(random, sections) + anyOf(random, {"]", "]", "", "] ;x"}) + anyOf(random, lineEnds);
        for (int lines = random.bounded(1, 4); lines > 0; --lines) {
            content += anyOf(random, {"", "", "", " ", "\t", ";"});
            content += anyOf(random, keys) + anyOf(random, {"=", "=", " = ", "\t=", ""}) + anyOf(random, starts);
            for (int count = random.bounded(7); count > 0; --count)
                content += anyOf(random, pieces);
            content += anyOf(random, lineEnds);
        }
    }
    return content;
}

} // namespace

void tst_IniSettingsReader::value_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("key");
    // Null: as QSettings reads the value. Else the text of a value that
    // QSettings splits at its commas.
    QTest::addColumn<QString>("commaText");

    const auto row = [](const char *name, const QByteArray &content, const QString &key = Key) {
        QTest::newRow(name) << content << key << QString();
    };
    row("LF", "[%General]\nConfigDatabasePath=/data/a.sqlite3\n");
    row("CR", "[%General]\rConfigDatabasePath=/data/a.sqlite3\r");
    row("CRLF and no line end at the end", "[%General]\r\nConfigDatabasePath=/data/a.sqlite3");
    row("blanks around key and value", "[%General]\n \t ConfigDatabasePath \t=  /data/a b \t\n");
    row("a comment behind the value", "[%General]\nConfigDatabasePath=/data/a ; moved\n");
    row("comment lines and blank lines", "; top\n\n[%General]\n\n;note\nConfigDatabasePath=/a\n\n");
    row("blanks before a key behind a comment line", "[%General]\n;note\n\n  ConfigDatabasePath=/a\n");
    row("a semicolon in quotes", "[%General]\nConfigDatabasePath=\"/data/a;b\"\n");
    row("quotes keep blanks", "[%General]\nConfigDatabasePath=\" /a \"  \n");
    row("a quote inside the value", "[%General]\nConfigDatabasePath=/da\"t a\"  /x  \n");
    row("a line end in quotes", "[%General]\nConfigDatabasePath=\"/a\r\nb\"\n");
    row("escapes of C", "[%General]\nConfigDatabasePath=C:\\\\Daten\\t\\\"x\\\"\\?\\'\\a\\b\\f\\n\\r\\v\n");
    row("hexadecimal and octal escapes", "[%General]\nConfigDatabasePath=\\x41\\x00e4\\101\\0x\\x\\q\\7777\n");
    row("a hexadecimal escape beyond 16 bits", "[%General]\nConfigDatabasePath=\\x1234567z\n");
    row("a backslash at the end keeps blanks", "[%General]\nConfigDatabasePath=/a  \\");
    row("continuation lines", "[%General]\nConfigDatabasePath=/da\\\n  ta\\\r\n/x\\\r/y\n");
    row("an empty value", "[%General]\nConfigDatabasePath=\nLocalImageDirectory=x\n");
    row("UTF-8 with a byte order mark", "\xef\xbb\xbf[%General]\nConfigDatabasePath=/D\xc3\xa4ten/\xe2\x82\xac\n");
    row("[General] holds keys without a group", "[General]\nConfigDatabasePath=/a\n");
    row("a key without a group", "[General]\nConfigDatabasePath=/a\n", "ConfigDatabasePath");
    row("[%general]", "[%general]\nConfigDatabasePath=/a\n", "general/ConfigDatabasePath");
    row("a group in the key", "General\\ConfigDatabasePath=/a\n");
    row("escaped key and section", "[%47eneral]\nConfig%44atabase%U0050ath=/a\n%4=/b\n");
    row("a section without a closing bracket", "[%General\nConfigDatabasePath=/a\n");
    row("the last line of a key counts", "[%General]\nConfigDatabasePath=/a\nConfigDatabasePath=/b\n");
    row("a recurring section", "[%General]\nConfigDatabasePath=/a\n[Other]\nx=1\n[%General]\nLocal=/b\n");
    row("a section that leads the key in its stead", "[%General]\nConfigDatabasePath=/a\n[General\\Config]\nx=1\n");
    row("a line without =", "[%General]\nConfigDatabasePath\nConfigDatabasePath=/a\n");
    row("@@ stands for @", "[%General]\nConfigDatabasePath=@@alt\n");
    row("@ before a plain text", "[%General]\nConfigDatabasePath=@alt/x)\n");
    row("a byte array", "[%General]\nConfigDatabasePath=@ByteArray(/D\xc3\xa4ten/a)\n");
    row("a string variant", "[%General]\nConfigDatabasePath=@Variant(\\0\\0\\0\\n\\0\\0\\0\\x4\\0/\\0a)\n");
    row("a null string variant", "[%General]\nConfigDatabasePath=@Variant(\\0\\0\\0\\n\\xff\\xff\\xff\\xff)\n");
    row("a URL variant", "[%General]\nConfigDatabasePath=@Variant(\\0\\0\\0\\x11\\0\\0\\0\\bfile:/a b)\n");
    row("an integer variant", "[%General]\nConfigDatabasePath=@Variant(\\0\\0\\0\\x2\\0\\0\\0\\x5)\n");
    row("no value", "[%General]\nConfigDatabasePath=@Invalid()\n");
    row("a rectangle", "[%General]\nConfigDatabasePath=@Rect(1 2 3 4)\n");
    row("a rectangle short of an argument", "[%General]\nConfigDatabasePath=@Rect(1 2 3)\n");
    row("@String", "[%General]\nConfigDatabasePath=@String(/data/configuration.sqlite3)\n");
    row("@String with escapes, a NUL among them", "[%General]\nConfigDatabasePath=@String(/a\\0b\\x41\\\"c)\n");
    row("@String in quotes, a parenthesis inside", "[%General]\nConfigDatabasePath=\" @String(/a)b) \"\n");
    row("@String holding @@", "[%General]\nConfigDatabasePath=@String(@@a)\n");
    row("text behind @String", "[%General]\nConfigDatabasePath=@String(/a)b\n");
    row("an unclosed @String", "[%General]\nConfigDatabasePath=@String(/a\n");
    row("a NUL in the section name", QByteArrayLiteral("[%General\0x]\nConfigDatabasePath=/a\n"));
    row("a NUL behind General", QByteArrayLiteral("[General\0]\nConfigDatabasePath=/a\n"), "ConfigDatabasePath");
    row("a string variant of a named type",
        "[%General]\nConfigDatabasePath=@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\bQString\\0\\0\\0\\0\\x4\\0/\\0a)\n");

    const auto commaRow = [](const char *name, const QByteArray &content, const QString &text) {
        QTest::newRow(name) << content << Key << text;
    };
    commaRow("a comma", "[%General]\nConfigDatabasePath = C:/Daten/Versuch, alt/a\n", "C:/Daten/Versuch, alt/a");
    commaRow("a comma with CR line ends", "[%General]\rConfigDatabasePath=/Versuch, alt/a\r", "/Versuch, alt/a");
    commaRow("a comma and a comment", "[%General]\nConfigDatabasePath=/Versuch, alt/a ; old\n", "/Versuch, alt/a");
    commaRow("a part beginning with @", "[%General]\nConfigDatabasePath=/Versuch, @alt/a\n", "/Versuch, @alt/a");
    commaRow("blanks around commas", "[%General]\nConfigDatabasePath=/a ,  b,c\\x20, d \n", "/a ,  b,c , d");
    commaRow("quotes and escapes", "[%General]\nConfigDatabasePath=\"/a,\" b\\\\c, d\n", "/a,b\\c, d");
    commaRow("@@ at the start", "[%General]\nConfigDatabasePath=@@alt, neu\n", "@alt, neu");
}

void tst_IniSettingsReader::value()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, key);
    QFETCH(QString, commaText);

    const IniSettingsReader::Value value = IniSettingsReader(content).value(key);
    if (!commaText.isNull()) {
        QCOMPARE(value.state, IniSettingsReader::State::Text);
        QCOMPARE(value.text, commaText);
        return;
    }
    const QVariant expected = settingsValue(content, key);
    QVERIFY2(expected.userType() != QMetaType::QStringList, "QSettings splits the value; give the comma text");
    QCOMPARE(value.state, stateOf(expected));
    if (value.state == IniSettingsReader::State::Text)
        QCOMPARE(value.text, expected.toString());
}

void tst_IniSettingsReader::valueWithoutText_data()
{
    QTest::addColumn<QByteArray>("value");

    // QSettings asked for 2^64 bytes to decode this one and aborted.
    QTest::newRow("a list with an impossible length") << QByteArray("@Variant(\\0\\0\\0\\x0b!\\0a)");
    QTest::newRow("a string with more bytes than the value") << QByteArray("@Variant(\\0\\0\\0\\n\\0\\0\\0\\x10\\0a)");
    QTest::newRow("a string of an odd length") << QByteArray("@Variant(\\0\\0\\0\\n\\0\\0\\0\\x3\\0a\\0)");
    QTest::newRow("a stream without a type") << QByteArray("@Variant(\\0\\0)");
    QTest::newRow("a date") << QByteArray("@DateTime(\\0\\0\\0\\x10\\0\\0%\\x80\\0\\0\\0\\0\\x1)");
}

void tst_IniSettingsReader::valueWithoutText()
{
    QFETCH(QByteArray, value);

    const IniSettingsReader::Value read = IniSettingsReader("[%General]\nConfigDatabasePath=" + value).value(Key);
    QCOMPARE(read.state, IniSettingsReader::State::NotText);
    QCOMPARE(read.text, QString());
}

// Where the reader reads no text, the value may be a damaged stream, which
// QSettings reads as no value or an empty text.
void tst_IniSettingsReader::valueOfGeneratedFiles()
{
    QRandomGenerator random(20240611);
    for (int file = 0; file < 3000; ++file) {
        const QByteArray content = generatedContent(random);
        for (const QString &key : {Key, QStringList{"ConfigDatabasePath", "General/a", "a"}.at(random.bounded(3))}) {
            const IniSettingsReader::Value value = IniSettingsReader(content).value(key);
            const QVariant expected = settingsValue(content, key);
            const bool agrees = value.state == IniSettingsReader::State::NotText
                ? stateOf(expected) != IniSettingsReader::State::Text || expected.toString().isEmpty()
                : value.state == stateOf(expected) && value.text == expected.toString();
            QVERIFY2(agrees, qPrintable(QString("%1 in %2: QSettings reads %3 \"%4\", the reader %5 \"%6\"")
                                            .arg(key, QString(content.toPercentEncoding(" []=;@()\"\\")),
                                                 expected.typeName(), expected.toString(),
                                                 QString::number(int(value.state)), value.text)));
        }
    }
}

QTEST_GUILESS_MAIN(tst_IniSettingsReader)

#include "tst_inisettingsreader.moc"
