// A drop-down list: ComboBox.
//
// The box shows the selected item (-1: none) and an arrow. A click on it,
// F4 or Alt+Down opens the list: a popup top-level below the box (above it
// when the work area has no room below) that takes the focus and the mouse
// capture while it is open. In the list the pointer and Up, Down, Home,
// End, Page Up, Page Down and a first letter move the highlight; a click on
// an item or Enter picks it; a click outside, Escape or losing the capture
// closes it without a pick; F4 and Alt+Up close it with the highlighted
// item. On the closed box Up, Down, Home, End and a first letter change the
// selection directly.
//
// Notices: kCbnSelChange (param2 = the new index) for every change the user
// makes; SetSelection and the item calls send nothing.
//
// THREADING: user-interface thread only.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/controls/control.h"

namespace platform {

class ComboDropList;

class ComboBox : public Control {
public:
    ComboBox();
    ~ComboBox() override;

    // Items. AddItem returns its index; the selection keeps its item.
    int AddItem(std::string text);
    int InsertItem(int index, std::string text);
    bool DeleteItem(int index);
    void Clear();
    int Count() const { return static_cast<int>(m_items.size()); }
    std::string ItemText(int index) const;

    // The selected index, -1 for none; SetSelection is silent.
    int Selection() const { return m_selected; }
    bool SetSelection(int index);
    // The selected item's text ("" for none).
    std::string Text() const override { return ItemText(m_selected); }

    // The drop-down list while it is open.
    bool IsDropped() const;
    WindowId DropWindow() const;
    void Open();
    // Closes the list; with `pick`, the highlighted item becomes the
    // selection (noticed when it changed).
    void Close(bool pick);

    void Paint(Painter& painter, const Rect& bounds) override;
    int64_t OnMessage(WindowId self, const Message& msg) override;

protected:
    void Configure(WindowOptions& options) const override;

private:
    friend class ComboDropList;

    // A change made by the user: select and tell the dialog.
    void Pick(int index);
    // The next item after `from` (cycling) whose text starts with `c`
    // (either case); -1 when none.
    int FindByLetter(char32_t c, int from) const;
    int ItemHeight() const;

    std::vector<std::string> m_items;
    int m_selected = -1;
    std::unique_ptr<ComboDropList> m_list;
};

}  // namespace platform
