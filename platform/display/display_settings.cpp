#include "platform/display/display_settings.h"

#include <atomic>
#include <mutex>

namespace platform {
namespace {

std::atomic<DisplaySettings*> g_testSettings{nullptr};

}  // namespace

DisplaySettings* CurrentDisplaySettings() {
    if (DisplaySettings* test = g_testSettings.load()) {
        return test;
    }
    // Made once: the X connection it holds lives as long as the process.
    static std::once_flag once;
    static std::unique_ptr<DisplaySettings> real;
    std::call_once(once, [] { real = DisplaySettings::Create(); });
    return real.get();
}

void SetDisplaySettingsForTest(DisplaySettings* settings) {
    g_testSettings = settings;
}

}  // namespace platform
