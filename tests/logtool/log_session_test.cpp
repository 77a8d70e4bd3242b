// One collection through the core: the client is started in its folder
// with its logging switched on, watched every 3000 ms on the loop's clock,
// stopped by its process alone, and a start that cannot happen changes
// nothing and says why.
#include "logtool/log_session.h"

#include <gtest/gtest.h>

#include <sstream>

#include "logtool/cli_mode.h"
#include "logtool/watch_loop.h"
#include "platform/child_process.h"
#include "platform/fake_clock.h"
#include "platform/fake_url_opener.h"
#include "tests/logtool/logtool_test_support.h"

namespace logtool {
namespace {

using testsupport::ReadFile;

class LogSessionTest : public ::testing::Test {
protected:
    // A wait that only moves the fake clock; `stopAt` (1-based) is the wait
    // at which the user asks to stop.
    StopWait FakeWait(int stopAt = 0) {
        return [this, stopAt](uint32_t ms) {
            clock.Advance(ms);
            return ++waits == stopAt;
        };
    }

    // Every file below the world's config and data folders.
    std::vector<std::string> WrittenFiles() const {
        std::vector<std::string> files;
        for (const std::string& root : {world.Config(), world.Data()}) {
            for (const auto& e : std::filesystem::recursive_directory_iterator(root)) {
                files.push_back(e.path().string());
            }
        }
        return files;
    }

    LogToolWorld world;
    platform::FakeUrlOpener opener;
    platform::FakeClock clock{50000};
    int waits = 0;
};

TEST_F(LogSessionTest, TheClientRunsInItsFolderWithLoggingOnAndEndsTheWatchAtTheNextTick) {
    world.SetFake("log,exit=0");
    LogSession session(world.Setup(), &opener);
    ASSERT_TRUE(session.Start(FinishMode::kOpenFolder)) << session.Error();
    EXPECT_EQ(session.ClientPath(), world.Client());
    const pid_t client = session.ClientPid();
    ASSERT_TRUE(AwaitExitWithoutReaping(client));

    // It ended before the first look: the watch ends at the first one,
    // one interval after the start.
    const uint64_t start = clock.NowMs();
    WatchUntilEnded(session, clock, FakeWait());
    EXPECT_EQ(clock.NowMs() - start, kWatchIntervalMs);

    const CollectionResult result = session.Finish();
    EXPECT_FALSE(session.IsWatching());
    EXPECT_EQ(result.clientEnd, "pemu ended with code 0.");
    EXPECT_EQ(result.systemLog, "System log: skipped (journalctl not found)");
    const LogPaths paths = world.Paths();
    EXPECT_EQ(opener.Opened(), std::vector<std::string>{paths.logFolder});
    EXPECT_EQ(result.finish.message, "The log folder was opened: " + paths.logFolder);
    // The client found its log through the settings file, and ran in its
    // own folder.
    EXPECT_EQ(ReadFile(paths.sdkLog),
              "fake client " + std::to_string(client) + "\ncwd: " + world.Bin() + "\n");
}

TEST_F(LogSessionTest, StopEndsOnlyTheStartedProcess) {
    world.SetFake("ready=" + world.ReadyFile() + ",sleep=60000");
    auto other = platform::ChildProcess::Start(world.Client(), {});
    ASSERT_NE(other, nullptr);
    LogSession session(world.Setup(), &opener);
    ASSERT_TRUE(session.Start(FinishMode::kOpenFolder)) << session.Error();
    const pid_t started = session.ClientPid();
    ASSERT_NE(started, other->Pid());

    // The user stops at the second wait; the look after it finds the end.
    const uint64_t start = clock.NowMs();
    WatchUntilEnded(session, clock, FakeWait(2));
    EXPECT_EQ(clock.NowMs() - start, 2 * kWatchIntervalMs);
    EXPECT_FALSE(IsRunning(started));
    EXPECT_TRUE(IsRunning(other->Pid())) << "another copy of the same program keeps running";
    EXPECT_FALSE(other->HasExited());

    EXPECT_EQ(session.Finish().clientEnd, "pemu was stopped.");
    EXPECT_TRUE(IsRunning(other->Pid()));
}

TEST_F(LogSessionTest, AStartThatCannotHappenChangesNothingAndSaysWhy) {
    struct Case {
        const char* name;
        std::string logIni;  // in the program folder
        std::string chosen;  // --client
        std::string error;   // a part of the message
    } cases[] = {
        {"no AppName",
         "[LOG]\nAppTempFolderName=Pemu Quorvane Sender\nININame=Quorvane_Sender.ini\n"
         "SectionName=Quorvane_Sender\n",
         "", "the key AppName of section [LOG] is missing or empty"},
        {"an empty ININame", std::string(kPemuLogIni) + "ININame=\n", "", ""},
        {"a path for a folder name",
         "[LOG]\nAppTempFolderName=../elsewhere\nININame=Quorvane_Sender.ini\n"
         "SectionName=Quorvane_Sender\nAppName=pemu\n",
         "", "AppTempFolderName (\"../elsewhere\") is not a plain name"},
        {"no such program",
         "[LOG]\nAppTempFolderName=Pemu Quorvane Sender\n"
         "ININame=Quorvane_Sender.ini\nSectionName=Quorvane_Sender\n"
         "AppName=missing\n",
         "",
         "cannot find the program missing beside this tool (" + world.Bin() +
             ") or in the current folder (" + world.Folder("cwd") + ")"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteText(world.Bin() + "/Log.ini", c.logIni);
        world.SetFake("ready=" + world.ReadyFile());
        SessionSetup setup = world.Setup();
        setup.chosenClient = c.chosen;
        LogSession session(setup, &opener);
        const bool started = session.Start(FinishMode::kOpenFolder);
        if (c.error.empty()) {
            // The first ININame counts, so this file is good: the control row.
            ASSERT_TRUE(started) << session.Error();
            session.StopClient();
            session.Finish();
            std::filesystem::remove_all(world.Config() + "/Pemu Quorvane Sender");
            std::filesystem::remove_all(world.Data() + "/Pemu Quorvane Sender");
            std::filesystem::remove(world.ReadyFile());
            continue;
        }
        EXPECT_FALSE(started);
        EXPECT_FALSE(session.IsWatching());
        EXPECT_NE(session.Error().find(c.error), std::string::npos) << session.Error();
        EXPECT_EQ(WrittenFiles(), std::vector<std::string>{}) << "nothing written";
        EXPECT_FALSE(std::filesystem::exists(world.ReadyFile())) << "nothing started";
    }
}

TEST_F(LogSessionTest, AClientThatCannotBeStartedIsReportedWithItsReason) {
    WriteText(world.Folder("cwd") + "/not-a-program", "data");
    struct Case {
        const char* name;
        std::string chosen;
        std::string error;
    } cases[] = {
        {"missing", world.Folder("nothing-here"),
         "cannot start " + world.Folder("nothing-here") + ": No such file or directory"},
        {"not executable, named relative to the current folder", "not-a-program",
         "cannot start " + world.Folder("cwd") + "/not-a-program: Permission denied"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SessionSetup setup = world.Setup();
        setup.chosenClient = c.chosen;
        LogSession session(setup, &opener);
        EXPECT_FALSE(session.Start(FinishMode::kOpenFolder));
        EXPECT_FALSE(session.IsWatching());
        EXPECT_EQ(session.Error(), c.error);
        EXPECT_TRUE(session.Finish().clientEnd.empty()) << "an idle session has nothing to finish";
    }
}

// The command line's run on the same core: its report and exit status.
TEST_F(LogSessionTest, TheCommandLineRunReportsTheFolderOrTheLinkLast) {
    struct Case {
        const char* name;
        FinishMode mode;
        bool open;
        std::string lastLinePrefix;
    } cases[] = {
        {"folder, opened", FinishMode::kOpenFolder, true, world.Paths().logFolder},
        {"mail, named only", FinishMode::kMail, false,
         "mailto:support@example.com?subject=Pemu%20Quorvane%20Sender%20Test%20Log&body="
         "%0D%0A%3D%3D"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        world.SetFake("log,exit=4");
        SessionSetup setup = world.Setup();
        setup.openResult = c.open;
        LogSession session(setup, &opener);
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(RunCollection(session, c.mode, clock, FakeWait(), out, err), 0);
        EXPECT_EQ(err.str(), "");
        std::vector<std::string> lines;
        std::istringstream text(out.str());
        for (std::string line; std::getline(text, line);) {
            lines.push_back(line);
        }
        ASSERT_EQ(lines.size(), 5u) << out.str();
        EXPECT_TRUE(lines[0].starts_with("Watching " + world.Client() + " (process ")) << lines[0];
        EXPECT_EQ(lines[1], "pemu ended with code 4.");
        EXPECT_EQ(lines[2], "System log: skipped (journalctl not found)");
        EXPECT_TRUE(lines[4].starts_with(c.lastLinePrefix)) << lines[4];
    }
    EXPECT_EQ(opener.Opened(), std::vector<std::string>{world.Paths().logFolder});

    WriteText(world.Bin() + "/Log.ini", "[LOG]\nAppName=pemu\n");
    LogSession broken(world.Setup(), &opener);
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunCollection(broken, FinishMode::kOpenFolder, clock, FakeWait(), out, err), 1);
    EXPECT_EQ(out.str(), "");
    EXPECT_NE(err.str().find("brelvix: not started: " + world.Bin() +
                             "/Log.ini: the key AppTempFolderName"),
              std::string::npos)
        << err.str();
}

}  // namespace
}  // namespace logtool
