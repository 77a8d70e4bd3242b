// The window on a private Xvfb through the X11 backend, as a user meets it:
// the title reaches the X server, an XTest click on "Start and Log" starts
// the client, and once it has ended the window is on the screen again with
// the result (screenshots kept as test artefacts). Real time: one watch
// interval (3 s).
#include <gtest/gtest.h>

#include "logtool/brelvix_dialog.h"
#include "platform/fake_url_opener.h"
#include "tests/logtool/logtool_test_support.h"
#include "tests/platform/window/x11_test_support.h"

namespace logtool {
namespace {

class BrelvixX11Test : public platform::X11WindowTest {
protected:
    void TearDown() override {
        dialog.reset();
        platform::X11WindowTest::TearDown();
    }

    LogToolWorld world;
    platform::FakeUrlOpener opener;
    std::unique_ptr<LogSession> session;
    std::unique_ptr<CBrelvixDlg> dialog;
};

TEST_F(BrelvixX11Test, AClickStartsTheClientAndTheWindowComesBackWithTheResult) {
    world.SetFake("log,sleep=500,exit=0");
    session = std::make_unique<LogSession>(world.Setup(), &opener);
    dialog = std::make_unique<CBrelvixDlg>(*wm, *session, false);
    ASSERT_TRUE(dialog->Create());
    const unsigned long window = x11->NativeWindow(dialog->Window());
    ASSERT_TRUE(PumpUntil([&] { return Viewable(window); }));
    Settle();
    char* name = nullptr;
    ASSERT_TRUE(XFetchName(peer, window, &name));
    EXPECT_STREQ(name, "pemu Auto Log Tool");
    XFree(name);
    const platform::Size size{CBrelvixDlg::kWidth, CBrelvixDlg::kHeight};
    Screenshot(window, size, "brelvix_x11_idle.png");

    const platform::Rect start =
        *wm->ScreenRect(dialog->Controls().Find(kIdcStartAndLog)->Window());
    Click({start.left + start.Width() / 2, start.top + start.Height() / 2});
    ASSERT_TRUE(PumpUntil([&] { return session->IsWatching(); })) << dialog->StatusText();
    EXPECT_TRUE(wm->IsMinimized(dialog->Window()));
    EXPECT_TRUE(dialog->Controls().Find(kIdcStopLogging)->IsEnabled());

    // The client ends after half a second; the timer's look brings the
    // window back within one interval.
    ASSERT_TRUE(PumpUntil([&] { return !session->IsWatching(); }));
    EXPECT_FALSE(wm->IsMinimized(dialog->Window()));
    EXPECT_TRUE(Viewable(window));
    EXPECT_EQ(opener.Opened(), std::vector<std::string>{world.Paths().logFolder});
    EXPECT_TRUE(dialog->StatusText().starts_with("pemu ended with code 0."))
        << dialog->StatusText();
    Settle();
    Screenshot(window, size, "brelvix_x11_finished.png");
}

}  // namespace
}  // namespace logtool
