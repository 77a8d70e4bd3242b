// The tooltip of one skinned widget: a platform::ToolTip made on first use,
// with one tool (id 1) over the widget's whole window.
//
// The widget relays its mouse messages (Relay) and shows the tip when the
// pointer rests on it (Show); the tip then appears after the tooltip's own
// delay and hides as the tooltip decides (leave, press, time-out).
// Ownership: owned by the widget; the popup window dies with it.
// THREADING: user-interface thread only.
#pragma once

#include <memory>
#include <string>

#include "platform/controls/tool_tip.h"
#include "platform/window/window_message.h"

namespace ui {

class WidgetToolTip {
public:
    WidgetToolTip() = default;
    WidgetToolTip(const WidgetToolTip&) = delete;
    WidgetToolTip& operator=(const WidgetToolTip&) = delete;

    // A mouse message of the widget's window; nothing before the first Show.
    void Relay(const platform::Message& msg);
    // Sets the tool's text over `window`, activates the tooltip and starts
    // its wait as if the pointer had just come to rest at `at` (window
    // coordinates). An empty text shows nothing.
    void Show(platform::WindowId window, std::string text, platform::Point at);
    void Deactivate();

    // The tooltip, or null before the first Show.
    const platform::ToolTip* Get() const { return m_tip.get(); }

private:
    std::unique_ptr<platform::ToolTip> m_tip;
};

}  // namespace ui
