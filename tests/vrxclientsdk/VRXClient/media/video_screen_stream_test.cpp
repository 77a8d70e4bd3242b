#include "vrxclientsdk/VRXClient/media/VideoScreenStream.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <string>

#include "tests/support/XvfbServer.h"
#include "tests/vrxclientsdk/VRXClient/facade_test_env.h"
#include "tests/vrxclientsdk/VRXClient/media/foreign_listener.h"
#include "tests/vrxclientsdk/VRXClient/media/media_test_env.h"
#include "vrxclientsdk/VRPClient/ErrorCodes.h"

namespace {

// A stand-in helper: a shell script named K7RMx64 in a folder of its own.
std::string WriteHelperScript(const testsupport::TempDir& dir, const std::string& body) {
    const std::string path = dir.File(VideoScreenStream::kHelperName);
    std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
    ::chmod(path.c_str(), 0755);
    return dir.Path().string();
}

// The receiver's URL for a screen stream of this machine on `port`.
std::string ScreenUrl(uint16_t port) {
    char url[64];
    std::snprintf(url, sizeof url, "mmsh://%03d.%03d.%03d.%03d:%d", 127, 0, 0, 1, port);
    return url;
}

// What ffprobe reports of the streams at `url` ("" when it fails).
std::string Probe(const std::string& url) {
    testsupport::TempDir dir;
    const std::string out = dir.File("probe");
    const int fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    auto ffprobe = platform::ChildProcess::Start(
        "/usr/bin/ffprobe",
        {"-v", "error", "-rw_timeout", "20000000", "-show_entries",
         "stream=codec_type,codec_name,width,height", "-of", "compact", url},
        nullptr, fd);
    ::close(fd);
    if (!ffprobe) {
        return {};
    }
    const int status = ffprobe->Wait();
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? testsupport::ReadFile(out) : "";
}

bool IsGone(pid_t pid) {
    return ::kill(pid, 0) != 0 && errno == ESRCH;  // a zombie would still be found
}

class VideoScreenStreamTest : public ::testing::Test {
protected:
    testsupport::TempDir m_empty;
    testsupport::TempDir m_helperDir;
};

TEST_F(VideoScreenStreamTest, ModesGiveTheirCodes) {
    const std::string exitsAtOnce = WriteHelperScript(m_helperDir, "exit 3");
    testsupport::TempDir brokenDir;
    const std::string notAProgram = brokenDir.File(VideoScreenStream::kHelperName);
    std::ofstream(notAProgram) << "not a program";
    ::chmod(notAProgram.c_str(), 0755);
    const std::string modules = PEMU_WMENCOM_DIR;
    const std::string empty = m_empty.Path().string();

    struct Case {
        const char* name;
        std::string moduleDir;
        std::string helperDir;
        bool programMode;
        int start;
        bool running;
        int stop;
    } cases[] = {
        {"nothing installed", empty, empty, false, qkerr::kK7rmNotInstalled, false, 0},
        // With the module present the helper is never used, whatever the module lacks.
        {"module without entries", modules + "/no-entries", PEMU_HELPER_DIR, false,
         qkerr::kK7rmTooOld, false, qkerr::kK7rmNoStop},
        {"module whose start fails", modules + "/failing", PEMU_HELPER_DIR, false,
         qkerr::kK7rmCantStart, false, 0},
        {"module", modules + "/working", PEMU_HELPER_DIR, false, 0, true, 0},
        {"helper that ends at once", empty, exitsAtOnce, true, qkerr::kK7rmCantStart, false, 0},
        {"helper that cannot run", empty, brokenDir.Path().string(), true, qkerr::kCreateObject,
         false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        mediatest::ScopedMediaEnvironment env(c.moduleDir);
        VideoScreenStream stream(c.helperDir);
        EXPECT_EQ(stream.IsProgramMode(), c.programMode);
        EXPECT_EQ(stream.Start(0, 0, 160, 120, mediatest::FreePort(), 1, 2), c.start);
        EXPECT_EQ(stream.IsRunning(), c.running);
        if (c.start == qkerr::kCreateObject) {
            EXPECT_NE(stream.GetErrorMessage().find("Process"), std::string::npos);
        }
        EXPECT_EQ(stream.Stop(), c.stop);
        EXPECT_FALSE(stream.IsRunning());
    }
}

TEST_F(VideoScreenStreamTest, PortsOutsideTheRangeAreRefused) {
    mediatest::ScopedMediaEnvironment env(m_empty.Path().string());
    VideoScreenStream stream(WriteHelperScript(m_helperDir, "exec sleep 30"));
    for (uint16_t port : {0, 80, 1023}) {
        SCOPED_TRACE(port);
        EXPECT_EQ(stream.Start(0, 0, 160, 120, port, 0, 0), qkerr::kK7rmCantStart);
        EXPECT_FALSE(stream.IsRunning());
    }
}

TEST_F(VideoScreenStreamTest, HelperIsLookedUpOnlyInItsFolderByAbsolutePath) {
    mediatest::ScopedMediaEnvironment env(m_empty.Path().string());
    EXPECT_FALSE(VideoScreenStream("").IsProgramMode());
    EXPECT_FALSE(VideoScreenStream("relative/folder").IsProgramMode());
    EXPECT_FALSE(VideoScreenStream(m_empty.Path().string()).IsProgramMode());
    const std::string folder = WriteHelperScript(m_helperDir, "exit 0");
    VideoScreenStream stream(folder);
    EXPECT_TRUE(stream.IsProgramMode());
    EXPECT_EQ(stream.HelperPath(), folder + "/" + VideoScreenStream::kHelperName);
    VideoScreenStream inProgramFolder;
    EXPECT_EQ(inProgramFolder.HelperPath().empty(), !inProgramFolder.IsProgramMode());
}

TEST_F(VideoScreenStreamTest, AHelperThatNeverListensIsStillStoppedAndReaped) {
    mediatest::ScopedMediaEnvironment env(m_empty.Path().string());
    const std::string pidFile = m_helperDir.File("pid");
    VideoScreenStream stream(
        WriteHelperScript(m_helperDir, "echo $$ > " + pidFile + "\nexec sleep 30"));
    stream.SetReadyTimeoutForTest(0);
    ASSERT_EQ(stream.Start(0, 0, 160, 120, mediatest::FreePort(), 0, 0), 0);
    EXPECT_TRUE(stream.IsRunning());
    pid_t pid = 0;
    for (int i = 0; i < 500 && pid == 0; ++i) {
        std::ifstream(pidFile) >> pid;
        if (pid == 0) {
            ::usleep(10000);
        }
    }
    ASSERT_GT(pid, 0);
    EXPECT_EQ(stream.Stop(), 0);
    EXPECT_TRUE(IsGone(pid)) << "stopped with a signal and reaped";
    EXPECT_EQ(stream.Stop(), 0) << "a second stop has nothing to stop";
}

class VideoScreenStreamCaptureTest : public VideoScreenStreamTest {
protected:
    void SetUp() override {
        ASSERT_FALSE(m_x.Display().empty()) << "Xvfb did not start";
        ::setenv("DISPLAY", m_x.Display().c_str(), 1);
    }
    void TearDown() override { ::unsetenv("DISPLAY"); }

    testsupport::XvfbServer m_x{"320x240x24"};
    mediatest::ScopedMediaEnvironment m_env{m_empty.Path().string()};
};

TEST_F(VideoScreenStreamCaptureTest, FfprobeReadsTheScreenFromTheMmshUrl) {
    VideoScreenStream stream(PEMU_HELPER_DIR);
    ASSERT_TRUE(stream.IsProgramMode());
    const uint16_t port = mediatest::FreePort();
    ASSERT_EQ(stream.Start(0, 0, 160, 120, port, 0, 0), 0) << stream.GetErrorMessage();
    EXPECT_TRUE(stream.IsRunning());
    EXPECT_EQ(ScreenUrl(port), "mmsh://127.000.000.001:" + std::to_string(port));
    const std::string streams = Probe(ScreenUrl(port));
    EXPECT_NE(streams.find("codec_name=wmv2|codec_type=video|width=160|height=120"),
              std::string::npos)
        << streams;
    EXPECT_EQ(stream.Stop(), 0);
    EXPECT_EQ(Probe(ScreenUrl(port)), "") << "nothing serves the port after the stop";
}

TEST_F(VideoScreenStreamCaptureTest, AHelperThatCannotTakeThePortFails) {
    mediatest::ForeignListener stranger;
    ASSERT_NE(stranger.Port(), 0);
    VideoScreenStream stream(PEMU_HELPER_DIR);
    EXPECT_EQ(stream.Start(0, 0, 160, 120, stranger.Port(), 0, 0), qkerr::kK7rmCantStart);
    EXPECT_FALSE(stream.IsRunning());
}

TEST_F(VideoScreenStreamCaptureTest, TwentyStartStopCyclesEndClean) {
    VideoScreenStream stream(PEMU_HELPER_DIR);
    const uint16_t port = mediatest::FreePort();
    for (int i = 0; i < 20; ++i) {
        SCOPED_TRACE(i);
        ASSERT_EQ(stream.Start(0, 0, 64, 48, port, 0, 0), 0) << stream.GetErrorMessage();
        ASSERT_EQ(stream.Stop(), 0);
    }
}

TEST_F(VideoScreenStreamCaptureTest, AHelperEndsWhenItsOwnerIsKilled) {
    // The helper's owner is a process of its own, killed as a crashed sender
    // would be; this test adopts its orphans, so it can reap the helper.
    ASSERT_EQ(::prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    const uint16_t port = mediatest::FreePort();
    const std::string helper = std::string(PEMU_HELPER_DIR) + "/" + VideoScreenStream::kHelperName;
    const std::string portText = std::to_string(port);
    int pids[2];
    ASSERT_EQ(::pipe(pids), 0);
    const pid_t owner = ::fork();
    ASSERT_GE(owner, 0);
    if (owner == 0) {
        const pid_t child = ::fork();
        if (child == 0) {
            ::execl(helper.c_str(), helper.c_str(), "0", "0", "64", "48", portText.c_str(), "0",
                    "0", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        (void)!::write(pids[1], &child, sizeof child);
        for (;;) {
            ::pause();
        }
    }
    ::close(pids[1]);
    pid_t helperPid = 0;
    ASSERT_EQ(::read(pids[0], &helperPid, sizeof helperPid),
              static_cast<ssize_t>(sizeof helperPid));
    ::close(pids[0]);
    // Serving: the stream answers once the helper listens.
    ASSERT_TRUE(facadetest::WaitUntil([&] { return !Probe(ScreenUrl(port)).empty(); }, 15000));

    ::kill(owner, SIGKILL);
    ASSERT_EQ(::waitpid(owner, nullptr, 0), owner);
    bool ended = facadetest::WaitUntil(
        [&] { return ::waitpid(helperPid, nullptr, WNOHANG) == helperPid; }, 10000);
    EXPECT_TRUE(ended) << "the helper outlived its owner";
    if (!ended) {
        ::kill(helperPid, SIGKILL);
        ::waitpid(helperPid, nullptr, 0);
    }
    EXPECT_EQ(Probe(ScreenUrl(port)), "") << "nothing serves the port any more";
    ::prctl(PR_SET_CHILD_SUBREAPER, 0);
}

}  // namespace
