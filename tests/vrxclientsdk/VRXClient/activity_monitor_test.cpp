// The idle monitor against the receiver simulator: a real command channel per
// receiver version, a fake activity source and a fake clock. Passes run on
// the test thread; the monitor's own thread only proves its lifecycle.
#include "vrxclientsdk/VRXClient/ActivityMonitor.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/fake_clock.h"
#include "platform/idle/fake_user_activity.h"
#include "tests/receiver/command/CommandReceiver.h"
#include "vrxclientsdk/VRPClient/CmdClient.h"
#include "vrxclientsdk/VRPClient/CmdCodes.h"
#include "vrxclientsdk/VRXClient/ProcessGlobals.h"
#include "vrxclientsdk/VRXClient/imagechannel/IBClient.h"

namespace {

constexpr uint32_t kNoTimedPasses = 3600 * 1000;  // the thread never passes by itself

// An image channel that records the windows the monitor gives it.
class WindowRecorder : public IBClient {
public:
    WindowRecorder() : IBClient(ProcessGlobals::Get().Encoders()) {}
    void SetAckWindow(int count) override {
        last = count;
        IBClient::SetAckWindow(count);
    }
    std::atomic<int> last{-1};
};

// A command channel logged on to a simulated receiver of one version.
struct Receiver {
    explicit Receiver(uint16_t version) {
        receiver_sim::CommandConfig config;
        config.protocolVersion = version;
        sim = std::make_unique<receiver_sim::CommandReceiver>(config);
        EXPECT_EQ(sim->Start(), 0);
        EXPECT_EQ(cmd.OpenConnect("127.0.0.1", {sim->Port()}, 5), 0);
        DevAnnounce record;
        EXPECT_EQ(cmd.ConnectToDeviceThruIP(&record), 0);
    }
    ~Receiver() { cmd.ShutdownConnection(); }

    // The pre-buffer times the receiver was sent, in order.
    std::vector<int> PreBufTimes() {
        sim->Settle();
        std::vector<int> times;
        for (const receiver_sim::SenderFrame& f : sim->FramesWithCode(cmd::kSetPreBufTime)) {
            times.push_back((f.payload[0] << 8) | f.payload[1]);
        }
        return times;
    }

    std::unique_ptr<receiver_sim::CommandReceiver> sim;
    CmdClient cmd;
    WindowRecorder ib;
};

class ActivityMonitorTest : public ::testing::Test {
protected:
    ActivityMonitorTest() : m_override(m_clock) {
        m_monitor.SetIntervalForTest(kNoTimedPasses);
        m_monitor.SetSourceFactoryForTest([this] {
            auto source = std::make_unique<platform::FakeUserActivity>();
            m_source = source.get();
            return source;
        });
    }

    platform::FakeClock m_clock;
    platform::ScopedClockOverride m_override;
    platform::FakeUserActivity* m_source = nullptr;  // owned by the monitor
    ActivityMonitor m_monitor;
};

TEST_F(ActivityMonitorTest, WindowsAndPreBufferTimesByVersionAndIdleTime) {
    constexpr uint16_t kPreBuf = 700;  // scaled: 70 up to version 0x120, 10 above
    Receiver v11d(0x011D), v121(0x0121), v122(0x0122);
    for (Receiver* r : {&v11d, &v121, &v122}) {
        // As the projection start does on receivers above 0x11A.
        ASSERT_GT(r->cmd.SetPreBufTime(kPreBuf, true, true), 0);
        ASSERT_EQ(m_monitor.AddClient(r, r->cmd, r->ib, kPreBuf), 0);
    }
    ASSERT_NE(m_source, nullptr);

    struct Step {
        const char* name;
        uint64_t advanceMs;
        bool moveCursor;
        int w11d, w121, w122;
    } steps[] = {
        // Nothing seen since registration: idle.
        {"right after registration", 0, false, 74, 14, 14},
        {"cursor moved", 0, true, 72, 12, 2},
        {"1999 ms later", 1999, false, 72, 12, 2},
        {"2000 ms", 1, false, 73, 13, 2},
        {"4000 ms", 2000, false, 74, 14, 2},
        {"exactly 5000 ms: still active", 1000, false, 74, 14, 2},
        {"5001 ms: idle", 1, false, 74, 14, 14},
        {"an hour: stays", 3600 * 1000, false, 74, 14, 14},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.name);
        m_clock.Advance(s.advanceMs);
        if (s.moveCursor) {
            m_source->cursorX = m_source->cursorX + 5;
        }
        m_monitor.PassForTest();
        EXPECT_EQ(v11d.ib.last, s.w11d);
        EXPECT_EQ(v121.ib.last, s.w121);
        EXPECT_EQ(v122.ib.last, s.w122);
    }
    // Only changes reach the receiver: the start's value, then 0 while the PC
    // is in use and the configured time again once it is idle. The 0x11D
    // receiver is never tuned by requests.
    EXPECT_EQ(v122.PreBufTimes(), (std::vector<int>{700, 0, 700}));
    EXPECT_EQ(v121.PreBufTimes(), (std::vector<int>{700}));
    EXPECT_EQ(v11d.PreBufTimes(), (std::vector<int>{700}));
    for (Receiver* r : {&v11d, &v121, &v122}) {
        m_monitor.RemoveClient(r);
        EXPECT_TRUE(r->sim->Errors().empty());
    }
}

TEST_F(ActivityMonitorTest, KeysAndServerInputCountAsActivity) {
    Receiver r(0x0122);
    ASSERT_GT(r.cmd.SetPreBufTime(700, true, true), 0);
    // Input the server saw before the registration does not count.
    ASSERT_EQ(m_monitor.AddClient(&r, r.cmd, r.ib, 700), 0);
    m_source->inputIdleMs = 10;
    m_monitor.PassForTest();
    EXPECT_EQ(r.ib.last, 14);

    struct Case {
        const char* name;
        bool key;
        int64_t serverIdle;  // -1: unknown
        int window;
    } cases[] = {
        {"a held key", true, -1, 2},
        {"nothing", false, -1, 14},
        {"a touch 50 ms ago", false, 50, 2},
        {"server idle longer than since the last pass", false, 6500, 14},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_clock.Advance(6000);  // idle again unless the case shows activity
        m_source->keyDown = c.key;
        m_source->inputIdleMs = c.serverIdle;
        m_monitor.PassForTest();
        EXPECT_EQ(r.ib.last, c.window);
    }
    m_monitor.RemoveClient(&r);
}

TEST_F(ActivityMonitorTest, ThreadLivesWhileClientsAreRegistered) {
    CmdClient cmdA, cmdB;
    IBClient ibA(ProcessGlobals::Get().Encoders()), ibB(ProcessGlobals::Get().Encoders());
    EXPECT_FALSE(m_monitor.IsThreadRunning());
    ASSERT_EQ(m_monitor.AddClient(&cmdA, cmdA, ibA, 0), 0);
    ASSERT_EQ(m_monitor.AddClient(&cmdB, cmdB, ibB, 0), 0);
    EXPECT_TRUE(m_monitor.IsThreadRunning());
    m_monitor.RemoveClient(&ibA);  // never registered: nothing changes
    m_monitor.RemoveClient(&cmdA);
    EXPECT_TRUE(m_monitor.IsThreadRunning());
    EXPECT_FALSE(m_monitor.IsRegistered(&cmdA));
    m_monitor.RemoveClient(&cmdB);
    EXPECT_FALSE(m_monitor.IsThreadRunning());
    ASSERT_EQ(m_monitor.AddClient(&cmdA, cmdA, ibA, 0), 0);
    EXPECT_TRUE(m_monitor.IsThreadRunning());
    m_monitor.Clear();
    EXPECT_FALSE(m_monitor.IsThreadRunning());
}

// Clients come and go, and are destroyed right after their removal, while
// the thread polls every millisecond.
TEST(ActivityMonitorThreadTest, ClientsComeAndGoWhilePolling) {
    ActivityMonitor monitor;
    monitor.SetIntervalForTest(1);
    monitor.SetSourceFactoryForTest([] { return std::make_unique<platform::FakeUserActivity>(); });
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&monitor] {
            for (int i = 0; i < 25; ++i) {
                auto cmd = std::make_unique<CmdClient>();
                auto ib = std::make_unique<WindowRecorder>();
                ASSERT_EQ(monitor.AddClient(cmd.get(), *cmd, *ib, 300), 0);
                for (int wait = 0; wait < 200 && ib->last < 0; ++wait) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                }
                monitor.RemoveClient(cmd.get());
                // Destroyed at once: the monitor no longer visits them.
            }
        });
    }
    for (std::thread& t : threads) {
        t.join();
    }
    EXPECT_FALSE(monitor.IsThreadRunning());
}

}  // namespace
