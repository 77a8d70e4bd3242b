// MainWindowServices: what the secondary dialogs need of the main window.
//
// The common dialog and the settings pages reach the main window only
// through this interface: its settings and their writer, the receiver
// discovery it runs, the one factory of receiver clients, its window id
// (owner and placement reference of its dialogs) and the user-interface
// language. The main dialog implements it; tests use FakeMainWindowServices
// (tests/ui/dialogs).
//
// THREADING: user-interface thread only, except where a method says
// otherwise.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/settings/sender_settings.h"
#include "platform/window/window_id.h"
#include "vrxclientsdk/VRPClient/DevAnnounce.h"

class VRXClient;

namespace ui {

// The main window's timer that ends the program after the receiver was
// asked to reboot (armed by the access-point-client page, 20 s).
inline constexpr uint32_t kMainTimerRebootExit = 212;

class MainWindowServices {
public:
    virtual ~MainWindowServices() = default;

    // --- Settings --------------------------------------------------------
    // The settings as the main window keeps them (read at start, updated by
    // every write below). Valid until the next write.
    virtual const pemuapp::SenderSettings& Settings() const = 0;
    // Writes one key of the settings file and updates Settings(); false,
    // logged by the writer, when the value is refused or the file cannot be
    // written.
    virtual bool WriteSetting(const std::string& key, const std::string& value) = 0;

    // --- Discovery -------------------------------------------------------
    // Runs one receiver discovery (ports 1047..1049, 5 s) on a worker while
    // pumping the user-interface messages with a wait cursor, and fills
    // `result` with the listed receivers. Returns the discovery's code
    // (negative on failure; `result` then holds what was found).
    virtual int RunDeviceDiscover(std::vector<DevAnnounce>& result) = 0;

    // --- Clients ---------------------------------------------------------
    // Makes a receiver client of the program's client class whose events are
    // posted to `eventTarget` (a dialog's window). Null when none can be
    // made. The caller owns the client and deletes it on the UI thread.
    virtual std::unique_ptr<VRXClient> MakeClient(platform::WindowId eventTarget) = 0;
    // The main window's own client (the logged-in receiver), or null.
    // Borrowed: lives as long as the main window.
    virtual VRXClient* MainClient() = 0;

    // --- Window ----------------------------------------------------------
    // The main window (null before it exists or after it is gone).
    virtual platform::WindowId MainWindowId() const = 0;

    // --- Language --------------------------------------------------------
    // The chosen language's name as the settings keep it ("English", ...).
    virtual std::string LanguageName() const = 0;
    // Applies the language `name` to the program (catalog, texts of every
    // open window); the caller has already written LanguageID.
    virtual void ApplyLanguageName(const std::string& name) = 0;

    // --- After the receiver's access-point-client setup ------------------
    // Keeps `key` and the main client's receiver name in the settings file
    // ("WifiKeyByVornCipher", "DeviceNameByVornCipher"), both as handed in.
    virtual void StoreDeviceNameAndWifiKey(const std::string& key) = 0;
    // Tells the user that the receiver restarts and this program ends (the
    // main window's timer 212 ends it), and hides the main window.
    virtual void ShowReceiverRebootNotice() = 0;

    // --- Clients of login rows ---------------------------------------------
    // As MakeClient, and the client's lost connection reaches `eventTarget`
    // with `eventSource` as the event's argument, so that a dialog holding
    // several clients knows whose row to remove.
    virtual std::unique_ptr<VRXClient> MakeRowClient(platform::WindowId eventTarget,
                                                     int64_t eventSource) = 0;
};

}  // namespace ui
