// Follows the X server's mouse cursor: its shape through XFixes cursor
// notifications and its position by asking the server.
//
// The shape comes as premultiplied A, R, G, B words. Without the XFixes
// extension no shape is known and HasShape() stays false. Belongs to the
// thread that pumps its XDisplay.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/x11/x_display.h"

namespace platform {

struct CursorSprite {
    int width = 0;
    int height = 0;
    int hotX = 0;
    int hotY = 0;
    std::vector<uint32_t> argb;  // premultiplied, row after row
};

class XCursorMonitor : public XDisplay::EventHandler {
public:
    // `display` must outlive the monitor.
    XCursorMonitor(XDisplay* display, XId root);
    ~XCursorMonitor() override;
    XCursorMonitor(const XCursorMonitor&) = delete;
    XCursorMonitor& operator=(const XCursorMonitor&) = delete;

    // Subscribes to shape changes and reads the current shape. False when
    // the server lacks XFixes (the cursor then can't be drawn).
    bool Init();

    // The current shape; valid until the next event pump.
    bool HasShape() const { return m_shape.width > 0 && m_shape.height > 0; }
    const CursorSprite& Shape() const { return m_shape; }
    // Counts shape changes, so a user can tell the shape changed.
    uint64_t ShapeSerial() const { return m_serial; }

    // Asks the server where the pointer is on the root; false when it is
    // on another screen.
    bool QueryPosition(int* x, int* y) const;

    void HandleXEvent(const _XEvent& event) override;

private:
    void ReadShape();

    XDisplay* m_display;
    XId m_root;
    int m_eventBase = -1;
    CursorSprite m_shape;
    uint64_t m_serial = 0;
};

}  // namespace platform
