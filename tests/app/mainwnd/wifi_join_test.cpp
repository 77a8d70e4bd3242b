// The Wi-Fi join flow on the fake provider, with scripted dialogs: which
// result each path gives, what is remembered for the restore, and what the
// provider is asked to join.
#include "app/mainwnd/wifi_join.h"

#include <gtest/gtest.h>

#include <map>

#include "platform/fake_clock.h"
#include "platform/fake_wifi_provider.h"
#include "tests/ui/dialogs/scripted_dialog_runner.h"

namespace pemuapp {
namespace {

using platform::WifiAccessPoint;

WifiAccessPoint Ap(std::string ssid, int signal, int auth = 6) {
    WifiAccessPoint ap;
    ap.ssid = std::move(ssid);
    ap.signal = signal;
    ap.authentication = auth;
    ap.interfaceName = "wlan0";
    ap.secured = auth >= 0;
    return ap;
}

class WifiJoinTest : public testing::Test {
protected:
    WifiJoinContext Context() {
        WifiJoinContext c;
        c.wifi = &wifi;
        c.readSetting = [this](const std::string& k) {
            auto it = settings.find(k);
            return it == settings.end() ? std::string() : it->second;
        };
        c.writeSetting = [this](const std::string& k, const std::string& v) {
            settings[k] = v;
            ++writes[k];
        };
        c.env.runner = &runner;
        c.pump = [this](uint32_t) { ++pumps; };
        c.log = [this](const std::string& line) { logLines.push_back(line); };
        c.addressWaitMs = 0;
        c.lanCheckMs = 0;
        c.settleMs = 0;
        return c;
    }
    // The access-point box picks `row`, the key box answers with `key`.
    void PickRow(int row, std::string key) {
        runner.ThenType(1, ui::kIdOk, [row](ui::ModalDialog& d) {
            static_cast<ui::CQKCommonDlg&>(d).SetSelectedRow(row);
        });
        runner.ThenType(4, ui::kIdOk, [key](ui::ModalDialog& d) {
            static_cast<ui::CQKCommonDlg&>(d).SetEnteredKey(key);
        });
    }

    platform::FakeWifiProvider wifi{{Ap("home", 40), Ap("RX-Room1", 80), Ap("cafe", 10, -1)}};
    ui::ScriptedDialogRunner runner;
    std::map<std::string, std::string> settings;
    std::map<std::string, int> writes;
    std::vector<std::string> logLines;
    int pumps = 0;
};

TEST(WifiJoinRules, ExistingNetworkAndAutoWifi) {
    EXPECT_TRUE(ProfileStartsJoin(true, "RX-Room1"));
    EXPECT_FALSE(ProfileStartsJoin(true, kExistingNetwork));
    EXPECT_FALSE(ProfileStartsJoin(true, ""));
    EXPECT_FALSE(ProfileStartsJoin(false, "RX-Room1"));
}

TEST(WifiJoinRules, StrongestFirstAndEqualQualityBeforeThoseListed) {
    const std::vector<WifiAccessPoint> sorted =
        SortByQuality({Ap("a", 50), Ap("b", 70), Ap("c", 50), Ap("d", 90), Ap("e", 10)});
    std::vector<std::string> names;
    for (const WifiAccessPoint& ap : sorted) {
        names.push_back(ap.ssid);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"d", "b", "c", "a", "e"}));
    EXPECT_TRUE(SortByQuality({}).empty());
}

TEST(WifiJoinRules, KeyKinds) {
    const std::pair<int, int> cases[] = {{0, 0}, {2, 0}, {3, 3}, {4, 3}, {5, 3},
                                         {6, 6}, {7, 6}, {8, 0}, {-1, 0}};
    for (auto [auth, kind] : cases) {
        EXPECT_EQ(KeyKindOf(auth), kind) << auth;
    }
}

TEST_F(WifiJoinTest, ServiceStatesMapToTheirResultsBeforeAnythingChanges) {
    const std::pair<platform::WifiServiceState, int> cases[] = {
        {platform::WifiServiceState::kNotManaged, kJoinNotManaged},
        {platform::WifiServiceState::kQueryFailed, kJoinNotifyFailed}};
    for (auto [state, result] : cases) {
        wifi.serviceState = state;
        ui::ConnectionProfile profile;
        WifiJoinFlow flow(Context());
        EXPECT_EQ(flow.ChooseAndJoin(false, profile), result);
    }
    EXPECT_EQ(wifi.Calls(), 0);
    EXPECT_TRUE(wifi.Joins().empty());
    EXPECT_TRUE(settings.empty());
    EXPECT_TRUE(runner.Records().empty());
}

TEST_F(WifiJoinTest, TheChosenNetworkIsJoinedWithTheEnteredKeyAndRemembered) {
    wifi.currentNetwork = "home";
    PickRow(0, "s3cret-key");  // sorted: RX-Room1 first
    ui::ConnectionProfile profile;
    // The join ends only after the window has pumped once, whatever the
    // worker's speed.
    wifi.HoldJoins();
    WifiJoinContext context = Context();
    context.pump = [this](uint32_t) {
        ++pumps;
        wifi.ReleaseJoins();
    };
    WifiJoinFlow flow(context);
    EXPECT_EQ(flow.ChooseAndJoin(false, profile), kJoinFinished);
    ASSERT_EQ(wifi.Joins().size(), 1u);
    EXPECT_EQ(wifi.Joins()[0].ssid, "RX-Room1");
    EXPECT_EQ(wifi.Joins()[0].key, "s3cret-key");
    EXPECT_EQ(wifi.Joins()[0].interfaceName, "wlan0");
    EXPECT_EQ(profile.ssid, "RX-Room1");
    EXPECT_EQ(settings["SelectAPName"], "RX-Room1");
    EXPECT_EQ(settings["oldNTName"], "home");
    EXPECT_EQ(settings["oldAPName"], "wlan0");
    EXPECT_EQ(settings["isRestore"], "1");
    EXPECT_EQ(settings["isZERIFlag"], "1");
    EXPECT_TRUE(flow.JoinAttempted());
    EXPECT_GT(pumps, 0);
    for (const std::string& line : logLines) {
        EXPECT_EQ(line.find("s3cret-key"), std::string::npos) << line;
    }
}

TEST_F(WifiJoinTest, RestoreKeysAreWrittenOnlyAtTheFirstJoin) {
    wifi.currentNetwork = "home";
    PickRow(0, "k1");
    ui::ConnectionProfile profile;
    EXPECT_EQ(WifiJoinFlow(Context()).ChooseAndJoin(false, profile), kJoinFinished);
    // Now on RX-Room1; the second join goes to "home" and must keep the
    // first remembered network.
    PickRow(1, "k2");
    EXPECT_EQ(WifiJoinFlow(Context()).ChooseAndJoin(false, profile), kJoinFinished);
    EXPECT_EQ(wifi.Joins().size(), 2u);
    EXPECT_EQ(settings["oldNTName"], "home");
    EXPECT_EQ(writes["oldNTName"], 1);
    EXPECT_EQ(writes["isZERIFlag"], 1);
    EXPECT_EQ(settings["SelectAPName"], "home");
    EXPECT_EQ(writes["SelectAPName"], 2);

    // Restore: nothing while a network is remembered; after the reset the
    // service is given back.
    WifiJoinFlow flow(Context());
    EXPECT_EQ(flow.RestoreService(), 0);
    EXPECT_EQ(wifi.Restores(), 0);
    flow.ResetRestoreKeys();
    EXPECT_EQ(settings["isZERIFlag"], "0");
    EXPECT_EQ(flow.RestoreService(), 1);
    EXPECT_EQ(wifi.Restores(), 1);
}

TEST_F(WifiJoinTest, TheNetworkInUseGivesInUseWithoutAJoin) {
    wifi.currentNetwork = "RX-Room1";
    PickRow(0, "whatever");
    ui::ConnectionProfile profile;
    EXPECT_EQ(WifiJoinFlow(Context()).ChooseAndJoin(false, profile), kJoinNetworkInUse);
    EXPECT_TRUE(wifi.Joins().empty());
    EXPECT_EQ(settings.count("isZERIFlag"), 0u);
    // The profile path too.
    profile.ssid = "RX-Room1";
    EXPECT_EQ(WifiJoinFlow(Context()).ChooseAndJoin(true, profile), kJoinNetworkInUse);
    EXPECT_TRUE(wifi.Joins().empty());
}

TEST_F(WifiJoinTest, AFailedJoinStillEndsTheWaitWithFinishedAndLogsTheReason) {
    wifi.joinSucceeds = false;
    PickRow(0, "k");
    ui::ConnectionProfile profile;
    EXPECT_EQ(WifiJoinFlow(Context()).ChooseAndJoin(false, profile), kJoinFinished);
    ASSERT_EQ(logLines.size(), 1u);
    EXPECT_NE(logLines[0].find("failed"), std::string::npos);
    EXPECT_NE(logLines[0].find("refused the key"), std::string::npos);
}

TEST_F(WifiJoinTest, AnAddressWaitThatCannotBeSetUpGivesNotifyFailed) {
    wifi.addressChange = -1;
    PickRow(0, "k");
    ui::ConnectionProfile profile;
    EXPECT_EQ(WifiJoinFlow(Context()).ChooseAndJoin(false, profile), kJoinNotifyFailed);
}

// The join's waits run on the process clock, which here moves only while
// the window pumps: an adapter that has its address already waits the
// whole address time and is never watched; any other is watched, then
// checked at most four times a second apart, then settles.
TEST_F(WifiJoinTest, TheJoinWaitsOnTheClockAsItsAdapterNeeds) {
    struct Case {
        const char* what;
        std::string adapterWithAddress;
        int lanAfterChecks;
        int addressWaits;
        int lanChecks;
        uint64_t leastElapsed;  // clock time the join took at least
    };
    const Case cases[] = {
        {"adapter known", "wlan0", 1, 0, 0, 13000},
        {"another adapter known", "eth0", 1, 1, 1, 1999},
        {"LAN at the third check", "", 3, 1, 3, 2000 + 1999},
        {"never on the LAN", "", 0, 1, 4, 3000 + 1999},
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(t.what);
        platform::FakeClock clock;
        platform::ScopedClockOverride useClock(clock);
        platform::FakeWifiProvider joiner{{Ap("RX-Room1", 80)}};
        joiner.adapterWithAddress = t.adapterWithAddress;
        joiner.lanAfterChecks = t.lanAfterChecks;
        WifiJoinContext context = Context();
        context.wifi = &joiner;
        context.addressWaitMs = kAddressWaitMs;
        context.lanCheckMs = kLanCheckMs;
        context.settleMs = kSettleMs;
        context.pump = [&clock](uint32_t ms) {
            clock.Advance(ms);
            platform::SleepMs(1);
        };
        const uint64_t start = clock.NowMs();
        ui::ConnectionProfile profile;
        profile.ssid = "RX-Room1";
        profile.key = "k";
        EXPECT_EQ(WifiJoinFlow(context).ChooseAndJoin(true, profile), kJoinFinished);
        EXPECT_EQ(joiner.Joins().size(), 1u);
        EXPECT_EQ(joiner.AddressWaits(), t.addressWaits);
        EXPECT_EQ(joiner.LanChecks(), t.lanChecks);
        EXPECT_GE(clock.NowMs() - start, t.leastElapsed);
    }
}

TEST_F(WifiJoinTest, CancelsAndEmptyLists) {
    ui::ConnectionProfile profile;
    runner.ThenType(1, ui::kIdCancel);
    EXPECT_EQ(WifiJoinFlow(Context()).ChooseAndJoin(false, profile), 0);
    runner.ThenType(1, ui::kIdOk, [](ui::ModalDialog& d) {
        static_cast<ui::CQKCommonDlg&>(d).SetSelectedRow(0);
    });
    runner.ThenType(4, ui::kIdCancel);
    EXPECT_EQ(WifiJoinFlow(Context()).ChooseAndJoin(false, profile), kJoinKeyCancelled);
    wifi.SetPoints({});
    EXPECT_EQ(WifiJoinFlow(Context()).ChooseAndJoin(false, profile), 0);
    EXPECT_TRUE(wifi.Joins().empty());
    EXPECT_EQ(runner.Unexpected(), 0);
}

TEST_F(WifiJoinTest, TheStoredKeyStandsBehindTheMask) {
    settings["WifiKeyByVornCipher"] = "stored-key";
    settings["DeviceNameByVornCipher"] = "RX-Room1";
    runner.ThenType(1, ui::kIdOk, [](ui::ModalDialog& d) {
        static_cast<ui::CQKCommonDlg&>(d).SetSelectedRow(0);
    });
    std::string shown;
    runner.ThenType(4, ui::kIdOk, [&shown](ui::ModalDialog& d) {
        auto& box = static_cast<ui::CQKCommonDlg&>(d);
        shown = box.InitialText();
        box.SetEnteredKey(kStoredKeyMask);
    });
    ui::ConnectionProfile profile;
    EXPECT_EQ(WifiJoinFlow(Context()).ChooseAndJoin(false, profile), kJoinFinished);
    ASSERT_EQ(wifi.Joins().size(), 1u);
    EXPECT_EQ(wifi.Joins()[0].key, "stored-key");
    EXPECT_EQ(shown, kStoredKeyMask);
    // Joining the stored key's network clears the stored pair.
    EXPECT_EQ(settings["WifiKeyByVornCipher"], "");
    EXPECT_EQ(settings["DeviceNameByVornCipher"], "");
}

TEST_F(WifiJoinTest, AProfileJoinsItsNetworkWithoutDialogs) {
    ui::ConnectionProfile profile;
    profile.ssid = "RX-Room1";
    profile.key = "profile-key";
    EXPECT_EQ(WifiJoinFlow(Context()).ChooseAndJoin(true, profile), kJoinFinished);
    ASSERT_EQ(wifi.Joins().size(), 1u);
    EXPECT_EQ(wifi.Joins()[0].key, "profile-key");
    EXPECT_EQ(wifi.Joins()[0].authentication, 6);
    EXPECT_TRUE(runner.Records().empty());
}

}  // namespace
}  // namespace pemuapp
