#pragma once

#include "domain/types/databaseconnectionerror.h"
#include "domain/types/recordingdata.h"

#include <QtCore/QList>
#include <QtCore/QObject>
#include <QtCore/QSharedPointer>
#include <QtCore/QVariant>

namespace quelta::base::connection::databaseconnection {
// A column of the recording table, named by its flag value in the schema
// vocabulary.
enum class RecordingColumn;
} // namespace quelta::base::connection::databaseconnection

namespace quelta::domain::api {

// The recordings of the data database: per recording its chamber, user,
// interval, times, flags and texts, the signals that it records (their value
// columns are kept by the record-set store) and, for a meta recording, the
// recordings that it groups. A recording read back carries its signals under
// the chamber's custom names.
//
// Every operation reports a store that is not connected yet with
// error(NOT_INITIALIZED), runs no statement and answers with its empty
// result: false, an empty list, a null pointer, 0 or an invalid QVariant.
//
// error() is a Qt signal of the implementing QObject, which declares it in
// its Q_SIGNALS section as an override; connect to it through that QObject.
class IRecordingDatabaseConnection
{
public:
    using RecordingColumn = base::connection::databaseconnection::RecordingColumn;

    virtual ~IRecordingDatabaseConnection() = default;

    // Adds the recording with the value columns of its signals and, for a
    // meta recording, its links, or nothing. On success the record's id is
    // the new row's, otherwise 0.
    virtual bool addRecording(types::RecordingData &recording) = 0;
    virtual QList<QSharedPointer<types::RecordingData>> getRecordings() = 0;
    // Null, with error(UNEXPECTED_RESULT), when there is no such recording.
    virtual QSharedPointer<types::RecordingData> getRecording(const uint &id) = 0;
    // 0 when the chamber has no active recording, or several.
    virtual uint getActiveRecordingId(const int &chamberId) = 0;
    // Whether the chamber has any recording.
    virtual bool getRecordingCount(const int &chamberId) = 0;
    // Writes the one field as the record holds it, times unconverted.
    virtual bool updateRecordingField(const types::RecordingData &recording, const RecordingColumn &column) = 0;
    // Writes the value unchanged.
    virtual bool setRecordingValue(const uint &id, const RecordingColumn &column, const QVariant &value) = 0;
    // Writes every field but the id; the signals and meta links stay.
    virtual bool updateRecording(const types::RecordingData &recording) = 0;
    // The value as the column holds it.
    virtual QVariant getRecordingValue(const uint &id, const RecordingColumn &column) = 0;
    // Removes the recording with everything that belongs to it, or nothing.
    // A recording that a meta recording groups stays.
    virtual bool deleteRecording(const uint &id) = 0;
    virtual bool archiveRecording(const uint &id) = 0;
    virtual bool unarchiveRecording(const uint &id) = 0;

    // Signal.
    virtual void error(quelta::domain::types::DatabaseConnectionError error) = 0;

protected:
    IRecordingDatabaseConnection() = default;

private:
    Q_DISABLE_COPY_MOVE(IRecordingDatabaseConnection)
};

} // namespace quelta::domain::api

Q_DECLARE_INTERFACE(quelta::domain::api::IRecordingDatabaseConnection, "domain::api::IRecordingDatabaseConnection")
