// CmdClient: the command channel to one receiver.
//
// A ProtocolBase connection whose frames carry the sender's requests and the
// receiver's answers, fire-and-forget input frames, device events from the
// receiver (answered with an acknowledgement), and the "vrpaliveROCK" /
// "vrpaliveROLL" keep-alive that also serves as the connect handshake. It
// keeps the play state of the channel, the receiver's protocol version and
// capability bytes, and answers the capability predicates from them.
//
// It is not the facade: it knows nothing of capture, image channels or
// windows. The facade derives from it (CmdClientAdaptor) and overrides the
// callbacks, the close notice and AutoResync.
//
// Its parts by role: CommandWriter builds every request payload and input
// frame; the payload readers (CmdClientReaders.cpp) read each answer and
// event off the connection within the limits of CmdCodes.h, and
// CommandReader decodes them; the event handlers (CmdClientEvents.cpp) hand
// them to the callbacks; PreBufferWait holds requests back while the
// receiver buffers a media. This class is the channel's state: connection,
// keep-alive, play state, capabilities.
//
// THREADING: requests may come from any thread; they are serialised by the
// command lock, one answer awaited at a time. Payload readers run on the
// network thread, event handlers, callbacks and acknowledgements on the
// dispatcher thread, AutoResync on the keep-alive thread, OnConnectClose on
// the connection core's closer thread (exactly once per lost connection).
#pragma once

#include <atomic>
#include <boost/thread/condition_variable.hpp>
#include <boost/thread/mutex.hpp>
#include <boost/thread/recursive_mutex.hpp>
#include <boost/thread/thread.hpp>
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "vrxclientsdk/VRPClient/DevAnnounce.h"
#include "vrxclientsdk/VRPClient/DeviceCapRecord.h"
#include "vrxclientsdk/VRPClient/PreBufferWait.h"
#include "vrxclientsdk/VRPClient/ProtocolBase.h"

// Play state of a command channel.
enum CmdPlayState : uint32_t {
    kPlayIdle = 0,
    kPlayImage = 1,
    kPlayImagePaused = 2,
    kPlayMedia = 3,  // playing or pre-buffering
    kPlayMediaPaused = 4,
};

class CmdClient : public ProtocolBase {
public:
    CmdClient();
    ~CmdClient() override;

    // --- connection ---------------------------------------------------------
    // Adopts a socket that a listening server accepted and starts the
    // keep-alive. On failure the socket stays the caller's.
    int InitSocket(platform::SocketHandle socket, bool noDispatcher) override;
    // Closes the connection (joins its threads); play state back to idle.
    void CloseConnect() override;
    // True while a request waits on this channel or a pre-buffer wait runs.
    bool IsRequestPending() override;
    // Stops the connection, the keep-alive and the pre-buffer wait and joins
    // their threads. Every most-derived destructor calls it first.
    void ShutdownConnection();
    // Connects to `ipv4` (network order) on `ports`; see OpenConnect.
    virtual int OpenConnectAddr(uint32_t ipv4, const std::vector<uint16_t>& ports,
                                int timeoutSeconds);
    // Connects to the first port of `ports` whose peer answers the handshake
    // within `timeoutSeconds`, then starts the keep-alive. 0 or an error code.
    virtual int OpenConnect(const std::string& ip, const std::vector<uint16_t>& ports,
                            int timeoutSeconds);

    // --- requests -------------------------------------------------------------
    // Each returns a negative code on failure. "Byte" results are the answer's
    // result byte (0 refused, 1 accepted, 255 special refusal), also kept as
    // the last error code.
    virtual int GetDeviceCap(DeviceCapRecord* record);
    virtual int GetDeviceStatus(uint8_t* buffer);  // 2 bytes
    virtual int Login(const std::string& name, const std::string& password);
    virtual int LoginEx(const std::string& name, const std::string& password, uint8_t osType,
                        uint8_t appType, uint8_t pointType, uint8_t sidebar, uint32_t version,
                        const std::string& productId);
    virtual int StartPlayImage(uint8_t mode);
    virtual int StartPlayAckImage(uint8_t mode);
    // Without `force`, sends nothing unless an image plays or is paused (1).
    virtual int StopPlayImage(uint8_t mode, bool force);
    // 1 without asking while the ignore-NCC flag is set.
    virtual int CheckNCC();
    virtual void SetIgnoreNCC(bool ignore);
    virtual bool GetIgnoreNCC();
    // Fills `record` (converted to host order, the connected address at
    // offset 4) and takes the device protocol version from it.
    virtual int ConnectToDeviceThruIP(DevAnnounce* record);
    virtual int PausePlayImage(uint8_t mode);
    // Keys and values are 32-byte fields; longer texts are cut, shorter padded.
    virtual int ChangeValue(const std::string& key, const std::string& value, int timeoutSeconds);
    // `value` receives the 32 bytes of the answer.
    virtual int GetValue(const std::string& key, std::string* value, int timeoutSeconds);
    // Sends `size` bytes of `data` under `id`. Without `dontrep` waits for the
    // reply, which replaces `*reply`. 0 or an error code.
    virtual int ForwardMessage(uint32_t id, uint32_t size, const void* data, ByteString* reply,
                               bool dontrep);
    virtual int HideScreen(uint8_t mode);
    virtual int ClearScreen(uint8_t mode, int timeoutSeconds);
    // The second byte of the answer.
    virtual int TestPort(uint16_t port);
    // A URL of more than 255 bytes does not fit the request and is refused.
    virtual int PlayVideo(uint8_t mode, uint8_t option, const std::string& url);
    virtual int PlayAudio(const std::string& url, uint32_t value, uint8_t option);
    virtual int RepeatMedia(const std::string& url);
    virtual int StopVideo(uint8_t mode, const std::string& url, const uint8_t* status);
    virtual int PauseVideo(uint8_t mode, const std::string& url);
    virtual int SetVideoVol(uint8_t volume);
    virtual int MuteUnmuteVolume();
    virtual int GetMuteState();
    virtual int SeekVideo(uint8_t mode, int32_t position, const std::string& url);
    virtual int GetVideoPos();
    virtual int GetVideoDuration();
    virtual int GetSenderCount();
    // 0 after writing the receiver's values back; the non-zero status byte
    // of the answer otherwise (the arguments left alone).
    virtual int SetFrameBuffer(uint16_t& w, uint16_t& h, uint8_t& abpp, uint8_t& cs, bool scale,
                               uint8_t& cd, uint16_t secondWidth, uint16_t secondHeight,
                               uint8_t rotation);
    virtual int SupervisorLogin(const std::string& password);
    virtual int SetPreBufTime(uint16_t time, bool force, bool flag);

    // --- fire-and-forget frames (bytes sent, or a negative code) --------------
    virtual int SendTouchEvent(uint8_t id, uint16_t x, uint16_t y, uint8_t state);
    virtual int SendMouseEvent(bool left, bool right, bool middle, int8_t dx, int8_t dy,
                               int8_t wheel);
    virtual int SendInputEvent(uint16_t type, uint16_t code, uint32_t value);
    virtual int SetPenAttribute(uint32_t colour, uint8_t width);  // colour 0x00BBGGRR
    // Lock-key state for the input replay: key 0 Num, 1 Caps, 2 Scroll Lock.
    int SendLockKeyState(uint8_t key, bool on);

    // --- local state ----------------------------------------------------------
    virtual uint16_t GetPreBufTime();
    virtual int GetKey(uint8_t* buffer);  // request 0xb2: 4 bytes
    virtual uint32_t GetPlayState();
    virtual void SetPlayState(uint32_t state);
    virtual void SetAliveTimeout(uint32_t seconds);
    uint16_t GetDeviceProtocolVersion() const { return m_DeviceVersion.load(); }

    // --- capability predicates ------------------------------------------------
    virtual bool IsProtocolAbove0110();
    virtual bool IsProtocolAbove0111();
    virtual bool IsProtocolAbove0112();
    virtual bool HasFbfBit01();
    virtual bool HasFbfBit02();
    virtual bool HasFbfBit04();
    virtual bool HasFbfBit08();
    virtual bool HasFbfBit10();
    virtual bool HasFbfBit20();
    virtual bool HasFbfBit40();
    virtual bool HasFbfBit80();
    virtual bool HasFbf2Bit04();
    virtual bool HasFbf2Bit08();
    virtual bool IsProtocolAbove0118();
    virtual bool HasFbfBit08NoFbf2Bit02();
    virtual bool IsProtocolAbove0119();
    virtual bool IsProtocolAbove011A();
    virtual bool IsProtocolAbove011B();
    virtual bool IsProtocolAbove011C();
    virtual bool IsProtocolAbove011D();
    virtual bool IsProtocolAbove011E();
    virtual bool IsProtocolAbove011F();
    virtual bool IsProtocolAbove0120();
    virtual bool IsProtocolAbove0121();
    virtual uint16_t GetPreBufTimeScaled();
    virtual bool IsProtocolAbove0122();
    virtual bool HasFbf2Bit10();
    virtual bool IsProtocolAbove0123();
    virtual bool IsProtocolAbove0124();
    virtual bool HasFbf2Bit20();
    virtual bool HasFbf2Bit40();
    virtual bool HasFbf2Bit80();
    virtual bool IsProtocolAbove0125();
    virtual bool IsProtocolAbove0126();
    virtual bool IsProtocolAbove0129();
    virtual bool IsProtocolAbove0127();
    virtual bool HasFbf3Bit01();
    virtual bool IsProtocolAbove012A();
    virtual bool IsProtocolAbove012C();

    // --- callbacks (dispatcher thread) ----------------------------------------
    // A result from 0 to 255 is sent back as the acknowledgement's result
    // byte (event code + 1); any other result sends nothing.
    virtual int OnLogin(const std::string& loginCode);
    virtual int OnStartPlayImage(const ByteString& payload);
    virtual int OnStopPlayImage(const ByteString& payload);
    virtual int OnPausePlayImage(const ByteString& payload);
    virtual int OnChangeValue(const uint8_t* key, const uint8_t* value);  // 32 bytes each
    virtual int OnDeviceNotice(const ByteString& payload);
    // `status` 4 bytes.
    virtual int OnStopVideo(uint8_t reason, const std::string& url, const uint8_t* status);
    virtual int OnRefreshScreen(const ByteString& payload);
    virtual int OnRelayCommand(const ByteString& payload);
    virtual int OnKeyboardCommand(const ByteString& payload);
    virtual int OnMouseCommand(const ByteString& payload);
    virtual void OnTouchEvent(int id, int x, int y, int state);
    // The 16-byte header (its two u16 fields in host order) and the text.
    virtual int OnStringInput(const ByteString& payload);
    // Fill `reply` to answer; the channel sends it unless the receiver said
    // it wants none.
    virtual void OnForwardMessage(uint32_t id, uint32_t size, const uint8_t* data,
                                  ByteString& reply);
    virtual int OnSidebar(const ByteString& payload);
    virtual void OnAckError(uint8_t ackCode, int result, int systemError);
    // Called about every 0.9 s on the keep-alive thread; must not wait for
    // locks. Does nothing here.
    virtual int AutoResync();

    // --- test hooks ---------------------------------------------------------
    // Shortens the keep-alive loop's sleep step (30 ms by default; a pass is
    // 30 steps).
    void SetAliveStepForTest(uint32_t ms) { m_AliveStepMs = ms; }
    // Passes of the keep-alive loop so far.
    uint64_t AlivePassesForTest() const { return m_AlivePasses.load(); }

protected:
    void OnConnectClose() override;
    void HandleRetVal(uint8_t code, int result) override;
    int OnCustCommand() override;
    void OnPeerAlive() override;
    int Handshake(platform::SocketHandle socket) override;
    // False once the receiver has been silent for longer than the alive
    // time-out; the connection core then ends the connection and runs
    // OnConnectClose on its closer thread (with error -6528102).
    bool IsPeerAlive() override;

    // Guards the play state; held by every request from send to answer.
    boost::recursive_mutex m_CmdLock;

private:
    void InstallReaders();
    void InstallHandlers();
    void ResetReceiverState();
    int AfterConnect(int result);
    void StartAliveThread();
    void AliveThread();
    // 1 sent, 0 skipped this pass, -1 failed (error set).
    int SendRock();

    // Sends `code` with `payload` and waits for code + 1. With `answer`
    // non-null, the answer payload is copied there; one shorter than
    // `minAnswer` bytes fails. Returns 0 or the error.
    int Request(uint8_t code, const char* name, const ByteString& payload, int timeoutSeconds,
                ByteString* answer = nullptr, size_t minAnswer = 0);
    // A request answered by one result byte: returns it, or the error.
    int RequestByte(uint8_t code, const char* name, const ByteString& payload, int timeoutSeconds,
                    bool logRet = true);
    int RequestI32(uint8_t code, const char* name, const ByteString& payload, const char* retLog,
                   int negativeError);
    int StartImage(uint8_t code, const char* name, uint8_t mode);
    // The local end of the connection (network order) for a login payload;
    // 0 or the error.
    int LocalIPv4(uint32_t* address);
    int SendFireAndForget(const ByteString& frame);
    int PlayMediaFailed(int result, uint32_t previousState, const std::string& url);
    // The closing step of a pre-buffer wait that muted: mutes the receiver
    // again unless `cancelled` turns true first.
    void MuteAfterPreBuffer(const std::atomic<bool>& cancelled);

    // Payload readers (network thread).
    int RecvDeviceCapParam(ByteString& payload);
    int RecvForwardMessageReplyParam(ByteString& payload);
    int RecvVideoDurationParam(ByteString& payload);
    int RecvStopVideoData(ByteString& payload);
    int RecvForwardMessageData(ByteString& payload);
    int RecvStringInputData(ByteString& payload);
    int RecvFixed(ByteString& payload, size_t length, const char* name);

    // Event handlers (dispatcher thread).
    int OnLoginImpl(const ByteString& payload);
    int OnChangeValueImpl(const ByteString& payload);
    int OnStopVideoImpl(const ByteString& payload);
    int OnTouchEventImpl(const ByteString& payload);
    int OnForwardMessageImpl(const ByteString& payload);

    ByteString m_ReplyBuffer;  // dispatcher thread only
    std::atomic<uint64_t> m_LastAliveMs{0};
    std::atomic<uint32_t> m_PlayState{kPlayIdle};
    std::atomic<bool> m_Mute{false};
    std::atomic<bool> m_IgnoreNCC{false};
    std::atomic<uint16_t> m_DeviceVersion{0};
    std::atomic<uint8_t> m_Fbf{0};
    std::atomic<uint8_t> m_Fbf2{0};
    std::atomic<uint8_t> m_Fbf3{0};
    bool m_LastMediaAudio = false;
    uint8_t m_LastAudioOption = 0;
    std::atomic<uint32_t> m_AliveTimeout{20};
    std::atomic<uint16_t> m_PreBufTime{0};
    PreBufferWait m_PreBuf;

    // Handshake state per connecting socket.
    boost::mutex m_HandshakeLock;
    std::set<platform::SocketHandle> m_HandshakeSent;
    std::map<platform::SocketHandle, ByteString> m_HandshakeReply;

    // The keep-alive thread of the current connection.
    boost::mutex m_AliveThreadLock;
    std::unique_ptr<boost::thread> m_pAliveThread;
    std::atomic<bool> m_AliveRun{false};
    std::atomic<uint32_t> m_AliveStepMs{30};
    std::atomic<uint64_t> m_AlivePasses{0};
};
