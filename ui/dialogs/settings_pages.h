// SettingsPages: the program's page code behind the common dialog.
//
// Profiles (profile.ini through ProfileFile), the receiver's
// access-point-client settings, the access-point chooser, connecting by
// address, the receiver search of the looking-for-receiver page, the volume
// page's settings, the language choice, the version compare and the network
// self-check. Every box and prompt goes through the dialog environment's
// DialogRunner, so tests script them.
//
// Page state that outlives one call (the receiver clients of a page, the
// probed channel, the parsed access-point-client settings) is kept per
// dialog window and dropped, clients logged out, once that window is gone.
//
// THREADING: user-interface thread, except CheckNetwork (the self-check
// worker), which touches only the adapter provider and the pinger.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/res/version_info.h"
#include "platform/window/window_id.h"
#include "ui/dialogs/ap_client_protocol.h"
#include "ui/dialogs/cqk_common_dlg.h"
#include "ui/dialogs/login_rows.h"
#include "ui/dialogs/page_operations.h"
#include "ui/dialogs/profile_file.h"

class VRXClient;
struct DevAnnounce;

namespace platform {
class AdapterProvider;
class Pinger;
}  // namespace platform

namespace ui {

// What the chooser learns of a chosen access point beyond the listing.
struct AccessPointProbe {
    int authentication = -1;
    int channel = -1;
    std::string cipher;
};

class SettingsPages final : public PageOperations {
public:
    struct Services {
        // profile.ini; empty path: ProfileFile::InUserConfig().
        std::string profilePath;
        // The self-check's sources (borrowed; null: the check cannot run and
        // reports no adapter).
        platform::AdapterProvider* adapters = nullptr;
        platform::Pinger* pinger = nullptr;
        // Channel and cipher of a chosen access point (null: unknown).
        std::function<AccessPointProbe(const AccessPointInfo&)> probe;
        // The program's own version (tests give their own).
        appres::FileVersion ownVersion = appres::ProgramFileVersion();
        // The short beep of a refused entry (null: the terminal bell).
        std::function<void()> beep;
    };

    explicit SettingsPages(Services services);
    ~SettingsPages() override;

    // --- PageOperations ---------------------------------------------------
    void PreparePage(CQKCommonDlg& dialog) override;
    void StorePromptInput(CQKCommonDlg& dialog) override;
    void ApplyVolumePageSettings(CQKCommonDlg& dialog) override;
    bool FillProfilePage(CQKCommonDlg& dialog, int mode) override;
    void SaveProfiles(CQKCommonDlg& dialog) override;
    void OnProfileCommand(CQKCommonDlg& dialog, uint32_t controlId) override;
    void FillApClientPage(CQKCommonDlg& dialog) override;
    void OnApClientModeChanged(CQKCommonDlg& dialog, uint32_t radioId) override;
    void OnApClientEncryptionChanged(CQKCommonDlg& dialog) override;
    void ApplyApClientSettings(CQKCommonDlg& dialog) override;
    void ChooseAccessPoint(CQKCommonDlg& dialog) override;
    int IsNewerVersion(const std::string& offered) override;
    bool ManualConnectByIp(CQKCommonDlg& dialog) override;
    void RebuildPageClients(CQKCommonDlg& dialog) override;
    bool SearchPageClients(CQKCommonDlg& dialog, bool* passwordWanted) override;
    void OnLanguageSelected(CQKCommonDlg& dialog, const std::string& language) override;
    int CheckNetwork() override;
    void ShowCheckResult(CQKCommonDlg& dialog, int result) override;
    void OnTileHover(CQKCommonDlg& dialog, uint32_t event, uint32_t controlId) override;
    bool OnClientEvent(CQKCommonDlg& dialog, uint32_t eventCode, int64_t param) override;

    // --- For the main window and tests -------------------------------------
    ProfileFile& Profiles() { return m_profiles; }
    // The receivers logged in through a page of `dialog` (address, name).
    using LoginRowEntry = ui::LoginRowEntry;
    const std::vector<LoginRowEntry>* Entries(const CQKCommonDlg& dialog) const;
    // The channel the chooser found for `dialog` (-1: none).
    int ProbedChannel(const CQKCommonDlg& dialog) const;

private:
    struct PageState {
        std::vector<LoginRowEntry> entries;
        ApClientSettings apClient;
        bool apClientOn = false;
        AccessPointProbe probe;
        // The dialog's own client (search, connect by address).
        std::unique_ptr<VRXClient> ownClient;
    };
    PageState& State(CQKCommonDlg& dialog);
    void DropStatesOfClosedWindows();
    int ShowBox(CQKCommonDlg& owner, const std::string& title, const std::string& text);
    void Beep();
    void ReadProfileControls(CQKCommonDlg& dialog);
    void RefillProfileList(CQKCommonDlg& dialog);
    bool EditProfile(CQKCommonDlg& list, ConnectionProfile* profile);
    // One pass of the connect-by-address loop's login.
    bool LoginByAddress(CQKCommonDlg& dialog, const DevAnnounce& record, uint32_t ipv4,
                        const std::string& userName, std::string loginCode);

    Services m_services;
    ProfileFile m_profiles;
    std::map<platform::WindowId, PageState> m_states;
};

}  // namespace ui
