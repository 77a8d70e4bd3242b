// The quick-profile flow behind the reconnect, the receiver's
// access-point-client setup (menu command 2026) and what follows it: the
// notice that the receiver reboots and the profiles forgotten.
#include <arpa/inet.h>

#include <filesystem>
#include <system_error>

#include "app/maindlg/address_text.h"
#include "app/maindlg/main_dlg.h"
#include "app/mainwnd/main_window.h"
#include "app/res/translator.h"
#include "ui/dialogs/profile_file.h"
#include "vrxclientsdk/VRPClient/Logger.h"

namespace pemuapp {
namespace {

constexpr uint32_t kApClientSetupCommand = 2026;
constexpr uint32_t kTimerNotice = 206;
constexpr const char* kApClientCaption = "AP-Client Setup";
constexpr const char* kProductWord = "Pemu";

// `text` with every "%s" replaced by `word`; the catalogue text is never
// used as a format.
std::string FillEveryPlaceholder(std::string text, const std::string& word) {
    for (size_t at = text.find("%s"); at != std::string::npos; at = text.find("%s", at)) {
        text.replace(at, 2, word);
        at += word.size();
    }
    return text;
}

}  // namespace

std::string MainWindow::ProfileFilePath() const {
    return m_hooks.profileFile.empty() ? ui::ProfileFile::InUserConfig().Path()
                                       : m_hooks.profileFile;
}

void MainWindow::PrepareReceiverPage(ui::CQKCommonDlg& dlg, int type) {
    CQKVRXClientEx* client = m_engine->Client();
    dlg.SetType(type);
    dlg.SetReference(Window());
    dlg.SetClient(client);
    dlg.SetReceiverName(client ? client->receiverName : std::string());
}

int MainWindow::RunQuickProfile() {
    if (!m_engine) {
        return -1;
    }
    ui::CQKCommonDlg dlg(m_engine->DialogEnv());
    PrepareReceiverPage(dlg, 18);
    ui::ProfileFile file(ProfileFilePath());
    ui::ConnectionProfile current;
    if (file.LoadCurrentProfile(current)) {
        dlg.SetIpv4(ParseDottedAddress(current.serverIp));
        dlg.CurrentProfile() = current;
    }
    if (m_engine->DialogEnv().runner->DoModal(dlg) != ui::kIdOk) {
        m_exitPending = false;
        return -1;
    }
    m_profileChosen = true;
    m_quickProfile = dlg.CurrentProfile();
    JoinProfileNetwork(m_quickProfile);

    const platform::WindowId window = Window();
    m_wm.KillTimer(window, kTimerSearchAnim);
    m_reconnectCount = 0;
    m_reconnectFlag = false;
    m_pageState = kPageSearch;
    RefreshPlayButtons();
    RefreshPage();
    m_wm.Invalidate(window);
    m_wm.SetTimer(window, kTimerSearchBlink, 500);

    const QuickProfile profile{m_quickProfile.name, m_quickProfile.ssid, m_quickProfile.serverIp,
                               m_quickProfile.userName, m_quickProfile.key};
    // The connect saves the profile as the quick profile when it succeeds.
    if (m_engine->ConnectReceiverByIp(profile)) {
        m_wm.KillTimer(window, kTimerSearchBlink);
        return 0;
    }
    // The connect waits pumping messages: a quit meanwhile abandons it.
    return m_engine->Exiting() ? -2 : -1;
}

bool MainWindow::ClearProfiles() {
    const std::string path = ProfileFilePath();
    if (path.empty()) {
        return false;
    }
    std::error_code error;
    std::filesystem::remove(path, error);
    if (error) {
        Logger* log = m_engine ? m_engine->AppLog() : nullptr;
        QK_LOG(log, LOG_WARN, "ClearProfiles: %s: %s", path.c_str(), error.message().c_str());
        return false;
    }
    return true;
}

void MainWindow::ShowReceiverRebootNotice() {
    m_exitPending = true;
    m_reconnectFlag = true;
    if (m_engine) {
        ui::CQKCommonDlg box(m_engine->DialogEnv());
        box.SetType(10);
        box.SetTitleText(appres::Translator::LoadString(65291));
        box.SetMessageText(
            FillEveryPlaceholder(appres::Translator::LoadString(65390), kProductWord));
        box.SetReference(Window());
        m_engine->DialogEnv().runner->DoModal(box);
    }
    ClearProfiles();
    const platform::WindowId window = Window();
    m_wm.KillTimer(window, kTimerNotice);
    RefreshPage();
    m_wm.Invalidate(window);
    m_wm.Show(window, false);
}

void MainWindow::OnApClientSetup() {
    if (!m_engine) {
        return;
    }
    ui::CQKCommonDlg dlg(m_engine->DialogEnv());
    PrepareReceiverPage(dlg, 21);
    dlg.SetTitleText(kApClientCaption);
    if (m_engine->DialogEnv().runner->DoModal(dlg) == ui::kIdOk) {
        m_exitPending = true;
        m_wm.KillTimer(Window(), kTimerNetQuality);
        if (m_hooks.closeUsbNotice) {
            m_hooks.closeUsbNotice();
        }
    } else {
        m_exitPending = false;
    }
}

bool MainWindow::OnFeatureCommand(uint32_t id) {
    // The access-point-client setup is the window's own, not a feature's.
    if (id == kApClientSetupCommand) {
        OnApClientSetup();
        return true;
    }
    return ForwardFeatureCommand(id);
}

}  // namespace pemuapp
