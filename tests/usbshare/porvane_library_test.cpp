// The shared library as the program uses it: created with new, driven through
// its exported methods, with the forwarder it ships. The bus is absent (as
// without vhci-hcd, and whatever this machine has), so the device is imported
// from the receiver and then fails to plug in (code 6).
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "tests/receiver/usb/UsbIpDeviceSim.h"
#include "tests/receiver/usb/ZampReceiverSim.h"
#include "tests/support/TempDir.h"
#include "tests/usbshare/write_file.h"
#include "usbshare/ClientDeviceControl.h"
#include "usbshare/VirtualUsbBus.h"

namespace {

class AbsentBus final : public usbip::VirtualUsbBus {
public:
    std::unique_ptr<usbip::VirtualUsbBusHandle> Open() override { return nullptr; }
};

std::mutex g_lock;
std::condition_variable g_cond;
std::vector<std::pair<int, std::string>> g_calls;

int Record(char* text, int code) {
    {
        std::lock_guard<std::mutex> hold(g_lock);
        g_calls.emplace_back(code, text ? text : "-");
    }
    g_cond.notify_all();
    return 0;
}

}  // namespace

TEST(PorvaneLibraryTest, BindAttachDetachTerminate) {
    {
        std::lock_guard<std::mutex> hold(g_lock);
        g_calls.clear();
    }
    receiver_sim::ZampReceiverSim sim;
    ASSERT_TRUE(sim.Start());
    receiver_sim::SimUsbDevice device;
    device.busId = "1-7";
    sim.SetDevices({device});
    receiver_sim::UsbIpDeviceSim devices;
    ASSERT_TRUE(devices.Start());
    devices.SetDevices({device});
    testsupport::TempDir dir;

    auto* control = new CClientDeviceControl;
    control->SetAppDataFolderForTest(dir.Path().string());
    control->SetCommandServiceForTest(sim.PortText());
    control->SetDataServiceForTest(devices.PortText());
    AbsentBus bus;
    control->SetVirtualUsbBusForTest(&bus);
    char ip[] = "127.0.0.1";
    ASSERT_EQ(control->Init(ip, nullptr, &Record, false), 0);
    EXPECT_TRUE(control->CanDeviceAttach());
    EXPECT_EQ(control->DoBind(), 0);
    EXPECT_EQ(control->AttachAllDevice(), 0);
    EXPECT_EQ(control->GetDeviceCount(), 1);
    {
        std::unique_lock<std::mutex> hold(g_lock);
        ASSERT_TRUE(
            g_cond.wait_for(hold, std::chrono::seconds(10), [] { return g_calls.size() >= 3; }));
    }
    EXPECT_EQ(control->DetachAllDevice(), 0);
    EXPECT_TRUE(control->Terminate());
    delete control;

    std::lock_guard<std::mutex> hold(g_lock);
    EXPECT_EQ(g_calls, (std::vector<std::pair<int, std::string>>{
                           {8, "-"}, {8, "-"}, {6, "1-7"}, {9, "-"}, {9, "-"}}));
    EXPECT_TRUE(sim.ProtocolErrors().empty());
    EXPECT_EQ(devices.Imports(), std::vector<std::string>{"1-7"});
    EXPECT_TRUE(devices.ProtocolErrors().empty());
}
