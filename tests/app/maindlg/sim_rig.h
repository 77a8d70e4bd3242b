// The receiver simulator as the main dialog's tests use it: the command
// side on the fixed command port and the image side, both on a loopback
// address of this process's own, and a screen capture of a test picture.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <memory>
#include <string>

#include "platform/idle/fake_user_activity.h"
#include "tests/receiver/image/ImageReceiver.h"
#include "tests/support/OwnLoopbackAddress.h"
#include "tests/vrxclientsdk/VRXClient/facade_test_env.h"
#include "tests/vrxclientsdk/VRXClient/fake_capture_source.h"
#include "tests/vrxclientsdk/VRXClient/test_picture.h"
#include "vrxclientsdk/VRXClient/ActivityMonitor.h"
#include "vrxclientsdk/VRXClient/capture/FrawlPool.h"

namespace pemuapp {

class SimRig {
public:
    static constexpr int kW = 320, kH = 240;

    // `firstOctet2` keeps the address apart from other test programs'.
    explicit SimRig(unsigned firstOctet2) {
        address = testsupport::OwnLoopbackAddress(firstOctet2, 0x1f);
        receiver::ImageReceiver::Options options;
        options.width = kW;
        options.height = kH;
        options.bindAddress = address.c_str();
        options.expectSenderId = true;
        options.continuedSerials = true;
        rx = std::make_unique<receiver::ImageReceiver>(options);
        ok = rx->Start();
        StartCommandSide();
        ActivityMonitor::Instance().SetSourceFactoryForTest(
            [] { return std::make_unique<platform::FakeUserActivity>(); });
        pool = FrawlPool::Acquire();
        pool->SetCaptureFactory([this](const CaptureClientRecord&) {
            auto fake = std::make_unique<FakeCaptureSource>(counters, kW, kH);
            fake->SetPicture(MakeTestPicture(kW, kH));
            return fake;
        });
    }
    ~SimRig() {
        FrawlPool::Release();
        if (rx) {
            EXPECT_EQ(rx->Error(), "");
        }
    }
    SimRig(const SimRig&) = delete;
    SimRig& operator=(const SimRig&) = delete;

    // (Re)starts the command side: a receiver that comes back.
    void StartCommandSide(const std::string& loginCode = "6049") {
        sim = std::make_unique<facadetest::SimReceiver>(
            address.c_str(), 0x0130, [&](receiver_sim::CommandConfig& c) {
                c.port = 3268;
                c.loginCode = loginCode;
                c.record.imagePort = rx->Port();
                c.capabilities.width = c.capabilities.imageWidth = kW;
                c.capabilities.height = c.capabilities.imageHeight = kH;
                c.capabilities.codings = {2, 4};
            });
    }

    // Makes a client speak only to the simulator's ports.
    static void Prepare(VRXClient& client) {
        client.SetNoBindingPort({389, 515, 8080});
        client.SetCursorMode(false);
    }

    bool ok = false;
    std::string address;
    FakeCaptureSource::Counters counters;
    std::unique_ptr<receiver::ImageReceiver> rx;
    std::unique_ptr<facadetest::SimReceiver> sim;
    FrawlPool* pool = nullptr;
};

}  // namespace pemuapp
