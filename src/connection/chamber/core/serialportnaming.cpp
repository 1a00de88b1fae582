#include "connection/chamber/core/serialportnaming.h"

#include <QtCore/QPair>
#include <QtCore/QSet>
#include <QtSerialPort/QSerialPortInfo>

#include <algorithm>

namespace quelta::base::connection::chamberconnection {

namespace {

// The on-board UARTs, which get the COM number of their own index.
const QLatin1String OnboardPrefix("ttyS");
// Kernels number their ports far below this; longer numbers are not a ttyS
// index we could count up from without overflow.
constexpr int MaxOnboardDigits = 9;

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

struct SplitName
{
    QString stem;
    QString digits; // without leading zeros
};

SplitName splitTrailingDigits(const QString &name)
{
    int start = name.size();
    while (start > 0 && isAsciiDigit(name.at(start - 1)))
        --start;
    int firstSignificant = start;
    while (firstSignificant < name.size() - 1 && name.at(firstSignificant) == QLatin1Char('0'))
        ++firstSignificant;
    return {name.left(start), name.mid(firstSignificant)};
}

// Name order: the stem as text, then the trailing number as a number, so
// that ttyUSB2 comes before ttyUSB10.
bool inNameOrder(const QString &lhs, const QString &rhs)
{
    const SplitName left = splitTrailingDigits(lhs);
    const SplitName right = splitTrailingDigits(rhs);
    if (left.stem != right.stem)
        return left.stem < right.stem;
    if (left.digits.size() != right.digits.size())
        return left.digits.size() < right.digits.size();
    if (left.digits != right.digits)
        return left.digits < right.digits;
    return lhs < rhs;
}

// The index n of a port named ttyS<n>, or -1 for any other name.
qint64 onboardIndex(const QString &portName)
{
    if (!portName.startsWith(OnboardPrefix))
        return -1;
    const QString digits = portName.mid(OnboardPrefix.size());
    if (digits.isEmpty() || digits.size() > MaxOnboardDigits)
        return -1;
    if (!std::all_of(digits.cbegin(), digits.cend(), isAsciiDigit))
        return -1;
    return digits.toLongLong();
}

QStringList portNamesOf(const QList<QSerialPortInfo> &ports)
{
    QStringList names;
    for (const QSerialPortInfo &port : ports)
        names.append(port.portName());
    return names;
}

QString comNameOf(qint64 number)
{
    return QStringLiteral("COM%1").arg(number);
}

} // namespace

SerialPortNaming::SerialPortNaming(const QStringList &portNames)
{
    QSet<QString> seen;
    QList<QPair<qint64, QString>> onboard;
    QStringList others;
    for (const QString &name : portNames) {
        if (name.isEmpty() || seen.contains(name))
            continue;
        seen.insert(name);
        const qint64 index = onboardIndex(name);
        if (index < 0)
            others.append(name);
        else
            onboard.append({index + 1, name});
    }

    std::stable_sort(onboard.begin(), onboard.end(),
                     [](const auto &lhs, const auto &rhs) { return lhs.first < rhs.first; });
    qint64 highest = 0;
    for (const auto &[number, name] : qAsConst(onboard)) {
        // ttyS1 and ttyS01 would both claim COM2: the first keeps it, the
        // other is numbered like any other port.
        if (number == highest) {
            others.append(name);
            continue;
        }
        highest = number;
        m_entries.append({name, comNameOf(number)});
    }

    std::sort(others.begin(), others.end(), inNameOrder);
    for (const QString &name : qAsConst(others))
        m_entries.append({name, comNameOf(++highest)});
}

QStringList SerialPortNaming::availablePortNames()
{
    return portNamesOf(QSerialPortInfo::availablePorts());
}

QString SerialPortNaming::resolve(const QString &comPortOrDevice)
{
    const QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    const QString portName = SerialPortNaming(portNamesOf(ports)).portName(comPortOrDevice);
    if (portName.isNull())
        return comPortOrDevice;
    const auto port = std::find_if(ports.cbegin(), ports.cend(),
                                   [&portName](const QSerialPortInfo &info) { return info.portName() == portName; });
    return port->systemLocation();
}

QString SerialPortNaming::comName(const QString &portName) const
{
    for (const Entry &entry : m_entries) {
        if (entry.portName == portName)
            return entry.comName;
    }
    return {};
}

QString SerialPortNaming::portName(const QString &comName) const
{
    for (const Entry &entry : m_entries) {
        if (entry.comName == comName)
            return entry.portName;
    }
    return {};
}

} // namespace quelta::base::connection::chamberconnection
