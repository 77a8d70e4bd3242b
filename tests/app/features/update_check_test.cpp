// The update check against a loopback HTTP server: the start-up results for
// every kind of answer, the late answer that must not count, and the notices
// and the exit of the command path.
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <string>

#include "app/features/main_window_features.h"
#include "app/features/update_check.h"
#include "app/features/version_text.h"
#include "app/res/version_info.h"
#include "tests/app/features/fake_feature_host.h"
#include "tests/app/features/http_test_server.h"

namespace {

using featuretest::FakeFeatureHost;
using featuretest::HttpTestServer;

constexpr appres::FileVersion kOwn{1, 2, 3, 4};

// The version file's server: answers `body` with `status`; a held answer
// waits until Release().
class VersionServer {
public:
    VersionServer() {
        m_http.Routes().Get(pemuapp::kVersionTextPath,
                            [this](const httplib::Request&, httplib::Response& res) {
                                std::unique_lock<std::mutex> lock(m_lock);
                                m_released.wait(lock, [this] { return !m_hold; });
                                ++m_served;
                                res.status = m_status;
                                res.set_content(m_body, "text/plain");
                            });
        EXPECT_TRUE(m_http.Start());
    }
    ~VersionServer() {
        Release();
        m_http.Stop();
    }
    void Answer(std::string body, int status = 200) {
        std::lock_guard<std::mutex> guard(m_lock);
        m_body = std::move(body);
        m_status = status;
    }
    void Hold() {
        std::lock_guard<std::mutex> guard(m_lock);
        m_hold = true;
    }
    void Release() {
        {
            std::lock_guard<std::mutex> guard(m_lock);
            m_hold = false;
        }
        m_released.notify_all();
    }
    std::string Base() const { return m_http.Base(); }

private:
    HttpTestServer m_http;
    std::mutex m_lock;
    std::condition_variable m_released;
    std::string m_body;
    int m_status = 200;
    bool m_hold = false;
    int m_served = 0;
};

TEST(VersionTextTest, OnlyPrintableTextsWithDotsAtTwoAndFourAreUsed) {
    struct Row {
        std::string body;
        bool usable;
        bool newer;
    } rows[] = {
        {"1.2.3.4", true, false},    {" 1.2.3.5\r\n", true, true},
        {"1.3.0.0", true, true},     {"1.1.99.99", true, false},
        {"2.0.0", true, true},       {"10.0.0.1", false, false},
        {"garbage", false, false},   {"", false, false},
        {"1.2", false, false},       {"1.2.3\x01", false, false},
        {"1.2.a.4", false, false},   {"1.2.", false, false},
        {"1.2.3.4.5", false, false}, {std::string(40, '1'), false, false},
        {"1.2.3 4", false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.body);
        const auto text = pemuapp::UsableVersionText(row.body);
        const auto numbers = text ? pemuapp::ParseVersionNumbers(*text) : std::nullopt;
        EXPECT_EQ(numbers.has_value(), row.usable);
        if (numbers) {
            EXPECT_EQ(pemuapp::IsNewerThan(*numbers, kOwn), row.newer);
        }
    }
}

TEST(UpdateCheckTest, StartupResultFollowsTheServersAnswer) {
    struct Row {
        const char* name;
        std::string body;
        int status;
        bool absent;
        int expected;
    } rows[] = {
        {"new", "1.3.0.0\n", 200, false, 1},
        {"same", "1.2.3.4", 200, false, 0},
        {"old", "1.1.0.0", 200, false, 0},
        {"garbage", "<html>nothing here</html>", 200, false, -1},
        {"not found", "1.3.0.0", 404, false, -1},
        {"too large", "1.3.0.0" + std::string(70 * 1024, ' '), 200, false, -1},
        {"absent", "", 200, true, -1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        VersionServer server;
        server.Answer(row.body, row.status);
        FakeFeatureHost host;
        host.written["UpdateServer"] = row.absent ? featuretest::AbsentServerBase() : server.Base();
        host.runner.ThenType(25, ui::kIdOk);
        pemuapp::UpdateCheck check(host, "http://update.pemu.invalid", kOwn);
        EXPECT_EQ(check.CheckForUpdateAtStart(), row.expected);
        // Only a newer version opens the offer; the start-up path shows no notice.
        EXPECT_EQ(host.runner.Records().size(), row.expected == 1 ? 1u : 0u);
        EXPECT_EQ(host.opener.Opened(),
                  row.expected == 1 ? std::vector<std::string>{server.Base() +
                                                               "/winUpdate/PemuQuorvaneSender.exe"}
                                    : std::vector<std::string>{});
        EXPECT_EQ(host.exits, 0);
        EXPECT_TRUE(host.writes.empty());
    }
}

// The engine's start-up call, as the program makes it: its own version
// against the server's answer; only a newer version that the user takes
// ends the start (the engine then exits), whatever else the server does.
TEST(UpdateCheckTest, TheStartupCallOfTheWindowTakesOnlyANewerVersion) {
    const appres::FileVersion own = appres::ProgramFileVersion();
    ASSERT_LT(own.major, 9);  // the version text has one digit each for major and minor
    ASSERT_LT(own.minor, 10);
    const auto text = [](unsigned a, unsigned b, unsigned c, unsigned d) {
        return std::to_string(a) + "." + std::to_string(b) + "." + std::to_string(c) + "." +
               std::to_string(d);
    };
    const std::string newer = text(own.major + 1u, 0, 0, 0);
    struct Row {
        const char* name;
        std::string body;
        bool slow;
        bool absent;
        bool taken;
    } rows[] = {
        {"new", newer, false, false, true},
        {"same", text(own.major, own.minor, own.build, own.revision), false, false, false},
        {"old", "0.0.0.0", false, false, false},
        {"garbage", "garbage", false, false, false},
        {"slow", newer, true, false, false},  // answers after the start-up's wait
        {"absent", "", false, true, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        VersionServer server;
        server.Answer(row.body);
        if (row.slow) {
            server.Hold();
        }
        FakeFeatureHost host;
        host.written["UpdateServer"] = row.absent ? featuretest::AbsentServerBase() : server.Base();
        host.runner.ThenType(25, ui::kIdOk);
        {
            pemuapp::MainWindowFeatures features(host);
            EXPECT_EQ(features.RunUpdateCheck(), row.taken);
            server.Release();
        }
        EXPECT_EQ(host.runner.Records().size(), row.taken ? 1u : 0u);
        EXPECT_EQ(host.opener.Opened().size(), row.taken ? 1u : 0u);
        EXPECT_EQ(host.exits, 0);  // the engine exits by its own command
        EXPECT_TRUE(host.writes.empty());
    }
}

TEST(UpdateCheckTest, TheBuildsAddressServesWhenNoSettingNamesOne) {
    VersionServer server;
    server.Answer("1.2.3.4");
    FakeFeatureHost host;
    pemuapp::UpdateCheck check(host, server.Base() + "/", kOwn);
    EXPECT_EQ(check.BaseAddress(), server.Base());
    EXPECT_EQ(check.CheckForUpdateAtStart(), 0);
}

TEST(UpdateCheckTest, AnAnswerAfterTheStartupWaitIsDropped) {
    VersionServer server;
    server.Answer("1.3.0.0");  // newer: would offer the update if it counted
    server.Hold();
    FakeFeatureHost host;
    host.written["UpdateServer"] = server.Base();
    pemuapp::UpdateCheck check(host, "", kOwn);
    EXPECT_EQ(check.CheckForUpdateAtStart(), -1);
    // The held answer now arrives for the first check, which has given up;
    // the next check asks again and gets the current answer only.
    server.Answer("1.2.3.4");
    server.Release();
    EXPECT_EQ(check.CheckForUpdateAtStart(), 0);
    EXPECT_TRUE(host.runner.Records().empty());
}

TEST(UpdateCheckTest, TheCommandAgainWhileItsCheckWaitsStartsNoSecondCheck) {
    VersionServer server;
    server.Answer("1.2.3.4");
    server.Hold();
    FakeFeatureHost host;
    host.written["UpdateServer"] = server.Base();
    host.runner.Then(ui::kIdOk);
    pemuapp::UpdateCheck check(host, "", kOwn);
    bool dispatched = false;
    host.onPump = [&] {
        if (dispatched) {
            return;
        }
        dispatched = true;
        check.OnCheckForUpdate();  // dispatched while the first check waits
        server.Release();
    };
    check.OnCheckForUpdate();
    EXPECT_GT(host.pumps.load(), 0);
    ASSERT_EQ(host.runner.Records().size(), 1u);  // one up-to-date notice
    EXPECT_EQ(host.runner.Records()[0].type, 25);
}

TEST(UpdateCheckTest, CommandShowsItsNoticesAndExitsOnlyWhenTheUpdateIsTaken) {
    struct Row {
        const char* name;
        std::string body;
        int answer;  // the offer's answer, when it is shown
        bool hasOpener;
        int expected;
        std::vector<int> types;  // the dialogs shown, in order
        int exits;
    } rows[] = {
        {"garbage", "garbage", ui::kIdOk, true, -1, {10}, 0},
        {"same", "1.2.3.4", ui::kIdOk, true, 0, {25}, 0},
        {"declined", "1.3.0.0", ui::kIdCancel, true, -2, {25}, 0},
        {"taken", "1.3.0.0", ui::kIdOk, true, 1, {25}, 1},
        {"taken without opener", "1.3.0.0", ui::kIdOk, false, 1, {25, 10}, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        VersionServer server;
        server.Answer(row.body);
        FakeFeatureHost host;
        host.hasOpener = row.hasOpener;
        host.written["UpdateServer"] = server.Base();
        host.runner.Then(row.answer).Then(ui::kIdOk);
        pemuapp::UpdateCheck check(host, "", kOwn);
        check.OnCheckForUpdate();
        std::vector<int> types;
        for (const ui::DialogRecord& r : host.runner.Records()) {
            types.push_back(r.type);
        }
        EXPECT_EQ(types, row.types);
        EXPECT_EQ(host.exits, row.exits);
        const auto& records = host.runner.Records();
        if (row.expected == -1) {
            EXPECT_EQ(records[0].title, "Warning");
            EXPECT_EQ(records[0].text, "Can not connect server, server disconnect.");
        }
        if (row.name == std::string("taken without opener")) {
            EXPECT_EQ(records[1].text, server.Base() + "/winUpdate/PemuQuorvaneSender.exe");
        }
        EXPECT_TRUE(host.writes.empty());
    }
}

}  // namespace
