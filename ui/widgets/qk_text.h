// CQKText: a skinned caption, and the handle or link some captions act as.
//
// The caption is drawn in the widget's rectangle (cut to its parent
// widgets' rectangles) with the font family, the text size in pixels and
// the text colour, placed by the format flags (TextFormatFromFlags).
//
// Events: the device-name text (id 30207) reports hover and leave to the
// main dialog, and is pressed and released as part of its row; text 30221
// reports a click to the main dialog (kEventTextClick); the dialog's drag
// handles (kDragHandleIds) pass a press on to the dialog window in its
// client coordinates, so the dialog moves; other top-level texts pass their
// release on to the dialog window.
// THREADING: user-interface thread only.
#pragma once

#include <cstdint>

#include "platform/draw/color.h"
#include "ui/widgets/drawing_functions.h"
#include "ui/widgets/qkin.h"

namespace ui {

// Format flags of a caption.
inline constexpr uint8_t kTextCenter = 0x01;
inline constexpr uint8_t kTextRight = 0x02;
inline constexpr uint8_t kTextVCenter = 0x04;
inline constexpr uint8_t kTextBottom = 0x08;
inline constexpr uint8_t kTextWrap = 0x10;
inline constexpr uint8_t kTextEllipsis = 0x20;

// The string format of the flags: near alignment both ways unless a flag
// says otherwise; a caption wraps at words inside its rectangle, except
// that 0x20 keeps it on one line cut with an ellipsis (with 0x10 as well it
// wraps and the last line that fits is cut).
StringFormat TextFormatFromFlags(uint8_t flags);

// Whether a press on text `controlId` moves its dialog.
bool IsDragHandleText(uint32_t controlId);

class CQKText : public CQKin {
public:
    CQKText();

    int Weight() const { return m_weight; }
    void SetWeight(int weight) { m_weight = weight; }
    uint8_t FormatFlags() const { return m_flags; }
    void SetFormatFlags(uint8_t flags) { m_flags = flags; }
    // Drawn fully opaque.
    platform::ColorRef TextColour() const { return m_colour; }
    void SetTextColour(platform::ColorRef colour) { m_colour = colour; }
    // Kept, not drawn.
    platform::ColorRef SecondColour() const { return m_second; }
    void SetSecondColour(platform::ColorRef colour) { m_second = colour; }

    // Draws the caption when visible, then shows or hides the window by the
    // visible flag. 0.
    int DrawToBackBuffer() override;

protected:
    int64_t OnLButtonDown(platform::Point p) override;
    int64_t OnLButtonUp(platform::Point p) override;
    int64_t OnMouseMove(platform::Point p) override;
    int64_t OnMouseHover(platform::Point p) override;
    int64_t OnMouseLeave() override;

private:
    int m_weight = 400;
    uint8_t m_flags = 0;
    platform::ColorRef m_colour;
    platform::ColorRef m_second;
    bool m_hovered = false;
    bool m_tracking = false;
};

}  // namespace ui
