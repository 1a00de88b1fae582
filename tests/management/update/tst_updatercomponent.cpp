#include "management/update/updatercomponent.h"

#include <QtTest/QtTest>

using quelta::base::management::updatemanager::UpdaterComponent;

class tst_UpdaterComponent : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void setField_data();
    void setField();
    void toString_data();
    void toString();
};

void tst_UpdaterComponent::setField_data()
{
    QTest::addColumn<QString>("element");
    QTest::addColumn<QString>("expected");

    QTest::newRow("Name") << "Name" << "x :: null :: null :: null";
    QTest::newRow("Title") << "Title" << "null :: x :: null :: null";
    QTest::newRow("Version") << "Version" << "null :: null :: x :: null";
    QTest::newRow("InstallDate") << "InstallDate" << "null :: null :: null :: x";
    QTest::newRow("other element") << "Description" << "null :: null :: null :: null";
    QTest::newRow("case matters") << "version" << "null :: null :: null :: null";
    QTest::newRow("element with a namespace prefix") << "ifw:Version" << "null :: null :: null :: null";
}

void tst_UpdaterComponent::setField()
{
    QFETCH(QString, element);
    QFETCH(QString, expected);

    UpdaterComponent component;
    component.setField(element, QStringLiteral("x"));

    const auto show = [](const QString &field) { return field.isNull() ? QStringLiteral("null") : field; };
    QCOMPARE(QStringLiteral("%1 :: %2 :: %3 :: %4")
                 .arg(show(component.name()), show(component.title()), show(component.version()),
                      show(component.installDate())),
             expected);
}

void tst_UpdaterComponent::toString_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("installDate");
    QTest::addColumn<QString>("expected");

    QTest::newRow("all fields") << "Core" << "Core Files" << "1.2.0" << "2022-12-02"
                                << "Core :: Core Files :: 1.2.0 :: 2022-12-02";
    QTest::newRow("no title") << "Core" << QString() << "1.2.0" << "2022-12-02" << "Core ::  :: 1.2.0 :: 2022-12-02";
    QTest::newRow("empty component") << QString() << QString() << QString() << QString() << " ::  ::  :: ";
    // Filling the fields one after another once put the title in place of a
    // "%2" inside the name.
    QTest::newRow("placeholders inside the fields")
        << "Core %2" << "Title %1" << "%3" << "%4" << "Core %2 :: Title %1 :: %3 :: %4";
}

void tst_UpdaterComponent::toString()
{
    QFETCH(QString, name);
    QFETCH(QString, title);
    QFETCH(QString, version);
    QFETCH(QString, installDate);
    QFETCH(QString, expected);

    UpdaterComponent component;
    component.setName(name);
    component.setTitle(title);
    component.setVersion(version);
    component.setInstallDate(installDate);
    QCOMPARE(component.toString(), expected);
}

QTEST_GUILESS_MAIN(tst_UpdaterComponent)
#include "tst_updatercomponent.moc"
