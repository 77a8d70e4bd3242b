// The mouse on the borderless main window: a drag anywhere on it moves it,
// a drag of its bottom edge resizes it in steps, the wheel scrolls the
// receiver list, and a click outside the device-name box commits the name.
#include "app/maindlg/main_dlg.h"
#include "app/maindlg/window_resize.h"

namespace pemuapp {
namespace {

// The band above the bottom edge (and beside the side edges) that starts a
// resize.
constexpr int kEdgeBand = 5;

}  // namespace

bool CQKinMainDlg::InBottomEdge(platform::Point client) const {
    const std::optional<platform::Rect> rect = m_wm.GetRect(Window());
    if (!rect) {
        return false;
    }
    return client.y >= rect->Height() - kEdgeBand && client.y <= rect->Height() &&
           client.x > kEdgeBand && client.x < rect->Width() + kEdgeBand;
}

void CQKinMainDlg::ShowSizingCursor(bool sizing) {
    if (sizing != m_sizingCursor) {
        m_sizingCursor = sizing;
        m_wm.SetCursor(Window(),
                       sizing ? platform::CursorShape::kSizeNS : platform::CursorShape::kArrow);
    }
}

void CQKinMainDlg::OnLButtonDown(platform::Point client) {
    if (m_parts->AllowsResize() && InBottomEdge(client)) {
        ShowSizingCursor(true);
        m_resizeActive = true;
    }
    m_dragAnchor = client;
    m_wm.SetCapture(Window());
}

void CQKinMainDlg::OnMouseMove(platform::Point client) {
    const bool resizable = m_parts->AllowsResize();
    if (m_resizeActive && resizable) {
        ShowSizingCursor(true);
        if (std::optional<platform::Point> screen = m_wm.ClientToScreen(Window(), client)) {
            ResizeStep(*screen);
        }
        return;
    }
    // The sizing arrow over the bottom edge, while the page lets it resize.
    ShowSizingCursor(resizable && InBottomEdge(client));
    if (m_wm.Capture() != Window()) {
        return;
    }
    const std::optional<platform::Point> screen = m_wm.ClientToScreen(Window(), client);
    const std::optional<platform::Rect> rect = m_wm.GetRect(Window());
    if (screen && rect) {
        // The anchor stays under the pointer; the size stays.
        m_wm.Move(Window(),
                  platform::Rect::FromXywh(screen->x - m_dragAnchor.x, screen->y - m_dragAnchor.y,
                                           rect->Width(), rect->Height()));
    }
}

void CQKinMainDlg::OnLButtonUp() {
    m_resizeActive = false;
    if (m_wm.Capture() == Window()) {
        m_wm.ReleaseCapture();
    }
}

void CQKinMainDlg::ResizeStep(platform::Point screen) {
    const std::optional<platform::Rect> rect = m_wm.GetRect(Window());
    if (!rect) {
        return;
    }
    ResizeInput in;
    in.left = rect->left;
    in.right = rect->right;
    in.top = rect->top;
    in.height = rect->Height();
    in.pointerX = screen.x;
    in.pointerY = screen.y;
    const int height = ResizeByBottomEdge(in);
    if (height != in.height) {
        m_wm.Move(Window(), platform::Rect::FromXywh(rect->left, rect->top, rect->Width(), height));
        m_parts->LayoutForHeight(height);
        m_wm.Invalidate(Window());
    }
}

void CQKinMainDlg::OnMouseWheel(int steps) {
    if (steps != 0) {
        // Towards the user: the next row; away: the row before.
        m_parts->ScrollReceiverList(steps < 0 ? 1 : -1);
        m_wm.Invalidate(Window());
    }
}

}  // namespace pemuapp
