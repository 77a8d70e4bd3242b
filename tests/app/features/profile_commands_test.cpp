// The dialog-driven menu commands against a scripted runner and the fake
// window: the two profile commands over a real profile file, and the
// manual add of a receiver by its address.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/features/main_window_features.h"
#include "app/features/manual_add.h"
#include "platform/window/headless_backend.h"
#include "platform/window/window_manager.h"
#include "tests/app/features/fake_feature_host.h"
#include "tests/platform/window/window_test_support.h"
#include "tests/support/TempDir.h"
#include "ui/dialogs/cqk_common_dlg.h"
#include "ui/dialogs/profile_file.h"

namespace {

using featuretest::FakeFeatureHost;
using Names = std::vector<std::string>;

class ProfileCommandsTest : public testing::Test {
protected:
    void SetUp() override {
        path = (dir.Path() / "profile.ini").string();
        ui::ProfileFile file(path);
        ASSERT_TRUE(file.SaveProfiles(
            {{"Home", "", "10.0.0.2", "bob", "", ""}, {"Lab", "", "10.0.0.9", "bob", "", ""}}));
        host.connection = {"Receiver 7", "", "192.168.1.5", "carol", "4711", ""};
    }
    Names FileNames() {
        std::vector<ui::ConnectionProfile> profiles;
        ui::ProfileFile(path).LoadProfiles(profiles);
        Names names;
        for (const ui::ConnectionProfile& p : profiles) {
            names.push_back(p.name + "@" + p.serverIp);
        }
        return names;
    }

    testsupport::TempDir dir;
    std::string path;
    FakeFeatureHost host;
};

TEST_F(ProfileCommandsTest, SaveCurrentAsPutsThePagesProfileFirstAndKeepsTheOthers) {
    struct Row {
        const char* name;
        int result;
        std::string saved;
        Names file;
    } rows[] = {
        {"new name", ui::kIdOk, "Office", {"Office@192.168.1.5", "Home@10.0.0.2", "Lab@10.0.0.9"}},
        {"same name replaces", ui::kIdOk, "Lab", {"Lab@192.168.1.5", "Home@10.0.0.2"}},
        {"cancel", ui::kIdCancel, "Office", {"Home@10.0.0.2", "Lab@10.0.0.9"}},
        {"no name", ui::kIdOk, "", {"Home@10.0.0.2", "Lab@10.0.0.9"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SetUp();
        host.runner.ThenType(7, row.result, [&row](ui::ModalDialog& d) {
            auto& page = static_cast<ui::CQKCommonDlg&>(d);
            // The page shows the connected receiver over the file's profiles.
            EXPECT_EQ(page.ReceiverName(), "Receiver 7");
            EXPECT_EQ(page.Ipv4(), 0x0501A8C0u);
            EXPECT_EQ(page.UserName(), "carol");
            EXPECT_EQ(page.LoginCode(), "4711");
            EXPECT_EQ(page.Profiles().size(), 2u);
            page.CurrentProfile() = {row.saved, "", "192.168.1.5", "carol", "4711", ""};
        });
        pemuapp::MainWindowFeatures features(host, {.profilePath = path});
        EXPECT_TRUE(features.OnCommand(pemuapp::kCmdSaveProfile));
        EXPECT_EQ(FileNames(), row.file);
        EXPECT_EQ(host.runner.TypeMismatches(), 0);
    }
}

TEST_F(ProfileCommandsTest, ManageProfileSavesTheListOnlyWhenItEndsWithOk) {
    struct Row {
        const char* name;
        int result;
        bool empty;
        Names file;
    } rows[] = {
        {"ok", ui::kIdOk, false, {"Lab@10.0.0.9"}},
        {"cancel", ui::kIdCancel, false, {"Home@10.0.0.2", "Lab@10.0.0.9"}},
        // A list that never came from the file must not empty it.
        {"ok without a list", ui::kIdOk, true, {"Home@10.0.0.2", "Lab@10.0.0.9"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SetUp();
        host.runner.ThenType(13, row.result, [&row](ui::ModalDialog& d) {
            auto& list = static_cast<ui::CQKCommonDlg&>(d);
            if (!row.empty) {
                list.Profiles() = {{"Lab", "", "10.0.0.9", "bob", "", ""}};
            }
        });
        pemuapp::MainWindowFeatures features(host, {.profilePath = path});
        EXPECT_TRUE(features.OnCommand(pemuapp::kCmdManageProfile));
        EXPECT_EQ(FileNames(), row.file);
        EXPECT_EQ(host.runner.TypeMismatches(), 0);
    }
}

TEST(ManualAddTest, TheTypedReceiverIsLoggedInToAndAFailedLoginReturnsToTheSearchPage) {
    struct Row {
        const char* name;
        int result;
        uint32_t ipv4;
        bool loginSucceeds;
        std::vector<std::string> logins;
        int resets;
        int shown;
        // The receiver list: listed under its address before the login,
        // named after it.
        std::vector<featuretest::ListedRow> listed;
    } rows[] = {
        {"cancel", ui::kIdCancel, 0x0701A8C0, true, {}, 0, 0, {}},
        {"no address", ui::kIdOk, 0, true, {}, 0, 0, {}},
        {"refused login",
         ui::kIdOk,
         0x0701A8C0,
         false,
         {"192.168.1.7"},
         1,
         0,
         {{"", "192.168.1.7", 0}}},
        {"added",
         ui::kIdOk,
         0x0701A8C0,
         true,
         {"192.168.1.7"},
         0,
         1,
         {{"", "192.168.1.7", 0}, {"Receiver 7", "192.168.1.7", 1}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        FakeFeatureHost host;
        host.loginSucceeds = row.loginSucceeds;
        host.connection.name = "Receiver 7";
        host.runner.ThenType(32, row.result, [&row](ui::ModalDialog& d) {
            auto& page = static_cast<ui::CQKCommonDlg&>(d);
            EXPECT_EQ(page.ReceiverName(), "Receiver 7");
            page.SetIpv4(row.ipv4);
        });
        pemuapp::MainWindowFeatures features(host);
        EXPECT_TRUE(features.OnCommand(pemuapp::kCmdManualAddDevice));
        EXPECT_EQ(host.logins, row.logins);
        EXPECT_EQ(host.projectionResets, row.resets);
        EXPECT_EQ(host.mainWindowShown, row.shown);
        EXPECT_EQ(host.listed, row.listed);
        EXPECT_EQ(host.runner.TypeMismatches(), 0);
        EXPECT_FALSE(features.ManualAddDevice().Running());
    }
}

TEST(ManualAddTest, TheCommandAgainWhileItsPageIsOpenOpensNoSecondPage) {
    FakeFeatureHost host;
    pemuapp::MainWindowFeatures features(host);
    host.runner.ThenType(32, ui::kIdOk, [&](ui::ModalDialog& d) {
        EXPECT_TRUE(features.OnCommand(pemuapp::kCmdManualAddDevice));  // from the tray meanwhile
        static_cast<ui::CQKCommonDlg&>(d).SetIpv4(0x0701A8C0);
    });
    features.OnCommand(pemuapp::kCmdManualAddDevice);
    EXPECT_EQ(host.runner.Records().size(), 1u);
    EXPECT_EQ(host.runner.Unexpected(), 0);
    EXPECT_EQ(host.logins, std::vector<std::string>{"192.168.1.7"});
}

// The search page's companion window is matched by its whole title (with
// its blank): while it is open the command only raises it and asks it to
// connect by address; a window titled without the blank does not count.
TEST(ManualAddTest, AnOpenCompanionWindowIsAskedToConnectByAddressInstead) {
    struct Row {
        const char* title;
        bool handedOver;
    } rows[] = {{"Pemu ", true}, {"Pemu", false}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.title);
        platform::RecordingHandler companion;  // outlives the window manager
        std::unique_ptr<platform::WindowManager> wm = platform::WindowManager::Create(
            std::make_unique<platform::HeadlessBackend>(platform::Rect{0, 0, 800, 600}));
        ASSERT_NE(wm, nullptr);
        platform::WindowOptions o;
        o.rect = {0, 0, 300, 200};
        o.className = "PEMU_COMMON";
        o.title = row.title;
        o.handler = &companion;
        const platform::WindowId window = wm->Create(o);
        ASSERT_TRUE(window);

        FakeFeatureHost host;
        host.runner.ThenType(32, ui::kIdCancel);
        pemuapp::MainWindowFeatures features(host);
        EXPECT_TRUE(features.OnCommand(pemuapp::kCmdManualAddDevice));
        wm->PumpPending(platform::PumpKind::kAll);
        std::vector<uint32_t> commands;
        for (const platform::Received& m : companion.Of(platform::MessageKind::kCommand)) {
            commands.push_back(static_cast<uint32_t>(m.code));
        }
        if (row.handedOver) {
            EXPECT_TRUE(wm->IsVisible(window));
            EXPECT_EQ(commands, std::vector<uint32_t>{pemuapp::kCmdConnectByAddress});
            EXPECT_TRUE(host.runner.Records().empty());  // no address page of its own
        } else {
            EXPECT_FALSE(wm->IsVisible(window));
            EXPECT_TRUE(commands.empty());
            EXPECT_EQ(host.runner.Records().size(), 1u);
        }
        EXPECT_FALSE(features.ManualAddDevice().Running());
    }
}

}  // namespace
