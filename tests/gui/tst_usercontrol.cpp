#include "gui/usercontrol.h"

#include "support/qmlprobe.h"

#include <QtQml/QQmlEngine>

#include <QtTest/QtTest>

using namespace quelta::domain::types;
using quelta::gui::UserControl;
using quelta::gui::UserModel;

namespace {

UserData user(uint id, const QString &loginName, const QSharedPointer<LocalePreferences> &preferences = {})
{
    return UserData(id, loginName, loginName + "@example.org", "First", "Last", {}, {}, {}, {}, false, 0, false, 1,
                    preferences);
}

QSharedPointer<LocalePreferences> englishFahrenheit()
{
    return QSharedPointer<LocalePreferences>::create(1, QLocale::English, "h:mm AP", "M/d/yy", QChar('.'),
                                                     Unit::DegreeFahrenheit, Unit::RelativeHumidityRH);
}

QStringList usernames(QQmlListProperty<UserModel> list)
{
    QStringList names;
    for (int i = 0; i < list.count(&list); ++i)
        names.append(list.at(&list, i)->username());
    return names;
}

} // namespace

class tst_UserControl : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void conversions_followTheInstancesCurrentUser();
    void convertTime_data();
    void convertTime();
    void userModel_hidesServiceAndRootOnly();
    void userLevels_data();
    void userLevels();
    void setCurrentUser_announcesLanguageThenUser();
    void updateAndRemoveUser();
    void qml_readsPropertiesAndCallsConversionsByName();
};

void tst_UserControl::initTestCase()
{
    // As the application does, so that documents can read the user list.
    qmlRegisterAnonymousType<UserModel>("UserControl", 1);
}

void tst_UserControl::conversions_followTheInstancesCurrentUser()
{
    QCOMPARE(UserControl::convert(20.5f), QStringLiteral("20,50"));
    QCOMPARE(UserControl::convertNumber("1,5"), QVariant(QStringLiteral("1.5")));

    auto owner = std::make_unique<QObject>();
    const QPointer<UserControl> control = UserControl::singletonProvider(false, owner.get());
    QCOMPARE(UserControl::singletonProvider(true, nullptr), control);
    QCOMPARE(control->userLevels().size(), 3);
    control->setCurrentUser(user(7, "anna", englishFahrenheit()));
    QCOMPARE(UserControl::convert(UnitValue(Unit::DegreeCelsius, 20.0f)), QStringLiteral("68.00 °F"));
    QCOMPARE(UserControl::convert(QDateTime(QDate(2024, 3, 5), QTime(14, 5))), QStringLiteral("3/5/24 2:05 PM"));
    QCOMPARE(UserControl::preferredUnit(Unit::RelativeHumidityRF), int(Unit::RelativeHumidityRH));

    owner.reset();
    QVERIFY(UserControl::instance().isNull());
    QCOMPARE(UserControl::convert(UnitValue(Unit::DegreeCelsius, 20.0f)), QStringLiteral("20,00 °C"));
}

void tst_UserControl::convertTime_data()
{
    QTest::addColumn<int>("seconds");
    QTest::addColumn<QString>("text");

    QTest::newRow("negative") << -5 << "000:00:00:00";
    QTest::newRow("a day, an hour, a minute, a second") << 90061 << "001:01:01:01";
    QTest::newRow("days are not cut") << 1000 * 86400 + 59 << "1000:00:00:59";
}

void tst_UserControl::convertTime()
{
    QFETCH(int, seconds);
    QFETCH(QString, text);
    QCOMPARE(UserControl::convertTime(seconds), text);
}

void tst_UserControl::userModel_hidesServiceAndRootOnly()
{
    UserControl control(false);
    QSignalSpy changed(&control, &UserControl::signalUserModelChanged);
    for (const char *name : {"service", "Service", "root", "anna"})
        control.addUser(user(uint(changed.count() + 1), name));

    QCOMPARE(changed.count(), 4);
    QQmlListProperty<UserModel> list = control.userModel();
    QCOMPARE(usernames(list), QStringList({"Service", "anna"}));
    QCOMPARE(list.at(&list, 2), nullptr);
    QVERIFY(control.findUser(1));
    QVERIFY(control.findUser(9).isNull());
}

void tst_UserControl::userLevels_data()
{
    QTest::addColumn<bool>("withoutAdvancedLevel");
    QTest::addColumn<bool>("laboratoryLevelEnabled");
    QTest::addColumn<QStringList>("levels");
    QTest::addColumn<QList<int>>("indexesOfLevels1To5");

    // A level that may not be assigned keeps the arithmetic position.
    QTest::newRow("defaults") << false << false << QStringList{"Basic", "Advanced", "Administrator"}
                              << QList<int>{0, 1, 2, 3, 4};
    QTest::newRow("laboratory") << false << true << QStringList{"Basic", "Advanced", "Administrator", "Laboratory"}
                                << QList<int>{0, 1, 2, 3, 3};
    QTest::newRow("without advanced") << true << false << QStringList{"Basic", "Administrator"}
                                      << QList<int>{0, 0, 1, 2, 3};
    QTest::newRow("both") << true << true << QStringList{"Basic", "Administrator", "Laboratory"}
                          << QList<int>{0, 0, 1, 2, 2};
}

void tst_UserControl::userLevels()
{
    QFETCH(bool, withoutAdvancedLevel);
    QFETCH(bool, laboratoryLevelEnabled);
    QFETCH(QStringList, levels);
    QFETCH(QList<int>, indexesOfLevels1To5);

    UserControl control(withoutAdvancedLevel);
    QSignalSpy changed(&control, &UserControl::signalUserLevelsChanged);
    control.setLaboratoryLevelEnabled(laboratoryLevelEnabled);
    control.setLaboratoryLevelEnabled(laboratoryLevelEnabled);
    QCOMPARE(changed.count(), laboratoryLevelEnabled ? 1 : 0);
    QCOMPARE(control.userLevels(), levels);
    QList<int> indexes;
    for (int level = 1; level <= 5; ++level)
        indexes.append(control.indexOfUserLevel(level));
    QCOMPARE(indexes, indexesOfLevels1To5);
}

void tst_UserControl::setCurrentUser_announcesLanguageThenUser()
{
    UserControl control(false);
    QStringList announced;
    connect(&control, &UserControl::signalLanguageChanged, this, [&] { announced.append("language"); });
    connect(&control, &UserControl::signalCurrentUserChanged, this, [&] { announced.append("user"); });

    control.setCurrentUser(UserModel::defaultUser());
    QCOMPARE(announced, QStringList());
    QVERIFY(!control.mailAddress().isNull());
    control.setCurrentUser(user(7, "anna", englishFahrenheit()));
    QCOMPARE(announced, QStringList({"language", "user"}));
    QCOMPARE(control.currentUserPreferences()->language(), QStringLiteral("English"));
    QCOMPARE(control.currentLanguage(), QLocale::English);
    control.setCurrentUser(user(7, "anna", englishFahrenheit()));
    QCOMPARE(announced.size(), 2);

    // Without preferences of his own the user sees the defaults.
    control.setCurrentUser(user(8, "ben"));
    QCOMPARE(control.currentUserPreferences()->language(), QStringLiteral("Deutsch"));
    QCOMPARE(control.currentLanguage(), QLocale::German);
}

void tst_UserControl::updateAndRemoveUser()
{
    UserControl control(false);
    control.setCurrentUser(user(7, "anna"));
    control.addUser(user(7, "anna"));
    QSignalSpy currentChanged(&control, &UserControl::signalCurrentUserChanged);

    UserData renamed = user(7, "anna");
    renamed.setFirstName("Anne");
    renamed.setMailAddress("anne@example.org");
    control.updateUser(renamed);
    QCOMPARE(currentChanged.count(), 1);
    QCOMPARE(control.mailAddress(), QStringLiteral("anne@example.org"));
    const QPointer<UserModel> model = control.findUser(7);
    QCOMPARE(model->userData().firstName(), QStringLiteral("Anne"));

    // The removed model is no longer the list's, so it must go by itself.
    control.removeUser(7);
    QCOMPARE(usernames(control.userModel()), QStringList());
    QTRY_VERIFY(model.isNull());
}

void tst_UserControl::qml_readsPropertiesAndCallsConversionsByName()
{
    UserControl control(true);
    control.addUser(user(1, "anna"));
    control.setAcceccControlEnabled(true);
    QCOMPARE(evaluateInQml(QVariant::fromValue(&control),
                           "[item.convertTime(90061), item.userLevels.length, item.userModel.length,"
                           " item.acceccControlEnabled, item.currentUserPreferences.language,"
                           " item.indexOfUserLevel(3)].join(' ')"),
             QVariant(QStringLiteral("001:01:01:01 2 1 true Deutsch 1")));
}

QTEST_MAIN(tst_UserControl)

#include "tst_usercontrol.moc"
