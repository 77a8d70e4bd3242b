// The XTest injector against a real X server (Xvfb, started by each test),
// watched through a plain X window that holds the keyboard focus.
#include "platform/input/input_injector_x11.h"

// gtest before Xlib: Xlib's macros (None, Bool) break gtest's headers.
#include <gtest/gtest.h>
#include <poll.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/XvfbServer.h"

namespace platform {
namespace {

using testsupport::XvfbServer;

// A window that covers the screen, has the focus and reports what reaches it.
class WatchWindow {
public:
    explicit WatchWindow(const std::string& display) : m_display(XOpenDisplay(display.c_str())) {
        if (!m_display) {
            return;
        }
        const Window root = DefaultRootWindow(m_display);
        m_window = XCreateSimpleWindow(m_display, root, 0, 0, 640, 480, 0, 0, 0);
        XSelectInput(
            m_display, m_window,
            KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask | ExposureMask);
        XMapWindow(m_display, m_window);
        // Mapped once it is exposed; then it may take the focus.
        XEvent event;
        XWindowEvent(m_display, m_window, ExposureMask, &event);
        XSetInputFocus(m_display, m_window, RevertToParent, CurrentTime);
        XSync(m_display, False);
    }
    ~WatchWindow() {
        if (m_display) {
            XCloseDisplay(m_display);
        }
    }
    bool Ok() const { return m_display != nullptr; }

    // Waits until `count` events of `type` came (or 5 s passed) and returns
    // those that came, in order. Events of other types are kept for later.
    std::vector<XEvent> Wait(int type, size_t count) {
        auto ofType = [&] {
            std::vector<XEvent> got;
            for (const XEvent& e : m_events) {
                if (e.type == type) {
                    got.push_back(e);
                }
            }
            return got;
        };
        // Everything the server has sent so far is read before the first check.
        XSync(m_display, False);
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (ofType().size() < count && std::chrono::steady_clock::now() < end) {
            while (XPending(m_display) > 0) {
                XEvent event;
                XNextEvent(m_display, &event);
                if (event.type == MappingNotify) {
                    XRefreshKeyboardMapping(&event.xmapping);
                } else {
                    m_events.push_back(event);
                }
            }
            pollfd p{ConnectionNumber(m_display), POLLIN, 0};
            poll(&p, 1, 50);
        }
        return ofType();
    }

    // The symbol of a key event without modifiers, as a client reads it.
    unsigned long Keysym(XEvent& event) { return XLookupKeysym(&event.xkey, 0); }

    void Pointer(int* x, int* y) {
        Window rootReturn, child;
        int wx, wy;
        unsigned mask;
        XQueryPointer(m_display, DefaultRootWindow(m_display), &rootReturn, &child, x, y, &wx, &wy,
                      &mask);
    }

private:
    Display* m_display;
    Window m_window = 0;
    std::vector<XEvent> m_events;
};

// Each test gets its own X server, the watching window and an injector.
class InputInjectorX11Test : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.Ok());
        window = std::make_unique<WatchWindow>(server.Display());
        ASSERT_TRUE(window->Ok());
        injector = InputInjectorX11::Create(server.Display());
        ASSERT_TRUE(injector);
    }

    XvfbServer server{"640x480x24"};
    std::unique_ptr<WatchWindow> window;
    std::unique_ptr<InputInjectorX11> injector;
};

TEST_F(InputInjectorX11Test, AbsoluteAndRelativeMovesLandOnTheExpectedPixels) {
    DisplayRect primary;
    ASSERT_TRUE(injector->GetDesktopConfig(0, &primary));
    EXPECT_EQ(primary, (DisplayRect{0, 0, 640, 480}));
    EXPECT_FALSE(injector->GetDesktopConfig(1, &primary));

    const struct {
        const char* name;
        MouseInput input;
        int x, y;
    } rows[] = {
        {"centre", {32768, 32768, 0, kMouseMove | kMouseAbsolute}, 320, 240},
        {"origin", {0, 0, 0, kMouseMove | kMouseAbsolute}, 0, 0},
        {"far corner", {65535, 65535, 0, kMouseMove | kMouseAbsolute}, 639, 479},
        // A position rounded to a pixel's start lands on that pixel.
        {"pixel 100, 50",
         {(100 * 65536 + 320) / 640, (50 * 65536 + 240) / 480, 0, kMouseMove | kMouseAbsolute},
         100,
         50},
        {"virtual desk",
         {16384, 16384, 0, kMouseMove | kMouseAbsolute | kMouseVirtualDesk},
         160,
         120},
        {"relative", {5, -3, 0, kMouseMove}, 165, 117},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        injector->SendMouse(row.input);
        int x = -1, y = -1;
        window->Pointer(&x, &y);
        EXPECT_EQ(x, row.x);
        EXPECT_EQ(y, row.y);
    }
}

TEST_F(InputInjectorX11Test, ButtonsAndWheelReachTheWindow) {
    injector->SendMouse({32768, 32768, 0, kMouseMove | kMouseAbsolute});
    injector->SendMouse({0, 0, 0, kMouseMove | kMouseLeftDown | kMouseRightDown});
    injector->SendMouse({0, 0, 0, kMouseMove | kMouseLeftUp | kMouseRightUp});
    // Two notches towards the user, then half a notch twice away from him.
    injector->SendMouse({0, 0, -240, kMouseMove | kMouseWheel});
    injector->SendMouse({0, 0, 60, kMouseMove | kMouseWheel});
    injector->SendMouse({0, 0, 60, kMouseMove | kMouseWheel});

    std::vector<XEvent> presses = window->Wait(ButtonPress, 5);
    ASSERT_EQ(presses.size(), 5u);
    std::vector<unsigned> buttons;
    for (const XEvent& e : presses) {
        buttons.push_back(e.xbutton.button);
    }
    EXPECT_EQ(buttons, (std::vector<unsigned>{1, 3, 5, 5, 4}));
    EXPECT_EQ(presses[0].xbutton.x, 320);
}

TEST_F(InputInjectorX11Test, KeysByScanCodeAndTextReachTheFocusedWindow) {
    injector->SendKey({0, 0x1E, kKeyScanCode});           // a
    injector->SendKey({0, 0x1E, kKeyScanCode | kKeyUp});  // a
    injector->SendKey({0, 0x48, kKeyScanCode | kKeyExtended});
    injector->SendKey({0, 0x48, kKeyScanCode | kKeyExtended | kKeyUp});
    injector->SendKey({kVkVolumeUp, 0, 0});
    injector->SendKey({kVkVolumeUp, 0, kKeyUp});
    // A Latin-1 letter, a Cyrillic one, and one outside the Basic
    // Multilingual Plane.
    injector->TypeCharacter(U'\u00e9');
    injector->TypeCharacter(U'\u0416');
    injector->TypeCharacter(U'\U0001F600');
    // Not characters: nothing is typed.
    injector->TypeCharacter(0xD83D);
    injector->TypeCharacter(0x110000);

    EXPECT_EQ(window->Wait(KeyRelease, 6).size(), 6u);
    std::vector<XEvent> presses = window->Wait(KeyPress, 0);
    ASSERT_EQ(presses.size(), 6u);
    std::vector<unsigned long> keysyms;
    for (XEvent& e : presses) {
        keysyms.push_back(window->Keysym(e));
    }
    EXPECT_EQ(keysyms,
              (std::vector<unsigned long>{'a', 0xFF52 /* Up */, 0x1008FF13 /* AudioRaiseVolume */,
                                          0xE9, 0x1000416, 0x101F600}));
}

TEST_F(InputInjectorX11Test, ControlCharactersOfATextAreTypedAsTheirKeys) {
    for (char32_t c : {char32_t{0x08}, char32_t{0x09}, char32_t{0x0A}, char32_t{0x0D},
                       char32_t{0x01}, char32_t{0x1B}}) {
        injector->TypeCharacter(c);
    }
    EXPECT_EQ(window->Wait(KeyRelease, 4).size(), 4u);
    std::vector<XEvent> presses = window->Wait(KeyPress, 0);
    ASSERT_EQ(presses.size(), 4u);
    std::vector<unsigned long> keysyms;
    for (XEvent& e : presses) {
        keysyms.push_back(window->Keysym(e));
    }
    EXPECT_EQ(keysyms, (std::vector<unsigned long>{0xFF08 /* BackSpace */, 0xFF09 /* Tab */,
                                                   0xFF0D /* Return */, 0xFF0D}));
}

TEST_F(InputInjectorX11Test, CapsLockToggleIsReadBack) {
    LockKeyStates states;
    ASSERT_TRUE(injector->GetLockKeyStates(&states));
    EXPECT_EQ(states, LockKeyStates{});

    for (bool expected : {true, false}) {
        SCOPED_TRACE(expected);
        injector->SendKey({0, 0x3A, kKeyScanCode});
        injector->SendKey({0, 0x3A, kKeyScanCode | kKeyUp});
        ASSERT_TRUE(injector->GetLockKeyStates(&states));
        EXPECT_EQ(states.capsLock, expected);
        EXPECT_FALSE(states.numLock);
    }
}

TEST_F(InputInjectorX11Test, OneFingerDrivesThePointerWithTheLeftButton) {
    injector->StartTouch(0);
    injector->SetFingerInfo(1, 16384, 16384, 1);  // down at 160, 120
    injector->SetFingerInfo(2, 49152, 49152, 1);  // a second finger: ignored
    injector->SetFingerInfo(1, 32768, 32768, 1);  // moves
    int x = -1, y = -1;
    window->Pointer(&x, &y);
    EXPECT_EQ(x, 320);
    EXPECT_EQ(y, 240);
    injector->SetFingerInfo(1, 32768, 32768, 0);  // lifted
    injector->SetFingerInfo(2, 49152, 49152, 1);  // now the second one leads
    injector->StopTouch();

    std::vector<XEvent> presses = window->Wait(ButtonPress, 2);
    std::vector<XEvent> releases = window->Wait(ButtonRelease, 2);
    ASSERT_EQ(presses.size(), 2u);
    ASSERT_EQ(releases.size(), 2u);
    EXPECT_EQ(presses[0].xbutton.x, 160);
    EXPECT_EQ(releases[0].xbutton.x, 320);
    EXPECT_EQ(presses[1].xbutton.x, 480);
}

TEST(InputInjectorX11CreateTest, NoDisplayNoInjector) {
    EXPECT_EQ(InputInjectorX11::Create(":999999"), nullptr);
}

}  // namespace
}  // namespace platform
