// Paints the mouse cursor into a 32-bit picture and takes it out again.
//
// The picture is the one the receiver gets, so the pixels under the cursor
// are saved when it is painted and put back before the picture is updated
// again; the capture itself never sees the cursor. The sprite is
// premultiplied A, R, G, B (as XFixes gives it), scaled by nearest sample.
// Not thread-safe: one capture thread uses it.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/x11/capture_rect.h"
#include "platform/x11/x_cursor_monitor.h"

class CursorPainter {
public:
    // Puts back what the last Paint() covered, in the same picture. Returns
    // that rectangle (empty when nothing is painted).
    platform::CaptureRect Restore(uint8_t* picture, int stride);

    // Paints `sprite` with its hot spot at (x, y), its size multiplied by
    // `scale`, clipped to the `width` x `height` picture (B, G, R, X).
    // Returns the rectangle painted (empty when off the picture).
    platform::CaptureRect Paint(uint8_t* picture, int stride, int width, int height,
                                const platform::CursorSprite& sprite, int x, int y, double scale);

    // Forgets the painted cursor without restoring (the picture was rebuilt).
    void Forget() { m_painted = {}; }
    const platform::CaptureRect& Painted() const { return m_painted; }

private:
    platform::CaptureRect m_painted;
    std::vector<uint8_t> m_saved;  // the pixels under m_painted, rows packed
};
