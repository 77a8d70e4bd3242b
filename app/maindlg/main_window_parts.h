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

    // --- start-up steps ---------------------------------------------------------
    // The update check; true when an update was taken (the program then exits).
    virtual bool RunUpdateCheck() { return false; }
    virtual void SelectLanguage() {}
    virtual void ShowFirstStartDialog() {}
    virtual void CheckResolution() {}

    // --- conference information ---------------------------------------------------
    virtual void FetchConferenceInfo() {}

    // --- drawing (the paint handler) ----------------------------------------------
    // Presents `area` of the window's page; false when there is no page and
    // the engine draws its own status picture.
    virtual bool PaintMainWindow(const platform::Rect& area) {
        (void)area;
        return false;
    }
};

}  // namespace pemuapp
