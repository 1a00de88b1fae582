#include "tjvdatalogformat.h"

#include "connection/chamber/core/chamberconnectionlogging.h"
#include "domain/types/recordsetcomment.h"
#include "domain/types/unit.h"

#include <QtCore/QBuffer>
#include <QtCore/QMap>
#include <QtCore/QRegularExpression>

#include <algorithm>

namespace quelta::base::connection::chamberconnection {

using domain::types::ChamberSignal;
using domain::types::Recordset;
using domain::types::SetpointValue;
using domain::types::Unit;

namespace {

// The file's lines as they stand: a CR inside a line stays there, where a
// text-mode read would drop it and join what it separated.
void openLines(QBuffer &file, const QByteArray &content)
{
    file.setData(content);
    file.open(QIODevice::ReadOnly);
}

// A line without its end, LF or CR LF.
QString withoutLineEnd(QByteArray line)
{
    if (line.endsWith('\n'))
        line.chop(1);
    if (line.endsWith('\r'))
        line.chop(1);
    return QString::fromUtf8(line);
}

// Tabs may separate the columns; any other control character, a CR among
// them, makes the numbers of a line unreliable.
bool hasControlCharacter(const QString &line)
{
    return std::any_of(line.cbegin(), line.cend(), [](QChar c) {
        return (c.unicode() < 0x20 && c != QLatin1Char('\t')) || c.unicode() == 0x7f;
    });
}

ChamberSignal signalWithReadAddress(const QList<ChamberSignal> &chamberSignals, const QString &address)
{
    for (const ChamberSignal &signal : chamberSignals) {
        if (signal.readAddress() && signal.readAddress()->address() == address)
            return signal;
    }
    qCWarning(lcChamberConnection).noquote() << QStringLiteral("Signal with address '%1' not found").arg(address);
    return ChamberSignal();
}

float valueIn(int unit, float degreesCelsius)
{
    const bool isTemperature =
            unit == Unit::DegreeCelsius || unit == Unit::DegreeFahrenheit || unit == Unit::Kelvin;
    return isTemperature ? Unit::convert(Unit::DegreeCelsius, unit, degreesCelsius) : degreesCelsius;
}

// The numbers from offset on, one per column, until the columns run out, no
// number follows, or the number is the start of the line's status group.
QList<SetpointValue> valuesOf(const QString &line, int offset, const QList<ChamberSignal> &columns)
{
    static const QRegularExpression number(QStringLiteral("([-]?\\d+(\\.\\d+)?)\\s*"));
    static const QRegularExpression group(QStringLiteral("0x[0-9A-F]{4}"));
    const int groupStart = group.match(line).capturedStart();
    QMap<int, SetpointValue> values;
    for (const ChamberSignal &signal : columns) {
        const QRegularExpressionMatch match = number.match(line, offset);
        if (!match.hasMatch() || match.capturedStart() == groupStart)
            break;
        offset = match.capturedEnd();
        if (signal.id() != -1) {
            const float value = valueIn(signal.unit(), match.capturedRef(1).toFloat());
            values.insert(signal.id(), SetpointValue(signal, QVariant(value)));
        }
    }
    return values.values();
}

} // namespace

QList<ChamberSignal> TjvDataLogFormat::columns(const QByteArray &canIdIni, const QList<ChamberSignal> &chamberSignals)
{
    static const QRegularExpression logging(QStringLiteral("Logging=(TRUE|FALSE)"));
    // The eight digits, and a ninth if the ID runs on: cut to eight, it would
    // name another signal.
    static const QRegularExpression id(QStringLiteral("ID=(0x[0-9A-F]{8})([0-9A-Fa-f]?)"));
    QList<ChamberSignal> columns;
    QBuffer file;
    openLines(file, canIdIni);
    while (!file.atEnd()) {
        QString block;
        for (int line = 0; line < LinesPerBlock && !file.atEnd(); ++line)
            block += QString::fromUtf8(file.readLine());
        const QRegularExpressionMatch loggingMatch = logging.match(block);
        if (loggingMatch.hasMatch() && loggingMatch.capturedRef(1) == QLatin1String("FALSE"))
            continue;
        const QRegularExpressionMatch idMatch = id.match(block);
        const bool idRunsOn = idMatch.capturedLength(2) > 0;
        if (!loggingMatch.hasMatch() || !idMatch.hasMatch() || idRunsOn)
            qCCritical(lcChamberConnection) << "Invalid block in CANID.ini";
        // A logged column whose ID names no signal is still in the daily
        // files: a placeholder keeps the later columns on their signals.
        if (loggingMatch.hasMatch() && idMatch.hasMatch())
            columns.append(idRunsOn ? ChamberSignal() : signalWithReadAddress(chamberSignals, idMatch.captured(1)));
    }
    return columns;
}

QList<Recordset> TjvDataLogFormat::recordsets(const QByteArray &logFile, const QList<ChamberSignal> &columns,
                                              const domain::types::RecordingData &recording)
{
    static const QRegularExpression timeStamp(
            QStringLiteral("^(\\d{4}-\\d{2}-\\d{2})\\s*(\\d{2}:\\d{2}:\\d{2})\\s*"));
    QList<Recordset> recordsets;
    QBuffer file;
    openLines(file, logFile);
    for (int line = 0; line < HeaderLines && !file.atEnd(); ++line)
        file.readLine();
    // Read line by line: whatever follows the first line without a time is
    // never looked at.
    while (!file.atEnd()) {
        const QString line = withoutLineEnd(file.readLine());
        const QRegularExpressionMatch stamp = timeStamp.match(line);
        if (!stamp.hasMatch())
            break;
        if (hasControlCharacter(line)) {
            qCWarning(lcChamberConnection) << "(TJV) Log line with a control character skipped:" << line;
            continue;
        }
        const QDateTime recordTime = QDateTime::fromString(stamp.captured(1) + QLatin1Char(' ') + stamp.captured(2),
                                                           QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        if (!recordTime.isValid() || recordTime < recording.startTime())
            continue;
        recordsets.append(Recordset(-1, recording.id(), recordTime, valuesOf(line, stamp.capturedLength(), columns),
                                    true, domain::types::RecordsetComment(), 0, QString(), 0));
    }
    return recordsets;
}

} // namespace quelta::base::connection::chamberconnection
