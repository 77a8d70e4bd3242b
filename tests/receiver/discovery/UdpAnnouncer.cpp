#include "tests/receiver/discovery/UdpAnnouncer.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/clock.h"

namespace receiver_sim {

UdpAnnouncer::UdpAnnouncer(AnnouncerConfig config) : m_config(std::move(config)) {}

UdpAnnouncer::~UdpAnnouncer() {
    Stop();
    CloseAll();
}

void UdpAnnouncer::CloseAll() {
    for (Endpoint& e : m_endpoints) {
        ::close(e.fd);
    }
    m_endpoints.clear();
    if (m_wakeFd >= 0) {
        ::close(m_wakeFd);
        m_wakeFd = -1;
    }
}

int UdpAnnouncer::Open() {
    if (!m_endpoints.empty()) {
        return 0;
    }
    in_addr bindAddr{};
    if (::inet_pton(AF_INET, m_config.bindAddress.c_str(), &bindAddr) != 1) {
        return -EINVAL;
    }
    for (uint16_t port : m_config.ports) {
        const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (fd < 0) {
            const int error = errno;
            CloseAll();
            return -error;
        }
        m_endpoints.push_back(Endpoint{fd, port});
        const int on = 1;
        // The destination of each query tells a directed broadcast from a
        // limited one and from a unicast query.
        ::setsockopt(fd, IPPROTO_IP, IP_PKTINFO, &on, sizeof on);
        ::setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_port = htons(port);
        local.sin_addr = bindAddr;
        if (::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) < 0) {
            const int error = errno;
            CloseAll();
            return -error;
        }
    }
    return 0;
}

int UdpAnnouncer::Start() {
    if (m_thread.joinable()) {
        return 0;
    }
    if (const int rc = Open(); rc != 0) {
        return rc;
    }
    m_wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (m_wakeFd < 0) {
        return -errno;
    }
    m_thread = std::thread([this] { Run(); });
    return 0;
}

void UdpAnnouncer::Stop() {
    if (!m_thread.joinable()) {
        return;
    }
    const uint64_t one = 1;
    [[maybe_unused]] ssize_t n = ::write(m_wakeFd, &one, sizeof one);
    m_thread.join();
    ::close(m_wakeFd);
    m_wakeFd = -1;
}

void UdpAnnouncer::Run() {
    std::vector<pollfd> fds;
    for (const Endpoint& e : m_endpoints) {
        fds.push_back(pollfd{e.fd, POLLIN, 0});
    }
    fds.push_back(pollfd{m_wakeFd, POLLIN, 0});
    for (;;) {
        for (pollfd& p : fds) {
            p.revents = 0;
        }
        if (::poll(fds.data(), fds.size(), -1) < 0 && errno != EINTR) {
            return;
        }
        if (fds.back().revents != 0) {
            return;
        }
        for (size_t i = 0; i < m_endpoints.size(); ++i) {
            if (fds[i].revents != 0) {
                ServeEndpoint(m_endpoints[i]);
            }
        }
    }
}

int UdpAnnouncer::ServeOnce() {
    int answered = 0;
    for (const Endpoint& e : m_endpoints) {
        answered += ServeEndpoint(e);
    }
    return answered;
}

int UdpAnnouncer::ServeEndpoint(const Endpoint& endpoint) {
    int answered = 0;
    for (;;) {
        char data[64] = {};
        char control[CMSG_SPACE(sizeof(in_pktinfo))] = {};
        sockaddr_in from{};
        iovec iov{data, sizeof data};
        msghdr msg{};
        msg.msg_name = &from;
        msg.msg_namelen = sizeof from;
        msg.msg_iov = &iov;
        msg.msg_iovlen = 1;
        msg.msg_control = control;
        msg.msg_controllen = sizeof control;
        const ssize_t n = ::recvmsg(endpoint.fd, &msg, MSG_DONTWAIT);
        if (n < 0) {
            return answered;  // drained (or a transient error: nothing to answer)
        }
        if (n != 4 || std::memcmp(data, "VRPS", 4) != 0) {
            continue;
        }
        AnnounceQuery query;
        query.source = from.sin_addr;
        query.sourcePort = ntohs(from.sin_port);
        query.localPort = endpoint.port;
        for (cmsghdr* c = CMSG_FIRSTHDR(&msg); c != nullptr; c = CMSG_NXTHDR(&msg, c)) {
            if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_PKTINFO) {
                in_pktinfo info{};
                std::memcpy(&info, CMSG_DATA(c), sizeof info);
                query.destination = info.ipi_addr;
            }
        }
        query.answeredAtMs = platform::NowMs();
        Answer(endpoint, from);
        {
            std::lock_guard<std::mutex> guard(m_lock);
            m_queries.push_back(query);
        }
        ++answered;
    }
}

void UdpAnnouncer::Answer(const Endpoint& endpoint, const sockaddr_in& to) {
    uint8_t reply[kAnnouncementSize + 1] = {};
    std::memcpy(reply, m_config.record.data(), kAnnouncementSize);
    size_t length = kAnnouncementSize;
    switch (m_config.reply) {
        case AnnounceReply::kRecord:
            break;
        case AnnounceReply::kShortRecord:
            length = kAnnouncementSize - 1;
            break;
        case AnnounceReply::kLongRecord:
            length = kAnnouncementSize + 1;
            break;
        case AnnounceReply::kWrongMagic:
            std::memcpy(reply, "QKPS", 4);
            break;
    }
    for (int i = 0; i < m_config.copies; ++i) {
        ::sendto(endpoint.fd, reply, length, MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&to),
                 sizeof to);
    }
}

std::vector<AnnounceQuery> UdpAnnouncer::Queries() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_queries;
}

}  // namespace receiver_sim
