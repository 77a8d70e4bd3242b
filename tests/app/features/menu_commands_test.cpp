// The menu commands' table against a recording client and the fake window:
// the keys each command writes, the client calls in order, the restart only
// while projecting, a failed restart, and the edge cases of the settings.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app/features/main_window_features.h"
#include "app/features/menu_commands.h"
#include "tests/app/features/fake_feature_host.h"
#include "tests/app/features/log_capture.h"
#include "ui/dialogs/cqk_common_dlg.h"
#include "ui/dialogs/ctv_expand_dlg.h"
#include "vrxclientsdk/VRXClient/VRXClient.h"

namespace {

using featuretest::FakeFeatureHost;
using Writes = std::vector<std::pair<std::string, std::string>>;
using Calls = std::vector<std::string>;

// A client that records the projection calls the commands make.
class RecordingClient final : public VRXClient {
public:
    ~RecordingClient() override { Shutdown(); }

    int GetStatus() override { return status; }
    uint8_t GetPlayImageMode() override { return 3; }
    int StopPlayImage() override { return Note("Stop"), 0; }
    int StartPlayImage(uint8_t mode) override {
        Note("Start(" + std::to_string(mode) + ")");
        return startResult;
    }
    int GetErrorCode() override { return 77; }
    void SetJpegQuality(int q) override { Note("SetJpegQuality(" + std::to_string(q) + ")"); }
    void SetCursorScale(double s) override {
        Note("SetCursorScale(" + std::to_string(static_cast<int>(s)) + ")");
    }
    void SetImageCoding(int c) override { Note("SetImageCoding(" + std::to_string(c) + ")"); }
    int SetClientDisplay(int w, int h, bool, bool, bool) override {
        Note("SetClientDisplay(" + std::to_string(w) + "x" + std::to_string(h) + ")");
        return 0;
    }
    void SetDeOverscanOffset(int x, int y) override {
        Note("SetDeOverscanOffset(" + std::to_string(x) + "," + std::to_string(y) + ")");
    }
    void SetPreBufTime(uint16_t ms) override { Note("SetPreBufTime(" + std::to_string(ms) + ")"); }
    void SetCapLayer(bool on) override { Note(on ? "SetCapLayer(1)" : "SetCapLayer(0)"); }
    void SetScreenCapture(int s) override { Note("SetScreenCapture(" + std::to_string(s) + ")"); }

    void Note(std::string call) { calls.push_back(std::move(call)); }

    int status = kVrxIdle;
    int startResult = 0;
    Calls calls;
};

TEST(MenuCommandsTest, EachCommandWritesItsKeyAndRestartsOnlyWhileProjecting) {
    struct Row {
        uint32_t id;
        bool projecting;
        int startResult;
        Writes writes;
        Calls calls;
        std::vector<int> dialogs;
    } rows[] = {
        {2019, false, 0, {{"JpegQuality", "85"}}, {"SetJpegQuality(85)"}, {}},
        {2019, true, 0, {{"JpegQuality", "85"}}, {"SetJpegQuality(85)", "Stop", "Start(3)"}, {}},
        {2036, true, 0, {{"CursorSize", "2"}}, {"SetCursorScale(2)"}, {}},
        {2049, true, 0, {{"CodecType", "H264"}}, {"SetImageCoding(7)", "Stop", "Start(3)"}, {}},
        {2047, false, 0, {{"CodecType", "auto"}}, {"SetImageCoding(0)"}, {}},
        {2030, false, 0, {{"ResolutionMode", "Small"}}, {"Stop", "SetClientDisplay(1280x720)"}, {}},
        {2031,
         true,
         0,
         {{"ResolutionMode", "Large"}},
         {"Stop", "SetClientDisplay(1920x1080)", "Start(3)"},
         {10}},
        {20228, false, 0, {{"SpeedyMode", "true"}}, {"SetPreBufTime(0)"}, {}},
        {2043, true, 0, {{"SpeedyMode", "true"}}, {"Stop", "SetPreBufTime(0)", "Start(3)"}, {}},
        {2025, false, 0, {{"AutoWifi", "false"}}, {}, {}},
        {2008, false, 0, {{"AutoPowerManager", "false"}}, {}, {}},
        {2027,
         true,
         0,
         {{"TVExpandWidth", "30"}, {"TVExpandHeight", "40"}},
         {"Stop", "SetDeOverscanOffset(30,40)", "Start(3)"},
         {ui::CTVExpandDlg::kRecordType}},
        {2014, true, 0, {}, {}, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.id);
        FakeFeatureHost host;
        RecordingClient client;
        client.status = row.projecting ? kVrxProjecting : kVrxIdle;
        client.startResult = row.startResult;
        host.client = &client;
        host.runner.Then(ui::kIdOk, [](ui::ModalDialog& d) {
            if (auto* tv = dynamic_cast<ui::CTVExpandDlg*>(&d)) {
                tv->SetHorizontalOffset(30);
                tv->SetVerticalOffset(40);
            }
        });
        pemuapp::MainWindowFeatures features(host);
        EXPECT_TRUE(features.OnCommand(row.id));
        EXPECT_EQ(host.writes, row.writes);
        EXPECT_EQ(client.calls, row.calls);
        std::vector<int> dialogs;
        for (const ui::DialogRecord& r : host.runner.Records()) {
            dialogs.push_back(r.type);
        }
        EXPECT_EQ(dialogs, row.dialogs);
        EXPECT_EQ(host.projectionResets, 0);
    }
}

TEST(MenuCommandsTest, AFailedRestartLeavesTheWindowIdleAndShowsTheClientsError) {
    for (uint32_t id : {2018u, 2029u, 2048u}) {
        SCOPED_TRACE(id);
        FakeFeatureHost host;
        RecordingClient client;
        client.status = kVrxProjecting;
        client.startResult = -5;
        host.client = &client;
        pemuapp::MenuCommands commands(host);
        EXPECT_TRUE(commands.OnCommand(id));
        EXPECT_EQ(host.projectionResets, 1);
        EXPECT_EQ(host.errorMessages, std::vector<int>{77});
    }
}

TEST(MenuCommandsTest, SettingsEdgeCases) {
    FakeFeatureHost host;
    RecordingClient client;
    host.client = &client;
    pemuapp::MenuCommands commands(host);
    EXPECT_FALSE(commands.OnCommand(4242));

    // Mirror while mirroring, and an extended screen this desktop cannot
    // give, change nothing.
    EXPECT_TRUE(commands.OnCommand(2020));
    EXPECT_TRUE(commands.OnCommand(2021));
    EXPECT_TRUE(host.writes.empty());
    EXPECT_TRUE(client.calls.empty());

    // Game Mode twice writes once.
    commands.OnCommand(20228);
    commands.OnCommand(20228);
    EXPECT_EQ(host.writes, (Writes{{"SpeedyMode", "true"}}));

    // Cursor sizes are kept to 1..4; any codec but JPEG and H.264 is "auto".
    host.writes.clear();
    commands.SetCursorSize(0);
    commands.SetCursorSize(9);
    commands.SetCodecType(5);
    EXPECT_EQ(host.writes,
              (Writes{{"CursorSize", "1"}, {"CursorSize", "4"}, {"CodecType", "auto"}}));
    EXPECT_EQ(commands.CodecType(), 0);
}

TEST(MenuCommandsTest, HideUiAndAdvancedCaptureAskBeforeTheyExcludeEachOther) {
    {  // Declining leaves both settings as they were.
        FakeFeatureHost host;
        host.settings.enableAsc = true;
        host.runner.ThenType(9, ui::kIdCancel);
        pemuapp::MenuCommands commands(host);
        commands.OnCommand(2009);
        EXPECT_TRUE(host.writes.empty());
        EXPECT_TRUE(host.layeredChanges.empty());
        EXPECT_TRUE(commands.AdvancedCapture());
        EXPECT_FALSE(commands.UiHidden());
    }
    {  // Confirming turns capture off, then hides the window while projecting.
        FakeFeatureHost host;
        RecordingClient client;
        client.status = kVrxProjecting;
        host.client = &client;
        host.settings.enableAsc = true;
        host.runner.ThenType(9, ui::kIdOk);
        pemuapp::MenuCommands commands(host);
        commands.OnCommand(2009);
        EXPECT_EQ(host.writes, (Writes{{"EnableASC", "false"}, {"UIVisible", "true"}}));
        EXPECT_EQ(client.calls, (Calls{"Stop", "SetCapLayer(0)", "Start(3)"}));
        EXPECT_EQ(host.layeredChanges, std::vector<bool>{true});
        commands.OnCommand(2009);  // shown again
        EXPECT_EQ(host.layeredChanges, (std::vector<bool>{true, false}));
        EXPECT_EQ(host.writes.back(), (std::pair<std::string, std::string>{"UIVisible", "false"}));
    }
    {  // Capture on while hidden: two questions, both confirmed.
        FakeFeatureHost host;
        host.settings.enableAsc = false;
        host.written["UIVisible"] = "true";
        host.runner.ThenType(12, ui::kIdOk).ThenType(9, ui::kIdOk);
        pemuapp::MenuCommands commands(host);
        commands.OnCommand(2010);
        EXPECT_EQ(host.writes, (Writes{{"UIVisible", "false"}, {"EnableASC", "true"}}));
        EXPECT_EQ(host.runner.TypeMismatches(), 0);
        EXPECT_TRUE(commands.AdvancedCapture());
    }
}

TEST(MenuCommandsTest, LeavingTheShortestModeAsksTheLatencyQuestionUntilItsBoxIsTicked) {
    struct Row {
        const char* name;
        bool projecting;
        bool ask;
        int tick;
        Writes writes;
        Calls calls;
        std::vector<int> dialogs;
        std::vector<int> presentations;
    } rows[] = {
        {"ticked",
         false,
         true,
         1,
         {{"SpeedyMode", "false"}, {"AirProofQuestion", "false"}},
         {"SetPreBufTime(1000)"},
         {20},
         {}},
        {"not ticked",
         false,
         true,
         0,
         {{"SpeedyMode", "false"}, {"AirProofQuestion", "true"}},
         {"SetPreBufTime(1000)"},
         {20},
         {}},
        // Projecting: stopped, the mode set, then the presentation starts
        // the stream again at its split position.
        {"projecting, not asked",
         true,
         false,
         0,
         {{"SpeedyMode", "false"}},
         {"Stop", "SetPreBufTime(1000)", "Start(3)"},
         {},
         {3}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        FakeFeatureHost host;
        RecordingClient client;
        client.status = row.projecting ? kVrxProjecting : kVrxIdle;
        host.client = &client;
        host.written["SpeedyMode"] = "true";
        host.settings.airProofQuestion = row.ask;
        host.runner.ThenType(20, ui::kIdOk, [&row](ui::ModalDialog& d) {
            static_cast<ui::CQKCommonDlg&>(d).SetCheckFlag(row.tick);
        });
        pemuapp::MenuCommands commands(host);
        EXPECT_TRUE(commands.OnCommand(2043));
        EXPECT_EQ(host.writes, row.writes);
        EXPECT_EQ(client.calls, row.calls);
        std::vector<int> dialogs;
        for (const ui::DialogRecord& r : host.runner.Records()) {
            dialogs.push_back(r.type);
            EXPECT_EQ(r.title, "Warning");
        }
        EXPECT_EQ(dialogs, row.dialogs);
        EXPECT_EQ(host.presentations, row.presentations);
        // The engine's own mode follows, so that later logins keep it.
        EXPECT_EQ(host.speedScreens, std::vector<bool>{false});
        EXPECT_FALSE(commands.Speedy());
    }
    {  // A ticked box ends the asking for the rest of the run.
        FakeFeatureHost host;
        host.written["SpeedyMode"] = "true";
        host.settings.airProofQuestion = true;
        host.runner.ThenType(20, ui::kIdOk, [](ui::ModalDialog& d) {
            static_cast<ui::CQKCommonDlg&>(d).SetCheckFlag(1);
        });
        pemuapp::MenuCommands commands(host);
        commands.OnCommand(2043);  // off: asked
        commands.OnCommand(2043);  // on: never asked
        commands.OnCommand(2043);  // off again: not asked any more
        EXPECT_EQ(host.runner.Records().size(), 1u);
        EXPECT_EQ(host.runner.Unexpected(), 0);
        EXPECT_EQ(host.speedScreens, (std::vector<bool>{false, true, false}));
    }
}

TEST(MenuCommandsTest, OwnPowerSchemeAsksThePcAndKeepsTheChoiceWhenItHasNoPlans) {
    for (bool plans : {false, true}) {
        SCOPED_TRACE(plans);
        FakeFeatureHost host;
        host.powerPlansAvailable = plans;
        featuretest::LogCapture log;
        pemuapp::MenuCommands commands(host);
        commands.OnCommand(2008);  // the default is on: off
        commands.OnCommand(2008);  // on again
        EXPECT_EQ(host.powerRequests, (std::vector<bool>{false, true}));
        EXPECT_EQ(host.writes,
                  (Writes{{"AutoPowerManager", "false"}, {"AutoPowerManager", "true"}}));
        EXPECT_EQ(log.Warnings().size(), plans ? 0u : 1u);
    }
}

}  // namespace
