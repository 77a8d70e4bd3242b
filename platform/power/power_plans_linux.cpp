// The Linux form of the power-plan service: there is none to call.
#include <atomic>
#include <cstdio>

#include "platform/power/power_plans.h"

namespace platform {
namespace {

std::atomic<bool> g_noticeGiven{false};

class PowerPlansLinux final : public PowerPlans {
public:
    explicit PowerPlansLinux(Notice notice) : m_notice(std::move(notice)) {}

    bool GetActivePlan(PowerPlanId*) override { return Unavailable(); }
    bool EnumeratePlans(std::vector<PowerPlan>*) override { return Unavailable(); }
    bool SetActivePlan(const PowerPlanId&) override { return Unavailable(); }

private:
    bool Unavailable() {
        if (!g_noticeGiven.exchange(true)) {
            const std::string text =
                "power plans are not available on this system; the PC keeps its plan";
            if (m_notice) {
                m_notice(text);
            } else {
                std::fprintf(stderr, "%s\n", text.c_str());
            }
        }
        return false;
    }

    Notice m_notice;
};

}  // namespace

std::unique_ptr<PowerPlans> PowerPlans::Create(Notice notice) {
    return std::make_unique<PowerPlansLinux>(std::move(notice));
}

}  // namespace platform
