// A message box on a private Xvfb through the X11 backend, run by the
// program's dialog runner: it maps centred at 340 x 128, the server shows
// exactly the dialog's drawing (screenshot kept as an artefact), and an
// XTest click on OK ends it with 1.
#include <gtest/gtest.h>

#include "app/res/translator.h"
#include "platform/window/window_handler.h"
#include "tests/ui/dialogs/caption_check.h"
#include "tests/ui/dialogs/recording_page_operations.h"
#include "tests/ui/dialogs/scripted_dialog_runner.h"
#include "ui/dialogs/common_dialog_window.h"
#include "ui/dialogs/cqk_common_dlg.h"
#include "ui/widgets/drawing_functions.h"
#include "ui/widgets/skin_images.h"
// It includes Xlib: after the widgets' headers.
#include "tests/platform/window/x11_test_support.h"

// Xlib last: its macros clash with names above.
#include <X11/Xlib.h>

namespace ui {
namespace {

using platform::Message;
using platform::MessageKind;
using platform::Point;
using platform::Rect;
using platform::WindowId;

constexpr uint32_t kLookTimer = 1;
constexpr uint32_t kWatchdogTimer = 2;

// Plays the user while the box runs: looks at it, then clicks OK.
class BoxPlayer : public platform::WindowHandler {
public:
    BoxPlayer(platform::X11WindowTest& test, CQKCommonDlg& box, Display* peer,
              platform::WindowBackendX11* x11)
        : m_box(box), m_peer(peer), m_x11(x11) {
        (void)test;
    }

    int64_t OnMessage(WindowId self, const Message& msg) override {
        platform::WindowManager* wm = platform::WindowManager::Current();
        if (msg.kind == MessageKind::kTimer && msg.code == kLookTimer) {
            CommonDialogWindow* w = m_box.RunningWindow();
            if (!w || !wm->IsVisible(w->Window())) {
                return 0;  // not up yet: look again at the next tick
            }
            XSync(m_x11->display(), False);
            const unsigned long native = m_x11->NativeWindow(w->Window());
            XWindowAttributes a;
            viewable = XGetWindowAttributes(m_peer, native, &a) && a.map_state == IsViewable;
            int x = 0;
            int y = 0;
            Window child = 0;
            XTranslateCoordinates(m_peer, native, DefaultRootWindow(m_peer), 0, 0, &x, &y, &child);
            mapped = Rect::FromXywh(x, y, a.width, a.height);
            shot = platform::GrabWindow(m_peer, native, a.width, a.height);
            if (shot) {
                platform::SaveArtifact(*shot, "common_dialog_type10.png");
                mismatches = 0;
                const platform::Surface* back = w->BackBuffer();
                for (int py = 0; py < a.height; ++py) {
                    for (int px = 0; px < a.width; ++px) {
                        const uint32_t want = back->PixelAt(px, py).value | 0xFF000000u;
                        mismatches += shot->PixelAt(px, py).value != want;
                    }
                }
            }
            // The server may not have drawn the first present yet when the
            // window is mapped: look again at the next tick, a bounded number
            // of times, before the click.
            if (mismatches != 0 && ++m_looks < kMaxLooks) {
                return 0;
            }
            wm->KillTimer(self, kLookTimer);
            const Rect ok = w->FindWidget(10218)->GetRect();
            const Point at{x + (ok.left + ok.right) / 2, y + (ok.top + ok.bottom) / 2};
            XTestFakeMotionEvent(m_peer, -1, at.x, at.y, 0);
            XTestFakeButtonEvent(m_peer, 1, True, 0);
            XTestFakeButtonEvent(m_peer, 1, False, 0);
            XSync(m_peer, False);
            return 0;
        }
        if (msg.kind == MessageKind::kTimer && msg.code == kWatchdogTimer) {
            ADD_FAILURE() << "the box did not end";
            wm->PostQuit(-1);
            return 0;
        }
        return kDefault;
    }

    bool viewable = false;
    Rect mapped;
    std::unique_ptr<platform::Surface> shot;
    long mismatches = -1;

private:
    static constexpr int kMaxLooks = 25;
    int m_looks = 0;
    CQKCommonDlg& m_box;
    Display* m_peer;
    platform::WindowBackendX11* m_x11;
};

class CommonDialogX11Test : public platform::X11WindowTest {
protected:
    void SetUp() override {
        X11WindowTest::SetUp();
        env.runner = &nested;
        env.pages = &pages;
        env.skin = &skin;
        env.fontName = "DejaVu Sans";
    }

    SkinImages skin{PEMU_SKIN_DIR, [](const std::string&) {}};
    RecordingPageOperations pages;
    ScriptedDialogRunner nested;
    DialogEnvironment env;

    // Waits until the server shows exactly what `w` drew, then keeps the
    // screenshot; the number of differing pixels at the last look.
    long ShownAsDrawn(CommonDialogWindow& w, const std::string& artefact,
                      std::unique_ptr<platform::Surface>& shot) {
        const unsigned long native = x11->NativeWindow(w.Window());
        const Rect r = *wm->GetRect(w.Window());
        long mismatches = -1;
        PumpUntil([&] {
            XSync(x11->display(), False);
            shot = platform::GrabWindow(peer, native, r.Width(), r.Height());
            if (!shot) {
                return false;
            }
            mismatches = 0;
            for (int y = 0; y < r.Height(); ++y) {
                for (int x = 0; x < r.Width(); ++x) {
                    mismatches += shot->PixelAt(x, y).value !=
                                  (w.BackBuffer()->PixelAt(x, y).value | 0xFF000000u);
                }
            }
            return mismatches == 0;
        });
        if (shot) {
            platform::SaveArtifact(*shot, artefact);
        }
        return mismatches;
    }
};

TEST_F(CommonDialogX11Test, MessageBoxMapsCentredShowsItsDrawingAndOkEndsIt) {
    CQKCommonDlg box(env);
    box.SetType(10);
    box.SetTitleText("Info");
    box.SetMessageText("The receiver is ready.");

    BoxPlayer player(*this, box, peer, x11);
    platform::WindowOptions o;
    o.rect = Rect::FromXywh(0, 0, 10, 10);
    o.messageOnly = true;
    o.handler = &player;
    const WindowId driver = wm->Create(o);
    ASSERT_TRUE(driver);
    wm->SetTimer(driver, kLookTimer, 200);
    wm->SetTimer(driver, kWatchdogTimer, 10000);

    WindowDialogRunner runner;
    EXPECT_EQ(runner.DoModal(box), kIdOk);
    EXPECT_TRUE(player.viewable);
    EXPECT_EQ(player.mapped,
              Rect::FromXywh((kScreenWidth - 340) / 2, (kScreenHeight - 128) / 2, 340, 128));
    ASSERT_NE(player.shot, nullptr);
    EXPECT_EQ(player.mismatches, 0);
    wm->Destroy(driver);
}

TEST_F(CommonDialogX11Test, SearchPageShowsEveryCaptionWholeAndRereadsThemInANewLanguage) {
    ASSERT_TRUE(appres::Translator::Bind(PEMU_SKIN_DIR));
    appres::Translator::SelectLanguage("");
    CQKCommonDlg page(env);
    page.SetType(28);
    CommonDialogWindow w(page);
    ASSERT_TRUE(w.Create());
    // The search and the dots would change the page while it is compared.
    wm->KillTimer(w.Window(), kTimerSearch);
    wm->KillTimer(w.Window(), kTimerDots);
    wm->Show(w.Window(), true);
    ASSERT_TRUE(PumpUntil([&] { return Viewable(x11->NativeWindow(w.Window())); }));

    std::unique_ptr<platform::Surface> shot;
    EXPECT_EQ(ShownAsDrawn(w, "common_dialog_type28_x11.png", shot), 0);
    EXPECT_EQ(w.FindWidget(30127)->Caption(), "TROUBLESHOOT");
    ExpectCaptionsWhole(w, *wm->GetRect(w.Window()));
    // The caption whose box runs past the window stays one line, clear of
    // the right edge by the buttons' margin.
    CQKin* caption = w.FindWidget(30218);
    ASSERT_NE(caption, nullptr);
    const platform::Size line =
        MeasureTextExtent(caption->Caption(), caption->FontFamily(), caption->TextSize());
    EXPECT_LE(caption->VisibleArea().left + line.width, wm->GetRect(w.Window())->Width() - 12)
        << caption->TextSize() << " px";

    // The language changes while the page is open: it shows the new texts,
    // whole as well.
    appres::Translator::SelectLanguage("qps_PLOC");
    EXPECT_EQ(w.FindWidget(30127)->Caption(), "⟦TRÓÚBLÉSHÓÓT⟧");
    EXPECT_EQ(w.FindWidget(30160)->Caption(), "⟦LÓÓKÍNG FÓR PÉMÚ⟧");
    EXPECT_EQ(ShownAsDrawn(w, "common_dialog_type28_x11_pseudo.png", shot), 0);
    ExpectCaptionsWhole(w, *wm->GetRect(w.Window()));
    appres::Translator::SelectLanguage("");
    appres::Translator::ResetForTest();
}

}  // namespace
}  // namespace ui
