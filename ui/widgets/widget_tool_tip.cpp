#include "ui/widgets/widget_tool_tip.h"

#include <utility>

#include "platform/window/window_manager.h"

namespace ui {

namespace {
constexpr uint32_t kToolId = 1;
}

void WidgetToolTip::Relay(const platform::Message& msg) {
    if (m_tip) {
        m_tip->RelayEvent(msg);
    }
}

void WidgetToolTip::Show(platform::WindowId window, std::string text, platform::Point at) {
    platform::WindowManager* wm = platform::WindowManager::Current();
    if (!wm || !wm->IsAlive(window) || text.empty()) {
        return;
    }
    if (!m_tip) {
        m_tip = std::make_unique<platform::ToolTip>(*wm, window);
        m_tip->Activate(false);
    }
    if (!m_tip->HasTool(window, kToolId)) {
        m_tip->AddTool(window, kToolId, platform::Rect{}, std::move(text));
    } else {
        m_tip->SetToolText(window, kToolId, std::move(text));
    }
    m_tip->Activate(true);
    // The pointer already rests here: the tooltip's wait starts now.
    platform::Message move;
    move.kind = platform::MessageKind::kMouseMove;
    move.target = window;
    move.point = at;
    m_tip->RelayEvent(move);
}

void WidgetToolTip::Deactivate() {
    if (m_tip) {
        m_tip->Activate(false);
    }
}

}  // namespace ui
