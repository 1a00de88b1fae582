#pragma once

#include "domain/types/activationstate.h"
#include "domain/types/chamberdata.h"
#include "domain/types/networkconfiguration.h"

#include <QtCore/QObject>
#include <QtCore/QString>
#include <QtCore/QStringList>

namespace quelta::gui {

// One result of the chamber search: a device that answered the broadcast, a
// serial port, an address entered by hand, or an existing chamber. Wraps the
// chamber record and adds what the pages track while the user works through
// the results: selection, creation state and the outcome of the check.
class ChamberCreationModel : public QObject
{
    Q_OBJECT
    Q_PROPERTY(CreationState creationState READ creationState WRITE setCreationState
                   NOTIFY signalCreationStateChanged)
    Q_PROPERTY(bool selected READ isSelected WRITE setSelected NOTIFY signalSelectionStateChanged)
    Q_PROPERTY(int chamberTypeId READ chamberTypeId NOTIFY signalDataChanged)
    Q_PROPERTY(int additionalInfoId READ additionalInfoId NOTIFY signalDataChanged)
    Q_PROPERTY(QString chamberName READ chamberName WRITE setChamberName NOTIFY signalDataChanged)
    Q_PROPERTY(QString serialNumber READ serialNumber WRITE setSerialNumber NOTIFY signalDataChanged)
    Q_PROPERTY(bool isSerial READ isSerial NOTIFY signalDataChanged)
    Q_PROPERTY(QString comPort READ comPort NOTIFY signalDataChanged)
    Q_PROPERTY(QString ipAddress READ ipAddress NOTIFY signalDataChanged)
    Q_PROPERTY(QString macAddress READ macAddress WRITE setMacAddress NOTIFY signalDataChanged)
    Q_PROPERTY(int modbusAddress READ modbusAddress WRITE setModbusAddress NOTIFY signalDataChanged)
    Q_PROPERTY(QString converter READ converter WRITE setConverter NOTIFY signalDataChanged)
    Q_PROPERTY(QStringList converterNames READ converterNames CONSTANT)
    Q_PROPERTY(bool manuallyConfigured READ isManuallyConfigured NOTIFY signalDataChanged)
    Q_PROPERTY(quelta::domain::types::ActivationState::State activationState READ activationState
                   NOTIFY signalActivationStateChanged)

public:
    enum CreationState : int { NOT_CREATED = 0, CREATING = 1, CREATED = 2 };
    Q_ENUM(CreationState)

    // An empty result, for QML; not selected, not created.
    explicit ChamberCreationModel(QObject *parent = nullptr);
    // A device found by the broadcast, or an address entered by hand.
    ChamberCreationModel(const quelta::domain::types::NetworkConfiguration &configuration, bool manuallyConfigured);
    // A serial port, by its COM name ("COM3").
    explicit ChamberCreationModel(const QString &comPort);
    // An existing chamber, which counts as created.
    explicit ChamberCreationModel(const quelta::domain::types::ChamberData &chamberData);

    const quelta::domain::types::ChamberData &chamberData() const { return m_chamberData; }

    CreationState creationState() const { return m_creationState; }
    // Always announces the state, also when it did not change.
    void setCreationState(int state);
    bool isSelected() const { return m_selected; }
    void setSelected(bool selected);

    // The low 32 bits of the ids, as QML hands them back to setChamberType().
    int chamberTypeId() const;
    int additionalInfoId() const;
    QString chamberName() const { return m_chamberData.chamberName(); }
    void setChamberName(const QString &name);
    QString serialNumber() const { return m_chamberData.serialNumber(); }
    void setSerialNumber(const QString &serialNumber);
    // A result without an IP address is reached over a serial line.
    bool isSerial() const { return m_chamberData.ipAddress().isNull(); }
    QString comPort() const { return m_chamberData.comPort(); }
    // Empty for a result without an IP address.
    QString ipAddress() const;
    QString macAddress() const { return m_chamberData.macAddress().toString(); }
    // Six hexadecimal groups separated by "-" or ":"; other text clears it.
    void setMacAddress(const QString &text);
    int modbusAddress() const { return m_chamberData.modbusAddress(); }
    // Keeps the low 8 bits.
    void setModbusAddress(int address);
    // The converter's name; empty without a converter.
    QString converter() const;
    // Selects the converter of that name; a name that is not one selects the
    // first converter.
    void setConverter(const QString &name);
    QStringList converterNames() const;
    bool isManuallyConfigured() const { return m_manuallyConfigured; }
    quelta::domain::types::ActivationState::State activationState() const;
    // Always announces the state: each check result is news to the page.
    void setActivationState(quelta::domain::types::ActivationState::State state);

    // Takes over the chamber type that the user chose, with the type's needs:
    // a Modbus address (at least 1) or none (0), and, for a serial type
    // reached over the network, a converter (XPort unless one is set).
    Q_INVOKABLE void setChamberType(int chamberTypeId, int additionalInfoId, bool requiresModbusAddress,
                                    bool isSerial);

Q_SIGNALS:
    void signalActivationStateChanged();
    void signalSelectionStateChanged();
    void signalCreationStateChanged();
    void signalDataChanged();
    // Part of the type's QML interface, for documents that react to a new
    // chamber type; setChamberType() announces its changes through
    // signalDataChanged, so nothing emits it.
    void signalTypeChanged();

private:
    quelta::domain::types::ChamberData m_chamberData;
    bool m_manuallyConfigured = false;
    CreationState m_creationState = NOT_CREATED;
    bool m_selected = false;
};

} // namespace quelta::gui
