// MainWindowFeatures: the main window's features behind one object. The
// window forwards the engine's feature calls and the feature commands of
// its menus here; everything the features need of the window goes through
// the FeatureHost it is given.
//
// THREADING: user-interface thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "app/features/conference_info.h"
#include "app/features/grisp_launcher.h"
#include "app/features/login_code.h"
#include "app/features/manual_add.h"
#include "app/features/media_playback.h"
#include "app/features/menu_commands.h"
#include "app/features/profile_commands.h"
#include "app/features/update_check.h"
#include "app/features/usb_sharing.h"

namespace pemuapp {

class FeatureHost;

// Menu commands the features handle.
inline constexpr uint32_t kCmdShowLoginCode = 2001;
inline constexpr uint32_t kCmdCheckForUpdate = 2033;
inline constexpr uint32_t kCmdChangeLoginCode = 20230;

struct FeatureOptions {
    // The update server's address when the settings name none (empty: the
    // build's default).
    std::string updateBase;
    // Where the conference thumbnails go (empty: the user's cache folder).
    std::string thumbnailFolder;
    // Porvane's control object (borrowed; null: no USB sharing).
    CClientDeviceControl* usbControl = nullptr;
    UsbSharingConfig usb;
    // The receiver list's checked projector rows (borrowed; null: no media
    // playback).
    CheckedReceivers* checkedRows = nullptr;
    // The connection profiles (empty: profile.ini of the user's config
    // folder).
    std::string profilePath;
    // Where the Grisp program is looked for (empty: the program's folder).
    std::string grispFolder;
};

class MainWindowFeatures {
public:
    explicit MainWindowFeatures(FeatureHost& host, FeatureOptions options = {});
    ~MainWindowFeatures();
    MainWindowFeatures(const MainWindowFeatures&) = delete;
    MainWindowFeatures& operator=(const MainWindowFeatures&) = delete;

    // --- the engine's calls ----------------------------------------------------
    bool IsUsbSharingOn();
    void StopUsbSharing();
    // The start-up update check; true when the user took an update.
    bool RunUpdateCheck();
    // The first-start login-code dialog, then the sender's identity.
    void ShowFirstStartDialog();
    void FetchConferenceInfo();

    // The sender-server side's identity and login code (start-up).
    void SetupSenderIdentity();
    // Shares the USB devices with the receiver at `ip` when the setting
    // wants it (the flows that start a projection).
    void StartUsbSharing(const std::string& ip);

    // A feature command; false when `id` is none of them.
    bool OnCommand(uint32_t id);

    LoginCodeFeature& LoginCode() { return m_loginCode; }
    UpdateCheck& Updates() { return m_update; }
    ConferenceInfo& Conference() { return m_conference; }
    UsbSharing& Usb() { return m_usb; }
    MenuCommands& Commands() { return m_commands; }
    GrispLauncher& Grisp() { return m_grisp; }
    ManualAdd& ManualAddDevice() { return m_manualAdd; }
    // Null without checked rows.
    MediaPlayback* Media() { return m_media.get(); }

private:
    FeatureHost& m_host;
    LoginCodeFeature m_loginCode;
    UpdateCheck m_update;
    ConferenceInfo m_conference;
    UsbSharing m_usb;
    MenuCommands m_commands;
    ProfileCommands m_profiles;
    GrispLauncher m_grisp;
    ManualAdd m_manualAdd;
    std::unique_ptr<MediaPlayback> m_media;
};

}  // namespace pemuapp
