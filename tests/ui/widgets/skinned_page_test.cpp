// A main dialog's page made of skinned widgets as a person sees it: the
// four-tile background, title buttons, a caption, a receiver list with its
// scrollbar and buttons. The presented surface is kept as the artefact
// skinned_widgets_main.png; the test checks what lies where.
#include <gtest/gtest.h>

#include "tests/platform/window/test_artifacts.h"
#include "tests/ui/widgets/widget_test_support.h"
#include "ui/widgets/qk_button.h"
#include "ui/widgets/qk_image.h"
#include "ui/widgets/qk_list_view.h"
#include "ui/widgets/qk_login_item.h"
#include "ui/widgets/qk_scrollbar.h"
#include "ui/widgets/qk_text.h"
#include "ui/widgets/widget_layout_tables.h"

namespace widgettest {
namespace {

using appres::SkinMarker;
using ui::CQKButton;
using ui::CQKImage;

class SkinnedPageTest : public WidgetTest {
protected:
    void TearDown() override {
        widgets.clear();
        clients.clear();
        WidgetTest::TearDown();
    }

    // Makes the widget's window with PNG resource `id` cut by `strip`, or
    // with bitmap `id` when `strip` is empty, and has the page draw it.
    void Create(ui::CQKin& w, int id, platform::Size strip) {
        if (strip.width > 0) {
            w.SetPngSize(strip.width, strip.height);
            EXPECT_TRUE(w.CreateWidgetWithPng(id));
        } else {
            EXPECT_TRUE(w.CreateWidgetWithBitmap(id));
        }
        mainHost->AddPainted(&w);
    }
    void Picture(int id, Rect rect) { Create(*Add<CQKImage>(mainHost.get(), 0, rect), id, {}); }
    CQKButton* Button(uint32_t id, int resource, Rect rect, int frames, platform::Size strip,
                      std::string caption = "") {
        auto* b = Add<CQKButton>(mainHost.get(), id, rect, "BUTTON", frames);
        b->SetCaption(std::move(caption));
        b->SetFontFamily("DejaVu Sans");
        b->SetTextSize(12);
        Create(*b, resource, strip);
        return b;
    }

    std::vector<std::unique_ptr<FakeReceiverClient>> clients;
};

TEST_F(SkinnedPageTest, MainPageWithReceiverListIsPresentedAsDrawn) {
    FakeMainHost& host = Main();
    Picture(5206, {0, 0, 526, 400});
    Picture(5237, {0, 250, 526, 358});
    Button(20, 5234, Rect::FromXywh(440, 3, 25, 25), 2, {50, 25});
    Button(21, 5232, Rect::FromXywh(467, 3, 25, 25), 2, {50, 25});
    Button(22, 5178, Rect::FromXywh(494, 3, 25, 25), 2, {50, 25});
    auto* title = Add<ui::CQKText>(&host, 10014, Rect::FromXywh(12, 3, 200, 25), "TITLE");
    title->SetCaption("Pemu");
    title->SetFontFamily("DejaVu Sans");
    title->SetTextSize(16);
    title->SetFormatFlags(ui::kTextVCenter);
    title->SetTextColour(platform::ColorRef::FromRgb(0xFF, 0xFF, 0xFF));
    ASSERT_TRUE(title->CreateWidget());
    host.AddPainted(title);

    auto* list = Add<ui::CQKListView>(&host, 5000, Rect::FromXywh(20, 262, 316, 0), "LIST");
    list->SetFontFamily("DejaVu Sans");
    ASSERT_TRUE(list->CreateWidget());
    host.list = list;
    auto* bar = Add<ui::CQKScrollbar>(&host, 7000, Rect::FromXywh(338, 262, 21, 80), "BAR");
    ASSERT_TRUE(bar->CreateWidget());
    bar->SetList(list->Window());
    list->SetScrollbar(bar->Window());
    ASSERT_TRUE(bar->CreateChildren());
    const char* names[] = {"Meeting room",  "Board room", "Lobby screen", "Lab projector",
                           "Training room", "Cafeteria",  "Reception"};
    for (int i = 0; i < 7; ++i) {
        clients.push_back(std::make_unique<FakeReceiverClient>());
        clients.back()->status = i == 1 ? kVrxIdle : kVrxDisconnected;
        list->AddLoginItem(clients.back().get(), 0x0A01A8C0u + (static_cast<uint32_t>(i) << 24),
                           names[i]);
    }
    list->RefreshLoginStates();
    list->SetSelection(1);
    host.AddPainted(list);
    host.AddPainted(bar);

    CQKButton* connect =
        Button(30, 5162, Rect::FromXywh(380, 270, 72, 23), 4, {288, 23}, "Connect");
    Button(31, 5159, Rect::FromXywh(460, 270, 27, 21), 4, {108, 21});
    CQKButton* search = Button(30127, 0, Rect::FromXywh(380, 305, 107, 23), 1, {}, "Search");
    search->SetTextColour(Argb(0xFF1A6BBCu));
    host.RepaintAll();
    MoveTo(*connect, {10, 10});
    Rest(1);  // the pointer rests on Connect: its hover look
    ClickOn(*bar->Part(ui::kScrollbarButtonDownId), {8, 8});
    ASSERT_EQ(list->FirstVisible(), 0);  // the page's own redraw comes next
    list->SetFirstVisible(bar->FirstVisible());
    host.RepaintAll();
    MoveTo(*connect, {10, 10});
    Rest(1);

    const Surface& shown = *headless->State(host.Window())->presented;
    EXPECT_TRUE(platform::SaveArtifact(shown, "skinned_widgets_main.png"));
    // What the screen shows is what the widgets drew.
    for (Point p :
         {Point{5, 5}, Point{100, 200}, Point{25, 270}, Point{345, 300}, Point{400, 280}}) {
        EXPECT_EQ(shown.PixelAt(p.x, p.y), host.BackPixel(p)) << p.x << "," << p.y;
    }
    EXPECT_EQ(appres::ReadSkinMarker(shown.PixelAt(1, 1)), (SkinMarker{5206, 0}));
    EXPECT_EQ(appres::ReadSkinMarker(shown.PixelAt(441, 4)), (SkinMarker{5234, 0}));
    EXPECT_EQ(appres::ReadSkinMarker(shown.PixelAt(381, 271)), (SkinMarker{5162, 1}));
    EXPECT_EQ(appres::ReadSkinMarker(shown.PixelAt(461, 271)), (SkinMarker{5159, 0}));
    // Rows 1 to 4 are shown; row 1 is the selection.
    EXPECT_EQ(list->FirstVisible(), 1);
    EXPECT_EQ(appres::ReadSkinMarker(shown.PixelAt(21, 263)), (SkinMarker{5110, 0}));
    EXPECT_EQ(appres::ReadSkinMarker(shown.PixelAt(21, 283)), (SkinMarker{5111, 0}));
    EXPECT_EQ(appres::ReadSkinMarker(shown.PixelAt(21, 303)), (SkinMarker{5112, 0}));
    EXPECT_EQ(appres::ReadSkinMarker(shown.PixelAt(339, 263)), (SkinMarker{5121, 0}));
    EXPECT_EQ(shown.PixelAt(400, 310), Argb(0xFFFFFFFFu));
}

}  // namespace
}  // namespace widgettest
