// Power plans for tests: a list of plans, the active one, every call
// recorded, and switches that make a call fail.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "platform/power/power_plans.h"

namespace platform {

class FakePowerPlans final : public PowerPlans {
public:
    bool GetActivePlan(PowerPlanId* id) override {
        calls.push_back("GetActivePlan");
        if (failGetActive) {
            return false;
        }
        *id = active;
        return true;
    }
    bool EnumeratePlans(std::vector<PowerPlan>* out) override {
        calls.push_back("EnumeratePlans");
        if (failEnumerate) {
            return false;
        }
        *out = plans;
        return true;
    }
    bool SetActivePlan(const PowerPlanId& id) override {
        calls.push_back("SetActivePlan " + Name(id));
        if (failSetActive) {
            return false;
        }
        active = id;
        return true;
    }

    // The name of a listed plan, or "?".
    std::string Name(const PowerPlanId& id) const {
        for (const PowerPlan& p : plans) {
            if (p.id == id) {
                return p.name;
            }
        }
        return "?";
    }
    // A plan identifier whose second group is `group`.
    static PowerPlanId MakeId(uint8_t first, uint16_t group) {
        PowerPlanId id{};
        id[0] = first;
        id[4] = static_cast<uint8_t>(group & 0xff);
        id[5] = static_cast<uint8_t>(group >> 8);
        return id;
    }

    std::vector<PowerPlan> plans;
    PowerPlanId active{};
    bool failGetActive = false;
    bool failEnumerate = false;
    bool failSetActive = false;
    std::vector<std::string> calls;
};

}  // namespace platform
