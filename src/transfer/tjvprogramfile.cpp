#include "transfer/tjvprogramfile.h"

#include <QtCore/QRegularExpression>
#include <QtCore/QString>

namespace quelta::base::connection::chamberconnection {

namespace {

const QString noLowerLimit = QStringLiteral("-999.00");
const QString noUpperLimit = QStringLiteral("999.00");
constexpr int BitFieldSize = 256;

QString decimal(double value)
{
    return QString::number(value, 'f', 2);
}

const QRegularExpression &headerPattern()
{
    static const QRegularExpression pattern(QRegularExpression::anchoredPattern(QStringLiteral(
        R"(Nr\.\s+Wert\s+H:M:S\s+Ref\.\s+Wdh\.\s+T\.min\s+T\.max\s+R/S(\s+1\|2\|3)?\s*\r\n)")));
    return pattern;
}

const QRegularExpression &linePattern()
{
    static const QRegularExpression pattern(QRegularExpression::anchoredPattern(QStringLiteral(
        R"((\d+)\t(-?\d{1,3}\.\d{2})\t(\d+)\t(\d+)\t(\d+)\t(-?\d{1,3}\.\d{2})\t(-?\d{1,3}\.\d{2})\t([0|1])(\t\d{1,3})?\r\n)")));
    return pattern;
}

} // namespace

QByteArray TjvProgramFile::header(bool withBits)
{
    return QByteArrayLiteral("Nr.\tWert\tH:M:S\tRef.\tWdh.\tT.min\tT.max\tR/S")
        + (withBits ? QByteArrayLiteral("\t1|2|3") : QByteArray()) + QByteArrayLiteral("\r\n");
}

QByteArray TjvProgramFile::format(const Line &line)
{
    const QString text = QStringLiteral("%1\t%2\t%3\t%4\t%5\t%6\t%7\t%8%9\r\n")
                             .arg(line.sectionNumber)
                             .arg(decimal(line.value))
                             .arg(line.durationInSeconds)
                             .arg(line.reference)
                             .arg(line.repetitions)
                             .arg(line.lowerLimit ? decimal(-double(*line.lowerLimit)) : noLowerLimit)
                             .arg(line.upperLimit ? decimal(double(*line.upperLimit)) : noUpperLimit)
                             .arg(line.transitionType)
                             .arg(line.bits ? QStringLiteral("\t%1").arg(*line.bits) : QString());
    return text.toUtf8();
}

bool TjvProgramFile::isHeader(const QByteArray &line)
{
    return headerPattern().match(QString::fromUtf8(line)).hasMatch();
}

std::optional<TjvProgramFile::Line> TjvProgramFile::parse(const QByteArray &text)
{
    const QRegularExpressionMatch match = linePattern().match(QString::fromUtf8(text));
    if (!match.hasMatch())
        return std::nullopt;
    // Counts too large for their fields make the line unreadable too.
    bool counted[4] = {};
    Line line;
    line.sectionNumber = match.capturedRef(1).toInt(&counted[0]);
    line.value = match.capturedRef(2).toFloat();
    line.durationInSeconds = match.capturedRef(3).toLongLong(&counted[1]);
    line.reference = match.capturedRef(4).toInt(&counted[2]);
    line.repetitions = match.capturedRef(5).toInt(&counted[3]);
    if (!(counted[0] && counted[1] && counted[2] && counted[3]))
        return std::nullopt;
    if (const QString lower = match.captured(6); lower != noLowerLimit)
        line.lowerLimit = -lower.toFloat();
    if (const QString upper = match.captured(7); upper != noUpperLimit)
        line.upperLimit = upper.toFloat();
    line.transitionType = match.captured(8).toInt();
    if (const QString bits = match.captured(9); !bits.isEmpty())
        line.bits = bits.midRef(1).toInt() % BitFieldSize;
    return line;
}

} // namespace quelta::base::connection::chamberconnection
