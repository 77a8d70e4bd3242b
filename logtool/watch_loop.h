// The command line's watch: the loop that stands in for the window's timer.
//
// WatchUntilEnded looks whether the client still runs every
// kWatchIntervalMs on the given clock, the first time one interval after
// it is called (right after the start), exactly as the window's timer does.
// Between looks it waits through `wait`, which returns true when the user
// asked to stop logging (SIGINT or SIGTERM in the program); the client is
// then stopped and the next look finds it ended.
//
// StopSignalWaiter is the program's `wait`: it catches SIGINT and SIGTERM
// for its lifetime (the previous handling comes back afterwards) and waits
// in real time.
//
// THREADING: the owner thread; the signal handler only writes to a pipe.
#pragma once

#include <cstdint>
#include <functional>

#include "logtool/log_session.h"
#include "platform/clock.h"
#include "platform/unique_fd.h"

namespace logtool {

// Waits up to `ms` on the loop's clock; true when a stop was asked.
using StopWait = std::function<bool(uint32_t ms)>;

void WatchUntilEnded(LogSession& session, platform::Clock& clock, const StopWait& wait);

class StopSignalWaiter {
public:
    // Installs the handlers; Ok() is false when that failed.
    StopSignalWaiter();
    ~StopSignalWaiter();
    StopSignalWaiter(const StopSignalWaiter&) = delete;
    StopSignalWaiter& operator=(const StopSignalWaiter&) = delete;

    bool Ok() const { return m_installed; }
    // Waits up to `ms` of real time; true when SIGINT or SIGTERM came.
    bool Wait(uint32_t ms);

private:
    platform::UniqueFd m_read;
    platform::UniqueFd m_write;
    bool m_installed = false;
};

}  // namespace logtool
