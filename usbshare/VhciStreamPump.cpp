#include "usbshare/VhciStreamPump.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "usbshare/UsbIpConnection.h"
#include "usbshare/UsbIpHeader.h"
#include "usbshare/VhciTranslate.h"
#include "usbshare/ZampLog.h"

namespace usbip {

VhciStreamPump::VhciStreamPump(int kernelFd, int relayFd)
    : m_kernelFd(kernelFd), m_relayFd(relayFd) {}

VhciStreamPump::~VhciStreamPump() {
    Stop();
}

void VhciStreamPump::Start() {
    for (int fd : {m_kernelFd, m_relayFd}) {
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    }
    m_thread = boost::thread([this] { Run(); });
}

void VhciStreamPump::Stop() {
    m_stop.Raise();
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void VhciStreamPump::Run() {
    for (;;) {
        pollfd p[3] = {{m_stop.Fd(), POLLIN, 0}, {m_kernelFd, POLLIN, 0}, {m_relayFd, POLLIN, 0}};
        if (::poll(p, 3, -1) < 0 && errno != EINTR) {
            break;
        }
        if (p[0].revents || (p[1].revents && !FromKernel()) || (p[2].revents && !ToKernel())) {
            break;
        }
    }
    ::shutdown(m_kernelFd, SHUT_RDWR);
    ::shutdown(m_relayFd, SHUT_RDWR);
}

bool VhciStreamPump::FromKernel() {
    uint8_t buffer[64 * 1024];
    const ssize_t n = ::recv(m_kernelFd, buffer, sizeof buffer, MSG_DONTWAIT);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
        return true;
    }
    if (n <= 0) {
        return false;
    }
    m_stream.insert(m_stream.end(), buffer, buffer + n);
    while (m_stream.size() >= kHeaderSize) {
        const uint64_t size =
            KernelRequestSize(std::span<const uint8_t, kHeaderSize>(m_stream.data(), kHeaderSize));
        if (size == 0) {
            WriteLog("vhci sent a request this bus can't carry\n");
            return false;
        }
        if (m_stream.size() < size) {
            break;
        }
        std::span<uint8_t> request(m_stream.data(), static_cast<size_t>(size));
        RequestFromKernel(request);
        if (SendExact(m_relayFd, request.data(), request.size(), m_stop.Fd()) != IoResult::kOk) {
            return false;
        }
        m_stream.erase(m_stream.begin(), m_stream.begin() + static_cast<ptrdiff_t>(size));
    }
    return true;
}

bool VhciStreamPump::ToKernel() {
    // The buffer grows with the largest reply seen (the relay never writes
    // one above kMaxMessageSize).
    const ssize_t size = PeekMessageSize(m_relayFd);
    if (size < 0 && (errno == EAGAIN || errno == EINTR)) {
        return true;
    }
    if (size <= 0 || static_cast<size_t>(size) > kMaxMessageSize) {
        return false;
    }
    if (m_message.size() < static_cast<size_t>(size)) {
        m_message.resize(static_cast<size_t>(size));
    }
    const ssize_t n = ::recv(m_relayFd, m_message.data(), m_message.size(), MSG_DONTWAIT);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
        return true;
    }
    if (n <= 0) {
        return false;
    }
    std::span<uint8_t> reply(m_message.data(), static_cast<size_t>(n));
    if (!ReplyToKernel(reply)) {
        WriteLog("reply shorter than its header says\n");
        return false;
    }
    return SendExact(m_kernelFd, reply.data(), reply.size(), m_stop.Fd()) == IoResult::kOk;
}

}  // namespace usbip
