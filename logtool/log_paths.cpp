#include "logtool/log_paths.h"

#include "platform/user_folders.h"

namespace logtool {

std::optional<LogPaths> LogPaths::FromUserFolders(const LogConfig& config, std::string* error) {
    const std::string configBase = platform::UserFolder(platform::UserFolderKind::kConfig);
    const std::string dataBase = platform::UserFolder(platform::UserFolderKind::kData);
    if (configBase.empty() || dataBase.empty()) {
        if (error) {
            *error = "no home folder is known (HOME is not set)";
        }
        return std::nullopt;
    }
    return Under(configBase, dataBase, config);
}

LogPaths LogPaths::Under(const std::string& config, const std::string& data,
                         const LogConfig& names) {
    LogPaths p;
    p.senderConfigFolder = config + "/" + names.appTempFolderName;
    p.settingsFile = p.senderConfigFolder + "/" + names.iniName;
    p.olderSettingsFile = config + "/" + names.iniName;
    p.logFolder = data + "/" + names.appTempFolderName + "/" + kLogFolderName;
    p.sdkLog = p.logFolder + "/" + names.appTempFolderName + "_SDK.log";
    p.systemLog = p.logFolder + "/" + kSystemLogName;
    return p;
}

}  // namespace logtool
