// Buttons in a dialog: radio groups, check boxes, the push button's click
// rule and the modal end of buttons 1 and 2, and Tab order across controls.
#include "platform/controls/button.h"

#include <gtest/gtest.h>

#include "platform/controls/combo_box.h"
#include "platform/controls/control_notices.h"
#include "platform/controls/edit.h"
#include "platform/controls/static_control.h"
#include "tests/platform/controls/control_test_support.h"

namespace platform {
namespace {

class ButtonTest : public ControlTest {
protected:
    Button* Radio(uint32_t id, int y) {
        ControlOptions o;
        o.id = id;
        o.rect = Rect::FromXywh(20, y, 120, 20);
        o.text = "Radio " + std::to_string(id);
        return set->Add(std::make_unique<Button>(ButtonStyle::kAutoRadio), o);
    }
    Button* Check(uint32_t id, int y) {
        ControlOptions o;
        o.id = id;
        o.rect = Rect::FromXywh(20, y, 120, 20);
        o.text = "Hide characters";
        return set->Add(std::make_unique<Button>(ButtonStyle::kAutoCheck), o);
    }
    std::string Marks(std::initializer_list<Button*> buttons) {
        std::string s;
        for (Button* b : buttons) {
            s += b->IsChecked() ? 'x' : '.';
        }
        return s;
    }
};

// Two groups of radio buttons, kept apart by a check box between them.
TEST_F(ButtonTest, RadioButtonsCheckOnlyThemselvesInTheirGroup) {
    Button* a = Radio(2003, 10);
    Button* b = Radio(2004, 30);
    Button* c = Radio(2005, 50);
    Button* box = Check(10328, 70);
    Button* d = Radio(2006, 90);
    Button* e = Radio(2007, 110);
    auto all = {a, b, c, box, d, e};
    d->SetCheck(true);
    struct Row {
        Button* clicked;
        const char* marks;
    } rows[] = {{a, "x...x."}, {c, "..x.x."}, {e, "..x..x"}, {c, "..x..x"}, {b, ".x...x"}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.clicked->Id());
        TakeNotices();
        ClickOn(*r.clicked, {5, 10});
        EXPECT_EQ(Marks(all), r.marks);
        EXPECT_EQ(TakeNotices(), (std::vector<Notice>{{r.clicked->Id(), kBnClicked, 0}}))
            << "every click is told, also on a checked one";
    }
}

TEST_F(ButtonTest, CheckBoxTogglesByClickAndSpaceAndSetCheckIsSilent) {
    Button* box = Check(10328, 10);
    ClickOn(*box, {5, 10});
    EXPECT_TRUE(box->IsChecked());
    Press(Key::kSpace);
    EXPECT_FALSE(box->IsChecked());
    EXPECT_EQ(TakeNotices(), (std::vector<Notice>{{10328, kBnClicked, 0}, {10328, kBnClicked, 0}}));
    box->SetCheck(true);
    EXPECT_TRUE(box->IsChecked());
    EXPECT_TRUE(TakeNotices().empty());
    // Space clicks when it is let go: held, nothing yet.
    headless->PressKey(Key::kSpace);
    Pump();
    EXPECT_TRUE(box->IsChecked());
    headless->ReleaseKey(Key::kSpace);
    Pump();
    EXPECT_FALSE(box->IsChecked());
}

TEST_F(ButtonTest, PushButtonClicksOnlyWhenReleasedInside) {
    Button* ok = Make<Button>(10, Rect::FromXywh(20, 20, 80, 24), "Apply");
    headless->PressButton(MouseButton::kLeft, ScreenOf(*ok, {10, 10}));
    headless->MoveMouse(ScreenOf(*ok, {200, 10}));
    headless->ReleaseButton(MouseButton::kLeft, ScreenOf(*ok, {200, 10}));
    Pump();
    EXPECT_TRUE(TakeNotices().empty()) << "let go outside";
    headless->PressButton(MouseButton::kLeft, ScreenOf(*ok, {10, 10}));
    headless->MoveMouse(ScreenOf(*ok, {200, 10}));
    headless->MoveMouse(ScreenOf(*ok, {12, 12}));  // back inside
    headless->ReleaseButton(MouseButton::kLeft, ScreenOf(*ok, {12, 12}));
    Pump();
    EXPECT_EQ(TakeNotices(), (std::vector<Notice>{{10, kBnClicked, 0}}));
    ok->Enable(false);
    ClickOn(*ok, {10, 10});
    Press(Key::kSpace);
    EXPECT_TRUE(TakeNotices().empty()) << "disabled: inert";
}

TEST_F(ButtonTest, ButtonsOneAndTwoEndAModalDialogByDefault) {
    Button* apply = Make<Button>(kCommandOk, Rect::FromXywh(20, 20, 80, 24), "Apply");
    Button* close = Make<Button>(kCommandCancel, Rect::FromXywh(120, 20, 80, 24), "Close");
    for (Button* b : {apply, close}) {
        SCOPED_TRACE(b->Id());
        // The click waits in the display's queue until the modal loop runs.
        headless->Click(MouseButton::kLeft, ScreenOf(*b, {10, 10}));
        EXPECT_EQ(wm->RunModal(dialog), static_cast<int>(b->Id()));
        EXPECT_FALSE(wm->IsVisible(dialog));
    }
}

// Tab walks the shown, enabled controls that take the focus, in the order
// they were made; statics take none.
TEST_F(ButtonTest, TabOrderFollowsCreationAndSkipsWhatCannotTakeTheFocus) {
    Edit* edit = Make<Edit>(1004, Rect::FromXywh(20, 20, 80, 22));
    Make<Static>(183, Rect::FromXywh(20, 50, 80, 22), "label");
    Button* push = Make<Button>(1, Rect::FromXywh(20, 80, 80, 22), "OK");
    Button* hidden = Make<Button>(3, Rect::FromXywh(20, 110, 80, 22), "hidden");
    hidden->Show(false);
    Button* disabled = Make<Button>(4, Rect::FromXywh(20, 140, 80, 22), "off");
    disabled->Enable(false);
    ComboBox* combo = Make<ComboBox>(205, Rect::FromXywh(20, 170, 80, 22));
    std::vector<WindowId> order;
    for (int i = 0; i < 4; ++i) {
        Press(Key::kTab);
        order.push_back(wm->Focus());
    }
    EXPECT_EQ(order, (std::vector<WindowId>{edit->Window(), push->Window(), combo->Window(),
                                            edit->Window()}));
    Press(Key::kTab, kModShift);
    EXPECT_EQ(wm->Focus(), combo->Window());
}

}  // namespace
}  // namespace platform
