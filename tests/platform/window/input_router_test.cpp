// Pointer and keyboard rules on the headless backend: hover and leave,
// capture, double clicks, focus and Tab order, and input under a modal window.
#include <gtest/gtest.h>

#include "tests/platform/window/window_test_support.h"

namespace platform {
namespace {

class InputTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        dialog = TopLevel(Rect::FromXywh(100, 100, 300, 200), &dialogHandler);
        button = Child(dialog, Rect::FromXywh(10, 10, 50, 20), &buttonHandler);
        other = Child(dialog, Rect::FromXywh(100, 10, 50, 20), &otherHandler);
        Pump();
        dialogHandler.log.clear();
        buttonHandler.log.clear();
        otherHandler.log.clear();
    }

    RecordingHandler dialogHandler;
    RecordingHandler buttonHandler;
    RecordingHandler otherHandler;
    WindowId dialog;
    WindowId button;
    WindowId other;
};

// A widget arms hover and leave tracking on every mouse move, as the skinned
// buttons do; each row is a pointer path with its expected messages.
TEST_F(InputTest, HoverAndLeave) {
    buttonHandler.on[MessageKind::kMouseMove] = [&](WindowId self, const Message&) -> int64_t {
        wm->TrackMouse(self, true, true, 400);
        return 0;
    };
    using K = MessageKind;
    struct Step {
        Point to;
        uint64_t restMs;
    };
    struct Row {
        const char* what;
        std::vector<Step> path;
        std::vector<K> expected;
    } rows[] = {
        {"rest long enough", {{{120, 120}, 400}}, {K::kMouseMove, K::kMouseHover}},
        {"rest too short", {{{120, 120}, 399}}, {K::kMouseMove}},
        {"small moves keep resting",
         {{{120, 120}, 200}, {{122, 121}, 200}},
         {K::kMouseMove, K::kMouseMove, K::kMouseHover}},
        {"a real move restarts the rest",
         {{{120, 120}, 200}, {{125, 120}, 200}},
         {K::kMouseMove, K::kMouseMove}},
        {"leave to the background",
         {{{120, 120}, 0}, {{250, 250}, 0}},
         {K::kMouseMove, K::kMouseLeave}},
        {"leave to a sibling", {{{120, 120}, 0}, {{210, 115}, 0}}, {K::kMouseMove, K::kMouseLeave}},
        {"leave off every window", {{{120, 120}, 0}, {{5, 5}, 0}}, {K::kMouseMove, K::kMouseLeave}},
        {"hover once, then leave",
         {{{120, 120}, 500}, {{120, 120}, 500}, {{5, 5}, 0}},
         {K::kMouseMove, K::kMouseHover, K::kMouseMove, K::kMouseHover, K::kMouseLeave}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        headless->MoveMouse({1, 1});
        Pump();
        buttonHandler.log.clear();
        for (const Step& s : r.path) {
            headless->MoveMouse(s.to);
            Pump();
            clock.Advance(s.restMs);
            Pump();
        }
        EXPECT_EQ(buttonHandler.InputKinds(), r.expected);
    }
}

TEST_F(InputTest, TrackingAWindowNotUnderThePointerLeavesAtOnce) {
    headless->MoveMouse({250, 250});
    Pump();
    wm->TrackMouse(button, true, true, 1);
    Pump();
    EXPECT_EQ(buttonHandler.InputKinds(), std::vector<MessageKind>{MessageKind::kMouseLeave});
}

TEST_F(InputTest, CaptureSendsEveryPointerMessageToTheCapturingWindow) {
    buttonHandler.on[MessageKind::kButtonDown] = [&](WindowId self, const Message&) -> int64_t {
        wm->SetCapture(self);
        return 0;
    };
    std::vector<Point> upPoints;
    buttonHandler.on[MessageKind::kButtonUp] = [&](WindowId, const Message& m) -> int64_t {
        upPoints.push_back(m.point);
        wm->ReleaseCapture();
        return 0;
    };
    headless->PressButton(MouseButton::kLeft, {120, 120});
    headless->MoveMouse({220, 115});  // over the other widget
    headless->MoveMouse({5, 5});      // off the window
    headless->ReleaseButton(MouseButton::kLeft, {5, 5});
    headless->MoveMouse({220, 115});
    Pump();

    using K = MessageKind;
    EXPECT_EQ(buttonHandler.InputKinds(),
              (std::vector<K>{K::kButtonDown, K::kMouseMove, K::kMouseMove, K::kButtonUp,
                              K::kCaptureLost}));
    // Points stay relative to the button (at 110, 110 on screen), even outside it.
    ASSERT_EQ(upPoints.size(), 1u);
    EXPECT_EQ(upPoints[0], (Point{-105, -105}));
    EXPECT_EQ(otherHandler.InputKinds(), std::vector<K>{K::kMouseMove});
    EXPECT_EQ(wm->Capture(), WindowId{});
    EXPECT_EQ(headless->GrabWindow(), WindowId{});
}

TEST_F(InputTest, CaptureMovingToAnotherWindowTellsTheFirst) {
    wm->SetCapture(button);
    EXPECT_EQ(headless->GrabWindow(), dialog);
    wm->SetCapture(other);
    EXPECT_EQ(buttonHandler.InputKinds(), std::vector<MessageKind>{MessageKind::kCaptureLost});
    wm->Destroy(other);
    EXPECT_EQ(wm->Capture(), WindowId{});
    EXPECT_EQ(headless->GrabWindow(), WindowId{});
}

TEST_F(InputTest, DoubleClicks) {
    using K = MessageKind;
    struct Press {
        Point at;
        uint64_t afterMs;
    };
    struct Row {
        const char* what;
        std::vector<Press> presses;
        std::vector<K> expected;
    } rows[] = {
        {"quick second press",
         {{{120, 120}, 0}, {{120, 120}, 500}},
         {K::kButtonDown, K::kDoubleClick}},
        {"too slow", {{{120, 120}, 0}, {{120, 120}, 501}}, {K::kButtonDown, K::kButtonDown}},
        {"moved within the slop",
         {{{120, 120}, 0}, {{122, 118}, 100}},
         {K::kButtonDown, K::kDoubleClick}},
        {"moved too far", {{{120, 120}, 0}, {{123, 120}, 100}}, {K::kButtonDown, K::kButtonDown}},
        {"third press starts anew",
         {{{120, 120}, 0}, {{120, 120}, 100}, {{120, 120}, 100}},
         {K::kButtonDown, K::kDoubleClick, K::kButtonDown}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        clock.Advance(10000);  // forget earlier presses
        buttonHandler.log.clear();
        for (const Press& p : r.presses) {
            clock.Advance(p.afterMs);
            headless->PressButton(MouseButton::kLeft, p.at);
            Pump();
            headless->ReleaseButton(MouseButton::kLeft, p.at);
            Pump();
        }
        std::vector<K> presses;
        for (K k : buttonHandler.InputKinds()) {
            if (k == K::kButtonDown || k == K::kDoubleClick) {
                presses.push_back(k);
            }
        }
        EXPECT_EQ(presses, r.expected);
    }
    // A press on another window between the two is no double click.
    clock.Advance(10000);
    buttonHandler.log.clear();
    headless->Click(MouseButton::kLeft, {120, 120});
    headless->Click(MouseButton::kLeft, {210, 115});
    headless->Click(MouseButton::kLeft, {120, 120});
    Pump();
    EXPECT_TRUE(buttonHandler.Of(MessageKind::kDoubleClick).empty());
}

TEST_F(InputTest, TabWalksTheShownEnabledStopsAndKeysGoToTheFocus) {
    RecordingHandler& h = NewHandler();
    WindowOptions o = DialogWindowOptions({}, Rect::FromXywh(0, 0, 200, 200), &h);
    o.visible = true;
    WindowId dlg = wm->Create(o);
    auto stop = [&](Rect r, WindowId parent) {
        WindowOptions c = ChildWindowOptions(parent, r, &h);
        c.tabStop = true;
        return wm->Create(c);
    };
    WindowId edit1 = stop(Rect::FromXywh(0, 0, 10, 10), dlg);
    WindowId hiddenEdit = stop(Rect::FromXywh(0, 20, 10, 10), dlg);
    wm->Show(hiddenEdit, false);
    WindowId panel = Child(dlg, Rect::FromXywh(0, 40, 100, 100), &h);
    WindowId nested = stop(Rect::FromXywh(0, 0, 10, 10), panel);
    WindowId disabledEdit = stop(Rect::FromXywh(0, 60, 10, 10), dlg);
    wm->Enable(disabledEdit, false);
    WindowId edit2 = stop(Rect::FromXywh(0, 80, 10, 10), dlg);
    Pump();

    struct Row {
        uint32_t modifiers;
        WindowId expected;
    } rows[] = {
        {0, edit1}, {0, nested}, {0, edit2}, {0, edit1}, {kModShift, edit2}, {kModShift, nested},
    };
    for (const Row& r : rows) {
        headless->PressKey(Key::kTab, r.modifiers);
        Pump();
        EXPECT_EQ(wm->Focus(), r.expected);
    }
    h.log.clear();
    headless->TypeChar('x');
    headless->PressKey(Key::kReturn);
    Pump();
    std::vector<Received> chars = h.Of(MessageKind::kChar);
    ASSERT_EQ(chars.size(), 1u);
    EXPECT_EQ(chars[0].target, nested);
    EXPECT_EQ(chars[0].code, static_cast<uint32_t>('x'));
    std::vector<Received> commands = h.Of(MessageKind::kCommand);
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].target, dlg);
    EXPECT_EQ(commands[0].code, kCommandOk);
}

// Key messages name the key and carry its character; a Control chord's
// letter arrives only that way (the display types no kChar for it).
TEST_F(InputTest, KeyMessagesCarryTheKeyAndItsCharacter) {
    wm->SetFocus(button);
    struct Row {
        const char* what;
        Key key;
        uint32_t modifiers;
        uint32_t codePoint;
    } rows[] = {
        {"page up", Key::kPageUp, 0, 0},
        {"page down", Key::kPageDown, 0, 0},
        {"F4", Key::kF4, 0, 0},
        {"Alt+Down", Key::kDown, kModAlt, 0},
        {"Ctrl+C", Key::kOther, kModControl, 'c'},
        {"Ctrl+Shift+V", Key::kOther, kModControl | kModShift, 'V'},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        buttonHandler.log.clear();
        headless->PressKey(r.key, r.modifiers, r.codePoint);
        headless->ReleaseKey(r.key, r.modifiers, r.codePoint);
        Pump();
        ASSERT_EQ(buttonHandler.log.size(), 2u);
        for (const Received& m : buttonHandler.log) {
            EXPECT_EQ(m.key, r.key);
            EXPECT_EQ(m.modifiers, r.modifiers);
            EXPECT_EQ(m.code, r.codePoint);
        }
        EXPECT_EQ(buttonHandler.log[0].kind, MessageKind::kKeyDown);
        EXPECT_EQ(buttonHandler.log[1].kind, MessageKind::kKeyUp);
    }
}

TEST_F(InputTest, ClipboardTextOfTheHeadlessDisplayLivesInMemory) {
    EXPECT_EQ(wm->ClipboardText(), std::nullopt) << "nothing copied yet";
    EXPECT_TRUE(wm->SetClipboardText("Grüße"));
    EXPECT_EQ(wm->ClipboardText(), std::optional<std::string>("Grüße"));
    wm->SetClipboardText("");
    EXPECT_EQ(wm->ClipboardText(), std::optional<std::string>(""));
}

TEST_F(InputTest, PreTranslateSeesInputFirstFromTheInnermostWindowUp) {
    struct Filter : RecordingHandler {
        bool PreTranslate(WindowId self, const Message& m) override {
            seen.push_back(self);
            return consume && m.kind == MessageKind::kKeyDown && m.key == Key::kEscape;
        }
        std::vector<WindowId> seen;
        bool consume = false;
    };
    Filter top;
    Filter inner;
    WindowOptions o = DialogWindowOptions({}, Rect::FromXywh(500, 500, 100, 100), &top);
    o.visible = true;
    WindowId dlg = wm->Create(o);
    WindowId edit = Child(dlg, Rect::FromXywh(0, 0, 10, 10), &inner);
    wm->SetFocus(edit);
    top.consume = true;
    headless->PressKey(Key::kEscape);
    Pump();
    EXPECT_EQ(inner.seen, std::vector<WindowId>{edit});
    EXPECT_EQ(top.seen, std::vector<WindowId>{dlg});
    EXPECT_TRUE(inner.Of(MessageKind::kKeyDown).empty());
    EXPECT_TRUE(top.Of(MessageKind::kCommand).empty()) << "consumed before dialog keys";
    wm->Destroy(dlg);
}

TEST_F(InputTest, OwnerOfAModalWindowGetsNoInput) {
    WindowOptions o;
    o.parent = dialog;
    o.rect = Rect::FromXywh(600, 600, 100, 100);
    RecordingHandler& modalHandler = NewHandler();
    o.handler = &modalHandler;
    WindowId modal = wm->Create(o);
    modalHandler.on[MessageKind::kShow] = [&](WindowId self, const Message& m) -> int64_t {
        if (m.code == 1) {
            headless->Click(MouseButton::kLeft, {120, 120});  // on the owner's button
            headless->PressKey(Key::kSpace);
            wm->SetTimer(self, 1, 10);  // timers come after input
        }
        return 0;
    };
    modalHandler.on[MessageKind::kTimer] = [&](WindowId self, const Message&) -> int64_t {
        wm->EndModal(self, 8);
        return 0;
    };
    EXPECT_EQ(wm->RunModal(modal), 8);
    EXPECT_TRUE(buttonHandler.InputKinds().empty());
    EXPECT_TRUE(dialogHandler.Of(MessageKind::kKeyDown).empty());
    EXPECT_EQ(modalHandler.Of(MessageKind::kKeyDown).size(), 1u) << "keys go to the modal window";

    headless->Click(MouseButton::kLeft, {120, 120});
    Pump();
    EXPECT_EQ(buttonHandler.Of(MessageKind::kButtonDown).size(), 1u);
}

TEST_F(InputTest, ButtonsDownFollowPressesAndReleases) {
    headless->PressButton(MouseButton::kLeft, {120, 120});
    Pump();
    EXPECT_EQ(wm->MouseButtonsDown(), kModLeftButton);
    headless->PressButton(MouseButton::kRight, {5, 5});  // outside: still held
    Pump();
    EXPECT_EQ(wm->MouseButtonsDown(), kModLeftButton | kModRightButton);
    headless->ReleaseButton(MouseButton::kLeft, {5, 5});
    headless->ReleaseButton(MouseButton::kRight, {5, 5});
    Pump();
    EXPECT_EQ(wm->MouseButtonsDown(), 0u);
}

// An open menu (a popup holding the focus and the capture) takes the keys
// and the clicks, even those aimed at the dialog below it.
TEST_F(InputTest, OpenPopupTakesKeysAndOutsideClicks) {
    RecordingHandler& menu = NewHandler();
    WindowOptions o;
    o.parent = dialog;
    o.rect = Rect::FromXywh(150, 150, 80, 60);
    o.popup = true;
    o.topmost = true;
    o.visible = true;
    o.handler = &menu;
    WindowId popup = wm->Create(o);
    WindowId item = Child(popup, Rect::FromXywh(0, 0, 80, 20), &menu);
    EXPECT_EQ(wm->ActiveTopLevel(), dialog) << "a popup never takes the activation";
    wm->SetFocus(item);
    wm->SetCapture(popup);
    headless->PressKey(Key::kDown);
    headless->Click(MouseButton::kLeft, {120, 120});  // on the dialog's button
    Pump();
    EXPECT_EQ(menu.Of(MessageKind::kKeyDown).size(), 1u);
    std::vector<Received> downs = menu.Of(MessageKind::kButtonDown);
    ASSERT_EQ(downs.size(), 1u);
    EXPECT_EQ(downs[0].target, popup);
    EXPECT_EQ(downs[0].point, (Point{-30, -30})) << "outside the menu: it closes itself";
    EXPECT_TRUE(buttonHandler.InputKinds().empty());
    EXPECT_TRUE(dialogHandler.Of(MessageKind::kKeyDown).empty());
}

TEST_F(InputTest, CursorFollowsTheWindowUnderThePointerUnlessOverridden) {
    wm->SetCursor(button, CursorShape::kHand);
    headless->MoveMouse({120, 120});
    Pump();
    EXPECT_EQ(headless->State(dialog)->cursor, CursorShape::kHand);
    headless->MoveMouse({250, 250});
    Pump();
    EXPECT_EQ(headless->State(dialog)->cursor, CursorShape::kArrow);
    wm->SetOverrideCursor(CursorShape::kWait);
    EXPECT_EQ(headless->State(dialog)->cursor, CursorShape::kWait);
    headless->MoveMouse({120, 120});
    Pump();
    EXPECT_EQ(headless->State(dialog)->cursor, CursorShape::kWait);
    wm->SetOverrideCursor(std::nullopt);
    EXPECT_EQ(headless->State(dialog)->cursor, CursorShape::kHand);
}

}  // namespace
}  // namespace platform
