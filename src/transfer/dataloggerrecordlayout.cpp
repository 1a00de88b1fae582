#include "transfer/dataloggerrecordlayout.h"

#include "domain/types/recordsetcomment.h"
#include "domain/types/setpointvalue.h"
#include "domain/types/unitvalue.h"

#include <QtCore/QDateTime>
#include <QtCore/QMap>
#include <QtCore/QtEndian>

#include <algorithm>
#include <numeric>
#include <cstring>

namespace quelta::base::connection::chamberconnection {

using domain::types::ChamberSignal;
using domain::types::Recordset;
using domain::types::RecordsetComment;
using domain::types::SetpointValue;
using domain::types::UnitValue;

namespace {

constexpr int TimeStampOffset = 4;
constexpr int FirstChannelOffset = 8;

int sizeOf(DataLoggerRecordLayout::Channel channel)
{
    return channel == DataLoggerRecordLayout::Channel::Float ? 4 : 1;
}

QVariant valueAt(const uchar *field, DataLoggerRecordLayout::Channel channel)
{
    switch (channel) {
    case DataLoggerRecordLayout::Channel::Float: {
        const quint32 bits = qFromLittleEndian<quint32>(field);
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return QVariant(value);
    }
    case DataLoggerRecordLayout::Channel::Switch:
        return QVariant(*field != 0);
    case DataLoggerRecordLayout::Channel::Byte:
        return QVariant(int(*field));
    }
    return QVariant();
}

} // namespace

DataLoggerRecordLayout::DataLoggerRecordLayout(int recordSize, const QVector<Channel> &channels)
    : m_recordSize(recordSize)
    , m_channels(channels)
{
    Q_ASSERT(std::accumulate(channels.begin(), channels.end(), FirstChannelOffset,
                             [](int end, Channel channel) { return end + sizeOf(channel); })
             <= recordSize);
}

QList<Recordset> DataLoggerRecordLayout::parse(const QVector<uchar> &block, int maxRecords,
                                               const QList<ChamberSignal> &chamberSignals, uint recordingId) const
{
    const int count = std::min(block.size() / m_recordSize, maxRecords);
    QList<Recordset> records;
    for (int i = 0; i < count; ++i)
        records.append(parseRecord(block.constData() + i * m_recordSize, chamberSignals, recordingId));
    return records;
}

Recordset DataLoggerRecordLayout::parseRecord(const uchar *record, const QList<ChamberSignal> &chamberSignals,
                                              uint recordingId) const
{
    QMap<int, SetpointValue> values;
    const uchar *field = record + FirstChannelOffset;
    const int pairs = std::min(chamberSignals.size(), m_channels.size());
    for (int i = 0; i < pairs; ++i) {
        const ChamberSignal &signal = chamberSignals.at(i);
        // The channel holds the value itself, never a word of bits: a signal
        // at a bit position does not pick its bit out of it.
        const UnitValue value(signal.unit(), valueAt(field, m_channels.at(i)));
        values.insert(signal.id(), SetpointValue(signal.id(), value));
        field += sizeOf(m_channels.at(i));
    }

    // The logger counts in the controller's clock, which shows local time.
    QDateTime recordTime =
        QDateTime::fromSecsSinceEpoch(qFromLittleEndian<quint32>(record + TimeStampOffset), Qt::UTC);
    recordTime.setTimeSpec(Qt::LocalTime);
    return Recordset(-1, recordingId, recordTime, values.values(), true, RecordsetComment(), 0, QString(), 0);
}

} // namespace quelta::base::connection::chamberconnection
