// Time sources: a 64-bit monotonic millisecond clock and the local time of day.
//
// Both go through one process-wide clock object so that tests can step time
// instead of sleeping (SetClockForTest). Production code never sees a
// wrapping 32-bit tick.
#pragma once

#include <cstdint>

namespace platform {

struct LocalTime {
    int hour = 0;    // 0-23
    int minute = 0;  // 0-59
    int second = 0;  // 0-60
    int millisecond = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds since an arbitrary fixed point; never goes backwards.
    virtual uint64_t NowMs() = 0;
    virtual LocalTime Local() = 0;
};

// The system clock (CLOCK_MONOTONIC and localtime_r).
Clock& SystemClock();

// The clock in force: the system clock unless a test installed another.
Clock& CurrentClock();

// Installs `clock` for the whole process (nullptr restores the system clock).
// The caller keeps ownership and must keep it alive until it is replaced.
void SetClockForTest(Clock* clock);

inline uint64_t NowMs() {
    return CurrentClock().NowMs();
}
inline LocalTime LocalNow() {
    return CurrentClock().Local();
}

// Sleeps the calling thread (always real time).
void SleepMs(uint32_t ms);

}  // namespace platform
