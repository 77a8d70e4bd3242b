// Text and frames that take no input: a label (its text wrapped at words,
// from the top left), a group box (a frame with its title in the top
// edge) or a bordered picture area (a sunken frame around the dialog's
// fill).
//
// Colours: text, text background and fill from the dialog (the dialog face
// by default); a group box fills only behind its title. A static takes no
// clicks either: they go to whatever lies below it.
//
// THREADING: user-interface thread only.
#pragma once

#include "platform/controls/control.h"

namespace platform {

enum class StaticStyle : uint8_t { kLabel, kGroupBox, kPictureFrame };

class Static : public Control {
public:
    explicit Static(StaticStyle style = StaticStyle::kLabel)
        : Control(ControlKind::kStatic), m_style(style) {}

    StaticStyle Style() const { return m_style; }

    void Paint(Painter& painter, const Rect& bounds) override;

protected:
    void Configure(WindowOptions& options) const override;
    void OnAttached() override;

private:
    StaticStyle m_style;
};

}  // namespace platform
