// The connect page's logins against the simulated receiver on a loopback
// address of this process's own: a rejected code asked again, the failures
// that go back to the address prompt, and a receiver that drops the
// connection, whose row and entry go on the user-interface thread with the
// message naming it.
#include <arpa/inet.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "tests/platform/window/test_artifacts.h"
#include "tests/support/OwnLoopbackAddress.h"
#include "tests/support/TempDir.h"
#include "tests/ui/dialogs/common_dialog_test_support.h"
#include "tests/ui/dialogs/connect_script.h"
#include "tests/vrxclientsdk/VRXClient/facade_test_env.h"
#include "ui/dialogs/login_error_messages.h"
#include "ui/dialogs/login_rows.h"
#include "ui/dialogs/settings_pages.h"
#include "ui/widgets/qk_list_view.h"

namespace dialogtest {
namespace {

using receiver_sim::Reply;
using ui::CQKCommonDlg;
using ui::DialogRecord;

constexpr uint8_t kLoginEx = 0x92;

// A client as the program's client adapter makes it for a dialog: its lost
// connection is posted to the dialog's window with its source number.
class RowClient final : public VRXClient {
public:
    RowClient(platform::WindowManager* wm, platform::WindowId target, int64_t source,
              std::atomic<int>* logouts)
        : m_wm(wm), m_target(target), m_source(source), m_logouts(logouts) {
        SetNoBindingPort({389, 515, 8080});
    }
    ~RowClient() override { Shutdown(); }

    void OnConnectClose() override {
        m_wm->Post(m_target, platform::Message::User(ui::kClientEventMessage,
                                                     ui::kClientEventConnectClose, m_source));
    }
    void Logout() override {
        ++*m_logouts;
        VRXClient::Logout();
    }

private:
    platform::WindowManager* m_wm;
    platform::WindowId m_target;
    int64_t m_source;
    std::atomic<int>* m_logouts;
};

class ConnectPageSimTest : public CommonDialogTest {
protected:
    void SetUp() override {
        CommonDialogTest::SetUp();
        address = testsupport::OwnLoopbackAddress(40, 0x1f);
        ui::SettingsPages::Services s;
        s.profilePath = dir.File("profile.ini");
        s.beep = [] {};
        settings = std::make_unique<ui::SettingsPages>(s);
        env.pages = settings.get();
        auto make = [this](platform::WindowId target, int64_t source) {
            return std::make_unique<RowClient>(wm.get(), target, source, &logouts);
        };
        mainWindow.makeClient = [make](platform::WindowId target) { return make(target, 0); };
        mainWindow.makeRowClient = make;
    }
    void TearDown() override {
        settings.reset();
        receiver.reset();
        CommonDialogTest::TearDown();
    }

    // The simulated receiver on this process's address, command port 3268.
    void StartReceiver(const std::function<void(receiver_sim::CommandConfig&)>& more = {}) {
        receiver.reset();
        receiver = std::make_unique<facadetest::SimReceiver>(address.c_str(), 0x0130,
                                                             [&](receiver_sim::CommandConfig& c) {
                                                                 c.port = 3268;
                                                                 c.loginCode = "1234";
                                                                 c.record.name = "Room 4";
                                                                 c.record.codeMode = 0;
                                                                 if (more) {
                                                                     more(c);
                                                                 }
                                                             });
    }
    // The login codes the receiver was sent, in order.
    std::vector<std::string> SentCodes() {
        std::vector<std::string> codes;
        for (const receiver_sim::SenderFrame& f : receiver->sim->FramesWithCode(kLoginEx)) {
            const char* at = reinterpret_cast<const char*>(f.payload.data() + 52);
            codes.emplace_back(at, strnlen(at, 8));
        }
        return codes;
    }
    // Runs `dialog` through its real modal loop; `step` acts once it waits.
    int RunReal(CQKCommonDlg& dialog, std::function<void()> step) {
        OnFirstIdle(headless, clock, std::move(step));
        ui::WindowDialogRunner real;
        return real.DoModal(dialog);
    }
    // Runs messages until `done` (the client's thread posts what it saw).
    template <typename Pred>
    bool PumpUntil(Pred done) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!done()) {
            if (std::chrono::steady_clock::now() > end) {
                return false;
            }
            Pump();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return true;
    }

    testsupport::TempDir dir;
    std::string address;
    std::unique_ptr<facadetest::SimReceiver> receiver;
    std::unique_ptr<ui::SettingsPages> settings;
    std::atomic<int> logouts{0};
};

TEST_F(ConnectPageSimTest, AWrongCodeIsAskedAgainAndADroppedReceiverLeavesWithItsBoxOnTheUiThread) {
    StartReceiver();
    CQKCommonDlg& page = Dialog(2);
    const std::thread::id uiThread = std::this_thread::get_id();
    std::thread::id boxThread;
    const int result = RunReal(page, [&] {
        runner.ThenType(32, ui::kIdOk, Address(address))
            .ThenType(30, ui::kIdOk, Code("1111"))
            .ThenType(10, ui::kIdOk)
            .ThenType(30, ui::kIdOk, Code("1234"));
        ASSERT_TRUE(settings->ManualConnectByIp(page));
        EXPECT_EQ(SentCodes(), (std::vector<std::string>{"1111", "1234"}));
        ASSERT_EQ(runner.Records().size(), 4u);
        EXPECT_EQ(runner.Records()[2], (DialogRecord{10, "Warning", "Incorrect LOGIN CODE"}));
        ASSERT_EQ(page.Receivers().size(), 1u);
        EXPECT_EQ(page.Receivers()[0].ip, address);
        EXPECT_EQ(page.Receivers()[0].name, "Room 4");
        EXPECT_EQ(page.LoginCode(), "1234");
        ASSERT_EQ(settings->Entries(page)->size(), 1u);

        // The receiver drops the connection: the client's thread posts, the
        // page shows the box and lets the entry go on this thread.
        runner.ThenType(10, ui::kIdOk,
                        [&](ui::ModalDialog&) { boxThread = std::this_thread::get_id(); });
        const int logoutsBefore = logouts;
        receiver->sim->CloseClient();
        ASSERT_TRUE(PumpUntil([&] { return runner.Records().size() == 5; }));
        EXPECT_EQ(boxThread, uiThread);
        EXPECT_EQ(runner.Records()[4],
                  (DialogRecord{10, "Warning", "Device disconnected.\n(Room 4: " + address + ")"}));
        EXPECT_TRUE(settings->Entries(page)->empty());
        EXPECT_GT(logouts, logoutsBefore);
        EXPECT_TRUE(receiver->sim->WaitForNoOpenConnection());
        // Whatever else the closing client posts finds no entry: no box.
        Pump();
        EXPECT_EQ(runner.Records().size(), 5u);
        page.RunningWindow()->EndDialog(ui::kIdCancel);
    });
    EXPECT_EQ(result, ui::kIdCancel);
    EXPECT_EQ(runner.Unexpected(), 0);
    EXPECT_EQ(runner.TypeMismatches(), 0);
    EXPECT_TRUE(receiver->sim->Errors().empty());
}

TEST_F(ConnectPageSimTest, FailedLoginsGoBackToTheAddressAndLeaveNoConnection) {
    const std::string nobody = testsupport::OwnLoopbackAddress(72, 0x1f);
    struct Row {
        const char* what;
        std::function<void(receiver_sim::CommandConfig&)> config;
        std::function<void(receiver_sim::CommandReceiver&)> script;
        const std::string* at;            // the typed address
        std::vector<DialogRecord> boxes;  // between the two address prompts
    } rows[] = {
        {"busy: another sender holds the receiver",
         {},
         [](receiver_sim::CommandReceiver& r) { r.SetReply(kLoginEx, Reply::Result(255)); },
         &address,
         {{30, "", ""}}},
        {"dropped during the login",
         {},
         [](receiver_sim::CommandReceiver& r) { r.SetReply(kLoginEx, Reply::Disconnect()); },
         &address,
         {{30, "", ""}, {10, "Warning", "Device disconnected."}}},
        {"not a receiver this page lists",
         [](receiver_sim::CommandConfig& c) { c.record.kind2 = 5; },
         {},
         &address,
         {{30, "", ""}, {10, "Warning", ui::kConnectFailedText}}},
        {"nobody at the address", {}, {}, &nobody, {{10, "Warning", ui::kConnectFailedText}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        StartReceiver(row.config);
        if (row.script) {
            row.script(*receiver->sim);
        }
        ExpectFailedConnectPass(env, *settings, *row.at, row.boxes);
        // No client of a failed login keeps its connection.
        EXPECT_TRUE(receiver->sim->WaitForNoOpenConnection());
    }
}

DevAnnounce Record(const std::string& ip, uint8_t kind2) {
    DevAnnounce a;
    a.SetIPv4(facadetest::Ip(ip.c_str()));
    std::memcpy(a.bytes + DevAnnounce::kNameOffset, "Room 4", 6);
    a.bytes[DevAnnounce::kKindOffset1] = 6;
    a.bytes[DevAnnounce::kKindOffset2] = kind2;
    return a;
}

TEST_F(ConnectPageSimTest, FoundReceiversGetOneRowEachAndADroppedOneLosesItsRow) {
    StartReceiver();
    mainWindow.discovered = {Record(address, 6), Record(address, 6), Record("127.0.0.9", 5)};
    CQKCommonDlg& page = Dialog(37);
    const int result = RunReal(page, [&] {
        settings->SearchPageClients(page, nullptr);
        ui::CQKListView* list = ui::LoginListView(page);
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(list->RowCount(), 1);
        ASSERT_EQ(settings->Entries(page)->size(), 1u);
        // A second search finds the same receiver: no second row or client.
        const size_t made = mainWindow.clientSources.size();
        settings->SearchPageClients(page, nullptr);
        EXPECT_EQ(list->RowCount(), 1);
        EXPECT_EQ(mainWindow.clientSources.size(), made);

        VRXClient* client = settings->Entries(page)->front().client.get();
        ASSERT_EQ(client->Login(facadetest::Ip(address.c_str()), "ann", "1234"), 0);
        list->RefreshLoginStates();
        wm->Invalidate(page.Window());
        Pump();
        EXPECT_TRUE(platform::SaveArtifact(*headless->State(page.Window())->presented,
                                           "login_row_type37.png"));
        // A lost connection of a client the page does not hold: nothing.
        wm->Post(page.Window(), platform::Message::User(ui::kClientEventMessage,
                                                        ui::kClientEventConnectClose, -7));
        Pump();
        EXPECT_TRUE(runner.Records().empty());
        EXPECT_EQ(list->RowCount(), 1);

        runner.ThenType(10, ui::kIdOk);
        receiver->sim->CloseClient();
        ASSERT_TRUE(PumpUntil([&] { return !runner.Records().empty(); }));
        EXPECT_EQ(runner.Records()[0].text, "Device disconnected.\n(Room 4: " + address + ")");
        EXPECT_EQ(list->RowCount(), 0);
        EXPECT_TRUE(settings->Entries(page)->empty());
        page.RunningWindow()->EndDialog(ui::kIdCancel);
    });
    EXPECT_EQ(result, ui::kIdCancel);
    // Without a list view a page gets no rows.
    ui::CQKCommonDlg& plain = Dialog(28);
    std::vector<ui::LoginRowEntry> entries;
    EXPECT_EQ(ui::AddClientsForFound(plain, mainWindow, mainWindow.discovered, entries), -1);
    EXPECT_TRUE(entries.empty());
}

TEST(DisconnectedText, NamesTheReceiverCutAfter22Characters) {
    const uint32_t ip = facadetest::Ip("10.0.0.7");
    struct Row {
        std::string name, text;
    } rows[] = {
        {"", "Device disconnected."},
        {std::string(22, 'r'), "Device disconnected.\n(" + std::string(22, 'r') + ": 10.0.0.7)"},
        {std::string(23, 'r'), "Device disconnected.\n(" + std::string(22, 'r') + "...: 10.0.0.7)"},
        // Characters, not bytes: 23 two-byte letters keep 22 whole ones.
        {[] {
             std::string s;
             for (int i = 0; i < 23; ++i)
                 s += "\xC3\xA9";
             return s;
         }(),
         [] {
             std::string s = "Device disconnected.\n(";
             for (int i = 0; i < 22; ++i)
                 s += "\xC3\xA9";
             return s + "...: 10.0.0.7)";
         }()},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(ui::DisconnectedText(r.name, ip), r.text);
    }
}

}  // namespace
}  // namespace dialogtest
