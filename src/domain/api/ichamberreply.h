#pragma once

#include <QtCore/QObject>
#include <QtCore/QVariant>

namespace quelta::domain::api {

// The result of one request to a device, as the requester sees it: one result
// slot per requested item, each holding a value or an error code.
//
// The implementing QObject has the Qt signal finished(), emitted exactly once,
// from the event loop, when the request is complete; connect to it through
// the QObject.
class IChamberReply
{
public:
    virtual ~IChamberReply() = default;

    virtual bool isFinished() const = 0;
    // True when any result slot carries an error code.
    virtual bool hasAnyError() const = 0;
    virtual int resultCount() const = 0;
    virtual QVariant result(int index) const = 0;
    // 0 for no error, otherwise a QModbusDevice::Error number.
    virtual int errorCode(int index) const = 0;

protected:
    IChamberReply() = default;

private:
    Q_DISABLE_COPY_MOVE(IChamberReply)
};

} // namespace quelta::domain::api

Q_DECLARE_INTERFACE(quelta::domain::api::IChamberReply, "domain::api::IChamberReply")
