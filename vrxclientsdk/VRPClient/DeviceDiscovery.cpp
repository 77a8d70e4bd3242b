#include "vrxclientsdk/VRPClient/DeviceDiscovery.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <utility>

#include "platform/clock.h"
#include "platform/pump.h"
#include "platform/socket.h"
#include "vrxclientsdk/VRPClient/DiscoveryNetwork.h"
#include "vrxclientsdk/VRPClient/ErrorCodes.h"

namespace {

constexpr char kQuery[4] = {'V', 'R', 'P', 'S'};
constexpr char kRecordMagic[4] = {'Q', 'K', 'P', 'P'};
// A port sends its burst only when more than this has passed since the last
// burst of any port, so each port of a range of three sends about every 1.5 s.
constexpr uint64_t kBurstIntervalMs = 500;
// The idle step of the product: long enough to keep a polling loop cheap,
// short enough that answers are read while the window stays responsive.
constexpr uint32_t kIdleSleepMs = 30;
// One poll covers all sockets; a larger range would leave ports unread.
constexpr size_t kMaxSockets = 64;

void DefaultIdleWait() {
    PumpMessages();
    platform::SleepMs(kIdleSleepMs);
}

}  // namespace

int DeviceDiscovery::DeviceDiscover(std::vector<DevAnnounce>& vecDevAnnounce,
                                    const std::atomic<bool>* cancel, bool firstOnly,
                                    uint16_t firstPort, uint16_t lastPort, int timeoutSeconds) {
    Logger* log = m_owner.GetLogger();
    QK_LOG(log, LOG_DEBUG, "DeviceDiscover %d %hu %hu %d", firstOnly ? 1 : 0, firstPort, lastPort,
           timeoutSeconds);
    const DiscoveryNetwork& network = CurrentDiscoveryNetwork();

    // Sockets and their ports, in port order. The counter is wider than the
    // port so that a range ending at 65535 terminates.
    std::vector<platform::UniqueSocket> sockets;
    std::vector<uint16_t> ports;
    for (uint32_t port = firstPort; port <= lastPort; ++port) {
        if (sockets.size() == kMaxSockets) {
            QK_LOG(log, LOG_NOTICE, "DeviceDiscover uses only %zu ports, up to %u", kMaxSockets,
                   port - 1);
            break;
        }
        platform::UniqueSocket s(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
        if (!s.Valid()) {
            return m_owner.SetError(-errno, __FILE__, __LINE__);
        }
        const int on = 1;
        if (::setsockopt(s.Get(), SOL_SOCKET, SO_BROADCAST, &on, sizeof on) < 0) {
            QK_LOG(log, LOG_CRIT, "DeviceDiscover setsockopt(SO_BROADCAST) failed %d", errno);
            continue;
        }
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_port = htons(static_cast<uint16_t>(port));
        local.sin_addr = network.bindAddress;
        if (::bind(s.Get(), reinterpret_cast<const sockaddr*>(&local), sizeof local) < 0) {
            QK_LOG(log, LOG_WARN, "DeviceDiscover bind port# %hu failed %d",
                   static_cast<uint16_t>(port), errno);
            continue;
        }
        sockets.push_back(std::move(s));
        ports.push_back(static_cast<uint16_t>(port));
    }
    if (sockets.empty()) {
        return m_owner.SetError(
            qkerr::kBroadcastSocket, __FILE__, __LINE__,
            "[" + std::to_string(firstPort) + ", " + std::to_string(lastPort) + "]");
    }

    IPv4Set targets;
    IPv4Set masks;
    BuildBroadcastTargets(targets, masks);
    for (uint32_t target : targets) {
        QK_LOG(log, LOG_DEBUG, "DeviceDiscover candidate broadcast subnet: %s",
               platform::FormatIPv4(target).c_str());
    }
    vecDevAnnounce.clear();

    std::vector<pollfd> fds(sockets.size());
    for (size_t i = 0; i < sockets.size(); ++i) {
        fds[i] = pollfd{sockets[i].Get(), POLLIN, 0};
    }
    IPv4Set accepted;
    const int64_t limitMs = static_cast<int64_t>(timeoutSeconds) * 1000;
    const uint64_t startMs = platform::NowMs();
    uint64_t lastBurstMs = 0;
    bool sentBurst = false;
    size_t nextSender = 0;

    while (static_cast<int64_t>(platform::NowMs() - startMs) <= limitMs &&
           !(cancel && cancel->load(std::memory_order_acquire))) {
        const uint64_t nowMs = platform::NowMs();
        if (!sentBurst || nowMs - lastBurstMs > kBurstIntervalMs) {
            // The query goes to the sender's own port number at every target.
            const int fd = sockets[nextSender].Get();
            const uint16_t port = ports[nextSender];
            for (uint32_t target : targets) {
                sockaddr_in to{};
                to.sin_family = AF_INET;
                to.sin_port = htons(port);
                to.sin_addr.s_addr = target;
                const ssize_t sent = ::sendto(fd, kQuery, sizeof kQuery, MSG_NOSIGNAL,
                                              reinterpret_cast<const sockaddr*>(&to), sizeof to);
                if (sent != static_cast<ssize_t>(sizeof kQuery)) {
                    QK_LOG(log, LOG_WARN, "DeviceDiscover sendto failed %d %hu %d",
                           static_cast<int>(sent), port, errno);
                }
            }
            lastBurstMs = nowMs;
            sentBurst = true;
            nextSender = (nextSender + 1) % sockets.size();
        }

        for (pollfd& p : fds) {
            p.revents = 0;
        }
        const int ready = ::poll(fds.data(), fds.size(), 0);
        if (ready < 0) {
            if (errno == EINTR) {
                continue;
            }
            return m_owner.SetError(-errno, __FILE__, __LINE__);
        }
        if (ready == 0) {
            if (network.idleWait) {
                network.idleWait();
            } else {
                DefaultIdleWait();
            }
            continue;
        }

        for (size_t i = 0; i < fds.size(); ++i) {
            if (fds[i].revents == 0) {
                continue;
            }
            const uint16_t port = ports[i];
            // Zeroed for every datagram so that nothing of an earlier one is
            // read; MSG_TRUNC reports the full length of a longer datagram,
            // which the system would otherwise cut to the buffer silently.
            uint8_t buffer[kDevAnnounceSize] = {};
            sockaddr_in from{};
            socklen_t fromLength = sizeof from;
            const ssize_t length =
                ::recvfrom(fds[i].fd, buffer, sizeof buffer, MSG_TRUNC | MSG_DONTWAIT,
                           reinterpret_cast<sockaddr*>(&from), &fromLength);
            const int recvError = errno;
            if (length >= static_cast<ssize_t>(sizeof kQuery) &&
                std::memcmp(buffer, kQuery, sizeof kQuery) == 0) {
                continue;  // our own query, looped back
            }
            if (length <= 0) {
                QK_LOG(log, LOG_NOTICE, "DeviceDiscover recvfrom failed %d %d %hu",
                       static_cast<int>(length), recvError, port);
                continue;
            }
            if (length != static_cast<ssize_t>(kDevAnnounceSize) ||
                std::memcmp(buffer, kRecordMagic, sizeof kRecordMagic) != 0) {
                QK_LOG(log, LOG_NOTICE,
                       "DeviceDiscover header mismatch %d 0x%02x 0x%02x 0x%02x "
                       "0x%02x %hu",
                       static_cast<int>(length), buffer[0], buffer[1], buffer[2], buffer[3], port);
                continue;
            }
            const uint32_t source = from.sin_addr.s_addr;
            const std::string sourceText = platform::FormatIPv4(source);
            if (accepted.count(source) != 0) {
                QK_LOG(log, LOG_DEBUG, "DeviceDiscover got duplicate IP %s %hu", sourceText.c_str(),
                       port);
                continue;
            }
            const bool inSubnet =
                masks.empty() || std::any_of(masks.begin(), masks.end(), [&](uint32_t mask) {
                    return targets.count(source | ~mask) != 0;
                });
            if (!inSubnet) {
                QK_LOG(log, LOG_NOTICE, "DeviceDiscover got out of subnet IP: %s",
                       sourceText.c_str());
                continue;
            }
            QK_LOG(log, LOG_INFO, "DeviceDiscover got new IP %s %hu", sourceText.c_str(), port);
            accepted.insert(source);
            DevAnnounce record;
            std::memcpy(record.bytes, buffer, sizeof record.bytes);
            DevAnnounceToHost(record);
            vecDevAnnounce.push_back(record);
            if (firstOnly) {
                return m_owner.SetError(0, __FILE__, __LINE__);
            }
        }
    }
    return m_owner.SetError(0, __FILE__, __LINE__);
}
