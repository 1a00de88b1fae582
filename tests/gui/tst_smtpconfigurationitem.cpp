#include "gui/smtpconfigurationitem.h"

#include "support/qmlprobe.h"

#include <QtTest/QtTest>

using quelta::domain::types::SmtpConnectionType;
using quelta::domain::types::SmtpSettings;
using quelta::gui::SmtpConfigurationItem;

namespace {

const SmtpSettings Stored("mail.example.org", 25, SmtpConnectionType::SSL, "anna", "secret", "anna@example.org");

} // namespace

class tst_SmtpConfigurationItem : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void edits_data();
    void edits();
    void setConfiguration_afterSaving_clearsChanged();
    void qml_readsAndWritesByName();
};

void tst_SmtpConfigurationItem::edits_data()
{
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("notified");
    QTest::addColumn<bool>("changed");

    QTest::newRow("same port") << QByteArray("smtpPort") << "25" << "25" << 0 << false;
    QTest::newRow("leading zero") << QByteArray("smtpPort") << "025" << "25" << 1 << false;
    QTest::newRow("no number") << QByteArray("smtpPort") << "abc" << "0" << 1 << true;
    QTest::newRow("type") << QByteArray("smtpConfigurationType") << "TLS" << "TLS" << 1 << true;
    // Announced although nothing changed.
    QTest::newRow("type in lower case") << QByteArray("smtpConfigurationType") << "tls" << "SSL" << 1 << false;
}

void tst_SmtpConfigurationItem::edits()
{
    QFETCH(QByteArray, property);
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QFETCH(int, notified);
    QFETCH(bool, changed);

    SmtpConfigurationItem item;
    item.setConfiguration(Stored);
    const QMetaProperty metaProperty =
        item.metaObject()->property(item.metaObject()->indexOfProperty(property.constData()));
    QSignalSpy notify(&item, metaProperty.notifySignal());
    QVERIFY(metaProperty.write(&item, text));
    QCOMPARE(metaProperty.read(&item).toString(), shown);
    QCOMPARE(notify.count(), notified);
    QCOMPARE(item.isChanged(), changed);
}

void tst_SmtpConfigurationItem::setConfiguration_afterSaving_clearsChanged()
{
    SmtpConfigurationItem item;
    QSignalSpy changed(&item, &SmtpConfigurationItem::changed);
    QSignalSpy hostnameChanged(&item, &SmtpConfigurationItem::hostnameChanged);
    item.setConfiguration(Stored);
    item.setConfiguration(Stored);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(hostnameChanged.count(), 1);

    // The owner stores the edited record and hands it back.
    item.setSmtpHostname("smtp.example.org");
    QVERIFY(item.isChanged());
    item.setConfiguration(item.configuration());
    QVERIFY(!item.isChanged());
    QCOMPARE(changed.count(), 2);
    QCOMPARE(hostnameChanged.count(), 2);
}

void tst_SmtpConfigurationItem::qml_readsAndWritesByName()
{
    SmtpConfigurationItem item;
    QCOMPARE(evaluateInQml(QVariant::fromValue(&item),
                           "(item.smtpPort = '025', [item.smtpPort, item.smtpConfigurationType,"
                           " item.smtpConfigurationTypes, item.changed].join('|'))"),
             QVariant("25|TLS|TCP,TLS,SSL|true"));
}

QTEST_GUILESS_MAIN(tst_SmtpConfigurationItem)

#include "tst_smtpconfigurationitem.moc"
