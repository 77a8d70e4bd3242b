// The image channel of one client: a TCP connection to the receiver over
// which captured blocks go out as image-block messages, paced by the
// receiver's acknowledgements.
//
// Blocks come from the process-wide capture pool on the capture thread
// (IBCallback), are copied into the block queue's ring buffer, and are
// encoded and sent by the channel's one encode thread through the block
// encoder of the projection's coding (BlockEncoder.h: JPEG through the
// "Pexlo" module, H.264 through "Vemrin", raw pixels through LZO1X-1). JPEG
// blocks are coded on the capture thread instead, straight from the
// captured frame into the ring, each as a message whose header the encode
// thread writes in front of it before sending it from where it lies: the
// pixels are read once and never copied. H.264 pictures are converted to
// the encoder's 4:2:0 planes on the capture thread, also read where they
// lie, when the module takes planes. It is not the facade: projection
// control, the SenderId record and reconnects belong to the client above it.
//
// THREADING: public operations from any thread (the facade serialises
// them); OnRecvIbAck on the connection's dispatcher thread; IBCallback (and
// with it the coding of JPEG blocks) on the capture thread; the message,
// the other encoders and the flow measurement on the encode thread. Stop joins the encode thread;
// the destructor detaches from the pool (waiting for a delivery in progress), so no thread touches
// a destroyed channel.
#pragma once

#include <atomic>
#include <boost/logic/tribool.hpp>
#include <boost/thread/thread.hpp>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "vrxclientsdk/VRPClient/ProtocolBase.h"
#include "vrxclientsdk/VRXClient/capture/CaptureClientRecord.h"
#include "vrxclientsdk/VRXClient/capture/FrameBufferBase.h"
#include "vrxclientsdk/VRXClient/imagechannel/BlockQueue.h"
#include "vrxclientsdk/VRXClient/imagechannel/DirtyRectList.h"
#include "vrxclientsdk/VRXClient/imagechannel/IBFlowControl.h"
#include "vrxclientsdk/VRXClient/imagechannel/ImageBlockMessage.h"
#include "vrxclientsdk/VRXClient/imagechannel/RefreshList.h"

class BlockEncoder;
class EncoderModuleSource;
class FrawlPool;

class IBClient : public ProtocolBase {
public:
    // Encodes with the modules of `modules` (the process's EncoderModules in
    // the program), which must outlive the channel.
    explicit IBClient(EncoderModuleSource& modules);
    ~IBClient() override;

    void SetLogger(Logger* logger) override;

    // --- connection ---
    // The next bytes received on a new socket are the 12-byte handshake.
    virtual void SetWaitHandshake(bool wait);
    // Connects to the first port that answers (10 s). 0 or the core's error.
    virtual int OpenConnect(const std::string& address, const std::vector<uint16_t>& ports);
    // Adopts an accepted socket. 0 or the core's error.
    virtual int InitSocket(platform::SocketHandle socket);
    void CloseConnect() override;

    // --- settings (stored; applied at Start unless said otherwise) ---
    virtual void SetCursorMode(bool on);  // also live
    virtual void SetImageFile(const std::u16string& path);
    virtual void SetWindowCapture(CaptureWindow window, bool clientAreaOnly);
    virtual void SetScreenCapture(int screen);
    virtual void SetRotation(int rotation);
    virtual void Set16BitRGB(bool on);
    virtual void SetAckWindow(int count);
    virtual void SetAckWindowExtra(int count);
    virtual void SetKeyFrameInterval(int seconds);
    virtual void SetCapLayer(bool on);
    virtual void SetRectDist(int dist);
    virtual void SetMaxFrameTime(int ms);
    virtual void SetMaxFPS(int fps);
    virtual void SetMaxMouseFPS(int fps);
    // JPEG quality, and the H.264 quality (applied by the encode thread
    // before its next picture when the module can change it).
    virtual void SetJpegQuality(int quality);
    virtual void SetBufferSize(int bytes);
    virtual void SetDirtyRectRefresh(bool on);
    virtual void SetFullscreenJPEG(bool on);

    // --- projection ---
    // Starts mirroring: devw x devh is the receiver's picture, split 1..4 a
    // quarter of it, fmt the coding (4 JPEG, 7 H.264, else LZO). 0 or an error.
    virtual int Start(int devw, int devh, int bpp, int split, int fmt, bool alpha32, float scale,
                      boost::logic::tribool aspect, int dow, int doh);
    // Stops mirroring and joins the encode thread; returns within about 2 s
    // even when the receiver stopped reading. `graceful` lets the bytes
    // already queued on the socket drain for up to a second; what cannot
    // drain, or a message that went out only in part, is discarded with the
    // connection, so that nothing of this projection follows on the socket.
    virtual void Stop(bool graceful);
    virtual void Pause();
    virtual void RefreshScreenImage();
    virtual void SetCursorPosition(CapturePoint* point);
    virtual void SetCursorScale(double scale);

    // 200 without a socket, else 0 stopped, 1 running, 2 paused.
    virtual int GetState();
    // The socket's send buffer as the system reports it (0 without a socket).
    int GetSendBufferBytes();
    virtual int GetFrameCount() { return m_frameCount.load(); }
    virtual double GetBytesSent() { return m_bytesSent.load(); }
    virtual int GetLinkScore() { return m_flow.LinkScore(); }
    virtual long GetFirstCapTime();

    // Stores an acknowledged serial (4 bytes, big-endian) and wakes the
    // encode thread. Dispatcher thread. Returns 1.
    virtual int OnRecvIbAck(const uint8_t* payload);

    // The pool's capture callback. Capture thread.
    int IBCallback(IMAGE_BLOCK* block);

    // Test hook: shortens the acknowledgement wait steps.
    void SetAckWaitStepForTest(int ms) { m_flow.SetWaitStepForTest(ms); }

protected:
    void OnConnectClose() override;
    int Handshake(platform::SocketHandle socket) override;

private:
    static unsigned long CaptureTrampoline(IMAGE_BLOCK* block, void* context);

    bool IsCapturing() const;
    void SizeSendBuffer(platform::SocketHandle socket, const char* caller);
    bool WaitSocketDrained();
    int LoadEncoder(int coding);
    int SizeBuffers();
    void QueueBlock(IMAGE_BLOCK block);
    void QueueCodedBlock(const IMAGE_BLOCK& block, size_t rawBytes);
    void QueueRefreshRects(const IMAGE_BLOCK& source);
    void WaitQueueDrained();
    void EncodeThread();
    void EncodeOne(const QueuedBlock& queued);
    int SendMessageBuffer(const uint8_t* data, size_t size);

    // Start, Stop, CloseConnect and OnConnectClose run one at a time: the
    // owner and the closer thread may both end the channel.
    boost::recursive_mutex m_channelLock;

    FrawlPool* m_pPool;
    std::shared_ptr<CaptureClientState> m_live;

    // settings
    std::atomic<bool> m_waitHandshake{false};
    std::map<platform::SocketHandle, ByteString> m_handshakeBuffers;
    boost::mutex m_handshakeLock;
    uint8_t m_split = 128;
    uint8_t m_bitsPerPixel = 32;
    bool m_alpha32 = false;
    bool m_windowFlag = false;
    bool m_cursorMode = true;
    CaptureWindow m_window = 0;
    int m_screen = 0;
    int m_rotation = 0;
    std::u16string m_imageFile;
    bool m_capLayer = false;
    std::atomic<int> m_quality{85};
    std::atomic<int> m_bufferSize{0x180000};
    std::atomic<bool> m_dirtyRectRefresh{true};
    std::atomic<bool> m_fullscreenJpeg{false};
    std::atomic<int> m_keyFrameInterval{3};
    int m_encoding = 4;

    // geometry of the running projection (written by Start before capture)
    int m_frameBufferWidth = 0;
    int m_xOffset = 0, m_yOffset = 0;
    int m_outputWidth = 0, m_outputHeight = 0;
    int m_regionWidth = 0, m_regionHeight = 0;
    uint32_t m_maxBlockBytes = 0;
    size_t m_blackCheckBytes = 0;  // > 0: skip all-black frames of a captured window

    // capture thread
    BlockQueue m_queue;
    DirtyRectList m_dirtyRects;
    RefreshList m_refreshList;
    std::vector<IMAGE_BLOCK> m_strips;
    // JPEG: blocks are coded here (set by Start with the encoder); pixels
    // that cannot be coded where they lie are copied to m_scratch first,
    // which grows only to the largest such block.
    bool m_codeOnCapture = false;
    std::vector<uint8_t> m_scratch;
    std::atomic<int> m_frameCount{0};

    // encode thread
    std::unique_ptr<boost::thread> m_pEncodeThread;
    std::atomic<bool> m_stopEncode{false};
    std::atomic<bool> m_busy{false};
    // Set by the encode thread when a message went out only in part on a
    // stop: nothing more may follow it, and Stop closes the connection.
    std::atomic<bool> m_streamBroken{false};
    ImageBlockMessage m_message;
    uint32_t m_serial = 0;
    std::atomic<double> m_bytesSent{0};
    std::atomic<uint64_t> m_lastBigSendMs{0};
    IBFlowControl m_flow;

    // The encoder of the running projection's coding: made by Start, used by
    // the encode thread, dropped by Stop after the thread ended.
    EncoderModuleSource& m_modules;
    std::unique_ptr<BlockEncoder> m_encoder;
};
