// Smoke tests of the X11 backend on a private Xvfb: a dialog maps at its
// geometry and shows exactly its presented surface, a click made with XTest
// arrives once, shapes reach the server, and a test tray owner gets the
// dock request and forwards a click. Screenshots go to the test artefacts.
#include <gtest/gtest.h>

#include "platform/draw/surface.h"
#include "tests/platform/window/window_test_support.h"
#include "tests/platform/window/x11_test_support.h"

// Xlib last: its macros (None, Bool, CursorShape...) clash with names above.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/shape.h>
#include <X11/keysym.h>

namespace platform {
namespace {

class WindowBackendX11Test : public X11WindowTest {
protected:
    // A dialog that paints a test picture (four coloured quarters and a
    // gradient band) and presents what it is asked to repaint.
    WindowId PaintedDialog(Rect rect) {
        picture = Surface::Create(rect.Width(), rect.Height());
        uint32_t* px = picture->MutablePixels();
        int stride = picture->Stride() / 4;
        for (int y = 0; y < rect.Height(); ++y) {
            for (int x = 0; x < rect.Width(); ++x) {
                uint32_t c = y < rect.Height() / 2
                                 ? (x < rect.Width() / 2 ? 0xFFC02020u : 0xFF20C020u)
                                 : (x < rect.Width() / 2 ? 0xFF2020C0u : 0xFFE0E0E0u);
                if (y >= 10 && y < 20) {
                    c = 0xFF000000u | static_cast<uint32_t>(x & 0xFF) * 0x010101u;
                }
                px[y * stride + x] = c;
            }
        }
        picture->MarkDirty();
        dialogHandler.on[MessageKind::kPaint] = [this](WindowId self, const Message& m) -> int64_t {
            wm->Present(self, *picture, m.rect);
            ++paints;
            return 0;
        };
        WindowOptions o;
        o.rect = rect;
        o.title = "Info";
        o.className = "PEMU_COMMON";
        o.visible = true;
        o.handler = &dialogHandler;
        return wm->Create(o);
    }

    // A shown child of `dialog` whose messages buttonHandler records.
    WindowId ButtonChild(WindowId dialog, Rect rect) {
        return wm->Create(ChildWindowOptions(dialog, rect, &buttonHandler));
    }

    // The tray messages of the painted dialog other than pointer moves.
    std::vector<Received> TrayClicks() const {
        std::vector<Received> clicks;
        for (const Received& r : dialogHandler.Of(MessageKind::kTray)) {
            if (r.code != static_cast<uint32_t>(TrayAction::kMouseMove)) {
                clicks.push_back(r);
            }
        }
        return clicks;
    }

    RecordingHandler dialogHandler;
    RecordingHandler buttonHandler;
    RecordingHandler shadowHandler;
    RecordingHandler menuHandler;
    std::unique_ptr<Surface> picture;
    int paints = 0;
};

TEST_F(WindowBackendX11Test, DialogMapsAtItsGeometryAndShowsItsPresentedSurface) {
    const Rect rect = Rect::FromXywh(120, 90, 240, 160);
    WindowId dialog = PaintedDialog(rect);
    ASSERT_TRUE(dialog);
    unsigned long window = x11->NativeWindow(dialog);
    ASSERT_NE(window, kNoWindow);
    ASSERT_TRUE(PumpUntil([&] { return paints > 0 && Viewable(window); }));
    Settle();
    EXPECT_EQ(RootGeometry(window), rect);
    EXPECT_EQ(wm->FindTopLevel("PEMU_COMMON", "Info"), dialog);

    auto shown = GrabWindow(peer, window, rect.Width(), rect.Height());
    ASSERT_NE(shown, nullptr);
    cairo_surface_write_to_png(shown->CairoSurface(),
                               ArtifactPath("x11_dialog_presented.png").c_str());
    int differing = 0;
    for (int y = 0; y < rect.Height(); ++y) {
        for (int x = 0; x < rect.Width(); ++x) {
            if (shown->PixelAt(x, y) != picture->PixelAt(x, y)) {
                ++differing;
            }
        }
    }
    EXPECT_EQ(differing, 0);
}

TEST_F(WindowBackendX11Test, AnXTestClickGivesExactlyOneClick) {
    WindowId dialog = PaintedDialog(Rect::FromXywh(200, 200, 200, 100));
    WindowId button = ButtonChild(dialog, Rect::FromXywh(20, 30, 60, 24));
    ASSERT_TRUE(button);
    ASSERT_TRUE(PumpUntil([&] { return Viewable(x11->NativeWindow(dialog)); }));
    Settle();

    Click({250, 240});
    ASSERT_TRUE(PumpUntil([&] { return !buttonHandler.Of(MessageKind::kButtonUp).empty(); }));
    Settle();
    std::vector<Received> downs = buttonHandler.Of(MessageKind::kButtonDown);
    ASSERT_EQ(downs.size(), 1u);
    EXPECT_EQ(downs[0].point, (Point{30, 10}));
    EXPECT_EQ(buttonHandler.Of(MessageKind::kButtonUp).size(), 1u);
    EXPECT_TRUE(buttonHandler.Of(MessageKind::kDoubleClick).empty());
    EXPECT_TRUE(dialogHandler.Of(MessageKind::kButtonDown).empty());
    EXPECT_EQ(wm->ActiveTopLevel(), dialog);
}

// Keys typed with XTest: the named keys arrive by name, typed letters as
// kChar, and a Control chord as its key with the letter but without kChar.
TEST_F(WindowBackendX11Test, XTestKeysArriveByNameAndChordsCarryTheirLetter) {
    WindowId dialog = PaintedDialog(Rect::FromXywh(200, 200, 200, 100));
    WindowId edit = ButtonChild(dialog, Rect::FromXywh(10, 10, 80, 20));
    ASSERT_TRUE(PumpUntil([&] { return Viewable(x11->NativeWindow(dialog)); }));
    wm->Raise(dialog);
    wm->SetFocus(edit);
    Settle();
    buttonHandler.log.clear();

    TypeKey(XK_Prior);
    TypeKey(XK_Next);
    TypeKey(XK_F4);
    TypeKey(XK_q);
    TypeKey(XK_c, {XK_Control_L});
    ASSERT_TRUE(PumpUntil([&] { return buttonHandler.Of(MessageKind::kKeyUp).size() >= 6; }));
    Settle();
    struct Down {
        Key key;
        uint32_t code;
        uint32_t modifiers;
        bool operator==(const Down&) const = default;
    };
    std::vector<Down> downs;
    for (const Received& r : buttonHandler.Of(MessageKind::kKeyDown)) {
        downs.push_back({r.key, r.code, r.modifiers});
    }
    std::vector<Down> expected = {{Key::kPageUp, 0, 0},  {Key::kPageDown, 0, 0},
                                  {Key::kF4, 0, 0},      {Key::kOther, 'q', 0},
                                  {Key::kControl, 0, 0}, {Key::kOther, 'c', kModControl}};
    EXPECT_TRUE(downs == expected);
    std::vector<Received> chars = buttonHandler.Of(MessageKind::kChar);
    ASSERT_EQ(chars.size(), 1u) << "the chord types nothing";
    EXPECT_EQ(chars[0].code, static_cast<uint32_t>('q'));
}

TEST_F(WindowBackendX11Test, ShapesAndClickThroughReachTheServer) {
    WindowId dialog = PaintedDialog(Rect::FromXywh(50, 50, 100, 100));
    Region shape = Region::FromRoundRect({0, 0, 100, 100}, 30, 30);
    ASSERT_TRUE(wm->SetRegion(dialog, shape));
    WindowOptions o;
    o.rect = Rect::FromXywh(0, 0, 300, 300);
    o.clickThrough = true;
    o.perPixelAlpha = true;
    o.visible = true;
    WindowId shadow = wm->Create(o);
    ASSERT_TRUE(PumpUntil([&] {
        return Viewable(x11->NativeWindow(dialog)) && Viewable(x11->NativeWindow(shadow));
    }));
    Settle();

    int count = 0;
    int ordering = 0;
    XRectangle* rects =
        XShapeGetRectangles(peer, x11->NativeWindow(dialog), ShapeBounding, &count, &ordering);
    std::vector<Rect> got;
    for (int i = 0; i < count; ++i) {
        got.push_back(Rect::FromXywh(rects[i].x, rects[i].y, rects[i].width, rects[i].height));
    }
    XFree(rects);
    EXPECT_EQ(got, shape.ToRects());

    rects = XShapeGetRectangles(peer, x11->NativeWindow(shadow), ShapeInput, &count, &ordering);
    EXPECT_EQ(count, 0) << "the shadow takes no input";
    XFree(rects);
    // Xvfb runs no compositing manager: no layered windows, and the
    // per-pixel-alpha window still exists, opaque.
    EXPECT_FALSE(wm->SupportsLayered());
    EXPECT_EQ(x11->TopLevelAt({60 + 40, 60 + 40}), dialog);
    EXPECT_EQ(x11->TopLevelAt({51, 51}), WindowId{}) << "a cut corner, and the shadow is skipped";
}

// The tray: a test tray owner takes the tray selection, receives the dock
// request, embeds the icon window and forwards a click to it.
TEST_F(WindowBackendX11Test, TrayOwnerReceivesTheDockRequestAndForwardsAClick) {
    Window tray = StartTray({700, 560});
    WindowId main = PaintedDialog(Rect::FromXywh(10, 10, 50, 50));
    auto icon = Surface::Create(16, 16);
    icon->Clear(Argb(0xFF1A6BBC));
    ASSERT_TRUE(wm->AddTrayIcon(main, 1, icon.get(), "Sender"));
    unsigned long iconWindow = x11->TrayIconWindow(main, 1);
    ASSERT_NE(iconWindow, kNoWindow);
    EXPECT_EQ(AwaitDockRequest(tray), iconWindow);
    Embed(tray, iconWindow);

    Click({700 + 8 + 10, 560 + 8 + 10});
    std::vector<Received> clicks;
    ASSERT_TRUE(PumpUntil([&] { return (clicks = TrayClicks()).size() >= 2; }));
    Settle();
    clicks = TrayClicks();
    ASSERT_EQ(clicks.size(), 2u);
    EXPECT_EQ(clicks[0].code, static_cast<uint32_t>(TrayAction::kLeftDown));
    EXPECT_EQ(clicks[0].point, (Point{718, 578}));
    EXPECT_EQ(clicks[1].code, static_cast<uint32_t>(TrayAction::kLeftUp));

    EXPECT_TRUE(wm->RemoveTrayIcon(main, 1));
    XDestroyWindow(peer, tray);
    XSync(peer, False);
}

// A tray that ends takes the embedded icon window with it; when a tray
// starts again the icon docks again, with a new window.
TEST_F(WindowBackendX11Test, IconDocksAgainWhenTheTrayRestarts) {
    Window first = StartTray({700, 560});
    WindowId main = PaintedDialog(Rect::FromXywh(10, 10, 50, 50));
    ASSERT_TRUE(wm->AddTrayIcon(main, 1, nullptr, "Sender"));
    unsigned long oldIcon = x11->TrayIconWindow(main, 1);
    ASSERT_EQ(AwaitDockRequest(first), oldIcon);
    Embed(first, oldIcon);
    XDestroyWindow(peer, first);
    XSync(peer, False);
    ASSERT_TRUE(PumpUntil([&] { return x11->TrayIconWindow(main, 1) == kNoWindow; }));

    Window second = StartTray({600, 560});
    unsigned long newIcon = AwaitDockRequest(second);
    ASSERT_NE(newIcon, kNoWindow);
    EXPECT_NE(newIcon, oldIcon);
    EXPECT_EQ(x11->TrayIconWindow(main, 1), newIcon);
    Embed(second, newIcon);
    Click({600 + 8 + 5, 560 + 8 + 5});
    ASSERT_TRUE(PumpUntil([&] { return TrayClicks().size() >= 2; }));
    EXPECT_TRUE(wm->RemoveTrayIcon(main, 1));
    XDestroyWindow(peer, second);
    XSync(peer, False);
}

// An open menu: an override-redirect popup that holds the capture gets the
// keys and a click outside it, through pointer and keyboard grabs.
TEST_F(WindowBackendX11Test, PopupWithCaptureGrabsPointerAndKeyboard) {
    WindowId dialog = PaintedDialog(Rect::FromXywh(100, 100, 300, 200));
    WindowOptions o;
    o.parent = dialog;
    o.rect = Rect::FromXywh(150, 150, 100, 60);
    o.popup = true;
    o.topmost = true;
    o.visible = true;
    o.handler = &menuHandler;
    WindowId menu = wm->Create(o);
    ASSERT_TRUE(PumpUntil(
        [&] { return Viewable(x11->NativeWindow(dialog)) && Viewable(x11->NativeWindow(menu)); }));
    XWindowAttributes a;
    ASSERT_TRUE(XGetWindowAttributes(peer, x11->NativeWindow(menu), &a));
    EXPECT_TRUE(a.override_redirect);
    wm->SetFocus(menu);
    wm->SetCapture(menu);
    Settle();

    KeyCode down = XKeysymToKeycode(peer, XK_Down);
    XTestFakeKeyEvent(peer, down, True, 0);
    XTestFakeKeyEvent(peer, down, False, 0);
    Click({120, 120});  // on the dialog, outside the menu
    ASSERT_TRUE(PumpUntil([&] { return !menuHandler.Of(MessageKind::kButtonUp).empty(); }));
    Settle();
    ASSERT_EQ(menuHandler.Of(MessageKind::kKeyDown).size(), 1u);
    std::vector<Received> presses = menuHandler.Of(MessageKind::kButtonDown);
    ASSERT_EQ(presses.size(), 1u);
    EXPECT_EQ(presses[0].point, (Point{-30, -30}));
    EXPECT_TRUE(dialogHandler.Of(MessageKind::kButtonDown).empty());

    wm->ReleaseCapture();
    Settle();
    EXPECT_EQ(XGrabPointer(peer, DefaultRootWindow(peer), False, ButtonPressMask, GrabModeAsync,
                           GrabModeAsync, 0, 0, CurrentTime),
              GrabSuccess)
        << "the grab ended with the capture";
    XUngrabPointer(peer, CurrentTime);
}

// With a compositing manager running, layered windows exist: a window that
// wants per-pixel alpha gets a 32-bit visual and keeps the alpha it is
// given, and constant opacity reaches the compositor's property.
TEST_F(WindowBackendX11Test, LayeredWindowsWhereACompositorRuns) {
    if (std::string why = EnsureCompositor(); !why.empty()) {
        GTEST_SKIP() << why;
    }
    RestartWindowLayer();
    ASSERT_TRUE(wm->SupportsLayered());

    auto shadow = Surface::Create(64, 32);
    shadow->Clear(Argb(0x80000000));  // half-transparent black
    RecordingHandler& h = shadowHandler;
    h.on[MessageKind::kPaint] = [&](WindowId self, const Message& m) -> int64_t {
        wm->Present(self, *shadow, m.rect);
        return 0;
    };
    WindowOptions o;
    o.rect = Rect::FromXywh(300, 300, 64, 32);
    o.perPixelAlpha = true;
    o.clickThrough = true;
    o.visible = true;
    o.handler = &h;
    WindowId id = wm->Create(o);
    unsigned long window = x11->NativeWindow(id);
    ASSERT_TRUE(PumpUntil([&] { return Viewable(window) && !h.Of(MessageKind::kPaint).empty(); }));
    Settle();
    XWindowAttributes a;
    ASSERT_TRUE(XGetWindowAttributes(peer, window, &a));
    EXPECT_EQ(a.depth, 32);
    XImage* image = XGetImage(peer, window, 0, 0, 1, 1, AllPlanes, ZPixmap);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(XGetPixel(image, 0, 0), 0x80000000ul) << "premultiplied, alpha kept";
    XDestroyImage(image);

    ASSERT_TRUE(wm->SetOpacity(id, 220));
    XSync(x11->display(), False);
    Atom opacity = XInternAtom(peer, "_NET_WM_WINDOW_OPACITY", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    ASSERT_EQ(XGetWindowProperty(peer, window, opacity, 0, 1, False, XA_CARDINAL, &type, &format,
                                 &count, &after, &data),
              Success);
    ASSERT_NE(data, nullptr);
    // Xlib hands 32-bit items back as longs, sign-extended.
    EXPECT_EQ(static_cast<uint32_t>(*reinterpret_cast<long*>(data)), 220u * 0x01010101u);
    XFree(data);
}

}  // namespace
}  // namespace platform
