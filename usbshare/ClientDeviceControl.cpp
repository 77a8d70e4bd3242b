// Lifecycle of the control object: settings, connection, device list,
// attaching and detaching, the keep-alive thread and shutdown. The command
// channel's requests and replies are in ClientDeviceControlChannel.cpp.
#include "usbshare/ClientDeviceControl.h"

#include <netdb.h>
#include <sys/socket.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/clock.h"
#include "platform/dynload.h"
#include "platform/syserror.h"
#include "platform/user_folders.h"
#include "usbshare/IniFile.h"
#include "usbshare/SocketClient.h"
#include "usbshare/UsbIpDeviceForwarder.h"
#include "usbshare/UsbIpImport.h"
#include "usbshare/VhciUsbBus.h"
#include "usbshare/ZampLog.h"

using namespace porvane;

namespace {

constexpr const char* kVersionText = "0015";
constexpr const char* kSettingsFolder = "Pemu Quorvane Sender";
constexpr const char* kSettingsFile = "Quorvane_Sender.ini";
constexpr const char* kSettingsSection = "Quorvane_Sender";
// Longer than any IPv4 or IPv6 address text or host name the program keeps.
constexpr size_t kMaxAddressLength = 63;

// Creates `folder` and every missing folder above it, each readable by this
// user only. False when one can't be made.
bool MakeFolders(const std::string& folder) {
    for (size_t at = folder.find('/', 1);; at = folder.find('/', at + 1)) {
        const std::string part = folder.substr(0, at);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            return false;
        }
        if (at == std::string::npos) {
            return true;
        }
    }
}

}  // namespace

CClientDeviceControl::CClientDeviceControl()
    : m_Service(zamp::kCommandService), m_DataService(usbip::kDataService) {}

CClientDeviceControl::~CClientDeviceControl() {
    {
        boost::lock_guard<boost::mutex> hold(m_CallLock);
        m_bClosing = true;
    }
    // A request waiting for its reply wakes, sees the object going and
    // leaves; nothing is freed before every call has left.
    m_ReplyEvent.Set();
    {
        boost::unique_lock<boost::mutex> hold(m_CallLock);
        m_CallsDone.wait(hold, [this] { return m_Calls == 0; });
    }
    Shutdown();
}

void CClientDeviceControl::SetDeviceForwarderForTest(std::unique_ptr<DeviceForwarder> forwarder) {
    m_pForwarder = std::move(forwarder);
    m_bForwarderForTest = true;
}

std::string CClientDeviceControl::AppDataFolder() const {
    if (!m_AppDataForTest.empty()) {
        return m_AppDataForTest;
    }
    // The local application-data folder of this system (logs).
    return platform::UserFolder(platform::UserFolderKind::kData);
}

int CClientDeviceControl::Init(char* ip, DeviceNotifyWindow hwnd, CallBackMsgFuntion callback,
                               bool logNextToProgram) {
    // Whatever an earlier Init left running ends here.
    Shutdown();
    m_Link.sockErr = 0;
    m_Link.lossReported = false;
    m_Link.quit = 0;
    m_Link.devErr = 0;
    m_Address.clear();
    ClearReply();
    m_Reader.Reset();
    if (!m_bForwarderForTest) {
        // Without a bus (vhci-hcd not loaded) every import ends with code 6.
        usbip::VirtualUsbBus* bus = m_pBus;
        if (!bus) {
            m_pForwarder.reset();
            m_pSystemBus = usbip::VhciUsbBus::Create();
            bus = m_pSystemBus.get();
        }
        m_pForwarder = std::make_unique<usbip::UsbIpDeviceForwarder>(m_Link, bus, m_DataService);
    }
    m_hWnd = hwnd;
    m_bLogNextToProgram = logNextToProgram;
    m_Link.callback = callback;
    m_Status = kStatusInit;

    LoadIniFile();
    WriteLog("================== ZAMP Log ==================\n");
    WriteLog("ZAMP Version:%s\n", kVersionText);
    WriteLog("This program is compiled on %s %s\n", __DATE__, __TIME__);
    WriteLog("*********Init_Start*********\n");

    m_bExitKeepAlive = false;
    m_pSocketClient = std::make_unique<SocketClient>(this);
    if (m_pNetworkForTest) {
        m_pSocketClient->SetNetworkStateForTest(m_pNetworkForTest);
    }

    const size_t length = ip ? strnlen(ip, kMaxAddressLength + 1) : 0;
    if (length == 0 || length > kMaxAddressLength) {
        m_Link.quit = 1;
        WriteLog(length == 0 ? "IP Address is NULL\n" : "IP Address is too long\n");
        return -1;
    }
    m_Address.assign(ip, length);

    DoRegisterDeviceInterface();
    m_ReplyEvent.Reset();
    m_hKeepAliveEvent.Reset();
    WriteLog("*********Init_Stop*********\n");
    return Connect();
}

bool CClientDeviceControl::LoadIniFile() {
    // The sender keeps its settings file in the user's config folder.
    const std::string base = m_AppDataForTest.empty()
                                 ? platform::UserFolder(platform::UserFolderKind::kConfig)
                                 : m_AppDataForTest;
    const std::string folder = base + "/" + kSettingsFolder;
    m_SettingsPath = folder + "/" + kSettingsFile;
    IniFile ini;
    ini.Load(m_SettingsPath);
    if (m_bLogNextToProgram) {
        ZampLog::Instance().Enable(platform::ProgramFolder() + "/ZAMP.log");
    } else if (!ini.GetString(kSettingsSection, "LogFile", "", 1024).empty()) {
        // The value only switches logging on; the log has a fixed place.
        InitAppLog();
    }
    m_KeepAliveSeconds = std::max(2, ini.GetInt(kSettingsSection, "Seconds", 2));
    m_KeepAliveMisses = ini.GetInt(kSettingsSection, "Interval", 10);
    return true;
}

void CClientDeviceControl::InitAppLog() {
    const std::string folder = AppDataFolder() + "/" + kSettingsFolder + "/log";
    const bool made = MakeFolders(folder);
    const int error = errno;
    ZampLog::Instance().Enable(folder + "/ZAMP.log");
    if (!made) {
        // Lines are dropped until the folder can be written; say why once
        // it can.
        WriteLog("Log folder %s can't be made: %s\n", folder.c_str(),
                 platform::SystemErrorText(error).c_str());
    }
}

int CClientDeviceControl::Connect() {
    m_Link.quit = 0;
    DetachAllDevice();
    if (m_Address.empty()) {
        m_Link.quit = 1;
        WriteLog("IP Address is NULL\n");
        return -1;
    }
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    const int rc = ::getaddrinfo(m_Address.c_str(), m_Service.c_str(), &hints, &list);
    if (rc != 0) {
        WriteLog("getaddrinfo failed: %s\n", gai_strerror(rc));
        WriteLog("Connect Failed\n");
        return -1;
    }
    bool connected = false;
    for (addrinfo* a = list; a && !connected; a = a->ai_next) {
        connected = m_pSocketClient->Start(a->ai_family, m_Address.c_str(), m_Service.c_str(),
                                           m_Timings.connectTimeoutMs);
        if (!connected) {
            const int error = errno;
            WriteLog("Connect %s:%s failed: %s\n", m_Address.c_str(), m_Service.c_str(),
                     platform::SystemErrorText(error).c_str());
        }
    }
    ::freeaddrinfo(list);
    if (!connected) {
        WriteLog("Connect Failed\n");
        return -1;
    }
    return 0;
}

void CClientDeviceControl::Shutdown() {
    m_bShuttingDown = true;
    m_ReplyEvent.Set();  // a request waiting on another thread gives up
    // Wake every thread that waits on the connection before joining any.
    if (m_pSocketClient) {
        m_pSocketClient->RequestStop();
    }
    StopKeepAliveThread();
    if (m_pSocketClient) {
        m_pSocketClient->Stop();
    }
    if (m_pForwarder) {
        for (const DevicePtr& device : Devices()) {
            m_pForwarder->TerminateDevice(*device);
        }
    }
    ReplaceDevices({});
    m_pSocketClient.reset();
    DoUnRegisterDeviceInterface();
    m_bShuttingDown = false;
}

bool CClientDeviceControl::Terminate() {
    WriteLog("*********CClientDeviceControl::Terminate*********\n");
    const int status = m_Status.load();
    if (status == kStatusTerminating || status == kStatusTerminated) {
        return false;
    }
    m_Status = kStatusTerminating;
    Shutdown();
    WriteLog("stop_winsock\n");
    WriteLog("*********CClientDeviceControl::Terminate_End*********\n");
    m_Status = kStatusTerminated;
    return true;
}

std::vector<CClientDeviceControl::DevicePtr> CClientDeviceControl::Devices() {
    boost::lock_guard<boost::recursive_mutex> hold(m_DeviceLock);
    return m_Devices;
}

void CClientDeviceControl::ReplaceDevices(std::vector<DevicePtr> devices) {
    boost::lock_guard<boost::recursive_mutex> hold(m_DeviceLock);
    m_Devices = std::move(devices);
}

CClientDeviceControl::DevicePtr CClientDeviceControl::DeviceAt(int index) {
    boost::lock_guard<boost::recursive_mutex> hold(m_DeviceLock);
    if (index < 0 || static_cast<size_t>(index) >= m_Devices.size()) {
        return nullptr;
    }
    return m_Devices[static_cast<size_t>(index)];
}

int CClientDeviceControl::GetDeviceCount() {
    boost::lock_guard<boost::recursive_mutex> hold(m_DeviceLock);
    return static_cast<int>(m_Devices.size());
}

CZAMPDevice* CClientDeviceControl::GetDeviceInfoByIndex(int index) {
    return DeviceAt(index).get();
}

int CClientDeviceControl::GetDeviceIndexByID(char* busid) {
    if (!busid) {
        return -1;
    }
    const std::string wanted(busid, strnlen(busid, zamp::kBusIdSize - 1));
    boost::lock_guard<boost::recursive_mutex> hold(m_DeviceLock);
    for (size_t i = 0; i < m_Devices.size(); ++i) {
        if (m_Devices[i]->GetBusId() == wanted) {
            WriteLog("Busid=%8s,index=%d\n", wanted.c_str(), static_cast<int>(i));
            return static_cast<int>(i);
        }
    }
    WriteLog("Not has the BusId:%8s\n", wanted.c_str());
    return -1;
}

int CClientDeviceControl::AttachDeviceByIndex(int index) {
    DevicePtr device = DeviceAt(index);
    if (!device) {
        return -1;
    }
    m_pForwarder->StartAttachDeviceThread(device);
    return 0;
}

int CClientDeviceControl::DetachDeviceByIndex(int index) {
    DevicePtr device = DeviceAt(index);
    if (!device) {
        return -1;
    }
    return m_pForwarder->DetachDevice(*device) < 0 ? -1 : 0;
}

int CClientDeviceControl::AttachAllDevice() {
    CallGuard call(*this);
    if (!call) {
        return -1;
    }
    if (m_Link.sockErr.load() != 0) {
        m_Link.quit = 1;
        return -1;
    }
    m_Link.devErr = 0;
    m_Link.quit = 0;
    WriteLog("*********AttachAllDevice*********\n");
    const int result = DoAttachAllDevice();
    if (result < 0) {
        m_Link.quit = 1;
    } else {
        ShowPortStatus();
    }
    WriteLog("*********AttachAllDeviceEnd*********\n");
    return result;
}

int CClientDeviceControl::DoAttachAllDevice() {
    WriteLog("- %s\n", m_Address.c_str());
    if (DoExport() < 0) {
        if (Stopping()) {
            return -1;
        }
        m_Link.Report("ERR", kCbDeviceLinkFailed);
        m_Link.sockErr = 2;
        return -1;
    }
    bool first = true;
    for (const DevicePtr& device : Devices()) {
        if (!first && m_Timings.attachPauseMs) {
            platform::SleepMs(m_Timings.attachPauseMs);
        }
        first = false;
        // A link lost or a detach begun meanwhile ends the attaching: no
        // device is imported for a session that is over.
        if (m_Link.sockErr.load() == 2 || m_Link.quit.load() != 0 || Stopping()) {
            WriteLog("Attaching stopped: sockErr=%d quit=%d\n", m_Link.sockErr.load(),
                     m_Link.quit.load());
            return -1;
        }
        m_pForwarder->StartAttachDeviceThread(device);
    }
    CreateUSBIPKEEPALIVEThread();
    return 0;
}

int CClientDeviceControl::DetachAllDevice() {
    CallGuard call(*this);
    if (!call) {
        return -1;
    }
    const std::vector<DevicePtr> devices = Devices();
    int failures = 0;
    for (const DevicePtr& device : devices) {
        if (m_pForwarder->DetachDevice(*device) < 0) {
            WriteLog("DetachAllDevice()\n");
            m_Link.Report(device->GetBusId().c_str(), kCbDeviceDetached);
            device->ReleaseInterfaceTable();
            ++failures;
        }
    }
    int unbind = 0;
    if (m_pSocketClient && m_pSocketClient->IsOpen()) {
        if (m_Link.sockErr.load() == 0) {
            unbind = DoUnBind();
        }
        StopKeepAliveThread();
    }
    for (const DevicePtr& device : devices) {
        m_pForwarder->TerminateDevice(*device);
    }
    if (unbind < 0) {
        return unbind;
    }
    return failures ? -1 : 0;
}

int CClientDeviceControl::ShowPortStatus() {
    return m_pForwarder->ShowPortStatus();
}

void CClientDeviceControl::CreateUSBIPKEEPALIVEThread() {
    EndKeepAliveThread();
    boost::lock_guard<boost::mutex> hold(m_KeepAliveLock);
    m_bExitKeepAlive = false;
    m_hUSBIPKEEPALIVEThread = boost::thread([this] { KeepAliveThread(); });
    m_KeepAliveThreadId = m_hUSBIPKEEPALIVEThread.get_id();
}

void CClientDeviceControl::StopKeepAliveThread() {
    m_Link.quit = 2;
    EndKeepAliveThread();
}

void CClientDeviceControl::EndKeepAliveThread() {
    boost::thread thread;
    {
        boost::lock_guard<boost::mutex> hold(m_KeepAliveLock);
        m_bExitKeepAlive = true;
        if (!m_hUSBIPKEEPALIVEThread.joinable()) {
            return;
        }
        if (m_KeepAliveThreadId == boost::this_thread::get_id()) {
            // The keep-alive thread detaches on its own; it ends right after
            // and is joined by the next stop from another thread.
            return;
        }
        thread = std::move(m_hUSBIPKEEPALIVEThread);
        m_KeepAliveThreadId = boost::thread::id();
    }
    m_hKeepAliveEvent.Set();  // wake it from its wait
    thread.join();
    m_hKeepAliveEvent.Reset();
}

void CClientDeviceControl::KeepAliveThread() {
    WriteLog("Sec:%d, Interval:%d\n", m_KeepAliveSeconds, m_KeepAliveMisses);
    // A limit below one would never give up; one missed period is the least.
    const int limit = std::max(1, m_KeepAliveMisses);
    const uint32_t waitMs = static_cast<uint32_t>(m_KeepAliveSeconds) * m_Timings.keepAliveUnitMs;
    int misses = 0;
    for (;;) {
        if (m_bExitKeepAlive) {
            break;
        }
        const bool asked = m_hKeepAliveEvent.WaitMs(waitMs);
        if (m_bExitKeepAlive) {
            break;
        }
        if (asked) {
            if (KeepAliveReply() <= 0) {
                WriteLog("Write KeepAlive command failed\n");
                LinkLost("KeepAlive reply not sent");
                break;
            }
            WriteLog("KeepAlive success\n");
            m_Link.sockErr = 0;
            misses = 0;
            continue;
        }
        if (++misses >= limit) {
            WriteLog("KeepAlive failed:%d\n", misses);
            m_Link.sockErr = 2;
            m_hKeepAliveEvent.Reset();
            DetachAllDevice();
            ReportLinkLost("KeepAlive given up");
            break;
        }
    }
    WriteLog("left KeepAlive\n");
}

void CClientDeviceControl::LinkLost(const char* reason) {
    m_Link.sockErr = 2;
    ReportLinkLost(reason);
}

void CClientDeviceControl::ReportLinkLost(const char* reason) {
    if (!m_Link.lossReported.exchange(true)) {
        WriteLog("%s\n", reason);
        m_Link.Report(nullptr, kCbConnectionDropped);
    }
}

int CClientDeviceControl::DoRegisterDeviceInterface() {
    // This system delivers no device-interface notices to windows; the
    // window is only remembered for the program.
    if (!m_hWnd) {
        m_bNotifyRegistered = false;
        return 0;
    }
    m_bNotifyRegistered = true;
    return 1;
}

void CClientDeviceControl::DoUnRegisterDeviceInterface() {
    m_bNotifyRegistered = false;
}

int CClientDeviceControl::WriteData(unsigned char* const data, unsigned long len, sockaddr* const,
                                    unsigned long) {
    if (!m_pSocketClient) {
        return -1;
    }
    return m_pSocketClient->Write(data, len, m_Timings.writeTimeoutMs);
}

void CClientDeviceControl::GetAddress(const SockAddrIn& addr, std::string& text) const {
    char line[300];
    std::snprintf(line, sizeof line, "%s : %d", addr.GetHostText().c_str(), addr.GetPort());
    text = line;
}

void CClientDeviceControl::OnThreadBegin(CSocketHandle* pSH) {
    SockAddrIn local;
    socklen_t len = local.Capacity();
    if (::getsockname(pSH->GetSocket(), local.Data(), &len) == 0) {
        std::string text;
        GetAddress(local, text);
        WriteLog("Local address %s\n", text.c_str());
    }
}

void CClientDeviceControl::OnThreadExit(CSocketHandle*) {}

void CClientDeviceControl::OnConnectionDropped(CSocketHandle*) {
    LinkLost("ClientDeviceControl Connect Dropped");
}

void CClientDeviceControl::OnConnectionError(CSocketHandle*, unsigned long error) {
    WriteLog("Socket error %lu: %s\n", error,
             platform::SystemErrorText(static_cast<int>(error)).c_str());
}
