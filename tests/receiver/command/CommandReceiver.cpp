#include "tests/receiver/command/CommandReceiver.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/byte_order.h"
#include "tests/receiver/command/CommandWire.h"

namespace receiver_sim {

namespace {

// The serving loop looks at its delayed replies at least this often.
constexpr int kLoopStepMs = 20;
// The second part of a split handshake reply follows after this long.
constexpr int kSplitHandshakeDelayMs = 40;
// Bytes read per recv call.
constexpr size_t kReadChunk = 64 * 1024;

void Append(std::vector<uint8_t>& out, std::string_view bytes) {
    out.insert(out.end(), bytes.begin(), bytes.end());
}

std::vector<uint8_t> Frame(uint8_t code, const std::vector<uint8_t>& payload) {
    std::vector<uint8_t> f;
    Append(f, wire::kCmdPrefix);
    f.push_back(code);
    f.insert(f.end(), payload.begin(), payload.end());
    return f;
}

std::string Describe(const SenderFrame& f) {
    if (f.kind == SenderFrame::Kind::kKeepAlive) {
        return "vrpalive" + f.word;
    }
    char head[64];
    std::snprintf(head, sizeof head, "0x%02X %s len=%zu", f.code,
                  CommandParser::NameOf(f.kind, f.code), f.payload.size());
    std::string text = head;
    // Login codes are not written to the log.
    if (f.kind == SenderFrame::Kind::kRequest &&
        (f.code == wire::kLogin || f.code == wire::kLoginEx || f.code == wire::kSupervisorLogin)) {
        return text;
    }
    text += " :";
    for (size_t i = 0; i < f.payload.size() && i < 32; ++i) {
        char hex[4];
        std::snprintf(hex, sizeof hex, " %02X", f.payload[i]);
        text += hex;
    }
    if (f.payload.size() > 32) {
        text += " ...";
    }
    return text;
}

// The zero-terminated text of a fixed field.
std::string FieldText(const std::vector<uint8_t>& p, size_t at, size_t size) {
    const char* begin = reinterpret_cast<const char*>(p.data() + at);
    const void* zero = std::memchr(begin, 0, size);
    return std::string(begin, zero ? static_cast<const char*>(zero) - begin : size);
}

}  // namespace

CommandReceiver::CommandReceiver(CommandConfig config) : m_config(std::move(config)) {}

CommandReceiver::~CommandReceiver() {
    Stop();
}

int CommandReceiver::Start() {
    m_listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (m_listenFd < 0) {
        return -errno;
    }
    int one = 1;
    ::setsockopt(m_listenFd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(m_config.port);
    if (::inet_pton(AF_INET, m_config.bindAddress.c_str(), &sa.sin_addr) != 1) {
        Stop();
        return -EINVAL;
    }
    if (::bind(m_listenFd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 ||
        ::listen(m_listenFd, 16) != 0) {
        const int err = errno;
        Stop();
        return -err;
    }
    socklen_t len = sizeof sa;
    ::getsockname(m_listenFd, reinterpret_cast<sockaddr*>(&sa), &len);
    m_port = ntohs(sa.sin_port);
    m_wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (m_wakeFd < 0) {
        const int err = errno;
        Stop();
        return -err;
    }
    m_stop = false;
    m_thread = std::thread([this] { Run(); });
    Log("--", 0,
        "command side listening on " + m_config.bindAddress + ":" + std::to_string(m_port));
    return 0;
}

int CommandReceiver::AdoptConnection(int fd) {
    int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    int id;
    {
        std::lock_guard<std::mutex> g(m_lock);
        Connection& c = m_connections.emplace_back();
        c.id = id = ++m_accepted;
        c.fd = fd;
        c.handshaken = true;  // the sender answers a connection it accepted at once
        Log("--", c.id, "connected to the sender");
    }
    Wake();
    return id;
}

void CommandReceiver::Stop() {
    {
        std::lock_guard<std::mutex> g(m_lock);
        m_stop = true;
    }
    Wake();
    if (m_thread.joinable()) {
        m_thread.join();
    }
    std::lock_guard<std::mutex> g(m_lock);
    for (Connection& c : m_connections) {
        Close(c);
    }
    m_connections.clear();
    if (m_listenFd >= 0) {
        ::close(m_listenFd);
        m_listenFd = -1;
    }
    if (m_wakeFd >= 0) {
        ::close(m_wakeFd);
        m_wakeFd = -1;
    }
}

void CommandReceiver::Wake() {
    if (m_wakeFd >= 0) {
        uint64_t one = 1;
        [[maybe_unused]] ssize_t n = ::write(m_wakeFd, &one, sizeof one);
    }
}

void CommandReceiver::Log(const char* direction, int connection, const std::string& text) {
    if (m_config.log) {
        std::fprintf(m_config.log, "[cmd %d] %s %s\n", connection, direction, text.c_str());
        std::fflush(m_config.log);
    }
}

// ---------------------------------------------------------------------------
// serving thread

void CommandReceiver::Run() {
    std::unique_lock<std::mutex> lock(m_lock);
    while (!m_stop) {
        std::vector<pollfd> fds;
        fds.push_back({m_listenFd, POLLIN, 0});
        fds.push_back({m_wakeFd, POLLIN, 0});
        for (const Connection& c : m_connections) {
            fds.push_back({c.fd, static_cast<short>(POLLIN | (c.out.empty() ? 0 : POLLOUT)), 0});
        }
        int timeout = kLoopStepMs;
        const auto now = Clock::now();
        for (const Delayed& d : m_delayed) {
            const auto ms =
                std::chrono::duration_cast<std::chrono::milliseconds>(d.due - now).count();
            timeout = static_cast<int>(std::clamp<long>(ms, 0, timeout));
        }
        lock.unlock();
        ::poll(fds.data(), fds.size(), timeout);
        lock.lock();
        if (m_stop) {
            break;
        }
        if (fds[1].revents) {
            uint64_t n;
            [[maybe_unused]] ssize_t r = ::read(m_wakeFd, &n, sizeof n);
        }
        if (fds[0].revents & POLLIN) {
            Accept();
        }
        // Connections are only added behind the polled ones and removed
        // below, so the indexes still match.
        for (size_t i = 2; i < fds.size(); ++i) {
            Connection& c = m_connections[i - 2];
            if (c.fd >= 0 && (fds[i].revents & (POLLIN | POLLHUP | POLLERR))) {
                Read(c);
            }
        }
        const auto later = Clock::now();
        for (size_t i = 0; i < m_delayed.size();) {
            if (m_delayed[i].due <= later) {
                Delayed d = std::move(m_delayed[i]);
                m_delayed.erase(m_delayed.begin() + static_cast<long>(i));
                if (Connection* c = ById(d.connection)) {
                    Apply(*c, d.reply, d.answerCode);
                }
            } else {
                ++i;
            }
        }
        for (Connection& c : m_connections) {
            if (c.fd >= 0) {
                Flush(c);
            }
        }
        std::erase_if(m_connections, [](const Connection& c) { return c.fd < 0; });
        ++m_loops;
        m_changed.notify_all();
    }
}

void CommandReceiver::Accept() {
    for (;;) {
        int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) {
            return;
        }
        int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        Connection& c = m_connections.emplace_back();
        c.id = ++m_accepted;
        c.fd = fd;
        Log("--", c.id, "connected");
    }
}

void CommandReceiver::Read(Connection& c) {
    uint8_t buf[kReadChunk];
    for (;;) {
        ssize_t n = ::recv(c.fd, buf, sizeof buf, MSG_DONTWAIT);
        if (n > 0) {
            c.parser.Feed(buf, static_cast<size_t>(n));
            if (static_cast<size_t>(n) < sizeof buf) {
                break;
            }
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
            break;
        }
        // Closed by the sender (or reset): what is buffered is still parsed.
        SenderFrame frame;
        std::string error;
        while (c.fd >= 0 && c.parser.Next(&frame, &error) == CommandParser::Status::kFrame) {
            HandleFrame(c, frame);
        }
        if (c.fd >= 0 && c.parser.Buffered() > 0 && error.empty()) {
            m_errors.push_back("connection " + std::to_string(c.id) + ": closed inside a frame");
            Log("!!", c.id, m_errors.back());
        }
        Log("--", c.id, "closed by the sender");
        Close(c);
        return;
    }
    SenderFrame frame;
    std::string error;
    for (;;) {
        CommandParser::Status s = c.parser.Next(&frame, &error);
        if (s == CommandParser::Status::kNeedMore) {
            return;
        }
        if (s == CommandParser::Status::kError) {
            m_errors.push_back("connection " + std::to_string(c.id) + ": " + error);
            Log("!!", c.id, "PROTOCOL ERROR: " + error);
            Close(c);
            return;
        }
        HandleFrame(c, frame);
        if (c.fd < 0) {
            return;
        }
    }
}

void CommandReceiver::Flush(Connection& c) {
    while (!c.out.empty()) {
        ssize_t n = ::send(c.fd, c.out.data(), c.out.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            c.out.erase(c.out.begin(), c.out.begin() + n);
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
            return;
        }
        Log("--", c.id, "send failed: " + std::string(std::strerror(errno)));
        Close(c);
        return;
    }
    if (c.closeAfterWrite) {
        Log("--", c.id, "closing");
        Close(c);
    }
}

void CommandReceiver::Close(Connection& c) {
    if (c.fd >= 0) {
        ::close(c.fd);
        c.fd = -1;
    }
    m_changed.notify_all();
}

CommandReceiver::Connection* CommandReceiver::Newest() {
    for (auto it = m_connections.rbegin(); it != m_connections.rend(); ++it) {
        if (it->fd >= 0) {
            return &*it;
        }
    }
    return nullptr;
}

CommandReceiver::Connection* CommandReceiver::ById(int id) {
    for (Connection& c : m_connections) {
        if (c.id == id && c.fd >= 0) {
            return &c;
        }
    }
    return nullptr;
}

void CommandReceiver::HandleFrame(Connection& c, SenderFrame& frame) {
    Log("<==", c.id, Describe(frame));
    if (frame.kind == SenderFrame::Kind::kKeepAlive) {
        std::vector<uint8_t> roll;
        Append(roll, wire::kAlivePrefix);
        Append(roll, wire::kRoll);
        if (!c.handshaken) {
            c.handshaken = true;
            switch (m_config.handshake) {
                case HandshakeMode::kNormal:
                    c.out.insert(c.out.end(), roll.begin(), roll.end());
                    break;
                case HandshakeMode::kSplit:
                    c.out.insert(c.out.end(), roll.begin(), roll.begin() + 5);
                    m_delayed.push_back(
                        {Clock::now() + std::chrono::milliseconds(kSplitHandshakeDelayMs), c.id,
                         Reply::Raw(std::vector<uint8_t>(roll.begin() + 5, roll.end())), 0});
                    break;
                case HandshakeMode::kWrong:
                    Append(c.out, "vrpaliveRALL");
                    break;
                case HandshakeMode::kSilent:
                    break;
            }
            return;
        }
        ++m_rocks;
        if (m_config.answerKeepAlive && m_config.handshake != HandshakeMode::kSilent) {
            c.out.insert(c.out.end(), roll.begin(), roll.end());
        }
        return;
    }
    if (!c.handshaken) {
        m_errors.push_back("connection " + std::to_string(c.id) + ": frame before the handshake");
        Log("!!", c.id, "PROTOCOL ERROR: frame before the handshake");
        Close(c);
        return;
    }
    m_frames.push_back({c.id, frame});
    if (frame.kind == SenderFrame::Kind::kRequest) {
        HandleRequest(c, frame);
    }
}

void CommandReceiver::HandleRequest(Connection& c, const SenderFrame& frame) {
    Reply reply;
    if (auto q = m_queued.find(frame.code); q != m_queued.end() && !q->second.empty()) {
        reply = std::move(q->second.front());
        q->second.pop_front();
    } else if (auto r = m_replies.find(frame.code); r != m_replies.end()) {
        reply = r->second;
    } else {
        bool answer = true;
        reply = Reply::Answer(DefaultAnswer(frame, &answer));
        if (!answer) {
            reply = Reply::None();
        }
    }
    const uint8_t answerCode = static_cast<uint8_t>(frame.code + 1);
    if (reply.delayMs > 0) {
        m_delayed.push_back(
            {Clock::now() + std::chrono::milliseconds(reply.delayMs), c.id, reply, answerCode});
        return;
    }
    Apply(c, reply, answerCode);
}

void CommandReceiver::Apply(Connection& c, const Reply& reply, uint8_t answerCode) {
    switch (reply.kind) {
        case Reply::Kind::kAnswer: {
            std::vector<uint8_t> f = Frame(answerCode, reply.bytes);
            char text[48];
            std::snprintf(text, sizeof text, "answer 0x%02X len=%zu", answerCode,
                          reply.bytes.size());
            Log("==>", c.id, text);
            c.out.insert(c.out.end(), f.begin(), f.end());
            break;
        }
        case Reply::Kind::kNoAnswer:
            Log("--", c.id, "no answer (scripted)");
            break;
        case Reply::Kind::kDisconnect:
            Log("--", c.id, "disconnect (scripted)");
            c.closeAfterWrite = true;
            break;
        case Reply::Kind::kRaw:
            Log("==>", c.id, "raw bytes len=" + std::to_string(reply.bytes.size()));
            c.out.insert(c.out.end(), reply.bytes.begin(), reply.bytes.end());
            break;
        case Reply::Kind::kHalfThenClose:
            Log("==>", c.id, "half a frame, then close (scripted)");
            c.out.insert(c.out.end(), reply.bytes.begin(),
                         reply.bytes.begin() + static_cast<long>(reply.bytes.size() / 2));
            c.closeAfterWrite = true;
            break;
    }
}

std::vector<uint8_t> CommandReceiver::DefaultAnswer(const SenderFrame& frame, bool* answer) {
    const std::vector<uint8_t>& p = frame.payload;
    switch (frame.code) {
        case wire::kGetDeviceCap:
            return m_config.capabilities.Encode();
        case wire::kGetDeviceStatus:
            return {0, 0};
        case wire::kLogin:
        case wire::kLoginEx:
            return {static_cast<uint8_t>(FieldText(p, 52, 8) == m_config.loginCode ? 1 : 0)};
        case wire::kSupervisorLogin:
            return {static_cast<uint8_t>(FieldText(p, 0, 20) == m_config.loginCode ? 1 : 0)};
        case wire::kConnectToDeviceThruIP: {
            ReceiverAnnouncement record = m_config.record;
            record.protocolVersion = m_config.protocolVersion;
            const AnnouncementBytes bytes = record.Encode();
            return std::vector<uint8_t>(bytes.begin(), bytes.end());
        }
        case wire::kChangeValue:
            m_values[std::string(p.begin(), p.begin() + 32)] =
                std::vector<uint8_t>(p.begin() + 32, p.end());
            return {1};
        case wire::kGetValue: {
            auto it = m_values.find(std::string(p.begin(), p.end()));
            return it != m_values.end() ? it->second : std::vector<uint8_t>(32, 0);
        }
        case wire::kTestPort:
            return {0, 1};
        case wire::kGetVideoPos:
        case wire::kGetVideoDuration: {
            std::vector<uint8_t> a(4, 0);
            if (frame.code == wire::kGetVideoDuration) {
                a.resize(20, 0);
            }
            return a;
        }
        case wire::kGetKey:
            return {0x11, 0x22, 0x33, 0x44};
        case wire::kGetSenderCount:
            return {0, 0, 0, 1};
        case wire::kSetFrameBuffer: {
            std::vector<uint8_t> a = p;
            a[6] = 0;  // accepted as asked
            return a;
        }
        case wire::kForwardMessage: {
            const uint32_t id = platform::GetU32BE(p.data());
            const std::optional<std::string> text =
                m_apClient.Answer(id, std::string(p.begin() + 32, p.end()));
            if (p[8] == 1) {
                *answer = false;
                return {};
            }
            // A 16-byte head with the reply's size, then the reply.
            std::vector<uint8_t> a(16, 0);
            if (text) {
                platform::PutU32BE(a.data(), static_cast<uint32_t>(text->size()));
                a.insert(a.end(), text->begin(), text->end());
            }
            return a;
        }
        default:
            return {1};
    }
}

// ---------------------------------------------------------------------------
// public operations

void CommandReceiver::SetReply(uint8_t code, Reply reply) {
    std::lock_guard<std::mutex> g(m_lock);
    m_replies[code] = std::move(reply);
}

void CommandReceiver::QueueReply(uint8_t code, Reply reply) {
    std::lock_guard<std::mutex> g(m_lock);
    m_queued[code].push_back(std::move(reply));
}

void CommandReceiver::SetAnswerKeepAlive(bool on) {
    std::lock_guard<std::mutex> g(m_lock);
    m_config.answerKeepAlive = on;
}

bool CommandReceiver::SendEvent(uint8_t code, const std::vector<uint8_t>& payload) {
    return FloodEvents(code, payload, 1);
}

bool CommandReceiver::FloodEvents(uint8_t code, const std::vector<uint8_t>& payload, size_t count) {
    {
        std::lock_guard<std::mutex> g(m_lock);
        Connection* c = Newest();
        if (!c) {
            return false;
        }
        const std::vector<uint8_t> f = Frame(code, payload);
        c->out.reserve(c->out.size() + f.size() * count);
        for (size_t i = 0; i < count; ++i) {
            c->out.insert(c->out.end(), f.begin(), f.end());
        }
        char text[64];
        std::snprintf(text, sizeof text, "event 0x%02X len=%zu x%zu", code, payload.size(), count);
        Log("==>", c->id, text);
    }
    Wake();
    return true;
}

bool CommandReceiver::SendRaw(const std::vector<uint8_t>& bytes) {
    {
        std::lock_guard<std::mutex> g(m_lock);
        Connection* c = Newest();
        if (!c) {
            return false;
        }
        c->out.insert(c->out.end(), bytes.begin(), bytes.end());
        Log("==>", c->id, "raw bytes len=" + std::to_string(bytes.size()));
    }
    Wake();
    return true;
}

void CommandReceiver::CloseClient() {
    {
        std::lock_guard<std::mutex> g(m_lock);
        if (Connection* c = Newest()) {
            Log("--", c->id, "closed by the receiver");
            Close(*c);
        }
    }
    Wake();
}

std::vector<ReceivedFrame> CommandReceiver::Frames() {
    std::lock_guard<std::mutex> g(m_lock);
    return m_frames;
}

void CommandReceiver::ClearFrames() {
    std::lock_guard<std::mutex> g(m_lock);
    m_frames.clear();
}

std::vector<SenderFrame> CommandReceiver::FramesWithCode(uint8_t code) {
    std::lock_guard<std::mutex> g(m_lock);
    std::vector<SenderFrame> out;
    for (const ReceivedFrame& f : m_frames) {
        if (f.frame.code == code) {
            out.push_back(f.frame);
        }
    }
    return out;
}

template <typename Pred>
bool CommandReceiver::WaitFor(Pred pred, int timeoutMs) {
    std::unique_lock<std::mutex> lock(m_lock);
    return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), pred);
}

bool CommandReceiver::WaitForFrames(size_t count, int timeoutMs) {
    return WaitFor([&] { return m_frames.size() >= count; }, timeoutMs);
}

size_t CommandReceiver::RockCount() {
    std::lock_guard<std::mutex> g(m_lock);
    return m_rocks;
}

bool CommandReceiver::WaitForRocks(size_t count, int timeoutMs) {
    return WaitFor([&] { return m_rocks >= count; }, timeoutMs);
}

size_t CommandReceiver::Connections() {
    std::lock_guard<std::mutex> g(m_lock);
    return static_cast<size_t>(m_accepted);
}

size_t CommandReceiver::OpenConnections() {
    std::lock_guard<std::mutex> g(m_lock);
    return static_cast<size_t>(std::count_if(m_connections.begin(), m_connections.end(),
                                             [](const Connection& c) { return c.fd >= 0; }));
}

bool CommandReceiver::WaitForConnections(size_t count, int timeoutMs) {
    return WaitFor([&] { return static_cast<size_t>(m_accepted) >= count; }, timeoutMs);
}

bool CommandReceiver::WaitForNoOpenConnection(int timeoutMs) {
    return WaitFor(
        [&] {
            return std::none_of(m_connections.begin(), m_connections.end(),
                                [](const Connection& c) { return c.fd >= 0; });
        },
        timeoutMs);
}

void CommandReceiver::Settle() {
    uint64_t target;
    {
        std::lock_guard<std::mutex> g(m_lock);
        target = m_loops + 2;
    }
    Wake();
    WaitFor([&] { return m_loops >= target || m_stop; }, 5000);
}

std::vector<std::string> CommandReceiver::Errors() {
    std::lock_guard<std::mutex> g(m_lock);
    return m_errors;
}

}  // namespace receiver_sim
