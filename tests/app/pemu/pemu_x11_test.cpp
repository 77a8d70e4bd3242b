// The program pemu end to end: the first copy on a private X server with
// private XDG folders (first start off) finds the receiver simulator by
// discovery to its address; later starts hand it a login, a presentation
// (the simulator decodes pictures of the screen), a stop and the exit, which
// ends the first copy with status 0. A screenshot of the screen is kept.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/child_process.h"
#include "platform/draw/surface.h"
#include "tests/platform/window/test_artifacts.h"
#include "tests/receiver/command/CommandReceiver.h"
#include "tests/receiver/discovery/UdpAnnouncer.h"
#include "tests/receiver/image/ImageReceiver.h"
#include "tests/support/OwnLoopbackAddress.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"
#include "tests/support/XScreenGrab.h"
#include "tests/support/XvfbServer.h"

// Xlib last: its macros would clash with the test framework's names.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#undef None
#undef Bool

namespace {

namespace fs = std::filesystem;
// A bound on any one wait, never waited out when all is well.
constexpr int kWaitMs = 20000;

template <typename Pred>
bool WaitUntil(Pred pred, int limitMs = kWaitMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    while (!pred()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// The exit status of `child`, or -1 when it did not end within the bound.
int ExitStatus(platform::ChildProcess& child) {
    int status = 0;
    if (!WaitUntil([&] { return child.HasExited(&status); })) {
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// How many top-level windows of `className` the X server shows.
int ViewableWindowsOf(const std::string& display, const std::string& className) {
    Display* x = XOpenDisplay(display.c_str());
    if (!x) {
        return -1;
    }
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    int viewable = 0;
    if (XQueryTree(x, DefaultRootWindow(x), &root, &parent, &children, &count)) {
        for (unsigned i = 0; i < count; ++i) {
            XWindowAttributes a{};
            XClassHint hint{};
            if (!XGetWindowAttributes(x, children[i], &a) || a.map_state != IsViewable ||
                !XGetClassHint(x, children[i], &hint)) {
                continue;
            }
            if (hint.res_class && className == hint.res_class) {
                ++viewable;
            }
            XFree(hint.res_name);
            XFree(hint.res_class);
        }
        XFree(children);
    }
    XCloseDisplay(x);
    return viewable;
}

int RunPemu(const std::vector<std::string>& args) {
    auto child = platform::ChildProcess::Start(PEMU_PROGRAM, args);
    return child ? ExitStatus(*child) : -2;
}

class PemuX11Test : public testing::Test {
protected:
    void SetUp() override {
        xvfb = std::make_unique<testsupport::XvfbServer>(1024, 600);
        if (!xvfb->Ok()) {
            GTEST_SKIP() << "cannot start Xvfb: " << xvfb->Error();
        }
        for (const char* sub : {"runtime", "config", "data", "cache"}) {
            fs::create_directories(dir.Path() / sub);
            fs::permissions(dir.Path() / sub, fs::perms::owner_all);
        }
        Set("DISPLAY", xvfb->Display());
        Set("XDG_RUNTIME_DIR", dir.File("runtime"));
        Set("XDG_CONFIG_HOME", dir.File("config"));
        Set("XDG_DATA_HOME", dir.File("data"));
        Set("XDG_CACHE_HOME", dir.File("cache"));
        const fs::path settings = dir.Path() / "config" / "Pemu Quorvane Sender";
        fs::create_directories(settings);
        std::ofstream(settings / "Quorvane_Sender.ini")
            << "[Quorvane_Sender]\nFirstTimeStartApplication=false\nCodecType=JPEG\n";

        address = testsupport::OwnLoopbackAddress(160);
        receiver::ImageReceiver::Options io;
        io.width = 1024;
        io.height = 600;
        io.bindAddress = address.c_str();
        io.expectSenderId = true;
        io.continuedSerials = true;
        rx = std::make_unique<receiver::ImageReceiver>(io);
        ASSERT_TRUE(rx->Start());

        receiver_sim::ReceiverAnnouncement record;
        record.ipv4 = address;
        record.name = "Sim " + address;
        record.imagePort = rx->Port();
        receiver_sim::CommandConfig cc;
        cc.bindAddress = address;
        cc.port = 3268;
        cc.protocolVersion = 0x0130;
        cc.capabilities.width = cc.capabilities.imageWidth = 1024;
        cc.capabilities.height = cc.capabilities.imageHeight = 600;
        cc.capabilities.codings = {2, 4};
        cc.record = record;
        command = std::make_unique<receiver_sim::CommandReceiver>(cc);
        ASSERT_EQ(command->Start(), 0);

        receiver_sim::AnnouncerConfig ac;
        ac.bindAddress = address;
        ac.record = record.Encode();
        announcer = std::make_unique<receiver_sim::UdpAnnouncer>(ac);
        ASSERT_EQ(announcer->Start(), 0);
    }
    void Set(const std::string& name, const std::string& value) {
        env.push_back(std::make_unique<testsupport::ScopedEnv>(name, value));
    }
    bool SawRequest(uint8_t code) {
        for (const receiver_sim::ReceivedFrame& f : command->Frames()) {
            if (f.frame.kind == receiver_sim::SenderFrame::Kind::kRequest && f.frame.code == code) {
                return true;
            }
        }
        return false;
    }

    testsupport::TempDir dir;
    std::unique_ptr<testsupport::XvfbServer> xvfb;
    std::vector<std::unique_ptr<testsupport::ScopedEnv>> env;
    std::string address;
    std::unique_ptr<receiver::ImageReceiver> rx;
    std::unique_ptr<receiver_sim::CommandReceiver> command;
    std::unique_ptr<receiver_sim::UdpAnnouncer> announcer;
};

TEST_F(PemuX11Test, FindsLogsInProjectsStopsAndEnds) {
    auto first = platform::ChildProcess::Start(PEMU_PROGRAM, {"--discovery-to", address});
    ASSERT_NE(first, nullptr);
    const std::string socket = dir.File("runtime") + "/Pemu.sock";
    ASSERT_TRUE(WaitUntil([&] { return fs::exists(socket); })) << "the first copy never ran";
    // The search asked the simulator, and only it.
    ASSERT_TRUE(WaitUntil([&] { return !announcer->Queries().empty(); }));

    EXPECT_EQ(RunPemu({"-C", address, "6049"}), 0);
    EXPECT_TRUE(WaitUntil([&] { return SawRequest(0x92) || SawRequest(0x84); }))
        << "no login reached the receiver";

    EXPECT_EQ(RunPemu({"-P", address, "-o", "0", "-c", "6049"}), 0);
    EXPECT_TRUE(rx->WaitForMessages(2, kWaitMs)) << rx->Error();
    EXPECT_EQ(rx->Error(), "");
    // The search page gave way to the main window.
    EXPECT_TRUE(WaitUntil([&] { return ViewableWindowsOf(xvfb->Display(), "PEMU_COMMON") == 0; }))
        << "the search page stays over the main window";
    if (auto screen = testsupport::GrabScreen(xvfb->Display())) {
        platform::SaveArtifact(*screen, "pemu_main_window.png");
    }

    EXPECT_EQ(RunPemu({"-X", address}), 0);
    EXPECT_TRUE(WaitUntil([&] { return SawRequest(0x88); })) << "no stop reached the receiver";

    EXPECT_EQ(RunPemu({"-K"}), 0);
    EXPECT_EQ(ExitStatus(*first), 0);
    EXPECT_TRUE(command->Errors().empty());
}

}  // namespace
