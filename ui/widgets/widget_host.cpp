#include "ui/widgets/widget_host.h"

#include "app/res/string_table.h"
#include "platform/controls/control_set.h"
#include "platform/window/window_manager.h"
#include "ui/widgets/qkin.h"

namespace ui {

std::string WidgetHost::LoadTranslatedString(uint32_t id) {
    const std::string_view english = appres::StringTable::Find(id);
    return english.empty() ? std::string() : TranslateText(english);
}

void WidgetHost::BlitWidgetRect(const CQKin& widget) {
    Present(widget.GetRect());
}

void WidgetHost::BlitWidgetAt(const CQKin& widget, int x, int y) {
    const platform::Rect r = widget.GetRect();
    Present(platform::Rect::FromXywh(x, y, r.Width(), r.Height()));
}

void WidgetHost::BlitClientArea() {
    if (platform::Surface* back = BackBuffer()) {
        Present(back->Bounds());
    }
}

void WidgetHost::Dispatch(CQKin& widget, uint32_t flags) {
    if (MainDialogSide* main = AsMainDialog()) {
        main->DoEvent(widget, flags);
    } else if (CommonDialogSide* common = AsCommonDialog()) {
        common->OnItemClicked(widget, flags);
    }
}

void WidgetHost::Present(const platform::Rect& area) {
    platform::Surface* back = BackBuffer();
    if (!back || area.IsEmpty()) {
        return;
    }
    if (platform::ControlSet* controls = Controls()) {
        controls->Present(*back, area);
    } else if (platform::WindowManager* wm = platform::WindowManager::Current()) {
        wm->Present(Window(), *back, area.Intersect(back->Bounds()));
    }
}

}  // namespace ui
