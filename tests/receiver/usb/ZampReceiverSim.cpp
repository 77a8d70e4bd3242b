#include "tests/receiver/usb/ZampReceiverSim.h"

#include "tests/receiver/usb/LoopbackListener.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace receiver_sim {
namespace {

using namespace zampwire;

uint16_t Le16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
uint32_t Le32(const uint8_t* p) {
    return static_cast<uint32_t>(Le16(p)) | (static_cast<uint32_t>(Le16(p + 2)) << 16);
}

uint16_t ReplyCodeOf(uint16_t request) {
    switch (request) {
        case kInfoReq:
            return kInfoRep;
        case kBindReq:
            return kBindRep;
        case kUnbindReq:
            return kUnbindRep;
        case kDevListReq:
            return kDevListRep;
        default:
            return 0;
    }
}

}  // namespace

ZampReceiverSim::~ZampReceiverSim() {
    Stop();
}

bool ZampReceiverSim::Start(const char* address) {
    m_listen = ListenOnLoopback(address, &m_port);
    if (m_listen < 0) {
        return false;
    }
    m_stop = false;
    m_thread = std::thread([this] { Serve(); });
    return true;
}

void ZampReceiverSim::Stop() {
    m_stop = true;
    if (m_thread.joinable()) {
        m_thread.join();
    }
    if (m_listen >= 0) {
        ::close(m_listen);
        m_listen = -1;
    }
}

void ZampReceiverSim::Serve() {
    AcceptUntil(m_listen, m_stop, [this](int fd) {
        ++m_connections;
        HandleClient(fd);
    });
}

void ZampReceiverSim::HandleClient(int fd) {
    {
        std::lock_guard<std::mutex> hold(m_sendLock);
        m_client = fd;
    }
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_connected = true;
    }
    m_changed.notify_all();
    std::vector<uint8_t> in;
    uint8_t buffer[4096];
    bool open = true;
    while (open && !m_stop) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0) {
            std::lock_guard<std::mutex> hold(m_sendLock);
            open = m_client == fd;  // CloseClient takes it away
            continue;
        }
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) {
            break;
        }
        in.insert(in.end(), buffer, buffer + n);
        open = Consume(in);
    }
    {
        std::lock_guard<std::mutex> hold(m_sendLock);
        if (m_client == fd) {
            m_client = -1;
        }
    }
    ::close(fd);
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_connected = false;
        m_held.clear();
    }
    m_changed.notify_all();
}

bool ZampReceiverSim::Consume(std::vector<uint8_t>& in) {
    while (in.size() >= kHeader) {
        const uint8_t* p = in.data();
        if (std::memcmp(p, "zamp", 4) != 0) {
            Error("message without the zamp magic");
            return false;
        }
        Message m;
        const uint16_t version = Le16(p + 4);
        m.code = Le16(p + 6);
        m.status = Le32(p + 8);
        const uint32_t reserved = Le32(p + 12);
        m.length = Le32(p + 16);
        if (version != kVersion) {
            Error("version " + std::to_string(version));
            return false;
        }
        if (reserved != 0 || m.status != 0) {
            Error("status or reserved field not 0 in code " + std::to_string(m.code));
            return false;
        }
        const bool request = ReplyCodeOf(m.code) != 0;
        if (request && m.length != 0) {
            Error("request with a body");
            return false;
        }
        if (!request && m.code != kKeepAliveRep) {
            Error("unknown code " + std::to_string(m.code));
            return false;
        }
        if (m.code == kKeepAliveRep && m.length != 1) {
            Error("keep-alive reply of length " + std::to_string(m.length));
            return false;
        }
        if (in.size() < kHeader + m.length) {
            return true;  // the rest is on its way
        }
        m.body.assign(in.begin() + kHeader, in.begin() + static_cast<long>(kHeader + m.length));
        in.erase(in.begin(), in.begin() + static_cast<long>(kHeader + m.length));
        if (m.code == kKeepAliveRep && m.body[0] != 1) {
            Error("keep-alive reply with value " + std::to_string(m.body[0]));
            return false;
        }
        {
            std::lock_guard<std::mutex> hold(m_lock);
            m_messages.push_back(m);
        }
        m_changed.notify_all();
        if (request && !Answer(m)) {
            return false;
        }
    }
    return true;
}

bool ZampReceiverSim::Answer(const Message& m) {
    Action action;
    std::vector<SimUsbDevice> devices;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        auto& queue = m_script[m.code];
        if (!queue.empty()) {
            action = queue.front();
            queue.pop_front();
        }
        devices = m_devices;
    }
    if (action.kind == Action::kDrop) {
        return true;
    }
    const uint16_t code = action.replyCode ? action.replyCode : ReplyCodeOf(m.code);
    std::vector<uint8_t> reply =
        code == kDevListRep ? DeviceListReply(devices, m_reading) : Header(code, action.status, 0);
    if (code == kDevListRep) {
        reply[8] = static_cast<uint8_t>(action.status);  // scripted status of a list
    }
    if (action.kind == Action::kHold) {
        std::lock_guard<std::mutex> hold(m_lock);
        m_held.push_back(std::move(reply));
        return true;
    }
    return Send(reply);
}

void ZampReceiverSim::Script(uint16_t requestCode, Action action) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_script[requestCode].push_back(action);
}

void ZampReceiverSim::SetDevices(std::vector<SimUsbDevice> devices) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_devices = std::move(devices);
}

void ZampReceiverSim::ReleaseHeld() {
    std::vector<std::vector<uint8_t>> held;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        held.swap(m_held);
    }
    for (const auto& reply : held) {
        Send(reply);
    }
}

bool ZampReceiverSim::SendExport(const SimUsbDevice& device) {
    return Send(ExportRequest(device, m_reading));
}

bool ZampReceiverSim::SendUnexport(const SimUsbDevice& device) {
    return Send(UnexportRequest(device));
}

bool ZampReceiverSim::SendKeepAliveRequest() {
    return Send(Header(kKeepAliveReq, 0, 0));
}

bool ZampReceiverSim::SendRaw(const std::vector<uint8_t>& bytes, size_t chunk) {
    return Send(bytes, chunk);
}

bool ZampReceiverSim::Send(const std::vector<uint8_t>& bytes, size_t chunk) {
    std::lock_guard<std::mutex> hold(m_sendLock);
    return SendLocked(bytes, chunk);
}

bool ZampReceiverSim::SendLocked(const std::vector<uint8_t>& bytes, size_t chunk) {
    if (m_client < 0) {
        return false;
    }
    const size_t step = chunk ? chunk : bytes.size();
    for (size_t off = 0; off < bytes.size(); off += step) {
        const size_t n = std::min(step, bytes.size() - off);
        size_t sent = 0;
        while (sent < n) {
            const ssize_t r = ::send(m_client, bytes.data() + off + sent, n - sent, MSG_NOSIGNAL);
            if (r < 0 && errno == EINTR) {
                continue;
            }
            if (r <= 0) {
                return false;
            }
            sent += static_cast<size_t>(r);
        }
        if (chunk) {
            // Give the sender a chance to read each piece on its own.
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    return true;
}

void ZampReceiverSim::CloseClient() {
    std::lock_guard<std::mutex> hold(m_sendLock);
    if (m_client >= 0) {
        ::shutdown(m_client, SHUT_RDWR);
        m_client = -1;
    }
}

void ZampReceiverSim::Error(const std::string& what) {
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_errors.push_back(what);
    }
    m_changed.notify_all();
}

bool ZampReceiverSim::WaitForMessages(size_t n, int timeoutMs) {
    std::unique_lock<std::mutex> hold(m_lock);
    return m_changed.wait_for(hold, std::chrono::milliseconds(timeoutMs),
                              [&] { return m_messages.size() >= n; });
}

bool ZampReceiverSim::WaitForCount(uint16_t code, size_t n, int timeoutMs) {
    std::unique_lock<std::mutex> hold(m_lock);
    return m_changed.wait_for(hold, std::chrono::milliseconds(timeoutMs), [&] {
        size_t count = 0;
        for (const Message& m : m_messages) {
            count += m.code == code;
        }
        return count >= n;
    });
}

bool ZampReceiverSim::WaitForClient(int timeoutMs) {
    std::unique_lock<std::mutex> hold(m_lock);
    return m_changed.wait_for(hold, std::chrono::milliseconds(timeoutMs),
                              [&] { return m_connected; });
}

bool ZampReceiverSim::WaitForDisconnect(int timeoutMs) {
    std::unique_lock<std::mutex> hold(m_lock);
    return m_changed.wait_for(hold, std::chrono::milliseconds(timeoutMs),
                              [&] { return !m_connected; });
}

std::vector<ZampReceiverSim::Message> ZampReceiverSim::Messages() {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_messages;
}

size_t ZampReceiverSim::CountOf(uint16_t code) {
    std::lock_guard<std::mutex> hold(m_lock);
    size_t count = 0;
    for (const Message& m : m_messages) {
        count += m.code == code;
    }
    return count;
}

std::vector<std::string> ZampReceiverSim::ProtocolErrors() {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_errors;
}

}  // namespace receiver_sim
