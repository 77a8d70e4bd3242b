// VRXClient: the client facade, the one object through which the application
// drives a receiver.
//
// It owns the command channel and the image channel (each as a small adaptor
// that routes the channel's events back here), the two media streams and its
// own logger; it keeps the settings of the next projection, caches the
// receivers found by discovery and turns the channels' events into its own
// callback operations. Every operation is virtual: the input-replay class
// QkRdpProvider derives from it virtually, SenderServer derives from that, and
// the application's client class derives from SenderServer and overrides the
// callbacks. It is not a window and does no drawing.
//
// Results: every operation leaves its result in the error object (code,
// message arguments, source line) and returns the code; 0 or a positive value
// is success.
//
// THREADING: public operations may be called from any thread. Those that talk
// to the receiver try the recursive operation lock and fail at once with
// -6527007 when another thread holds it or a request is still pending.
// Settings are atomics and may be set from any thread. Callbacks run on the
// thread that delivered the event (the command channel's dispatcher thread,
// the image channel's threads). Every most-derived destructor calls
// Shutdown() first, so that no channel thread calls a virtual of a
// half-destroyed object; ~VRXClient calls it again as a fallback, and a
// debug build stops there when a derived class forgot it.
//
// Its parts: ProjectionSettings (the next projection's settings and their
// ranges), LoginIdentity (what the extended login tells the receiver),
// MediaSession (the media streams and what a play leaves behind),
// AbsolutePointerTracker (positions from the receiver's axis records) and
// ClientDisplay (the PC's display set for a projection). The operations are
// spread by topic: VRXClient.cpp (life cycle, requests, status),
// VRXClientLogin.cpp, VRXClientSettings.cpp, VRXClientProjection.cpp,
// VRXClientMedia.cpp and VRXClientStatus.cpp. The data is private; the
// facades derived from this one (QkRdpProvider, SenderServer) use the few
// protected accessors.
#pragma once

#include <atomic>
#include <boost/logic/tribool.hpp>
#include <boost/thread/locks.hpp>
#include <boost/thread/recursive_mutex.hpp>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <typeinfo>
#include <vector>

#include "platform/socket.h"
#include "vrxclientsdk/VRPClient/DevAnnounce.h"
#include "vrxclientsdk/VRPClient/DeviceCapRecord.h"
#include "vrxclientsdk/VRPClient/QKErrorHandler.h"
#include "vrxclientsdk/VRXClient/AbsolutePointerTracker.h"
#include "vrxclientsdk/VRXClient/CmdClientAdaptor.h"
#include "vrxclientsdk/VRXClient/IBClientAdaptor.h"
#include "vrxclientsdk/VRXClient/LoginIdentity.h"
#include "vrxclientsdk/VRXClient/MediaSession.h"
#include "vrxclientsdk/VRXClient/ProjectionSettings.h"
#include "vrxclientsdk/VRXClient/capture/FrameBufferBase.h"

// Connection state, the value of GetStatus.
enum VRXStatus : int {
    kVrxIdle = 0,            // connected, nothing shown
    kVrxProjecting = 1,      // screen or picture projection running
    kVrxPaused = 2,          // projection paused
    kVrxMediaPlaying = 3,    // media file playing or pre-buffering
    kVrxMediaPaused = 4,     // media file paused
    kVrxScreenStream = 5,    // screen video stream running
    kVrxDisconnected = 200,  // no command connection
};

// True in the two states of a media file (playing or pre-buffering, paused).
inline bool IsMediaState(int status) {
    return status == kVrxMediaPlaying || status == kVrxMediaPaused;
}

class VRXClient : public QKErrorHandler {
public:
    // The library log that a facade appends to when the file exists in the
    // working folder at construction.
    static constexpr const char* kLibraryLogName = "QuorvaneSender.log";
    // The version sent in the extended login and written to the log banner.
    static constexpr uint32_t kSdkVersion = 140522;
    // The login code sent when the receiver asks for none.
    static constexpr const char* kDefaultLoginCode = "6049";

    VRXClient();
    ~VRXClient() override;
    VRXClient(const VRXClient&) = delete;
    VRXClient& operator=(const VRXClient&) = delete;

    // Logs out, stops both channels and joins their threads, stops the
    // streams, closes a held image socket and ends the library log. Waits for
    // operations in progress on other threads. Idempotent; not virtual. The
    // most-derived destructor calls it before anything is destroyed; no
    // operation may be called afterwards. Do not call it from a callback.
    void Shutdown();

    // --- error object -----------------------------------------------------
    // Stores the logger and passes it on to both channels and both streams.
    void SetLogger(Logger* logger) override;

    // --- logging, discovery, identification --------------------------------
    // Opens the library's own log on `path` (level 0..700; `append` keeps
    // earlier lines) and writes the banner. 0 when it is open or already
    // was; -6528322 when the file cannot be created.
    virtual int SetLog(const char* path, int level, bool append);
    // Broadcasts for receivers (UDP ports firstPort..lastPort, up to
    // `timeoutSeconds`) and fills `result`; the records are also kept for the
    // next Login. A second call while one runs returns 0 at once, finding
    // nothing. `cancel` (may be null) ends the run early.
    virtual int DeviceDiscover(std::vector<DevAnnounce>& result, const std::atomic<bool>* cancel,
                               bool firstOnly, uint16_t firstPort, uint16_t lastPort,
                               int timeoutSeconds);
    // Fills `out` with the identification record of the receiver at `ipv4`
    // (network order), over the logged-in channel when it is that receiver,
    // else over a short-lived connection of its own. Takes no lock.
    virtual int ConnectToDeviceThruIP(uint32_t ipv4, DevAnnounce* out, int timeoutSeconds);

    // --- identity settings (sent in the extended login) ---------------------
    virtual void SetAppType(int type);
    virtual void SetOSType(int type);
    virtual void SetPointInputType(int type);
    virtual void SetSidebar(uint8_t sidebar);
    // Takes exactly 8 bytes: a shorter text is padded with zero bytes.
    virtual void SetProductID(const char* productId);

    // --- sockets and login ---------------------------------------------------
    // Adopts a command connection that a receiver opened (sender-server
    // mode): 0 when adopted (the facade owns `s`); kKeptConnection when the
    // connection in use stays and `s` was closed; a negative code when it
    // failed (`s` closed).
    static constexpr int kKeptConnection = 1;
    virtual int InitCmdSocket(platform::SocketHandle s);
    // Keeps an image connection that a receiver opened, for the next
    // projection start. The facade owns `s` from here on.
    virtual int InitIBSocket(platform::SocketHandle s);
    // Opens the command channel to `ipv4` (network order) when needed and
    // logs in with `name` and `password`. -6528301 for a refused code,
    // -6528317 when someone is already logged in. Waits on the calling
    // thread, pumping its window messages.
    virtual int Login(uint32_t ipv4, const char* name, const char* password);
    virtual int SupervisorLogin(uint32_t ipv4, const char* password);

    // --- requests ---------------------------------------------------------
    virtual void SetIgnoreNCC(bool ignore);
    virtual bool GetIgnoreNCC();
    // Fills two status bytes.
    virtual int GetDeviceStatus(uint8_t* status);
    virtual int GetSenderCount();
    // The receiver's 32-byte value of `key`, up to its first zero byte.
    virtual int GetValue(const std::string& key, std::string* value);
    virtual int ChangeValue(const std::string& name, const std::string& value, int timeoutSeconds);
    // Sends a forwarded message without waiting for a reply.
    virtual int ForwardMessageStr(uint32_t id, uint32_t size, const void* data);
    // Sends a forwarded message and waits for the reply, which replaces
    // `*reply` (empty: the receiver had no answer).
    virtual int ForwardMessage(uint32_t id, uint32_t size, const void* data, ByteString* reply);
    virtual int ForwardMessageText(uint32_t id, const std::string& text, std::string* reply);

    // --- capture parameters ---------------------------------------------------
    // Calls the twenty setters below in their order.
    virtual void SetCaptureParams(CaptureWindow window, bool alpha32, boost::logic::tribool cursor,
                                  int enlarge, boost::logic::tribool aspect, bool windowFlag,
                                  bool capLayer, int format16, bool scaler, int maxFrameTime,
                                  int maxFps, int jpegQuality, int screen, int coding, int deOverX,
                                  int deOverY, uint16_t preBufTime, double cursorScale,
                                  uint8_t demandScaler, int rotation, int queueOffset,
                                  int slidesPeriod);

    // --- capture setters (stored for the next start, or forwarded at once) ----
    virtual void SetWindowCapture(CaptureWindow window, bool clientAreaOnly);
    virtual void Set32BppAlpha(bool on);
    virtual void SetCursorMode(boost::logic::tribool mode);
    // At least 1.
    virtual void SetEnlargeFactor(int factor);
    virtual void SetAspectRatio(boost::logic::tribool keep);
    virtual void SetCapLayer(bool on);
    virtual void Set16BitFormat(int format);
    virtual void SetImageScaler(bool on);
    virtual void SetMaxFrameTime(int ms);
    virtual void SetMaxFPS(int fps);
    // Clamped to 1..100.
    virtual void SetJpegQuality(int quality);
    virtual void SetScreenCapture(int screen);
    virtual void SetImageCoding(int coding);
    // Negative offsets are stored as 0.
    virtual void SetDeOverscanOffset(int x, int y);
    virtual void SetPreBufTime(uint16_t ms);
    // Clamped to 1..4.
    virtual void SetCursorScale(double scale);
    virtual void SetDemandScaler(uint8_t scaler);
    virtual void SetRotation(int rotation);
    virtual void SetIbQueueSizeOffset(int offset);
    virtual void SetWebSlidesPeriod(int seconds);

    // --- capability tests -----------------------------------------------------
    virtual bool HasFbfBit08NoFbf2Bit02();
    virtual bool HasFbfBit10();
    virtual bool HasFbfBit20();
    virtual bool IsH264Supported();
    virtual bool IsJpegSupported();
    virtual bool HasFbf2Bit08();

    // --- projection -------------------------------------------------------------
    // Starts or resumes projecting the screen at split position 1..4 or 0x80
    // (full screen).
    virtual int StartPlayImage(uint8_t mode);
    virtual int PlayImageFile(const wchar_t* path, uint8_t mode);
    virtual int PlayImageFile(const std::wstring& path, uint8_t mode);
    // The mode of the last successful start (0x80 before any).
    virtual uint8_t GetPlayImageMode();
    // The coding in use while projecting or paused, else 0.
    virtual uint8_t GetImageCodingInUse();
    virtual int StopPlayImage();
    virtual int PausePlayImage();

    // --- screen, media, volume and status ---------------------------------------
    virtual int RefreshScreenImage();
    virtual int HideScreen();
    virtual void SetCursorPosition(CapturePoint* point);
    virtual int SetClientDisplay(int width, int height, bool compositionOff, bool allow16,
                                 bool extended);
    virtual int GetDeviceResolution(int* width, int* height);
    virtual uint8_t GetDeviceBpp();
    virtual int FindVideoPort(int tries);
    virtual int GetMaxVolLevel();
    virtual int GetVolLevel();
    virtual int SetVolLevel(int level);
    virtual int MuteUnmuteVolume();
    virtual int GetMuteState();
    virtual int StartK7RM(int x, int y, int width, int height, uint8_t a, uint8_t b, bool probe);
    virtual int StopK7RM();
    // The 256-byte trailing block of the capability record.
    virtual uint8_t* GetBufferAddress();
    virtual int PlayVideoFileW(const wchar_t* path, bool findPort, int transcode);
    virtual int PlayVideoFileW(const std::wstring& path, bool findPort, int transcode);
    virtual int PlayAudioFileW(const wchar_t* path, bool findPort);
    virtual int PlayAudioFileW(const std::wstring& path, bool findPort);
    virtual bool IsGetMediaProgress();
    virtual int GetMediaProgress();
    virtual int GetMediaDuration();
    virtual int StopVideoFile();
    virtual int PauseResumeVideoFile();
    virtual void SetVideoFileRepeat(bool repeat);
    virtual bool GetVideoFileRepeat();
    virtual int SeekVideoFile(int position);
    virtual void StopAll();
    // 200 not connected, else 0..5 (VRXStatus).
    virtual int GetStatus();
    virtual int GetFrameCount();
    virtual double GetBytesSent();
    virtual int GetNetQuality();
    // Ends the login: closes both channels and stops the media. Waits for the
    // operation lock; does nothing while a request is pending.
    virtual void Logout();
    // True while a request waits on either channel, or discovery or a long
    // media step runs.
    virtual bool IsBusy();

    // --- callbacks (on the thread that delivered the event) --------------------
    // The payload of event 0x86; its first byte is the play mode asked for.
    virtual void OnStartPlayImage(const ByteString& payload);
    virtual void OnStopPlayImage(const ByteString& payload);
    virtual void OnChangeValue(const std::string& name, const std::string& value);
    virtual void OnDeviceNotice(uint8_t notice);
    // `status` holds 4 bytes.
    virtual void OnStopVideo(uint8_t reason, const std::string& url, const uint8_t* status);
    virtual void OnRelayCommand(const ByteString& record);
    virtual void OnKeyboardCommand(const ByteString& record);
    virtual void OnMouseCommand(const ByteString& record);
    virtual void OnPointerPosition(uint16_t x, uint16_t y);
    virtual void OnTouchEvent(int id, int x, int y, int state);
    virtual void OnSidebar(uint8_t value);
    virtual void OnStringInput(const ByteString& record);
    // Fill `reply` to answer the receiver.
    virtual void OnForwardMessage(uint32_t id, uint32_t size, const uint8_t* data,
                                  ByteString& reply);
    virtual void OnConnectClose();
    virtual void OnSendIBError();
    virtual void OnImageAck(uint32_t serial);

    // --- no-binding ports ---------------------------------------------------------
    // Ports never tried by the login or the projection start.
    virtual void SetNoBindingPort(const std::vector<uint16_t>& ports);

    // --- login implementation -------------------------------------------------------
    // type 0 normal, 1 supervisor.
    virtual int LoginImpl(uint8_t type, uint32_t ipv4, const char* name, const char* password);

    // --- login callback ----------------------------------------------------------------
    // The receiver's login event (0x84) with its code; the result (0..255) is
    // the acknowledgement's result byte.
    virtual int OnLogin(const std::string& loginCode);

    // --- state read by the application (not virtual) ---------------------------------
    // The receiver logged in to (network order), 0 when none.
    uint32_t GetPeerAddress() const { return m_PeerAddress.load(); }
    // A copy of the receiver's identification record.
    DevAnnounce GetDeviceRecord();
    // Time of the image channel's first captured frame.
    long GetFirstCapTime() { return m_IB.GetFirstCapTime(); }
    // True from the start of Shutdown() on.
    bool IsShuttingDown() const { return m_ShutDown.load(); }

    // --- media test hooks -------------------------------------------------------
    // Forgets that a video port was found, so that the next FindVideoPort
    // tests ports again (the flag is shared by every facade of the process).
    static void ResetVideoPortFoundForTest();
    // How many 30 ms message-pumping steps StartK7RM lets the screen stream
    // settle before the receiver is asked to play it (150 by default).
    void SetScreenStreamSettleStepsForTest(int steps) { m_Media.SetScreenSettleSteps(steps); }
    // The image buffer size the last login gave the image channel.
    int ImageBufferSizeForTest() const { return m_IB.GetBufferSize(); }
    // Replaces the screen stream with one whose helper is looked up in
    // `folder` only.
    void SetScreenStreamHelperFolderForTest(const std::string& folder);

protected:
    using OperationLock = boost::unique_lock<boost::recursive_timed_mutex>;

    // --- for the facades derived from this one (input replay, sender server) ---
    // The command channel; lives as long as this object.
    CmdClientAdaptor& CommandChannel() { return m_Cmd; }
    // The settings of the next projection (read only; the setters change them).
    const ProjectionSettings& Settings() const { return m_Settings; }
    // The screen the next projection captures.
    int CaptureScreen() const { return m_Settings.Screen(); }
    // Keeps `caps` as the receiver's capabilities (an adopted receiver's,
    // read before its login).
    void StoreCapabilities(const DeviceCapRecord& caps);
    // Records the receiver now logged in (network order).
    void SetPeerAddress(uint32_t ipv4) { m_PeerAddress = ipv4; }
    // Called by InitCmdSocket once it adopts a connection from `peer`
    // (network order), before the channel's threads start: the connection's
    // events (a login among them) come after this has returned.
    virtual void OnAdoptingCommand(uint32_t peer) { (void)peer; }
    // The login key, its 4 bytes in the order they were received.
    uint32_t LoginKey() const { return m_Key.load(); }
    // After a successful login: reads the receiver's capabilities, sizes the
    // image channel's buffer and, on receivers above 0x11B, reads the key.
    // 0, or the command channel's error taken over as this object's.
    int ReadReceiverSetup();
    // The media file being played and the URL the receiver was given.
    std::wstring CurrentMediaFile() { return m_Media.File(); }
    std::string CurrentMediaUrl() { return m_Media.Url(); }
    // The port the files are served on: the one FindVideoPort found, else
    // the receiver's video port, kept within 1024..65535.
    uint16_t CurrentVideoPort();

private:
    friend class CmdClientAdaptor;
    friend class IBClientAdaptor;

    // Holds the busy count up while a long step runs without a request.
    class BusyScope {
    public:
        explicit BusyScope(VRXClient& client) : m_client(client) { ++m_client.m_BusyCount; }
        ~BusyScope() { --m_client.m_BusyCount; }
        BusyScope(const BusyScope&) = delete;
        BusyScope& operator=(const BusyScope&) = delete;

    private:
        VRXClient& m_client;
    };

    // Tries the operation lock; -6527007 (set on the error object) when
    // another thread holds it or a request is pending, else 0 with `lock`
    // owning it.
    int TryOperationLock(OperationLock& lock);
    // A copy of the receiver's capabilities.
    DeviceCapRecord GetCapRecord();

    // --- login (VRXClientLogin.cpp) ---------------------------------------------
    // The command port list for a login to `ipv4`.
    std::vector<uint16_t> BuildCommandPorts(uint32_t ipv4, bool useDiscovery);
    // Removes the no-binding ports and port 0 from a sorted list.
    std::vector<uint16_t> FilterPorts(std::vector<uint16_t> ports);
    // Reads the local address of the command connection; 0 or minus errno.
    int ReadLocalAddress();
    // The local end of the command connection (network order).
    uint32_t LocalIPv4();
    // On a new command connection: reads its local address and the
    // receiver's record (0x90). On failure closes it and returns the code.
    int IdentifyReceiver();
    // The tail of a login after the connection is identified (steps from
    // the default-code choice on).
    int LoginOnChannel(uint8_t type, uint32_t ipv4, const std::string& name,
                       const std::string& password, bool fresh);
    // Sends the login (extended from 0x123 on) with the identity settings.
    int SendLogin(const std::string& name, const std::string& code);
    // The code of a login answer that is no acceptance: the channel's error,
    // -6528301 (refused) or -6528317 (someone else is logged in).
    int LoginFailed(int result, const std::string& name, const std::string& password,
                    int sourceLine);
    // Sets -6528301 with the caller's password kept in the message, while
    // the log line shows it masked.
    int SetLoginRejected(const std::string& name, const std::string& password, int sourceLine);
    int ImageBufferSizeForReceiver();

    // --- projection control (VRXClientProjection.cpp) -------------------------
    // The two-leg start shared by StartPlayImage and PlayImageFile;
    // `imageFile` empty projects the screen.
    int StartProjection(uint8_t mode, const std::wstring& imageFile);
    // Leg 1: the receiver agrees to show this sender. 0 or an error code.
    int AskReceiverToShow(uint8_t mode);
    // Sends the capture settings and the receiver's flags to the image channel.
    void ConfigureImageChannel(const DeviceCapRecord& caps, uint8_t coding, uint16_t preBufTime,
                               const std::wstring& imageFile);
    // 2, 4 or 7 for this start, or -6528324 (not set on the error object).
    int ChooseImageCoding(uint8_t mode, bool imageFile);
    bool ShouldUseH264();
    // Size of the screen or window to capture, after rotation.
    void GetCaptureSize(int& width, int& height);
    // The rotation the receiver is told of (0 when it rotates itself).
    int EffectiveRotation();
    // Negotiates the receiver's frame buffer; `changed` tells whether the
    // encoder scales. 0 or an error code (set on the error object).
    int ChangeFrameBuffer(uint8_t mode, uint8_t coding, bool imageFile, bool& changed);
    int SendFrameBuffer(uint16_t w, uint16_t h, uint8_t abpp, uint8_t cs, uint8_t coding,
                        int captureW, int captureH, uint16_t* grantedW, uint16_t* grantedH);
    // Opens (or adopts) the image connection of a start. 0 or its error.
    int OpenImageChannel();
    // Stops the image channel the way the receiver's version wants: stopped
    // (kept open) from 0x12D on, closed before.
    void StopImageChannel();
    // Starts the image channel's encoder for the receiver `caps` with the
    // stored capture settings; `changed` passes the de-overscan offsets on.
    int StartImageEncoder(const DeviceCapRecord& caps, uint8_t mode, int coding, bool changed);

    // --- media, volume and status (VRXClientMedia.cpp, VRXClientStatus.cpp) ----
    // The guard of the media operations: the operation lock (-6527007 when
    // taken or busy) and, with `needConnection`, -6528306 while disconnected.
    int MediaGuard(OperationLock& lock, bool needConnection);
    // Stops the screen projection (when `flags` is non-zero), the screen
    // video stream and the served file, before another media activity.
    void StopTheOthers(int flags);
    // Asks the receiver to connect back to `port` while a socket of ours
    // listens there: 0 reachable; 10, 20 or 30 when the local socket could
    // not be created, bound or put to listen; 40 not reachable; or the
    // command channel's negative code.
    int TestPort(uint16_t port);
    // The code of a play request that did not answer 1.
    int PlayRefused(int result);
    // Publishes `path` and asks the receiver to play it (video, or audio
    // with its picture leg). 0 or a code; a refused play withdraws the file.
    int PlayMediaFile(const std::wstring& path, bool findPort, int transcode, bool audio);
    // Shows the capture window beside a playing audio file; failures are
    // logged and leave the audio playing.
    void StartAudioPicture();
    // Withdraws the served file locally and forgets the media texts.
    void ForgetMediaFile(bool busyStep);
    // Receiver input asks for low latency: a small acknowledgement window and
    // no pre-buffering, on receivers above 0x11d while the image channel is up.
    void SwitchToLowLatency();

    // Channels: declared first so that they are built first and destroyed
    // last; Shutdown() stops their threads before anything else goes.
    CmdClientAdaptor m_Cmd;
    IBClientAdaptor m_IB;

    std::mutex m_RecordLock;       // guards the three records below
    sockaddr_in m_LocalAddress{};  // local end of the command connection
    DevAnnounce m_DeviceRecord;
    DeviceCapRecord m_CapRecord;

    MediaSession m_Media;
    ProjectionSettings m_Settings;
    LoginIdentity m_Identity;
    AbsolutePointerTracker m_PointerTracker;

    // Busy state: the discovery flag, and a count of the long local steps
    // (discovery, media) in progress.
    std::atomic<bool> m_Discovering{false};
    std::atomic<int> m_BusyCount{0};
    std::atomic<bool> m_InEvent{false};

    std::mutex m_CacheLock;  // guards m_DiscoveryCache
    std::map<uint32_t, DevAnnounce> m_DiscoveryCache;
    std::atomic<uint32_t> m_PeerAddress{0};

    boost::recursive_timed_mutex m_OperationLock;
    boost::recursive_mutex m_ConnectionLock;

    // What the running projection negotiated.
    std::atomic<uint8_t> m_PlayMode{0x80};
    std::atomic<uint8_t> m_NegotiatedBpp{0};
    std::atomic<float> m_EnlargeFactorF{1.0f};
    std::atomic<uint8_t> m_CodingInUse{0};
    std::atomic<uint64_t> m_ProjectionStartMs{0};
    std::atomic<bool> m_Resync{false};
    std::atomic<uint32_t> m_Key{0};  // the 4 key bytes as received, in memory order
    std::atomic<bool> m_VideoRepeat{false};

    std::mutex m_LogLock;   // serialises SetLog
    std::mutex m_TextLock;  // guards the image file and the no-binding ports
    std::wstring m_ImageFile;
    std::vector<uint16_t> m_NoBindingPorts;

    std::atomic<platform::SocketHandle> m_AcceptedIBSocket{platform::kInvalidSocket};

    std::once_flag m_ShutdownOnce;
    std::atomic<bool> m_ShutDown{false};
    // The most-derived type seen by an operation: a debug build checks at
    // destruction that a derived class called Shutdown() itself.
    std::atomic<const std::type_info*> m_UsedAs{nullptr};
};
