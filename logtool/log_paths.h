// Where the collected program keeps its settings and logs, built on the
// user's folders (platform/user_folders.h), the way the sender and its USB
// library find them:
//
//   <config>/<AppTempFolderName>/<ININame>                 settings file
//   <config>/<ININame>                                     an older place
//                                                          of the settings
//   <data>/<AppTempFolderName>/log/                        log folder
//   <data>/<AppTempFolderName>/log/<AppTempFolderName>_SDK.log
//                                                          the client
//                                                          library's log
//   <data>/<AppTempFolderName>/log/System.log              system log
//
// Plain paths: nothing is made here. THREADING: any thread.
#pragma once

#include <optional>
#include <string>

#include "logtool/log_config.h"

namespace logtool {

inline constexpr const char* kLogFolderName = "log";
inline constexpr const char* kSystemLogName = "System.log";

struct LogPaths {
    std::string senderConfigFolder;  // <config>/<AppTempFolderName>
    std::string settingsFile;        // .../<ININame>
    std::string olderSettingsFile;   // <config>/<ININame>
    std::string logFolder;           // <data>/<AppTempFolderName>/log
    std::string sdkLog;              // .../<AppTempFolderName>_SDK.log
    std::string systemLog;           // .../System.log

    // The paths under the user's folders; nullopt (with the reason in
    // *error) when no home folder is known.
    static std::optional<LogPaths> FromUserFolders(const LogConfig& config, std::string* error);
    // The same layout under two given folders.
    static LogPaths Under(const std::string& config, const std::string& data,
                          const LogConfig& names);
};

}  // namespace logtool
