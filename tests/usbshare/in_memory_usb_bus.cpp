#include "tests/usbshare/in_memory_usb_bus.h"

#include <poll.h>

#include <algorithm>
#include <chrono>

namespace porvane_test {

class InMemoryBusHandle final : public usbip::VirtualUsbBusHandle {
public:
    explicit InMemoryBusHandle(InMemoryUsbBus& bus) : m_bus(bus) {}
    ~InMemoryBusHandle() override {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }

    bool GetPortsStatus(usbip::PortTable* table) override {
        table->fill(0);
        std::lock_guard<std::mutex> hold(m_bus.m_lock);
        if (m_bus.m_allUsed) {
            table->fill(1);
            (*table)[0] = 127;
            return true;
        }
        for (const auto& [port, p] : m_bus.m_ports) {
            if (!p.plugged) {
                continue;
            }
            (*table)[static_cast<size_t>(port)] = 1;
            (*table)[0] = std::max<uint8_t>((*table)[0], static_cast<uint8_t>(port));
        }
        return true;
    }
    int PlugIn(const usbip::PlugInRecord& record) override {
        if (m_fd >= 0) {
            return -1;
        }
        return m_bus.PlugIn(record, &m_fd);
    }
    int StartDetach(int port) override { return m_bus.StartDetach(port); }
    int Unplug(int port) override { return m_bus.Unplug(port); }
    int Fd() const override { return m_fd; }

private:
    InMemoryUsbBus& m_bus;
    int m_fd = -1;
};

InMemoryUsbBus::~InMemoryUsbBus() {
    for (auto& [port, p] : m_ports) {
        ::close(p.hostFd);
    }
}

std::unique_ptr<usbip::VirtualUsbBusHandle> InMemoryUsbBus::Open() {
    std::lock_guard<std::mutex> hold(m_lock);
    if (!m_available) {
        return nullptr;
    }
    return std::make_unique<InMemoryBusHandle>(*this);
}

int InMemoryUsbBus::PlugIn(const usbip::PlugInRecord& record, int* deviceFd) {
    std::lock_guard<std::mutex> hold(m_lock);
    auto old = m_ports.find(record.port);
    if (record.port == 0 || (old != m_ports.end() && old->second.plugged)) {
        return -1;
    }
    if (old != m_ports.end()) {
        ::close(old->second.hostFd);
    }
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, pair) != 0) {
        return -1;
    }
    m_ports[record.port] = Port{pair[0], true, record};
    *deviceFd = pair[1];
    m_plugOrder.push_back(record.port);
    m_calls.push_back("plug " + std::to_string(record.port));
    m_changed.notify_all();
    return 0;
}

void InMemoryUsbBus::SetStartDetachHeld(bool held) {
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_startDetachHeld = held;
    }
    m_changed.notify_all();
}

int InMemoryUsbBus::StartDetach(int port) {
    std::unique_lock<std::mutex> hold(m_lock);
    m_calls.push_back("start-detach " + std::to_string(port));
    m_changed.notify_all();
    m_changed.wait(hold, [this] { return !m_startDetachHeld; });
    return 0;
}

int InMemoryUsbBus::Unplug(int port) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_calls.push_back("unplug " + std::to_string(port));
    m_changed.notify_all();
    if (m_unplugTimesOut) {
        return -1;  // the bus did not finish within its bound
    }
    auto it = m_ports.find(port);
    if (it == m_ports.end() || !it->second.plugged) {
        return -1;
    }
    it->second.plugged = false;
    return 0;
}

void InMemoryUsbBus::Note(const std::string& call) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_calls.push_back(call);
    m_changed.notify_all();
}

std::vector<int> InMemoryUsbBus::WaitForPlugIns(size_t n, int timeoutMs) {
    std::unique_lock<std::mutex> hold(m_lock);
    m_changed.wait_for(hold, std::chrono::milliseconds(timeoutMs),
                       [&] { return m_plugOrder.size() >= n; });
    return m_plugOrder;
}

bool InMemoryUsbBus::WaitForCalls(const std::string& call, size_t n, int timeoutMs) {
    std::unique_lock<std::mutex> hold(m_lock);
    return m_changed.wait_for(hold, std::chrono::milliseconds(timeoutMs), [&] {
        return static_cast<size_t>(std::count(m_calls.begin(), m_calls.end(), call)) >= n;
    });
}

usbip::PlugInRecord InMemoryUsbBus::Record(int port) {
    std::lock_guard<std::mutex> hold(m_lock);
    auto it = m_ports.find(port);
    return it == m_ports.end() ? usbip::PlugInRecord{} : it->second.record;
}

bool InMemoryUsbBus::IsPlugged(int port) {
    std::lock_guard<std::mutex> hold(m_lock);
    auto it = m_ports.find(port);
    return it != m_ports.end() && it->second.plugged;
}

std::vector<std::string> InMemoryUsbBus::Calls() {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_calls;
}

int InMemoryUsbBus::HostFd(int port) {
    std::lock_guard<std::mutex> hold(m_lock);
    auto it = m_ports.find(port);
    return it == m_ports.end() ? -1 : it->second.hostFd;
}

bool InMemoryUsbBus::Submit(int port, const usbip::UsbIpHeader& header,
                            const std::vector<uint8_t>& data) {
    const auto h = header.Encode();
    std::vector<uint8_t> bytes(h.size() + data.size());
    std::copy(h.begin(), h.end(), bytes.begin());
    std::copy(data.begin(), data.end(), bytes.begin() + static_cast<ptrdiff_t>(h.size()));
    return SubmitRaw(port, bytes);
}

bool InMemoryUsbBus::SubmitRaw(int port, const std::vector<uint8_t>& bytes) {
    const int fd = HostFd(port);
    return fd >= 0 && ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) ==
                          static_cast<ssize_t>(bytes.size());
}

bool InMemoryUsbBus::ReadReply(int port, usbip::UsbIpHeader* header, std::vector<uint8_t>* body,
                               int timeoutMs) {
    const int fd = HostFd(port);
    if (fd < 0) {
        return false;
    }
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, timeoutMs) <= 0) {
        return false;
    }
    std::vector<uint8_t> buffer(1 << 16);
    const ssize_t n = ::recv(fd, buffer.data(), buffer.size(), 0);
    if (n < static_cast<ssize_t>(usbip::kHeaderSize)) {
        return false;
    }
    *header = usbip::UsbIpHeader::Decode(
        std::span<const uint8_t, usbip::kHeaderSize>(buffer.data(), usbip::kHeaderSize));
    body->assign(buffer.begin() + usbip::kHeaderSize, buffer.begin() + n);
    return true;
}

}  // namespace porvane_test
