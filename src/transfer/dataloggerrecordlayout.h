#pragma once

#include "domain/types/chambersignal.h"
#include "domain/types/recordset.h"

#include <QtCore/QList>
#include <QtCore/QVector>

namespace quelta::base::connection::chamberconnection {

// The layout of one record of a Modbus controller's data logger.
//
// A record starts with four bytes that are not read and its time stamp, the
// seconds since 1970-01-01T00:00:00 UTC as an unsigned 32-bit number at
// offset 4. The channels follow from offset 8 without gaps: a float takes
// four bytes (IEEE 754 single precision), a switch or a byte one. Bytes after
// the last channel are not read. Numbers are little-endian in the block as
// the chamber connection hands it over, the registers' bytes in the order in
// which they were transmitted, each register's high byte first.
class DataLoggerRecordLayout
{
public:
    enum class Channel {
        Float,
        // Any byte but 0 is true.
        Switch,
        // 0 to 255, as an int.
        Byte
    };

    DataLoggerRecordLayout(int recordSize, const QVector<Channel> &channels);

    int recordSize() const { return m_recordSize; }

    // The whole records at the start of block, at most maxRecords of them.
    // Channel i belongs to chamberSignals[i] and keeps its own value type in
    // the signal's unit; channels without a signal are dropped, and of two
    // channels of one signal the later one counts. The
    // values of a record are ordered by signal id; the record time keeps the
    // stamp's date and clock but reads them as local time.
    QList<domain::types::Recordset> parse(const QVector<uchar> &block, int maxRecords,
                                          const QList<domain::types::ChamberSignal> &chamberSignals,
                                          uint recordingId) const;

private:
    domain::types::Recordset parseRecord(const uchar *record, const QList<domain::types::ChamberSignal> &chamberSignals,
                                         uint recordingId) const;

    int m_recordSize;
    QVector<Channel> m_channels;
};

} // namespace quelta::base::connection::chamberconnection
