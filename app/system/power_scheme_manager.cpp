#include "app/system/power_scheme_manager.h"

#include <vector>

#include "vrxclientsdk/VRPClient/Logger.h"

namespace pemuapp {

bool PowerSchemeManager::EnsureOwnPowerScheme() {
    if (m_switched) {
        return true;
    }
    platform::PowerPlanId active{};
    if (!m_plans->GetActivePlan(&active)) {
        QK_LOG(m_log, LOG_DEBUG, "EnsureOwnPowerScheme: the active plan cannot be read");
        return false;
    }
    std::vector<platform::PowerPlan> plans;
    if (!m_plans->EnumeratePlans(&plans)) {
        QK_LOG(m_log, LOG_DEBUG, "EnsureOwnPowerScheme: the plans cannot be listed");
        return false;
    }
    const platform::PowerPlan* target = nullptr;
    for (const platform::PowerPlan& p : plans) {
        if (platform::PlanIdSecondGroup(p.id) == kHighPerformanceGroup) {
            target = &p;
            break;
        }
    }
    if (!target) {
        // Not the last plan listed: without a high-performance plan nothing
        // is switched.
        QK_LOG(m_log, LOG_DEBUG, "EnsureOwnPowerScheme: no high-performance plan; not switched");
        return false;
    }
    if (!m_plans->SetActivePlan(target->id)) {
        QK_LOG(m_log, LOG_DEBUG, "EnsureOwnPowerScheme: \"%s\" cannot be activated",
               target->name.c_str());
        return false;
    }
    m_saved = active;
    m_switched = true;
    QK_LOG(m_log, LOG_DEBUG, "EnsureOwnPowerScheme: \"%s\" active", target->name.c_str());
    return true;
}

bool PowerSchemeManager::RestorePowerScheme() {
    if (!m_saved) {
        return false;
    }
    if (!m_plans->SetActivePlan(*m_saved)) {
        QK_LOG(m_log, LOG_DEBUG, "RestorePowerScheme: the earlier plan cannot be activated");
        return false;
    }
    m_switched = false;
    return true;
}

}  // namespace pemuapp
