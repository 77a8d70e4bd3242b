#include "vrxclientsdk/VRXClient/senderserver/SocketServer.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <random>

#include "platform/clock.h"
#include "platform/thread.h"
#include "vrxclientsdk/VRPClient/ErrorCodes.h"

namespace {

// The accept thread looks at its flag at least this often.
constexpr int kPollMs = 30;
// At most this many ports are listened on.
constexpr size_t kMaxSockets = 64;
// TryBindPort: the first candidate, the largest step and the tries.
constexpr int kFirstTryPort = 10000;
constexpr int kTryPortStep = 2000;
constexpr int kTryPortTries = 20;

}  // namespace

SocketServer::SocketServer() = default;

SocketServer::~SocketServer() {
    Stop();
}

platform::SocketHandle SocketServer::Listen(uint16_t port, int* socketError) {
    *socketError = 0;
    const platform::SocketHandle s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (s < 0) {
        *socketError = errno;
        return platform::kInvalidSocket;
    }
    int one = 1;
    if (::setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one) != 0) {
        QK_LOGF(LOG_WARN, "Start setsockopt(SO_REUSEADDR) fail %d", errno);
    }
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = m_ListenAddress.load();
    local.sin_port = htons(port);
    if (::bind(s, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
        QK_LOGF(LOG_WARN, "Start bind port %d error: %d", port, errno);
        platform::CloseSocketHandle(s);
        return platform::kInvalidSocket;
    }
    if (::listen(s, SOMAXCONN) != 0) {
        QK_LOGF(LOG_WARN, "Start listen port %d error: %d", port, errno);
        platform::CloseSocketHandle(s);
        return platform::kInvalidSocket;
    }
    return s;
}

int SocketServer::Start(const std::vector<uint16_t>& ports) {
    Stop();
    {
        boost::mutex::scoped_lock guard(m_ListLock);
        for (uint16_t port : ports) {
            if (m_Sockets.size() >= kMaxSockets) {
                break;
            }
            int socketError = 0;
            const platform::SocketHandle s = Listen(port, &socketError);
            if (socketError != 0) {
                guard.unlock();
                Stop();
                return QK_ERROR(-socketError);
            }
            if (s != platform::kInvalidSocket) {
                m_Sockets.push_back(s);
                m_Ports.push_back(port);
            }
        }
        if (m_Sockets.empty()) {
            return QK_ERROR(qkerr::kNoServerSocket);
        }
    }
    m_Running = true;
    m_pSockEventThread =
        platform::StartThread<boost::thread>("sender-accept", [this] { AcceptThread(); });
    if (!m_pSockEventThread) {
        m_Running = false;
        Stop();
        return QK_ERROR(qkerr::kCreateObject, "m_pSockEventThread");
    }
    return QK_CLEAR_ERROR();
}

bool SocketServer::HasPort(uint16_t port) {
    boost::mutex::scoped_lock guard(m_ListLock);
    return std::find(m_Ports.begin(), m_Ports.end(), port) != m_Ports.end();
}

int SocketServer::TryBindPort() {
    std::minstd_rand random(static_cast<unsigned>(platform::NowMs()));
    int port = kFirstTryPort;
    for (int i = 0; i < kTryPortTries; ++i) {
        port += static_cast<int>(random() % kTryPortStep);
        if (port > 65535) {
            break;
        }
        int socketError = 0;
        const platform::SocketHandle s = Listen(static_cast<uint16_t>(port), &socketError);
        if (socketError != 0) {
            return QK_ERROR(-socketError);
        }
        if (s != platform::kInvalidSocket) {
            boost::mutex::scoped_lock guard(m_ListLock);
            m_Sockets.push_back(s);
            m_Ports.push_back(static_cast<uint16_t>(port));
            QK_LOGF(LOG_INFO, "TryBindPort found:%d", port);
            return port;
        }
    }
    return QK_ERROR(qkerr::kNoServerSocket);
}

void SocketServer::OnConnect(platform::SocketHandle s, uint16_t port) {
    QK_LOGF(LOG_INFO, "OnConnect sockfd=%d, usPortNum=%d", s, port);
    platform::CloseSocketHandle(s);
}

void SocketServer::Stop() {
    m_Running = false;
    if (m_pSockEventThread) {
        m_pSockEventThread->join();
        m_pSockEventThread.reset();
    }
    boost::mutex::scoped_lock guard(m_ListLock);
    for (platform::SocketHandle s : m_Sockets) {
        platform::CloseSocketHandle(s);
    }
    m_Sockets.clear();
    m_Ports.clear();
}

void SocketServer::AcceptThread() {
    while (m_Running) {
        std::vector<pollfd> fds;
        std::vector<uint16_t> ports;
        {
            boost::mutex::scoped_lock guard(m_ListLock);
            for (size_t i = 0; i < m_Sockets.size(); ++i) {
                fds.push_back({m_Sockets[i], POLLIN, 0});
            }
            ports = m_Ports;
        }
        const int ready = ::poll(fds.data(), fds.size(), kPollMs);
        if (ready <= 0) {
            continue;
        }
        for (size_t i = 0; i < fds.size() && m_Running; ++i) {
            if (!(fds[i].revents & POLLIN)) {
                continue;
            }
            const platform::SocketHandle s = ::accept4(fds[i].fd, nullptr, nullptr, SOCK_CLOEXEC);
            if (s >= 0) {
                OnConnect(s, ports[i]);
            }
        }
    }
}
