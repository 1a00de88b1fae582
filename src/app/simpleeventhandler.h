#pragma once

#include "connection/chamber/chamberconnectionfactory.h"
#include "connection/database/core/sqliteconnection.h"
#include "connection/database/facade/databaseconnection.h"
#include "domain/types/activationstate.h"
#include "domain/types/chamberdata.h"
#include "domain/types/networkconfiguration.h"
#include "gui/chambercreationcontrol.h"
#include "gui/chambertypefiltermodel.h"
#include "gui/chambertypemodel.h"

#include <QtCore/QList>
#include <QtCore/QObject>

#include <future>

class QQmlContext;

// The one object that the window talks to. It owns every working object of
// the program for the whole run: the connection factory, the search results,
// the chamber-type catalogue with its filter, the database facade and the
// configuration database's connection. It publishes them to QML, opens the
// configuration database, and turns the window's requests into calls on the
// factory and the stores, whose answers go to the search results.
//
// One search at a time: a start request while a search runs is ignored. A
// communication check reports its outcome on the search results' current
// result, whether it comes from the factory or, when the handler decides it
// at once (a chamber type missing from the catalogue or without a readable
// signal, a check the factory refuses), from the handler itself. A check
// whose chamber type could not be read from the catalogue is not made: it
// ends undefined, as does one of a type that the catalogue lacks.
class SimpleEventHandler : public QObject
{
    Q_OBJECT

public:
    explicit SimpleEventHandler(QObject *parent = nullptr);
    ~SimpleEventHandler() override;

    // Publishes the handler and its models on rootContext, opens the
    // configuration database at databasePath and loads the chamber types.
    // False when the database cannot be opened or the chamber types cannot
    // be read from it; nothing is loaded then.
    [[nodiscard]] bool initialize(QQmlContext *rootContext, const QString &databasePath);
    // initialize() in two halves, for a caller that works meanwhile:
    // opening the database derives its key, which takes as long as much of
    // the rest of start-up. The first publishes and wires as initialize() does
    // and starts opening the database on a thread of its own; the second
    // waits for it and loads the chamber types, and reports false as
    // initialize() does. Nothing else may use the handler in between.
    void startInitialization(QQmlContext *rootContext, const QString &databasePath);
    [[nodiscard]] bool finishInitialization();

Q_SIGNALS:
    void signalChamberCreated();

public Q_SLOTS:
    // Lists the PC's serial ports as results at once and searches the
    // networks for 6000 ms; the page clears the earlier results first.
    void slotStartChamberBroadcast();
    void slotCheckCommunication(quelta::gui::ChamberCreationModel *chamberModel);
    // Ends a running check as undefined.
    void slotStopCheckCommunication();
    // Only tells the window; nothing is stored.
    void slotCreateChamber(quelta::gui::ChamberCreationModel *chamberModel);

    void networkChamberFound(const quelta::domain::types::NetworkConfiguration &networkConfiguration);
    void chamberBroadcastFinished();
    void communicationCheckFinished(const quelta::domain::types::ChamberData &chamberData,
                                    quelta::domain::types::ActivationState::State initialActivationState);

private:
    // An outcome that the handler decides without the factory, delivered
    // the way the factory's are.
    void reportCheckResult(const quelta::domain::types::ChamberData &chamberData,
                           quelta::domain::types::ActivationState::State state, const char *reason);

    quelta::base::connection::chamberconnection::ChamberConnectionFactory m_connectionFactory;
    quelta::gui::ChamberCreationControl m_chamberCreationControl;
    quelta::gui::ChamberTypeModel m_chamberTypeModel;
    quelta::gui::ChamberTypeFilterModel m_chamberTypeFilterModel;
    quelta::base::connection::databaseconnection::DatabaseConnection m_databaseConnection;
    quelta::base::connection::databaseconnection::SqliteConnection m_sqliteConnection;
    // A search started here has not ended yet.
    bool m_broadcastRunning = false;
    // The answers of the running search.
    QList<quelta::domain::types::NetworkConfiguration> m_foundChambers;
    // Whether the configuration database opened, until
    // finishInitialization() takes it.
    std::future<bool> m_databaseOpened;
};
