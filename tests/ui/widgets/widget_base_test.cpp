// The widget base and its drawing: strip frames read back by the skin
// markers, the colour key (bitmaps only), drawing positions through the
// widget tree, the window a widget makes, pictures that cannot be had, and
// widgets let go while their own handler runs.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/draw/bmp_codec.h"
#include "platform/draw/png_codec.h"
#include "tests/support/TempDir.h"
#include "tests/ui/widgets/widget_test_support.h"
#include "ui/widgets/drawing_functions.h"
#include "ui/widgets/element_fields.h"
#include "ui/widgets/qk_button.h"
#include "ui/widgets/qk_image.h"
#include "ui/widgets/widget_events.h"

namespace widgettest {
namespace {

using appres::SkinMarker;
using platform::Size;
using ui::CQKButton;
using ui::CQKImage;
using ui::CQKin;

TEST(FrameStripTest, FramesAreCutFromTheStripsWidth) {
    struct Row {
        int width, height, frames, index;
        Rect want;
    } rows[] = {
        {288, 23, 4, 0, {0, 0, 72, 23}},
        {288, 23, 4, 3, {216, 0, 288, 23}},
        {288, 23, 4, 4, {0, 0, 72, 23}},  // index past the strip: frame 0
        {52, 13, 2, 3, {0, 0, 26, 13}},   // frame 3 of a 2-frame strip
        {52, 13, 0, 0, {0, 0, 52, 13}},   // no frame count: one frame
        {52, 13, -1, 1, {0, 0, 52, 13}},
        {100, 9, 3, 2, {66, 0, 99, 9}},  // 100 * 2 / 3 truncated, 100 / 3 wide
        {100, 9, 3, -1, {0, 0, 33, 9}},
        {2, 5, 4, 1, {0, 0, 0, 5}},  // narrower than its frames: nothing to draw
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.width << "/" << r.frames << " #" << r.index);
        EXPECT_EQ(ui::FrameSourceRect(r.width, r.height, r.frames, r.index), r.want);
    }
}

class WidgetBaseTest : public WidgetTest {
protected:
    // A skin folder of the test's own: a PNG holding the key colour, a
    // broken PNG and a broken bitmap.
    std::string MakeOwnSkin() {
        std::filesystem::create_directories(dir.Path() / "png");
        std::filesystem::create_directories(dir.Path() / "bmp");
        auto pinkPng = Surface::Create(4, 4);
        pinkPng->Clear(platform::kMagentaKey);
        std::vector<uint8_t> bytes;
        std::string reason;
        EXPECT_TRUE(platform::EncodePng(*pinkPng, &bytes, &reason)) << reason;
        Write("png/7001.png", bytes);
        Write("png/7002.png", {0x89, 'P', 'N', 'G', 1, 2, 3});
        Write("bmp/7003.bmp", {'B', 'M', 0, 0, 0, 0});
        platform::EncodeBmp(*pinkPng, {}, &bytes);
        Write("bmp/7004.bmp", bytes);
        return dir.Path().string();
    }
    void Write(const std::string& name, const std::vector<uint8_t>& bytes) {
        std::ofstream out(dir.Path() / name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }

    testsupport::TempDir dir;
};

// Frames of bitmap and PNG strips drawn at a place of the back buffer carry
// the marker of the frame the table asks for.
TEST_F(WidgetBaseTest, StripFramesDrawTheFrameAskedFor) {
    FakeMainHost& host = Main();
    struct Row {
        const char* name;
        bool png;
        int id, frames, index;
        Size pngSize;
        SkinMarker want;
    } rows[] = {
        {"bitmap frame 0", false, 5021, 4, 0, {}, {5021, 0}},
        {"bitmap frame 1", false, 5021, 4, 1, {}, {5021, 1}},
        {"bitmap frame 2", false, 5021, 4, 2, {}, {5021, 2}},
        {"bitmap frame 4 of 4", false, 5021, 4, 4, {}, {5021, 0}},
        {"two frames, index 3", false, 5242, 2, 3, {}, {5242, 0}},
        {"png frame 3", true, 5171, 4, 3, {448, 23}, {5171, 3}},
        // The strip is cut by the size its creator gave, not the PNG's own.
        {"png cut by its given size", true, 5171, 4, 1, {896, 23}, {5171, 2}},
    };
    int y = 0;
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        auto* image = Add<CQKImage>(&host, 1, Rect::FromXywh(0, y, 10, 10), "", r.frames);
        if (r.png) {
            image->SetPngSize(r.pngSize.width, r.pngSize.height);
            ASSERT_TRUE(image->CreateWidgetWithPng(r.id));
            EXPECT_TRUE(image->PngFlag());
        } else {
            ASSERT_TRUE(image->CreateWidgetWithBitmap(r.id));
        }
        image->DrawFrame(r.frames, *host.BackBuffer(), r.index, platform::kMagentaKey, 0, y);
        EXPECT_EQ(MarkerAt(host, {0, y}), r.want);
        y += 30;
    }
    EXPECT_TRUE(skinLog.empty());
}

TEST_F(WidgetBaseTest, ColourKeyLeavesOutMagentaOfBitmapsOnly) {
    FakeMainHost& host = Main();
    ui::SkinImages own(MakeOwnSkin(), [](const std::string&) {});
    ui::CQKImageDrawing bitmap;
    ASSERT_EQ(bitmap.LoadBitmapResource(&own, 7004), 1);
    ui::CQKImageDrawing png;
    ASSERT_TRUE(png.PngHolder().Load(&own, 7001));
    png.SetPngFlag(true);
    png.SetPngSize(4, 4);

    Surface& back = *host.BackBuffer();
    bitmap.DrawFrame(1, back, 0, platform::kMagentaKey, 0, 0);
    EXPECT_EQ(host.BackPixel({1, 1}), FakeHost::kBackground);
    bitmap.DrawFrameUnkeyed(1, back, 0, 10, 0);
    EXPECT_EQ(host.BackPixel({11, 1}), platform::kMagentaKey);
    png.DrawFrame(1, back, 0, platform::kMagentaKey, 20, 0);
    EXPECT_EQ(host.BackPixel({21, 1}), platform::kMagentaKey);
}

// Stretched skin bitmaps with key pixels (the volume fill, the scroll
// track) show no pink anywhere.
TEST_F(WidgetBaseTest, StretchedBitmapsShowNoKeyColour) {
    FakeMainHost& host = Main();
    for (int id : {5215, 5124}) {
        SCOPED_TRACE(id);
        host.BackBuffer()->Clear(FakeHost::kBackground);
        ui::CQKImageDrawing d;
        ASSERT_EQ(d.LoadBitmapResource(skin.get(), id), 1);
        d.DrawStretched(*host.BackBuffer(), 5, 5, 300, 40);
        int pink = 0;
        for (int y = 0; y < 50; ++y) {
            for (int x = 0; x < 310; ++x) {
                const Argb p = host.BackPixel({x, y});
                pink += p.Red() > 0xC0 && p.Blue() > 0xC0 && p.Green() < 0x60;
            }
        }
        EXPECT_EQ(pink, 0);
    }
}

TEST_F(WidgetBaseTest, DrawingPositionIsTheSumOfEdgesUpToTheTopLevelWidget) {
    FakeMainHost& host = Main();
    auto* top = Add<CQKin>(&host, 1, {100, 50, 400, 300});
    ASSERT_TRUE(top->CreateWidget());
    auto* middle = Add<CQKin>(nullptr, 2, {10, 5, 200, 200});
    middle->SetTopLevel(false);
    middle->SetParent(top);
    middle->SetCreationParent(top);
    ASSERT_TRUE(middle->CreateWidget());
    auto* leaf = Add<CQKin>(nullptr, 3, {3, 2, 20, 20});
    leaf->SetTopLevel(false);
    leaf->SetParent(middle);
    leaf->SetCreationParent(middle);
    ASSERT_TRUE(leaf->CreateWidgetWithBitmap(5120));

    EXPECT_EQ(leaf->DrawingPosition(), (Point{113, 57}));
    EXPECT_EQ(leaf->DrawingHost(), &host);
    leaf->DrawToBackBuffer();
    EXPECT_EQ(MarkerAt(host, {113, 57}), (SkinMarker{5120, 0}));
    // The window lies at the same place of the dialog.
    EXPECT_EQ(wm->ClientToScreen(leaf->Window(), {0, 0}),
              wm->ClientToScreen(host.Window(), {113, 57}));

    // A top-level widget inside the tree ends the sum.
    middle->SetTopLevel(true);
    EXPECT_EQ(leaf->DrawingPosition(), (Point{13, 7}));
}

TEST_F(WidgetBaseTest, WindowIsAChildShownByTheVisibleFlag) {
    FakeMainHost& host = Main();
    auto* shown = Add<CQKImage>(&host, 11, {0, 0, 20, 20}, "", 1, true);
    auto* hidden = Add<CQKImage>(&host, 12, {30, 0, 50, 20}, "", 1, false);
    auto* button = Add<CQKButton>(&host, 13, {60, 0, 80, 20});
    ASSERT_TRUE(shown->CreateWidget());
    ASSERT_TRUE(hidden->CreateWidget());
    ASSERT_TRUE(button->CreateWidget());
    EXPECT_TRUE(wm->IsVisible(shown->Window()));
    EXPECT_FALSE(wm->IsAlive(hidden->Window()) && wm->IsVisible(hidden->Window()));
    EXPECT_TRUE(wm->IsAlive(hidden->Window()));
    EXPECT_EQ(wm->Parent(shown->Window()), host.Window());
    EXPECT_EQ(wm->ControlId(shown->Window()), 11u);
    EXPECT_EQ(wm->ClassName(button->Window()), "CQKButton");
    EXPECT_EQ(CQKin::FromWindow(button->Window()), button);
    // Buttons show the hand, other widgets the arrow.
    MoveTo(*button, {5, 5});
    EXPECT_EQ(headless->State(host.Window())->cursor, platform::CursorShape::kHand);
    MoveTo(*shown, {5, 5});
    EXPECT_EQ(headless->State(host.Window())->cursor, platform::CursorShape::kArrow);
    // A widget with no host has no window to live in.
    auto* orphan = Add<CQKImage>(nullptr, 14, {0, 0, 5, 5});
    EXPECT_FALSE(orphan->CreateWidget());
    EXPECT_EQ(orphan->DrawToBackBuffer(), 0);
}

// A PNG that cannot be decoded leaves the PNG flag clear; the widget is made
// all the same. A bitmap that cannot be decoded leaves no image behind.
TEST_F(WidgetBaseTest, PicturesThatCannotBeHadLeaveNoImage) {
    FakeMainHost& host = Main();
    std::vector<std::string> log;
    ui::SkinImages own(MakeOwnSkin(), [&log](const std::string& line) { log.push_back(line); });
    host.SetSkin(&own);

    auto* image = Add<CQKImage>(&host, 21, {0, 0, 20, 20});
    EXPECT_TRUE(image->CreateWidgetWithPng(7002));
    EXPECT_FALSE(image->PngFlag());
    EXPECT_TRUE(wm->IsAlive(image->Window()));
    EXPECT_FALSE(image->ChangePngImage(7002));

    ui::CQKImageDrawing d;
    ASSERT_EQ(d.LoadBitmapResource(&own, 7004), 1);
    EXPECT_EQ(d.LoadBitmapResource(&own, 7003), 0);
    EXPECT_EQ(d.GetImage(), nullptr);
    EXPECT_EQ(d.LoadBitmapResource(&own, 7999), 0);
    EXPECT_EQ(d.LoadBitmapResource(nullptr, 5120), 0);
    EXPECT_EQ(d.LoadImageFile(&own, ""), 0);
    EXPECT_EQ(log.size(), 3u);  // the broken PNG, the broken bitmap, the missing one
    host.SetSkin(skin.get());

    // The base draws nothing for a PNG alone.
    auto* pngOnly = Add<CQKin>(&host, 22, {40, 0, 60, 20});
    pngOnly->SetPngSize(17, 7);
    ASSERT_TRUE(pngOnly->CreateWidgetWithPng(5117));
    host.BackBuffer()->Clear(FakeHost::kBackground);
    pngOnly->DrawToBackBuffer();
    EXPECT_EQ(host.BackPixel({41, 1}), FakeHost::kBackground);
}

// A record's caption is translated when it is not empty, and its tooltip
// id becomes the string table's text, translated.
TEST_F(WidgetBaseTest, RecordFieldsWithTranslatedCaptionAndTooltip) {
    FakeMainHost& host = Main();
    std::vector<std::string> asked;
    host.translate = [&asked](std::string_view english) {
        asked.emplace_back(english);
        return "<" + std::string(english) + ">";
    };
    struct Row {
        ui::LayoutElement record;
        std::string caption;
        std::string tooltip;
        bool visible;
    } rows[] = {
        {ui::MakeLayoutElement(11, u"B", u"CQKButton", 1, 2, 30, 20, u"BMP", 5120, 1, u"Connect",
                               65228, 1),
         "<Connect>", "<Search Remote Box>", true},
        {ui::MakeLayoutElement(12, u"T", u"CQKText", 1, 2, 30, 20, u"", 0, 0, u"", 0, 0), "", "",
         false},
        {ui::MakeLayoutElement(13, u"T", u"CQKText", 1, 2, 30, 20, u"", 0, 0, u"", 99999, 1), "",
         "", true},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.record.id);
        CQKButton b;
        ui::ApplyLayoutElement(b, r.record, &host);
        EXPECT_EQ(b.ControlId(), r.record.id);
        EXPECT_EQ(b.GetRect(), Rect::FromXywh(1, 2, 30, 20));
        EXPECT_EQ(b.Caption(), r.caption);
        EXPECT_EQ(b.TooltipText(), r.tooltip);
        EXPECT_EQ(b.VisibleFlag(), r.visible);
        EXPECT_EQ(b.FrameCount(), static_cast<int>(r.record.frames));
    }
    // Empty texts and unknown ids are never looked up.
    EXPECT_EQ(asked, (std::vector<std::string>{"Connect", "Search Remote Box"}));
}

// A button whose click makes the dialog let it go: its window goes at once,
// the object after the handler returned.
TEST_F(WidgetBaseTest, WidgetLetGoFromItsOwnClickIsNotTouchedAfterwards) {
    FakeMainHost& host = Main();
    auto* button = Add<CQKButton>(&host, 31, {10, 10, 60, 30});
    ASSERT_TRUE(button->CreateWidgetWithBitmap(5120));
    const WindowId window = button->Window();
    host.onEvent = [&](CQKin& w, uint32_t flags) {
        if (flags == ui::kEventClick && &w == button) {
            widgets.clear();
        }
    };
    ClickOn(*button, {5, 5});
    EXPECT_EQ(host.TakeEvents(), (std::vector<HostEvent>{{31, ui::kEventClick, false}}));
    EXPECT_FALSE(wm->IsAlive(window));
    EXPECT_EQ(CQKin::FromWindow(window), nullptr);
}

}  // namespace
}  // namespace widgettest
