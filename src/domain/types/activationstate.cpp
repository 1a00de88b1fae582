#include "domain/types/activationstate.h"

namespace quelta::domain::types {

ActivationState::ActivationState(QObject *parent)
    : QObject(parent)
{
}

ActivationState::~ActivationState() = default;

} // namespace quelta::domain::types
