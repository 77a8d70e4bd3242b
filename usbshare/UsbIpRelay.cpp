#include "usbshare/UsbIpRelay.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>

#include "platform/clock.h"
#include "usbshare/UsbIpConnection.h"
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
    // The two buffers are sized once for the largest request or reply.
    m_request.resize(kMaxMessageSize);
    m_reply.resize(kMaxMessageSize);
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
    if (m_device.m_bDevErr || m_link.sockErr.load() != 0 || m_device.m_bSocket_Error) {
        return false;
    }
    const ssize_t n = ::read(m_bus.Fd(), m_request.data(), m_request.size());
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
        return true;
    }
    if (n <= 0) {
        WriteLog("read:%zd, err %d[busid:%8s]\n", n, errno, m_device.GetBusId().c_str());
        m_device.m_bDevErr = 1;
        return false;
    }
    const size_t len = static_cast<size_t>(n);
    bool ok = len >= kHeaderSize;
    UsbIpHeader h;
    if (ok) {
        h = UsbIpHeader::Decode(
            std::span<const uint8_t, kHeaderSize>(m_request.data(), kHeaderSize));
        ok = RequestSize(h) == len && (h.command == kCmdSubmit || h.command == kCmdUnlink);
    }
    if (ok) {
        WriteLog(
            "#### send packet to network: command(0x%04X) seqnum(%4u) devid(0x%08X) direction(%u) "
            "ep(%02X)\n",
            h.command, h.seqnum, h.devid, h.direction, h.ep);
        ok = m_tracker.OnRequest(h) &&
             SendExact(m_socket, m_request.data(), len, m_stopFd) == IoResult::kOk;
    }
    if (!ok) {
        WriteLog("Dev_Read_Async Write_To_Sock return=%d\n", -1);
        m_link.sockErr = -1;
        return false;
    }
    return true;
}

bool UsbIpRelay::OnSocketReadable() {
    const char* bus = m_device.GetBusId().c_str();
    if (m_device.m_bSocket_Error || m_device.m_bDevErr || m_link.sockErr.load() != 0) {
        WriteLog(
            "Sock_Read_Completederr[busid:%8s]:m_bSocket_Error=%d,g_iSockErr=%d,m_bDevErr=%d\n",
            bus, m_device.m_bSocket_Error.load(), m_link.sockErr.load(), m_device.m_bDevErr.load());
        return false;
    }
    uint8_t* header = m_reply.data();
    const IoResult r = RecvExact(m_socket, header, kHeaderSize, m_stopFd);
    if (r == IoResult::kStopped) {
        return false;
    }
    if (r != IoResult::kOk) {
        WriteLog("read from sock ret %d not equal a usbip_header\n", -1);
        m_device.m_bSocket_Error = 1;
        return false;
    }
    if (header[3] != kReplyMark) {
        WriteLog("reply without the reply mark[busid:%8s]\n", bus);
        return false;
    }
    const UsbIpHeader h =
        UsbIpHeader::Decode(std::span<const uint8_t, kHeaderSize>(header, kHeaderSize));
    WriteLog("********* write_to_dev[busid:%8s]:%d\n", bus, static_cast<int>(kHeaderSize));
    const UsbIpRequestTracker::Match match = m_tracker.OnReply(h);
    WriteLog("write_to_dev seq %u EP:%d[busid:%8s]\n", h.seqnum, match.endpoint, bus);
    const uint64_t body = match.hasBody ? ReplyBodySize(h) : 0;
    if (m_link.quit.load() || m_device.m_bDevErr) {
        WriteLog("Quit=%d,DevErr=%d[busid:%8s]\n", m_link.quit.load(), m_device.m_bDevErr.load(),
                 bus);
        return false;
    }
    if (body == 0) {
        WriteLog("len_to_read == 0\n");
        return WriteBus(header, kHeaderSize, true);
    }
    if (kHeaderSize + body > kMaxMessageSize) {
        WriteLog("too big len %llu[busid:%8s]\n", static_cast<unsigned long long>(body), bus);
        return false;
    }
    const size_t bodyLen = static_cast<size_t>(body);
    if (RecvExact(m_socket, header + kHeaderSize, bodyLen, m_stopFd) != IoResult::kOk) {
        WriteLog("recv from sock failed %zu %d[busid:%8s]\n", bodyLen, errno, bus);
        m_device.m_bSocket_Error = 1;
        return false;
    }
    if (m_link.quit.load() || m_device.m_bDevErr) {
        return false;
    }
    m_filter.Filter(h, match.endpoint, std::span<uint8_t>(header + kHeaderSize, bodyLen));
    return WriteBus(header, kHeaderSize + bodyLen, true);
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
