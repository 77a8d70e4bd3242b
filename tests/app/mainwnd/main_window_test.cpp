// The main window on the headless window layer, attached to the engine with
// a recording client: the page built from its table, the tile modes, the
// presented pixels read through the skin's marker pixels, hover and clicks
// injected as pointer input, the tile actions' guards, and the settings
// panel with scripted dialogs and the fake audio output.
#include "app/mainwnd/main_window.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/features/main_window_features.h"
#include "app/maindlg/main_dlg.h"
#include "app/mainwnd/main_feature_host.h"
#include "app/mainwnd/wifi_join.h"
#include "app/mainwnd/window_shape.h"
#include "app/res/skin_marker.h"
#include "app/settings/settings_file.h"
#include "app/startup/command_runner.h"
#include "platform/audio/fake_audio_endpoint.h"
#include "platform/controls/edit.h"
#include "platform/fake_clock.h"
#include "platform/fake_wifi_provider.h"
#include "platform/window/headless_backend.h"
#include "tests/app/mainwnd/recording_client.h"
#include "tests/receiver/conference/ConferenceReply.h"
#include "tests/support/TempDir.h"
#include "tests/ui/dialogs/scripted_dialog_runner.h"
#include "ui/dialogs/cqk_common_dlg.h"
#include "ui/widgets/qk_blank_item.h"
#include "ui/widgets/qk_list_view.h"
#include "ui/widgets/qk_text.h"
#include "ui/widgets/widget_events.h"

namespace pemuapp {
namespace {

constexpr uint32_t kOwnAddress = 0x0A000005;  // 10.0.0.5, host order

PositionRecord Record(const char* name, uint32_t hostAddress, int state, std::string lock = "") {
    PositionRecord r;
    r.displayName = name;
    r.address = htonl(hostAddress);
    r.state = state;
    r.lockText = std::move(lock);
    return r;
}

class MainWindowTest : public testing::Test {
protected:
    void SetUp() override {
        auto backend = std::make_unique<platform::HeadlessBackend>(platform::Rect{0, 0, 1280, 800});
        headless = backend.get();
        wm = platform::WindowManager::Create(std::move(backend), &clock);
        ASSERT_NE(wm, nullptr);
        MainWindowHooks hooks;
        hooks.sendNccControl = [this](const PositionRecord& r) {
            ncc.push_back(r);
            return 0;
        };
        hooks.askLockCode = [this](const PositionRecord&) { return lockAnswer; };
        hooks.ownAddresses = [] { return std::vector<uint32_t>{htonl(kOwnAddress)}; };
        hooks.refreshConference = [this] {
            ++conferenceReads;
            return true;
        };
        hooks.measure = [](const std::string& text, const std::string&, int, int) {
            return static_cast<int>(text.size()) * 7;
        };
        hooks.audio = &audio;
        hooks.profileFile = ProfilePath();
        hooks.closeUsbNotice = [this] { ++usbNoticeCloses; };
        page = std::make_unique<MainWindow>(*wm, std::move(hooks));
        services.paths = SenderPaths::Under(dir.File("config"), dir.File("data"));
        services.runner = &boxes;
        services.parts = page.get();
        services.userName = "ann";
        services.writeAppLog = false;
        services.makeClient = [this]() -> std::unique_ptr<CQKVRXClientEx> {
            auto c = std::make_unique<RecordingClient>();
            if (!client) {
                client = c.get();
            } else {
                c->connectResult = laterConnectResult;
                later.push_back(c.get());
            }
            return c;
        };
        PrepareServices();
        engine = std::make_unique<CQKinMainDlg>(*wm, services);
        page->Attach(*engine);
        ASSERT_TRUE(engine->Create());
        ASSERT_NE(client, nullptr);
        wm->Move(engine->Window(), platform::Rect::FromXywh(kLeft, kTop, 526, 230));
        wm->Show(engine->Window(), true);
        // The engine's start-up steps and its hidden-window keeper stay out
        // of these tests: the page is what they look at.
        wm->KillTimer(engine->Window(), kTimerKeepHidden);
        wm->KillTimer(engine->Window(), kTimerStartPause);
        Pump();
    }
    void TearDown() override {
        engine.reset();
        page.reset();
        wm.reset();
    }
    // A fixture's own services before the engine is made.
    virtual void PrepareServices() {}
    std::string ProfilePath() {
        return SenderPaths::Under(dir.File("config"), dir.File("data")).configFolder +
               "/profile.ini";
    }
    void WriteProfiles(const std::string& text) {
        std::filesystem::create_directories(std::filesystem::path(ProfilePath()).parent_path());
        std::ofstream(ProfilePath(), std::ios::binary) << text;
    }
    void Pump() { wm->PumpPending(platform::PumpKind::kAll); }
    void Connect(PositionList list) {
        client->status = kVrxIdle;
        page->SetPositions(std::move(list));
        page->AdjustHeightAndTiles();
        Pump();
    }
    bool Shown(uint32_t id) {
        ui::CQKin* w = page->FindWidget(id);
        return w && w->VisibleFlag();
    }
    // The marker of the picture presented with its top-left at client (x, y).
    std::optional<appres::SkinMarker> PresentedMarker(int x, int y) {
        const auto* state = headless->State(engine->Window());
        if (!state || !state->presented) {
            return std::nullopt;
        }
        const platform::Point m{x + appres::kSkinMarkerOffset.x, y + appres::kSkinMarkerOffset.y};
        if (m.x >= state->presented->Width() || m.y >= state->presented->Height()) {
            return std::nullopt;
        }
        return appres::ReadSkinMarker(state->presented->PixelAt(m.x, m.y));
    }
    // Moves the pointer and waits out the hover time.
    void MoveTo(int x, int y) {
        headless->MoveMouse({kLeft + x, kTop + y});
        Pump();
        clock.Advance(20);  // past the widgets' hover time
        Pump();
    }
    // A click of its own (not the second half of a double click).
    void ClickAt(int x, int y) {
        MoveTo(x, y);
        clock.Advance(1000);
        Pump();
        headless->Click(platform::MouseButton::kLeft, {kLeft + x, kTop + y});
        Pump();
    }

    static constexpr int kLeft = 200, kTop = 100;
    testsupport::TempDir dir;
    platform::FakeClock clock{100000};
    platform::HeadlessBackend* headless = nullptr;
    std::unique_ptr<platform::WindowManager> wm;
    ui::ScriptedDialogRunner boxes;
    platform::FakeAudioEndpoint audio;
    CQKinMainDlg::Services services;
    std::unique_ptr<MainWindow> page;
    std::unique_ptr<CQKinMainDlg> engine;
    RecordingClient* client = nullptr;
    std::vector<PositionRecord> ncc;
    std::optional<std::string> lockAnswer;
    int conferenceReads = 0;
    int usbNoticeCloses = 0;
    // The clients made after the main one (the command runner's).
    int laterConnectResult = -1;
    std::vector<RecordingClient*> later;
};

TEST_F(MainWindowTest, ThePageIsBuiltFromItsTableWithOneFrameButtonsAndALimitedNameBox) {
    EXPECT_EQ(MainPageTable().size(), 45u);
    EXPECT_EQ(MainPageTable().front().id, kBackgroundId);
    EXPECT_EQ(MainPageTable().back().id, kListViewId);
    // 44 widgets: the name box is the template's edit control.
    EXPECT_EQ(page->Widgets().size(), 44u);
    for (uint32_t id : {kExitButtonId, kMinButtonId, kSettingsButtonId}) {
        ASSERT_NE(page->FindWidget(id), nullptr) << id;
        EXPECT_EQ(page->FindWidget(id)->GetRect().Width(), 25) << id;
        EXPECT_EQ(page->FindWidget(id)->GetRect().Height(), 25) << id;
    }
    auto* edit = dynamic_cast<platform::Edit*>(page->DeviceNameEdit());
    ASSERT_NE(edit, nullptr);
    EXPECT_FALSE(edit->IsVisible());
    EXPECT_EQ(edit->Limit(), kDeviceNameLimit);
    // A click on the device name opens the box; typing stops at 16.
    page->DoEvent(*page->FindWidget(kDeviceNameTextId), ui::kEventTextClick);
    EXPECT_TRUE(edit->IsVisible());
    EXPECT_TRUE(page->IsDeviceNameEditVisible());
    for (char c = 'A'; c <= 'Z'; ++c) {
        headless->TypeChar(static_cast<uint32_t>(c));
    }
    Pump();
    EXPECT_EQ(edit->Text(), "ABCDEFGHIJKLMNOP");
    // Not connected: no tile.
    EXPECT_FALSE(Shown(kTileButtonFirst));
    EXPECT_FALSE(Shown(kNameFirst));
}

TEST_F(MainWindowTest, ThreeRecordsGiveFourTileModeWithTheFourthTileHidden) {
    Connect({Record("a", 0x0A000001, 0), Record("b", 0x0A000002, 0), Record("c", 0x0A000003, 0)});
    EXPECT_TRUE(page->FourTiles());
    EXPECT_EQ(wm->GetRect(engine->Window())->Height(), 400);
    EXPECT_EQ(wm->GetRect(engine->Window())->Width(), 526);
    ASSERT_TRUE(wm->GetRegion(engine->Window()));
    EXPECT_EQ(wm->GetRegion(engine->Window())->Bounds(), (platform::Rect{0, 0, 526, 400}));
    for (int k = 0; k < 3; ++k) {
        EXPECT_TRUE(Shown(kTileButtonFirst + k)) << k;
        EXPECT_TRUE(Shown(kNameFirst + k)) << k;
    }
    EXPECT_FALSE(Shown(kTileButtonFirst + 3));
    EXPECT_FALSE(Shown(kTileImageFirst + 3));
    EXPECT_FALSE(Shown(kSignalFirst + 3));
    // The presented page: the four-tile background, and tile 3's empty picture.
    EXPECT_EQ(PresentedMarker(0, 0), (appres::SkinMarker{static_cast<int>(kBitmapFourTiles), 0}));
    EXPECT_EQ(PresentedMarker(36, 230),
              (appres::SkinMarker{static_cast<int>(kBitmapEmptyTile), 0}));
    EXPECT_EQ(page->FindWidget(kNameFirst + 2)->Caption(), "c");

    // Back to two records: two tiles, 526 x 230, and nothing below row 230.
    Connect({Record("a", 0x0A000001, 0), Record("", 0x0A000002, 0)});
    EXPECT_FALSE(page->FourTiles());
    EXPECT_EQ(wm->GetRect(engine->Window())->Height(), 230);
    EXPECT_EQ(wm->GetRegion(engine->Window())->Bounds(), (platform::Rect{0, 0, 526, 230}));
    EXPECT_EQ(page->CopyHeight(), 230);
    EXPECT_EQ(PresentedMarker(0, 0), (appres::SkinMarker{static_cast<int>(kBitmapTwoTiles), 0}));
    EXPECT_EQ(page->FindWidget(kNameFirst + 1)->Caption(), "10.0.0.2");
}

TEST_F(MainWindowTest, TwoTileModeNeverPresentsTheRowsBelow230) {
    Connect({Record("a", 0x0A000001, 0)});
    // The back buffer holds four-tile pictures below row 230; the window is
    // 230 high and nothing presented reaches further.
    const auto* state = headless->State(engine->Window());
    ASSERT_NE(state, nullptr);
    ASSERT_NE(state->presented, nullptr);
    EXPECT_LE(state->presented->Height(), 230);
    page->DrawPage();
    headless->Expose(engine->Window(), platform::Rect{0, 0, 526, 400});
    Pump();
    EXPECT_LE(headless->State(engine->Window())->presented->Height(), 230);
}

TEST_F(MainWindowTest, HoveringAProjectingTileShowsThePauseOverlay) {
    Connect({Record("a", 0x0A000001, kPositionProjecting), Record("b", 0x0A000002, 0)});
    // The tile's centre as presented before and after the pointer came.
    const platform::Point centre{36 + 106, 57 + 60};
    const platform::Argb before =
        headless->State(engine->Window())->presented->PixelAt(centre.x, centre.y);
    MoveTo(120, 100);
    EXPECT_TRUE(Shown(kPauseFirst));
    EXPECT_FALSE(Shown(kPlayFirst));
    EXPECT_TRUE(Shown(kHighlightFirst));
    EXPECT_NE(headless->State(engine->Window())->presented->PixelAt(centre.x, centre.y), before);
    // The other tile shows play when the pointer moves there.
    MoveTo(360, 100);
    EXPECT_FALSE(Shown(kPauseFirst));
    EXPECT_TRUE(Shown(kPlayFirst + 2));
    MoveTo(10, 215);
    EXPECT_FALSE(Shown(kPlayFirst + 2));
}

TEST_F(MainWindowTest, TileClicksDoNothingWhileTheyMayNot) {
    const PositionList list = {Record("a", 0x0A000001, 0), Record("b", 0x0A000002, 0)};
    struct Case {
        const char* what;
        std::function<void()> arrange;
    };
    const Case cases[] = {
        {"not connected", [this] { client->status = kVrxDisconnected; }},
        {"busy", [this] { client->busy = true; }},
        {"list open", [this] { page->OnDeviceListButton(); }},
    };
    for (const Case& c : cases) {
        Connect(list);
        client->busy = false;
        c.arrange();
        if (client->status == kVrxDisconnected) {
            page->RefreshTiles(kBackgroundId);
        }
        page->OnTileClick(0);
        EXPECT_TRUE(ncc.empty()) << c.what;
        EXPECT_TRUE(client->calls.empty()) << c.what;
        if (page->ListShown()) {
            page->OnDeviceListButton();
        }
    }
    // Refused by the settings panel being open: the click comes while it runs.
    Connect(list);
    boxes.ThenType(33, ui::kIdCancel, [this](ui::ModalDialog&) { page->OnTileClick(0); });
    page->OnSettingsButton();
    EXPECT_TRUE(ncc.empty());
}

TEST_F(MainWindowTest, TheOwnTileStartsThenStops) {
    Connect({Record("me", kOwnAddress, 0), Record("b", 0x0A000002, 0)});
    ClickAt(120, 100);
    EXPECT_EQ(client->calls.back(), "start(128)");
    EXPECT_EQ(page->ModeratedTile(), 0);
    EXPECT_EQ(page->Positions()[0].state, kPositionProjecting);
    EXPECT_TRUE(ncc.empty());
    ClickAt(120, 100);
    EXPECT_EQ(client->calls.back(), "stop");
    EXPECT_EQ(page->ModeratedTile(), -1);
    EXPECT_EQ(page->Positions()[0].state, kPositionIdle);
}

TEST_F(MainWindowTest, AnotherSendersTileSendsOneRequestUnlessItsCodeIsRefused) {
    Connect({Record("a", 0x0A000001, 0), Record("b", 0x0A000002, 0, "4321")});
    page->OnTileClick(0);
    ASSERT_EQ(ncc.size(), 1u);
    EXPECT_EQ(ncc[0].state, kPositionProjecting);
    EXPECT_EQ(ncc[0].position, 128);
    EXPECT_EQ(ncc[0].address, htonl(0x0A000001));
    EXPECT_EQ(page->ModeratedTile(), 0);
    // Clicking again stops it.
    page->OnTileClick(0);
    ASSERT_EQ(ncc.size(), 2u);
    EXPECT_EQ(ncc[1].state, kPositionIdle);
    EXPECT_EQ(page->ModeratedTile(), -1);
    // A locked position: refused code, no request, the tile stays usable.
    lockAnswer.reset();
    page->OnTileClick(1);
    EXPECT_EQ(ncc.size(), 2u);
    lockAnswer = "4321";
    page->OnTileClick(1);
    ASSERT_EQ(ncc.size(), 3u);
    EXPECT_EQ(ncc[2].lockText, "4321");
}

TEST_F(MainWindowTest, AnIndexPastTheListAndAnEmptyListReleaseTheTile) {
    Connect({Record("a", 0x0A000001, 0)});
    page->OnTileClick(2);
    EXPECT_TRUE(ncc.empty());
    Connect({});
    page->OnTileClick(0);
    EXPECT_TRUE(ncc.empty());
    // The tiles are usable again afterwards.
    Connect({Record("a", 0x0A000001, 0)});
    page->OnTileClick(0);
    page->OnTileClick(2);
    page->OnTileClick(0);
    EXPECT_EQ(ncc.size(), 2u);
}

TEST_F(MainWindowTest, SettingsCancelChangesNothing) {
    Connect({Record("a", 0x0A000001, 0)});
    client->status = kVrxProjecting;
    audio.volume = 0.5f;
    const SenderSettings before = engine->Settings();
    boxes.ThenType(33, ui::kIdCancel, [](ui::ModalDialog& d) {
        auto& dlg = static_cast<ui::CQKCommonDlg&>(d);
        dlg.SetFrameRateLimit(12);
        dlg.SetVolume(0);
        dlg.SetLoginCode("9999");
    });
    page->OnSettingsButton();
    EXPECT_EQ(engine->Settings().maxFps, before.maxFps);
    EXPECT_EQ(engine->Settings().loginCode, before.loginCode);
    EXPECT_EQ(audio.volume, 0.5f);
    EXPECT_TRUE(client->calls.empty());
    EXPECT_FALSE(page->IsMenuLocked());
}

TEST_F(MainWindowTest, VolumeValuesGiveMuteAndScalar) {
    struct Case {
        int value;
        bool muted;
        float scalar;
    };
    const Case cases[] = {
        {0, true, 0.0f}, {69, false, 0.5f}, {138, false, 1.0f}, {157, false, 1.0f}};
    for (const Case& t : cases) {
        boxes.ThenType(33, ui::kIdOk, [&t](ui::ModalDialog& d) {
            auto& dlg = static_cast<ui::CQKCommonDlg&>(d);
            dlg.SetVolume(t.value);
            dlg.SetTurnOffAudio(false);
        });
        page->OnSettingsButton();
        EXPECT_EQ(audio.muted, t.muted) << t.value;
        EXPECT_FLOAT_EQ(audio.volume, t.scalar) << t.value;
    }
}

TEST_F(MainWindowTest, AFrameRateChangeWhileProjectingRestartsTheStream) {
    Connect({Record("a", 0x0A000001, 0)});
    client->status = kVrxProjecting;
    const int fps = engine->Settings().maxFps == 20 ? 25 : 20;
    boxes.ThenType(33, ui::kIdOk, [fps](ui::ModalDialog& d) {
        static_cast<ui::CQKCommonDlg&>(d).SetFrameRateLimit(fps);
    });
    page->OnSettingsButton();
    EXPECT_EQ(client->calls,
              (std::vector<std::string>{"stop", "fps(" + std::to_string(fps) + ")", "start(128)"}));
    EXPECT_EQ(engine->Settings().maxFps, fps);
}

TEST_F(MainWindowTest, TheReceiverListLeavesOutTheReceiverInUse) {
    page->ShowReceiverName("Room A");
    page->FillReceiverList(
        {{"Room A", "10.0.0.1"}, {"Room B", "10.0.0.2"}, {"Room C", "10.0.0.3"}});
    ui::CQKListView* list = page->ListView();
    ASSERT_NE(list, nullptr);
    auto name = [list](int row) {
        auto* item = dynamic_cast<ui::CQKBlankItem*>(list->Row(row));
        return item && item->DeviceNameText() ? item->DeviceNameText()->Caption() : std::string();
    };
    ASSERT_EQ(list->RowCount(), 2);
    EXPECT_EQ(name(0), "Room B");
    EXPECT_EQ(name(1), "Room C");
}

TEST_F(MainWindowTest, AFailedLoginFromTheListKeepsThePreviousReceiverWithoutARedraw) {
    page->ShowReceiverName("Room A");
    page->FillReceiverList({{"Room A", "10.0.0.1"}, {"Room B", "10.0.0.2"}});
    page->OnDeviceListButton();
    EXPECT_TRUE(page->ListShown());
    Pump();
    const int presents = headless->State(engine->Window())->presentCount;
    page->ListView()->SetSelection(0);
    page->DoEvent(*page->ListView(), 2);
    EXPECT_EQ(client->calls, (std::vector<std::string>{"connect"}));
    EXPECT_FALSE(page->ListShown());
    EXPECT_EQ(page->FindWidget(kDeviceNameTextId)->Caption(), "Room A");
    EXPECT_EQ(headless->State(engine->Window())->presentCount, presents);
}

TEST_F(MainWindowTest, TheResolutionQuestionComesOnlyOffFullHd) {
    struct Case {
        platform::Size screen;
        bool possible;
        int answer;  // 0: no question expected
        const char* stored;
    };
    const Case cases[] = {
        {{1920, 1080}, true, 0, nullptr},
        {{1366, 768}, false, 0, nullptr},
        {{1366, 768}, true, ui::kIdOk, "true"},
        {{2560, 1440}, true, ui::kIdCancel, "false"},
    };
    for (const Case& t : cases) {
        MainWindowHooks hooks;
        hooks.primaryScreen = [&t] { return t.screen; };
        hooks.canChangeResolution = [&t] { return t.possible; };
        MainWindow window(*wm, hooks);
        window.Attach(*engine);
        const size_t before = boxes.Records().size();
        if (t.answer) {
            boxes.ThenType(38, t.answer);
        }
        window.CheckResolution();
        SCOPED_TRACE(testing::Message() << t.screen.width << "x" << t.screen.height);
        ASSERT_EQ(boxes.Records().size(), before + (t.answer ? 1 : 0));
        if (t.answer) {
            EXPECT_NE(boxes.Records().back().text.find("1920x1080"), std::string::npos)
                << boxes.Records().back().text;
            EXPECT_EQ(engine->Settings().changeResolution, t.answer == ui::kIdOk);
        }
    }
    EXPECT_EQ(boxes.Unexpected(), 0);
}

TEST_F(MainWindowTest, AProfileNetworkJoinsOnlyWithAutoWifiAndNotManagedTurnsItOff) {
    platform::FakeWifiProvider wifi({{"RX-Room1", "", 80, 6, "wlan0", true}});
    MainWindowHooks hooks;
    hooks.wifi = &wifi;
    hooks.wifiSettleMs = 0;
    MainWindow window(*wm, hooks);
    window.Attach(*engine);
    engine->MutableSettings().autoWifi = true;
    ui::ConnectionProfile existing;
    existing.ssid = "<<Existing Network>>";
    EXPECT_EQ(window.JoinProfileNetwork(existing), 0);
    EXPECT_EQ(wifi.Calls(), 0);

    ui::ConnectionProfile profile;
    profile.ssid = "RX-Room1";
    profile.key = "k";
    EXPECT_EQ(window.JoinProfileNetwork(profile), kJoinFinished);
    EXPECT_EQ(wifi.Joins().size(), 1u);
    EXPECT_TRUE(engine->Settings().autoWifi);

    wifi.serviceState = platform::WifiServiceState::kNotManaged;
    boxes.ThenType(12, ui::kIdOk);
    EXPECT_EQ(window.JoinProfileNetwork(profile), kJoinNotManaged);
    EXPECT_FALSE(engine->Settings().autoWifi);
    // AutoWifi off: no further joins.
    wifi.serviceState = platform::WifiServiceState::kManaged;
    EXPECT_EQ(window.JoinProfileNetwork(profile), 0);
    EXPECT_EQ(wifi.Joins().size(), 1u);
    EXPECT_EQ(boxes.Unexpected(), 0);
}

TEST_F(MainWindowTest, TheQuickProfileFlowConnectsToTheChosenProfilesReceiver) {
    WriteProfiles("[1]\nProfileName=Office\nServerIP=10.0.0.7\nUserName=ann\n");
    struct Case {
        const char* what;
        int answer;
        int connectResult;
        bool quitWhileConnecting;
        int expected;
        std::vector<std::string> calls;
        bool searchBlinkArmed;  // the search page's timer still runs
    };
    const Case cases[] = {
        {"cancelled", ui::kIdCancel, -1, false, -1, {}, false},
        {"unreachable", ui::kIdOk, -1, false, -1, {"connect"}, true},
        {"reached", ui::kIdOk, 0, false, 0, {"connect", "login", "start(128)"}, false},
        // The program is ending while the connect waits: abandoned.
        {"quit while connecting", ui::kIdOk, -1, true, -2, {"connect"}, true},
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(t.what);
        // An accepted access-point-client setup leaves the exit pending.
        boxes.ThenType(21, ui::kIdOk);
        page->OnApClientSetup();
        ASSERT_TRUE(page->ExitPending());
        client->calls.clear();
        client->status = kVrxDisconnected;
        client->connectResult = t.connectResult;
        client->duringConnect = [this, &t] {
            if (t.quitWhileConnecting) {
                engine->AppExit();
            }
        };
        std::string presetName;
        uint32_t presetAddress = 0;
        boxes.ThenType(18, t.answer, [&](ui::ModalDialog& d) {
            auto& dlg = static_cast<ui::CQKCommonDlg&>(d);
            presetName = dlg.CurrentProfile().name;
            presetAddress = dlg.Ipv4();
            dlg.CurrentProfile().name = "Lab";
            dlg.CurrentProfile().serverIp = "10.0.0.9";
            dlg.CurrentProfile().ssid = "<<Existing Network>>";
        });
        if (t.answer == ui::kIdOk && t.connectResult < 0) {
            boxes.ThenType(10, ui::kIdOk);  // the receiver did not answer
        }
        EXPECT_EQ(page->RunQuickProfile(), t.expected);
        std::erase_if(client->calls, [](const std::string& c) { return c.starts_with("fps"); });
        EXPECT_EQ(presetName, "Office");
        EXPECT_EQ(presetAddress, htonl(0x0A000007));
        EXPECT_EQ(client->calls, t.calls);
        EXPECT_EQ(page->ExitPending(), t.answer == ui::kIdOk);
        EXPECT_EQ(page->ProfileChosen(), t.answer == ui::kIdOk);
        EXPECT_EQ(wm->KillTimer(engine->Window(), kTimerSearchBlink), t.searchBlinkArmed);
        if (t.answer == ui::kIdOk) {
            EXPECT_EQ(client->connectedTo, htonl(0x0A000009));
            EXPECT_EQ(page->CurrentQuickProfile().name, "Lab");
        }
        if (t.expected == 0) {
            // Saved first, the file's profile kept behind it.
            const auto saved = ReadQuickProfiles(ProfilePath());
            ASSERT_EQ(saved.size(), 2u);
            EXPECT_EQ(saved[0].name, "Lab");
            EXPECT_EQ(saved[1].name, "Office");
            WriteProfiles("[1]\nProfileName=Office\nServerIP=10.0.0.7\nUserName=ann\n");
        }
    }
    EXPECT_EQ(boxes.Unexpected(), 0);
    EXPECT_EQ(boxes.TypeMismatches(), 0);
}

// The search command offers the quick profile first; a reached receiver
// ends the search there (no receiver choice follows).
TEST_F(MainWindowTest, TheSearchCommandConnectsThroughTheQuickProfile) {
    WriteProfiles("[1]\nProfileName=Office\nServerIP=10.0.0.7\nUserName=ann\n");
    client->calls.clear();
    client->status = kVrxDisconnected;
    client->connectResult = 0;
    const size_t before = boxes.Records().size();
    boxes.ThenType(18, ui::kIdOk);
    wm->Send(engine->Window(), platform::Message::Command(kCmdMenuSearch));
    ASSERT_EQ(boxes.Records().size(), before + 1);
    EXPECT_EQ(boxes.Records().back().type, 18);
    EXPECT_EQ(client->connectedTo, htonl(0x0A000007));
    EXPECT_TRUE(page->ProfileChosen());
    EXPECT_EQ(boxes.Unexpected(), 0);
}

TEST_F(MainWindowTest, TheRebootNoticeForgetsTheProfilesAndHidesTheWindow) {
    WriteProfiles("[1]\nProfileName=Office\nServerIP=10.0.0.7\n");
    boxes.ThenType(10, ui::kIdOk);
    page->ShowReceiverRebootNotice();
    ASSERT_EQ(boxes.Records().size(), 1u);
    const std::string text = boxes.Records()[0].text;
    EXPECT_EQ(text.find("%s"), std::string::npos) << text;
    EXPECT_NE(text.find("the Pemu-Quorvane sender will reboot"), std::string::npos) << text;
    EXPECT_NE(text.find("to the Pemu-Quorvane sender wireless network"), std::string::npos);
    EXPECT_EQ(boxes.Records()[0].title, "Info");
    EXPECT_FALSE(std::filesystem::exists(ProfilePath()));
    EXPECT_FALSE(wm->IsVisible(engine->Window()));
    EXPECT_TRUE(page->ExitPending());
    EXPECT_TRUE(page->ReconnectFlag());

    // No file is nothing to delete; a folder in its place stays, refused.
    EXPECT_TRUE(page->ClearProfiles());
    std::filesystem::create_directories(ProfilePath() + "/inside");
    EXPECT_FALSE(page->ClearProfiles());
    EXPECT_TRUE(std::filesystem::exists(ProfilePath()));
    EXPECT_EQ(boxes.Unexpected(), 0);
}

TEST_F(MainWindowTest, TheListPanelFollowsTheWindowHeight) {
    std::vector<ReceiverRow> rows;
    for (int i = 0; i < 7; ++i) {
        rows.push_back({"Room " + std::to_string(i), "10.0.1." + std::to_string(i + 1)});
    }
    page->FillReceiverList(rows);
    ui::CQKListView* list = page->ListView();
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->RowCount(), 7);
    struct Case {
        int height;
        int firstBefore;
        int firstAfter;
    };
    const Case cases[] = {
        {206, 5, 4},  // 3 rows: the last page is full
        {206, 1, 1},
        {165, -2, 0},  // lower than one row: none shown, first row at 0
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(testing::Message() << t.height << " from " << t.firstBefore);
        list->SetFirstVisible(t.firstBefore);
        page->LayoutListPanel(0, t.height);
        EXPECT_EQ(list->FirstVisible(), t.firstAfter);
        EXPECT_EQ(wm->GetRect(engine->Window())->Width(), kPanelWidth);
        EXPECT_EQ(wm->GetRect(engine->Window())->Height(), t.height);
        EXPECT_EQ(wm->GetRegion(engine->Window())->Bounds(), ShapeWindowRegion(t.height).Bounds());
    }
}

// The window with its features over the program's own host and a real
// settings file.
class MainWindowWithFeaturesTest : public MainWindowTest {
protected:
    void PrepareServices() override {
        std::filesystem::create_directories(services.paths.configFolder);
        std::ofstream(services.paths.settingsFile, std::ios::binary) << "[Quorvane_Sender]\n";
        settings = std::make_unique<SettingsFile>(services.paths, nullptr);
        services.settingsFile = settings.get();
    }
    void TearDown() override {
        if (page) {
            page->SetFeatures(nullptr);
        }
        features.reset();
        host.reset();
        MainWindowTest::TearDown();
    }
    void AddFeatures() {
        host = std::make_unique<MainFeatureHost>(*wm, *engine, *page);
        features = std::make_unique<MainWindowFeatures>(*host);
        page->SetFeatures(features.get());
    }

    std::unique_ptr<SettingsFile> settings;
    std::unique_ptr<MainFeatureHost> host;
    std::unique_ptr<MainWindowFeatures> features;
};

TEST_F(MainWindowWithFeaturesTest, AMenuCommandReachesTheFeaturesThroughTheEngineOnlyWhenGiven) {
    // Without features the engine's unknown command goes nowhere.
    wm->PostCommand(engine->Window(), 2019);
    Pump();
    EXPECT_EQ(settings->ReadSetting("JpegQuality"), "");
    EXPECT_FALSE(page->IsUsbSharingOn());
    EXPECT_FALSE(page->RunUpdateCheck());

    // With them: posted to the window (any thread's way), dispatched by the
    // engine, handled by the menu commands, written through the host.
    AddFeatures();
    wm->PostCommand(engine->Window(), 2019);
    Pump();
    EXPECT_EQ(settings->ReadSetting("JpegQuality"), "85");
    host->PostCommand(2018);
    Pump();
    EXPECT_EQ(settings->ReadSetting("JpegQuality"), std::to_string(kNormalJpegQuality));
    // An id no feature takes is refused; the engine's own ids stay its own.
    EXPECT_FALSE(page->OnFeatureCommand(999));
    EXPECT_FALSE(page->IsUsbSharingOn());
    EXPECT_EQ(boxes.Unexpected(), 0);
}

TEST_F(MainWindowWithFeaturesTest, AHandedOverLoginIsTheSessionAndItsConferenceFillsTheTiles) {
    AddFeatures();
    // Another start hands over a presentation: the command runner's own
    // client logs in and projects; the main client only names the receiver.
    laterConnectResult = 0;
    ASSERT_EQ(engine->Runner()->Run(
                  {.action = "Presentation", .ip = "10.0.0.7", .id = "0", .code = "6049"}),
              1);
    ASSERT_EQ(later.size(), 1u);
    RecordingClient* handed = later[0];
    ASSERT_NE(handed->GetStatus(), kVrxDisconnected);
    EXPECT_EQ(page->SessionClient(), client);  // another receiver's runner client is not it
    client->receiverAddress = htonl(0x0A000007);
    EXPECT_EQ(page->SessionClient(), handed);
    client->status = kVrxIdle;  // a main client of its own is the session
    EXPECT_EQ(page->SessionClient(), client);
    client->status = kVrxDisconnected;

    // The conference is asked through the session's client; its three
    // senders become the tiles of the tall window.
    const std::vector<uint8_t> answer =
        receiver_sim::ConferenceAnswer(receiver_sim::SampleConference(3));
    handed->forwardReply.assign(answer.begin() + 16, answer.end());
    page->FetchConferenceInfo();
    features->Conference().WaitForWorkersForTest();
    Pump();
    ASSERT_EQ(page->Positions().size(), 3u);
    EXPECT_TRUE(page->Connected());
    EXPECT_TRUE(page->FourTiles());
    EXPECT_EQ(wm->GetRect(engine->Window())->Height(), 400);
    for (int k = 0; k < 3; ++k) {
        EXPECT_TRUE(Shown(kNameFirst + k)) << k;
        EXPECT_EQ(page->FindWidget(kNameFirst + k)->Caption(), page->Positions()[k].displayName);
    }
    EXPECT_EQ(page->Positions()[0].state, kPositionProjecting);
}

TEST_F(MainWindowWithFeaturesTest, TheApClientSetupCommandIsTheWindowsOwn) {
    AddFeatures();
    const platform::WindowId window = engine->Window();
    // OK: the exit waits for the receiver's reboot; the network-quality
    // timer ends and the USB-sharing notice closes.
    wm->SetTimer(window, kTimerNetQuality, 1000);
    boxes.ThenType(21, ui::kIdOk);
    wm->PostCommand(window, 2026);
    Pump();
    ASSERT_EQ(boxes.Records().size(), 1u);
    EXPECT_EQ(boxes.Records()[0].title, "AP-Client Setup");
    EXPECT_TRUE(page->ExitPending());
    EXPECT_FALSE(wm->KillTimer(window, kTimerNetQuality));
    EXPECT_EQ(usbNoticeCloses, 1);
    // Cancel: nothing pending, the timer and the notice left alone.
    wm->SetTimer(window, kTimerNetQuality, 1000);
    boxes.ThenType(21, ui::kIdCancel);
    EXPECT_TRUE(page->OnFeatureCommand(2026));
    EXPECT_FALSE(page->ExitPending());
    EXPECT_TRUE(wm->KillTimer(window, kTimerNetQuality));
    EXPECT_EQ(usbNoticeCloses, 1);
    EXPECT_EQ(boxes.Unexpected(), 0);
    EXPECT_EQ(boxes.TypeMismatches(), 0);
}

}  // namespace
}  // namespace pemuapp
