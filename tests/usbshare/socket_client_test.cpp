#include "usbshare/SocketClient.h"

#include "tests/support/LoopbackPeer.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>

using porvane::CSocketHandle;
using porvane::SockAddrIn;
using porvane::SocketClient;

namespace {

// Records what the reader thread reports.
class RecordingHandler final : public porvane::ISocketClientHandler {
public:
    void OnThreadBegin(CSocketHandle*) override {
        Note([this] { ++begins; });
    }
    void OnThreadExit(CSocketHandle*) override {
        Note([this] { ++exits; });
    }
    void OnDataReceived(CSocketHandle*, const unsigned char* data, unsigned long count,
                        const SockAddrIn& addr) override {
        Note([&] {
            received.append(reinterpret_cast<const char*>(data), count);
            peer = addr.GetHostText();
        });
    }
    void OnConnectionDropped(CSocketHandle*) override {
        Note([this] { ++drops; });
    }
    void OnConnectionError(CSocketHandle*, unsigned long) override {
        Note([this] { ++errors; });
    }

    template <typename Pred>
    bool WaitFor(Pred pred) {
        std::unique_lock<std::mutex> hold(m_lock);
        return m_cond.wait_for(hold, std::chrono::seconds(10), pred);
    }
    template <typename Fn>
    auto Get(Fn fn) {
        std::lock_guard<std::mutex> hold(m_lock);
        return fn();
    }

    int begins = 0, exits = 0, drops = 0, errors = 0;
    std::string received;
    std::string peer;

private:
    template <typename Fn>
    void Note(Fn fn) {
        {
            std::lock_guard<std::mutex> hold(m_lock);
            fn();
        }
        m_cond.notify_all();
    }
    std::mutex m_lock;
    std::condition_variable m_cond;
};

class FakeNetworkState final : public porvane::NetworkState {
public:
    bool IsNetworkAlive(platform::SocketHandle) override { return alive.load(); }
    std::atomic<bool> alive{true};
};

}  // namespace

TEST(SocketClientTest, DataArrivesInOrderAndPeerCloseIsADrop) {
    testsupport::LoopbackPeer listener;
    RecordingHandler handler;
    SocketClient client(&handler);
    ASSERT_TRUE(client.Start(AF_INET, "127.0.0.1", std::to_string(listener.Port()).c_str(), 5000));
    ASSERT_TRUE(listener.Accept());
    const std::string text = "zamp and more bytes";
    ASSERT_TRUE(listener.Send(text));
    ASSERT_TRUE(handler.WaitFor([&] { return handler.received.size() >= text.size(); }));
    listener.CloseClient();
    ASSERT_TRUE(handler.WaitFor([&] { return handler.exits == 1; }));
    EXPECT_EQ(handler.Get([&] { return handler.received; }), text);
    EXPECT_EQ(handler.Get([&] { return handler.peer; }), "127.0.0.1");
    EXPECT_EQ(handler.Get([&] { return handler.drops; }), 1);
    EXPECT_EQ(handler.Get([&] { return handler.begins; }), 1);
}

TEST(SocketClientTest, StartOnAnOpenSocketFailsAndKeepsIt) {
    testsupport::LoopbackPeer listener;
    RecordingHandler handler;
    SocketClient client(&handler);
    ASSERT_TRUE(client.Start(AF_INET, "127.0.0.1", std::to_string(listener.Port()).c_str(), 5000));
    ASSERT_TRUE(listener.Accept());
    EXPECT_FALSE(client.Start(AF_INET, "127.0.0.1", std::to_string(listener.Port()).c_str(), 5000));
    EXPECT_TRUE(client.IsOpen());
    const uint8_t ping[3] = {1, 2, 3};
    EXPECT_EQ(client.Write(ping, sizeof ping, 1000), 3);
    EXPECT_EQ(listener.Recv(3), std::string("\x01\x02\x03"));
}

TEST(SocketClientTest, NetworkLossIsADrop) {
    testsupport::LoopbackPeer listener;
    RecordingHandler handler;
    FakeNetworkState network;
    SocketClient client(&handler);
    client.SetNetworkStateForTest(&network);
    ASSERT_TRUE(client.Start(AF_INET, "127.0.0.1", std::to_string(listener.Port()).c_str(), 5000));
    ASSERT_TRUE(listener.Accept());
    network.alive = false;
    ASSERT_TRUE(handler.WaitFor([&] { return handler.exits == 1; }));
    EXPECT_EQ(handler.Get([&] { return handler.drops; }), 1);
}

TEST(SocketClientTest, StopEndsTheReaderWithoutADrop) {
    testsupport::LoopbackPeer listener;
    RecordingHandler handler;
    SocketClient client(&handler);
    ASSERT_TRUE(client.Start(AF_INET, "127.0.0.1", std::to_string(listener.Port()).c_str(), 5000));
    ASSERT_TRUE(listener.Accept());
    ASSERT_TRUE(handler.WaitFor([&] { return handler.begins == 1; }));
    client.Stop();
    EXPECT_FALSE(client.IsOpen());
    EXPECT_EQ(handler.Get([&] { return handler.exits; }), 1);
    EXPECT_EQ(handler.Get([&] { return handler.drops; }), 0);
    const uint8_t ping[1] = {1};
    EXPECT_EQ(client.Write(ping, 1, 100), -1);
    client.Stop();  // idempotent
}

TEST(SocketClientTest, RefusedConnectFailsWithTheReason) {
    const uint16_t port = testsupport::LoopbackPeer::ClosedPort();
    RecordingHandler handler;
    SocketClient client(&handler);
    errno = 0;
    EXPECT_FALSE(client.Start(AF_INET, "127.0.0.1", std::to_string(port).c_str(), 5000));
    EXPECT_EQ(errno, ECONNREFUSED);
    EXPECT_FALSE(client.IsOpen());
    EXPECT_EQ(handler.Get([&] { return handler.begins; }), 0);
}

TEST(SocketClientTest, SocketKeepsTheAddressTheRouteGivesIt) {
    // Not bound to the host name's address (127.0.1.1 on this system): the
    // local end of a loopback connection is 127.0.0.1.
    testsupport::LoopbackPeer listener;
    CSocketHandle socket;
    ASSERT_TRUE(
        socket.Connect("127.0.0.1", std::to_string(listener.Port()).c_str(), AF_INET, 5000));
    SockAddrIn local;
    socklen_t len = local.Capacity();
    ASSERT_EQ(::getsockname(socket.GetSocket(), local.Data(), &len), 0);
    EXPECT_EQ(local.GetHostText(), "127.0.0.1");
}

TEST(NetworkStateTest, LoopbackConnectionIsAlive) {
    testsupport::LoopbackPeer listener;
    CSocketHandle socket;
    ASSERT_TRUE(
        socket.Connect("127.0.0.1", std::to_string(listener.Port()).c_str(), AF_INET, 5000));
    EXPECT_TRUE(porvane::NetworkState::Create()->IsNetworkAlive(socket.GetSocket()));
}
