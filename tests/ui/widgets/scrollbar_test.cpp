// The scrollbar: its arithmetic as tables (no division by a row count of 0,
// never past the last page), then the widget beside a list: shown only when
// the rows do not fit, its pictures where the thumb is, and the arrows, the
// track and a thumb drag moving the first visible row and telling the dialog.
#include <gtest/gtest.h>

#include "tests/ui/widgets/widget_test_support.h"
#include "ui/widgets/qk_list_view.h"
#include "ui/widgets/qk_scrollbar.h"
#include "ui/widgets/scrollbar_geometry.h"
#include "ui/widgets/widget_events.h"
#include "ui/widgets/widget_layout_tables.h"

namespace ui {
inline void PrintTo(const ThumbSpan& t, std::ostream* out) {
    *out << "{" << t.top << ", " << t.bottom << "}";
}
}  // namespace ui

namespace widgettest {
namespace {

using appres::SkinMarker;
using ui::CQKListView;
using ui::CQKScrollbar;
using ui::ThumbSpan;

TEST(ScrollbarGeometryTest, ThumbForRows) {
    struct Row {
        int height, rows, shown, first;
        ThumbSpan want;
    } rows[] = {
        {130, 10, 4, 3, {45, 85}},  {130, 10, 4, 0, {15, 55}}, {130, 10, 4, 6, {75, 115}},
        {130, 10, 4, 9, {75, 115}},  // past the last page: the last page
        {130, 10, 4, -2, {15, 55}}, {130, 4, 4, 0, {15, 115}}, {130, 0, 4, 0, {15, 115}},
        {130, 1, 4, 3, {15, 115}},  {130, 5, 4, 1, {35, 115}}, {30, 8, 4, 2, {15, 15}},
        {10, 8, 4, 2, {15, -5}},  // a scrollbar shorter than its insets
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message()
                     << "h " << r.height << ", " << r.rows << " rows, first " << r.first);
        EXPECT_EQ(ui::ThumbForRows(r.height, r.rows, r.shown, r.first), r.want);
    }
}

TEST(ScrollbarGeometryTest, ThumbForNoticeAndTheTrack) {
    struct Notice {
        int height, rows, first;
        ThumbSpan want;
    } notices[] = {
        {130, 10, 0, {15, 33}}, {130, 10, 9, {97, 115}}, {130, 10, 3, {39, 57}},
        {130, 1, 0, {15, 33}},  {130, 0, 0, {15, 33}},   {130, 0, 2, {97, 115}},
        {130, 2, 1, {97, 115}},
    };
    for (const Notice& n : notices) {
        SCOPED_TRACE(testing::Message() << n.rows << " rows, first " << n.first);
        EXPECT_EQ(ui::ThumbForNotice(n.height, n.rows, n.first), n.want);
    }
    struct Keep {
        ThumbSpan in;
        ThumbSpan out;
    } keeps[] = {
        {{5, 45}, {15, 55}},
        {{100, 140}, {75, 115}},
        {{20, 60}, {20, 60}},
        {{0, 200}, {15, 115}},
    };
    for (const Keep& k : keeps) {
        SCOPED_TRACE(k.in.top);
        EXPECT_EQ(ui::KeepInTrack(k.in, 130), k.out);
    }
    EXPECT_TRUE(ui::ThumbFillsTrack({15, 115}, 130));
    EXPECT_FALSE(ui::ThumbFillsTrack({16, 115}, 130));
}

TEST(ScrollbarGeometryTest, DragRowsAndPages) {
    struct Drag {
        int movement;
        float perRow;
        int rows;
    } drags[] = {{25, 10, 2},   {9, 10, 1}, {8, 10, 0}, {-9, 10, -1},
                 {-25, 10, -2}, {5, 0, 0},  {5, -3, 0}, {0, 10, 0}};
    for (const Drag& d : drags) {
        SCOPED_TRACE(testing::Message() << d.movement << " / " << d.perRow);
        EXPECT_EQ(ui::DragRows(d.movement, d.perRow), d.rows);
    }
    EXPECT_EQ(ui::LastPage(10, 4), 6);
    EXPECT_EQ(ui::LastPage(3, 4), 0);
    EXPECT_EQ(ui::LastPage(5, 0), 4);
    EXPECT_EQ(ui::ClampFirstVisible(8, 10, 4), 6);
    EXPECT_EQ(ui::ClampFirstVisible(-1, 10, 4), 0);
    EXPECT_FLOAT_EQ(ui::PixelsPerRow(130, 0), 100.0f);
}

class ScrollbarTest : public WidgetTest {
protected:
    static constexpr int kHeight = 130;
    static constexpr uint32_t kBarId = 7000;

    // A list of `rows` device rows with the scrollbar beside it.
    void Build(FakeHost& host, int rows) {
        list = Add<CQKListView>(&host, 5000, Rect::FromXywh(0, 20, 400, 0), "LIST");
        ASSERT_TRUE(list->CreateWidget());
        bar = Add<CQKScrollbar>(&host, kBarId, Rect::FromXywh(420, 20, 21, kHeight), "BAR");
        ASSERT_TRUE(bar->CreateWidget());
        bar->SetList(list->Window());
        list->SetScrollbar(bar->Window());
        ASSERT_TRUE(bar->CreateChildren());
        for (int i = 0; i < rows; ++i) {
            list->AddBlankItem("Device " + std::to_string(i));
        }
        host.AddPainted(list);
        host.AddPainted(bar);
        // The dialog's part: a scroll report moves the list to the scrollbar's row.
        host.onEvent = [this, &host](ui::CQKin& w, uint32_t flags) {
            if (&w == bar && flags == ui::kEventListScrolled) {
                list->SetFirstVisible(bar->FirstVisible());
                host.RepaintAll();
            }
        };
        host.RepaintAll();
    }
    ui::CQKin* Part(uint32_t id) { return bar->Part(id); }

    CQKListView* list = nullptr;
    CQKScrollbar* bar = nullptr;
};

TEST_F(ScrollbarTest, ShownOnlyWhenTheRowsDoNotFit) {
    FakeMainHost& host = Main();
    Build(host, 0);
    for (int rows = 0; rows <= 6; ++rows) {
        SCOPED_TRACE(rows);
        host.RepaintAll();
        const bool shown = rows > 4;
        EXPECT_EQ(bar->VisibleFlag(), shown);
        EXPECT_EQ(wm->IsVisible(bar->Window()), shown);
        EXPECT_EQ(bar->OnChildEvent(ui::kChildClicked, Part(ui::kScrollbarButtonDownId)),
                  shown ? 0 : -1);
        bar->SetFirstVisible(0);
        list->AddBlankItem("D");
    }
}

// The pictures lie where the thumb is: its caps at its ends, the arrows at
// the track's ends (the down arrow drawn 7 pixels higher).
TEST_F(ScrollbarTest, PicturesLieWhereTheThumbIs) {
    FakeMainHost& host = Main();
    Build(host, 10);
    list->SetFirstVisible(3);
    bar->SetFirstVisible(3);
    host.RepaintAll();
    EXPECT_EQ(bar->Thumb(), (ThumbSpan{45, 85}));
    EXPECT_EQ(MarkerAt(host, {420, 20 + 45}), (SkinMarker{5117, 0}));
    EXPECT_EQ(MarkerAt(host, {420, 20 + 85 - 9}), (SkinMarker{5119, 0}));
    EXPECT_EQ(MarkerAt(host, {420, 20}), (SkinMarker{5121, 0}));
    EXPECT_EQ(MarkerAt(host, {420, 20 + kHeight - 17 - 7}), (SkinMarker{5120, 0}));
    EXPECT_EQ(Part(ui::kScrollbarButtonDownId)->GetRect(), (Rect{0, kHeight - 17, 17, kHeight}));
    EXPECT_EQ(Part(ui::kScrollbarThumbTopId)->GetRect(), (Rect{0, 45, 17, 52}));
}

TEST_F(ScrollbarTest, ArrowsMoveOneRowAndTellTheDialog) {
    FakeMainHost& host = Main();
    Build(host, 6);
    ui::CQKin* down = Part(ui::kScrollbarButtonDownId);
    ui::CQKin* up = Part(ui::kScrollbarButtonUpId);
    const HostEvent scrolled{kBarId, ui::kEventListScrolled, true};
    struct Step {
        bool down;
        int first;
        bool told;
    } steps[] = {{true, 1, true},  {true, 2, true},  {true, 2, false},
                 {false, 1, true}, {false, 0, true}, {false, 0, false}};
    for (const Step& s : steps) {
        SCOPED_TRACE(testing::Message() << (s.down ? "down to " : "up to ") << s.first);
        ClickOn(*(s.down ? down : up), {8, 8});
        EXPECT_EQ(bar->FirstVisible(), s.first);
        EXPECT_EQ(list->FirstVisible(), s.first);
        EXPECT_EQ(host.TakeEvents(),
                  s.told ? std::vector<HostEvent>{scrolled} : std::vector<HostEvent>{});
    }
}

TEST_F(ScrollbarTest, CommonDialogGetsTheScrollReportAsAClick) {
    FakeCommonHost& host = Common();
    Build(host, 6);
    ClickOn(*Part(ui::kScrollbarButtonDownId), {8, 8});
    EXPECT_EQ(host.TakeEvents(), (std::vector<HostEvent>{{kBarId, ui::kEventListScrolled, false}}));
    list->OnScrollNotify(ui::kEventListScrolled, bar);
    EXPECT_EQ(host.TakeEvents(), (std::vector<HostEvent>{{5000, ui::kEventListScrolled, false}}));
}

TEST_F(ScrollbarTest, TrackPressesPageOneRowTowardsThePress) {
    FakeMainHost& host = Main();
    Build(host, 10);  // thumb 15..55 at the top
    struct Step {
        int y;
        int first;
    } steps[] = {{100, 1}, {100, 2}, {20, 1}, {10, 1}, {118, 1}, {40, 1}};
    for (const Step& s : steps) {
        SCOPED_TRACE(s.y);
        const ThumbSpan thumb = bar->Thumb();
        const bool onThumb = thumb.top < s.y && s.y < thumb.bottom;
        ClickOn(*bar, {19, s.y});  // beside the thumb pictures, on the track
        if (!onThumb) {
            EXPECT_EQ(bar->FirstVisible(), s.first);
        }
        EXPECT_EQ(list->FirstVisible(), bar->FirstVisible());
    }
}

// A thumb drag moves the rows with the pointer; the thumb's pictures take
// no input of their own. Held beyond the track's end it settles on the last
// page; after the release the drag timer is gone.
TEST_F(ScrollbarTest, ThumbDragFollowsThePointerAndSettlesAtTheEnds) {
    FakeMainHost& host = Main();
    Build(host, 10);         // 10 pixels a row, thumb 15..55
    PressOn(*bar, {5, 30});  // on the thumb's body picture
    EXPECT_EQ(wm->Capture(), bar->Window());
    MoveTo(*bar, {5, 41});
    EXPECT_EQ(bar->FirstVisible(), 1);
    EXPECT_EQ(bar->Thumb(), (ThumbSpan{26, 66}));
    MoveTo(*bar, {5, 60});
    EXPECT_EQ(bar->FirstVisible(), 3);
    EXPECT_EQ(list->FirstVisible(), 3);
    MoveTo(*bar, {5, 200});  // far below the track
    Rest(ui::CQKScrollbar::kDragTimerMs);
    EXPECT_EQ(bar->FirstVisible(), 6);
    EXPECT_EQ(bar->Thumb(), (ThumbSpan{75, 115}));
    MoveTo(*bar, {5, -100});  // far above it
    Rest(ui::CQKScrollbar::kDragTimerMs);
    EXPECT_EQ(bar->FirstVisible(), 0);
    ReleaseOn(*bar, {5, -100});
    EXPECT_NE(wm->Capture(), bar->Window());
    EXPECT_EQ(bar->Thumb(), (ThumbSpan{15, 55}));
    // Once released nothing moves the rows any more.
    host.TakeEvents();
    bar->SetFirstVisible(2);
    Rest(200);
    EXPECT_EQ(bar->FirstVisible(), 2);
    EXPECT_TRUE(host.TakeEvents().empty());
}

}  // namespace
}  // namespace widgettest
