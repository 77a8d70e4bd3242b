#include "vrxclientsdk/VRXClient/media/k7rm/MmshServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>

#include "vrxclientsdk/VRXClient/media/k7rm/MmshChunk.h"

namespace {

// A request head larger than this is not a player's.
constexpr size_t kMaxRequestBytes = 8 * 1024;
constexpr int kBacklog = 8;

bool ContainsIgnoringCase(const std::string& text, std::string_view word) {
    auto it = std::search(text.begin(), text.end(), word.begin(), word.end(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) ==
               std::tolower(static_cast<unsigned char>(b));
    });
    return it != text.end();
}

}  // namespace

struct MmshServer::Client {
    enum class State { kReading, kDescribing, kPlaying, kClosed };
    explicit Client(int socket) : fd(socket), since(std::chrono::steady_clock::now()) {}
    ~Client() { ::close(fd); }
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    int fd;
    State state = State::kReading;
    std::string request;
    std::string out;
    size_t sent = 0;                              // bytes of `out` already sent
    std::chrono::steady_clock::time_point since;  // connected
    size_t Queued() const { return out.size() - sent; }
    // Closed on the next poll; its queue goes now.
    void Drop() {
        state = State::kClosed;
        std::string().swap(out);
        sent = 0;
    }
};

MmshServer::MmshServer() = default;

MmshServer::MmshServer(std::string header) : m_header(std::move(header)) {}

MmshServer::~MmshServer() {
    m_clients.clear();
    if (m_listen >= 0) {
        ::close(m_listen);
    }
}

bool MmshServer::Listen(const std::string& address, uint16_t port) {
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(port);
    if (::inet_pton(AF_INET, address.c_str(), &sa.sin_addr) != 1) {
        return false;
    }
    m_listen = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (m_listen < 0) {
        return false;
    }
    // SO_REUSEADDR only: a port another program listens on stays refused.
    int yes = 1;
    ::setsockopt(m_listen, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    socklen_t length = sizeof sa;
    if (::bind(m_listen, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 ||
        ::listen(m_listen, kBacklog) != 0 ||
        ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&sa), &length) != 0) {
        return false;
    }
    m_port = ntohs(sa.sin_port);
    return true;
}

void MmshServer::AppendPollFds(std::vector<pollfd>& fds) const {
    // Until the header is known, connecting players wait in the backlog.
    fds.push_back(pollfd{m_listen, static_cast<short>(m_header.empty() ? 0 : POLLIN), 0});
    for (const auto& c : m_clients) {
        short events = 0;
        if (c->state == Client::State::kReading || c->state == Client::State::kPlaying) {
            events |= POLLIN;  // a request, or a player hanging up
        }
        if (c->sent < c->out.size()) {
            events |= POLLOUT;
        }
        fds.push_back(pollfd{c->fd, events, 0});
    }
}

void MmshServer::OnPoll(const std::vector<pollfd>& fds, size_t first) {
    // The clients polled are the first ones of the list, in order; clients
    // accepted below come after them.
    const size_t polled = std::min(m_clients.size(), fds.size() - first - 1);
    for (size_t i = 0; i < polled; ++i) {
        Client& c = *m_clients[i];
        const short revents = fds[first + 1 + i].revents;
        if (revents & (POLLERR | POLLNVAL)) {
            c.state = Client::State::kClosed;
            continue;
        }
        if (revents & (POLLIN | POLLHUP)) {
            OnReadable(c);
        }
        if (c.state != Client::State::kClosed && (revents & POLLOUT)) {
            OnWritable(c);
        }
    }
    ExpireRequests();
    std::erase_if(m_clients, [](const auto& c) { return c->state == Client::State::kClosed; });
    if (fds[first].revents & POLLIN) {
        Accept();
    }
}

void MmshServer::Accept() {
    for (;;) {
        const int fd = ::accept4(m_listen, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            return;  // EAGAIN: all taken
        }
        if (m_clients.size() >= m_limits.maxConnections) {
            ::close(fd);
            continue;
        }
        m_clients.push_back(std::make_unique<Client>(fd));
    }
}

void MmshServer::ExpireRequests() {
    const auto now = std::chrono::steady_clock::now();
    for (auto& c : m_clients) {
        if (c->state == Client::State::kReading &&
            now - c->since >= std::chrono::milliseconds(m_limits.requestMs)) {
            c->state = Client::State::kClosed;
        }
    }
}

size_t MmshServer::QueuedBytes() const {
    size_t total = 0;
    for (const auto& c : m_clients) {
        total += c->Queued();
    }
    return total;
}

size_t MmshServer::Players() const {
    return static_cast<size_t>(std::count_if(m_clients.begin(), m_clients.end(), [](const auto& c) {
        return c->state == Client::State::kPlaying;
    }));
}

void MmshServer::OnReadable(Client& c) {
    char buffer[2048];
    const ssize_t n = ::recv(c.fd, buffer, sizeof buffer, 0);
    if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) {
        c.state = Client::State::kClosed;
        return;
    }
    if (n < 0 || c.state != Client::State::kReading) {
        return;  // a player sends nothing more that matters
    }
    c.request.append(buffer, static_cast<size_t>(n));
    if (c.request.find("\r\n\r\n") != std::string::npos) {
        StartResponse(c);
    } else if (c.request.size() > kMaxRequestBytes) {
        c.state = Client::State::kClosed;
    }
}

void MmshServer::StartResponse(Client& c) {
    if (c.request.compare(0, 4, "GET ") != 0) {
        c.out = "HTTP/1.0 405 Method Not Allowed\r\nConnection: close\r\n\r\n";
        c.state = Client::State::kDescribing;  // closed once sent
        return;
    }
    const bool play = ContainsIgnoringCase(c.request, "xPlayStrm=1");
    if (play && Players() >= m_limits.maxPlayers) {
        c.out = "HTTP/1.0 503 Service Unavailable\r\nConnection: close\r\n\r\n";
        c.state = Client::State::kDescribing;  // closed once sent
        return;
    }
    c.out =
        "HTTP/1.0 200 OK\r\n"
        "Content-Type: application/x-mms-framed\r\n"
        "Pragma: no-cache\r\n"
        "Cache-Control: no-cache\r\n"
        "Pragma: client-id=" +
        std::to_string(m_nextClientId++) +
        "\r\n"
        "Pragma: features=\"broadcast\"\r\n"
        "Connection: close\r\n\r\n";
    AppendMmshChunk(c.out, kMmshHeaderChunk, 0, kMmshHeaderFlags, m_header);
    c.state = play ? Client::State::kPlaying : Client::State::kDescribing;
    c.request.clear();
}

void MmshServer::OnWritable(Client& c) {
    while (c.sent < c.out.size()) {
        const ssize_t n = ::send(c.fd, c.out.data() + c.sent, c.out.size() - c.sent, MSG_NOSIGNAL);
        if (n < 0) {
            if (errno != EAGAIN && errno != EINTR) {
                c.state = Client::State::kClosed;
            }
            return;
        }
        c.sent += static_cast<size_t>(n);
    }
    c.out.clear();
    c.sent = 0;
    if (c.state == Client::State::kDescribing) {
        c.state = Client::State::kClosed;  // the description is all it gets
    }
}

void MmshServer::Broadcast(std::string_view packet) {
    m_chunk.clear();
    AppendMmshChunk(m_chunk, kMmshDataChunk, m_sequence++, 0, packet);
    size_t total = 0;
    for (auto& c : m_clients) {
        if (c->state != Client::State::kPlaying) {
            continue;
        }
        if (c->Queued() + m_chunk.size() > m_limits.maxQueuedBytes) {
            c->Drop();
            continue;
        }
        c->out.append(m_chunk);
        total += c->Queued();
    }
    // All queues together stay bounded: the players furthest behind go.
    while (total > m_limits.maxTotalQueuedBytes) {
        Client* furthest = nullptr;
        for (auto& c : m_clients) {
            if (c->state == Client::State::kPlaying &&
                (furthest == nullptr || c->Queued() > furthest->Queued())) {
                furthest = c.get();
            }
        }
        if (furthest == nullptr) {
            break;
        }
        total -= furthest->Queued();
        furthest->Drop();
    }
}
