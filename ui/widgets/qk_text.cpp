#include "ui/widgets/qk_text.h"

#include <algorithm>
#include <array>

#include "ui/widgets/widget_events.h"
#include "ui/widgets/widget_host.h"

namespace ui {
namespace {

using platform::MessageKind;
using platform::Point;
using platform::TextAlign;

constexpr uint32_t kDeviceNameTextId = 30207;
constexpr uint32_t kClickableTextId = 30221;

// clang-format off
constexpr std::array<uint32_t, 20> kDragHandleIds = {
    10014, 10157, 10181, 10197, 10199, 10214, 10227, 10237, 10256, 10342,
    10349, 10354, 10360, 30022, 30030, 30043, 30050, 30104, 30171, 30196,
};
// clang-format on

}  // namespace

StringFormat TextFormatFromFlags(uint8_t flags) {
    StringFormat f;
    f.horizontal = (flags & kTextCenter)  ? TextAlign::kCenter
                   : (flags & kTextRight) ? TextAlign::kFar
                                          : TextAlign::kNear;
    f.vertical = (flags & kTextVCenter)  ? TextAlign::kCenter
                 : (flags & kTextBottom) ? TextAlign::kFar
                                         : TextAlign::kNear;
    f.ellipsis = (flags & kTextEllipsis) != 0;
    f.wrap = !f.ellipsis || (flags & kTextWrap) != 0;
    return f;
}

bool IsDragHandleText(uint32_t controlId) {
    return std::find(kDragHandleIds.begin(), kDragHandleIds.end(), controlId) !=
           kDragHandleIds.end();
}

CQKText::CQKText() : CQKin("CQKText") {}

int CQKText::DrawToBackBuffer() {
    platform::Surface* back = BackBuffer();
    if (back && VisibleFlag()) {
        // The layout box is the rectangle as far as the parents show it, so
        // a caption never spills over the row or list it belongs to.
        DrawTextString(*back, Caption(), VisibleArea(), FontFamily(), TextSize(),
                       platform::ToArgb(m_colour), TextFormatFromFlags(m_flags));
    }
    ShowWidgetWindow(VisibleFlag());
    return 0;
}

int64_t CQKText::OnMouseMove(Point) {
    if (!m_tracking) {
        m_tracking = TrackHoverAndLeave();
    }
    return 0;
}

int64_t CQKText::OnMouseHover(Point) {
    m_hovered = true;
    if (ControlId() == kDeviceNameTextId) {
        SendToMainDialog(kEventHover);
    }
    return 0;
}

int64_t CQKText::OnMouseLeave() {
    m_hovered = false;
    if (ControlId() == kDeviceNameTextId) {
        SendToMainDialog(kEventLeave);
    }
    m_tracking = false;
    return 0;
}

int64_t CQKText::OnLButtonDown(Point p) {
    SetMouseState(kMousePressed);
    if (ControlId() == kDeviceNameTextId) {
        CaptureMouse();
        return 0;
    }
    WidgetHost* host = DrawingHost();
    if (!host) {
        return 0;
    }
    CaptureMouse();
    if (IsDragHandleText(ControlId())) {
        const Point at = DrawingPosition();
        PostButtonMessage(host->Window(), MessageKind::kButtonDown, {p.x + at.x, p.y + at.y});
    }
    return 0;
}

int64_t CQKText::OnLButtonUp(Point p) {
    SetMouseState(kMouseIdle);
    if (!HasCapture()) {
        ReleaseMouse();
        return 0;
    }
    ReleaseMouse();
    const platform::Rect r = GetRect();
    if (!platform::Rect{0, 0, r.Width(), r.Height()}.Contains(p.x, p.y)) {
        return 0;
    }
    if (!IsTopLevel()) {
        if (Parent()) {
            Parent()->OnChildEvent(kChildPressed, this);
        }
    } else if (ControlId() == kClickableTextId) {
        SendToMainDialog(kEventTextClick);
    } else {
        // The dialog ends a drag begun on this text; it gets the point in
        // its own client coordinates.
        const Point at = DrawingPosition();
        PostButtonMessage(CreationParentWindow(), MessageKind::kButtonUp, {p.x + at.x, p.y + at.y});
    }
    return 0;
}

}  // namespace ui
