#include "ui/widgets/list_row.h"

#include "ui/widgets/qk_list_view.h"
#include "ui/widgets/widget_events.h"

namespace ui {

CQKListView* ListRow::List() const {
    return dynamic_cast<CQKListView*>(Parent());
}

void ListRow::AdoptChild(CQKin& child) {
    child.SetOwner(Host(), OwnerClassText());
    child.SetParent(this);
    child.SetCreationParent(this);
    child.SetTopLevel(false);
    child.SetSkinText(SkinText());
    child.SetFontFamily(FontFamily());
}

int64_t ListRow::OnLButtonDown(platform::Point) {
    if (Parent()) {
        Parent()->OnChildEvent(kChildPressed, this);
    }
    return 0;
}

int64_t ListRow::OnLButtonUp(platform::Point) {
    if (Parent()) {
        Parent()->OnChildEvent(kChildPressed, this);
    }
    return 0;
}

}  // namespace ui
