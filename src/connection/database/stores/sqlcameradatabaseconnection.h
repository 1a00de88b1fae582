#pragma once

#include "connection/database/stores/sqlstoreframe.h"
#include "domain/api/icameradatabaseconnection.h"
#include "domain/api/iinitializing.h"
#include "domain/api/isqlconnection.h"
#include "domain/types/databaseconnectionerror.h"

#include <QtCore/QObject>

namespace quelta::base::connection::databaseconnection {

// Named bare in the base list, so that a cast by the interface's bare name
// finds the interface as well.
using domain::api::ICameraDatabaseConnection;

// The store of the cameras of the recordings in the data database. A camera
// has an IPv4 and an IPv6 address column; both are written on every change,
// the one the address does not use, and both for a USB camera, as NULL, so
// that a camera that changes its kind of address never reads as its old one.
//
// Failures: error(NOT_INITIALIZED) before setSqlConnection() has given it a
// connection, error(UNEXPECTED_RESULT) for a row of the wrong width; a
// missing table only makes initialize() false. Statements that fail are
// reported by the connection.
class SqlCameraDatabaseConnection : public QObject,
                                    public ICameraDatabaseConnection,
                                    public domain::api::IInitializing
{
    Q_OBJECT
    Q_INTERFACES(quelta::domain::api::ICameraDatabaseConnection quelta::domain::api::IInitializing)

public:
    explicit SqlCameraDatabaseConnection(QObject *parent = nullptr);
    ~SqlCameraDatabaseConnection() override;

    // Stores the connection, null included, and returns whether it is set.
    bool setSqlConnection(domain::api::ISqlConnection *connection);
    // True once a connection is set.
    bool isInitialized() const;
    // Whether the camera table is there.
    bool initialize() override;

    QList<domain::types::CameraData> getCameras(const uint &recordingId) override;
    bool addCamera(domain::types::CameraData &camera) override;
    bool updateCamera(const domain::types::CameraData &camera) override;
    bool deleteCamera(const domain::types::CameraData &camera) override;

Q_SIGNALS:
    void error(quelta::domain::types::DatabaseConnectionError error) override;

private:
    SqlStoreFrame<SqlCameraDatabaseConnection> m_frame{this};
};

} // namespace quelta::base::connection::databaseconnection
