#include "platform/clock.h"

#include <atomic>
#include <ctime>

namespace platform {
namespace {

class PosixClock final : public Clock {
public:
    uint64_t NowMs() override {
        timespec ts{};
        ::clock_gettime(CLOCK_MONOTONIC, &ts);
        return static_cast<uint64_t>(ts.tv_sec) * 1000u +
               static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
    }
    LocalTime Local() override {
        timespec ts{};
        ::clock_gettime(CLOCK_REALTIME, &ts);
        tm parts{};
        ::localtime_r(&ts.tv_sec, &parts);
        return LocalTime{parts.tm_hour, parts.tm_min, parts.tm_sec,
                         static_cast<int>(ts.tv_nsec / 1000000)};
    }
};

std::atomic<Clock*> g_testClock{nullptr};

}  // namespace

Clock& SystemClock() {
    static PosixClock clock;
    return clock;
}

Clock& CurrentClock() {
    Clock* c = g_testClock.load(std::memory_order_acquire);
    return c ? *c : SystemClock();
}

void SetClockForTest(Clock* clock) {
    g_testClock.store(clock, std::memory_order_release);
}

void SleepMs(uint32_t ms) {
    timespec ts{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
    while (::nanosleep(&ts, &ts) != 0) {
    }
}

}  // namespace platform
