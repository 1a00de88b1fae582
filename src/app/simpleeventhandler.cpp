#include "app/simpleeventhandler.h"

#include "app/connectionkindrule.h"
#include "connection/database/core/databasekey.h"
#include "connection/database/stores/failedreadwatch.h"
#include "domain/types/chambertypedata.h"

#include <QtCore/QLoggingCategory>
#include <QtQml/QQmlContext>

using namespace quelta::domain::types;
using quelta::base::connection::chamberconnection::ChamberConnectionFactory;
using quelta::base::connection::databaseconnection::DatabaseKey;
using quelta::base::connection::databaseconnection::FailedReadWatch;
using quelta::gui::ChamberCreationModel;

namespace {

Q_LOGGING_CATEGORY(lcSimpleEventHandler, "quelta.SimpleEventHandler")

// The configuration database's connection name.
const QLatin1String ConfigurationConnectionName("configuration");

// How long the automatic search listens for answers.
constexpr int BroadcastDurationMs = 6000;

// The read address of the type's first signal, in signal-id order, that can
// be read; null when none can.
ChamberSignal::AddressPointer firstReadAddress(const ChamberTypeData &chamberType)
{
    const QMap<int, ChamberSignal> typeSignals = chamberType.signals();
    for (const ChamberSignal &chamberSignal : typeSignals) {
        if (chamberSignal.readAddress())
            return chamberSignal.readAddress();
    }
    return {};
}

} // namespace

SimpleEventHandler::SimpleEventHandler(QObject *parent)
    : QObject(parent)
    , m_sqliteConnection(ConfigurationConnectionName)
{
    // Only the stores' reports tell a catalogue read that failed from the
    // catalogue's answer, and the facade repeats them only once asked to.
    m_databaseConnection.connectErrorSignals();
    // The factory connected its own clean-up earlier, so it runs first.
    connect(&m_connectionFactory, &ChamberConnectionFactory::communicationCheckFinished, this,
            &SimpleEventHandler::communicationCheckFinished);
}

SimpleEventHandler::~SimpleEventHandler()
{
    // The members go before QObject's destructor would drop these
    // connections: a check or a search that ends while they go must not
    // reach the half-destroyed handler.
    disconnect(&m_connectionFactory, nullptr, this, nullptr);
}

bool SimpleEventHandler::initialize(QQmlContext *rootContext, const QString &databasePath)
{
    startInitialization(rootContext, databasePath);
    return finishInitialization();
}

void SimpleEventHandler::startInitialization(QQmlContext *rootContext, const QString &databasePath)
{
    rootContext->setContextProperty(QStringLiteral("eventHandler"), this);
    rootContext->setContextProperty(QStringLiteral("ChamberCreationControlProperty"), &m_chamberCreationControl);
    rootContext->setContextProperty(QStringLiteral("ChamberTypeModelProperty"), &m_chamberTypeModel);
    rootContext->setContextProperty(QStringLiteral("ChamberTypeFilterModelProperty"), &m_chamberTypeFilterModel);

    // One database serves as the configuration and the data database. The
    // facade only hands the connection to its stores, so it may go first.
    m_databaseConnection.open(&m_sqliteConnection, &m_sqliteConnection);
    m_databaseOpened = std::async(std::launch::async, [this, databasePath] {
        return m_sqliteConnection.open(databasePath, QString(), QString(), DatabaseKey);
    });
}

bool SimpleEventHandler::finishInitialization()
{
    Q_ASSERT(m_databaseOpened.valid());
    if (!m_databaseOpened.get())
        return false;

    // The list is read once for the whole run: a list that a failed read
    // left empty or incomplete would stand for the catalogue until the end.
    const FailedReadWatch watch(&m_databaseConnection);
    const QList<ChamberTypeData> chamberTypes = m_databaseConnection.getChamberTypes(false);
    if (watch.hasFailed()) {
        qCCritical(lcSimpleEventHandler) << "The chamber types could not be read from the configuration database";
        return false;
    }
    m_chamberTypeFilterModel.setSourceModel(&m_chamberTypeModel);
    m_chamberTypeModel.addChamberTypes(chamberTypes);
    return true;
}

void SimpleEventHandler::slotStartChamberBroadcast()
{
    if (m_broadcastRunning)
        return;
    m_broadcastRunning = true;
    m_foundChambers.clear();

    m_chamberCreationControl.addAvailableSerialChambers(m_connectionFactory.availablePorts());
    if (m_connectionFactory.startChamberBroadcast(BroadcastDurationMs)) {
        connect(&m_connectionFactory, &ChamberConnectionFactory::networkChamberFound, this,
                &SimpleEventHandler::networkChamberFound);
        connect(&m_connectionFactory, &ChamberConnectionFactory::chamberBroadcastFinished, this,
                &SimpleEventHandler::chamberBroadcastFinished);
    }
}

void SimpleEventHandler::slotCheckCommunication(ChamberCreationModel *chamberModel)
{
    if (!chamberModel) {
        qCWarning(lcSimpleEventHandler) << "Communication check without a search result: nothing to check";
        return;
    }
    ChamberData chamber = chamberModel->chamberData();
    const FailedReadWatch watch(&m_databaseConnection);
    const ChamberTypeData chamberType = m_databaseConnection.getChamberType(chamber.chamberTypeKey(), true);
    // A type whose signals or interfaces could not be read only looks as if
    // it had none: the check is not made rather than failed.
    if (watch.hasFailed()) {
        reportCheckResult(chamber, ActivationState::STATE_UNDEFINED, "its chamber type could not be read");
        return;
    }
    if (chamberType == ChamberTypeData()) {
        reportCheckResult(chamber, ActivationState::STATE_UNDEFINED, "its chamber type is not in the catalogue");
        return;
    }
    settleConnectionKind(chamber, chamberType.interfaces());
    const ChamberSignal::AddressPointer checkAddress = firstReadAddress(chamberType);
    if (!checkAddress) {
        reportCheckResult(chamber, ActivationState::STATE_INACTIVE, "its chamber type has no readable signal");
        return;
    }
    if (!m_connectionFactory.checkCommunication(chamber, *checkAddress))
        reportCheckResult(chamber, ActivationState::STATE_INACTIVE, "the check was refused");
}

void SimpleEventHandler::slotStopCheckCommunication()
{
    m_connectionFactory.stopCheckCommunication();
}

void SimpleEventHandler::slotCreateChamber(ChamberCreationModel *chamberModel)
{
    if (!chamberModel) {
        qCWarning(lcSimpleEventHandler) << "Chamber creation without a search result: nothing to create";
        return;
    }
    Q_EMIT signalChamberCreated();
}

void SimpleEventHandler::networkChamberFound(const NetworkConfiguration &networkConfiguration)
{
    m_foundChambers.append(networkConfiguration);
}

void SimpleEventHandler::chamberBroadcastFinished()
{
    m_broadcastRunning = false;
    disconnect(&m_connectionFactory, &ChamberConnectionFactory::networkChamberFound, this,
               &SimpleEventHandler::networkChamberFound);
    disconnect(&m_connectionFactory, &ChamberConnectionFactory::chamberBroadcastFinished, this,
               &SimpleEventHandler::chamberBroadcastFinished);
    // A copy: a window that starts the next search from the results' signals
    // empties the list.
    const QList<NetworkConfiguration> foundChambers = m_foundChambers;
    m_chamberCreationControl.addNetworkChambers(foundChambers, false);
}

void SimpleEventHandler::communicationCheckFinished(const ChamberData &chamberData,
                                                    ActivationState::State initialActivationState)
{
    m_chamberCreationControl.handleCommunicationCheckResult(chamberData, initialActivationState);
}

void SimpleEventHandler::reportCheckResult(const ChamberData &chamberData, ActivationState::State state,
                                           const char *reason)
{
    qCInfo(lcSimpleEventHandler).noquote()
        << "Communication check of" << chamberData.chamberName() << "ends at once as" << state << "-" << reason;
    m_chamberCreationControl.handleCommunicationCheckResult(chamberData, state);
}
