// Power plans on a fake system with plans, and the Linux form without any.
#include "app/system/power_scheme_manager.h"

#include <gtest/gtest.h>

#include "platform/power/fake_power_plans.h"

namespace pemuapp {
namespace {

using platform::FakePowerPlans;

class PowerSchemeManagerTest : public testing::Test {
protected:
    PowerSchemeManagerTest() {
        plans.plans = {{FakePowerPlans::MakeId(1, 0x1111), "Balanced"},
                       {FakePowerPlans::MakeId(2, kHighPerformanceGroup), "High performance"},
                       {FakePowerPlans::MakeId(3, 0x3333), "Power saver"}};
        plans.active = plans.plans[0].id;
    }
    FakePowerPlans plans;
    PowerSchemeManager manager{&plans, nullptr};
};

TEST_F(PowerSchemeManagerTest, HighPerformanceWhileRunningAndTheOldPlanBackAtExit) {
    EXPECT_TRUE(manager.EnsureOwnPowerScheme());
    EXPECT_EQ(plans.Name(plans.active), "High performance");
    // Switched on again while switched: the remembered plan stays the user's.
    EXPECT_TRUE(manager.EnsureOwnPowerScheme());
    EXPECT_TRUE(manager.RestorePowerScheme());
    EXPECT_EQ(plans.Name(plans.active), "Balanced");
    // The exit path restores a second time: harmless.
    EXPECT_TRUE(manager.RestorePowerScheme());
    EXPECT_EQ(plans.calls, (std::vector<std::string>{
                               "GetActivePlan", "EnumeratePlans", "SetActivePlan High performance",
                               "SetActivePlan Balanced", "SetActivePlan Balanced"}));
}

TEST_F(PowerSchemeManagerTest, NothingIsSwitchedWithoutAPlanToSwitchTo) {
    struct Row {
        const char* what;
        std::function<void(FakePowerPlans&)> setup;
    } rows[] = {
        {"no high-performance plan", [](FakePowerPlans& p) { p.plans.erase(p.plans.begin() + 1); }},
        {"the active plan unreadable", [](FakePowerPlans& p) { p.failGetActive = true; }},
        {"no list", [](FakePowerPlans& p) { p.failEnumerate = true; }},
        {"the switch refused", [](FakePowerPlans& p) { p.failSetActive = true; }},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        FakePowerPlans fake = plans;
        r.setup(fake);
        PowerSchemeManager m(&fake, nullptr);
        EXPECT_FALSE(m.EnsureOwnPowerScheme());
        EXPECT_EQ(fake.Name(fake.active), "Balanced");
        EXPECT_FALSE(m.IsSwitched());
        EXPECT_FALSE(m.RestorePowerScheme());  // nothing remembered
    }
}

TEST(PowerPlansLinuxTest, NoPlansAndOneNotice) {
    std::vector<std::string> notices;
    auto plans = platform::PowerPlans::Create([&](const std::string& n) { notices.push_back(n); });
    PowerSchemeManager manager(plans.get(), nullptr);
    EXPECT_FALSE(manager.EnsureOwnPowerScheme());
    EXPECT_FALSE(manager.EnsureOwnPowerScheme());
    EXPECT_FALSE(manager.RestorePowerScheme());
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_NE(notices[0].find("not available"), std::string::npos);
}

}  // namespace
}  // namespace pemuapp
