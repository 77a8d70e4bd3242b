// The X11 user-activity source: XQueryPointer for the pointer, XQueryKeymap
// for held keys, and the screen-saver extension's idle counter, which the
// server resets on input from every device, touch screens included.
#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>

#include "platform/idle/user_activity.h"

namespace platform {

namespace {

class UserActivityX11 final : public UserActivity {
public:
    explicit UserActivityX11(Display* display)
        : m_display(display), m_root(DefaultRootWindow(display)) {
        int eventBase = 0, errorBase = 0;
        if (XScreenSaverQueryExtension(m_display, &eventBase, &errorBase)) {
            m_info = XScreenSaverAllocInfo();
        }
    }
    ~UserActivityX11() override {
        if (m_info) {
            XFree(m_info);
        }
        XCloseDisplay(m_display);
    }
    UserActivityX11(const UserActivityX11&) = delete;
    UserActivityX11& operator=(const UserActivityX11&) = delete;

    bool CursorPosition(int& x, int& y) override {
        Window root = 0, child = 0;
        int winX = 0, winY = 0;
        unsigned int mask = 0;
        return XQueryPointer(m_display, m_root, &root, &child, &x, &y, &winX, &winY, &mask) == True;
    }

    bool AnyKeyDown() override {
        char keys[32] = {};
        XQueryKeymap(m_display, keys);
        for (char byte : keys) {
            if (byte != 0) {
                return true;
            }
        }
        return false;
    }

    int64_t InputIdleMs() override {
        if (!m_info || !XScreenSaverQueryInfo(m_display, m_root, m_info)) {
            return -1;
        }
        return static_cast<int64_t>(m_info->idle);
    }

private:
    Display* m_display;
    Window m_root;
    XScreenSaverInfo* m_info = nullptr;
};

}  // namespace

std::unique_ptr<UserActivity> CreateX11UserActivity(const std::string& display) {
    Display* d = XOpenDisplay(display.empty() ? nullptr : display.c_str());
    if (!d) {
        return nullptr;
    }
    return std::make_unique<UserActivityX11>(d);
}

}  // namespace platform
