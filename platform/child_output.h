// Runs a program for its standard output, with a time limit.
//
// The program is started by absolute path (ChildProcess); its output is read
// through a pipe up to a byte limit. A program that is still running when
// the time is up is stopped (SIGTERM, then SIGKILL) and reaped.
// THREADING: any thread; blocks for at most about `timeoutMs` plus the
// child's grace period.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

struct ChildOutput {
    bool started = false;
    bool timedOut = false;
    bool truncated = false;  // more than the limit was written
    int exitCode = -1;       // -1 when it did not exit by itself
    std::string output;
};

ChildOutput RunForOutput(const std::string& path, const std::vector<std::string>& args,
                         uint32_t timeoutMs, size_t maxBytes = 1 << 20);

}  // namespace platform
