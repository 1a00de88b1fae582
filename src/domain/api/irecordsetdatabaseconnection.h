#pragma once

#include "domain/types/chambersignal.h"
#include "domain/types/databaseconnectionerror.h"
#include "domain/types/recordset.h"
#include "domain/types/recordsetcomment.h"

#include <QtCore/QDateTime>
#include <QtCore/QList>
#include <QtCore/QMap>
#include <QtCore/QObject>
#include <QtCore/QPair>

namespace quelta::domain::api {

// The records of the recordings in the data database: per record its time,
// a few flags, the values of up to 48 signals and an optional comment. A
// recording's signals get their value columns once, when it starts; records
// keep the first value of each SetpointValue and, on reading, carry the
// chamber's tolerance band that was in force at their time.
//
// Every operation reports a store that is not connected yet with
// error(NOT_INITIALIZED), runs no statement and answers with its empty
// result: false, an empty list or map, the empty record (id -1) or the empty
// comment; getRecordsetCount() answers 0 without the signal. A read whose
// statement fails, also after some of its rows (an interrupt, a damaged
// page), answers with its empty result as well; the data connection reports
// the failure, and nothing of that read is kept for later reads.
//
// Times: the time of a record, and that of its comment, come back in local
// time as a fixed offset from UTC (Qt::OffsetFromUTC with the offset in
// force at that instant, or Qt::UTC where it is 0), not as Qt::LocalTime;
// only a time within a quarter hour in which the offset changes, and the
// time that getRecordsetComment() gives, are Qt::LocalTime. Each has the
// instant and the wall-clock time that toLocalTime() gives, exact in the
// hour that a daylight-saving change repeats. The offset stays with the
// value, though: addDays() or addSecs() across a change keep it where a
// Qt::LocalTime would take the new one, and the "t" format shows the offset
// ("UTC+01:00") instead of the zone's abbreviation. Call toLocalTime() on
// such a time before that kind of arithmetic or formatting.
//
// error() is a Qt signal of the implementing QObject, which declares it in
// its Q_SIGNALS section as an override; connect to it through that QObject.
class IRecordsetDatabaseConnection
{
public:
    using TimeRange = QPair<QDateTime, QDateTime>;

    virtual ~IRecordsetDatabaseConnection() = default;

    // Each value goes into its signal's column, in whatever order the values
    // come. A record with a value of a signal that has no column in the
    // recording, or with two values of one signal, is refused. On success the
    // record's id is the new row's.
    virtual bool addRecordset(types::Recordset &record) = 0;
    // Fails for a record set that has a comment already or that does not
    // exist.
    virtual bool addRecordsetComment(const types::RecordsetComment &comment) = 0;
    virtual bool deleteRecordsetComment(const qint64 &recordsetId) = 0;
    // Fails while the record set has a comment.
    virtual bool deleteRecordset(const qint64 &id) = 0;
    virtual bool deleteRecordsets(const uint &recordingId) = 0;
    // The empty record, with error(UNEXPECTED_RESULT), when there is no such
    // record set.
    virtual types::Recordset getRecordset(const qint64 &id) = 0;
    // The newest count records before the time, newest first; without a
    // valid time the newest of the recording. A negative count sets no limit.
    virtual QList<types::Recordset> getRecordsetsBeforeTime(const uint &recordingId, int count,
                                                            const QDateTime &time) = 0;
    // As getRecordsetsBeforeTime(), by id.
    virtual QList<types::Recordset> getRecordsetsBeforeId(const uint &recordingId, int count,
                                                          const qint64 &id) = 0;
    // Reads of a whole recording take its records in time order. With a
    // range (either end not null), the records within it; then, with a count
    // other than -1, every record when there are fewer than count, else count
    // records spread evenly over the recording, first and last included.
    virtual QList<types::Recordset> getRecordsetsInRange(const uint &recordingId, TimeRange range,
                                                         qint64 count) = 0;
    // With startIndex 0: every record (rowCount below 1, maxCount -1), or
    // maxCount records spread evenly over all records or over the first
    // rowCount ones. With a later startIndex: the records from it on, or none
    // when rowCount is below startIndex. A negative startIndex gives none.
    virtual QList<types::Recordset> loadRecordsets(const uint &recordingId, int startIndex, qint64 rowCount,
                                                   qint64 maxCount) = 0;
    // As getRecordsetsInRange(), over the records that have a camera image.
    virtual QList<types::Recordset> getRecordsetsWithCameraImage(const uint &recordingId, TimeRange range,
                                                                 qint64 count) = 0;
    virtual types::RecordsetComment getRecordsetComment(const qint64 &recordsetId) = 0;
    // Gives the signals the value columns 1, 2, 3 ... in list order; more
    // than 48 signals are refused without a signal.
    virtual bool addSignalColumns(const uint &recordingId, const QList<int> &signalIds) = 0;
    // The recorded signals that the catalogue knows, by id.
    virtual QMap<int, types::ChamberSignal> getSignalColumns(const uint &recordingId) = 0;
    // All records or none, in one transaction. They must all be of one
    // recording and carry values of the same signals; the ids are not set.
    virtual bool addRecordsets(const QList<types::Recordset> &records) = 0;
    virtual qint64 getRecordsetCount(const uint &recordingId) = 0;

    // Signal.
    virtual void error(quelta::domain::types::DatabaseConnectionError error) = 0;

protected:
    IRecordsetDatabaseConnection() = default;

private:
    Q_DISABLE_COPY_MOVE(IRecordsetDatabaseConnection)
};

} // namespace quelta::domain::api

Q_DECLARE_INTERFACE(quelta::domain::api::IRecordsetDatabaseConnection,
                    "domain::api::IRecordsetDatabaseConnection")
