#include "tests/receiver/usb/UsbIpDeviceSim.h"

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

uint32_t Le32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

void PutLe32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        p[i] = static_cast<uint8_t>(v >> (8 * i));
    }
}

// Reads exactly n bytes, giving up when the simulator stops.
bool ReadAll(int fd, uint8_t* out, size_t n, const std::atomic<bool>& stop) {
    size_t got = 0;
    while (got < n) {
        pollfd p{fd, POLLIN, 0};
        const int r = ::poll(&p, 1, 20);
        if (stop) {
            return false;
        }
        if (r <= 0) {
            continue;
        }
        const ssize_t k = ::recv(fd, out + got, n - got, 0);
        if (k <= 0) {
            return false;
        }
        got += static_cast<size_t>(k);
    }
    return true;
}

bool WriteAll(int fd, const std::vector<uint8_t>& bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t k = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (k <= 0) {
            return false;
        }
        sent += static_cast<size_t>(k);
    }
    return true;
}

constexpr size_t kUsbIpHeader = 48;
constexpr uint32_t kRetSubmit = 0x58000003;
constexpr uint32_t kRetUnlink = 0x58000004;
constexpr uint32_t kMaxTransfer = 1 << 20;

}  // namespace

UsbIpDeviceSim::~UsbIpDeviceSim() {
    Stop();
}

bool UsbIpDeviceSim::Start(const char* address) {
    m_listen = ListenOnLoopback(address, &m_port);
    if (m_listen < 0) {
        return false;
    }
    m_acceptThread = std::thread([this] { Serve(); });
    return true;
}

void UsbIpDeviceSim::Stop() {
    m_stop = true;
    if (m_acceptThread.joinable()) {
        m_acceptThread.join();
    }
    std::vector<std::thread> connections;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        connections.swap(m_connections);
    }
    for (auto& t : connections) {
        t.join();
    }
    if (m_listen >= 0) {
        ::close(m_listen);
        m_listen = -1;
    }
}

void UsbIpDeviceSim::Serve() {
    AcceptUntil(m_listen, m_stop, [this](int fd) {
        std::lock_guard<std::mutex> hold(m_lock);
        m_fds[fd] = "";
        m_connections.emplace_back([this, fd] { HandleConnection(fd); });
    });
}

void UsbIpDeviceSim::HandleConnection(int fd) {
    std::string bus;
    if (Import(fd, &bus)) {
        Relay(fd, bus);
    }
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_fds.erase(fd);
    }
    ::close(fd);
}

bool UsbIpDeviceSim::Import(int fd, std::string* bus) {
    uint8_t req[56];
    if (!ReadAll(fd, req, sizeof req, m_stop)) {
        return false;
    }
    // "zamp", version 0x0106, code 0x8003, status 0, reserved 0, length 36, word 1.
    static const uint8_t head[8] = {'z', 'a', 'm', 'p', 0x06, 0x01, 0x03, 0x80};
    if (std::memcmp(req, head, 8) != 0 || Le32(req + 8) != 0 || Le32(req + 12) != 0 ||
        Le32(req + 16) != 36 || Le32(req + 20) != 1 || req[55] != 0) {
        Error("bad import request");
        return false;
    }
    *bus = std::string(reinterpret_cast<const char*>(req + 24));
    SimUsbDevice device;
    bool known = false;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_imports.push_back(*bus);
        m_fds[fd] = *bus;
        for (const SimUsbDevice& d : m_devices) {
            if (d.busId == *bus) {
                device = d;
                known = true;
            }
        }
    }
    m_changed.notify_all();
    if (!known) {
        return false;  // the receiver closes: no such device
    }
    if (m_silentImport) {
        uint8_t ignored[1];
        ReadAll(fd, ignored, sizeof ignored, m_stop);  // holds the line until the sender goes
        return false;
    }
    std::vector<uint8_t> reply = zampwire::Header(0x0003, 0, 316);
    reply.resize(24, 0);
    const auto record = zampwire::Record(device);
    reply.insert(reply.end(), record.begin(), record.end());
    return WriteAll(fd, reply);
}

bool UsbIpDeviceSim::Relay(int fd, const std::string& bus) {
    for (;;) {
        uint8_t h[kUsbIpHeader];
        if (!ReadAll(fd, h, sizeof h, m_stop)) {
            return false;
        }
        const uint32_t command = Le32(h);
        const uint32_t direction = Le32(h + 12);
        const uint8_t ep = static_cast<uint8_t>(Le32(h + 16));
        const uint32_t length = Le32(h + 24);
        const uint32_t packets = Le32(h + 32);
        if ((command != 1 && command != 2) || length > kMaxTransfer || packets != 0) {
            Error("bad USB/IP request " + std::to_string(command));
            return false;
        }
        std::vector<uint8_t> out;
        if (command == 1 && direction == 0 && length > 0) {
            out.resize(length);
            if (!ReadAll(fd, out.data(), length, m_stop)) {
                return false;
            }
        }
        std::vector<uint8_t> body;
        {
            std::lock_guard<std::mutex> hold(m_lock);
            ++m_requests;
            auto& data = m_outData[bus];
            data.insert(data.end(), out.begin(), out.end());
            if (command == 1 && direction != 0) {
                auto& queue = m_reports[{bus, static_cast<uint8_t>(ep | 0x80)}];
                if (!queue.empty()) {
                    body = std::move(queue.front());
                    queue.pop_front();
                } else {
                    body.resize(length);
                    for (size_t i = 0; i < body.size(); ++i) {
                        body[i] = static_cast<uint8_t>(i);
                    }
                }
            }
        }
        m_changed.notify_all();
        if (m_silent || (m_silentSubmits && command == 1)) {
            continue;
        }
        std::vector<uint8_t> reply(h, h + kUsbIpHeader);
        PutLe32(reply.data(), command == 1 ? kRetSubmit : kRetUnlink);
        if (m_badMark.exchange(false)) {
            reply[3] = 0x12;
        }
        PutLe32(reply.data() + 20, command == 1 ? 0 : static_cast<uint32_t>(-104));
        PutLe32(reply.data() + 24,
                command == 1 ? (direction ? static_cast<uint32_t>(body.size()) : length) : 0);
        reply.insert(reply.end(), body.begin(), body.end());
        if (!WriteAll(fd, reply)) {
            return false;
        }
        if (m_stray.exchange(false)) {
            std::vector<uint8_t> stray(h, h + kUsbIpHeader);
            PutLe32(stray.data(), kRetSubmit);
            PutLe32(stray.data() + 4, Le32(h + 4) + 1000);
            PutLe32(stray.data() + 12, 1);
            PutLe32(stray.data() + 20, 0);
            PutLe32(stray.data() + 24, 6);
            stray.insert(stray.end(), 6, 0xee);
            if (!WriteAll(fd, stray)) {
                return false;
            }
        }
    }
}

void UsbIpDeviceSim::SetDevices(std::vector<SimUsbDevice> devices) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_devices = std::move(devices);
}

void UsbIpDeviceSim::QueueReport(const std::string& bus, uint8_t ep, std::vector<uint8_t> data) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_reports[{bus, ep}].push_back(std::move(data));
}

void UsbIpDeviceSim::DropConnections() {
    std::lock_guard<std::mutex> hold(m_lock);
    for (const auto& [fd, bus] : m_fds) {
        ::shutdown(fd, SHUT_RDWR);
    }
}

void UsbIpDeviceSim::DropConnection(const std::string& bus) {
    std::lock_guard<std::mutex> hold(m_lock);
    for (const auto& [fd, connectionBus] : m_fds) {
        if (connectionBus == bus) {
            ::shutdown(fd, SHUT_RDWR);
        }
    }
}

bool UsbIpDeviceSim::WaitForImports(size_t n, int timeoutMs) {
    std::unique_lock<std::mutex> hold(m_lock);
    return m_changed.wait_for(hold, std::chrono::milliseconds(timeoutMs),
                              [&] { return m_imports.size() >= n; });
}

bool UsbIpDeviceSim::WaitForRequests(size_t n, int timeoutMs) {
    std::unique_lock<std::mutex> hold(m_lock);
    return m_changed.wait_for(hold, std::chrono::milliseconds(timeoutMs),
                              [&] { return m_requests >= n; });
}

std::vector<std::string> UsbIpDeviceSim::Imports() {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_imports;
}

std::vector<uint8_t> UsbIpDeviceSim::OutData(const std::string& bus) {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_outData[bus];
}

std::vector<std::string> UsbIpDeviceSim::ProtocolErrors() {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_errors;
}

void UsbIpDeviceSim::Error(const std::string& what) {
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_errors.push_back(what);
    }
    m_changed.notify_all();
}

}  // namespace receiver_sim
