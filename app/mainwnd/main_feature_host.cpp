#include "app/mainwnd/main_feature_host.h"

#include <algorithm>

#include "app/maindlg/address_text.h"
#include "app/maindlg/main_dlg.h"
#include "app/mainwnd/main_window.h"
#include "app/settings/settings_file.h"
#include "platform/display/display_settings.h"
#include "platform/pump.h"
#include "platform/url_opener.h"
#include "platform/window/window_manager.h"

namespace pemuapp {

MainFeatureHost::MainFeatureHost(platform::WindowManager& wm, CQKinMainDlg& engine,
                                 MainWindow& window)
    : m_wm(wm), m_engine(engine), m_window(window) {}

MainFeatureHost::~MainFeatureHost() = default;

ui::DialogEnvironment& MainFeatureHost::DialogEnv() {
    return m_engine.DialogEnv();
}

platform::WindowId MainFeatureHost::MainWindowId() {
    return m_engine.Window();
}

const SenderSettings& MainFeatureHost::Settings() {
    return m_engine.Settings();
}

std::string MainFeatureHost::ReadSetting(const std::string& key) {
    SettingsFile* file = m_engine.SettingsStore();
    return file ? file->ReadSetting(key) : std::string();
}

bool MainFeatureHost::WriteSetting(const std::string& key, const std::string& value) {
    return m_engine.WriteSetting(key, value);
}

VRXClient* MainFeatureHost::Client() {
    // The session's client (any thread may ask): the main client until the
    // window has looked.
    VRXClient* session = m_window.LastSessionClient();
    return session ? session : m_engine.Client();
}

void MainFeatureHost::HandOverLoginCode(int mode, const std::string& code) {
    CQKVRXClientEx* client = m_engine.Client();
    if (!client) {
        return;
    }
    client->SetLoginCode(mode, code.c_str());
    // The code the client answers a password check with follows the
    // feature's, which the user may have changed since the start.
    client->SetOwnLoginCode(code);
}

void MainFeatureHost::HandOverSenderIdentity(const ReplySenderDiscovery::AnnounceType& record) {
    if (CQKVRXClientEx* client = m_engine.Client()) {
        client->StartSenderServer(&record);
    }
}

std::string MainFeatureHost::UserName() {
    return m_engine.UserName();
}

void MainFeatureHost::SetMainWindowHeight(bool fourTiles) {
    m_window.SetMainWindowHeight(fourTiles);
}

void MainFeatureHost::RefreshTiles(int argument) {
    // The conference information changed: the tiles show its senders.
    m_window.TakeConferencePositions();
    m_window.RefreshTiles(argument);
}

void MainFeatureHost::ShowMainWindow() {
    m_engine.ShowMainWindow();
}

void MainFeatureHost::ShowLoginCodeOverlay(const std::string& code) {
    m_engine.ShowLoginCodeOverlay(code);
}

void MainFeatureHost::PostCommand(uint32_t id) {
    m_wm.PostCommand(m_engine.Window(), id);
}

void MainFeatureHost::PumpMessages() {
    ::PumpMessages();
}

void MainFeatureHost::ExitProgram() {
    m_engine.AppExit();
}

platform::UrlOpener* MainFeatureHost::UrlOpener() {
    if (!m_openerTried) {
        m_openerTried = true;
        m_opener = platform::UrlOpener::Create();
    }
    return m_opener.get();
}

std::vector<uint32_t> MainFeatureHost::OwnAddresses() {
    return m_window.OwnAddresses();
}

void MainFeatureHost::ResetProjectionState() {
    m_engine.ResetToSearchPage();
    m_engine.Overlay().Hide();
    m_window.SetPositions({});
    m_window.AdjustHeightAndTiles();
}

void MainFeatureHost::ShowErrorMessage(int code) {
    m_engine.ShowErrorMessage(code);
}

void MainFeatureHost::SetMainWindowLayered(bool layered) {
    // The window's opacity stays full either way; the layered style only
    // decides whether the compositor blends it.
    (void)layered;
    m_wm.SetOpacity(m_engine.Window(), 255);
}

std::vector<std::pair<int, int>> MainFeatureHost::DisplayModes() {
    std::vector<std::pair<int, int>> modes;
    if (platform::DisplaySettings* display = m_engine.Display()) {
        for (const platform::DisplayMode& mode : display->GetModes(0)) {
            const std::pair<int, int> size(mode.width, mode.height);
            if (std::find(modes.begin(), modes.end(), size) == modes.end()) {
                modes.push_back(size);  // one entry per size, whatever the rates
            }
        }
    }
    return modes;
}

bool MainFeatureHost::Presentation(int position) {
    return m_engine.Presentation(position);
}

void MainFeatureHost::SetSpeedScreen(bool speedy) {
    m_engine.SetSpeedScreen(speedy);
}

bool MainFeatureHost::LoginToReceiver(const std::string& address) {
    return m_engine.LoginToReceiver(address);
}

ui::ConnectionProfile MainFeatureHost::CurrentConnection() {
    ui::ConnectionProfile p;
    if (const CQKVRXClientEx* client = m_engine.Client()) {
        p.name = client->receiverName;
        p.serverIp = client->receiverAddress ? DottedAddress(client->receiverAddress) : "";
        p.userName = client->userName;
        p.loginCode = client->loginCode;
    }
    return p;
}

void MainFeatureHost::AddListedReceiver(const std::string& name, const std::string& address) {
    m_engine.AddListedReceiver({name, address});
}

bool MainFeatureHost::SetPowerManagement(bool on) {
    MainSystemSide* system = m_engine.SystemSide();
    if (system) {
        system->SetPowerManagement(on);
    }
    return system && system->PowerSwitched() == on;
}

}  // namespace pemuapp
