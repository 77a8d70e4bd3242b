// The log tool's own configuration: Log.ini, section "LOG".
//
// The file names the program whose logs are collected:
//   AppTempFolderName  its folder under the user's config and data folders;
//                      also the product word of the texts and of the log name
//   ININame            the file name of its settings file
//   SectionName        the settings section that holds "LogFile"
//   AppName            its program file name
//   MailTo             where "Start and Mail" sends the log (empty: the
//                      mail program asks the user)
// The first four are required, each a plain name of at most 128 characters
// (no '/', not "." or "..", no control characters); the section name must
// also be one an initialisation file can hold. MailTo, when given, is at
// most 128 printable ASCII characters without blanks. A file that breaks a rule is
// refused as a whole, with a message that names the key, so that nothing is
// written or started with half a configuration.
//
// The file is read from the current folder, else from the folder of the
// program (where one for Pemu is installed). Read-only: nothing here writes.
// THREADING: any thread.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace logtool {

inline constexpr const char* kConfigFileName = "Log.ini";
inline constexpr const char* kConfigSection = "LOG";
// The longest value of a key, in characters.
inline constexpr size_t kMaxConfigChars = 128;

struct LogConfig {
    std::string appTempFolderName;
    std::string iniName;
    std::string sectionName;
    std::string appName;
    std::string mailTo;
    // The folder the file was read from.
    std::string folder;
};

// A configuration, or the reason there is none (the path included).
struct ConfigResult {
    std::optional<LogConfig> config;
    std::string error;
};

// Reads and checks Log.ini from `currentFolder`, else from `programFolder`.
ConfigResult LoadLogConfig(const std::string& currentFolder, const std::string& programFolder);

// Checks the text of a Log.ini that was read from `path` (named in messages).
ConfigResult ParseLogConfig(std::string_view text, const std::string& path);

// True for a name that may stand as one part of a path: not empty, at most
// kMaxConfigChars characters, no '/', not "." or "..", no control characters.
bool IsPlainName(std::string_view name);

}  // namespace logtool
