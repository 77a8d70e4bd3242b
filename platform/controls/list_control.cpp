#include "platform/controls/list_control.h"

#include <algorithm>

#include "platform/controls/control_look.h"
#include "platform/controls/control_notices.h"
#include "platform/controls/image_list.h"
#include "platform/window/window_manager.h"

namespace platform {
namespace {

constexpr int kBorder = 1;
// Rows the wheel scrolls per step, as desktops usually do.
constexpr int kWheelRows = 3;
// Room for a row picture and the gap after it.
constexpr int kImageRoom = ImageList::kSide + 4;

}  // namespace

void ListControl::Configure(WindowOptions& options) const {
    options.className = "list";
    options.tabStop = true;
    options.doubleClicks = true;
}

// --- Data ------------------------------------------------------------------

int ListControl::InsertColumn(int index, std::string title, int width) {
    index = std::clamp(index, 0, ColumnCount());
    m_columns.insert(m_columns.begin() + index, Column{std::move(title), std::max(0, width)});
    for (Row& row : m_rows) {
        if (static_cast<int>(row.cells.size()) > index) {
            row.cells.insert(row.cells.begin() + index, std::string());
        }
    }
    Redraw();
    return index;
}

bool ListControl::SetColumnTitle(int index, std::string title) {
    if (index < 0 || index >= ColumnCount()) {
        return false;
    }
    m_columns[static_cast<size_t>(index)].title = std::move(title);
    Redraw();
    return true;
}

std::string ListControl::ColumnTitle(int index) const {
    return index >= 0 && index < ColumnCount() ? m_columns[static_cast<size_t>(index)].title
                                               : std::string();
}

bool ListControl::DeleteColumn(int index) {
    if (index < 0 || index >= ColumnCount()) {
        return false;
    }
    m_columns.erase(m_columns.begin() + index);
    for (Row& row : m_rows) {
        if (static_cast<int>(row.cells.size()) > index) {
            row.cells.erase(row.cells.begin() + index);
        }
    }
    Redraw();
    return true;
}

int ListControl::InsertRow(int index, std::string text, int image) {
    index = std::clamp(index, 0, RowCount());
    Row row;
    row.cells.push_back(std::move(text));
    row.image = image;
    m_rows.insert(m_rows.begin() + index, std::move(row));
    if (m_selected >= index) {
        ++m_selected;
    }
    Redraw();
    return index;
}

bool ListControl::SetCell(int row, int column, std::string text) {
    if (row < 0 || row >= RowCount() || column < 0) {
        return false;
    }
    std::vector<std::string>& cells = m_rows[static_cast<size_t>(row)].cells;
    if (static_cast<int>(cells.size()) <= column) {
        cells.resize(static_cast<size_t>(column) + 1);
    }
    cells[static_cast<size_t>(column)] = std::move(text);
    Redraw();
    return true;
}

std::string ListControl::Cell(int row, int column) const {
    if (row < 0 || row >= RowCount() || column < 0) {
        return {};
    }
    const std::vector<std::string>& cells = m_rows[static_cast<size_t>(row)].cells;
    return column < static_cast<int>(cells.size()) ? cells[static_cast<size_t>(column)]
                                                   : std::string();
}

int ListControl::RowImage(int row) const {
    return row >= 0 && row < RowCount() ? m_rows[static_cast<size_t>(row)].image : -1;
}

bool ListControl::SetRowImage(int row, int image) {
    if (row < 0 || row >= RowCount()) {
        return false;
    }
    m_rows[static_cast<size_t>(row)].image = image;
    Redraw();
    return true;
}

bool ListControl::DeleteRow(int index) {
    if (index < 0 || index >= RowCount()) {
        return false;
    }
    m_rows.erase(m_rows.begin() + index);
    if (m_selected == index) {
        m_selected = -1;
    } else if (m_selected > index) {
        --m_selected;
    }
    m_top = ClampTop(Scroll(), m_top);
    Redraw();
    return true;
}

void ListControl::DeleteAllRows() {
    m_rows.clear();
    m_selected = -1;
    m_top = 0;
    Redraw();
}

void ListControl::Select(int row) {
    m_selected = row >= 0 && row < RowCount() ? row : -1;
    SetTop(TopToShow(Scroll(), m_selected));
    Redraw();
}

void ListControl::SetImageList(const ImageList* images) {
    m_images = images;
    Redraw();
}

void ListControl::SetColours(ColorRef background, ColorRef text) {
    m_background = background;
    m_text = text;
    Redraw();
}

// --- Geometry ----------------------------------------------------------------

int ListControl::HeaderHeight() const {
    return Font().PixelSize() + 8;
}

int ListControl::RowHeight() const {
    return std::max(Font().PixelSize() + 6, ImageList::kSide + 2);
}

ScrollState ListControl::Scroll() const {
    Rect r = GetRect();
    int rowsHeight = r.Height() - 2 * kBorder - HeaderHeight();
    return ScrollState{RowCount(), std::max(1, rowsHeight / RowHeight()), m_top};
}

Rect ListControl::RowsArea() const {
    Rect r = GetRect();
    ScrollState s = Scroll();
    int right = r.Width() - kBorder - (MaxTop(s) > 0 ? look::kScrollBarWidth : 0);
    return {kBorder, kBorder + HeaderHeight(), right, r.Height() - kBorder};
}

Rect ListControl::BarTrack() const {
    Rect r = GetRect();
    if (MaxTop(Scroll()) == 0) {
        return {};
    }
    int right = r.Width() - kBorder;
    return {right - look::kScrollBarWidth, kBorder, right, r.Height() - kBorder};
}

void ListControl::SetTop(int top) {
    int clamped = ClampTop(Scroll(), top);
    if (clamped != m_top) {
        m_top = clamped;
        Redraw();
    }
}

int ListControl::ColumnAt(int x) const {
    int left = kBorder;
    for (int i = 0; i < ColumnCount(); ++i) {
        int w = m_columns[static_cast<size_t>(i)].width;
        if (x >= left && x < left + w) {
            return i;
        }
        left += w;
    }
    return -1;
}

// --- Input -----------------------------------------------------------------------

void ListControl::MoveSelection(int row) {
    if (RowCount() == 0) {
        return;
    }
    Select(std::clamp(row, 0, RowCount() - 1));
}

bool ListControl::OnKey(Key key) {
    int page = Scroll().page;
    int at = m_selected;
    switch (key) {
        case Key::kUp:
            MoveSelection(at < 0 ? 0 : at - 1);
            return true;
        case Key::kDown:
            MoveSelection(at + 1);
            return true;
        case Key::kPageUp:
            MoveSelection(at < 0 ? 0 : at - page);
            return true;
        case Key::kPageDown:
            MoveSelection(at < 0 ? page - 1 : at + page);
            return true;
        case Key::kHome:
            MoveSelection(0);
            return true;
        case Key::kEnd:
            MoveSelection(RowCount() - 1);
            return true;
        default:
            return false;
    }
}

void ListControl::OnPress(const Message& msg, bool doubleClick) {
    SetFocus();
    Rect rows = RowsArea();
    ScrollState s = Scroll();
    m_bar.SetTrack(BarTrack());
    if (m_bar.Press(msg.point, s)) {
        SetTop(s.top);
        if (m_bar.Dragging()) {
            Wm().SetCapture(Window());
        }
        return;
    }
    if (msg.point.y < rows.top) {
        m_pressedColumn = doubleClick ? -1 : ColumnAt(msg.point.x);
        if (m_pressedColumn >= 0) {
            Wm().SetCapture(Window());
        }
        return;
    }
    int row = RowAt(msg.point.y - rows.top, RowHeight(), m_top, RowCount());
    m_selected = row;
    Redraw();
    if (doubleClick) {
        Notify(kNmDblClk, row);
        return;
    }
    m_pressedRow = row;
    Wm().SetCapture(Window());
}

int64_t ListControl::OnMessage(WindowId self, const Message& msg) {
    switch (msg.kind) {
        case MessageKind::kButtonDown:
        case MessageKind::kDoubleClick:
            if (msg.button == MouseButton::kLeft) {
                OnPress(msg, msg.kind == MessageKind::kDoubleClick);
            }
            return 0;
        case MessageKind::kMouseMove: {
            ScrollState s = Scroll();
            if (m_bar.Drag(msg.point, s)) {
                SetTop(s.top);
            }
            return 0;
        }
        case MessageKind::kButtonUp: {
            // Taken before the capture goes: its loss clears them.
            int column = m_pressedColumn;
            int row = m_pressedRow;
            m_pressedColumn = -1;
            m_pressedRow = -2;
            m_bar.Release();
            Wm().ReleaseCapture();
            if (column >= 0 && msg.point.y >= 0 && msg.point.y < RowsArea().top &&
                ColumnAt(msg.point.x) == column) {
                Notify(kLvnColumnClick, column);
            } else if (row != -2) {
                Notify(kNmClick, row);
            }
            return 0;
        }
        case MessageKind::kCaptureLost:
            m_bar.Release();
            m_pressedColumn = -1;
            m_pressedRow = -2;
            return 0;
        case MessageKind::kWheel:
            SetTop(m_top - static_cast<int>(msg.param) * kWheelRows);
            return 0;
        case MessageKind::kKeyDown:
            return OnKey(msg.key) ? 0 : kDefault;
        default:
            return Control::OnMessage(self, msg);
    }
}

// --- Drawing -----------------------------------------------------------------------

void ListControl::PaintRow(Painter& painter, const Rect& rowRect, int index, bool focused) {
    const Row& row = m_rows[static_cast<size_t>(index)];
    bool selected = index == m_selected;
    ColorRef text = IsEnabled() ? m_text : look::kGreyText;
    if (selected) {
        painter.FillRect(rowRect, Opaque(focused ? look::kAccent : look::kQuietSelection));
        if (focused) {
            text = look::kSelectedText;
        }
    }
    TextStyle style = Font().Style();
    style.ellipsis = true;
    int left = rowRect.left;
    for (int c = 0; c < ColumnCount(); ++c) {
        int width = m_columns[static_cast<size_t>(c)].width;
        Rect cell{left, rowRect.top, left + width, rowRect.bottom};
        int textLeft = cell.left + look::kTextPadding + 1;
        if (c == 0 && m_images) {
            int y = cell.top + (cell.Height() - ImageList::kSide) / 2;
            m_images->Draw(painter, row.image, {textLeft, y});
            textLeft += kImageRoom;
        }
        Rect textBox{textLeft, cell.top, cell.right - look::kTextPadding, cell.bottom};
        if (c < static_cast<int>(row.cells.size()) && !textBox.IsEmpty()) {
            ClipTo clip(painter, cell);
            painter.DrawText(row.cells[static_cast<size_t>(c)], textBox, style, Opaque(text));
        }
        left += width;
    }
}

void ListControl::Paint(Painter& painter, const Rect& bounds) {
    bool focused = HasFocus();
    painter.FillRect(bounds, Opaque(m_background));
    painter.FrameRect(bounds, Opaque(focused ? look::kAccent : look::kBorder));
    Point o{bounds.left, bounds.top};
    Rect rows = RowsArea().Offset(o.x, o.y);
    Rect header{rows.left, bounds.top + kBorder, rows.right, rows.top};
    {
        ClipTo clip(painter, header);
        painter.FillRect(header, Opaque(look::kHeader));
        painter.FillRect({header.left, header.bottom - 1, header.right, header.bottom},
                         Opaque(look::kLightBorder));
        int left = header.left;
        TextStyle style = Font().Style();
        style.ellipsis = true;
        for (const Column& c : m_columns) {
            Rect title{left + look::kTextPadding + 1, header.top,
                       left + c.width - look::kTextPadding, header.bottom - 1};
            if (!title.IsEmpty()) {
                painter.DrawText(c.title, title, style, Opaque(look::kText));
            }
            left += c.width;
            painter.FillRect({left - 1, header.top + 2, left, header.bottom - 3},
                             Opaque(look::kLightBorder));
        }
    }
    {
        ClipTo clip(painter, rows);
        int h = RowHeight();
        for (int i = m_top; i < RowCount(); ++i) {
            int top = rows.top + (i - m_top) * h;
            if (top >= rows.bottom) {
                break;
            }
            PaintRow(painter, {rows.left, top, rows.right, top + h}, i, focused);
        }
    }
    m_bar.SetTrack(BarTrack());
    if (!m_bar.Track().IsEmpty()) {
        m_bar.Paint(painter, o, Scroll());
    }
}

}  // namespace platform
