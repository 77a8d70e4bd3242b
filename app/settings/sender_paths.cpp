#include "app/settings/sender_paths.h"

#include "platform/user_folders.h"

namespace pemuapp {

SenderPaths SenderPaths::FromUserFolders() {
    const std::string config = platform::UserFolder(platform::UserFolderKind::kConfig);
    const std::string data = platform::UserFolder(platform::UserFolderKind::kData);
    if (config.empty() || data.empty()) {
        return {};
    }
    return Under(config, data);
}

SenderPaths SenderPaths::Under(const std::string& config, const std::string& data) {
    SenderPaths p;
    p.configFolder = config + "/" + kAppFolderName;
    p.settingsFile = p.configFolder + "/" + kSettingsFileName;
    p.registryFile = p.configFolder + "/" + kRegistryFileName;
    p.dataFolder = data + "/" + kAppFolderName;
    p.logFolder = p.dataFolder + "/" + kLogFolderName;
    p.scratchFolder = p.dataFolder + "/" + kScratchFolderName;
    p.commandFolder = data + "/" + kCommandFolderName;
    p.commandFile = p.commandFolder + "/" + kCommandFileName;
    p.commandLock = p.commandFolder + "/commandline.lock";
    return p;
}

}  // namespace pemuapp
