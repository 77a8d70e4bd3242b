// The sender's own login code: the first-start offer, the change command
// (one dialog at a time), the overlay command, the hand-over to the
// sender-server side, and log lines that never hold the code.
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "app/features/login_code.h"
#include "platform/log.h"
#include "tests/app/features/fake_feature_host.h"
#include "tests/app/features/log_capture.h"
#include "ui/dialogs/cqk_common_dlg.h"

namespace {

using featuretest::FakeFeatureHost;
using featuretest::HandedCode;

ui::CQKCommonDlg& Common(ui::ModalDialog& d) {
    return static_cast<ui::CQKCommonDlg&>(d);
}

using featuretest::LogCapture;

TEST(LoginCodeTest, FirstStartOffersACodeOnceAndAlwaysClearsTheFlag) {
    struct Row {
        const char* name;
        std::string stored;
        int answer;
        std::string typed;  // empty: the offered code stays
        std::string expected;
        bool codeWritten;
    } rows[] = {
        {"no code, taken", "", ui::kIdOk, "", "<random>", true},
        {"no code, typed", "", ui::kIdOk, "112233", "112233", true},
        {"no code, skipped", "", ui::kIdCancel, "", "", false},
        {"stored, skipped", "4321", ui::kIdCancel, "", "4321", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        FakeFeatureHost host;
        host.settings.loginCode = row.stored;
        std::string offered;
        host.runner.ThenType(35, row.answer, [&](ui::ModalDialog& d) {
            offered = Common(d).LoginCode();
            if (!row.typed.empty()) {
                Common(d).SetLoginCode(row.typed);
            }
        });
        pemuapp::LoginCodeFeature feature(host);
        feature.ShowFirstStartLoginCodeDialog();
        feature.ShowFirstStartLoginCodeDialog();  // once per installation
        EXPECT_EQ(host.runner.Records().size(), 1u);
        EXPECT_EQ(host.runner.TypeMismatches(), 0);
        if (row.stored.empty()) {
            ASSERT_EQ(offered.size(), 6u);
            for (char c : offered) {
                EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(c)));
            }
        } else {
            EXPECT_EQ(offered, row.stored);
        }
        const std::string expected = row.expected == "<random>" ? offered : row.expected;
        EXPECT_EQ(feature.Code(), expected);
        EXPECT_EQ(host.written.count("LoginCode"), row.codeWritten ? 1u : 0u);
        if (row.codeWritten) {
            EXPECT_EQ(host.written["LoginCode"], expected);
        }
        EXPECT_EQ(host.written["FirstTimeStartApplication"], "false");
    }
}

TEST(LoginCodeTest, NoFirstStartDialogOnceTheFlagIsClear) {
    FakeFeatureHost host;
    host.settings.firstTimeStartApplication = false;
    pemuapp::LoginCodeFeature feature(host);
    feature.ShowFirstStartLoginCodeDialog();
    EXPECT_TRUE(host.runner.Records().empty());
    EXPECT_TRUE(host.writes.empty());
}

TEST(LoginCodeTest, ChangeStoresAndHandsOverTheCode) {
    struct Row {
        const char* name;
        int answer;
        std::string typed;
        std::vector<HandedCode> handed;
        std::string stored;
    } rows[] = {
        {"a code", ui::kIdOk, "5555", {{2, "5555"}}, "5555"},
        {"no code", ui::kIdOk, "", {{0, ""}}, ""},
        {"cancelled", ui::kIdCancel, "5555", {}, "1234"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        FakeFeatureHost host;
        host.settings.loginCode = "1234";
        pemuapp::LoginCodeFeature feature(host);
        std::string initial;
        host.runner.ThenType(31, row.answer, [&](ui::ModalDialog& d) {
            initial = Common(d).LoginCode();
            Common(d).SetLoginCode(row.typed);
        });
        feature.OnChangeLoginCode();
        EXPECT_EQ(initial, "1234");
        EXPECT_EQ(host.handedCodes, row.handed);
        EXPECT_EQ(feature.Code(), row.stored);
        EXPECT_EQ(host.written.count("LoginCode"), row.answer == ui::kIdOk ? 1u : 0u);
        EXPECT_EQ(host.mainWindowShown, 1);
    }
}

TEST(LoginCodeTest, ChangeCommandWhileItsDialogIsOpenOpensNoSecond) {
    FakeFeatureHost host;
    pemuapp::LoginCodeFeature feature(host);
    host.runner.Then(ui::kIdOk, [&](ui::ModalDialog& d) {
        feature.OnChangeLoginCode();  // the command again, from the open dialog's loop
        Common(d).SetLoginCode("7788");
    });
    feature.OnChangeLoginCode();
    EXPECT_EQ(host.runner.Records().size(), 1u);
    EXPECT_EQ(host.runner.Unexpected(), 0);
    EXPECT_EQ(feature.Code(), "7788");
    feature.OnChangeLoginCode();  // closed: it opens again
    EXPECT_EQ(host.runner.Records().size(), 2u);
}

TEST(LoginCodeTest, OverlayOnlyForAnOwnCode) {
    struct Row {
        std::string code;
        std::vector<std::string> overlays;
    } rows[] = {{"6049", {}}, {"", {}}, {"1234", {"1234"}}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.code);
        FakeFeatureHost host;
        host.settings.loginCode = row.code;
        pemuapp::LoginCodeFeature feature(host);
        feature.OnShowLoginCode();
        EXPECT_EQ(host.overlays, row.overlays);
    }
}

TEST(LoginCodeTest, IdentityCarriesTheCutUserNameThenTheCode) {
    struct Row {
        std::string user;
        std::string code;
        std::string inRecord;
        HandedCode handed;
    } rows[] = {
        {"alice", "", "alice", {0, ""}},
        {std::string(60, 'u'), "9911", std::string(39, 'u'), {2, "9911"}},
    };
    for (const Row& row : rows) {
        FakeFeatureHost host;
        host.userName = row.user;
        host.settings.loginCode = row.code;
        pemuapp::LoginCodeFeature feature(host);
        feature.SetupSenderIdentity();
        ASSERT_EQ(host.identities.size(), 1u);
        EXPECT_EQ(std::string(host.identities[0].senderName), row.inRecord);
        EXPECT_EQ(host.handedCodes, std::vector<HandedCode>{row.handed});
    }
}

TEST(LoginCodeTest, NoLogLineHoldsTheCode) {
    LogCapture log;
    FakeFeatureHost host;
    host.runner.Then(ui::kIdOk, [](ui::ModalDialog& d) { Common(d).SetLoginCode("918273"); })
        .Then(ui::kIdOk, [](ui::ModalDialog& d) { Common(d).SetLoginCode("564738"); });
    pemuapp::LoginCodeFeature feature(host);
    feature.ShowFirstStartLoginCodeDialog();
    feature.OnChangeLoginCode();
    feature.OnShowLoginCode();
    feature.SetupSenderIdentity();
    EXPECT_EQ(feature.Code(), "564738");
    EXPECT_TRUE(log.AnyHolds("xxxx"));
    EXPECT_FALSE(log.AnyHolds("918273"));
    EXPECT_FALSE(log.AnyHolds("564738"));
}

}  // namespace
