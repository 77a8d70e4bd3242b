// MainWindowParts: what the main dialog's engine calls in the rest of the
// main window: its pages and buttons, the tray icon's picture, USB sharing,
// the conference tiles, the first-start and update steps, the resolution
// check. Each part of the window implements its own calls; the defaults
// here do nothing (or say "nothing to do"), so the engine runs on its own.
//
// THREADING: user-interface thread only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/draw/geometry.h"
#include "platform/window/window_id.h"

namespace pemuapp {

// One row of the receiver list: the receiver's name and dotted address.
struct ReceiverRow {
    std::string name;
    std::string address;
    bool operator==(const ReceiverRow&) const = default;
};

// Page states of the main window.
inline constexpr int kPageSearch = 10007;
inline constexpr int kPageProjecting = 10029;

class MainWindowParts {
public:
    virtual ~MainWindowParts() = default;

    // --- pages and buttons --------------------------------------------------
    virtual void BuildMainPage() {}
    virtual void SetPageState(int page) { (void)page; }
    virtual void RefreshPlayButtons() {}
    virtual void ShowReceiverName(const std::string& name) { (void)name; }
    // The rows of the receiver list changed (and the selection is none).
    virtual void FillReceiverList(const std::vector<ReceiverRow>& rows) { (void)rows; }
    virtual void RefreshTiles(int argument) { (void)argument; }
    // Two or four tiles: the window's height, shape and copy height follow.
    virtual void SetMainWindowHeight(bool fourTiles) { (void)fourTiles; }
    // The device-name edit box (control 1004) is shown.
    virtual bool IsDeviceNameEditVisible() { return false; }
    // The page's confirmation before it is left; false keeps it.
    virtual bool ConfirmLeave() { return true; }
    // Frame of the widget `id` for the search animations.
    virtual void AnimateWidget(uint32_t id) { (void)id; }
    // The connect status of a quick connect: 10012 success, 10013 failure.
    virtual void ShowConnectStatus(uint32_t widgetId) { (void)widgetId; }

    // --- receiver options ---------------------------------------------------
    // The record's flag byte 63 (the receiver's own options).
    virtual void ApplyReceiverFlagByte(uint8_t flags) { (void)flags; }

    // --- USB sharing ----------------------------------------------------------
    virtual bool IsUsbSharingOn() { return false; }
    virtual void StopUsbSharing() {}
    // A projection started on the receiver at `ip` (dotted): USB sharing
    // follows when its setting wants it.
    virtual void StartUsbSharing(const std::string& ip) { (void)ip; }

    // --- start-up steps ---------------------------------------------------------
    // The update check; true when an update was taken (the program then exits).
    virtual bool RunUpdateCheck() { return false; }
    virtual void SelectLanguage() {}
    virtual void ShowFirstStartDialog() {}
    // The sender-server side's identity and login code (every start).
    virtual void SetupSenderIdentity() {}
    virtual void CheckResolution() {}

    // --- conference information ---------------------------------------------------
    virtual void FetchConferenceInfo() {}

    // --- ShowEmptyLoginDialog and ConnectReceiverByIp, before projecting -------
    // The extended desktop when the user chose it (menu command 2021).
    virtual void SwitchToExtendedDesktopIfChosen() {}
    // USB sharing when its preconditions hold: started on its thread, with
    // its waiting box.
    virtual void StartUsbSharingIfWanted() {}

    // --- PreTranslate: the keys of the main window ----------------------------
    // The device-name edit box (control 1004): its text, written back, the
    // name sent to the receiver (SetDeviceName), the box hidden (losing the
    // focus), and Esc's cancel (hidden, text from the receiver-name text).
    virtual std::string DeviceNameEditText() { return {}; }
    virtual void SetDeviceNameEditText(const std::string& text) { (void)text; }
    virtual void SetDeviceName(const std::string& name) { (void)name; }
    virtual void HideDeviceNameEdit() {}
    virtual void CancelDeviceNameEdit() {}
    // The receiver list page: Enter takes the chosen receiver, Esc leaves
    // the page (the list view's saved row back), Up and Down scroll it.
    virtual void TakeChosenListReceiver() {}
    virtual void LeaveListPage() {}
    virtual void ScrollReceiverList(int rows) { (void)rows; }
    // F5: the sender status read again (conference information) and redrawn.
    virtual void RefreshSenderStatus() {}
    // A click elsewhere commits the device name: the box's own window is
    // not elsewhere.
    virtual platform::WindowId DeviceNameEditWindow() { return {}; }

    // --- the mouse on the main window (OnLButtonDown, OnMouseMove) -------------
    // The page allows the bottom-edge resize (and it is not locked).
    virtual bool AllowsResize() { return false; }
    // The window took a new height by the bottom-edge resize.
    virtual void LayoutForHeight(int height) { (void)height; }

    // --- commands 10382 and 10389: conference information arrived --------------
    // The last conference information listed more than two rows.
    virtual bool ConferenceHasMoreThanTwoRows() { return false; }
    // The position area and the first four conference thumbnails redrawn.
    virtual void RedrawConferenceThumbnails() {}

    // --- command 50000: the Wi-Fi join ended -----------------------------------
    // The Wi-Fi waiting notice ends.
    virtual void EndWifiWait() {}

    // --- Presentation -------------------------------------------------------------
    // USB sharing is attaching a device: the start request is not sent (the
    // attach flow starts the stream itself) and counts as done.
    virtual bool IsUsbAttachRunning() { return false; }
    // --- the commands of the window's features ------------------------------------
    // A command the engine does not handle (or handles only in part); false
    // when no feature takes it.
    virtual bool OnFeatureCommand(uint32_t id) {
        (void)id;
        return false;
    }

    // --- drawing (the paint handler) ----------------------------------------------
    // Presents `area` of the window's page; false when there is no page and
    // the engine draws its own status picture.
    virtual bool PaintMainWindow(const platform::Rect& area) {
        (void)area;
        return false;
    }

    // --- after the receiver's access-point-client setup ---------------------------
    // The notice that the receiver restarts and this program ends; the window
    // hides (ShowReceiverRebootNotice).
    virtual void ShowReceiverRebootNotice() {}

    // --- ShowEmptyLoginDialog: the extended desktop after a pause -------------------
    // The user chose to project an extended desktop (menu command 2021): the
    // engine pauses before SwitchToExtendedDesktopIfChosen.
    virtual bool ExtendedDesktopChosen() { return false; }

    // --- OnSearch: the current connection profile tried first ------------------------
    // The quick-profile flow (its network joined when AutoWifi is on, then
    // the connect by address): 0 when the receiver was reached, -2 when the
    // connect was abandoned, -1 otherwise (the search then goes on).
    virtual int RunQuickProfile() { return -1; }
};

}  // namespace pemuapp
