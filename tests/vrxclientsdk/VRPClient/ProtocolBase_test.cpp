#include "vrxclientsdk/VRPClient/ProtocolBase.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pthread.h>
#include <sys/socket.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/pump.h"
#include "tests/support/LoopbackPeer.h"
#include "tests/support/TempDir.h"
#include "vrxclientsdk/VRPClient/ErrorCodes.h"
#include "vrxclientsdk/VRPClient/PortConnector.h"

namespace {

using testsupport::LoopbackPeer;
using namespace std::chrono_literals;

const std::string kPrefix("vrpcmd\0\0", 8);
constexpr uint8_t kReq = 0x10, kAns = 0x11, kEvent = 0x20, kEventNoPayload = 0x22;

std::string Frame(uint8_t code, const std::string& payload = {}) {
    return kPrefix + static_cast<char>(code) + payload;
}

// A channel with one request (0x10 -> 0x11, 4-byte answer) and two events
// (0x20 with 2 bytes, 0x22 without payload). Code 0x11 is also an event when
// it arrives unasked.
class TestChannel : public ProtocolBase {
public:
    explicit TestChannel(const std::string& logPath = {}) {
        if (!logPath.empty()) {
            GetLogger()->Open(logPath.c_str(), LOG_DEBUG, false);
        }
        SetCmdPrefix(kPrefix.data(), kPrefix.size());
        SetCustCmdPrefix("vrpcust\0");
        SetPayloadReader(kAns, [this](ByteString& p) { return ReadPayload(p, 4); });
        SetPayloadReader(kEvent, [this](ByteString& p) { return ReadPayload(p, 2); });
        SetEventHandler(kEvent, [this](const ByteString& p) {
            if (eventDelayMs) {
                std::this_thread::sleep_for(std::chrono::milliseconds(eventDelayMs));
            }
            std::lock_guard<std::mutex> g(lock);
            events.push_back(p);
            return 1;
        });
        SetEventHandler(kEventNoPayload, [this](const ByteString&) {
            std::lock_guard<std::mutex> g(lock);
            events.push_back("<none>");
            return 1;
        });
        SetEventHandler(kAns, [this](const ByteString& p) {
            std::lock_guard<std::mutex> g(lock);
            events.push_back("unasked:" + p);
            return 1;
        });
    }
    ~TestChannel() override { ShutdownConnection(); }

    int Handshake(platform::SocketHandle s) override { return handshake ? handshake(s) : 0; }
    void OnConnectClose() override {
        closeThread = std::this_thread::get_id();
        runningAtClose = IsRunning();
        ProtocolBase::OnConnectClose();
        closeCount++;  // counted once the close has run to its end
    }

    size_t EventCount() {
        std::lock_guard<std::mutex> g(lock);
        return events.size();
    }
    bool WaitEvents(size_t n, std::chrono::milliseconds limit = 5s) {
        auto end = std::chrono::steady_clock::now() + limit;
        while (EventCount() < n && std::chrono::steady_clock::now() < end) {
            std::this_thread::sleep_for(5ms);
        }
        return EventCount() >= n;
    }
    bool WaitClosed(std::chrono::milliseconds limit = 5s) {
        auto end = std::chrono::steady_clock::now() + limit;
        while (closeCount == 0 && std::chrono::steady_clock::now() < end) {
            std::this_thread::sleep_for(5ms);
        }
        return closeCount > 0;
    }
    using ProtocolBase::AnswerPayload;
    using ProtocolBase::IsRunning;

    std::function<int(platform::SocketHandle)> handshake;
    std::mutex lock;
    std::vector<std::string> events;
    int eventDelayMs = 0;
    std::atomic<int> closeCount{0};
    std::atomic<bool> runningAtClose{true};
    std::thread::id closeThread;
};

// A channel connected to a fresh loopback peer.
struct Connected {
    testsupport::TempDir dir;
    LoopbackPeer peer;
    std::unique_ptr<TestChannel> ch = std::make_unique<TestChannel>(dir.File("ch.log"));
    Connected() {
        int rc = ch->Connect("127.0.0.1", {peer.Port()}, false, 5);
        EXPECT_EQ(rc, 0) << ch->GetErrorMessage();
        EXPECT_TRUE(peer.Accept());
    }
    std::string Log() { return testsupport::ReadFile(dir.File("ch.log")); }
};

size_t Count(const std::string& haystack, const std::string& needle) {
    size_t n = 0;
    for (size_t pos = haystack.find(needle); pos != std::string::npos;
         pos = haystack.find(needle, pos + 1)) {
        ++n;
    }
    return n;
}

// --- connecting -------------------------------------------------------------

TEST(ProtocolBaseConnectTest, SkipsRefusedPortAndLogsThePortUsed) {
    testsupport::TempDir dir;
    LoopbackPeer peer;
    TestChannel ch(dir.File("c.log"));
    const uint16_t closed = LoopbackPeer::ClosedPort();
    ASSERT_EQ(ch.Connect("127.0.0.1", {closed, peer.Port()}, false, 5), 0) << ch.GetErrorMessage();
    EXPECT_TRUE(ch.IsConnected());
    EXPECT_NE(testsupport::ReadFile(dir.File("c.log"))
                  .find("OpenConnect use port# " + std::to_string(peer.Port())),
              std::string::npos);
}

TEST(ProtocolBaseConnectTest, FirstPortWhoseHandshakeSucceedsWins) {
    LoopbackPeer silent, greeter;
    TestChannel ch;
    // The handshake succeeds once the peer has sent one byte.
    ch.handshake = [](platform::SocketHandle s) {
        char c;
        return ::recv(s, &c, 1, MSG_DONTWAIT) == 1 ? 0 : -1;
    };
    std::thread serve([&] {
        ASSERT_TRUE(greeter.Accept());
        greeter.Send("R");
    });
    ASSERT_EQ(ch.Connect("127.0.0.1", {silent.Port(), greeter.Port()}, false, 5), 0)
        << ch.GetErrorMessage();
    serve.join();
    ASSERT_TRUE(silent.Accept(1000));
    // The chosen connection is the greeter's: bytes we send arrive there.
    ASSERT_EQ(ch.AckCommand(0x33, "Probe", {}), 9);
    EXPECT_EQ(greeter.Recv(9), Frame(0x33));
}

TEST(ProtocolBaseConnectTest, FailureCodes) {
    const uint16_t c1 = LoopbackPeer::ClosedPort(), c2 = LoopbackPeer::ClosedPort();
    LoopbackPeer never;
    struct Case {
        const char* name;
        std::vector<uint16_t> ports;
        int timeout;
        bool handshakeFails;
        int expected;
        std::string message;
    } cases[] = {
        {"all refused",
         {c1, c2},
         10,
         false,
         qkerr::kNoConnection,
         "No TCP connection could be built to IP:127.0.0.1 Port:" + std::to_string(c1) + " " +
             std::to_string(c2) + " "},
        {"empty list", {}, 10, false, qkerr::kEmptyPortList, "It's invliad"},
        {"handshake never succeeds",
         {never.Port()},
         1,
         true,
         qkerr::kHandshakeFailed,
         "server handshake was failed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestChannel ch;
        if (c.handshakeFails) {
            ch.handshake = [](platform::SocketHandle) { return -1; };
        }
        auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(ch.Connect("127.0.0.1", c.ports, false, c.timeout), c.expected);
        EXPECT_NE(ch.GetErrorMessage().find(c.message), std::string::npos) << ch.GetErrorMessage();
        EXPECT_FALSE(ch.IsConnected());
        if (c.expected == qkerr::kNoConnection) {
            // Refusals end the wait at once instead of waiting out 10 s.
            EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
        }
    }
}

TEST(ProtocolBaseConnectTest, PortThatNeverAnswersTimesOut) {
    // A listener whose accept queue is full drops further connection
    // requests, so the connect stays pending until the time-out.
    int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&sa), sizeof sa), 0);
    ASSERT_EQ(::listen(listener, 0), 0);
    socklen_t len = sizeof sa;
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&sa), &len);
    std::vector<int> fillers;
    for (int i = 0; i < 4; ++i) {
        int f = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        ::connect(f, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
        fillers.push_back(f);
    }
    std::this_thread::sleep_for(50ms);
    TestChannel ch;
    const uint16_t port = ntohs(sa.sin_port);
    EXPECT_EQ(ch.Connect("127.0.0.1", {port}, false, 1), qkerr::kNoConnection)
        << ch.GetErrorMessage();
    for (int f : fillers) {
        ::close(f);
    }
    ::close(listener);
}

TEST(ProtocolBaseConnectTest, CloseConnectEndsAConnectWait) {
    LoopbackPeer never;
    TestChannel ch;
    // The handshake never passes; its first try shows the connect waiting.
    std::atomic<int> tries{0};
    ch.handshake = [&](platform::SocketHandle) {
        ++tries;
        return -1;
    };
    std::atomic<bool> returned{false};
    std::thread t([&] {
        ch.Connect("127.0.0.1", {never.Port()}, false, 60);
        returned = true;
    });
    const auto end = std::chrono::steady_clock::now() + 5s;
    while (tries.load() == 0 && std::chrono::steady_clock::now() < end) {
        std::this_thread::yield();
    }
    ASSERT_GT(tries.load(), 0);
    EXPECT_FALSE(returned);
    ch.CloseConnect();
    t.join();  // would take 60 s if the wait ignored the close
    EXPECT_TRUE(returned);
    EXPECT_FALSE(ch.IsConnected());
}

TEST(ProtocolBaseConnectTest, APortWhoseHandshakeCannotProgressIsGivenUpAtOnce) {
    // A peer that closes, or answers with wrong bytes and goes on talking,
    // leaves its socket readable for ever: the wait must not spin on it.
    struct Case {
        const char* name;
        bool close;
    } cases[] = {{"peer closes during the handshake", true},
                 {"complete wrong reply, more bytes after it", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LoopbackPeer peer;
        TestChannel ch;
        std::atomic<int> tries{0};
        ch.handshake = [&](platform::SocketHandle s) {
            ++tries;
            char reply[4];
            const ssize_t n = ::recv(s, reply, sizeof reply, MSG_DONTWAIT);
            return n == static_cast<ssize_t>(sizeof reply) ? PortConnector::kHandshakeRejected : -1;
        };
        std::thread serve([&] {
            ASSERT_TRUE(peer.Accept());
            if (c.close) {
                peer.CloseClient();
            } else {
                peer.Send("WXYZ" + std::string(64, 'q'));
            }
        });
        EXPECT_EQ(ch.Connect("127.0.0.1", {peer.Port()}, false, 5), qkerr::kHandshakeFailed);
        serve.join();
        EXPECT_FALSE(ch.IsConnected());
        // A handful of 30 ms steps at most, where a spinning wait makes
        // thousands of tries before the time-out.
        EXPECT_LT(tries.load(), 20);
    }
}

// Connects to `listener` and accepts there: the connecting side's socket, or
// -1.
int ConnectAccepted(LoopbackPeer& listener) {
    const int client = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    sa.sin_port = htons(listener.Port());
    if (::connect(client, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 || !listener.Accept()) {
        ::close(client);
        return -1;
    }
    return client;
}

TEST(ProtocolBaseConnectTest, InitSocketAdoptsAnAcceptedSocket) {
    LoopbackPeer listener;
    const int client = ConnectAccepted(listener);
    ASSERT_GE(client, 0);
    TestChannel ch;
    ASSERT_EQ(ch.InitSocket(listener.ClientFd(), false), 0);
    const std::string ev = Frame(kEvent, "hi");
    ASSERT_EQ(::send(client, ev.data(), ev.size(), 0), static_cast<ssize_t>(ev.size()));
    EXPECT_TRUE(ch.WaitEvents(1));
    ch.CloseConnect();
    ::close(client);
    // The channel owned and closed the adopted socket; don't close it twice.
    (void)listener.ClientFd();
}

// No thread can start while one of these lives: the default stack it sets
// is more than the address space can give.
class NoThreadCanStart {
public:
    NoThreadCanStart() {
        ::pthread_getattr_default_np(&m_attr);
        ::pthread_attr_getstacksize(&m_attr, &m_stack);
        pthread_attr_t huge = m_attr;
        ::pthread_attr_setstacksize(&huge, size_t{1} << 46);
        EXPECT_EQ(::pthread_setattr_default_np(&huge), 0);
    }
    ~NoThreadCanStart() {
        ::pthread_attr_setstacksize(&m_attr, m_stack);
        ::pthread_setattr_default_np(&m_attr);
        ::pthread_attr_destroy(&m_attr);
    }
    NoThreadCanStart(const NoThreadCanStart&) = delete;
    NoThreadCanStart& operator=(const NoThreadCanStart&) = delete;

private:
    pthread_attr_t m_attr{};
    size_t m_stack = 0;
};

TEST(ProtocolBaseConnectTest, ASocketWhoseThreadsCannotStartStaysTheCallers) {
    for (const bool noDispatcher : {false, true}) {
        SCOPED_TRACE(noDispatcher ? "without dispatcher" : "with dispatcher");
        LoopbackPeer listener;
        const int client = ConnectAccepted(listener);
        ASSERT_GE(client, 0);
        const int accepted = listener.ClientFd();
        {
            TestChannel ch;
            int rc = 0;
            {
                NoThreadCanStart noThreads;
                rc = ch.InitSocket(accepted, noDispatcher);
            }
            EXPECT_EQ(rc, qkerr::kCreateObject);
            EXPECT_FALSE(ch.IsConnected());
            EXPECT_EQ(ch.GetSocket(), platform::kInvalidSocket);
            ch.CloseConnect();
        }
        // Neither the failed start nor the channel's end closed it: it is
        // still the same connection, and the caller closes it once.
        ASSERT_NE(::fcntl(accepted, F_GETFD), -1);
        ASSERT_EQ(::send(accepted, "x", 1, MSG_NOSIGNAL), 1);
        char byte = 0;
        EXPECT_EQ(::recv(client, &byte, 1, 0), 1);
        EXPECT_EQ(byte, 'x');
        listener.CloseClient();
        ::close(client);
    }
}

// --- requests ---------------------------------------------------------------

TEST(ProtocolBaseRequestTest, RequestGetsItsAnswer) {
    Connected c;
    std::thread peer([&] {
        EXPECT_EQ(c.peer.Recv(12), Frame(kReq, "ABC"));
        c.peer.Send(Frame(kAns, "wxyz"));
    });
    EXPECT_EQ(c.ch->RequestCommand(kReq, kAns, "Probe", "ABC", false, 5), 0);
    peer.join();
    EXPECT_EQ(c.ch->AnswerPayload(), "wxyz");
    EXPECT_EQ(c.ch->GetErrorCode(), 0);
    EXPECT_EQ(c.ch->EventCount(), 0u);
}

TEST(ProtocolBaseRequestTest, NoAnswerTimesOut) {
    Connected c;
    EXPECT_EQ(c.ch->RequestCommand(kReq, kAns, "Probe", "", false, 1), qkerr::kResponseTimeout);
    EXPECT_NE(c.ch->GetErrorMessage().find(
                  "Probe command failed to receive response packet within 1 seconds."),
              std::string::npos);
    // The pending answer was cleared: a late answer is now an event.
    c.peer.Send(Frame(kAns, "late"));
    EXPECT_TRUE(c.ch->WaitEvents(1));
    EXPECT_EQ(c.ch->events[0], "unasked:late");
}

TEST(ProtocolBaseRequestTest, TimeoutZeroReturnsAtOnceAndLaterAnswerIsAnEvent) {
    Connected c;
    EXPECT_EQ(c.ch->RequestCommand(kReq, kAns, "Fire", "", false, 0), 0);
    EXPECT_NE(
        c.Log().find("Fire command will not wait for response due to timeout is set to 0 second."),
        std::string::npos);
    EXPECT_EQ(c.peer.Recv(9), Frame(kReq));
    c.peer.Send(Frame(kAns, "1234"));
    EXPECT_TRUE(c.ch->WaitEvents(1));
    // And the connection takes the next request normally.
    std::thread peer([&] {
        c.peer.Recv(9);
        c.peer.Send(Frame(kAns, "5678"));
    });
    EXPECT_EQ(c.ch->RequestCommand(kReq, kAns, "Probe", "", false, 5), 0);
    peer.join();
    EXPECT_EQ(c.ch->AnswerPayload(), "5678");
}

TEST(ProtocolBaseRequestTest, PeerCloseFailsRequestPromptlyAndClosesOnceOnItsOwnThread) {
    Connected c;
    std::thread peer([&] {
        c.peer.Recv(9);
        c.peer.CloseClient();
    });
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(c.ch->RequestCommand(kReq, kAns, "Probe", "", false, 30), qkerr::kGracefullyClosed);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
    peer.join();
    ASSERT_TRUE(c.ch->WaitClosed());
    c.ch->ShutdownConnection();  // joins every thread: no second close can follow
    EXPECT_EQ(c.ch->closeCount, 1);
    EXPECT_NE(c.ch->closeThread, std::this_thread::get_id());
    // The running flag was already clear when the close handler ran.
    EXPECT_FALSE(c.ch->runningAtClose);
    EXPECT_FALSE(c.ch->IsConnected());
}

TEST(ProtocolBaseRequestTest, RequestOnClosedConnectionFailsAndClearsPending) {
    TestChannel ch;
    EXPECT_EQ(ch.RequestCommand(kReq, kAns, "Probe", "", false, 5), qkerr::kResponseTimeout);
    EXPECT_NE(ch.GetErrorMessage().find(
                  "Cancel command failed to receive response packet within ? seconds."),
              std::string::npos);
    // Nothing stays pending: after connecting, a request works.
    LoopbackPeer peer;
    ASSERT_EQ(ch.Connect("127.0.0.1", {peer.Port()}, false, 5), 0);
    ASSERT_TRUE(peer.Accept());
    std::thread t([&] {
        peer.Recv(9);
        peer.Send(Frame(kAns, "okok"));
    });
    EXPECT_EQ(ch.RequestCommand(kReq, kAns, "Probe", "", false, 5), 0);
    t.join();
}

// A request made from a message dispatched while another request pumps.
TestChannel* g_reentrant = nullptr;
int g_reentrantResult = 1;
void ReentrantPump(platform::PumpKind) {
    if (g_reentrant && g_reentrantResult == 1) {
        g_reentrantResult = g_reentrant->RequestCommand(kReq, kAns, "Nested", "", true, 5);
    }
}

TEST(ProtocolBaseRequestTest, ReentrantRequestIsRefusedAndSendsNothing) {
    Connected c;
    g_reentrant = c.ch.get();
    g_reentrantResult = 1;
    platform::SetMessagePump(&ReentrantPump, std::this_thread::get_id());
    std::thread peer([&] {
        EXPECT_EQ(c.peer.Recv(9), Frame(kReq));
        EXPECT_EQ(c.peer.Drain(200), "");  // the nested request sent nothing
        c.peer.Send(Frame(kAns, "done"));
    });
    EXPECT_EQ(c.ch->RequestCommand(kReq, kAns, "Outer", "", true, 5), 0);
    peer.join();
    platform::SetMessagePump(nullptr, {});
    g_reentrant = nullptr;
    EXPECT_EQ(g_reentrantResult, qkerr::kReentry);
}

TEST(ProtocolBaseRequestTest, SecondRequestWhileOneIsPendingIsRefused) {
    Connected c;
    std::atomic<int> first{1};
    std::thread waiter([&] { first = c.ch->RequestCommand(kReq, kAns, "First", "", false, 5); });
    EXPECT_EQ(c.peer.Recv(9), Frame(kReq));
    EXPECT_EQ(c.ch->RequestCommand(0x12, 0x13, "Second", "", false, 5), qkerr::kReentry);
    EXPECT_EQ(c.peer.Drain(100), "");
    c.peer.Send(Frame(kAns, "abcd"));
    waiter.join();
    EXPECT_EQ(first, 0);  // the first request still got its answer
}

// --- the network thread -----------------------------------------------------

TEST(ProtocolBaseFramingTest, GarbageBeforePrefixIsSkippedAndSplitPrefixIsMatched) {
    Connected c;
    const std::string ev = Frame(kEvent, "ok");
    ASSERT_TRUE(c.peer.Send("xyz" + ev.substr(0, 4)));
    std::this_thread::sleep_for(50ms);
    ASSERT_TRUE(c.peer.Send(ev.substr(4)));
    ASSERT_TRUE(c.ch->WaitEvents(1));
    EXPECT_EQ(c.ch->events[0], "ok");
    EXPECT_EQ(Count(c.Log(), "NetworkThread unknown prefix data"), 3u);
}

TEST(ProtocolBaseFramingTest, UnknownCodeIsDroppedWithoutItsPayload) {
    Connected c;
    // 0x55 has no handler: logged and dropped; its "payload" bytes are
    // skipped as garbage before the next prefix.
    ASSERT_TRUE(c.peer.Send(Frame(0x55) + Frame(kEventNoPayload) + Frame(kEvent, "zz")));
    ASSERT_TRUE(c.ch->WaitEvents(2));
    EXPECT_EQ(c.ch->events[0], "<none>");
    EXPECT_EQ(c.ch->events[1], "zz");
    EXPECT_NE(c.Log().find("got exceptional event 0x55"), std::string::npos);
}

TEST(ProtocolBaseFramingTest, ShortPayloadFailsTheConnection) {
    Connected c;
    c.ch->SetIoDeadlineForTest(200);
    ASSERT_TRUE(c.peer.Send(Frame(kEvent, "x")));  // one of two bytes, then silence
    ASSERT_TRUE(c.ch->WaitClosed());
    EXPECT_EQ(c.ch->EventCount(), 0u);
    EXPECT_LT(c.ch->GetErrorCode(), 0);
}

TEST(ProtocolBaseFramingTest, HalfFrameThenCloseReportsGracefulClose) {
    Connected c;
    ASSERT_TRUE(c.peer.Send(Frame(kEvent, "x")));
    c.peer.CloseClient();
    ASSERT_TRUE(c.ch->WaitClosed());
    EXPECT_EQ(c.ch->EventCount(), 0u);
    EXPECT_EQ(c.ch->GetErrorCode(), qkerr::kGracefullyClosed);
    EXPECT_EQ(c.ch->closeCount, 1);
}

TEST(ProtocolBaseFramingTest, PartOfAPrefixThenCloseIsALossAtOnce) {
    for (size_t bytes = 1; bytes < kPrefix.size(); ++bytes) {
        SCOPED_TRACE(bytes);
        Connected c;
        ASSERT_TRUE(c.peer.Send(kPrefix.substr(0, bytes)));
        c.peer.CloseClient();
        ASSERT_TRUE(c.ch->WaitClosed());
        EXPECT_EQ(c.ch->GetErrorCode(), qkerr::kGracefullyClosed);
        EXPECT_EQ(c.ch->closeCount, 1);
    }
}

TEST(ProtocolBaseFramingTest, SendThatStallsAfterPartOfAFrameBreaksTheConnection) {
    Connected c;
    c.ch->SetIoDeadlineForTest(300);
    // The peer never reads: a frame far larger than the socket buffers can
    // only go out in part, and the stream is then out of step.
    std::string big(32 * 1024 * 1024, 'b');
    big[0] = 0x40;
    EXPECT_EQ(c.ch->SendCommandData(big.data(), big.size(), 0, true), -1);
    EXPECT_TRUE(c.ch->WaitClosed());
    EXPECT_FALSE(c.ch->IsConnected());
}

// --- lifetime ---------------------------------------------------------------

TEST(ProtocolBaseLifetimeTest, DestroyWhileARequestWaits) {
    Connected c;
    std::atomic<int> result{1};
    std::thread waiter([&] { result = c.ch->RequestCommand(kReq, kAns, "Probe", "", false, 30); });
    EXPECT_EQ(c.peer.Recv(9), Frame(kReq));
    c.ch.reset();  // waits for the request to give up
    waiter.join();
    EXPECT_LT(result, 0);
}

TEST(ProtocolBaseLifetimeTest, DestroyWhileEventsAreQueued) {
    Connected c;
    c.ch->eventDelayMs = 20;
    std::string burst;
    for (int i = 0; i < 50; ++i) {
        burst += Frame(kEvent, "e" + std::string(1, static_cast<char>('0' + i % 10)));
    }
    ASSERT_TRUE(c.peer.Send(burst));
    ASSERT_TRUE(c.ch->WaitEvents(2));
    c.ch.reset();  // joins the dispatcher mid-queue; no handler runs after this
}

TEST(ProtocolBaseLifetimeTest, OwnerCloseDoesNotCallOnConnectClose) {
    Connected c;
    c.ch->CloseConnect();
    EXPECT_FALSE(c.ch->IsConnected());
    // And the object connects again afterwards.
    LoopbackPeer again;
    EXPECT_EQ(c.ch->Connect("127.0.0.1", {again.Port()}, false, 5), 0);
    // Once every thread is joined, neither the close nor the shutdown has
    // reported a loss.
    c.ch->ShutdownConnection();
    EXPECT_EQ(c.ch->closeCount, 0);
}

}  // namespace
