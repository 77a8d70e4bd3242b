#include "usbshare/UsbIpDeviceForwarder.h"

#include <unistd.h>

#include <cerrno>

#include "usbshare/DeviceRecordLog.h"
#include "usbshare/UsbIpConnection.h"
#include "usbshare/UsbIpImport.h"
#include "usbshare/UsbIpRelay.h"
#include "usbshare/VbusControl.h"
#include "usbshare/ZAMPDevice.h"
#include "usbshare/ZampLog.h"

namespace usbip {

using porvane::CallbackCode;

UsbIpDeviceForwarder::UsbIpDeviceForwarder(porvane::ZampLinkState& link, VirtualUsbBus* bus,
                                           std::string dataService, ForwarderTimings timings)
    : m_link(link), m_bus(bus), m_service(std::move(dataService)), m_timings(timings) {}

UsbIpDeviceForwarder::~UsbIpDeviceForwarder() {
    std::map<const CZAMPDevice*, std::shared_ptr<Session>> sessions;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        sessions.swap(m_sessions);
    }
    for (auto& [device, session] : sessions) {
        std::lock_guard<std::mutex> hold(session->control);
        StopAndJoin(*session);
    }
}

std::shared_ptr<UsbIpDeviceForwarder::Session> UsbIpDeviceForwarder::Find(
    const CZAMPDevice& device) {
    std::lock_guard<std::mutex> hold(m_lock);
    auto it = m_sessions.find(&device);
    return it == m_sessions.end() ? nullptr : it->second;
}

std::unique_lock<std::mutex> UsbIpDeviceForwarder::LockDevice(
    const std::shared_ptr<Session>& session) {
    return std::unique_lock<std::mutex>(session ? session->control : m_unstartedLock);
}

void UsbIpDeviceForwarder::StopAndJoin(Session& session) {
    session.stop.Raise();
    if (session.thread.joinable() && session.thread.get_id() != boost::this_thread::get_id()) {
        session.thread.join();
    }
}

void UsbIpDeviceForwarder::StartAttachDeviceThread(const std::shared_ptr<CZAMPDevice>& device) {
    if (std::shared_ptr<Session> old = Find(*device)) {
        std::lock_guard<std::mutex> hold(old->control);
        StopAndJoin(*old);
    }
    auto session = std::make_shared<Session>();
    session->device = device;
    std::lock_guard<std::mutex> hold(session->control);
    {
        std::lock_guard<std::mutex> sessions(m_lock);
        m_sessions[device.get()] = session;
    }
    Session* s = session.get();
    session->thread = boost::thread([this, s] { AttachDevice(*s); });
}

void UsbIpDeviceForwarder::AttachDevice(Session& session) {
    CZAMPDevice& dev = *session.device;
    const std::string bus = dev.GetBusId();
    WriteLog("AttachDevice\n");
    const bool requested = dev.GetState() == CZAMPDevice::kRequested;
    const int failCode = requested ? porvane::kCbRequestedFailed : porvane::kCbAttachFailed;
    dev.m_bAttach = 1;
    dev.SetState(CZAMPDevice::kForwardStarted);
    // Each way out sets the final state before it reports, so that a caller
    // acting on the report finds the forwarding over.
    if (!dev.HasInterfaceTable()) {
        dev.SetState(CZAMPDevice::kForwardEnded);
        m_link.Report(bus.c_str(), failCode);
        return;
    }
    session.socket = ConnectDeviceSocket(dev.GetAddress(), m_service, m_timings.connectTimeoutMs);
    if (session.socket < 0) {
        WriteLog("Socket Error code:%d\n", errno);
        dev.SetState(CZAMPDevice::kForwardEnded);
        m_link.Report(bus.c_str(), porvane::kCbDeviceLinkFailed);
        return;
    }
    std::unique_ptr<VirtualUsbBusHandle> handle = ImportDevice(session);
    const int port = handle ? dev.GetPort() : -1;
    WriteLog("ReturnImport:%d\n", port);
    if (!handle) {
        WriteLog("iReturnImport < 0\n");
        ::close(session.socket);
        session.socket = -1;
        dev.ReleaseInterfaceTable();
        dev.SetState(CZAMPDevice::kForwardEnded);
        m_link.Report(bus.c_str(), failCode);
        return;
    }
    if (requested) {
        m_link.Report(bus.c_str(), porvane::kCbRequestedAttached);
    }
    WriteLog("Goto USBIPForroward\n");
    UsbIpRelay(dev, m_link, session.socket, *handle, port, session.stop.Fd()).Run();

    const bool detached = dev.m_bDetach;
    if (!detached) {
        WriteLog("pZAMPDevice->m_bDetach\n");
        dev.SetState(CZAMPDevice::kRelayEnded);
        if (!dev.m_bDevErr && handle->Unplug(port) == 0) {
            dev.SetPort(0);  // the port may go to another device from now on
        }
    }
    handle.reset();
    dev.ReleaseInterfaceTable();
    ::close(session.socket);
    session.socket = -1;
    // Ended on its own while the session goes on: the device's connection
    // is lost (the session's own ends are reported by the control object).
    const bool lost = !detached && m_link.quit.load() == 0 && m_link.sockErr.load() == 0;
    dev.SetState(CZAMPDevice::kForwardEnded);
    if (detached) {
        WriteLog("ECALLBACK_MSG_USBDEVICE_DETACH\n");
        m_link.Report(bus.c_str(), porvane::kCbDeviceDetached);
    } else {
        WriteLog("ECALLBACK_MSG_USBDEVICE_SERVER_DETACH:g_iSockErr=%d,m_bSocket_Error=%d\n",
                 m_link.sockErr.load(), dev.m_bSocket_Error.load());
        if (lost) {
            m_link.Report(bus.c_str(), porvane::kCbDeviceLinkFailed);
        }
    }
    WriteLog("AttachDeviceEnd\n");
}

std::unique_ptr<VirtualUsbBusHandle> UsbIpDeviceForwarder::ImportDevice(Session& session) {
    CZAMPDevice& dev = *session.device;
    const int stop = session.stop.Fd();
    const int timeout = static_cast<int>(m_timings.importReplyMs);
    dev.SetState(CZAMPDevice::kImporting);
    const auto request = BuildImportRequest(dev.GetBusId());
    if (SendExact(session.socket, request.data(), request.size(), stop, timeout) != IoResult::kOk) {
        return nullptr;
    }
    dev.SetState(CZAMPDevice::kImported);
    std::array<uint8_t, kImportReplySize> reply{};
    if (RecvExact(session.socket, reply.data(), reply.size(), stop, timeout) != IoResult::kOk) {
        WriteLog("no import reply for %s\n", dev.GetBusId().c_str());
        return nullptr;
    }
    zamp::UsbDeviceRecord record;
    std::string why;
    if (!ParseImportReply(reply, dev.GetBusId(), &record, &why)) {
        WriteLog("%s\n", why.c_str());
        return nullptr;
    }
    porvane::LogDeviceRecord(record);

    dev.SetState(CZAMPDevice::kImporting);
    WriteLog("**** open file ****\n");
    std::unique_ptr<VirtualUsbBusHandle> handle = m_bus ? m_bus->Open() : nullptr;
    if (!handle) {
        WriteLog("open vbus driver\n");
        return nullptr;
    }
    // Finding a free port and plugging into it is one step for all devices
    // of this forwarder, so two devices never pick the same port.
    std::lock_guard<std::mutex> plugging(m_plugLock);
    const int port = GetFreePort(*handle);
    if (port < 0) {
        WriteLog("no free port\n");
        return nullptr;
    }
    const auto interfaces = dev.GetInterfaceTable();
    const zamp::UsbInterfaceEntry first =
        interfaces.empty() ? zamp::UsbInterfaceEntry{} : interfaces.front();
    if (AttachToBus(*handle, dev.GetRecord(), first, port) != 0) {
        WriteLog("import device\n");
        return nullptr;
    }
    dev.SetPort(port);
    WriteLog("Import port:%d\n", port);
    dev.SetState(CZAMPDevice::kImported);
    return handle;
}

int UsbIpDeviceForwarder::DetachDevice(CZAMPDevice& dev) {
    const std::shared_ptr<Session> session = Find(dev);
    const std::unique_lock<std::mutex> hold = LockDevice(session);
    return DetachLocked(dev, session.get());
}

int UsbIpDeviceForwarder::DetachLocked(CZAMPDevice& dev, Session* session) {
    WriteLog("*********DetachDevice[Busid:%8s]*********\n", dev.GetBusId().c_str());
    WriteLog("Status=%d\n", dev.GetState());
    dev.m_bDetach = 1;
    const int state = dev.GetState();
    // Nothing to stop: never started, forwarding over, detached already, or
    // going away. A port it had may belong to another device by now.
    if (state == CZAMPDevice::kNew || state == CZAMPDevice::kForwardEnded ||
        state == CZAMPDevice::kDetached || state > 12) {
        return 0;
    }
    WriteLog("*** Detach ***\n");
    dev.SetState(CZAMPDevice::kDetaching);
    // The forwarding ends in every case, completing what is still open on
    // the bus; then a plugged port is unplugged.
    if (session) {
        WriteLog("Set Exit Event\n");
        StopAndJoin(*session);
    }
    const int port = dev.GetPort();
    int result = -1;
    if (port == 0) {
        WriteLog("Port == 0\n");
    } else if (dev.m_bDevErr) {
        WriteLog("DevErr set: port %d not unplugged\n", port);
    } else if (std::unique_ptr<VirtualUsbBusHandle> handle = m_bus ? m_bus->Open() : nullptr) {
        result = handle->Unplug(port);
        if (result == 0) {
            dev.SetPort(0);
        } else {
            WriteLog("unplug of port %d failed\n", port);
        }
    } else {
        WriteLog("open vbus driver\n");
    }
    WriteLog("*********DetachDeviceEnd[Busid:%8s]*********\n", dev.GetBusId().c_str());
    dev.SetState(CZAMPDevice::kDetached);
    return result;
}

void UsbIpDeviceForwarder::TerminateDevice(CZAMPDevice& dev) {
    const std::shared_ptr<Session> session = Find(dev);
    const std::unique_lock<std::mutex> hold = LockDevice(session);
    WriteLog("*********Terminate[Busid:%8s]*********\n", dev.GetBusId().c_str());
    WriteLog("m_bAttach=%d && m_bDetach=%d\n", dev.m_bAttach.load(), dev.m_bDetach.load());
    dev.SetListIndex(0);
    if (dev.m_bAttach && !dev.m_bDetach) {
        DetachLocked(dev, session.get());
    }
    if (dev.GetState() >= CZAMPDevice::kTerminating) {
        return;
    }
    dev.m_bDetach = 0;
    dev.m_bAttach = 0;
    dev.SetState(CZAMPDevice::kTerminating);
    if (session) {
        StopAndJoin(*session);
        std::lock_guard<std::mutex> sessions(m_lock);
        auto it = m_sessions.find(&dev);
        if (it != m_sessions.end() && it->second == session) {
            m_sessions.erase(it);
        }
    }
    dev.ReleaseInterfaceTable();
    dev.SetPort(0);
    dev.SetState(CZAMPDevice::kTerminated);
    WriteLog("*********TerminateEnd*********\n");
}

int UsbIpDeviceForwarder::ShowPortStatus() {
    std::unique_ptr<VirtualUsbBusHandle> handle = m_bus ? m_bus->Open() : nullptr;
    return handle ? usbip::ShowPortStatus(*handle) : -1;
}

}  // namespace usbip
