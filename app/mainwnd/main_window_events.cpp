// What the main page's widgets do: DoEvent and the actions behind it (the
// position tiles, the receiver list, the settings panel, minimise and exit),
// and the confirmation before a projecting sender is left.
#include <arpa/inet.h>

#include <algorithm>

#include "app/maindlg/address_text.h"
#include "app/maindlg/main_dlg.h"
#include "app/maindlg/ncc_control.h"
#include "app/mainwnd/main_window.h"
#include "app/mainwnd/wifi_join.h"
#include "app/res/translator.h"
#include "platform/adapters.h"
#include "platform/audio/audio_endpoint.h"
#include "platform/clock.h"
#include "platform/controls/control_set.h"
#include "ui/dialogs/cqk_common_dlg.h"
#include "ui/widgets/qk_list_view.h"
#include "ui/widgets/qk_text.h"
#include "vrxclientsdk/VRPClient/Logger.h"

namespace pemuapp {
namespace {

constexpr uint32_t kDeviceNameClick = 0x100000;
constexpr uint32_t kBlankDeviceNameText = 30207;

Logger* LogOf(CQKinMainDlg* engine) {
    return engine ? engine->AppLog() : nullptr;
}

}  // namespace

bool MainWindow::IsBusy() const {
    if (!m_ready) {
        return true;
    }
    CQKVRXClientEx* client = m_engine ? m_engine->Client() : nullptr;
    return client && client->IsBusy();
}

std::vector<uint32_t> MainWindow::OwnAddresses() const {
    if (m_hooks.ownAddresses) {
        return m_hooks.ownAddresses();
    }
    std::vector<uint32_t> own;
    std::vector<platform::AdapterAddress> adapters;
    if (platform::GetAdapterAddresses(&adapters)) {
        for (const platform::AdapterAddress& a : adapters) {
            own.push_back(a.address.s_addr);
        }
    }
    return own;
}

bool MainWindow::IsOwnAddress(uint32_t address) const {
    const std::vector<uint32_t> own = OwnAddresses();
    return std::find(own.begin(), own.end(), address) != own.end();
}

void MainWindow::MarkOwnRecords() {
    m_ownIndex = pemuapp::MarkOwnRecords(m_positions, OwnAddresses());
}

void MainWindow::CheckResolution() {
    if (!m_engine || !m_engine->Settings().showResolutionConfirm || !m_hooks.canChangeResolution ||
        !m_hooks.canChangeResolution()) {
        return;
    }
    platform::Size screen;
    if (m_hooks.primaryScreen) {
        screen = m_hooks.primaryScreen();
    } else {
        const platform::Rect r = m_wm.ScreenArea();
        screen = {r.Width(), r.Height()};
    }
    if (screen.width == 1920 && screen.height == 1080) {
        return;
    }
    // The catalogue text is never used as a format: its two numbers are
    // put in by hand.
    std::string text = appres::Translator::LoadString(65436);
    for (const char* number : {"1920", "1080"}) {
        const size_t at = text.find("%d");
        if (at != std::string::npos) {
            text.replace(at, 2, number);
        }
    }
    ui::CQKCommonDlg box(m_engine->DialogEnv());
    box.SetType(38);
    box.SetTitleText(appres::Translator::LoadString(65292));
    box.SetMessageText(text);
    box.SetReference(Window());
    const bool ok = m_engine->DialogEnv().runner->DoModal(box) == ui::kIdOk;
    m_engine->MutableSettings().changeResolution = ok;
    m_engine->WriteSetting("ChangeResolution", ok ? "true" : "false");
}

int MainWindow::SendNcc(const PositionRecord& record) {
    if (m_hooks.sendNccControl) {
        return m_hooks.sendNccControl(record);
    }
    CQKVRXClientEx* client = m_engine ? m_engine->Client() : nullptr;
    if (!client) {
        return -1;
    }
    NccEntry entry;
    entry.name = record.displayName;
    entry.id = ntohl(record.address);
    entry.kind = record.state;
    entry.flag = record.position;
    entry.access = record.lockText;
    std::vector<uint8_t> bytes;
    BuildNccRequest(entry, &bytes);
    std::string reply;
    return client->ForwardMessageText(kNccControlMessage, std::string(bytes.begin(), bytes.end()),
                                      &reply);
}

void MainWindow::RefreshSenderStatus() {
    if (m_listChoice || m_tileLock) {
        return;
    }
    Logger* log = LogOf(m_engine);
    QK_LOG(log, LOG_DEBUG, "RefreshSenderStatus start");
    if (platform::Control* edit = DeviceNameEdit(); edit && edit->IsVisible()) {
        edit->Show(false);
        m_wm.SetFocus({});
    }
    QK_LOG(log, LOG_DEBUG, "RefreshSenderStatus GetConferenceInfo");
    if (m_hooks.refreshConference) {
        m_hooks.refreshConference();
    }
    AdjustHeightAndTiles();
    RefreshPage();
    m_wm.Invalidate(Window());
    QK_LOG(log, LOG_DEBUG, "RefreshSenderStatus end");
}

void MainWindow::DoEvent(ui::CQKin& widget, uint32_t flags) {
    const uint32_t id = widget.ControlId();
    if (flags == kDeviceNameClick) {
        if (platform::Control* edit = DeviceNameEdit()) {
            edit->Show(true);
            edit->SetFocus();
        }
        return;
    }
    if (flags == kPointerEntered || flags == kPointerLeft) {
        if (id >= kTileButtonFirst && id < kTileButtonFirst + kTileCount) {
            if (m_connected) {
                SetTileNameText(flags, id + 18);
                UpdateTileButtons(id, flags);
                RefreshPage();
                m_wm.Invalidate(Window());
            }
            return;
        }
        if (id == kBlankDeviceNameText) {
            if (auto* text = dynamic_cast<ui::CQKText*>(&widget)) {
                text->SetTextColour(
                    platform::ColorRef(flags == kPointerEntered ? 0xBC6B1A : 0x7A7A7A));
            }
            RefreshPage();
            m_wm.Invalidate(Window());
            return;
        }
        if (id == kSettingsButtonId) {
            return;
        }
    }
    switch (id) {
        case kExitButtonId:
            if (m_engine) {
                m_engine->MinimizeToTray();
            }
            break;
        case kSettingsButtonId:
            OnSettingsButton();
            break;
        case kDeviceListButtonId:
            OnDeviceListButton();
            break;
        case kListViewId:
            if (m_listView && m_listView->Selection() >= 0) {
                m_listChoice = true;
                OnReceiverListSelect();
                if (m_receivers.size() < 2) {
                    m_severalReceivers = false;
                }
                m_listChoice = false;
            }
            return;  // the choice redraws itself (and a failed login does not)
        case kMinButtonId:
            m_wm.Minimize(Window());
            break;
        default:
            if (id >= kTileButtonFirst && id < kTileButtonFirst + kTileCount) {
                OnTileClick(static_cast<int>(id - kTileButtonFirst));
            }
            break;
    }
    RefreshPage();
}

void MainWindow::OnTileClick(int tile) {
    if (tile < 0 || tile >= kTileCount) {
        return;
    }
    m_currentTile = tile;
    if (m_tileLocks[tile] || !m_connected || m_listShown || IsBusy() || m_refusal) {
        return;
    }
    Logger* log = LogOf(m_engine);
    m_tileLock = true;
    m_tileLocks[tile] = true;
    m_wm.SetOverrideCursor(platform::CursorShape::kWait);
    auto release = [this, tile] {
        m_tileLock = false;
        m_tileLocks[tile] = false;
        m_wm.SetOverrideCursor(std::nullopt);
    };
    if (m_positions.empty()) {
        release();  // nothing to act on: the tile stays usable
        return;
    }
    const size_t n = static_cast<size_t>(tile);
    if (n < m_positions.size() && IsOwnAddress(m_positions[n].address)) {
        m_ownEntry = true;
        CQKVRXClientEx* client = m_engine ? m_engine->Client() : nullptr;
        const int status = client ? client->GetStatus() : kVrxDisconnected;
        const bool presenting = status == kVrxProjecting || status == kVrxPaused;
        if (!presenting) {
            m_moderatedTile = tile;
            m_tileStart = true;
            if (m_hooks.refreshConference && m_hooks.refreshConference()) {
                AdjustHeightAndTiles();
            }
            if (m_hooks.usbSharingStart) {
                m_hooks.usbSharingStart();
            }
            if (m_engine) {
                m_engine->Presentation(128);
            }
            if (m_ownIndex >= 0 && static_cast<size_t>(m_ownIndex) < m_positions.size()) {
                m_positions[m_ownIndex].state = kPositionProjecting;
            } else if (n < m_positions.size()) {
                m_positions[n].state = kPositionProjecting;
            }
        } else {
            m_tileStart = false;
            if (m_moderatedTile == tile) {
                m_moderatedTile = -1;
            }
            if (m_hooks.usbSharingStop) {
                m_hooks.usbSharingStop();
            }
            m_ownEntry = false;
            if (m_engine) {
                m_engine->StopProjection();
            }
            const size_t own = m_ownIndex >= 0 ? static_cast<size_t>(m_ownIndex) : n;
            if (own < m_positions.size()) {
                m_positions[own].state = kPositionIdle;
            }
        }
        UpdateTileButtons(kTileButtonFirst + tile, kPointerLeft);
        RefreshPage();
        m_wm.Invalidate(Window());
    } else {
        if (n >= m_positions.size()) {
            QK_LOG(log, LOG_DEBUG, "size less than index");
            release();
            return;
        }
        std::string lockText;
        if (!m_positions[n].lockText.empty()) {
            std::optional<std::string> entered;
            if (m_hooks.askLockCode) {
                entered = m_hooks.askLockCode(m_positions[n]);
            } else if (m_engine) {
                ui::CQKCommonDlg box(m_engine->DialogEnv());
                box.SetType(30);
                box.SetReference(Window());
                if (m_engine->DialogEnv().runner->DoModal(box) == ui::kIdOk) {
                    entered = box.EnteredText();
                }
            }
            if (!entered) {
                release();
                return;
            }
            lockText = *entered;
        }
        m_ownEntry = false;
        PositionRecord& record = m_positions[n];
        if (record.state == kPositionIdle || record.state == kPositionModerated) {
            QK_LOG(log, LOG_DEBUG, "Start ZAMP Function");
            m_ready = false;
            m_moderatedTile = tile;
            record.state = kPositionProjecting;
            record.position = 128;
            record.lockText = lockText;
            SendNcc(record);
            RefreshTiles(static_cast<int>(kTileButtonFirst + tile));
            UpdateTileButtons(kTileButtonFirst + tile, kPointerLeft);
            m_wm.Invalidate(Window());
            m_ready = true;
            QK_LOG(log, LOG_DEBUG, "Start ZAMP Function:___[END]");
        } else if (record.state == kPositionProjecting) {
            m_ready = false;
            m_tileStart = false;
            if (m_moderatedTile == tile) {
                m_moderatedTile = -1;
            }
            QK_LOG(log, LOG_DEBUG, "Stop ZAMP Function");
            record.state = kPositionIdle;
            record.position = 128;
            record.lockText = lockText;
            SendNcc(record);
            QK_LOG(log, LOG_DEBUG, "Stop ZAMP Function:____END");
            RefreshTiles(static_cast<int>(kTileButtonFirst + tile));
            UpdateTileButtons(kTileButtonFirst + tile, kPointerLeft);
            m_wm.Invalidate(Window());
            m_ready = true;
        }
    }
    RefreshSenderStatus();
    release();
}

void MainWindow::ShowListPanel(bool shown) {
    m_listShown = shown;
    m_refusal = shown;
    if (m_listView) {
        m_listView->SetSelection(-1);
    }
}

void MainWindow::OnDeviceListButton() {
    if (!m_listShown) {
        ShowListPanel(true);
        ShowTileWidgets(true);
        RefreshPage();
        FillReceiverList(m_receivers);
        m_wm.Invalidate(Window());
        if (m_engine) {
            m_engine->StartDiscoveryThread(true);
        }
    } else {
        m_wm.KillTimer(Window(), kTimerListPage);
        ShowListPanel(false);
        ShowTileWidgets(false);
        m_severalReceivers = m_receivers.size() > 1;
        RefreshPage();
        m_wm.Invalidate(Window());
    }
}

void MainWindow::OnReceiverListSelect() {
    const int row = m_listView ? m_listView->Selection() : -1;
    ShowListPanel(false);
    ShowTileWidgets(false);
    if (!m_listView || !m_engine) {
        return;
    }
    ui::CQKin* text = FindWidget(kDeviceNameTextId);
    const std::string current = text ? text->Caption() : std::string();
    // The list leaves out the receiver in use: find the chosen row's receiver.
    std::vector<const ReceiverRow*> shown;
    for (const ReceiverRow& r : m_receivers) {
        if (current.empty() || r.name != current) {
            shown.push_back(&r);
        }
    }
    if (row < 0 || static_cast<size_t>(row) >= shown.size()) {
        return;
    }
    const ReceiverRow chosen = *shown[row];
    if (chosen.name == current) {
        RefreshPage();
        return;
    }
    if (!m_engine->LoginToReceiver(chosen.address)) {
        return;  // the previous receiver stays current; nothing is redrawn
    }
    m_wm.SetOverrideCursor(platform::CursorShape::kWait);
    if (m_hooks.refreshConference) {
        m_hooks.refreshConference();
    }
    ShowReceiverName(m_engine->Client() ? m_engine->Client()->receiverName : chosen.name);
    AdjustHeightAndTiles();
    m_wm.SetOverrideCursor(std::nullopt);
    RefreshPage();
    m_wm.Invalidate(Window());
}

void MainWindow::OnSettingsButton() {
    if (!m_engine) {
        return;
    }
    Logger* log = LogOf(m_engine);
    QK_LOG(log, LOG_DEBUG, "IDC_QKINMAIN_CONNECT_TO_TV_SETTING_BUTTON");
    m_refusal = true;
    RefreshPage();
    platform::AudioEndpoint* audio = m_hooks.audio;
    const bool endpoint = audio && audio->HasDefaultOutput();
    if (endpoint) {
        bool muted = false;
        if (audio->GetMute(&muted)) {
            m_muted = muted;
        }
        audio->SetMute(m_muted || m_volumeValue == 0);
        float scalar = 0.0f;
        if (audio->GetVolume(&scalar)) {
            m_volumeValue = static_cast<int>(scalar * 138.0f);
        }
    }
    SenderSettings& settings = m_engine->MutableSettings();
    ui::CQKCommonDlg dlg(m_engine->DialogEnv());
    dlg.SetType(33);
    dlg.SetReference(Window());
    dlg.SetLoginCode(m_loginCode);
    dlg.SetFrameRateLimit(settings.maxFps);
    dlg.SetTurnOffAudio(m_muted);
    dlg.SetTurnOffVsync(settings.turnOffVsync);
    dlg.SetVolume(m_volumeValue);
    CQKVRXClientEx* client = m_engine->Client();
    dlg.SetClient(client);
    dlg.SetReceiverName(client ? client->receiverName : std::string());
    const bool ok = m_engine->DialogEnv().runner->DoModal(dlg) == ui::kIdOk;
    bool restart = false;
    if (ok) {
        m_loginCode = dlg.LoginCode();
        settings.loginCode = m_loginCode;
        m_engine->WriteSetting("LoginCode", m_loginCode);
        if (dlg.FrameRateLimit() != settings.maxFps) {
            settings.maxFps = dlg.FrameRateLimit();
            m_engine->WriteSetting("MaxFPS", std::to_string(settings.maxFps));
            restart = true;
        }
        m_volumeValue = dlg.Volume();
        m_muted = dlg.TurnOffAudio();
        settings.volume = m_volumeValue;
        settings.turnOffAudio = m_muted;
        settings.turnOffVsync = dlg.TurnOffVsync();
        m_engine->WriteSetting("Volume", std::to_string(m_volumeValue));
        m_engine->WriteSetting("TurnOffVsync", settings.turnOffVsync ? "true" : "false");
    }
    m_refusal = false;
    RefreshPage();
    m_wm.Invalidate(Window());
    if (ok && endpoint) {
        audio->SetMute(m_muted || m_volumeValue == 0);
        audio->SetVolume(VolumeScalar(m_volumeValue));
    }
    if (restart && client && client->GetStatus() == kVrxProjecting) {
        if (m_hooks.usbSharingStop) {
            m_hooks.usbSharingStop();
        }
        client->StopPlayImage();
        m_engine->SetVrxSpecFunc();
        if (m_hooks.usbSharingStart) {
            m_hooks.usbSharingStart();
        }
        client->StartPlayImage(128);
    } else if (restart) {
        m_engine->SetVrxSpecFunc();
    }
    QK_LOG(log, LOG_DEBUG, "IDC_QKINMAIN_CONNECT_TO_TV_SETTING_BUTTON:__END");
}

int MainWindow::JoinProfileNetwork(ui::ConnectionProfile& profile) {
    if (!m_engine || !ProfileStartsJoin(m_engine->Settings().autoWifi, profile.ssid)) {
        return 0;
    }
    WifiJoinContext context;
    context.wifi = m_hooks.wifi;
    context.settleMs = m_hooks.wifiSettleMs;
    context.readSetting = m_hooks.readSetting;
    context.writeSetting = [this](const std::string& key, const std::string& value) {
        m_engine->WriteSetting(key, value);
    };
    context.env = m_engine->DialogEnv();
    context.owner = Window();
    context.pump = [this](uint32_t ms) {
        m_wm.PumpPending(platform::PumpKind::kAll);
        platform::SleepMs(ms);
    };
    Logger* log = LogOf(m_engine);
    context.log = [log](const std::string& line) { QK_LOG(log, LOG_INFO, "%s", line.c_str()); };
    WifiJoinFlow flow(std::move(context));
    const int result = flow.ChooseAndJoin(true, profile);
    if (result == kJoinNotManaged) {
        ui::CQKCommonDlg box(m_engine->DialogEnv());
        box.SetType(12);
        box.SetTitleText(appres::Translator::LoadString(65292));
        box.SetMessageText(appres::Translator::LoadString(65320));
        box.SetReference(Window());
        m_engine->DialogEnv().runner->DoModal(box);
        m_engine->MutableSettings().autoWifi = false;
        m_engine->WriteSetting("AutoWifi", "false");
    }
    return result;
}

bool MainWindow::ConfirmLeave() {
    CQKVRXClientEx* client = m_engine ? m_engine->Client() : nullptr;
    if (!client) {
        return true;
    }
    const int status = client->GetStatus();
    if (status != kVrxProjecting && status != kVrxPaused) {
        client->Logout();
        return true;
    }
    ui::CQKCommonDlg box(m_engine->DialogEnv());
    box.SetType(9);
    box.SetTitleText(appres::Translator::LoadString(65292));
    box.SetMessageText(appres::Translator::LoadString(65305));
    box.SetReference(Window());
    if (m_engine->DialogEnv().runner->DoModal(box) != ui::kIdOk) {
        return false;
    }
    m_wm.KillTimer(Window(), kTimerNetQuality);
    m_engine->Overlay().Hide();
    client->Logout();
    return true;
}

}  // namespace pemuapp
