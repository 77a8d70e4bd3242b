// CQKButton: the clickable skinned widget. Image buttons with up to four
// looks, flat buttons drawn as filled rectangles, the choice pairs, the
// language menu's entries, and the knobs of the sliders.
//
// Behaviour follows the element name and the control id the creating dialog
// gives; everything not named here is a plain image button:
// - states: 0 normal, 1 hover, 2 pressed, 3 and 4 inactive (set by the
//   owner; no press, no click, no hover look). A press captures the mouse
//   and shows state 2; a release inside clicks (to the dialog's dispatcher
//   for a top-level button, else kChildClicked to the parent) and shows 0; a
//   release outside clicks nothing and the pressed look stays until the
//   next hover or leave. Disabled: no tooltip, hover, press or release.
// - knobs ("VIDEOITEM_VOLUME_BALL", "VIDEOITEM_TIMER_BALL",
//   "QKINMAIN_SPEEDY_BUTTON", "VOL_HANDLE_BUTTON"): dragging passes the
//   knob's place to the main or common dialog, which re-lays the slider;
//   "VOL_SLIDER_IMAGE" and "VOL_SLIDER_HIGHLIGHT_IMAGE" set the volume page's
//   value where the bar is released.
// - a press on any button but the language entries closes the open
//   language menu (LanguageMenuHook).
// Looks: button_look.h. Drawing copies itself to the screen through the host
// (Redraw).
// THREADING: user-interface thread only.
#pragma once

#include "platform/draw/color.h"
#include "ui/widgets/qkin.h"
#include "ui/widgets/widget_tool_tip.h"

namespace ui {

class CQKButton : public CQKin {
public:
    CQKButton();

    int State() const { return m_state; }
    // Stores the state, then tells the dialog or redraws as the name asks.
    void SetState(int state);
    // Stores the state without telling anyone or drawing (for a row that
    // refreshes its buttons before it draws them).
    void StoreState(int state) { m_state = state; }
    // Non-zero: a two-frame button always shows frame (fixed frame - 1).
    int FixedFrame() const { return m_fixedFrame; }
    void SetFixedFrame(int frame) { m_fixedFrame = frame; }
    bool IsDisabled() const { return m_disabled; }
    void SetDisabled(bool disabled) { m_disabled = disabled; }
    bool Highlight() const { return m_highlight; }
    void SetHighlight(bool on) { m_highlight = on; }
    platform::Argb TextColour() const { return m_textColour; }
    void SetTextColour(platform::Argb colour) { m_textColour = colour; }
    bool IsHovered() const { return m_hovered; }

    // Draws the button and has the host copy it to the screen.
    void Redraw();
    // Shows `text` as the button's tooltip while the pointer rests on it.
    void ShowToolTip(const std::string& text);

    // Frame, flat fill and caption by state; hides the window when not
    // visible. Dropped while a draw of this button runs. 0.
    int DrawToBackBuffer() override;
    bool PreTranslate(platform::WindowId self, const platform::Message& msg) override;

    const platform::ToolTip* ToolTipForTest() const { return m_tip.Get(); }

protected:
    int64_t OnLButtonDown(platform::Point p) override;
    int64_t OnLButtonUp(platform::Point p) override;
    int64_t OnMouseMove(platform::Point p) override;
    int64_t OnMouseHover(platform::Point p) override;
    int64_t OnMouseLeave() override;
    platform::CursorShape WidgetCursor() const override { return platform::CursorShape::kHand; }

private:
    bool IgnoresHover() const;
    bool IsMenuTile() const;
    // Where the button is drawn and copied: its drawing position, the
    // scrollbar's down arrow 7 pixels higher.
    platform::Point PaintPosition() const;
    void MoveKnob(platform::Point p);
    // The knob and bar rules of a release; true when the release ends there.
    bool ReleaseKnob(platform::Point p);

    bool m_paintGuard = true;
    int m_grabX = 0;
    bool m_hovered = false;
    bool m_tracking = false;
    platform::Argb m_textColour{0xFF000000u};
    WidgetToolTip m_tip;
    bool m_highlight = false;
    int m_state = 0;
    int m_fixedFrame = 0;
    bool m_disabled = false;
};

}  // namespace ui
