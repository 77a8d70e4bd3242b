// The main dialog's engine on the headless window layer with a fake clock,
// scripted dialogs and recorded window parts: the exit paths, the receiver
// list filter, the error table, the timers, and (against the receiver
// simulator) login, presentation and the exit question while projecting.
#include "app/maindlg/main_dlg.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "app/res/translator.h"
#include "app/settings/settings_file.h"
#include "app/startup/command_runner.h"
#include "platform/audio/fake_audio_endpoint.h"
#include "platform/dynload.h"
#include "platform/fake_clock.h"
#include "platform/window/headless_backend.h"
#include "tests/app/maindlg/sim_rig.h"
#include "tests/support/TempDir.h"
#include "tests/ui/dialogs/scripted_dialog_runner.h"
#include "tests/vrxclientsdk/VRXClient/facade_test_env.h"
#include "vrxclientsdk/VRPClient/Logger.h"
#include "vrxclientsdk/VRXClient/capture/FrameBufferBase.h"

namespace pemuapp {
namespace {

using platform::Message;

// A client that counts the screen refreshes the timers ask for.
class CountingClient : public CQKVRXClientEx {
public:
    // The library's threads end while this object is still whole.
    ~CountingClient() override { Shutdown(); }
    int RefreshScreenImage() override {
        ++refreshes;
        return 0;
    }
    int GetStatus() override { return status >= 0 ? status : CQKVRXClientEx::GetStatus(); }
    int GetMediaDuration() override { return duration; }
    int refreshes = 0;
    int status = -1;  // -1: the facade's
    int duration = 0;
};

class RecordingParts : public MainWindowParts {
public:
    void SetPageState(int page) override { pages.push_back(page); }
    void FillReceiverList(const std::vector<ReceiverRow>& rows) override { lists.push_back(rows); }
    void ShowReceiverName(const std::string& name) override { shownNames.push_back(name); }
    void FetchConferenceInfo() override {
        calls.push_back("FetchConferenceInfo");
        if (onFetch) {
            onFetch();
        }
    }
    bool ExtendedDesktopChosen() override { return extendedChosen; }
    void SwitchToExtendedDesktopIfChosen() override {
        switchTimes.push_back(clock ? clock->NowMs() : 0);
        if (onSwitch) {
            onSwitch();
        }
    }
    bool IsDeviceNameEditVisible() override { return editVisible; }
    std::string DeviceNameEditText() override { return editText; }
    void SetDeviceNameEditText(const std::string& text) override { editText = text; }
    void SetDeviceName(const std::string& name) override {
        calls.push_back("SetDeviceName " + name);
    }
    void HideDeviceNameEdit() override {
        editVisible = false;
        calls.push_back("HideDeviceNameEdit");
    }
    void CancelDeviceNameEdit() override {
        editVisible = false;
        calls.push_back("CancelDeviceNameEdit");
    }
    void TakeChosenListReceiver() override { calls.push_back("TakeChosenListReceiver"); }
    void LeaveListPage() override { calls.push_back("LeaveListPage"); }
    void ScrollReceiverList(int rows) override {
        calls.push_back("ScrollReceiverList " + std::to_string(rows));
    }
    void RefreshSenderStatus() override { calls.push_back("RefreshSenderStatus"); }
    platform::WindowId DeviceNameEditWindow() override { return editWindow; }
    bool AllowsResize() override { return allowResize; }
    void LayoutForHeight(int height) override { heights.push_back(height); }
    bool ConferenceHasMoreThanTwoRows() override { return conferenceRows > 2; }
    void RedrawConferenceThumbnails() override { calls.push_back("RedrawConferenceThumbnails"); }
    void SetMainWindowHeight(bool fourTiles) override {
        calls.push_back(fourTiles ? "SetMainWindowHeight 4" : "SetMainWindowHeight 2");
    }
    void EndWifiWait() override { calls.push_back("EndWifiWait"); }
    void ShowReceiverRebootNotice() override { calls.push_back("ShowReceiverRebootNotice"); }
    bool IsUsbSharingOn() override { return usbSharing; }
    void StopUsbSharing() override {
        usbSharing = false;
        calls.push_back("StopUsbSharing");
    }
    bool IsUsbAttachRunning() override { return usbAttaching; }
    void RefreshTiles(int argument) override { tileRefreshes.push_back(argument); }
    int RunQuickProfile() override {
        calls.push_back("RunQuickProfile");
        return quickProfileResult;
    }
    std::function<void()> onFetch, onSwitch;
    int quickProfileResult = -1;
    std::vector<int> tileRefreshes;
    bool extendedChosen = false;
    platform::FakeClock* clock = nullptr;
    std::vector<uint64_t> switchTimes;  // the clock at each extended-desktop switch
    bool usbSharing = false;
    bool usbAttaching = false;
    int conferenceRows = 0;
    platform::WindowId editWindow;
    bool allowResize = false;
    std::vector<int> heights;
    std::vector<int> pages;
    std::vector<std::vector<ReceiverRow>> lists;
    std::vector<std::string> shownNames;
    std::vector<std::string> calls;
    bool editVisible = false;
    std::string editText;
};

class MainDlgTest : public testing::Test {
protected:
    void SetUp() override {
        auto backend = std::make_unique<platform::HeadlessBackend>(platform::Rect{0, 0, 1024, 768});
        headless = backend.get();
        wm = platform::WindowManager::Create(std::move(backend), &clock);
        ASSERT_NE(wm, nullptr);
        headless->SetIdleHandler([this](int timeoutMs) {
            if (timeoutMs >= 0) {
                clock.Advance(static_cast<uint64_t>(timeoutMs));
            }
        });
        parts.clock = &clock;
        services.paths = SenderPaths::Under(dir.File("config"), dir.File("data"));
        services.runner = &boxes;
        services.parts = &parts;
        services.actions = &actions;
        services.userName = "ann";
        services.makeClient = [this]() -> std::unique_ptr<CQKVRXClientEx> {
            auto client = std::make_unique<CountingClient>();
            ++clientsMade;
            if (!mainClient) {
                mainClient = client.get();  // the first client made is the main one
            }
            return client;
        };
    }
    void TearDown() override {
        dlg.reset();
        wm.reset();
    }
    void MakeDialog() {
        dlg = std::make_unique<CQKinMainDlg>(*wm, services);
        ASSERT_TRUE(dlg->Create());
    }
    // Runs due timers and posted messages after `ms` of the fake clock.
    void Advance(uint64_t ms) {
        clock.Advance(ms);
        wm->PumpPending(platform::PumpKind::kAll);
    }

    testsupport::TempDir dir;
    platform::FakeClock clock{100000};
    platform::HeadlessBackend* headless = nullptr;
    std::unique_ptr<platform::WindowManager> wm;
    ui::ScriptedDialogRunner boxes;
    RecordingParts parts;
    CommandActionQueue actions;
    CQKinMainDlg::Services services;
    CountingClient* mainClient = nullptr;
    std::atomic<int> clientsMade{0};
    std::unique_ptr<CQKinMainDlg> dlg;
};

TEST_F(MainDlgTest, EveryExitPathOfAnIdleSenderEndsWithoutAQuestion) {
    const struct {
        const char* what;
        Message msg;
        bool commandFile;
    } rows[] = {
        {"menu 2015", Message::Command(2015), false},
        {"close request", Message::Close(), false},
        {"command 10391", Message::Command(kCmdAutoExit), false},
        {"command file", Message::Command(kCmdProcessCommandFile), true},
    };
    for (const auto& row : rows) {
        mainClient = nullptr;
        MakeDialog();
        EXPECT_FALSE(dlg->Exiting());
        if (row.commandFile) {
            actions.Push({"Exit", "", "", "", "", ""});
        }
        wm->Send(dlg->Window(), row.msg);
        EXPECT_TRUE(dlg->Exiting()) << row.what;
        EXPECT_TRUE(boxes.Records().empty()) << row.what;
        dlg.reset();
    }
}

TEST_F(MainDlgTest, WithoutLogFileThereIsNoLogAndLogPathIsEmpty) {
    MakeDialog();
    EXPECT_EQ(dlg->AppLog(), nullptr);
    std::ifstream registry(services.paths.registryFile);
    std::stringstream text;
    text << registry.rdbuf();
    EXPECT_NE(text.str().find("LogPath="), std::string::npos);
    EXPECT_EQ(text.str().find("LogPath=/"), std::string::npos);
}

// The dialogs the main dialog opens draw from the program's skin: without it
// every page would be blank.
TEST_F(MainDlgTest, DialogsGetTheProgramsSkin) {
    MakeDialog();
    const ui::DialogEnvironment& env = dlg->DialogEnv();
    ASSERT_NE(env.skin, nullptr);
    EXPECT_EQ(env.skinFolder, platform::ProgramFolder());
    EXPECT_NE(env.skin->Bitmap(5175), nullptr);  // the search page's background
}

TEST_F(MainDlgTest, LogFileGivesTheApplicationLogInOurLogFolder) {
    services.settings.logFile = "QuorvaneSender.log";
    MakeDialog();
    ASSERT_NE(dlg->AppLog(), nullptr);
    dlg.reset();
    std::ifstream log(services.paths.logFolder + "/Quorvane Sender_App.log");
    std::stringstream text;
    text << log.rdbuf();
    EXPECT_NE(text.str().find("Quorvane Sender Log"), std::string::npos);
    EXPECT_NE(text.str().find("OnInitDialog():END"), std::string::npos);
    EXPECT_NE(text.str().find("End of Quorvane Sender Log"), std::string::npos);
}

TEST_F(MainDlgTest, StartupStepsRunAfterTheStartPauseAndShowTheWindow) {
    services.discoverySeconds = 0;
    MakeDialog();
    EXPECT_FALSE(wm->IsVisible(dlg->Window()));
    Advance(1400);
    EXPECT_FALSE(wm->IsVisible(dlg->Window()));  // timer 249 keeps it hidden
    Advance(100);
    wm->PumpPending(platform::PumpKind::kAll);
    EXPECT_TRUE(wm->IsVisible(dlg->Window()));
    // The search page came up through the receiver choice (aborted here).
    ASSERT_FALSE(parts.pages.empty());
    EXPECT_EQ(parts.pages.front(), kPageSearch);
    ASSERT_FALSE(boxes.Records().empty());
    EXPECT_EQ(boxes.Records().front().type, 28);
}

TEST_F(MainDlgTest, StartPlayCommandRefreshesSixTimesOnTimer213) {
    MakeDialog();
    ASSERT_NE(mainClient, nullptr);
    wm->Send(dlg->Window(), Message::Command(kCmdStartPlayImage));
    EXPECT_EQ(dlg->PlayPositionWord(), 0x80040000u);  // full screen before any start
    EXPECT_TRUE(dlg->IsProjecting());
    for (int i = 0; i < 20; ++i) {
        Advance(100);
    }
    EXPECT_EQ(mainClient->refreshes, 6);
}

TEST_F(MainDlgTest, RefreshBurstIsTenSteps) {
    MakeDialog();
    ASSERT_NE(mainClient, nullptr);
    // The start of a full-screen projection with automatic coding.
    wm->Send(dlg->Window(), Message::User(kClientEventMessage,
                                          static_cast<int64_t>(ClientEvent::kStartPlayImage)));
    for (int i = 0; i < 40; ++i) {
        Advance(50);
    }
    EXPECT_EQ(mainClient->refreshes, 10);
}

TEST_F(MainDlgTest, MediaProgressFollowsTheDurationAndSkipsAnUnknownOne) {
    MakeDialog();
    ASSERT_NE(mainClient, nullptr);
    mainClient->status = kVrxMediaPlaying;
    const struct {
        int duration;
        float afterThree;
    } rows[] = {{0, 0.0f}, {-5, 0.0f}, {97, 6.0f}};
    for (const auto& row : rows) {
        mainClient->duration = row.duration;
        wm->SetTimer(dlg->Window(), kTimerMediaProgress, 1000);
        for (int i = 0; i < 3; ++i) {
            Advance(1000);
        }
        EXPECT_FLOAT_EQ(dlg->MediaProgress(), row.afterThree) << row.duration;
        mainClient->status = kVrxIdle;  // the file ends: back to 0, timer stopped
        Advance(1000);
        EXPECT_EQ(dlg->MediaProgress(), 0.0f);
        mainClient->status = kVrxMediaPlaying;
    }
}

TEST_F(MainDlgTest, ReceiverListKeepsKindSixSixAndLogsTheOthers) {
    const std::string logPath = dir.File("list.log");
    Logger log;
    ASSERT_EQ(log.Open(logPath.c_str(), LOG_DEBUG, false), 0);
    auto record = [](const char* name, uint32_t ipv4, uint8_t k1, uint8_t k2) {
        DevAnnounce r;
        std::memcpy(r.bytes + DevAnnounce::kNameOffset, name, std::strlen(name));
        r.SetIPv4(ipv4);
        r.bytes[DevAnnounce::kKindOffset1] = k1;
        r.bytes[DevAnnounce::kKindOffset2] = k2;
        return r;
    };
    const std::vector<DevAnnounce> found = {
        record("Salle \xC3\xA9t\xC3\xA9", facadetest::Ip("10.1.2.3"), 6, 6),
        record("Other kind", facadetest::Ip("10.1.2.4"), 6, 5),
    };
    std::vector<DevAnnounce> records;
    std::vector<ReceiverRow> rows;
    ListReceivers(found, &log, &records, &rows);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0], (ReceiverRow{"Salle \xC3\xA9t\xC3\xA9", "10.1.2.3"}));  // UTF-8 kept
    EXPECT_EQ(records.size(), 1u);
    std::ifstream in(logPath);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("DeviceDiscover():6,5"), std::string::npos);
}

TEST(MainDlgTables, ErrorCodesToMessages) {
    const struct {
        int code;
        uint32_t id;
    } rows[] = {
        {-6528001, 65273}, {-6528202, 65299},
        {-6528323, 65275}, {-6528301, 65272},
        {-6528302, 65400}, {-6528303, 65298},
        {-6528505, 65304}, {-6528305, 65303},
        {-6528316, 65300}, {-6528405, 65306},
        {-6528402, 65330}, {-6528403, 65331},
        {-6528399, 0},     {0, 0},
        {-1, 0},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(ErrorMessageStringId(row.code), row.id) << row.code;
    }
    EXPECT_EQ(appres::Translator::LoadString(65272), "Incorrect LOGIN CODE");
}

TEST(MainDlgTables, PositionsToPlayStateBits) {
    const struct {
        int position;
        uint32_t bit;
    } rows[] = {{0, 1u << 18}, {128, 1u << 18}, {1, 1u << 22},
                {2, 1u << 21}, {3, 1u << 20},   {4, 1u << 19}};
    for (const auto& row : rows) {
        EXPECT_EQ(PlayPositionBit(row.position), row.bit) << row.position;
    }
}

// --- against the receiver simulator ------------------------------------------

class MainDlgSimTest : public MainDlgTest {
protected:
    void SetUp() override {
        MainDlgTest::SetUp();
        ASSERT_TRUE(rig.ok);
        services.settings.codecType = kCodecJpeg;
        services.makeClient = [this]() -> std::unique_ptr<CQKVRXClientEx> {
            auto client = std::make_unique<CountingClient>();
            SimRig::Prepare(*client);
            if (!mainClient) {
                mainClient = client.get();
            }
            return client;
        };
    }
    std::vector<int> BoxTypes() {
        std::vector<int> types;
        for (const ui::DialogRecord& r : boxes.Records()) {
            types.push_back(r.type);
        }
        return types;
    }

    SimRig rig{224};
    const std::string& address = rig.address;
};

ui::ScriptedDialogRunner::Fill Code(const char* code) {
    return [code](ui::ModalDialog& d) { static_cast<ui::CQKCommonDlg&>(d).SetLoginCode(code); };
}

TEST_F(MainDlgSimTest, AWrongCodeIsToldAndAskedAgainUntilTheRightOne) {
    boxes.ThenType(6, ui::kIdOk, Code("1111"))
        .ThenType(10, ui::kIdOk)
        .ThenType(6, ui::kIdOk, Code("6049"));
    MakeDialog();
    ASSERT_TRUE(dlg->LoginToReceiver(address));
    EXPECT_EQ(BoxTypes(), (std::vector<int>{6, 10, 6}));
    EXPECT_EQ(boxes.Records()[1].text, "Incorrect LOGIN CODE");
    EXPECT_EQ(dlg->Client()->GetStatus(), kVrxIdle);
    EXPECT_EQ(dlg->Client()->receiverName, "Receiver " + address);
    EXPECT_EQ(boxes.Unexpected(), 0);
}

TEST_F(MainDlgSimTest, CancelAndUnreachableEndTheLogin) {
    boxes.ThenType(6, ui::kIdCancel);
    MakeDialog();
    EXPECT_FALSE(dlg->LoginToReceiver(address));
    rig.sim.reset();  // nobody answers any more
    EXPECT_FALSE(dlg->LoginToReceiver(address));
    EXPECT_FALSE(dlg->LoginToReceiver(""));  // no receiver kept: nothing to connect to
    ASSERT_EQ(BoxTypes(), (std::vector<int>{6, 10, 10}));
    EXPECT_EQ(boxes.Records()[1].text, appres::Translator::LoadString(65273));
}

TEST_F(MainDlgSimTest, PresentationAtAPositionThenTheExitQuestion) {
    boxes.ThenType(6, ui::kIdOk, Code("6049")).ThenType(9, ui::kIdCancel).ThenType(9, ui::kIdOk);
    MakeDialog();
    ASSERT_TRUE(dlg->LoginToReceiver(address));
    EXPECT_FALSE(dlg->Presentation(3));
    EXPECT_EQ(dlg->PlayState(), kPlayBegun | kPlayStopped | (1u << 20));
    EXPECT_EQ(dlg->Client()->GetStatus(), kVrxProjecting);
    EXPECT_TRUE(rig.rx->WaitForMessages(1, 10000)) << rig.rx->Error();

    EXPECT_FALSE(dlg->AppExit());  // declined: still running
    EXPECT_FALSE(dlg->Exiting());
    EXPECT_EQ(dlg->Client()->GetStatus(), kVrxProjecting);
    EXPECT_TRUE(dlg->AppExit());
    EXPECT_EQ(dlg->Client()->GetStatus(), kVrxDisconnected);
    EXPECT_EQ(BoxTypes(), (std::vector<int>{6, 9, 9}));
}

TEST_F(MainDlgSimTest, QuickConnectToABusyReceiverLogsInWithoutProjecting) {
    rig.sim->sim->SetReply(0x82, receiver_sim::Reply::Answer({1, 0}));
    services.settings.loginCode = "";
    MakeDialog();
    ASSERT_TRUE(dlg->ConnectReceiverByIp({"Office", "", address, "ann", ""}));
    EXPECT_EQ(dlg->Client()->GetStatus(), kVrxIdle);
    EXPECT_EQ(dlg->PlayState() & kPlayWhereBits, 0u);
    EXPECT_NE(dlg->PlayState() & kPlayStopped, 0u);
    EXPECT_TRUE(rig.sim->sim->FramesWithCode(0x86).empty());
    // The receiver's fixed code went out; the sender's own stays as it was.
    EXPECT_EQ(dlg->Settings().loginCode, "");
    EXPECT_EQ(dlg->Client()->loginCode, VRXClient::kDefaultLoginCode);
    const auto saved = ReadQuickProfiles(services.paths.configFolder + "/profile.ini");
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(saved[0], (QuickProfile{"Office", "", address, "ann", ""}));
    EXPECT_FALSE(dlg->ConnectReceiverByIp({"Zero", "", "0.0.0.0", "ann", ""}));  // never tried
}

}  // namespace
}  // namespace pemuapp

namespace pemuapp {
namespace {

// The automatic reconnect on the fake clock: the worker's pauses move it.
class ReconnectTest : public MainDlgSimTest {
protected:
    void SetUp() override {
        MainDlgSimTest::SetUp();
        clockOverride = std::make_unique<platform::ScopedClockOverride>(clock);
        services.settings.logFile = "lib.log";
        services.workerWait = [this](uint32_t ms) {
            clock.Advance(ms);
            if (onWait) {
                onWait();
            }
        };
    }
    void TearDown() override {
        MainDlgSimTest::TearDown();
        clockOverride.reset();
        if (HasFailure()) {  // the application log tells what the dialog did
            std::ifstream log(services.paths.logFolder + "/Quorvane Sender_App.log");
            std::cerr << log.rdbuf();
            std::ifstream lib(services.paths.logFolder + "/lib.log");
            std::cerr << lib.rdbuf();
        }
    }
    // Logs in, projects at `position` (paused when asked), then the
    // receiver goes away: the reconnect notice opens and the thread starts.
    void LoseProjection(int position, bool paused) {
        boxes.ThenType(6, ui::kIdOk, Code("6049")).ThenType(16, ui::kIdOk);
        MakeDialog();
        // As the start-up steps do once the window is up.
        dlg->Client()->SetEventTarget(dlg->Window(), kMainDialogTargetName);
        ASSERT_TRUE(dlg->LoginToReceiver(address));
        ASSERT_FALSE(dlg->Presentation(position));
        if (paused) {
            ASSERT_GE(dlg->PauseProjection(), 0);
        }
        start = clock.NowMs();
        rig.sim->sim->CloseClient();
        rig.sim.reset();  // the receiver goes: nobody listens until the test says
        // The client tells of the loss (after its image channel's error);
        // the dialog opens the notice and arms the reconnect.
        ASSERT_TRUE(WaitFor([&] {
            Advance(1);
            return dlg->ReconnectStarts() == 1;
        }));
    }
    template <typename Pred>
    bool WaitFor(Pred pred) {
        return facadetest::WaitUntil(pred, 20000);
    }
    void WaitForTheThread() {
        ASSERT_TRUE(WaitFor([&] { return !dlg->ReconnectRunning(); }));
        wm->PumpPending(platform::PumpKind::kAll);
    }

    std::unique_ptr<platform::ScopedClockOverride> clockOverride;
    std::function<void()> onWait;
    uint64_t start = 0;
};

TEST_F(ReconnectTest, AReceiverBackAfterTenSecondsGetsThePausedPositionAgain) {
    onWait = [this] {
        if (!rig.sim && clock.NowMs() - start >= 10000) {
            rig.StartCommandSide();
        }
    };
    LoseProjection(2, true);
    WaitForTheThread();
    EXPECT_TRUE(dlg->Reconnected());
    EXPECT_EQ(dlg->Client()->GetStatus(), kVrxPaused) << dlg->Client()->GetErrorMessage();
    ASSERT_TRUE(rig.sim);
    const auto starts = rig.sim->sim->FramesWithCode(0x8c);
    ASSERT_FALSE(starts.empty());
    EXPECT_EQ(starts.back().payload.at(0), 2);
    EXPECT_EQ(BoxTypes(), (std::vector<int>{6, 16}));
}

TEST_F(ReconnectTest, AReceiverThatNeverComesBackGivesUpAfter26Seconds) {
    LoseProjection(128, false);
    WaitForTheThread();
    EXPECT_FALSE(dlg->Reconnected());
    const uint64_t waited = clock.NowMs() - start;
    EXPECT_GE(waited, 26000u);
    EXPECT_LT(waited, 28000u);  // attempts 1 s apart, then it stops
    EXPECT_EQ(dlg->PlayState(), 0u);
    EXPECT_EQ(parts.pages.back(), kPageSearch);
}

TEST_F(ReconnectTest, AChangedCodeEndsTheAttemptsAtOnce) {
    onWait = [this] {
        if (!rig.sim) {
            rig.StartCommandSide("2468");  // the receiver's code changed
        }
    };
    LoseProjection(128, false);
    WaitForTheThread();
    EXPECT_FALSE(dlg->Reconnected());
    EXPECT_LT(clock.NowMs() - start, 5000u);
    EXPECT_EQ(dlg->PlayState(), 0u);
}

TEST_F(ReconnectTest, CancelShowsTheSearchPageAtOnce) {
    LoseProjection(128, false);
    dlg->CancelReconnect();
    EXPECT_EQ(dlg->PlayState(), 0u);
    EXPECT_EQ(parts.pages.back(), kPageSearch);
    WaitForTheThread();
    EXPECT_FALSE(dlg->Reconnected());
}

}  // namespace
}  // namespace pemuapp

// --- the receiver choice, the candidate loop and the keyboard ------------------
namespace pemuapp {
namespace {

TEST(MainDlgTables, ReceiverChoiceOutcomes) {
    const struct {
        int result, closeCode, row;
        size_t receivers;
        CandidateOutcome outcome;
    } rows[] = {
        {ui::kIdOk, 0, 0, 1, CandidateOutcome::kChosen},
        {ui::kIdCancel, 0, 1, 2, CandidateOutcome::kChosen},  // added by address
        {ui::kIdOk, 0, -1, 2, CandidateOutcome::kEmptyLogin},
        {ui::kIdOk, 0, 2, 2, CandidateOutcome::kEmptyLogin},  // a row beyond the list
        {ui::kIdCancel, 2, 0, 1, CandidateOutcome::kMinimise},
        {ui::kIdCancel, 0, -1, 0, CandidateOutcome::kNone},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(ClassifyReceiverChoice(r.result, r.closeCode, r.row, r.receivers), r.outcome)
            << r.result << " " << r.closeCode << " " << r.row;
    }
}

TEST(MainDlgTables, DeviceNamesKeepWholeCharacters) {
    EXPECT_EQ(FirstCharacters("Meeting room 12345", 16), "Meeting room 123");
    EXPECT_EQ(FirstCharacters("short", 16), "short");
    // 15 plain characters and two of two bytes: the first of those is kept whole.
    EXPECT_EQ(FirstCharacters("abcdefghijklmno\xC3\xA9\xC3\xA9", 16), "abcdefghijklmno\xC3\xA9");
    EXPECT_EQ(FirstCharacters("", 16), "");
}

ui::ScriptedDialogRunner::Fill Choose(const std::string& name, const std::string& address) {
    return [name, address](ui::ModalDialog& d) {
        auto& choice = static_cast<ui::CQKCommonDlg&>(d);
        choice.Receivers() = {{"Elsewhere", "10.9.9.9"}, {name, address}};
        choice.SetSelectedRow(1);
    };
}

TEST_F(MainDlgSimTest, TheChoiceIsOfferedAgainUntilALoginFinishes) {
    boxes.ThenType(28, ui::kIdOk, Choose("Sim", address))
        .ThenType(6, ui::kIdCancel)
        .ThenType(28, ui::kIdOk, Choose("Sim", address))
        .ThenType(6, ui::kIdOk, Code("6049"));
    MakeDialog();
    dlg->Connecting();
    EXPECT_EQ(BoxTypes(), (std::vector<int>{28, 6, 28, 6}));
    EXPECT_EQ(boxes.TypeMismatches(), 0);
    EXPECT_EQ(dlg->Client()->GetStatus(), kVrxIdle);
    ASSERT_EQ(parts.shownNames.size(), 1u);
    EXPECT_EQ(parts.shownNames[0], "Receiver " + address);  // the receiver's own name
    EXPECT_EQ(parts.calls, (std::vector<std::string>{"FetchConferenceInfo"}));
    EXPECT_EQ(dlg->Receivers().size(), 2u);  // the choice's list
}

TEST_F(MainDlgSimTest, AChoiceWithoutARowLogsInToTheKeptReceiverAndProjects) {
    const struct {
        const char* what;
        int answer29;
        bool projects;
    } rows[] = {{"confirmed", ui::kIdOk, true}, {"declined", ui::kIdCancel, false}};
    for (const auto& row : rows) {
        mainClient = nullptr;
        boxes.ThenType(28, ui::kIdOk)
            .ThenType(6, ui::kIdOk, Code("6049"))
            .ThenType(29, row.answer29);
        MakeDialog();
        dlg->Client()->receiverAddress = facadetest::Ip(address.c_str());
        dlg->Connecting();
        EXPECT_EQ(boxes.StepsLeft(), 0u) << row.what;
        EXPECT_EQ(dlg->Client()->GetStatus(), row.projects ? kVrxProjecting : kVrxIdle) << row.what;
        EXPECT_EQ(dlg->PlayState() & kPlayWhereBits, row.projects ? (1u << 18) : 0u) << row.what;
        EXPECT_EQ(parts.pages.back(), row.projects ? kPageProjecting : kPageSearch) << row.what;
        dlg.reset();
    }
    EXPECT_EQ(boxes.Unexpected(), 0);
}

// After the question of the login without a chosen receiver, a chosen
// extended desktop comes 2 s later (the window runs on meanwhile), before
// the projection; without the choice nothing waits and nothing switches.
TEST_F(MainDlgSimTest, TheExtendedDesktopFollowsTheQuestionAfterAPause) {
    for (const bool chosen : {true, false}) {
        mainClient = nullptr;
        parts.extendedChosen = chosen;
        parts.switchTimes.clear();
        uint64_t answeredAt = 0;
        int statusAtSwitch = -1;
        boxes.ThenType(28, ui::kIdOk)
            .ThenType(6, ui::kIdOk, Code("6049"))
            .ThenType(29, ui::kIdOk, [&](ui::ModalDialog&) { answeredAt = clock.NowMs(); });
        MakeDialog();
        parts.onSwitch = [&] { statusAtSwitch = dlg->Client()->GetStatus(); };
        dlg->Client()->receiverAddress = facadetest::Ip(address.c_str());
        dlg->Connecting();
        EXPECT_EQ(boxes.StepsLeft(), 0u) << chosen;
        ASSERT_EQ(parts.switchTimes.size(), chosen ? 1u : 0u) << chosen;
        if (chosen) {
            EXPECT_GE(parts.switchTimes[0], answeredAt + 2000);
            EXPECT_EQ(statusAtSwitch, kVrxIdle);  // before the projection
        }
        EXPECT_EQ(dlg->Client()->GetStatus(), kVrxProjecting) << chosen;
        parts.onSwitch = nullptr;
        dlg.reset();
    }
}

TEST_F(MainDlgSimTest, AChoiceWithoutARowAndNoKeptReceiverSaysSoAndStaysSearching) {
    boxes.ThenType(28, ui::kIdOk).ThenType(10, ui::kIdOk);
    MakeDialog();
    dlg->Connecting();
    EXPECT_EQ(BoxTypes(), (std::vector<int>{28, 10}));
    EXPECT_EQ(boxes.Records()[1].text, appres::Translator::LoadString(65273));
    EXPECT_EQ(parts.pages.back(), kPageSearch);
    EXPECT_EQ(dlg->Client()->GetStatus(), kVrxDisconnected);
}

// The search page hands over what it found as a list only: the window logs
// in to the chosen receiver itself (asking for the code), and a cancelled
// question goes back to the search page.
TEST_F(MainDlgSimTest, AFoundListLogsInToTheChosenReceiver) {
    const auto listOnly = [this](ui::ModalDialog& d) {
        auto& page = static_cast<ui::CQKCommonDlg&>(d);
        page.Receivers() = {{"Sim", address}};
        page.SetListOnly(true);
        page.SetSelectedRow(0);
    };
    std::vector<std::vector<std::string>> passedOver;
    const auto listOnlyAgain = [&](ui::ModalDialog& d) {
        passedOver.push_back(static_cast<ui::CQKCommonDlg&>(d).PassedOver());
        listOnly(d);
    };
    boxes.ThenType(28, ui::kIdOk, listOnlyAgain)
        .ThenType(6, ui::kIdCancel)
        .ThenType(28, ui::kIdOk, listOnlyAgain)
        .ThenType(6, ui::kIdOk, Code("6049"));
    MakeDialog();
    dlg->Connecting();
    EXPECT_EQ(BoxTypes(), (std::vector<int>{28, 6, 28, 6}));
    // The declined receiver is not handed over by the page again by itself.
    EXPECT_EQ(passedOver, (std::vector<std::vector<std::string>>{{}, {address}}));
    EXPECT_EQ(boxes.TypeMismatches(), 0);
    EXPECT_EQ(dlg->Client()->GetStatus(), kVrxIdle);  // a session, not just a name
    EXPECT_EQ(dlg->Client()->receiverAddress, facadetest::Ip(address.c_str()));
    EXPECT_EQ(parts.shownNames, std::vector<std::string>{"Receiver " + address});
}

// Runs the looking-for-receiver page itself (its window and modal loop) and
// every other dialog from the script.
class RealSearchPageRunner : public ui::DialogRunner {
public:
    explicit RealSearchPageRunner(ui::ScriptedDialogRunner& script) : m_script(script) {}
    int DoModal(ui::ModalDialog& dialog) override {
        auto* page = dynamic_cast<ui::CQKCommonDlg*>(&dialog);
        if (page && page->Type() == 28) {
            ++pagesRun;
            return dialog.RunModal();
        }
        return m_script.DoModal(dialog);
    }
    int pagesRun = 0;

private:
    ui::ScriptedDialogRunner& m_script;
};

// A start handing a login or a presentation over while the search page is
// open: the command file's own client logs in, the page ends with that
// receiver, and the window takes it over without a second login.
TEST_F(MainDlgSimTest, AHandOffLoginEndsTheSearchPage) {
    const struct {
        const char* what;
        CommandAction action;
        int runnerStatus;
    } rows[] = {
        {"login", {"Login", address, "", "", "6049", ""}, kVrxIdle},
        {"presentation", {"Presentation", address, "0", "", "6049", ""}, kVrxProjecting},
    };
    // The page closes itself (to the tray) should nothing end it first.
    uint64_t giveUpAt = 0;
    headless->SetIdleHandler([&](int timeoutMs) {
        clock.Advance(timeoutMs >= 0 ? static_cast<uint64_t>(timeoutMs) : 1000);
        const platform::WindowId open = wm->ActiveTopLevel();
        if (clock.NowMs() > giveUpAt && open && dlg && open != dlg->Window()) {
            wm->Post(open, Message::Close());
        }
    });
    for (const auto& row : rows) {
        mainClient = nullptr;
        parts.shownNames.clear();
        parts.calls.clear();
        ui::ScriptedDialogRunner script;
        RealSearchPageRunner pageRunner(script);
        services.runner = &pageRunner;
        MakeDialog();
        giveUpAt = clock.NowMs() + 600000;
        actions.Push(row.action);
        wm->PostCommand(dlg->Window(), kCmdProcessCommandFile);
        dlg->Connecting();

        EXPECT_EQ(pageRunner.pagesRun, 1) << row.what;
        EXPECT_LT(clock.NowMs(), giveUpAt) << row.what << ": the page was not ended";
        EXPECT_TRUE(script.Records().empty()) << row.what;  // no login-code question
        ASSERT_EQ(dlg->Runner()->ClientCount(), 1u) << row.what;
        EXPECT_EQ(dlg->Runner()->Client(0).client->GetStatus(), row.runnerStatus) << row.what;
        // The window shows the receiver the command file logged in to.
        EXPECT_EQ(parts.shownNames, std::vector<std::string>{"Receiver " + address}) << row.what;
        EXPECT_EQ(dlg->Client()->receiverAddress, facadetest::Ip(address.c_str())) << row.what;
        EXPECT_EQ(dlg->Client()->GetStatus(), kVrxDisconnected) << row.what;
        ASSERT_EQ(dlg->Receivers().size(), 1u) << row.what;
        EXPECT_EQ(dlg->Receivers()[0].address, address) << row.what;
        EXPECT_EQ(parts.calls, std::vector<std::string>{"FetchConferenceInfo"}) << row.what;
        dlg.reset();
    }
    headless->SetIdleHandler([this](int timeoutMs) {
        if (timeoutMs >= 0) {
            clock.Advance(static_cast<uint64_t>(timeoutMs));
        }
    });
    services.runner = &boxes;
}

// The end of the window's set-up: the layered style where the display has
// it (dropped once the window shows), the tooltip window, and the client's
// mixer-ready flag where the sound can be captured (a current system, or a
// mixer driver on an older one; none exists here).
TEST_F(MainDlgTest, SetUpEndsWithLayeredStyleTooltipsAndTheMixerFlag) {
    const struct {
        int osCode;
        bool layeredSupport;
        bool mixerReady;
    } rows[] = {{19, true, true}, {17, false, true}, {16, true, false}};
    for (const auto& row : rows) {
        mainClient = nullptr;
        services.system.osCode = row.osCode;
        headless->SetLayeredSupport(row.layeredSupport);
        MakeDialog();
        EXPECT_EQ(dlg->Layered(), row.layeredSupport) << row.osCode;
        EXPECT_TRUE(dlg->TipWindow().Window()) << row.osCode;
        ASSERT_NE(dlg->Client(), nullptr);
        EXPECT_EQ(dlg->Client()->mixerReady.load(), row.mixerReady) << row.osCode;
        wm->Show(dlg->Window(), true);
        wm->PumpPending(platform::PumpKind::kAll);
        EXPECT_FALSE(dlg->Layered()) << row.osCode;
        dlg.reset();
    }
    headless->SetLayeredSupport(true);
}

// A choice closed to the tray stays there: the window is not shown again by
// the connect command that opened the choice.
TEST_F(MainDlgTest, AChoiceClosedToTheTrayKeepsTheWindowHidden) {
    services.discoverySeconds = 0;
    boxes.ThenType(28, ui::kIdCancel,
                   [](ui::ModalDialog& d) { static_cast<ui::CQKCommonDlg&>(d).SetCloseCode(2); });
    MakeDialog();
    wm->Send(dlg->Window(), Message::Command(kCmdConnect));
    EXPECT_FALSE(wm->IsVisible(dlg->Window()));
    EXPECT_FALSE(dlg->Exiting());
    EXPECT_EQ(boxes.Records().size(), 1u);
}

// Timer 251 starts one conference refresh at a time: the next waits for the
// report (10389); a refresh that never reports is given up after its limit,
// so the refresh goes on instead of stopping for good.
TEST_F(MainDlgTest, ConferenceRefreshesRunOneAtATimeAndAnUnreportedOneIsGivenUp) {
    services.discoverySeconds = 0;
    for (const bool reports : {true, false}) {
        std::vector<uint64_t> starts;
        parts.onFetch = [&] {
            starts.push_back(clock.NowMs());
            if (reports) {
                wm->PostCommand(dlg->Window(), kCmdConferenceInfoReady);
            }
        };
        MakeDialog();
        Advance(2000);  // the start-up's connect command arms timer 251
        for (int second = 0; second < 70; ++second) {
            Advance(1000);
        }
        ASSERT_GE(starts.size(), 2u) << reports;
        for (size_t i = 1; i < starts.size(); ++i) {
            const uint64_t gap = starts[i] - starts[i - 1];
            if (reports) {
                EXPECT_EQ(gap, 5000u) << i;
            } else {
                EXPECT_GE(gap, 20000u) << i;
                EXPECT_LE(gap, 25000u) << i;
            }
        }
        parts.onFetch = nullptr;
        dlg.reset();
    }
}

// The bottom edge shows the north-south sizing arrow while the page lets the
// window resize, and keeps it through a resize drag; elsewhere the arrow.
TEST_F(MainDlgTest, TheBottomEdgeShowsTheSizingArrow) {
    using platform::CursorShape;
    MakeDialog();
    const platform::WindowId w = dlg->Window();
    wm->Move(w, platform::Rect::FromXywh(100, 100, 526, 366));
    wm->Show(w, true);
    wm->PumpPending(platform::PumpKind::kAll);
    const struct {
        const char* what;
        bool resizable;
        platform::Point client;
        CursorShape cursor;
    } rows[] = {
        {"bottom edge", true, {200, 363}, CursorShape::kSizeNS},
        {"above it", true, {200, 300}, CursorShape::kArrow},
        {"bottom edge again", true, {200, 364}, CursorShape::kSizeNS},
        {"its left end", true, {3, 363}, CursorShape::kArrow},
        {"bottom edge, page fixed", false, {200, 363}, CursorShape::kArrow},
    };
    for (const auto& row : rows) {
        parts.allowResize = row.resizable;
        headless->MoveMouse({100 + row.client.x, 100 + row.client.y});
        wm->PumpPending(platform::PumpKind::kAll);
        ASSERT_NE(headless->State(w), nullptr);
        EXPECT_EQ(headless->State(w)->cursor, row.cursor) << row.what;
    }
    parts.allowResize = true;
    headless->MoveMouse({300, 463});
    wm->PumpPending(platform::PumpKind::kAll);
    headless->PressButton(platform::MouseButton::kLeft, {300, 463});
    headless->MoveMouse({300, 600});  // far below the edge: the window grows
    wm->PumpPending(platform::PumpKind::kAll);
    EXPECT_EQ(wm->GetRect(w)->Height(), 386);
    EXPECT_EQ(headless->State(w)->cursor, CursorShape::kSizeNS);
    headless->ReleaseButton(platform::MouseButton::kLeft, {300, 600});
    headless->MoveMouse({300, 200});
    wm->PumpPending(platform::PumpKind::kAll);
    EXPECT_EQ(headless->State(w)->cursor, CursorShape::kArrow);
}

TEST_F(MainDlgTest, ReceiverEntryTakesTheTextOnlyWhenConfirmed) {
    boxes.ThenType(30, ui::kIdOk, [](ui::ModalDialog& d) {
        static_cast<ui::CQKCommonDlg&>(d).SetEnteredText("Room 5");
    });
    boxes.ThenType(30, ui::kIdCancel, [](ui::ModalDialog& d) {
        static_cast<ui::CQKCommonDlg&>(d).SetEnteredText("typed, then cancelled");
    });
    MakeDialog();
    EXPECT_TRUE(dlg->AskReceiverEntry());
    EXPECT_EQ(dlg->EnteredReceiverText(), "Room 5");
    EXPECT_FALSE(dlg->AskReceiverEntry());
    EXPECT_EQ(dlg->EnteredReceiverText(), "Room 5");
}

// A lost connection reported again while the first report still has the
// search page's choice open is not handled twice.
TEST_F(MainDlgTest, ASecondConnectionLossDuringTheFirstDoesNothing) {
    boxes.ThenType(28, ui::kIdCancel, [this](ui::ModalDialog&) {
        wm->Send(dlg->Window(), Message::Command(kCmdConnectionClosed));
    });
    MakeDialog();
    wm->Send(dlg->Window(), Message::Command(kCmdConnectionClosed));
    EXPECT_EQ(boxes.Records().size(), 1u);
    EXPECT_EQ(boxes.Unexpected(), 0);
    // Handled: the next loss opens the choice again.
    wm->Send(dlg->Window(), Message::Command(kCmdConnectionClosed));
    EXPECT_EQ(boxes.Records().size(), 2u);
}

// A receiver added by address is listed at once: under its address until it
// has a name, never twice, and a name is not lost to a nameless add.
TEST_F(MainDlgTest, AnAddedReceiverJoinsTheListAtOnce) {
    MakeDialog();
    const struct {
        ReceiverRow added;
        std::vector<ReceiverRow> listed;
    } steps[] = {
        {{"", "10.0.0.7"}, {{"10.0.0.7", "10.0.0.7"}}},
        {{"Room 7", "10.0.0.7"}, {{"Room 7", "10.0.0.7"}}},
        {{"", "10.0.0.7"}, {{"Room 7", "10.0.0.7"}}},
        {{"Hall", "10.0.0.8"}, {{"Room 7", "10.0.0.7"}, {"Hall", "10.0.0.8"}}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.added.name + "@" + step.added.address);
        parts.lists.clear();
        dlg->AddListedReceiver(step.added);
        EXPECT_EQ(dlg->Receivers(), step.listed);
        ASSERT_EQ(parts.lists.size(), 1u);  // the window's list follows at once
        EXPECT_EQ(parts.lists[0], step.listed);
    }
    parts.lists.clear();
    dlg->AddListedReceiver({"Nowhere", ""});
    EXPECT_EQ(dlg->Receivers().size(), 2u);
    EXPECT_TRUE(parts.lists.empty());
}

TEST_F(MainDlgTest, TheSearchTimerWaitsWhileTheDeviceNameIsEdited) {
    services.discoverySeconds = 0;
    MakeDialog();
    const int before = clientsMade;
    parts.editVisible = true;
    dlg->OnTimer(kTimerSearch);
    EXPECT_EQ(clientsMade, before);  // no discovery client made
    parts.editVisible = false;
    dlg->OnTimer(kTimerSearch);
    EXPECT_EQ(clientsMade, before + 1);
}

Message KeyDown(platform::Key key) {
    Message m;
    m.kind = platform::MessageKind::kKeyDown;
    m.key = key;
    return m;
}

TEST_F(MainDlgTest, KeysOfTheMainWindow) {
    using platform::Key;
    const struct {
        const char* what;
        Key key;
        bool editVisible, listPage;
        std::vector<std::string> calls;
        bool listPageAfter;
    } rows[] = {
        {"Enter commits the name",
         Key::kReturn,
         true,
         false,
         {"SetDeviceName Conference room ", "HideDeviceNameEdit"},
         false},
        {"Enter on the list page", Key::kReturn, false, true, {"TakeChosenListReceiver"}, true},
        {"Esc cancels the name", Key::kEscape, true, true, {"CancelDeviceNameEdit"}, true},
        {"Esc leaves the list page", Key::kEscape, false, true, {"LeaveListPage"}, false},
        {"Esc elsewhere", Key::kEscape, false, false, {}, false},
        {"Up", Key::kUp, false, true, {"ScrollReceiverList -1"}, true},
        {"Down", Key::kDown, false, true, {"ScrollReceiverList 1"}, true},
        {"F5", Key::kF5, false, false, {"RefreshSenderStatus"}, false},
        {"Space", Key::kSpace, false, false, {}, false},
    };
    MakeDialog();
    for (const auto& row : rows) {
        parts.calls.clear();
        parts.editVisible = row.editVisible;
        parts.editText = "Conference room A1 (2nd floor)";
        dlg->SetListPage(row.listPage);
        wm->Send(dlg->Window(), KeyDown(row.key));
        EXPECT_EQ(parts.calls, row.calls) << row.what;
        EXPECT_EQ(dlg->ListPage(), row.listPageAfter) << row.what;
        EXPECT_FALSE(dlg->Exiting()) << row.what;  // no key ends the main window
    }
    EXPECT_TRUE(boxes.Records().empty());
}

// The PC's speakers are quiet while the main client projects, and sound
// again after its stop; one muted before the program started stays muted.
TEST_F(MainDlgSimTest, TheSpeakersAreMutedWhileProjecting) {
    for (const bool mutedBefore : {false, true}) {
        mainClient = nullptr;
        platform::FakeAudioEndpoint speakers;
        speakers.muted = mutedBefore;
        services.system.audio = &speakers;
        services.system.osCode = 19;
        boxes.ThenType(6, ui::kIdOk, Code("6049"));
        MakeDialog();
        dlg->Client()->SetEventTarget(dlg->Window(), kMainDialogTargetName);
        ASSERT_TRUE(dlg->LoginToReceiver(address));
        EXPECT_EQ(speakers.muted, mutedBefore);  // a login alone does not mute
        ASSERT_FALSE(dlg->Presentation(128));
        EXPECT_TRUE(speakers.muted) << mutedBefore;
        ASSERT_GE(dlg->StopProjection(), 0);
        EXPECT_EQ(speakers.muted, mutedBefore);
        dlg.reset();
        EXPECT_EQ(speakers.muted, mutedBefore);
    }
}

Message Mouse(platform::MessageKind kind, int x, int y) {
    Message m;
    m.kind = kind;
    m.point = {x, y};
    m.button = platform::MouseButton::kLeft;
    return m;
}

TEST_F(MainDlgTest, TheBottomEdgeResizesInStepsUpTo406) {
    using platform::MessageKind;
    parts.allowResize = true;
    MakeDialog();
    const platform::WindowId w = dlg->Window();
    wm->Move(w, platform::Rect::FromXywh(100, 100, 526, 366));
    wm->Send(w, Mouse(MessageKind::kButtonDown, 200, 363));  // in the bottom edge
    for (int i = 0; i < 3; ++i) {
        wm->Send(w, Mouse(MessageKind::kMouseMove, 200, 366 + 100));  // 100 px below it
    }
    EXPECT_EQ(parts.heights, (std::vector<int>{386, 406}));
    EXPECT_EQ(wm->GetRect(w)->Height(), 406);
    EXPECT_EQ(wm->GetRect(w)->top, 100);  // the top edge stays
    wm->Send(w, Mouse(MessageKind::kButtonUp, 200, 466));
    // Without the page's leave: a press at the edge only drags.
    parts.allowResize = false;
    wm->Send(w, Mouse(MessageKind::kButtonDown, 200, 403));
    wm->Send(w, Mouse(MessageKind::kMouseMove, 230, 413));
    wm->Send(w, Mouse(MessageKind::kButtonUp, 230, 413));
    EXPECT_EQ(*wm->GetRect(w), platform::Rect::FromXywh(130, 110, 526, 406));
    wm->Send(w, Mouse(MessageKind::kMouseMove, 300, 300));  // released: no drag
    EXPECT_EQ(*wm->GetRect(w), platform::Rect::FromXywh(130, 110, 526, 406));
}

TEST_F(MainDlgTest, AClickElsewhereCommitsTheDeviceNameAndTheWheelScrolls) {
    using platform::MessageKind;
    MakeDialog();
    const platform::WindowId w = dlg->Window();
    parts.editVisible = true;
    parts.editWindow = platform::WindowId::FromValue(w.Value() + 1000);  // another window
    parts.editText = "Lobby";
    wm->Send(w, Mouse(MessageKind::kButtonDown, 50, 50));
    wm->Send(w, Mouse(MessageKind::kButtonUp, 50, 50));
    EXPECT_EQ(parts.calls, (std::vector<std::string>{"SetDeviceName Lobby", "HideDeviceNameEdit"}));
    parts.calls.clear();
    Message wheel;
    wheel.kind = MessageKind::kWheel;
    wheel.param = -1;
    wm->Send(w, wheel);
    wheel.param = 2;
    wm->Send(w, wheel);
    EXPECT_EQ(parts.calls,
              (std::vector<std::string>{"ScrollReceiverList 1", "ScrollReceiverList -1"}));
}

TEST_F(MainDlgTest, TheEndOfAWifiJoinReturnsToTheSearchPage) {
    const struct {
        int64_t result;
        bool box;
    } rows[] = {{50001, false}, {kWifiInUse, false}, {50005, false}, {kWifiNotManaged, true}};
    boxes.ThenType(12, ui::kIdOk);
    MakeDialog();
    for (const auto& row : rows) {
        parts.calls.clear();
        parts.pages.clear();
        const size_t before = boxes.Records().size();
        wm->Send(dlg->Window(), Message::Command(kCmdWifiResult, row.result));
        EXPECT_EQ(boxes.Records().size() - before, row.box ? 1u : 0u) << row.result;
        EXPECT_EQ(parts.calls, std::vector<std::string>{"EndWifiWait"}) << row.result;
        EXPECT_EQ(parts.pages, std::vector<int>{kPageSearch}) << row.result;
    }
    ASSERT_EQ(boxes.Records().size(), 1u);
    EXPECT_EQ(boxes.Records()[0].text, appres::Translator::LoadString(65320));
    EXPECT_EQ(boxes.Unexpected(), 0);
}

// A search tries the current connection profile first; only a profile
// that found nothing (-1) goes on to the listed receivers, and a reached
// or abandoned one does not.
TEST_F(MainDlgTest, TheSearchCommandTriesTheQuickProfileFirst) {
    MakeDialog();
    const std::pair<int, bool> rows[] = {{-1, true}, {0, false}, {-2, false}};
    for (auto [result, listed] : rows) {
        parts.quickProfileResult = result;
        parts.calls.clear();
        parts.tileRefreshes.clear();
        wm->Send(dlg->Window(), Message::Command(kCmdMenuSearch, 0));
        EXPECT_EQ(parts.calls, std::vector<std::string>{"RunQuickProfile"}) << result;
        // Connecting ends by refreshing the tiles.
        EXPECT_EQ(!parts.tileRefreshes.empty(), listed) << result;
    }
}

TEST_F(MainDlgTest, ConferenceInformationChoosesTheTallSize) {
    MakeDialog();
    for (const int rows : {4, 2}) {
        parts.calls.clear();
        parts.conferenceRows = rows;
        wm->Send(dlg->Window(), Message::Command(kCmdConferenceInfoReady));
        EXPECT_EQ(dlg->TallSize(), rows > 2);
        EXPECT_EQ(parts.calls, (std::vector<std::string>{
                                   rows > 2 ? "SetMainWindowHeight 4" : "SetMainWindowHeight 2",
                                   "RedrawConferenceThumbnails"}));
        // The hidden window waits centred at its size.
        Advance(100);
        EXPECT_EQ(wm->GetRect(dlg->Window())->Height(), rows > 2 ? 400 : 230);
    }
}

TEST_F(MainDlgTest, ADoubleClickMessageBringsTheWindowForward) {
    MakeDialog();
    wm->Send(dlg->Window(), Message::User(kBringForwardMessage, 513));
    EXPECT_FALSE(wm->IsVisible(dlg->Window()));  // not a double click
    wm->Send(dlg->Window(), Message::User(kBringForwardMessage, kBringForwardDoubleClick));
    EXPECT_TRUE(wm->IsVisible(dlg->Window()));
}

TEST_F(MainDlgTest, CaptureSwitchesFollowTheVerticalSyncSetting) {
    for (const bool off : {true, false}) {
        services.settings.turnOffVsync = off;
        MakeDialog();
        EXPECT_EQ(GetDXEMode(), 1);
        EXPECT_EQ(GetDXEVSync(), off ? 0 : 1);
        dlg.reset();
    }
}

// The sound-device helper gets the system log's path when logging is on.
TEST_F(MainDlgTest, TheSoundHelperStartsWithTheSystemLogPath) {
    const std::string folder = dir.File("helper");
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    const std::string out = dir.File("helper-argument");
    {
        std::ofstream script(folder + "/Wemble");
        script << "#!/bin/sh\necho \"$1\" > \"" << out << ".tmp\" && mv \"" << out << ".tmp\" \""
               << out << "\"\n";
    }
    ASSERT_EQ(::chmod((folder + "/Wemble").c_str(), 0755), 0);
    services.helperFolder = folder;
    services.settings.logFile = "lib.log";
    MakeDialog();
    std::string argument;
    for (int i = 0; i < 1000 && argument.empty(); ++i) {  // until the helper has written
        std::ifstream in(out);
        std::getline(in, argument);
        if (argument.empty()) {
            ::usleep(10000);
        }
    }
    EXPECT_EQ(argument, services.paths.logFolder + "/System.log");
}

// The client's stop notice ends USB sharing only when nothing streams any
// more: a start replaces the running stream with a stop of its own first.
TEST_F(MainDlgTest, AStopNoticeEndsUsbSharingOnlyWhenNothingStreams) {
    const struct {
        const char* what;
        int status;
        bool modeSwitch;
        bool stops;
    } rows[] = {
        {"stopped", kVrxIdle, false, true},
        {"replaced by a new start", kVrxProjecting, false, false},
        {"a media file plays", kVrxMediaPlaying, false, false},
        {"a mode switch restarts", kVrxIdle, true, false},
    };
    MakeDialog();
    for (const auto& row : rows) {
        parts.usbSharing = true;
        mainClient->status = row.status;
        dlg->SetModeSwitching(row.modeSwitch);
        wm->Send(dlg->Window(), Message::Command(kCmdStopPlayImage));
        EXPECT_EQ(!parts.usbSharing, row.stops) << row.what;
    }
}

// While USB sharing attaches a device, Presentation sends no start request
// and takes the success path.
TEST_F(MainDlgSimTest, PresentationDuringTheUsbAttachSendsNoStart) {
    parts.usbAttaching = true;
    boxes.ThenType(6, ui::kIdOk, Code("6049"));
    MakeDialog();
    ASSERT_TRUE(dlg->LoginToReceiver(address));
    EXPECT_FALSE(dlg->Presentation(3));
    EXPECT_EQ(dlg->PlayState(), kPlayBegun | kPlayStopped | (1u << 20));
    EXPECT_EQ(dlg->Client()->GetStatus(), kVrxIdle);  // nothing was started
    EXPECT_TRUE(rig.sim->sim->FramesWithCode(0x86).empty());
}

// After the receiver's access-point-client setup: the key and the main
// client's receiver name go to the settings file as handed in, the notice is
// the window's, and timer 212 ends the program.
TEST_F(MainDlgTest, AnApClientSetupKeepsTheKeyAndTimer212EndsTheProgram) {
    std::filesystem::create_directories(services.paths.configFolder);
    std::ofstream(services.paths.settingsFile, std::ios::binary) << "[Quorvane_Sender]\n";
    SettingsFile settings(services.paths, nullptr);
    services.settingsFile = &settings;
    MakeDialog();
    ASSERT_NE(mainClient, nullptr);
    mainClient->receiverName = "Hall 9";
    dlg->StoreDeviceNameAndWifiKey("key with blanks");
    EXPECT_EQ(settings.ReadSetting("DeviceNameByVornCipher"), "Hall 9");
    EXPECT_EQ(settings.ReadSetting("WifiKeyByVornCipher"), "key with blanks");
    dlg->ShowReceiverRebootNotice();
    EXPECT_EQ(parts.calls, std::vector<std::string>{"ShowReceiverRebootNotice"});

    ASSERT_TRUE(wm->SetTimer(dlg->Window(), ui::kMainTimerRebootExit, 20000));
    Advance(19999);
    EXPECT_FALSE(dlg->Exiting());
    Advance(1);
    EXPECT_TRUE(dlg->Exiting());
    dlg.reset();
    services.settingsFile = nullptr;
}

}  // namespace
}  // namespace pemuapp
