#include "gui/usermodel.h"

#include "support/qmlprobe.h"

#include <QtTest/QtTest>

using quelta::domain::types::UserData;
using quelta::gui::UserModel;

namespace {

UserData user(int level, const QDateTime &created = {})
{
    return UserData(3, "anna", "anna@example.org", "Anna", "Berg", {}, {}, created, {}, false, 0, true, level, {});
}

} // namespace

class tst_UserModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void setUserData_announcesOnlyAChange();
    void qml_readsTheRecordByName_data();
    void qml_readsTheRecordByName();
};

void tst_UserModel::setUserData_announcesOnlyAChange()
{
    UserModel model;
    QCOMPARE(model.userlevel(), 1);
    QSignalSpy changed(&model, &UserModel::signalDataChanged);
    model.setUserData(user(3));
    model.setUserData(user(3));
    QCOMPARE(changed.count(), 1);
}

void tst_UserModel::qml_readsTheRecordByName_data()
{
    QTest::addColumn<UserData>("record");
    QTest::addColumn<QString>("shown");

    // Dates in the default German short format, as no user is logged in.
    QTest::newRow("administrator") << user(3, QDateTime(QDate(2024, 3, 5), QTime(9, 0)))
                                   << "3|anna|Administrator|3|05.03.24||true";
    QTest::newRow("unknown level, no dates") << user(7) << "3|anna||7|||true";
}

void tst_UserModel::qml_readsTheRecordByName()
{
    QFETCH(UserData, record);
    QFETCH(QString, shown);

    UserModel model(record);
    QCOMPARE(evaluateInQml(QVariant::fromValue(&model),
                           "[item.userId, item.username, item.userlevelName, item.userlevel,"
                           " item.passwordCreation, item.passwordExpiration, item.isBanned].join('|')"),
             QVariant(shown));
}

QTEST_MAIN(tst_UserModel)

#include "tst_usermodel.moc"
