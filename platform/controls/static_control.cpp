#include "platform/controls/static_control.h"

#include "platform/controls/control_look.h"
#include "platform/draw/text_layout.h"
#include "platform/window/window_manager.h"

namespace platform {

void Static::Configure(WindowOptions& options) const {
    options.className = "static";
    options.tabStop = false;
}

void Static::OnAttached() {
    // An empty hit region: the pointer passes through to what lies below.
    Wm().SetRegion(Window(), Region());
}

void Static::Paint(Painter& painter, const Rect& bounds) {
    ControlColours colours = ResolveColours({look::kText, std::nullopt, look::kFace});
    if (!IsEnabled()) {
        colours.text = look::kGreyText;
    }
    switch (m_style) {
        case StaticStyle::kLabel: {
            FillIfSet(painter, bounds, colours.fill);
            TextStyle style = Font().Style(TextAlign::kNear, TextAlign::kNear);
            style.singleLine = false;
            style.wordWrap = true;
            DrawCaption(painter, CaptionText(), bounds, style, colours);
            return;
        }
        case StaticStyle::kPictureFrame:
            FillIfSet(painter, bounds, colours.fill);
            painter.FrameRect(bounds, Opaque(look::kBorder));
            return;
        case StaticStyle::kGroupBox: {
            TextStyle style = Font().Style(TextAlign::kNear, TextAlign::kNear);
            Size title = MeasureText(CaptionText(), style);
            // The frame's top edge runs through the middle of the title.
            int lineY = bounds.top + title.height / 2;
            Rect frame{bounds.left, lineY, bounds.right, bounds.bottom};
            painter.FrameRect(frame, Opaque(look::kLightBorder));
            if (!CaptionText().empty()) {
                Rect box =
                    Rect::FromXywh(bounds.left + 8, bounds.top,
                                   std::min(title.width + 4, bounds.Width() - 16), title.height);
                FillIfSet(painter, box, colours.fill);
                DrawCaption(painter, CaptionText(), box.Offset(2, 0), style, colours);
            }
            return;
        }
    }
}

}  // namespace platform
