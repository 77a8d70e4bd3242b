#include "usbshare/UsbIpRelay.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>

#include "platform/clock.h"
#include "usbshare/UsbIpConnection.h"
#include "usbshare/UsbIpMessageRules.h"
#include "usbshare/ZAMPDevice.h"
#include "usbshare/ZampLog.h"

namespace usbip {
namespace {

// How often the loop looks at the session's quit flag while nothing moves.
constexpr int kQuitCheckMs = 100;
// How long a completion written on the way out may wait for room on the bus.
constexpr int kCompletionWriteMs = 1000;

}  // namespace

UsbIpRelay::UsbIpRelay(CZAMPDevice& device, porvane::ZampLinkState& link, int socketFd,
                       VirtualUsbBusHandle& bus, int port, int stopFd)
    : m_device(device),
      m_link(link),
      m_socket(socketFd),
      m_bus(bus),
      m_port(port),
      m_stopFd(stopFd) {}

void UsbIpRelay::Run() {
    const char* bus = m_device.GetBusId().c_str();
    WriteLog("****USBIPForward [busid:%8s]****\n", bus);
    // The buffers grow with the largest request and reply seen, up to
    // kMaxMessageSize; most devices never need more than a few kilobytes.
    const int busFd = m_bus.Fd();
    ::fcntl(busFd, F_SETFL, ::fcntl(busFd, F_GETFL) | O_NONBLOCK);

    while (m_link.quit.load() == 0) {
        pollfd p[3] = {{m_stopFd, POLLIN, 0}, {busFd, POLLIN, 0}, {m_socket, POLLIN, 0}};
        const int n = ::poll(p, 3, kQuitCheckMs);
        if (n < 0 && errno != EINTR) {
            break;
        }
        if (p[0].revents) {
            break;
        }
        if (p[1].revents && !OnBusReadable()) {
            break;
        }
        if (p[2].revents && !OnSocketReadable()) {
            break;
        }
    }

    WriteLog("********usbip_vbus_start_detach_device start\n");
    m_bus.StartDetach(m_port);
    WriteLog("****usbip_vbus_start_detach_device end****\n");
    CompletePending();
    m_request.clear();
    m_request.shrink_to_fit();
    m_reply.clear();
    m_reply.shrink_to_fit();
    WriteLog("****USBIPForwardEnd[busid:%8s]****\n", bus);
}

bool UsbIpRelay::OnBusReadable() {
    const char* bus = m_device.GetBusId().c_str();
    if (m_device.m_bDevErr || m_link.sockErr.load() != 0 || m_device.m_bSocket_Error) {
        return false;
    }
    const int fd = m_bus.Fd();
    // One request per message; its size says how much room it needs.
    const ssize_t size = PeekMessageSize(fd);
    if (size < 0 && (errno == EAGAIN || errno == EINTR)) {
        return true;
    }
    if (size <= 0) {
        WriteLog("read:%zd, err %d[busid:%8s]\n", size, errno, bus);
        m_device.m_bDevErr = 1;
        return false;
    }
    const bool tooBig = static_cast<size_t>(size) > kMaxMessageSize;
    // An oversize request is taken off the bus by its header alone.
    const size_t room = tooBig ? kHeaderSize : static_cast<size_t>(size);
    if (m_request.size() < room) {
        m_request.resize(room);
    }
    const ssize_t n = ::read(fd, m_request.data(), room);
    if (n <= 0) {
        WriteLog("read:%zd, err %d[busid:%8s]\n", n, errno, bus);
        m_device.m_bDevErr = 1;
        return false;
    }
    const size_t len = static_cast<size_t>(n);
    UsbIpHeader h;
    const RequestVerdict verdict =
        tooBig ? RequestVerdict::kMalformed
               : AcceptRequest(std::span<const uint8_t>(m_request.data(), len), m_tracker, &h);
    if (verdict == RequestVerdict::kMalformed) {
        // A request that breaks the format ends this device's forwarding.
        WriteLog("request of %zd bytes does not match its header[busid:%8s]\n", size, bus);
        WriteLog("Dev_Read_Async Write_To_Sock return=%d\n", -1);
        return false;
    }
    if (verdict == RequestVerdict::kUntracked) {
        // Sent untracked, its reply could not be matched, nor the request
        // completed when the device goes.
        WriteLog("seq %u can't be tracked: %zu requests open[busid:%8s]\n", h.seqnum,
                 m_tracker.PendingCount(), bus);
        WriteLog("Dev_Read_Async Write_To_Sock return=%d\n", -1);
        return false;
    }
    WriteLog(
        "#### send packet to network: command(0x%04X) seqnum(%4u) devid(0x%08X) direction(%u) "
        "ep(%02X)\n",
        h.command, h.seqnum, h.devid, h.direction, h.ep);
    const IoResult sent = SendExact(m_socket, m_request.data(), len, m_stopFd);
    if (sent == IoResult::kFailed) {
        WriteLog("Dev_Read_Async Write_To_Sock return=%d\n", -1);
        m_device.m_bSocket_Error = 1;
    }
    return sent == IoResult::kOk;
}

bool UsbIpRelay::OnSocketReadable() {
    const char* bus = m_device.GetBusId().c_str();
    if (m_device.m_bSocket_Error || m_device.m_bDevErr || m_link.sockErr.load() != 0) {
        WriteLog(
            "Sock_Read_Completederr[busid:%8s]:m_bSocket_Error=%d,g_iSockErr=%d,m_bDevErr=%d\n",
            bus, m_device.m_bSocket_Error.load(), m_link.sockErr.load(), m_device.m_bDevErr.load());
        return false;
    }
    std::array<uint8_t, kHeaderSize> header{};
    const IoResult r = RecvExact(m_socket, header.data(), kHeaderSize, m_stopFd);
    if (r == IoResult::kStopped) {
        return false;
    }
    if (r != IoResult::kOk) {
        WriteLog("read from sock ret %d not equal a usbip_header\n", -1);
        m_device.m_bSocket_Error = 1;
        return false;
    }
    WriteLog("********* write_to_dev[busid:%8s]:%d\n", bus, static_cast<int>(kHeaderSize));
    const ReplyRoute route = RouteReply(header, m_tracker);
    const UsbIpHeader& h = route.header;
    if (route.kind == ReplyRoute::Kind::kRefuse) {
        WriteLog("%s: seq %u length %u[busid:%8s]\n", route.why, h.seqnum, h.transferLength, bus);
        return false;
    }
    WriteLog("write_to_dev seq %u EP:%d[busid:%8s]\n", h.seqnum, route.endpoint, bus);
    if (m_link.quit.load() || m_device.m_bDevErr) {
        WriteLog("Quit=%d,DevErr=%d[busid:%8s]\n", m_link.quit.load(), m_device.m_bDevErr.load(),
                 bus);
        return false;
    }
    const size_t body = route.bodyLength;
    const size_t total = kHeaderSize + body;
    if (m_reply.size() < total) {
        m_reply.resize(total);
    }
    std::copy(header.begin(), header.end(), m_reply.begin());
    const IoResult got = body > 0
                             ? RecvExact(m_socket, m_reply.data() + kHeaderSize, body, m_stopFd)
                             : IoResult::kOk;
    if (got == IoResult::kStopped) {
        return false;
    }
    if (got != IoResult::kOk) {
        WriteLog("recv from sock failed %zu %d[busid:%8s]\n", body, errno, bus);
        m_device.m_bSocket_Error = 1;
        return false;
    }
    if (route.kind == ReplyRoute::Kind::kDrop) {
        // No request of this device waits for it: the bus must not see it.
        WriteLog("reply seq %u matches no request: %zu bytes dropped[busid:%8s]\n", h.seqnum, total,
                 bus);
        return true;
    }
    if (body == 0) {
        WriteLog("len_to_read == 0\n");
        return WriteBus(m_reply.data(), kHeaderSize, true);
    }
    if (m_link.quit.load() || m_device.m_bDevErr) {
        return false;
    }
    m_filter.Filter(h, route.endpoint, std::span<uint8_t>(m_reply.data() + kHeaderSize, body));
    return WriteBus(m_reply.data(), total, true);
}

bool UsbIpRelay::WriteBus(const uint8_t* data, size_t len, bool honourStop) {
    const int fd = m_bus.Fd();
    const uint64_t deadline = platform::NowMs() + kCompletionWriteMs;
    for (;;) {
        const ssize_t n = ::write(fd, data, len);
        if (n == static_cast<ssize_t>(len)) {
            return true;
        }
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            pollfd p[2] = {{fd, POLLOUT, 0}, {m_stopFd, POLLIN, 0}};
            const bool expired = !honourStop && platform::NowMs() >= deadline;
            if (!expired && ::poll(p, honourStop ? 2 : 1, kQuitCheckMs) >= 0) {
                if (honourStop && p[1].revents) {
                    return false;  // stopped: not a fault of the bus
                }
                continue;
            }
        }
        m_device.m_bDevErr = 1;
        WriteLog("write dev failed[busid:%8s]\n", m_device.GetBusId().c_str());
        return false;
    }
}

void UsbIpRelay::CompletePending() {
    for (const UsbIpHeader& r : m_tracker.CompleteAll()) {
        const auto bytes = r.Encode();
        const bool ok = !m_device.m_bDevErr && WriteBus(bytes.data(), bytes.size(), false);
        WriteLog(
            "!!!! [Force write seq(%u) Cmd(%08X) Dir(%u) Ep(%X) devid(%X) Length(%d) ret(%d) "
            "Out(%d)] !!!!\n",
            r.seqnum, r.command, r.direction, r.ep, r.devid, static_cast<int>(kHeaderSize),
            ok ? 1 : 0, ok ? static_cast<int>(kHeaderSize) : 0);
    }
}

}  // namespace usbip
