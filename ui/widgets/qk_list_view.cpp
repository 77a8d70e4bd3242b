#include "ui/widgets/qk_list_view.h"

#include <algorithm>

#include "ui/widgets/qk_blank_item.h"
#include "ui/widgets/qk_login_item.h"
#include "ui/widgets/qk_scrollbar.h"
#include "ui/widgets/scrollbar_geometry.h"
#include "ui/widgets/widget_events.h"
#include "ui/widgets/widget_host.h"
#include "vrxclientsdk/VRXClient/VRXClient.h"

namespace ui {

CQKListView::CQKListView() : CQKin("CQKListView") {}

CQKListView::~CQKListView() {
    *m_alive = false;
    RemoveAll();
}

CQKin* CQKListView::Row(int index) const {
    return index >= 0 && index < RowCount() ? m_rows[static_cast<size_t>(index)].get() : nullptr;
}

CQKScrollbar* CQKListView::Scrollbar() const {
    return dynamic_cast<CQKScrollbar*>(CQKin::FromWindow(m_scrollbar));
}

std::vector<CQKLoginItem*> CQKListView::LoginRows() const {
    std::vector<CQKLoginItem*> rows;
    for (const WidgetPtr<CQKin>& row : m_rows) {
        if (auto* login = dynamic_cast<CQKLoginItem*>(row.get())) {
            rows.push_back(login);
        }
    }
    return rows;
}

bool CQKListView::Holds(const CQKin* row) const {
    return std::any_of(m_rows.begin(), m_rows.end(),
                       [row](const WidgetPtr<CQKin>& r) { return r.get() == row; });
}

void CQKListView::Retire(std::vector<WidgetPtr<CQKin>>::iterator it) {
    WidgetPtr<CQKin> row = std::move(*it);
    m_rows.erase(it);
    if (m_walks > 0) {
        row->ShowWidgetWindow(false);
        m_retired.push_back(std::move(row));
    }
    // Otherwise the row's window goes now and the object once the window
    // layer is done with it.
}

void CQKListView::PrepareRow(CQKin& row, uint32_t idOffset, platform::Rect rect) {
    row.SetControlId(idOffset + ControlId());
    row.SetOwner(Host(), OwnerClassText());
    row.SetParent(this);
    row.SetCreationParent(this);
    row.SetTopLevel(false);
    row.SetFontFamily(FontFamily());
    row.SetSkinText(SkinText());
    row.SetFrameCount(1);
    row.SetRect(rect);
}

// --- Rows ---------------------------------------------------------------------

int CQKListView::AddLoginItem(VRXClient* client, uint32_t ipv4, std::string name) {
    auto row = MakeWidget<CQKLoginItem>();
    const uint32_t offset = 100u * static_cast<uint32_t>(RowCount() + 1);
    PrepareRow(*row, offset, {0, 0, CQKLoginItem::kWidth, CQKLoginItem::kHeight});
    row->SetVisibleFlag(true);
    row->SetRowIndex(RowCount());
    row->SetPosition(RowCount());
    row->Bind(client, ipv4, std::move(name));
    row->SetSettings(m_settings);
    if (client && client->GetStatus() == kVrxDisconnected) {
        row->SetLoggedIn(false);
    }
    row->CreateChildren();
    m_rows.push_back(std::move(row));
    return 0;
}

int CQKListView::AddBlankItem(std::string deviceName) {
    auto row = MakeWidget<CQKBlankItem>();
    const uint32_t offset = 100u * static_cast<uint32_t>(RowCount() + 1);
    PrepareRow(*row, offset, {0, 0, CQKBlankItem::kWidth, CQKBlankItem::kHeight});
    row->SetVisibleFlag(VisibleFlag());
    row->SetRowIndex(RowCount());
    row->CreateChildren(std::move(deviceName));
    m_rows.push_back(std::move(row));
    return RowCount();
}

void CQKListView::RemoveAll() {
    for (CQKLoginItem* row : LoginRows()) {
        if (!row->IsLoggedIn() && row->Client()) {
            row->Client()->Logout();
        }
    }
    while (!m_rows.empty()) {
        Retire(m_rows.end() - 1);
    }
}

bool CQKListView::RemoveClientRow(VRXClient* client) {
    if (!client) {
        return false;
    }
    auto it = std::find_if(m_rows.begin(), m_rows.end(), [client](const WidgetPtr<CQKin>& r) {
        auto* login = dynamic_cast<CQKLoginItem*>(r.get());
        return login && login->Client() == client;
    });
    if (it != m_rows.end()) {
        client->Logout();
        (*it)->SetVisibleFlag(false);
        (*it)->DrawToBackBuffer();
        Retire(it);
    }
    if (RowCount() <= m_visibleRows) {
        m_firstVisible = 0;
        if (CQKScrollbar* bar = Scrollbar()) {
            bar->SetFirstVisible(0);
        }
    }
    return true;
}

void CQKListView::RefreshLoginStates() {
    // Each row asks its receiver and pumps window messages meanwhile; what
    // runs then may remove rows (or the list). Rows are walked from a
    // snapshot, rows gone meanwhile skipped, and removed rows kept until
    // the walk is over.
    const std::shared_ptr<bool> alive = m_alive;
    ++m_walks;
    for (CQKLoginItem* row : LoginRows()) {
        if (!Holds(row)) {
            continue;
        }
        row->RefreshLoginState();
        if (!*alive) {
            return;
        }
    }
    if (--m_walks == 0) {
        m_retired.clear();
    }
}

int CQKListView::GetLoggedInClients(std::vector<VRXClient*>& out) const {
    out.clear();
    for (CQKLoginItem* row : LoginRows()) {
        if (row->IsLoggedIn()) {
            out.push_back(row->Client());
        }
    }
    return static_cast<int>(out.size());
}

void CQKListView::MarkRows(bool enabled) {
    for (CQKLoginItem* row : LoginRows()) {
        row->SetEnabled(enabled);
        row->RefreshChildren();
        row->DrawToBackBuffer();
    }
}

void CQKListView::ClearRowMark() {
    MarkRows(false);
}

void CQKListView::SetRowMark() {
    MarkRows(true);
}

// --- Selection -------------------------------------------------------------------

int CQKListView::SelectPrevious() {
    if (m_selection > 0) {
        --m_selection;
        if (m_selection == m_firstVisible - 1 && m_firstVisible > 0) {
            --m_firstVisible;
        }
    }
    DispatchToOwner(kEventSelectionStepped);
    return m_selection;
}

int CQKListView::SelectNext() {
    if (m_selection < RowCount() - 1) {
        ++m_selection;
        if (m_selection >= m_firstVisible + m_visibleRows) {
            ++m_firstVisible;
        }
    }
    DispatchToOwner(kEventSelectionStepped);
    return m_selection;
}

// --- Drawing and events ------------------------------------------------------------

int CQKListView::DrawToBackBuffer() {
    PaintScope scope(m_paintGuard);
    if (!scope.Entered() || !VisibleFlag()) {
        return 0;
    }
    m_visibleRows = kShownRows;
    m_firstVisible = ClampFirstVisible(m_firstVisible, RowCount(), m_visibleRows);
    int y = 0;
    for (int i = 0; i < RowCount(); ++i) {
        CQKin& row = *m_rows[static_cast<size_t>(i)];
        row.SetRowIndex(i);
        if (i < m_firstVisible || i >= m_firstVisible + m_visibleRows) {
            row.SetVisibleFlag(false);
            row.ShowWidgetWindow(false);
            continue;
        }
        row.SetVisibleFlag(true);
        row.ShowWidgetWindow(true);
        const platform::Rect r = row.GetRect();
        row.SetRect({r.left, y, r.right, y + r.Height()});
        y += r.Height();
    }
    const platform::Rect own = GetRect();
    SetRect({own.left, own.top, own.right, own.top + y});
    m_lastFirstVisible = m_firstVisible;
    for (const WidgetPtr<CQKin>& row : m_rows) {
        row->DrawToBackBuffer();
    }
    return 0;
}

int CQKListView::OnChildEvent(int code, CQKin* row) {
    if (IsListPassThroughCode(code)) {
        SendToMainDialog(static_cast<uint32_t>(code));
        return 0;
    }
    if (!row) {
        return -1;
    }
    switch (row->MouseState()) {
        case kMousePressed:
            SetMouseState(kMousePressed);
            break;
        case kMouseIdle:
            row->SetMouseState(kMouseIdle);
            SetMouseState(kMouseIdle);
            break;
        case kMouseDoubleClicked:
            row->SetMouseState(kMouseIdle);
            SetMouseState(kMouseDoubleClicked);
            break;
        default:
            break;
    }
    m_selection = row->RowIndex();
    if (MainDialogSide* main = MainSide()) {
        SetSecondFlag(true);
        main->DoEvent(*this, kEventClick);
        return 0;
    }
    if (CommonDialogSide* common = CommonSide()) {
        common->OnItemClicked(*this, kEventClick);
        return 0;
    }
    return -1;
}

int CQKListView::OnScrollNotify(int code, CQKin* sender) {
    (void)code;
    if (sender) {
        if (WidgetHost* host = sender->DrawingHost()) {
            if (CommonDialogSide* common = host->AsCommonDialog()) {
                common->OnItemClicked(*this, kEventListScrolled);
            }
        }
    }
    return 0;
}

int64_t CQKListView::OnLButtonDown(platform::Point p) {
    const platform::Point at = DrawingPosition();
    PostButtonMessage(CreationParentWindow(), platform::MessageKind::kButtonDown,
                      {p.x + at.x, p.y + at.y});
    return 0;
}

int64_t CQKListView::OnLButtonUp(platform::Point) {
    return 0;
}

}  // namespace ui
