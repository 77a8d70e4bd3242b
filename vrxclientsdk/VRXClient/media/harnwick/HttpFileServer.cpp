#include "vrxclientsdk/VRXClient/media/harnwick/HttpFileServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <vector>

#include "vrxclientsdk/VRXClient/media/harnwick/ByteRange.h"
#include "vrxclientsdk/VRXClient/media/harnwick/HttpRequestHead.h"

namespace {

using Clock = std::chrono::steady_clock;

// Read and sent in blocks of this size.
constexpr size_t kChunkBytes = 64 * 1024;
// A request head longer than this is refused.
constexpr size_t kMaxHeadBytes = 16 * 1024;
// The accept loop looks at the stop flag at least this often.
constexpr int kAcceptPollMs = 50;

// An open file, closed when it goes.
class OpenFile {
public:
    explicit OpenFile(int fd) : m_fd(fd) {}
    ~OpenFile() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    int Fd() const { return m_fd; }

private:
    int m_fd;
};

const char* ContentType(const std::string& path) {
    static const struct {
        const char* extension;
        const char* type;
    } kTypes[] = {
        {"mp4", "video/mp4"},        {"m4v", "video/mp4"},      {"mov", "video/quicktime"},
        {"mkv", "video/x-matroska"}, {"webm", "video/webm"},    {"avi", "video/x-msvideo"},
        {"wmv", "video/x-ms-wmv"},   {"asf", "video/x-ms-asf"}, {"mpg", "video/mpeg"},
        {"mpeg", "video/mpeg"},      {"ts", "video/mp2t"},      {"flv", "video/x-flv"},
        {"mp3", "audio/mpeg"},       {"m4a", "audio/mp4"},      {"aac", "audio/aac"},
        {"wav", "audio/wav"},        {"wma", "audio/x-ms-wma"}, {"flac", "audio/flac"},
        {"ogg", "audio/ogg"},        {"jpg", "image/jpeg"},     {"jpeg", "image/jpeg"},
        {"png", "image/png"},
    };
    const size_t dot = path.rfind('.');
    if (dot != std::string::npos && path.find('/', dot) == std::string::npos) {
        std::string ext = path.substr(dot + 1);
        std::transform(ext.begin(), ext.end(), ext.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        for (const auto& t : kTypes) {
            if (ext == t.extension) {
                return t.type;
            }
        }
    }
    return "application/octet-stream";
}

const char* StatusText(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 206:
            return "Partial Content";
        case 400:
            return "Bad Request";
        case 404:
            return "Not Found";
        case 405:
            return "Method Not Allowed";
        case 416:
            return "Range Not Satisfiable";
        default:
            return "Error";
    }
}

int MsUntil(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::max<int64_t>(0, left));
}

// Sends all of `data` before `deadline`; false when the peer went, the
// connection was shut down or the deadline passed.
bool SendAll(int fd, const char* data, size_t size, Clock::time_point deadline) {
    while (size > 0) {
        pollfd p{fd, POLLOUT, 0};
        const int ready = ::poll(&p, 1, MsUntil(deadline));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0 || (p.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) {
            return false;
        }
        const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

struct HttpFileServer::Connection {
    int fd = -1;  // guarded by the server's lock once the thread runs
    uint32_t address = 0;
    std::string buffer;  // read and not yet consumed
    std::thread thread;
    std::atomic<bool> done{false};
};

HttpFileServer::HttpFileServer(const FileTable& files, const PeerFilter& peers)
    : m_files(files), m_peers(peers) {}

HttpFileServer::~HttpFileServer() {
    Stop();
    WaitForConnections(Clock::now() + std::chrono::milliseconds(kStopMs));
    if (m_listener >= 0) {
        ::close(m_listener);
    }
}

bool HttpFileServer::Bind(const std::string& address, uint16_t port) {
    if (port == 0 || m_listener >= 0) {
        return false;
    }
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(port);
    if (::inet_pton(AF_INET, address.c_str(), &local.sin_addr) != 1) {
        return false;
    }
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    // SO_REUSEADDR only: SO_REUSEPORT would let a bind "succeed" beside
    // another program's listener on the port.
    int yes = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
        ::listen(fd, SOMAXCONN) != 0) {
        ::close(fd);
        return false;
    }
    m_listener = fd;
    return true;
}

bool HttpFileServer::Serve() {
    if (m_listener < 0) {
        return false;
    }
    while (!m_stopped.load()) {
        pollfd p{m_listener, POLLIN, 0};
        if (::poll(&p, 1, kAcceptPollMs) > 0) {
            Accept();
        }
        // Connections that ended are joined here.
        std::vector<std::shared_ptr<Connection>> ended;
        {
            std::lock_guard<std::mutex> guard(m_lock);
            for (auto it = m_connections.begin(); it != m_connections.end();) {
                if (it->second->done.load()) {
                    ended.push_back(it->second);
                    it = m_connections.erase(it);
                } else {
                    ++it;
                }
            }
        }
        for (const auto& connection : ended) {
            connection->thread.join();
        }
    }
    WaitForConnections(Clock::now() + std::chrono::milliseconds(kStopMs));
    return true;
}

void HttpFileServer::Accept() {
    sockaddr_in peer{};
    socklen_t length = sizeof peer;
    const int fd = ::accept4(m_listener, reinterpret_cast<sockaddr*>(&peer), &length, SOCK_CLOEXEC);
    if (fd < 0) {
        return;
    }
    sockaddr_in local{};
    length = sizeof local;
    if (::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length) != 0 ||
        !m_peers.Admits(peer.sin_addr.s_addr, local.sin_addr.s_addr)) {
        ::close(fd);
        return;
    }
    auto connection = std::make_shared<Connection>();
    connection->fd = fd;
    connection->address = peer.sin_addr.s_addr;
    std::lock_guard<std::mutex> guard(m_lock);
    const size_t fromAddress = static_cast<size_t>(
        std::count_if(m_connections.begin(), m_connections.end(), [&](const auto& entry) {
            return entry.second->address == connection->address && !entry.second->done.load();
        }));
    if (m_stopped.load() || m_connections.size() >= kMaxConnections ||
        fromAddress >= kMaxPerAddress) {
        ::close(fd);
        return;
    }
    try {
        connection->thread = std::thread([this, connection] { Run(connection); });
    } catch (const std::exception&) {
        ::close(fd);
        return;
    }
    m_connections.emplace(m_nextId++, connection);
}

void HttpFileServer::Stop() {
    m_stopped = true;
    std::lock_guard<std::mutex> guard(m_lock);
    for (auto& entry : m_connections) {
        if (entry.second->fd >= 0) {
            // Wakes the connection's thread from any wait on the peer.
            ::shutdown(entry.second->fd, SHUT_RDWR);
        }
    }
}

void HttpFileServer::WaitForConnections(Clock::time_point deadline) {
    std::unique_lock<std::mutex> guard(m_lock);
    m_ended.wait_until(guard, deadline, [this] {
        return std::all_of(m_connections.begin(), m_connections.end(),
                           [](const auto& entry) { return entry.second->done.load(); });
    });
    std::map<uint64_t, std::shared_ptr<Connection>> connections;
    connections.swap(m_connections);
    guard.unlock();
    for (auto& entry : connections) {
        // Every wait of a connection ends at its shutdown: the join is short.
        entry.second->thread.join();
    }
}

void HttpFileServer::Run(const std::shared_ptr<Connection>& connection) {
    const int fd = connection->fd;
    bool open = true;
    while (open && !m_stopped.load()) {
        const Clock::time_point deadline = Clock::now() + std::chrono::seconds(kHeadSeconds);
        size_t end = std::string::npos;
        while ((end = connection->buffer.find("\r\n\r\n")) == std::string::npos) {
            if (connection->buffer.size() > kMaxHeadBytes) {
                open = false;
                break;
            }
            pollfd p{fd, POLLIN, 0};
            const int ready = ::poll(&p, 1, MsUntil(deadline));
            if (ready < 0 && errno == EINTR) {
                continue;
            }
            if (ready <= 0) {
                open = false;  // the head did not come in time
                break;
            }
            char block[4096];
            const ssize_t n = ::recv(fd, block, sizeof block, MSG_DONTWAIT);
            if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
                continue;
            }
            if (n <= 0) {
                open = false;
                break;
            }
            connection->buffer.append(block, static_cast<size_t>(n));
        }
        if (!open) {
            break;
        }
        const std::string head = connection->buffer.substr(0, end);
        connection->buffer.erase(0, end + 4);
        const std::optional<HttpRequestHead> request = ParseHttpRequestHead(head);
        if (!request) {
            const std::string reply =
                "HTTP/1.1 400 Bad Request\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
            SendAll(fd, reply.data(), reply.size(),
                    Clock::now() + std::chrono::seconds(kWriteSeconds));
            break;
        }
        open = Answer(*connection, *request) && request->keepAlive;
    }
    std::lock_guard<std::mutex> guard(m_lock);
    ::close(connection->fd);
    connection->fd = -1;
    connection->done = true;
    m_ended.notify_all();
}

bool HttpFileServer::Answer(Connection& connection, const HttpRequestHead& request) {
    const bool head = request.method == "HEAD";
    int status = 404;
    std::string headers;
    std::shared_ptr<OpenFile> file;
    ByteRange range;
    uint64_t size = 0;
    const char* type = "application/octet-stream";
    if (!head && request.method != "GET") {
        status = 405;
    } else if (const std::optional<std::string> path = m_files.Find(request.path)) {
        // Non-blocking, so that a published path that became a FIFO or a
        // device cannot hold the connection in open(); only regular files
        // are served.
        file = std::make_shared<OpenFile>(::open(path->c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
        struct stat st {};
        if (file->Fd() >= 0 && ::fstat(file->Fd(), &st) == 0 && S_ISREG(st.st_mode)) {
            size = static_cast<uint64_t>(st.st_size);
            type = ContentType(*path);
            range = ResolveByteRange(request.range, size);
            headers += "Accept-Ranges: bytes\r\n";
            if (range.kind == ByteRange::Kind::kUnsatisfiable) {
                status = 416;
                headers += "Content-Range: bytes */" + std::to_string(size) + "\r\n";
            } else if (range.kind == ByteRange::Kind::kPartial) {
                status = 206;
                headers += "Content-Range: bytes " + std::to_string(range.first) + "-" +
                           std::to_string(range.first + range.length - 1) + "/" +
                           std::to_string(size) + "\r\n";
            } else {
                status = 200;
            }
        }
    }
    const bool content = status == 200 || status == 206;
    const uint64_t length = content ? range.length : 0;
    std::string reply = "HTTP/1.1 " + std::to_string(status) + " " + StatusText(status) + "\r\n";
    if (content) {
        reply += std::string("Content-Type: ") + type + "\r\n";
    }
    reply += headers;
    reply += "Content-Length: " + std::to_string(length) + "\r\n";
    reply += request.keepAlive ? "Connection: keep-alive\r\n\r\n" : "Connection: close\r\n\r\n";
    const auto writeDeadline = [] { return Clock::now() + std::chrono::seconds(kWriteSeconds); };
    if (!SendAll(connection.fd, reply.data(), reply.size(), writeDeadline())) {
        return false;
    }
    if (head || length == 0) {
        return status != 405;
    }
    std::vector<char> buffer(static_cast<size_t>(std::min<uint64_t>(length, kChunkBytes)));
    for (uint64_t sent = 0; sent < length;) {
        const size_t want = static_cast<size_t>(std::min<uint64_t>(length - sent, buffer.size()));
        const ssize_t n =
            ::pread(file->Fd(), buffer.data(), want, static_cast<off_t>(range.first + sent));
        if (n <= 0) {
            return false;  // the file shrank or failed: end the connection
        }
        // A receiver that pauses playback stops reading; it has this long per
        // block before the connection is dropped (it resumes with a range).
        if (!SendAll(connection.fd, buffer.data(), static_cast<size_t>(n), writeDeadline())) {
            return false;
        }
        sent += static_cast<uint64_t>(n);
    }
    return true;
}
