#include "vrxclientsdk/VRPClient/PortConnector.h"

#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <utility>

#include "platform/clock.h"

namespace {

// One step of the wait: the connects are polled, the handshakes tried and
// the caller's messages pumped about this often.
constexpr int kStepMs = 30;
// Connect starts on several ports are spaced by this much, so that a
// receiver listening on more than one of them sees them in order.
constexpr uint32_t kPortStaggerMs = 30;

// The sockets of one attempt, closed on every path unless one is adopted.
class Attempts {
public:
    explicit Attempts(size_t count)
        : sockets(count, platform::kInvalidSocket),
          states(count, platform::ConnectState::kPending),
          errors(count, 0) {}
    ~Attempts() {
        for (platform::SocketHandle s : sockets) {
            platform::CloseSocketHandle(s);
        }
    }
    Attempts(const Attempts&) = delete;
    Attempts& operator=(const Attempts&) = delete;

    platform::SocketHandle Adopt(size_t i) {
        return std::exchange(sockets[i], platform::kInvalidSocket);
    }
    // Gives one port up: its socket leaves the wait at once.
    void Fail(size_t i) {
        states[i] = platform::ConnectState::kFailed;
        platform::CloseSocketHandle(std::exchange(sockets[i], platform::kInvalidSocket));
    }
    bool AllFailed() const {
        return std::all_of(states.begin(), states.end(), [](platform::ConnectState s) {
            return s == platform::ConnectState::kFailed;
        });
    }

    std::vector<platform::SocketHandle> sockets;
    std::vector<platform::ConnectState> states;
    std::vector<int> errors;
};

// True when a connected socket's peer closed or the socket failed: its
// handshake can never progress.
bool PeerGone(platform::SocketHandle s) {
    char byte;
    const ssize_t n = ::recv(s, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    return n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR);
}

}  // namespace

PortConnector::Result PortConnector::Connect(in_addr address, const std::vector<uint16_t>& ports,
                                             int timeoutSeconds, const Hooks& hooks) {
    Result result;
    Attempts attempts(ports.size());
    for (size_t i = 0; i < ports.size(); ++i) {
        const platform::SocketHandle s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (s < 0) {
            result.outcome = Outcome::kSystemError;
            result.systemError = errno;
            return result;
        }
        attempts.sockets[i] = s;
        if (hooks.configure) {
            hooks.configure(s);
        }
        sockaddr_in sa{};
        sa.sin_family = AF_INET;
        sa.sin_addr = address;
        sa.sin_port = htons(ports[i]);
        if (::connect(s, reinterpret_cast<sockaddr*>(&sa), sizeof sa) == 0) {
            attempts.states[i] = platform::ConnectState::kConnected;
        } else if (errno != EINPROGRESS && errno != EINTR) {
            attempts.states[i] = platform::ConnectState::kFailed;
        }
        if (i + 1 < ports.size()) {
            platform::SleepMs(kPortStaggerMs);
        }
    }

    bool anyConnected = false;
    const uint64_t start = platform::NowMs();
    const uint64_t limit = static_cast<uint64_t>(std::max(timeoutSeconds, 0)) * 1000u;
    while (platform::NowMs() - start < limit && !(hooks.cancel && hooks.cancel->load())) {
        if (attempts.AllFailed()) {
            break;  // every port refused: no point waiting out the time-out
        }
        const int waited =
            platform::PollConnects(attempts.sockets, attempts.states, kStepMs, attempts.errors);
        if (waited < 0) {
            result.outcome = Outcome::kSystemError;
            result.systemError = -waited;
            return result;
        }
        for (size_t i = 0; i < ports.size(); ++i) {
            if (attempts.states[i] != platform::ConnectState::kConnected) {
                continue;
            }
            anyConnected = true;
            const int handshake = hooks.handshake ? hooks.handshake(attempts.sockets[i]) : 0;
            if (handshake >= 0) {
                result.outcome = Outcome::kConnected;
                result.socket = attempts.Adopt(i);
                result.portIndex = i;
                return result;
            }
            // A socket left readable would wake the next poll at once: a wrong
            // reply, a closed peer or a socket error ends that port's attempt.
            if (handshake == kHandshakeRejected || PeerGone(attempts.sockets[i])) {
                attempts.Fail(i);
            }
        }
        if (hooks.betweenSteps) {
            hooks.betweenSteps();
        }
    }
    result.outcome = anyConnected ? Outcome::kHandshakeFailed : Outcome::kNoConnection;
    return result;
}
