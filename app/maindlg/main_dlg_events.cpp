// Receiver events in the main window and the automatic reconnect.
#include "app/maindlg/main_dlg.h"
#include "platform/clock.h"
#include "vrxclientsdk/VRPClient/Logger.h"

namespace pemuapp {
namespace {

constexpr uint32_t kReconnectDone = 0x5E12;
constexpr uint64_t kReconnectWindowMs = 26000;
constexpr uint32_t kReconnectStepMs = 1000;
constexpr uint32_t kReplayPauseMs = 4000;

}  // namespace

void CQKinMainDlg::VRXClientEXDoEvent(ClientEvent event, int64_t argument) {
    switch (event) {
        case ClientEvent::kOnDeviceNotice:
            if (argument != 0) {
                SetTimer(kTimerMediaStep, 3400);
                if (m_client && m_client->GetStatus() == kVrxMediaPlaying &&
                    m_client->GetMediaDuration() > 0) {
                    SetTimer(kTimerMediaProgress, 1000);
                }
            }
            break;
        case ClientEvent::kOnLogin:
            SetTrayPicture(ui::kTrayIconLoggedIn);
            break;
        case ClientEvent::kOnStartPlayImage: {
            QK_LOG(m_log.get(), LOG_DEBUG, "OnStartPlayImage");
            m_startPlayBusy = true;
            SetTimer(kTimerRefresh, 100);
            m_startPlayCounter = 0;
            const uint8_t mode = m_client ? m_client->GetPlayImageMode() : 0;
            if (mode == 128 || (mode >= 1 && mode <= 4)) {
                m_playState = (m_playState & ~kPlayWhereBits) | kPlayBegun | PlayPositionBit(mode);
            }
            m_parts->RefreshPlayButtons();
            SetTimer(kTimerConference, 5000);
            m_startPlayBusy = false;
            QK_LOG(m_log.get(), LOG_DEBUG, "OnStartPlayImage:___[END]");
            break;
        }
        case ClientEvent::kOnSendIBError:
            KillTimer(kTimerNetQuality);
            m_overlay.Hide();
            if ((m_playState & kPlayWhereBits) != 0) {
                m_replayState = m_playState;  // what a reconnect brings back
            }
            m_playState = kPlayBegun | kPlayStopped;
            m_parts->RefreshPlayButtons();
            m_wm.Invalidate(Window());
            break;
        case ClientEvent::kOnConnectClose:
            m_wm.PostCommand(Window(), kCmdConnectionClosed);
            break;
        case ClientEvent::kOnStopPlayImage:
            m_wm.PostCommand(Window(), kCmdStoppedByReceiver);
            break;
        case ClientEvent::kStartPlayImage:
            QK_LOG(m_log.get(), LOG_DEBUG, "StartPlayImage");
            if (m_client) {
                const uint8_t coding = m_client->GetImageCodingInUse();
                const uint8_t mode = m_client->GetPlayImageMode();
                if ((coding == 7 || coding == 0) && (mode == 128 || mode == 0)) {
                    m_burstCounter = 0;
                    SetTimer(kTimerRefreshBurst, 40);
                }
            }
            QK_LOG(m_log.get(), LOG_DEBUG, "StartPlayImage:___[END]");
            break;
        case ClientEvent::kOnStopVideo:
            m_parts->RefreshPlayButtons();
            m_wm.Invalidate(Window());
            break;
        default:
            break;
    }
}

void CQKinMainDlg::WorkerWait(uint32_t ms) {
    if (m_services.workerWait) {
        m_services.workerWait(ms);
    } else {
        platform::SleepMs(ms);
    }
}

void CQKinMainDlg::StartReconnect() {
    if (!m_client || m_lastAddress == 0 || m_reconnectRunning.exchange(true)) {
        return;
    }
    m_reconnectStop = false;
    m_reconnectFinished = false;
    ++m_reconnectStarts;
    StartWorker([this, address = m_lastAddress, user = m_lastUser, code = m_client->loginCode,
                 state = m_replayState] { ReconnectThread(address, user, code, state); });
}

void CQKinMainDlg::CancelReconnect() {
    m_reconnectStop = true;
    ResetToSearchPage();
}

void CQKinMainDlg::ReconnectThread(uint32_t address, std::string user, std::string code,
                                   uint32_t playState) {
    const uint64_t start = platform::NowMs();
    while (!m_reconnectStop && platform::NowMs() - start < kReconnectWindowMs) {
        DevAnnounce record;
        if (m_client->ConnectToDeviceThruIP(address, &record, 10) < 0) {
            WorkerWait(kReconnectStepMs);  // not hammering a receiver that is away
            continue;
        }
        if (m_client->Login(address, user.c_str(), code.c_str()) >= 0 && Replay(playState)) {
            m_reconnected = true;
        }
        break;  // a refused login ends the attempts
    }
    m_reconnectFinished = true;
    m_reconnectRunning = false;
    if (!m_reconnectStop) {
        m_wm.Post(Window(), platform::Message::User(kReconnectDone));
    }
}

bool CQKinMainDlg::Replay(uint32_t playState) {
    QK_LOG(m_log.get(), LOG_DEBUG, "ReplayVRX");
    if ((playState & kPlayMediaBits) != 0) {
        return true;  // the page shows the media stopped
    }
    if ((playState & kPlayWhereBits) == 0) {
        return true;
    }
    WorkerWait(kReplayPauseMs);
    int rc = 0;
    const uint8_t mode = m_client->GetPlayImageMode();
    if (mode == 128 || (mode >= 1 && mode <= 4)) {
        rc = m_client->StartPlayImage(mode);
    }
    if (rc >= 0 && (playState & kPlayPaused) != 0) {
        rc = m_client->PausePlayImage();
    }
    QK_LOG(m_log.get(), LOG_DEBUG, "ReplayVRX:__END");
    return rc >= 0;
}

void CQKinMainDlg::ResetToSearchPage() {
    if (m_system) {
        m_system->UnmuteUnlessMutedAtStart();  // the projection is not coming back
    }
    m_playRunning = false;
    m_replayState = 0;
    m_playState = 0;
    m_parts->SetPageState(kPageSearch);
    m_wm.Invalidate(Window());
}

}  // namespace pemuapp
