// The main dialog's lifecycle: construction, OnInitDialog with its start-up
// steps, the application log, AppExit and the destructor.
#include "app/maindlg/main_dlg.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "app/maindlg/address_text.h"
#include "app/res/translator.h"
#include "app/settings/registry_store.h"
#include "app/settings/settings_file.h"
#include "app/startup/command_runner.h"
#include "platform/child_process.h"
#include "platform/clock.h"
#include "platform/dynload.h"
#include "platform/user_name.h"
#include "vrxclientsdk/VRPClient/Logger.h"
#include "vrxclientsdk/VRXClient/capture/FrameBufferBase.h"

namespace pemuapp {
namespace {

constexpr const char* kAppLogName = "Quorvane Sender_App.log";
constexpr const char* kSystemLogName = "System.log";
constexpr const char* kSoundHelperName = "Wemble";
constexpr const char* kRegistryKey = "SOFTWARE\\KIRSO";
constexpr uint32_t kWidth = 526, kHeight = 230, kTallHeight = 400;
// The pause after the window's set-up, taken as a timer step.
constexpr uint32_t kStartPauseMs = 1500;
// A conference refresh that has not reported by then is taken as ended.
constexpr uint32_t kConferenceLimitMs = 20000;
// Codes of the start-up steps posted to the window itself.
constexpr uint32_t kRunStartupSteps = 0x5E10;
constexpr uint32_t kDiscoveryDone = 0x5E11;
constexpr uint32_t kReconnectDone = 0x5E12;

}  // namespace

CQKinMainDlg::CQKinMainDlg(platform::WindowManager& wm, Services services)
    : m_wm(wm),
      m_services(std::move(services)),
      m_settings(m_services.settings),
      m_parts(m_services.parts ? m_services.parts : &m_defaultParts),
      m_overlay(wm) {
    m_env.runner = m_services.runner ? m_services.runner : &m_windowRunner;
    m_env.mainWindow = this;
    m_env.pages = m_services.pages;
    m_env.wifi = m_services.wifi;
    m_env.skinFolder =
        m_services.skinFolder.empty() ? platform::ProgramFolder() : m_services.skinFolder;
    m_skin = std::make_unique<ui::SkinImages>(m_env.skinFolder);
    m_env.skin = m_skin.get();
}

CQKinMainDlg::~CQKinMainDlg() {
    m_abort = true;
    m_reconnectStop = true;
    JoinWorkers();
    m_runner.reset();
    if (m_client) {
        // Bounded: a receiver that never answers does not keep the program.
        const uint64_t end = platform::NowMs() + m_services.busyWaitMs;
        while (m_client->IsBusy() && platform::NowMs() < end) {
            platform::SleepMs(30);
        }
        m_client->SetEventTarget({}, L"");
        m_client->StopPlayImage();
        m_client->Logout();
        m_client->StopSenderServer();
        m_client.reset();
    }
    if (m_log) {
        QK_LOG(m_log.get(), LOG_DEBUG,
               "================== End of Quorvane Sender Log ==================");
    }
    if (Window()) {
        m_wm.Destroy(Window());
    }
}

std::unique_ptr<CQKVRXClientEx> CQKinMainDlg::NewClient() {
    auto client =
        m_services.makeClient ? m_services.makeClient() : std::make_unique<CQKVRXClientEx>();
    if (client && m_log) {
        client->SetLogger(m_log.get());
    }
    return client;
}

std::unique_ptr<VRXClient> CQKinMainDlg::MakeClient(platform::WindowId eventTarget) {
    auto client = NewClient();
    if (client) {
        client->SetEventTarget(eventTarget, kCommonDialogTargetName);
    }
    return client;
}

std::unique_ptr<VRXClient> CQKinMainDlg::MakeRowClient(platform::WindowId eventTarget,
                                                       int64_t eventSource) {
    auto client = NewClient();
    if (client) {
        client->SetEventSource(eventSource);
        client->SetEventTarget(eventTarget, kCommonDialogTargetName);
    }
    return client;
}

bool CQKinMainDlg::WriteSetting(const std::string& key, const std::string& value) {
    return m_services.settingsFile && m_services.settingsFile->WriteSetting(key, value);
}

void CQKinMainDlg::StoreDeviceNameAndWifiKey(const std::string& key) {
    WriteSetting("DeviceNameByVornCipher", m_client ? m_client->receiverName : std::string());
    WriteSetting("WifiKeyByVornCipher", key);
}

void CQKinMainDlg::ShowReceiverRebootNotice() {
    m_parts->ShowReceiverRebootNotice();
}

std::string CQKinMainDlg::UserName() const {
    return m_services.userName.empty() ? platform::UserName() : m_services.userName;
}

bool CQKinMainDlg::Create() {
    if (!ui::CTrayDialog::Create()) {
        return false;
    }
    return OnInitDialog();
}

void CQKinMainDlg::ClearLogFolder() {
    const std::string& folder = m_services.paths.logFolder;
    if (folder.empty()) {
        return;
    }
    // Only the files of our own log folder; nothing above or beside it.
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (dirent* e = ::readdir(dir)) {
            const std::string path = folder + "/" + e->d_name;
            struct stat st {};
            if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
                ::unlink(path.c_str());
            }
        }
        ::closedir(dir);
    }
}

void CQKinMainDlg::SetupAppLog() {
    const bool wanted = m_settings.LibraryLogWanted() && m_services.writeAppLog;
    if (!m_services.paths.registryFile.empty()) {
        RegistryStore registry(m_services.paths.registryFile);
        registry.SetValue(kRegistryKey, "LogPath", wanted ? m_services.paths.logFolder : "");
    }
    if (!wanted || m_services.paths.logFolder.empty()) {
        return;
    }
    std::error_code ec;
    std::filesystem::create_directories(m_services.paths.logFolder, ec);
    auto log = std::make_unique<Logger>();
    const std::string path = m_services.paths.logFolder + "/" + kAppLogName;
    if (log->Open(path.c_str(), LOG_DEBUG, false) != 0) {
        return;  // the program runs without its log
    }
    QK_LOG(log.get(), LOG_DEBUG, "================== Quorvane Sender Log ==================");
    QK_LOG(log.get(), LOG_DEBUG, "This program is compiled on %s %s", __DATE__, __TIME__);
    m_log = std::move(log);
    StartSoundHelper();
}

void CQKinMainDlg::StartSoundHelper() {
    const std::string folder =
        m_services.helperFolder.empty() ? platform::ProgramFolder() : m_services.helperFolder;
    const std::string program = folder + "/" + kSoundHelperName;
    if (::access(program.c_str(), X_OK) != 0) {
        QK_LOG(m_log.get(), LOG_DEBUG, "the sound-device helper is not installed (%s)",
               program.c_str());
        return;
    }
    int error = 0;
    m_soundHelper = platform::ChildProcess::Start(
        program, {m_services.paths.logFolder + "/" + kSystemLogName}, &error);
    if (!m_soundHelper) {
        QK_LOG(m_log.get(), LOG_ERROR, "the sound-device helper did not start (%s: %d)",
               program.c_str(), error);
    }
}

bool CQKinMainDlg::OnInitDialog() {
    SetDXEMode(1);
    ClearLogFolder();
    SetupAppLog();
    // The PC's side after the log is open, so that its steps are logged.
    m_system = std::make_unique<MainSystemSide>(m_services.system, m_settings, m_log.get());
    m_system->StartUp();
    m_client = NewClient();
    if (!m_client) {
        QK_LOG(m_log.get(), LOG_ERROR, "m_pVrxEx == NULL");
    } else {
        m_client->SetOwnLoginCode(m_settings.loginCode);
        m_client->SetSurroundings(m_system.get());
    }
    SetDXEVSync(m_settings.turnOffVsync ? 0 : 1);
    CommandRunner::Hooks hooks;
    hooks.makeClient = [this]() -> std::unique_ptr<VRXClient> { return NewClient(); };
    hooks.onExit = [this] { AppExit(); };
    hooks.userName = m_services.userName;
    m_runner = std::make_unique<CommandRunner>(std::move(hooks), m_log.get());

    m_wm.SetTitle(Window(), appres::Translator::Translate(std::string_view("Pemu")));
    InitTray("Quorvane Sender");
    m_parts->BuildMainPage();
    SetTrayIcon(ui::kTrayIconIdle, true);
    m_wm.Move(Window(), platform::Rect::FromXywh(-10000, -10000, kWidth, kHeight));
    HideMain();
    if (m_client && m_settings.LibraryLogWanted()) {
        const std::string path = m_services.paths.logFolder + "/" + m_settings.logFile;
        m_client->SetLog(path.c_str(), m_settings.logLevel, m_settings.logAppend);
    }
    // The layered style where the display composites windows; the tips of
    // the page; the mixer-ready flag of the client.
    if (m_wm.SupportsLayered()) {
        SetLayered();
    }
    m_tip.CreateTipWindow(Window());
    if (m_client && (m_system->OsCode() >= 17 || m_system->MixerDriverState() == 0)) {
        m_client->mixerReady = true;
    }
    SetTimer(kTimerKeepHidden, 100);
    // The pause before the start-up steps, as a timer step: the loop runs on.
    SetTimer(kTimerStartPause, kStartPauseMs);
    QK_LOG(m_log.get(), LOG_DEBUG, "OnInitDialog():END");
    return true;
}

void CQKinMainDlg::SetLayered() {
    m_wm.SetOpacity(Window(), 255);
    m_layered = true;
}

void CQKinMainDlg::ClearLayered() {
    m_layered = false;
    m_wm.Invalidate(Window());
}

void CQKinMainDlg::ShowLoginCodeOverlay(const std::string& code) {
    if (m_overlay.Show(code)) {
        SetTimer(kTimerOverlay, 10000);
    }
}

// The start-up steps, on the UI thread once the window is set up.
void CQKinMainDlg::RunStartupSteps() {
    if (m_started) {
        return;
    }
    m_started = true;
    if (m_parts->RunUpdateCheck()) {
        m_wm.PostCommand(Window(), kCmdAutoExit);
        return;
    }
    m_parts->SelectLanguage();
    if (m_settings.firstTimeStartApplication) {
        m_parts->ShowFirstStartDialog();
    }
    m_parts->SetupSenderIdentity();
    m_parts->CheckResolution();
    if (m_client) {
        m_client->SetEventTarget(Window(), kMainDialogTargetName);
    }
    m_wm.PostCommand(Window(), kCmdConnect);
    if (m_services.actions && m_services.actions->Size() > 0) {
        m_wm.PostCommand(Window(), kCmdProcessCommandFile);
    }
}

void CQKinMainDlg::ProcessCommandLineFile() {
    if (!m_services.actions || !m_runner) {
        return;
    }
    m_inCommandFile = true;
    if (m_client) {
        m_client->SetCommandFileFlag(true);
    }
    m_runner->RunQueued(*m_services.actions);
    if (m_client) {
        m_client->SetCommandFileFlag(false);
    }
    m_inCommandFile = false;
    EndChoiceAfterHandOff();
}

void CQKinMainDlg::EndChoiceAfterHandOff() {
    if (!m_choice || !m_runner || m_exiting) {
        return;
    }
    std::vector<ui::DiscoveredReceiver> rows;
    std::vector<DevAnnounce> records;
    for (size_t i = 0; i < m_runner->ClientCount(); ++i) {
        const CommandRunner::ClientEntry& entry = m_runner->Client(i);
        if (!entry.client || entry.client->GetStatus() == kVrxDisconnected) {
            continue;
        }
        DevAnnounce record = entry.client->GetDeviceRecord();
        if (record.GetIPv4() == 0) {
            record.SetIPv4(entry.address);
        }
        rows.push_back({record.GetName(), DottedAddress(record.GetIPv4())});
        records.push_back(record);
    }
    if (m_choice->EndWithReceivers(std::move(rows), std::move(records))) {
        QK_LOG(m_log.get(), LOG_DEBUG, "the command file logged in: the choice ends");
    }
}

bool CQKinMainDlg::LoggedInTo(uint32_t address) {
    if (address == 0) {
        return false;
    }
    if (m_client && m_client->GetStatus() != kVrxDisconnected &&
        m_client->receiverAddress == address) {
        return true;
    }
    for (size_t i = 0; m_runner && i < m_runner->ClientCount(); ++i) {
        const CommandRunner::ClientEntry& entry = m_runner->Client(i);
        if (entry.client && entry.address == address &&
            entry.client->GetStatus() != kVrxDisconnected) {
            return true;
        }
    }
    return false;
}

int CQKinMainDlg::RunBox(int type, uint32_t titleId, const std::string& text) {
    ui::CQKCommonDlg box(m_env);
    box.SetType(type);
    box.SetTitleText(appres::Translator::LoadString(titleId));
    box.SetMessageText(text);
    box.SetReference(Window());
    return m_env.runner->DoModal(box);
}

bool CQKinMainDlg::AppExit() {
    if (m_exiting) {
        return true;
    }
    // A discovery pass under way is cancelled rather than ignoring the exit.
    m_abort = true;
    QK_LOG(m_log.get(), LOG_DEBUG, "App exit");
    if (ClientStreaming()) {
        const int answer = RunBox(9, 65292, appres::Translator::LoadString(65305));
        if (answer != ui::kIdOk) {
            m_abort = false;  // the exit is cancelled: searches go on
            return false;
        }
        KillTimer(kTimerNetQuality);
        m_overlay.Hide();
        if (m_parts->IsUsbSharingOn()) {
            m_parts->StopUsbSharing();
        }
        m_client->Logout();
    }
    m_receivers.clear();
    m_records.clear();
    KillTimer(kTimerConference);
    m_exiting = true;
    m_reconnectStop = true;
    // The speakers, the power plan, composition and the display mode as
    // they were before the program started.
    if (m_system) {
        m_system->Exit();
    }
    QK_LOG(m_log.get(), LOG_DEBUG, "App exit");
    m_wm.PostQuit(0);
    return true;
}

void CQKinMainDlg::StartWorker(std::function<void()> body) {
    std::lock_guard<std::mutex> guard(m_workerLock);
    for (auto it = m_workers.begin(); it != m_workers.end();) {
        if (it->done->load()) {
            it->thread.join();
            it = m_workers.erase(it);
        } else {
            ++it;
        }
    }
    auto done = std::make_shared<std::atomic<bool>>(false);
    m_workers.push_back({std::thread([body = std::move(body), done] {
                             body();
                             *done = true;
                         }),
                         done});
}

void CQKinMainDlg::JoinWorkers() {
    std::vector<Worker> workers;
    {
        std::lock_guard<std::mutex> guard(m_workerLock);
        workers.swap(m_workers);
    }
    // Every worker stops by the abort token; discovery ends within its step.
    for (Worker& w : workers) {
        w.thread.join();
    }
}

void CQKinMainDlg::SetTimer(uint32_t id, uint32_t ms) {
    m_wm.SetTimer(Window(), id, ms);
}

void CQKinMainDlg::KillTimer(uint32_t id) {
    m_wm.KillTimer(Window(), id);
}

void CQKinMainDlg::SetTrayPicture(uint32_t icon) {
    SetTrayIcon(icon, false);
}

void CQKinMainDlg::ShowMain() {
    m_wm.Show(Window(), true);
    m_wm.Invalidate(Window());
}

void CQKinMainDlg::HideMain() {
    m_wm.Show(Window(), false);
}

void CQKinMainDlg::CentreHidden() {
    HideMain();
    const platform::Rect screen = m_wm.ScreenArea();
    const int height = static_cast<int>(m_tall ? kTallHeight : kHeight);
    m_wm.Move(Window(), platform::Rect::FromXywh(screen.left + (screen.Width() - int(kWidth)) / 2,
                                                 screen.top + (screen.Height() - height) / 2,
                                                 kWidth, height));
}

int64_t CQKinMainDlg::OnMessage(platform::WindowId self, const platform::Message& msg) {
    using platform::MessageKind;
    switch (msg.kind) {
        case MessageKind::kCommand:
            if (msg.code == kCmdMenuExit) {
                AppExit();
                return 0;
            }
            OnCommand(msg.code, msg.param);
            break;  // the tray dialog sees every command too
        case MessageKind::kTimer:
            OnTimer(msg.code);
            if (msg.code < 0x7E00) {
                return 0;
            }
            break;
        case MessageKind::kClose:
            AppExit();
            return 0;
        case MessageKind::kPaint:
            if (!m_parts->PaintMainWindow(msg.rect)) {
                Paint();
            }
            return 0;
        case MessageKind::kShow:
            // Shown: the page is drawn without the layered style.
            if (msg.code == 1 && m_layered) {
                ClearLayered();
            }
            break;
        case MessageKind::kButtonDown:
            if (msg.button == platform::MouseButton::kLeft) {
                OnLButtonDown(msg.point);
            }
            break;
        case MessageKind::kMouseMove:
            OnMouseMove(msg.point);
            break;
        case MessageKind::kButtonUp:
            if (msg.button == platform::MouseButton::kLeft) {
                OnLButtonUp();
            }
            break;
        case MessageKind::kCaptureLost:
            m_resizeActive = false;
            break;
        case MessageKind::kWheel:
            OnMouseWheel(static_cast<int>(msg.param));
            return 0;
        case MessageKind::kUser:
            if (msg.code == kClientEventMessage) {
                VRXClientEXDoEvent(static_cast<ClientEvent>(msg.param), msg.param2);
                return 0;
            }
            if (msg.code == kRunStartupSteps) {
                RunStartupSteps();
                return 0;
            }
            if (msg.code == kDiscoveryDone) {
                TakeDiscoveryResult(msg.param != 0);
                return 0;
            }
            if (msg.code == kBringForwardMessage && msg.param == kBringForwardDoubleClick) {
                ShowMain();
                m_wm.Raise(Window());
                return 0;
            }
            if (msg.code == kReconnectDone) {
                if (!m_reconnected) {
                    ResetToSearchPage();
                }
                return 0;
            }
            break;
        default:
            break;
    }
    return ui::CTrayDialog::OnMessage(self, msg);
}

void CQKinMainDlg::OnTimer(uint32_t id) {
    switch (id) {
        case kTimerStartPause:
            KillTimer(id);
            m_wm.Post(Window(), platform::Message::User(kRunStartupSteps));
            break;
        case kTimerMediaProgress:
            if (!m_client || m_client->GetStatus() != kVrxMediaPlaying) {
                m_mediaProgress = 0.0f;
                KillTimer(id);
                m_wm.Invalidate(Window());
            } else if (const int duration = m_client->GetMediaDuration();
                       m_ready && duration > 0 && m_mediaProgress < 188.0f) {
                // A file without a known length moves nothing (no division by 0).
                m_mediaProgress += 194.0f / static_cast<float>(duration);
                m_wm.Invalidate(Window());
            }
            break;
        case kTimerOverlay:
            KillTimer(id);
            m_overlay.Hide();
            break;
        case kTimerSearchBlink:
            m_parts->AnimateWidget(10004);
            break;
        case kTimerSearchAnim:
            m_parts->AnimateWidget(10005);
            break;
        case kTimerReconnect:
            KillTimer(id);
            StartReconnect();
            break;
        case kTimerMediaStep:
            KillTimer(id);
            break;
        case kTimerNetQuality:
            if (m_client) {
                QK_LOG(m_log.get(), LOG_DEBUG, "GetNetQuality: %d, GetFramRate: %d",
                       m_client->GetNetQuality(), m_client->GetFrameCount());
            }
            break;
        case kTimerRebootExit:
            KillTimer(id);
            if (m_client) {
                m_client->Logout();
            }
            AppExit();
            break;
        case kTimerRefresh:
            if (m_startPlayCounter >= 5) {
                KillTimer(id);
                m_startPlayCounter = 0;
            } else {
                ++m_startPlayCounter;
            }
            if (m_client) {
                m_client->RefreshScreenImage();
            }
            break;
        case kTimerRefreshBurst:
            // Ten refreshes 50 ms apart, as timer steps: the loop runs on.
            if (++m_burstCounter >= 10) {
                KillTimer(id);
                m_burstCounter = 0;
            } else if (m_burstCounter == 1) {
                m_wm.SetTimer(Window(), id, 50);
            }
            if (m_client) {
                m_client->RefreshScreenImage();
            }
            break;
        case kTimerKeepHidden:
            CentreHidden();
            break;
        case kTimerConference:
            if (m_conferenceBusy || m_dialogBusy || m_startPlayBusy) {
                break;
            }
            if (m_parts->IsDeviceNameEditVisible()) {
                QK_LOG(m_log.get(), LOG_DEBUG, "Edit box is shown for device name");
                break;
            }
            QK_LOG(m_log.get(), LOG_DEBUG, "IDT_AUTOGETCONFERENCEINFO");
            // Busy until 10389 reports the refresh, or until the limit: a
            // refresh that gets no answer never reports.
            m_conferenceBusy = true;
            SetTimer(kTimerConferenceLimit, kConferenceLimitMs);
            m_parts->FetchConferenceInfo();
            break;
        case kTimerConferenceLimit:
            KillTimer(id);
            if (m_conferenceBusy) {
                QK_LOG(m_log.get(), LOG_WARN,
                       "the conference information did not come within %u ms; refreshed again",
                       kConferenceLimitMs);
                m_conferenceBusy = false;
            }
            break;
        case kTimerPause:
            KillTimer(id);
            m_pauseOver = true;
            break;
        case kTimerListPage:
            if (m_dialogBusy) {
                break;
            }
            KillTimer(id);
            if (m_listPage) {
                StartDiscoveryThread(true);
            }
            break;
        case kTimerSearch:
            if (!m_parts->IsDeviceNameEditVisible() && !m_listPage) {
                StartDiscoveryThread(false);
            }
            break;
        default:
            break;
    }
}

}  // namespace pemuapp
