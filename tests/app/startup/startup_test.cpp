// Start-up between real processes: copies of a stand-in program around the
// sender's start-up, in private XDG folders. A first copy runs; later
// starts hand it actions or ask it to show itself.
#include "app/startup/startup.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

#include "platform/child_process.h"
#include "platform/window/single_instance_lock.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

namespace pemuapp {
namespace {

namespace fs = std::filesystem;

// A bound on any one wait, never waited out when all is well.
constexpr int kWaitMs = 15000;

// One copy of the probe with its standard output read line by line.
class Probe {
public:
    explicit Probe(const std::vector<std::string>& args) {
        int fds[2];
        EXPECT_EQ(::pipe2(fds, O_CLOEXEC), 0);
        m_read = fds[0];
        int error = 0;
        m_child = platform::ChildProcess::Start(PEMU_STARTUP_PROBE, args, &error, fds[1]);
        ::close(fds[1]);
        EXPECT_NE(m_child, nullptr) << "cannot start the probe: " << error;
    }
    ~Probe() { ::close(m_read); }

    // The next line, or "" when none comes within the bound (or at the end).
    std::string NextLine(int waitMs = kWaitMs) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
        for (;;) {
            const size_t newline = m_buffer.find('\n');
            if (newline != std::string::npos) {
                std::string line = m_buffer.substr(0, newline);
                m_buffer.erase(0, newline + 1);
                return line;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                end - std::chrono::steady_clock::now());
            pollfd p{m_read, POLLIN, 0};
            if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0) {
                return "";
            }
            char chunk[512];
            const ssize_t n = ::read(m_read, chunk, sizeof chunk);
            if (n <= 0) {
                return "";
            }
            m_buffer.append(chunk, static_cast<size_t>(n));
        }
    }

    // The exit status, or -1 when it did not end within the bound.
    int ExitStatus() {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitMs);
        int status = 0;
        while (!m_child->HasExited(&status)) {
            if (std::chrono::steady_clock::now() > end) {
                return -1;
            }
            ::usleep(2000);
        }
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

private:
    std::unique_ptr<platform::ChildProcess> m_child;
    int m_read = -1;
    std::string m_buffer;
};

class StartupTest : public testing::Test {
protected:
    void SetUp() override {
        for (const char* sub : {"runtime", "config", "data"}) {
            fs::create_directories(dir.Path() / sub);
            fs::permissions(dir.Path() / sub, fs::perms::owner_all);
        }
        Set("XDG_RUNTIME_DIR", dir.File("runtime"));
        Set("XDG_CONFIG_HOME", dir.File("config"));
        Set("XDG_DATA_HOME", dir.File("data"));
        paths = SenderPaths::Under(dir.File("config"), dir.File("data"));
    }
    void Set(const std::string& name, const std::string& value) {
        env.push_back(std::make_unique<testsupport::ScopedEnv>(name, value));
    }

    // Starts the first copy and waits until it runs.
    std::unique_ptr<Probe> StartFirst(const std::vector<std::string>& args = {}) {
        auto first = std::make_unique<Probe>(args);
        EXPECT_EQ(first->NextLine().rfind("running ", 0), 0u);
        return first;
    }
    // Ends the first copy through a hand-off of Exit.
    void EndFirst(Probe& first) {
        Probe exit({"-K"});
        EXPECT_EQ(exit.ExitStatus(), 0);
        EXPECT_EQ(first.NextLine(), "action Exit ip= id= name= code= path=");
        EXPECT_EQ(first.ExitStatus(), 0);
    }

    testsupport::TempDir dir;
    SenderPaths paths;
    std::vector<std::unique_ptr<testsupport::ScopedEnv>> env;
};

TEST_F(StartupTest, APlainSecondStartEndsAndTheFirstIsAskedToShowItself) {
    auto first = StartFirst();
    Probe second({});
    EXPECT_EQ(second.ExitStatus(), 0);
    EXPECT_EQ(second.NextLine(1000), "");  // it never ran a window
    EXPECT_EQ(first->NextLine(), "restore");
    // "/selto" skips the hand-off: a plain start, whatever follows it.
    Probe selto({"/selto", "-X", "1.2.3.4"});
    EXPECT_EQ(selto.ExitStatus(), 0);
    EXPECT_EQ(first->NextLine(), "restore");
    EndFirst(*first);
}

TEST_F(StartupTest, AHandedActionArrivesOnceAndItsFileIsGone) {
    auto first = StartFirst();
    Probe start({"-P", "10.0.0.7", "-u", "Ann Lee", "-o", "3", "-c", "4821"});
    EXPECT_EQ(start.ExitStatus(), 0);
    EXPECT_EQ(first->NextLine(),
              "action Presentation ip=10.0.0.7 id=3 name=Ann Lee code=4821 path=");
    EXPECT_FALSE(fs::exists(paths.commandFile));
    struct stat st {};
    ASSERT_EQ(::stat(paths.commandFolder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    // A path with blanks and "-C" in it is one word, never a switch.
    Probe video({"-V", "10.0.0.7", "/tmp/My -C clip.mp4"});
    EXPECT_EQ(video.ExitStatus(), 0);
    EXPECT_EQ(first->NextLine(),
              "action Video ip=10.0.0.7 id= name= code= path=/tmp/My -C clip.mp4");
    EXPECT_EQ(first->NextLine(300), "");  // nothing twice
    EndFirst(*first);
}

// The running copy is signalled only after a good write.
TEST_F(StartupTest, AFailedWriteSignalsNothing) {
    auto first = StartFirst();
    fs::create_directories(dir.File("data"));
    std::ofstream(paths.commandFolder) << "a file where the folder belongs";
    Probe start({"-X", "10.0.0.1"});
    EXPECT_EQ(start.ExitStatus(), 1);
    fs::remove(paths.commandFolder);
    Probe next({"-F", "10.0.0.1"});
    EXPECT_EQ(next.ExitStatus(), 0);
    // The first line it gets is the later, good hand-off.
    EXPECT_EQ(first->NextLine(), "action Pause ip=10.0.0.1 id= name= code= path=");
    EndFirst(*first);
}

TEST_F(StartupTest, TwoSimultaneousStartsBothArrive) {
    auto first = StartFirst();
    std::vector<std::unique_ptr<Probe>> starts;
    for (const char* address : {"10.0.0.1", "10.0.0.2", "10.0.0.3", "10.0.0.4"}) {
        starts.push_back(std::make_unique<Probe>(std::vector<std::string>{"-X", address}));
    }
    std::vector<std::string> lines;
    for (auto& start : starts) {
        EXPECT_EQ(start->ExitStatus(), 0);
        lines.push_back(first->NextLine());
    }
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "action Stop ip=10.0.0.1 id= name= code= path=",
                         "action Stop ip=10.0.0.2 id= name= code= path=",
                         "action Stop ip=10.0.0.3 id= name= code= path=",
                         "action Stop ip=10.0.0.4 id= name= code= path=",
                     }));
    EndFirst(*first);
}

TEST_F(StartupTest, CreateFireWallEndsAtOnceWithoutTheLock) {
    Probe alone({"CreateFireWall"});
    EXPECT_EQ(alone.ExitStatus(), 0);
    EXPECT_EQ(alone.NextLine(1000), "");
    EXPECT_FALSE(fs::exists(dir.File("runtime/Pemu.lock")));
    auto first = StartFirst();
    Probe again({"CreateFireWall"});
    EXPECT_EQ(again.ExitStatus(), 0);
    // Only the exact single word: other spellings are command lines.
    Probe other({"createfirewall"});
    EXPECT_EQ(other.ExitStatus(), 0);
    EXPECT_EQ(first->NextLine(), "restore");  // from "createfirewall" alone
    EndFirst(*first);
}

TEST_F(StartupTest, WithNoCopyRunningAStartRunsItsOwnAction) {
    auto first = StartFirst({"-C", "10.0.0.9", "6049", "--probe-flag"});
    EXPECT_EQ(first->NextLine(), "action Login ip=10.0.0.9 id= name= code=6049 path=");
    EXPECT_FALSE(fs::exists(paths.commandFile));
    EndFirst(*first);
}

TEST_F(StartupTest, HelpUnknownOptionsAndBadValues) {
    Probe help({"--help"});
    EXPECT_EQ(help.NextLine().rfind("Usage: startup_probe", 0), 0u);
    EXPECT_EQ(help.ExitStatus(), 0);
    for (std::vector<std::string> args : {std::vector<std::string>{"--bogus"},
                                          {"--probe-flag=1"},
                                          {"-X", "1.2.3.4\n-K"},
                                          {"-V", "1.2.3.4", "\xff.mp4"}}) {
        SCOPED_TRACE(testing::PrintToString(args));
        Probe bad(args);
        EXPECT_EQ(bad.ExitStatus(), 2);
    }
    EXPECT_FALSE(fs::exists(dir.File("runtime/Pemu.lock")));
}

TEST_F(StartupTest, ALockHeldWithoutAnAnswerEndsTheStartWithAnError) {
    Set("PROBE_HANDOFF_WAIT_MS", "300");
    std::unique_ptr<platform::SingleInstanceLock> lock;
    ASSERT_EQ(platform::SingleInstanceLock::TryAcquire(kInstanceName, dir.File("runtime"), &lock),
              platform::SingleInstanceLock::Result::kAcquired);
    Probe start({"-A"});
    EXPECT_EQ(start.ExitStatus(), 1);
    EXPECT_FALSE(fs::exists(paths.commandFile));  // the untaken action is not left behind
    Probe plain({});
    EXPECT_EQ(plain.ExitStatus(), 1);
    // The holder goes: the next start is the first copy.
    lock.reset();
    auto first = StartFirst({"-A"});
    EXPECT_EQ(first->NextLine(), "action StopAll ip= id= name= code= path=");
    EndFirst(*first);
}

}  // namespace
}  // namespace pemuapp
