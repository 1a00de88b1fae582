#pragma once

#include "domain/types/smtpconnectiontype.h"

#include <QtCore/QMetaType>
#include <QtCore/QString>

class QDebug;

namespace quelta::domain::types {

// The mail-server settings. The record carries a second set of the same six
// fields; the constructor fills both alike, and equality compares both.
class SmtpConfiguration
{
public:
    SmtpConfiguration() = default;
    // connectionType is a SmtpConnectionType::Type value; the settings store
    // hands over -1 when none is stored.
    SmtpConfiguration(const QString &hostName, quint16 port, int connectionType, const QString &userName,
                      const QString &password, const QString &senderAddress);

    QString hostName() const { return m_first.hostName; }
    void setHostName(const QString &hostName) { m_first.hostName = hostName; }
    quint16 port() const { return m_first.port; }
    void setPort(quint16 port) { m_first.port = port; }
    int connectionType() const { return m_first.connectionType; }
    void setConnectionType(int type) { m_first.connectionType = type; }
    QString userName() const { return m_first.userName; }
    void setUserName(const QString &userName) { m_first.userName = userName; }
    QString password() const { return m_first.password; }
    void setPassword(const QString &password) { m_first.password = password; }
    QString senderAddress() const { return m_first.senderAddress; }
    void setSenderAddress(const QString &address) { m_first.senderAddress = address; }

    QString secondHostName() const { return m_second.hostName; }
    void setSecondHostName(const QString &hostName) { m_second.hostName = hostName; }
    quint16 secondPort() const { return m_second.port; }
    void setSecondPort(quint16 port) { m_second.port = port; }
    int secondConnectionType() const { return m_second.connectionType; }
    void setSecondConnectionType(int type) { m_second.connectionType = type; }
    QString secondUserName() const { return m_second.userName; }
    void setSecondUserName(const QString &userName) { m_second.userName = userName; }
    QString secondPassword() const { return m_second.password; }
    void setSecondPassword(const QString &password) { m_second.password = password; }
    QString secondSenderAddress() const { return m_second.senderAddress; }
    void setSecondSenderAddress(const QString &address) { m_second.senderAddress = address; }

    friend bool operator==(const SmtpConfiguration &lhs, const SmtpConfiguration &rhs)
    {
        return lhs.m_first == rhs.m_first && lhs.m_second == rhs.m_second;
    }
    friend bool operator!=(const SmtpConfiguration &lhs, const SmtpConfiguration &rhs) { return !(lhs == rhs); }

private:
    struct Fields
    {
        QString hostName;
        quint16 port = 0;
        int connectionType = SmtpConnectionType::TLS;
        QString userName;
        QString password;
        QString senderAddress;

        friend bool operator==(const Fields &lhs, const Fields &rhs)
        {
            return lhs.hostName == rhs.hostName && lhs.port == rhs.port && lhs.connectionType == rhs.connectionType
                && lhs.userName == rhs.userName && lhs.password == rhs.password
                && lhs.senderAddress == rhs.senderAddress;
        }
    };

    Fields m_first;
    Fields m_second;
};

// The name under which the view models know the record.
using SmtpSettings = SmtpConfiguration;

// Never prints the passwords.
QDebug operator<<(QDebug debug, const SmtpConfiguration &configuration);

} // namespace quelta::domain::types

Q_DECLARE_METATYPE(quelta::domain::types::SmtpConfiguration)
