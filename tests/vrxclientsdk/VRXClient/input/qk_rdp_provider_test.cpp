// Input replay through a logged-in client: the receiver simulator sends its
// input events over the command channel and the recording injector shows
// what reached the desktop; the lock-key frames go back to the simulator.
// The last test runs the lock-key timer against a real X server.
#include "vrxclientsdk/VRXClient/input/QkRdpProvider.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "platform/fake_clock.h"
#include "platform/input/fake_input_injector.h"
#include "platform/input/input_injector_x11.h"
#include "tests/receiver/command/CommandWire.h"
#include "tests/support/XvfbServer.h"
#include "tests/vrxclientsdk/VRXClient/facade_test_env.h"
#include "vrxclientsdk/VRPClient/ErrorCodes.h"

namespace {

using facadetest::Ip;
using facadetest::WaitUntil;
using platform::FakeInputInjector;
using Kind = FakeInputInjector::Event::Kind;
namespace wire = receiver_sim::wire;

constexpr const char* kAddress = "127.0.0.2";

std::vector<uint8_t> KeyEvent(uint16_t type, uint16_t code, int32_t value) {
    std::vector<uint8_t> r(19, 0);
    r[8] = static_cast<uint8_t>(type);
    r[9] = static_cast<uint8_t>(type >> 8);
    r[10] = static_cast<uint8_t>(code);
    r[11] = static_cast<uint8_t>(code >> 8);
    for (int i = 0; i < 4; ++i) {
        r[12 + i] = static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i));
    }
    return r;
}

// A logged-in client over the recording injector, and its receiver.
class QkRdpProviderTest : public testing::Test {
protected:
    void LogIn(uint16_t version) {
        receiver = std::make_unique<facadetest::SimReceiver>(kAddress, version);
        ASSERT_GE(facadetest::Discover(*client, {{kAddress, receiver->sim->Port()}}), 0);
        ASSERT_EQ(client->Login(Ip(kAddress), "alice", "6049"), 0) << client->GetErrorMessage();
        // The login's own stop of any projection ends touch; start afresh.
        injector->Clear();
    }

    size_t Count(Kind kind) {
        size_t n = 0;
        for (const auto& e : injector->Events()) {
            n += e.kind == kind;
        }
        return n;
    }

    std::shared_ptr<FakeInputInjector> injector = std::make_shared<FakeInputInjector>();
    std::unique_ptr<QkRdpProvider> client =
        std::make_unique<QkRdpProvider>(std::make_shared<InputReplay>(injector));
    std::unique_ptr<facadetest::SimReceiver> receiver;
};

TEST_F(QkRdpProviderTest, ReceiverInputReachesTheDesktop) {
    ASSERT_NO_FATAL_FAILURE(LogIn(0x0130));
    auto& sim = *receiver->sim;
    ASSERT_TRUE(sim.SendEvent(wire::kEvKeyboard, KeyEvent(1, 103, 1)));
    ASSERT_TRUE(sim.SendEvent(wire::kEvMouse, {0x09, 5, 3, 1, 0, 0, 0}));
    ASSERT_TRUE(sim.SendEvent(wire::kEvTouch, {2, 0x12, 0x34, 0x56, 0x78, 1, 0}));
    // Text: the header claims 9 code units, 2 arrive (big-endian header
    // fields, little-endian text).
    std::vector<uint8_t> text = {0, 9, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 'h', 0, 'i', 0};
    ASSERT_TRUE(sim.SendEvent(wire::kEvStringInput, text));
    ASSERT_TRUE(sim.SendEvent(wire::kEvSidebar, {1}));
    ASSERT_TRUE(WaitUntil([&] { return Count(Kind::kCharacter) == 2; }));

    const auto events = injector->Events();
    ASSERT_EQ(events.size(), 5u);
    EXPECT_EQ(events[0].key, (platform::KeyInput{0, 0x48, 0x9}));
    EXPECT_EQ(events[1].mouse, (platform::MouseInput{5, -3, -120, 0x803}));
    EXPECT_EQ(events[2].kind, Kind::kFinger);
    EXPECT_EQ(events[2].x, 0x1234);
    EXPECT_EQ(events[2].y, 0x5678);
    EXPECT_EQ(events[3].character, U'h');
    EXPECT_EQ(events[4].character, U'i');
    EXPECT_TRUE(sim.Errors().empty());
}

TEST_F(QkRdpProviderTest, LockKeyRequestIsAnsweredByNewerReceiversOnly) {
    const struct {
        uint16_t version;
        size_t frames;
    } rows[] = {{0x0130, 3}, {0x011D, 3}, {0x011C, 0}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.version);
        client = std::make_unique<QkRdpProvider>(std::make_shared<InputReplay>(injector));
        injector->Clear();
        injector->SetLockKeys({.numLock = true, .capsLock = false, .scrollLock = true});
        ASSERT_NO_FATAL_FAILURE(LogIn(row.version));
        auto& sim = *receiver->sim;
        ASSERT_TRUE(sim.SendEvent(wire::kEvKeyboard, KeyEvent(0x11, 0, 0)));
        // Events are handled in order: once the key behind it arrived, the
        // request has been answered (or not).
        ASSERT_TRUE(sim.SendEvent(wire::kEvKeyboard, KeyEvent(1, 30, 1)));
        ASSERT_TRUE(WaitUntil([&] { return Count(Kind::kKey) == 1; }));
        sim.Settle();
        const auto frames = sim.FramesWithCode(wire::kLockKeyInput);
        ASSERT_EQ(frames.size(), row.frames);
        if (row.frames == 3) {
            EXPECT_EQ(frames[0].payload, (std::vector<uint8_t>{0x11, 0, 1}));
            EXPECT_EQ(frames[1].payload, (std::vector<uint8_t>{0x11, 1, 0}));
            EXPECT_EQ(frames[2].payload, (std::vector<uint8_t>{0x11, 2, 1}));
        }
    }
}

TEST_F(QkRdpProviderTest, TheLockKeyChannelGoesWithLogoutAndWithTheClient) {
    ASSERT_NO_FATAL_FAILURE(LogIn(0x0130));
    EXPECT_TRUE(LockKeySync::HasChannel());
    client->Logout();
    EXPECT_FALSE(LockKeySync::HasChannel());

    ASSERT_EQ(client->Login(Ip(kAddress), "alice", "6049"), 0) << client->GetErrorMessage();
    EXPECT_TRUE(LockKeySync::HasChannel());
    client.reset();
    EXPECT_FALSE(LockKeySync::HasChannel());
}

TEST_F(QkRdpProviderTest, AFailedLoginLeavesNoChannel) {
    ASSERT_NO_FATAL_FAILURE(LogIn(0x0130));
    EXPECT_EQ(client->Login(Ip(kAddress), "alice", "0000"), 0);  // still logged in
    client->Logout();
    EXPECT_EQ(client->Login(Ip(kAddress), "alice", "0000"), qkerr::kLoginRejected);
    EXPECT_FALSE(LockKeySync::HasChannel());
}

TEST_F(QkRdpProviderTest, PointerPositionsAndTheViewport) {
    client->OnPointerPosition(32768, 32768);
    client->SetViewport(960, 0, 960, 1080);  // not projecting: not applied again
    client->OnPointerPosition(0, 0);
    std::vector<platform::MouseInput> moves;
    for (const auto& e : injector->Events()) {
        moves.push_back(e.mouse);
    }
    EXPECT_EQ(moves, (std::vector<platform::MouseInput>{{32768, 32768, 0, 0x8001},
                                                        {32768, 0, 0, 0x8001}}));
}

TEST(LockKeySyncTest, ACapsLockChangeReachesTheReceiverWithin400Ms) {
    // The timer runs on a clock that the test steps; it looks at it every
    // real millisecond.
    platform::FakeClock clock;
    platform::ScopedClockOverride useClock(clock);
    testsupport::XvfbServer server("640x480x24");
    ASSERT_TRUE(server.Ok());
    std::shared_ptr<platform::InputInjector> x11 =
        platform::InputInjectorX11::Create(server.Display());
    ASSERT_TRUE(x11);
    receiver_sim::CommandConfig config;
    receiver_sim::CommandReceiver sim(config);
    ASSERT_EQ(sim.Start(), 0);
    CmdClient channel;
    ASSERT_EQ(channel.OpenConnect("127.0.0.1", {sim.Port()}, 5), 0);

    auto replay = std::make_shared<InputReplay>(x11);
    LockKeySync sync(replay);
    sync.SetTimerStepForTest(1);
    LockKeySync::SetChannel(&channel);
    sync.SendLockKeyState();
    ASSERT_TRUE(WaitUntil([&] { return sim.FramesWithCode(wire::kLockKeyInput).size() == 3; }));
    sync.StartTimer();

    x11->SendKey({0, 0x3A, platform::kKeyScanCode});
    x11->SendKey({0, 0x3A, platform::kKeyScanCode | platform::kKeyUp});
    // Time moves in steps of 50 ms; after each the timer is given two looks
    // at the clock before the frames are counted.
    auto frames = [&] { return sim.FramesWithCode(wire::kLockKeyInput).size(); };
    uint64_t elapsedMs = 0;
    while (elapsedMs < 1000 && frames() < 4) {
        clock.Advance(50);
        elapsedMs += 50;
        const uint64_t passes = sync.TimerPassesForTest();
        ASSERT_TRUE(WaitUntil([&] { return sync.TimerPassesForTest() >= passes + 2; }));
        if (frames() < 4) {
            // A frame already sent may still be on its way to the simulator.
            WaitUntil([&] { return frames() >= 4; }, 20);
        }
    }
    ASSERT_EQ(frames(), 4u);
    EXPECT_LE(elapsedMs, 400u);
    EXPECT_EQ(sim.FramesWithCode(wire::kLockKeyInput)[3].payload,
              (std::vector<uint8_t>{0x11, 1, 1}));

    sync.StopTimer();
    EXPECT_FALSE(sync.TimerRunning());
    LockKeySync::ClearChannel(&channel);
    EXPECT_FALSE(LockKeySync::HasChannel());
}

}  // namespace
