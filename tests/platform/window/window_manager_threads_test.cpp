// Posting from other threads: the user-interface loop wakes for each post,
// keeps their order per thread, and drops posts to windows that died.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/window/headless_backend.h"
#include "platform/window/window_manager.h"

namespace platform {
namespace {

class Counter : public WindowHandler {
public:
    int64_t OnMessage(WindowId, const Message& m) override {
        if (m.kind == MessageKind::kUser) {
            // Per thread (param2), the sequence numbers (param) arrive in order.
            int64_t& last = lastSeen[static_cast<size_t>(m.param2)];
            EXPECT_EQ(m.param, last + 1);
            last = m.param;
            ++received;
        }
        return 0;
    }
    std::vector<int64_t> lastSeen = std::vector<int64_t>(4, -1);
    int received = 0;
};

TEST(WindowManagerThreadsTest, PostsFromOtherThreadsWakeTheLoopInOrder) {
    Counter counter;  // outlives the manager and its windows
    auto wm = WindowManager::Create(std::make_unique<HeadlessBackend>());
    ASSERT_NE(wm, nullptr);
    WindowOptions o;
    o.handler = &counter;
    WindowId target = wm->Create(o);
    WindowId doomed = wm->Create(o);
    ASSERT_TRUE(wm->Destroy(doomed));

    constexpr int kPerThread = 500;
    std::atomic<int> deadAccepted{0};
    std::atomic<int> finished{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kPerThread; ++i) {
                wm->Post(target, Message::User(1, i, t));
                if (wm->Post(doomed, Message::User(1, i, t))) {
                    ++deadAccepted;
                }
            }
            if (++finished == 4) {
                wm->PostQuit(0);
            }
        });
    }
    // The real wait (no idle handler) blocks until the posts wake it.
    EXPECT_EQ(wm->Run(), 0);
    for (auto& th : threads) {
        th.join();
    }
    EXPECT_EQ(counter.received, 4 * kPerThread);
    EXPECT_EQ(deadAccepted.load(), 0);
}

}  // namespace
}  // namespace platform
