#include "ui/widgets/qk_scrollbar.h"

#include <algorithm>

#include "platform/window/window_manager.h"
#include "ui/widgets/element_fields.h"
#include "ui/widgets/qk_button.h"
#include "ui/widgets/qk_image.h"
#include "ui/widgets/qk_list_view.h"
#include "ui/widgets/widget_events.h"
#include "ui/widgets/widget_host.h"
#include "ui/widgets/widget_layout_tables.h"

namespace ui {
namespace {

using platform::Point;

constexpr int kPartWidth = 17;
constexpr int kCapHeight = 7;
constexpr int kBodySourceHeight = 100;

// The thumb pictures are PNG strips of a size the table does not hold.
platform::Size PngSizeOf(uint32_t id) {
    return id == kScrollbarThumbBodyId ? platform::Size{kPartWidth, kBodySourceHeight}
                                       : platform::Size{kPartWidth, kCapHeight};
}

}  // namespace

CQKScrollbar::CQKScrollbar() : CQKin("CQKScrollbar") {}

CQKListView* CQKScrollbar::List() const {
    return dynamic_cast<CQKListView*>(CQKin::FromWindow(m_list));
}

int CQKScrollbar::RowCount() const {
    const CQKListView* list = List();
    return list ? list->RowCount() : 0;
}

int CQKScrollbar::ShownRows() const {
    const CQKListView* list = List();
    return list ? list->VisibleRows() : CQKListView::kShownRows;
}

CQKin* CQKScrollbar::Part(uint32_t controlId) const {
    for (const WidgetPtr<CQKin>& part : m_parts) {
        if (part->ControlId() == controlId) {
            return part.get();
        }
    }
    return nullptr;
}

bool CQKScrollbar::CreateChildren() {
    const int h = GetRect().Height();
    m_thumb = {kTrackInset, h - kTrackInset};
    m_firstVisible = 0;
    m_dragging = false;
    m_trackPressed = false;
    m_parts.clear();
    bool made = true;
    for (const LayoutElement& record : ScrollbarLayout()) {
        const bool button = record.ClassName() == "CQKButton";
        WidgetPtr<CQKin> part;
        if (button) {
            part = MakeWidget<CQKButton>();
        } else {
            part = MakeWidget<CQKImage>();
        }
        part->SetOwner(Host(), OwnerClassText());
        part->SetParent(this);
        part->SetCreationParent(this);
        part->SetTopLevel(false);
        part->SetSkinText(SkinText());
        part->SetStyleValue(StyleValue());
        ApplyLayoutElement(*part, record, Host());
        part->SetVisibleFlag(true);
        const int resource = static_cast<int>(record.resourceId);
        part->SetImageId(record.resourceId);
        if (button) {
            made = part->CreateWidgetWithBitmap(resource) && made;
        } else {
            // The track and thumb pictures lie over the scrollbar, which
            // takes the presses on them.
            part->SetInputTransparent(true);
            if (record.LoadsPng()) {
                const platform::Size size = PngSizeOf(record.id);
                part->SetPngSize(size.width, size.height);
                made = part->CreateWidgetWithPng(resource) && made;
            } else {
                made = part->CreateWidgetWithBitmap(resource) && made;
            }
        }
        m_parts.push_back(std::move(part));
    }
    return made;
}

int CQKScrollbar::ScrollDown() {
    if (m_firstVisible + 1 <= RowCount() - ShownRows()) {
        ++m_firstVisible;
        return 1;
    }
    return 0;
}

// --- Drawing ---------------------------------------------------------------------

void CQKScrollbar::PlaceParts() {
    const int h = GetRect().Height();
    if (CQKin* down = Part(kScrollbarButtonDownId)) {
        const platform::Rect r = down->GetRect();
        down->SetRect({0, h - r.Height(), r.Width(), h});
    }
    if (CQKin* top = Part(kScrollbarThumbTopId)) {
        top->SetRect({0, m_thumb.top, kPartWidth, m_thumb.top + kCapHeight});
    }
    if (CQKin* bottom = Part(kScrollbarThumbBottomId)) {
        bottom->SetRect({0, m_thumb.bottom - 9, kPartWidth, m_thumb.bottom - 2});
    }
    if (CQKin* body = Part(kScrollbarThumbBodyId)) {
        body->SetRect({2, m_thumb.top + 9, 20, m_thumb.bottom - 9});
    }
}

void CQKScrollbar::DrawThumb(platform::Surface& back, Point at) const {
    // Caps at the thumb's ends and the body scaled between them, so the
    // thumb shows as one piece from its top to two pixels above its bottom.
    const int capBottomTop = m_thumb.bottom - 9;
    if (const CQKin* top = Part(kScrollbarThumbTopId)) {
        top->DrawFrameUnkeyed(1, back, 0, at.x, at.y + m_thumb.top);
    }
    if (const CQKin* body = Part(kScrollbarThumbBodyId)) {
        const int bodyTop = m_thumb.top + kCapHeight;
        if (capBottomTop > bodyTop) {
            body->DrawPart(back, at.x, at.y + bodyTop, kPartWidth, capBottomTop - bodyTop,
                           kPartWidth, kBodySourceHeight);
        }
    }
    if (const CQKin* bottom = Part(kScrollbarThumbBottomId)) {
        bottom->DrawFrameUnkeyed(1, back, 0, at.x, at.y + capBottomTop);
    }
}

int CQKScrollbar::DrawToBackBuffer() {
    PaintScope scope(m_paintGuard);
    if (!scope.Entered()) {
        return 0;
    }
    const CQKListView* list = List();
    if (!list) {
        return -1;
    }
    const int rows = list->RowCount();
    const int shown = list->VisibleRows();
    const bool visible = rows > shown;
    SetVisibleFlag(visible);
    ShowWidgetWindow(visible);
    const platform::Rect r = GetRect();
    const int h = r.Height();
    m_firstVisible = ClampFirstVisible(m_firstVisible, rows, shown);
    if (!m_dragging) {
        m_thumb = ThumbForRows(h, rows, shown, m_firstVisible);
    }
    m_thumb = KeepInTrack(m_thumb, h);
    PlaceParts();
    platform::Surface* back = BackBuffer();
    if (!visible || !back) {
        return 0;
    }
    const Point at = DrawingPosition();
    DrawStretched(*back, at.x, at.y, r.Width(), h);
    if (CQKin* track = Part(kScrollbarBackgroundId)) {
        track->LoadBitmapResource(static_cast<int>(track->ImageId()));
        track->DrawStretched(*back, at.x, at.y, r.Width(), h - 1);
    }
    for (const WidgetPtr<CQKin>& part : m_parts) {
        if (dynamic_cast<CQKButton*>(part.get())) {
            part->DrawToBackBuffer();
        }
    }
    if (!ThumbFillsTrack(m_thumb, h)) {
        DrawThumb(*back, at);
    }
    return 0;
}

void CQKScrollbar::RedrawNow() {
    DrawToBackBuffer();
    if (WidgetHost* host = DrawingHost()) {
        host->BlitWidgetRect(*this);
    }
}

// --- Events ------------------------------------------------------------------------

void CQKScrollbar::TellDialog() {
    WidgetHost* host = DrawingHost();
    if (!host) {
        if (Parent()) {
            Parent()->OnChildEvent(kChildPressed, this);
        }
        return;
    }
    if (MainDialogSide* main = host->AsMainDialog()) {
        SetSecondFlag(true);
        main->DoEvent(*this, kEventListScrolled);
        RedrawNow();
    } else if (CommonDialogSide* common = host->AsCommonDialog()) {
        common->OnItemClicked(*this, kEventListScrolled);
    }
}

int CQKScrollbar::OnChildEvent(int code, CQKin* part) {
    if (!VisibleFlag() || code == kChildPressed || !part) {
        return -1;
    }
    if (part->ControlId() == kScrollbarButtonDownId) {
        if (!ScrollDown()) {
            return 0;
        }
    } else if (part->ControlId() == kScrollbarButtonUpId && m_firstVisible > 0) {
        --m_firstVisible;
    } else {
        return 0;
    }
    TellDialog();
    return 0;
}

int CQKScrollbar::OnScrollNotify(int code, CQKin* list) {
    (void)code;
    const auto* from = dynamic_cast<const CQKListView*>(list);
    if (!from) {
        from = List();
    }
    if (from) {
        m_firstVisible = from->FirstVisible();
        m_thumb = ThumbForNotice(GetRect().Height(), from->RowCount(), m_firstVisible);
    }
    DrawToBackBuffer();
    return 0;
}

void CQKScrollbar::SetDragTimer(bool on) {
    platform::WindowManager* wm = platform::WindowManager::Current();
    if (!wm) {
        return;
    }
    if (on) {
        wm->SetTimer(Window(), kDragTimerId, kDragTimerMs);
    } else {
        wm->KillTimer(Window(), kDragTimerId);
    }
}

int64_t CQKScrollbar::OnLButtonDown(Point p) {
    if (VisibleFlag() && m_thumb.top < p.y && p.y < m_thumb.bottom) {
        m_dragging = true;
        m_referenceY = p.y;
        m_referenceThumb = m_thumb;
        m_dragStartRow = m_firstVisible;
        m_lastPoint = p;
        m_lastMoveMs = MessageTime();
        CaptureMouse();
        SetDragTimer(true);
        return 0;
    }
    m_trackPressed = true;
    return CQKin::OnLButtonDown(p);
}

int64_t CQKScrollbar::OnMouseMove(Point p) {
    if (!m_dragging || !HasCapture()) {
        return 0;
    }
    m_lastPoint = p;
    m_lastMoveMs = MessageTime();
    SetDragTimer(true);
    const int h = GetRect().Height();
    const int movement = p.y - m_referenceY;
    const int height = m_referenceThumb.bottom - m_referenceThumb.top;
    const int top = std::clamp(m_referenceThumb.top + movement, kTrackInset,
                               std::max(kTrackInset, h - kTrackInset - height));
    m_thumb = {top, top + height};
    // The rows follow the thumb: counted from where the drag began, so
    // neither a fast drag nor a slow one loses rows.
    const int target = ClampFirstVisible(
        m_dragStartRow + DragRows(movement, PixelsPerRow(h, RowCount())), RowCount(), ShownRows());
    if (target != m_firstVisible) {
        m_firstVisible = target;
        TellDialog();
    } else {
        RedrawNow();
    }
    return 0;
}

int64_t CQKScrollbar::OnTimer(uint32_t timerId) {
    if (timerId != kDragTimerId) {
        return CQKin::OnTimer(timerId);
    }
    if (MessageTime() - m_lastMoveMs < kDragSettleMs) {
        return 0;
    }
    SetDragTimer(false);
    const int h = GetRect().Height();
    int target = m_firstVisible;
    if (m_lastPoint.y < kTrackInset) {
        target = 0;
    } else if (m_lastPoint.y > h - kTrackInset) {
        target = LastPage(RowCount(), ShownRows());
    }
    if (target != m_firstVisible) {
        m_firstVisible = target;
        TellDialog();
    }
    return 0;
}

int64_t CQKScrollbar::OnLButtonUp(Point p) {
    ReleaseMouse();
    SetDragTimer(false);
    if (m_dragging) {
        // The thumb settles on the row the list shows.
        m_dragging = false;
        RedrawNow();
        return 0;
    }
    if (!m_trackPressed) {
        return 0;
    }
    m_trackPressed = false;
    SetMouseState(kMouseIdle);
    const int h = GetRect().Height();
    if (p.y < kTrackInset || p.y > h - kTrackInset || ThumbFillsTrack(m_thumb, h)) {
        return 0;
    }
    int target = m_firstVisible;
    if (p.y < m_thumb.top) {
        target = std::max(0, m_firstVisible - 1);
    } else if (p.y > m_thumb.bottom && m_firstVisible + 1 <= RowCount() - ShownRows()) {
        target = m_firstVisible + 1;
    }
    if (target != m_firstVisible) {
        m_firstVisible = target;
        TellDialog();
    }
    return 0;
}

}  // namespace ui
