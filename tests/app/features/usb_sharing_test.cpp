// USB sharing against the simulated receiver's USB side, through Porvane's
// shared library as the program links it (with a bus that is absent, so
// only the receiver's side of sharing runs): the status table, the attach
// polls, the reports Porvane makes on its threads, a missing vhci-hcd bus
// and a bind the receiver refuses.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "app/features/usb_sharing.h"
#include "app/res/translator.h"
#include "tests/app/features/fake_feature_host.h"
#include "tests/receiver/usb/ZampReceiverSim.h"
#include "tests/support/TempDir.h"
#include "usbshare/ClientDeviceControl.h"
#include "usbshare/PorvaneCodes.h"
#include "usbshare/VirtualUsbBus.h"
#include "usbshare/ZampTimings.h"

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
    EXPECT_TRUE(host.runner.Records().empty());
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
    ASSERT_EQ(host.runner.Records().size(), 1u);
    EXPECT_EQ(host.runner.Records()[0].type, 10);
    EXPECT_EQ(host.runner.Records()[0].title, "Warning");
    EXPECT_EQ(host.runner.Records()[0].text, "PEMU Disconnected.");
    EXPECT_FALSE(usb.IsSharingOn());

    reportFromAnotherThread(porvane::kCbConnectionDropped);  // a new loss: posted again
    EXPECT_EQ(host.Posted().size(), 2u);
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
    EXPECT_EQ(DialogTypes(), std::vector<int>{10});
    EXPECT_EQ(host.runner.Records()[0].title, "Warning");
    EXPECT_EQ(host.runner.Records()[0].text, appres::Translator::LoadString(65421));
    EXPECT_TRUE(sim.WaitForDisconnect());  // detached and terminated
    EXPECT_TRUE(usb.Stopped());
    EXPECT_FALSE(usb.IsSharingOn());
    EXPECT_EQ(sim.CountOf(wire::kDevListReq), 0u);  // nothing attached
}

}  // namespace
