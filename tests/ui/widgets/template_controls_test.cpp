// The template builder: templates 146 and 199 make every control with its
// id, kind, rectangle, visibility, styles and text; a dialog's factory
// replaces the controls it wants; and the screen-offset dialog is drawn
// whole (kept as a screenshot artefact).
#include "ui/widgets/template_controls.h"

#include <gtest/gtest.h>

#include "app/res/string_table.h"
#include "platform/controls/button.h"
#include "platform/controls/combo_box.h"
#include "platform/controls/edit.h"
#include "platform/controls/ip_address_control.h"
#include "platform/controls/list_control.h"
#include "platform/controls/static_control.h"
#include "platform/controls/trackbar.h"
#include "tests/platform/controls/control_test_support.h"
#include "tests/platform/window/test_artifacts.h"

namespace platform {
namespace {

using appres::DialogControl;
using appres::DialogTemplate;
using appres::DialogTemplates;

// The control kind and class each template kind must give.
bool MatchesKind(const DialogControl& entry, Control* c) {
    switch (entry.kind) {
        case appres::ControlKind::kPushButton:
        case appres::ControlKind::kRadioButton:
        case appres::ControlKind::kCheckBox: {
            auto* b = dynamic_cast<Button*>(c);
            ButtonStyle want = entry.kind == appres::ControlKind::kPushButton ? ButtonStyle::kPush
                               : entry.kind == appres::ControlKind::kRadioButton
                                   ? ButtonStyle::kAutoRadio
                                   : ButtonStyle::kAutoCheck;
            return b && b->Style() == want;
        }
        case appres::ControlKind::kEdit:
            return dynamic_cast<Edit*>(c) != nullptr;
        case appres::ControlKind::kIpAddress:
            return dynamic_cast<IpAddressControl*>(c) != nullptr;
        case appres::ControlKind::kListView:
            return dynamic_cast<ListControl*>(c) != nullptr;
        case appres::ControlKind::kComboBox:
            return dynamic_cast<ComboBox*>(c) != nullptr;
        case appres::ControlKind::kSlider:
            return dynamic_cast<Trackbar*>(c) != nullptr;
        case appres::ControlKind::kStatic:
        case appres::ControlKind::kGroupBox: {
            auto* s = dynamic_cast<Static*>(c);
            StaticStyle want = entry.kind == appres::ControlKind::kGroupBox ? StaticStyle::kGroupBox
                               : (entry.styles & appres::kControlBorder)
                                   ? StaticStyle::kPictureFrame
                                   : StaticStyle::kLabel;
            return s && s->Style() == want;
        }
    }
    return false;
}

class TemplateControlsTest : public ControlTest {
protected:
    // Every entry has its control, in the template's order.
    void ExpectBuilt(const DialogTemplate& t) {
        ASSERT_EQ(set->Controls().size(), t.controls.size());
        for (size_t i = 0; i < t.controls.size(); ++i) {
            const DialogControl& entry = t.controls[i];
            Control* c = set->Controls()[i];
            SCOPED_TRACE(entry.id);
            EXPECT_EQ(c->Id(), entry.id);
            EXPECT_TRUE(MatchesKind(entry, c));
            EXPECT_EQ(c->GetRect(), entry.rect);
            EXPECT_EQ(c->IsVisible(), (entry.styles & appres::kControlHidden) == 0);
        }
    }
};

TEST_F(TemplateControlsTest, MainWindowTemplateBuildsItsHiddenNameBox) {
    const DialogTemplate* t = DialogTemplates::Find(102);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(ui::BuildTemplateControls(*t, *set), 1);
    ExpectBuilt(*t);
    Edit* name = set->Get<Edit>(1004);
    ASSERT_NE(name, nullptr);
    EXPECT_FALSE(name->DigitsOnly());
    EXPECT_FALSE(name->HasBorder());
}

TEST_F(TemplateControlsTest, CommonDialogTemplateBuildsItsHiddenControls) {
    const DialogTemplate* t = DialogTemplates::Find(146);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(ui::BuildTemplateControls(*t, *set), static_cast<int>(t->controls.size()));
    ExpectBuilt(*t);
    EXPECT_TRUE(set->Get<Edit>(1004)->DigitsOnly());
    EXPECT_FALSE(set->Get<Edit>(1005)->DigitsOnly());
    EXPECT_EQ(set->Get<Edit>(1012)->Mask(), std::optional<char32_t>(U'*'));
    EXPECT_EQ(set->Get<Edit>(1013)->Mask(), std::optional<char32_t>(U'*'));
    EXPECT_EQ(set->Get<Edit>(1010)->Mask(), std::nullopt);
    EXPECT_EQ(set->Get<Button>(10328)->Text(), "Hide characters");
    EXPECT_EQ(set->Get<Button>(1)->Text(), "OK");
    // The radio pair is one group: checking one clears the other.
    set->Get<Button>(2003)->Show(true);
    set->Get<Button>(2004)->Show(true);
    set->Get<Button>(2003)->Click();
    set->Get<Button>(2004)->Click();
    EXPECT_FALSE(set->Get<Button>(2003)->IsChecked());
    EXPECT_TRUE(set->Get<Button>(2004)->IsChecked());
}

TEST_F(TemplateControlsTest, ScreenOffsetTemplateTakesTheDialogsTextsAndFactory) {
    const DialogTemplate* t = DialogTemplates::Find(199);
    ASSERT_NE(t, nullptr);
    std::vector<uint32_t> made;
    auto text = [](const DialogControl& e) {
        return e.textStringId ? "[" + std::string(appres::StringTable::Find(e.textStringId)) + "]"
                              : std::string(e.text);
    };
    auto factory = [&](const DialogControl& e) -> std::unique_ptr<Control> {
        if (e.id != 1005) {
            return nullptr;
        }
        made.push_back(e.id);
        auto edit = std::make_unique<Edit>();
        edit->SetLimit(3);
        return edit;
    };
    EXPECT_EQ(ui::BuildTemplateControls(*t, *set, text, factory), 23);
    ExpectBuilt(*t);
    EXPECT_EQ(made, std::vector<uint32_t>{1005});
    EXPECT_EQ(set->Get<Edit>(1005)->Limit(), 3u) << "the factory's control";
    EXPECT_TRUE(set->Get<Edit>(1004)->DigitsOnly());
    EXPECT_EQ(set->Find(1)->Text(), "[Apply]");
    EXPECT_EQ(set->Find(180)->Text(), "[Horizontal Offset]");
    EXPECT_EQ(set->Find(194)->Text(), "50") << "no string id: the template's own text";
    EXPECT_FALSE(set->Get<Trackbar>(181)->IsVertical());
    EXPECT_TRUE(set->Get<Trackbar>(182)->IsVertical());
    EXPECT_TRUE(TakeNotices().empty()) << "building tells the dialog nothing";
}

// The screen-offset dialog as its dialog sets it up: fonts, range, ticks,
// white statics; drawn whole on the headless screen and kept as a PNG.
TEST_F(TemplateControlsTest, ScreenOffsetDialogIsDrawnWhole) {
    const DialogTemplate* t = DialogTemplates::Find(199);
    wm->Move(dialog, Rect::FromXywh(100, 100, t->size.width, t->size.height));
    host.back = Surface::Create(t->size.width, t->size.height);
    host.back->Clear(ToArgb(ColorRef::FromRgb(0xF0, 0xF0, 0xF0)));
    auto text = [](const DialogControl& e) {
        return e.textStringId ? std::string(appres::StringTable::Find(e.textStringId))
                              : std::string(e.text);
    };
    ui::BuildTemplateControls(*t, *set, text);
    set->SetColourCallback([](uint32_t, ControlKind kind) -> std::optional<ControlColours> {
        if (kind == ControlKind::kStatic || kind == ControlKind::kTrackbar) {
            return ControlColours{ColorRef(0), std::nullopt, ColorRef::FromRgb(255, 255, 255)};
        }
        return std::nullopt;
    });
    ControlFont small{"DejaVu Sans", 7.5, 400};
    for (uint32_t id = 184; id <= 195; ++id) {
        set->Find(id)->SetFont(small);
    }
    set->Find(179)->SetFont(small);
    set->Find(180)->SetFont(small);
    for (uint32_t id : {181u, 182u}) {
        Trackbar* bar = set->Get<Trackbar>(id);
        bar->SetRange(0, 250);
        bar->SetTickFrequency(50);
    }
    set->Get<Trackbar>(181)->SetPos(100);
    set->Get<Trackbar>(182)->SetPos(250 - 40);
    set->Get<Edit>(1004)->SetText("40");
    set->Get<Edit>(1005)->SetText("100");
    wm->Invalidate(dialog);
    const Surface& shown = Shown();
    EXPECT_TRUE(SaveArtifact(shown, "template_199_screen_offset.png"));

    // The Apply button's face, the white picture area, the vertical
    // slider's thumb near its top.
    EXPECT_EQ(shown.PixelAt(259 + 3, 294 + 3), ToArgb(ColorRef::FromRgb(0xE1, 0xE1, 0xE1)));
    EXPECT_EQ(shown.PixelAt(39 + 100, 23 + 80), Argb(0xFFFFFFFFu));
    Rect bar = set->Find(182)->BoundsInTopLevel();
    TrackbarGeometry g({bar.Width(), bar.Height()}, true, 0, 250);
    Rect thumb = g.Thumb(210).Offset(bar.left, bar.top);
    EXPECT_EQ(shown.PixelAt(thumb.left + 5, thumb.top + 4),
              ToArgb(ColorRef::FromRgb(0xE1, 0xE1, 0xE1)));
}

}  // namespace
}  // namespace platform
