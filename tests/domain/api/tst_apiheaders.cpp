#include "domain/api/ichamberconnection.h"
#include "domain/api/ichamberconnectionprovider.h"
#include "domain/api/ichamberoperatingmodeconnection.h"
#include "domain/api/ichamberreply.h"
#include "domain/api/idataloggerreader.h"
#include "domain/api/iinitializing.h"
#include "domain/api/iprogramtransmitter.h"
#include "domain/api/isqlconnection.h"
#include "domain/api/isqlquery.h"
#include "domain/api/iupdatemanagement.h"
#include "domain/api/metatypes.h"

#include <QtTest/QtTest>

#include <type_traits>

using namespace quelta::domain::api;

namespace {

// An interface can only be implemented, never built, copied or moved on its
// own, and an implementation dies correctly through an interface pointer.
template<typename Interface>
constexpr bool isPureInterface = std::is_abstract_v<Interface> && std::has_virtual_destructor_v<Interface>
    && !std::is_copy_constructible_v<Interface> && !std::is_copy_assignable_v<Interface>
    && !std::is_move_constructible_v<Interface> && !std::is_move_assignable_v<Interface>;

static_assert(isPureInterface<IChamberConnection>);
static_assert(isPureInterface<IChamberConnectionProvider>);
static_assert(isPureInterface<IChamberOperatingModeConnection>);
static_assert(isPureInterface<IChamberReply>);
static_assert(isPureInterface<IDataLoggerReader>);
static_assert(isPureInterface<IInitializing>);
static_assert(isPureInterface<IProgramTransmitter>);
static_assert(isPureInterface<ISqlConnection>);
static_assert(isPureInterface<ISqlQuery>);
static_assert(isPureInterface<IUpdateManagement>);

} // namespace

class tst_ApiHeaders : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void interfaceId_isNamespacedClassName_data();
    void interfaceId_isNamespacedClassName();
};

// Code that knows an interface only by name asks qt_metacast() for these ids.
void tst_ApiHeaders::interfaceId_isNamespacedClassName_data()
{
    QTest::addColumn<QByteArray>("id");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("IChamberConnection")
        << QByteArray(qobject_interface_iid<IChamberConnection *>()) << QByteArray("domain::api::IChamberConnection");
    QTest::newRow("IChamberConnectionProvider")
        << QByteArray(qobject_interface_iid<IChamberConnectionProvider *>())
        << QByteArray("domain::api::IChamberConnectionProvider");
    QTest::newRow("IChamberOperatingModeConnection")
        << QByteArray(qobject_interface_iid<IChamberOperatingModeConnection *>())
        << QByteArray("domain::api::IChamberOperatingModeConnection");
    QTest::newRow("IChamberReply")
        << QByteArray(qobject_interface_iid<IChamberReply *>()) << QByteArray("domain::api::IChamberReply");
    QTest::newRow("IDataLoggerReader")
        << QByteArray(qobject_interface_iid<IDataLoggerReader *>()) << QByteArray("domain::api::IDataLoggerReader");
    QTest::newRow("IInitializing")
        << QByteArray(qobject_interface_iid<IInitializing *>()) << QByteArray("domain::api::IInitializing");
    QTest::newRow("IProgramTransmitter")
        << QByteArray(qobject_interface_iid<IProgramTransmitter *>()) << QByteArray("domain::api::IProgramTransmitter");
    QTest::newRow("ISqlConnection")
        << QByteArray(qobject_interface_iid<ISqlConnection *>()) << QByteArray("domain::api::ISqlConnection");
    QTest::newRow("ISqlQuery") << QByteArray(qobject_interface_iid<ISqlQuery *>()) << QByteArray("domain::api::ISqlQuery");
    QTest::newRow("IUpdateManagement")
        << QByteArray(qobject_interface_iid<IUpdateManagement *>()) << QByteArray("domain::api::IUpdateManagement");
}

void tst_ApiHeaders::interfaceId_isNamespacedClassName()
{
    QFETCH(QByteArray, id);
    QFETCH(QByteArray, expected);

    QCOMPARE(id, expected);
}

QTEST_GUILESS_MAIN(tst_ApiHeaders)

#include "tst_apiheaders.moc"
