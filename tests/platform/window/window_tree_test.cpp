// Hit testing: which window a click at a screen point finds.
#include <gtest/gtest.h>

#include "tests/platform/window/window_test_support.h"

namespace platform {
namespace {

class HitTestTest : public WindowTest {};

// A dialog at (100, 100) with a background image widget covering it, a
// button widget created later on top of it, a standard control (created
// before the button, but controls lie above widgets), a hidden widget, a
// disabled widget, a round widget restricted by a region, and a row widget
// with a part inside it.
TEST_F(HitTestTest, FindsTheTopmostShownWindowAtEachPoint) {
    RecordingHandler& h = NewHandler();
    WindowId dialog = TopLevel(Rect::FromXywh(100, 100, 300, 200), &h);
    WindowId background = Child(dialog, Rect::FromXywh(0, 0, 300, 200), &h);
    WindowId control = Child(dialog, Rect::FromXywh(10, 10, 50, 20), &h, WindowLayer::kControl);
    WindowId button = Child(dialog, Rect::FromXywh(0, 0, 80, 40), &h);
    WindowId hidden = Child(dialog, Rect::FromXywh(100, 0, 40, 40), &h);
    wm->Show(hidden, false);
    WindowId disabled = Child(dialog, Rect::FromXywh(150, 0, 40, 40), &h);
    wm->Enable(disabled, false);
    WindowId round = Child(dialog, Rect::FromXywh(200, 100, 40, 40), &h);
    wm->SetRegion(round, Region::FromRoundRect({0, 0, 40, 40}, 40, 40));
    WindowId row = Child(dialog, Rect::FromXywh(0, 150, 300, 30), &h);
    WindowId part = Child(row, Rect::FromXywh(250, 5, 20, 20), &h);
    WindowId cut = TopLevel(Rect::FromXywh(500, 100, 100, 100), &h);
    wm->SetRegion(cut, Region::FromRect({0, 0, 50, 100}));

    struct Row {
        const char* what;
        Point screen;
        WindowId expected;
    } rows[] = {
        {"control above a later widget", {115, 115}, control},
        {"later sibling above earlier", {170, 130}, button},
        {"background where nothing else is", {250, 220}, background},
        {"hidden widget is never hit", {210, 110}, background},
        {"disabled widget is passed over", {260, 110}, background},
        {"inside the round region", {320, 220}, round},
        {"corner outside the round region", {301, 201}, background},
        {"part inside its row", {355, 260}, part},
        {"row outside its part", {120, 260}, row},
        {"outside every window", {50, 50}, WindowId{}},
        {"inside a top-level's shape", {520, 150}, cut},
        {"outside a top-level's shape", {570, 150}, WindowId{}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        EXPECT_EQ(wm->WindowAt(r.screen), r.expected);
    }
}

TEST_F(HitTestTest, FrontTopLevelWinsAndClickThroughWindowsAreSkipped) {
    RecordingHandler& h = NewHandler();
    WindowId back = TopLevel(Rect::FromXywh(0, 0, 200, 200), &h);
    WindowId front = TopLevel(Rect::FromXywh(100, 100, 200, 200), &h);
    WindowOptions shadow;
    shadow.rect = Rect::FromXywh(0, 0, 400, 400);
    shadow.clickThrough = true;
    shadow.topmost = true;
    shadow.visible = true;
    ASSERT_TRUE(wm->Create(shadow));
    EXPECT_EQ(wm->ActiveTopLevel(), front) << "a shadow never takes the activation";

    EXPECT_EQ(wm->WindowAt({150, 150}), front);
    wm->Raise(back);
    EXPECT_EQ(wm->WindowAt({150, 150}), back);
    EXPECT_EQ(wm->WindowAt({250, 250}), front);
    EXPECT_EQ(wm->WindowAt({350, 350}), WindowId{});
}

}  // namespace
}  // namespace platform
