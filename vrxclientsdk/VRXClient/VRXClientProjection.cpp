// Projection control of the client facade: the two-leg start (the receiver
// is asked on the command channel, then the image channel is opened, the
// frame buffer negotiated and capture started), stop and pause.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/clock.h"
#include "platform/socket.h"
#include "platform/wide_text.h"
#include "vrxclientsdk/VRPClient/ErrorCodes.h"
#include "vrxclientsdk/VRXClient/ActivityMonitor.h"
#include "vrxclientsdk/VRXClient/ProcessGlobals.h"
#include "vrxclientsdk/VRXClient/ProjectionRules.h"
#include "vrxclientsdk/VRXClient/VRXClient.h"
#include "vrxclientsdk/VRXClient/capture/FrawlPool.h"

namespace {

// The image channel's ports: the two every receiver listens on, before the
// one its record announces.
constexpr uint16_t kImagePorts[] = {515, 8080};
// ClearScreen waits this long for its answer.
constexpr int kClearScreenTimeoutSeconds = 5;
// The answer with which a receiver in conference mode refuses a sender.
constexpr int kConferenceRefusal = 255;
// The receiver stops a full-screen projection of whoever shows.
constexpr uint8_t kStopMode = projection::kModeFullScreen;
// The last receiver version that may lack H.264 in practice although it
// lists it: the maker's own boxes with no description text.
constexpr uint16_t kLastOldMakerVersion = 0x123;
constexpr char kMakerText[6] = {'K', 'I', 'R', 'S', 'O', '\0'};

}  // namespace

// ---------------------------------------------------------------------------
// public operations

int VRXClient::StartPlayImage(uint8_t mode) {
    QK_LOGF(LOG_INFO, "StartPlayImage 0x%02X %d", mode, IsBusy() ? 1 : 0);
    return StartProjection(mode, std::wstring());
}

int VRXClient::PlayImageFile(const wchar_t* path, uint8_t mode) {
    if (!path) {
        return QK_ERROR(qkerr::kFileNotExist, "(null)");
    }
    return PlayImageFile(std::wstring(path), mode);
}

int VRXClient::PlayImageFile(const std::wstring& path, uint8_t mode) {
    const std::string utf8 = platform::WideToUtf8(path);
    QK_LOGF(LOG_INFO, "PlayImageFile %s 0x%02X %d", utf8.c_str(), mode, IsBusy() ? 1 : 0);
    FILE* probe = path.empty() ? nullptr : std::fopen(utf8.c_str(), "rb");
    if (!probe) {
        return QK_ERROR(qkerr::kFileNotExist, utf8);
    }
    std::fclose(probe);
    return StartProjection(mode, path);
}

uint8_t VRXClient::GetPlayImageMode() {
    return m_PlayMode.load();
}

uint8_t VRXClient::GetImageCodingInUse() {
    const int status = GetStatus();
    return (status == kVrxProjecting || status == kVrxPaused) ? m_CodingInUse.load() : 0;
}

int VRXClient::StopPlayImage() {
    QK_LOGF(LOG_INFO, "StopPlayImage %d", IsBusy() ? 1 : 0);
    OperationLock lock;
    if (int rc = TryOperationLock(lock); rc < 0) {
        return rc;
    }
    // The re-sync stops and restarts at once; the client stays watched.
    if (!m_Resync.load()) {
        ActivityMonitorRemoveClient(this);
    }
    StopImageChannel();
    const int status = GetStatus();
    if (status != kVrxProjecting && status != kVrxPaused) {
        return QK_CLEAR_ERROR();
    }
    const int rc = m_Cmd.StopPlayImage(kStopMode, false);
    if (rc < 0) {
        CopyError(m_Cmd);
        return rc;
    }
    if (rc == 0) {
        return QK_ERROR(qkerr::kStopPlayImage);
    }
    QK_CLEAR_ERROR();
    return rc;
}

int VRXClient::PausePlayImage() {
    QK_LOGF(LOG_INFO, "PausePlayImage %d", IsBusy() ? 1 : 0);
    OperationLock lock;
    if (int rc = TryOperationLock(lock); rc < 0) {
        return rc;
    }
    // The re-sync pauses and restarts at once; the client stays watched.
    if (!m_Resync.load()) {
        ActivityMonitorRemoveClient(this);
    }
    const int status = GetStatus();
    if (status == kVrxDisconnected) {
        return QK_ERROR(qkerr::kDisconnected);
    }
    if (status == kVrxProjecting) {
        // The receiver is not told: it keeps showing the last picture.
        m_IB.Pause();
        CopyError(m_IB);
        return m_IB.GetErrorCode();
    }
    return QK_CLEAR_ERROR();
}

// ---------------------------------------------------------------------------
// the start

int VRXClient::StartProjection(uint8_t mode, const std::wstring& imageFile) {
    m_PointerTracker.Reset();
    OperationLock lock;
    if (int rc = TryOperationLock(lock); rc < 0) {
        return rc;
    }
    if (GetStatus() == kVrxDisconnected) {
        return QK_ERROR(qkerr::kDisconnected);
    }
    // Receivers up to 0x12a know only the four split positions and full screen.
    if (!m_Cmd.IsProtocolAbove012A() && (mode < 1 || mode > 4)) {
        mode = projection::kModeFullScreen;
    }
    const bool withFile = !imageFile.empty();
    {
        std::lock_guard<std::mutex> guard(m_TextLock);
        m_ImageFile = imageFile;
    }

    const int coding = ChooseImageCoding(mode, withFile);
    if (coding < 0) {
        return QK_ERROR(coding);
    }

    // Resuming the same view after a pause, or a start the receiver asked
    // for, needs no conference check.
    const bool inEvent = m_InEvent.load();
    if (!inEvent && !(GetStatus() == kVrxPaused && mode == m_PlayMode.load())) {
        const int rc = m_Cmd.CheckNCC();
        if (rc == kConferenceRefusal) {
            return QK_ERROR(qkerr::kConferenceMode);
        }
        if (rc < 0) {
            CopyError(m_Cmd);
            return rc;
        }
    }

    // The screen video stream and a served media file give way.
    StopK7RM();
    StopVideoFile();
    const uint16_t preBufTime = m_Settings.PreBufTime();
    const bool viewChanges = mode != m_PlayMode.load() && !inEvent;
    if (viewChanges || preBufTime != 0) {
        // The old view's messages still queued on the image socket drain
        // now, or go with the connection: none may reach the receiver after
        // it granted the new start.
        m_IB.Stop(true);
    }
    if (viewChanges) {
        StopPlayImage();
    }
    if (preBufTime != 0) {
        StopPlayImage();
    }
    if (!m_Resync.load()) {
        ActivityMonitorRemoveClient(this);
    }

    if (int rc = AskReceiverToShow(mode); rc < 0) {
        return rc;
    }

    if (m_Cmd.IsProtocolAbove011A()) {
        m_Cmd.SetPreBufTime(preBufTime, true, true);
        m_IB.SetAckWindow(m_Cmd.GetPreBufTimeScaled() + 2);
    }

    const int previousStatus = GetStatus();
    m_IB.Stop(true);
    if (!withFile && !m_Cmd.IsProtocolAbove012C()) {
        m_IB.CloseConnect();
    }

    bool changed = false;
    if (int rc = ChangeFrameBuffer(mode, static_cast<uint8_t>(coding), withFile, changed); rc < 0) {
        SaveError();
        m_Cmd.SaveError();
        m_Cmd.StopPlayImage(kStopMode, false);
        if (m_Cmd.GetPlayState() != kPlayIdle) {
            QK_LOGF(LOG_WARN,
                    "I'm trapped in the transition state. Device let in my 1st leg but refuse "
                    "my 2nd leg. I wanna retract my 1st leg, but device don't let me go.");
        }
        m_Cmd.RestoreError();
        RestoreError();
        return rc;
    }

    const DeviceCapRecord caps = GetCapRecord();
    ConfigureImageChannel(caps, static_cast<uint8_t>(coding), preBufTime, imageFile);

    // Leg 2: the image connection.
    if (m_IB.GetState() == kVrxDisconnected) {
        if (int rc = OpenImageChannel(); rc < 0) {
            return rc;
        }
    }

    if (!withFile && !projection::IsSplitMode(mode) && previousStatus != kVrxPaused) {
        m_Cmd.ClearScreen(mode, kClearScreenTimeoutSeconds);
    }

    int rc = StartImageEncoder(caps, mode, coding, changed);
    if (rc < 0) {
        m_IB.SaveError();
        StopImageChannel();
        m_IB.RestoreError();
        CopyError(m_IB);
        SaveError();
        m_Cmd.StopPlayImage(kStopMode, false);
        RestoreError();
        return rc;
    }

    if (!m_Resync.load()) {
        ActivityMonitorAddClient(this, m_Cmd, m_IB, preBufTime);
    }
    m_CodingInUse = static_cast<uint8_t>(coding);
    m_ProjectionStartMs = platform::NowMs();
    m_PlayMode = mode;
    CopyError(m_IB);
    return m_IB.GetErrorCode();
}

int VRXClient::AskReceiverToShow(uint8_t mode) {
    if (m_Cmd.GetPlayState() == kPlayImage) {
        return 0;  // it shows this sender already
    }
    const uint32_t previous = m_Cmd.GetPlayState();
    const int rc =
        m_Cmd.IsProtocolAbove0110() ? m_Cmd.StartPlayAckImage(mode) : m_Cmd.StartPlayImage(mode);
    if (rc < 0) {
        if (rc == qkerr::kResponseTimeout) {
            // The receiver may have started after all: withdraw.
            m_Cmd.SaveError();
            m_Cmd.StopPlayImage(kStopMode, true);
            m_Cmd.RestoreError();
        }
        CopyError(m_Cmd);
        return rc;
    }
    if (rc == 0) {
        return QK_ERROR(qkerr::kDeviceOccupied);
    }
    if (rc == kConferenceRefusal) {
        // Refused, not accepted: the channel stays as it was.
        m_Cmd.SetPlayState(previous);
        return QK_ERROR(qkerr::kConferenceMode);
    }
    return 0;
}

void VRXClient::ConfigureImageChannel(const DeviceCapRecord& caps, uint8_t coding,
                                      uint16_t preBufTime, const std::wstring& imageFile) {
    projection::MouseFpsInputs fps;
    fps.coding = coding;
    fps.above011F = m_Cmd.IsProtocolAbove011F();
    fps.preBufTime = preBufTime;
    fps.capabilityFps = caps.fps;
    fps.capabilityByte15 = caps.byte15;
    m_IB.SetMaxMouseFPS(projection::MouseFps(fps));

    m_IB.SetWindowCapture(m_Settings.Window(), m_Settings.WindowClientAreaOnly());
    m_IB.SetScreenCapture(m_Settings.Screen());
    m_IB.SetRotation(EffectiveRotation());
    m_IB.Set16BitRGB(caps.IsFormat565());
    m_IB.SetImageFile(platform::WideToUtf16(imageFile));

    m_IB.SetDirtyRectRefresh(m_Cmd.HasFbfBit40());
    m_IB.SetFullscreenJPEG(m_Cmd.HasFbf2Bit20());
    const int cursor = m_Settings.CursorMode();
    m_IB.SetCursorMode(cursor == ProjectionSettings::kIndeterminate ? !m_Cmd.HasFbf2Bit40()
                                                                    : cursor == 1);
}

int VRXClient::EffectiveRotation() {
    return m_Cmd.HasFbf2Bit80() ? 0 : m_Settings.Rotation();
}

int VRXClient::ChooseImageCoding(uint8_t mode, bool imageFile) {
    projection::CodingInputs in;
    in.receiverCodings = GetCapRecord().codings;
    in.jpegLoaded = JpegEncoderModule() != nullptr;
    in.h264Loaded = H264EncoderModule() != nullptr;
    in.mode = mode;
    in.imageFile = imageFile;
    in.codingSetting = m_Settings.ImageCoding();
    // Measuring the capture is not free: only when H.264 is possible at all.
    const bool h264Possible = in.h264Loaded && !projection::IsSplitMode(mode) && !imageFile &&
                              std::find(in.receiverCodings.begin(), in.receiverCodings.end(),
                                        projection::kCodingH264) != in.receiverCodings.end();
    in.h264Worth = h264Possible && ShouldUseH264();
    return projection::ChooseImageCoding(in);
}

bool VRXClient::ShouldUseH264() {
    projection::H264Inputs in;
    in.codingSetting = m_Settings.ImageCoding();
    in.hasFbf2Bit10 = m_Cmd.HasFbf2Bit10();
    in.preBufTime = m_Settings.PreBufTime();
    in.jpegQuality = m_Settings.JpegQuality();
    const DevAnnounce record = GetDeviceRecord();
    in.oldMakerReceiver =
        record.GetProtocolVersion() <= kLastOldMakerVersion &&
        record.bytes[DevAnnounce::kDescriptionOffset] == 0 &&
        std::memcmp(record.bytes + DevAnnounce::kTextOffset, kMakerText, sizeof kMakerText) == 0;
    {
        const DeviceCapRecord caps = GetCapRecord();
        in.receiverWidth = caps.iw;
        in.receiverHeight = caps.ih;
    }
    // The capture is measured only when the rules get that far.
    if (in.codingSetting == 0 && !in.hasFbf2Bit10 && in.preBufTime != 0 && !in.oldMakerReceiver) {
        int w = 0, h = 0;
        GetCaptureSize(w, h);
        in.captureWidth = static_cast<uint32_t>(std::max(w, 0));
        in.captureHeight = static_cast<uint32_t>(std::max(h, 0));
    }
    return projection::ShouldUseH264(in);
}

void VRXClient::GetCaptureSize(int& width, int& height) {
    // A temporary record of the process-wide pool under this facade's key:
    // the pool builds a capture object for it, asks its size and drops it.
    FrawlPool* pool = FrawlPool::Acquire();
    const void* key = this;
    pool->SetScreenCapture(key, m_Settings.Screen());
    pool->SetWindowCapture(key, m_Settings.Window(), false);
    pool->SetRotation(key, EffectiveRotation());
    pool->GetWindowSize(key, width, height);
    pool->RemoveClient(key);
    FrawlPool::Release();
}

// ---------------------------------------------------------------------------
// frame buffer

int VRXClient::SendFrameBuffer(uint16_t w, uint16_t h, uint8_t abpp, uint8_t cs, uint8_t coding,
                               int captureW, int captureH, uint16_t* grantedW, uint16_t* grantedH) {
    uint8_t cd = coding;
    const int rc = m_Cmd.SetFrameBuffer(w, h, abpp, cs, m_Settings.DemandScaler() != 0, cd,
                                        static_cast<uint16_t>(std::clamp(captureW, 0, 0xffff)),
                                        static_cast<uint16_t>(std::clamp(captureH, 0, 0xffff)),
                                        static_cast<uint8_t>(EffectiveRotation()));
    if (rc < 0) {
        CopyError(m_Cmd);
        return rc;
    }
    if (rc != 0) {
        QK_LOGF(LOG_WARN, "SetFrameBuffer refused: status %d", rc);
        return QK_ERROR(qkerr::kDeviceOccupied);
    }
    DeviceCapRecord caps;
    if (int cap = m_Cmd.GetDeviceCap(&caps); cap < 0) {
        CopyError(m_Cmd);
        return cap;
    }
    if (m_Cmd.IsProtocolAbove0118()) {
        w = caps.w;
        h = caps.h;
        abpp = caps.bpp;
    }
    m_NegotiatedBpp = abpp;
    StoreCapabilities(caps);
    if (grantedW) {
        *grantedW = w;
    }
    if (grantedH) {
        *grantedH = h;
    }
    return 0;
}

int VRXClient::ChangeFrameBuffer(uint8_t mode, uint8_t coding, bool imageFile, bool& changed) {
    changed = false;
    m_NegotiatedBpp = 0;
    if (!m_Cmd.HasFbfBit08()) {
        return 0;
    }
    const DeviceCapRecord caps = GetCapRecord();
    const uint8_t abpp = projection::OfferedBitsPerPixel(m_Settings.Format16(), caps.bpp,
                                                         caps.IsFormat565(), m_Settings.Alpha32());
    int captureW = 0, captureH = 0;
    GetCaptureSize(captureW, captureH);
    QK_LOGF(LOG_DEBUG, "ChangeFrameBuffer receiver %dx%d %d bpp, capture %dx%d", caps.iw, caps.ih,
            caps.bpp, captureW, captureH);
    const uint8_t cs =
        (coding == projection::kCodingJpeg || coding == projection::kCodingH264) ? 2 : 1;
    const int enlarge = m_Settings.EnlargeFactor();

    if (!imageFile && !projection::IsSplitMode(mode) && m_Settings.ImageScaler()) {
        int offX = m_Settings.DeOverscanX();
        int offY = m_Settings.DeOverscanY();
        for (;;) {
            projection::FrameSizeInputs in;
            in.enlarge = enlarge;
            in.captureWidth = captureW;
            in.captureHeight = captureH;
            in.offsetX = offX;
            in.offsetY = offY;
            in.receiverWidth = caps.iw;
            in.receiverHeight = caps.ih;
            in.aspect = m_Settings.AspectRatio();
            const projection::FrameSize asked = projection::ComputeFrameBufferSize(in);
            uint16_t w = asked.width, h = asked.height;
            if (int rc = SendFrameBuffer(w, h, abpp, cs, coding, captureW, captureH, &w, &h);
                rc < 0) {
                return rc;
            }
            if (w == asked.width && h == asked.height) {
                // The receiver shows exactly what is captured: no scaling.
                m_EnlargeFactorF = 1.0f;
                return 0;
            }
            m_EnlargeFactorF = static_cast<float>(enlarge);
            changed = true;
            if (offX <= 0 && offY <= 0) {
                return 0;
            }
            offX = 0;
            offY = 0;
        }
    }

    if (int rc = SendFrameBuffer(caps.iw, caps.ih, abpp, cs, coding, captureW, captureH, nullptr,
                                 nullptr);
        rc < 0) {
        return rc;
    }
    m_EnlargeFactorF = static_cast<float>(enlarge);
    changed = true;
    return 0;
}

// ---------------------------------------------------------------------------
// image channel

int VRXClient::OpenImageChannel() {
    std::vector<uint16_t> ports(std::begin(kImagePorts), std::end(kImagePorts));
    const uint16_t announced = GetDeviceRecord().GetImagePort();
    if (std::find(ports.begin(), ports.end(), announced) == ports.end()) {
        ports.insert(ports.begin(), announced);
    }
    std::sort(ports.begin(), ports.end());
    ports = FilterPorts(std::move(ports));

    m_IB.SetWaitHandshake(m_Cmd.IsProtocolAbove0119());
    int rc = 0;
    const platform::SocketHandle accepted = m_AcceptedIBSocket.exchange(platform::kInvalidSocket);
    if (accepted != platform::kInvalidSocket) {
        rc = m_IB.InitSocket(accepted);
        if (rc < 0) {
            platform::CloseSocketHandle(accepted);  // not adopted: still ours
        }
    } else {
        rc = m_IB.OpenConnect(platform::FormatIPv4(m_PeerAddress.load()), ports);
    }
    if (rc < 0) {
        m_Cmd.StopPlayImage(kStopMode, false);
        CopyError(m_IB);
        return rc;
    }
    if (m_Cmd.IsProtocolAbove011B()) {
        m_IB.SendSenderId();
    }
    return 0;
}

void VRXClient::StopImageChannel() {
    if (m_Cmd.IsProtocolAbove012C()) {
        m_IB.Stop(false);
    } else {
        m_IB.CloseConnect();
    }
}

int VRXClient::StartImageEncoder(const DeviceCapRecord& caps, uint8_t mode, int coding,
                                 bool changed) {
    const int offX = m_Settings.DeOverscanX();
    const int offY = m_Settings.DeOverscanY();
    boost::logic::tribool aspect = ProjectionSettings::ToTribool(m_Settings.AspectRatio());
    if (offX > 0 || offY > 0) {
        aspect = false;
    }
    const bool alpha = m_Settings.Alpha32() || m_NegotiatedBpp.load() == 32;
    return m_IB.Start(caps.w, caps.h, caps.bpp, mode, coding, alpha, m_EnlargeFactorF.load(),
                      aspect, changed ? offX : 0, changed ? offY : 0);
}
