#include "vrxclientsdk/VRXClient/imagechannel/IBClient.h"

#include <linux/sockios.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include "platform/byte_order.h"
#include "platform/clock.h"
#include "platform/syserror.h"
#include "platform/thread.h"
#include "vrxclientsdk/VRPClient/ErrorCodes.h"
#include "vrxclientsdk/VRPClient/PortConnector.h"
#include "vrxclientsdk/VRXClient/capture/FrawlPool.h"
#include "vrxclientsdk/VRXClient/imagechannel/BlockEncoder.h"
#include "vrxclientsdk/VRXClient/imagechannel/IBGeometry.h"
#include "vrxclientsdk/VRXClient/imagechannel/ImageBlockRules.h"
#include "vrxclientsdk/VRXClient/imagechannel/ImageBlockWire.h"

namespace {

// A message is retried for this long before the send counts as failed.
constexpr uint64_t kSendDeadlineMs = 30000;
// Between retries the thread waits this long for room in the socket buffer.
constexpr int kSendRetryMs = 15;
// A graceful stop lets the queued bytes drain for up to this long.
constexpr uint32_t kGracefulDrainMs = 1000;
// A message that a stop finds half sent may finish for this many retry steps
// (about a second) before the connection is given up.
constexpr int kStopFinishSteps = 1000 / kSendRetryMs;
// JPEG blocks are widened to the whole output until this many frames came.
constexpr int kWideFrames = 5;
// The encode thread asks for full refreshes until this many refresh blocks came.
constexpr int kStartRefreshBlocks = 3;
// H.264: without a refresh block for this long, one refresh is asked for.
constexpr uint64_t kH264IdleRefreshMs = 1500;
// Smallest receiver block size that Start still tries buffers for.
constexpr uint32_t kMinBlockBytes = 8192;
// Raw blocks are cut into at most this many strips.
constexpr size_t kMaxStrips = 512;

bool IsQuarter(int split) {
    return split >= 1 && split <= 4;
}

}  // namespace

IBClient::IBClient(EncoderModuleSource& modules)
    : m_pPool(FrawlPool::Acquire()), m_live(m_pPool->LiveState(this)), m_modules(modules) {
    SetCmdPrefix(ibwire::kPrefix, sizeof ibwire::kPrefix);
    SetPayloadReader(ibwire::kAckCode, [this](ByteString& payload) {
        return ReadPayload(payload, ibwire::kAckPayloadBytes);
    });
    SetEventHandler(ibwire::kAckCode, [this](const ByteString& payload) {
        return OnRecvIbAck(reinterpret_cast<const uint8_t*>(payload.data()));
    });
    m_strips.resize(kMaxStrips);
}

IBClient::~IBClient() {
    ShutdownConnection();
    QK_LOGF(LOG_DEBUG, "CloseConnect sock:%d", m_Socket.handle.load());
    Stop(false);
    m_pPool->RemoveClient(this);
    m_live.reset();
    FrawlPool::Release();
}

void IBClient::SetLogger(Logger* logger) {
    QKErrorHandler::SetLogger(logger);
    m_pPool->SetLogger(logger);
}

// --- connection ------------------------------------------------------------

void IBClient::SetWaitHandshake(bool wait) {
    m_waitHandshake.store(wait);
}

int IBClient::OpenConnect(const std::string& address, const std::vector<uint16_t>& ports) {
    QK_LOGF(LOG_DEBUG, "OpenConnect %s %d", address.c_str(), static_cast<int>(ports.size()));
    {
        boost::mutex::scoped_lock guard(m_handshakeLock);
        m_handshakeBuffers.clear();
    }
    if (Connect(address, ports, false, 10) != 0) {
        return GetErrorCode();
    }
    SizeSendBuffer(m_Socket.handle.load(), "OpenConnect");
    QK_CLEAR_ERROR();
    return 0;
}

int IBClient::InitSocket(platform::SocketHandle socket) {
    QK_LOGF(LOG_DEBUG, "InitSocket %d", socket);
    {
        boost::mutex::scoped_lock guard(m_handshakeLock);
        m_handshakeBuffers.clear();
    }
    if (ProtocolBase::InitSocket(socket, false) != 0) {
        return GetErrorCode();
    }
    SizeSendBuffer(socket, "InitSocket");
    QK_CLEAR_ERROR();
    return 0;
}

void IBClient::SizeSendBuffer(platform::SocketHandle socket, const char* caller) {
    // Linux doubles the size asked for (its own bookkeeping counts against
    // the buffer): half of it gives the buffer the channel means to have.
    const int size = ibwire::kSendBufferBytes / 2;
    if (::setsockopt(socket, SOL_SOCKET, SO_SNDBUF, &size, sizeof size) != 0) {
        QK_LOGF(LOG_WARN, "%s setsockopt(SO_SNDBUF) failed %d", caller,
                -platform::LastSystemError());
    }
}

int IBClient::GetSendBufferBytes() {
    const platform::SocketHandle s = m_Socket.handle.load();
    int size = 0;
    socklen_t length = sizeof size;
    if (s == platform::kInvalidSocket ||
        ::getsockopt(s, SOL_SOCKET, SO_SNDBUF, &size, &length) != 0) {
        return 0;
    }
    return size;
}

int IBClient::Handshake(platform::SocketHandle socket) {
    if (!m_waitHandshake.load()) {
        return 0;
    }
    static constexpr uint8_t kExpected[ibwire::kHandshakeBytes] = {
        'v', 'r', 'p', 'i', 'b', 0, 0, ibwire::kAckCode, 0, 0, 0, 0};
    boost::mutex::scoped_lock guard(m_handshakeLock);
    ByteString& got = m_handshakeBuffers[socket];
    if (got.size() < ibwire::kHandshakeBytes) {
        char buf[ibwire::kHandshakeBytes];
        const ssize_t n = ::recv(socket, buf, ibwire::kHandshakeBytes - got.size(), MSG_DONTWAIT);
        if (n <= 0) {
            return -1;
        }
        got.append(buf, static_cast<size_t>(n));
    }
    if (got.size() < ibwire::kHandshakeBytes) {
        return -1;
    }
    if (std::memcmp(got.data(), kExpected, ibwire::kHandshakeBytes) != 0) {
        return PortConnector::kHandshakeRejected;  // a complete but wrong reply stays wrong
    }
    QK_LOGF(LOG_INFO, "IB connection handshake OK!");
    return 0;
}

void IBClient::CloseConnect() {
    boost::recursive_mutex::scoped_lock channel(m_channelLock);
    QK_LOGF(LOG_DEBUG, "CloseConnect sock:%d", m_Socket.handle.load());
    Stop(false);
    ProtocolBase::CloseConnect();
}

void IBClient::OnConnectClose() {
    boost::recursive_mutex::scoped_lock channel(m_channelLock);
    QK_LOGF(LOG_ERROR, "IB socket disconnected! sock:%d", m_Socket.handle.load());
    QK_LOGF(LOG_DEBUG, "OnConnectClose sock:%d this:%p", m_Socket.handle.load(),
            static_cast<void*>(this));
    CloseConnect();
}

// --- settings ----------------------------------------------------------------

void IBClient::SetCursorMode(bool on) {
    m_cursorMode = on;
    m_pPool->SetCursorMode(this, on);
}
void IBClient::SetImageFile(const std::u16string& path) {
    m_imageFile = path;
    m_pPool->SetImagePath(this, path);
}
void IBClient::SetWindowCapture(CaptureWindow window, bool clientAreaOnly) {
    m_window = window;
    m_windowFlag = clientAreaOnly;
}
void IBClient::SetScreenCapture(int screen) {
    m_screen = screen;
}
void IBClient::SetRotation(int rotation) {
    m_rotation = rotation;
}
void IBClient::Set16BitRGB(bool on) {
    QK_LOGF(LOG_INFO, "Set16BitRGB %d", on ? 1 : 0);
    m_pPool->Set16BitRGB(this, on);
}
void IBClient::SetAckWindow(int count) {
    m_flow.SetWindow(count);
}
void IBClient::SetAckWindowExtra(int count) {
    m_flow.SetExtraWindow(count);
}
void IBClient::SetKeyFrameInterval(int seconds) {
    m_keyFrameInterval.store(seconds);
}
void IBClient::SetCapLayer(bool on) {
    m_capLayer = on;
}
void IBClient::SetRectDist(int dist) {
    m_pPool->SetRectDist(this, dist);
}
void IBClient::SetMaxFrameTime(int ms) {
    m_pPool->SetMaxFrameTime(this, ms);
}
void IBClient::SetMaxFPS(int fps) {
    m_pPool->SetMaxFPS(this, fps);
}
void IBClient::SetMaxMouseFPS(int fps) {
    m_pPool->SetMaxMouseFPS(this, fps);
}
// The H.264 encoder picks the new value up on its own thread before the next picture.
void IBClient::SetJpegQuality(int quality) {
    m_quality.store(std::clamp(quality, 1, 100));
}
void IBClient::SetBufferSize(int bytes) {
    m_bufferSize.store(bytes);
}
void IBClient::SetDirtyRectRefresh(bool on) {
    m_dirtyRectRefresh.store(on);
}
void IBClient::SetFullscreenJPEG(bool on) {
    QK_LOGF(LOG_INFO, "SetFullscreenJPEG %d", on ? 1 : 0);
    m_fullscreenJpeg.store(on);
}

// --- state -------------------------------------------------------------------

bool IBClient::IsCapturing() const {
    return m_live->state.load() != STATUS_STOPPED;
}

int IBClient::GetState() {
    if (m_Socket.handle.load() == platform::kInvalidSocket) {
        return 200;
    }
    return m_live->state.load();
}

long IBClient::GetFirstCapTime() {
    return m_pPool->GetFirstCapTime(this);
}

void IBClient::RefreshScreenImage() {
    QK_LOGF(LOG_DEBUG, "RefreshScreenImage sock:%d", m_Socket.handle.load());
    m_pPool->RefreshScreen(this);
}

void IBClient::SetCursorPosition(CapturePoint* point) {
    if (point) {
        QK_LOGF(LOG_DEBUG, "SetCursorPosition (%d,%d) sock:%d", point->x, point->y,
                m_Socket.handle.load());
    }
    m_pPool->SetCursorPosition(this, point);
}

void IBClient::SetCursorScale(double scale) {
    QK_LOGF(LOG_DEBUG, "SetCursorScale %0.2f sock:%d", scale, m_Socket.handle.load());
    m_pPool->SetCursorScale(this, scale);
}

int IBClient::OnRecvIbAck(const uint8_t* p) {
    const uint32_t serial = platform::GetU32BE(p);
    m_flow.OnAck(serial);
    QK_LOGF(LOG_DEBUG, "OnRecvIbAck %u sock:%d", serial, m_Socket.handle.load());
    return 1;
}

// --- start, stop, pause ------------------------------------------------------

int IBClient::LoadEncoder(int coding) {
    m_encoder = BlockEncoder::Create(coding, m_modules);
    std::string argument;
    if (int rc = m_encoder->Load(GetLogger(), &argument); rc != 0) {
        m_encoder.reset();
        return QK_ERROR(rc, argument);
    }
    return 0;
}

int IBClient::SizeBuffers() {
    const int bpp = m_bitsPerPixel;
    for (;;) {
        const uint64_t frameBytes = uint64_t(bpp) * m_outputHeight * m_frameBufferWidth / 8;
        uint64_t ringBytes, encodedBytes;
        if (m_encoding == ibwire::kEncodingJpeg || m_encoding == ibwire::kEncodingH264) {
            // One whole frame, its height rounded up to whole 16-row bands.
            ringBytes = uint64_t(bpp) * m_frameBufferWidth * 16 * ((m_outputHeight + 15) / 16) / 8;
        } else {
            ringBytes = std::min<uint64_t>(m_maxBlockBytes, frameBytes);
        }
        encodedBytes = m_encoder->MaxEncodedBytes(ringBytes);
        uint64_t usableBytes = frameBytes;
        if (m_codeOnCapture) {
            // The ring holds whole messages: a block reserves room for its
            // coded form and the framing around it, and the message buffer
            // is not used.
            ringBytes = encodedBytes + ibwire::kOverheadBytes;
            usableBytes = ringBytes;
            encodedBytes = 0;
        }
        const bool ok = m_queue.Allocate(ringBytes, usableBytes) && m_message.Reserve(encodedBytes);
        if (ok) {
            return 0;
        }
        if (m_maxBlockBytes < kMinBlockBytes) {
            return QK_ERROR(qkerr::kOutOfMemory, std::to_string(ringBytes + encodedBytes));
        }
        m_maxBlockBytes /= 2;
    }
}

int IBClient::Start(int devw, int devh, int bpp, int split, int fmt, bool alpha32, float scale,
                    boost::logic::tribool aspect, int dow, int doh) {
    boost::recursive_mutex::scoped_lock channel(m_channelLock);
    dow &= ~1;
    QK_LOGF(LOG_DEBUG,
            "Start devw:%d devh:%d bpp:%d split:0x%02X fmt:%d 32alpha:%d dow:%d doh:%d sock:%d",
            devw, devh, bpp, split, fmt, alpha32 ? 1 : 0, dow, doh, m_Socket.handle.load());
    Stop(false);
    m_encoding = fmt;
    if (fmt == ibwire::kEncodingJpeg) {
        m_pPool->SetRectDist(this, m_fullscreenJpeg.load() ? 10000 : 128);
        bpp = 32;
    } else if (fmt == ibwire::kEncodingH264) {
        m_pPool->SetRectDist(this, 10000);
        bpp = 32;
    } else {
        m_pPool->SetRectDist(this, 32);
    }
    if (int rc = LoadEncoder(fmt); rc != 0) {
        return rc;
    }
    m_codeOnCapture = m_encoder->CodesOnCapture();
    if (bpp != 16 && bpp != 32) {
        return QK_ERROR(qkerr::kOpenCapture, "bits per pixel " + std::to_string(bpp));
    }

    m_dirtyRects.Clear();
    m_pPool->SetWindowCapture(this, m_window, m_windowFlag);
    m_pPool->SetScreenCapture(this, m_screen);
    m_pPool->SetRotation(this, m_rotation);
    m_pPool->SetCursorMode(this, m_cursorMode);
    m_pPool->SetCapLayer(this, m_capLayer);

    IBStartRequest request;
    request.deviceWidth = devw;
    request.deviceHeight = devh;
    request.split = split;
    request.overscanX = dow;
    request.overscanY = doh;
    request.scale = scale;
    request.aspect = aspect;
    request.encoding = fmt;
    if (!m_imageFile.empty()) {
        request.windowWidth = devw;
        request.windowHeight = devh;
    } else {
        m_pPool->GetWindowSize(this, request.windowWidth, request.windowHeight);
    }
    IBStartGeometry g;
    if (!ComputeStartGeometry(request, &g)) {
        return QK_ERROR(qkerr::kOpenCapture, "empty window or region");
    }
    QK_LOGF(LOG_DEBUG, "Start CalcSize x:%d y:%d wndw:%d wndh:%d outw:%d outh:%d sock:%d", g.x, g.y,
            request.windowWidth, request.windowHeight, g.outputWidth, g.outputHeight,
            m_Socket.handle.load());

    m_blackCheckBytes =
        (m_window != 0 && !m_windowFlag) ? size_t(bpp) * g.outputWidth * g.outputHeight / 8 : 0;
    m_pPool->SetBitCount(this, static_cast<unsigned short>(bpp));

    const int opened =
        m_pPool->Open(this, &IBClient::CaptureTrampoline, this, g.outputWidth, g.outputHeight);
    if (opened < 0) {
        return QK_ERROR(m_imageFile.empty() ? qkerr::kOpenCapture : qkerr::kOpenJpegFileEngine,
                        std::to_string(opened));
    }
    int fbw = 0, fbh = 0;
    m_pPool->GetFrameBufSize(this, fbw, fbh);
    if (fbw < g.outputWidth) {
        m_pPool->Detach(this);
        return QK_ERROR(qkerr::kOpenCapture, "frame buffer narrower than the output");
    }
    if (fmt == ibwire::kEncodingH264 && fbw != g.outputWidth) {
        // H.264 blocks span the frame buffer's width while the encoder codes
        // the output width: the two must agree.
        m_pPool->Detach(this);
        return QK_ERROR(qkerr::kOpenCapture, "frame buffer width differs from the output");
    }
    m_frameBufferWidth = fbw;
    m_bytesSent.store(0);
    m_regionWidth = g.regionWidth;
    m_regionHeight = g.regionHeight;
    m_split = static_cast<uint8_t>(split);
    m_bitsPerPixel = static_cast<uint8_t>(bpp);
    m_alpha32 = alpha32;
    m_serial = 0;
    m_flow.Reset();
    m_frameCount.store(0);
    m_xOffset = g.x;
    m_yOffset = g.y;
    m_outputWidth = g.outputWidth;
    m_outputHeight = g.outputHeight;
    m_maxBlockBytes = static_cast<uint32_t>(m_bufferSize.load());
    if (IsQuarter(split)) {
        m_maxBlockBytes >>= 2;
    }

    std::string argument;
    if (int rc = m_encoder->Open(g.outputWidth, g.outputHeight, m_quality.load(), &argument);
        rc != 0) {
        m_pPool->Detach(this);
        m_encoder.reset();
        return QK_ERROR(rc, argument);
    }
    if (int rc = SizeBuffers(); rc != 0) {
        m_pPool->Detach(this);
        m_encoder.reset();
        return rc;
    }
    QK_LOGF(LOG_DEBUG, "Start vars fbw:%d fbh:%d maxfb:%u sock:%d", fbw, fbh, m_maxBlockBytes,
            m_Socket.handle.load());

    m_queue.Clear();
    m_stopEncode.store(false);
    if (!m_pPool->Start(this)) {
        m_pPool->Detach(this);
        m_encoder.reset();
        return QK_ERROR(qkerr::kStartCapture);
    }
    m_pEncodeThread = platform::StartThread<boost::thread>("ib-encode", [this] { EncodeThread(); });
    if (!m_pEncodeThread) {
        m_pPool->Detach(this);
        m_encoder.reset();
        return QK_ERROR(qkerr::kCreateObject, "m_pEncodeThread");
    }
    QK_CLEAR_ERROR();
    return 0;
}

void IBClient::Stop(bool graceful) {
    boost::recursive_mutex::scoped_lock channel(m_channelLock);
    const int state = m_live->state.load();
    QK_LOGF(LOG_DEBUG, "Stop %d sock:%d", state, m_Socket.handle.load());
    if (state != STATUS_STOPPED) {
        // After Detach no capture callback runs on this channel any more.
        m_pPool->Detach(this);
    }
    m_stopEncode.store(true);
    m_queue.Wake();
    if (std::unique_ptr<boost::thread> encode = std::exchange(m_pEncodeThread, nullptr)) {
        encode->join();
    }
    // The encode thread has ended: nothing uses the encoder any more.
    std::exchange(m_encoder, nullptr).reset();
    // The next projection must not find this one's messages still queued:
    // what cannot reach the receiver in time goes with the connection.
    bool discard = m_streamBroken.exchange(false);
    if (!discard && graceful && !WaitSocketDrained()) {
        QK_LOGF(LOG_NOTICE, "Stop: queued image data did not drain sock:%d",
                m_Socket.handle.load());
        discard = true;
    }
    if (discard && m_Socket.handle.load() != platform::kInvalidSocket) {
        QK_LOGF(LOG_NOTICE, "Stop closes the image connection sock:%d", m_Socket.handle.load());
        ProtocolBase::CloseConnect();
    }
    QK_CLEAR_ERROR();
}

bool IBClient::WaitSocketDrained() {
    for (uint32_t waited = 0;; waited += kSendRetryMs) {
        const platform::SocketHandle s = m_Socket.handle.load();
        int queued = 0;
        if (s == platform::kInvalidSocket || !IsRunning() || ::ioctl(s, SIOCOUTQ, &queued) != 0 ||
            queued == 0) {
            return true;  // nothing left that could follow
        }
        if (waited >= kGracefulDrainMs) {
            return false;
        }
        platform::SleepMs(kSendRetryMs);
    }
}

void IBClient::Pause() {
    QK_LOGF(LOG_DEBUG, "Pause %d sock:%d", m_live->state.load(), m_Socket.handle.load());
    if (m_live->state.load() == STATUS_RUNNING) {
        m_pPool->Pause(this);
        for (int i = 0; i < 1000 && m_busy.load(); ++i) {
            platform::SleepMs(10);
        }
    }
    QK_CLEAR_ERROR();
}

// --- capture thread ------------------------------------------------------------

unsigned long IBClient::CaptureTrampoline(IMAGE_BLOCK* block, void* context) {
    return static_cast<unsigned long>(static_cast<IBClient*>(context)->IBCallback(block));
}

void IBClient::WaitQueueDrained() {
    m_queue.WaitDrained([this] { return IsCapturing(); });
}

int IBClient::IBCallback(IMAGE_BLOCK* source) {
    if (source->y1 < 0 || source->fsn == 1) {
        WaitQueueDrained();
    }
    const bool jpeg = m_encoding == ibwire::kEncodingJpeg;
    const bool h264 = m_encoding == ibwire::kEncodingH264;
    const bool frameEnd = source->fsn >= source->ftot;
    if (source->y1 >= 0) {
        IMAGE_BLOCK block = *source;
        if (frameEnd) {
            m_frameCount.fetch_add(1);
        }
        if (jpeg && m_frameCount.load() < kWideFrames) {
            block.x1 = block.y1 = 0;
            block.x2 = m_outputWidth - 1;
            block.y2 = m_outputHeight - 1;
        }
        if (m_blackCheckBytes > 0 && block.pBits) {
            const size_t frameBytes = size_t(block.stride) * block.frameRows;
            const size_t n = std::min(m_blackCheckBytes, frameBytes);
            if (std::all_of(block.pBits, block.pBits + n, [](uint8_t b) { return b == 0; })) {
                QK_LOGF(LOG_DEBUG, "IBCallback skip black screen");
                return -10;
            }
        }
        if (jpeg || h264 || m_maxBlockBytes >= source->size) {
            QueueBlock(block);
        }
    }
    if (jpeg && (source->y1 < 0 || frameEnd)) {
        QueueRefreshRects(*source);
    }
    if (source->y1 < 0) {
        return 0;
    }
    if (!jpeg && !h264 && source->size > m_maxBlockBytes) {
        const size_t n = SplitIntoStrips(*source, m_bitsPerPixel, m_maxBlockBytes, m_strips.data(),
                                         m_strips.size());
        for (size_t i = 0; i < n; ++i) {
            QueueBlock(m_strips[i]);
        }
    }
    return 0;
}

void IBClient::QueueRefreshRects(const IMAGE_BLOCK& source) {
    const uint64_t now = platform::NowMs();
    m_dirtyRects.BuildRefreshList(now, m_refreshList);
    if (!m_dirtyRectRefresh.load() || m_refreshList.Empty()) {
        return;
    }
    if (source.y1 >= 0) {
        const IBRect band{0, source.y1, m_outputWidth - 1, source.y2};
        m_refreshList.Subtract(band);
        m_dirtyRects.Add(now, false, band);
    }
    const std::vector<IBRect>& rects = m_refreshList.Rects();
    const uint16_t total = static_cast<uint16_t>(rects.size());
    for (uint16_t i = 0; i < total; ++i) {
        IMAGE_BLOCK block = source;
        block.x1 = rects[i].x1;
        block.y1 = rects[i].y1;
        block.x2 = rects[i].x2;
        block.y2 = rects[i].y2;
        block.quality100 = 1;
        block.et = 0;
        block.fsn = static_cast<uint16_t>(i + 1);
        block.ftot = total;
        QueueBlock(block);
    }
}

void IBClient::QueueBlock(IMAGE_BLOCK block) {
    if (m_Socket.handle.load() == platform::kInvalidSocket) {
        platform::SleepMs(30);
        return;
    }
    const bool jpeg = m_encoding == ibwire::kEncodingJpeg;
    const bool h264 = m_encoding == ibwire::kEncodingH264;
    if (h264 || (jpeg && m_fullscreenJpeg.load())) {
        if (block.fsn != 1) {
            return;
        }
        block.x1 = block.y1 = 0;
        block.x2 = m_frameBufferWidth - 1;
        block.y2 = m_outputHeight - 1;
    } else if (jpeg) {
        AlignJpegBlock(block, m_frameBufferWidth, m_outputHeight);
        // Extended here, where the extra rows are copied, rather than on the
        // encode thread, where they would be read from stale ring memory.
        ExtendJpegHeight(block, m_outputHeight);
        const int w = block.x2 - block.x1 + 1, h = block.y2 - block.y1 + 1;
        const bool top =
            JpegQualityFor(w, h, block.refresh, block.quality100, m_quality.load()) == 100;
        m_dirtyRects.Add(platform::NowMs(), top, {block.x1, block.y1, block.x2, block.y2});
    }
    block.width = static_cast<uint32_t>(block.x2 - block.x1 + 1);
    block.height = static_cast<uint32_t>(block.y2 - block.y1 + 1);
    block.colorFormat = jpeg                                            ? COLOR_FORMAT_JPEG
                        : (h264 || (m_bitsPerPixel == 32 && m_alpha32)) ? COLOR_FORMAT_BGRA
                                                                        : block.sourceFormat;
    if (ColorFormatBits(block.colorFormat) != m_bitsPerPixel) {
        // A raw stream keeps the capture's own format: its depth must match.
        return;
    }
    const size_t bytes =
        BlockBytes(m_bitsPerPixel, static_cast<int>(block.width), static_cast<int>(block.height));
    block.size = static_cast<uint32_t>(bytes);
    if (m_codeOnCapture) {
        QueueCodedBlock(block, bytes);
        return;
    }
    QueuedBlock record;
    record.block = block;
    record.block.frameRows = block.height;
    record.block.sourceFormat = block.colorFormat;
    if (const size_t prepared = m_encoder->PreparedBytes(block); prepared > 0) {
        // Read where it lies and written once, in the encoder's own form.
        uint8_t* at = m_queue.Reserve(prepared, [this] { return IsCapturing(); });
        if (!at) {
            return;
        }
        m_encoder->Prepare(block, at);
        record.block.stride = 0;
        record.coded = QueuedBlock::kPrepared;
        m_queue.Push(record, at, prepared);
        return;
    }
    uint8_t* at = m_queue.Reserve(bytes, [this] { return IsCapturing(); });
    if (!at) {
        return;  // stopped, or a block larger than the ring (never for aligned blocks)
    }
    IBMask(at, &block);
    record.block.stride = block.width * static_cast<uint32_t>(m_bitsPerPixel / 8);
    m_queue.Push(record, at, bytes);
}

namespace {

// Formats whose pixels are B, G, R and a fourth byte, as the JPEG encoder reads them.
bool IsBgr32(uint32_t format) {
    return format == COLOR_FORMAT_BGRX || format == COLOR_FORMAT_BGRA ||
           format == COLOR_FORMAT_JPEG;
}

// True when the block's rectangle lies inside the frame at its pBits.
bool InsideFrame(const IMAGE_BLOCK& b) {
    return b.pBits && b.x1 >= 0 && b.y1 >= 0 && b.x2 >= b.x1 && b.y2 >= b.y1 &&
           static_cast<uint64_t>(b.x2) < b.stride / 4 && static_cast<uint32_t>(b.y2) < b.frameRows;
}

}  // namespace

void IBClient::QueueCodedBlock(const IMAGE_BLOCK& block, size_t rawBytes) {
    const size_t capacity = m_encoder->MaxEncodedBytes(rawBytes);
    uint8_t* at =
        m_queue.Reserve(ibwire::kOverheadBytes + capacity, [this] { return IsCapturing(); });
    if (!at) {
        return;  // stopped, or a block larger than the ring (never for aligned blocks)
    }
    const uint32_t rowBytes = block.width * 4;
    // What the encoder reads: the rectangle where it lies in the frame, or a
    // packed copy when it lies partly outside, its pixels are of another
    // format, or the encoder needs packed rows that the frame does not have.
    IMAGE_BLOCK pixels = block;
    QueuedBlock record;
    if (InsideFrame(block) && IsBgr32(block.sourceFormat) &&
        (m_encoder->ReadsStride() || block.stride == rowBytes)) {
        pixels.pBits = block.pBits + size_t{block.stride} * static_cast<uint32_t>(block.y1) +
                       size_t{4} * static_cast<uint32_t>(block.x1);
    } else {
        if (m_scratch.size() < rawBytes) {
            try {
                m_scratch.resize(rawBytes);
            } catch (const std::bad_alloc&) {
                m_scratch = {};
            }
        }
        if (m_scratch.size() < rawBytes) {
            record.coded = QueuedBlock::kFailed;
            record.codecError = qkerr::kOutOfMemory;
        } else {
            IMAGE_BLOCK copy = block;
            IBMask(m_scratch.data(), &copy);
            pixels.pBits = m_scratch.data();
            pixels.stride = rowBytes;
        }
    }
    pixels.frameRows = block.height;
    pixels.sourceFormat = block.colorFormat;
    if (record.coded != QueuedBlock::kFailed) {
        BlockEncoder::Input in;
        in.block = &pixels;
        in.width = static_cast<int>(block.width);
        in.height = static_cast<int>(block.height);
        in.quality = m_quality.load();
        in.keyFrameIntervalSeconds = m_keyFrameInterval.load();
        int codecError = 0;
        const long length = m_encoder->Encode(in, at + ibwire::kHeaderBytes, capacity, &codecError);
        record.coded = length < 0 ? QueuedBlock::kFailed : length;
        record.codecError = codecError;
    }
    record.block = block;
    record.block.stride = rowBytes;
    record.block.frameRows = block.height;
    record.block.sourceFormat = block.colorFormat;
    const size_t used =
        record.coded < 0 ? 0 : ibwire::kOverheadBytes + static_cast<size_t>(record.coded);
    m_queue.Push(record, at, used);
}

// --- encode thread -------------------------------------------------------------

namespace {
constexpr int kIdleWaitMs = 10;
}  // namespace

void IBClient::EncodeThread() {
    int refreshBlocks = 0;
    bool lastWasRefresh = true;
    uint64_t lastBlockMs = platform::NowMs();
    bool idleRefreshAsked = false;
    QueuedBlock queued;
    const IMAGE_BLOCK& block = queued.block;
    while (!m_stopEncode.load()) {
        if (!m_queue.Front(&queued, 0)) {
            if (!IsCapturing()) {
                break;
            }
            if (refreshBlocks < kStartRefreshBlocks) {
                m_pPool->RefreshScreen(this);
            }
            if (m_encoding == ibwire::kEncodingH264 && !lastWasRefresh && !idleRefreshAsked &&
                platform::NowMs() - lastBlockMs > kH264IdleRefreshMs) {
                idleRefreshAsked = true;
                m_pPool->RefreshScreen(this);
            }
            // A pushed block wakes this wait at once; the step only bounds how
            // late the idle checks above run, so it need not be short. (A 1 ms
            // step kept an idle channel at about 2 % of a core.)
            m_queue.Front(&queued, kIdleWaitMs);
            continue;
        }
        lastBlockMs = platform::NowMs();
        idleRefreshAsked = false;
        if (m_live->state.load() == STATUS_PAUSED && !block.refresh) {
            m_queue.PopFront();
            continue;
        }
        m_busy.store(true);
        if (block.refresh) {
            ++refreshBlocks;
        }
        lastWasRefresh = block.refresh != 0;
        EncodeOne(queued);
        m_queue.PopFront();
        m_busy.store(false);
    }
}

void IBClient::EncodeOne(const QueuedBlock& queued) {
    const IMAGE_BLOCK& block = queued.block;
    const int w = block.x2 - block.x1 + 1;
    const int h = block.y2 - block.y1 + 1;
    const bool coded = queued.coded >= 0 || queued.coded == QueuedBlock::kFailed;
    long length = queued.coded;
    int codecError = queued.codecError;
    if (!coded) {
        BlockEncoder::Input in;
        in.prepared = queued.coded == QueuedBlock::kPrepared;
        in.block = &block;
        in.width = w;
        in.height = h;
        in.quality = m_quality.load();
        in.keyFrameIntervalSeconds = m_keyFrameInterval.load();
        length = m_encoder->Encode(in, m_message.EncodedArea(), m_message.EncodedCapacity(),
                                   &codecError);
    }
    if (length < 0) {
        QK_LOGF(LOG_ERROR, "WriteImageBlock %s error %d", m_encoder->Name(), codecError);
        if (m_encoding == ibwire::kEncodingJpeg) {
            RefreshScreenImage();  // the receiver still needs these pixels
        }
        return;
    }

    ImageBlockFields f;
    f.bitsPerPixel = m_bitsPerPixel;
    f.encoding = m_encoding;
    f.et = block.et;
    int y1 = block.y1, y2 = block.y2;
    if (block.bottomUp) {
        y1 = m_outputHeight - 1 - block.y2;
        y2 = m_outputHeight - 1 - block.y1;
    }
    f.x1 = block.x1 + m_xOffset;
    f.y1 = y1 + m_yOffset;
    f.x2 = block.x2 + m_xOffset;
    f.y2 = y2 + m_yOffset;
    f.rawSize = BlockBytes(m_bitsPerPixel, w, h);
    f.serial = ++m_serial;
    f.split = m_split;
    f.fsn = block.fsn;
    f.ftot = block.ftot;
    // A block coded on capture is framed where it lies in the ring.
    const uint8_t* message;
    size_t size;
    if (coded) {
        message = ImageBlockMessage::FrameAt(block.pBits + ibwire::kHeaderBytes, f,
                                             static_cast<uint32_t>(length));
        size = ibwire::kOverheadBytes + static_cast<size_t>(length);
    } else {
        m_message.Finish(f, static_cast<uint32_t>(length));
        message = m_message.Data();
        size = m_message.Size();
    }
    QK_LOGF(
        LOG_DEBUG,
        "WriteImageBlock %d %d %d %d et:%u cmp:%ld sn:%u send:%zu fsn:%hu ftot:%hu refr:%d sock:%d",
        f.x1, f.y1, f.x2, f.y2, f.et, length, f.serial, size, f.fsn, f.ftot, block.refresh,
        m_Socket.handle.load());

    const uint64_t sendStart = platform::NowMs();
    if (SendMessageBuffer(message, size) < 0) {
        RefreshScreenImage();
        return;
    }
    m_bytesSent.store(m_bytesSent.load() + static_cast<double>(size));
    const uint64_t sent = platform::NowMs();
    if (size > ibwire::kBigSendBytes) {
        m_lastBigSendMs.store(sent);
    }
    if (m_flow.Applies(block.fsn >= block.ftot,
                       m_encoding != ibwire::kEncodingJpeg && m_encoding != ibwire::kEncodingH264,
                       m_lastBigSendMs.load(), sent)) {
        m_flow.WaitForWindow(f.serial, [this] {
            return m_live->state.load() == STATUS_RUNNING && !m_stopEncode.load();
        });
        m_flow.Measure(sendStart, platform::NowMs());
    }
}

int IBClient::SendMessageBuffer(const uint8_t* data, size_t size) {
    const uint64_t start = platform::NowMs();
    size_t sent = 0;
    int stopSteps = 0;
    boost::recursive_mutex::scoped_lock guard(m_Socket.sendLock);
    if (m_streamBroken.load()) {
        return QK_ERROR(qkerr::kSendImageBlock);  // behind a cut message: never
    }
    for (;;) {
        const platform::SocketHandle s = m_Socket.handle.load();
        if (s == platform::kInvalidSocket) {
            return QK_ERROR(qkerr::kSendImageBlock);
        }
        const ssize_t n = platform::SendNoSignal(s, data + sent, size - sent, MSG_DONTWAIT);
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            // The connection is gone: end it, so that the loss is reported
            // and handled instead of every later message failing the same way.
            const int err = platform::LastSystemError();
            MarkBroken();
            return QK_ERROR(-err);
        }
        if (n > 0) {
            sent += static_cast<size_t>(n);
            if (sent == size) {
                return static_cast<int>(size);
            }
        }
        if (!IsRunning()) {
            return QK_ERROR(qkerr::kSendImageBlock);
        }
        // A receiver reads a message whole or loses its place in the stream:
        // a message not begun is simply dropped; one begun may finish for a
        // short while on a stop, else nothing may follow it on this socket.
        const bool stopping = m_stopEncode.load() || !IsCapturing();
        if (stopping && sent == 0) {
            return QK_ERROR(qkerr::kSendImageBlock);
        }
        if ((stopping && ++stopSteps > kStopFinishSteps) ||
            platform::NowMs() - start >= kSendDeadlineMs) {
            QK_LOGF(LOG_NOTICE, "Image message cut after %zu of %zu bytes sock:%d", sent, size, s);
            if (sent > 0 && stopping) {
                m_streamBroken.store(true);  // Stop closes the connection
            } else if (sent > 0) {
                MarkBroken();  // the ordinary loss path ends the connection
            }
            return QK_ERROR(qkerr::kSendImageBlock);
        }
        pollfd p{s, POLLOUT, 0};
        ::poll(&p, 1, kSendRetryMs);
    }
}
