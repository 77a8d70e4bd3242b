#include "ui/dialogs/settings_pages.h"

#include <arpa/inet.h>

#include <cstdio>
#include <cstdlib>

#include "platform/controls/button.h"
#include "platform/controls/combo_box.h"
#include "platform/controls/edit.h"
#include "platform/controls/ip_address_control.h"
#include "platform/controls/list_control.h"
#include "platform/user_name.h"
#include "platform/window/window_manager.h"
#include "ui/dialogs/ap_client_apply.h"
#include "ui/dialogs/chooser_worker.h"
#include "ui/dialogs/common_dialog_window.h"
#include "ui/dialogs/common_element_builder.h"
#include "ui/dialogs/dialog_runner.h"
#include "ui/dialogs/login_error_messages.h"
#include "ui/dialogs/main_window_services.h"
#include "ui/dialogs/network_self_check.h"
#include "ui/dialogs/version_compare.h"
#include "ui/widgets/qkin.h"
#include "vrxclientsdk/VRXClient/VRXClient.h"

namespace ui {
namespace {

// Controls of the pages.
constexpr uint32_t kEditMain = 1005;
constexpr uint32_t kEditSecond = 1010;
constexpr uint32_t kEditFps = 1004;
constexpr uint32_t kEditProfileName = 1011;
constexpr uint32_t kIpControl = 1021;
constexpr uint32_t kList = 1009;
constexpr uint32_t kComboEncryption = 205;
constexpr uint32_t kRadioOn = 2003;
constexpr uint32_t kRadioOff = 2004;
constexpr uint32_t kOwnApSsid = 10337;
// Profile page buttons.
constexpr uint32_t kProfileKeyButton = 10247;
constexpr uint32_t kProfileSave = 10254;
constexpr uint32_t kProfileAdd = 10269;
constexpr uint32_t kProfileRemove = 10270;
constexpr uint32_t kProfileEdit = 10271;
constexpr uint32_t kProfileManage = 10272;

constexpr const char* kMaskedCode = "****";
constexpr const char* kExistingNetwork = "<<Existing Network>>";
constexpr int kStatusNotConnected = 200;
constexpr int kConnectTimeoutSeconds = 10;

platform::Control* ControlOf(CQKCommonDlg& dialog, uint32_t id) {
    CommonDialogWindow* w = dialog.RunningWindow();
    return w ? w->FindControl(id) : nullptr;
}

template <typename T>
T* ControlAs(CQKCommonDlg& dialog, uint32_t id) {
    return dynamic_cast<T*>(ControlOf(dialog, id));
}

std::string TextOf(CQKCommonDlg& dialog, uint32_t id, size_t maxBytes = 1023) {
    platform::Control* c = ControlOf(dialog, id);
    return c ? c->Text().substr(0, maxBytes) : std::string();
}

void SetTextOf(CQKCommonDlg& dialog, uint32_t id, const std::string& text) {
    if (platform::Control* c = ControlOf(dialog, id)) {
        c->SetText(text);
    }
}

void EnableControl(CQKCommonDlg& dialog, uint32_t id, bool on) {
    if (platform::Control* c = ControlOf(dialog, id)) {
        c->Enable(on);
    }
}

// A dotted IPv4 text as inet_pton reads it (no short forms, no trailing
// text): the address in network order, else nullopt.
std::optional<uint32_t> StrictIpv4(const std::string& text) {
    in_addr a{};
    if (text.empty() || ::inet_pton(AF_INET, text.c_str(), &a) != 1) {
        return std::nullopt;
    }
    return a.s_addr;
}

std::string Dotted(uint32_t networkOrder) {
    in_addr a{};
    a.s_addr = networkOrder;
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &a, text, sizeof text);
    return text;
}

std::string EnvironmentUserName() {
    if (const char* user = std::getenv("username")) {
        return user;
    }
    return platform::UserName();
}

VRXClient* ClientOf(CQKCommonDlg& dialog) {
    if (dialog.Client()) {
        return dialog.Client();
    }
    MainWindowServices* main = dialog.Environment().mainWindow;
    return main ? main->MainClient() : nullptr;
}

}  // namespace

SettingsPages::SettingsPages(Services services)
    : m_services(std::move(services)),
      m_profiles(m_services.profilePath.empty() ? ProfileFile::InUserConfig()
                                                : ProfileFile(m_services.profilePath)) {}

SettingsPages::~SettingsPages() {
    for (auto& [window, state] : m_states) {
        for (LoginRowEntry& e : state.entries) {
            if (e.client) {
                e.client->Logout();
            }
        }
    }
}

SettingsPages::PageState& SettingsPages::State(CQKCommonDlg& dialog) {
    return m_states[dialog.Window()];
}

const std::vector<SettingsPages::LoginRowEntry>* SettingsPages::Entries(
    const CQKCommonDlg& dialog) const {
    auto it = m_states.find(dialog.Window());
    return it == m_states.end() ? nullptr : &it->second.entries;
}

int SettingsPages::ProbedChannel(const CQKCommonDlg& dialog) const {
    auto it = m_states.find(dialog.Window());
    return it == m_states.end() ? -1 : it->second.probe.channel;
}

void SettingsPages::DropStatesOfClosedWindows() {
    platform::WindowManager* wm = platform::WindowManager::Current();
    for (auto it = m_states.begin(); it != m_states.end();) {
        if (!it->first || !wm || !wm->IsAlive(it->first)) {
            for (LoginRowEntry& e : it->second.entries) {
                if (e.client) {
                    e.client->Logout();
                }
            }
            it = m_states.erase(it);
        } else {
            ++it;
        }
    }
}

int SettingsPages::ShowBox(CQKCommonDlg& owner, const std::string& title, const std::string& text) {
    DialogRunner* runner = owner.Environment().runner;
    if (!runner) {
        return kIdCancel;
    }
    CQKCommonDlg box(owner.Environment());
    box.SetType(10);
    box.SetTitleText(title);
    box.SetMessageText(text);
    box.SetReference(owner.Window());
    return runner->DoModal(box);
}

void SettingsPages::Beep() {
    if (m_services.beep) {
        m_services.beep();
    } else if (platform::WindowManager* wm = platform::WindowManager::Current()) {
        wm->Bell();
    }
}

// --- Common helpers --------------------------------------------------------

void SettingsPages::PreparePage(CQKCommonDlg& dialog) {
    DropStatesOfClosedWindows();
    if (CommonDialogWindow* w = dialog.RunningWindow()) {
        if (CQKin* audio = w->FindWidget(30188)) {
            audio->LoadBitmapResource(dialog.TurnOffAudio() ? 5218 : 5217);
        }
        if (CQKin* vsync = w->FindWidget(30226)) {
            vsync->LoadBitmapResource(dialog.TurnOffVsync() ? 5217 : 5218);
        }
        if (CQKin* speaker = w->FindWidget(30186)) {
            if (!dialog.TurnOffAudio() && dialog.Volume() != 0) {
                speaker->LoadBitmapResource(5210);
            }
        }
    }
    switch (dialog.Type()) {
        case 7:
            FillProfilePage(dialog, dialog.CurrentProfile().name.empty() ? 0 : 1);
            break;
        case 13:
        case 15:
            if (dialog.Profiles().empty()) {
                m_profiles.LoadProfiles(dialog.Profiles());
                RefillProfileList(dialog);
                if (!m_profiles.LastError().empty()) {
                    ShowBox(dialog, "Warning",
                            "The profile file cannot be read and was set aside:\n" +
                                m_profiles.LastError());
                }
            }
            break;
        default:
            break;
    }
}

void SettingsPages::StorePromptInput(CQKCommonDlg& dialog) {
    dialog.SetUserName(EnvironmentUserName());
    const int type = dialog.Type();
    std::string text;
    if (type == 6) {
        text = Dotted(dialog.Ipv4());
    } else if (type == 32) {
        text = TextOf(dialog, kEditMain, 31);
    } else if (auto* ip = ControlAs<platform::IpAddressControl>(dialog, kIpControl)) {
        text = ip->Text();
    }
    dialog.SetIpText(text);
    if (type != 6) {
        // A typed address that is no dotted IPv4 is refused: no address.
        const std::optional<uint32_t> parsed = StrictIpv4(text);
        dialog.SetIpv4(parsed.value_or(0));
        if (!parsed) {
            Beep();
        }
    }
    platform::Control* code = ControlOf(dialog, kEditMain);
    if (type == 32 || !code || !code->IsVisible()) {
        dialog.SetLoginCode({});
    } else {
        dialog.SetLoginCode(code->Text().substr(0, 6));
    }
}

void SettingsPages::ApplyVolumePageSettings(CQKCommonDlg& dialog) {
    if (platform::Control* fps = ControlOf(dialog, kEditFps); fps && fps->IsVisible()) {
        const int value = std::atoi(fps->Text().substr(0, 2).c_str());
        if (value > 0) {
            dialog.SetFrameRateLimit(value);
        }
    }
    if (VRXClient* client = ClientOf(dialog)) {
        client->SetVolLevel(dialog.Volume());
    }
    if (MainWindowServices* main = dialog.Environment().mainWindow) {
        main->WriteSetting("Volume", std::to_string(dialog.Volume()));
        main->WriteSetting("MaxFPS", std::to_string(dialog.FrameRateLimit()));
        main->WriteSetting("TurnOffAudio", dialog.TurnOffAudio() ? "true" : "false");
        main->WriteSetting("TurnOffVsync", dialog.TurnOffVsync() ? "true" : "false");
    }
}

// --- Profiles ----------------------------------------------------------------

bool SettingsPages::FillProfilePage(CQKCommonDlg& dialog, int mode) {
    if (dialog.Type() != 7) {
        return false;
    }
    auto* ip = ControlAs<platform::IpAddressControl>(dialog, kIpControl);
    auto setAp = [&dialog](const std::string& ssid) {
        platform::Control* ap = ControlOf(dialog, kEditMain);
        if (!ap) {
            return;
        }
        ap->Enable(!ssid.empty());
        ap->SetText(ssid.empty() ? kExistingNetwork : ssid);
    };
    switch (mode) {
        case 0: {
            ConnectionProfile& p = dialog.CurrentProfile();
            p.key.clear();
            SetTextOf(dialog, kEditProfileName, dialog.ReceiverName());
            setAp({});
            if (ip) {
                ip->SetAddress(ntohl(dialog.Ipv4()));
            }
            const std::string user =
                dialog.UserName().empty() ? EnvironmentUserName() : dialog.UserName();
            SetTextOf(dialog, kEditSecond, user);
            const std::string& code = dialog.LoginCode();
            SetTextOf(dialog, kEditFps,
                      code.empty() || code == kDefaultLoginCode ? kMaskedCode : code);
            break;
        }
        case 1: {
            const ConnectionProfile& p = dialog.CurrentProfile();
            SetTextOf(dialog, kEditProfileName, p.name);
            setAp(p.ssid);
            if (ip) {
                ip->SetAddress(ntohl(StrictIpv4(p.serverIp).value_or(0)));
            }
            SetTextOf(dialog, kEditSecond, p.userName);
            SetTextOf(dialog, kEditFps,
                      p.loginCode == kDefaultLoginCode ? kMaskedCode : p.loginCode);
            break;
        }
        case 2:
            for (uint32_t id : {kEditProfileName, kEditSecond, kEditFps}) {
                SetTextOf(dialog, id, {});
            }
            setAp({});
            if (ip) {
                ip->SetAddress(0);
            }
            break;
        default:
            return false;
    }
    return true;
}

void SettingsPages::ReadProfileControls(CQKCommonDlg& dialog) {
    ConnectionProfile& p = dialog.CurrentProfile();
    p.name = TextOf(dialog, kEditProfileName, 255);
    const std::string ap = TextOf(dialog, kEditMain, 255);
    p.ssid = ap == kExistingNetwork ? std::string() : ap;
    const std::string ip = TextOf(dialog, kIpControl, 31);
    p.serverIp = ip == "0.0.0.0" ? std::string() : ip;
    p.userName = TextOf(dialog, kEditSecond, 255);
    const std::string code = TextOf(dialog, kEditFps, 31);
    if (code != kMaskedCode) {
        p.loginCode = code;
    }
}

void SettingsPages::RefillProfileList(CQKCommonDlg& dialog) {
    auto* list = ControlAs<platform::ListControl>(dialog, kList);
    if (!list) {
        return;
    }
    list->DeleteAllRows();
    int row = 0;
    for (const ConnectionProfile& p : dialog.Profiles()) {
        list->InsertRow(row++, p.name);
    }
    if (row > 0) {
        list->Select(0);
    }
}

void SettingsPages::SaveProfiles(CQKCommonDlg& dialog) {
    if (!m_profiles.SaveProfiles(dialog.Profiles())) {
        ShowBox(dialog, "Warning", "The profiles were not saved:\n" + m_profiles.LastError());
    }
}

bool SettingsPages::EditProfile(CQKCommonDlg& list, ConnectionProfile* profile) {
    DialogRunner* runner = list.Environment().runner;
    if (!runner) {
        return false;
    }
    CQKCommonDlg page(list.Environment());
    page.SetType(7);
    page.SetReference(list.Window());
    page.SetClient(list.Client());
    page.SetReceiverName(list.ReceiverName());
    page.SetIpv4(list.Ipv4());
    page.SetLoginCode(list.LoginCode());
    page.CurrentProfile() = *profile;
    if (runner->DoModal(page) != kIdOk) {
        return false;
    }
    if (page.CurrentProfile().name.empty()) {
        Beep();
        return false;
    }
    *profile = page.CurrentProfile();
    return true;
}

void SettingsPages::OnProfileCommand(CQKCommonDlg& dialog, uint32_t controlId) {
    std::vector<ConnectionProfile>& profiles = dialog.Profiles();
    auto* list = ControlAs<platform::ListControl>(dialog, kList);
    const int row = list ? list->Selected() : -1;
    const bool rowValid = row >= 0 && static_cast<size_t>(row) < profiles.size();
    switch (controlId) {
        case kProfileSave:
            ReadProfileControls(dialog);
            break;
        case kProfileKeyButton: {
            DialogRunner* runner = dialog.Environment().runner;
            if (!runner) {
                break;
            }
            CQKCommonDlg keys(dialog.Environment());
            keys.SetType(14);
            keys.SetReference(dialog.Window());
            keys.CurrentProfile() = dialog.CurrentProfile();
            if (runner->DoModal(keys) == kIdOk) {
                dialog.CurrentProfile().key = keys.CurrentProfile().key;
            }
            break;
        }
        case kProfileAdd: {
            ConnectionProfile fresh;
            if (EditProfile(dialog, &fresh)) {
                profiles.push_back(fresh);
                SaveProfiles(dialog);
                RefillProfileList(dialog);
            }
            break;
        }
        case kProfileEdit:
            if (rowValid) {
                ConnectionProfile edited = profiles[static_cast<size_t>(row)];
                if (EditProfile(dialog, &edited)) {
                    profiles[static_cast<size_t>(row)] = edited;
                    SaveProfiles(dialog);
                    RefillProfileList(dialog);
                }
            }
            break;
        case kProfileManage: {
            DialogRunner* runner = dialog.Environment().runner;
            if (!runner) {
                break;
            }
            CQKCommonDlg manager(dialog.Environment());
            manager.SetType(13);
            manager.SetReference(dialog.Window());
            manager.Profiles() = profiles;
            runner->DoModal(manager);
            profiles = manager.Profiles();
            RefillProfileList(dialog);
            break;
        }
        case kProfileRemove:
            if (rowValid) {
                profiles.erase(profiles.begin() + row);
                SaveProfiles(dialog);
                RefillProfileList(dialog);
            }
            break;
        default:
            break;
    }
}

// --- Access-point-client page ----------------------------------------------------

void SettingsPages::FillApClientPage(CQKCommonDlg& dialog) {
    PageState& state = State(dialog);
    auto* combo = ControlAs<platform::ComboBox>(dialog, kComboEncryption);
    if (combo) {
        combo->Clear();
        for (const char* name : kEncryptionNames) {
            combo->AddItem(name);
        }
        combo->SetSelection(0);
    }
    for (uint32_t id : {kRadioOn, kRadioOff, kEditMain, kComboEncryption, kEditSecond}) {
        EnableControl(dialog, id, false);
    }
    VRXClient* client = ClientOf(dialog);
    std::string reply;
    if (!client || client->ForwardMessageText(kApClientMessageId, kApClientQuery, &reply) < 0) {
        return;
    }
    const std::optional<ApClientSettings> settings = ParseApClientReply(reply);
    if (!settings || !settings->available) {
        return;
    }
    state.apClient = *settings;
    state.apClientOn = settings->on;
    EnableControl(dialog, kRadioOn, true);
    EnableControl(dialog, kRadioOff, true);
    for (uint32_t id : {kEditMain, kComboEncryption, kEditSecond}) {
        EnableControl(dialog, id, settings->on);
    }
    SetTextOf(dialog, kEditMain, settings->ssid);
    if (combo) {
        int index = 0;
        for (int i = 0; i < static_cast<int>(std::size(kEncryptionNames)); ++i) {
            if (settings->encryption == kEncryptionNames[i]) {
                index = i;
            }
        }
        combo->SetSelection(index);
    }
    if (auto* on = ControlAs<platform::Button>(dialog, kRadioOn)) {
        on->SetCheck(settings->on);
    }
    if (auto* off = ControlAs<platform::Button>(dialog, kRadioOff)) {
        off->SetCheck(!settings->on);
    }
    SetTextOf(dialog, kEditSecond, settings->key);
    EnableControl(dialog, kEditSecond, settings->on && settings->encryption != "Disable");
}

void SettingsPages::OnApClientModeChanged(CQKCommonDlg& dialog, uint32_t radioId) {
    PageState& state = State(dialog);
    if (radioId == kRadioOn) {
        EnableControl(dialog, kEditMain, true);
        EnableControl(dialog, kComboEncryption, true);
        EnableControl(dialog, kEditSecond, TextOf(dialog, kComboEncryption) != "Disable");
        state.apClientOn = true;
    } else {
        for (uint32_t id : {kEditMain, kComboEncryption, kEditSecond}) {
            EnableControl(dialog, id, false);
        }
        state.apClientOn = false;
    }
}

void SettingsPages::OnApClientEncryptionChanged(CQKCommonDlg& dialog) {
    if (TextOf(dialog, kComboEncryption) == "Disable") {
        EnableControl(dialog, kEditSecond, false);
        SetTextOf(dialog, kEditSecond, {});
    } else if (State(dialog).apClientOn) {
        EnableControl(dialog, kEditSecond, true);
    }
}

void SettingsPages::ApplyApClientSettings(CQKCommonDlg& dialog) {
    PageState& state = State(dialog);
    const std::string ssid = TextOf(dialog, kEditMain, 255);
    std::string key = TextOf(dialog, kEditSecond, kApClientTextBytes);
    const std::string encryption = TextOf(dialog, kComboEncryption);
    auto* on = ControlAs<platform::Button>(dialog, kRadioOn);
    const bool modeOn = on && on->IsChecked();
    // The request's separators never pass, whatever the mode.
    if (!IsWireSafe(ssid)) {
        ShowBox(dialog, "Info", "SSID has wrong format");
        return;
    }
    if (!IsWireSafe(key)) {
        ShowBox(dialog, "Info", "Encryption key has wrong format");
        return;
    }
    if (modeOn) {
        switch (CheckApClientInput(ssid, encryption, key)) {
            case ApClientCheck::kBadSsid:
                ShowBox(dialog, "Info", "SSID has wrong format");
                return;
            case ApClientCheck::kBadKey:
                ShowBox(dialog, "Info", "Encryption key has wrong format");
                return;
            case ApClientCheck::kValid:
                break;
        }
    }
    VRXClient* client = ClientOf(dialog);
    if (!client) {
        return;
    }
    client->StopPlayImage();
    const std::string request = BuildApClientSetRequest(
        modeOn, ssid, EncryptionCodeFor(encryption, key), key, state.probe.channel);
    std::string reply;
    if (client->ForwardMessageText(kApClientMessageId, request, &reply) < 0 ||
        !ApClientSetSucceeded(reply)) {
        return;
    }
    client->StopPlayImage();
    if (!modeOn) {
        key.clear();
    }
    std::string ownSsid;
    if (CommonDialogWindow* w = dialog.RunningWindow()) {
        if (CQKin* own = w->FindWidget(kOwnApSsid)) {
            ownSsid = own->Caption();
        }
    }
    if (!m_profiles.SaveWifiToCurrentProfile("", ownSsid, key)) {
        ShowBox(dialog, "Warning", "The profile was not saved:\n" + m_profiles.LastError());
    }
    FinishApClientApply(dialog, *client, key, ownSsid);
}

void SettingsPages::ChooseAccessPoint(CQKCommonDlg& dialog) {
    PageState& state = State(dialog);
    state.probe = AccessPointProbe{};
    std::vector<platform::WifiAccessPoint> points;
    const ChooserWait listing = ListAccessPointsOnWorker(dialog, dialog.Environment().wifi, points);
    if (listing == ChooserWait::kQuit) {
        return;
    }
    if (listing != ChooserWait::kDone) {
        ShowBox(dialog, "Info", "The Wi-Fi list is unavailable.");
        return;
    }
    if (points.empty()) {
        ShowBox(dialog, "Info", "Your wireless adaptor might be disabled.");
        return;
    }
    DialogRunner* runner = dialog.Environment().runner;
    if (!runner) {
        return;
    }
    CQKCommonDlg chooser(dialog.Environment());
    chooser.SetType(19);
    chooser.SetReference(dialog.Window());
    // The caller's list is replaced, never appended to.
    dialog.AllAccessPoints().clear();
    for (const platform::WifiAccessPoint& p : points) {
        AccessPointInfo info{p.ssid, p.bssid, p.signal, p.authentication};
        chooser.AllAccessPoints().push_back(info);
        chooser.ShownAccessPoints().push_back(info);
        dialog.AllAccessPoints().push_back(info);
    }
    if (runner->DoModal(chooser) != kIdOk) {
        return;
    }
    const int row = chooser.SelectedRow();
    if (row < 0 || static_cast<size_t>(row) >= chooser.ShownAccessPoints().size()) {
        return;
    }
    const AccessPointInfo chosen = chooser.ShownAccessPoints()[static_cast<size_t>(row)];
    AccessPointProbe probed;
    if (ProbeAccessPointOnWorker(dialog, m_services.probe, chosen, probed) != ChooserWait::kDone) {
        return;  // a quit: the loops unwind, nothing is taken over
    }
    state.probe = probed;
    if (state.probe.authentication < 0) {
        state.probe.authentication = chosen.authentication;
    }
    dialog.SetChosenAuthentication(chosen.authentication);
    SetTextOf(dialog, kEditMain, chosen.ssid);
}

// --- Connect page -------------------------------------------------------------

bool SettingsPages::LoginByAddress(CQKCommonDlg& dialog, const DevAnnounce& record, uint32_t ipv4,
                                   const std::string& userName, std::string loginCode) {
    MainWindowServices* main = dialog.Environment().mainWindow;
    DialogRunner* runner = dialog.Environment().runner;
    const int64_t source = NextLoginRowSource();
    std::unique_ptr<VRXClient> client = main->MakeRowClient(dialog.Window(), source);
    if (!client) {
        return false;
    }
    const bool asksCode = record.GetCodeMode() == 0;
    for (;;) {
        if (asksCode) {
            CQKCommonDlg prompt(dialog.Environment());
            prompt.SetType(30);
            prompt.SetReference(dialog.Window());
            if (runner->DoModal(prompt) != kIdOk) {
                return false;
            }
            loginCode = prompt.LoginCode();
        }
        const int rc = client->Login(ipv4, userName.c_str(), loginCode.c_str());
        if (rc < 0) {
            const std::string message = LoginErrorMessage(rc);
            if (!message.empty()) {
                ShowBox(dialog, "Warning", message);
            }
            client->Logout();
            if (rc == kErrorRejectedLoginCode && asksCode) {
                continue;
            }
            return false;
        }
        if (!record.IsListable()) {
            // Not a receiver this page lists: log it out again.
            client->Logout();
            ShowBox(dialog, "Warning", kConnectFailedText);
            return false;
        }
        dialog.SetLoginCode(loginCode);
        if (dialog.ReceiverRecords().size() == dialog.Receivers().size()) {
            dialog.ReceiverRecords().push_back(record);
        }
        dialog.Receivers().push_back({record.GetName(), Dotted(ipv4)});
        State(dialog).entries.push_back({std::move(client), ipv4, record.GetName(), source});
        return true;
    }
}

bool SettingsPages::ManualConnectByIp(CQKCommonDlg& dialog) {
    MainWindowServices* main = dialog.Environment().mainWindow;
    DialogRunner* runner = dialog.Environment().runner;
    if (!main || !runner) {
        return false;
    }
    DropStatesOfClosedWindows();
    for (;;) {
        CQKCommonDlg ask(dialog.Environment());
        ask.SetType(32);
        ask.SetReference(dialog.Type() == 28 ? dialog.Window() : main->MainWindowId());
        if (runner->DoModal(ask) != kIdOk) {
            return false;
        }
        const std::optional<uint32_t> typed = StrictIpv4(ask.IpText());
        if (!typed || *typed == 0) {
            Beep();
            continue;
        }
        const uint32_t ipv4 = *typed;
        for (const DiscoveredReceiver& r : dialog.Receivers()) {
            if (r.ip == Dotted(ipv4)) {
                return false;  // already listed
            }
        }
        PageState& state = State(dialog);
        if (!state.ownClient) {
            state.ownClient = main->MakeClient(dialog.Window());
        }
        if (!state.ownClient) {
            return false;
        }
        DevAnnounce record;
        if (state.ownClient->ConnectToDeviceThruIP(ipv4, &record, kConnectTimeoutSeconds) < 0) {
            ShowBox(dialog, "Warning", kConnectFailedText);
            continue;
        }
        const std::string user = ask.UserName().empty() ? EnvironmentUserName() : ask.UserName();
        if (LoginByAddress(dialog, record, ipv4, user, ask.LoginCode())) {
            return true;
        }
    }
}

void SettingsPages::RebuildPageClients(CQKCommonDlg& dialog) {
    // Entries whose receiver has gone are logged out and dropped.
    std::vector<LoginRowEntry>& entries = State(dialog).entries;
    for (auto it = entries.begin(); it != entries.end();) {
        if (!it->client || it->client->GetStatus() == kStatusNotConnected) {
            if (it->client) {
                it->client->Logout();
            }
            it = entries.erase(it);
        } else {
            ++it;
        }
    }
}

bool SettingsPages::SearchPageClients(CQKCommonDlg& dialog, bool* passwordWanted) {
    if (passwordWanted) {
        *passwordWanted = false;
    }
    MainWindowServices* main = dialog.Environment().mainWindow;
    if (!main) {
        return false;
    }
    std::vector<DevAnnounce> found;
    main->RunDeviceDiscover(found);
    if (dialog.Ended()) {
        return false;  // its results were settled while the search ran
    }
    std::vector<DiscoveredReceiver>& receivers = dialog.Receivers();
    std::vector<DevAnnounce>& records = dialog.ReceiverRecords();
    receivers.clear();
    records.clear();
    for (const DevAnnounce& a : found) {
        if (!a.IsListable()) {
            continue;
        }
        const std::string ip = Dotted(a.GetIPv4());
        bool known = false;
        for (const DiscoveredReceiver& r : receivers) {
            known = known || r.ip == ip;
        }
        if (!known) {
            receivers.push_back({a.GetName(), ip});
            records.push_back(a);
        }
    }
    // A page with a list view shows a login row per receiver.
    AddClientsForFound(dialog, *main, records, State(dialog).entries);
    return false;
}

bool SettingsPages::OnClientEvent(CQKCommonDlg& dialog, uint32_t eventCode, int64_t param) {
    if (eventCode != static_cast<uint32_t>(kClientEventConnectClose)) {
        return false;
    }
    const bool removed =
        RemoveClosedClient(dialog, State(dialog).entries, param,
                           [&](const std::string& text) { ShowBox(dialog, "Warning", text); });
    if (!removed && param == 0) {
        // A client that gave no number: entries whose receiver is gone.
        RebuildPageClients(dialog);
    }
    return true;
}

void SettingsPages::OnTileHover(CQKCommonDlg& dialog, uint32_t event, uint32_t controlId) {
    (void)dialog;
    (void)event;
    (void)controlId;
}

// --- Version, language, self-check -------------------------------------------

int SettingsPages::IsNewerVersion(const std::string& offered) {
    return CompareVersionText(offered, m_services.ownVersion);
}

void SettingsPages::OnLanguageSelected(CQKCommonDlg& dialog, const std::string& language) {
    MainWindowServices* main = dialog.Environment().mainWindow;
    if (!main || language.empty() || language == main->LanguageName()) {
        return;
    }
    main->WriteSetting("LanguageID", language);
    // Applied at once: every open window reads its texts again, so no
    // restart is asked for.
    main->ApplyLanguageName(language);
}

int SettingsPages::CheckNetwork() {
    if (!m_services.adapters || !m_services.pinger) {
        return kCheckNoAdapter;
    }
    return RunNetworkSelfCheck(*m_services.adapters, *m_services.pinger);
}

void SettingsPages::ShowCheckResult(CQKCommonDlg& dialog, int result) {
    switch (result) {
        case 0:
            ShowBox(dialog, "SUCCESS", "Network checking success");
            break;
        case 1:
            ShowBox(dialog, "IP ERROR",
                    "No valid IP address on this PC. Please check your network connection.");
            break;
        default:
            ShowBox(dialog, "PING ERROR",
                    "Cannot get response from loopback test. Please make sure your firewall or "
                    "anti-virus programs allows this application to pass through.");
            break;
    }
}

}  // namespace ui
