#include "gui/chambercreationmodel.h"

#include "gui/assignifchanged.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QMap>

namespace quelta::gui {

using quelta::domain::types::ActivationState;
using quelta::domain::types::ChamberData;
using quelta::domain::types::ChamberTypeKey;
using quelta::domain::types::MacAddress;
using quelta::domain::types::NetworkConfiguration;

namespace {

constexpr int ComServer = 0;
constexpr int XPort = 1;

// The converters by their ChamberData::converter() value.
const QMap<int, QString> &converterNameTable()
{
    static const QMap<int, QString> names{
        {ComServer, QCoreApplication::translate("quelta::gui::ChamberCreationModel", "ComServer")},
        {XPort, QCoreApplication::translate("quelta::gui::ChamberCreationModel", "XPort")},
    };
    return names;
}

quint64 widenedId(int id)
{
    return static_cast<quint64>(static_cast<qint64>(id));
}

int lowBits(quint64 id)
{
    return static_cast<int>(static_cast<quint32>(id));
}

} // namespace

ChamberCreationModel::ChamberCreationModel(QObject *parent)
    : QObject(parent)
{
}

ChamberCreationModel::ChamberCreationModel(const NetworkConfiguration &configuration, bool manuallyConfigured)
    : m_manuallyConfigured(manuallyConfigured)
{
    m_chamberData.setIpAddress(configuration.address());
    m_chamberData.setMacAddress(configuration.macAddress());
    m_chamberData.setConverter(configuration.converter());
}

ChamberCreationModel::ChamberCreationModel(const QString &comPort)
{
    m_chamberData.setComPort(comPort);
}

ChamberCreationModel::ChamberCreationModel(const ChamberData &chamberData)
    : m_chamberData(chamberData)
    , m_creationState(CREATED)
{
}

void ChamberCreationModel::setCreationState(int state)
{
    m_creationState = static_cast<CreationState>(state);
    Q_EMIT signalCreationStateChanged();
}

void ChamberCreationModel::setSelected(bool selected)
{
    if (assignIfChanged(m_selected, selected))
        Q_EMIT signalSelectionStateChanged();
}

int ChamberCreationModel::chamberTypeId() const
{
    return lowBits(m_chamberData.chamberTypeId());
}

int ChamberCreationModel::additionalInfoId() const
{
    return lowBits(m_chamberData.additionalInfoId());
}

void ChamberCreationModel::setChamberName(const QString &name)
{
    m_chamberData.setChamberName(name);
    Q_EMIT signalDataChanged();
}

void ChamberCreationModel::setSerialNumber(const QString &serialNumber)
{
    m_chamberData.setSerialNumber(serialNumber);
    Q_EMIT signalDataChanged();
}

QString ChamberCreationModel::ipAddress() const
{
    const QHostAddress address = m_chamberData.ipAddress();
    return address.isNull() ? QString() : address.toString();
}

void ChamberCreationModel::setMacAddress(const QString &text)
{
    m_chamberData.setMacAddress(MacAddress::fromString(text));
    Q_EMIT signalDataChanged();
}

void ChamberCreationModel::setModbusAddress(int address)
{
    m_chamberData.setModbusAddress(static_cast<quint8>(address & 0xFF));
    Q_EMIT signalDataChanged();
}

QString ChamberCreationModel::converter() const
{
    return converterNameTable().value(m_chamberData.converter());
}

void ChamberCreationModel::setConverter(const QString &name)
{
    m_chamberData.setConverter(converterNameTable().key(name, ComServer));
    Q_EMIT signalDataChanged();
}

QStringList ChamberCreationModel::converterNames() const
{
    return converterNameTable().values();
}

ActivationState::State ChamberCreationModel::activationState() const
{
    return static_cast<ActivationState::State>(m_chamberData.activationState());
}

void ChamberCreationModel::setActivationState(ActivationState::State state)
{
    m_chamberData.setActivationState(state);
    Q_EMIT signalActivationStateChanged();
}

void ChamberCreationModel::setChamberType(int chamberTypeId, int additionalInfoId, bool requiresModbusAddress,
                                          bool isSerial)
{
    m_chamberData.setChamberTypeKey(ChamberTypeKey(widenedId(chamberTypeId), widenedId(additionalInfoId)));

    if (!requiresModbusAddress)
        m_chamberData.setModbusAddress(0);
    else if (m_chamberData.modbusAddress() == 0)
        m_chamberData.setModbusAddress(1);

    if (!isSerial)
        m_chamberData.setConverter(ChamberData::NoConverter);
    else if (!m_chamberData.ipAddress().isNull() && m_chamberData.converter() == ChamberData::NoConverter)
        m_chamberData.setConverter(XPort);

    Q_EMIT signalDataChanged();
}

} // namespace quelta::gui
