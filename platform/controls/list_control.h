// A report list: ListControl.
//
// Columns with a header, rows of texts (one per column, the first the
// row's own) with a 16 x 16 picture from an image list, and one selected
// row (-1: none) that the whole row shows. The rows scroll vertically by
// the wheel (three rows a step), by the keys (Up, Down, Page Up, Page Down,
// Home, End move the selection and keep it in view) and by the scroll bar
// that shows when the rows do not fit.
//
// Notices: kNmClick when a press on the rows is released (param2 = the row,
// -1 below the last row; the press selects it), kNmDblClk on a double click
// (param2 = the row), kLvnColumnClick when a header column is clicked
// (param2 = the column). Selecting by keys or by the program sends nothing.
//
// Colours: the list's own background and text colours (SetColours); the
// font per control.
//
// THREADING: user-interface thread only.
#pragma once

#include <string>
#include <vector>

#include "platform/controls/control.h"
#include "platform/controls/scroll_bar.h"

namespace platform {

class ImageList;

class ListControl : public Control {
public:
    ListControl() : Control(ControlKind::kList) {}

    // Columns. Insert returns the index it got (clamped to the end).
    int InsertColumn(int index, std::string title, int width);
    bool DeleteColumn(int index);
    int ColumnCount() const { return static_cast<int>(m_columns.size()); }
    // Renames a column (a new language); false for no such column.
    bool SetColumnTitle(int index, std::string title);
    std::string ColumnTitle(int index) const;

    // Rows. InsertRow returns the index it got (clamped to the end); the
    // selection keeps its row.
    int InsertRow(int index, std::string text, int image = -1);
    bool SetCell(int row, int column, std::string text);
    std::string Cell(int row, int column) const;
    bool SetRowImage(int row, int image);
    int RowImage(int row) const;  // -1: none, or no such row
    bool DeleteRow(int index);
    void DeleteAllRows();
    int RowCount() const { return static_cast<int>(m_rows.size()); }

    // The selected row, -1 for none. Select() sends no notice and brings
    // the row into view; -1 clears.
    int Selected() const { return m_selected; }
    void Select(int row);
    int TopRow() const { return m_top; }

    // Borrowed: must outlive the list or be replaced. Null: no pictures.
    void SetImageList(const ImageList* images);
    const ImageList* GetImageList() const { return m_images; }
    void SetColours(ColorRef background, ColorRef text);

    void Paint(Painter& painter, const Rect& bounds) override;
    int64_t OnMessage(WindowId self, const Message& msg) override;

protected:
    void Configure(WindowOptions& options) const override;

private:
    struct Column {
        std::string title;
        int width = 0;
    };
    struct Row {
        std::vector<std::string> cells;
        int image = -1;
    };

    int HeaderHeight() const;
    int RowHeight() const;
    // The rows' area in client coordinates (below the header, left of the bar).
    Rect RowsArea() const;
    ScrollState Scroll() const;
    // The scroll bar's track in client coordinates; empty when every row shows.
    Rect BarTrack() const;
    void SetTop(int top);
    // The column under x, or -1.
    int ColumnAt(int x) const;
    void MoveSelection(int row);
    bool OnKey(Key key);
    void OnPress(const Message& msg, bool doubleClick);
    void PaintRow(Painter& painter, const Rect& rowRect, int index, bool focused);

    std::vector<Column> m_columns;
    std::vector<Row> m_rows;
    int m_selected = -1;
    int m_top = 0;
    const ImageList* m_images = nullptr;
    ColorRef m_background = ColorRef::FromRgb(0xFF, 0xFF, 0xFF);
    ColorRef m_text = ColorRef::FromRgb(0x1E, 0x1E, 0x1E);
    VScrollBar m_bar;
    int m_pressedColumn = -1;  // a header press waiting for its release
    int m_pressedRow = -2;     // a rows press waiting for its release; -2 none
};

}  // namespace platform
