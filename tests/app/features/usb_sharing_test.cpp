// USB sharing against the simulated receiver's USB side, through Porvane's
// shared library as the program links it (with a bus that is absent, so
// only the receiver's side of sharing runs): the status table, the attach
// polls, the reports Porvane makes on its threads, a missing vhci-hcd bus
// and a bind the receiver refuses.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

#include "app/features/usb_sharing.h"
#include "app/res/translator.h"
#include "platform/fake_clock.h"
#include "platform/window/headless_backend.h"
#include "platform/window/window_manager.h"
#include "tests/app/features/fake_feature_host.h"
#include "tests/app/features/log_capture.h"
#include "tests/platform/window/window_test_support.h"
#include "tests/receiver/usb/ZampReceiverSim.h"
#include "tests/support/TempDir.h"
#include "ui/dialogs/dialog_runner.h"
#include "usbshare/ClientDeviceControl.h"
#include "usbshare/PorvaneCodes.h"
#include "usbshare/VirtualUsbBus.h"
#include "usbshare/ZampTimings.h"
#include "vrxclientsdk/VRXClient/VRXClient.h"

namespace {

namespace fs = std::filesystem;
namespace wire = receiver_sim::zampwire;
using Action = receiver_sim::ZampReceiverSim::Action;
using featuretest::FakeFeatureHost;

constexpr uint32_t kInfoBusy = 0x51;

class AbsentBus final : public usbip::VirtualUsbBus {
public:
    std::unique_ptr<usbip::VirtualUsbBusHandle> Open() override { return nullptr; }
};

class UsbSharingTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sim.Start());
        fs::create_directories(dir.Path() / "Pemu Quorvane Sender");
        std::ofstream(dir.Path() / "Pemu Quorvane Sender/Quorvane_Sender.ini")
            << "[Quorvane_Sender]\n";
        control.SetAppDataFolderForTest(dir.Path().string());
        control.SetCommandServiceForTest(sim.PortText());
        control.SetVirtualUsbBusForTest(&bus);
        porvane::ZampTimings timings;
        timings.attachPauseMs = timings.exportPauseMs = timings.unexportPauseMs = 0;
        timings.replyWaitMs = timings.unbindWaitMs = 300;
        control.SetTimingsForTest(timings);
        fs::create_directories(dir.Path() / "vhci_hcd.0");
        config.vhciFolder = (dir.Path() / "vhci_hcd.0").string();
        config.pollPauseMs = 0;
        config.udevadm = (dir.Path() / "no-udevadm").string();
        config.driverCheckDelayMs = 0;
    }
    std::vector<int> DialogTypes() {
        std::vector<int> types;
        for (const ui::DialogRecord& r : host.runner.Records()) {
            types.push_back(r.type);
        }
        return types;
    }

    testsupport::TempDir dir;
    receiver_sim::ZampReceiverSim sim;  // outlives the control object
    AbsentBus bus;
    CClientDeviceControl control;
    pemuapp::UsbSharingConfig config;
    FakeFeatureHost host;
};

TEST(UsbStatusTest, StatusesThatLetACallerGoOn) {
    for (int status = 0; status <= 18; ++status) {
        SCOPED_TRACE(status);
        const bool expected = (status >= 4 && status <= 8) || status == 15 || status >= 17;
        EXPECT_EQ(pemuapp::UsbStatusAllowsGoingOn(status, false), expected);
        EXPECT_FALSE(pemuapp::UsbStatusAllowsGoingOn(status, true));
    }
    FakeFeatureHost host;
    pemuapp::UsbSharing noObject(host, nullptr);
    EXPECT_TRUE(noObject.CheckZAMPStatus(true));
}

TEST_F(UsbSharingTest, PollsUntilFivePositivesOrSixtyCallsThenBinds) {
    struct Row {
        int busyAnswers;
        size_t polls;
    } rows[] = {{0, 5}, {3, 8}, {60, 60}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.busyAnswers);
        const size_t pollsBefore = sim.CountOf(wire::kInfoReq);
        const size_t bindsBefore = sim.CountOf(wire::kBindReq);
        for (int i = 0; i < row.busyAnswers; ++i) {
            sim.Script(wire::kInfoReq, {Action::kReply, kInfoBusy, 0});
        }
        pemuapp::UsbSharing usb(host, &control, config);
        EXPECT_TRUE(usb.StartSharing("127.0.0.1"));
        EXPECT_EQ(sim.CountOf(wire::kInfoReq) - pollsBefore, row.polls);
        EXPECT_EQ(sim.CountOf(wire::kBindReq) - bindsBefore, 1u);
        EXPECT_TRUE(usb.IsSharingOn());
        EXPECT_TRUE(usb.CheckZAMPStatus(false));
        usb.StopSharing();
        EXPECT_FALSE(usb.IsSharingOn());
        EXPECT_TRUE(sim.WaitForDisconnect());
    }
    // Only the please-wait notices, each flow its own: loading, removing.
    std::vector<std::string> notices, want;
    for (const ui::DialogRecord& r : host.runner.Records()) {
        EXPECT_EQ(r.type, 26);
        EXPECT_EQ(r.title, "Info");
        notices.push_back(r.text);
    }
    for (size_t i = 0; i < std::size(rows); ++i) {
        want.push_back(appres::Translator::LoadString(65418));
        want.push_back(appres::Translator::LoadString(65419));
    }
    EXPECT_EQ(notices, want);
    EXPECT_TRUE(sim.ProtocolErrors().empty());
}

TEST_F(UsbSharingTest, OnlyALossPostsTheStopOnceAndTheNoticeWaitsForTheWindow) {
    pemuapp::UsbSharing usb(host, &control, config);
    const auto reportFromAnotherThread = [](int code) {
        std::thread porvaneThread(
            [code] { EXPECT_EQ(pemuapp::UsbSharing::ZAMPMsgCallBack(nullptr, code), 0); });
        porvaneThread.join();  // returns without anyone answering a dialog
    };
    for (int code : {porvane::kCbDeviceDetached, porvane::kCbDeviceWithdrawn,
                     porvane::kCbBindSucceeded, porvane::kCbUnbindSucceeded}) {
        reportFromAnotherThread(code);
    }
    EXPECT_TRUE(host.Posted().empty());
    EXPECT_FALSE(usb.IsSharingOn());
    EXPECT_FALSE(usb.Stopped());

    reportFromAnotherThread(porvane::kCbConnectionDropped);
    reportFromAnotherThread(porvane::kCbDeviceLinkFailed);
    EXPECT_EQ(host.Posted(), std::vector<uint32_t>{pemuapp::kCmdStopAllUsbDevices});
    EXPECT_TRUE(host.runner.Records().empty());  // no dialog on Porvane's threads
    EXPECT_TRUE(usb.Stopped());

    // The window's stop command: the notice, on its own thread.
    ASSERT_TRUE(usb.IsSharingOn());
    usb.StopSharing();
    ASSERT_EQ(host.runner.Records().size(), 2u);
    EXPECT_EQ(host.runner.Records()[0].type, 10);
    EXPECT_EQ(host.runner.Records()[0].title, "Warning");
    EXPECT_EQ(host.runner.Records()[0].text, "PEMU Disconnected.");
    EXPECT_EQ(host.runner.Records()[1].type, 26);  // then the removal's notice
    EXPECT_EQ(host.runner.Records()[1].text, appres::Translator::LoadString(65419));
    EXPECT_FALSE(usb.IsSharingOn());

    reportFromAnotherThread(porvane::kCbConnectionDropped);  // a new loss: posted again
    const std::vector<uint32_t> posted = host.Posted();
    EXPECT_EQ(std::count(posted.begin(), posted.end(), pemuapp::kCmdStopAllUsbDevices), 2);
}

TEST_F(UsbSharingTest, WithoutTheBusTheUserIsToldAndNothingChanges) {
    config.vhciFolder = (dir.Path() / "no_vhci").string();
    pemuapp::UsbSharing usb(host, &control, config);
    usb.OnEnableZAMP();
    ASSERT_EQ(host.runner.Records().size(), 1u);
    EXPECT_EQ(host.runner.Records()[0].title, "Info");
    EXPECT_EQ(host.runner.Records()[0].text, appres::Translator::LoadString(65446));
    EXPECT_NE(host.runner.Records()[0].text.find("vhci-hcd"), std::string::npos);
    EXPECT_TRUE(host.writes.empty());
    EXPECT_TRUE(usb.Enabled());
    EXPECT_FALSE(usb.StartSharing("127.0.0.1"));
    EXPECT_EQ(sim.Connections(), 0);
    EXPECT_EQ(host.runner.Records().size(), 1u);
}

TEST_F(UsbSharingTest, TheCommandTogglesTheSettingWithoutAReceiver) {
    pemuapp::UsbSharing usb(host, &control, config);
    usb.OnEnableZAMP();
    usb.OnEnableZAMP();
    EXPECT_EQ(host.writes, (std::vector<std::pair<std::string, std::string>>{
                               {"EnableZAMP", "false"}, {"EnableZAMP", "true"}}));
    EXPECT_TRUE(usb.Enabled());
    EXPECT_EQ(sim.Connections(), 0);  // no receiver connected: nothing to share with
}

TEST_F(UsbSharingTest, ARefusedBindShowsTheFailureAndDetaches) {
    sim.Script(wire::kBindReq, {Action::kReply, 3, 0});
    pemuapp::UsbSharing usb(host, &control, config);
    EXPECT_FALSE(usb.StartSharing("127.0.0.1"));
    EXPECT_EQ(DialogTypes(), (std::vector<int>{26, 10}));  // the notice, then the failure
    EXPECT_EQ(host.runner.Records()[1].title, "Warning");
    EXPECT_EQ(host.runner.Records()[1].text, appres::Translator::LoadString(65421));
    EXPECT_TRUE(sim.WaitForDisconnect());  // detached and terminated
    EXPECT_TRUE(usb.Stopped());
    EXPECT_FALSE(usb.IsSharingOn());
    EXPECT_EQ(sim.CountOf(wire::kDevListReq), 0u);  // nothing attached
}

// A start that arrives while the attach's notice is up (a message dispatched
// meanwhile) waits for the running flow instead of binding a second time.
TEST_F(UsbSharingTest, AStartWhileTheAttachRunsBindsNoSecondTime) {
    pemuapp::UsbSharing usb(host, &control, config);
    bool reentered = false;
    host.runner.ThenType(26, ui::kIdCancel, [&](ui::ModalDialog&) {
        reentered = true;
        EXPECT_FALSE(usb.StartSharing("127.0.0.1"));
    });
    EXPECT_TRUE(usb.StartSharing("127.0.0.1"));
    EXPECT_TRUE(reentered);
    EXPECT_EQ(sim.CountOf(wire::kBindReq), 1u);
    EXPECT_TRUE(usb.IsSharingOn());
    usb.StopSharing();
    EXPECT_TRUE(sim.WaitForDisconnect());
    EXPECT_TRUE(sim.ProtocolErrors().empty());
}

// A stop that arrives while the attach's notice is up is not lost: the
// attach ends by detaching, and sharing is off.
TEST_F(UsbSharingTest, AStopWhileTheAttachRunsDetachesWhenItEnds) {
    pemuapp::UsbSharing usb(host, &control, config);
    host.runner.ThenType(26, ui::kIdCancel, [&](ui::ModalDialog&) { usb.StopSharing(); });
    EXPECT_FALSE(usb.StartSharing("127.0.0.1"));
    EXPECT_EQ(sim.CountOf(wire::kBindReq), 1u);
    EXPECT_FALSE(usb.IsSharingOn());
    EXPECT_TRUE(sim.WaitForDisconnect());
    EXPECT_TRUE(sim.ProtocolErrors().empty());
}

TEST_F(UsbSharingTest, EachNoticeIsClosedByItsOwnWindowAndNoOtherInfoWindow) {
    // Handlers first: the window manager goes before them.
    platform::RecordingHandler mainHandler, otherInfo;
    platform::FakeClock clock{10000};
    auto backend = std::make_unique<platform::HeadlessBackend>(platform::Rect{0, 0, 1024, 768});
    platform::HeadlessBackend* headless = backend.get();
    std::unique_ptr<platform::WindowManager> wm =
        platform::WindowManager::Create(std::move(backend), &clock);
    ASSERT_NE(wm, nullptr);
    int idle = 0;
    headless->SetIdleHandler([&](int timeoutMs) {
        if (timeoutMs > 0) {
            clock.Advance(static_cast<uint64_t>(timeoutMs));
        } else if (++idle > 60000) {
            ADD_FAILURE() << "a notice stayed open";
            wm->PostQuit(-99);
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));  // the worker posts
        }
    });
    platform::WindowOptions o;
    o.rect = {0, 0, 300, 200};
    o.handler = &mainHandler;
    o.className = "TEST";
    const platform::WindowId mainWindow = wm->Create(o);
    o.handler = &otherInfo;
    o.title = "Info";
    const platform::WindowId infoWindow = wm->Create(o);
    ASSERT_TRUE(mainWindow && infoWindow);

    ui::WindowDialogRunner real;
    host.env.runner = &real;
    host.onPost = [&](uint32_t id) { wm->PostCommand(mainWindow, id); };
    int closed = 0;
    {
        pemuapp::UsbSharing usb(host, &control, config);
        mainHandler.on[platform::MessageKind::kCommand] = [&](platform::WindowId,
                                                              const platform::Message& m) {
            if (m.code == pemuapp::kCmdCloseUsbNotice && usb.OnCloseNotice()) {
                ++closed;
            }
            return int64_t{0};
        };
        EXPECT_TRUE(usb.StartSharing("127.0.0.1"));
        usb.StopSharing();
        EXPECT_TRUE(sim.WaitForDisconnect());
        wm->PumpPending(platform::PumpKind::kAll);
        mainHandler.on.clear();
    }
    host.onPost = nullptr;
    // Both notices were open when their workers ended and were closed by
    // their own windows; the other "Info" window was not touched.
    EXPECT_EQ(closed, 2);
    EXPECT_TRUE(otherInfo.Of(platform::MessageKind::kClose).empty());
    EXPECT_TRUE(wm->IsAlive(infoWindow));
}

TEST_F(UsbSharingTest, AfterAnAttachTheInstallationsAreAwaitedWithinABound) {
    struct Row {
        const char* name;
        const char* script;  // empty: no udevadm
        int settleSeconds;
        bool waited;
        const char* logged;
    } rows[] = {
        {"settles", "echo \"$@\" > \"$0.args\"", 40, true, "CheckUSBDeviceDriverInstalled finish"},
        {"overstays", "exec sleep 30", 0, true, "udevadm settle overstayed its time; stopped"},
        {"absent", "", 40, false, "udevadm is not installed"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        FakeFeatureHost rowHost;
        const fs::path udevadm = dir.Path() / (std::string("udevadm-") + row.name);
        if (*row.script) {
            std::ofstream(udevadm) << "#!/bin/sh\n" << row.script << "\n";
            ::chmod(udevadm.c_str(), 0755);
        }
        config.udevadm = udevadm.string();
        config.settleSeconds = row.settleSeconds;
        config.settleGraceMs = 200;
        featuretest::LogCapture log;
        {
            pemuapp::UsbSharing usb(rowHost, &control, config);
            EXPECT_TRUE(usb.StartSharing("127.0.0.1"));
            usb.StopSharing();
            EXPECT_TRUE(sim.WaitForDisconnect());
        }
        std::vector<std::string> notices;
        for (const ui::DialogRecord& r : rowHost.runner.Records()) {
            notices.push_back(r.text);
        }
        std::vector<std::string> want{appres::Translator::LoadString(65418)};
        if (row.waited) {
            want.push_back(appres::Translator::LoadString(65437));
        }
        want.push_back(appres::Translator::LoadString(65419));
        EXPECT_EQ(notices, want);
        EXPECT_TRUE(log.AnyHolds(row.logged)) << row.logged;
        if (std::string(row.name) == "settles") {
            std::ifstream args(udevadm.string() + ".args");
            std::string text;
            std::getline(args, text);
            EXPECT_EQ(text, "settle --timeout=40");
        }
    }
}

// A client whose receiver reports a device status.
class DeviceStatusClient final : public VRXClient {
public:
    ~DeviceStatusClient() override { Shutdown(); }
    int GetDeviceStatus(uint8_t* out) override {
        out[0] = status[0];
        out[1] = status[1];
        return result;
    }
    int StartPlayImage(uint8_t mode) override {
        starts.push_back(mode);
        attachRunningAtStart = usb && usb->AttachRunning();
        return 0;
    }
    uint8_t status[2] = {};
    int result = 0;
    std::vector<int> starts;
    pemuapp::UsbSharing* usb = nullptr;
    bool attachRunningAtStart = false;
};

TEST_F(UsbSharingTest, AReceiverWithADeviceStatusGetsTheFullScreenBeforeTheAttach) {
    struct Row {
        uint8_t status[2];
        int result;
        std::vector<int> starts;
    } rows[] = {
        {{0, 0}, 0, {}},
        {{1, 0}, 0, {128}},
        {{0, 2}, 0, {128}},
        {{1, 1}, -1, {}},  // the status could not be read
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message()
                     << int(row.status[0]) << int(row.status[1]) << row.result);
        DeviceStatusClient client;
        client.status[0] = row.status[0];
        client.status[1] = row.status[1];
        client.result = row.result;
        host.client = &client;
        {
            pemuapp::UsbSharing usb(host, &control, config);
            client.usb = &usb;
            EXPECT_TRUE(usb.StartSharing("127.0.0.1"));
            EXPECT_EQ(client.starts, row.starts);
            EXPECT_EQ(usb.FullScreenStarted(), !row.starts.empty());
            // The start belongs to the attach flow: the window's own
            // presentation sends none meanwhile.
            EXPECT_EQ(client.attachRunningAtStart, !row.starts.empty());
            EXPECT_FALSE(usb.AttachRunning());
            usb.StopSharing();
            EXPECT_TRUE(sim.WaitForDisconnect());
        }
        host.client = nullptr;
    }
}

}  // namespace
