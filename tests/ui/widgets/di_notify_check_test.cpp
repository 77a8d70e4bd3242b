// The timer window: a message-only window whose every tick calls its handler.
#include "ui/widgets/di_notify_check.h"

#include <gtest/gtest.h>

#include "tests/ui/widgets/menu_loop_test_support.h"

namespace ui {
namespace {

class CountingHandler : public DiNotifyHandler {
public:
    void OnNotifyTimer(DiNotifyCheck& source) override {
        ++calls;
        last = &source;
    }
    int calls = 0;
    DiNotifyCheck* last = nullptr;
};

using DiNotifyCheckTest = WidgetTest;

TEST_F(DiNotifyCheckTest, EveryTickCallsTheHandler) {
    CountingHandler handler;
    auto check = std::make_unique<DiNotifyCheck>();
    platform::WindowId w = check->Window();
    ASSERT_TRUE(w);
    EXPECT_EQ(wm->ClassName(w), "WND_TIMER_CLASS");
    EXPECT_EQ(wm->Title(w), "TIMER_WND");
    EXPECT_FALSE(wm->Show(w, true)) << "never on the screen";
    EXPECT_TRUE(headless->StackingOrder().empty());

    ASSERT_TRUE(wm->SetTimer(w, 7, 100));
    ASSERT_TRUE(wm->SetTimer(w, 8, 250));
    auto run = [&](uint64_t ms) {
        for (uint64_t t = 0; t < ms; t += 10) {
            clock.Advance(10);
            Pump();
        }
    };
    run(200);
    EXPECT_EQ(handler.calls, 0) << "no handler yet";
    check->SetHandler(&handler);
    run(300);  // 300, 400, 500 and 250, 500
    EXPECT_EQ(handler.calls, 5);
    EXPECT_EQ(handler.last, check.get());
    check->SetHandler(nullptr);
    run(100);
    EXPECT_EQ(handler.calls, 5);
    check->SetHandler(&handler);
    check.reset();
    EXPECT_FALSE(wm->IsAlive(w));
    run(500);
    EXPECT_EQ(handler.calls, 5);
}

TEST(DiNotifyCheckWithoutLayerTest, NoWindowWithoutAManager) {
    DiNotifyCheck check;
    EXPECT_EQ(check.Window(), platform::WindowId{});
}

}  // namespace
}  // namespace ui
