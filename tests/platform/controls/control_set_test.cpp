// The ControlSet of a dialog: finding controls, drawing them over the
// dialog's pictures in stacking order (a widget's blit never wipes them),
// hidden controls neither drawn nor hit, the dialog's colours, and the set
// ending while its controls are busy.
#include "platform/controls/control_set.h"

#include <gtest/gtest.h>

#include "platform/controls/button.h"
#include "platform/controls/control_notices.h"
#include "platform/controls/edit.h"
#include "platform/controls/static_control.h"
#include "platform/draw/painter.h"
#include "tests/platform/controls/control_test_support.h"

namespace platform {
namespace {

class ControlSetTest : public ControlTest {
protected:
    // A skinned widget below the controls: it draws a green block into the
    // dialog's back buffer and blits its rectangle, as the skin's widgets do.
    void SetUp() override {
        ControlTest::SetUp();
        widget = Child(dialog, kWidgetRect, &widgetHandler);
        Pump();
    }
    void BlitWidget() {
        {
            Painter p(*host.back);
            p.FillRect(kWidgetRect, kGreen);
        }
        set->Present(*host.back, kWidgetRect);
    }

    static constexpr Rect kWidgetRect = Rect::FromXywh(10, 10, 200, 100);
    static constexpr Argb kGreen{0xFF00A000u};
    RecordingHandler widgetHandler;
    WindowId widget;
};

TEST_F(ControlSetTest, FindsControlsByIdKindAndWindow) {
    Edit* edit = Make<Edit>(1004, Rect::FromXywh(20, 20, 80, 22));
    Button* ok = Make<Button>(1, Rect::FromXywh(20, 50, 80, 22), "OK");
    Static* label = Make<Static>(0, Rect::FromXywh(20, 80, 80, 22), "a");
    Static* label2 = Make<Static>(0, Rect::FromXywh(20, 110, 80, 22), "b");
    EXPECT_EQ(set->Find(1004), edit);
    EXPECT_EQ(set->Get<Edit>(1004), edit);
    EXPECT_EQ(set->Get<Button>(1004), nullptr) << "another class";
    EXPECT_EQ(set->Get<Button>(1), ok);
    EXPECT_EQ(set->Find(77), nullptr);
    EXPECT_EQ(set->Find(0), label) << "ids may repeat: the first";
    EXPECT_EQ(set->FindByWindow(label2->Window()), label2);
    EXPECT_EQ(set->Controls(), (std::vector<Control*>{edit, ok, label, label2}));
    EXPECT_EQ(wm->ControlId(edit->Window()), 1004u);
    EXPECT_EQ(wm->Parent(edit->Window()), dialog);
    EXPECT_EQ(edit->TopLevel(), dialog);
}

// A control over a skinned widget stays on screen when the widget's area
// is blitted again; presenting the same area without the set would wipe it.
TEST_F(ControlSetTest, ControlOverAWidgetSurvivesTheWidgetsBlit) {
    Button* b = Make<Button>(10, Rect::FromXywh(60, 40, 80, 24), "Over");
    BlitWidget();
    Rect r = b->BoundsInTopLevel();
    std::vector<uint32_t> withButton = ShownPixels(r);
    EXPECT_EQ(Shown().PixelAt(r.left + 2, r.top + 2), ToArgb(ColorRef::FromRgb(0xE1, 0xE1, 0xE1)));
    BlitWidget();
    EXPECT_EQ(ShownPixels(r), withButton);
    EXPECT_EQ(Shown().PixelAt(15, 15), kGreen) << "the widget itself is there";

    wm->Present(dialog, *host.back, kWidgetRect);  // a blit that bypasses the set
    EXPECT_NE(ShownPixels(r), withButton);
    // Clicks on the button go to the button, not the widget below.
    ClickOn(*b, {10, 10});
    EXPECT_EQ(TakeNotices(), (std::vector<Notice>{{10, kBnClicked, 0}}));
    EXPECT_TRUE(widgetHandler.Of(MessageKind::kButtonDown).empty());
}

TEST_F(ControlSetTest, HiddenControlsAreNeitherDrawnNorHit) {
    Button* b = Make<Button>(10, Rect::FromXywh(60, 40, 80, 24), "Hidden", false);
    BlitWidget();
    Rect r = b->BoundsInTopLevel();
    for (uint32_t p : ShownPixels(r)) {
        ASSERT_EQ(p, kGreen.value);
    }
    ClickOn(*b, {10, 10});
    EXPECT_TRUE(TakeNotices().empty());
    EXPECT_EQ(widgetHandler.Of(MessageKind::kButtonDown).size(), 1u) << "the widget below gets it";
    b->Show(true);
    EXPECT_EQ(Shown().PixelAt(r.left + 2, r.top + 2), ToArgb(ColorRef::FromRgb(0xE1, 0xE1, 0xE1)))
        << "shown: the layer repaints its area at once";
    b->Show(false);
    EXPECT_EQ(Shown().PixelAt(r.left + 2, r.top + 2), kGreen) << "hidden again: gone";
}

// Later controls lie above earlier ones; PaintOver draws them onto another
// surface, inside the given area only.
TEST_F(ControlSetTest, StackingOrderAndPaintOver) {
    Button* under = Make<Button>(10, Rect::FromXywh(60, 40, 80, 24), "Under");
    Edit* over = Make<Edit>(11, Rect::FromXywh(100, 40, 80, 24));
    Point shared{110 + 5, 40 + 12};
    EXPECT_EQ(Shown().PixelAt(shared.x, shared.y), Argb(0xFFFFFFFFu)) << "the edit's white";
    auto capture = Surface::Create(400, 300);
    capture->Clear(Argb(0xFF000000u));
    set->PaintOver(*capture, Rect::FromXywh(0, 0, 100, 300));
    EXPECT_EQ(capture->PixelAt(62, 42), ToArgb(ColorRef::FromRgb(0xE1, 0xE1, 0xE1)));
    EXPECT_EQ(capture->PixelAt(shared.x, shared.y), Argb(0xFF000000u)) << "outside the area";
    (void)under;
    (void)over;
}

TEST_F(ControlSetTest, DialogColoursComeFromTheCallbackByIdAndKind) {
    Make<Static>(183, Rect::FromXywh(20, 150, 100, 20), "label");
    ControlOptions o;
    o.id = 10328;
    o.rect = Rect::FromXywh(20, 180, 140, 20);
    o.text = "Hide characters";
    set->Add(std::make_unique<Button>(ButtonStyle::kAutoCheck), o);
    o.id = 10329;
    o.rect = Rect::FromXywh(20, 210, 140, 20);
    o.text = "check";
    set->Add(std::make_unique<Button>(ButtonStyle::kAutoCheck), o);
    std::vector<std::pair<uint32_t, ControlKind>> asked;
    set->SetColourCallback([&](uint32_t id, ControlKind kind) -> std::optional<ControlColours> {
        asked.emplace_back(id, kind);
        if (kind == ControlKind::kStatic) {
            return ControlColours{ColorRef(0), std::nullopt, ColorRef::FromRgb(255, 255, 255)};
        }
        if (id == 10329) {
            return ControlColours{ColorRef(0), std::nullopt, ColorRef::FromRgb(0xED, 0xED, 0xED)};
        }
        return std::nullopt;
    });
    wm->Invalidate(dialog);
    EXPECT_EQ(Shown().PixelAt(118, 168), Argb(0xFFFFFFFFu)) << "the static's white fill";
    EXPECT_EQ(Shown().PixelAt(158, 228), Argb(0xFFEDEDEDu)) << "the check box's fill";
    EXPECT_NE(std::find(asked.begin(), asked.end(), std::make_pair(183u, ControlKind::kStatic)),
              asked.end());
    EXPECT_NE(std::find(asked.begin(), asked.end(), std::make_pair(10328u, ControlKind::kButton)),
              asked.end());
}

TEST_F(ControlSetTest, FontsArePerControl) {
    Static* small = Make<Static>(1, Rect::FromXywh(20, 150, 150, 30), "Vertical Offset");
    Static* large = Make<Static>(2, Rect::FromXywh(20, 200, 150, 30), "Vertical Offset");
    large->SetFont(ControlFont{"DejaVu Sans", 14, 700});
    EXPECT_EQ(large->Font().PixelSize(), 19);
    EXPECT_EQ(small->Font().PixelSize(), 12);
    EXPECT_EQ(ControlFont::FromPixels("Futura-Book", 20).PixelSize(), 20);
    auto pixels = [&](Static* s) {
        Rect r = s->BoundsInTopLevel();
        return ShownPixels(r);
    };
    EXPECT_NE(pixels(small), pixels(large));
}

// A click whose notice makes the dialog drop its controls: the set ends
// inside the button's own dispatch and the button object outlives it.
TEST_F(ControlSetTest, SetMayEndFromInsideAControlsNotice) {
    Make<Button>(kCommandCancel, Rect::FromXywh(60, 40, 80, 24), "Close");
    Button* b = set->Get<Button>(kCommandCancel);
    WindowId window = b->Window();
    host.onCommand = [&](const Notice&) {
        host.set = nullptr;
        set.reset();
    };
    ClickOn(*b, {10, 10});
    EXPECT_EQ(set, nullptr);
    EXPECT_FALSE(wm->IsAlive(window));
    Pump();  // painting goes on without the set
}

}  // namespace
}  // namespace platform
