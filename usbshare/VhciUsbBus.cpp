#include "usbshare/VhciUsbBus.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "usbshare/VhciStatus.h"
#include "usbshare/VhciStreamPump.h"
#include "usbshare/ZampLog.h"

namespace usbip {
namespace {

// Writes `text` to a sysfs control file in one write.
bool WriteControl(const std::string& path, const std::string& text) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool ok = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ::close(fd);
    return ok;
}

std::string ReadStatusFiles(const std::string& dir) {
    // "status" holds the first hub, "status.1", "status.2"... further ones.
    std::string text;
    for (int i = 0;; ++i) {
        const std::string path = dir + (i == 0 ? "/status" : "/status." + std::to_string(i));
        std::ifstream in(path);
        if (!in) {
            break;
        }
        std::stringstream s;
        s << in.rdbuf();
        text += s.str();
    }
    return text;
}

}  // namespace

class VhciBusHandle final : public VirtualUsbBusHandle {
public:
    explicit VhciBusHandle(VhciUsbBus& bus) : m_bus(bus) {}
    ~VhciBusHandle() override {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    bool GetPortsStatus(PortTable* table) override { return m_bus.ReadPorts(table); }
    int PlugIn(const PlugInRecord& record) override {
        if (m_fd >= 0) {
            return -1;
        }
        m_fd = m_bus.PlugIn(record);
        return m_fd >= 0 ? 0 : -1;
    }
    // The kernel stops issuing requests for a port as its device goes; there
    // is nothing to ask it beforehand.
    int StartDetach(int) override { return 0; }
    int Unplug(int port) override { return m_bus.Unplug(port); }
    int Fd() const override { return m_fd; }

private:
    VhciUsbBus& m_bus;
    int m_fd = -1;
};

std::unique_ptr<VhciUsbBus> VhciUsbBus::Create(const std::string& controllerDir) {
    if (::access((controllerDir + "/status").c_str(), R_OK) != 0) {
        return nullptr;
    }
    return std::unique_ptr<VhciUsbBus>(new VhciUsbBus(controllerDir));
}

VhciUsbBus::VhciUsbBus(std::string dir) : m_dir(std::move(dir)) {}

VhciUsbBus::~VhciUsbBus() {
    for (auto& [port, plugged] : m_plugged) {
        Release(plugged);
    }
}

std::unique_ptr<VirtualUsbBusHandle> VhciUsbBus::Open() {
    return std::make_unique<VhciBusHandle>(*this);
}

bool VhciUsbBus::ReadPorts(PortTable* table) {
    const std::vector<VhciPort> ports = ParseVhciStatus(ReadStatusFiles(m_dir));
    if (ports.empty()) {
        WriteLog("IOCTL_USBVBUS_GET_PORTS_STATUS: no ports in %s\n", m_dir.c_str());
        return false;
    }
    *table = ToPortTable(ports);
    return true;
}

int VhciUsbBus::PlugIn(const PlugInRecord& record) {
    const int controllerPort = ControllerPort(ParseVhciStatus(ReadStatusFiles(m_dir)), record.port);
    if (controllerPort < 0) {
        return -1;
    }
    int stream[2];
    int messages[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, stream) != 0) {
        return -1;
    }
    if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, messages) != 0) {
        ::close(stream[0]);
        ::close(stream[1]);
        return -1;
    }
    // "port sockfd devid speed": the kernel takes its own reference on the
    // socket named by our descriptor number.
    char line[64];
    std::snprintf(line, sizeof line, "%d %d %u %u\n", controllerPort, stream[0], record.devid,
                  record.speed);
    Plugged plugged{stream[0], stream[1], messages[1], nullptr};
    if (!WriteControl(m_dir + "/attach", line)) {
        WriteLog("vhci attach of port %d failed\n", controllerPort);
        Release(plugged);
        ::close(messages[0]);
        return -1;
    }
    plugged.pump = std::make_unique<VhciStreamPump>(stream[1], messages[1]);
    plugged.pump->Start();
    std::lock_guard<std::mutex> hold(m_lock);
    m_plugged[record.port] = std::move(plugged);
    return messages[0];
}

int VhciUsbBus::Unplug(int port) {
    Plugged plugged;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        auto it = m_plugged.find(port);
        if (it == m_plugged.end()) {
            return -1;
        }
        plugged = std::move(it->second);
        m_plugged.erase(it);
    }
    const int controllerPort = ControllerPort(ParseVhciStatus(ReadStatusFiles(m_dir)), port);
    const bool ok = controllerPort >= 0 &&
                    WriteControl(m_dir + "/detach", std::to_string(controllerPort) + "\n");
    Release(plugged);
    return ok ? 0 : -1;
}

void VhciUsbBus::Release(Plugged& plugged) {
    plugged.pump.reset();  // stops and joins its thread
    for (int* fd : {&plugged.kernelFd, &plugged.streamFd, &plugged.pumpFd}) {
        if (*fd >= 0) {
            ::close(*fd);
            *fd = -1;
        }
    }
}

}  // namespace usbip
