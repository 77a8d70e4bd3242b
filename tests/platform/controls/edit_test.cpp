// The edit box in a dialog on the headless backend: typing, pasting and
// setting under its rules with exactly one kEnChange per change, the mask
// as the screen shows it, the clipboard chords, the mouse, and scrolling.
#include "platform/controls/edit.h"

#include <gtest/gtest.h>

#include "platform/controls/control_notices.h"
#include "tests/platform/controls/control_test_support.h"

namespace platform {
namespace {

class EditTest : public ControlTest {
protected:
    void SetUp() override {
        ControlTest::SetUp();
        edit = Make<Edit>(1005, Rect::FromXywh(20, 20, 120, 24));
        edit->SetFocus();
        Pump();
    }

    // The kEnChange notices of the edit so far, then forgets them.
    int Changes() {
        int n = 0;
        for (const Notice& notice : TakeNotices()) {
            EXPECT_EQ(notice, (Notice{1005, kEnChange, 0}));
            n += 1;
        }
        return n;
    }

    Edit* edit = nullptr;
};

TEST_F(EditTest, TypingPastingAndSettingFollowTheRulesWithOneNoticePerChange) {
    struct Row {
        const char* what;
        size_t limit;
        bool digits;
        bool filter;
        const char* typed;
        const char* pasted;  // nullptr: no paste
        const char* expected;
        int changes;
        int bells;
    } rows[] = {
        {"limit", 4, false, false, "abcdef", nullptr, "abcd", 4, 2},
        {"digits", 10, true, false, "1x2y3", nullptr, "123", 3, 2},
        {"filter on typing", 10, false, true, "a;b", nullptr, "ab", 2, 0},
        {"paste under the limit", 5, false, false, "ab", "cdefgh", "abcde", 3, 1},
        {"paste with the filter", 10, false, true, "", "x;y", "xy", 1, 0},
        {"paste into digits", 10, true, false, "", "4a5", "45", 1, 1},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        edit->SetText("");
        edit->SetLimit(r.limit);
        edit->SetDigitsOnly(r.digits);
        edit->SetFilter(r.filter ? EditModel::Filter([](char32_t c) { return c != U';'; })
                                 : EditModel::Filter());
        Changes();
        int bells = headless->BellCount();
        Type(r.typed);
        if (r.pasted) {
            wm->SetClipboardText(r.pasted);
            Chord('v');
        }
        EXPECT_EQ(edit->Text(), r.expected);
        EXPECT_EQ(Changes(), r.changes);
        EXPECT_EQ(headless->BellCount() - bells, r.bells);
    }
}

TEST_F(EditTest, SetTextNotifiesOnceAppliesTheFilterAndMayBeCalledFromTheNotice) {
    edit->SetFilter([](char32_t c) { return c != U';'; });
    edit->SetText("a;b");
    EXPECT_EQ(edit->Text(), "ab");
    EXPECT_EQ(Changes(), 1);
    edit->SetText("ab");
    EXPECT_EQ(Changes(), 0) << "no change, no notice";

    // A dialog that caps the number at 250 from its notice, as the screen
    // offset dialog does: typing 999 ends at 250, and the notices end.
    edit->SetText("");
    edit->SetDigitsOnly(true);
    edit->SetLimit(3);
    host.onCommand = [&](const Notice&) {
        if (std::stoi("0" + edit->Text()) > 250) {
            edit->SetText("250");
        }
    };
    TakeNotices();
    Type("999");
    EXPECT_EQ(edit->Text(), "250");
    EXPECT_EQ(Changes(), 4) << "9, 99, 999 and the cap's own change to 250";
}

TEST_F(EditTest, ClipboardChordsCopyCutAndPasteButNeverAMaskedText) {
    Type("secret");
    Chord('a');
    Chord('c');
    EXPECT_EQ(wm->ClipboardText(), std::optional<std::string>("secret"));
    Press(Key::kLeft, kModShift);  // the selection one shorter: "secre"
    Chord('x');
    EXPECT_EQ(edit->Text(), "t");
    EXPECT_EQ(wm->ClipboardText(), std::optional<std::string>("secre"));
    Press(Key::kEnd);
    Chord('v');
    EXPECT_EQ(edit->Text(), "tsecre");

    edit->SetMask(kMaskDot);
    wm->SetClipboardText("kept");
    Chord('a');
    Chord('c');
    Chord('x');
    EXPECT_EQ(wm->ClipboardText(), std::optional<std::string>("kept"));
    EXPECT_EQ(edit->Text(), "tsecre") << "a masked edit does not cut either";
}

// The mask shows on screen: a masked edit looks exactly like an unmasked
// edit holding the dots, and not like the text.
TEST_F(EditTest, MaskSwitchShowsDotsNotTheText) {
    Edit* dots = Make<Edit>(1006, Rect::FromXywh(20, 60, 120, 24));
    Edit* plain = Make<Edit>(1007, Rect::FromXywh(20, 100, 120, 24));
    wm->SetFocus({});
    edit->SetText("WAX");
    plain->SetText("WAX");
    dots->SetText("\xE2\x97\x8F\xE2\x97\x8F\xE2\x97\x8F");
    auto pixels = [&](Edit* e) {
        Rect r = e->BoundsInTopLevel();
        return ShownPixels(r);
    };
    edit->SetMask(kMaskDot);
    EXPECT_EQ(pixels(edit), pixels(dots));
    EXPECT_NE(pixels(edit), pixels(plain));
    edit->SetMask(std::nullopt);
    EXPECT_EQ(pixels(edit), pixels(plain));
    EXPECT_EQ(edit->Text(), "WAX") << "the mask never changes the text";
}

TEST_F(EditTest, MousePlacesTheCaretDragsASelectionAndDoubleClickSelectsAll) {
    edit->SetText("abcdefgh");
    ClickOn(*edit, {2, 12});
    EXPECT_EQ(edit->Caret(), 0u);
    ClickOn(*edit, {118, 12});
    EXPECT_EQ(edit->Caret(), 8u) << "past the text: its end";
    headless->PressButton(MouseButton::kLeft, ScreenOf(*edit, {2, 12}));
    headless->MoveMouse(ScreenOf(*edit, {300, 12}));  // far outside: captured
    headless->ReleaseButton(MouseButton::kLeft, ScreenOf(*edit, {300, 12}));
    Pump();
    EXPECT_EQ(edit->Selection(), (std::pair<size_t, size_t>{0, 8}));
    clock.Advance(1000);
    ClickOn(*edit, {30, 12});
    EXPECT_EQ(edit->Selection().first, edit->Selection().second);
    ClickOn(*edit, {30, 12});  // the second click of a double click
    EXPECT_EQ(edit->Selection(), (std::pair<size_t, size_t>{0, 8}));
}

// A text longer than the box scrolls so that the caret stays in view; Home
// shows the start again exactly as a fresh box does.
TEST_F(EditTest, LongTextScrollsWithTheCaret) {
    Edit* fresh = Make<Edit>(1006, Rect::FromXywh(20, 60, 120, 24));
    std::string longText = "0123456789abcdefghijklmnopqrstuvwxyz";
    Type(longText);
    EXPECT_EQ(edit->Caret(), longText.size());
    Rect r = edit->BoundsInTopLevel();
    Rect start = Rect::FromXywh(r.left + 1, r.top + 1, 30, r.Height() - 2);
    fresh->SetText(longText);
    fresh->SetFocus();
    Press(Key::kHome);  // the fresh box's caret at its start
    std::vector<uint32_t> freshStart = ShownPixels(start.Offset(0, 40));
    edit->SetFocus();
    Press(Key::kEnd);
    EXPECT_NE(ShownPixels(start), freshStart) << "scrolled: the start is out of view";
    Press(Key::kHome);
    EXPECT_EQ(ShownPixels(start), freshStart);
}

TEST_F(EditTest, DisabledEditTakesNoInputAndIsGrey) {
    edit->SetText("ab");
    std::vector<uint32_t> enabled = ShownPixels(edit->BoundsInTopLevel());
    edit->Enable(false);
    Type("cd");
    ClickOn(*edit, {5, 5});
    EXPECT_EQ(edit->Text(), "ab");
    EXPECT_NE(ShownPixels(edit->BoundsInTopLevel()), enabled);
    Rect r = edit->BoundsInTopLevel();
    EXPECT_EQ(Shown().PixelAt(r.left + 60, r.top + 12), ToArgb(ColorRef::FromRgb(0xF4, 0xF4, 0xF4)))
        << "the grey fill";
}

}  // namespace
}  // namespace platform
