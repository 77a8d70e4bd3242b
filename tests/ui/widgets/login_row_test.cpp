// Receiver rows: the per-receiver log the settings ask for (levels, append,
// hostile receiver names), the logged-in state read from the client, the
// media helpers, and disabled rows.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/TempDir.h"
#include "tests/ui/widgets/widget_test_support.h"
#include "ui/widgets/qk_list_view.h"
#include "ui/widgets/qk_login_item.h"
#include "ui/widgets/receiver_log.h"
#include "ui/widgets/widget_events.h"

namespace widgettest {
namespace {

using ui::CQKListView;
using ui::CQKLoginItem;
using ui::MapSettingsReader;

TEST(ReceiverLogTest, LevelWordsMatchExactly) {
    struct Row {
        const char* word;
        int level;
    } rows[] = {{"FATAL", 0},    {"ALERT", 100}, {"CRIT", 200},  {"ERROR", 300}, {"WARN", 400},
                {"NOTICE", 500}, {"INFO", 600},  {"DEBUG", 700}, {"debug", 600}, {"Warn", 600},
                {"", 600},       {"TRACE", 600}, {"DEBUG ", 600}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.word);
        EXPECT_EQ(ui::LogLevelFromWord(r.word), r.level);
    }
}

TEST(ReceiverLogTest, AppendIsTrueInAnyCaseOnly) {
    struct Row {
        const char* text;
        bool append;
    } rows[] = {{"true", true}, {"TRUE", true}, {"tRuE", true}, {"True", true},   {"false", false},
                {"1", false},   {"yes", false}, {"", false},    {" true", false}, {"truex", false}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text);
        EXPECT_EQ(ui::LogAppendFromText(r.text), r.append);
    }
}

// The receiver's name is network data: whatever it holds, the log file
// lies directly in the log folder with a bounded, printable name.
TEST(ReceiverLogTest, HostileReceiverNamesStayInTheLogFolder) {
    const uint32_t ip = 0x0A01A8C0u;  // 192.168.1.10
    MapSettingsReader settings(MapSettingsReader::Values{{"LogFile", "/var/tmp/pemu/log/sdk.log"}});
    struct Row {
        std::string name;
        std::string file;  // empty: no file
    } rows[] = {
        {"Meeting room", "Meeting room-192.168.1.10.log"},
        {"../../etc/passwd", "_.__._etc_passwd-192.168.1.10.log"},
        {"..", "_.-192.168.1.10.log"},
        {"a/b\\c", "a_b_c-192.168.1.10.log"},
        {std::string("tab\there\x01\x7f", 11), "tab_here___-192.168.1.10.log"},  // with a NUL
        {"\xff\xfe bad", "__ bad-192.168.1.10.log"},
        {"R\xC3\xA4ume", "R\xC3\xA4ume-192.168.1.10.log"},
        {std::string(200, 'x'), std::string(64, 'x') + "-192.168.1.10.log"},
        {std::string(63, 'x') + "\xC3\xA4", std::string(63, 'x') + "-192.168.1.10.log"},
        {"", ""},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const std::optional<ui::ReceiverLogPlan> plan = ui::PlanReceiverLog(settings, r.name, ip);
        ASSERT_TRUE(plan.has_value());
        EXPECT_EQ(plan->folder, "/var/tmp/pemu/log");
        if (r.file.empty()) {
            EXPECT_EQ(plan->path, "");
            continue;
        }
        const std::filesystem::path path(plan->path);
        EXPECT_EQ(path.parent_path(), "/var/tmp/pemu/log");
        EXPECT_EQ(path.filename(), r.file);
        EXPECT_EQ(plan->level, 600);
        EXPECT_TRUE(plan->append);
    }
    // No folder in LogFile, or no LogFile: no log at all.
    EXPECT_FALSE(ui::PlanReceiverLog(
        MapSettingsReader(MapSettingsReader::Values{{"LogFile", "sdk.log"}}), "R", ip));
    EXPECT_FALSE(ui::PlanReceiverLog(MapSettingsReader(), "R", ip));
}

class LoginRowTest : public WidgetTest {
protected:
    void TearDown() override {
        widgets.clear();
        clients.clear();
        WidgetTest::TearDown();
    }
    CQKListView* MakeList(FakeHost& host) {
        auto* list = Add<CQKListView>(&host, 4000, Rect::FromXywh(0, 30, 316, 0), "LIST");
        EXPECT_TRUE(list->CreateWidget());
        list->SetSettingsReader(&settings);
        host.AddPainted(list);
        return list;
    }
    FakeReceiverClient* NewClient(int status) {
        clients.push_back(std::make_unique<FakeReceiverClient>());
        clients.back()->status = status;
        return clients.back().get();
    }
    CQKLoginItem* RowOf(CQKListView* list, int i) {
        return static_cast<CQKLoginItem*>(list->Row(i));
    }

    testsupport::TempDir dir;
    MapSettingsReader settings;
    std::vector<std::unique_ptr<FakeReceiverClient>> clients;
};

TEST_F(LoginRowTest, RowOpensItsReceiverLogAsTheSettingsSay) {
    CQKListView* list = MakeList(Main());
    const std::string folder = (dir.Path() / "logs" / "deep").string();
    struct Row {
        const char* what;
        MapSettingsReader::Values values;
        std::string name;
        std::vector<FakeReceiverClient::LogCall> calls;
        bool folderMade;
    } rows[] = {
        {"defaults",
         {{"LogFile", folder + "/sdk.log"}},
         "Hall",
         {{folder + "/Hall-10.0.0.7.log", 600, true}},
         true},
        {"level and mode",
         {{"LogFile", folder + "/sdk.log"}, {"LogLevel", "DEBUG"}, {"LogAppend", "no"}},
         "Hall",
         {{folder + "/Hall-10.0.0.7.log", 700, false}},
         true},
        {"no name: folder only", {{"LogFile", folder + "/sdk.log"}}, "", {}, true},
        {"no log file", {{"LogLevel", "DEBUG"}}, "Hall", {}, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        std::filesystem::remove_all(dir.Path() / "logs");
        settings = MapSettingsReader(r.values);
        FakeReceiverClient* client = NewClient(kVrxDisconnected);
        list->AddLoginItem(client, 0x0700000Au, r.name);
        EXPECT_EQ(client->logs, r.calls);
        EXPECT_EQ(std::filesystem::is_directory(folder), r.folderMade);
    }
    // A row without a client has no log to set up.
    list->AddLoginItem(nullptr, 1, "X");
    EXPECT_FALSE(RowOf(list, list->RowCount() - 1)->SetUpReceiverLog());
}

TEST_F(LoginRowTest, RefreshReadsTheLoggedInStateAndTheReceiversName) {
    FakeMainHost& host = Main();
    CQKListView* list = MakeList(host);
    FakeReceiverClient* client = NewClient(kVrxDisconnected);
    client->videoFlag = true;
    list->AddLoginItem(client, 0x0700000Au, "Old name");
    CQKLoginItem* row = RowOf(list, 0);

    EXPECT_EQ(row->RefreshLoginState(), 0);
    EXPECT_FALSE(row->IsLoggedIn());
    EXPECT_TRUE(client->asked.empty());

    client->status = kVrxIdle;
    client->announcedName = "New name";
    EXPECT_EQ(row->RefreshLoginState(), 0);
    EXPECT_TRUE(row->IsLoggedIn());
    EXPECT_EQ(client->asked, (std::vector<uint32_t>{0x0700000Au}));
    EXPECT_EQ(row->Name(), "New name");
    EXPECT_EQ(row->Children()[0]->Caption(), "New name");
    EXPECT_EQ(client->flagClears, 1);
    EXPECT_FALSE(client->videoFlag);

    // A record that does not come, or comes without a name, keeps the name.
    client->announceResult = -6528001;
    row->RefreshLoginState();
    client->announceResult = 0;
    client->announcedName = "";
    row->RefreshLoginState();
    EXPECT_EQ(row->Name(), "New name");

    list->AddLoginItem(nullptr, 1, "X");
    EXPECT_EQ(RowOf(list, 1)->RefreshLoginState(), -1);
}

TEST_F(LoginRowTest, MediaHelpersAnswerByStatusAndFlag) {
    CQKListView* list = MakeList(Main());
    FakeReceiverClient* client = NewClient(kVrxDisconnected);
    list->AddLoginItem(client, 1, "R");
    CQKLoginItem* row = RowOf(list, 0);
    struct Row {
        const char* what;
        int status;
        bool videoFlag;
        int mediaResult;
        int can, play, pause, resume, seek;
    } rows[] = {
        {"not connected", kVrxDisconnected, true, 0, -1, -1, -1, -1, -1},
        {"idle, no video flag", kVrxIdle, false, 0, 0, 0, 1, 0, 0},
        {"idle, video flag", kVrxIdle, true, 0, 1, 1, 1, 0, 0},
        {"playing", kVrxMediaPlaying, true, 0, 1, 1, 1, 0, 1},
        {"playing, refused", kVrxMediaPlaying, true, -6527007, 1, 0, 0, 0, 0},
        {"paused", kVrxMediaPaused, true, 0, 1, 1, 0, 1, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        client->status = r.status;
        client->videoFlag = r.videoFlag;
        client->mediaResult = r.mediaResult;
        client->seeks.clear();
        EXPECT_EQ(row->CanPlayVideoFile(), r.can);
        EXPECT_EQ(row->PlayVideoFile(L"/media/clip.mp4"), r.play);
        EXPECT_EQ(row->PauseVideoFile(), r.pause);
        EXPECT_EQ(row->ResumeVideoFile(), r.resume);
        EXPECT_EQ(row->SeekVideoFile(12.9), r.seek);
        if (r.status == kVrxMediaPlaying) {
            EXPECT_EQ(client->seeks, (std::vector<int>{12}));
        }
    }
}

// A disabled row passes no click to its list, and shows its texts grey.
TEST_F(LoginRowTest, DisabledRowsPassNoClicks) {
    FakeCommonHost& host = Common();
    CQKListView* list = MakeList(host);
    list->AddLoginItem(NewClient(kVrxDisconnected), 1, "A");
    list->AddLoginItem(NewClient(kVrxDisconnected), 2, "B");
    host.RepaintAll();
    list->ClearRowMark();
    EXPECT_FALSE(RowOf(list, 1)->IsEnabled());
    EXPECT_EQ(RowOf(list, 1)->Children()[0]->FontFamily(), list->FontFamily());
    ClickOn(*list->Row(1), {100, 5});
    ClickOn(*list->Row(1), {315, 19});
    EXPECT_TRUE(host.TakeEvents().empty());
    EXPECT_EQ(list->Selection(), 0);

    list->SetRowMark();
    ClickOn(*list->Row(1), {100, 5});
    EXPECT_EQ(host.TakeEvents(), (std::vector<HostEvent>{{4000, ui::kEventClick, false}}));
    EXPECT_EQ(list->Selection(), 1);
}

}  // namespace
}  // namespace widgettest
