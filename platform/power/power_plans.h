// Power plans of the system: which plan is active, which exist, and
// switching between them (the newer plan interface, identifiers of 16
// bytes).
//
// This system offers no power-plan service to a program: Create() gives the
// Linux form, which answers every call with failure and writes, once per
// process, that power plans are not available, so that the PC keeps the
// plan it has. FakePowerPlans stands in for a system that has plans.
// THREADING: an object belongs to one thread.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace platform {

using PowerPlanId = std::array<uint8_t, 16>;

struct PowerPlan {
    PowerPlanId id{};
    std::string name;
};

class PowerPlans {
public:
    virtual ~PowerPlans() = default;

    // Where the Linux form writes its one notice; null: stderr.
    using Notice = std::function<void(const std::string&)>;
    static std::unique_ptr<PowerPlans> Create(Notice notice = {});

    // The active plan; false when it cannot be read.
    virtual bool GetActivePlan(PowerPlanId* id) = 0;
    // Every plan, in the system's order; false when they cannot be listed.
    virtual bool EnumeratePlans(std::vector<PowerPlan>* plans) = 0;
    // Makes `id` the active plan; false on failure.
    virtual bool SetActivePlan(const PowerPlanId& id) = 0;
};

// The second group of a plan identifier ("8c5e7fda-e8bf-..." gives 0xE8BF),
// stored little-endian in the identifier's bytes 4 and 5.
inline uint16_t PlanIdSecondGroup(const PowerPlanId& id) {
    return static_cast<uint16_t>(id[4] | (id[5] << 8));
}

}  // namespace platform
