#pragma once

#include "domain/types/chambersignal.h"
#include "domain/types/unitvalue.h"

#include <QtCore/QMetaType>
#include <QtCore/QObject>
#include <QtCore/QString>
#include <QtGui/QColor>

namespace quelta::gui {

// One signal of a chamber type as the signal-selection dialogs show it. A
// value type that travels to QML inside a QVariant; the unit is the one in
// which the current user wants to see the signal.
class ChamberSignalModel
{
    Q_GADGET
    Q_PROPERTY(int signalId READ signalId CONSTANT)
    Q_PROPERTY(QString signalName READ signalName CONSTANT)
    Q_PROPERTY(QString signalUnit READ signalUnit CONSTANT)
    Q_PROPERTY(QColor signalColor READ signalColor CONSTANT)
    Q_PROPERTY(QString numericalValue READ numericalValue CONSTANT)
    Q_PROPERTY(bool isDigital READ isDigital CONSTANT)
    Q_PROPERTY(int nDecimalPlaces READ nDecimalPlaces CONSTANT)
    Q_PROPERTY(QString signalPrefix READ signalPrefix CONSTANT)

public:
    ChamberSignalModel() = default;
    explicit ChamberSignalModel(const domain::types::ChamberSignal &chamberSignal);

    int signalId() const { return m_signal.id(); }
    QString signalName() const { return m_signal.name(); }
    QString signalUnit() const;
    QColor signalColor() const { return m_signal.color(); }
    // A signal model carries no value.
    QString numericalValue() const { return QStringLiteral("--"); }
    bool isDigital() const { return m_signal.isDigital(); }
    int nDecimalPlaces() const { return m_signal.decimalPlaces(); }
    QString signalPrefix() const { return QLatin1String(""); }

    // The unit code of signalUnit().
    int displayUnit() const;
    // In the signal's own unit.
    domain::types::UnitValue lowerLimit() const;
    domain::types::UnitValue upperLimit() const;

private:
    domain::types::ChamberSignal m_signal;
};

} // namespace quelta::gui

Q_DECLARE_METATYPE(quelta::gui::ChamberSignalModel)
