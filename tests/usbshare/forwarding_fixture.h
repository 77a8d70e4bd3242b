// The end-to-end forwarding fixture: the control object binds and attaches
// against the simulated receiver (command channel and device side), and the
// in-memory bus plays the PC's operating system, issuing USB/IP requests on
// the plugged ports and checking the replies. Every test runs once for each
// way receivers write the length field of their device lists and export
// requests.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "tests/receiver/usb/UsbIpDeviceSim.h"
#include "tests/receiver/usb/ZampReceiverSim.h"
#include "tests/support/TempDir.h"
#include "tests/usbshare/callback_log.h"
#include "tests/usbshare/in_memory_usb_bus.h"
#include "usbshare/ClientDeviceControl.h"

namespace porvane_test {

using receiver_sim::SimUsbDevice;
using receiver_sim::zampwire::LengthReading;

inline bool WaitForCall(const Call& call) {
    return CallbackLog::Instance().WaitFor(call);
}

inline std::vector<Call> Calls() {
    return CallbackLog::Instance().Calls();
}

inline size_t CountOf(const std::vector<Call>& calls, const Call& call) {
    return static_cast<size_t>(std::count(calls.begin(), calls.end(), call));
}

inline SimUsbDevice Device(const std::string& bus, uint16_t product) {
    SimUsbDevice d;
    d.busId = bus;
    d.idProduct = product;
    d.busnum = 1;
    d.devnum = product & 0xff;
    return d;
}

inline usbip::UsbIpHeader In(uint32_t seq, uint32_t ep, uint32_t length) {
    usbip::UsbIpHeader h;
    h.command = usbip::kCmdSubmit;
    h.seqnum = seq;
    h.devid = 0x10002;
    h.direction = 1;
    h.ep = ep;
    h.transferLength = length;
    return h;
}

inline usbip::UsbIpHeader Out(uint32_t seq, uint32_t ep, uint32_t length) {
    usbip::UsbIpHeader h = In(seq, ep, length);
    h.direction = 0;
    return h;
}

class UsbIpForwardingTest : public ::testing::TestWithParam<LengthReading> {
protected:
    UsbIpForwardingTest() { CallbackLog::Instance().Clear(); }

    void SetUp() override {
        ASSERT_TRUE(m_sim.Start());
        ASSERT_TRUE(m_devices.Start());
        m_sim.SetLengthReading(GetParam());
    }

    // Binds and attaches `list` (known to both sides of the receiver).
    // `deviceSideKnows` false: the receiver refuses every import.
    void Share(const std::vector<SimUsbDevice>& list, std::string dataService = "",
               bool deviceSideKnows = true) {
        m_sim.SetDevices(list);
        m_devices.SetDevices(deviceSideKnows ? list : std::vector<SimUsbDevice>{});
        m_control = std::make_unique<CClientDeviceControl>();
        m_control->SetAppDataFolderForTest(m_dir.Path().string());
        m_control->SetCommandServiceForTest(m_sim.PortText());
        m_control->SetDataServiceForTest(dataService.empty() ? m_devices.PortText() : dataService);
        m_control->SetVirtualUsbBusForTest(&m_bus);
        porvane::ZampTimings timings;
        timings.attachPauseMs = timings.exportPauseMs = timings.unexportPauseMs = 0;
        m_control->SetTimingsForTest(timings);
        char ip[] = "127.0.0.1";
        ASSERT_EQ(m_control->Init(ip, nullptr, &CallbackLog::Record, false), 0);
        ASSERT_EQ(m_control->DoBind(), 0);
        ASSERT_EQ(m_control->AttachAllDevice(), 0);
    }

    // The port on which the device with this product id was plugged.
    int PortOf(uint16_t product, size_t plugged) {
        for (int port : m_bus.WaitForPlugIns(plugged)) {
            if (m_bus.Record(port).idProduct == product) {
                return port;
            }
        }
        return -1;
    }

    // How often the bus has seen `call` so far.
    size_t BusCalls(const std::string& call) {
        const auto calls = m_bus.Calls();
        return static_cast<size_t>(std::count(calls.begin(), calls.end(), call));
    }

    testsupport::TempDir m_dir;
    receiver_sim::ZampReceiverSim m_sim;
    receiver_sim::UsbIpDeviceSim m_devices;
    InMemoryUsbBus m_bus;
    std::unique_ptr<CClientDeviceControl> m_control;
};

inline std::string ReadingName(const ::testing::TestParamInfo<LengthReading>& info) {
    return info.param == LengthReading::kCountsWholeBody ? "LengthCountsWholeBody"
                                                         : "LengthLeavesOutLeadingWord";
}

}  // namespace porvane_test

// Runs every test of `fixture` (UsbIpForwardingTest or a class of its own derived from it)
// under both readings of the length field. Each test file instantiates a fixture of its own:
// test files that share a program would otherwise run each other's tests twice.
#define PORVANE_FORWARDING_UNDER_BOTH_READINGS(fixture)                                            \
    INSTANTIATE_TEST_SUITE_P(BothLengthReadings, fixture,                                          \
                             ::testing::Values(porvane_test::LengthReading::kLeavesOutLeadingWord, \
                                               porvane_test::LengthReading::kCountsWholeBody),     \
                             porvane_test::ReadingName)
