#include "gui/chambervaluemodel.h"

#include "gui/assignifchanged.h"
#include "gui/chamberdataprovider.h"
#include "gui/usercontrol.h"

#include <QtCore/QLoggingCategory>
#include <QtCore/QStringList>
#include <QtCore/QTime>

namespace quelta::gui {

using domain::types::ChamberData;
using domain::types::ChamberOperationMode;
using domain::types::ChamberSignal;
using domain::types::SetpointValue;
using domain::types::ToleranceRange;
using domain::types::Unit;
using domain::types::UnitValue;

namespace {

Q_LOGGING_CATEGORY(lcChamberValueModel, "quelta.ChamberValueModel")

constexpr int NoSignalId = -1;
constexpr int NoAxis = -1;
// What a relative band without distances shows as its distances.
constexpr float DefaultRelativeDistance = 5.0f;

const QString NoValueText = QStringLiteral("--");

QString delayText(int seconds)
{
    return QTime(0, 0).addSecs(seconds).toString(QStringLiteral("hh:mm"));
}

} // namespace

ChamberValueModel::ChamberValueModel(QObject *parent)
    : QObject(parent)
{
}

ChamberValueModel::ChamberValueModel(const ChamberData &chamber, QObject *parent)
    : QObject(parent)
    , m_chamberId(chamber.id())
{
    if (const auto *provider = qobject_cast<ChamberDataProvider *>(parent)) {
        connect(provider, &ChamberDataProvider::signalOperationModeChanged, this,
                &ChamberValueModel::handleOperatingModeChanged);
        connect(provider, &ChamberDataProvider::signalProgramActiveStatusChanged, this,
                &ChamberValueModel::handleProgramActiveChanged);
    }
}

ChamberValueModel::ChamberValueModel(const ChamberData &chamber, const ChamberSignal &chamberSignal,
                                     int recordingId)
    : QObject(nullptr)
    , m_chamberId(chamber.id())
{
    setChamberSignal(chamberSignal);
    setRecordingId(recordingId);
    m_styleDirty = false;
}

QString ChamberValueModel::signalName() const
{
    return isValid() ? m_signalName : QString();
}

QString ChamberValueModel::signalUnit() const
{
    return isValid() ? Unit::toString(displayUnit()) : QString();
}

QColor ChamberValueModel::signalColor() const
{
    if (!isValid())
        return QColor(Qt::transparent);
    return m_customColor.isValid() ? m_customColor : m_signalColor;
}

QString ChamberValueModel::numericalValue() const
{
    if (!isValid())
        return QString();
    if (!m_hasValue)
        return NoValueText;
    if (m_isDigital)
        return m_processValue.value().toBool() ? tr("On") : tr("Off");
    // In the basic mode the controller does not follow the setpoints.
    if (m_isSetpoint && m_operationMode == ChamberOperationMode::MODE_BASIC)
        return NoValueText;
    return UserControl::convert(m_processValue, m_decimalPlaces, false);
}

float ChamberValueModel::limitMin() const
{
    return m_limitMin.valueIn(displayUnit()).toFloat();
}

float ChamberValueModel::limitMax() const
{
    return m_limitMax.valueIn(displayUnit()).toFloat();
}

bool ChamberValueModel::isSettable() const
{
    return m_settable && isValid() && m_operationMode != ChamberOperationMode::MODE_BASIC;
}

QVariant ChamberValueModel::processValue() const
{
    if (!isValid() || !m_hasValue || m_isSetpoint)
        return QVariant();
    if (m_isDigital)
        return QVariant(m_processValue.value().toBool());
    return m_processValue.valueIn(displayUnit());
}

float ChamberValueModel::setpoint() const
{
    if (!m_setpoint.isValid())
        return (limitMin() + limitMax()) * 0.5f;
    return m_setpoint.valueIn(displayUnit()).toFloat();
}

QString ChamberValueModel::setpointUnit() const
{
    return Unit::toString(m_setpointUnit);
}

float ChamberValueModel::toleranceMin() const
{
    return toleranceLimit(m_toleranceRange.lower(), limitMin());
}

float ChamberValueModel::toleranceMax() const
{
    return toleranceLimit(m_toleranceRange.upper(), limitMax());
}

float ChamberValueModel::toleranceLimit(const UnitValue &limit, float signalLimit) const
{
    switch (m_toleranceRange.type()) {
    case ToleranceRange::Absolute:
        return limit.isValid() ? limit.valueIn(displayUnit()).toFloat() : signalLimit;
    case ToleranceRange::Relative:
        return limit.isValid() ? limit.differenceIn(displayUnit()).toFloat() : DefaultRelativeDistance;
    default:
        return 0.0f;
    }
}

QString ChamberValueModel::exitDelayString() const
{
    return delayText(m_exitDelay);
}

QString ChamberValueModel::entryDelayString() const
{
    return delayText(m_entryDelay);
}

int ChamberValueModel::displayUnit() const
{
    return isValid() ? UserControl::preferredUnit(m_signalUnit) : Unit::None;
}

SetpointValue ChamberValueModel::currentValue() const
{
    return SetpointValue(m_signalId, m_processValue, m_toleranceRange);
}

SetpointValue ChamberValueModel::currentSetpoint() const
{
    return SetpointValue(m_setpointId, m_setpoint, m_toleranceRange);
}

void ChamberValueModel::setChamberSignal(const ChamberSignal &chamberSignal)
{
    bool isSetpoint = m_isSetpoint;
    if (chamberSignal.id() == NoSignalId) {
        m_noSignal = true;
        m_inactive = true;
        setLineStyle(STYLE_SOLID);
    } else {
        m_noSignal = false;
        m_inactive = false;
        const ChamberSignal::SignalPointer setpointSignal = chamberSignal.setPointSignal();
        isSetpoint = chamberSignal.isWritable();
        m_settable = isSetpoint || setpointSignal;
        Q_EMIT signalSettabilityChanged();
        if (isSetpoint)
            takeSetpointFrom(chamberSignal, chamberSignal);
        else if (setpointSignal)
            takeSetpointFrom(*setpointSignal, chamberSignal);
        else
            clearSetpoint();
        const Style style = styleFor(chamberSignal);
        setLineStyle(style.lineStyle);
        setPixelSize(style.pixelSize);
    }

    setSignalFlags(isSetpoint, chamberSignal.isDigital(), chamberSignal.isReadOnly());
    setSignalName(chamberSignal.name());
    setSignalColor(chamberSignal.color());
    m_defaultPixelSize = m_pixelSize;
    m_defaultLineStyle = m_lineStyle;
    setSignalUnit(chamberSignal.unit());
    setDecimalPlaces(chamberSignal.decimalPlaces());
    setSignalId(chamberSignal.id());
    if (m_noSignal)
        m_processValue = UnitValue(Unit::None, QVariant(0.0f));

    m_hasValue = false;
    m_valueInToleranceRange = true;
    Q_EMIT signalNumericalValueChanged();
    Q_EMIT signalSettabilityChanged();
    Q_EMIT signalValueInToleranceRangeChanged();
}

void ChamberValueModel::clearChamberSignal()
{
    setChamberSignal(ChamberSignal());
}

ChamberValueModel::Style ChamberValueModel::styleFor(const ChamberSignal &chamberSignal)
{
    if (chamberSignal.isDigital())
        return {1, STYLE_SOLID};
    if (chamberSignal.isWritable())
        return {1, STYLE_DASHED};
    return {2, STYLE_SOLID};
}

// The limits are those of the setpoint signal, read in the unit of the
// displayed signal.
void ChamberValueModel::takeSetpointFrom(const ChamberSignal &setpointSignal, const ChamberSignal &chamberSignal)
{
    setSetpointName(setpointSignal.name());
    setSetpointColor(setpointSignal.color());
    setSetpointUnit(setpointSignal.unit());
    setLimitMin(UnitValue(chamberSignal.unit(), QVariant(setpointSignal.limitMin())));
    setLimitMax(UnitValue(chamberSignal.unit(), QVariant(setpointSignal.limitMax())));
    setSetpointId(setpointSignal.id());
}

// Nothing of a previous signal's setpoint may stay: the provider routes
// setpoints by their id, and a stale one would be tested against the new
// signal's band.
void ChamberValueModel::clearSetpoint()
{
    setSetpointName(QString());
    setSetpointColor(QColor());
    setSetpointUnit(Unit::None);
    setLimitMin(UnitValue());
    setLimitMax(UnitValue());
    setSetpointId(NoSignalId);
}

void ChamberValueModel::setSignalFlags(bool isSetpoint, bool isDigital, bool isSubscribable)
{
    if (isSetpoint == m_isSetpoint && isDigital == m_isDigital && isSubscribable == m_isSubscribable)
        return;
    m_isSetpoint = isSetpoint;
    m_isDigital = isDigital;
    m_isSubscribable = isSubscribable;
    Q_EMIT signalChamberSignalChanged();
}

void ChamberValueModel::setChamberActive()
{
    m_inactive = false;
    announceNewState();
}

void ChamberValueModel::setChamberInactive()
{
    m_inactive = true;
    announceNewState();
}

void ChamberValueModel::announceNewState()
{
    m_hasValue = false;
    m_valueInToleranceRange = true;
    Q_EMIT signalNumericalValueChanged();
    Q_EMIT signalChamberSignalChanged();
    Q_EMIT signalStyleChanged();
    Q_EMIT signalSettabilityChanged();
    Q_EMIT signalValueInToleranceRangeChanged();
}

void ChamberValueModel::updateProcessValue(const SetpointValue &value)
{
    if (value.signalId() != m_signalId) {
        qCWarning(lcChamberValueModel) << "Signal IDs do not coincide!";
        return;
    }
    m_processValue = value.value();
    m_hasValue = true;
    testToleranceRange();
    Q_EMIT signalNumericalValueChanged();
}

void ChamberValueModel::updateSetpoint(const SetpointValue &value)
{
    if (value.signalId() != m_setpointId || value.value() == m_setpoint)
        return;
    m_setpoint = value.value();
    testToleranceRange();
    Q_EMIT signalSetpointChanged();
}

// A value that has not arrived yet lies inside every band.
bool ChamberValueModel::violatesToleranceRange() const
{
    return m_hasValue && m_toleranceRange.isViolation(m_processValue, m_setpoint);
}

void ChamberValueModel::testToleranceRange()
{
    if (assignIfChanged(m_valueInToleranceRange, !violatesToleranceRange()))
        Q_EMIT signalValueInToleranceRangeChanged();
}

void ChamberValueModel::clearValues()
{
    const bool hadSetpoint = m_setpoint.isValid();
    m_processValue = UnitValue();
    m_setpoint = UnitValue();
    m_hasValue = false;
    testToleranceRange();
    if (hadSetpoint)
        Q_EMIT signalSetpointChanged();
}

void ChamberValueModel::setSignalName(const QString &name)
{
    if (assignIfChanged(m_signalName, name))
        Q_EMIT signalChamberSignalChanged();
}

void ChamberValueModel::setSignalUnit(int unit)
{
    if (assignIfChanged(m_signalUnit, unit))
        Q_EMIT signalChamberSignalChanged();
}

void ChamberValueModel::setSignalColor(const QColor &color)
{
    if (assignIfChanged(m_signalColor, color))
        Q_EMIT signalStyleChanged();
}

void ChamberValueModel::setCustomColor(const QColor &color)
{
    if (!assignIfChanged(m_customColor, color))
        return;
    m_styleDirty = true;
    Q_EMIT signalStyleChanged();
}

void ChamberValueModel::setPixelSize(int pixelSize)
{
    if (!assignIfChanged(m_pixelSize, pixelSize))
        return;
    m_styleDirty = true;
    Q_EMIT signalStyleChanged();
}

void ChamberValueModel::setLineStyle(LineStyle lineStyle)
{
    if (!assignIfChanged(m_lineStyle, lineStyle))
        return;
    m_styleDirty = true;
    Q_EMIT signalStyleChanged();
}

void ChamberValueModel::setAxis(int axis)
{
    if (axis == m_axis)
        return;
    // The diagram places every analog value on an axis when it first shows
    // it; only moving it afterwards is a choice of the user.
    if (m_axis != NoAxis || m_isDigital)
        m_styleDirty = true;
    m_axis = axis;
    Q_EMIT signalAxisChanged();
}

void ChamberValueModel::setDecimalPlaces(int decimalPlaces)
{
    if (assignIfChanged(m_decimalPlaces, decimalPlaces))
        Q_EMIT signalNumericalValueChanged();
}

void ChamberValueModel::setSetpointName(const QString &name)
{
    if (assignIfChanged(m_setpointName, name))
        Q_EMIT signalSetpointNameChanged();
}

void ChamberValueModel::setSetpointUnit(int unit)
{
    if (assignIfChanged(m_setpointUnit, UserControl::preferredUnit(unit)))
        Q_EMIT signalSetpointUnitChanged();
}

void ChamberValueModel::setSetpointColor(const QColor &color)
{
    if (assignIfChanged(m_setpointColor, color))
        Q_EMIT signalSetpointColorChanged();
}

void ChamberValueModel::setLimitMin(const UnitValue &limit)
{
    if (assignIfChanged(m_limitMin, limit))
        Q_EMIT signalLimitMinChanged();
}

void ChamberValueModel::setLimitMax(const UnitValue &limit)
{
    if (assignIfChanged(m_limitMax, limit))
        Q_EMIT signalLimitMaxChanged();
}

void ChamberValueModel::setSetpointId(int id)
{
    if (!assignIfChanged(m_setpointId, id))
        return;
    clearValues();
    Q_EMIT signalSetpointIdChanged();
}

void ChamberValueModel::setSignalId(int id)
{
    if (!assignIfChanged(m_signalId, id))
        return;
    clearValues();
    Q_EMIT signalSignalIdChanged();
}

void ChamberValueModel::setChamberId(int id)
{
    if (assignIfChanged(m_chamberId, id))
        Q_EMIT signalChamberIdChanged();
}

void ChamberValueModel::setRecordingId(int id)
{
    if (assignIfChanged(m_recordingId, id))
        Q_EMIT signalSignalIdChanged();
}

void ChamberValueModel::setExitDelay(int seconds)
{
    if (assignIfChanged(m_exitDelay, seconds))
        Q_EMIT signalExitDelayChanged();
}

void ChamberValueModel::setEntryDelay(int seconds)
{
    if (assignIfChanged(m_entryDelay, seconds))
        Q_EMIT signalEntryDelayChanged();
}

void ChamberValueModel::setSubscribed(bool subscribed)
{
    if (assignIfChanged(m_isSubscribed, subscribed))
        Q_EMIT signalSubscriptionChanged();
}

void ChamberValueModel::setToleranceRange(const ToleranceRange &range)
{
    if (!assignIfChanged(m_toleranceRange, range))
        return;
    testToleranceRange();
    Q_EMIT signalToleranceRangeChanged();
}

void ChamberValueModel::resetStyle()
{
    setPixelSize(m_defaultPixelSize);
    setLineStyle(m_defaultLineStyle);
    setCustomColor(QColor());
    m_styleDirty = true;
    Q_EMIT signalStyleChanged();
}

QString ChamberValueModel::styleString() const
{
    const QColor color = m_customColor.isValid() ? m_customColor : m_signalColor;
    return QStringLiteral("%1;%2;%3;%4")
        .arg(color.name())
        .arg(m_pixelSize)
        .arg(static_cast<int>(m_lineStyle))
        .arg(m_axis);
}

void ChamberValueModel::setStyleString(const QString &style)
{
    constexpr int StyleParts = 4;
    const QStringList parts = style.split(QLatin1Char(';'), Qt::KeepEmptyParts);
    if (parts.size() != StyleParts)
        return;
    const int previousAxis = m_axis;
    m_customColor = QColor(parts.at(0));
    m_pixelSize = parts.at(1).toInt();
    m_lineStyle = LineStyle(parts.at(2).toInt());
    m_axis = parts.at(3).toInt();
    m_styleDirty = true;
    Q_EMIT signalStyleChanged();
    if (m_axis != previousAxis)
        Q_EMIT signalAxisChanged();
}

void ChamberValueModel::handleOperatingModeChanged()
{
    const auto *provider = qobject_cast<ChamberDataProvider *>(sender());
    if (!provider)
        return;
    const bool wasSettable = isSettable();
    m_operationMode = provider->operationMode();
    Q_EMIT signalNumericalValueChanged();
    if (isSettable() != wasSettable)
        Q_EMIT signalSettabilityChanged();
}

void ChamberValueModel::handleProgramActiveChanged()
{
    if (qobject_cast<ChamberDataProvider *>(sender()))
        Q_EMIT signalNumericalValueChanged();
}

} // namespace quelta::gui
