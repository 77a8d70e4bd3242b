// Buttons: a push button, an auto radio button or an auto check box.
//
// A press shows the button pressed and captures the mouse; the release
// inside it clicks (outside: nothing). Space clicks the focused button when
// it is released. A click of a check box toggles it; a click of a radio
// button checks it and clears the other radio buttons of its group: the
// run of radio buttons next to it in the set's creation order with the same
// parent window. SetCheck changes the mark without a notice.
//
// Notices: kBnClicked on every click.
//
// Colours: push buttons keep the flat button face; radio buttons and check
// boxes take the dialog's text colour and fill (the dialog face by
// default).
//
// THREADING: user-interface thread only.
#pragma once

#include "platform/controls/control.h"

namespace platform {

enum class ButtonStyle : uint8_t { kPush, kAutoRadio, kAutoCheck };

class Button : public Control {
public:
    explicit Button(ButtonStyle style = ButtonStyle::kPush)
        : Control(ControlKind::kButton), m_style(style) {}

    ButtonStyle Style() const { return m_style; }
    bool IsChecked() const { return m_checked; }
    void SetCheck(bool checked);
    // What a user's click does, for the dialog's own use (the notice included).
    void Click();

    void Paint(Painter& painter, const Rect& bounds) override;
    int64_t OnMessage(WindowId self, const Message& msg) override;

protected:
    void Configure(WindowOptions& options) const override;

private:
    void PaintPush(Painter& painter, const Rect& bounds);
    void PaintMark(Painter& painter, const Rect& bounds);

    ButtonStyle m_style;
    bool m_checked = false;
    bool m_pressed = false;   // shown pressed
    bool m_tracking = false;  // the mouse press is ours
    bool m_spaceDown = false;
    bool m_hot = false;
};

}  // namespace platform
