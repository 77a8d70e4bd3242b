#include "logtool/watch_loop.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace logtool {
namespace {

// The pipe the handler writes to; one waiter at a time owns it.
std::atomic<int> g_signalPipe{-1};
struct sigaction g_oldInt;
struct sigaction g_oldTerm;

void OnStopSignal(int) {
    const int saved = errno;
    const int fd = g_signalPipe.load();
    if (fd >= 0) {
        const char byte = 1;
        [[maybe_unused]] ssize_t n = ::write(fd, &byte, 1);
    }
    errno = saved;
}

}  // namespace

void WatchUntilEnded(LogSession& session, platform::Clock& clock, const StopWait& wait) {
    uint64_t next = clock.NowMs() + kWatchIntervalMs;
    for (;;) {
        const uint64_t now = clock.NowMs();
        if (now >= next) {
            if (session.ClientHasEnded()) {
                return;
            }
            next = now + kWatchIntervalMs;
            continue;
        }
        if (wait(static_cast<uint32_t>(next - now))) {
            session.StopClient();
        }
    }
}

StopSignalWaiter::StopSignalWaiter() {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;
    }
    m_read.reset(fds[0]);
    m_write.reset(fds[1]);
    int expected = -1;
    if (!g_signalPipe.compare_exchange_strong(expected, m_write.get())) {
        return;  // another waiter is active
    }
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    if (::sigaction(SIGINT, &action, &g_oldInt) != 0 ||
        ::sigaction(SIGTERM, &action, &g_oldTerm) != 0) {
        ::sigaction(SIGINT, &g_oldInt, nullptr);
        g_signalPipe = -1;
        return;
    }
    m_installed = true;
}

StopSignalWaiter::~StopSignalWaiter() {
    if (m_installed) {
        ::sigaction(SIGINT, &g_oldInt, nullptr);
        ::sigaction(SIGTERM, &g_oldTerm, nullptr);
        g_signalPipe = -1;
    }
}

bool StopSignalWaiter::Wait(uint32_t ms) {
    pollfd p{m_read.get(), POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(ms)) == 0) {
        return false;  // the time passed
    }
    // Readable, or interrupted by the signal whose byte is now in the pipe.
    bool stop = false;
    char buffer[16];
    while (::read(m_read.get(), buffer, sizeof buffer) > 0) {
        stop = true;
    }
    return stop;
}

}  // namespace logtool
