#pragma once

#include "domain/types/chambersignal.h"
#include "domain/types/recordingdata.h"
#include "domain/types/recordset.h"

#include <QtCore/QList>
#include <QtCore/QObject>
#include <QtCore/QString>

namespace quelta::domain::api {

// Reads the data log of a chamber controller into the records of a recording.
//
// The signals at the end are Qt signals of the implementing QObject, which
// declares them in its Q_SIGNALS section as overrides. Connect to them through
// that QObject (qobject_cast or dynamic_cast to QObject), by name where only
// this interface is known. Their argument types are spelled in full, so that
// the implementation's meta-object names them as they are registered and
// queued connections by name find them.
class IDataLoggerReader
{
public:
    virtual ~IDataLoggerReader() = default;

    // Starts reading the records of recording's time span; chamberSignals map
    // the logged channels onto signals. secondDataset selects the controller's
    // second logger where it has one. True when the read was accepted: it then
    // ends later in exactly one finished or error. A refused read emits
    // nothing.
    [[nodiscard]] virtual bool readDataLogger(const types::RecordingData &recording,
                                              const QList<types::ChamberSignal> &chamberSignals,
                                              bool secondDataset) = 0;

    // Signals.
    virtual void finished(const quelta::domain::types::RecordingData &recording,
                          const QList<quelta::domain::types::Recordset> &recordsets) = 0;
    virtual void error(const QString &errorMessage) = 0;

protected:
    IDataLoggerReader() = default;

private:
    Q_DISABLE_COPY_MOVE(IDataLoggerReader)
};

} // namespace quelta::domain::api

Q_DECLARE_INTERFACE(quelta::domain::api::IDataLoggerReader, "domain::api::IDataLoggerReader")
