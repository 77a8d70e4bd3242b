#include "platform/child_output.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "platform/child_process.h"
#include "platform/clock.h"
#include "platform/unique_fd.h"

namespace platform {

ChildOutput RunForOutput(const std::string& path, const std::vector<std::string>& args,
                         uint32_t timeoutMs, size_t maxBytes) {
    ChildOutput result;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        return result;
    }
    UniqueFd readEnd(fds[0]);
    UniqueFd writeEnd(fds[1]);
    std::unique_ptr<ChildProcess> child = ChildProcess::Start(path, args, nullptr, writeEnd.get());
    writeEnd.reset();
    if (!child) {
        return result;
    }
    result.started = true;
    const uint64_t end = NowMs() + timeoutMs;
    char buffer[4096];
    for (;;) {
        const uint64_t now = NowMs();
        if (now >= end) {
            result.timedOut = true;
            break;
        }
        pollfd p{readEnd.get(), POLLIN, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(end - now));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0) {
            result.timedOut = ready == 0;
            break;
        }
        const ssize_t n = ::read(readEnd.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;  // end of output
        }
        const size_t room = maxBytes - result.output.size();
        if (static_cast<size_t>(n) > room) {
            result.output.append(buffer, room);
            result.truncated = true;
            break;
        }
        result.output.append(buffer, static_cast<size_t>(n));
    }
    readEnd.reset();
    int status = 0;
    if (result.timedOut || result.truncated) {
        status = child->Terminate(500);
    } else {
        // Output ended: the child is ending; wait within what is left.
        while (!child->HasExited(&status)) {
            if (NowMs() >= end) {
                result.timedOut = true;
                status = child->Terminate(500);
                break;
            }
            SleepMs(5);
        }
    }
    if (!result.timedOut && WIFEXITED(status)) {
        result.exitCode = WEXITSTATUS(status);
    }
    return result;
}

}  // namespace platform
