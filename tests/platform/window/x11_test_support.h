// Shared pieces of the tests that run the window layer on a private Xvfb:
// a fixture with the X11 backend, a window manager and a second ("peer")
// connection that plays the user (XTest) and other programs, plus reading
// back what the server shows and keeping screenshots as test artefacts.
#pragma once

#include <gtest/gtest.h>
#include <poll.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "platform/draw/surface.h"
#include "platform/window/window_backend_x11.h"
#include "platform/window/window_manager.h"
#include "tests/platform/window/test_artifacts.h"
#include "tests/support/XvfbServer.h"

// Xlib last: its macros (None, Bool, CursorShape...) clash with names above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

namespace platform {

// The window's pixels as the X server holds them, as an opaque surface.
inline std::unique_ptr<Surface> GrabWindow(Display* display, unsigned long window, int width,
                                           int height) {
    XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(width),
                              static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (!image) {
        return nullptr;
    }
    auto surface = Surface::Create(width, height);
    uint32_t* dst = surface->MutablePixels();
    int stride = surface->Stride() / 4;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            dst[y * stride + x] = 0xFF000000u | (XGetPixel(image, x, y) & 0xFFFFFFu);
        }
    }
    surface->MarkDirty();
    XDestroyImage(image);
    return surface;
}

class X11WindowTest : public ::testing::Test {
protected:
    static constexpr int kScreenWidth = 800;
    static constexpr int kScreenHeight = 600;
    static constexpr unsigned long kNoWindow = 0;

    static void SetUpTestSuite() {
        s_server = new testsupport::XvfbServer(kScreenWidth, kScreenHeight);
        if (!s_server->Ok()) {
            s_skipReason = "cannot start Xvfb: " + s_server->Error();
        }
    }
    static void TearDownTestSuite() {
        delete s_server;
        s_server = nullptr;
    }

    void SetUp() override {
        if (!s_skipReason.empty()) {
            GTEST_SKIP() << s_skipReason;
        }
        auto backend = WindowBackendX11::Create(s_server->Display());
        ASSERT_NE(backend, nullptr);
        x11 = backend.get();
        wm = WindowManager::Create(std::move(backend));
        ASSERT_NE(wm, nullptr);
        peer = XOpenDisplay(s_server->Display().c_str());
        ASSERT_NE(peer, nullptr);
    }

    void TearDown() override {
        wm.reset();
        if (peer) {
            XCloseDisplay(peer);
        }
    }

    // Runs the loop until `done` holds or five seconds of real time pass:
    // the events come from another process.
    bool PumpUntil(const std::function<bool()>& done) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            x11->WaitForEvents(20);
            wm->PumpPending(PumpKind::kAll);
        }
        return true;
    }

    // The peer's view of a window: mapped, and where on the root.
    bool Viewable(unsigned long window) {
        XWindowAttributes a;
        return XGetWindowAttributes(peer, window, &a) && a.map_state == IsViewable;
    }
    Rect RootGeometry(unsigned long window) {
        XWindowAttributes a;
        XGetWindowAttributes(peer, window, &a);
        int x = 0;
        int y = 0;
        Window child = 0;
        XTranslateCoordinates(peer, window, DefaultRootWindow(peer), 0, 0, &x, &y, &child);
        return Rect::FromXywh(x, y, a.width, a.height);
    }

    // Lets everything the server has sent so far reach the handlers.
    void Settle() {
        XSync(peer, False);
        XSync(x11->display(), False);
        x11->WaitForEvents(0);
        wm->PumpPending(PumpKind::kAll);
    }

    void Click(Point screen) {
        XTestFakeMotionEvent(peer, -1, screen.x, screen.y, 0);
        XTestFakeButtonEvent(peer, 1, True, 0);
        XTestFakeButtonEvent(peer, 1, False, 0);
        XSync(peer, False);
    }

    // Presses and releases the key of `keysym`, with the keys of
    // `modifiers` (keysyms) held around it.
    void TypeKey(unsigned long keysym, std::initializer_list<unsigned long> modifiers = {}) {
        for (unsigned long m : modifiers) {
            XTestFakeKeyEvent(peer, XKeysymToKeycode(peer, m), True, 0);
        }
        KeyCode code = XKeysymToKeycode(peer, keysym);
        XTestFakeKeyEvent(peer, code, True, 0);
        XTestFakeKeyEvent(peer, code, False, 0);
        for (auto it = std::rbegin(modifiers); it != std::rend(modifiers); ++it) {
            XTestFakeKeyEvent(peer, XKeysymToKeycode(peer, *it), False, 0);
        }
        XSync(peer, False);
    }

    // A tray owner on the peer connection: a window that takes the tray
    // selection and announces itself on the root, as a starting tray does.
    Window StartTray(Point at) {
        Window root = DefaultRootWindow(peer);
        Window tray = XCreateSimpleWindow(peer, root, at.x, at.y, 40, 40, 0, 0, 0);
        XMapWindow(peer, tray);
        Atom selection = XInternAtom(peer, "_NET_SYSTEM_TRAY_S0", False);
        XSetSelectionOwner(peer, selection, tray, CurrentTime);
        XEvent e{};
        e.xclient.type = ClientMessage;
        e.xclient.window = root;
        e.xclient.message_type = XInternAtom(peer, "MANAGER", False);
        e.xclient.format = 32;
        e.xclient.data.l[0] = CurrentTime;
        e.xclient.data.l[1] = static_cast<long>(selection);
        e.xclient.data.l[2] = static_cast<long>(tray);
        XSendEvent(peer, root, False, StructureNotifyMask, &e);
        XSync(peer, False);
        EXPECT_EQ(XGetSelectionOwner(peer, selection), tray);
        return tray;
    }

    // The icon window of the next dock request sent to `tray` (0 when none
    // comes); our loop runs meanwhile, as the request may answer a MANAGER.
    unsigned long AwaitDockRequest(Window tray) {
        Atom opcode = XInternAtom(peer, "_NET_SYSTEM_TRAY_OPCODE", False);
        unsigned long icon = kNoWindow;
        PumpUntil([&] {
            while (XPending(peer) > 0) {
                XEvent e;
                XNextEvent(peer, &e);
                if (e.type == ClientMessage && e.xclient.message_type == opcode &&
                    e.xclient.window == tray && e.xclient.data.l[1] == 0) {  // REQUEST_DOCK
                    icon = static_cast<unsigned long>(e.xclient.data.l[2]);
                }
            }
            return icon != kNoWindow;
        });
        return icon;
    }

    void Embed(Window tray, unsigned long icon) {
        XReparentWindow(peer, icon, tray, 8, 8);
        XMapWindow(peer, icon);
        XSync(peer, False);
        ASSERT_TRUE(PumpUntil([&] { return Viewable(icon); }));
        Settle();
    }

    // Runs a compositing manager on the server (once per server) and waits
    // until it holds the compositor selection. Empty when it runs, else why
    // not (the caller skips).
    std::string EnsureCompositor() {
        Atom cm = XInternAtom(peer, "_NET_WM_CM_S0", False);
        if (XGetSelectionOwner(peer, cm) == 0 && !s_server->StartCompositor()) {
            return "cannot start xcompmgr";
        }
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (XGetSelectionOwner(peer, cm) == 0 && std::chrono::steady_clock::now() < deadline) {
            pollfd none{-1, 0, 0};
            ::poll(&none, 0, 20);  // xcompmgr starts in another process
        }
        if (XGetSelectionOwner(peer, cm) == 0) {
            return "xcompmgr did not take the compositor selection (no Composite extension?)";
        }
        return {};
    }

    // A new backend and window manager, which see the display as it is now
    // (a compositor started since).
    void RestartWindowLayer() {
        wm.reset();
        auto backend = WindowBackendX11::Create(s_server->Display());
        ASSERT_NE(backend, nullptr);
        x11 = backend.get();
        wm = WindowManager::Create(std::move(backend));
        ASSERT_NE(wm, nullptr);
    }

    // Saves what the server shows of `window` as a PNG artefact.
    std::unique_ptr<Surface> Screenshot(unsigned long window, Size size, const std::string& name) {
        auto shown = GrabWindow(peer, window, size.width, size.height);
        if (shown) {
            SaveArtifact(*shown, name);
        }
        return shown;
    }

    static inline testsupport::XvfbServer* s_server = nullptr;
    static inline std::string s_skipReason;

    WindowBackendX11* x11 = nullptr;
    std::unique_ptr<WindowManager> wm;
    Display* peer = nullptr;
};

}  // namespace platform
