#pragma once

#include "domain/types/chamberdata.h"
#include "domain/types/chamberoperationmode.h"
#include "domain/types/chambersignal.h"
#include "domain/types/setpointvalue.h"
#include "domain/types/tolerancerange.h"
#include "domain/types/unitvalue.h"

#include <QtCore/QMetaType>
#include <QtCore/QObject>
#include <QtCore/QString>
#include <QtCore/QVariant>
#include <QtGui/QColor>

namespace quelta::gui {

// One displayed value of a chamber: a signal with its process value, the
// setpoint that belongs to it, its limits, its tolerance band with entry and
// exit delays, its subscription and the line a diagram draws it with.
//
// The object is valid while it holds a signal and its chamber is active;
// otherwise the texts are blanked and the value counts as inside its band.
// After every change of signal or activation it shows "--" until a fresh
// process value arrives. Values are shown in the units the current user
// prefers (UserControl::preferredUnit).
class ChamberValueModel : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int chamberId READ chamberId NOTIFY signalChamberIdChanged)
    Q_PROPERTY(bool isSetpoint READ isSetpoint NOTIFY signalChamberSignalChanged)
    Q_PROPERTY(QString signalName READ signalName NOTIFY signalChamberSignalChanged)
    Q_PROPERTY(QString signalUnit READ signalUnit NOTIFY signalNumericalValueChanged)
    Q_PROPERTY(QColor signalColor READ signalColor WRITE setCustomColor NOTIFY signalStyleChanged)
    Q_PROPERTY(QString numericalValue READ numericalValue NOTIFY signalNumericalValueChanged)
    Q_PROPERTY(float limitMin READ limitMin NOTIFY signalLimitMinChanged)
    Q_PROPERTY(float limitMax READ limitMax NOTIFY signalLimitMaxChanged)
    Q_PROPERTY(int decimalPlaces READ decimalPlaces NOTIFY signalNumericalValueChanged)
    Q_PROPERTY(bool isValid READ isValid NOTIFY signalSettabilityChanged)
    Q_PROPERTY(bool isDigital READ isDigital NOTIFY signalChamberSignalChanged)
    Q_PROPERTY(bool isSettable READ isSettable NOTIFY signalSettabilityChanged)
    Q_PROPERTY(bool isSubscribable READ isSubscribable NOTIFY signalChamberSignalChanged)
    Q_PROPERTY(int signalId READ signalId NOTIFY signalSignalIdChanged)
    Q_PROPERTY(QVariant processValue READ processValue NOTIFY signalNumericalValueChanged)
    Q_PROPERTY(float setpoint READ setpoint NOTIFY signalSetpointChanged)
    Q_PROPERTY(int setpointID READ setpointId NOTIFY signalSetpointIdChanged)
    Q_PROPERTY(QString setpointName READ setpointName NOTIFY signalSetpointNameChanged)
    Q_PROPERTY(QString setpointUnit READ setpointUnit NOTIFY signalSetpointUnitChanged)
    Q_PROPERTY(QColor setpointColor READ setpointColor NOTIFY signalSetpointColorChanged)
    Q_PROPERTY(float toleranceMin READ toleranceMin NOTIFY signalToleranceRangeChanged)
    Q_PROPERTY(float toleranceMax READ toleranceMax NOTIFY signalToleranceRangeChanged)
    Q_PROPERTY(int toleranceType READ toleranceType NOTIFY signalToleranceRangeChanged)
    Q_PROPERTY(QString exitDelayString READ exitDelayString NOTIFY signalExitDelayChanged)
    Q_PROPERTY(QString entryDelayString READ entryDelayString NOTIFY signalEntryDelayChanged)
    Q_PROPERTY(int pixelSize READ pixelSize WRITE setPixelSize NOTIFY signalStyleChanged)
    Q_PROPERTY(LineStyle lineStyle READ lineStyle WRITE setLineStyle NOTIFY signalStyleChanged)
    Q_PROPERTY(int axis READ axis WRITE setAxis NOTIFY signalAxisChanged)
    Q_PROPERTY(int recordingId READ recordingId NOTIFY signalSignalIdChanged)
    Q_PROPERTY(bool isSubscribed READ isSubscribed NOTIFY signalSubscriptionChanged)
    Q_PROPERTY(bool isValueInToleranceRange READ isValueInToleranceRange NOTIFY signalValueInToleranceRangeChanged)

public:
    // A style text may carry any number, so the enum has a fixed underlying
    // type.
    enum LineStyle : int {
        STYLE_SOLID = 1,
        STYLE_DASHED = 2,
        STYLE_DOTTED = 3
    };
    Q_ENUM(LineStyle)

    // Without signal and inactive, for chamber -1.
    explicit ChamberValueModel(QObject *parent = nullptr);
    // Follows the operation mode and the program state of the parent when the
    // parent is a ChamberDataProvider.
    ChamberValueModel(const domain::types::ChamberData &chamber, QObject *parent);
    // A value of a recording: active from the start, with the signal, and
    // with no provider to follow.
    ChamberValueModel(const domain::types::ChamberData &chamber, const domain::types::ChamberSignal &chamberSignal,
                      int recordingId);

    int chamberId() const { return m_chamberId; }
    bool isSetpoint() const { return m_isSetpoint; }
    QString signalName() const;
    QString signalUnit() const;
    QColor signalColor() const;
    QString numericalValue() const;
    float limitMin() const;
    float limitMax() const;
    int decimalPlaces() const { return m_decimalPlaces; }
    bool isValid() const { return !m_noSignal && !m_inactive; }
    bool isDigital() const { return m_isDigital; }
    bool isSettable() const;
    bool isSubscribable() const { return m_isSubscribable; }
    int signalId() const { return m_signalId; }
    QVariant processValue() const;
    // The middle of the limits while no setpoint has arrived.
    float setpoint() const;
    int setpointId() const { return m_setpointId; }
    QString setpointName() const { return m_setpointName; }
    QString setpointUnit() const;
    QColor setpointColor() const { return m_setpointColor; }
    float toleranceMin() const;
    float toleranceMax() const;
    int toleranceType() const { return m_toleranceRange.type(); }
    // The delays as "hh:mm".
    QString exitDelayString() const;
    QString entryDelayString() const;
    int pixelSize() const { return m_pixelSize; }
    LineStyle lineStyle() const { return m_lineStyle; }
    int axis() const { return m_axis; }
    int recordingId() const { return m_recordingId; }
    bool isSubscribed() const { return m_isSubscribed; }
    bool isValueInToleranceRange() const { return !isValid() || m_valueInToleranceRange; }

    bool isStyleDirty() const { return m_styleDirty; }
    // The unit code in which values are shown; none while not valid.
    int displayUnit() const;
    domain::types::SetpointValue currentValue() const;
    domain::types::SetpointValue currentSetpoint() const;

    // Takes the signal, its setpoint, limits and default line; a signal with
    // neither setpoint signal nor write address leaves no setpoint. A signal
    // of id -1 leaves the object without signal.
    void setChamberSignal(const domain::types::ChamberSignal &chamberSignal);
    void clearChamberSignal();
    void setChamberActive();
    void setChamberInactive();
    // A value of another signal is refused with a warning.
    void updateProcessValue(const domain::types::SetpointValue &value);
    // A value of another signal is ignored.
    void updateSetpoint(const domain::types::SetpointValue &value);

    void setSignalName(const QString &name);
    void setSignalUnit(int unit);
    void setSignalColor(const QColor &color);
    void setCustomColor(const QColor &color);
    void setPixelSize(int pixelSize);
    void setLineStyle(LineStyle lineStyle);
    // Placing a non-digital value on its first axis is no change of style.
    void setAxis(int axis);
    void setDecimalPlaces(int decimalPlaces);
    void setSetpointName(const QString &name);
    // Stores the unit in which the current user wants to see it.
    void setSetpointUnit(int unit);
    void setSetpointColor(const QColor &color);
    void setLimitMin(const domain::types::UnitValue &limit);
    void setLimitMax(const domain::types::UnitValue &limit);
    // A new signal or setpoint id drops the values of the old one.
    void setSetpointId(int id);
    void setSignalId(int id);
    void setChamberId(int id);
    void setRecordingId(int id);
    void setExitDelay(int seconds);
    void setEntryDelay(int seconds);
    void setSubscribed(bool subscribed);
    void setToleranceRange(const domain::types::ToleranceRange &range);

    // Back to the signal's default line and colour.
    void resetStyle();
    // "colour;width;line style;axis", as the diagram settings store it.
    QString styleString() const;
    // Text with other than four parts is ignored.
    void setStyleString(const QString &style);

Q_SIGNALS:
    void signalChamberSignalChanged();
    void signalSetpointNameChanged();
    void signalSetpointUnitChanged();
    void signalSetpointColorChanged();
    void signalLimitMinChanged();
    void signalLimitMaxChanged();
    void signalSetpointChanged();
    void signalToleranceRangeChanged();
    void signalExitDelayChanged();
    void signalEntryDelayChanged();
    void signalNumericalValueChanged();
    void signalSetpointIdChanged();
    void signalSignalIdChanged();
    void signalChamberIdChanged();
    void signalSettabilityChanged();
    void signalStyleChanged();
    void signalAxisChanged();
    void signalSubscriptionChanged();
    void signalValueInToleranceRangeChanged();

public Q_SLOTS:
    void handleOperatingModeChanged();
    void handleProgramActiveChanged();

private:
    struct Style
    {
        int pixelSize;
        LineStyle lineStyle;
    };

    static Style styleFor(const domain::types::ChamberSignal &chamberSignal);
    void takeSetpointFrom(const domain::types::ChamberSignal &setpointSignal,
                          const domain::types::ChamberSignal &chamberSignal);
    // As a value object that never had a setpoint.
    void clearSetpoint();
    void setSignalFlags(bool isSetpoint, bool isDigital, bool isSubscribable);
    void clearValues();
    // Ends a change of activation: no value yet, which counts as inside the
    // band.
    void announceNewState();
    bool violatesToleranceRange() const;
    void testToleranceRange();
    float toleranceLimit(const domain::types::UnitValue &limit, float signalLimit) const;

    bool m_isSetpoint = false;
    QString m_signalName;
    int m_signalUnit = domain::types::Unit::None;
    QColor m_signalColor;
    QColor m_customColor;
    QString m_setpointName;
    int m_setpointUnit = domain::types::Unit::None;
    domain::types::UnitValue m_setpoint;
    QColor m_setpointColor;
    int m_decimalPlaces = 0;
    domain::types::UnitValue m_limitMin;
    domain::types::UnitValue m_limitMax;
    domain::types::ToleranceRange m_toleranceRange;
    int m_exitDelay = 0;
    int m_entryDelay = 0;
    domain::types::UnitValue m_processValue;
    int m_setpointId = -1;
    int m_signalId = -1;
    int m_chamberId = -1;
    int m_recordingId = 0;
    int m_pixelSize = 1;
    LineStyle m_lineStyle = STYLE_SOLID;
    int m_defaultPixelSize = 1;
    LineStyle m_defaultLineStyle = STYLE_SOLID;
    int m_axis = -1;
    bool m_hasValue = false;
    bool m_noSignal = true;
    bool m_inactive = true;
    bool m_settable = false;
    bool m_isDigital = false;
    bool m_isSubscribable = false;
    bool m_styleDirty = false;
    domain::types::ChamberOperationMode::Mode m_operationMode = domain::types::ChamberOperationMode::MODE_UNDEFINED;
    bool m_isSubscribed = false;
    bool m_valueInToleranceRange = true;
};

} // namespace quelta::gui
