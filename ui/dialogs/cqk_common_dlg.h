// CQKCommonDlg: the one dialog class behind every secondary window of the
// sender (message boxes, prompts, lists, profile pages, About, volume page,
// language menu, dock, looking-for-receiver page).
//
// A creator constructs it (cheap: no window yet) with the environment, sets
// the type and what that type reads, and runs it through its DialogRunner:
//
//   ui::CQKCommonDlg box(env);
//   box.SetType(10);
//   box.SetTitleText("Warning");
//   box.SetMessageText(appres::Translator::LoadString(65306));
//   if (env.runner->DoModal(box) == ui::kIdOk) { ... }
//
// The result is kIdOk or kIdCancel; the creator then reads the results
// below. Texts are English or already translated; each is translated again
// when drawn (a text that has no catalog entry stays as it is).
//
// The window itself, the layout tables, the element builder and the
// dispatch are built on RunModal.
// THREADING: user-interface thread only, except PostClientEvent.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/window/window_id.h"
#include "ui/dialogs/dialog_environment.h"
#include "ui/dialogs/dialog_runner.h"
#include "vrxclientsdk/VRPClient/DevAnnounce.h"

class VRXClient;

namespace ui {

class CommonDialogWindow;

// A receiver found by the receiver-list page (type 2).
struct DiscoveredReceiver {
    std::string name;
    std::string ip;  // dotted IPv4
};

// One access point the PC sees (access-point pages, types 1 and 19).
struct AccessPointInfo {
    std::string ssid;
    std::string bssid;
    int signal = 0;
    int authentication = 0;  // 0 WEP, 3 WPA, 6 WPA2, others: open or unknown
};

// One connection profile of the profile pages (types 7, 14, 15).
struct ConnectionProfile {
    std::string name, ssid, serverIp, userName, loginCode, key;
};

class CQKCommonDlg final : public ModalDialog {
public:
    explicit CQKCommonDlg(DialogEnvironment environment);
    ~CQKCommonDlg() override;
    CQKCommonDlg(const CQKCommonDlg&) = delete;
    CQKCommonDlg& operator=(const CQKCommonDlg&) = delete;

    // --- Inputs, set before DoModal -------------------------------------
    void SetType(int type) { m_type = type; }
    int Type() const { return m_type; }
    void SetTitleText(std::string text) { m_titleText = std::move(text); }
    const std::string& TitleText() const { return m_titleText; }
    void SetMessageText(std::string text) { m_messageText = std::move(text); }
    const std::string& MessageText() const { return m_messageText; }
    // The window the dialog is centred on (types 6, 8, 10, 26, 30..34, 39);
    // null: the screen.
    void SetReference(platform::WindowId window) { m_reference = window; }
    platform::WindowId Reference() const { return m_reference; }
    // The owner window (type 16 covers it); null: none.
    void SetOwnerWindow(platform::WindowId window) { m_owner = window; }
    platform::WindowId OwnerWindow() const { return m_owner; }
    void SetOptionByte(uint8_t option) { m_option = option; }
    uint8_t OptionByte() const { return m_option; }
    // Shown with the layered style (alpha 255).
    void SetLayered(bool layered) { m_layered = layered; }
    bool Layered() const { return m_layered; }
    // The message text is centred by the element builder.
    void SetCenterMessage(bool centre) { m_centerMessage = centre; }
    bool CenterMessage() const { return m_centerMessage; }
    void SetMaskShown(bool shown) { m_maskShown = shown; }
    bool MaskShown() const { return m_maskShown; }
    // The receiver client the page works with (borrowed; may be null).
    void SetClient(VRXClient* client) { m_client = client; }
    VRXClient* Client() const { return m_client; }
    void SetReceiverName(std::string name) { m_receiverName = std::move(name); }
    const std::string& ReceiverName() const { return m_receiverName; }
    // An initial text of the page (a login code, a receiver address).
    void SetInitialText(std::string text) { m_initialText = std::move(text); }
    const std::string& InitialText() const { return m_initialText; }
    void SetVersionText(std::string text) { m_versionText = std::move(text); }
    const std::string& VersionText() const { return m_versionText; }
    // A ';'-separated list of SSID prefixes; empty: no filtering.
    void SetApFilter(const std::string& text);
    const std::vector<std::string>& ApFilterPrefixes() const { return m_apFilter; }
    bool ApFilterOn() const { return m_apFilterOn; }

    // The access point chosen for the security page (type 4): its
    // authentication value picks the key's name ("WPA", "WPA2", "WEP").
    void SetChosenAuthentication(int value) { m_chosenAuth = value; }
    int ChosenAuthentication() const { return m_chosenAuth; }
    // An SSID the access-point list never shows (empty: none).
    void SetNeverListedName(std::string name) { m_neverListed = std::move(name); }
    const std::string& NeverListedName() const { return m_neverListed; }
    // The update offer (type 25): whether the offered version is newer, and
    // the caption of its download button then.
    void SetUpdateIsNewer(bool newer) { m_updateNewer = newer; }
    bool UpdateIsNewer() const { return m_updateNewer; }
    void SetDownloadText(std::string text) { m_downloadText = std::move(text); }
    const std::string& DownloadText() const { return m_downloadText; }
    // The network whose fixed profile timer 210 removes (empty: none).
    void SetFixedProfileSsid(std::string ssid) { m_fixedProfileSsid = std::move(ssid); }
    const std::string& FixedProfileSsid() const { return m_fixedProfileSsid; }
    // The address field (1021) cannot be edited.
    void SetIpReadOnly(bool readOnly) { m_ipReadOnly = readOnly; }
    bool IpReadOnly() const { return m_ipReadOnly; }

    // --- Inputs and results ---------------------------------------------
    // The volume page's value (0..157).
    void SetVolume(int volume) { m_volume = volume; }
    int Volume() const { return m_volume; }
    void SetFrameRateLimit(int fps) { m_maxFps = fps; }
    int FrameRateLimit() const { return m_maxFps; }
    void SetTurnOffAudio(bool off) { m_turnOffAudio = off; }
    bool TurnOffAudio() const { return m_turnOffAudio; }
    void SetTurnOffVsync(bool off) { m_turnOffVsync = off; }
    bool TurnOffVsync() const { return m_turnOffVsync; }
    void SetLanguage(std::string language) { m_language = std::move(language); }
    const std::string& Language() const { return m_language; }
    // The receiver address, network order, and as dotted text.
    void SetIpv4(uint32_t ipv4) { m_ipv4 = ipv4; }
    uint32_t Ipv4() const { return m_ipv4; }
    void SetIpText(std::string text) { m_ipText = std::move(text); }
    const std::string& IpText() const { return m_ipText; }

    // --- Results, read after DoModal -------------------------------------
    // The text of the page's main edit (1005), and the key (type 4).
    void SetEnteredText(std::string text) { m_enteredText = std::move(text); }
    const std::string& EnteredText() const { return m_enteredText; }
    void SetEnteredKey(std::string key) { m_enteredKey = std::move(key); }
    const std::string& GetEnteredKey() const { return m_enteredKey; }
    void SetLoginCode(std::string code) { m_loginCode = std::move(code); }
    const std::string& LoginCode() const { return m_loginCode; }
    void SetUserName(std::string name) { m_userName = std::move(name); }
    const std::string& UserName() const { return m_userName; }
    // The page's check box (types 16, 20): 1 ticked.
    void SetCheckFlag(int flag) { m_checkFlag = flag; }
    int CheckFlag() const { return m_checkFlag; }
    // The chosen list row; -1: none.
    void SetSelectedRow(int row) { m_selectedRow = row; }
    int SelectedRow() const { return m_selectedRow; }
    // 2 when the dialog was closed by a close request or its exit button.
    void SetCloseCode(int code) { m_closeCode = code; }
    int CloseCode() const { return m_closeCode; }
    // The looking-for-receiver page (type 28) only lists what it hands
    // over: its receivers are to be shown, not logged in to.
    void SetListOnly(bool listOnly) { m_listOnly = listOnly; }
    bool ListOnly() const { return m_listOnly; }
    // Receivers (dotted IPv4) whose login the user declined or that failed
    // since the search began: the page lists them but never hands them over
    // by itself, or it would end again at once with the same receiver.
    void SetPassedOver(std::vector<std::string> ips) { m_passedOver = std::move(ips); }
    const std::vector<std::string>& PassedOver() const { return m_passedOver; }
    // The first found receiver the page may hand over; -1: none.
    int FirstReceiverToHandOver() const;

    // Lists the pages fill and creators read.
    std::vector<DiscoveredReceiver>& Receivers() { return m_receivers; }
    // The receivers' 128-byte records, row for row with Receivers() where
    // the page has them (the receiver pages, types 2, 27 and 28).
    std::vector<DevAnnounce>& ReceiverRecords() { return m_records; }
    std::vector<ConnectionProfile>& Profiles() { return m_profiles; }
    // Every access point of the last scan, and those the list shows.
    std::vector<AccessPointInfo>& AllAccessPoints() { return m_allAccessPoints; }
    std::vector<AccessPointInfo>& ShownAccessPoints() { return m_shownAccessPoints; }
    ConnectionProfile& CurrentProfile() { return m_currentProfile; }

    // --- Running --------------------------------------------------------
    int RunModal() override;
    DialogRecord Describe() const override;
    // The dialog's window while it runs; null otherwise.
    platform::WindowId Window() const;
    const DialogEnvironment& Environment() const { return m_env; }
    // The running window's internals (widgets, controls), null when not
    // running. For the page code and tests.
    CommonDialogWindow* RunningWindow() { return m_window.get(); }
    // True once the running window has ended (its results are final: page
    // code that pumped messages meanwhile leaves them alone).
    bool Ended() const;
    // Ends the running looking-for-receiver page (type 28) with receivers
    // found or logged in to elsewhere (a hand-off from another start): they
    // become the page's receivers and records, list-only, the first one
    // chosen. False, and nothing changed, when the page is not running or
    // has ended, or when `receivers` is empty or not row for row with
    // `records`.
    bool EndWithReceivers(std::vector<DiscoveredReceiver> receivers,
                          std::vector<DevAnnounce> records);

private:
    DialogEnvironment m_env;
    int m_type = 0;
    std::string m_titleText, m_messageText;
    platform::WindowId m_reference, m_owner;
    uint8_t m_option = 0;
    bool m_layered = false;
    bool m_centerMessage = false;
    bool m_maskShown = false;
    VRXClient* m_client = nullptr;
    std::string m_receiverName, m_initialText, m_versionText;
    std::vector<std::string> m_apFilter;
    bool m_apFilterOn = false;
    int m_volume = 0;
    int m_maxFps = 30;
    bool m_turnOffAudio = false, m_turnOffVsync = false;
    std::string m_language;
    uint32_t m_ipv4 = 0;
    std::string m_ipText;
    std::string m_enteredText, m_enteredKey, m_loginCode, m_userName;
    int m_checkFlag = 0;
    int m_selectedRow = -1;
    int m_closeCode = 0;
    bool m_listOnly = false;
    std::vector<std::string> m_passedOver;
    std::vector<DiscoveredReceiver> m_receivers;
    std::vector<DevAnnounce> m_records;
    std::vector<ConnectionProfile> m_profiles;
    std::vector<AccessPointInfo> m_allAccessPoints, m_shownAccessPoints;
    int m_chosenAuth = -1;
    std::string m_neverListed;
    bool m_updateNewer = false;
    std::string m_downloadText;
    bool m_ipReadOnly = false;
    std::string m_fixedProfileSsid;
    ConnectionProfile m_currentProfile;
    std::unique_ptr<CommonDialogWindow> m_window;
};

}  // namespace ui
