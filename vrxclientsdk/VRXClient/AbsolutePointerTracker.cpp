#include "vrxclientsdk/VRXClient/AbsolutePointerTracker.h"

#include "vrxclientsdk/VRXClient/input/InputReplay.h"

namespace {

constexpr uint16_t kTypeAbsoluteAxis = 3;
constexpr int kAxisX = 0;
constexpr int kAxisY = 1;

}  // namespace

std::optional<AbsolutePointerTracker::Position> AbsolutePointerTracker::Track(
    const std::string& record) {
    InputReplay::KeyRecord key;
    if (!InputReplay::ParseKeyRecord(record, &key) || key.type != kTypeAbsoluteAxis ||
        (key.code != kAxisX && key.code != kAxisY)) {
        return std::nullopt;
    }
    std::lock_guard<std::mutex> guard(m_lock);
    (key.code == kAxisX ? m_x : m_y) = static_cast<uint16_t>(key.value);
    if (m_pendingAxis == kNoAxis) {
        // The first axis of a pair: wait for the other one.
        m_pendingAxis = key.code;
        return std::nullopt;
    }
    // A record of the other axis completes the pair; one of the same axis
    // keeps it, so that each further record moves the pointer.
    if (m_pendingAxis != key.code) {
        m_pendingAxis = kNoAxis;
    }
    return Position{m_x, m_y};
}

void AbsolutePointerTracker::Reset() {
    std::lock_guard<std::mutex> guard(m_lock);
    m_pendingAxis = kNoAxis;
}
