// Connect and login, the projection options, presentation and its stop,
// and the error messages every flow shows.
#include "app/maindlg/address_text.h"
#include "app/maindlg/main_dlg.h"
#include "app/receiver/feature_flags.h"
#include "app/res/translator.h"
#include "vrxclientsdk/VRPClient/Logger.h"

namespace pemuapp {
namespace {

constexpr const char* kProductName = "Pemu Quorvane Sender";
constexpr int kConnectSeconds = 10;

struct ErrorRow {
    int code;
    uint32_t stringId;
};
constexpr ErrorRow kErrorRows[] = {
    {-6528001, 65273}, {-6528002, 65299}, {-6528102, 65299}, {-6528201, 65299}, {-6528202, 65299},
    {-6528203, 65299}, {-6528306, 65299}, {-6528101, 65275}, {-6528323, 65275}, {-6528301, 65272},
    {-6528302, 65400}, {-6528303, 65298}, {-6528304, 65304}, {-6528313, 65304}, {-6528314, 65304},
    {-6528501, 65304}, {-6528503, 65304}, {-6528504, 65304}, {-6528505, 65304}, {-6528305, 65303},
    {-6528316, 65300}, {-6528401, 65306}, {-6528405, 65306}, {-6528402, 65330}, {-6528403, 65331},
};

}  // namespace

uint32_t PlayPositionBit(int position) {
    switch (position) {
        case 1:
            return 1u << 22;
        case 2:
            return 1u << 21;
        case 3:
            return 1u << 20;
        case 4:
            return 1u << 19;
        default:
            return 1u << 18;
    }
}

uint32_t ErrorMessageStringId(int code) {
    for (const ErrorRow& row : kErrorRows) {
        if (row.code == code) {
            return row.stringId;
        }
    }
    return 0;
}

void CQKinMainDlg::ShowErrorMessage(int code) {
    const uint32_t id = ErrorMessageStringId(code);
    if (id != 0) {
        RunBox(10, 65292, appres::Translator::LoadString(id));
    }
}

void CQKinMainDlg::SetVrxSpecFunc() {
    if (!m_client) {
        return;
    }
    QK_LOG(m_log.get(), LOG_DEBUG, "SetVrxSpecFunc JpegQuality=%d, MaxFPS=%d",
           m_settings.jpegQuality, m_settings.maxFps);
    m_client->SetJpegQuality(m_settings.jpegQuality);
    m_client->SetMaxFPS(m_settings.maxFps);
    if (m_settings.codecType == kCodecH264) {
        if (m_client->IsH264Supported()) {
            m_client->SetImageCoding(kCodecH264);
        } else {
            m_settings.codecType = kCodecAuto;  // for the rest of the run
            m_client->SetImageCoding(kCodecAuto);
        }
    } else {
        m_client->SetImageCoding(m_settings.codecType);
    }
    m_client->SetCapLayer(m_settings.enableAsc);
    if (m_client->IsH264Supported()) {
        m_client->SetEnlargeFactor(8);
    }
    m_client->SetImageScaler(false);
    QK_LOG(m_log.get(), LOG_DEBUG, m_speedy ? "PreBufTime(0)" : "PreBufTime(1000)");
    m_client->SetPreBufTime(m_speedy ? 0 : 1000);
    m_client->SetDeOverscanOffset(m_settings.tvExpandWidth, m_settings.tvExpandHeight);
    m_client->SetCursorScale(m_settings.cursorSize);
}

bool CQKinMainDlg::LoginToReceiver(const std::string& addressText) {
    if (!m_client) {
        return false;
    }
    m_rebootRequested = false;
    // An empty or 0.0.0.0 address means the receiver kept in the client.
    uint32_t address = ParseDottedAddress(addressText);
    if (address == 0) {
        address = m_client->receiverAddress;
    }
    if (address == 0) {
        ShowErrorMessage(-6528001);
        return false;
    }
    std::string user = UserName();
    DevAnnounce record;
    if (m_client->ConnectToDeviceThruIP(address, &record, kConnectSeconds) < 0) {
        RunBox(10, 65292, appres::Translator::LoadString(65273));
        return false;
    }
    std::string code;
    if (record.GetCodeMode() != 0) {
        m_client->loginCodeStored = true;
        code = m_client->loginCode = m_settings.loginCode;
        if (m_client->Login(address, user.c_str(), code.c_str()) < 0) {
            ShowErrorMessage(m_client->GetErrorCode());
            return false;
        }
    } else if (m_client->GetStatus() != kVrxDisconnected && m_client->currentPeer == address) {
        // The choice page has logged in to this receiver already.
        SetTrayPicture(ui::kTrayIconLoggedIn);
        m_client->SetProductID(kProductName);
        return true;
    } else {
        for (;;) {
            ui::CQKCommonDlg prompt(m_env);
            prompt.SetType(6);
            prompt.SetReceiverName(record.GetName());
            prompt.SetReference(Window());
            if (m_env.runner->DoModal(prompt) != ui::kIdOk) {
                return false;
            }
            code = prompt.LoginCode();
            if (!prompt.UserName().empty()) {
                user = prompt.UserName();
            }
            m_client->loginCode = code;
            m_client->userName = user;
            if (m_client->Login(address, user.c_str(), code.c_str()) >= 0) {
                break;
            }
            ShowErrorMessage(m_client->GetErrorCode());
        }
    }
    SetTrayPicture(ui::kTrayIconLoggedIn);
    m_client->receiverAddress = record.GetIPv4() ? record.GetIPv4() : address;
    m_client->receiverName = m_client->connectName = record.GetName();
    m_client->description = record.GetDescription();
    m_client->SetProductID(kProductName);
    ReceiverFeatureFlags flags{};
    ParseFeatureFlags(&flags, record.GetOptionBlock());
    m_client->featureFlag15 = flags[15] != 0;
    m_lastAddress = address;
    m_lastUser = user;
    SetVrxSpecFunc();
    m_parts->ApplyReceiverFlagByte(record.bytes[63]);
    return true;
}

bool CQKinMainDlg::ConnectReceiverByIp(const QuickProfile& profile) {
    const std::string& user = profile.userName;
    const uint32_t address = ParseDottedAddress(profile.serverIp);
    if (!m_client || address == 0) {
        return false;  // 0.0.0.0 is never connected to
    }
    DevAnnounce record;
    if (m_client->ConnectToDeviceThruIP(address, &record, kConnectSeconds) < 0) {
        RunBox(10, 65292, appres::Translator::LoadString(65273));
        m_parts->ShowConnectStatus(10013);
        return false;
    }
    // The receiver's fixed default code; the sender's own code is left alone.
    if (m_client->Login(address, user.c_str(), VRXClient::kDefaultLoginCode) < 0) {
        m_parts->ShowConnectStatus(10013);
        ShowErrorMessage(m_client->GetErrorCode());
        return false;
    }
    m_parts->ApplyReceiverFlagByte(record.bytes[63]);
    m_client->receiverName = m_client->connectName = record.GetName();
    m_client->receiverAddress = address;
    m_client->loginCode = VRXClient::kDefaultLoginCode;
    m_client->userName = user;
    m_client->SetProductID(kProductName);
    m_client->description = record.GetDescription();
    ReceiverFeatureFlags flags{};
    ParseFeatureFlags(&flags, record.GetOptionBlock());
    m_client->featureFlag15 = flags[15] != 0;
    m_lastAddress = address;
    m_lastUser = user;
    m_parts->ShowConnectStatus(10012);
    if (!m_services.paths.configFolder.empty()) {
        std::string reason;
        if (!SaveQuickProfile(m_services.paths.configFolder + "/" + kProfileFileName, profile,
                              m_wifiJoined, &reason)) {
            QK_LOG(m_log.get(), LOG_WARN, "SaveQuickProfile: %s", reason.c_str());
        }
    }
    SetVrxSpecFunc();
    uint8_t status[2] = {0, 0};
    m_client->GetDeviceStatus(status);
    StartProjectionUnlessBusy(status);
    m_parts->SetPageState(kPageProjecting);
    m_parts->RefreshPlayButtons();
    return true;
}

bool CQKinMainDlg::Presentation(int position) {
    QK_LOG(m_log.get(), LOG_DEBUG, "Presentation()___[Start]");
    if (!m_client) {
        return true;
    }
    KillTimer(kTimerMediaProgress);
    m_playRunning = true;
    m_playState = kPlayBegun;
    SetVrxSpecFunc();
    m_client->SetCapLayer(true);
    const uint8_t mode = (position == 0 || position == 128) ? 0x80 : static_cast<uint8_t>(position);
    const int rc = m_parts->IsUsbAttachRunning() ? 0 : m_client->StartPlayImage(mode);
    m_currentPosition = mode;
    if (rc < 0) {
        m_playState = (m_playState & ~kPlayWhereBits) | kPlayStopped;
        m_playRunning = false;
        ShowErrorMessage(rc);
        return true;
    }
    SetTrayPicture(ui::kTrayIconProjecting);
    QK_LOG(m_log.get(), LOG_DEBUG, "Presentation()___[iRet == 0]");
    m_playState |= kPlayStopped | PlayPositionBit(mode);
    m_replayState = 0;
    m_playRunning = true;
    SetTimer(kTimerNetQuality, 1000);
    SetTimer(kTimerRefresh, 200);
    QK_LOG(m_log.get(), LOG_DEBUG, "Presentation()___[iRet == 0], return false");
    return false;
}

int CQKinMainDlg::StopProjection() {
    if (!m_client) {
        return -1;
    }
    const int rc = m_client->StopPlayImage();
    if (rc < 0) {
        return rc;
    }
    SetTrayPicture(ui::kTrayIconLoggedIn);
    KillTimer(kTimerNetQuality);
    m_overlay.Hide();
    m_replayState = 0;
    m_playState = (m_playState & ~kPlayPositionBits) | kPlayStopped;
    m_playRunning = false;
    return rc;
}

int CQKinMainDlg::PauseProjection() {
    if (!m_client) {
        return -1;
    }
    const int rc = m_client->PausePlayImage();
    if (rc >= 0) {
        m_playState |= kPlayPaused;
    }
    return rc;
}

void CQKinMainDlg::SetSpeedScreen(bool speedy) {
    QK_LOG(m_log.get(), LOG_DEBUG, "SetSpeedScreen");
    m_speedy = speedy;
    if (!m_client) {
        return;
    }
    const bool running = m_client->GetStatus() == kVrxProjecting;
    const uint8_t mode = m_client->GetPlayImageMode();
    if (running) {
        m_client->StopPlayImage();
    }
    QK_LOG(m_log.get(), LOG_DEBUG, speedy ? "PreBufTime(0)" : "PreBufTime(1000)");
    m_client->SetPreBufTime(speedy ? 0 : 1000);
    if (running && m_client->StartPlayImage(mode) < 0) {
        m_parts->RefreshPlayButtons();
        ShowErrorMessage(m_client->GetErrorCode());
    }
    QK_LOG(m_log.get(), LOG_DEBUG, "SetSpeedScreen:__END");
}

}  // namespace pemuapp
