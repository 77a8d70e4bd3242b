// The program's tooltip window on the fake clock: nothing without tips or
// text, the wait, the show time, a press, the screen's corner, rectangles,
// held buttons and windows that have gone.
#include "ui/widgets/tip_wnd.h"

#include <gtest/gtest.h>

#include "platform/draw/surface.h"
#include "tests/ui/widgets/menu_loop_test_support.h"

namespace ui {
namespace {

using platform::Argb;
using platform::MouseButton;
using platform::Point;
using platform::Rect;
using platform::WindowId;

class TipWndTest : public WidgetTest {
protected:
    void SetUp() override {
        WidgetTest::SetUp();
        target = TopLevel(Rect::FromXywh(100, 100, 300, 200), &NewHandler());
        ASSERT_TRUE(tip.CreateTipWindow(target));
        start = clock.NowMs();
    }

    // Runs the loop until `ms` after the tip window was made, 5 ms at a time.
    void RunUntilMs(uint64_t ms) {
        while (clock.NowMs() < start + ms) {
            clock.Advance(5);
            Pump();
        }
    }
    Rect TipRect() { return *wm->GetRect(tip.Window()); }

    CTipWnd tip;
    WindowId target;
    uint64_t start = 0;
};

TEST_F(TipWndTest, NoTipsOrNoTextNeverShow) {
    headless->MoveMouse({150, 150});
    RunUntilMs(3000);
    EXPECT_FALSE(tip.IsShown());
    EXPECT_NE(tip.Window(), WindowId{});
    EXPECT_EQ(wm->ClassName(tip.Window()), "TipWnd");
    tip.AddTip(target, {}, "");
    RunUntilMs(6000);
    EXPECT_FALSE(tip.IsShown());
    EXPECT_FALSE(tip.CreateTipWindow(target)) << "one window";
}

TEST_F(TipWndTest, AWholeWindowTipShowsAfterTheWaitForTwoSeconds) {
    tip.AddTip(target, Rect{7, 7, 7, 7}, "Connect to a receiver");
    headless->MoveMouse({150, 150});
    // The first poll (91 ms) finds the tip, which then waits 600 ms.
    RunUntilMs(685);
    EXPECT_FALSE(tip.IsShown());
    RunUntilMs(695);
    ASSERT_TRUE(tip.IsShown());
    EXPECT_EQ(TipRect().left, 157);
    EXPECT_EQ(TipRect().top, 157);
    EXPECT_NE(wm->ActiveTopLevel(), tip.Window());
    const platform::Surface& shown = *headless->State(tip.Window())->presented;
    EXPECT_EQ(shown.PixelAt(0, 0), Argb(0xFF000000)) << "the border";
    EXPECT_EQ(shown.PixelAt(1, 1), Argb(0xFFFFFFE1)) << "pale yellow";
    RunUntilMs(2680);
    EXPECT_TRUE(tip.IsShown());
    RunUntilMs(2700);
    EXPECT_FALSE(tip.IsShown());
    RunUntilMs(6000);
    EXPECT_FALSE(tip.IsShown()) << "not again while the pointer stays";
    // Leaving and coming back shows it again.
    headless->MoveMouse({10, 10});
    RunUntilMs(6200);
    headless->MoveMouse({150, 150});
    RunUntilMs(7000);
    EXPECT_TRUE(tip.IsShown());
}

TEST_F(TipWndTest, APressOnTheTipHidesItAtOnce) {
    tip.AddTip(target, {}, "Search");
    for (MouseButton button : {MouseButton::kLeft, MouseButton::kRight}) {
        SCOPED_TRACE(static_cast<int>(button));
        headless->MoveMouse({10, 10});
        RunUntilMs(clock.NowMs() - start + 200);
        headless->MoveMouse({150, 150});
        RunUntilMs(clock.NowMs() - start + 800);
        ASSERT_TRUE(tip.IsShown());
        Rect r = TipRect();
        headless->PressButton(button, {r.left + 2, r.top + 2});
        Pump();
        EXPECT_FALSE(tip.IsShown());
        headless->ReleaseButton(button, {r.left + 2, r.top + 2});
        Pump();
    }
}

TEST_F(TipWndTest, NearTheBottomRightCornerTheTipStaysOnTheScreen) {
    wm->Move(target, Rect::FromXywh(900, 650, 124, 118));
    tip.AddTip(target, {}, "A long text that needs room");
    headless->MoveMouse({1020, 765});
    RunUntilMs(800);
    ASSERT_TRUE(tip.IsShown());
    Rect r = TipRect();
    EXPECT_EQ(r.right, 1024);
    EXPECT_EQ(r.bottom, 768);
    EXPECT_GT(r.Width(), 50);
    ASSERT_TRUE(r.Contains(1020, 765)) << "the tip lies under the pointer";
    RunUntilMs(2600);
    EXPECT_TRUE(tip.IsShown()) << "and stays for its time instead of flickering";
    RunUntilMs(2800);
    EXPECT_FALSE(tip.IsShown());
}

TEST_F(TipWndTest, TheFirstMatchingRectangleWinsAndAHeldButtonWaits) {
    tip.AddTip(target, Rect::FromXywh(0, 0, 50, 50), "corner");
    tip.AddTip(target, {}, "window");
    headless->MoveMouse({110, 110});
    RunUntilMs(800);
    ASSERT_TRUE(tip.IsShown());
    const int cornerWidth = TipRect().Width();
    headless->MoveMouse({300, 250});
    RunUntilMs(900);
    EXPECT_FALSE(tip.IsShown()) << "another tip: hidden, and a new wait";
    RunUntilMs(1600);
    ASSERT_TRUE(tip.IsShown());
    EXPECT_NE(TipRect().Width(), cornerWidth);

    // A button held down keeps a new tip from showing; it comes only after
    // the pointer has left and come back.
    headless->MoveMouse({10, 10});
    RunUntilMs(1800);
    EXPECT_FALSE(tip.IsShown());
    headless->PressButton(MouseButton::kLeft, {10, 10});
    headless->MoveMouse({110, 110});
    RunUntilMs(2600);
    EXPECT_FALSE(tip.IsShown()) << "no tip while a button is down";
    headless->ReleaseButton(MouseButton::kLeft, {110, 110});
    RunUntilMs(3400);
    EXPECT_FALSE(tip.IsShown());
    headless->MoveMouse({10, 10});
    RunUntilMs(3600);
    headless->MoveMouse({110, 110});
    RunUntilMs(4400);
    EXPECT_TRUE(tip.IsShown());
    EXPECT_EQ(TipRect().Width(), cornerWidth);
}

TEST_F(TipWndTest, TipsOfAGoneWindowNeverMatch) {
    tip.AddTip(target, {}, "gone");
    wm->Destroy(target);
    WindowId other = TopLevel(Rect::FromXywh(100, 100, 300, 200), &NewHandler());
    ASSERT_EQ(other.Slot(), target.Slot()) << "the slot is reused";
    headless->MoveMouse({150, 150});
    RunUntilMs(2000);
    EXPECT_FALSE(tip.IsShown());
}

}  // namespace
}  // namespace ui
