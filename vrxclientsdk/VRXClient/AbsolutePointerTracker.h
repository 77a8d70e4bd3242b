// Assembles absolute pointer positions from the receiver's keyboard-command
// records: an axis record (type 3) carries x (code 0) or y (code 1), and a
// position is complete once both axes came. A further record of the axis that
// completed the pair moves the pointer again on its own.
//
// Pure logic with its own lock; the facade calls Track for every keyboard
// record and reports what it returns to OnPointerPosition.
//
// THREADING: any thread; the dispatcher thread tracks, a projection start
// resets.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

class AbsolutePointerTracker {
public:
    struct Position {
        uint16_t x = 0;
        uint16_t y = 0;
    };

    // The position to report for `record`, or nothing (not an axis record,
    // or the first axis of a pair).
    std::optional<Position> Track(const std::string& record);
    // Forgets a half-assembled position (at every projection start).
    void Reset();

private:
    static constexpr int kNoAxis = 2;

    std::mutex m_lock;
    uint16_t m_x = 0;
    uint16_t m_y = 0;
    int m_pendingAxis = kNoAxis;  // the axis of a first record still waiting for its partner
};
