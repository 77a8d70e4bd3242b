// The program itself, run as a user runs it: --help and wrong words,
// "brelvix --run" printing the log folder or the mail link once the fake
// client has ended, a configuration error, and SIGTERM stopping only the
// client it started. Real processes and real time: each collection takes
// one watch interval (3 s).
#include <fcntl.h>
#include <poll.h>
#include <signal.h>

#include <gtest/gtest.h>

#include <chrono>
#include <sstream>

#include "platform/child_process.h"
#include "platform/unique_fd.h"
#include "tests/logtool/logtool_test_support.h"

namespace logtool {
namespace {

using testsupport::ReadFile;

// brelvix started in the world's current folder with its standard output
// read through a pipe.
class BrelvixProcess {
public:
    explicit BrelvixProcess(const std::vector<std::string>& args, const std::string& folder) {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) {
            return;
        }
        m_out.reset(fds[0]);
        platform::UniqueFd write(fds[1]);
        m_child =
            platform::ChildProcess::Start(BRELVIX_PROGRAM, args, nullptr, write.get(), folder);
    }

    bool Started() const { return m_child != nullptr; }
    pid_t Pid() const { return m_child->Pid(); }

    // Reads until a line starts with `prefix` (true) or the output ends or
    // 10 s pass (false).
    bool AwaitLine(const std::string& prefix) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        for (;;) {
            std::istringstream lines(m_text);
            for (std::string line; std::getline(lines, line);) {
                if (line.starts_with(prefix) && lines.good()) {
                    return true;
                }
            }
            if (!ReadSome(deadline)) {
                return false;
            }
        }
    }

    // Reads to the end of the output and waits for the exit; the exit code,
    // or -1 when it did not end within 15 s.
    int Finish() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
        while (ReadSome(deadline)) {
        }
        int status = 0;
        while (!m_child->HasExited(&status)) {
            if (std::chrono::steady_clock::now() > deadline) {
                m_child->Terminate(100);
                return -1;
            }
            ::usleep(10000);
        }
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    const std::string& Output() const { return m_text; }
    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        std::istringstream text(m_text);
        for (std::string line; std::getline(text, line);) {
            lines.push_back(line);
        }
        return lines;
    }

private:
    bool ReadSome(std::chrono::steady_clock::time_point deadline) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd p{m_out.get(), POLLIN, 0};
        if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0) {
            return false;
        }
        char buffer[4096];
        const ssize_t n = ::read(m_out.get(), buffer, sizeof buffer);
        if (n <= 0) {
            return false;
        }
        m_text.append(buffer, static_cast<size_t>(n));
        return true;
    }

    platform::UniqueFd m_out;
    std::unique_ptr<platform::ChildProcess> m_child;
    std::string m_text;
};

class BrelvixProgramTest : public ::testing::Test {
protected:
    void SetUp() override { WriteText(Cwd() + "/Log.ini", kPemuLogIni); }
    std::string Cwd() const { return world.Folder("cwd"); }
    std::vector<std::string> RunArgs(bool mail) const {
        std::vector<std::string> args = {"--run", "--no-open", "--client", world.Client()};
        if (mail) {
            args.insert(args.begin() + 1, "--mail");
        }
        return args;
    }

    LogToolWorld world;
};

TEST_F(BrelvixProgramTest, HelpWrongWordsAndAConfigurationError) {
    struct Case {
        std::vector<std::string> args;
        int exit;
        std::string output;  // the start of standard output
    } cases[] = {
        {{"--help"}, 0, "Usage: brelvix [--run] [--mail] [--client PATH] [--no-open]\n"},
        {{"--run", "--bogus"}, 2, ""},
        {{"--client"}, 2, ""},
        {{"--client="}, 2, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        BrelvixProcess brelvix(c.args, Cwd());
        ASSERT_TRUE(brelvix.Started());
        EXPECT_EQ(brelvix.Finish(), c.exit);
        EXPECT_TRUE(brelvix.Output().starts_with(c.output)) << brelvix.Output();
        if (c.output.empty()) {
            EXPECT_EQ(brelvix.Output(), "");
        }
    }

    world.SetFake("ready=" + world.ReadyFile());
    WriteText(Cwd() + "/Log.ini", "[LOG]\nAppTempFolderName=Pemu Quorvane Sender\n");
    BrelvixProcess broken(RunArgs(false), Cwd());
    ASSERT_TRUE(broken.Started());
    EXPECT_EQ(broken.Finish(), 1);
    EXPECT_EQ(broken.Output(), "");
    EXPECT_FALSE(std::filesystem::exists(world.ReadyFile())) << "nothing started";
    EXPECT_FALSE(std::filesystem::exists(world.Paths().settingsFile)) << "nothing written";
}

TEST_F(BrelvixProgramTest, ARunPrintsTheLogFolderOrTheMailLinkLast) {
    for (bool mail : {false, true}) {
        SCOPED_TRACE(mail ? "mail" : "folder");
        world.SetFake("log,exit=0");
        BrelvixProcess brelvix(RunArgs(mail), Cwd());
        ASSERT_TRUE(brelvix.Started());
        EXPECT_EQ(brelvix.Finish(), 0);
        const std::vector<std::string> lines = brelvix.Lines();
        ASSERT_EQ(lines.size(), 5u) << brelvix.Output();
        EXPECT_TRUE(lines[0].starts_with("Watching " + world.Client() + " (process ")) << lines[0];
        EXPECT_EQ(lines[1], "pemu ended with code 0.");
        const LogPaths paths = world.Paths();
        if (mail) {
            EXPECT_TRUE(
                lines[4].starts_with("mailto:support@example.com?subject=Pemu%20Quorvane%"
                                     "20Sender%20Test%20Log&body="))
                << lines[4];
            EXPECT_NE(lines[4].find("fake%20client%20"), std::string::npos) << lines[4];
        } else {
            EXPECT_EQ(lines[3], "The logs are in " + paths.logFolder);
            EXPECT_EQ(lines[4], paths.logFolder);
        }
        EXPECT_TRUE(ReadFile(paths.sdkLog).starts_with("fake client "));
    }
}

TEST_F(BrelvixProgramTest, SigtermStopsOnlyTheClientItStarted) {
    world.SetFake("sleep=60000");
    auto other = platform::ChildProcess::Start(world.Client(), {});
    ASSERT_NE(other, nullptr);
    BrelvixProcess brelvix(RunArgs(false), Cwd());
    ASSERT_TRUE(brelvix.Started());
    ASSERT_TRUE(brelvix.AwaitLine("Watching ")) << brelvix.Output();
    const std::string watching = brelvix.Lines()[0];
    const size_t at = watching.find("(process ") + 9;
    const pid_t client = static_cast<pid_t>(std::stol(watching.substr(at)));
    ASSERT_TRUE(IsRunning(client));

    ASSERT_EQ(::kill(brelvix.Pid(), SIGTERM), 0);
    EXPECT_EQ(brelvix.Finish(), 0);
    const std::vector<std::string> lines = brelvix.Lines();
    ASSERT_GE(lines.size(), 2u) << brelvix.Output();
    EXPECT_EQ(lines[1], "pemu was stopped.");
    EXPECT_FALSE(IsRunning(client));
    EXPECT_TRUE(IsRunning(other->Pid())) << "another copy of the same program keeps running";
}

}  // namespace
}  // namespace logtool
