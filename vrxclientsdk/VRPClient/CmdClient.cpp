// CmdClient: construction, connection, handshake and keep-alive. Requests
// are in CmdClientRequests.cpp and CmdClientMedia.cpp, the payload readers in
// CmdClientReaders.cpp, the event handlers in CmdClientEvents.cpp, the
// capability predicates in CmdClientCaps.cpp.
#include "vrxclientsdk/VRPClient/CmdClient.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>

#include "platform/clock.h"
#include "platform/socket.h"
#include "platform/syserror.h"
#include "platform/thread.h"
#include "vrxclientsdk/VRPClient/CmdCodes.h"
#include "vrxclientsdk/VRPClient/ErrorCodes.h"
#include "vrxclientsdk/VRPClient/PortConnector.h"

namespace {

// The keep-alive loop sleeps this many steps per pass (30 x 30 ms = 0.9 s).
constexpr int kAliveStepsPerPass = 30;
// A ROCK goes out when more than this many ms passed since the last one.
constexpr uint64_t kRockIntervalMs = 2999;
// How long the keep-alive thread waits for the socket to take a ROCK.
constexpr int kRockWriteWaitMs = 30;

}  // namespace

CmdClient::CmdClient()
    : m_PreBuf(*this,
               PreBufferWait::Hooks{
                   [this] { return IsRunning() && m_PlayState.load() == kPlayMedia; },
                   [this] { return HasFbfBit01(); },
                   [this](const std::atomic<bool>& cancelled) { MuteAfterPreBuffer(cancelled); }}) {
    InstallReaders();
    InstallHandlers();
    SetCmdPrefix(cmd::kCmdPrefix, cmd::kPrefixSize);
    SetCustCmdPrefix(cmd::kAlivePrefix);
}

CmdClient::~CmdClient() {
    ShutdownConnection();
}

void CmdClient::ShutdownConnection() {
    ProtocolBase::ShutdownConnection();
    m_AliveRun = false;
    std::unique_ptr<boost::thread> alive;
    {
        boost::mutex::scoped_lock guard(m_AliveThreadLock);
        alive = std::move(m_pAliveThread);
    }
    if (alive && alive->joinable()) {
        alive->join();
    }
    m_PlayState = kPlayIdle;
    m_PreBuf.Join(true);
}

// ---------------------------------------------------------------------------
// connection

int CmdClient::OpenConnectAddr(uint32_t ipv4, const std::vector<uint16_t>& ports,
                               int timeoutSeconds) {
    return OpenConnect(platform::FormatIPv4(ipv4), ports, timeoutSeconds);
}

int CmdClient::OpenConnect(const std::string& ip, const std::vector<uint16_t>& ports,
                           int timeoutSeconds) {
    QK_LOGF(LOG_INFO, "OpenConnect %s %d", ip.c_str(), static_cast<int>(ports.size()));
    CloseConnect();
    ResetReceiverState();
    // The command lock is not held while connecting: starting the threads
    // joins the previous dispatcher, which may be waiting for that lock in an
    // event handler.
    return AfterConnect(Connect(ip, ports, false, timeoutSeconds));
}

int CmdClient::InitSocket(platform::SocketHandle socket, bool noDispatcher) {
    ResetReceiverState();
    return AfterConnect(ProtocolBase::InitSocket(socket, noDispatcher));
}

void CmdClient::ResetReceiverState() {
    boost::recursive_mutex::scoped_lock lock(m_CmdLock);
    // A new receiver may be older than the last one: nothing it supports is
    // known until it has answered ConnectToDeviceThruIP and GetDeviceCap.
    m_DeviceVersion = 0;
    m_Fbf = 0;
    m_Fbf2 = 0;
    m_Fbf3 = 0;
    // The network thread starts inside the connect and asks IsPeerAlive at once.
    m_LastAliveMs = platform::NowMs();
}

int CmdClient::AfterConnect(int result) {
    if (result < 0) {
        return result;
    }
    m_LastAliveMs = platform::NowMs();
    {
        boost::recursive_mutex::scoped_lock lock(m_CmdLock);
        m_PlayState = kPlayIdle;
    }
    StartAliveThread();
    return GetErrorCode();
}

void CmdClient::CloseConnect() {
    QK_LOGF(LOG_DEBUG, "CloseConnect %u", m_PlayState.load());
    // The core first: it ends a request that waits for an answer, so the
    // command lock below is free within one step.
    ProtocolBase::CloseConnect();
    m_AliveRun = false;
    std::unique_ptr<boost::thread> alive;
    {
        boost::mutex::scoped_lock guard(m_AliveThreadLock);
        if (!platform::IsCurrentThread(m_pAliveThread)) {
            alive = std::move(m_pAliveThread);
        }
    }
    if (alive && alive->joinable()) {
        alive->join();
    }
    {
        boost::recursive_mutex::scoped_lock lock(m_CmdLock);
        m_PlayState = kPlayIdle;
    }
    m_PreBuf.Wake();
    boost::mutex::scoped_lock guard(m_HandshakeLock);
    m_HandshakeSent.clear();
    m_HandshakeReply.clear();
}

bool CmdClient::IsRequestPending() {
    return ProtocolBase::IsRequestPending() || m_PreBuf.IsWaiting();
}

void CmdClient::OnConnectClose() {
    QK_LOGF(LOG_DEBUG, "OnConnectClose sock:%d this:%p", m_Socket.handle.load(),
            static_cast<void*>(this));
    if (LossIsStale()) {
        QK_LOGF(LOG_INFO, "OnConnectClose: another connection has started, nothing to close");
        return;
    }
    SaveError();
    CloseConnect();
    RestoreError();
    QK_LOGF(LOG_ERROR, "Command socket disconnected!");
}

// ---------------------------------------------------------------------------
// handshake

int CmdClient::Handshake(platform::SocketHandle socket) {
    boost::mutex::scoped_lock guard(m_HandshakeLock);
    if (m_HandshakeSent.count(socket) == 0) {
        char rock[cmd::kAliveMessageSize];
        std::memcpy(rock, cmd::kAlivePrefix, cmd::kPrefixSize);
        std::memcpy(rock + cmd::kPrefixSize, cmd::kRock, cmd::kAliveWordSize);
        ssize_t n = platform::SendNoSignal(socket, rock, sizeof rock, MSG_DONTWAIT);
        if (n <= 0) {
            return -1;  // try again on the next step
        }
        m_HandshakeSent.insert(socket);
        if (static_cast<size_t>(n) != sizeof rock) {
            // Half a ROCK went out: this socket can never shake hands.
            m_HandshakeReply[socket].assign(cmd::kAliveMessageSize, '\0');
            return PortConnector::kHandshakeRejected;
        }
    }
    ByteString& got = m_HandshakeReply[socket];
    if (got.size() >= cmd::kAliveMessageSize) {
        return PortConnector::kHandshakeRejected;  // a complete but wrong reply stays wrong
    }
    char buf[cmd::kAliveMessageSize];
    ssize_t n = ::recv(socket, buf, cmd::kAliveMessageSize - got.size(), MSG_DONTWAIT);
    if (n <= 0) {
        return -1;
    }
    got.append(buf, static_cast<size_t>(n));
    if (got.size() < cmd::kAliveMessageSize) {
        return -1;
    }
    if (std::memcmp(got.data(), cmd::kAlivePrefix, cmd::kPrefixSize) != 0 ||
        std::memcmp(got.data() + cmd::kPrefixSize, cmd::kRoll, cmd::kAliveWordSize) != 0) {
        QK_LOGF(LOG_NOTICE, "Handshake wrong reply sock:%d", socket);
        return PortConnector::kHandshakeRejected;
    }
    m_LastAliveMs = platform::NowMs();
    return 0;
}

// ---------------------------------------------------------------------------
// keep-alive

int CmdClient::OnCustCommand() {
    char word[cmd::kAliveWordSize];
    int n = ReadExact(word, sizeof word);
    if (n <= 0) {
        QK_LOGF(LOG_NOTICE, "OnCustCommand not enough ROLL 4 bytes %d", n);
        return n;
    }
    if (std::memcmp(word, cmd::kRoll, sizeof word) == 0) {
        QK_LOGF(LOG_DEBUG, "<== Got ROLL");
        OnPeerAlive();
    } else {
        QK_LOGF(LOG_NOTICE, "OnCustCommand not ROLL");
    }
    return static_cast<int>(sizeof word);
}

void CmdClient::OnPeerAlive() {
    const uint64_t now = platform::NowMs();
    m_LastAliveMs = now;
    QK_LOGF(LOG_DEBUG, "OnPeerAlive %u", static_cast<uint32_t>(now));
}

bool CmdClient::IsPeerAlive() {
    const uint64_t now = platform::NowMs();
    const uint64_t last = m_LastAliveMs.load();
    const uint64_t limit = static_cast<uint64_t>(m_AliveTimeout.load()) * 1000u;
    if (now <= last || now - last <= limit) {
        return true;
    }
    QK_ERROR(qkerr::kRollTimeout);
    return false;
}

void CmdClient::SetAliveTimeout(uint32_t seconds) {
    m_AliveTimeout = seconds;
}

void CmdClient::StartAliveThread() {
    std::unique_ptr<boost::thread> old;
    {
        boost::mutex::scoped_lock guard(m_AliveThreadLock);
        old = std::move(m_pAliveThread);
    }
    if (old && old->joinable()) {
        m_AliveRun = false;
        old->join();
    }
    m_AliveRun = true;
    boost::mutex::scoped_lock guard(m_AliveThreadLock);
    m_pAliveThread = platform::StartThread<boost::thread>("cmd-alive", [this] { AliveThread(); });
    if (!m_pAliveThread) {
        m_AliveRun = false;
        QK_LOGF(LOG_CRIT, "AliveThread cannot start this:%p", static_cast<void*>(this));
    }
}

int CmdClient::SendRock() {
    const platform::SocketHandle s = m_Socket.handle.load();
    pollfd pfd{s, POLLOUT, 0};
    int ready = ::poll(&pfd, 1, kRockWriteWaitMs);
    if (ready < 0 && errno != EINTR) {
        QK_ERROR(-platform::LastSystemError());
        return -1;
    }
    if (ready <= 0 || !(pfd.revents & POLLOUT)) {
        QK_LOGF(LOG_NOTICE, "AliveThread !FD_ISSET(fsWrite)");
        return 0;
    }
    // A ROCK must never land inside another frame: it goes out only while no
    // frame holds the socket's send lock, else on a later pass.
    boost::recursive_mutex::scoped_try_lock send(m_Socket.sendLock);
    if (!send.owns_lock()) {
        return 0;
    }
    char rock[cmd::kAliveMessageSize];
    std::memcpy(rock, cmd::kAlivePrefix, cmd::kPrefixSize);
    std::memcpy(rock + cmd::kPrefixSize, cmd::kRock, cmd::kAliveWordSize);
    bool sentSome = false;
    if (SendAll(m_Socket, rock, sizeof rock, 0, &sentSome) < 0) {
        QK_ERROR(-platform::LastSystemError());
        if (sentSome) {
            // Part of a ROCK is on the wire: the stream is out of step.
            boost::mutex::scoped_lock handle(m_Socket.handleLock);
            platform::ShutdownSocket(m_Socket.handle.load());
        }
        return -1;
    }
    QK_LOGF(LOG_DEBUG, "==> Send ROCK %u", static_cast<uint32_t>(platform::NowMs()));
    return 1;
}

void CmdClient::AliveThread() {
    QK_LOGF(LOG_DEBUG, "AliveThread begin");
    auto running = [this] { return m_AliveRun.load() && IsRunning(); };
    bool sentOnce = false;
    uint64_t lastSend = 0;
    while (running()) {
        for (int i = 0; i < kAliveStepsPerPass && running(); ++i) {
            platform::SleepMs(m_AliveStepMs.load());
        }
        if (!running()) {
            break;
        }
        AutoResync();
        // The receiver's silence is judged by IsPeerAlive on the network
        // thread, which then ends the connection through the core's one
        // close path.
        const uint64_t now = platform::NowMs();
        if (!sentOnce || now - lastSend > kRockIntervalMs) {
            const int sent = SendRock();
            if (sent < 0) {
                ++m_AlivePasses;
                break;
            }
            if (sent > 0) {
                sentOnce = true;
                lastSend = now;
            }
        }
        ++m_AlivePasses;
    }
    QK_LOGF(LOG_DEBUG, "AliveThread end");
}
