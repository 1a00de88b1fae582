#include "gui/smtpconfigurationitem.h"

#include "support/qmlprobe.h"

#include <QtTest/QtTest>

using quelta::domain::types::SmtpConnectionType;
using quelta::domain::types::SmtpSettings;
using quelta::gui::SmtpConfigurationItem;

namespace {

SmtpSettings stored()
{
    return SmtpSettings("mail.example.org", 25, SmtpConnectionType::SSL, "anna", "secret", "anna@example.org");
}

} // namespace

class tst_SmtpConfigurationItem : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void setters_data();
    void setters();
    void passwordWrite_copiesTheOldPasswordIntoTheSecondSet();
    void setConfiguration_afterSaving_clearsChanged();
    void qml_readsAndWritesByName();
};

void tst_SmtpConfigurationItem::setters_data()
{
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("notified");

    QTest::newRow("same port") << QByteArray("smtpPort") << "25" << "25" << 0;
    QTest::newRow("leading zero") << QByteArray("smtpPort") << "025" << "25" << 1;
    QTest::newRow("no number") << QByteArray("smtpPort") << "abc" << "0" << 1;
    QTest::newRow("beyond 16 bits") << QByteArray("smtpPort") << "65536" << "0" << 1;
    QTest::newRow("same host") << QByteArray("smtpHostname") << "mail.example.org" << "mail.example.org" << 0;
    QTest::newRow("new host") << QByteArray("smtpHostname") << "smtp.example.org" << "smtp.example.org" << 1;
    QTest::newRow("type") << QByteArray("smtpConfigurationType") << "TLS" << "TLS" << 1;
    QTest::newRow("same type") << QByteArray("smtpConfigurationType") << "SSL" << "SSL" << 0;
    // Announced although nothing changed.
    QTest::newRow("type in lower case") << QByteArray("smtpConfigurationType") << "tls" << "SSL" << 1;
}

void tst_SmtpConfigurationItem::setters()
{
    QFETCH(QByteArray, property);
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QFETCH(int, notified);

    SmtpConfigurationItem item;
    item.setConfiguration(stored());
    const QMetaProperty metaProperty = item.metaObject()->property(item.metaObject()->indexOfProperty(property.constData()));
    QSignalSpy notify(&item, metaProperty.notifySignal());
    QVERIFY(metaProperty.write(&item, text));
    QCOMPARE(metaProperty.read(&item).toString(), shown);
    QCOMPARE(notify.count(), notified);
}

void tst_SmtpConfigurationItem::passwordWrite_copiesTheOldPasswordIntoTheSecondSet()
{
    SmtpConfigurationItem item;
    item.setConfiguration(stored());
    QSignalSpy notify(&item, &SmtpConfigurationItem::passwordChanged);
    SmtpSettings settings = stored();
    settings.setSecondPassword("other");
    item.setConfiguration(settings);

    item.setSmtpPassword("secret");
    QCOMPARE(notify.count(), 0);
    QCOMPARE(item.configuration().secondPassword(), QStringLiteral("secret"));
    QVERIFY(item.isChanged());
}

void tst_SmtpConfigurationItem::setConfiguration_afterSaving_clearsChanged()
{
    SmtpConfigurationItem item;
    QSignalSpy changed(&item, &SmtpConfigurationItem::changed);
    QSignalSpy hostnameChanged(&item, &SmtpConfigurationItem::hostnameChanged);
    item.setConfiguration(stored());
    QCOMPARE(changed.count(), 1);
    QCOMPARE(hostnameChanged.count(), 1);
    item.setConfiguration(stored());
    QCOMPARE(changed.count(), 1);

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
                           " item.smtpConfigurationTypes.length, item.changed].join(' '))"),
             QVariant(QStringLiteral("25 TLS 3 true")));
}

QTEST_MAIN(tst_SmtpConfigurationItem)

#include "tst_smtpconfigurationitem.moc"
