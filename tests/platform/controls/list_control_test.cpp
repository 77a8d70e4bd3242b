// The report list: scrolling maths as a table, then the list in a dialog:
// rows and selection bookkeeping, clicks and their notices, keys, the
// wheel and the scroll bar, and row pictures.
#include "platform/controls/list_control.h"

#include <gtest/gtest.h>

#include "platform/controls/control_notices.h"
#include "platform/controls/image_list.h"
#include "platform/controls/scroll_bar.h"
#include "tests/platform/controls/control_test_support.h"

namespace platform {
namespace {

TEST(ScrollMathsTest, ThumbsRowsAndTops) {
    struct Row {
        const char* what;
        ScrollState s;
        int track;
        ThumbSpan thumb;
    } thumbs[] = {
        {"everything in view", {5, 9, 0}, 100, {0, 100}},
        {"top of a long list", {100, 10, 0}, 100, {0, 16}},  // 10 px, raised to the minimum
        {"bottom of a long list", {100, 10, 90}, 100, {84, 16}},
        {"middle", {20, 10, 5}, 100, {25, 50}},
        {"a top beyond the end counts as the end", {20, 10, 50}, 100, {50, 50}},
    };
    for (const Row& r : thumbs) {
        SCOPED_TRACE(r.what);
        EXPECT_EQ(ThumbOf(r.s, r.track), r.thumb);
        // Dragging the thumb to where it is gives its top back.
        EXPECT_EQ(TopForThumb(r.s, r.track, r.thumb.start), ClampTop(r.s, r.s.top));
    }
    ScrollState s{20, 10, 0};
    EXPECT_EQ(TopForThumb(s, 100, -30), 0);
    EXPECT_EQ(TopForThumb(s, 100, 500), 10);

    struct Hit {
        int y, top, expected;
    } hits[] = {{-1, 0, -1}, {0, 0, 0}, {17, 0, 0}, {18, 0, 1}, {18, 5, 6}, {18 * 3, 8, -1}};
    for (const Hit& h : hits) {
        EXPECT_EQ(RowAt(h.y, 18, h.top, 10), h.expected) << "y " << h.y << " top " << h.top;
    }
    ScrollState view{30, 10, 10};
    EXPECT_EQ(TopToShow(view, 5), 5) << "above: scrolls up to it";
    EXPECT_EQ(TopToShow(view, 15), 10) << "in view: stays";
    EXPECT_EQ(TopToShow(view, 25), 16) << "below: the last line of the view";
    EXPECT_EQ(TopToShow(view, -1), 10);
}

class ListTest : public ControlTest {
protected:
    // 300 x 200 with the default font: header 20, rows 18, nine in view.
    static constexpr int kHeader = 20;
    static constexpr int kRow = 18;

    void SetUp() override {
        ControlTest::SetUp();
        list = Make<ListControl>(1009, Rect::FromXywh(20, 20, 300, 200));
        list->InsertColumn(0, "IP Address", 100);
        list->InsertColumn(1, "Device Name", 150);
        for (int i = 0; i < 20; ++i) {
            int row = list->InsertRow(i, "10.0.0." + std::to_string(i));
            list->SetCell(row, 1, "Receiver " + std::to_string(i));
        }
        Pump();
    }

    // A point in the middle of row `i` of the view, column 0.
    Point RowPoint(int i) { return {50, 1 + kHeader + i * kRow + kRow / 2}; }

    ListControl* list = nullptr;
};

TEST_F(ListTest, RowsColumnsAndTheSelectionKeepTogether) {
    EXPECT_EQ(list->RowCount(), 20);
    EXPECT_EQ(list->Cell(3, 1), "Receiver 3");
    EXPECT_EQ(list->Cell(3, 7), "") << "no such column";
    EXPECT_EQ(list->InsertRow(99, "last"), 20) << "clamped to the end";
    list->Select(5);
    list->InsertRow(0, "first");
    EXPECT_EQ(list->Selected(), 6) << "the selection keeps its row";
    list->DeleteRow(2);
    EXPECT_EQ(list->Selected(), 5);
    EXPECT_EQ(list->Cell(5, 0), "10.0.0.5");
    list->DeleteRow(5);
    EXPECT_EQ(list->Selected(), -1) << "the selected row went";
    list->InsertColumn(0, "Signal", 40);
    EXPECT_EQ(list->Cell(0, 1), "first") << "cells move with their columns";
    list->DeleteAllRows();
    EXPECT_EQ(list->RowCount(), 0);
    EXPECT_EQ(list->Selected(), -1);
    EXPECT_TRUE(TakeNotices().empty()) << "the program's changes send nothing";
}

TEST_F(ListTest, ClicksSelectAndTellTheRowOrTheColumn) {
    struct Row {
        const char* what;
        Point at;
        bool dbl;
        int selected;
        std::vector<Notice> notices;
    } rows[] = {
        {"a row", {50, 1 + kHeader + 2 * kRow + 5}, false, 2, {{1009, kNmClick, 2}}},
        {"second column of a row",
         {200, 1 + kHeader + 4 * kRow + 5},
         false,
         4,
         {{1009, kNmClick, 4}}},
        {"double click",
         {50, 1 + kHeader + 3 * kRow + 5},
         true,
         3,
         {{1009, kNmClick, 3}, {1009, kNmDblClk, 3}}},
        {"first header column", {50, 10}, false, 3, {{1009, kLvnColumnClick, 0}}},
        {"second header column", {150, 10}, false, 3, {{1009, kLvnColumnClick, 1}}},
        {"header right of the columns", {280, 10}, false, 3, {}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        clock.Advance(1000);  // no double clicks between rows
        TakeNotices();
        ClickOn(*list, r.at);
        if (r.dbl) {
            ClickOn(*list, r.at);
        }
        EXPECT_EQ(list->Selected(), r.selected);
        EXPECT_EQ(TakeNotices(), r.notices);
    }
    // Below the last row: the selection clears and the click names no row.
    list->DeleteAllRows();
    list->InsertRow(0, "only");
    list->Select(0);
    clock.Advance(1000);
    TakeNotices();
    ClickOn(*list, RowPoint(5));
    EXPECT_EQ(list->Selected(), -1);
    EXPECT_EQ(TakeNotices(), (std::vector<Notice>{{1009, kNmClick, -1}}));
    // A header press let go over another column is no column click.
    headless->PressButton(MouseButton::kLeft, ScreenOf(*list, {50, 10}));
    headless->ReleaseButton(MouseButton::kLeft, ScreenOf(*list, {150, 10}));
    Pump();
    EXPECT_TRUE(TakeNotices().empty());
}

TEST_F(ListTest, KeysMoveTheSelectionAndKeepItInView) {
    list->SetFocus();
    struct Row {
        Key key;
        int selected;
        int top;
    } rows[] = {
        {Key::kDown, 0, 0}, {Key::kDown, 1, 0},   {Key::kPageDown, 10, 2}, {Key::kEnd, 19, 11},
        {Key::kUp, 18, 11}, {Key::kPageUp, 9, 9}, {Key::kHome, 0, 0},      {Key::kUp, 0, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(static_cast<int>(r.key));
        Press(r.key);
        EXPECT_EQ(list->Selected(), r.selected);
        EXPECT_EQ(list->TopRow(), r.top);
    }
    EXPECT_TRUE(TakeNotices().empty());
}

TEST_F(ListTest, WheelAndScrollBarScroll) {
    headless->Wheel(ScreenOf(*list, RowPoint(1)), -2);
    Pump();
    EXPECT_EQ(list->TopRow(), 6) << "three rows a step";
    headless->Wheel(ScreenOf(*list, RowPoint(1)), -5);
    Pump();
    EXPECT_EQ(list->TopRow(), 11) << "no further than the last page";
    headless->Wheel(ScreenOf(*list, RowPoint(1)), 10);
    Pump();
    EXPECT_EQ(list->TopRow(), 0);

    // The bar: 12 wide at the right edge, inside the border.
    int barX = 300 - 1 - 6;
    ClickOn(*list, {barX, 190});
    EXPECT_EQ(list->TopRow(), 9) << "a click below the thumb pages";
    // Dragging the thumb from its middle to the bottom shows the last page.
    ThumbSpan thumb = ThumbOf(ScrollState{20, 9, 9}, 198);
    headless->PressButton(MouseButton::kLeft, ScreenOf(*list, {barX, 1 + thumb.start + 5}));
    headless->MoveMouse(ScreenOf(*list, {barX, 400}));
    headless->ReleaseButton(MouseButton::kLeft, ScreenOf(*list, {barX, 400}));
    Pump();
    EXPECT_EQ(list->TopRow(), 11);
    EXPECT_EQ(list->Selected(), -1) << "the bar selects nothing";
    EXPECT_TRUE(TakeNotices().empty());
}

TEST_F(ListTest, RowsShowTheirPicture) {
    ImageList images;
    for (uint32_t colour : {0xFFCC0000u, 0xFF00CC00u}) {
        auto picture = Surface::Create(16, 16);
        picture->Clear(Argb(colour));
        images.Add(std::make_unique<Image>(std::move(picture), ImageFormat::kDrawn));
    }
    list->SetImageList(&images);
    list->SetRowImage(0, 1);
    list->SetRowImage(1, 0);
    Rect b = list->BoundsInTopLevel();
    // Pictures start 4 pixels into the first column, centred in the row.
    Point first{b.left + 1 + 4 + 8, b.top + 1 + kHeader + kRow / 2};
    EXPECT_EQ(Shown().PixelAt(first.x, first.y), Argb(0xFF00CC00u));
    EXPECT_EQ(Shown().PixelAt(first.x, first.y + kRow), Argb(0xFFCC0000u));
    EXPECT_NE(Shown().PixelAt(first.x, first.y + 2 * kRow), Argb(0xFFCC0000u)) << "no picture";
    list->SetImageList(nullptr);
}

}  // namespace
}  // namespace platform
