#include "platform/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>

#include "tests/support/TempDir.h"

namespace {

bool IsGone(pid_t pid) {
    return ::kill(pid, 0) != 0 && errno == ESRCH;  // a zombie would still be found
}

TEST(ChildProcessTest, StartsOnlyAbsolutePathsThatRun) {
    testsupport::TempDir dir;
    const std::string plain = dir.File("plain");
    const std::string garbage = dir.File("garbage");
    std::ofstream(plain) << "data";
    std::ofstream(garbage) << "not a program";
    ::chmod(plain.c_str(), 0644);
    ::chmod(garbage.c_str(), 0755);
    struct Case {
        std::string path;
        int error;
    } cases[] = {
        {"sh", EINVAL},  // never searched through PATH
        {"", EINVAL},   {"/nonexistent/program", ENOENT}, {plain, EACCES}, {garbage, ENOEXEC},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        int error = 0;
        EXPECT_EQ(platform::ChildProcess::Start(c.path, {}, &error), nullptr);
        EXPECT_EQ(error, c.error);
    }
}

TEST(ChildProcessTest, ReportsTheExitAndReaps) {
    auto child = platform::ChildProcess::Start("/bin/sh", {"-c", "exit 7"});
    ASSERT_NE(child, nullptr);
    const int status = child->Wait();
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 7);
    int again = 0;
    EXPECT_TRUE(child->HasExited(&again));
    EXPECT_EQ(again, status);
    EXPECT_TRUE(IsGone(child->Pid()));
}

TEST(ChildProcessTest, TerminateSignalsThenKills) {
    struct Case {
        const char* name;
        const char* script;
        int signal;
    } cases[] = {
        {"ends on SIGTERM", "touch \"$0\"; exec sleep 30", SIGTERM},
        {"ignores SIGTERM", "trap '' TERM; touch \"$0\"; while :; do sleep 1; done", SIGKILL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::TempDir dir;
        const std::string ready = dir.File("ready");
        auto child = platform::ChildProcess::Start("/bin/sh", {"-c", c.script, ready});
        ASSERT_NE(child, nullptr);
        // The script marks the moment its signal handling is in place.
        while (::access(ready.c_str(), F_OK) != 0) {
            ASSERT_FALSE(child->HasExited());
            ::usleep(1000);
        }
        const int status = child->Terminate(200);
        EXPECT_TRUE(WIFSIGNALED(status));
        EXPECT_EQ(WTERMSIG(status), c.signal);
        EXPECT_TRUE(IsGone(child->Pid()));
    }
}

TEST(ChildProcessTest, WritesToTheGivenOutput) {
    testsupport::TempDir dir;
    const std::string file = dir.File("out");
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    auto child = platform::ChildProcess::Start("/bin/echo", {"hello"}, nullptr, fd);
    ::close(fd);
    ASSERT_NE(child, nullptr);
    child->Wait();
    EXPECT_EQ(testsupport::ReadFile(file), "hello\n");
}

TEST(ChildProcessTest, StartsInTheGivenWorkingFolder) {
    testsupport::TempDir dir;
    const std::string file = dir.File("out");
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    auto child = platform::ChildProcess::Start("/bin/pwd", {}, nullptr, fd, dir.Path().string());
    ::close(fd);
    ASSERT_NE(child, nullptr);
    child->Wait();
    EXPECT_EQ(testsupport::ReadFile(file), dir.Path().string() + "\n");

    int error = 0;
    EXPECT_EQ(platform::ChildProcess::Start("/bin/pwd", {}, &error, -1, dir.File("missing")),
              nullptr);
    EXPECT_EQ(error, ENOENT) << "a folder that cannot be entered starts nothing";
}

}  // namespace
