// A clock for tests: time moves only when the test advances it.
#pragma once

#include <atomic>

#include "platform/clock.h"

namespace platform {

class FakeClock final : public Clock {
public:
    explicit FakeClock(uint64_t startMs = 1000) : m_now(startMs) {}
    uint64_t NowMs() override { return m_now.load(); }
    LocalTime Local() override { return m_local; }
    void Advance(uint64_t ms) { m_now += ms; }
    void SetLocal(LocalTime t) { m_local = t; }

private:
    std::atomic<uint64_t> m_now;
    LocalTime m_local{};
};

// Installs a clock for the lifetime of the scope.
class ScopedClockOverride {
public:
    explicit ScopedClockOverride(Clock& clock) { SetClockForTest(&clock); }
    ~ScopedClockOverride() { SetClockForTest(nullptr); }
    ScopedClockOverride(const ScopedClockOverride&) = delete;
    ScopedClockOverride& operator=(const ScopedClockOverride&) = delete;
};

}  // namespace platform
