#include "tests/receiver/sender/SenderQuery.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace receiver_sim {

namespace {

// Larger than any answer, so that a long one shows its real size.
constexpr size_t kReceiveBuffer = 2048;

}  // namespace

SenderQuery::SenderQuery(const std::string& localAddress) {
    m_fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    if (m_fd < 0 || ::inet_pton(AF_INET, localAddress.c_str(), &sa.sin_addr) != 1 ||
        ::bind(m_fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0) {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
        m_fd = -1;
        return;
    }
    socklen_t length = sizeof sa;
    ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&sa), &length);
    m_localPort = ntohs(sa.sin_port);
}

SenderQuery::~SenderQuery() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

bool SenderQuery::Send(const std::string& address, uint16_t port,
                       const std::vector<uint8_t>& bytes) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    if (m_fd < 0 || ::inet_pton(AF_INET, address.c_str(), &to.sin_addr) != 1) {
        return false;
    }
    return ::sendto(m_fd, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&to),
                    sizeof to) == static_cast<ssize_t>(bytes.size());
}

std::optional<SenderQuery::Answer> SenderQuery::Receive(int timeoutMs) {
    pollfd p{m_fd, POLLIN, 0};
    if (m_fd < 0 || ::poll(&p, 1, timeoutMs) <= 0) {
        return std::nullopt;
    }
    Answer answer;
    answer.bytes.resize(kReceiveBuffer);
    sockaddr_in from{};
    socklen_t length = sizeof from;
    const ssize_t n = ::recvfrom(m_fd, answer.bytes.data(), answer.bytes.size(), 0,
                                 reinterpret_cast<sockaddr*>(&from), &length);
    if (n < 0) {
        return std::nullopt;
    }
    answer.bytes.resize(static_cast<size_t>(n));
    answer.fromPort = ntohs(from.sin_port);
    return answer;
}

}  // namespace receiver_sim
