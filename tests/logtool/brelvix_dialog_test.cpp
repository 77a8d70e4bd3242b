// The window on the headless display with a fake clock: a click on "Start
// and Log" starts the client, disables itself, enables "Stop Logging" and
// minimises; the timer's look after the client's end restores the window
// and opens the log folder. Stop, a failed start and closing while
// watching, too.
#include "logtool/brelvix_dialog.h"

#include <gtest/gtest.h>

#include "platform/controls/control.h"
#include "platform/fake_url_opener.h"
#include "tests/logtool/logtool_test_support.h"
#include "tests/platform/window/test_artifacts.h"
#include "tests/platform/window/window_test_support.h"

namespace logtool {
namespace {

class BrelvixDialogTest : public platform::WindowTest {
protected:
    void SetUp() override {
        platform::WindowTest::SetUp();
        session = std::make_unique<LogSession>(world.Setup(), &opener);
    }
    void TearDown() override {
        dialog.reset();
        platform::WindowTest::TearDown();
        session.reset();
    }

    void Open(bool showMail = false) {
        dialog = std::make_unique<CBrelvixDlg>(*wm, *session, showMail);
        ASSERT_TRUE(dialog->Create());
        Pump();
    }
    platform::Control& Get(uint32_t id) {
        platform::Control* c = dialog->Controls().Find(id);
        EXPECT_NE(c, nullptr) << id;
        return *c;
    }
    // A click in the middle of a control, at its point on the screen.
    void ClickOn(uint32_t id) {
        const platform::Rect r = *wm->ScreenRect(Get(id).Window());
        headless->Click(platform::MouseButton::kLeft,
                        {r.left + r.Width() / 2, r.top + r.Height() / 2});
        Pump();
    }
    bool Minimised() {
        const auto* state = headless->State(dialog->Window());
        return wm->IsMinimized(dialog->Window()) && state && state->minimized;
    }
    bool OnScreen() {
        const auto* state = headless->State(dialog->Window());
        return state && state->visible && !state->minimized;
    }
    // Runs the loop (the idle handler steps the clock to each deadline)
    // until the window is back on the screen.
    void RunUntilRestored() {
        ASSERT_TRUE(wm->RunUntil([&] { return OnScreen(); }));
    }
    void SaveShot(const std::string& name) {
        Pump();
        const auto* state = headless->State(dialog->Window());
        ASSERT_TRUE(state && state->presented);
        EXPECT_TRUE(platform::SaveArtifact(*state->presented, name));
    }

    LogToolWorld world;
    platform::FakeUrlOpener opener;
    std::unique_ptr<LogSession> session;
    std::unique_ptr<CBrelvixDlg> dialog;
};

TEST_F(BrelvixDialogTest, TheWindowShowsItsTitleTextsAndButtons) {
    for (bool mail : {false, true}) {
        SCOPED_TRACE(mail ? "with --mail" : "without --mail");
        Open(mail);
        EXPECT_EQ(wm->Title(dialog->Window()), "pemu Auto Log Tool");
        EXPECT_EQ(Get(kIdcInstruction).Text(), InstructionText("Pemu Quorvane Sender"));
        EXPECT_EQ(Get(kIdcStartAndLog).Text(), "Start and Log");
        EXPECT_EQ(Get(kIdcStopLogging).Text(), "Stop Logging");
        EXPECT_EQ(Get(kIdcStartAndMail).Text(), "Start and Mail");
        EXPECT_TRUE(Get(kIdcStartAndLog).IsEnabled());
        EXPECT_FALSE(Get(kIdcStopLogging).IsEnabled());
        EXPECT_TRUE(Get(kIdcStopLogging).IsVisible());
        EXPECT_EQ(Get(kIdcStartAndMail).IsVisible(), mail);
        EXPECT_EQ(dialog->StatusText(), "");
        EXPECT_TRUE(OnScreen());
        if (mail) {
            SaveShot("brelvix_window_with_mail.png");
        }
        dialog.reset();
    }
    EXPECT_EQ(InstructionText("Pemu"),
              "This tool will run Pemu and log debugging message for engineering analysis. "
              "Please click \"Start and Log\" button to launch the client. The log folder will "
              "be opened when test completes. If the Pemu client freezes during the test, "
              "restore the window of this tool and click \"Stop Logging\".");
}

TEST_F(BrelvixDialogTest, StartAndLogMinimisesAndTheFirstLookAfterTheEndOpensTheFolder) {
    world.SetFake("log,exit=0");
    Open();
    const uint64_t start = clock.NowMs();
    ClickOn(kIdcStartAndLog);
    ASSERT_TRUE(session->IsWatching()) << dialog->StatusText();
    EXPECT_FALSE(Get(kIdcStartAndLog).IsEnabled());
    EXPECT_FALSE(Get(kIdcStartAndMail).IsEnabled());
    EXPECT_TRUE(Get(kIdcStopLogging).IsEnabled());
    EXPECT_TRUE(Minimised());
    EXPECT_TRUE(dialog->StatusText().starts_with("Watching " + world.Client() + " (process "));
    EXPECT_TRUE(opener.Opened().empty());

    // The client ends at once; the window comes back at the timer's first
    // look, 3000 ms after the start.
    ASSERT_TRUE(AwaitExitWithoutReaping(session->ClientPid()));
    RunUntilRestored();
    EXPECT_EQ(clock.NowMs() - start, kWatchIntervalMs);
    EXPECT_TRUE(Get(kIdcStartAndLog).IsEnabled());
    EXPECT_FALSE(Get(kIdcStopLogging).IsEnabled());
    const std::string folder = world.Paths().logFolder;
    EXPECT_EQ(opener.Opened(), std::vector<std::string>{folder});
    EXPECT_EQ(dialog->StatusText(),
              "pemu ended with code 0.\nSystem log: skipped (journalctl not found)\n"
              "The log folder was opened: " +
                  folder);
    EXPECT_FALSE(dialog->StatusIsError());
    EXPECT_EQ(wm->ActiveTopLevel(), dialog->Window());
    SaveShot("brelvix_window_finished.png");
}

TEST_F(BrelvixDialogTest, StopLoggingEndsTheClientAndTheTimerFinishes) {
    world.SetFake("sleep=60000");
    Open();
    ClickOn(kIdcStartAndLog);
    ASSERT_TRUE(session->IsWatching()) << dialog->StatusText();
    const pid_t client = session->ClientPid();
    // The user restores the window and clicks "Stop Logging".
    wm->Show(dialog->Window(), true);
    Pump();
    ClickOn(kIdcStopLogging);
    EXPECT_FALSE(IsRunning(client));
    EXPECT_TRUE(session->IsWatching()) << "only the timer finishes";
    const uint64_t stopped = clock.NowMs();
    ASSERT_TRUE(wm->RunUntil([&] { return !session->IsWatching(); }));
    EXPECT_LE(clock.NowMs() - stopped, kWatchIntervalMs);
    EXPECT_TRUE(dialog->StatusText().starts_with("pemu was stopped.\n")) << dialog->StatusText();
    EXPECT_EQ(opener.Opened().size(), 1u);
}

TEST_F(BrelvixDialogTest, AStartThatFailsStaysOnScreenWithItsReason) {
    std::filesystem::remove(world.Client());
    Open(true);
    ClickOn(kIdcStartAndMail);
    EXPECT_FALSE(session->IsWatching());
    EXPECT_TRUE(OnScreen());
    EXPECT_TRUE(Get(kIdcStartAndLog).IsEnabled());
    EXPECT_TRUE(Get(kIdcStartAndMail).IsEnabled());
    EXPECT_FALSE(Get(kIdcStopLogging).IsEnabled());
    EXPECT_TRUE(dialog->StatusIsError());
    EXPECT_EQ(dialog->StatusText(), "Not started: cannot find the program pemu beside this tool (" +
                                        world.Bin() + ") or in the current folder (" +
                                        world.Folder("cwd") + ")");
    SaveShot("brelvix_window_start_failed.png");

    // A Log.ini that is wrong from the start says so at once.
    dialog.reset();
    WriteText(world.Bin() + "/Log.ini", "[LOG]\nAppName=pemu\n");
    Open();
    EXPECT_TRUE(dialog->StatusIsError());
    EXPECT_NE(dialog->StatusText().find("the key AppTempFolderName of section [LOG] is missing"),
              std::string::npos)
        << dialog->StatusText();
    EXPECT_EQ(wm->Title(dialog->Window()), "Auto Log Tool");
}

TEST_F(BrelvixDialogTest, ClosingWhileWatchingStopsTheClientFinishesAndQuits) {
    world.SetFake("sleep=60000");
    Open();
    ClickOn(kIdcStartAndLog);
    ASSERT_TRUE(session->IsWatching());
    const pid_t client = session->ClientPid();
    headless->RequestClose(dialog->Window());
    EXPECT_EQ(wm->Run(), 0);
    EXPECT_FALSE(IsRunning(client));
    EXPECT_FALSE(session->IsWatching());
    EXPECT_FALSE(wm->IsAlive(dialog->Window()));
    EXPECT_EQ(opener.Opened(), std::vector<std::string>{world.Paths().logFolder});
}

}  // namespace
}  // namespace logtool
