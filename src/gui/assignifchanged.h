#pragma once

#include <utility>

namespace quelta::gui {

// Stores the value in the field when the two differ and tells whether it did,
// so that a setter emits its NOTIFY signal only on a real change.
template<typename Field, typename Value>
bool assignIfChanged(Field &field, Value &&value)
{
    if (field == value)
        return false;
    field = std::forward<Value>(value);
    return true;
}

} // namespace quelta::gui
