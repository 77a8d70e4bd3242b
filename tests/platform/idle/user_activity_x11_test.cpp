// The X11 user-activity source against a private Xvfb: pointer moves, held
// keys and the server's idle counter, driven through XTest.
// gtest first: Xlib's macros (None, Bool) break its headers.
#include <gtest/gtest.h>
// clang-format off
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
// clang-format on

#include <chrono>
#include <thread>

#include "platform/idle/user_activity.h"
#include "tests/support/XvfbServer.h"

namespace {

class XTestDriver {
public:
    explicit XTestDriver(const std::string& display) : m_display(XOpenDisplay(display.c_str())) {}
    ~XTestDriver() {
        if (m_display) {
            XCloseDisplay(m_display);
        }
    }
    XTestDriver(const XTestDriver&) = delete;
    XTestDriver& operator=(const XTestDriver&) = delete;

    bool Ok() const { return m_display != nullptr; }
    void Move(int x, int y) {
        XTestFakeMotionEvent(m_display, 0, x, y, CurrentTime);
        XSync(m_display, False);
    }
    void Key(bool down) {
        XTestFakeKeyEvent(m_display, XKeysymToKeycode(m_display, 'a'), down ? True : False,
                          CurrentTime);
        XSync(m_display, False);
    }

private:
    Display* m_display;
};

TEST(UserActivityX11Test, NoServerGivesNoSource) {
    EXPECT_EQ(platform::CreateX11UserActivity(":65000"), nullptr);
}

TEST(UserActivityX11Test, PointerKeysAndIdleCounter) {
    testsupport::XvfbServer server("320x240x24");
    ASSERT_TRUE(server.Ok());
    std::unique_ptr<platform::UserActivity> source =
        platform::CreateX11UserActivity(server.Display());
    ASSERT_NE(source, nullptr);
    XTestDriver driver(server.Display());
    ASSERT_TRUE(driver.Ok());

    driver.Move(40, 30);
    int x = -1, y = -1;
    ASSERT_TRUE(source->CursorPosition(x, y));
    EXPECT_EQ(x, 40);
    EXPECT_EQ(y, 30);
    EXPECT_FALSE(source->AnyKeyDown());

    // The idle counter grows while nothing happens, and input resets it.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const int64_t before = source->InputIdleMs();
    ASSERT_GE(before, 200);
    driver.Key(true);
    EXPECT_TRUE(source->AnyKeyDown());
    const int64_t after = source->InputIdleMs();
    EXPECT_GE(after, 0);
    EXPECT_LT(after, before);
    driver.Key(false);
    EXPECT_FALSE(source->AnyKeyDown());
}

}  // namespace
