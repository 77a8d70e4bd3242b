// The widgets on a private Xvfb through the X11 backend: the tray icon
// docks into a test tray, an XTest right click on it maps the tray menu as
// an override-redirect popup and a click on "Exit" brings command 2015; with
// a compositing manager, the shadow window holds exactly MakeShadow's
// pixels. Screenshots of the menu and of the shadow are kept as artefacts.
#include <gtest/gtest.h>

#include "app/res/skin_marker.h"
#include "platform/draw/image_loader.h"
#include "platform/draw/painter.h"
#include "tests/platform/window/window_test_support.h"
#include "tests/platform/window/x11_test_support.h"
#include "ui/widgets/gradient_menu.h"
#include "ui/widgets/menu_look.h"
#include "ui/widgets/menu_notices.h"
#include "ui/widgets/tray_dialog.h"
#include "ui/widgets/wnd_shadow.h"

// Xlib last: its macros clash with names above.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace ui {
namespace {

using platform::Argb;
using platform::Message;
using platform::MessageKind;
using platform::Point;
using platform::Rect;
using platform::WindowId;

// A main dialog that plays the user once its tray menu is up: it points at
// "Check for update", takes a screenshot, and clicks "Exit".
class ScriptedTrayDialog : public CTrayDialog {
public:
    ScriptedTrayDialog(platform::X11WindowTest& test, Display* peer,
                       platform::WindowBackendX11* x11, const platform::ImageLoader& loader)
        : CTrayDialog({}, [&loader](uint32_t id) { return loader.LoadPngResource(int(id)); }),
          m_peer(peer),
          m_x11(x11) {
        (void)test;
    }

    int64_t OnMessage(WindowId self, const Message& msg) override {
        platform::WindowManager* wm = platform::WindowManager::Current();
        if (msg.kind == MessageKind::kUser && msg.code == kMenuEnterLoop && !menu) {
            menu = WindowId::FromValue(static_cast<uint64_t>(msg.param2));
            menuRect = *wm->ScreenRect(menu);
            XSync(m_x11->display(), False);  // mapped and grabbed before the peer acts
            Point update = RowCentre(3);
            XTestFakeMotionEvent(m_peer, -1, update.x, update.y, 0);
            XSync(m_peer, False);
            wm->SetTimer(self, kLookTimer, 300);
            return 0;
        }
        if (msg.kind == MessageKind::kTimer && msg.code == kLookTimer) {
            wm->KillTimer(self, kLookTimer);
            unsigned long native = m_x11->NativeWindow(menu);
            XWindowAttributes a;
            overrideRedirect = XGetWindowAttributes(m_peer, native, &a) && a.override_redirect &&
                               a.map_state == IsViewable;
            shot = platform::GrabWindow(m_peer, native, menuRect.Width(), menuRect.Height());
            if (shot) {
                platform::SaveArtifact(*shot, "x11_tray_menu.png");
            }
            Point exit = RowCentre(6);
            XTestFakeMotionEvent(m_peer, -1, exit.x, exit.y, 0);
            XTestFakeButtonEvent(m_peer, 1, True, 0);
            XTestFakeButtonEvent(m_peer, 1, False, 0);
            XSync(m_peer, False);
            return 0;
        }
        if (msg.kind == MessageKind::kTimer && msg.code == kWatchdogTimer) {
            ADD_FAILURE() << "the menu did not end";
            wm->PostQuit(-1);
            return 0;
        }
        if (msg.kind == MessageKind::kCommand) {
            commands.push_back(msg.code);
            return 0;
        }
        return CTrayDialog::OnMessage(self, msg);
    }

    // The screen point in the middle of row `index` of the tray menu (five
    // item rows and two separators, as the tray menu has them).
    Point RowCentre(int index) const {
        int y = menuRect.top + kMenuFrame;
        for (int i = 0; i < index; ++i) {
            y += (i == 2 || i == 5) ? kMenuSeparatorHeight : kMenuRowHeight;
        }
        return {menuRect.left + menuRect.Width() / 2, y + kMenuRowHeight / 2};
    }

    static constexpr uint32_t kLookTimer = 1;
    static constexpr uint32_t kWatchdogTimer = 2;
    WindowId menu;
    Rect menuRect;
    bool overrideRedirect = false;
    std::unique_ptr<platform::Surface> shot;
    std::vector<uint32_t> commands;

private:
    Display* m_peer;
    platform::WindowBackendX11* m_x11;
};

using WidgetsX11Test = platform::X11WindowTest;

TEST_F(WidgetsX11Test, TheTrayIconDocksAndItsMenuBringsExit) {
    Window tray = StartTray({700, 560});
    platform::ImageLoader loader{PEMU_SKIN_DIR, [](const std::string&) {}};
    ScriptedTrayDialog dialog(*this, peer, x11, loader);
    ASSERT_TRUE(dialog.Create());
    dialog.InitTray("Quorvane Sender");
    dialog.SetTrayIcon(kTrayIconIdle, true);
    ASSERT_TRUE(dialog.InTray());
    unsigned long icon = x11->TrayIconWindow(dialog.Window(), kTrayIconId);
    ASSERT_NE(icon, kNoWindow);
    EXPECT_EQ(AwaitDockRequest(tray), icon);
    Embed(tray, icon);

    // The docked icon shows the idle picture (16 x 16 centred in 22 x 22).
    auto shown = platform::GrabWindow(peer, icon, 22, 22);
    ASSERT_NE(shown, nullptr);
    auto marker = appres::ReadSkinMarker(shown->PixelAt(3 + 1, 3 + 1));
    ASSERT_TRUE(marker);
    EXPECT_EQ(marker->id, static_cast<int>(kTrayIconIdle));

    wm->SetTimer(dialog.Window(), ScriptedTrayDialog::kWatchdogTimer, 10000);
    XTestFakeMotionEvent(peer, -1, 718, 578, 0);
    XTestFakeButtonEvent(peer, 3, True, 0);
    XTestFakeButtonEvent(peer, 3, False, 0);
    XSync(peer, False);
    ASSERT_TRUE(PumpUntil([&] { return !dialog.commands.empty(); }));
    Settle();
    EXPECT_EQ(dialog.commands, (std::vector<uint32_t>{2015}));
    EXPECT_TRUE(dialog.overrideRedirect);
    EXPECT_FALSE(wm->IsAlive(dialog.menu));
    EXPECT_EQ(dialog.menuRect.bottom, 578) << "above the pointer";
    EXPECT_LE(dialog.menuRect.right, kScreenWidth);
    ASSERT_NE(dialog.shot, nullptr);
    // The pointed row is highlighted; the frame's own edge is not.
    Point update = dialog.RowCentre(3);
    EXPECT_EQ(dialog.shot->PixelAt(kMenuFrame + 2, update.y - dialog.menuRect.top),
              kMenuPalette.highlight);
    EXPECT_EQ(dialog.shot->PixelAt(kMenuFrame + 2, dialog.RowCentre(0).y - dialog.menuRect.top),
              kMenuPalette.menu);
    XDestroyWindow(peer, tray);
    XSync(peer, False);
}

// A menu of a visible, active dialog stays open while the X server moves
// the focus and grabs for it, until the user presses Escape.
TEST_F(WidgetsX11Test, AnActiveDialogsMenuStaysUpUntilEscape) {
    platform::RecordingHandler owner;
    platform::WindowOptions o;
    o.rect = Rect::FromXywh(100, 100, 300, 200);
    o.visible = true;
    o.handler = &owner;
    WindowId dialog = wm->Create(o);
    ASSERT_TRUE(PumpUntil([&] { return Viewable(x11->NativeWindow(dialog)); }));
    Settle();
    bool openAfterWait = false;
    WindowId menuWindow;
    owner.on[MessageKind::kUser] = [&](WindowId self, const Message& m) -> int64_t {
        if (m.code == kMenuEnterLoop && !menuWindow) {
            menuWindow = WindowId::FromValue(static_cast<uint64_t>(m.param2));
            wm->SetTimer(self, 1, 400);
        }
        return 0;
    };
    owner.on[MessageKind::kTimer] = [&](WindowId self, const Message& m) -> int64_t {
        wm->KillTimer(self, m.code);
        if (m.code == 1) {
            openAfterWait = wm->IsAlive(menuWindow);
            TypeKey(XK_Escape);
        } else {
            wm->PostQuit(-1);  // the watchdog
        }
        return 0;
    };
    wm->SetTimer(dialog, 2, 10000);
    CGradientMenu menu(*MenuModel::FromResource(kTrayMenuId));
    EXPECT_EQ(menu.TrackPopupMenu(dialog, {150, 150}), 1);
    EXPECT_TRUE(openAfterWait);
    EXPECT_FALSE(wm->IsQuitting());
    Settle();
    EXPECT_TRUE(owner.Of(MessageKind::kCommand).empty());
    wm->Destroy(dialog);
}

// A window that presents one colour everywhere.
class PlainWindow : public platform::WindowHandler {
public:
    explicit PlainWindow(Argb colour) : m_colour(colour) {}
    int64_t OnMessage(WindowId self, const Message& msg) override {
        if (msg.kind == MessageKind::kPaint) {
            auto* wm = platform::WindowManager::Current();
            Rect r = *wm->GetRect(self);
            if (platform::ReuseOrCreate(m_back, r.Width(), r.Height())) {
                m_back->Clear(m_colour);
                wm->Present(self, *m_back, msg.rect);
                ++paints;
            }
        }
        return 0;
    }
    int paints = 0;

private:
    Argb m_colour;
    std::unique_ptr<platform::Surface> m_back;
};

// The handlers live until after the window layer.
class ShadowX11Test : public platform::X11WindowTest {
protected:
    PlainWindow background{Argb(0xFFE8E8E8)};
    PlainWindow dialogLook{Argb(0xFF3A6EA5)};
};

TEST_F(ShadowX11Test, WithACompositorTheShadowWindowHoldsMakeShadowsPixels) {
    if (std::string why = EnsureCompositor(); !why.empty()) {
        GTEST_SKIP() << why;
    }
    RestartWindowLayer();
    ASSERT_TRUE(wm->SupportsLayered());
    platform::WindowOptions o;
    o.rect = Rect{0, 0, kScreenWidth, kScreenHeight};
    o.visible = true;
    o.handler = &background;
    ASSERT_TRUE(wm->Create(o));
    o.rect = Rect::FromXywh(200, 150, 350, 222);
    o.handler = &dialogLook;
    WindowId dialog = wm->Create(o);
    ASSERT_TRUE(dialog);
    const platform::Region round = platform::Region::FromRoundRect({0, 0, 350, 222}, 30, 30);
    wm->SetRegion(dialog, round);

    CWndShadow::ResetInitializationForTest();
    ASSERT_TRUE(CWndShadow::Initialize());
    CWndShadow shadow;
    shadow.Create(dialog);
    ASSERT_TRUE(shadow.Window());
    unsigned long native = x11->NativeWindow(shadow.Window());
    ASSERT_TRUE(PumpUntil([&] {
        return Viewable(native) && Viewable(x11->NativeWindow(dialog)) && dialogLook.paints > 0;
    }));
    Settle();
    EXPECT_EQ(RootGeometry(native), Rect::FromXywh(202, 152, 356, 228));

    std::unique_ptr<platform::Surface> want = MakeShadow(round, {350, 222}, {});
    ASSERT_NE(want, nullptr);
    XImage* image = XGetImage(peer, native, 0, 0, 356, 228, AllPlanes, ZPixmap);
    ASSERT_NE(image, nullptr);
    int differing = 0;
    const int stride = want->Stride() / 4;
    for (int y = 0; y < 228; ++y) {
        for (int x = 0; x < 356; ++x) {
            uint32_t expected = want->ConstPixels()[y * stride + x];
            differing += static_cast<uint32_t>(XGetPixel(image, x, y)) != expected ? 1 : 0;
        }
    }
    XDestroyImage(image);
    EXPECT_EQ(differing, 0);

    // What the screen shows: the compositor's picture on the root window.
    Screenshot(DefaultRootWindow(peer), {kScreenWidth, kScreenHeight}, "x11_shadow.png");
}

}  // namespace
}  // namespace ui
