#include "tests/receiver/media/MediaFetcher.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstring>

#include "tests/receiver/command/CommandWire.h"

namespace receiver_sim {
namespace {

// PlayVideo: mode, option, u16 URL length (little-endian), the URL.
constexpr size_t kVideoUrlOffset = 4;
// PlayAudio: u32 value, then the URL in a 256-byte zero-padded field.
constexpr size_t kAudioUrlOffset = 4;
constexpr size_t kAudioUrlField = 256;
// Headers longer than this are not an answer we accept.
constexpr size_t kMaxHeaderBytes = 16 * 1024;

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

class Fd {
public:
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

// Reads until the peer closes or the time is up.
std::string ReadAll(int fd, int timeoutMs) {
    std::string data;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    char buffer[16384];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              end - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0) {
            break;
        }
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left)) <= 0) {
            break;
        }
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) {
            break;
        }
        data.append(buffer, static_cast<size_t>(n));
    }
    return data;
}

MediaReply ParseReply(const std::string& data, bool head) {
    MediaReply reply;
    const size_t end = data.find("\r\n\r\n");
    if (end == std::string::npos || end > kMaxHeaderBytes || data.compare(0, 5, "HTTP/") != 0) {
        return reply;
    }
    const size_t space = data.find(' ');
    if (space == std::string::npos || space + 4 > end) {
        return reply;
    }
    reply.status = std::atoi(data.substr(space + 1, 3).c_str());
    size_t line = data.find("\r\n") + 2;
    while (line < end) {
        const size_t next = data.find("\r\n", line);
        const std::string text = data.substr(line, next - line);
        const size_t colon = text.find(':');
        if (colon != std::string::npos) {
            std::string value = text.substr(colon + 1);
            value.erase(0, value.find_first_not_of(' '));
            reply.headers[Lower(text.substr(0, colon))] = value;
        }
        line = next + 2;
    }
    if (!head) {
        reply.body = data.substr(end + 4);
        auto length = reply.headers.find("content-length");
        if (length != reply.headers.end()) {
            const size_t n = std::strtoull(length->second.c_str(), nullptr, 10);
            if (reply.body.size() > n) {
                reply.body.resize(n);
            }
        }
    }
    return reply;
}

}  // namespace

std::string PlayRequestUrl(const SenderFrame& frame) {
    const std::vector<uint8_t>& p = frame.payload;
    if (frame.code == wire::kPlayVideo && p.size() >= kVideoUrlOffset) {
        const size_t length = p[2] | (p[3] << 8);
        if (kVideoUrlOffset + length > p.size()) {
            return {};
        }
        return std::string(p.begin() + kVideoUrlOffset, p.begin() + kVideoUrlOffset + length);
    }
    if (frame.code == wire::kPlayAudio && p.size() >= kAudioUrlOffset + kAudioUrlField) {
        const auto first = p.begin() + kAudioUrlOffset;
        const auto last = std::find(first, first + kAudioUrlField, 0);
        return std::string(first, last);
    }
    return {};
}

bool ParseMediaUrl(const std::string& url, MediaUrl* out) {
    const std::string scheme = "http://";
    if (url.compare(0, scheme.size(), scheme) != 0) {
        return false;
    }
    const size_t colon = url.find(':', scheme.size());
    const size_t slash = url.find('/', scheme.size());
    if (colon == std::string::npos || slash == std::string::npos || colon > slash) {
        return false;
    }
    // Four decimal bytes, each possibly with leading zeros.
    const std::string address = url.substr(scheme.size(), colon - scheme.size());
    int bytes[4];
    char tail = 0;
    if (std::sscanf(address.c_str(), "%d.%d.%d.%d%c", &bytes[0], &bytes[1], &bytes[2], &bytes[3],
                    &tail) != 4) {
        return false;
    }
    for (int b : bytes) {
        if (b < 0 || b > 255) {
            return false;
        }
    }
    if (bytes[0] != 127) {
        return false;  // the simulator never leaves the machine
    }
    const int port = std::atoi(url.substr(colon + 1, slash - colon - 1).c_str());
    if (port <= 0 || port > 65535) {
        return false;
    }
    out->host = std::to_string(bytes[0]) + "." + std::to_string(bytes[1]) + "." +
                std::to_string(bytes[2]) + "." + std::to_string(bytes[3]);
    out->port = static_cast<uint16_t>(port);
    out->path = url.substr(slash);
    return true;
}

MediaReply FetchMedia(const std::string& url, const std::string& range, bool head, int timeoutMs) {
    MediaUrl parts;
    if (!ParseMediaUrl(url, &parts)) {
        return {};
    }
    Fd s(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(parts.port);
    ::inet_pton(AF_INET, parts.host.c_str(), &peer.sin_addr);
    if (s.get() < 0 || ::connect(s.get(), reinterpret_cast<sockaddr*>(&peer), sizeof peer) != 0) {
        return {};
    }
    std::string request = std::string(head ? "HEAD " : "GET ") + parts.path + " HTTP/1.1\r\n" +
                          "Host: " + parts.host + ":" + std::to_string(parts.port) + "\r\n";
    if (!range.empty()) {
        request += "Range: bytes=" + range + "\r\n";
    }
    request += "Connection: close\r\n\r\n";
    if (::send(s.get(), request.data(), request.size(), MSG_NOSIGNAL) !=
        static_cast<ssize_t>(request.size())) {
        return {};
    }
    return ParseReply(ReadAll(s.get(), timeoutMs), head);
}

bool PlayMedia(const std::string& url, size_t chunk, std::string* body) {
    body->clear();
    if (chunk == 0) {
        return false;
    }
    for (;;) {
        const size_t first = body->size();
        const size_t last = first + chunk - 1;
        const MediaReply reply =
            FetchMedia(url, std::to_string(first) + "-" + std::to_string(last));
        auto range = reply.headers.find("content-range");
        if (reply.status != 206 || range == reply.headers.end()) {
            return false;
        }
        // "bytes FIRST-LAST/TOTAL"
        size_t gotFirst = 0, gotLast = 0, total = 0;
        if (std::sscanf(range->second.c_str(), "bytes %zu-%zu/%zu", &gotFirst, &gotLast, &total) !=
                3 ||
            gotFirst != first || gotLast < first || gotLast > last ||
            reply.body.size() != gotLast - gotFirst + 1) {
            return false;
        }
        body->append(reply.body);
        if (body->size() >= total) {
            return body->size() == total;
        }
    }
}

}  // namespace receiver_sim
