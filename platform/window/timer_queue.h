// The window timers of the user-interface thread, on the layer's clock.
//
// A timer belongs to a window and has an id of the program's choice; setting
// it again replaces its interval. A timer that falls behind fires once, not
// once per missed interval, and its next time counts from when it fired.
// Timers due at the same time fire in the order they were set.
// THREADING: user-interface thread only.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/window/window_id.h"

namespace platform {

class TimerQueue {
public:
    struct Fired {
        WindowId window;
        uint32_t timerId = 0;
    };

    // Arms (or re-arms) a timer to fire `intervalMs` after `nowMs`, and then
    // every `intervalMs`. An interval of 0 is taken as 1 ms.
    void Set(WindowId window, uint32_t timerId, uint32_t intervalMs, uint64_t nowMs);
    // False when no such timer runs.
    bool Kill(WindowId window, uint32_t timerId);
    void RemoveWindow(WindowId window);
    bool IsSet(WindowId window, uint32_t timerId) const;

    // The first timer due at `nowMs`, already rescheduled; nullopt when none is due.
    std::optional<Fired> TakeDue(uint64_t nowMs);
    // When the next timer is due; nullopt when no timer runs.
    std::optional<uint64_t> NextDue() const;

private:
    struct Entry {
        WindowId window;
        uint32_t timerId = 0;
        uint32_t intervalMs = 1;
        uint64_t dueMs = 0;
        uint64_t order = 0;  // breaks ties between equal due times
    };
    std::vector<Entry> m_entries;
    uint64_t m_nextOrder = 0;
};

}  // namespace platform
