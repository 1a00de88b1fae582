#pragma once

#include "domain/types/cameradata.h"
#include "domain/types/databaseconnectionerror.h"

#include <QtCore/QList>
#include <QtCore/QObject>

namespace quelta::domain::api {

// The cameras of the recordings in the data database, each reached by a
// network address or, when its address is null, on a USB port.
//
// Every operation reports a store that is not connected yet with
// error(NOT_INITIALIZED) and answers with its empty result: an empty list or
// false.
//
// error() is a Qt signal of the implementing QObject, which declares it in
// its Q_SIGNALS section as an override; connect to it through that QObject.
class ICameraDatabaseConnection
{
public:
    virtual ~ICameraDatabaseConnection() = default;

    virtual QList<types::CameraData> getCameras(const uint &recordingId) = 0;
    // On success the camera's id is the new row's.
    virtual bool addCamera(types::CameraData &camera) = 0;
    // Rewrites the camera with the record's id.
    virtual bool updateCamera(const types::CameraData &camera) = 0;
    // Deletes the camera with the record's id.
    virtual bool deleteCamera(const types::CameraData &camera) = 0;

    // Signal.
    virtual void error(quelta::domain::types::DatabaseConnectionError error) = 0;

protected:
    ICameraDatabaseConnection() = default;

private:
    Q_DISABLE_COPY_MOVE(ICameraDatabaseConnection)
};

} // namespace quelta::domain::api

Q_DECLARE_INTERFACE(quelta::domain::api::ICameraDatabaseConnection, "domain::api::ICameraDatabaseConnection")
