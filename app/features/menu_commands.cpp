#include "app/features/menu_commands.h"

#include <arpa/inet.h>

#include <algorithm>
#include <iterator>
#include <utility>
#include <vector>

#include "app/features/feature_host.h"
#include "app/features/message_box.h"
#include "app/res/translator.h"
#include "app/settings/sender_settings.h"
#include "platform/log.h"
#include "platform/url_opener.h"
#include "ui/dialogs/cqk_common_dlg.h"
#include "ui/dialogs/ctv_expand_dlg.h"
#include "ui/dialogs/dialog_environment.h"
#include "ui/dialogs/dialog_runner.h"
#include "vrxclientsdk/VRXClient/VRXClient.h"

namespace pemuapp {
namespace {

constexpr const char* kArea = "commands";
constexpr int kBestJpegQuality = 85;
constexpr int kTvExpandMaximum = 250;

}  // namespace

const char* CodecKeyText(int type) {
    switch (type) {
        case kCodecJpeg:
            return "JPEG";
        case kCodecH264:
            return "H264";
        default:
            return "auto";
    }
}

const MenuCommands::Entry MenuCommands::kTable[] = {
    {2002, &MenuCommands::OnReceiverWebPage}, {2008, &MenuCommands::OnAutoPowerManager},
    {2009, &MenuCommands::OnHideUi},          {2010, &MenuCommands::OnEnableAsc},
    {2014, &MenuCommands::OnVersionItem},     {2018, &MenuCommands::OnJpegQuality},
    {2019, &MenuCommands::OnJpegQuality},     {2020, &MenuCommands::OnMirror},
    {2021, &MenuCommands::OnExtend},          {2025, &MenuCommands::OnAutoWifi},
    {2027, &MenuCommands::OnTvExpand},        {2029, &MenuCommands::OnResolutionMode},
    {2030, &MenuCommands::OnResolutionMode},  {2031, &MenuCommands::OnResolutionMode},
    {2035, &MenuCommands::OnCursorSize},      {2036, &MenuCommands::OnCursorSize},
    {2037, &MenuCommands::OnCursorSize},      {2038, &MenuCommands::OnCursorSize},
    {2043, &MenuCommands::OnToggleSpeedy},    {2047, &MenuCommands::OnCodec},
    {2048, &MenuCommands::OnCodec},           {2049, &MenuCommands::OnCodec},
    {20228, &MenuCommands::OnSpeedyMode},     {20229, &MenuCommands::OnSpeedyMode},
};

MenuCommands::MenuCommands(FeatureHost& host) : m_host(host) {
    const SenderSettings& s = host.Settings();
    m_resolutionMode = s.resolutionMode;
    m_jpegQuality = s.jpegQuality;
    m_cursorSize = s.cursorSize;
    m_codecType = s.codecType;
    m_tvWidth = s.tvExpandWidth;
    m_tvHeight = s.tvExpandHeight;
    m_autoWifi = s.autoWifi;
    m_ownPowerScheme = s.autoPowerManager;
    m_advancedCapture = s.enableAsc;
    m_uiHidden = host.ReadSetting("UIVisible") == "true";
    m_speedy = host.ReadSetting("SpeedyMode") == "true";
    m_extend = host.ReadSetting("ProjectMode") == "1";
    m_airProofQuestion = s.airProofQuestion;
}

bool MenuCommands::OnCommand(uint32_t id) {
    const auto it = std::find_if(std::begin(kTable), std::end(kTable),
                                 [id](const Entry& e) { return e.id == id; });
    if (it == std::end(kTable)) {
        return false;
    }
    (this->*(it->handler))(id);
    return true;
}

bool MenuCommands::Projecting() {
    VRXClient* client = m_host.Client();
    return client && client->GetStatus() == kVrxProjecting;
}

bool MenuCommands::StartAgain(uint8_t mode) {
    VRXClient* client = m_host.Client();
    if (client->StartPlayImage(mode) >= 0) {
        return true;
    }
    m_host.ResetProjectionState();
    m_host.ShowErrorMessage(client->GetErrorCode());
    return false;
}

void MenuCommands::RestartIfProjecting(const std::function<void()>& apply) {
    if (!Projecting()) {
        if (apply) {
            apply();
        }
        return;
    }
    VRXClient* client = m_host.Client();
    const uint8_t mode = client->GetPlayImageMode();
    client->StopPlayImage();
    if (apply) {
        apply();
    }
    StartAgain(mode);
}

bool MenuCommands::Ask(int type, uint32_t titleId, uint32_t textId) {
    ui::DialogEnvironment& env = m_host.DialogEnv();
    ui::CQKCommonDlg dlg(env);
    dlg.SetType(type);
    dlg.SetTitleText(appres::Translator::LoadString(titleId));
    dlg.SetMessageText(appres::Translator::LoadString(textId));
    dlg.SetReference(m_host.MainWindowId());
    return env.runner && env.runner->DoModal(dlg) == ui::kIdOk;
}

void MenuCommands::WriteFlag(const char* key, bool value) {
    m_host.WriteSetting(key, value ? "true" : "false");
}

// --- handlers ------------------------------------------------------------------

void MenuCommands::OnReceiverWebPage(uint32_t) {
    VRXClient* client = m_host.Client();
    const uint32_t peer = client ? client->GetPeerAddress() : 0;
    if (peer == 0) {
        return;
    }
    char dotted[INET_ADDRSTRLEN] = {};
    in_addr a{};
    a.s_addr = peer;
    inet_ntop(AF_INET, &a, dotted, sizeof dotted);
    const std::string address = std::string("http://") + dotted;
    platform::UrlOpener* opener = m_host.UrlOpener();
    if (!opener || !opener->Open(address)) {
        ShowFeatureMessage(m_host, appres::Translator::LoadString(65291), address);
    }
}

void MenuCommands::OnAutoPowerManager(uint32_t) {
    m_ownPowerScheme = !m_ownPowerScheme;
    WriteFlag("AutoPowerManager", m_ownPowerScheme);
    if (!m_host.SetPowerManagement(m_ownPowerScheme) && m_ownPowerScheme) {
        // The choice is kept for a PC that offers power plans.
        platform::Log(platform::LogLevel::kWarning, kArea,
                      "AutoPowerManager: this PC offers no power plan to switch; it keeps its own");
    }
}

void MenuCommands::SetAdvancedCapture(bool on) {
    const bool projecting = Projecting();
    VRXClient* client = m_host.Client();
    const uint8_t mode = projecting ? client->GetPlayImageMode() : 0;
    if (projecting) {
        client->StopPlayImage();
    }
    if (client) {
        client->SetCapLayer(on);
    }
    if (projecting) {
        StartAgain(mode);
    }
}

void MenuCommands::OnEnableAsc(uint32_t) {
    if (m_advancedCapture) {
        SetAdvancedCapture(false);
        m_advancedCapture = false;
        WriteFlag("EnableASC", false);
        return;
    }
    if (!Ask(12, 65291, 65315)) {
        return;
    }
    if (m_uiHidden) {
        if (!Ask(9, 65292, 65316)) {
            return;
        }
        m_host.SetMainWindowLayered(false);
        m_uiHidden = false;
        WriteFlag("UIVisible", false);
    }
    SetAdvancedCapture(true);
    m_advancedCapture = true;
    WriteFlag("EnableASC", true);
}

void MenuCommands::OnHideUi(uint32_t) {
    if (m_uiHidden) {
        m_host.SetMainWindowLayered(false);
        m_uiHidden = false;
        WriteFlag("UIVisible", false);
        return;
    }
    if (m_advancedCapture) {
        if (!Ask(9, 65292, 65317)) {
            return;
        }
        SetAdvancedCapture(false);
        m_advancedCapture = false;
        WriteFlag("EnableASC", false);
    }
    if (Projecting()) {
        m_host.SetMainWindowLayered(true);
    }
    m_uiHidden = true;
    WriteFlag("UIVisible", true);
}

void MenuCommands::OnVersionItem(uint32_t) {}

void MenuCommands::OnJpegQuality(uint32_t id) {
    const int quality = id == 2019 ? kBestJpegQuality : kNormalJpegQuality;
    if (VRXClient* client = m_host.Client()) {
        client->SetJpegQuality(quality);
    }
    m_jpegQuality = quality;
    m_host.WriteSetting("JpegQuality", std::to_string(quality));
    RestartIfProjecting();
}

void MenuCommands::OnMirror(uint32_t) {
    if (!m_extend) {
        return;
    }
    platform::Log(platform::LogLevel::kInfo, kArea, "OnProjectingMirror");
    m_extend = false;
    m_host.WriteSetting("ProjectMode", "0");
    if (VRXClient* client = m_host.Client()) {
        client->SetScreenCapture(0);
    }
    RestartIfProjecting();
    platform::Log(platform::LogLevel::kInfo, kArea, "OnProjectingMirror:___END");
}

void MenuCommands::OnExtend(uint32_t) {
    if (m_extend) {
        return;
    }
    // This desktop offers no virtual extended screen to project.
    platform::Log(platform::LogLevel::kWarning, kArea, "enable extend desktop failed");
}

void MenuCommands::OnAutoWifi(uint32_t) {
    m_autoWifi = !m_autoWifi;
    WriteFlag("AutoWifi", m_autoWifi);
}

void MenuCommands::OnTvExpand(uint32_t) {
    ui::DialogEnvironment& env = m_host.DialogEnv();
    ui::CTVExpandDlg dlg;
    dlg.SetMaximum(kTvExpandMaximum);
    dlg.SetVerticalRange(kTvExpandMaximum);
    dlg.SetHorizontalOffset(m_tvWidth);
    dlg.SetVerticalOffset(m_tvHeight);
    if (!env.runner || env.runner->DoModal(dlg) != ui::kIdOk) {
        return;
    }
    m_tvWidth = std::clamp(dlg.HorizontalOffset(), 0, kTvExpandMaximum);
    m_tvHeight = std::clamp(dlg.VerticalOffset(), 0, kTvExpandMaximum);
    m_host.WriteSetting("TVExpandWidth", std::to_string(m_tvWidth));
    m_host.WriteSetting("TVExpandHeight", std::to_string(m_tvHeight));
    RestartIfProjecting([this] {
        if (VRXClient* client = m_host.Client()) {
            client->SetDeOverscanOffset(m_tvWidth, m_tvHeight);
        }
    });
}

void MenuCommands::OnResolutionMode(uint32_t id) {
    static const char* const kNames[] = {"", "Large", "Middle", "Small"};
    m_resolutionMode = id == 2031   ? kResolutionLarge
                       : id == 2029 ? kResolutionMiddle
                                    : kResolutionSmall;
    m_host.WriteSetting("ResolutionMode", kNames[m_resolutionMode]);
    if (m_resolutionMode == kResolutionLarge) {
        ShowFeatureMessage(m_host, 65292, 65360);
    }
    ApplyResolutionMode();
}

void MenuCommands::ApplyResolutionMode() {
    VRXClient* client = m_host.Client();
    if (!client) {
        return;
    }
    // Large, Middle and Small: the three largest modes of the PC.
    std::vector<std::pair<int, int>> modes = m_host.DisplayModes();
    std::sort(modes.begin(), modes.end(), [](const auto& a, const auto& b) {
        return int64_t{a.first} * a.second > int64_t{b.first} * b.second;
    });
    if (modes.empty()) {
        return;
    }
    const size_t index = std::min(static_cast<size_t>(m_resolutionMode - 1), modes.size() - 1);
    const bool projecting = Projecting();
    const uint8_t mode = client->GetPlayImageMode();
    client->StopPlayImage();
    client->SetClientDisplay(modes[index].first, modes[index].second, !m_advancedCapture, false,
                             true);
    if (projecting) {
        StartAgain(mode);
    }
}

void MenuCommands::SetCursorSize(int size) {
    m_cursorSize = std::clamp(size, 1, 4);
    if (VRXClient* client = m_host.Client()) {
        client->SetCursorScale(static_cast<double>(m_cursorSize));
    }
    m_host.WriteSetting("CursorSize", std::to_string(m_cursorSize));
}

void MenuCommands::OnCursorSize(uint32_t id) {
    SetCursorSize(static_cast<int>(id) - 2034);
}

void MenuCommands::SetCodecType(int type) {
    m_codecType = (type == kCodecJpeg || type == kCodecH264) ? type : kCodecAuto;
    VRXClient* client = m_host.Client();
    if (client) {
        client->SetImageCoding(m_codecType);
        if (client->GetStatus() == kVrxProjecting) {
            client->StopPlayImage();
            StartAgain(client->GetPlayImageMode());
        }
    }
    m_host.WriteSetting("CodecType", CodecKeyText(m_codecType));
}

void MenuCommands::OnCodec(uint32_t id) {
    SetCodecType(id == 2048 ? kCodecJpeg : id == 2049 ? kCodecH264 : kCodecAuto);
}

void MenuCommands::ShowAirProofQuestion() {
    if (!m_airProofQuestion) {
        return;
    }
    ui::DialogEnvironment& env = m_host.DialogEnv();
    ui::CQKCommonDlg dlg(env);
    dlg.SetType(20);
    dlg.SetTitleText(appres::Translator::LoadString(65292));
    dlg.SetMessageText(appres::Translator::LoadString(65439));
    dlg.SetReference(m_host.MainWindowId());
    if (env.runner) {
        env.runner->DoModal(dlg);
    }
    // A ticked box means "do not ask again".
    m_airProofQuestion = dlg.CheckFlag() == 0;
    WriteFlag("AirProofQuestion", m_airProofQuestion);
}

void MenuCommands::OnToggleSpeedy(uint32_t) {
    m_speedy = !m_speedy;
    WriteFlag("SpeedyMode", m_speedy);
    if (!m_speedy) {
        ShowAirProofQuestion();
    }
    if (!Projecting()) {
        m_host.SetSpeedScreen(m_speedy);
        return;
    }
    VRXClient* client = m_host.Client();
    const uint8_t mode = client->GetPlayImageMode();
    client->StopPlayImage();
    // Stopped, the mode only sets the pre-buffer time; the presentation
    // starts the stream again with it.
    m_host.SetSpeedScreen(m_speedy);
    m_host.Presentation(mode);
}

void MenuCommands::OnSpeedyMode(uint32_t id) {
    const bool wanted = id == 20228;
    if (m_speedy == wanted) {
        return;
    }
    m_speedy = wanted;
    WriteFlag("SpeedyMode", m_speedy);
    m_host.SetSpeedScreen(m_speedy);
}

}  // namespace pemuapp
