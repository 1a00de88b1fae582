#pragma once

#include <QtCore/QObject>

namespace quelta::domain::api {

// A component that checks its preconditions (a store its tables, the update
// manager its component list) once it has been wired up.
class IInitializing
{
public:
    virtual ~IInitializing() = default;

    // True when the component is ready for use.
    virtual bool initialize() = 0;

protected:
    IInitializing() = default;

private:
    Q_DISABLE_COPY_MOVE(IInitializing)
};

} // namespace quelta::domain::api

Q_DECLARE_INTERFACE(quelta::domain::api::IInitializing, "domain::api::IInitializing")
