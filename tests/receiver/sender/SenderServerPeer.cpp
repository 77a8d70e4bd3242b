#include "tests/receiver/sender/SenderServerPeer.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "tests/receiver/command/CommandWire.h"

namespace receiver_sim {

namespace {

// The login event: 80 bytes, the code's text at 52 (at most 8 bytes).
constexpr size_t kLoginEventSize = 80;
constexpr size_t kLoginCodeAt = 52;
constexpr size_t kLoginCodeSize = 8;

}  // namespace

SenderServerPeer::SenderServerPeer(Config config)
    : m_config(std::move(config)), m_command(std::make_unique<CommandReceiver>(m_config.command)) {
    // Its own listening port stays unused: the peer connects out.
    m_command->Start();
}

SenderServerPeer::~SenderServerPeer() {
    m_command->Stop();
    for (int fd : m_raw) {
        ::close(fd);
    }
}

int SenderServerPeer::Connect(uint16_t port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return -errno;
    }
    sockaddr_in local{};
    local.sin_family = AF_INET;
    sockaddr_in remote{};
    remote.sin_family = AF_INET;
    remote.sin_port = htons(port);
    if (::inet_pton(AF_INET, m_config.localAddress.c_str(), &local.sin_addr) != 1 ||
        ::inet_pton(AF_INET, m_config.senderAddress.c_str(), &remote.sin_addr) != 1) {
        ::close(fd);
        return -EINVAL;
    }
    if (::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
        ::connect(fd, reinterpret_cast<sockaddr*>(&remote), sizeof remote) != 0) {
        const int error = errno;
        ::close(fd);
        return -error;
    }
    return fd;
}

int SenderServerPeer::ConnectCommand(uint16_t port) {
    const int fd = Connect(port);
    if (fd < 0) {
        return fd;
    }
    m_command->AdoptConnection(fd);
    return 0;
}

int SenderServerPeer::ConnectRaw(uint16_t port) {
    const int fd = Connect(port);
    if (fd >= 0) {
        m_raw.push_back(fd);
    }
    return fd;
}

bool SenderServerPeer::SendLogin(const std::string& code) {
    std::vector<uint8_t> payload(kLoginEventSize, 0);
    for (size_t i = 0; i < code.size() && i < kLoginCodeSize; ++i) {
        payload[kLoginCodeAt + i] = static_cast<uint8_t>(code[i]);
    }
    return m_command->SendEvent(wire::kEvLogin, payload);
}

int SenderServerPeer::WaitLoginResult(int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    do {
        for (const ReceivedFrame& f : m_command->Frames()) {
            if (f.frame.kind == SenderFrame::Kind::kAck && f.frame.code == wire::kEvLogin + 1 &&
                !f.frame.payload.empty()) {
                return f.frame.payload[0];
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    } while (std::chrono::steady_clock::now() < end);
    return -1;
}

bool SenderServerPeer::ClosedBySender(int fd, int timeoutMs) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, timeoutMs) <= 0) {
        return false;
    }
    char byte;
    return ::recv(fd, &byte, 1, MSG_DONTWAIT) == 0;
}

}  // namespace receiver_sim
