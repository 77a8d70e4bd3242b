// The main dialog's internal commands.
#include "app/maindlg/address_text.h"
#include "app/maindlg/main_dlg.h"
#include "app/res/translator.h"
#include "vrxclientsdk/VRPClient/Logger.h"

namespace pemuapp {

void CQKinMainDlg::OnCommand(uint32_t id, int64_t param) {
    switch (id) {
        case kCmdProcessCommandFile:
            ProcessCommandLineFile();
            break;
        case kCmdReconnectNotice:
            if (param == kReconnectNoticeParam) {
                ShowMain();
                ui::CQKCommonDlg notice(m_env);
                notice.SetType(16);
                notice.SetReference(Window());
                m_reconnectStop = false;
                const int result = m_env.runner->DoModal(notice);
                if (result == ui::kIdCancel && notice.CheckFlag() == 0 && !m_reconnectFinished) {
                    CancelReconnect();
                }
            }
            break;
        case kCmdLogoutFromDialog:
            if (m_client) {
                m_client->Logout();
            }
            m_parts->SetPageState(kPageSearch);
            m_parts->RefreshPlayButtons();
            m_wm.Invalidate(Window());
            break;
        case kCmdConnect:
            QK_LOG(m_log.get(), LOG_DEBUG, "IDT_CONNECT");
            if (m_connecting) {
                break;
            }
            m_keepHidden = false;
            KillTimer(kTimerConference);
            // The search runs while the receiver choice is open: the choice is
            // a modal loop, and the receivers it lists come from this search.
            SetTimer(kTimerSearch, 10000);
            // The first search at once: the page does not wait 10 s empty.
            if (!m_parts->IsDeviceNameEditVisible() && !m_listPage) {
                StartDiscoveryThread(false);
            }
            if (m_client && m_client->GetStatus() == kVrxDisconnected) {
                QK_LOG(m_log.get(), LOG_DEBUG, "Connecting");
                Connecting();
            }
            KillTimer(kTimerKeepHidden);
            SetTimer(kTimerConference, 5000);
            if (!m_keepHidden) {
                ShowMain();
            }
            break;
        case kCmdStartPlayImage:
            OnStartPlayImageCommand();
            if (m_client) {
                m_parts->StartUsbSharing(DottedAddress(m_client->receiverAddress));
            }
            break;
        case kCmdStopAllSharing:
            if (m_closingHandled) {
                break;
            }
            m_closingHandled = true;
            if (m_parts->IsUsbSharingOn()) {
                m_parts->StopUsbSharing();
            }
            SetTrayPicture(ui::kTrayIconIdle);
            HideMain();
            Connecting();
            if (!m_connecting && !m_keepHidden) {
                ShowMain();
            }
            m_closingHandled = false;
            break;
        case kCmdRefreshStatus:
            if (!m_conferenceBusy && !m_dialogBusy && !m_startPlayBusy) {
                m_conferenceBusy = true;
                m_parts->RefreshSenderStatus();
                m_conferenceBusy = false;
            }
            break;
        case kCmdListPageFilled:
            TakeDiscoveryResult(true);
            SetTimer(kTimerListPage, 5000);
            break;
        case kCmdStoppedByReceiver:
            OnStoppedByReceiver();
            break;
        case kCmdConnectionClosed:
            OnConnectionClosed();
            break;
        case kCmdStopPlayImage:
            // A stop that a new start replaced (the client streams again by
            // now) and a mode switch's restart keep USB sharing.
            if (!m_modeSwitching && !ClientStreaming() && m_parts->IsUsbSharingOn()) {
                m_parts->StopUsbSharing();
            }
            break;
        case kCmdAutoExit:
            QK_LOG(m_log.get(), LOG_DEBUG, "IDT_AUTO_EXIT");
            AppExit();
            break;
        case kCmdListFilled:
            TakeDiscoveryResult(false);
            break;
        case kCmdMenuSearch:
            OnSearch();
            break;
        case kCmdThumbnailsReady:
            m_parts->ShowReceiverName(m_client ? m_client->receiverName : std::string());
            m_parts->RedrawConferenceThumbnails();
            m_parts->OnFeatureCommand(id);
            m_wm.Invalidate(Window());
            break;
        case kCmdConferenceInfoReady:
            KillTimer(kTimerConferenceLimit);
            m_tall = m_parts->ConferenceHasMoreThanTwoRows();
            m_parts->SetMainWindowHeight(m_tall);
            m_parts->RedrawConferenceThumbnails();
            m_conferenceBusy = false;
            m_parts->OnFeatureCommand(id);
            QK_LOG(m_log.get(), LOG_DEBUG, "IDT_AUTOGETCONFERENCEINFO:__END");
            m_wm.Invalidate(Window());
            break;
        case kCmdWifiResult:
            OnWifiResult(param);
            break;
        default:
            m_parts->OnFeatureCommand(id);
            break;
    }
}

bool CQKinMainDlg::ClientStreaming() {
    const int status = m_client ? m_client->GetStatus() : kVrxDisconnected;
    return status >= kVrxProjecting && status <= kVrxMediaPaused;
}

void CQKinMainDlg::OnWifiResult(int64_t result) {
    if (result == kWifiNotManaged) {
        // The PC's wireless network is not this program's to join.
        RunBox(12, 65292, appres::Translator::LoadString(65320));
    }
    KillTimer(kTimerSearchAnim);
    m_parts->EndWifiWait();
    ShowSearchPage();
}

void CQKinMainDlg::OnStartPlayImageCommand() {
    QK_LOG(m_log.get(), LOG_DEBUG, "IDC_STARTPLAYIMAGE");
    m_startPlayBusy = true;
    m_wm.SetOverrideCursor(platform::CursorShape::kWait);
    SetTimer(kTimerRefresh, 100);
    m_startPlayCounter = 0;
    const uint8_t mode = m_client ? m_client->GetPlayImageMode() : 0x80;
    switch (mode) {
        case 1:
            m_playPosition = 0x80400000;
            break;
        case 2:
            m_playPosition = 0x80200000;
            break;
        case 3:
            m_playPosition = 0x80100000;
            break;
        case 4:
            m_playPosition = 0x80080000;
            break;
        default:
            m_playPosition = 0x80040000;
            break;
    }
    m_projecting = true;
    SetTrayPicture(ui::kTrayIconProjecting);
    m_wm.Invalidate(Window());
    m_startPlayBusy = false;
    m_wm.SetOverrideCursor(std::nullopt);
    QK_LOG(m_log.get(), LOG_DEBUG, "IDC_STARTPLAYIMAGE:___[END]");
}

void CQKinMainDlg::OnStoppedByReceiver() {
    QK_LOG(m_log.get(), LOG_DEBUG, "VRXClientEXDoEvent(OnStopPlayImage)___[Start]");
    m_ready = false;
    KillTimer(kTimerNetQuality);
    SetTimer(kTimerOverlay, 100);
    m_playPosition = 0x80800000;
    m_parts->RefreshPlayButtons();
    m_parts->SetPageState(kPageProjecting);
    if (m_parts->IsUsbSharingOn()) {
        m_parts->StopUsbSharing();
    }
    QK_LOG(m_log.get(), LOG_DEBUG, "VRXClientEXDoEvent(OnStopPlayImage)___[END]");
    m_wm.PostCommand(Window(), kCmdRefreshStatus);
    m_projecting = false;
    m_ready = true;
}

void CQKinMainDlg::OnConnectionClosed() {
    KillTimer(kTimerSearch);
    if (m_closingHandled) {
        return;
    }
    m_closingHandled = true;
    KillTimer(kTimerNetQuality);
    SetTimer(kTimerOverlay, 100);
    QK_LOG(m_log.get(), LOG_DEBUG, "\tVRXClientEXDoEvent:OnConnectClose");
    if (m_suppressReconnect) {
        m_closingHandled = false;
        return;
    }
    // A projection that was running comes back by itself when the receiver
    // does: the reconnect starts instead of the search page.
    if ((m_playState & kPlayWhereBits) != 0) {
        m_replayState = m_playState;
    }
    if ((m_replayState & kPlayWhereBits) != 0 && m_lastAddress != 0) {
        SetTimer(kTimerReconnect, 1);
        m_wm.PostCommand(Window(), kCmdReconnectNotice, kReconnectNoticeParam);
        m_projecting = false;
        m_closingHandled = false;
        return;
    }
    m_parts->SetPageState(kPageSearch);
    SetTrayPicture(ui::kTrayIconIdle);
    if (m_parts->IsUsbSharingOn()) {
        m_parts->StopUsbSharing();
    }
    if (m_system) {
        m_system->UnmuteUnlessMutedAtStart();
    }
    HideMain();
    QK_LOG(m_log.get(), LOG_DEBUG, "OnConnectClose");
    Connecting();
    if (!m_keepHidden) {
        ShowMain();
    }
    SetTimer(kTimerSearch, 10000);
    m_projecting = false;
    m_closingHandled = false;
    m_conferenceBusy = false;
}

}  // namespace pemuapp
