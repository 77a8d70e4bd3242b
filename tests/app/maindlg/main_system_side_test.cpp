// The PC's side of the main dialog on fake audio, power plans and display:
// the start-up and exit steps by operating-system code, the speakers around
// a projection, and the display mode that ChangeResolution asks for.
#include "app/maindlg/main_system_side.h"

#include <gtest/gtest.h>

#include "platform/audio/fake_audio_endpoint.h"
#include "platform/display/fake_display_settings.h"
#include "platform/power/fake_power_plans.h"
#include "vrxclientsdk/VRXClient/VRXClient.h"

namespace pemuapp {
namespace {

using platform::FakePowerPlans;
using Calls = std::vector<std::string>;

class DisplayRecordingClient : public VRXClient {
public:
    int SetClientDisplay(int width, int height, bool compositionOff, bool allow16,
                         bool extended) override {
        calls.push_back(std::to_string(width) + "x" + std::to_string(height) + " " +
                        std::to_string(compositionOff) + std::to_string(allow16) +
                        std::to_string(extended));
        return 0;
    }
    Calls calls;
};

struct Rig {
    explicit Rig(int osCode) {
        plans.plans = {{FakePowerPlans::MakeId(1, 0x1111), "Balanced"},
                       {FakePowerPlans::MakeId(2, kHighPerformanceGroup), "High performance"}};
        plans.active = plans.plans[0].id;
        services = {&audio, &plans, &display, osCode};
    }
    platform::FakeAudioEndpoint audio;
    FakePowerPlans plans;
    platform::FakeDisplaySettings display;
    SystemServices services;
    SenderSettings settings;
};

bool Has(const Calls& calls, const std::string& call) {
    return std::find(calls.begin(), calls.end(), call) != calls.end();
}

TEST(MainSystemSide, StartAndExitByOperatingSystemCode) {
    const struct {
        int osCode;
        bool mutedAtStart;
        bool composition;  // switched off at start, on at exit
        Calls muteCalls;   // start, projection start and stop, exit
    } rows[] = {
        {19, false, false, {"SetMute 1", "SetMute 0", "SetMute 0"}},
        {18, false, true, {"SetMute 1", "SetMute 0", "SetMute 0"}},
        {17, true, true, {"SetMute 1", "SetMute 1"}},  // muted before: stays muted
        {16, false, false, {}},                        // older systems: not the endpoint
    };
    for (const auto& row : rows) {
        Rig rig(row.osCode);
        rig.audio.muted = row.mutedAtStart;
        DisplayRecordingClient client;
        {
            MainSystemSide side(rig.services, rig.settings, nullptr);
            side.StartUp();
            EXPECT_EQ(side.MutedAtStartUp(), row.mutedAtStart) << row.osCode;
            EXPECT_TRUE(side.PowerSwitched()) << row.osCode;
            EXPECT_EQ(rig.plans.Name(rig.plans.active), "High performance");
            side.BeforeProjectionStart(client);
            side.ProjectionStarted();
            side.ProjectionStopped(client, true);
            side.Exit();
            EXPECT_EQ(rig.audio.calls, row.muteCalls) << row.osCode;
            EXPECT_EQ(rig.audio.muted, row.mutedAtStart) << row.osCode;
            EXPECT_EQ(rig.plans.Name(rig.plans.active), "Balanced") << row.osCode;
        }
        const Calls display = rig.display.Calls();
        EXPECT_EQ(Has(display, "SetComposition 0"), row.composition) << row.osCode;
        EXPECT_EQ(Has(display, "SetComposition 1"), row.composition) << row.osCode;
        EXPECT_TRUE(Has(display, "RestoreAll")) << row.osCode;
        EXPECT_TRUE(client.calls.empty()) << row.osCode;  // ChangeResolution is off
    }
}

TEST(MainSystemSide, AFailedStopLeavesTheSpeakersMutedAndAutoPowerOffKeepsThePlan) {
    Rig rig(19);
    rig.settings.autoPowerManager = false;
    MainSystemSide side(rig.services, rig.settings, nullptr);
    side.StartUp();
    EXPECT_FALSE(side.PowerSwitched());
    EXPECT_EQ(rig.plans.Name(rig.plans.active), "Balanced");
    DisplayRecordingClient client;
    side.ProjectionStarted();
    side.ProjectionStopped(client, false);  // the receiver did not take the stop
    EXPECT_TRUE(rig.audio.muted);
    side.UnmuteUnlessMutedAtStart();  // the connection went instead
    EXPECT_FALSE(rig.audio.muted);
}

TEST(MainSystemSide, ChangeResolutionProjectsAt1080pAndGoesBackToTheStartSize) {
    Rig rig(19);
    rig.settings.changeResolution = true;
    rig.settings.enableAsc = true;
    rig.display.screen = {1366, 768, 32, 60, 0};
    {
        MainSystemSide side(rig.services, rig.settings, nullptr);
        side.StartUp();
        DisplayRecordingClient client;
        side.BeforeProjectionStart(client);
        side.ProjectionStopped(client, false);  // back whatever the stop gave
        EXPECT_EQ(client.calls, (Calls{"1920x1080 101", "1366x768 101"}));
    }
    // A display without a 1920 x 1080 mode is not switched for projection.
    Rig small(19);
    small.settings.changeResolution = true;
    small.display.modes = {{1280, 720, 60}};
    MainSystemSide side(small.services, small.settings, nullptr);
    side.StartUp();
    DisplayRecordingClient client;
    side.BeforeProjectionStart(client);
    EXPECT_TRUE(client.calls.empty());
}

TEST(MainSystemSide, WithoutPlatformServicesNothingIsTouched) {
    SenderSettings settings;
    settings.changeResolution = true;
    MainSystemSide side({nullptr, nullptr, nullptr, 19}, settings, nullptr);
    side.StartUp();
    DisplayRecordingClient client;
    side.BeforeProjectionStart(client);
    side.ProjectionStarted();
    side.ProjectionStopped(client, true);
    side.Exit();
    EXPECT_TRUE(client.calls.empty());  // no modes, no start size: nothing to switch
    EXPECT_FALSE(side.PowerSwitched());
}

}  // namespace
}  // namespace pemuapp
