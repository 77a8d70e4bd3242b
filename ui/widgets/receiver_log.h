// The per-receiver log of a receiver row: which file, level and mode the
// settings ask for.
//
// Settings (section of the sender's settings file): "LogFile" (default
// empty) names the client library's log file; its folder is the log folder.
// "LogLevel" (default "INFO") is one of FATAL 0, ALERT 100, CRIT 200, ERROR
// 300, WARN 400, NOTICE 500, INFO 600, DEBUG 700, matched exactly (case
// counts); any other word gives INFO. "LogAppend" (default "true") appends
// when it equals "true" in any case. The row's file is
// "<log folder>/<receiver name>-<a.b.c.d>.log".
//
// The receiver's name comes from the network: in the file name, path
// separators, ".." and control characters are replaced and the name is cut
// to kMaxNameBytes, so the file always lies in the log folder.
// Plain functions, usable anywhere.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ui {

class SettingsReader;

inline constexpr size_t kMaxNameBytes = 64;
inline constexpr int kDefaultLogLevel = 600;

// "a.b.c.d" of an IPv4 address in network byte order.
std::string DottedIPv4(uint32_t networkOrder);

int LogLevelFromWord(std::string_view word);
bool LogAppendFromText(std::string_view text);
// The receiver's name made safe for a file name (see above); UTF-8 kept
// whole, malformed bytes replaced.
std::string SafeReceiverName(std::string_view name);

struct ReceiverLogPlan {
    std::string folder;  // to be created, with its parents
    std::string path;    // empty when the receiver has no name
    int level = kDefaultLogLevel;
    bool append = true;
};
// The log the settings ask for, or nothing when "LogFile" names no folder.
std::optional<ReceiverLogPlan> PlanReceiverLog(const SettingsReader& settings,
                                               std::string_view receiverName,
                                               uint32_t ipv4NetworkOrder);

}  // namespace ui
