#pragma once

#include <QtCore/QObject>

namespace quelta::domain::types {

// Carries the activation state of a chamber. A QObject with a default
// constructor, so that QML can register it and documents can name the values.
class ActivationState : public QObject
{
    Q_OBJECT

public:
    enum State : int {
        STATE_UNDEFINED = -1,
        STATE_INACTIVE = 0,
        STATE_ACTIVE = 1,
        STATE_ACTIVATING = 2,
        STATE_DEACTIVATING = 3,
        STATE_INACTIVE_NOLOG = 4,
        STATE_ACTIVE_NOLOG = 5,
        STATE_CONNECTION_ERROR = 6
    };
    Q_ENUM(State)

    explicit ActivationState(QObject *parent = nullptr);
    ~ActivationState() override;
};

} // namespace quelta::domain::types
