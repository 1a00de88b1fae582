#include "gui/chambercreationcontrol.h"

#include "connection/chamber/core/serialportnaming.h"
#include "gui/assignifchanged.h"
#include "gui/readonlylistproperty.h"

#include <QtSerialPort/QSerialPortInfo>

#include <algorithm>

namespace quelta::gui {

using quelta::base::connection::chamberconnection::SerialPortNaming;
using quelta::domain::types::ActivationState;
using quelta::domain::types::ChamberData;
using quelta::domain::types::MacAddress;
using quelta::domain::types::NetworkConfiguration;

namespace {

const QString ComPrefix = QStringLiteral("COM");

quint32 networkKey(const QHostAddress &address)
{
    return address.toIPv4Address();
}

// The number of a COM name; 0 when the rest is no number.
quint32 serialKey(const QString &comPort)
{
    QString number = comPort;
    number.remove(ComPrefix);
    bool ok = false;
    const uint key = number.toUInt(&ok, 10);
    return ok ? key : 0;
}

bool isDecimalGroup(const QString &group)
{
    const auto isDigit = [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); };
    return !group.isEmpty() && std::all_of(group.cbegin(), group.cend(), isDigit);
}

// Four decimal groups of 0 to 255, white space around them allowed; any
// other text gives a null address. The search page's address fields hold up
// to three digits each and invite zero-padding ("192.168.001.010"), which
// QHostAddress would read as octal (192.168.1.8); it would also take "07",
// "1.2.3" or an IPv6 text for an address.
QHostAddress addressFromText(const QString &text)
{
    const QStringList groups = text.trimmed().split(QLatin1Char('.'));
    if (groups.size() != 4 || !std::all_of(groups.cbegin(), groups.cend(), isDecimalGroup))
        return QHostAddress();

    quint32 address = 0;
    for (const QString &group : groups) {
        bool ok = false;
        const uint value = group.toUInt(&ok, 10);
        if (!ok || value > 255)
            return QHostAddress();
        address = (address << 8) | value;
    }
    return QHostAddress(address);
}

} // namespace

ChamberCreationControl::ChamberCreationControl(QObject *parent)
    : QObject(parent)
    , m_portNamesSource(&SerialPortNaming::availablePortNames)
{
    connect(this, &ChamberCreationControl::signalInterfaceFilterChanged, this,
            &ChamberCreationControl::signalChamberModelChanged);
    connect(this, &ChamberCreationControl::signalKnownFilterChanged, this,
            &ChamberCreationControl::signalChamberModelChanged);
    connect(this, &ChamberCreationControl::signalChamberModelChanged, this,
            &ChamberCreationControl::signalSelectedCountsChanged);
}

QQmlListProperty<ChamberCreationModel> ChamberCreationControl::chamberModels()
{
    return readOnlyListProperty<&ChamberCreationControl::filteredChamberModels>(this);
}

QQmlListProperty<ChamberCreationModel> ChamberCreationControl::selectedChamberModel()
{
    return readOnlyListProperty<&ChamberCreationControl::selectedModels>(this);
}

int ChamberCreationControl::selectedCounts() const
{
    return selectedModels().size();
}

int ChamberCreationControl::selectedCreatedCounts() const
{
    const QList<ChamberCreationModel *> selected = selectedModels();
    return static_cast<int>(std::count_if(selected.cbegin(), selected.cend(), [](const ChamberCreationModel *model) {
        return model->creationState() == ChamberCreationModel::CREATED;
    }));
}

int ChamberCreationControl::selectedCheckedCounts() const
{
    const QList<ChamberCreationModel *> selected = selectedModels();
    return static_cast<int>(std::count_if(selected.cbegin(), selected.cend(), [](const ChamberCreationModel *model) {
        return model->activationState() != ActivationState::STATE_UNDEFINED;
    }));
}

void ChamberCreationControl::setInterfaceFilter(int filter)
{
    if (assignIfChanged(m_interfaceFilter, filter))
        Q_EMIT signalInterfaceFilterChanged();
}

void ChamberCreationControl::setKnownFilter(int filter)
{
    if (assignIfChanged(m_knownFilter, filter))
        Q_EMIT signalKnownFilterChanged();
}

void ChamberCreationControl::addIpChamber(const QString &ipAddress)
{
    const NetworkConfiguration configuration(addressFromText(ipAddress), MacAddress(), ChamberData::NoConverter);
    addNetworkChambers({configuration}, true);
}

void ChamberCreationControl::addSerialChambers(const QString &comPort, int count)
{
    const SerialPortNaming naming(m_portNamesSource());
    if (naming.portName(comPort).isNull()) {
        Q_EMIT signalError(tr("'%1' is not valid").arg(comPort));
        return;
    }
    QStringList comNames;
    for (int i = 0; i < count; ++i)
        comNames.append(comPort);
    addSerialPorts(comNames);
}

void ChamberCreationControl::clear()
{
    clearSearchResults();
    setInterfaceFilter(INTERFACES_ALL);
    setKnownFilter(ALL);
}

void ChamberCreationControl::clearSearchResults()
{
    ResultMap newResults;
    ResultMap knownResults;
    newResults.swap(m_newChamberModels);
    knownResults.swap(m_knownChamberModels);

    // The pages see the empty lists while every result still exists.
    Q_EMIT signalChamberModelChanged();

    // Deferred: the page that cleared may be running a handler of one of the
    // results, and QML drops its references to them only on a later turn.
    for (ChamberCreationModel *model : qAsConst(newResults))
        model->deleteLater();
    for (ChamberCreationModel *model : qAsConst(knownResults))
        model->deleteLater();
    m_currentModel.clear();
}

int ChamberCreationControl::getFirstUncreatedIndex(int currentIndex)
{
    const QList<ChamberCreationModel *> selected = selectedModels();
    for (int position = 0; position < selected.size(); ++position) {
        if (position != currentIndex && selected.at(position)->creationState() == ChamberCreationModel::NOT_CREATED) {
            m_currentModel = selected.at(position);
            return position;
        }
    }
    m_currentModel.clear();
    return -1;
}

int ChamberCreationControl::getNextUncheckedIndex(int currentIndex)
{
    const QList<ChamberCreationModel *> selected = selectedModels();
    const int count = selected.size();
    // After currentIndex to the end, then from the start up to it.
    const int start = std::clamp(currentIndex + 1, 0, count);
    for (int step = 0; step < count; ++step) {
        const int position = (start + step) % count;
        if (position == currentIndex)
            break;
        if (selected.at(position)->activationState() == ActivationState::STATE_UNDEFINED) {
            m_currentModel = selected.at(position);
            return position;
        }
    }
    return currentIndex;
}

void ChamberCreationControl::setCurrentSelectedModel(int currentIndex)
{
    m_currentModel = selectedModels().value(currentIndex);
}

void ChamberCreationControl::addNetworkChambers(const QList<NetworkConfiguration> &configurations,
                                                bool manuallyConfigured)
{
    for (const NetworkConfiguration &configuration : configurations)
        insert(m_newChamberModels, networkKey(configuration.address()),
               new ChamberCreationModel(configuration, manuallyConfigured));
    Q_EMIT signalChamberModelChanged();
    Q_EMIT signalBroadcastFinished();
}

void ChamberCreationControl::addAvailableSerialChambers(const QList<QSerialPortInfo> &ports)
{
    QStringList portNames;
    for (const QSerialPortInfo &port : ports)
        portNames.append(port.portName());

    const SerialPortNaming naming(portNames);
    QStringList comNames;
    for (const QString &portName : qAsConst(portNames))
        comNames.append(naming.comName(portName));
    addSerialPorts(comNames);
}

void ChamberCreationControl::addKnownChambers(const QList<ChamberData> &chambers)
{
    for (const ChamberData &chamber : chambers) {
        const quint32 key =
            chamber.ipAddress().isNull() ? serialKey(chamber.comPort()) : networkKey(chamber.ipAddress());
        insert(m_knownChamberModels, key, new ChamberCreationModel(chamber));
    }
    Q_EMIT signalChamberModelChanged();
}

void ChamberCreationControl::handleCommunicationCheckResult(const ChamberData &chamberData,
                                                            ActivationState::State state)
{
    if (m_currentModel)
        m_currentModel->setActivationState(state);

    if (state == ActivationState::STATE_ACTIVE)
        Q_EMIT chamberCommunicationCheckSuccessful(chamberData.chamberName());
    else
        Q_EMIT chamberCommunicationCheckFailed(chamberData.chamberName());
}

void ChamberCreationControl::setChamberCreated(const ChamberData &chamberData, bool created)
{
    const auto matches = [&chamberData](const ChamberCreationModel *model) {
        if (!model->isSelected() || model->creationState() == ChamberCreationModel::CREATED)
            return false;
        const ChamberData &result = model->chamberData();
        if (model->isSerial())
            return result.comPort() == chamberData.comPort() && result.modbusAddress() == chamberData.modbusAddress();
        return result.ipAddress() == chamberData.ipAddress();
    };
    const auto found = std::find_if(m_newChamberModels.cbegin(), m_newChamberModels.cend(), matches);
    if (found != m_newChamberModels.cend())
        (*found)->setCreationState(created ? ChamberCreationModel::CREATED : ChamberCreationModel::NOT_CREATED);
}

void ChamberCreationControl::setPortNamesSource(PortNamesSource source)
{
    m_portNamesSource = std::move(source);
}

void ChamberCreationControl::insert(ResultMap &map, quint32 key, ChamberCreationModel *model)
{
    model->setParent(this);
    connect(model, &ChamberCreationModel::signalSelectionStateChanged, this,
            &ChamberCreationControl::signalSelectedCountsChanged);
    connect(model, &ChamberCreationModel::signalCreationStateChanged, this,
            &ChamberCreationControl::signalSelectedCreatedCountsChanged);
    connect(model, &ChamberCreationModel::signalActivationStateChanged, this,
            &ChamberCreationControl::signalSelectedCheckedCountsChanged);
    // A multi-map puts a new entry before the older ones with the same key,
    // which is the order the result list shows.
    map.insert(key, model);
}

void ChamberCreationControl::addSerialPorts(const QStringList &comNames)
{
    for (const QString &comName : comNames)
        insert(m_newChamberModels, serialKey(comName), new ChamberCreationModel(comName));
    Q_EMIT signalChamberModelChanged();
}

bool ChamberCreationControl::passesInterfaceFilter(const ChamberCreationModel *model) const
{
    if (!model)
        return false;
    if (m_interfaceFilter == INTERFACES_ALL)
        return true;
    if (m_interfaceFilter == INTERFACES_IP)
        return !model->isSerial();
    return model->isSerial();
}

QList<ChamberCreationModel *> ChamberCreationControl::filtered(const ResultMap &map) const
{
    QList<ChamberCreationModel *> models;
    for (ChamberCreationModel *model : map) {
        if (passesInterfaceFilter(model))
            models.append(model);
    }
    return models;
}

QList<ChamberCreationModel *> ChamberCreationControl::filteredChamberModels() const
{
    switch (m_knownFilter) {
    case ALL:
        return filtered(m_newChamberModels) + filtered(m_knownChamberModels);
    case ONLY_NEW:
        return filtered(m_newChamberModels);
    case ONLY_KNOWN:
        return filtered(m_knownChamberModels);
    }
    return {};
}

QList<ChamberCreationModel *> ChamberCreationControl::selectedModels() const
{
    QList<ChamberCreationModel *> models = filtered(m_newChamberModels);
    models.erase(std::remove_if(models.begin(), models.end(),
                                [](const ChamberCreationModel *model) { return !model->isSelected(); }),
                 models.end());
    return models;
}

} // namespace quelta::gui
