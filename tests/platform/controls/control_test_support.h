// Shared pieces of the controls' tests: a dialog on the headless backend
// with a ControlSet, whose paint handler presents its back buffer through
// the set, which records the notices it gets, and helpers to click, type
// and read back what the screen shows.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string_view>
#include <vector>

#include "platform/controls/control_set.h"
#include "platform/controls/utf32.h"
#include "tests/platform/window/window_test_support.h"

namespace platform {

// One kCommand a control sent to the dialog.
struct Notice {
    uint32_t id = 0;
    int64_t code = 0;
    int64_t param2 = 0;
    bool operator==(const Notice&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const Notice& n) {
    return out << "{" << n.id << ", " << n.code << ", " << n.param2 << "}";
}

// The dialog: a back buffer of one colour, presented through the set.
class DialogHost : public WindowHandler {
public:
    int64_t OnMessage(WindowId self, const Message& msg) override {
        (void)self;
        switch (msg.kind) {
            case MessageKind::kPaint:
                if (set && back) {
                    set->Present(*back, msg.rect);
                }
                return 0;
            case MessageKind::kCommand:
                notices.push_back(Notice{msg.code, msg.param, msg.param2});
                if (onCommand) {
                    onCommand(notices.back());
                }
                return kDefault;
            default:
                return kDefault;
        }
    }

    ControlSet* set = nullptr;
    std::unique_ptr<Surface> back;
    std::vector<Notice> notices;
    std::function<void(const Notice&)> onCommand;
};

class ControlTest : public WindowTest {
protected:
    static constexpr Argb kBackground{0xFF336699u};
    static constexpr Point kDialogOrigin{100, 100};

    void SetUp() override {
        WindowTest::SetUp();
        WindowOptions o = DialogWindowOptions(
            {}, Rect::FromXywh(kDialogOrigin.x, kDialogOrigin.y, 400, 300), &host);
        o.visible = true;
        o.className = "DIALOG";
        dialog = wm->Create(o);
        ASSERT_TRUE(dialog);
        host.back = Surface::Create(400, 300);
        host.back->Clear(kBackground);
        set = std::make_unique<ControlSet>(*wm, dialog);
        host.set = set.get();
        Pump();
    }

    // The controls go while the layer still runs; then the layer.
    void TearDown() override {
        set.reset();
        WindowTest::TearDown();
    }

    template <class T>
    T* Make(uint32_t id, Rect rect, std::string text = "", bool visible = true) {
        ControlOptions o;
        o.id = id;
        o.rect = rect;
        o.text = std::move(text);
        o.visible = visible;
        T* control = set->Add(std::make_unique<T>(), o);
        EXPECT_NE(control, nullptr);
        return control;
    }

    Point ScreenOf(const Control& c, Point local) {
        std::optional<Point> p = wm->ClientToScreen(c.Window(), local);
        return p ? *p : Point{};
    }
    void ClickOn(const Control& c, Point local) {
        headless->Click(MouseButton::kLeft, ScreenOf(c, local));
        Pump();
    }
    void Type(std::string_view utf8) {
        for (char32_t c : Utf8ToUtf32(utf8)) {
            headless->TypeChar(c);
        }
        Pump();
    }
    void Press(Key key, uint32_t modifiers = 0, uint32_t codePoint = 0) {
        headless->PressKey(key, modifiers, codePoint);
        headless->ReleaseKey(key, modifiers, codePoint);
        Pump();
    }
    void Chord(char letter) { Press(Key::kOther, kModControl, static_cast<uint32_t>(letter)); }

    // What the screen shows of the dialog (after the pending paints).
    const Surface& Shown() {
        Pump();
        const HeadlessBackend::TopLevelState* state = headless->State(dialog);
        EXPECT_TRUE(state && state->presented);
        return *state->presented;
    }
    // The pixels of a rectangle of the dialog as they are shown now.
    std::vector<uint32_t> ShownPixels(const Rect& r) {
        const Surface& s = Shown();
        std::vector<uint32_t> out;
        for (int y = r.top; y < r.bottom; ++y) {
            for (int x = r.left; x < r.right; ++x) {
                out.push_back(s.PixelAt(x, y).value);
            }
        }
        return out;
    }
    std::vector<Notice> TakeNotices() {
        std::vector<Notice> n;
        n.swap(host.notices);
        return n;
    }

    DialogHost host;
    WindowId dialog;
    std::unique_ptr<ControlSet> set;
};

}  // namespace platform
