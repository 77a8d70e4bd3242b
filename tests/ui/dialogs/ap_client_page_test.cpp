// The access-point-client page against the simulated receiver on loopback:
// a real client facade logged in to it, the page on the headless window
// backend running its real modal loop. The receiver checks and records the
// set requests; the tests read the exact bytes, the profile file, what the
// main window was handed and the timers that follow an apply.
#include <gtest/gtest.h>

#include <fstream>
#include <optional>

#include "platform/controls/button.h"
#include "tests/support/TempDir.h"
#include "tests/ui/dialogs/common_dialog_test_support.h"
#include "tests/vrxclientsdk/VRXClient/facade_test_env.h"
#include "ui/dialogs/settings_pages.h"

namespace dialogtest {
namespace {

using receiver_sim::ApClientSettings;
using ui::CQKCommonDlg;

constexpr const char* kReceiver = "127.0.0.2";
constexpr const char* kOwnSsid = "Receiver-AP";
constexpr uint8_t kForwardMessage = 0xc0;

class ApClientPageTest : public CommonDialogTest {
protected:
    void SetUp() override {
        CommonDialogTest::SetUp();
        ASSERT_EQ(facadetest::Discover(client, {{kReceiver, receiver.sim->Port()}}), 0);
        ASSERT_EQ(client.Login(facadetest::Ip(kReceiver), "alice", "6049"), 0)
            << client.GetErrorMessage();
        ui::SettingsPages::Services s;
        s.profilePath = dir.File("profile.ini");
        s.probe = [this](const ui::AccessPointInfo&) {
            return ui::AccessPointProbe{6, probedChannel, "CCMP"};
        };
        pages = std::make_unique<ui::SettingsPages>(s);
        env.pages = pages.get();
        mainHandler = &NewHandler();
        mainWindow.mainWindow = TopLevel({0, 0, 526, 230}, mainHandler, false);
    }
    void TearDown() override {
        pages.reset();
        CommonDialogTest::TearDown();
    }

    // Opens the page for the receiver; `step` runs once it waits.
    int RunPage(CQKCommonDlg& page, std::function<void(ui::CommonDialogWindow&)> step) {
        page.SetClient(&client);
        page.SetInitialText(kOwnSsid);
        OnFirstIdle(headless, clock, [&page, step = std::move(step)] {
            ui::CommonDialogWindow* w = page.RunningWindow();
            ASSERT_NE(w, nullptr);
            step(*w);
            if (!w->Ended()) {
                w->EndDialog(ui::kIdCancel);
            }
        });
        ui::WindowDialogRunner real;
        return real.DoModal(page);
    }
    void Click(ui::CommonDialogWindow& w, uint32_t id) {
        headless->Click(platform::MouseButton::kLeft, WidgetPoint(w, id));
        Pump();
    }
    // The texts the client forwarded to the receiver, in order.
    std::vector<std::string> Forwarded() {
        receiver.sim->Settle();
        std::vector<std::string> texts;
        for (const receiver_sim::SenderFrame& f : receiver.sim->FramesWithCode(kForwardMessage)) {
            texts.emplace_back(f.payload.begin() + 32, f.payload.end());
        }
        return texts;
    }

    facadetest::SimReceiver receiver{kReceiver};  // outlives the client
    facadetest::TestClient client;
    testsupport::TempDir dir;
    std::unique_ptr<ui::SettingsPages> pages;
    int probedChannel = -1;
    platform::RecordingHandler* mainHandler = nullptr;
};

TEST_F(ApClientPageTest, ThePageFillsFromTheReceiversReply) {
    struct Row {
        const char* what;
        ApClientSettings settings;
        std::optional<std::string> raw;  // the reply as given instead
        bool radios, on, edits, key;     // enabled, checked 2003, 1005/205, 1010
        const char* ssid;
        const char* encryption;
    } rows[] = {
        {"on, WPA2-AES",
         {true, true, "home", 7, "abcdefgh1"},
         {},
         true,
         true,
         true,
         true,
         "home",
         "WPA2-AES"},
        {"on, no encryption",
         {true, true, "home", 0, ""},
         {},
         true,
         true,
         true,
         false,
         "home",
         "Disable"},
        {"off",
         {true, false, "home", 9, "abcdefgh1"},
         {},
         true,
         false,
         false,
         false,
         "home",
         "WPA-TKIP"},
        {"code 13", {true, true, "home", 13, "k"}, {}, true, true, true, false, "home", "Disable"},
        {"not available",
         {false, true, "home", 7, "abcdefgh1"},
         {},
         false,
         false,
         false,
         false,
         "",
         "Disable"},
        {"a reply short of fields",
         {},
         std::string("9;A=1;B=1;C=home;"),
         false,
         false,
         false,
         false,
         "",
         "Disable"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        receiver.sim->ApClient().SetSettings(row.settings);
        receiver.sim->ApClient().SetRawQueryReply(row.raw);
        CQKCommonDlg& page = Dialog(21);
        RunPage(page, [&](ui::CommonDialogWindow& w) {
            EXPECT_EQ(w.FindWidget(10337)->Caption(), kOwnSsid);
            EXPECT_EQ(w.FindControl(2003)->IsEnabled(), row.radios);
            EXPECT_EQ(w.FindControl(2004)->IsEnabled(), row.radios);
            EXPECT_EQ(dynamic_cast<platform::Button*>(w.FindControl(2003))->IsChecked(), row.on);
            EXPECT_EQ(w.FindControl(1005)->IsEnabled(), row.edits);
            EXPECT_EQ(w.FindControl(205)->IsEnabled(), row.edits);
            EXPECT_EQ(w.FindControl(1010)->IsEnabled(), row.key);
            EXPECT_EQ(w.FindControl(1005)->Text(), row.ssid);
            EXPECT_EQ(w.FindControl(205)->Text(), row.encryption);
        });
    }
    EXPECT_EQ(receiver.sim->ApClient().Queries(), static_cast<int>(std::size(rows)));
}

TEST_F(ApClientPageTest, SetRequestsCarryTheirBytesAndChecksumsForModeAndChannel) {
    const ApClientSettings wpa{true, true, "home", 7, "abcdefgh1"};
    struct Row {
        const char* what;
        ApClientSettings before;  // what the receiver reports
        int chooserChannel;       // -2: the chooser is not used
        std::string request;      // sums worked out by hand
        std::string profileKey;
    } rows[] = {
        {"on, no access point chosen", wpa, -2,
         "7176;APCLIENT_ONOFF=1;APCLIENT_ESSID=home;APCLIENT_ENCRYPT_MODE=7;"
         "APCLIENT_ENCRYPT_KEY=abcdefgh1;",
         "abcdefgh1"},
        {"on, chosen on channel 6", wpa, 6,
         "7855;APCLIENT_ONOFF=1;APCLIENT_ESSID=home;APCLIENT_ENCRYPT_MODE=7;"
         "APCLIENT_ENCRYPT_KEY=abcdefgh1;CHANNEL=6;",
         "abcdefgh1"},
        {"on, chosen without a channel", wpa, 0,
         "7176;APCLIENT_ONOFF=1;APCLIENT_ESSID=home;APCLIENT_ENCRYPT_MODE=7;"
         "APCLIENT_ENCRYPT_KEY=abcdefgh1;",
         "abcdefgh1"},
        {"off, chosen on channel 11",
         {true, false, "home", 7, "abcdefgh1"},
         11,
         "7848;APCLIENT_ONOFF=0;APCLIENT_ESSID=home;APCLIENT_ENCRYPT_MODE=7;"
         "APCLIENT_ENCRYPT_KEY=abcdefgh1;CHANNEL=0;",
         ""},
        {"off, nothing set",
         {true, false, "", 0, ""},
         -2,
         "6563;APCLIENT_ONOFF=0;APCLIENT_ESSID=;APCLIENT_ENCRYPT_MODE=0;"
         "APCLIENT_ENCRYPT_KEY=;CHANNEL=0;",
         ""},
        // The sum counts the SSID's UTF-8 bytes as unsigned values.
        {"on, WEP, a UTF-8 name, channel 1",
         {true, true, "Caf\xC3\xA9", 1, "abcdefghijklm"},
         1,
         "8535;APCLIENT_ONOFF=1;APCLIENT_ESSID=Caf\xC3\xA9;APCLIENT_ENCRYPT_MODE=1;"
         "APCLIENT_ENCRYPT_KEY=abcdefghijklm;CHANNEL=1;",
         "abcdefghijklm"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        receiver.sim->ClearFrames();
        receiver.sim->ApClient().SetSettings(row.before);
        probedChannel = row.chooserChannel;
        const size_t setsBefore = receiver.sim->ApClient().SetRequests().size();
        CQKCommonDlg& page = Dialog(21);
        const int result = RunPage(page, [&](ui::CommonDialogWindow& w) {
            if (row.chooserChannel != -2) {
                // The chooser picks the network the receiver reported.
                wifi.SetPoints({{row.before.ssid, "aa:bb:cc:dd:ee:01", 70, 6}});
                runner.ThenType(19, ui::kIdOk, [](ui::ModalDialog& m) {
                    static_cast<CQKCommonDlg&>(m).SetSelectedRow(0);
                });
                Click(w, 10336);
            }
            Click(w, 10334);
        });
        EXPECT_EQ(result, ui::kIdOk);
        const std::vector<receiver_sim::ApClientSetRequest> sets =
            receiver.sim->ApClient().SetRequests();
        ASSERT_EQ(sets.size(), setsBefore + 1);
        const receiver_sim::ApClientSetRequest& sent = sets.back();
        EXPECT_EQ(sent.raw, row.request);
        EXPECT_TRUE(sent.sumOk);
        EXPECT_TRUE(sent.wellFormed) << sent.problem;
        EXPECT_EQ(Forwarded(),
                  (std::vector<std::string>{"123;$APCLIENT;", row.request, "12;$REBOOT;"}));
        ASSERT_FALSE(mainWindow.storedKeys.empty());
        EXPECT_EQ(mainWindow.storedKeys.back(), row.profileKey);
        EXPECT_NE(
            testsupport::ReadFile(dir.File("profile.ini")).find("WPAKey=" + row.profileKey + "\n"),
            std::string::npos);
    }
    EXPECT_TRUE(receiver.sim->ApClient().Errors().empty());
    EXPECT_TRUE(receiver.sim->Errors().empty());
}

TEST_F(ApClientPageTest, APastedSeparatorNeverReachesTheReceiver) {
    receiver.sim->ApClient().SetSettings({true, true, "home", 7, "abcdefgh1"});
    // A ';' pasted into either edit goes at once; the request stays whole.
    CQKCommonDlg& page = Dialog(21);
    int result = RunPage(page, [&](ui::CommonDialogWindow& w) {
        platform::Control* ssid = w.FindControl(1005);
        ssid->SetText("");
        ssid->SetFocus();
        wm->SetClipboardText("ho;me");
        headless->PressKey(platform::Key::kUnknown, platform::kModControl, 'v');
        headless->ReleaseKey(platform::Key::kUnknown, platform::kModControl, 'v');
        Pump();
        w.FindControl(1010)->SetText("abcd;efgh1");
        Pump();
        Click(w, 10334);
    });
    EXPECT_EQ(result, ui::kIdOk);
    ASSERT_EQ(receiver.sim->ApClient().SetRequests().size(), 1u);
    const receiver_sim::ApClientSetRequest sent = receiver.sim->ApClient().SetRequests()[0];
    EXPECT_TRUE(sent.sumOk && sent.wellFormed) << sent.problem;
    EXPECT_EQ(sent.settings.ssid, "home");
    EXPECT_EQ(sent.settings.key, "abcdefgh1");
    EXPECT_TRUE(runner.Records().empty());

    // A line break is refused at apply in either mode: a box, nothing sent.
    for (const bool on : {true, false}) {
        SCOPED_TRACE(on ? "mode on" : "mode off");
        receiver.sim->ApClient().SetSettings({true, on, "home", 7, "abcdefgh1"});
        const size_t boxes = runner.Records().size();
        CQKCommonDlg& again = Dialog(21);
        result = RunPage(again, [&](ui::CommonDialogWindow& w) {
            w.FindControl(1010)->SetText("abcd\nefgh");
            Pump();
            runner.ThenType(10, ui::kIdOk);
            Click(w, 10334);
            EXPECT_FALSE(w.Ended());
        });
        EXPECT_EQ(result, ui::kIdCancel);
        ASSERT_EQ(runner.Records().size(), boxes + 1);
        EXPECT_EQ(runner.Records().back().text, "Encryption key has wrong format");
    }
    EXPECT_EQ(receiver.sim->ApClient().SetRequests().size(), 1u);
    EXPECT_EQ(receiver.sim->ApClient().Reboots(), 1);
}

TEST_F(ApClientPageTest, AnApplyKeepsTheOtherProfilesAndHandsOverToTheMainWindow) {
    {
        std::ofstream ini(dir.File("profile.ini"));
        ini << "[1]\nProfileName=Office\nSSID=old-ap\nServerIP=10.0.0.5\nUserName=bob\n"
               "WPAKey=old\n[2]\nProfileName=second\nServerIP=10.0.0.2\nUserName=Zoe\n";
    }
    receiver.sim->ApClient().SetSettings({true, true, "home", 7, "abcdefgh1"});
    // The notice comes after the key was handed over, before the reboot.
    std::vector<std::string> atNotice;
    mainWindow.onRebootNotice = [&] { atNotice = Forwarded(); };
    CQKCommonDlg& page = Dialog(21);
    ui::CommonDialogWindow* window = nullptr;
    const int result = RunPage(page, [&](ui::CommonDialogWindow& w) {
        window = &w;
        Click(w, 10334);
        EXPECT_TRUE(w.FixedProfileRemovalDue());
    });
    ASSERT_EQ(result, ui::kIdOk);
    EXPECT_EQ(mainWindow.storedKeys, std::vector<std::string>{"abcdefgh1"});
    EXPECT_EQ(mainWindow.rebootNotices, 1);
    ASSERT_EQ(atNotice.size(), 2u);  // the query and the set, no reboot yet
    EXPECT_EQ(receiver.sim->ApClient().Reboots(), 1);

    std::vector<ui::ConnectionProfile> profiles;
    ASSERT_EQ(pages->Profiles().LoadProfiles(profiles), 2);
    EXPECT_EQ(profiles[0].name, "Office");
    EXPECT_EQ(profiles[0].ssid, kOwnSsid);
    EXPECT_EQ(profiles[0].serverIp, "");
    EXPECT_EQ(profiles[0].userName, "bob");
    EXPECT_EQ(profiles[0].key, "abcdefgh1");
    EXPECT_EQ(profiles[1].name, "second");
    EXPECT_EQ(profiles[1].serverIp, "10.0.0.2");
    EXPECT_EQ(profiles[1].userName, "Zoe");

    // The page ended before its 1 s timer: the receiver's own network's
    // fixed profile went with the window, once.
    EXPECT_EQ(wifi.DeletedProfiles(), std::vector<std::string>{kOwnSsid});
    // The main window's exit timer runs out 20 s after the reboot request.
    EXPECT_TRUE(mainHandler->Of(platform::MessageKind::kTimer).empty());
    clock.Advance(19999);
    Pump();
    EXPECT_TRUE(mainHandler->Of(platform::MessageKind::kTimer).empty());
    clock.Advance(1);
    Pump();
    const std::vector<platform::Received> timers = mainHandler->Of(platform::MessageKind::kTimer);
    ASSERT_FALSE(timers.empty());
    EXPECT_EQ(timers[0].code, ui::kMainTimerRebootExit);
}

TEST_F(ApClientPageTest, ARefusedSetChangesNothingLocally) {
    receiver.sim->ApClient().SetSettings({true, true, "home", 7, "abcdefgh1"});
    receiver.sim->ApClient().SetResultCode(3);
    CQKCommonDlg& page = Dialog(21);
    const int result = RunPage(page, [&](ui::CommonDialogWindow& w) {
        Click(w, 10334);
        EXPECT_FALSE(w.Ended());
        EXPECT_FALSE(w.FixedProfileRemovalDue());
    });
    EXPECT_EQ(result, ui::kIdCancel);
    EXPECT_EQ(receiver.sim->ApClient().SetRequests().size(), 1u);
    EXPECT_EQ(receiver.sim->ApClient().Reboots(), 0);
    EXPECT_TRUE(mainWindow.storedKeys.empty());
    EXPECT_EQ(mainWindow.rebootNotices, 0);
    EXPECT_EQ(testsupport::ReadFile(dir.File("profile.ini")), "");
    EXPECT_TRUE(wifi.DeletedProfiles().empty());
    clock.Advance(30000);
    Pump();
    EXPECT_TRUE(mainHandler->Of(platform::MessageKind::kTimer).empty());
}

}  // namespace
}  // namespace dialogtest
