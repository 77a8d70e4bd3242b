// One window of the table: what the core knows about it.
//
// Internal to the window layer; the user-interface thread owns every node.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/draw/region.h"
#include "platform/window/window_id.h"
#include "platform/window/window_options.h"

namespace platform {

class MessageObserver;
class WindowHandler;

struct WindowNode {
    WindowId id;
    WindowId parent;  // children only
    WindowId owner;   // top-levels only; may be null
    bool child = false;
    uint64_t sequence = 0;  // creation order, for stacking and Tab order
    Rect rect;              // child: parent client coordinates; top-level: screen
    std::string className;
    std::string title;
    uint32_t controlId = 0;
    bool visible = false;
    bool enabled = true;
    bool minimized = false;
    bool topmost = false;
    bool popup = false;
    bool toolWindow = false;
    bool clickThrough = false;
    bool perPixelAlpha = false;
    bool dialogKeys = false;
    bool messageOnly = false;
    bool doubleClicks = true;
    bool tabStop = false;
    WindowLayer layer = WindowLayer::kWidget;
    CursorShape cursor = CursorShape::kArrow;
    std::optional<Region> region;  // own coordinates; restricts hits and the shape
    uint8_t opacity = 255;
    WindowHandler* handler = nullptr;
    std::vector<MessageObserver*> observers;  // borrowed, in registration order
    std::vector<WindowId> children;           // creation order

    // Modal state.
    bool modal = false;
    bool modalEnded = false;
    int modalResult = 0;
    bool destroying = false;
};

}  // namespace platform
