// Where the sender keeps its files, built on the folder function of the
// platform layer (XDG rules). One place for every path, shared by the
// program, its USB library's reader and the log tool:
//
//   <config>/Pemu Quorvane Sender/Quorvane_Sender.ini   the settings file
//   <config>/Pemu Quorvane Sender/registry.ini          the registry values
//   <data>/Pemu Quorvane Sender/log/                    logs
//   <data>/Pemu Quorvane Sender/Pemu/                   files fetched from
//                                                       receivers (emptied
//                                                       at every start)
//   <data>/selto/commandline.txt (and .lock)            the command file
//
// Plain paths: nothing is made here (SettingsFile and the hand-off make what
// they use). THREADING: any thread.
#pragma once

#include <string>

namespace pemuapp {

inline constexpr const char* kAppFolderName = "Pemu Quorvane Sender";
inline constexpr const char* kSettingsFileName = "Quorvane_Sender.ini";
inline constexpr const char* kSettingsSection = "Quorvane_Sender";
inline constexpr const char* kRegistryFileName = "registry.ini";
inline constexpr const char* kLogFolderName = "log";
inline constexpr const char* kScratchFolderName = "Pemu";
inline constexpr const char* kCommandFolderName = "selto";
inline constexpr const char* kCommandFileName = "commandline.txt";

struct SenderPaths {
    std::string configFolder;   // <config>/Pemu Quorvane Sender
    std::string settingsFile;   // .../Quorvane_Sender.ini
    std::string registryFile;   // .../registry.ini
    std::string dataFolder;     // <data>/Pemu Quorvane Sender
    std::string logFolder;      // .../log
    std::string scratchFolder;  // .../Pemu
    std::string commandFolder;  // <data>/selto
    std::string commandFile;    // .../commandline.txt
    std::string commandLock;    // .../commandline.lock

    // The paths under the user's folders; every member is empty when no
    // home folder is known.
    static SenderPaths FromUserFolders();
    // The same layout under two given folders (tests, tools).
    static SenderPaths Under(const std::string& config, const std::string& data);
};

}  // namespace pemuapp
