// The profile manager on a private Xvfb through the X11 backend with the
// program's page code: XTest presses "add", types a profile name into the
// profile page, saves it, and profile.ini holds it. The page is kept as a
// screenshot artefact.
#include <gtest/gtest.h>

#include <vector>

#include "platform/window/window_handler.h"
#include "tests/support/TempDir.h"
#include "ui/dialogs/common_dialog_window.h"
#include "ui/dialogs/cqk_common_dlg.h"
#include "ui/dialogs/settings_pages.h"
#include "ui/widgets/skin_images.h"
// It includes Xlib: after the widgets' headers.
#include "tests/platform/window/x11_test_support.h"

// Xlib last: its macros clash with names above.
#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace ui {
namespace {

using platform::Message;
using platform::MessageKind;
using platform::Point;
using platform::Rect;
using platform::WindowId;

constexpr uint32_t kStepTimer = 1;
constexpr uint32_t kWatchdogTimer = 2;

// The program's runner, remembering which dialogs are open.
class TrackingRunner final : public DialogRunner {
public:
    int DoModal(ModalDialog& dialog) override {
        open.push_back(dynamic_cast<CQKCommonDlg*>(&dialog));
        const int result = m_real.DoModal(dialog);
        open.pop_back();
        return result;
    }
    std::vector<CQKCommonDlg*> open;

private:
    WindowDialogRunner m_real;
};

// Plays the user, one step per tick once the dialog it waits for is up.
class ProfilePlayer : public platform::WindowHandler {
public:
    ProfilePlayer(TrackingRunner& runner, Display* peer, platform::WindowBackendX11* x11)
        : m_runner(runner), m_peer(peer), m_x11(x11) {}

    int64_t OnMessage(WindowId self, const Message& msg) override {
        platform::WindowManager* wm = platform::WindowManager::Current();
        if (msg.kind == MessageKind::kTimer && msg.code == kWatchdogTimer) {
            ADD_FAILURE() << "the profile manager did not end (step " << m_step << ")";
            wm->KillTimer(self, kStepTimer);
            wm->KillTimer(self, kWatchdogTimer);
            if (CommonDialogWindow* w = Top(0)) {
                w->EndDialog(kIdCancel);
            }
            return 0;
        }
        if (msg.kind != MessageKind::kTimer || msg.code != kStepTimer) {
            return kDefault;
        }
        switch (m_step) {
            case 0:  // the manager is up: press "add"
                if (CommonDialogWindow* w = Top(13)) {
                    ClickWidget(*w, w->FindWidget(10269)->GetRect());
                    ++m_step;
                }
                break;
            case 1:  // the profile page is up: click into the name and type
                if (CommonDialogWindow* w = Top(7)) {
                    ClickWidget(*w, w->FindControl(1011)->GetRect());
                    for (KeySym k : {XK_o, XK_f, XK_f, XK_i, XK_c, XK_e}) {
                        const KeyCode code = XKeysymToKeycode(m_peer, k);
                        XTestFakeKeyEvent(m_peer, code, True, 0);
                        XTestFakeKeyEvent(m_peer, code, False, 0);
                    }
                    XSync(m_peer, False);
                    ++m_step;
                }
                break;
            case 2:  // typed: keep what the server shows, then save
                if (CommonDialogWindow* w = Top(7)) {
                    if (w->FindControl(1011)->Text() != "office") {
                        break;  // the keys are still on their way
                    }
                    XSync(m_x11->display(), False);
                    const unsigned long native = m_x11->NativeWindow(w->Window());
                    XWindowAttributes a;
                    XGetWindowAttributes(m_peer, native, &a);
                    if (auto shot = platform::GrabWindow(m_peer, native, a.width, a.height)) {
                        platform::SaveArtifact(*shot, "profile_page_type7.png");
                    }
                    ClickWidget(*w, w->FindWidget(10254)->GetRect());
                    ++m_step;
                }
                break;
            case 3:  // back in the manager with one row: done
                if (CommonDialogWindow* w = Top(13)) {
                    wm->KillTimer(self, kStepTimer);
                    wm->KillTimer(self, kWatchdogTimer);
                    w->EndDialog(kIdCancel);
                    ++m_step;
                }
                break;
            default:
                break;
        }
        return 0;
    }

    int Step() const { return m_step; }

private:
    // The running window of the innermost open dialog when it is of `type`
    // (0: any) and shown.
    CommonDialogWindow* Top(int type) {
        if (m_runner.open.empty() || !m_runner.open.back()) {
            return nullptr;
        }
        CQKCommonDlg* d = m_runner.open.back();
        CommonDialogWindow* w = d->RunningWindow();
        platform::WindowManager* wm = platform::WindowManager::Current();
        if (!w || (type && d->Type() != type) || !wm->IsVisible(w->Window())) {
            return nullptr;
        }
        return w;
    }
    void ClickWidget(CommonDialogWindow& w, const Rect& r) {
        XSync(m_x11->display(), False);
        const unsigned long native = m_x11->NativeWindow(w.Window());
        int x = 0, y = 0;
        Window child = 0;
        XTranslateCoordinates(m_peer, native, DefaultRootWindow(m_peer), 0, 0, &x, &y, &child);
        const Point at{x + (r.left + r.right) / 2, y + (r.top + r.bottom) / 2};
        XTestFakeMotionEvent(m_peer, -1, at.x, at.y, 0);
        XTestFakeButtonEvent(m_peer, 1, True, 0);
        XTestFakeButtonEvent(m_peer, 1, False, 0);
        XSync(m_peer, False);
    }

    TrackingRunner& m_runner;
    Display* m_peer;
    platform::WindowBackendX11* m_x11;
    int m_step = 0;
};

class SettingsPagesX11Test : public platform::X11WindowTest {};

TEST_F(SettingsPagesX11Test, TypingIntoTheProfileManagerSavesProfileIni) {
    testsupport::TempDir dir;
    SkinImages skin(PEMU_SKIN_DIR, [](const std::string&) {});
    SettingsPages::Services services;
    services.profilePath = dir.File("profile.ini");
    services.beep = [] {};
    SettingsPages pages(services);
    TrackingRunner runner;
    DialogEnvironment env;
    env.runner = &runner;
    env.pages = &pages;
    env.skin = &skin;
    env.fontName = "DejaVu Sans";
    CQKCommonDlg manager(env);
    manager.SetType(13);

    ProfilePlayer player(runner, peer, x11);
    platform::WindowOptions o;
    o.rect = Rect::FromXywh(0, 0, 10, 10);
    o.messageOnly = true;
    o.handler = &player;
    const WindowId driver = wm->Create(o);
    ASSERT_TRUE(driver);
    wm->SetTimer(driver, kStepTimer, 200);
    wm->SetTimer(driver, kWatchdogTimer, 20000);

    EXPECT_EQ(runner.DoModal(manager), kIdCancel);
    EXPECT_EQ(player.Step(), 4);
    ASSERT_EQ(manager.Profiles().size(), 1u);
    EXPECT_EQ(manager.Profiles()[0].name, "office");
    std::vector<ConnectionProfile> saved;
    ASSERT_EQ(ProfileFile(services.profilePath).LoadProfiles(saved), 1);
    EXPECT_EQ(saved[0].name, "office");
    wm->Destroy(driver);
}

}  // namespace
}  // namespace ui
