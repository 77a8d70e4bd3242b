// The system log of the watched run: what the system journal recorded from
// the client's start on, written to System.log in the log folder.
//
// journalctl is found on PATH (absolute entries only) and run as
// "journalctl --since <start> --no-pager" with its output going to the
// file. The collection is bounded: it ends after `timeoutMs` of real time
// or `maxBytes` of output, whichever comes first, and journalctl is then
// ended; what came so far stays in the file. Without journalctl nothing is
// written and the result says it was skipped.
//
// THREADING: any thread; blocks for at most the time bound (and the grace
// that ending journalctl takes).
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>

namespace logtool {

struct SystemLogLimits {
    uint32_t timeoutMs = 10000;
    size_t maxBytes = 16u << 20;
};

struct SystemLogResult {
    bool written = false;  // System.log holds what journalctl gave (maybe cut)
    std::string line;      // "System log: ..." for the user
};

// The absolute path of the executable `name` in the first absolute folder
// of `pathVariable` (':'-separated) that holds one; empty when none does.
std::string FindOnPath(const std::string& name, const std::string& pathVariable);

// "YYYY-MM-DD HH:MM:SS" of `when` in local time, as journalctl takes it.
std::string JournalTime(std::time_t when);

// Runs journalctl (found on `pathVariable`) for the time since `since` and
// writes its output to `outPath`.
SystemLogResult CollectSystemLog(std::time_t since, const std::string& outPath,
                                 const SystemLogLimits& limits, const std::string& pathVariable);

}  // namespace logtool
