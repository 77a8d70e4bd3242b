// The tooltip on the fake clock: it shows after the pointer rests on a tool
// for 500 ms, below the pointer and inside the work area, and hides when
// the pointer leaves, on a press and after 5 s.
#include "platform/controls/tool_tip.h"

#include <gtest/gtest.h>

#include "tests/platform/controls/control_test_support.h"

namespace platform {
namespace {

// A widget that relays its mouse messages to the tooltip, as the skinned
// widgets do from PreTranslate.
class RelayingWidget : public RecordingHandler {
public:
    bool PreTranslate(WindowId, const Message& msg) override {
        if (tip) {
            tip->RelayEvent(msg);
        }
        return false;
    }
    ToolTip* tip = nullptr;
};

class ToolTipTest : public ControlTest {
protected:
    void SetUp() override {
        ControlTest::SetUp();
        widget = Child(dialog, Rect::FromXywh(50, 50, 100, 40), &relay);
        tip = std::make_unique<ToolTip>(*wm, dialog);
        relay.tip = tip.get();
        ASSERT_TRUE(tip->AddTool(widget, 1, Rect{}, "Refresh"));
        Pump();
    }
    void TearDown() override {
        relay.tip = nullptr;
        tip.reset();
        ControlTest::TearDown();
    }

    // Screen point of a point of the widget.
    Point At(Point local) {
        return {kDialogOrigin.x + 50 + local.x, kDialogOrigin.y + 50 + local.y};
    }
    void MoveTo(Point screen) {
        headless->MoveMouse(screen);
        Pump();
    }
    // Lets `ms` of the fake clock pass a millisecond at a time, running
    // what falls due when it falls due.
    void Wait(uint64_t ms) {
        for (uint64_t i = 0; i < ms; ++i) {
            clock.Advance(1);
            Pump();
        }
    }

    RelayingWidget relay;
    WindowId widget;
    std::unique_ptr<ToolTip> tip;
};

TEST_F(ToolTipTest, ShowsAfterHalfASecondAtRestForFiveSeconds) {
    MoveTo(At({10, 10}));
    Wait(490);
    EXPECT_FALSE(tip->IsShown());
    MoveTo(At({12, 10}));  // a move restarts the wait
    Wait(490);
    EXPECT_FALSE(tip->IsShown());
    Wait(20);
    ASSERT_TRUE(tip->IsShown());
    EXPECT_EQ(tip->ShownText(), "Refresh");
    const HeadlessBackend::TopLevelState* s = headless->State(tip->PopupWindow());
    ASSERT_NE(s, nullptr);
    EXPECT_TRUE(s->spec.popup);
    EXPECT_TRUE(s->spec.clickThrough) << "the tip takes no clicks";
    Point pointer = At({12, 10});
    EXPECT_EQ(s->spec.rect.left, pointer.x);
    EXPECT_EQ(s->spec.rect.top, pointer.y + 20) << "below the pointer";
    EXPECT_EQ(wm->ActiveTopLevel(), dialog) << "never activated";
    // Drawn like a tooltip: black border, pale yellow inside.
    ASSERT_NE(s->presented, nullptr);
    EXPECT_EQ(s->presented->PixelAt(0, 0), Argb(0xFF000000u));
    EXPECT_EQ(s->presented->PixelAt(2, 2), Argb(0xFFFFFFE1u));

    Wait(4980);  // shown at 500 after the last move, 10 ms ago
    EXPECT_TRUE(tip->IsShown());
    Wait(20);
    EXPECT_FALSE(tip->IsShown());
    Wait(2000);
    EXPECT_FALSE(tip->IsShown()) << "not again while the pointer stays";
    MoveTo(At({300, 300}));  // off the tool for a moment
    Wait(100);
    MoveTo(At({20, 20}));
    Wait(510);
    EXPECT_TRUE(tip->IsShown()) << "again after leaving and coming back";
}

TEST_F(ToolTipTest, HidesOnLeaveAndOnPress) {
    MoveTo(At({10, 10}));
    Wait(510);
    ASSERT_TRUE(tip->IsShown());
    // Off the widget onto the dialog: nobody relays this move; the tooltip
    // sees it by itself.
    MoveTo({kDialogOrigin.x + 300, kDialogOrigin.y + 250});
    Wait(110);
    EXPECT_FALSE(tip->IsShown());

    MoveTo(At({10, 10}));
    Wait(510);
    ASSERT_TRUE(tip->IsShown());
    headless->PressButton(MouseButton::kLeft, At({10, 10}));
    Pump();
    EXPECT_FALSE(tip->IsShown());
    headless->ReleaseButton(MouseButton::kLeft, At({10, 10}));
    Pump();
    Wait(600);
    EXPECT_FALSE(tip->IsShown()) << "a press puts the tip away for this visit";
}

TEST_F(ToolTipTest, RectangleToolsInactiveTipsAndEmptyTexts) {
    tip->RemoveTool(widget, 1);
    tip->AddTool(widget, 2, Rect::FromXywh(0, 0, 34, 40), "TV");
    MoveTo(At({50, 10}));
    Wait(510);
    EXPECT_FALSE(tip->IsShown()) << "outside the tool's rectangle";
    MoveTo(At({20, 10}));
    Wait(510);
    EXPECT_EQ(tip->ShownText(), "TV");

    tip->Activate(false);
    EXPECT_FALSE(tip->IsShown());
    MoveTo(At({21, 10}));
    Wait(510);
    EXPECT_FALSE(tip->IsShown()) << "inactive";
    tip->Activate(true);
    tip->SetToolText(widget, 2, "");
    MoveTo(At({22, 10}));
    Wait(510);
    EXPECT_FALSE(tip->IsShown()) << "no text, no tip";
}

TEST_F(ToolTipTest, StaysInsideTheWorkArea) {
    // A widget at the bottom-right corner of the 1024 x 768 screen.
    wm->Move(dialog, Rect::FromXywh(1024 - 160, 768 - 100, 160, 100));
    tip->SetToolText(widget, 1, "A tip long enough to need some room");
    Point corner{1024 - 160 + 50 + 95, 768 - 100 + 50 + 35};
    MoveTo(corner);
    Wait(510);
    ASSERT_TRUE(tip->IsShown());
    Rect r = headless->State(tip->PopupWindow())->spec.rect;
    EXPECT_LE(r.right, 1024);
    EXPECT_LE(r.bottom, 768);
    EXPECT_LT(r.bottom, corner.y) << "above the pointer when there is no room below";
}

TEST_F(ToolTipTest, ToolWindowThatDiesTakesItsTip) {
    MoveTo(At({10, 10}));
    Wait(510);
    ASSERT_TRUE(tip->IsShown());
    wm->Destroy(widget);
    Wait(110);
    EXPECT_FALSE(tip->IsShown());
    EXPECT_FALSE(tip->AddTool(widget, 3, Rect{}, "gone")) << "a dead window takes no tool";
}

}  // namespace
}  // namespace platform
