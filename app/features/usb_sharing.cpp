#include "app/features/usb_sharing.h"

#include <arpa/inet.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "app/features/feature_host.h"
#include "app/features/message_box.h"
#include "app/res/translator.h"
#include "app/settings/sender_settings.h"
#include "platform/child_process.h"
#include "platform/log.h"
#include "platform/window/window_manager.h"
#include "ui/dialogs/cqk_common_dlg.h"
#include "ui/dialogs/dialog_runner.h"
#include "usbshare/ClientDeviceControl.h"
#include "usbshare/PorvaneCodes.h"
#include "vrxclientsdk/VRXClient/VRXClient.h"

namespace pemuapp {
namespace {

constexpr const char* kArea = "usbsharing";
constexpr auto kPumpPeriod = std::chrono::milliseconds(50);
constexpr uint8_t kFullScreenPosition = 128;
constexpr const char* kUdevadmPlaces[] = {"/usr/bin/udevadm", "/bin/udevadm", "/usr/sbin/udevadm",
                                          "/sbin/udevadm"};

// The object Porvane's callback reaches; the lock keeps it alive while a
// report is noted (which never blocks).
std::mutex g_hookLock;
UsbSharing* g_hook = nullptr;

}  // namespace

bool UsbStatusAllowsGoingOn(int status, bool busy) {
    if (busy) {
        return false;
    }
    if (status < 4 || (status >= 9 && status <= 16)) {
        return status == porvane::kStatusExportDone;
    }
    return true;  // 4 to 8, or above 16
}

UsbSharing::UsbSharing(FeatureHost& host, CClientDeviceControl* control, UsbSharingConfig config)
    : m_host(host),
      m_control(control),
      m_config(std::move(config)),
      m_enabled(host.Settings().enableZamp) {
    std::lock_guard<std::mutex> guard(g_hookLock);
    g_hook = this;
}

UsbSharing::~UsbSharing() {
    std::lock_guard<std::mutex> guard(g_hookLock);
    if (g_hook == this) {
        g_hook = nullptr;
    }
}

int UsbSharing::ZAMPMsgCallBack(char*, int code) {
    std::lock_guard<std::mutex> guard(g_hookLock);
    if (g_hook) {
        g_hook->OnReport(code);
    }
    return 0;
}

void UsbSharing::OnReport(int code) {
    if (code != porvane::kCbConnectionDropped && code != porvane::kCbDeviceLinkFailed) {
        return;
    }
    m_stopped = true;
    // One notice and one stop command for a loss, however many threads report it.
    if (!m_noticePending.exchange(true)) {
        m_host.PostCommand(kCmdStopAllUsbDevices);
    }
}

bool UsbSharing::CheckZAMPStatus(bool busy) {
    if (!m_control) {
        return true;
    }
    const int status = m_control->GetStatus();
    platform::Log(platform::LogLevel::kInfo, kArea, "CheckZAMPStatus::%d,status:%d", status,
                  busy ? 1 : 0);
    return UsbStatusAllowsGoingOn(status, busy);
}

bool UsbSharing::CheckZAMPDriverFolder() {
    struct stat st {};
    return ::stat(m_config.vhciFolder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool UsbSharing::ReceiverConnected(std::string* ip) {
    VRXClient* client = m_host.Client();
    if (!client) {
        return false;
    }
    const int status = client->GetStatus();
    if (status != kVrxProjecting && status != kVrxPaused) {
        return false;
    }
    char text[INET_ADDRSTRLEN] = {};
    in_addr a{};
    a.s_addr = client->GetPeerAddress();
    inet_ntop(AF_INET, &a, text, sizeof text);
    *ip = text;
    return true;
}

void UsbSharing::OnEnableZAMP() {
    std::string ip;
    const bool connected = ReceiverConnected(&ip);
    if (!CheckZAMPDriverFolder()) {
        ShowFeatureMessage(m_host, 65291, kStringNeedsVhci);
        return;
    }
    if (m_enabled) {
        m_enabled = false;
        m_host.WriteSetting("EnableZAMP", "false");
        if (connected && !m_stopped) {
            StopSharing();
        }
    } else {
        m_enabled = true;
        m_stopped = false;
        m_host.WriteSetting("EnableZAMP", "true");
        if (connected) {
            StartSharing(ip);
        }
    }
}

void UsbSharing::RunAndPump(const std::function<void()>& work, uint32_t noticeTextId) {
    std::mutex lock;
    std::condition_variable cv;
    bool done = false;
    std::atomic<bool> workDone{false};
    std::thread worker([&] {
        work();
        workDone = true;
        if (noticeTextId != 0) {
            m_host.PostCommand(kCmdCloseUsbNotice);
        }
        std::lock_guard<std::mutex> guard(lock);
        done = true;
        cv.notify_all();
    });
    ui::DialogEnvironment& env = m_host.DialogEnv();
    if (noticeTextId != 0 && env.runner) {
        ui::CQKCommonDlg notice(env);
        notice.SetType(26);
        notice.SetTitleText(appres::Translator::LoadString(65291));
        notice.SetMessageText(appres::Translator::LoadString(noticeTextId));
        notice.SetReference(m_host.MainWindowId());
        m_notice = &notice;
        m_noticeWorkDone = &workDone;
        env.runner->DoModal(notice);
        m_notice = nullptr;
        m_noticeWorkDone = nullptr;
    }
    // A notice that ended first (closed by the user, or none could open)
    // leaves the wait to the pump.
    std::unique_lock<std::mutex> hold(lock);
    while (!cv.wait_for(hold, kPumpPeriod, [&] { return done; })) {
        hold.unlock();
        m_host.PumpMessages();
        hold.lock();
    }
    hold.unlock();
    worker.join();
}

bool UsbSharing::OnCloseNotice() {
    if (!m_notice || !m_noticeWorkDone || !*m_noticeWorkDone) {
        return false;  // a late close of a notice that has gone
    }
    const platform::WindowId window = m_notice->Window();
    platform::WindowManager* wm = platform::WindowManager::Current();
    return window && wm && wm->Post(window, platform::Message::Close());
}

void UsbSharing::StartFullScreenIfWanted() {
    m_fullScreen = false;
    VRXClient* client = m_host.Client();
    uint8_t status[2] = {};
    if (!client || client->GetDeviceStatus(status) < 0 || (status[0] == 0 && status[1] == 0)) {
        return;
    }
    if (client->StartPlayImage(kFullScreenPosition) >= 0) {
        m_fullScreen = true;
    }
}

std::string UsbSharing::FindUdevadm() const {
    if (!m_config.udevadm.empty()) {
        return ::access(m_config.udevadm.c_str(), X_OK) == 0 ? m_config.udevadm : std::string();
    }
    for (const char* place : kUdevadmPlaces) {
        if (::access(place, X_OK) == 0) {
            return place;
        }
    }
    return {};
}

bool UsbSharing::WaitForDeviceInstalls(const std::string& udevadm) {
    std::this_thread::sleep_for(std::chrono::milliseconds(m_config.driverCheckDelayMs));
    platform::Log(platform::LogLevel::kInfo, kArea, "CheckUSBDeviceDriverInstalled");
    const auto start = std::chrono::steady_clock::now();
    int error = 0;
    std::unique_ptr<platform::ChildProcess> settle = platform::ChildProcess::Start(
        udevadm, {"settle", "--timeout=" + std::to_string(m_config.settleSeconds)}, &error);
    if (!settle) {
        platform::Log(platform::LogLevel::kWarning, kArea, "udevadm did not start (%s: %d)",
                      udevadm.c_str(), error);
        return false;
    }
    // udevadm keeps its own time limit; one that overstays ours is stopped.
    const auto deadline = start + std::chrono::seconds(m_config.settleSeconds) +
                          std::chrono::milliseconds(m_config.settleGraceMs);
    while (!settle->HasExited()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            platform::Log(platform::LogLevel::kWarning, kArea,
                          "udevadm settle overstayed its time; stopped");
            settle->Terminate(1000);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    const auto seconds =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start)
            .count();
    platform::Log(platform::LogLevel::kInfo, kArea,
                  "CheckUSBDeviceDriverInstalled finish:%d seconds", static_cast<int>(seconds));
    return true;
}

bool UsbSharing::StartSharing(const std::string& ip) {
    if (!m_control || m_flowRunning) {
        return false;  // a flow already runs: its messages are being dispatched
    }
    if (!CheckZAMPDriverFolder()) {
        platform::Log(platform::LogLevel::kWarning, kArea,
                      "no vhci-hcd bus: USB devices are not shared");
        return false;
    }
    m_flowRunning = true;
    m_stopWanted = false;
    ConnectResult result = ConnectResult::kInitFailed;
    platform::Log(platform::LogLevel::kInfo, kArea, "Init ZAMP Message");
    m_attaching = true;
    StartFullScreenIfWanted();
    RunAndPump([&] { result = ConnectZAMP(ip); }, 65418);
    m_attaching = false;
    platform::Log(platform::LogLevel::kInfo, kArea, "Init ZAMP Message:___[END]");
    const bool ok = result == ConnectResult::kAttached;
    if (result == ConnectResult::kFailed) {
        ShowFeatureMessage(m_host, 65292, 65421);
        RunAndPump([&] { DoUnBind(); });
        m_stopped = true;
    }
    if (m_stopWanted) {
        // Stopped while it attached: nothing stays shared.
        m_stopWanted = false;
        if (result != ConnectResult::kFailed) {
            platform::Log(platform::LogLevel::kInfo, kArea, "Remove ZAMP Message");
            RunAndPump([&] { DoUnBind(); }, 65419);
        }
        m_active = false;
        m_flowRunning = false;
        return false;
    }
    m_active = ok;
    if (ok) {
        // The attached devices are being installed: wait for that, bounded.
        const std::string udevadm = FindUdevadm();
        if (udevadm.empty()) {
            platform::Log(platform::LogLevel::kInfo, kArea,
                          "udevadm is not installed: device installations are not waited for");
        } else {
            platform::Log(platform::LogLevel::kInfo, kArea, "Init USB driver install Message");
            RunAndPump([&] { WaitForDeviceInstalls(udevadm); }, 65437);
            platform::Log(platform::LogLevel::kInfo, kArea,
                          "Init USB driver install Message:___[END]");
        }
    }
    m_flowRunning = false;
    return ok;
}

UsbSharing::ConnectResult UsbSharing::ConnectZAMP(const std::string& ip) {
    std::vector<char> address(ip.begin(), ip.end());
    address.push_back('\0');
    if (m_control->Init(address.data(), nullptr, &UsbSharing::ZAMPMsgCallBack, false) < 0) {
        platform::Log(platform::LogLevel::kWarning, kArea, "ZAMP Init failed for %s", ip.c_str());
        return ConnectResult::kInitFailed;
    }
    int positives = 0;
    for (int poll = 0; poll < m_config.maxPolls && positives < m_config.positivesNeeded; ++poll) {
        if (m_control->CanDeviceAttach()) {
            ++positives;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(m_config.pollPauseMs));
    }
    const int bind = m_control->DoBind();
    const int attach = bind < 0 ? -1 : m_control->AttachAllDevice();
    platform::Log(platform::LogLevel::kInfo, kArea, "ConnectZAMP bind:%d attach:%d", bind, attach);
    return bind >= 0 && attach >= 0 ? ConnectResult::kAttached : ConnectResult::kFailed;
}

int UsbSharing::DoUnBind() {
    platform::Log(platform::LogLevel::kInfo, kArea, "DoUnBind");
    m_control->DetachAllDevice();
    platform::Log(platform::LogLevel::kInfo, kArea, "Terminate");
    m_control->Terminate();
    return 0;
}

void UsbSharing::StopSharing() {
    if (m_noticePending.exchange(false)) {
        ShowFeatureMessage(m_host, 65292, 65420);
    }
    if (m_flowRunning) {
        // The running attach undoes itself when it ends: dropping the stop
        // here would leave the devices shared after the user turned it off.
        m_stopWanted = true;
        m_active = false;
        return;
    }
    if (!m_control) {
        m_active = false;
        return;
    }
    m_flowRunning = true;
    platform::Log(platform::LogLevel::kInfo, kArea, "Remove ZAMP Message");
    RunAndPump([&] { DoUnBind(); }, 65419);
    m_active = false;
    m_flowRunning = false;
    platform::Log(platform::LogLevel::kInfo, kArea, "Remove ZAMP Message:___[END]");
}

}  // namespace pemuapp
