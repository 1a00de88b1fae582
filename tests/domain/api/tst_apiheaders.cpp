#include "domain/api/ialarmdatabaseconnection.h"
#include "domain/api/ichamberconnection.h"
#include "domain/api/ichamberconnectionprovider.h"
#include "domain/api/ichamberdatabaseconnection.h"
#include "domain/api/ichamberoperatingmodeconnection.h"
#include "domain/api/ichamberreply.h"
#include "domain/api/idataloggerreader.h"
#include "domain/api/iinitializing.h"
#include "domain/api/iprogramtransmitter.h"
#include "domain/api/iroomdatabaseconnection.h"
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
template<typename... Interfaces>
constexpr bool arePureInterfaces = ((std::is_abstract_v<Interfaces> && std::has_virtual_destructor_v<Interfaces>
                                     && !std::is_copy_constructible_v<Interfaces>
                                     && !std::is_copy_assignable_v<Interfaces>
                                     && !std::is_move_constructible_v<Interfaces>
                                     && !std::is_move_assignable_v<Interfaces>)
                                    && ...);

static_assert(arePureInterfaces<IAlarmDatabaseConnection, IChamberConnection, IChamberConnectionProvider,
                                IChamberDatabaseConnection, IChamberOperatingModeConnection, IChamberReply,
                                IDataLoggerReader, IInitializing, IProgramTransmitter, IRoomDatabaseConnection,
                                ISqlConnection, ISqlQuery, IUpdateManagement>);

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

#define INTERFACE_ROW(Interface)                                                                                       \
    QTest::newRow(#Interface) << QByteArray(qobject_interface_iid<Interface *>()) << QByteArray("domain::api::" #Interface)
    INTERFACE_ROW(IAlarmDatabaseConnection);
    INTERFACE_ROW(IChamberConnection);
    INTERFACE_ROW(IChamberConnectionProvider);
    INTERFACE_ROW(IChamberDatabaseConnection);
    INTERFACE_ROW(IChamberOperatingModeConnection);
    INTERFACE_ROW(IChamberReply);
    INTERFACE_ROW(IDataLoggerReader);
    INTERFACE_ROW(IInitializing);
    INTERFACE_ROW(IProgramTransmitter);
    INTERFACE_ROW(IRoomDatabaseConnection);
    INTERFACE_ROW(ISqlConnection);
    INTERFACE_ROW(ISqlQuery);
    INTERFACE_ROW(IUpdateManagement);
#undef INTERFACE_ROW
}

void tst_ApiHeaders::interfaceId_isNamespacedClassName()
{
    QFETCH(QByteArray, id);
    QFETCH(QByteArray, expected);

    QCOMPARE(id, expected);
}

QTEST_GUILESS_MAIN(tst_ApiHeaders)

#include "tst_apiheaders.moc"
