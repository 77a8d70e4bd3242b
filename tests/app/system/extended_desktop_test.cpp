// The extended-desktop controller without a driver, the resolution list
// from the display's modes, and the capture acceleration switches.
#include "app/system/extended_desktop.h"

#include <gtest/gtest.h>

#include "app/system/capture_acceleration.h"
#include "platform/display/fake_display_settings.h"
#include "vrxclientsdk/VRXClient/VRXClient.h"

namespace pemuapp {
namespace {

TEST(ExtendedDesktopTest, NoDriverSoNoScreenAndMirroringGoesOn) {
    platform::FakeDisplaySettings display;
    ExtendedDesktop desktop(&display, nullptr);
    EXPECT_FALSE(desktop.Init(CurrentOsVersion()));
    EXPECT_EQ(desktop.DriverType(), 18);
    EXPECT_TRUE(desktop.Detect());
    EXPECT_FALSE(desktop.ExtendedScreenPresent());
    EXPECT_EQ(desktop.Enable(), kEFail);
    EXPECT_EQ(desktop.GetScreenNumber(), -1);
    EXPECT_EQ(desktop.Disable(), 0);

    ExtendedDesktop unserved(&display, nullptr);
    OsVersionInfo old;
    old.platformId = 2;
    old.major = 5;
    old.minor = 0;  // type 6: not served
    unserved.Init(old);
    EXPECT_FALSE(unserved.Detect());
    EXPECT_EQ(unserved.GetScreenNumber(), -2);
    EXPECT_EQ(unserved.Disable(), kEFail);
}

TEST(ExtendedDesktopTest, ResolutionsAreTheLandscapeModesOfTheFirstDisplay) {
    platform::FakeDisplaySettings display;
    display.modes = {{1920, 1080, 60}, {1920, 1080, 50}, {1080, 1920, 60},
                     {1024, 1024, 60}, {1280, 720, 60},  {800, 600, 75}};
    ExtendedDesktop desktop(&display, nullptr);
    std::vector<std::pair<int, int>> list = {{640, 480}};  // appended to
    desktop.CollectResolutions(&list);
    EXPECT_EQ(list, (std::vector<std::pair<int, int>>{
                        {640, 480}, {1920, 1080}, {1920, 1080}, {1280, 720}, {800, 600}}));
    EXPECT_TRUE(desktop.IsMode1920x1080Available());
    display.modes = {{1920, 1200, 60}, {1080, 1920, 60}};
    EXPECT_FALSE(desktop.IsMode1920x1080Available());

    display.outputs = {};  // nothing attached: nothing listed
    list.clear();
    desktop.CollectResolutions(&list);
    EXPECT_TRUE(list.empty());
    ExtendedDesktop blind(nullptr, nullptr);
    blind.CollectResolutions(&list);
    EXPECT_TRUE(list.empty());
    EXPECT_TRUE(blind.EnumAttachedDisplays().empty());
}

// The calls the switches make, on a scripted client.
class SwitchClient : public VRXClient {
public:
    explicit SwitchClient(std::vector<std::string>* log) : m_log(log) {}
    ~SwitchClient() override {
        m_log = nullptr;
        Shutdown();
    }
    int GetStatus() override { return status; }
    int StopPlayImage() override {
        Record("StopPlayImage");
        return 0;
    }
    int StartPlayImage(uint8_t mode) override {
        Record("StartPlayImage " + std::to_string(mode));
        return startResult < 0 ? QK_ERROR(startResult) : 0;
    }
    void SetCapLayer(bool on) override { Record(std::string("SetCapLayer ") + (on ? "1" : "0")); }

    int status = kVrxProjecting;
    int startResult = 0;

private:
    void Record(const std::string& call) {
        if (m_log) {
            m_log->push_back(call);
        }
    }
    std::vector<std::string>* m_log;
};

TEST(CaptureAccelerationTest, StopSwitchAndStartAgainAtThePosition) {
    struct Row {
        const char* what;
        bool off;
        int status;
        int startResult;
        std::vector<std::string> calls;
        int failure;
    } rows[] = {
        {"off while projecting",
         true,
         kVrxProjecting,
         0,
         {"StopPlayImage", "sleep 300", "SetCapLayer 1", "SetDirectDraw 1", "StartPlayImage 2",
          "redraw"},
         0},
        {"on while projecting",
         false,
         kVrxProjecting,
         0,
         {"StopPlayImage", "SetCapLayer 0", "SetDirectDraw 0", "StartPlayImage 2", "redraw"},
         0},
        {"off while idle",
         true,
         kVrxIdle,
         0,
         {"sleep 300", "SetCapLayer 1", "SetDirectDraw 1", "redraw"},
         0},
        {"a restart that fails",
         false,
         kVrxProjecting,
         -6528002,
         {"StopPlayImage", "SetCapLayer 0", "SetDirectDraw 0", "StartPlayImage 2",
          "failure -6528002", "redraw"},
         -6528002},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        std::vector<std::string> calls;
        SwitchClient client(&calls);
        client.status = r.status;
        client.startResult = r.startResult;
        platform::FakeDisplaySettings display;
        CaptureAccelerationContext context;
        context.client = &client;
        context.display = &display;
        context.splitPosition = 2;
        int failure = 0;
        context.onStartFailure = [&](int code) {
            failure = code;
            calls.push_back("failure " + std::to_string(code));
        };
        context.redraw = [&] { calls.push_back("redraw"); };
        context.sleepMs = [&](uint32_t ms) { calls.push_back("sleep " + std::to_string(ms)); };
        // The display's calls join the client's in one order.
        auto displayCalls = [&] {
            for (const std::string& c : display.Calls()) {
                calls.insert(std::find(calls.begin(), calls.end(),
                                       r.off ? "SetCapLayer 1" : "SetCapLayer 0") +
                                 1,
                             c);
            }
        };
        if (r.off) {
            AccelerationOffForCapture(context);
        } else {
            AccelerationOnForCapture(context);
        }
        displayCalls();
        EXPECT_EQ(calls, r.calls);
        EXPECT_EQ(failure, r.failure);
    }
}

}  // namespace
}  // namespace pemuapp
