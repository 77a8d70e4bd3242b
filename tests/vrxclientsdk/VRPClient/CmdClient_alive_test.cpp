// Handshake, keep-alive and peer-dead detection of the command channel
// against the simulated receiver. Time is a fake clock that the tests step;
// the keep-alive loop's sleep step is shortened, so nothing waits out a
// production time-out.
#include <gtest/gtest.h>

#include <future>

#include "platform/fake_clock.h"
#include "tests/vrxclientsdk/VRPClient/CmdClientFixture.h"
#include "vrxclientsdk/VRPClient/ErrorCodes.h"

namespace {

using cmdtest::RecordingClient;
using receiver_sim::CommandConfig;
using receiver_sim::CommandReceiver;
using receiver_sim::HandshakeMode;

class CmdClientAliveTest : public ::testing::Test {
protected:
    platform::FakeClock clock;
    platform::ScopedClockOverride useClock{clock};

    std::unique_ptr<CommandReceiver> Receiver(CommandConfig config = {}) {
        auto sim = std::make_unique<CommandReceiver>(std::move(config));
        EXPECT_EQ(sim->Start(), 0);
        return sim;
    }
    std::unique_ptr<RecordingClient> Client() {
        auto client = std::make_unique<RecordingClient>();
        client->SetAliveStepForTest(1);
        return client;
    }
    // Steps the clock by `stepMs` until `result` is ready: the waiting thread
    // may read its start time only after the first step.
    template <typename T>
    T StepUntilReady(std::future<T>& result, uint64_t stepMs) {
        while (result.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready) {
            clock.Advance(stepMs);
        }
        return result.get();
    }
    // Waits until the keep-alive loop has finished two more passes, so that
    // one whole pass ran after the call.
    static void TwoPasses(CmdClient& client) {
        const uint64_t target = client.AlivePassesForTest() + 2;
        ASSERT_TRUE(cmdtest::WaitUntil([&] { return client.AlivePassesForTest() >= target; }));
    }
};

TEST_F(CmdClientAliveTest, HandshakeVariants) {
    struct Row {
        const char* name;
        HandshakeMode mode;
        int expected;
    };
    const Row rows[] = {
        {"at once", HandshakeMode::kNormal, 0},
        {"split in two pieces", HandshakeMode::kSplit, 0},
        {"wrong bytes", HandshakeMode::kWrong, qkerr::kHandshakeFailed},
        {"silent peer", HandshakeMode::kSilent, qkerr::kHandshakeFailed},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CommandConfig config;
        config.handshake = row.mode;
        auto sim = Receiver(config);
        auto client = Client();
        auto result = std::async(std::launch::async, [&] {
            return client->OpenConnect("127.0.0.1", {sim->Port()}, 10);
        });
        ASSERT_TRUE(sim->WaitForConnections(1));
        // A failing handshake ends only when the connect time-out has passed.
        const int rc = row.expected < 0 ? StepUntilReady(result, 10000) : result.get();
        EXPECT_EQ(rc, row.expected);
        EXPECT_EQ(client->IsConnected(), row.expected == 0);
        client.reset();
        EXPECT_TRUE(sim->Errors().empty());
    }
}

TEST_F(CmdClientAliveTest, RockGoesOutAtOnceThenEveryThreeSeconds) {
    auto sim = Receiver();
    auto client = Client();
    ASSERT_EQ(client->OpenConnect("127.0.0.1", {sim->Port()}, 10), 0);
    ASSERT_TRUE(sim->WaitForRocks(1));  // in the first pass, without any time passing

    clock.Advance(2999);
    TwoPasses(*client);
    sim->Settle();
    EXPECT_EQ(sim->RockCount(), 1u);

    clock.Advance(1);
    ASSERT_TRUE(sim->WaitForRocks(2));
    TwoPasses(*client);
    sim->Settle();
    EXPECT_EQ(sim->RockCount(), 2u);
    EXPECT_EQ(client->closeCount.load(), 0);
    client.reset();
    EXPECT_TRUE(sim->Errors().empty());
}

TEST_F(CmdClientAliveTest, SilentPeerIsFoundDeadOnceAfterTheAliveTimeOut) {
    CommandConfig config;
    config.answerKeepAlive = false;
    auto sim = Receiver(config);
    auto client = Client();
    client->SetAliveTimeout(5);
    ASSERT_EQ(client->OpenConnect("127.0.0.1", {sim->Port()}, 10), 0);

    clock.Advance(5000);  // exactly the time-out: still alive
    TwoPasses(*client);
    EXPECT_TRUE(client->IsConnected());
    EXPECT_EQ(client->closeCount.load(), 0);

    clock.Advance(1);
    ASSERT_TRUE(cmdtest::WaitUntil([&] { return client->closeCount.load() >= 1; }));
    EXPECT_EQ(client->errorAtClose.load(), qkerr::kRollTimeout);
    ASSERT_TRUE(cmdtest::WaitUntil([&] { return !client->IsConnected(); }));
    EXPECT_TRUE(sim->WaitForNoOpenConnection());
    client->ShutdownConnection();  // joins every thread: no later notice can come
    EXPECT_EQ(client->closeCount.load(), 1);
    client.reset();
    EXPECT_TRUE(sim->Errors().empty());
}

TEST_F(CmdClientAliveTest, AnyFrameFromTheReceiverCountsAsLife) {
    CommandConfig config;
    config.answerKeepAlive = false;
    auto sim = Receiver(config);
    auto client = Client();
    client->SetAliveTimeout(20);
    ASSERT_EQ(client->OpenConnect("127.0.0.1", {sim->Port()}, 10), 0);

    clock.Advance(15000);
    ASSERT_TRUE(sim->SendEvent(0x9a, {0x01}));
    ASSERT_TRUE(client->WaitCall("notice:01"));
    clock.Advance(15000);  // 30 s since connect, 15 s since the event
    TwoPasses(*client);
    EXPECT_TRUE(client->IsConnected());
    EXPECT_EQ(client->closeCount.load(), 0);

    // A ROLL is life too.
    sim->SetAnswerKeepAlive(true);
    const size_t rocks = sim->RockCount();
    const int alive = client->aliveCount.load();
    clock.Advance(3000);
    ASSERT_TRUE(sim->WaitForRocks(rocks + 1));
    ASSERT_TRUE(cmdtest::WaitUntil([&] { return client->aliveCount.load() > alive; }));
    clock.Advance(15000);
    TwoPasses(*client);
    EXPECT_TRUE(client->IsConnected());
    client.reset();
    EXPECT_TRUE(sim->Errors().empty());
}

TEST_F(CmdClientAliveTest, UnansweredRequestTimesOut) {
    auto sim = Receiver();
    auto client = Client();
    ASSERT_EQ(client->OpenConnect("127.0.0.1", {sim->Port()}, 10), 0);
    sim->QueueReply(0x82, receiver_sim::Reply::None());
    auto result = std::async(std::launch::async, [&] {
        uint8_t status[2];
        return client->GetDeviceStatus(status);
    });
    ASSERT_TRUE(sim->WaitForFrames(1));
    EXPECT_EQ(StepUntilReady(result, 10001), qkerr::kResponseTimeout);
    EXPECT_TRUE(client->IsConnected());
    client.reset();
    EXPECT_TRUE(sim->Errors().empty());
}

TEST_F(CmdClientAliveTest, CloseNoticeOnlyForALossNotForTheOwnersClose) {
    auto sim = Receiver();
    auto client = Client();
    ASSERT_EQ(client->OpenConnect("127.0.0.1", {sim->Port()}, 10), 0);
    client->CloseConnect();
    EXPECT_FALSE(client->IsConnected());
    EXPECT_TRUE(sim->WaitForNoOpenConnection());

    // The same object connects again; this time the receiver goes away.
    ASSERT_EQ(client->OpenConnect("127.0.0.1", {sim->Port()}, 10), 0);
    sim->CloseClient();
    ASSERT_TRUE(cmdtest::WaitUntil([&] { return client->closeCount.load() >= 1; }));
    EXPECT_EQ(client->errorAtClose.load(), qkerr::kGracefullyClosed);
    ASSERT_TRUE(cmdtest::WaitUntil([&] { return !client->IsConnected(); }));
    EXPECT_EQ(client->GetPlayState(), kPlayIdle);
    client->ShutdownConnection();
    EXPECT_EQ(client->closeCount.load(), 1);
    client.reset();
    EXPECT_TRUE(sim->Errors().empty());
}

}  // namespace
