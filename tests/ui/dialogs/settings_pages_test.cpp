// The program's page code behind the common dialog, on the headless window
// backend: nested boxes and prompts are scripted, the page itself runs its
// real modal loop where its controls matter.
#include "ui/dialogs/settings_pages.h"

#include <arpa/inet.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <fstream>
#include <mutex>
#include <thread>

#include "app/res/pseudo_translation.h"
#include "platform/controls/button.h"
#include "platform/controls/combo_box.h"
#include "platform/controls/list_control.h"
#include "tests/platform/window/test_artifacts.h"
#include "tests/support/TempDir.h"
#include "tests/ui/dialogs/common_dialog_test_support.h"
#include "tests/ui/dialogs/connect_script.h"
#include "ui/dialogs/login_error_messages.h"
#include "ui/dialogs/network_self_check.h"

namespace dialogtest {
namespace {

using ui::CQKCommonDlg;
using ui::DialogRecord;

// A receiver client whose answers the test sets; records what it is asked.
class ScriptedClient final : public VRXClient {
public:
    ~ScriptedClient() override { Shutdown(); }

    int ForwardMessageText(uint32_t id, const std::string& text, std::string* reply) override {
        EXPECT_EQ(id, ui::kApClientMessageId);
        requests.push_back(text);
        if (text == ui::kApClientQuery) {
            *reply = queryReply;
        } else if (text == ui::kApClientReboot) {
            reply->clear();
        } else {
            *reply = setReply;
        }
        return 0;
    }
    int StopPlayImage() override {
        ++stops;
        return 0;
    }
    int SetVolLevel(int level) override {
        volumes.push_back(level);
        return 0;
    }
    int ConnectToDeviceThruIP(uint32_t ipv4, DevAnnounce* out, int) override {
        asked.push_back(ipv4);
        if (connectResult < 0) {
            return connectResult;
        }
        std::memset(out->bytes, 0, sizeof out->bytes);
        out->SetIPv4(ipv4);
        std::memcpy(out->bytes + DevAnnounce::kNameOffset, "Room 4", 6);
        out->bytes[DevAnnounce::kCodeModeOffset] = codeMode;
        out->bytes[DevAnnounce::kKindOffset1] = 6;
        out->bytes[DevAnnounce::kKindOffset2] = kind2;
        return 0;
    }
    int Login(uint32_t, const char*, const char* password) override {
        codes.push_back(password);
        if (loginResults.empty()) {
            return 0;
        }
        const int rc = loginResults.front();
        loginResults.erase(loginResults.begin());
        return rc;
    }
    void Logout() override {
        ++logouts;
        if (logoutSink) {
            ++*logoutSink;
        }
    }
    int GetStatus() override { return status; }

    std::string queryReply, setReply = "x;RESULT=0;";
    std::vector<std::string> requests;
    int stops = 0;
    std::vector<int> volumes;
    int connectResult = 0;
    uint8_t codeMode = 0, kind2 = 6;
    std::vector<int> loginResults;
    std::vector<uint32_t> asked;
    std::vector<std::string> codes;
    int logouts = 0;
    int* logoutSink = nullptr;  // counts beyond the client's life
    int status = 1;
};

class SettingsPagesTest : public CommonDialogTest {
protected:
    void SetUp() override {
        CommonDialogTest::SetUp();
        ui::SettingsPages::Services s;
        s.profilePath = dir.File("profile.ini");
        s.beep = [this] { ++beeps; };
        // Runs on the page's worker.
        s.probe = [this](const ui::AccessPointInfo& ap) {
            probed.push_back(ap.ssid);
            return probeHook ? probeHook(ap) : ui::AccessPointProbe{6, 11, "CCMP"};
        };
        settings = std::make_unique<ui::SettingsPages>(s);
        env.pages = settings.get();
    }
    void TearDown() override {
        settings.reset();
        CommonDialogTest::TearDown();
    }
    // Runs `dialog` through its real modal loop; `step` acts once it waits.
    int RunReal(CQKCommonDlg& dialog, std::function<void()> step) {
        OnFirstIdle(headless, clock, std::move(step));
        ui::WindowDialogRunner real;
        return real.DoModal(dialog);
    }
    void Click(CQKCommonDlg& dialog, uint32_t id) {
        ui::CommonDialogWindow* w = dialog.RunningWindow();
        ASSERT_NE(w, nullptr);
        const Point p = WidgetPoint(*w, id);
        headless->Click(platform::MouseButton::kLeft, p);
        Pump();
    }
    void SetText(CQKCommonDlg& dialog, uint32_t id, const std::string& text) {
        ui::CommonDialogWindow* w = dialog.RunningWindow();
        ASSERT_NE(w, nullptr);
        ASSERT_NE(w->FindControl(id), nullptr) << id;
        w->FindControl(id)->SetText(text);
    }

    testsupport::TempDir dir;
    std::unique_ptr<ui::SettingsPages> settings;
    int beeps = 0;
    std::vector<std::string> probed;
    std::function<ui::AccessPointProbe(const ui::AccessPointInfo&)> probeHook;
};

TEST_F(SettingsPagesTest, VolumePageWritesItsFourSettingsInOrderAndSetsTheVolume) {
    ScriptedClient client;
    CQKCommonDlg& d = Dialog(33);
    d.SetClient(&client);
    d.SetVolume(77);
    d.SetTurnOffAudio(true);
    settings->ApplyVolumePageSettings(d);
    EXPECT_EQ(client.volumes, std::vector<int>{77});
    const std::vector<std::pair<std::string, std::string>> want = {
        {"Volume", "77"}, {"MaxFPS", "30"}, {"TurnOffAudio", "true"}, {"TurnOffVsync", "false"}};
    EXPECT_EQ(mainWindow.writes, want);
}

TEST_F(SettingsPagesTest, ANewLanguageIsWrittenAndAppliedWithoutARestartBox) {
    CQKCommonDlg& d = Dialog(33);
    mainWindow.settings.languageId = "English";
    settings->OnLanguageSelected(d, "English");
    settings->OnLanguageSelected(d, "");
    EXPECT_TRUE(mainWindow.writes.empty());
    EXPECT_TRUE(mainWindow.applied.empty());
    settings->OnLanguageSelected(d, "Deutsch");
    EXPECT_EQ(mainWindow.writes,
              (std::vector<std::pair<std::string, std::string>>{{"LanguageID", "Deutsch"}}));
    EXPECT_EQ(mainWindow.applied, std::vector<std::string>{"Deutsch"});
    EXPECT_TRUE(runner.Records().empty());
}

// The language menu's choice on one page reaches the catalog through the
// main window, and every open dialog shows its texts again in the new
// language at once: its window is drawn anew, no restart box.
TEST_F(SettingsPagesTest, ALanguageChosenOnOnePageRedrawsAnotherOpenDialogInTheNewLanguage) {
    using appres::Translator;
    ASSERT_TRUE(Translator::Bind(PEMU_SKIN_DIR));
    Translator::SelectLanguage("");
    mainWindow.settings.languageId = "English";
    // The pseudo-locale's catalog stands in for the chosen language's.
    mainWindow.onApplyLanguage = [](const std::string&) {
        Translator::SelectLanguage(appres::kPseudoLocale);
    };
    CQKCommonDlg& search = Dialog(28);
    ui::CommonDialogWindow& other = Open(search);
    // The search and the dots would change the page on their own.
    wm->KillTimer(other.Window(), ui::kTimerSearch);
    wm->KillTimer(other.Window(), ui::kTimerDots);
    wm->Invalidate(other.Window());
    Pump();
    ASSERT_EQ(other.FindWidget(30127)->Caption(), "TROUBLESHOOT");
    // The title's pixels as the screen shows them.
    const Rect title = other.FindWidget(30160)->GetRect();
    auto shownTitle = [&] {
        std::vector<uint32_t> pixels;
        const platform::Surface* shown = headless->State(other.Window())->presented.get();
        for (int y = title.top; shown && y < title.bottom; ++y) {
            for (int x = title.left; x < title.right; ++x) {
                pixels.push_back(shown->PixelAt(x, y).value);
            }
        }
        return pixels;
    };
    const std::vector<uint32_t> english = shownTitle();
    ASSERT_FALSE(english.empty());

    CQKCommonDlg& volume = Dialog(33);
    volume.SetLanguage("English");
    ui::CommonDialogWindow& page = Open(volume);
    runner.ThenType(39, ui::kIdOk, [](ui::ModalDialog& m) {
        static_cast<CQKCommonDlg&>(m).SetLanguage("Pseudo");
    });
    const Point menuButton = WidgetPoint(page, 20236);
    headless->Click(platform::MouseButton::kLeft, menuButton);
    Pump();

    EXPECT_EQ(mainWindow.applied, std::vector<std::string>{"Pseudo"});
    EXPECT_EQ(mainWindow.settings.languageId, "Pseudo");
    EXPECT_EQ(other.FindWidget(30127)->Caption(), "⟦TRÓÚBLÉSHÓÓT⟧");
    EXPECT_EQ(other.FindWidget(30160)->Caption(), "⟦LÓÓKÍNG FÓR PÉMÚ⟧");
    // Drawn anew without anyone asking: the screen shows the new title.
    EXPECT_NE(shownTitle(), english);
    EXPECT_TRUE(platform::SaveArtifact(*headless->State(other.Window())->presented,
                                       "search_page_redrawn_pseudo.png"));
    // Only the menu was shown: no box asks for a restart.
    ASSERT_EQ(runner.Records().size(), 1u);
    EXPECT_EQ(runner.Records()[0].type, 39);
}

TEST_F(SettingsPagesTest, SelfCheckResultsShowTheirBoxes) {
    CQKCommonDlg& d = Dialog(28);
    for (int r : {0, 1, 2}) {
        settings->ShowCheckResult(d, r);
    }
    ASSERT_EQ(runner.Records().size(), 3u);
    EXPECT_EQ(runner.Records()[0], (DialogRecord{10, "SUCCESS", "Network checking success"}));
    EXPECT_EQ(runner.Records()[1].title, "IP ERROR");
    EXPECT_EQ(runner.Records()[2].title, "PING ERROR");
    // Without adapter provider and pinger the check finds no adapter.
    EXPECT_EQ(settings->CheckNetwork(), ui::kCheckNoAdapter);
}

TEST_F(SettingsPagesTest, ConnectByAddressAsksTheCodeAgainAfterAWrongOneAndListsTheReceiver) {
    ScriptedClient own;
    ScriptedClient* login = nullptr;
    mainWindow.makeClient = [&](platform::WindowId) -> std::unique_ptr<VRXClient> {
        auto c = std::make_unique<ScriptedClient>();
        if (!login && mainWindow.clientTargets.size() == 2) {
            c->loginResults = {ui::kErrorRejectedLoginCode, 0};
            login = c.get();
        }
        return c;
    };
    runner
        .ThenType(32, ui::kIdOk, Address("10.0.0.999"))  // refused: asked again
        .ThenType(32, ui::kIdOk, Address("127.0.0.5"))
        .ThenType(30, ui::kIdOk, Code("1111"))
        .ThenType(10, ui::kIdOk)
        .ThenType(30, ui::kIdOk, Code("2222"));
    CQKCommonDlg& page = Dialog(2);
    EXPECT_TRUE(settings->ManualConnectByIp(page));
    EXPECT_EQ(beeps, 1);
    ASSERT_NE(login, nullptr);
    EXPECT_EQ(login->codes, (std::vector<std::string>{"1111", "2222"}));
    EXPECT_EQ(page.LoginCode(), "2222");
    ASSERT_EQ(page.Receivers().size(), 1u);
    EXPECT_EQ(page.Receivers()[0].ip, "127.0.0.5");
    EXPECT_EQ(page.Receivers()[0].name, "Room 4");
    const std::vector<DialogRecord> boxes = runner.Records();
    ASSERT_EQ(boxes.size(), 5u);
    EXPECT_EQ(boxes[3], (DialogRecord{10, "Warning", "Incorrect LOGIN CODE"}));
    EXPECT_EQ(runner.Unexpected(), 0);
    EXPECT_EQ(runner.TypeMismatches(), 0);

    // The same address again: already listed, nothing asked of a receiver.
    runner.ThenType(32, ui::kIdOk, Address("127.0.0.5"));
    EXPECT_FALSE(settings->ManualConnectByIp(page));
}

TEST_F(SettingsPagesTest, ConnectByAddressFailures) {
    struct Row {
        const char* what;
        int connect;
        int login;
        uint8_t kind2;
        std::vector<DialogRecord> boxes;  // after the first address prompt
    } rows[] = {
        {"no answer", -6528001, 0, 6, {{10, "Warning", ui::kConnectFailedText}}},
        {"busy receiver",
         0,
         -6528101,
         6,
         {{30, "", ""}, {10, "Warning", "Remote box is busy now. Please retry later!"}}},
        {"unknown code shows nothing", 0, -6528999, 6, {{30, "", ""}}},
        {"not a listed kind", 0, 0, 5, {{30, "", ""}, {10, "Warning", ui::kConnectFailedText}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        int made = 0, loginLogouts = 0;
        mainWindow.makeClient = [&](platform::WindowId) -> std::unique_ptr<VRXClient> {
            auto c = std::make_unique<ScriptedClient>();
            if (++made == 2) {
                c->logoutSink = &loginLogouts;  // the login client
            }
            c->connectResult = row.connect;
            c->loginResults = {row.login};
            c->kind2 = row.kind2;
            return c;
        };
        ExpectFailedConnectPass(env, *settings, "127.0.0.9", row.boxes);
        // A client whose login did not end in a listed row is logged out.
        if (row.connect == 0) {
            EXPECT_GE(loginLogouts, 1);
        }
    }
}

TEST_F(SettingsPagesTest, SearchKeepsListableReceiversOnce) {
    auto record = [](const char* ip, uint8_t kind) {
        DevAnnounce a;
        in_addr addr{};
        inet_pton(AF_INET, ip, &addr);
        a.SetIPv4(addr.s_addr);
        std::memcpy(a.bytes + DevAnnounce::kNameOffset, "R", 1);
        a.bytes[DevAnnounce::kKindOffset1] = 6;
        a.bytes[DevAnnounce::kKindOffset2] = kind;
        return a;
    };
    mainWindow.discovered = {record("10.0.0.9", 6), record("10.0.0.10", 5), record("10.0.0.9", 6),
                             record("10.0.0.11", 6)};
    CQKCommonDlg& page = Dialog(28);
    page.Receivers().push_back({"stale", "1.2.3.4"});
    bool password = true;
    EXPECT_FALSE(settings->SearchPageClients(page, &password));
    EXPECT_FALSE(password);
    ASSERT_EQ(page.Receivers().size(), 2u);
    EXPECT_EQ(page.Receivers()[0].ip, "10.0.0.9");
    EXPECT_EQ(page.Receivers()[1].ip, "10.0.0.11");
}

TEST_F(SettingsPagesTest, ApClientPageFillsFromTheReceiverChecksTheKeyAndSendsNoSeparator) {
    ScriptedClient client;
    client.queryReply = "x;AVAILABLE=1;ONOFF=1;ESSID=home;MODE=7;KEY=abcdefgh;";
    CQKCommonDlg& page = Dialog(21);
    page.SetClient(&client);
    const int result = RunReal(page, [&] {
        ui::CommonDialogWindow* w = page.RunningWindow();
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->FindControl(1005)->Text(), "home");
        EXPECT_EQ(w->FindControl(205)->Text(), "WPA2-AES");
        EXPECT_TRUE(w->FindControl(1010)->IsEnabled());
        EXPECT_TRUE(dynamic_cast<platform::Button*>(w->FindControl(2003))->IsChecked());
        // A key too short for WPA: the box, nothing sent, the page stays.
        SetText(page, 1010, "short");
        runner.ThenType(10, ui::kIdOk);
        Click(page, 10334);
        EXPECT_EQ(client.requests.size(), 1u);
        EXPECT_FALSE(w->Ended());
        // A pasted ';' never reaches the request.
        SetText(page, 1010, "abc;defgh1");
        Pump();
        settings->ApplyApClientSettings(page);
        if (!w->Ended()) {
            ADD_FAILURE() << "the page stayed open";
            w->EndDialog(ui::kIdCancel);
        }
    });
    EXPECT_EQ(result, ui::kIdOk);
    ASSERT_EQ(client.requests.size(), 3u);
    EXPECT_EQ(client.requests[1], ui::BuildApClientSetRequest(true, "home", 7, "abcdefgh1", -1));
    EXPECT_EQ(client.requests[2], ui::kApClientReboot);
    EXPECT_EQ(client.stops, 2);
    ASSERT_EQ(runner.Records().size(), 1u);
    EXPECT_EQ(runner.Records()[0].text, "Encryption key has wrong format");
    EXPECT_NE(testsupport::ReadFile(dir.File("profile.ini")).find("WPAKey=abcdefgh1"),
              std::string::npos);
}

TEST_F(SettingsPagesTest, ApClientFailedSetKeepsThePageAndAnUnavailableConfigDisablesAll) {
    ScriptedClient client;
    client.queryReply = "x;AVAILABLE=0;ONOFF=1;ESSID=home;MODE=7;KEY=k;";
    CQKCommonDlg& page = Dialog(21);
    page.SetClient(&client);
    const int result = RunReal(page, [&] {
        ui::CommonDialogWindow* w = page.RunningWindow();
        for (uint32_t id : {2003u, 2004u, 1005u, 205u, 1010u}) {
            EXPECT_FALSE(w->FindControl(id)->IsEnabled()) << id;
        }
        client.setReply = "x;RESULT=1;";
        Click(page, 10334);
        EXPECT_FALSE(w->Ended());
        w->EndDialog(ui::kIdCancel);
    });
    EXPECT_EQ(result, ui::kIdCancel);
    EXPECT_EQ(client.requests.size(), 2u);  // the query and one refused set
    EXPECT_NE(client.requests[1].find("APCLIENT_ONOFF=0;"), std::string::npos);
    EXPECT_NE(client.requests[1].find("CHANNEL=0;"), std::string::npos);
    EXPECT_EQ(testsupport::ReadFile(dir.File("profile.ini")), "");
}

TEST_F(SettingsPagesTest, ChooserReplacesTheCallersListAndProbesTheChoice) {
    wifi.SetPoints({{"Office", "aa:bb:cc:dd:ee:01", 70, 6}, {"Lab", "aa:bb:cc:dd:ee:02", 30, 3}});
    CQKCommonDlg& page = Dialog(21);
    page.AllAccessPoints().push_back({"stale", "", 0, 0});
    // The listing and the probe wait on the page's worker: the page runs.
    const int result = RunReal(page, [&] {
        runner.ThenType(19, ui::kIdOk, [](ui::ModalDialog& m) {
            static_cast<CQKCommonDlg&>(m).SetSelectedRow(1);
        });
        settings->ChooseAccessPoint(page);
        ASSERT_EQ(page.AllAccessPoints().size(), 2u);
        EXPECT_EQ(page.AllAccessPoints()[0].ssid, "Office");
        EXPECT_EQ(probed, std::vector<std::string>{"Lab"});
        EXPECT_EQ(page.ChosenAuthentication(), 3);
        EXPECT_EQ(settings->ProbedChannel(page), 11);
        EXPECT_EQ(page.RunningWindow()->FindControl(1005)->Text(), "Lab");

        // Cancelled: the list is still replaced (not appended), nothing probed.
        runner.ThenType(19, ui::kIdCancel);
        settings->ChooseAccessPoint(page);
        EXPECT_EQ(page.AllAccessPoints().size(), 2u);
        EXPECT_EQ(probed.size(), 1u);

        // No access point: the adaptor box.
        wifi.SetPoints({});
        runner.ThenType(10, ui::kIdOk);
        settings->ChooseAccessPoint(page);
        EXPECT_EQ(runner.Records().back().text, "Your wireless adaptor might be disabled.");
        page.RunningWindow()->EndDialog(ui::kIdCancel);
    });
    EXPECT_EQ(result, ui::kIdCancel);
    EXPECT_EQ(wifi.Calls(), 3);
    // No provider, or no running page to wait in: the list is unavailable.
    env.wifi = nullptr;
    CQKCommonDlg other(env);
    other.SetType(21);
    runner.ThenType(10, ui::kIdOk);
    settings->ChooseAccessPoint(other);
    EXPECT_EQ(runner.Records().back().text, "The Wi-Fi list is unavailable.");
    EXPECT_EQ(runner.Unexpected(), 0);
}

// A quit while the chooser waits ends that wait at once (the listing or the
// probe still blocked on the worker); nothing is taken over, and the page's
// end joins the worker once it returns.
TEST_F(SettingsPagesTest, AQuitWhileTheChooserWaitsEndsTheWait) {
    for (const bool duringProbe : {false, true}) {
        SCOPED_TRACE(duringProbe ? "probe" : "listing");
        wifi.SetPoints({{"Office", "aa:bb:cc:dd:ee:01", 70, 6}});
        std::mutex lock;
        std::condition_variable changed;
        bool probing = false, released = false;
        probeHook = [&](const ui::AccessPointInfo&) {
            std::unique_lock<std::mutex> guard(lock);
            probing = true;
            changed.notify_all();
            changed.wait(guard, [&] { return released; });
            return ui::AccessPointProbe{6, 11, "CCMP"};
        };
        if (!duringProbe) {
            wifi.Block();
        }
        CQKCommonDlg& page = Dialog(21);
        bool returned = false;
        const int result = RunReal(page, [&] {
            if (duringProbe) {
                runner.ThenType(19, ui::kIdOk, [](ui::ModalDialog& m) {
                    static_cast<CQKCommonDlg&>(m).SetSelectedRow(0);
                });
            }
            std::thread quitter([&] {
                if (duringProbe) {
                    std::unique_lock<std::mutex> guard(lock);
                    changed.wait(guard, [&] { return probing; });
                } else {
                    wifi.WaitForCalls(1);
                }
                wm->PostQuit(0);
            });
            settings->ChooseAccessPoint(page);
            returned = true;
            quitter.join();
            EXPECT_EQ(settings->ProbedChannel(page), -1);
            EXPECT_EQ(page.RunningWindow()->FindControl(1005)->Text(), "");
            // The blocked job ends only now, before the page's window goes
            // and joins it.
            {
                std::lock_guard<std::mutex> guard(lock);
                released = true;
            }
            changed.notify_all();
            wifi.Release();
        });
        EXPECT_TRUE(returned);
        EXPECT_EQ(result, platform::kModalAborted);
        EXPECT_EQ(page.RunningWindow(), nullptr);
        EXPECT_EQ(runner.Unexpected(), 0);
        probeHook = nullptr;
    }
}

TEST_F(SettingsPagesTest, ProfileManagerAddsEditsAndRemovesThroughTheFile) {
    CQKCommonDlg& list = Dialog(13);
    const int result = RunReal(list, [&] {
        ui::CommonDialogWindow* w = list.RunningWindow();
        ASSERT_NE(w, nullptr);
        runner.ThenType(7, ui::kIdOk, [](ui::ModalDialog& m) {
            auto& p = static_cast<CQKCommonDlg&>(m).CurrentProfile();
            p.name = "Office";
            p.serverIp = "10.0.0.7";
        });
        Click(list, 10269);  // by the button once; then by the command
        runner.ThenType(7, ui::kIdOk, [](ui::ModalDialog& m) {
            static_cast<CQKCommonDlg&>(m).CurrentProfile().name = "Home";
        });
        settings->OnProfileCommand(list, 10269);
        // A page left without a name adds nothing.
        runner.ThenType(7, ui::kIdOk);
        settings->OnProfileCommand(list, 10269);
        auto* rows = dynamic_cast<platform::ListControl*>(w->FindControl(1009));
        ASSERT_NE(rows, nullptr);
        EXPECT_EQ(rows->RowCount(), 2);
        rows->Select(0);
        settings->OnProfileCommand(list, 10270);
        EXPECT_EQ(rows->RowCount(), 1);
        w->EndDialog(ui::kIdCancel);
    });
    EXPECT_EQ(result, ui::kIdCancel);
    EXPECT_EQ(beeps, 1);
    std::vector<ui::ConnectionProfile> saved;
    ASSERT_EQ(ui::ProfileFile(dir.File("profile.ini")).LoadProfiles(saved), 1);
    EXPECT_EQ(saved[0].name, "Home");
}

TEST_F(SettingsPagesTest, AHostileProfileFileIsReportedAndKept) {
    {
        std::ofstream(dir.File("profile.ini"), std::ios::binary)
            << std::string("[1]\nProfileName=\xff\xfe\n");
    }
    CQKCommonDlg& list = Dialog(13);
    runner.ThenType(10, ui::kIdOk);
    const int result = RunReal(list, [&] { list.RunningWindow()->EndDialog(ui::kIdCancel); });
    EXPECT_EQ(result, ui::kIdCancel);
    ASSERT_EQ(runner.Records().size(), 1u);
    EXPECT_EQ(runner.Records()[0].title, "Warning");
    EXPECT_NE(runner.Records()[0].text.find("profile.ini"), std::string::npos);
    EXPECT_TRUE(list.Profiles().empty());
}

TEST_F(SettingsPagesTest, ProfilePageShowsTheProfileAndMasksTheDefaultCode) {
    struct Row {
        int mode;
        const char* code;
        const char* shown;
    } rows[] = {{1, "6049", "****"},
                {1, "", ""},
                {1, "1234", "1234"},
                {0, "", "****"},
                {0, "6049", "****"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.mode) + " " + row.code);
        CQKCommonDlg& page = Dialog(7);
        page.CurrentProfile() = {"Office", "", "10.0.0.7", "ann", row.code, ""};
        page.SetLoginCode(row.code);
        page.SetReceiverName("Room 4");
        ui::CommonDialogWindow& w = Open(page);
        (void)w;
        // Open() builds without the dialog's own loop: fill through a run.
        const int result = RunReal(page, [&] {
            ui::CommonDialogWindow* rw = page.RunningWindow();
            ASSERT_TRUE(settings->FillProfilePage(page, row.mode));
            EXPECT_EQ(rw->FindControl(1004)->Text(), row.shown);
            EXPECT_EQ(rw->FindControl(1011)->Text(), row.mode == 1 ? "Office" : "Room 4");
            if (row.mode == 1) {
                EXPECT_EQ(rw->FindControl(1021)->Text(), "10.0.0.7");
            }
            ASSERT_TRUE(settings->FillProfilePage(page, 2));
            EXPECT_EQ(rw->FindControl(1011)->Text(), "");
            EXPECT_EQ(rw->FindControl(1021)->Text(), "0.0.0.0");
            rw->EndDialog(ui::kIdCancel);
        });
        EXPECT_EQ(result, ui::kIdCancel);
    }
    CQKCommonDlg& other = Dialog(10);
    EXPECT_FALSE(settings->FillProfilePage(other, 1));
}

}  // namespace
}  // namespace dialogtest
