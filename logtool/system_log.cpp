#include "logtool/system_log.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

#include "platform/child_process.h"
#include "platform/syserror.h"
#include "platform/unique_fd.h"

namespace logtool {
namespace {

// How long journalctl may take to end once it is told to.
constexpr uint32_t kEndGraceMs = 500;

using SteadyClock = std::chrono::steady_clock;

int MsLeft(SteadyClock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now());
    return static_cast<int>(std::max<int64_t>(0, left.count()));
}

bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

enum class Copied { kAll, kTooLong, kTooLarge, kWriteFailed };

// Copies the pipe to the file until its end, the deadline or the size bound.
Copied CopyOutput(int from, int to, size_t maxBytes, SteadyClock::time_point deadline,
                  int* writeError) {
    size_t total = 0;
    char buffer[64 * 1024];
    for (;;) {
        pollfd p{from, POLLIN, 0};
        const int ready = ::poll(&p, 1, MsLeft(deadline));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0) {
            return Copied::kTooLong;
        }
        const ssize_t n = ::read(from, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return Copied::kAll;
        }
        const size_t keep = std::min(static_cast<size_t>(n), maxBytes - total);
        if (!WriteAll(to, buffer, keep)) {
            *writeError = errno;
            return Copied::kWriteFailed;
        }
        total += keep;
        if (keep < static_cast<size_t>(n)) {
            return Copied::kTooLarge;
        }
    }
}

// The child's wait status once it has ended by itself before the deadline,
// else after it was ended.
int AwaitEnd(platform::ChildProcess& child, SteadyClock::time_point deadline, bool* ended) {
    int status = 0;
    while (!child.HasExited(&status)) {
        if (MsLeft(deadline) == 0) {
            *ended = true;
            return child.Terminate(kEndGraceMs);
        }
        ::usleep(5000);
    }
    return status;
}

std::string SizeText(size_t bytes) {
    return bytes % (1u << 20) == 0 ? std::to_string(bytes >> 20) + " MiB"
                                   : std::to_string(bytes) + " bytes";
}

std::string DurationText(uint32_t ms) {
    return ms % 1000 == 0 ? std::to_string(ms / 1000) + " s" : std::to_string(ms) + " ms";
}

}  // namespace

std::string FindOnPath(const std::string& name, const std::string& pathVariable) {
    size_t start = 0;
    while (start <= pathVariable.size()) {
        size_t end = pathVariable.find(':', start);
        if (end == std::string::npos) {
            end = pathVariable.size();
        }
        const std::string folder = pathVariable.substr(start, end - start);
        start = end + 1;
        if (folder.empty() || folder.front() != '/') {
            continue;  // a relative entry would depend on the current folder
        }
        const std::string path = folder + "/" + name;
        struct stat st {};
        if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
            ::access(path.c_str(), X_OK) == 0) {
            return path;
        }
    }
    return {};
}

std::string JournalTime(std::time_t when) {
    std::tm local{};
    ::localtime_r(&when, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

SystemLogResult CollectSystemLog(std::time_t since, const std::string& outPath,
                                 const SystemLogLimits& limits, const std::string& pathVariable) {
    SystemLogResult result;
    const std::string journal = FindOnPath("journalctl", pathVariable);
    if (journal.empty()) {
        result.line = "System log: skipped (journalctl not found)";
        return result;
    }
    auto failed = [&](const std::string& why) {
        result.line = "System log: not written (" + why + ")";
        return result;
    };
    platform::UniqueFd out(
        ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!out.valid()) {
        return failed(outPath + ": " + platform::SystemErrorText(errno));
    }
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        return failed("no pipe: " + platform::SystemErrorText(errno));
    }
    platform::UniqueFd readEnd(fds[0]);
    platform::UniqueFd writeEnd(fds[1]);
    int error = 0;
    auto child = platform::ChildProcess::Start(
        journal, {"--since", JournalTime(since), "--no-pager"}, &error, writeEnd.get());
    writeEnd.reset();  // the pipe ends when journalctl's copy closes
    if (!child) {
        return failed("cannot start " + journal + ": " + platform::SystemErrorText(error));
    }
    const auto deadline = SteadyClock::now() + std::chrono::milliseconds(limits.timeoutMs);
    int writeError = 0;
    const Copied copied =
        CopyOutput(readEnd.get(), out.get(), limits.maxBytes, deadline, &writeError);
    bool endedByUs = copied != Copied::kAll;
    const int status =
        endedByUs ? child->Terminate(kEndGraceMs) : AwaitEnd(*child, deadline, &endedByUs);
    if (out.Close() != 0 && writeError == 0) {
        writeError = errno;
    }
    if (copied == Copied::kWriteFailed || writeError != 0) {
        return failed(outPath + ": " + platform::SystemErrorText(writeError));
    }
    result.written = true;
    switch (copied) {
        case Copied::kTooLarge:
            result.line = "System log: cut at " + SizeText(limits.maxBytes) + ", in " + outPath;
            return result;
        case Copied::kTooLong:
            result.line = "System log: journalctl took longer than " +
                          DurationText(limits.timeoutMs) + "; what came is in " + outPath;
            return result;
        default:
            break;
    }
    if (endedByUs) {
        result.line = "System log: journalctl did not end; what came is in " + outPath;
    } else if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        const int code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        result.line = "System log: journalctl ended with code " + std::to_string(code) +
                      "; what came is in " + outPath;
    } else {
        result.line = "System log: " + outPath;
    }
    return result;
}

}  // namespace logtool
