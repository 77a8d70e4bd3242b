// The single-instance lock and the command socket between two copies of the
// program, in a private folder (and, for the lock, a second process).
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <vector>

#include "platform/window/headless_backend.h"
#include "platform/window/instance_command_server.h"
#include "platform/window/instance_directory.h"
#include "platform/window/single_instance_lock.h"
#include "platform/window/window_manager.h"

namespace platform {
namespace {

class InstanceTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/pemu-instance-test-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    std::string dir;
};

TEST_F(InstanceTest, OneHolderAtATimeAcrossProcesses) {
    using R = SingleInstanceLock::Result;
    std::unique_ptr<SingleInstanceLock> first;
    ASSERT_EQ(SingleInstanceLock::TryAcquire("Pemu", dir, &first), R::kAcquired);

    // A second start, as another process.
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::unique_ptr<SingleInstanceLock> second;
        ::_exit(static_cast<int>(SingleInstanceLock::TryAcquire("Pemu", dir, &second)));
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), static_cast<int>(R::kHeldElsewhere));

    std::unique_ptr<SingleInstanceLock> again;
    EXPECT_EQ(SingleInstanceLock::TryAcquire("Pemu", dir, &again), R::kHeldElsewhere);
    EXPECT_EQ(again, nullptr);
    std::unique_ptr<SingleInstanceLock> other;
    EXPECT_EQ(SingleInstanceLock::TryAcquire("Brelvix", dir, &other), R::kAcquired);

    first.reset();  // the holder ends
    EXPECT_EQ(SingleInstanceLock::TryAcquire("Pemu", dir, &again), R::kAcquired);

    struct Row {
        const char* what;
        std::string name;
        std::string folder;
    } rows[] = {
        {"name with a slash", "a/b", dir},
        {"empty name", "", dir},
        {"missing folder", "Pemu", dir + "/missing"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        std::unique_ptr<SingleInstanceLock> lock;
        EXPECT_EQ(SingleInstanceLock::TryAcquire(r.name, r.folder, &lock), R::kError);
    }
}

TEST_F(InstanceTest, InstanceDirectoryPrefersTheRuntimeFolder) {
    const char* saved = std::getenv("XDG_RUNTIME_DIR");
    std::string savedValue = saved ? saved : "";
    ::setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
    EXPECT_EQ(InstanceDirectory(), dir);
    ::setenv("XDG_RUNTIME_DIR", "relative/path", 1);
    std::string fallback = InstanceDirectory();
    EXPECT_EQ(fallback, "/tmp/pemu-" + std::to_string(::getuid()));
    struct stat st {};
    ASSERT_EQ(::lstat(fallback.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    if (saved) {
        ::setenv("XDG_RUNTIME_DIR", savedValue.c_str(), 1);
    } else {
        ::unsetenv("XDG_RUNTIME_DIR");
    }
}

// The running copy's server hands each command to the window layer, which
// carries it to the main window on the user-interface thread.
TEST_F(InstanceTest, CommandReachesTheRunningWindow) {
    struct Main : WindowHandler {
        int64_t OnMessage(WindowId, const Message& m) override {
            if (m.kind == MessageKind::kCommand) {
                commands.push_back(m.code);
                WindowManager::Current()->PostQuit(0);
            }
            return 0;
        }
        std::vector<uint32_t> commands;
    } handler;
    auto wm = WindowManager::Create(std::make_unique<HeadlessBackend>());
    ASSERT_NE(wm, nullptr);
    WindowOptions o;
    o.handler = &handler;
    WindowId main = wm->Create(o);

    std::mutex lock;
    std::vector<std::string> received;
    auto server = InstanceCommandServer::Start("Pemu", dir, [&](const std::string& command) {
        std::lock_guard<std::mutex> guard(lock);
        received.push_back(command);
        wm->PostCommand(main, 10291);
    });
    ASSERT_NE(server, nullptr);

    std::thread secondStart([&] { EXPECT_EQ(SendInstanceCommand("Pemu", dir, "Action=Exit"), 0); });
    EXPECT_EQ(wm->Run(), 0);  // a real wait, ended by the posted command
    secondStart.join();
    EXPECT_EQ(handler.commands, std::vector<uint32_t>{10291});
    std::lock_guard<std::mutex> guard(lock);
    EXPECT_EQ(received, std::vector<std::string>{"Action=Exit"});
}

TEST_F(InstanceTest, BadCommandsAndMissingServersAreRefused) {
    std::mutex lock;
    std::vector<std::string> received;
    auto server = InstanceCommandServer::Start("Pemu", dir, [&](const std::string& command) {
        std::lock_guard<std::mutex> guard(lock);
        received.push_back(command);
    });
    ASSERT_NE(server, nullptr);

    // A socket file left by a copy that ended: nobody listens on it.
    std::string stale = dir + "/Gone.sock";
    {
        int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::strcpy(addr.sun_path, stale.c_str());
        ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)), 0);
        ::close(fd);
    }
    struct Row {
        const char* what;
        std::string name;
        std::string command;
        int expected;
    } rows[] = {
        {"accepted at the limit", "Pemu", std::string(kMaxInstanceCommand, 'x'), 0},
        {"one byte too long", "Pemu", std::string(kMaxInstanceCommand + 1, 'x'), -EMSGSIZE},
        {"a line break inside", "Pemu", "Action=Stop\nAction=Exit", -EMSGSIZE},
        {"no copy runs", "Other", "Action=Exit", -ENOENT},
        {"copy ended", "Gone", "Action=Exit", -ECONNREFUSED},
        {"empty command", "Pemu", "", 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        EXPECT_EQ(SendInstanceCommand(r.name, dir, r.command), r.expected);
    }

    // A peer that sends more than a command may hold gets no answer and
    // reaches nobody; the server goes on serving.
    int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strcpy(addr.sun_path, server->Path().c_str());
    ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)), 0);
    std::string flood(kMaxInstanceCommand + 600, 'y');
    ASSERT_EQ(::send(fd, flood.data(), flood.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(flood.size()));
    char answer[4];
    // Closed without an answer (a reset, since the rest of the flood was unread).
    EXPECT_LE(::recv(fd, answer, sizeof(answer), 0), 0);
    ::close(fd);
    EXPECT_EQ(SendInstanceCommand("Pemu", dir, "Action=StopAll"), 0);

    std::lock_guard<std::mutex> guard(lock);
    ASSERT_EQ(received.size(), 3u);
    EXPECT_EQ(received[0].size(), kMaxInstanceCommand);
    EXPECT_EQ(received[1], "");
    EXPECT_EQ(received[2], "Action=StopAll");
}

TEST_F(InstanceTest, ServerReplacesAStaleSocketAndRemovesItsOwn) {
    std::string path = dir + "/Pemu.sock";
    {
        int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::strcpy(addr.sun_path, path.c_str());
        ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)), 0);
        ::close(fd);
    }
    auto server = InstanceCommandServer::Start("Pemu", dir, [](const std::string&) {});
    ASSERT_NE(server, nullptr);
    EXPECT_EQ(SendInstanceCommand("Pemu", dir, "Action=Exit"), 0);
    server.reset();
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(SendInstanceCommand("Pemu", dir, "Action=Exit"), -ENOENT);
}

}  // namespace
}  // namespace platform
