#include "vrxclientsdk/VRXClient/senderserver/ReplySenderDiscovery.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>

#include "platform/byte_order.h"
#include "platform/thread.h"
#include "vrxclientsdk/VRPClient/ErrorCodes.h"

namespace {

// How long the thread waits for a query before it looks at its flag again:
// the bound of Stop's wait.
constexpr int kPollMs = 100;
// At most this many ports are answered on.
constexpr size_t kMaxSockets = 64;

template <size_t N>
void CopyText(char (&field)[N], const char* text) {
    std::strncpy(field, text, N);
}

template <typename Field>
void PutBytes(ByteString& out, const Field& field) {
    out.append(reinterpret_cast<const char*>(&field), sizeof field);
}

}  // namespace

ReplySenderDiscovery::AnnounceType::AnnounceType() {
    // Every byte is defined before anything is filled: the reply carries the
    // reserved and unset fields as they are.
    std::memset(static_cast<void*>(this), 0, sizeof *this);
    commandPort = 16121;
    imagePort = 16120;
    thirdPort = 16122;
    CopyText(senderName, "Quorvane Sender");
    CopyText(maker, "KIRSO");
    CopyText(platform, "Unknown Platform");
    version[0] = 1;
    version[1] = 45;
}

ReplySenderDiscovery::ReplySenderDiscovery() = default;

ReplySenderDiscovery::~ReplySenderDiscovery() {
    Stop();
}

ByteString ReplySenderDiscovery::BuildReply(const AnnounceType& record) {
    ByteString out;
    out.reserve(kReplySize);
    out.append("QKPS", 4);
    platform::AppendU32BE(out, record.announceWord);
    platform::AppendU16BE(out, record.commandPort);
    platform::AppendU16BE(out, record.imagePort);
    platform::AppendU16BE(out, record.thirdPort);
    PutBytes(out, record.senderName);
    PutBytes(out, record.maker);
    PutBytes(out, record.platform);
    PutBytes(out, record.version);
    PutBytes(out, record.reserved1);
    PutBytes(out, record.noLoginCode);
    PutBytes(out, record.clientState);
    PutBytes(out, record.reserved2);
    platform::AppendU32BE(out, record.receiverAddress);
    PutBytes(out, record.reserved3);
    return out;
}

int ReplySenderDiscovery::Start(uint16_t firstPort, uint16_t lastPort, const AnnounceType* record) {
    Stop();
    if (!record) {
        return QK_ERROR(qkerr::kCreateObject, "ReplySenderDiscovery: no announce record");
    }
    m_Record = std::make_unique<AnnounceType>(*record);
    for (uint32_t port = firstPort; port <= lastPort && m_Sockets.size() < kMaxSockets; ++port) {
        const platform::SocketHandle s = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        if (s < 0) {
            const int error = errno;
            CloseSockets();
            return QK_ERROR(-error);
        }
        int one = 1;
        if (::setsockopt(s, SOL_SOCKET, SO_BROADCAST, &one, sizeof one) != 0) {
            QK_LOGF(LOG_WARN, "Start setsockopt(SO_BROADCAST) fail %d", errno);
            platform::CloseSocketHandle(s);
            continue;
        }
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_addr.s_addr = m_ListenAddress.load();
        local.sin_port = htons(static_cast<uint16_t>(port));
        if (::bind(s, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
            // Another program holds the port: the others still answer.
            QK_LOGF(LOG_WARN, "Start bind port %d error: %d", static_cast<int>(port), errno);
            platform::CloseSocketHandle(s);
            continue;
        }
        QK_LOGF(LOG_DEBUG, "Bind Brdcast p:%d s:%d.", static_cast<int>(port), s);
        m_Sockets.push_back(s);
    }
    m_Running = true;
    const AnnounceType* copy = m_Record.get();
    m_pReplyDiscoveryThread = platform::StartThread<boost::thread>(
        "sender-discover", [this, copy] { ReplyThread(copy); });
    if (!m_pReplyDiscoveryThread) {
        m_Running = false;
        CloseSockets();
        return QK_ERROR(qkerr::kCreateObject, "m_pReplyDiscoveryThread");
    }
    return 0;
}

void ReplySenderDiscovery::Stop() {
    m_Running = false;
    if (m_pReplyDiscoveryThread) {
        m_pReplyDiscoveryThread->join();
        m_pReplyDiscoveryThread.reset();
    }
    CloseSockets();
    m_Record.reset();
}

void ReplySenderDiscovery::CloseSockets() {
    for (platform::SocketHandle s : m_Sockets) {
        QK_LOGF(LOG_DEBUG, "close socket %d.", s);
        platform::CloseSocketHandle(s);
    }
    m_Sockets.clear();
}

void ReplySenderDiscovery::OnQuery() {}

void ReplySenderDiscovery::ReplyThread(const AnnounceType* record) {
    std::vector<pollfd> fds;
    for (platform::SocketHandle s : m_Sockets) {
        fds.push_back({s, POLLIN, 0});
    }
    while (m_Running) {
        const int ready = ::poll(fds.data(), fds.size(), kPollMs);
        if (ready < 0) {
            if (errno == EINTR) {
                continue;
            }
            QK_LOGF(LOG_ERROR, "ReplyThread poll failed: %d", errno);
            return;
        }
        for (const pollfd& p : fds) {
            if (p.revents & POLLIN) {
                AnswerOne(p.fd, *record);
            }
        }
    }
}

void ReplySenderDiscovery::AnswerOne(platform::SocketHandle s, const AnnounceType& record) {
    char query[sizeof kQuery] = {};
    sockaddr_in from{};
    socklen_t fromLength = sizeof from;
    // MSG_TRUNC makes recvfrom tell the datagram's real length, so a longer
    // one that merely starts with the query is seen and dropped.
    const ssize_t n = ::recvfrom(s, query, sizeof query, MSG_TRUNC | MSG_DONTWAIT,
                                 reinterpret_cast<sockaddr*>(&from), &fromLength);
    if (n != static_cast<ssize_t>(sizeof kQuery) ||
        std::memcmp(query, kQuery, sizeof kQuery) != 0) {
        return;
    }
    OnQuery();
    const ByteString reply = BuildReply(record);
    ::sendto(s, reply.data(), reply.size(), MSG_NOSIGNAL, reinterpret_cast<sockaddr*>(&from),
             fromLength);
}
