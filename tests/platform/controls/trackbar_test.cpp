// The trackbar: where positions lie as a table, then in a dialog the keys,
// a drag and channel clicks with their positions and notices, and the
// vertical trackbar's minimum at the top.
#include "platform/controls/trackbar.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/controls/control_notices.h"
#include "tests/platform/controls/control_test_support.h"

namespace platform {
namespace {

TEST(TrackbarGeometryTest, PositionsAndPixelsAgree) {
    // The screen-offset dialog's horizontal slider: 264 wide over 0..250.
    TrackbarGeometry h({264, 28}, false, 0, 250);
    struct Row {
        int position;
        int pixel;
    } rows[] = {{0, 7}, {250, 256}, {125, 132}, {-5, 7}, {300, 256}, {1, 8}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.position);
        EXPECT_EQ(h.PixelOf(r.position), r.pixel);
    }
    // 251 positions on 250 pixels: each pixel reads back its position or
    // the neighbour that shares the pixel.
    for (int p = 0; p <= 250; ++p) {
        ASSERT_LE(std::abs(h.PositionAt(h.PixelOf(p)) - p), 1) << p;
    }
    EXPECT_EQ(h.PositionAt(-100), 0);
    EXPECT_EQ(h.PositionAt(1000), 250);
    EXPECT_EQ(h.Ticks(50), (std::vector<int>{7, 57, 107, 156, 206, 256}));
    EXPECT_TRUE(h.Ticks(0).empty());
    Rect thumb = h.Thumb(0);
    EXPECT_EQ(thumb.left + thumb.Width() / 2, 7) << "the thumb's centre marks the position";

    // Vertical: the minimum at the top.
    TrackbarGeometry v({28, 142}, true, 0, 250);
    EXPECT_LT(v.Thumb(0).top, v.Thumb(250).top);
    EXPECT_EQ(v.PositionAt(v.Channel().top), 0);
    EXPECT_EQ(v.PositionAt(v.Channel().bottom), 250);
    TrackbarGeometry flat({264, 28}, false, 7, 7);
    EXPECT_EQ(flat.PositionAt(100), 7) << "an empty range has one position";
}

class TrackbarTest : public ControlTest {
protected:
    void SetUp() override {
        ControlTest::SetUp();
        bar = Make<Trackbar>(181, Rect::FromXywh(33, 185, 264, 28));
        bar->SetRange(0, 250);
        bar->SetTickFrequency(50);
        bar->SetTicks(true);
        bar->SetFocus();
        Pump();
    }
    TrackbarGeometry Geometry(const Trackbar& t) {
        Rect r = t.GetRect();
        return TrackbarGeometry({r.Width(), r.Height()}, t.IsVertical(), t.Minimum(), t.Maximum());
    }

    Trackbar* bar = nullptr;
};

TEST_F(TrackbarTest, KeysMoveByStepsPagesAndEnds) {
    bar->SetPos(100);
    EXPECT_TRUE(TakeNotices().empty()) << "SetPos is silent";
    struct Row {
        Key key;
        int pos;
        std::vector<Notice> notices;
    } rows[] = {
        {Key::kRight, 101, {{181, kTbLineDown, 101}, {181, kTbEndTrack, 101}}},
        {Key::kUp, 100, {{181, kTbLineUp, 100}, {181, kTbEndTrack, 100}}},
        {Key::kPageDown, 150, {{181, kTbPageDown, 150}, {181, kTbEndTrack, 150}}},
        {Key::kPageUp, 100, {{181, kTbPageUp, 100}, {181, kTbEndTrack, 100}}},
        {Key::kEnd, 250, {{181, kTbBottom, 250}, {181, kTbEndTrack, 250}}},
        {Key::kDown, 250, {{181, kTbEndTrack, 250}}},
        {Key::kHome, 0, {{181, kTbTop, 0}, {181, kTbEndTrack, 0}}},
        {Key::kLeft, 0, {{181, kTbEndTrack, 0}}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(static_cast<int>(r.key));
        Press(r.key);
        EXPECT_EQ(bar->Pos(), r.pos);
        EXPECT_EQ(TakeNotices(), r.notices);
    }
}

TEST_F(TrackbarTest, DraggingTheThumbTracksAndEndsWithItsPosition) {
    bar->SetPos(50);
    TrackbarGeometry g = Geometry(*bar);
    Rect thumb = g.Thumb(50);
    Point grab{thumb.left + thumb.Width() / 2, thumb.top + thumb.Height() / 2};
    headless->PressButton(MouseButton::kLeft, ScreenOf(*bar, grab));
    headless->MoveMouse(ScreenOf(*bar, {g.PixelOf(60), grab.y}));
    headless->MoveMouse(ScreenOf(*bar, {g.PixelOf(60), grab.y + 40}));  // off the bar: still ours
    headless->MoveMouse(ScreenOf(*bar, {2000, grab.y}));
    headless->ReleaseButton(MouseButton::kLeft, ScreenOf(*bar, {2000, grab.y}));
    Pump();
    EXPECT_EQ(bar->Pos(), 250);
    EXPECT_EQ(TakeNotices(), (std::vector<Notice>{{181, kTbThumbTrack, 60},
                                                  {181, kTbThumbTrack, 250},
                                                  {181, kTbThumbPosition, 250},
                                                  {181, kTbEndTrack, 250}}));
}

TEST_F(TrackbarTest, ChannelClicksPageAFifthOfTheRangeTowardTheClick) {
    bar->SetPos(100);
    TrackbarGeometry g = Geometry(*bar);
    int y = g.Thumb(100).top + 3;
    ClickOn(*bar, {g.PixelOf(240), y});
    EXPECT_EQ(bar->Pos(), 150);
    ClickOn(*bar, {g.PixelOf(240), y});
    EXPECT_EQ(bar->Pos(), 200);
    ClickOn(*bar, {g.PixelOf(10), y});
    EXPECT_EQ(bar->Pos(), 150);
    EXPECT_EQ(TakeNotices(), (std::vector<Notice>{{181, kTbPageDown, 150},
                                                  {181, kTbEndTrack, 150},
                                                  {181, kTbPageDown, 200},
                                                  {181, kTbEndTrack, 200},
                                                  {181, kTbPageUp, 150},
                                                  {181, kTbEndTrack, 150}}));
    bar->SetRange(0, 3);
    EXPECT_EQ(bar->Pos(), 3) << "pulled into the new range";
    EXPECT_EQ(bar->PageSize(), 1) << "at least one";
}

// The vertical slider of the screen-offset dialog: the top end is the
// minimum, so a click below the thumb moves toward the maximum.
TEST_F(TrackbarTest, VerticalTrackbarHasItsMinimumOnTop) {
    Trackbar* v = Make<Trackbar>(182, Rect::FromXywh(296, 43, 28, 142));
    v->SetVertical(true);
    v->SetRange(0, 250);
    v->SetPos(0);
    TrackbarGeometry g = Geometry(*v);
    Rect top = g.Thumb(0);
    EXPECT_LE(top.top, 3);
    int x = top.left + 3;
    ClickOn(*v, {x, 130});
    EXPECT_EQ(v->Pos(), 50);
    Press(Key::kUp);
    EXPECT_EQ(v->Pos(), 49) << "Up goes toward the top, the minimum";
    // Drawn where the geometry says: the thumb's pixels differ from the channel's.
    Rect b = v->BoundsInTopLevel();
    Rect thumb = g.Thumb(49).Offset(b.left, b.top);
    Argb face = Shown().PixelAt(thumb.left + 5, thumb.top + 4);
    EXPECT_EQ(face, ToArgb(ColorRef::FromRgb(0x00, 0x78, 0xD7))) << "the focused thumb";
}

}  // namespace
}  // namespace platform
