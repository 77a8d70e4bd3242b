// PageOperations: the page code behind the common dialog.
//
// The common dialog (CQKCommonDlg) builds, places, draws and dispatches its
// pages; what a page does with the receiver, the profiles, the Wi-Fi
// settings or the self-check lives in the settings pages, reached through
// this interface. The pages implement it; tests use RecordingPageOperations
// (tests/ui/dialogs), which records each call and answers from settable
// values.
//
// Every call gets the dialog it works for (borrowed for the call).
// THREADING: user-interface thread only.
#pragma once

#include <cstdint>
#include <string>

namespace ui {

class CQKCommonDlg;

class PageOperations {
public:
    virtual ~PageOperations() = default;

    // After the elements are built: state images of 30186, 30188 and 30226
    // from the dialog's flags.
    virtual void PreparePage(CQKCommonDlg& dialog) = 0;
    // A prompt page (types 6, 30, 31, 32) ends with OK: keep what it
    // collected (address, login code, user name) in the dialog.
    virtual void StorePromptInput(CQKCommonDlg& dialog) = 0;
    // The volume page's OK: pass the volume on and write its settings.
    virtual void ApplyVolumePageSettings(CQKCommonDlg& dialog) = 0;
    // Fills (0), refreshes (1) or clears (2) the profile page; false unless
    // the dialog is a profile page.
    virtual bool FillProfilePage(CQKCommonDlg& dialog, int mode) = 0;
    // Rewrites the profile file from the dialog's profiles.
    virtual void SaveProfiles(CQKCommonDlg& dialog) = 0;
    // The profile pages' buttons (ids of their elements).
    virtual void OnProfileCommand(CQKCommonDlg& dialog, uint32_t controlId) = 0;

    // The access-point-client page (type 21): fill at start, a change of the
    // mode radios or of the encryption combo, apply, and the choice of the
    // home access point.
    virtual void FillApClientPage(CQKCommonDlg& dialog) = 0;
    virtual void OnApClientModeChanged(CQKCommonDlg& dialog, uint32_t radioId) = 0;
    virtual void OnApClientEncryptionChanged(CQKCommonDlg& dialog) = 0;
    virtual void ApplyApClientSettings(CQKCommonDlg& dialog) = 0;
    virtual void ChooseAccessPoint(CQKCommonDlg& dialog) = 0;

    // Above 0 when `offered` is newer than the program's version.
    virtual int IsNewerVersion(const std::string& offered) = 0;
    // Asks for an address (type 32) and connects to it; true when connected.
    virtual bool ManualConnectByIp(CQKCommonDlg& dialog) = 0;
    // The connect page's clients: rebuild (one client per discovered
    // receiver, rows re-added) and one search step of timer 250 (true while
    // a search still runs; *passwordWanted set when a receiver asks for one).
    virtual void RebuildPageClients(CQKCommonDlg& dialog) = 0;
    virtual bool SearchPageClients(CQKCommonDlg& dialog, bool* passwordWanted) = 0;

    // The language menu's choice (writes LanguageID, applies, informs).
    virtual void OnLanguageSelected(CQKCommonDlg& dialog, const std::string& language) = 0;
    // The network self-check (worker thread!): 0 all passed, -1 and -2 the
    // two failures, other values: did not run. Must not touch windows.
    virtual int CheckNetwork() = 0;
    // Shows the self-check's result (0, 1 or 2) as a message.
    virtual void ShowCheckResult(CQKCommonDlg& dialog, int result) = 0;
    // Hover (0x4000000) or leave (0x8000000) of a receiver tile.
    virtual void OnTileHover(CQKCommonDlg& dialog, uint32_t event, uint32_t controlId) = 0;
    // A receiver-client event reached the dialog (on the UI thread). True
    // when the page has dealt with it, a lost connection's message
    // included; false leaves the plain message to the dialog.
    virtual bool OnClientEvent(CQKCommonDlg& dialog, uint32_t eventCode, int64_t param) = 0;
};

}  // namespace ui
