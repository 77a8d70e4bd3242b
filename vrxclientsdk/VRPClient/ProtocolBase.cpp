#include "vrxclientsdk/VRPClient/ProtocolBase.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/time.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/clock.h"
#include "platform/syserror.h"
#include "platform/thread.h"
#include "vrxclientsdk/VRPClient/ErrorCodes.h"
#include "vrxclientsdk/VRPClient/PortConnector.h"

namespace {

// The network thread's wait for bytes and the request's wait for its answer
// last this long before they look at the connection again (the dispatcher
// and the port connector use the same step).
constexpr int kStepMs = 30;
// A shutdown waits at most this long for calls on other threads to return;
// they notice the closed connection within one step.
constexpr uint64_t kShutdownWaitMs = 10000;

int ToInt(size_t n) {
    return static_cast<int>(std::min<size_t>(n, 0x7fffffff));
}

}  // namespace

class ProtocolBase::CallScope {
public:
    explicit CallScope(ProtocolBase& p) : m_p(p) { m_p.m_CallsInProgress.fetch_add(1); }
    ~CallScope() { m_p.m_CallsInProgress.fetch_sub(1); }
    CallScope(const CallScope&) = delete;
    CallScope& operator=(const CallScope&) = delete;

private:
    ProtocolBase& m_p;
};

ProtocolBase::ProtocolBase() : m_SendBuffer(1, '\0') {
    platform::SocketStartup();
}

ProtocolBase::~ProtocolBase() {
    ShutdownConnection();
    platform::SocketCleanup();
}

// ---------------------------------------------------------------------------
// set-up

void ProtocolBase::SetCmdPrefix(const void* bytes, size_t length) {
    QK_LOGF(LOG_DEBUG, "SetCmdPrefix %d", ToInt(length));
    boost::recursive_mutex::scoped_lock frame(m_FrameLock);
    boost::recursive_mutex::scoped_lock request(m_RequestLock);
    m_CmdPrefix.assign(static_cast<const char*>(bytes), length);
    m_SendBuffer.assign(m_CmdPrefix);
    m_SendBuffer.push_back('\0');
}

void ProtocolBase::SetCustCmdPrefix(const void* bytes) {
    QK_LOGF(LOG_DEBUG, "SetCustCmdPrefix");
    boost::recursive_mutex::scoped_lock frame(m_FrameLock);
    m_CustPrefix.assign(static_cast<const char*>(bytes), m_CmdPrefix.size());
}

void ProtocolBase::SetSndRcvTimeout(int seconds) {
    QK_LOGF(LOG_DEBUG, "SetSndRcvTimeout %d", seconds);
    m_SndRcvTimeout = seconds;
}

void ProtocolBase::SetPayloadReader(uint8_t code, PayloadReader reader) {
    m_PayloadReaders[code] = std::move(reader);
}

void ProtocolBase::SetEventHandler(uint8_t code, EventHandler handler) {
    m_Events.SetHandler(code, std::move(handler));
}

// ---------------------------------------------------------------------------
// reading

int ProtocolBase::ReadExact(void* buffer, size_t length) {
    if (length == 0) {
        return 1;
    }
    int n = RecvAll(m_Socket, buffer, length, 0, &m_Running, m_IoDeadlineMs);
    if (n <= 0) {
        return n;
    }
    if (static_cast<size_t>(n) < length) {
        // A short payload is never a complete one: the stream is out of step.
        // (A peer that closed in the middle of it was reported as 0 above.)
        const int err = errno;
        QK_LOGF(LOG_NOTICE, "Short read %d of %d bytes sock:%d this:%p", n, ToInt(length),
                m_Socket.handle.load(), static_cast<void*>(this));
        errno = err == 0 ? 0 : EPROTO;
        return -1;
    }
    return n;
}

int ProtocolBase::ReadPayload(ByteString& payload, size_t length) {
    payload.resize(length);
    if (length == 0) {
        return 1;
    }
    int n = ReadExact(payload.data(), length);
    if (n <= 0) {
        payload.clear();
    }
    return n;
}

void ProtocolBase::CloseSocket() {
    socketio::Close(m_Socket);
}

void ProtocolBase::MarkBroken() {
    // Part of a frame may be on the wire: the stream can't be trusted any
    // more. Shutting the socket down makes the network thread end the
    // connection through the ordinary loss path.
    socketio::Shutdown(m_Socket);
}

void ProtocolBase::InitSocketOptions(platform::SocketHandle socket) {
    int one = 1;
    if (::setsockopt(socket, SOL_SOCKET, SO_OOBINLINE, &one, sizeof one) != 0) {
        QK_LOGF(LOG_WARN, "InitSocket setsockopt(SO_OOBINLINE) failed %d", -errno);
    }
    if (::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one) != 0) {
        QK_LOGF(LOG_WARN, "InitSocket setsockopt(TCP_NODELAY) failed %d", -errno);
    }
    const int ms = m_SndRcvTimeout.load() * 1000;
    timeval tv{ms / 1000, (ms % 1000) * 1000};
    if (::setsockopt(socket, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv) != 0) {
        QK_LOGF(LOG_WARN, "InitSocket setsockopt(SO_SNDTIMEO) failed %d", -errno);
    }
    if (::setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv) != 0) {
        QK_LOGF(LOG_WARN, "InitSocket setsockopt(SO_RCVTIMEO) failed %d", -errno);
    }
}

// ---------------------------------------------------------------------------
// connection

int ProtocolBase::Connect(const std::string& address, const std::vector<uint16_t>& ports,
                          bool noDispatcher, int timeoutSeconds) {
    CallScope scope(*this);
    CloseConnect();
    {
        boost::recursive_mutex::scoped_lock connect(m_ConnectLock);
        m_Address = address;
        m_Ports = ports;
        m_NoDispatcher = noDispatcher;
        m_ConnectTimeout = timeoutSeconds;
    }
    return OpenConnect(address, ports, noDispatcher, timeoutSeconds);
}

int ProtocolBase::ReConnect() {
    CallScope scope(*this);
    QK_LOGF(LOG_INFO, "ReConnect %s sock:%d this:%p", m_Address.c_str(), m_Socket.handle.load(),
            static_cast<void*>(this));
    boost::recursive_mutex::scoped_lock connect(m_ConnectLock);
    if (m_Socket.handle.load() == platform::kInvalidSocket) {
        return QK_ERROR(qkerr::kInitObject, "Invalid m_Socket");
    }
    CloseSocket();
    return OpenConnect(m_Address, m_Ports, m_NoDispatcher, m_ConnectTimeout);
}

int ProtocolBase::OpenConnect(const std::string& address, const std::vector<uint16_t>& ports,
                              bool noDispatcher, int timeoutSeconds) {
    CallScope scope(*this);
    QK_LOGF(LOG_DEBUG, "OpenConnect %s %d %d %d this:%p", address.c_str(), ToInt(ports.size()),
            noDispatcher ? 1 : 0, timeoutSeconds, static_cast<void*>(this));
    boost::recursive_mutex::scoped_lock connect(m_ConnectLock);
    if (IsRequestPending()) {
        return QK_ERROR(qkerr::kReentry, "ProtocolBase::OpenConnect");
    }
    if (m_Socket.handle.load() != platform::kInvalidSocket) {
        return QK_ERROR(qkerr::kPreviousStillClosing);
    }
    if (ports.empty()) {
        return QK_ERROR(qkerr::kEmptyPortList);
    }
    std::string portText;
    for (uint16_t port : ports) {
        portText += std::to_string(port) + " ";
    }
    if (m_ShutDown.load()) {
        return QK_ERROR(qkerr::kNoConnection, address, portText);
    }
    in_addr ip{};
    if (!platform::ParseIPv4(address, &ip)) {
        return QK_ERROR(qkerr::kNoConnection, address, portText);
    }
    m_Closing = false;

    PortConnector::Hooks hooks;
    hooks.configure = [this](platform::SocketHandle s) {
        InitSocketOptions(s);
        if (int rc = platform::SetNonBlocking(s, true); rc != 0) {
            QK_LOGF(LOG_WARN, "OpenConnect ioctlsocket(FIONBIO, 1) failed %d", rc);
        }
    };
    hooks.handshake = [this](platform::SocketHandle s) { return Handshake(s); };
    hooks.betweenSteps = [this] {
        m_InWait = true;
        PumpMessages();
        m_InWait = false;
    };
    hooks.cancel = &m_Closing;
    const PortConnector::Result connected =
        PortConnector::Connect(ip, ports, timeoutSeconds, hooks);
    switch (connected.outcome) {
        case PortConnector::Outcome::kConnected:
            break;
        case PortConnector::Outcome::kSystemError:
            return QK_ERROR(-connected.systemError);
        case PortConnector::Outcome::kHandshakeFailed:
            return QK_ERROR(qkerr::kHandshakeFailed);
        case PortConnector::Outcome::kNoConnection:
            return QK_ERROR(qkerr::kNoConnection, address, portText);
    }
    const platform::SocketHandle s = connected.socket;
    if (int rc = platform::SetNonBlocking(s, false); rc != 0) {
        QK_LOGF(LOG_CRIT, "OpenConnect ioctlsocket(FIONBIO, 0) failed %d", rc);
    }
    {
        boost::recursive_mutex::scoped_lock recv(m_Socket.recvLock);
        m_Socket.peekStash.clear();
        m_Socket.handle = s;
    }
    QK_LOGF(LOG_INFO, "OpenConnect use port# %hu sock:%d this:%p", ports[connected.portIndex], s,
            static_cast<void*>(this));
    const int rc = StartThreads(noDispatcher);
    if (rc < 0) {
        platform::CloseSocketHandle(s);  // given back by the failed start
    }
    return rc;
}

int ProtocolBase::InitSocket(platform::SocketHandle socket, bool noDispatcher) {
    CallScope scope(*this);
    QK_LOGF(LOG_DEBUG, "InitSocket sock:%d this:%p %d", socket, static_cast<void*>(this),
            noDispatcher ? 1 : 0);
    boost::recursive_mutex::scoped_lock connect(m_ConnectLock);
    if (IsRequestPending()) {
        return QK_ERROR(qkerr::kReentry, "ProtocolBase::InitSocket");
    }
    CloseConnect();
    if (m_Socket.handle.load() != platform::kInvalidSocket) {
        return QK_ERROR(qkerr::kPreviousStillClosing);
    }
    if (m_ShutDown.load()) {
        return QK_ERROR(qkerr::kInitObject, "ProtocolBase::InitSocket");
    }
    {
        boost::recursive_mutex::scoped_lock recv(m_Socket.recvLock);
        m_Socket.peekStash.clear();
        m_Socket.handle = socket;
    }
    InitSocketOptions(socket);
    // A failed start gives the socket back: it stays the caller's to close.
    return StartThreads(noDispatcher);
}

int ProtocolBase::StartThreads(bool noDispatcher) {
    boost::recursive_mutex::scoped_lock connect(m_ConnectLock);
    {
        boost::recursive_mutex::scoped_lock threads(m_ThreadsLock);
        platform::JoinThread(m_pDispatcherThread);
    }
    if (m_pThreadGroup && !m_pThreadGroup->is_this_thread_in()) {
        m_pThreadGroup->join_all();
    }
    m_pThreadGroup.reset();
    ++m_Generation;  // an older dispatcher still finishing its step stops
    m_Running = true;
    try {
        m_pThreadGroup = std::make_unique<boost::thread_group>();
    } catch (...) {
        AbandonStart();
        return QK_ERROR(qkerr::kCreateObject, "m_pThreadGroup");
    }
    QK_CLEAR_ERROR();
    if (!noDispatcher) {
        { m_Events.Clear(); }
        boost::recursive_mutex::scoped_lock threads(m_ThreadsLock);
        m_pDispatcherThread =
            platform::StartThread<boost::thread>("vrp-dispatch", [this] { DispatcherThread(); });
        if (!m_pDispatcherThread) {
            threads.unlock();
            AbandonStart();
            return QK_ERROR(qkerr::kCreateObject, "m_pDispatcherThread");
        }
    }
    std::unique_ptr<boost::thread> network =
        platform::StartThread<boost::thread>("vrp-network", [this] { RunNetworkThread(); });
    if (!network) {
        AbandonStart();
        return QK_ERROR(qkerr::kCreateObject, "m_pThreadGroup");
    }
    m_pThreadGroup->add_thread(network.release());
    QK_CLEAR_ERROR();
    return 0;
}

void ProtocolBase::AbandonStart() {
    // No thread reads or writes the socket yet: it leaves this object
    // untouched, and the close below ends what did start without closing
    // it a second time later.
    {
        boost::recursive_mutex::scoped_lock recv(m_Socket.recvLock);
        m_Socket.peekStash.clear();
        m_Socket.handle = platform::kInvalidSocket;
    }
    CloseConnect();
}

void ProtocolBase::CloseConnect() {
    QK_LOGF(LOG_DEBUG, "CloseConnect %d %d sock:%d this:%p", m_Running.load() ? 1 : 0,
            m_Closing.load() ? 1 : 0, m_Socket.handle.load(), static_cast<void*>(this));
    m_Closing = true;
    m_Running = false;
    // Wake a network thread blocked in a read or a sender blocked in a write.
    socketio::Shutdown(m_Socket);
    m_Events.Wake();
    m_AnswerCondition.notify_all();
    boost::recursive_mutex::scoped_lock connect(m_ConnectLock);
    // A connect on another thread (a reconnect after a loss) may have
    // finished while this close waited for the lock, and started threads on
    // a new socket: they end too.
    m_Running = false;
    socketio::Shutdown(m_Socket);
    m_Events.Wake();
    if (m_pThreadGroup && !m_pThreadGroup->is_this_thread_in()) {
        m_pThreadGroup->join_all();
        m_pThreadGroup.reset();
    }
    if (m_Socket.handle.load() != platform::kInvalidSocket) {
        CloseSocket();
    }
}

void ProtocolBase::ShutdownConnection() {
    m_ShutDown = true;
    ProtocolBase::CloseConnect();
    // Calls in progress on other threads see the closed connection within
    // one step and return.
    const uint64_t start = platform::NowMs();
    while (m_CallsInProgress.load() > 0 && platform::NowMs() - start < kShutdownWaitMs) {
        platform::SleepMs(1);
    }
    {
        boost::recursive_mutex::scoped_lock connect(m_ConnectLock);
        if (m_pThreadGroup && !m_pThreadGroup->is_this_thread_in()) {
            m_pThreadGroup->join_all();
            m_pThreadGroup.reset();
        }
    }
    boost::recursive_mutex::scoped_lock threads(m_ThreadsLock);
    platform::JoinThread(m_pDispatcherThread);
    platform::JoinThread(m_pCloserThread);
}

bool ProtocolBase::IsRequestPending() {
    return m_InWait.load();
}

bool ProtocolBase::IsConnected() {
    return m_Socket.handle.load() != platform::kInvalidSocket;
}

platform::SocketHandle ProtocolBase::GetSocket() {
    return m_Socket.handle.load();
}

// ---------------------------------------------------------------------------
// sending

int ProtocolBase::SendFrame(uint8_t code, const void* payload, size_t length, int flags) {
    boost::recursive_mutex::scoped_lock request(m_RequestLock);
    const size_t prefix = m_CmdPrefix.size();
    m_SendBuffer.resize(prefix + 1 + length);
    m_SendBuffer[prefix] = static_cast<char>(code);
    if (length > 0) {
        std::memcpy(&m_SendBuffer[prefix + 1], payload, length);
    }
    return SendPrefixed(m_SendBuffer.data(), m_SendBuffer.size(), flags);
}

int ProtocolBase::SendPrefixed(const void* bytes, size_t length, int flags) {
    bool sentSome = false;
    int n = SendAll(m_Socket, bytes, length, flags, &sentSome, m_IoDeadlineMs);
    if (n < 0) {
        const int err = errno;
        if (err != ETIMEDOUT || sentSome) {
            MarkBroken();
        }
        errno = err;
    }
    return n;
}

int ProtocolBase::AckCommand(uint8_t answer, const char* name, const ByteString& payload) {
    CallScope scope(*this);
    QK_LOGF(LOG_INFO, "==> AckCommand Ack:0x%02X %s size:%d sock:%d this:%p", answer, name,
            ToInt(payload.size()), m_Socket.handle.load(), static_cast<void*>(this));
    return SendFrame(answer, payload.data(), payload.size(), 0);
}

int ProtocolBase::SendCommandData(const void* bytes, size_t length, int flags, bool log) {
    CallScope scope(*this);
    if (log) {
        QK_LOGF(LOG_INFO, "==> SendCommandData len:%d sock:%d this:%p", ToInt(length),
                m_Socket.handle.load(), static_cast<void*>(this));
    }
    boost::recursive_mutex::scoped_lock request(m_RequestLock);
    const size_t prefix = m_CmdPrefix.size();
    m_SendBuffer.resize(prefix + length);
    if (length > 0) {
        std::memcpy(&m_SendBuffer[prefix], bytes, length);
    }
    return SendPrefixed(m_SendBuffer.data(), m_SendBuffer.size(), flags);
}

int ProtocolBase::RequestCommand(uint8_t request, uint8_t answer, const char* name,
                                 const ByteString& payload, bool pumpAll, int timeoutSeconds) {
    CallScope scope(*this);
    QK_LOGF(LOG_INFO,
            "==> RequestCommand Req:0x%02X Ans:0x%02X %s size:%d peek:%d timeout:%d pend:%d "
            "sock:%d this:%p",
            request, answer, name, ToInt(payload.size()), pumpAll ? 1 : 0, timeoutSeconds,
            m_InWait.load() ? 1 : 0, m_Socket.handle.load(), static_cast<void*>(this));

    // The one exit of every path after the request was accepted: the pending
    // answer is cleared under the request lock before the result is returned.
    auto finish = [this](int result) {
        boost::recursive_mutex::scoped_lock lock(m_RequestLock);
        m_PendingAnswer = 0;
        return result;
    };
    auto lostResult = [this]() {
        int code = GetErrorCode();
        return code < 0 ? code : QK_ERROR(qkerr::kResponseTimeout, "Cancel", "?");
    };

    {
        boost::recursive_mutex::scoped_lock lock(m_RequestLock);
        if (m_InWait.load() || m_PendingAnswer.load() != 0) {
            // A wait on this connection is pumping messages (this call came
            // from a dispatched message), or another request is waiting.
            return QK_ERROR(qkerr::kReentry, "ProtocolBase::RequestCommand");
        }
        if (!IsRunning()) {
            return lostResult();
        }
        m_PendingAnswer = answer;
        if (SendFrame(request, payload.data(), payload.size(), 0) < 0) {
            const int err = platform::LastSystemError();
            m_PendingAnswer = 0;
            return QK_ERROR(-(err ? err : EIO));
        }
    }

    const uint64_t start = platform::NowMs();
    const uint64_t limit = static_cast<uint64_t>(std::max(timeoutSeconds, 0)) * 1000u;
    while (platform::NowMs() - start < limit) {
        if (!IsRunning()) {
            return finish(lostResult());
        }
        m_InWait = true;
        if (pumpAll) {
            PumpMessages();
        } else {
            PumpTimerPaintMessages();
        }
        m_InWait = false;
        if (m_PendingAnswer.load() == 0) {
            break;
        }
        boost::recursive_mutex::scoped_lock wait(m_AnswerWaitLock);
        if (m_PendingAnswer.load() != 0 && IsRunning()) {
            m_AnswerCondition.wait_for(wait, boost::chrono::milliseconds(kStepMs));
        }
    }

    boost::recursive_mutex::scoped_lock lock(m_RequestLock);
    if (m_PendingAnswer.load() != 0) {
        m_PendingAnswer = 0;
        if (timeoutSeconds > 0) {
            return QK_ERROR(qkerr::kResponseTimeout, name, std::to_string(timeoutSeconds));
        }
        QK_LOGF(LOG_NOTICE,
                "%s command will not wait for response due to timeout is set to 0 second.", name);
    }
    QK_CLEAR_ERROR();
    return 0;
}

// ---------------------------------------------------------------------------
// threads

void ProtocolBase::RunNetworkThread() {
    NetworkThread();
}

bool ProtocolBase::ReadFrame() {
    const size_t n = m_CmdPrefix.size();
    auto failWithSocketError = [this](int rc) {
        const int err = platform::LastSystemError();
        if (rc == 0 || err == 0) {
            QK_ERROR(qkerr::kGracefullyClosed);
        } else {
            QK_ERROR(-err);
        }
        return false;
    };

    bool custom = false;
    if (n > 0) {
        ByteString head(n, '\0');
        for (;;) {
            if (!IsRunning()) {
                return true;  // leaving: the loop tests the flag
            }
            int rc = RecvAll(m_Socket, head.data(), n, kRecvPeek, &m_Running, m_IoDeadlineMs);
            if (rc <= 0) {
                return failWithSocketError(rc);
            }
            if (static_cast<size_t>(rc) < n) {
                QK_LOGF(LOG_DEBUG,
                        "NetworkThread no enough data to match prefix %d sock:%d this:%p", rc,
                        m_Socket.handle.load(), static_cast<void*>(this));
                platform::SleepMs(kStepMs);
                return true;  // the bytes stay in the stash
            }
            if (head == m_CmdPrefix) {
                break;
            }
            if (!m_CustPrefix.empty() && head == m_CustPrefix) {
                custom = true;
                break;
            }
            QK_LOGF(LOG_NOTICE, "NetworkThread unknown prefix data 0x%02X sock:%d this:%p",
                    static_cast<unsigned char>(head[0]), m_Socket.handle.load(),
                    static_cast<void*>(this));
            char skip;
            if (int r = RecvAll(m_Socket, &skip, 1, 0, &m_Running, m_IoDeadlineMs); r <= 0) {
                return failWithSocketError(r);
            }
        }
        if (int rc = RecvAll(m_Socket, head.data(), n, 0, &m_Running, m_IoDeadlineMs);
            rc < static_cast<int>(n)) {
            return failWithSocketError(rc);
        }
    }

    OnPeerAlive();
    if (custom) {
        int rc = OnCustCommand();
        if (rc == 0 || rc == -1) {
            return failWithSocketError(rc);
        }
        return true;
    }

    uint8_t code = 0;
    if (int rc = RecvAll(m_Socket, &code, 1, 0, &m_Running, m_IoDeadlineMs); rc <= 0) {
        return failWithSocketError(rc);
    }

    boost::recursive_mutex::scoped_lock request(m_RequestLock);
    if (code != 0 && code == m_PendingAnswer.load()) {
        QK_LOGF(LOG_INFO, "<== NetworkThread got response 0x%02X sock:%d this:%p", code,
                m_Socket.handle.load(), static_cast<void*>(this));
        int rc = 1;
        if (m_PayloadReaders[code]) {
            rc = m_PayloadReaders[code](m_AnswerPayload);
        } else {
            m_AnswerPayload.clear();
        }
        if (rc == 0 || rc == -1) {
            return failWithSocketError(rc);
        }
        m_PendingAnswer = 0;
        request.unlock();
        boost::recursive_mutex::scoped_lock wait(m_AnswerWaitLock);
        m_AnswerCondition.notify_all();
        return true;
    }
    request.unlock();

    if (!m_Events.HasHandler(code)) {
        QK_LOGF(LOG_NOTICE, "<== NetworkThread got exceptional event 0x%02X sock:%d this:%p", code,
                m_Socket.handle.load(), static_cast<void*>(this));
        return true;
    }
    ByteString payload;
    int rc = 1;
    if (m_PayloadReaders[code]) {
        rc = m_PayloadReaders[code](payload);
    }
    if (rc == 0 || rc == -1) {
        return failWithSocketError(rc);
    }
    QK_LOGF(LOG_INFO, "<== NetworkThread got event 0x%02X, len=%d sock:%d this:%p", code,
            ToInt(payload.size()), m_Socket.handle.load(), static_cast<void*>(this));
    m_Events.Push(code, std::move(payload));
    return true;
}

void ProtocolBase::NetworkThread() {
    QK_LOGF(LOG_DEBUG, "NetworkThread begin sock:%d this:%p", m_Socket.handle.load(),
            static_cast<void*>(this));
    while (IsRunning()) {
        if (!IsPeerAlive()) {
            QK_LOGF(LOG_NOTICE, "Peer is treated as dead. Kick it out. sock:%d this:%p",
                    m_Socket.handle.load(), static_cast<void*>(this));
            break;
        }
        int ready = platform::PollReadable(m_Socket.handle.load(), kStepMs);
        if (ready < 0) {
            QK_ERROR(ready);
            break;
        }
        if (ready == 0) {
            boost::recursive_mutex::scoped_lock recv(m_Socket.recvLock);
            if (m_Socket.peekStash.empty()) {
                continue;
            }
        }
        boost::recursive_mutex::scoped_lock frame(m_FrameLock);
        if (!ReadFrame()) {
            break;
        }
    }
    StartCloserThread();
    QK_LOGF(LOG_DEBUG, "NetworkThread end sock:%d this:%p", m_Socket.handle.load(),
            static_cast<void*>(this));
}

void ProtocolBase::StartCloserThread() {
    // Only a loop that ended by itself reports the loss; the running flag is
    // cleared before the closer thread starts, so its OnConnectClose sees a
    // stopped connection.
    if (m_Socket.handle.load() == platform::kInvalidSocket) {
        return;
    }
    bool wasRunning = true;
    if (!m_Running.compare_exchange_strong(wasRunning, false)) {
        return;
    }
    boost::recursive_mutex::scoped_lock threads(m_ThreadsLock);
    if (m_ShutDown.load()) {
        return;
    }
    platform::JoinThread(m_pCloserThread);
    // The next connection starts only after this network thread ended (its
    // start joins it): the generation is still the lost connection's.
    m_LostGeneration = m_Generation.load();
    m_pCloserThread =
        platform::StartThread<boost::thread>("vrp-closer", [this] { OnConnectClose(); });
    if (!m_pCloserThread) {
        QK_LOGF(LOG_CRIT, "NetworkThread cannot start the closer thread this:%p",
                static_cast<void*>(this));
    }
}

void ProtocolBase::DispatcherThread() {
    const unsigned generation = m_Generation.load();
    QK_LOGF(LOG_DEBUG, "DispatcherThread begin sock:%d this:%p", m_Socket.handle.load(),
            static_cast<void*>(this));
    // A dispatcher of an earlier connection still finishing its step stops.
    m_Events.Run([&] { return IsRunning() && m_Generation.load() == generation; },
                 [this](uint8_t code, int result) { HandleRetVal(code, result); });
    if (m_Generation.load() == generation) {
        m_Events.Clear();
    }
    QK_LOGF(LOG_DEBUG, "DispatcherThread end sock:%d this:%p", m_Socket.handle.load(),
            static_cast<void*>(this));
}

// ---------------------------------------------------------------------------
// default hooks

void ProtocolBase::OnConnectClose() {
    QK_LOGF(LOG_DEBUG, "OnConnectClose sock:%d this:%p", m_Socket.handle.load(),
            static_cast<void*>(this));
    CloseConnect();
}

void ProtocolBase::HandleRetVal(uint8_t, int) {}

int ProtocolBase::OnCustCommand() {
    return 1;
}

void ProtocolBase::OnPeerAlive() {}

int ProtocolBase::Handshake(platform::SocketHandle) {
    return 0;
}

bool ProtocolBase::IsPeerAlive() {
    return true;
}

int ProtocolBase::OnUnknownCommand(const ByteString&) {
    QK_LOGF(LOG_DEBUG, "OnUnknownCommand sock:%d this:%p", m_Socket.handle.load(),
            static_cast<void*>(this));
    return -1;
}
