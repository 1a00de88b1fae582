#pragma once

namespace quelta::domain::types {

// An int id that cannot be mixed up with an id of another kind. -1 means
// "none". Each kind of id is an alias with its own tag type.
template<typename Tag>
class TypedId
{
public:
    static constexpr int None = -1;

    constexpr TypedId() = default;
    constexpr explicit TypedId(int value)
        : m_value(value)
    {
    }

    constexpr int value() const { return m_value; }
    constexpr bool isValid() const { return m_value != None; }

    friend constexpr bool operator==(TypedId lhs, TypedId rhs) { return lhs.m_value == rhs.m_value; }
    friend constexpr bool operator!=(TypedId lhs, TypedId rhs) { return lhs.m_value != rhs.m_value; }

private:
    int m_value = None;
};

using ControllerAddressId = TypedId<struct ControllerAddressIdTag>;
using ControlSignalId = TypedId<struct ControlSignalIdTag>;
using CameraId = TypedId<struct CameraIdTag>;
using SignalId = TypedId<struct SignalIdTag>;

} // namespace quelta::domain::types
