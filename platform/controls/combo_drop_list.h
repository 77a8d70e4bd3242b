// The open list of a ComboBox: a popup top-level of its own, made when the
// list opens and destroyed when it closes. It draws and presents itself
// (it is not part of any dialog's ControlSet) and hands picks back to its
// combo box. Internal to ComboBox.
//
// THREADING: user-interface thread only.
#pragma once

#include <memory>

#include "platform/controls/scroll_bar.h"
#include "platform/draw/surface.h"
#include "platform/window/window_handler.h"

namespace platform {

class ComboBox;

class ComboDropList final : public WindowHandler {
public:
    // The most items the list shows at once; more scroll.
    static constexpr int kMaxShown = 8;

    // `combo` is borrowed and owns this list.
    explicit ComboDropList(ComboBox& combo) : m_combo(combo) {}

    // Makes the popup below (or above) the box, takes focus and capture.
    bool Open();
    // Gives up capture and destroys the popup; returns the highlighted item.
    int Close();
    bool IsOpen() const;
    WindowId Window() const { return m_window; }
    int Hot() const { return m_hot; }

    int64_t OnMessage(WindowId self, const Message& msg) override;

private:
    ScrollState Scroll() const;
    void SetHot(int index);
    bool OnKey(const Message& msg);
    void Paint(const Rect& area);
    int ItemAt(Point p) const;

    ComboBox& m_combo;
    WindowId m_window;
    Size m_size;
    int m_hot = -1;
    int m_top = 0;
    VScrollBar m_bar;
    std::unique_ptr<Surface> m_surface;
};

}  // namespace platform
