// The receiver list panel sized to the window's height: the rounded
// outline, the rows shown, the first visible row and the list's box.
#include "app/mainwnd/main_window.h"
#include "app/mainwnd/window_shape.h"
#include "ui/widgets/qk_list_view.h"
#include "ui/widgets/qk_scrollbar.h"

namespace pemuapp {
namespace {

constexpr int kListWidth = 284;
constexpr int kRowHeight = 20;
constexpr int kScrollbarWidth = 17;

}  // namespace

void MainWindow::LayoutListPanel(int top, int bottom) {
    if (!m_listView) {
        return;
    }
    const platform::WindowId window = Window();
    const int height = bottom - top;
    if (window) {
        m_wm.SetRegion(window, ShapeWindowRegion(height));
        if (std::optional<platform::Rect> r = m_wm.GetRect(window)) {
            m_wm.Move(window, platform::Rect::FromXywh(r->left, r->top, kPanelWidth, height));
        }
    }
    const int rows = ListPanelRows(top, bottom);
    const int receivers = m_listView->RowCount();
    const int first = ListPanelFirstVisible(m_listView->FirstVisible(), receivers, rows);
    m_listView->SetFirstVisible(first);
    const platform::Rect at = m_listView->GetRect();
    m_listView->SetRect(platform::Rect::FromXywh(at.left, at.top, kListWidth, rows * kRowHeight));
    if (ui::CQKScrollbar* bar = m_listView->Scrollbar()) {
        bar->SetFirstVisible(first);
        const bool shown = receivers > rows;
        bar->SetRect(platform::Rect::FromXywh(at.left + kListWidth, at.top,
                                              shown ? kScrollbarWidth : 0, rows * kRowHeight));
        bar->SetVisibleFlag(shown);
        bar->ShowWidgetWindow(shown);
    }
    RefreshPage();
    m_wm.Invalidate(window);
}

}  // namespace pemuapp
