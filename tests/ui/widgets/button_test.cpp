// Buttons: the states a pointer walks them through (read by the frame each
// state draws), frames by strip, the flat buttons' pixels, the slider knobs'
// values, the main dialog's own presses, and the language menu that a press
// closes unless it is one of its entries.
#include <gtest/gtest.h>

#include "platform/controls/static_control.h"
#include "tests/ui/widgets/widget_test_support.h"
#include "ui/widgets/button_look.h"
#include "ui/widgets/language_menu_hook.h"
#include "ui/widgets/qk_button.h"
#include "ui/widgets/widget_events.h"

namespace widgettest {
namespace {

using appres::SkinMarker;
using ui::CQKButton;

class ButtonTest : public WidgetTest {
protected:
    // A 4-frame "plus" button (strip 108 x 21, 27 pixels a frame) at (50, 50).
    CQKButton* PlusButton(FakeHost& host, uint32_t id = 500) {
        auto* b = Add<CQKButton>(&host, id, Rect::FromXywh(50, 50, 27, 21), "PLUS", 4);
        EXPECT_TRUE(b->CreateWidgetWithBitmap(5019));
        b->DrawToBackBuffer();
        return b;
    }
    std::optional<int> FrameShown(const FakeHost& host) {
        std::optional<SkinMarker> m = MarkerAt(host, {50, 50});
        return m ? std::optional<int>(m->frame) : std::nullopt;
    }
};

TEST(ButtonLookTest, FrameByStripAndState) {
    struct Row {
        int frames, state, fixed;
        bool speedy;
        int frame;
    } rows[] = {
        {4, 0, 0, false, 0}, {4, 1, 0, false, 1}, {4, 2, 0, false, 2}, {4, 3, 0, false, 3},
        {4, 4, 0, false, 3}, {4, 2, 0, true, 0},  {2, 0, 0, false, 0}, {2, 1, 0, false, 1},
        {2, 2, 0, false, 1}, {2, 3, 0, false, 0}, {2, 0, 2, false, 1}, {2, 3, 2, false, 1},
        {2, 1, 1, false, 0}, {1, 2, 0, false, 0}, {0, 1, 0, false, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.frames << " frames, state " << r.state << ", fixed "
                                        << r.fixed << (r.speedy ? ", speed switch" : ""));
        EXPECT_EQ(ui::ButtonFrame(r.frames, r.state, r.fixed, r.speedy), r.frame);
    }
}

TEST_F(ButtonTest, PointerWalksTheStatesAndClicksOnlyOnAReleaseInside) {
    FakeMainHost& host = Main();
    CQKButton* b = PlusButton(host);
    struct Step {
        const char* what;
        std::function<void()> act;
        int state;
        int frame;
        bool captured;
        int clicks;
    };
    const Point in{10, 10};
    const Point out{60, 10};
    std::vector<Step> steps = {
        {"hover", [&] { MoveTo(*b, in), Rest(1); }, 1, 1, false, 0},
        {"press", [&] { PressOn(*b, in); }, 2, 2, true, 0},
        {"release inside", [&] { ReleaseOn(*b, in); }, 0, 0, false, 1},
        {"press again", [&] { PressOn(*b, in); }, 2, 2, true, 0},
        {"release outside", [&] { ReleaseOn(*b, out); }, 2, 2, false, 0},
        {"back over it", [&] { MoveTo(*b, in), Rest(1); }, 2, 2, false, 0},
        {"leave", [&] { MoveTo(*b, out); }, 0, 0, false, 0},
        {"made inactive", [&] { b->SetState(ui::kButtonInactive); }, 3, 3, false, 0},
        {"inactive hover", [&] { MoveTo(*b, in), Rest(1); }, 3, 3, false, 0},
        {"inactive click", [&] { ClickOn(*b, in); }, 3, 3, false, 0},
        {"inactive leave", [&] { MoveTo(*b, out); }, 3, 3, false, 0},
        {"state 4", [&] { b->SetState(ui::kButtonInactiveAlt); }, 3, 3, false, 0},
        {"disabled", [&] { b->SetDisabled(true), b->SetState(ui::kButtonNormal); }, 0, 0, false, 0},
        {"disabled hover", [&] { MoveTo(*b, in), Rest(1); }, 0, 0, false, 0},
        {"disabled press", [&] { PressOn(*b, in); }, 0, 0, false, 0},
        {"disabled release", [&] { ReleaseOn(*b, in); }, 0, 0, false, 0},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        s.act();
        EXPECT_EQ(b->State(), s.state);
        EXPECT_EQ(FrameShown(host), s.frame);
        EXPECT_EQ(wm->Capture() == b->Window(), s.captured);
        const std::vector<HostEvent> events = host.TakeEvents();
        EXPECT_EQ(static_cast<int>(events.size()), s.clicks);
        for (const HostEvent& e : events) {
            EXPECT_EQ(e, (HostEvent{500, ui::kEventClick, false}));
        }
    }
    // What was drawn reached the screen at the button's place.
    const platform::HeadlessBackend::TopLevelState* shown = headless->State(host.Window());
    ASSERT_TRUE(shown && shown->presented);
    EXPECT_EQ(appres::ReadSkinMarker(shown->presented->PixelAt(51, 51)), (SkinMarker{5019, 0}));
}

// A standard control lying over a button stays on the screen when the
// button copies itself there: the copies go through the dialog's controls.
TEST_F(ButtonTest, RedrawKeepsAControlLyingOverTheButton) {
    FakeMainHost& host = Main();
    CQKButton* b = PlusButton(host);
    platform::ControlOptions o;
    o.id = 900;
    o.rect = Rect::FromXywh(60, 55, 30, 12);
    auto* label = host.Controls()->Add(std::make_unique<platform::Static>(), o);
    ASSERT_NE(label, nullptr);
    Pump();
    const Surface& screen = *headless->State(host.Window())->presented;
    const Argb labelPixel = screen.PixelAt(75, 60);
    host.blits.clear();
    b->SetState(ui::kButtonHover);
    EXPECT_EQ(host.blits, (std::vector<Rect>{Rect::FromXywh(50, 50, 27, 21)}));
    EXPECT_EQ(appres::ReadSkinMarker(screen.PixelAt(51, 51)), (SkinMarker{5019, 1}));
    EXPECT_EQ(screen.PixelAt(75, 60), labelPixel);
}

TEST_F(ButtonTest, FlatButtonsAreFilledAndOutlined) {
    FakeMainHost& host = Main();
    host.firstChoice = 1;
    host.secondChoice = 0;
    const Argb white{0xFFFFFFFFu};
    const Argb blue{0xFF1A6BBCu};
    struct Row {
        uint32_t id;
        int frames;
        int state;
        Argb fill;
        std::optional<Argb> outline;
    } rows[] = {
        {30127, 1, 0, white, Argb(0xFF959595u)},
        {10203, 1, 0, Argb(0xFF0073A9u), Argb(0xFFE6E6E6u)},
        {20230, 1, 0, white, std::nullopt},
        {30155, 1, 0, white, Argb(0xFFAEAEAEu)},  // first choice is 1
        {30156, 1, 0, blue, Argb(0xFFAEAEAEu)},
        {30157, 1, 0, blue, Argb(0xFFAEAEAEu)},  // second choice is 0
        {30127, 2, 0, white, blue},
        {30127, 2, 1, Argb(0xFF0073A9u), blue},
        {30198, 2, 2, Argb(0xFF9A9A9Au), Argb(0xFFCBCBCBu)},
        {20240, 1, 0, white, white},  // a language entry: white under its text
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.id << " " << r.frames << " frames, state " << r.state);
        host.BackBuffer()->Clear(FakeHost::kBackground);
        widgets.clear();
        auto* b = Add<CQKButton>(&host, r.id, Rect::FromXywh(100, 100, 60, 20), "", r.frames);
        ASSERT_TRUE(b->CreateWidgetWithBitmap(r.frames == 2 ? 5176 : 0));
        b->StoreState(r.state);
        b->DrawToBackBuffer();
        EXPECT_EQ(host.BackPixel({130, 110}), r.fill);
        EXPECT_EQ(host.BackPixel({100, 100}), r.outline.value_or(r.fill));
        EXPECT_EQ(host.BackPixel({99, 99}), FakeHost::kBackground);
    }
}

TEST(ButtonLookTest, CaptionColours) {
    using ui::ButtonTextInput;
    const Argb black{0xFF000000u};
    struct Row {
        const char* what;
        ButtonTextInput in;
        Argb colour;
    } rows[] = {
        {"plain", {.id = 1}, black},
        {"inactive", {.id = 1, .state = 3}, Argb(0xFF7D7D7Du)},
        {"inactive profile connect",
         {.id = 1, .name = "PROFILE_CONNECT_BUTTON", .state = 3},
         black},
        {"highlighted 10300", {.id = 10300, .highlight = true}, Argb(0xFF005A91u)},
        {"flat blue strip, hover", {.id = 30091, .frames = 2, .state = 1}, Argb(0xFFFFFFFFu)},
        {"flat blue strip, normal", {.id = 30091, .frames = 2}, Argb(0xFF1A6BBCu)},
        {"flat grey strip", {.id = 30199, .frames = 2}, Argb(0xFF9A9A9Au)},
        {"chosen", {.id = 30158, .secondChoice = 1}, Argb(0xFFFFFFFFu)},
        {"not chosen", {.id = 30158, .secondChoice = 0}, Argb(0xFF909090u)},
        {"language entry", {.id = 20236, .state = 3}, Argb(0xFF1A6BBCu)},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        EXPECT_EQ(ui::ButtonTextColour(r.in), r.colour);
    }
}

// Dragging a knob hands its place to the dialog as a value in the knob's
// range; releasing the speed switch snaps it.
TEST_F(ButtonTest, KnobsPassTheirValuesInTheirRanges) {
    FakeMainHost& main = Main();
    FakeCommonHost& common = Common();
    auto drag = [&](CQKButton* knob, int dx) {
        PressOn(*knob, {2, 2});
        MoveTo(*knob, {2 + dx, 2});
    };

    auto* volume =
        Add<CQKButton>(&main, 1, Rect::FromXywh(230, 20, 10, 10), "VIDEOITEM_VOLUME_BALL");
    ASSERT_TRUE(volume->CreateWidget());
    drag(volume, -500);
    EXPECT_EQ(main.volume, 0);
    MoveTo(*volume, {2 + 500, 2});
    EXPECT_EQ(main.volume, 48);
    ReleaseOn(*volume, {2, 2});
    EXPECT_EQ(main.volume, 240 - 218);  // from the knob's right edge where the dialog left it

    auto* timer = Add<CQKButton>(&main, 2, Rect::FromXywh(100, 60, 10, 10), "VIDEOITEM_TIMER_BALL");
    ASSERT_TRUE(timer->CreateWidget());
    main.hooks.clear();
    drag(timer, -500);
    MoveTo(*timer, {2 + 500, 2});
    ReleaseOn(*timer, {2, 2});
    EXPECT_EQ(main.hooks, (std::vector<std::pair<std::string, int>>{{"KillMediaPositionTimer", 168},
                                                                    {"OnMediaPositionMoved", 0},
                                                                    {"KillMediaPositionTimer", 168},
                                                                    {"OnMediaPositionMoved", 199},
                                                                    {"SeekMediaFile", 110 - 57}}));

    main.TakeEvents();  // the knobs' own clicks
    struct Snap {
        int left;
        int position;
    } snaps[] = {{154 + 15, 21}, {154 + 5, 0}, {154 + 11, 21}, {154 + 21, 21}, {154 + 10, 0}};
    for (const Snap& s : snaps) {
        SCOPED_TRACE(s.left);
        auto* speedy =
            Add<CQKButton>(&main, 3, Rect::FromXywh(s.left, 100, 10, 10), "QKINMAIN_SPEEDY_BUTTON");
        ASSERT_TRUE(speedy->CreateWidget());
        main.hooks.clear();
        PressOn(*speedy, {2, 2});
        ReleaseOn(*speedy, {40, 40});  // the switch snaps wherever it is let go
        EXPECT_EQ(main.hooks.back(), (std::pair<std::string, int>{"DrawSpeedyImage", s.position}));
        EXPECT_EQ(main.TakeEvents(), (std::vector<HostEvent>{{3, ui::kEventClick, false}}));
        main.speedLocked = true;
        main.hooks.clear();
        PressOn(*speedy, {2, 2});
        EXPECT_NE(wm->Capture(), speedy->Window());
        main.speedLocked = false;
    }

    auto* handle = Add<CQKButton>(&common, 4, Rect::FromXywh(100, 20, 10, 10), "VOL_HANDLE_BUTTON");
    ASSERT_TRUE(handle->CreateWidget());
    drag(handle, -500);
    EXPECT_EQ(common.volume, 0);
    MoveTo(*handle, {2 + 500, 2});
    EXPECT_EQ(common.volume, 138);
    ReleaseOn(*handle, {2, 2});
    EXPECT_EQ(common.volume, 138);

    auto* bar = Add<CQKButton>(&common, 5, Rect::FromXywh(60, 60, 170, 10), "VOL_SLIDER_IMAGE");
    ASSERT_TRUE(bar->CreateWidget());
    struct BarRow {
        int x;
        int value;
    } bars[] = {{0, 0}, {6, 0}, {7, 1}, {163, 157}, {169, 157}};
    for (const BarRow& r : bars) {
        SCOPED_TRACE(r.x);
        ClickOn(*bar, {r.x, 5});
        EXPECT_EQ(common.volume, r.value);
    }
    EXPECT_TRUE(common.TakeEvents().empty());  // the bar reports no click
}

// The login-key button, the full-screen button and the menu tiles talk to
// the main dialog only.
TEST_F(ButtonTest, MainDialogPressesAndTiles) {
    FakeMainHost& host = Main();
    auto* key = Add<CQKButton>(&host, 10274, Rect::FromXywh(20, 20, 30, 20), "KEY");
    auto* full = Add<CQKButton>(&host, 600, Rect::FromXywh(60, 20, 30, 20),
                                "QKINMAIN_PRESENTATON_PLAYFUL_BUTTON");
    auto* play1 = Add<CQKButton>(&host, 601, Rect::FromXywh(100, 20, 30, 20),
                                 "QKINMAIN_PRESENTATON_PLAY1_BUTTON");
    auto* tile = Add<CQKButton>(&host, 602, Rect::FromXywh(140, 20, 30, 20),
                                "QKINMAIN_CONNECT_TO_TV_MAINMENUBG2_BUTTON");
    for (CQKButton* b : {key, full, play1, tile}) {
        ASSERT_TRUE(b->CreateWidget());
    }
    host.loginCode = "6049";  // the default code: the key button does not react to hover
    MoveTo(*key, {5, 5});
    Rest(1);
    EXPECT_EQ(key->State(), 0);
    host.loginCode = "1234";
    MoveTo(*full, {5, 5});
    MoveTo(*key, {5, 5});
    Rest(1);
    EXPECT_EQ(key->State(), 1);
    host.TakeEvents();

    PressOn(*key, {3, 4});
    EXPECT_EQ(host.input, (std::vector<WindowInput>{{MessageKind::kButtonDown, {23, 24}}}));
    ReleaseOn(*key, {3, 4});
    PressOn(*full, {3, 4});
    ReleaseOn(*full, {3, 4});
    PressOn(*play1, {3, 4});  // the play buttons take no press
    ReleaseOn(*play1, {3, 4});
    EXPECT_EQ(host.TakeEvents(), (std::vector<HostEvent>{{10274, ui::kEventPressLoginKey, false},
                                                         {10274, ui::kEventClick, false},
                                                         {600, ui::kEventPress, false},
                                                         {600, ui::kEventClick, false}}));

    MoveTo(*tile, {5, 5});
    Rest(1);
    MoveTo(*play1, {5, 5});
    host.menuLocked = true;
    MoveTo(*tile, {5, 5});
    Rest(1);
    EXPECT_EQ(host.TakeEvents(), (std::vector<HostEvent>{{602, ui::kEventHover, false},
                                                         {602, ui::kEventLeave, false}}));
}

TEST_F(ButtonTest, MainDialogPressesGoNowhereInACommonDialog) {
    FakeCommonHost& host = Common();
    auto* key = Add<CQKButton>(&host, 10274, Rect::FromXywh(20, 20, 30, 20), "KEY");
    auto* full = Add<CQKButton>(&host, 600, Rect::FromXywh(60, 20, 30, 20),
                                "QKINMAIN_PRESENTATON_PLAYFUL_BUTTON");
    ASSERT_TRUE(key->CreateWidget());
    ASSERT_TRUE(full->CreateWidget());
    ClickOn(*key, {3, 4});
    ClickOn(*full, {3, 4});
    // Only the clicks reach the common dialog's dispatcher; the key's press
    // still reaches the dialog's window.
    EXPECT_EQ(host.TakeEvents(), (std::vector<HostEvent>{{10274, ui::kEventClick, false},
                                                         {600, ui::kEventClick, false}}));
    EXPECT_EQ(host.input, (std::vector<WindowInput>{{MessageKind::kButtonDown, {23, 24}}}));
}

// A press on any button but the language entries closes the open language
// menu, found by the window it registered.
TEST_F(ButtonTest, LanguageEntriesKeepTheMenuOpen) {
    FakeCommonHost& host = Common();
    platform::RecordingHandler& menuHandler = NewHandler();
    const WindowId menu = TopLevel(Rect::FromXywh(10, 10, 100, 200), &menuHandler);
    ui::LanguageMenuHook::SetOpenMenu(menu);
    auto* entry = Add<CQKButton>(&host, 20240, Rect::FromXywh(20, 20, 80, 20), "LANG");
    auto* other = Add<CQKButton>(&host, 30127, Rect::FromXywh(20, 60, 80, 20), "OK");
    ASSERT_TRUE(entry->CreateWidget());
    ASSERT_TRUE(other->CreateWidget());

    ClickOn(*entry, {5, 5});
    EXPECT_TRUE(menuHandler.Of(MessageKind::kClose).empty());
    ClickOn(*other, {5, 5});
    EXPECT_EQ(menuHandler.Of(MessageKind::kClose).size(), 1u);

    // Once the menu is gone a press touches nothing.
    wm->Destroy(menu);
    ClickOn(*other, {5, 5});
    ui::LanguageMenuHook::SetOpenMenu({});
    EXPECT_EQ(menuHandler.Of(MessageKind::kClose).size(), 1u);
}

}  // namespace
}  // namespace widgettest
