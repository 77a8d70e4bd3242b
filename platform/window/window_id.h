// The handle of a window: a checked id, never a pointer.
//
// An id names one slot of the window table plus the generation the slot had
// when the window was made. Destroying the window moves the slot to a new
// generation, so every old copy of the id stops matching: calls with it fail
// and messages posted to it are dropped. The null id (0) names no window.
// Plain value, usable on any thread.
#pragma once

#include <compare>
#include <cstdint>
#include <functional>

namespace platform {

class WindowId {
public:
    constexpr WindowId() = default;
    static constexpr WindowId FromParts(uint32_t slot, uint32_t generation) {
        return WindowId((uint64_t{generation} << 32) | slot);
    }
    static constexpr WindowId FromValue(uint64_t value) { return WindowId(value); }

    constexpr uint32_t Slot() const { return static_cast<uint32_t>(m_value & 0xFFFFFFFFu); }
    constexpr uint32_t Generation() const { return static_cast<uint32_t>(m_value >> 32); }
    constexpr uint64_t Value() const { return m_value; }
    constexpr bool IsNull() const { return m_value == 0; }
    constexpr explicit operator bool() const { return m_value != 0; }

    constexpr auto operator<=>(const WindowId&) const = default;

private:
    constexpr explicit WindowId(uint64_t value) : m_value(value) {}
    uint64_t m_value = 0;
};

}  // namespace platform

template <>
struct std::hash<platform::WindowId> {
    size_t operator()(const platform::WindowId& id) const noexcept {
        return std::hash<uint64_t>()(id.Value());
    }
};
