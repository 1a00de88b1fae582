#pragma once

#include "domain/types/activationstate.h"
#include "domain/types/chamberdata.h"
#include "domain/types/chamberoperationmode.h"
#include "domain/types/chambersignal.h"
#include "domain/types/chambertypedata.h"
#include "domain/types/programprogress.h"
#include "domain/types/setpointvalue.h"
#include "domain/types/tolerancerange.h"
#include "domain/types/typedid.h"
#include "gui/chambervaluemodel.h"
#include "gui/controllerprogramfiltermodel.h"
#include "gui/controllerprogrammodel.h"
#include "gui/roommodel.h"

#include <QtCore/QList>
#include <QtCore/QMap>
#include <QtCore/QMetaType>
#include <QtCore/QObject>
#include <QtCore/QPointF>
#include <QtCore/QPointer>
#include <QtCore/QSize>
#include <QtCore/QString>
#include <QtCore/QStringList>
#include <QtCore/QVariant>
#include <QtCore/QVector>
#include <QtQml/QQmlListProperty>

namespace quelta::gui {

// One chamber as the screens show it: its record and type, its room, its
// activation and operation state, the running recording and program, five
// displayed values, its alarm counts and the program slots of its
// controller.
//
// The provider talks to no device and no store: its owner pushes every
// change in through the setters, which emit only on a real change. Besides
// the plain signals that QML binds to, the signalModel... signals carry a
// guarded pointer to the provider, so that one listener can follow many
// providers and learn which one changed.
//
// The five value objects live as long as the provider and are refilled,
// never replaced, so that the delegates bound to them keep their objects.
class ChamberDataProvider : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int chamberId READ chamberId NOTIFY signalChamberDataChanged)
    Q_PROPERTY(QString name READ name NOTIFY signalChamberDataChanged)
    Q_PROPERTY(QString chamberType READ chamberType NOTIFY signalChamberTypeChanged)
    Q_PROPERTY(int chamberTypeId READ chamberTypeId NOTIFY signalChamberTypeChanged)
    Q_PROPERTY(int additionalInfoId READ additionalInfoId NOTIFY signalChamberTypeChanged)
    Q_PROPERTY(QString controller READ controller NOTIFY signalChamberTypeChanged)
    Q_PROPERTY(QString serialNumber READ serialNumber NOTIFY signalChamberDataChanged)
    Q_PROPERTY(QString chamberInterface READ chamberInterface NOTIFY signalChamberDataChanged)
    Q_PROPERTY(QString comPort READ comPort NOTIFY signalChamberDataChanged)
    Q_PROPERTY(QString macAddress READ macAddress NOTIFY signalChamberDataChanged)
    Q_PROPERTY(QString modbusAddress READ modbusAddress NOTIFY signalChamberDataChanged)
    Q_PROPERTY(QString converter READ converter NOTIFY signalChamberDataChanged)
    Q_PROPERTY(QStringList converterNames READ converterNames CONSTANT)
    Q_PROPERTY(QString image READ image NOTIFY signalChamberTypeChanged)
    Q_PROPERTY(QString roomName READ roomName NOTIFY signalLocationChanged)
    Q_PROPERTY(QPointF location READ location NOTIFY signalLocationChanged)
    Q_PROPERTY(quelta::domain::types::ActivationState::State activationState READ activationState
                   NOTIFY signalActivationStateChanged)
    Q_PROPERTY(QString activationStateString READ activationStateString NOTIFY signalActivationStateChanged)
    Q_PROPERTY(quelta::domain::types::ChamberOperationMode::Mode operationMode READ operationMode
                   NOTIFY signalOperationModeChanged)
    Q_PROPERTY(bool isUsed READ isUsed NOTIFY signalUsageStateChanged)
    Q_PROPERTY(bool errorState READ errorState NOTIFY signalErrorStateChanged)
    Q_PROPERTY(bool isTaggedForAction READ isTaggedForAction NOTIFY signalActionTagChanged)
    Q_PROPERTY(bool isSerial READ isSerial NOTIFY signalChamberDataChanged)
    Q_PROPERTY(QString recordingName READ recordingName NOTIFY signalRecordingChanged)
    Q_PROPERTY(int recordingId READ recordingId NOTIFY signalRecordingChanged)
    Q_PROPERTY(bool isProgrammable READ isProgrammable NOTIFY signalChamberTypeChanged)
    Q_PROPERTY(bool isProgramStartable READ isProgramStartable NOTIFY signalChamberTypeChanged)
    Q_PROPERTY(bool isProgramDelayedStartable READ isProgramDelayedStartable NOTIFY signalChamberTypeChanged)
    Q_PROPERTY(bool needsTransitionTypeOnStart READ needsTransitionTypeOnStart NOTIFY signalChamberTypeChanged)
    Q_PROPERTY(QString programName READ programName NOTIFY signalProgramChanged)
    Q_PROPERTY(int programId READ programId NOTIFY signalProgramChanged)
    Q_PROPERTY(QVariant programProgress READ programProgress NOTIFY signalProgramChanged)
    Q_PROPERTY(QString userName READ userName NOTIFY signalUserNameChanged)
    Q_PROPERTY(QSize chamberSize READ chamberSize NOTIFY signalChamberTypeChanged)
    Q_PROPERTY(QQmlListProperty<quelta::gui::ChamberValueModel> values READ values NOTIFY signalValuesChanged)
    Q_PROPERTY(int alarmCount READ alarmCount NOTIFY signalAlarmsUpdated)
    Q_PROPERTY(int subscribedAlarmCount READ subscribedAlarmCount NOTIFY signalAlarmsUpdated)
    Q_PROPERTY(bool anyValueNotInToleranceRange READ anyValueNotInToleranceRange
                   NOTIFY signalValueNotInToleranceRangeChanged)
    Q_PROPERTY(bool anySubscribedValueNotInToleranceRange READ anySubscribedValueNotInToleranceRange
                   NOTIFY signalValueNotInToleranceRangeChanged)
    Q_PROPERTY(bool programActive READ programActive NOTIFY signalProgramActiveStatusChanged)
    Q_PROPERTY(quelta::gui::ControllerProgramFilterModel *controllerPrograms READ controllerPrograms
                   NOTIFY signalControllerProgramModelChanged)
    Q_PROPERTY(quelta::gui::ControllerProgramModel *controllerProgramSlots READ controllerProgramSlots
                   NOTIFY signalControllerProgramModelChanged)
    // Also announced by a change of type that changes the options.
    Q_PROPERTY(QStringList options READ options NOTIFY signalChamberDataChanged)
    Q_PROPERTY(bool isProgramTransferActive READ isProgramTransferActive NOTIFY signalProgramTransferStatusChanged)
    Q_PROPERTY(bool isRecordCreationFromDataloggerActive READ isRecordCreationFromDataloggerActive
                   NOTIFY signalRecordCreationFromDataloggerStatusChanged)
    Q_PROPERTY(bool isSubscribed READ isSubscribed NOTIFY signalSubscriptionChanged)

public:
    static constexpr int ValueCount = 5;

    // A new chamber of no type, as QML creates it.
    explicit ChamberDataProvider(QObject *parent = nullptr);
    // The room is only observed.
    ChamberDataProvider(const domain::types::ChamberData &chamber, const domain::types::ChamberTypeData &chamberType,
                        const QPointer<RoomModel> &room, QObject *parent = nullptr);
    ~ChamberDataProvider() override;

    int chamberId() const { return m_chamber.id(); }
    QString name() const { return m_chamber.chamberName(); }
    // The type's display name.
    QString chamberType() const;
    int chamberTypeId() const { return static_cast<int>(m_chamberType.chamberTypeId()); }
    int additionalInfoId() const { return static_cast<int>(m_chamberType.additionalInfoId()); }
    QString controller() const { return m_chamberType.controller(); }
    QString serialNumber() const { return m_chamber.serialNumber(); }
    // The IP address, else the COM port, else an empty text.
    QString chamberInterface() const;
    QString comPort() const { return m_chamber.comPort(); }
    QString macAddress() const { return m_chamber.macAddress().toString(); }
    // Null for address 0.
    QString modbusAddress() const;
    // Null for a direct TCP connection and for a code without a name.
    QString converter() const;
    QStringList converterNames() const;
    QString image() const;
    // Null while no live room is set.
    QString roomName() const;
    QPointF location() const { return m_chamber.location().position(); }
    domain::types::ActivationState::State activationState() const;
    QString activationStateString() const;
    domain::types::ChamberOperationMode::Mode operationMode() const { return m_chamber.operationMode(); }
    // Active and running a recording or a program.
    bool isUsed() const;
    bool errorState() const { return m_errorState; }
    bool isTaggedForAction() const { return m_taggedForAction; }
    bool isSerial() const { return m_chamber.ipAddress().isNull(); }
    // "--" when there is none.
    QString recordingName() const;
    int recordingId() const { return m_recordingId; }
    bool isProgrammable() const { return m_chamberType.hasTimeProgram(); }
    bool isProgramStartable() const { return m_chamberType.hasOperatingModeSwitching(); }
    bool isProgramDelayedStartable() const { return m_chamberType.isProgramDelayedStartable(); }
    bool needsTransitionTypeOnStart() const;
    // The running program's name; "--" when none runs.
    QString programName() const;
    int programId() const { return m_programId; }
    QVariant programProgress() const { return QVariant::fromValue(m_programProgress); }
    // "--" when there is none.
    QString userName() const;
    // The card size for the type's size.
    QSize chamberSize() const;
    QQmlListProperty<ChamberValueModel> values();
    int alarmCount() const { return static_cast<int>(m_alarmCount); }
    int subscribedAlarmCount() const { return static_cast<int>(m_subscribedAlarmCount); }
    bool anyValueNotInToleranceRange() const;
    bool anySubscribedValueNotInToleranceRange() const;
    bool programActive() const;
    ControllerProgramFilterModel *controllerPrograms() const { return m_programFilterModel.data(); }
    ControllerProgramModel *controllerProgramSlots() const { return m_programModel.data(); }
    // The type's option names, translated.
    QStringList options() const;
    bool isProgramTransferActive() const { return m_programTransferActive; }
    bool isRecordCreationFromDataloggerActive() const { return m_recordCreationFromDataloggerActive; }
    bool isSubscribed() const { return m_chamber.isSubscribed(); }

    // The signal selection's lists, each of ChamberSignalModel values.
    Q_INVOKABLE QVariantList getUsedSignals() const;
    Q_INVOKABLE QVariantList getUsableSignals() const;
    Q_INVOKABLE QVariantList getDefaultUsedSignals() const;
    Q_INVOKABLE QVariantList getDefaultUsableSignals() const;
    // Empties the program slots until the next program list.
    Q_INVOKABLE void resetControllerPrograms();

    domain::types::ChamberData chamberData() const { return m_chamber; }
    int roomId() const { return m_chamber.location().roomId(); }
    bool isArchived() const { return m_chamber.isArchived(); }
    bool isSelected() const { return m_selected; }
    QList<ChamberValueModel *> valueModels() const { return m_values; }

    // Keeps the provider's own activation state, operation mode, archived
    // and subscribed flags: only their own setters change those.
    void setChamberData(const domain::types::ChamberData &chamber);
    void setChamberType(const domain::types::ChamberTypeData &chamberType);
    // A null room clears the room and the position.
    void setLocation(RoomModel *room, const QPointF &position);
    // Switches the values on for STATE_ACTIVE and off for every other state.
    void setActivationState(domain::types::ActivationState::State state);
    void setOperationMode(domain::types::ChamberOperationMode::Mode mode);
    void setSubscribed(bool subscribed);
    void setArchived(bool archived);
    void setErrorState(bool errorState);
    void setTaggedForAction(bool tagged);
    void setSelected(bool selected);
    void setProgramTransferActive(bool active);
    void setRecordCreationFromDataloggerActive(bool active);
    void setAlarmCounts(qint64 alarmCount, qint64 subscribedAlarmCount);
    // A progress of the other kind (interpreted or not) than the stored one
    // is taken only when the stored one is no longer under way.
    void setProgramProgress(const domain::types::ProgramProgress &progress);
    // A null name is ignored while the chamber is used.
    void setUserName(const QString &userName);
    void clearUserName();
    void setRecording(int recordingId, const QString &recordingName, const QString &userName);
    void clearRecording();
    void setControllerProgram(const QString &programName, const QString &userName);
    void clearControllerProgram();
    void setInterpretedProgram(int programId, const QString &programName, const QString &userName);

    // Fills the values with the first five used signals and clears the rest.
    // Each filled value gets its band, delays and subscription from the
    // lists, or none.
    void setSignals(const QVector<domain::types::ChamberSignal> &defaultSignals,
                    const QVector<domain::types::ChamberSignal> &usedSignals,
                    const QList<domain::types::SignalId> &subscribedSignalIds,
                    const QMap<int, domain::types::ToleranceRange> &toleranceRanges,
                    const QMap<int, int> &exitDelays, const QMap<int, int> &entryDelays);
    void setToleranceRange(int signalId, const domain::types::ToleranceRange &range);
    void setExitDelay(int signalId, int seconds);
    void setEntryDelay(int signalId, int seconds);
    void setSignalSubscribed(int signalId, bool subscribed);
    void updateValues(const QList<domain::types::SetpointValue> &values);
    void updateValue(const domain::types::SetpointValue &value);
    // Renames signals of the type and of the values; the type's own signal
    // is not announced.
    void setCustomSignalNames(const QMap<int, QString> &names);
    // Creates the program models with the first list and refills them later.
    void createControllerProgramModels(const QMap<int, QString> &programs);
    void removeControllerProgram(int programIndex);

Q_SIGNALS:
    void signalChamberDataChanged();
    void signalChamberTypeChanged();
    void signalLocationChanged();
    void signalActivationStateChanged();
    void signalOperationModeChanged();
    void signalUsageStateChanged();
    void signalErrorStateChanged();
    void signalActionTagChanged();
    void signalSelectionStateChanged();
    void signalRecordingChanged();
    void signalProgramChanged();
    void signalUserNameChanged();
    void signalValuesChanged();
    void signalsChanged();
    void signalAlarmsUpdated();
    void signalValueNotInToleranceRangeChanged();
    void signalControllerProgramModelChanged();
    void signalProgramActiveStatusChanged();
    void signalProgramTransferStatusChanged();
    void signalRecordCreationFromDataloggerStatusChanged();
    void signalSubscriptionChanged();

    void signalModelChamberDataChanged(QPointer<quelta::gui::ChamberDataProvider> dataProvider);
    void signalModelChamberTypeChanged(QPointer<quelta::gui::ChamberDataProvider> dataProvider);
    void signalModelLocationChanged(QPointer<quelta::gui::ChamberDataProvider> dataProvider);
    void signalModelActivationStateChanged(QPointer<quelta::gui::ChamberDataProvider> dataProvider);
    void signalModelUsageStateChanged(QPointer<quelta::gui::ChamberDataProvider> dataProvider);
    void signalModelErrorStateChanged(QPointer<quelta::gui::ChamberDataProvider> dataProvider);
    void signalModelActionTagChanged(QPointer<quelta::gui::ChamberDataProvider> dataProvider);
    void signalModelSelectionStateChanged(QPointer<quelta::gui::ChamberDataProvider> dataProvider);
    void signalModelRecordingChanged(QPointer<quelta::gui::ChamberDataProvider> dataProvider);
    void signalModelProgramNameChanged(QPointer<quelta::gui::ChamberDataProvider> dataProvider);
    void signalModelUserNameChanged(QPointer<quelta::gui::ChamberDataProvider> dataProvider);
    void signalModelArchivedStateChanged(QPointer<quelta::gui::ChamberDataProvider> dataProvider);
    void signalModelProgramTransferStateChanged(QPointer<quelta::gui::ChamberDataProvider> dataProvider);
    void signalModelRecordCreationFromDataloggerStateChanged(QPointer<quelta::gui::ChamberDataProvider> dataProvider);

private:
    void connectValues();
    void switchValuesByActivation();
    ChamberValueModel *firstValueOf(int signalId) const;
    bool isProgramShown(const QString &programName, bool interpreted) const;
    QVariantList signalModelsOf(const QList<int> &signalIds) const;
    QList<int> valueSignalIds() const;
    QList<int> defaultSignalIds() const;
    QList<int> typeSignalIdsOtherThan(const QList<int> &excluded) const;

    QPointer<RoomModel> m_room;
    QString m_recordingName;
    int m_recordingId = 0;
    QString m_controllerProgramName;
    int m_programId = 0;
    QString m_interpretedProgramName;
    QString m_userName;
    bool m_errorState = false;
    bool m_taggedForAction = false;
    bool m_selected = false;
    QVector<domain::types::ChamberSignal> m_defaultSignals;
    // Owned; deleted before the QObject base goes, so that nothing reaching
    // the provider during its destruction finds them half gone.
    QList<ChamberValueModel *> m_values;
    domain::types::ChamberData m_chamber;
    domain::types::ChamberTypeData m_chamberType;
    const QString m_imageDirectory;
    qint64 m_alarmCount = 0;
    qint64 m_subscribedAlarmCount = 0;
    domain::types::ProgramProgress m_programProgress;
    QPointer<ControllerProgramModel> m_programModel;
    QPointer<ControllerProgramFilterModel> m_programFilterModel;
    bool m_programTransferActive = false;
    bool m_recordCreationFromDataloggerActive = false;
};

} // namespace quelta::gui
