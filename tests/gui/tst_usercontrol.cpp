#include "gui/chambersignalmodel.h"
#include "gui/usercontrol.h"

#include "support/qmlprobe.h"
#include "support/userpreferences.h"

#include <QtTest/QtTest>

#include <limits>
#include <memory>

using namespace quelta::domain::types;
using quelta::gui::ChamberSignalModel;
using quelta::gui::UserControl;
using quelta::gui::UserModel;

namespace {

UserData user(uint id, const QString &loginName, bool withPreferences = false)
{
    return UserData(id, loginName, loginName + "@example.org", "First", "Last", {}, {},
                    QDateTime(QDate(2024, 3, 5), QTime(9, 0)), {}, false, 0, false, 7,
                    withPreferences ? QSharedPointer<LocalePreferences>::create(quelta::test::englishPreferences())
                                    : nullptr);
}

QStringList usernames(QQmlListProperty<UserModel> list)
{
    QStringList names;
    for (const UserModel *model : elementsOf(list))
        names.append(model->username());
    return names;
}

} // namespace

// The user and signal models show what the control's current user prefers,
// so they are tested here with it.
class tst_UserControl : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void conversions_followTheInstancesCurrentUser();
    void userLevels_data();
    void userLevels();
    void languageCodes_outsideTheOfferedOnesReadAsGerman_data();
    void languageCodes_outsideTheOfferedOnesReadAsGerman();
    void setCurrentUser_announcesLanguageThenUser();
    void users_areHiddenUpdatedAndRemoved();
    void qml_readsPropertiesAndCallsInvokablesByName();
};

void tst_UserControl::conversions_followTheInstancesCurrentUser()
{
    ChamberSignal temperature;
    temperature.setUnit(Unit::DegreeCelsius);
    const ChamberSignalModel signalModel(temperature);
    const UserModel userModel(user(1, "anna"));
    QCOMPARE(UserControl::convert(20.5f), "20,50");
    QCOMPARE(UserControl::convert(UnitValue(Unit::DegreeCelsius, QVariant())), "- °C");
    QCOMPARE(UserControl::convertNumber("1,5"), QVariant("1.5"));
    QVERIFY(UserControl::convert(QDateTime()).isNull());
    QCOMPARE(UserControl::convertTime(-5), "000:00:00:00");
    QCOMPARE(UserControl::convertTime(90061), "001:01:01:01");

    auto owner = std::make_unique<QObject>();
    const QPointer<UserControl> control = UserControl::singletonProvider(false, owner.get());
    QCOMPARE(UserControl::singletonProvider(true, nullptr), control);
    control->setCurrentUser(user(7, "anna", true));
    QCOMPARE(UserControl::convert(UnitValue(Unit::DegreeCelsius, 20.0f)), "68.00 °F");
    QCOMPARE(UserControl::convert(QDateTime(QDate(2024, 3, 5), QTime(14, 5))), "3/5/24 2:05 PM");
    QCOMPARE(userModel.passwordCreation(), "3/5/24");
    QCOMPARE(signalModel.signalUnit(), "°F");
    QCOMPARE(signalModel.upperLimit(), UnitValue(Unit::DegreeCelsius, ChamberSignal::NoUpperLimit));

    owner.reset();
    QVERIFY(UserControl::instance().isNull());
    QCOMPARE(signalModel.signalUnit(), "°C");
}

void tst_UserControl::userLevels_data()
{
    QTest::addColumn<bool>("withoutAdvancedLevel");
    QTest::addColumn<bool>("laboratoryLevelEnabled");
    QTest::addColumn<QStringList>("levels");
    QTest::addColumn<QList<int>>("indexesOfLevelsMinTo5");

    // A level that may not be assigned keeps the arithmetic position; the
    // smallest int used to overflow it.
    QTest::newRow("defaults") << false << false << QStringList{"Basic", "Advanced", "Administrator"}
                              << QList<int>{-1, -1, 0, 1, 2, 3, 4};
    QTest::newRow("without advanced") << true << false << QStringList{"Basic", "Administrator"}
                                      << QList<int>{-1, -1, 0, 0, 1, 2, 3};
    QTest::newRow("both") << true << true << QStringList{"Basic", "Administrator", "Laboratory"}
                          << QList<int>{-1, -1, 0, 0, 1, 2, 2};
}

void tst_UserControl::userLevels()
{
    QFETCH(bool, withoutAdvancedLevel);
    QFETCH(bool, laboratoryLevelEnabled);
    QFETCH(QStringList, levels);
    QFETCH(QList<int>, indexesOfLevelsMinTo5);

    UserControl control(withoutAdvancedLevel);
    QSignalSpy levelsChanged(&control, &UserControl::signalUserLevelsChanged);
    control.setLaboratoryLevelEnabled(laboratoryLevelEnabled);
    control.setLaboratoryLevelEnabled(laboratoryLevelEnabled);
    QCOMPARE(levelsChanged.count(), laboratoryLevelEnabled ? 1 : 0);
    QCOMPARE(control.userLevels(), levels);
    QList<int> indexes;
    for (const int level : {std::numeric_limits<int>::min(), 0, 1, 2, 3, 4, 5})
        indexes.append(control.indexOfUserLevel(level));
    QCOMPARE(indexes, indexesOfLevelsMinTo5);
}

void tst_UserControl::languageCodes_outsideTheOfferedOnesReadAsGerman_data()
{
    QTest::addColumn<int>("code");

    QTest::newRow("German") << int(QLocale::German);
    // Such codes reached QLocale unchecked, which read outside its tables.
    QTest::newRow("below every language") << -1;
    QTest::newRow("beyond every language") << 100000;
}

void tst_UserControl::languageCodes_outsideTheOfferedOnesReadAsGerman()
{
    QFETCH(int, code);

    auto owner = std::make_unique<QObject>();
    const QPointer<UserControl> control = UserControl::singletonProvider(false, owner.get());
    control->setCurrentUser(user(7, "anna"));
    LocalePreferences preferences = quelta::test::englishPreferences();
    preferences.setLocalization(code);
    preferences.setTimeFormat("HH:mm:ss AP");
    control->setCurrentUserPreferences(preferences);

    QCOMPARE(control->currentLanguage(), QLocale::German);
    QCOMPARE(UserControl::convertTime(QTime(14, 5, 9)), "14:05:09 PM");
    QCOMPARE(control->currentUserPreferences()->weekdaysList(),
             QStringList({"Montag", "Dienstag", "Mittwoch", "Donnerstag", "Freitag", "Samstag", "Sonntag"}));
}

void tst_UserControl::setCurrentUser_announcesLanguageThenUser()
{
    UserControl control(false);
    QStringList announced;
    connect(&control, &UserControl::signalLanguageChanged, this, [&] { announced.append("language"); });
    connect(&control, &UserControl::signalCurrentUserChanged, this, [&] { announced.append("user"); });

    control.setCurrentUser(UserModel().userData());
    QCOMPARE(announced, QStringList());
    control.setCurrentUser(user(7, "anna", true));
    control.setCurrentUser(user(7, "anna", true));
    QCOMPARE(announced, QStringList({"language", "user"}));
    QCOMPARE(control.currentUserPreferences()->language(), "English");
    // Without preferences of his own the user gets the defaults.
    control.setCurrentUser(user(8, "ben"));
    QCOMPARE(control.currentUserPreferences()->language(), "Deutsch");
}

void tst_UserControl::users_areHiddenUpdatedAndRemoved()
{
    UserControl control(false);
    control.setCurrentUser(user(7, "anna"));
    uint id = 4;
    for (const char *name : {"service", "Service", "root", "anna"})
        control.addUser(user(id++, name));
    QCOMPARE(usernames(control.userModel()), QStringList({"Service", "anna"}));

    QSignalSpy currentChanged(&control, &UserControl::signalCurrentUserChanged);
    const QPointer<UserModel> model = control.findUser(7);
    QSignalSpy modelChanged(model.data(), &UserModel::signalDataChanged);
    UserData renamed = user(7, "anna");
    renamed.setMailAddress("anne@example.org");
    control.updateUser(renamed);
    control.updateUser(renamed);
    QCOMPARE(currentChanged.count(), 2);
    QCOMPARE(modelChanged.count(), 1);
    QCOMPARE(control.mailAddress(), "anne@example.org");

    // The removed model is no longer the list's, so it must go by itself.
    control.removeUser(7);
    QCOMPARE(usernames(control.userModel()), QStringList({"Service"}));
    QTRY_VERIFY(model.isNull());
}

void tst_UserControl::qml_readsPropertiesAndCallsInvokablesByName()
{
    // The user list needs no registration of the test's own.
    UserControl control(true);
    control.addUser(user(1, "anna"));
    control.addUser(user(2, "root"));
    control.setAcceccControlEnabled(true);
    QCOMPARE(evaluateInQml(QVariant::fromValue(&control),
                           "[item.convertTime(90061), item.userLevels.length, item.acceccControlEnabled,"
                           " item.currentUserPreferences.language, item.indexOfUserLevel(3), item.userModel.length,"
                           " item.userModel[0].username, item.userModel[0].userlevel,"
                           " item.userModel[0].userlevelName, item.userModel[0].passwordCreation].join('|')"),
             QVariant("001:01:01:01|2|true|Deutsch|1|1|anna|7||05.03.24"));
    QCOMPARE(evaluateInQml(QVariant::fromValue(ChamberSignalModel()),
                           "[item.signalId, item.signalUnit, item.numericalValue, item.nDecimalPlaces].join('|')"),
             QVariant("-1||--|0"));
}

QTEST_GUILESS_MAIN(tst_UserControl)

#include "tst_usercontrol.moc"
