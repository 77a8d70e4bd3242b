// The drop-down list in a dialog: the list opens as a popup by click, F4
// or Alt+Down, picks by click and keys, closes on Escape or an outside
// click, and only the user's picks send kCbnSelChange.
#include "platform/controls/combo_box.h"

#include <gtest/gtest.h>

#include "platform/controls/control_notices.h"
#include "tests/platform/controls/control_test_support.h"

namespace platform {
namespace {

class ComboTest : public ControlTest {
protected:
    // Items are the font's 12 pixels and 6 more.
    static constexpr int kItem = 18;

    void SetUp() override {
        ControlTest::SetUp();
        combo = Make<ComboBox>(205, Rect::FromXywh(20, 20, 200, 22));
        for (const char* name :
             {"Disable", "WEP", "WPA-AES", "WPA2-AES", "WPA-TKIP", "WPA2-TKIP"}) {
            combo->AddItem(name);
        }
        combo->SetSelection(0);
        Pump();
    }

    // A point on item `i` of the open list, in screen coordinates.
    Point ItemPoint(int i) {
        std::optional<Rect> r = wm->ScreenRect(combo->DropWindow());
        EXPECT_TRUE(r.has_value());
        return r ? Point{r->left + 20, r->top + 1 + i * kItem + kItem / 2} : Point{};
    }

    ComboBox* combo = nullptr;
};

TEST_F(ComboTest, ClickOpensThePopupBelowAndAClickPicks) {
    ClickOn(*combo, {100, 10});
    ASSERT_TRUE(combo->IsDropped());
    WindowId list = combo->DropWindow();
    const HeadlessBackend::TopLevelState* state = headless->State(list);
    ASSERT_NE(state, nullptr);
    EXPECT_TRUE(state->spec.popup) << "a popup that never takes the activation";
    EXPECT_TRUE(state->visible);
    EXPECT_EQ(state->spec.rect, Rect::FromXywh(120, 142, 200, 6 * kItem + 2));
    EXPECT_EQ(wm->ActiveTopLevel(), dialog);
    EXPECT_EQ(wm->Capture(), list);

    headless->Click(MouseButton::kLeft, ItemPoint(3));
    Pump();
    EXPECT_FALSE(combo->IsDropped());
    EXPECT_FALSE(wm->IsAlive(list));
    EXPECT_EQ(combo->Selection(), 3);
    EXPECT_EQ(combo->Text(), "WPA2-AES");
    EXPECT_EQ(TakeNotices(), (std::vector<Notice>{{205, kCbnSelChange, 3}}));
    EXPECT_EQ(wm->Focus(), combo->Window()) << "the focus comes back to the box";
}

TEST_F(ComboTest, KeysOpenMoveAndPick) {
    combo->SetFocus();
    struct Step {
        Key key;
        uint32_t modifiers;
        bool dropped;
        int selection;
    };
    struct Row {
        const char* what;
        std::vector<Step> steps;
        std::vector<Notice> notices;
    } rows[] = {
        {"F4, down twice, Enter",
         {{Key::kF4, 0, true, 0},
          {Key::kDown, 0, true, 0},
          {Key::kDown, 0, true, 0},
          {Key::kReturn, 0, false, 2}},
         {{205, kCbnSelChange, 2}}},
        {"Alt+Down, Up, Escape leaves it",
         {{Key::kDown, kModAlt, true, 2}, {Key::kUp, 0, true, 2}, {Key::kEscape, 0, false, 2}},
         {}},
        {"Alt+Up closes with the highlight",
         {{Key::kF4, 0, true, 2}, {Key::kEnd, 0, true, 2}, {Key::kUp, kModAlt, false, 5}},
         {{205, kCbnSelChange, 5}}},
        {"closed: Up and Home change it at once",
         {{Key::kUp, 0, false, 4}, {Key::kHome, 0, false, 0}, {Key::kHome, 0, false, 0}},
         {{205, kCbnSelChange, 4}, {205, kCbnSelChange, 0}}},
        {"picking the same item tells nothing",
         {{Key::kF4, 0, true, 0}, {Key::kReturn, 0, false, 0}},
         {}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        TakeNotices();
        for (const Step& s : r.steps) {
            Press(s.key, s.modifiers);
            EXPECT_EQ(combo->IsDropped(), s.dropped);
            EXPECT_EQ(combo->Selection(), s.selection);
        }
        EXPECT_EQ(TakeNotices(), r.notices);
    }
}

TEST_F(ComboTest, FirstLetterSelectsCyclingAndTheProgramIsSilent) {
    combo->SetFocus();
    Type("w");
    EXPECT_EQ(combo->Text(), "WEP");
    Type("W");
    EXPECT_EQ(combo->Text(), "WPA-AES") << "either case, the next match";
    Type("wwww");
    EXPECT_EQ(combo->Text(), "WEP") << "round to the first match again";
    Type("z");
    EXPECT_EQ(combo->Text(), "WEP") << "no match, no change";
    EXPECT_EQ(TakeNotices().size(), 6u);
    combo->SetSelection(5);
    combo->DeleteItem(0);
    EXPECT_EQ(combo->Selection(), 4) << "the selection keeps its item";
    EXPECT_TRUE(TakeNotices().empty());
    // In the open list the letter moves the highlight; Enter picks it.
    Press(Key::kF4);
    Type("d");
    EXPECT_EQ(combo->Selection(), 4);
    Press(Key::kReturn);
    EXPECT_EQ(combo->Text(), "WPA2-TKIP") << "no 'd' left: the highlight stayed";
    EXPECT_TRUE(TakeNotices().empty());
}

TEST_F(ComboTest, OutsideClickClosesWithoutAPickAndReachesNothingElse) {
    RecordingHandler& other = NewHandler();
    WindowId widget = Child(dialog, Rect::FromXywh(250, 200, 100, 50), &other);
    Pump();
    ClickOn(*combo, {100, 10});
    ASSERT_TRUE(combo->IsDropped());
    headless->Click(MouseButton::kLeft, {kDialogOrigin.x + 300, kDialogOrigin.y + 220});
    Pump();
    EXPECT_FALSE(combo->IsDropped());
    EXPECT_EQ(combo->Selection(), 0);
    EXPECT_TRUE(TakeNotices().empty());
    EXPECT_TRUE(other.Of(MessageKind::kButtonDown).empty()) << "the closing click is the list's";
    wm->Destroy(widget);
}

TEST_F(ComboTest, ListOpensAboveWhenTheWorkAreaEndsBelow) {
    // The headless screen is 1024 x 768: the box ends 26 pixels above its
    // bottom, too little for the list's 110.
    combo->Move(Rect::FromXywh(20, 260, 200, 22));
    wm->Move(dialog, Rect::FromXywh(100, 460, 400, 300));
    ComboBox* low = combo;
    ClickOn(*low, {10, 10});
    ASSERT_TRUE(low->IsDropped());
    Rect r = *wm->ScreenRect(low->DropWindow());
    Rect box = *wm->ScreenRect(low->Window());
    EXPECT_EQ(r.bottom, box.top);
    Press(Key::kEscape);
    EXPECT_FALSE(low->IsDropped());
}

TEST_F(ComboTest, LongListsScrollToTheHighlight) {
    combo->Clear();
    for (int i = 0; i < 20; ++i) {
        combo->AddItem("Item " + std::to_string(i));
    }
    combo->SetFocus();
    Press(Key::kF4);
    std::optional<Rect> r = wm->ScreenRect(combo->DropWindow());
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(r->Height(), 8 * kItem + 2) << "eight items at most";
    Press(Key::kEnd);
    headless->Click(MouseButton::kLeft, ItemPoint(7));  // the last row shown
    Pump();
    EXPECT_EQ(combo->Text(), "Item 19");
}

TEST_F(ComboTest, DisabledBoxDoesNotOpen) {
    combo->Enable(false);
    ClickOn(*combo, {100, 10});
    EXPECT_FALSE(combo->IsDropped());
    combo->Enable(true);
    combo->SetFocus();
    combo->Show(false);
    Press(Key::kF4);
    EXPECT_FALSE(combo->IsDropped()) << "a hidden box neither";
}

}  // namespace
}  // namespace platform
