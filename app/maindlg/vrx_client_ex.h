// CQKVRXClientEx: the application's client class. Every receiver connection
// that the user interface drives is one of these: the main dialog's client,
// the clients of the connect page, the temporary clients of the search and
// of the command file (one ClientFactory makes them all).
//
// Over the sender-server facade it adds:
// - events: the facade's callbacks are posted to the window that registered
//   as the event target (client_events.h); without a target, or with a
//   target class other than the two dialogs', nothing goes anywhere;
// - the start and stop of a projection tell the target (commands 10376 and
//   10388 to the main dialog, the event "StartPlayImage" to a common dialog);
// - around the main dialog's projection, the PC's display mode and the
//   mute of its speakers (ProjectionSurroundings);
// - audio projection through the module "Sonavel" on a full-screen start;
//   no such module exists on this system, so the first start that would use
//   it logs once that audio projection is not available and the projection
//   goes on silently;
// - the receiver's password check (a forwarded "CHK_PWD" message) answered
//   against the sender's own login code, with every length checked against
//   the data;
// - the receiver identity that the application's login flows keep with the
//   client (address, names, user name, login code, description, flags).
//
// THREADING: callbacks run on the library's threads and only post; the
// identity members are read and written by the user-interface thread; the
// own login code, the target and the surroundings are guarded.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "app/maindlg/client_events.h"
#include "app/maindlg/projection_surroundings.h"
#include "platform/socket.h"
#include "platform/window/window_id.h"
#include "platform/window/window_message.h"
#include "vrxclientsdk/VRXClient/senderserver/SenderServer.h"

namespace pemuapp {

// The outside audio-projection module's entries; each may be empty.
struct AudioModule {
    // The stream to the receiver's audio port at `address`.
    std::function<int(const std::string& address, int port, int rate, int channels, int bits,
                      int bufferBytes)>
        start;
    // The stream over a connection the receiver opened (handed over).
    std::function<int(platform::SocketHandle socket, int rate, int channels, int bits,
                      int bufferBytes)>
        startWithSocket;
    std::function<void()> stop;
    // The time of the image channel's first captured frame, to keep sound
    // and picture together.
    std::function<void(long firstCaptureTime)> setVideoStartTime;

    bool Loaded() const { return start || startWithSocket; }
};

class CQKVRXClientEx : public SenderServer {
public:
    // Delivers a message to a window; false when the window is gone.
    using Poster = std::function<bool(platform::WindowId, const platform::Message&)>;
    // The message id of the forwarded messages the adapter answers.
    static constexpr uint32_t kForwardTextId = 0x1000020;
    static constexpr int kMinAudioBufferBytes = 11008;

    // Posts through the process's window manager.
    CQKVRXClientEx();
    // Posts through `poster` (tests record).
    explicit CQKVRXClientEx(Poster poster);
    // Also replays input through `replay`, as SenderServer's.
    CQKVRXClientEx(Poster poster, std::shared_ptr<InputReplay> replay);
    ~CQKVRXClientEx() override;

    // Registers `window` as the event target under `className`
    // (kMainDialogTargetName or kCommonDialogTargetName); a null window ends it.
    void SetEventTarget(platform::WindowId window, const std::wstring& className);
    // The number a lost connection ("OnConnectClose") carries as its
    // argument, so that a dialog holding several clients knows whose it is
    // (0: none given).
    void SetEventSource(int64_t source) { m_eventSource = source; }
    // The sender's own login code that a receiver's password check must
    // match (the main dialog's; other targets compare with the empty text).
    void SetOwnLoginCode(const std::string& code);
    // Set while the main dialog carries out a command-file action: stop
    // events of a video then go nowhere.
    void SetCommandFileFlag(bool on) { m_commandFile = on; }
    // What the PC does around this client's projection while the main
    // dialog is its event target (borrowed; null: nothing).
    void SetSurroundings(ProjectionSurroundings* surroundings);

    int AudioBufferSize() const { return m_audioBuffer.load(); }
    // The module "Sonavel" when this system has one, else an empty module.
    static AudioModule LoadSonavel();
    // Another audio module (tests); set before the first projection.
    void SetAudioModule(AudioModule module) { m_audioModule = std::move(module); }
    // The reply text of a password check carried in `data`: "0" when the
    // text matches `expected`, else "-1" (also for data too short or a
    // length beyond the data).
    static std::string CheckPassword(const uint8_t* data, uint32_t size,
                                     const std::string& expected);

    // --- the receiver identity the application's flows keep ----------------
    uint32_t receiverAddress = 0;  // network order
    std::string receiverName;      // display name
    std::string connectName;
    std::string userName;
    std::string loginCode;  // the code a reconnect sends again; never logged
    bool loginCodeStored = false;
    std::string description;
    bool firstAppFlag = false;
    std::atomic<bool> featureFlag15{false};
    // The PC's sound can be captured (a mixer driver is present, or this
    // system needs none); set by the main dialog at start.
    std::atomic<bool> mixerReady{false};
    // The address given to Login, or the receiver that logged in, or the
    // receiver at a projection's start (network order).
    std::atomic<uint32_t> currentPeer{0};

    // --- overrides --------------------------------------------------------
    int Login(uint32_t ipv4, const char* name, const char* password) override;
    void SetPreBufTime(uint16_t ms) override;
    int StartPlayImage(uint8_t mode) override;
    int StopPlayImage() override;
    int PausePlayImage() override;
    void Logout() override;
    void OnStartPlayImage(const ByteString& payload) override;
    void OnStopPlayImage(const ByteString& payload) override;
    void OnChangeValue(const std::string& name, const std::string& value) override;
    void OnDeviceNotice(uint8_t notice) override;
    void OnStopVideo(uint8_t reason, const std::string& url, const uint8_t* status) override;
    void OnForwardMessage(uint32_t id, uint32_t size, const uint8_t* data,
                          ByteString& reply) override;
    void OnConnectClose() override;
    void OnSendIBError() override;
    using SenderServer::OnLogin;
    void OnLogin(const in_addr* receiver) override;

private:
    enum class TargetKind { kNone, kMain, kCommon };
    struct Target {
        TargetKind kind = TargetKind::kNone;
        platform::WindowId window;
    };
    Target CurrentTarget();
    // Posts `event` to the target (main or common dialog); false without one.
    bool Forward(ClientEvent event, int64_t argument = 0);
    bool PostCommand(const Target& target, uint32_t command);
    ProjectionSurroundings* MainSurroundings();
    void StartAudio(uint8_t mode);
    void StopAudio();

    Poster m_poster;
    std::mutex m_targetLock;  // guards m_target and m_ownCode
    Target m_target;
    std::string m_ownCode;
    ProjectionSurroundings* m_surroundings = nullptr;
    std::atomic<bool> m_commandFile{false};
    std::atomic<int64_t> m_eventSource{0};
    std::atomic<int> m_audioBuffer{kMinAudioBufferBytes};
    AudioModule m_audioModule;
    std::atomic<bool> m_audioRunning{false};
};

}  // namespace pemuapp
