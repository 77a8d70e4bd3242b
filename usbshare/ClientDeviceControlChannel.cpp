// The ZAMP command channel of the control object: requests, the replies they
// wait for, the device list, and the receiver's own export, unexport and
// keep-alive requests. Each reply is set aside by its code and taken by the
// request that waits for that code; m_RequestLock lets one request wait at a
// time.
#include <algorithm>

#include "platform/clock.h"
#include "usbshare/ClientDeviceControl.h"
#include "usbshare/DeviceRecordLog.h"
#include "usbshare/SocketClient.h"
#include "usbshare/ZampLog.h"
#include "usbshare/ZampMessageParser.h"
#include "usbshare/ZampWriter.h"

using namespace porvane;

namespace {

// How often a wait for another device's forwarding to end looks again.
constexpr uint32_t kStatePollMs = 10;
// Replies of one code kept for a request (the oldest go first).
constexpr size_t kRepliesKeptPerCode = 4;

bool FinishedState(int state) {
    return state == CZAMPDevice::kDetached || state == CZAMPDevice::kForwardEnded ||
           state >= CZAMPDevice::kTerminating;
}

}  // namespace

// ---- Receiving (reader thread) ----

void CClientDeviceControl::OnDataReceived(CSocketHandle*, const unsigned char* data,
                                          unsigned long count, const SockAddrIn&) {
    WriteLog("********* DataReceived Count:%lu\n", count);
    m_Reader.Feed(std::span<const uint8_t>(data, count));
    for (;;) {
        zamp::ZampHeader header;
        std::span<const uint8_t> message;
        const auto result = m_Reader.Next(&header, &message);
        if (result == zamp::ZampFrameReader::Result::kNeedMore) {
            return;
        }
        if (result == zamp::ZampFrameReader::Result::kError) {
            WriteLog("Bad message from the receiver: %s\n", m_Reader.Error().c_str());
            LinkLost("ClientDeviceControl Connect Dropped");
            m_pSocketClient->Stop();  // on this thread: ends the reader loop
            return;
        }
        Dispatch(header, message);
    }
}

void CClientDeviceControl::Dispatch(const zamp::ZampHeader& header,
                                    std::span<const uint8_t> message) {
    const char* name = zamp::CodeLogName(header.code);
    switch (header.code) {
        case zamp::kRepDevList:
            WriteLog("%s\n", name);
            StoreReply(header.code, message);
            break;
        case zamp::kRepUsbBind:
        case zamp::kRepUsbUnbind:
        case zamp::kRepUsbIpInfo:
            WriteLog("%s\n", name);
            StoreReply(header.code, message.first(zamp::kHeaderSize));
            break;
        case zamp::kReqExportUsb:
            WriteLog("%s\n", name);
            AutoExportDevice(message);
            break;
        case zamp::kReqUnexportUsb:
            WriteLog("%s\n", name);
            AutoUnExportDevice(message);
            break;
        case zamp::kReqKeepAlive:
            WriteLog("%s\n", name);
            m_hKeepAliveEvent.Set();
            WriteLog("********* set event OP_REQ_USBIPKEEPALIVE finish\n");
            break;
        default:
            break;
    }
}

void CClientDeviceControl::StoreReply(uint16_t code, std::span<const uint8_t> message) {
    const uint16_t waiting = m_WaitingFor.load();
    if (waiting == 0) {
        WriteLog("Reply 0x%04x set aside: no request waits\n", code);
    } else if (waiting != code) {
        WriteLog("Reply 0x%04x set aside: the request waiting is for 0x%04x\n", code, waiting);
    }
    {
        boost::lock_guard<boost::mutex> hold(m_ReplyLock);
        std::deque<std::vector<uint8_t>>& queue = m_Arrived[code];
        if (queue.size() == kRepliesKeptPerCode) {
            queue.pop_front();
        }
        queue.emplace_back(message.begin(), message.end());
    }
    m_ReplyEvent.Set();
}

void CClientDeviceControl::ForgetReply(uint16_t code) {
    boost::lock_guard<boost::mutex> hold(m_ReplyLock);
    m_Arrived.erase(code);
    m_Reply.clear();
}

void CClientDeviceControl::ClearReply() {
    boost::lock_guard<boost::mutex> hold(m_ReplyLock);
    m_Arrived.clear();
    m_Reply.clear();
}

bool CClientDeviceControl::WaitForReply(uint16_t code, uint64_t deadline) {
    m_WaitingFor = code;
    bool taken = false;
    for (;;) {
        {
            boost::lock_guard<boost::mutex> hold(m_ReplyLock);
            auto it = m_Arrived.find(code);
            if (it != m_Arrived.end() && !it->second.empty()) {
                m_Reply = std::move(it->second.front());
                it->second.pop_front();
                taken = true;
                break;
            }
        }
        const uint64_t now = platform::NowMs();
        if (Stopping() || now >= deadline) {
            break;
        }
        m_ReplyEvent.WaitMs(static_cast<uint32_t>(std::min<uint64_t>(deadline - now, UINT32_MAX)));
    }
    m_WaitingFor = 0;
    return taken;
}

zamp::ZampHeader CClientDeviceControl::StoredReplyHeader() {
    zamp::ZampHeader header;
    header.code = 0;
    boost::lock_guard<boost::mutex> hold(m_ReplyLock);
    if (m_Reply.size() >= zamp::kHeaderSize) {
        zamp::ZampHeader::Decode(
            std::span<const uint8_t, zamp::kHeaderSize>(m_Reply.data(), zamp::kHeaderSize),
            &header);
    }
    return header;
}

// ---- Requests ----

int CClientDeviceControl::SendRequest(uint16_t code) {
    auto bytes = zamp::BuildRequest(code);
    WriteLog("%s\n", zamp::CodeLogName(code));
    const int sent = WriteData(bytes.data(), bytes.size(), nullptr, 0);
    return sent > 0 ? sent : -1;
}

int CClientDeviceControl::USBInfoRequest() {
    return SendRequest(zamp::kReqUsbIpInfo);
}

int CClientDeviceControl::USBBindRequest() {
    m_Status = kStatusBindRequested;
    const int sent = SendRequest(zamp::kReqUsbBind);
    if (sent < 0) {
        m_Link.Report(nullptr, kCbBindFailed);
    }
    return sent;
}

int CClientDeviceControl::USBBindReply() {
    const zamp::ZampHeader h = StoredReplyHeader();
    if (h.code == zamp::kRepUsbBind && h.status == 0) {
        m_Link.Report(nullptr, kCbBindSucceeded);
        return 0;
    }
    m_Link.Report(nullptr, kCbBindFailed);
    return -1;
}

int CClientDeviceControl::USBUnBindRequest() {
    m_Status = kStatusUnbindRequested;
    const int sent = SendRequest(zamp::kReqUsbUnbind);
    if (sent < 0) {
        m_Link.Report(nullptr, kCbUnbindFailed);
    }
    return sent;
}

int CClientDeviceControl::USBUnBindReply() {
    if (StoredReplyHeader().code == zamp::kRepUsbUnbind) {
        m_Link.Report(nullptr, kCbUnbindSucceeded);
        return 0;
    }
    return -1;
}

int CClientDeviceControl::ExportDeviceRequest() {
    return SendRequest(zamp::kReqDevList);
}

int CClientDeviceControl::KeepAliveReply() {
    auto bytes = zamp::BuildKeepAliveReply();
    WriteLog("%s\n", zamp::CodeLogName(zamp::kRepKeepAlive));
    const int sent = WriteData(bytes.data(), bytes.size(), nullptr, 0);
    WriteLog("Write ret:%d\n", sent);
    return sent > 0 ? sent : -1;
}

// ---- Request and wait ----

bool CClientDeviceControl::CanDeviceAttach() {
    CallGuard call(*this);
    if (!call) {
        return false;
    }
    boost::lock_guard<boost::mutex> hold(m_RequestLock);
    m_Status = kStatusInfoRequested;
    WriteLog("*********CanDeviceAttach*********\n");
    if (m_Link.sockErr.load() != 0) {
        WriteLog("Socket error\n");
    }
    ForgetReply(zamp::kRepUsbIpInfo);
    if (USBInfoRequest() < 0) {
        return false;
    }
    const uint64_t deadline = platform::NowMs() + 3ull * m_Timings.replyWaitMs;
    if (WaitForReply(zamp::kRepUsbIpInfo, deadline)) {
        return StoredReplyHeader().status != zamp::kInfoStatusBusy;
    }
    WriteLog("CanDeviceAttach failed\n");
    return false;
}

int CClientDeviceControl::DoBind() {
    CallGuard call(*this);
    if (!call) {
        return -1;
    }
    boost::lock_guard<boost::mutex> hold(m_RequestLock);
    WriteLog("*********DoBind*********\n");
    ForgetReply(zamp::kRepUsbBind);
    if (USBBindRequest() < 0) {
        WriteLog("USBBindRequest failed\n");
        m_Link.Report("ERR", kCbBindFailed);
        return -1;
    }
    // One refusal is waited past (the receiver may still confirm); a second
    // ends the bind.
    const uint64_t deadline = platform::NowMs() + 3ull * m_Timings.replyWaitMs;
    int refusals = 0;
    while (WaitForReply(zamp::kRepUsbBind, deadline)) {
        if (USBBindReply() == 0) {
            m_Status = kStatusBound;
            m_Link.Report(nullptr, kCbBindSucceeded);
            WriteLog("*********DoBindEnd*********\n");
            return 0;
        }
        if (++refusals > 1) {
            WriteLog("USBBind failed\n");
            m_Link.Report("ERR", kCbBindFailed);
            return -1;
        }
    }
    WriteLog("DoBind failed\n");
    return -1;
}

int CClientDeviceControl::DoUnBind() {
    CallGuard call(*this);
    if (!call) {
        return -1;
    }
    boost::lock_guard<boost::mutex> hold(m_RequestLock);
    WriteLog("DoUnBind\n");
    for (int attempt = 0; attempt < 3 && !Stopping(); ++attempt) {
        ForgetReply(zamp::kRepUsbUnbind);
        if (USBUnBindRequest() <= 0) {
            m_Link.Report("ERR", kCbUnbindFailed);
            return -1;
        }
        if (WaitForReply(zamp::kRepUsbUnbind, platform::NowMs() + m_Timings.unbindWaitMs) &&
            USBUnBindReply() == 0) {
            m_Status = kStatusUnbound;
            m_Link.Report(nullptr, kCbUnbindSucceeded);
            return 0;
        }
    }
    return -1;
}

int CClientDeviceControl::DoExport() {
    CallGuard call(*this);
    if (!call) {
        return -1;
    }
    boost::lock_guard<boost::mutex> hold(m_RequestLock);
    m_Status = kStatusListRequested;
    WriteLog("DoExport\n");
    ForgetReply(zamp::kRepDevList);
    if (ExportDeviceRequest() < 0) {
        m_Link.Report("ERR", kCbAttachFailed);
        return -1;
    }
    if (!WaitForReply(zamp::kRepDevList, platform::NowMs() + m_Timings.exportWaitMs)) {
        return -1;
    }
    if (ExportDeviceReply() < 0) {
        m_Link.Report("ERR", kCbDeviceListRejected);
        return -1;
    }
    m_Status = kStatusListReceived;
    WriteLog("DoExportEnd\n");
    return 0;
}

// ---- Devices ----

CClientDeviceControl::DevicePtr CClientDeviceControl::NewDevice(const zamp::ZampDeviceEntry& entry,
                                                                int state) {
    auto device = std::make_shared<CZAMPDevice>();
    device->InitZAMPDevice(m_Address);
    device->SetEntry(entry);
    LogDeviceRecord(entry.record);
    LogInterfaces(entry);
    if (device->IsUnsupported()) {
        WriteLog("not support this device\n");
    }
    device->SetState(state);
    return device;
}

int CClientDeviceControl::ExportDeviceReply() {
    WriteLog("ExportDeviceReply\n");
    std::vector<uint8_t> reply;
    {
        boost::lock_guard<boost::mutex> hold(m_ReplyLock);
        reply = m_Reply;
    }
    std::vector<zamp::ZampDeviceEntry> entries;
    std::string why;
    if (StoredReplyHeader().code != zamp::kRepDevList) {
        WriteLog("The reply is not a device list\n");
        return -1;
    }
    if (!zamp::ParseDeviceList(reply, &entries, &why)) {
        WriteLog("Device list rejected: %s\n", why.c_str());
        return -1;
    }
    // Devices of an earlier list end before the new list replaces them.
    for (const DevicePtr& old : Devices()) {
        m_pForwarder->TerminateDevice(*old);
    }
    std::vector<DevicePtr> devices;
    for (const zamp::ZampDeviceEntry& entry : entries) {
        DevicePtr device = NewDevice(entry, CZAMPDevice::kListed);
        WriteLog("devicecount:%d\n", static_cast<int>(devices.size() + 1));
        devices.push_back(std::move(device));
    }
    std::erase_if(devices, [](const DevicePtr& d) { return d->IsUnsupported(); });
    for (size_t i = 0; i < devices.size(); ++i) {
        devices[i]->SetListIndex(static_cast<int>(i));
    }
    ReplaceDevices(std::move(devices));
    return static_cast<int>(entries.size());
}

int CClientDeviceControl::AutoExportDevice(std::span<const uint8_t> message) {
    WriteLog("****** AutoExport *******\n");
    m_Status = kStatusExportRequested;
    // Every way out, a refusal included, ends the export's status.
    struct ExportDone {
        std::atomic<int>& status;
        ~ExportDone() { status = kStatusExportDone; }
    } done{m_Status};
    zamp::ZampDeviceEntry entry;
    std::string why;
    if (!zamp::ParseExportRequest(message, &entry, &why)) {
        WriteLog("Export request rejected: %s\n", why.c_str());
        return -1;
    }
    if (entry.record.busId.empty()) {
        WriteLog("BusID value is null\n");
        return -1;
    }
    // An earlier device with the same bus id must have finished first; it
    // then leaves the list so that the bus id names one device only.
    std::vector<DevicePtr> devices = Devices();
    auto same = std::find_if(devices.begin(), devices.end(), [&](const DevicePtr& d) {
        return d->GetBusId() == entry.record.busId;
    });
    if (same != devices.end()) {
        const DevicePtr earlier = *same;
        const uint64_t deadline = platform::NowMs() + m_Timings.sameBusIdWaitMs;
        while (!FinishedState(earlier->GetState())) {
            if (platform::NowMs() >= deadline || Stopping()) {
                WriteLog("Busid=%8s is still shared; export refused\n", entry.record.busId.c_str());
                return -1;
            }
            platform::SleepMs(kStatePollMs);
        }
        m_pForwarder->TerminateDevice(*earlier);
        boost::lock_guard<boost::recursive_mutex> hold(m_DeviceLock);
        std::erase(m_Devices, earlier);
    }

    DevicePtr device = NewDevice(entry, CZAMPDevice::kRequested);
    if (device->IsUnsupported()) {
        WriteLog("device count:%d\n", GetDeviceCount());
        return 0;
    }
    {
        boost::lock_guard<boost::recursive_mutex> hold(m_DeviceLock);
        device->SetListIndex(static_cast<int>(m_Devices.size()));
        m_Devices.push_back(device);
    }
    m_pForwarder->StartAttachDeviceThread(device);
    if (m_Timings.exportPauseMs) {
        platform::SleepMs(m_Timings.exportPauseMs);
    }
    WriteLog("device count:%d\n", GetDeviceCount());
    return 0;
}

int CClientDeviceControl::AutoUnExportDevice(std::span<const uint8_t> message) {
    WriteLog("AutoUnExportDevice\n");
    zamp::UsbDeviceRecord record;
    std::string why;
    if (!zamp::ParseUnexportRequest(message, &record, &why)) {
        WriteLog("Unexport request rejected: %s\n", why.c_str());
        return -1;
    }
    LogDeviceRecord(record);
    DevicePtr device;
    int index = -1;
    if (!record.busId.empty()) {
        boost::lock_guard<boost::recursive_mutex> hold(m_DeviceLock);
        for (size_t i = 0; i < m_Devices.size(); ++i) {
            if (m_Devices[i]->GetBusId() == record.busId) {
                device = m_Devices[i];
                index = static_cast<int>(i);
                break;
            }
        }
    }
    if (!device) {
        WriteLog("BusID value is null\n");
        return -1;
    }
    WriteLog("Busid=%8s auto detached\n", record.busId.c_str());
    m_Link.Report(record.busId.c_str(), kCbDeviceWithdrawn);
    WriteLog("DetachDeviceByIndex: %d\n", index);
    m_pForwarder->DetachDevice(*device);
    if (m_Timings.unexportPauseMs) {
        platform::SleepMs(m_Timings.unexportPauseMs);
    }
    m_pForwarder->TerminateDevice(*device);
    {
        boost::lock_guard<boost::recursive_mutex> hold(m_DeviceLock);
        std::erase(m_Devices, device);
    }
    WriteLog("AutoUnExportDeviceEnd\n");
    return 0;
}
