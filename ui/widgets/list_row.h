// ListRow: what the two kinds of list rows share (CQKBlankItem, CQKLoginItem).
//
// A row is a widget inside a CQKListView (its parent and owner). A press or
// a release anywhere on the row reports kChildPressed to the list; a double
// click does too, with the row's mouse state telling it apart. A row owns
// its child widgets (texts, buttons) and draws them after its background.
// THREADING: user-interface thread only.
#pragma once

#include <string>
#include <vector>

#include "ui/widgets/qkin.h"

namespace ui {

class CQKListView;

class ListRow : public CQKin {
public:
    const std::vector<WidgetPtr<CQKin>>& Children() const { return m_children; }

protected:
    explicit ListRow(std::string classNameText) : CQKin(std::move(classNameText)) {}

    // The list the row belongs to (its parent), or null.
    CQKListView* List() const;
    // Takes a child made by the row.
    template <class T>
    T* AddChild(WidgetPtr<T> child) {
        T* raw = child.get();
        m_children.push_back(std::move(child));
        return raw;
    }
    // A child of the row for its creation: parent, creation parent and
    // host are the row's, not top-level, the row's skin and font texts.
    void AdoptChild(CQKin& child);

    int64_t OnLButtonDown(platform::Point p) override;
    int64_t OnLButtonUp(platform::Point p) override;

    bool m_paintGuard = true;

private:
    std::vector<WidgetPtr<CQKin>> m_children;
};

}  // namespace ui
