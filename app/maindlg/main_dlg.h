// CQKinMainDlg: the program's main window and the owner of everything that
// lives for a run: the client that talks to the logged-in receiver, the
// command-file runner with its per-receiver clients, the application log,
// the receiver lists and the tray icon. This is its engine: the lifecycle
// (OnInitDialog, the start-up steps, AppExit, the destructor), the internal
// commands and timers, the receiver search, connect and login,
// presentation, the receiver events with the automatic reconnect, mouse
// handling of the borderless window and the quick-profile save. The pages
// and the rest of the window are reached through MainWindowParts; every
// modal dialog goes through the DialogRunner of its environment.
//
// Threads: one user-interface thread runs every handler. Discovery passes
// and the reconnect run on workers that build their results locally, post
// them and stop by token; the destructor joins them within a bound. Timers
// and waits follow the window layer's clock.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/maindlg/client_events.h"
#include "app/maindlg/login_code_overlay.h"
#include "app/maindlg/main_commands.h"
#include "app/maindlg/main_system_side.h"
#include "app/maindlg/main_window_parts.h"
#include "app/maindlg/quick_profile.h"
#include "app/maindlg/vrx_client_ex.h"
#include "app/settings/sender_paths.h"
#include "app/settings/sender_settings.h"
#include "app/startup/command_action.h"
#include "platform/window/window_manager.h"
#include "ui/dialogs/cqk_common_dlg.h"
#include "ui/dialogs/dialog_environment.h"
#include "ui/dialogs/dialog_runner.h"
#include "ui/dialogs/main_window_services.h"
#include "ui/widgets/skin_images.h"
#include "ui/widgets/tip_wnd.h"
#include "ui/widgets/tray_dialog.h"
#include "vrxclientsdk/VRPClient/DevAnnounce.h"

class Logger;

namespace platform {
class ChildProcess;
}

namespace pemuapp {

class CommandRunner;
class SettingsFile;

inline constexpr int64_t kReconnectNoticeParam = 10297;
// Results of the Wi-Fi join (the argument of kCmdWifiResult).
inline constexpr int64_t kWifiInUse = 50002;
inline constexpr int64_t kWifiNotManaged = 50006;
// The message that brings the main window forward (a double click elsewhere).
inline constexpr uint32_t kBringForwardMessage = 0x8000 + 100;
inline constexpr int64_t kBringForwardDoubleClick = 515;

// Timers of the main dialog.
enum MainTimer : uint32_t {
    kTimerMediaProgress = 168,
    kTimerOverlay = 169,
    kTimerSearchBlink = 170,
    kTimerSearchAnim = 171,
    kTimerReconnect = 173,
    kTimerMediaStep = 176,
    kTimerNetQuality = 211,
    kTimerRebootExit = ui::kMainTimerRebootExit,  // armed by the access-point-client page
    kTimerRefresh = 213,
    kTimerRefreshBurst = 214,
    kTimerKeepHidden = 249,
    kTimerConnectPage = 250,
    kTimerConference = 251,
    kTimerListPage = 265,
    kTimerSearch = 267,
    kTimerStartPause = 280,       // the pause after OnInitDialog, as a timer step
    kTimerPause = 281,            // PumpFor's end
    kTimerConferenceLimit = 282,  // a conference refresh that never reports ends
};

// Bits of the play-state word.
inline constexpr uint32_t kPlayBegun = 1u << 31;
inline constexpr uint32_t kPlayStopped = 1u << 23;
inline constexpr uint32_t kPlayPaused = 1u << 17;
inline constexpr uint32_t kPlayMediaBits = (1u << 12) | (1u << 13);
inline constexpr uint32_t kPlayPositionBits = 0x7Fu << 17;  // bits 17..22 (with paused)
inline constexpr uint32_t kPlayWhereBits = 0x1Fu << 18;     // bits 18..22
// The bit of a start position: 0 and 128 full screen (18), 1..4 bits 22..19.
uint32_t PlayPositionBit(int position);

// The message box text of an error code (string id), or 0 when the code
// shows nothing.
uint32_t ErrorMessageStringId(int code);

// The receivers a discovery pass lists, in discovery order: the records
// whose kind bytes (118, 119) are both 6, each with its row (name, dotted
// address). Every other record is logged ("DeviceDiscover():%d,%d") and
// skipped.
void ListReceivers(const std::vector<DevAnnounce>& found, Logger* log,
                   std::vector<DevAnnounce>* records, std::vector<ReceiverRow>* rows);

// What the receiver choice of the search page ended with: a receiver
// chosen (a row, also after an address was added by hand), the login to the
// receiver the client keeps (OK without a row), the tray (the page was
// closed), or nothing.
enum class CandidateOutcome { kChosen, kEmptyLogin, kMinimise, kNone };
CandidateOutcome ClassifyReceiverChoice(int result, int closeCode, int selectedRow,
                                        size_t receivers);

// The first `count` characters of UTF-8 `text` (whole characters).
std::string FirstCharacters(const std::string& text, size_t count);

class CQKinMainDlg : public ui::CTrayDialog, public ui::MainWindowServices {
public:
    using ClientFactory = std::function<std::unique_ptr<CQKVRXClientEx>()>;

    struct Services {
        SenderSettings settings;
        SenderPaths paths;
        SettingsFile* settingsFile = nullptr;  // null: settings are not written
        ClientFactory makeClient;              // null: plain CQKVRXClientEx
        MainWindowParts* parts = nullptr;      // null: the defaults
        ui::DialogRunner* runner = nullptr;    // null: the window runner
        CommandActionQueue* actions = nullptr;
        std::string userName;  // empty: the platform's user name
        // The skin folder (png/, bmp/, Language/) the dialogs draw from;
        // empty: the program's folder, where the build puts the skin.
        std::string skinFolder;
        // The application log file; empty: none (LogFile off).
        bool writeAppLog = true;
        // Seconds of a discovery pass (the product's 5).
        int discoverySeconds = 5;
        // A worker's wait (the reconnect's pauses); null: real sleep. Tests
        // move the fake clock here.
        std::function<void(uint32_t ms)> workerWait;
        // Bound of the wait for the client to become idle at the end.
        uint32_t busyWaitMs = 10000;
        // The PC's audio output, power plans and display (each may be null).
        SystemServices system;
        // The folder of the sound-device helper "Wemble"; empty: the
        // program's folder.
        std::string helperFolder;
        // The dialogs' page code and the access points the PC sees
        // (borrowed; null: not available).
        ui::PageOperations* pages = nullptr;
        platform::WifiProvider* wifi = nullptr;
    };

    CQKinMainDlg(platform::WindowManager& wm, Services services);
    ~CQKinMainDlg() override;

    // Creates the window (hidden, off screen) and runs OnInitDialog.
    bool Create();
    bool OnInitDialog();
    // The orderly exit; true when the program is ending.
    bool AppExit();

    // --- what the engine's parts and tests read ----------------------------
    CQKVRXClientEx* Client() { return m_client.get(); }
    uint32_t PlayState() const { return m_playState; }
    uint32_t PlayPositionWord() const { return m_playPosition; }
    bool IsProjecting() const { return m_projecting; }
    // The media seek knob's place (0 to 194).
    float MediaProgress() const { return m_mediaProgress; }
    const std::vector<ReceiverRow>& Receivers() const { return m_receivers; }
    int SelectedIndex() const { return m_selected; }
    Logger* AppLog() { return m_log.get(); }
    CommandRunner* Runner() { return m_runner.get(); }
    bool Exiting() const { return m_exiting; }
    // The receiver-list page is open (the window's list button sets it):
    // the list-page search runs instead of the search page's.
    void SetListPage(bool open) { m_listPage = open; }
    bool ListPage() const { return m_listPage; }
    // Set by the mode switches while they restart the projection: their
    // stop does not end USB sharing.
    void SetModeSwitching(bool on) { m_modeSwitching = on; }
    // More than two conference rows: the window uses its tall size.
    bool TallSize() const { return m_tall; }
    const ui::DialogEnvironment& DialogEnv() const { return m_env; }
    ui::DialogEnvironment& DialogEnv() { return m_env; }
    // The settings file; null when settings are not written.
    SettingsFile* SettingsStore() { return m_services.settingsFile; }
    // The PC's display; null when not available.
    platform::DisplaySettings* Display() { return m_services.system.display; }
    // The user name the sender logs in with.
    std::string UserName() const;
    // Shows the main window where it belongs.
    void ShowMainWindow() { ShowMain(); }
    // The login-code overlay for ten seconds.
    void ShowLoginCodeOverlay(const std::string& code);
    // The settings the window's settings panel changes for the rest of the run.
    SenderSettings& MutableSettings() { return m_settings; }
    LoginCodeOverlay& Overlay() { return m_overlay; }
    // The program's tooltip window (the page registers its tips with it).
    ui::CTipWnd& TipWindow() { return m_tip; }
    // The window carries the layered style (alpha 255).
    bool Layered() const { return m_layered; }
    MainSystemSide* SystemSide() { return m_system.get(); }

    // --- receiver search ----------------------------------------------------
    // One discovery pass through the main client (worker thread): the
    // number of listed receivers, -1 none (or no client), 0 another pass
    // runs, -2 the dialog is closing. The lists are handed to the UI thread.
    int DeviceDiscover();
    // Starts background discovery A (search page) or B (list page).
    void StartDiscoveryThread(bool listPage);
    void OnSearch();
    void Connecting();
    // The candidate loop: the receiver choice, then the login to the chosen
    // receiver, asked again after a failed login; true when one finished.
    bool TryListedReceivers();
    // The receiver choice; true when a receiver was chosen (candidate 0).
    bool PrepareCandidates();
    // The login to the receiver the client keeps, when the choice ended
    // without a row; then the question (type 29) and the projection.
    void ShowEmptyLoginDialog();
    // The receiver entry (type 30); true and EnteredReceiverText() set on OK.
    bool AskReceiverEntry();
    const std::string& EnteredReceiverText() const { return m_enteredReceiverText; }
    // A receiver the user added by address joins the receiver list at once
    // (the window's list is refilled), listed under its address until a
    // name is given; a row with the same address only takes a given name.
    // Two or more rows are the several-receivers mode.
    void AddListedReceiver(const ReceiverRow& row);

    // --- connect and login ----------------------------------------------------
    void ShowErrorMessage(int code);
    bool LoginToReceiver(const std::string& address);
    // Connects and logs in to the profile's receiver with the receiver's
    // fixed code, saves the profile first in the profile file, then
    // projects full screen unless the receiver is in use.
    bool ConnectReceiverByIp(const QuickProfile& profile);
    void SetVrxSpecFunc();

    // --- presentation -------------------------------------------------------------
    // False when the stream started, true when it failed (after its message).
    bool Presentation(int position);
    int StopProjection();
    // Pauses the running projection (the play state keeps its position and
    // gains the paused bit); the client's result.
    int PauseProjection();
    void SetSpeedScreen(bool speedy);

    // --- receiver events and reconnect -----------------------------------------------
    void VRXClientEXDoEvent(ClientEvent event, int64_t argument);
    void StartReconnect();
    void CancelReconnect();
    // Restarts the stream that ran before the connection was lost (the
    // play-state word as it was); true when nothing had to be restarted or
    // the restart went through.
    bool ReplayVRX() { return Replay(m_playState); }
    void ResetToSearchPage();
    bool ReconnectRunning() const { return m_reconnectRunning; }
    // How many reconnect threads were started.
    int ReconnectStarts() const { return m_reconnectStarts; }
    bool Reconnected() const { return m_reconnected; }

    // --- the windowing side ---------------------------------------------------------
    int64_t OnMessage(platform::WindowId self, const platform::Message& msg) override;
    // The keyboard of the main window (key-down only): Enter commits the
    // device name, Space does nothing, Esc cancels the name or leaves the
    // list page, Up and Down scroll the receiver list, F5 refreshes.
    bool PreTranslate(platform::WindowId self, const platform::Message& msg) override;
    void OnCommand(uint32_t id, int64_t param);
    void OnTimer(uint32_t id);

    // --- MainWindowServices --------------------------------------------------------
    const SenderSettings& Settings() const override { return m_settings; }
    bool WriteSetting(const std::string& key, const std::string& value) override;
    int RunDeviceDiscover(std::vector<DevAnnounce>& result) override;
    std::unique_ptr<VRXClient> MakeClient(platform::WindowId eventTarget) override;
    std::unique_ptr<VRXClient> MakeRowClient(platform::WindowId eventTarget,
                                             int64_t eventSource) override;
    VRXClient* MainClient() override { return m_client.get(); }
    platform::WindowId MainWindowId() const override { return Window(); }
    std::string LanguageName() const override { return m_settings.languageId; }
    void ApplyLanguageName(const std::string& name) override { m_settings.languageId = name; }
    void StoreDeviceNameAndWifiKey(const std::string& key) override;
    void ShowReceiverRebootNotice() override;

private:
    struct DiscoveryResult {
        std::vector<ReceiverRow> rows;
        std::vector<DevAnnounce> records;
    };
    std::unique_ptr<CQKVRXClientEx> NewClient();
    // The layered style on (alpha 255) or off; the flag follows.
    void SetLayered();
    void ClearLayered();
    void SetupAppLog();
    // Starts the sound-device helper with the system log path when it is
    // installed; it runs on its own.
    void StartSoundHelper();
    void ClearLogFolder();
    void RunStartupSteps();
    void ProcessCommandLineFile();
    // A receiver the command file logged in to ends the open receiver choice:
    // the window shows that receiver instead of looking for one.
    void EndChoiceAfterHandOff();
    // True when a client of this run is already logged in to the receiver
    // at `address` (network order): the main one, or one of the command
    // file's.
    bool LoggedInTo(uint32_t address);
    void SetTimer(uint32_t id, uint32_t ms);
    void KillTimer(uint32_t id);
    void SetTrayPicture(uint32_t icon);
    void ShowMain();
    void HideMain();
    void CentreHidden();
    int RunBox(int type, uint32_t titleId, const std::string& text);
    DiscoveryResult Discover(CQKVRXClientEx& client);
    void TakeDiscoveryResult(bool listPage);
    void JoinWorkers();
    void OnStartPlayImageCommand();
    void OnStoppedByReceiver();
    void OnConnectionClosed();
    void ReconnectThread(uint32_t address, std::string user, std::string code, uint32_t playState);
    bool Replay(uint32_t playState);
    void WorkerWait(uint32_t ms);
    void Paint();
    // The search page as Connecting and the Wi-Fi result show it.
    void ShowSearchPage();
    void OnWifiResult(int64_t result);
    // The client projects the screen or a media file (states 1 to 4).
    bool ClientStreaming();
    // Projects full screen unless the device status says the receiver is in
    // use (then the play state shows stopped).
    // `settleFirst`: the extended desktop (when chosen) follows a pause of
    // 2 s, the window working on meanwhile.
    void StartProjectionUnlessBusy(const uint8_t status[2], bool settleFirst = false);
    // Runs the window's messages for `ms` (a timer step on the window
    // manager's clock); false when the program ends meanwhile.
    bool PumpFor(uint32_t ms);
    void CommitDeviceName();
    // The mouse on the window itself (client coordinates).
    void OnLButtonDown(platform::Point client);
    void OnMouseMove(platform::Point client);
    void OnLButtonUp();
    void OnMouseWheel(int steps);
    bool InBottomEdge(platform::Point client) const;
    // The north-south sizing arrow (true) or the arrow as the window's cursor.
    void ShowSizingCursor(bool sizing);
    void ResizeStep(platform::Point screen);

    platform::WindowManager& m_wm;
    Services m_services;
    SenderSettings m_settings;
    MainWindowParts m_defaultParts;
    MainWindowParts* m_parts;
    ui::WindowDialogRunner m_windowRunner;
    std::unique_ptr<ui::SkinImages> m_skin;
    ui::DialogEnvironment m_env;
    std::unique_ptr<Logger> m_log;
    // The sound-device helper; it ends with the program.
    std::unique_ptr<platform::ChildProcess> m_soundHelper;
    LoginCodeOverlay m_overlay;
    ui::CTipWnd m_tip;
    bool m_layered = false;
    std::unique_ptr<MainSystemSide> m_system;  // outlives the client that calls it
    std::unique_ptr<CQKVRXClientEx> m_client;
    std::unique_ptr<CommandRunner> m_runner;

    // Lists: filled on the UI thread from the workers' posted results.
    std::vector<DevAnnounce> m_records;
    std::vector<ReceiverRow> m_receivers;
    int m_selected = -1;
    std::mutex m_resultLock;  // guards the pending results
    std::unique_ptr<DiscoveryResult> m_pendingA, m_pendingB;

    // Workers.
    std::atomic<bool> m_abort{false};
    std::atomic<bool> m_passRunning{false};
    std::atomic<bool> m_threadA{false}, m_threadB{false};
    struct Worker {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };
    // Starts `body` on a worker; finished workers are joined on the way.
    void StartWorker(std::function<void()> body);
    std::mutex m_workerLock;  // guards m_workers
    std::vector<Worker> m_workers;
    std::atomic<bool> m_reconnectStop{false};
    std::atomic<bool> m_reconnectFinished{true};
    std::atomic<bool> m_reconnected{false};
    std::atomic<bool> m_reconnectRunning{false};
    int m_reconnectStarts = 0;

    // Flags of the commands and timers.
    bool m_listPage = false;
    bool m_closingHandled = false;
    bool m_conferenceBusy = false;
    bool m_dialogBusy = false;
    bool m_startPlayBusy = false;
    bool m_suppressReconnect = false;
    bool m_keepHidden = false;
    bool m_connecting = false;
    bool m_projecting = false;
    bool m_ready = true;
    bool m_exiting = false;
    bool m_inCommandFile = false;
    bool m_started = false;
    int m_startPlayCounter = 0;
    int m_burstCounter = 0;
    uint32_t m_playPosition = 0;
    uint32_t m_playState = 0;
    int m_currentPosition = 128;
    bool m_playRunning = false;
    float m_mediaProgress = 0.0f;
    // The play state of the projection that a lost connection interrupted
    // (an image-channel error that comes first clears the live word).
    uint32_t m_replayState = 0;
    bool m_speedy = false;
    bool m_wifiJoined = false;   // set by the Wi-Fi join flow
    uint32_t m_lastAddress = 0;  // the receiver of the last login (network order)
    std::string m_lastUser;

    // The candidate loop.
    std::vector<DevAnnounce> m_candidates;
    size_t m_candidateIndex = 0;
    bool m_listOnly = false;
    std::string m_chosenIp;                 // the chosen row's dotted address
    std::vector<std::string> m_passedOver;  // declined or failed in this search
    bool m_severalCandidates = false;
    // The receiver choice while it runs modally (null otherwise).
    ui::CQKCommonDlg* m_choice = nullptr;
    bool m_conferenceWanted = false;
    bool m_rebootRequested = false;  // the receiver was told to reboot
    bool m_tall = false;
    bool m_modeSwitching = false;
    std::string m_enteredReceiverText;

    // The mouse: the drag anchor and the bottom-edge resize.
    platform::Point m_dragAnchor;
    bool m_resizeActive = false;
    bool m_sizingCursor = false;  // the window shows the sizing arrow
    bool m_pauseOver = false;     // PumpFor's timer came
};

}  // namespace pemuapp
