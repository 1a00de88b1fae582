#include "domain/types/smtpconfiguration.h"

#include <QtTest/QtTest>

using quelta::domain::types::SmtpConfiguration;
using quelta::domain::types::SmtpConnectionType;
using quelta::domain::types::SmtpSettings;

class tst_SmtpConfiguration : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void defaultIsEmptyWithTls();
    void constructorFillsBothSets();
    void equalityComparesAllTwelveFields();
};

void tst_SmtpConfiguration::defaultIsEmptyWithTls()
{
    const SmtpSettings settings;
    QCOMPARE(settings.connectionType(), int(SmtpConnectionType::TLS));
    QCOMPARE(settings.secondConnectionType(), int(SmtpConnectionType::TLS));
    QCOMPARE(settings.port(), quint16(0));
    QVERIFY(settings.hostName().isEmpty());
}

void tst_SmtpConfiguration::constructorFillsBothSets()
{
    const SmtpConfiguration configuration("mail.example.invalid", 587, SmtpConnectionType::SSL, "user", "secret",
                                          "lab@example.invalid");
    QCOMPARE(configuration.hostName(), QStringLiteral("mail.example.invalid"));
    QCOMPARE(configuration.secondHostName(), configuration.hostName());
    QCOMPARE(configuration.secondPort(), quint16(587));
    QCOMPARE(configuration.secondConnectionType(), int(SmtpConnectionType::SSL));
    QCOMPARE(configuration.secondUserName(), QStringLiteral("user"));
    QCOMPARE(configuration.secondPassword(), QStringLiteral("secret"));
    QCOMPARE(configuration.secondSenderAddress(), QStringLiteral("lab@example.invalid"));
}

void tst_SmtpConfiguration::equalityComparesAllTwelveFields()
{
    const SmtpConfiguration original("mail.example.invalid", 25, -1, "user", "secret", "lab@example.invalid");
    SmtpConfiguration changed = original;
    QCOMPARE(changed, original);

    changed.setSecondPassword("other");
    QVERIFY(changed != original);
    changed = original;
    changed.setSecondSenderAddress("other@example.invalid");
    QVERIFY(changed != original);
    changed = original;
    changed.setPort(26);
    QVERIFY(changed != original);
}

QTEST_GUILESS_MAIN(tst_SmtpConfiguration)
#include "tst_smtpconfiguration.moc"
