// Image and text widgets: frames shown at once and kept, the hot areas'
// tooltip, caption placement by the format flags, and the texts' events to
// the dialog (the drag handles in dialog coordinates, the main dialog's own
// events nowhere else).
#include <gtest/gtest.h>

#include "platform/controls/tool_tip.h"
#include "tests/ui/widgets/widget_test_support.h"
#include "ui/widgets/qk_image.h"
#include "ui/widgets/qk_text.h"
#include "ui/widgets/widget_events.h"

namespace widgettest {
namespace {

using appres::SkinMarker;
using platform::ColorRef;
using ui::CQKImage;
using ui::CQKText;

// The box around every pixel of `area` that differs from the background.
Rect InkBox(const FakeHost& host, const Rect& area) {
    Rect box{area.right, area.bottom, area.left, area.top};
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            if (host.BackPixel({x, y}) != FakeHost::kBackground) {
                box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1),
                       std::max(box.bottom, y + 1)};
            }
        }
    }
    return box;
}

class ImageTextTest : public WidgetTest {};

TEST_F(ImageTextTest, ShowFrameDrawsAtOnceAndKeepsTheCurrentFrame) {
    FakeMainHost& host = Main();
    auto* image = Add<CQKImage>(&host, 1, Rect::FromXywh(40, 30, 72, 23), "", 4);
    ASSERT_TRUE(image->CreateWidgetWithBitmap(5021));
    image->SetCurrentFrame(2);
    image->DrawToBackBuffer();
    EXPECT_EQ(MarkerAt(host, {40, 30}), (SkinMarker{5021, 2}));

    struct Row {
        int index;
        int shown;
    } rows[] = {{1, 1}, {3, 3}, {5, 0}, {4, 0}, {-1, 0}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.index);
        image->ShowFrame(r.index);
        EXPECT_EQ(MarkerAt(host, {40, 30}), (SkinMarker{5021, r.shown}));
    }
    image->DrawToBackBuffer();
    EXPECT_EQ(MarkerAt(host, {40, 30}), (SkinMarker{5021, 2}));

    // A hidden image draws nothing, neither at once nor on request.
    host.BackBuffer()->Clear(FakeHost::kBackground);
    image->SetVisibleFlag(false);
    image->ShowFrame(1);
    image->DrawToBackBuffer();
    EXPECT_EQ(MarkerAt(host, {40, 30}), std::nullopt);
}

// The TV image shows its tooltip only over its hot area, and only while it
// is shown.
TEST_F(ImageTextTest, HotAreaTooltipShowsOnlyInsideTheAreaOfAShownImage) {
    FakeMainHost& host = Main();
    struct Row {
        const char* name;
        Point at;
        bool visible;
        bool tip;
    } rows[] = {
        {"QKINMAIN_TV_IMAGE", {20, 8}, true, false},
        {"QKINMAIN_TV_IMAGE", {20, 9}, true, true},
        {"QKINMAIN_TV_IMAGE", {20, 29}, true, true},
        {"QKINMAIN_TV_IMAGE", {20, 30}, true, false},
        {"QKINMAIN_TV_IMAGE", {34, 15}, true, false},
        {"QKINMAIN_TV_IMAGE", {20, 9}, false, false},
        {"QKINMAIN_CONNECTION2_IMAGE", {10, 5}, true, false},
        {"QKINMAIN_CONNECTION2_IMAGE", {11, 5}, true, true},
        {"QKINMAIN_OTHER_IMAGE", {20, 9}, true, false},
    };
    int n = 0;
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.name << " " << r.at.x << "," << r.at.y);
        auto* image =
            Add<CQKImage>(&host, 100 + n, Rect::FromXywh(10 + 50 * n, 100, 45, 40), r.name);
        ++n;
        image->SetTooltipText("Receiver");
        ASSERT_TRUE(image->CreateWidget());
        image->SetVisibleFlag(r.visible);  // the window stays shown
        MoveTo(*image, {r.at.x, r.at.y});
        Rest(1);
        EXPECT_EQ(image->IsTooltipShown(), r.tip);
        Rest(platform::ToolTip::kShowDelayMs);
        const platform::ToolTip* tip = image->ToolTipForTest();
        EXPECT_EQ(tip && tip->IsShown(), r.tip);
        if (r.tip) {
            EXPECT_EQ(tip->ShownText(), "Receiver");
        }
        MoveTo(*image, {5, 39});  // out of every hot area
        EXPECT_FALSE(image->IsTooltipShown());
    }
}

TEST_F(ImageTextTest, FormatFlagsPlaceTheCaption) {
    FakeMainHost& host = Main();
    const Rect box = Rect::FromXywh(20, 20, 240, 60);
    struct Row {
        uint8_t flags;
        const char* caption;
        // Expected ink position inside the box: -1 near, 0 centre, 1 far.
        int horizontal;
        int vertical;
        bool oneLine;
    } rows[] = {
        {0x00, "Caption", -1, -1, true},
        {0x01, "Caption", 0, -1, true},
        {0x02, "Caption", 1, -1, true},
        {0x04, "Caption", -1, 0, true},
        {0x08, "Caption", -1, 1, true},
        {0x05, "Caption", 0, 0, true},
        {0x0A, "Caption", 1, 1, true},
        // Long captions wrap at words unless cut with an ellipsis.
        {0x00, "A caption long enough to need more than one line in its box", -1, -1, false},
        {0x20, "A caption long enough to need more than one line in its box", -1, -1, true},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message()
                     << "flags 0x" << std::hex << int(r.flags) << " " << r.caption);
        host.BackBuffer()->Clear(FakeHost::kBackground);
        widgets.clear();
        auto* text = Add<CQKText>(&host, 200, box);
        text->SetTextSize(16);
        text->SetTextColour(ColorRef::FromRgb(0, 0, 0));
        text->SetFormatFlags(r.flags);
        text->SetCaption(r.caption);
        ASSERT_TRUE(text->CreateWidget());
        text->DrawToBackBuffer();
        const Rect ink = InkBox(host, box);
        ASSERT_FALSE(ink.IsEmpty());
        const int left = ink.left - box.left;
        const int right = box.right - ink.right;
        const int top = ink.top - box.top;
        const int bottom = box.bottom - ink.bottom;
        auto place = [](int nearGap, int farGap) {
            return std::abs(nearGap - farGap) <= 3 ? 0 : (nearGap < farGap ? -1 : 1);
        };
        if (std::string_view(r.caption) == "Caption") {
            EXPECT_EQ(place(left, right), r.horizontal) << left << " " << right;
        } else if (r.oneLine) {
            EXPECT_GT(ink.Width(), box.Width() - 20);  // cut at the box's edge
        }
        EXPECT_EQ(place(top, bottom), r.vertical) << top << " " << bottom;
        EXPECT_EQ(ink.Height() <= 20, r.oneLine) << ink.Height();
    }
}

// Texts that move their dialog pass the press on in the dialog's own
// coordinates; a release ends the drag the same way.
TEST_F(ImageTextTest, DragHandlePressReachesTheDialogInItsCoordinates) {
    FakeMainHost& host = Main();
    auto* handle = Add<CQKText>(&host, 10014, Rect::FromXywh(30, 40, 100, 20));
    auto* plain = Add<CQKText>(&host, 555, Rect::FromXywh(30, 80, 100, 20));
    ASSERT_TRUE(handle->CreateWidget());
    ASSERT_TRUE(plain->CreateWidget());
    ClickOn(*handle, {5, 6});
    ClickOn(*plain, {7, 3});
    EXPECT_EQ(host.input, (std::vector<WindowInput>{{MessageKind::kButtonDown, {35, 46}},
                                                    {MessageKind::kButtonUp, {35, 46}},
                                                    {MessageKind::kButtonUp, {37, 83}}}));
    EXPECT_TRUE(ui::IsDragHandleText(30196));
    EXPECT_FALSE(ui::IsDragHandleText(30207));
}

// Text 30221's click and the device-name text's hover and leave are the
// main dialog's: a common dialog gets nothing from them.
TEST_F(ImageTextTest, MainDialogEventsOfTextsReachOnlyAMainHost) {
    for (bool mainDialog : {true, false}) {
        SCOPED_TRACE(mainDialog ? "main" : "common");
        FakeHost& host = mainDialog ? static_cast<FakeHost&>(Main()) : Common();
        auto* link = Add<CQKText>(&host, 30221, Rect::FromXywh(10, 10, 80, 20));
        auto* name = Add<CQKText>(&host, 30207, Rect::FromXywh(10, 50, 80, 20));
        ASSERT_TRUE(link->CreateWidget());
        ASSERT_TRUE(name->CreateWidget());
        ClickOn(*link, {4, 4});
        PressOn(*link, {4, 4});
        ReleaseOn(*name, {4, 4});  // released elsewhere: no click
        MoveTo(*name, {5, 5});
        Rest(1);
        MoveTo(*link, {5, 5});
        const std::vector<HostEvent> want =
            mainDialog ? std::vector<HostEvent>{{30221, ui::kEventTextClick, false},
                                                {30207, ui::kEventHover, false},
                                                {30207, ui::kEventLeave, false}}
                       : std::vector<HostEvent>{};
        EXPECT_EQ(host.TakeEvents(), want);
        EXPECT_TRUE(host.input.empty());
        widgets.clear();
    }
}

}  // namespace
}  // namespace widgettest
