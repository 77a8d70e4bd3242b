// PowerSchemeManager: keeps the PC awake while the sender runs by switching
// it to the system's high-performance plan, and puts the plan that was
// active back afterwards (the AutoPowerManager setting).
//
// Only the newer plan interface is served. A system without a
// high-performance plan is not switched at all; a system without plans
// (this one: the Linux form logs that once) keeps its plan.
// THREADING: user-interface thread.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/power/power_plans.h"

class Logger;

namespace pemuapp {

// The second group of the high-performance plan's identifier (8c5e7fda-e8bf-...).
inline constexpr uint16_t kHighPerformanceGroup = 0xE8BF;

class PowerSchemeManager {
public:
    // Both borrowed; `plans` must outlive the manager, `log` may be null.
    PowerSchemeManager(platform::PowerPlans* plans, Logger* log) : m_plans(plans), m_log(log) {}

    // At start (AutoPowerManager true) and when the option is switched on:
    // remembers the active plan and activates the high-performance plan.
    // True when that plan is active afterwards; false, with nothing
    // switched, when a step fails or there is no such plan. A second call
    // while switched changes nothing (the remembered plan stays the user's).
    bool EnsureOwnPowerScheme();

    // At exit and when the option is switched off: activates the remembered
    // plan. False when none is remembered or the switch fails.
    bool RestorePowerScheme();

    bool IsSwitched() const { return m_switched; }

private:
    platform::PowerPlans* m_plans;
    Logger* m_log;
    std::optional<platform::PowerPlanId> m_saved;
    bool m_switched = false;
};

}  // namespace pemuapp
