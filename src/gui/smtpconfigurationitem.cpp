#include "gui/smtpconfigurationitem.h"

#include "domain/types/smtpconnectiontype.h"

#include <QtCore/QMetaEnum>

namespace quelta::gui {

using domain::types::SmtpConnectionType;
using domain::types::SmtpSettings;

namespace {

QMetaEnum connectionTypes()
{
    return QMetaEnum::fromType<SmtpConnectionType::Type>();
}

} // namespace

SmtpConfigurationItem::SmtpConfigurationItem(QObject *parent)
    : QObject(parent)
{
}

bool SmtpConfigurationItem::isChanged() const
{
    return m_editedSettings != m_storedSettings;
}

QString SmtpConfigurationItem::smtpHostname() const
{
    return m_editedSettings.hostName();
}

void SmtpConfigurationItem::setSmtpHostname(const QString &hostname)
{
    if (hostname == m_editedSettings.hostName())
        return;
    m_editedSettings.setHostName(hostname);
    Q_EMIT hostnameChanged();
}

QString SmtpConfigurationItem::smtpPort() const
{
    return QString::number(m_editedSettings.port());
}

void SmtpConfigurationItem::setSmtpPort(const QString &port)
{
    if (port == smtpPort())
        return;
    m_editedSettings.setPort(port.toUShort());
    Q_EMIT portChanged();
}

QString SmtpConfigurationItem::smtpUsername() const
{
    return m_editedSettings.userName();
}

void SmtpConfigurationItem::setSmtpUsername(const QString &username)
{
    if (username == m_editedSettings.userName())
        return;
    m_editedSettings.setUserName(username);
    Q_EMIT usernameChanged();
}

QString SmtpConfigurationItem::smtpPassword() const
{
    return m_editedSettings.password();
}

void SmtpConfigurationItem::setSmtpPassword(const QString &password)
{
    m_editedSettings.setSecondPassword(m_editedSettings.password());
    if (password == m_editedSettings.password())
        return;
    m_editedSettings.setPassword(password);
    Q_EMIT passwordChanged();
}

QString SmtpConfigurationItem::smtpSenderAddress() const
{
    return m_editedSettings.senderAddress();
}

void SmtpConfigurationItem::setSmtpSenderAddress(const QString &address)
{
    m_editedSettings.setSecondSenderAddress(m_editedSettings.senderAddress());
    if (address == m_editedSettings.senderAddress())
        return;
    m_editedSettings.setSenderAddress(address);
    Q_EMIT senderAddressChanged();
}

QStringList SmtpConfigurationItem::smtpConfigurationTypes() const
{
    return {QStringLiteral("TCP"), QStringLiteral("TLS"), QStringLiteral("SSL")};
}

QString SmtpConfigurationItem::smtpConfigurationType() const
{
    return QString::fromLatin1(connectionTypes().valueToKey(m_editedSettings.connectionType()));
}

void SmtpConfigurationItem::setSmtpConfigurationType(const QString &type)
{
    if (type == smtpConfigurationType())
        return;
    const QMetaEnum types = connectionTypes();
    for (int i = 0; i < types.keyCount(); ++i) {
        if (type == QLatin1String(types.key(i)))
            m_editedSettings.setConnectionType(types.value(i));
    }
    Q_EMIT configurationTypeChanged();
}

void SmtpConfigurationItem::setConfiguration(const SmtpSettings &settings)
{
    if (settings == m_editedSettings && settings == m_storedSettings)
        return;
    const SmtpSettings previous = m_editedSettings;
    m_editedSettings = settings;
    m_storedSettings = settings;
    Q_EMIT changed();
    // Screens that show the settings must see the values just handed in.
    if (previous.hostName() != settings.hostName())
        Q_EMIT hostnameChanged();
    if (previous.port() != settings.port())
        Q_EMIT portChanged();
    if (previous.userName() != settings.userName())
        Q_EMIT usernameChanged();
    if (previous.password() != settings.password())
        Q_EMIT passwordChanged();
    if (previous.senderAddress() != settings.senderAddress())
        Q_EMIT senderAddressChanged();
    if (previous.connectionType() != settings.connectionType())
        Q_EMIT configurationTypeChanged();
}

} // namespace quelta::gui
