#include "domain/types/smtpconfiguration.h"

#include <QtTest/QtTest>

using quelta::domain::types::SmtpConfiguration;
using quelta::domain::types::SmtpConnectionType;
using quelta::domain::types::SmtpSettings;

class tst_SmtpConfiguration : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void constructorFillsBothSets();
};

// The record is read under both of its names; whichever set of fields a
// reader uses, it must see the configured server.
void tst_SmtpConfiguration::constructorFillsBothSets()
{
    const SmtpSettings settings = SmtpConfiguration("mail.example.invalid", 587, SmtpConnectionType::SSL, "user",
                                                    "secret", "lab@example.invalid");
    QCOMPARE(settings.secondHostName(), QStringLiteral("mail.example.invalid"));
    QCOMPARE(settings.secondPort(), quint16(587));
    QCOMPARE(settings.secondSenderAddress(), QStringLiteral("lab@example.invalid"));

    SmtpSettings changed = settings;
    changed.setSecondPassword("other");
    QVERIFY(changed != settings);
}

QTEST_GUILESS_MAIN(tst_SmtpConfiguration)
#include "tst_smtpconfiguration.moc"
