// FeatureHost: what the main window's features (update check, login code,
// conference information, USB sharing, the menu commands) need of the main
// window. The window implements it; tests use FakeFeatureHost
// (tests/app/features/fake_feature_host.h).
//
// THREADING: user-interface thread, except PostCommand and Client, which
// any thread may call (the client lives as long as the window).
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/window/window_id.h"
#include "vrxclientsdk/VRXClient/senderserver/ReplySenderDiscovery.h"

class VRXClient;

namespace platform {
class UrlOpener;
}
namespace ui {
struct DialogEnvironment;
struct ConnectionProfile;
}  // namespace ui

namespace pemuapp {

struct SenderSettings;

class FeatureHost {
public:
    virtual ~FeatureHost() = default;

    // --- dialogs --------------------------------------------------------------
    // The environment every dialog is built with (its runner runs them).
    virtual ui::DialogEnvironment& DialogEnv() = 0;
    virtual platform::WindowId MainWindowId() = 0;

    // --- settings ----------------------------------------------------------------
    virtual const SenderSettings& Settings() = 0;
    // One key as the settings file holds it now; empty when missing.
    virtual std::string ReadSetting(const std::string& key) = 0;
    virtual bool WriteSetting(const std::string& key, const std::string& value) = 0;

    // --- the client ----------------------------------------------------------------
    // The main receiver session; null when none was made.
    virtual VRXClient* Client() = 0;
    // The sender-server side: the login code (mode 2 and the code, or mode
    // 0 and an empty text) and the announce record.
    virtual void HandOverLoginCode(int mode, const std::string& code) = 0;
    virtual void HandOverSenderIdentity(const ReplySenderDiscovery::AnnounceType& record) = 0;
    // The user name the sender logs in with.
    virtual std::string UserName() = 0;

    // --- the window --------------------------------------------------------------------
    virtual void SetMainWindowHeight(bool fourTiles) = 0;
    virtual void RefreshTiles(int argument) = 0;
    virtual void ShowMainWindow() = 0;
    // The login-code overlay for ten seconds (the window's timer hides it).
    virtual void ShowLoginCodeOverlay(const std::string& code) = 0;
    // Posts the command `id` to the main window. Any thread.
    virtual void PostCommand(uint32_t id) = 0;
    // Dispatches the queued messages of the user-interface thread while a
    // feature waits on it.
    virtual void PumpMessages() = 0;
    // The orderly exit of the program.
    virtual void ExitProgram() = 0;
    // Opens web addresses; null when the desktop has no opener.
    virtual platform::UrlOpener* UrlOpener() = 0;
    // This PC's IPv4 addresses (network order).
    virtual std::vector<uint32_t> OwnAddresses() = 0;

    // --- projection ----------------------------------------------------------------
    // The window after a failed restart: idle page, no overlay, no tiles.
    virtual void ResetProjectionState() = 0;
    // The message of a client error code (the engine's error table).
    virtual void ShowErrorMessage(int code) = 0;
    // "Hide UI": the window's layered style with full opacity, or none.
    virtual void SetMainWindowLayered(bool layered) = 0;
    // The PC's display modes (width, height), any order.
    virtual std::vector<std::pair<int, int>> DisplayModes() = 0;

    // --- the engine's session steps ---------------------------------------------
    // Projects at `position` (1 to 4, 128 full screen); true when the start
    // failed (its message has been shown).
    virtual bool Presentation(int position) = 0;
    // The latency mode (pre-buffer time 0 or 1000 ms), restarting a running
    // stream; later logins keep it.
    virtual void SetSpeedScreen(bool speedy) = 0;
    // Connects and logs in to the receiver at `address` (dotted IPv4),
    // asking for its code when it wants one; true when logged in.
    virtual bool LoginToReceiver(const std::string& address) = 0;
    // The connected receiver as a profile: its name, dotted address, the
    // user name and the login code of the session (empty fields: none).
    virtual ui::ConnectionProfile CurrentConnection() = 0;
    // Keeps the PC awake (the own power scheme) or gives the plan back;
    // true when the PC's plan is as asked afterwards.
    virtual bool SetPowerManagement(bool on) = 0;
    // A receiver added by address joins the engine's receiver list at once;
    // an empty name lists it under its address, a known address only takes
    // a given name.
    virtual void AddListedReceiver(const std::string& name, const std::string& address) = 0;
};

}  // namespace pemuapp
