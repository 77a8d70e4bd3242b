// WindowManager::RunUntil: the nested loop of popup menus and common
// dialogs, which disables no window, ends when its condition holds, and
// passes a quit on to the loops around it.
#include <gtest/gtest.h>

#include <thread>

#include "tests/platform/window/window_test_support.h"

namespace platform {
namespace {

using RunUntilTest = WindowTest;

TEST_F(RunUntilTest, EndsWhenItsConditionHoldsAndLeavesEveryWindowUsable) {
    RecordingHandler& ownerHandler = NewHandler();
    RecordingHandler& popupHandler = NewHandler();
    WindowId owner = TopLevel(Rect::FromXywh(0, 0, 300, 200), &ownerHandler);
    WindowOptions o;
    o.parent = owner;
    o.rect = Rect::FromXywh(400, 400, 100, 100);
    o.popup = true;
    o.visible = true;
    o.handler = &popupHandler;
    WindowId popup = wm->Create(o);
    ASSERT_TRUE(popup);

    bool done = false;
    bool ownerEnabledDuring = false;
    popupHandler.on[MessageKind::kTimer] = [&](WindowId self, const Message&) -> int64_t {
        wm->KillTimer(self, 1);
        ownerEnabledDuring = wm->IsEnabled(owner);
        headless->Click(MouseButton::kLeft, {50, 50});  // on the owner
        return 0;
    };
    ownerHandler.on[MessageKind::kButtonUp] = [&](WindowId, const Message&) -> int64_t {
        done = true;
        return 0;
    };
    wm->SetTimer(popup, 1, 100);
    uint64_t before = clock.NowMs();
    EXPECT_TRUE(wm->RunUntil([&] { return done; }));
    EXPECT_TRUE(ownerEnabledDuring);
    EXPECT_EQ(ownerHandler.Of(MessageKind::kButtonDown).size(), 1u);
    EXPECT_EQ(clock.NowMs() - before, 100u);
    EXPECT_TRUE(wm->IsVisible(popup)) << "the loop hides nothing";
    // A condition that already holds returns at once.
    EXPECT_TRUE(wm->RunUntil([] { return true; }));
}

TEST_F(RunUntilTest, AQuitEndsItAndEveryLoopAroundIt) {
    RecordingHandler& h = NewHandler();
    WindowId main = TopLevel(Rect::FromXywh(0, 0, 100, 100), &h);
    std::vector<bool> results;
    h.on[MessageKind::kUser] = [&](WindowId, const Message& m) -> int64_t {
        if (m.code == 1) {
            wm->Post(main, Message::User(2));
            results.push_back(wm->RunUntil([] { return false; }));
            // Started while the quit unwinds: ends at once.
            results.push_back(wm->RunUntil([] { return false; }));
        } else {
            wm->PostQuit(5);
        }
        return 0;
    };
    wm->Post(main, Message::User(1));
    EXPECT_EQ(wm->Run(), 5);
    EXPECT_EQ(results, (std::vector<bool>{false, false}));

    // An outermost nested loop ended by a quit leaves nothing unwinding.
    wm->PostQuit(7);
    EXPECT_FALSE(wm->RunUntil([] { return false; }));
    EXPECT_FALSE(wm->IsQuitting());
    bool ran = false;
    h.on[MessageKind::kUser] = [&](WindowId, const Message&) -> int64_t {
        ran = true;
        return 0;
    };
    wm->Post(main, Message::User(3));
    EXPECT_TRUE(wm->RunUntil([&] { return ran; }));
}

TEST_F(RunUntilTest, RefusedOffTheUserInterfaceThreadAndWithoutACondition) {
    bool result = true;
    std::thread other([&] { result = wm->RunUntil([] { return true; }); });
    other.join();
    EXPECT_FALSE(result);
    EXPECT_FALSE(wm->RunUntil({}));
}

}  // namespace
}  // namespace platform
