#pragma once

#include <QtCore/QList>
#include <QtCore/QString>
#include <QtCore/QStringList>

namespace quelta::base::connection::chamberconnection {

// Gives each serial port of the PC a COM name, the way users and the chamber
// records name serial ports, and finds the port behind such a name again.
//
// The rule, applied to one complete list of port names:
//   - ttyS<n> is COM<n + 1> (ttyS0 is COM1), as common Linux tools map them;
//   - every other port (USB and ACM adapters, ...) follows after the highest
//     of those numbers, one number each, in name order: the text before the
//     trailing digits, then the trailing digits as a number (ttyACM0, ttyACM1,
//     ttyUSB0, ttyUSB2, ttyUSB10). Without any ttyS port they start at COM1.
// A name that appears twice counts once; empty names are ignored.
//
// The names depend on the whole list: the same adapter can get another
// number when ports come or go. Name and resolve against the same list.
class SerialPortNaming
{
public:
    SerialPortNaming() = default;
    // portNames as QSerialPortInfo::portName() gives them ("ttyS0", "ttyUSB0").
    explicit SerialPortNaming(const QStringList &portNames);

    // The names of the ports that the PC has now.
    static QStringList availablePortNames();

    // The device to open for a chamber's port: the device path of the PC's
    // port with that COM name, or the name itself when no port has that
    // COM name (so a device path such as /dev/pts/3 passes unchanged).
    static QString resolve(const QString &comPortOrDevice);

    // The COM name of a port; a null text when the port is not in the list.
    QString comName(const QString &portName) const;
    // The port behind a COM name; a null text when no port has that name.
    QString portName(const QString &comName) const;

private:
    struct Entry
    {
        QString portName;
        QString comName;
    };

    QList<Entry> m_entries;
};

} // namespace quelta::base::connection::chamberconnection
