#include "gui/chamberdataprovider.h"

#include "gui/applicationsettings.h"
#include "gui/assignifchanged.h"
#include "gui/chambersignalmodel.h"
#include "gui/chambertypedisplay.h"
#include "gui/readonlylistproperty.h"

#include <QtCore/QCoreApplication>
#include <QtQml/QQmlEngine>

#include <algorithm>
#include <utility>

namespace quelta::gui {

using domain::types::ActivationState;
using domain::types::ChamberData;
using domain::types::ChamberLocation;
using domain::types::ChamberOperationMode;
using domain::types::ChamberSignal;
using domain::types::ChamberTypeData;
using domain::types::ProgramProgress;
using domain::types::SetpointValue;
using domain::types::SignalId;
using domain::types::ToleranceRange;

namespace {

const QString NoEntryText = QStringLiteral("--");

// Direct TCP connections need no converter.
constexpr int TcpProtocol = 2;

// Empty when the settings file does not name the directory.
QString readChamberImageDirectory()
{
    return ApplicationSettings::value(ApplicationSettings::ChamberImageDirectoryKey).toString();
}

const QMap<int, QString> &converterNameTable()
{
    static const QMap<int, QString> names{
        {0, ChamberDataProvider::tr("ComServer")},
        {1, ChamberDataProvider::tr("XPort")},
    };
    return names;
}

// Start-up registers the provider alone as a QML type; documents read its
// values through a list whose element type QML must know as well. Runs when
// the application object is made.
void registerTypes()
{
    qRegisterMetaType<QPointer<ChamberDataProvider>>();
    qmlRegisterAnonymousType<ChamberValueModel>("ChamberDataProvider", 1);
}
Q_COREAPP_STARTUP_FUNCTION(registerTypes)

} // namespace

ChamberDataProvider::ChamberDataProvider(QObject *parent)
    : QObject(parent)
    , m_imageDirectory(readChamberImageDirectory())
{
    for (int i = 0; i < ValueCount; ++i)
        m_values.append(new ChamberValueModel(this));
    connectValues();
}

ChamberDataProvider::ChamberDataProvider(const ChamberData &chamber, const ChamberTypeData &chamberType,
                                         const QPointer<RoomModel> &room, QObject *parent)
    : QObject(parent)
    , m_room(room)
    , m_chamber(chamber)
    , m_chamberType(chamberType)
    , m_imageDirectory(readChamberImageDirectory())
{
    for (int i = 0; i < ValueCount; ++i)
        m_values.append(new ChamberValueModel(chamber, this));
    connectValues();
}

ChamberDataProvider::~ChamberDataProvider()
{
    // Taken out of the list first, so that whatever reads the list while a
    // value goes finds none.
    qDeleteAll(std::exchange(m_values, {}));
}

void ChamberDataProvider::connectValues()
{
    for (const ChamberValueModel *value : qAsConst(m_values)) {
        connect(value, &ChamberValueModel::signalValueInToleranceRangeChanged, this,
                &ChamberDataProvider::signalValueNotInToleranceRangeChanged);
    }
}

QString ChamberDataProvider::chamberType() const
{
    return m_chamberType.displayName();
}

QString ChamberDataProvider::chamberInterface() const
{
    if (!m_chamber.ipAddress().isNull())
        return m_chamber.ipAddress().toString();
    if (!m_chamber.comPort().isNull())
        return m_chamber.comPort();
    return QLatin1String("");
}

QString ChamberDataProvider::modbusAddress() const
{
    return m_chamber.modbusAddress() == 0 ? QString() : QString::number(m_chamber.modbusAddress());
}

QString ChamberDataProvider::converter() const
{
    if (m_chamber.protocol() == TcpProtocol)
        return QString();
    return converterNameTable().value(m_chamber.converter());
}

QStringList ChamberDataProvider::converterNames() const
{
    return converterNameTable().values();
}

QString ChamberDataProvider::image() const
{
    if (m_chamberType.image().isNull())
        return NoChamberImage;
    return QStringLiteral("file:///%1/%2").arg(m_imageDirectory, m_chamberType.image());
}

QString ChamberDataProvider::roomName() const
{
    return m_room ? m_room->roomName() : QString();
}

ActivationState::State ChamberDataProvider::activationState() const
{
    return static_cast<ActivationState::State>(m_chamber.activationState());
}

QString ChamberDataProvider::activationStateString() const
{
    switch (activationState()) {
    case ActivationState::STATE_INACTIVE:
        return tr("Offline");
    case ActivationState::STATE_ACTIVE:
        return tr("Online");
    case ActivationState::STATE_ACTIVATING:
        return tr("Verbinden...");
    case ActivationState::STATE_DEACTIVATING:
        return tr("Trennen...");
    default:
        return QStringLiteral("-");
    }
}

bool ChamberDataProvider::isUsed() const
{
    if (activationState() != ActivationState::STATE_ACTIVE)
        return false;
    return !m_recordingName.isNull() || programActive();
}

QString ChamberDataProvider::recordingName() const
{
    return m_recordingName.isEmpty() ? NoEntryText : m_recordingName;
}

bool ChamberDataProvider::needsTransitionTypeOnStart() const
{
    return m_chamberType.controller() == QLatin1String("QX1");
}

// A program name counts while a progress of its kind is under way.
bool ChamberDataProvider::isProgramShown(const QString &programName, bool interpreted) const
{
    return !programName.isNull() && m_programProgress.isValid() && m_programProgress.isInterpreted() == interpreted;
}

QString ChamberDataProvider::programName() const
{
    if (isProgramShown(m_controllerProgramName, false))
        return m_controllerProgramName;
    if (isProgramShown(m_interpretedProgramName, true))
        return m_interpretedProgramName;
    return NoEntryText;
}

bool ChamberDataProvider::programActive() const
{
    return isProgramShown(m_controllerProgramName, false) || isProgramShown(m_interpretedProgramName, true);
}

QString ChamberDataProvider::userName() const
{
    return m_userName.isEmpty() ? NoEntryText : m_userName;
}

QSize ChamberDataProvider::chamberSize() const
{
    const int size = m_chamberType.size();
    if (size < 1)
        return QSize(100, 80);
    if (size < 150)
        return QSize(60, 48);
    if (size < 240)
        return QSize(100, 80);
    if (size < 700)
        return QSize(140, 112);
    return QSize(160, 128);
}

QQmlListProperty<ChamberValueModel> ChamberDataProvider::values()
{
    return readOnlyListProperty<&ChamberDataProvider::valueModels>(this);
}

bool ChamberDataProvider::anyValueNotInToleranceRange() const
{
    return std::any_of(m_values.cbegin(), m_values.cend(),
                       [](const ChamberValueModel *value) { return !value->isValueInToleranceRange(); });
}

bool ChamberDataProvider::anySubscribedValueNotInToleranceRange() const
{
    return std::any_of(m_values.cbegin(), m_values.cend(), [](const ChamberValueModel *value) {
        return value->isSubscribed() && !value->isValueInToleranceRange();
    });
}

QStringList ChamberDataProvider::options() const
{
    return translatedOptionNames(m_chamberType.options());
}

QList<int> ChamberDataProvider::valueSignalIds() const
{
    QList<int> ids;
    for (const ChamberValueModel *value : m_values)
        ids.append(value->signalId());
    return ids;
}

QVariantList ChamberDataProvider::signalModelsOf(const QList<int> &signalIds) const
{
    const QMap<int, ChamberSignal> typeSignals = m_chamberType.signals();
    QVariantList models;
    for (const int id : signalIds) {
        const auto typeSignal = typeSignals.constFind(id);
        if (typeSignal != typeSignals.cend())
            models.append(QVariant::fromValue(ChamberSignalModel(*typeSignal)));
    }
    return models;
}

QVariantList ChamberDataProvider::getUsedSignals() const
{
    return signalModelsOf(valueSignalIds());
}

QVariantList ChamberDataProvider::getUsableSignals() const
{
    return signalModelsOf(typeSignalIdsOtherThan(valueSignalIds()));
}

QVariantList ChamberDataProvider::getDefaultUsedSignals() const
{
    return signalModelsOf(defaultSignalIds());
}

QVariantList ChamberDataProvider::getDefaultUsableSignals() const
{
    return signalModelsOf(typeSignalIdsOtherThan(defaultSignalIds()));
}

QList<int> ChamberDataProvider::defaultSignalIds() const
{
    QList<int> ids;
    for (const ChamberSignal &defaultSignal : m_defaultSignals)
        ids.append(defaultSignal.id());
    return ids;
}

// In ascending id order.
QList<int> ChamberDataProvider::typeSignalIdsOtherThan(const QList<int> &excluded) const
{
    QList<int> ids;
    for (const int id : m_chamberType.signals().keys()) {
        if (!excluded.contains(id))
            ids.append(id);
    }
    return ids;
}

void ChamberDataProvider::resetControllerPrograms()
{
    if (m_programModel)
        m_programModel->resetPrograms();
}

void ChamberDataProvider::setChamberData(const ChamberData &chamber)
{
    ChamberData updated = chamber;
    updated.setActivationState(m_chamber.activationState());
    updated.setOperationMode(m_chamber.operationMode());
    updated.setArchived(m_chamber.isArchived());
    updated.setSubscribed(m_chamber.isSubscribed());
    if (!assignIfChanged(m_chamber, updated))
        return;
    Q_EMIT signalChamberDataChanged();
    Q_EMIT signalModelChamberDataChanged(this);
}

void ChamberDataProvider::setChamberType(const ChamberTypeData &chamberType)
{
    if (chamberType == m_chamberType)
        return;
    const QStringList previousOptions = options();
    m_chamberType = chamberType;
    Q_EMIT signalChamberTypeChanged();
    Q_EMIT signalModelChamberTypeChanged(this);
    // The options come from the type but are announced with the chamber.
    if (options() != previousOptions)
        Q_EMIT signalChamberDataChanged();
}

void ChamberDataProvider::setLocation(RoomModel *room, const QPointF &position)
{
    if (room) {
        const ChamberLocation location(room->roomId(), position);
        if (m_room == room && m_chamber.location() == location)
            return;
        m_room = room;
        m_chamber.setLocation(location);
    } else {
        if (!m_room)
            return;
        m_room = nullptr;
        m_chamber.setLocation(ChamberLocation());
    }
    Q_EMIT signalLocationChanged();
    Q_EMIT signalModelLocationChanged(this);
}

void ChamberDataProvider::setActivationState(ActivationState::State state)
{
    if (state == activationState())
        return;
    m_chamber.setActivationState(state);
    Q_EMIT signalActivationStateChanged();
    Q_EMIT signalModelActivationStateChanged(this);
    Q_EMIT signalUsageStateChanged();
    switchValuesByActivation();
    Q_EMIT signalValuesChanged();
}

void ChamberDataProvider::switchValuesByActivation()
{
    const bool active = activationState() == ActivationState::STATE_ACTIVE;
    for (ChamberValueModel *value : qAsConst(m_values)) {
        if (active)
            value->setChamberActive();
        else
            value->setChamberInactive();
    }
}

void ChamberDataProvider::setOperationMode(ChamberOperationMode::Mode mode)
{
    if (mode == m_chamber.operationMode())
        return;
    m_chamber.setOperationMode(mode);
    Q_EMIT signalOperationModeChanged();
}

void ChamberDataProvider::setSubscribed(bool subscribed)
{
    if (subscribed == m_chamber.isSubscribed())
        return;
    m_chamber.setSubscribed(subscribed);
    Q_EMIT signalSubscriptionChanged();
}

void ChamberDataProvider::setArchived(bool archived)
{
    if (archived == m_chamber.isArchived())
        return;
    m_chamber.setArchived(archived);
    Q_EMIT signalModelArchivedStateChanged(this);
}

void ChamberDataProvider::setErrorState(bool errorState)
{
    if (!assignIfChanged(m_errorState, errorState))
        return;
    Q_EMIT signalErrorStateChanged();
    Q_EMIT signalModelErrorStateChanged(this);
}

void ChamberDataProvider::setTaggedForAction(bool tagged)
{
    if (!assignIfChanged(m_taggedForAction, tagged))
        return;
    Q_EMIT signalActionTagChanged();
    Q_EMIT signalModelActionTagChanged(this);
}

void ChamberDataProvider::setSelected(bool selected)
{
    if (!assignIfChanged(m_selected, selected))
        return;
    Q_EMIT signalSelectionStateChanged();
    Q_EMIT signalModelSelectionStateChanged(this);
}

void ChamberDataProvider::setProgramTransferActive(bool active)
{
    if (!assignIfChanged(m_programTransferActive, active))
        return;
    Q_EMIT signalProgramTransferStatusChanged();
    Q_EMIT signalModelProgramTransferStateChanged(this);
}

void ChamberDataProvider::setRecordCreationFromDataloggerActive(bool active)
{
    if (!assignIfChanged(m_recordCreationFromDataloggerActive, active))
        return;
    Q_EMIT signalRecordCreationFromDataloggerStatusChanged();
    Q_EMIT signalModelRecordCreationFromDataloggerStateChanged(this);
}

void ChamberDataProvider::setAlarmCounts(qint64 alarmCount, qint64 subscribedAlarmCount)
{
    if (alarmCount == m_alarmCount && subscribedAlarmCount == m_subscribedAlarmCount)
        return;
    m_alarmCount = alarmCount;
    m_subscribedAlarmCount = subscribedAlarmCount;
    Q_EMIT signalAlarmsUpdated();
}

void ChamberDataProvider::setProgramProgress(const ProgramProgress &progress)
{
    // A program of one kind under way is not displaced by one of the other.
    if (progress.isInterpreted() == m_programProgress.isInterpreted()
        || (!m_programProgress.isValid() && progress.isValid()))
        m_programProgress = progress;
    Q_EMIT signalProgramChanged();
    Q_EMIT signalUsageStateChanged();
    Q_EMIT signalProgramActiveStatusChanged();
}

void ChamberDataProvider::setUserName(const QString &userName)
{
    if (userName == m_userName)
        return;
    // Whoever started what still runs stays named.
    if (userName.isNull() && isUsed())
        return;
    m_userName = userName;
    Q_EMIT signalUserNameChanged();
    Q_EMIT signalUsageStateChanged();
    Q_EMIT signalModelUserNameChanged(this);
    Q_EMIT signalModelUsageStateChanged(this);
}

void ChamberDataProvider::clearUserName()
{
    setUserName(QString());
}

void ChamberDataProvider::setRecording(int recordingId, const QString &recordingName, const QString &userName)
{
    if (recordingId != m_recordingId || recordingName != m_recordingName) {
        m_recordingId = recordingId;
        m_recordingName = recordingName;
        Q_EMIT signalRecordingChanged();
        Q_EMIT signalModelRecordingChanged(this);
    }
    setUserName(userName);
}

void ChamberDataProvider::clearRecording()
{
    setRecording(0, QString(), QString());
}

void ChamberDataProvider::setControllerProgram(const QString &programName, const QString &userName)
{
    if (!assignIfChanged(m_controllerProgramName, programName))
        return;
    if (programName.isEmpty() && !m_programProgress.isInterpreted())
        m_programProgress = ProgramProgress();
    Q_EMIT signalProgramChanged();
    Q_EMIT signalUsageStateChanged();
    Q_EMIT signalModelProgramNameChanged(this);
    setUserName(userName);
}

void ChamberDataProvider::clearControllerProgram()
{
    setControllerProgram(QString(), QString());
    clearUserName();
}

void ChamberDataProvider::setInterpretedProgram(int programId, const QString &programName, const QString &userName)
{
    if (programName != m_interpretedProgramName || programId != m_programId) {
        m_interpretedProgramName = programName;
        m_programId = programId;
        if (programName.isEmpty() && m_programProgress.isInterpreted())
            m_programProgress = ProgramProgress();
        Q_EMIT signalProgramChanged();
        Q_EMIT signalUsageStateChanged();
        Q_EMIT signalModelProgramNameChanged(this);
    }
    setUserName(userName);
}

void ChamberDataProvider::setSignals(const QVector<ChamberSignal> &defaultSignals,
                                     const QVector<ChamberSignal> &usedSignals,
                                     const QList<SignalId> &subscribedSignalIds,
                                     const QMap<int, ToleranceRange> &toleranceRanges, const QMap<int, int> &exitDelays,
                                     const QMap<int, int> &entryDelays)
{
    m_defaultSignals = defaultSignals;
    for (int i = 0; i < m_values.size(); ++i) {
        ChamberValueModel *value = m_values.at(i);
        if (i < usedSignals.size())
            value->setChamberSignal(usedSignals.at(i));
        else
            value->clearChamberSignal();
        // Nothing of the previous signal may stay with the refilled value:
        // a stale band or subscription would raise false alarms.
        const int id = value->signalId();
        value->setToleranceRange(toleranceRanges.value(id));
        value->setExitDelay(exitDelays.value(id));
        value->setEntryDelay(entryDelays.value(id));
        value->setSubscribed(subscribedSignalIds.contains(SignalId(id)));
    }
    switchValuesByActivation();
    Q_EMIT signalValuesChanged();
    Q_EMIT signalsChanged();
}

void ChamberDataProvider::setToleranceRange(int signalId, const ToleranceRange &range)
{
    for (ChamberValueModel *value : qAsConst(m_values)) {
        if (value->signalId() == signalId)
            value->setToleranceRange(range);
    }
    Q_EMIT signalValuesChanged();
}

void ChamberDataProvider::setExitDelay(int signalId, int seconds)
{
    if (ChamberValueModel *value = firstValueOf(signalId))
        value->setExitDelay(seconds);
}

void ChamberDataProvider::setEntryDelay(int signalId, int seconds)
{
    if (ChamberValueModel *value = firstValueOf(signalId))
        value->setEntryDelay(seconds);
}

void ChamberDataProvider::setSignalSubscribed(int signalId, bool subscribed)
{
    if (ChamberValueModel *value = firstValueOf(signalId))
        value->setSubscribed(subscribed);
}

ChamberValueModel *ChamberDataProvider::firstValueOf(int signalId) const
{
    const auto value = std::find_if(m_values.cbegin(), m_values.cend(),
                                    [signalId](const ChamberValueModel *candidate) {
                                        return candidate->signalId() == signalId;
                                    });
    return value == m_values.cend() ? nullptr : *value;
}

void ChamberDataProvider::updateValues(const QList<SetpointValue> &values)
{
    for (const SetpointValue &update : values) {
        for (ChamberValueModel *value : qAsConst(m_values)) {
            if (value->signalId() == update.signalId())
                value->updateProcessValue(update);
            if (value->setpointId() == update.signalId())
                value->updateSetpoint(update);
        }
    }
    Q_EMIT signalValuesChanged();
}

void ChamberDataProvider::updateValue(const SetpointValue &update)
{
    for (ChamberValueModel *value : qAsConst(m_values)) {
        if (value->setpointId() == update.signalId())
            value->updateSetpoint(update);
        if (value->signalId() == update.signalId())
            value->updateProcessValue(update);
    }
    Q_EMIT signalValuesChanged();
}

void ChamberDataProvider::setCustomSignalNames(const QMap<int, QString> &names)
{
    QMap<int, ChamberSignal> typeSignals = m_chamberType.signals();
    for (auto name = names.cbegin(); name != names.cend(); ++name) {
        const auto typeSignal = typeSignals.find(name.key());
        if (typeSignal != typeSignals.end())
            typeSignal->setName(name.value());
    }
    m_chamberType.setSignals(typeSignals);

    for (ChamberValueModel *value : qAsConst(m_values)) {
        if (names.contains(value->signalId()))
            value->setSignalName(names.value(value->signalId()));
        if (names.contains(value->setpointId()))
            value->setSetpointName(names.value(value->setpointId()));
    }
    Q_EMIT signalValuesChanged();
}

void ChamberDataProvider::createControllerProgramModels(const QMap<int, QString> &programs)
{
    if (m_programModel) {
        m_programModel->setPrograms(programs);
        return;
    }
    m_programModel = new ControllerProgramModel(programs, this);
    m_programFilterModel = new ControllerProgramFilterModel(this);
    m_programFilterModel->setSourceModel(m_programModel);
    Q_EMIT signalControllerProgramModelChanged();
}

void ChamberDataProvider::removeControllerProgram(int programIndex)
{
    if (!m_programModel)
        return;
    m_programModel->removeProgram(programIndex);
    Q_EMIT signalControllerProgramModelChanged();
}

} // namespace quelta::gui
