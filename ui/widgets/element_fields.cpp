#include "ui/widgets/element_fields.h"

#include "ui/widgets/qkin.h"
#include "ui/widgets/widget_host.h"

namespace ui {

void ApplyLayoutElement(CQKin& widget, const LayoutElement& record, WidgetHost* texts) {
    widget.SetControlId(record.id);
    widget.SetElementName(record.Name());
    widget.SetRect(record.Rect());
    widget.SetFrameCount(static_cast<int>(record.frames));
    const std::string caption = record.Text();
    widget.SetCaption(caption.empty() || !texts ? caption : texts->TranslateText(caption));
    widget.SetTooltipText(record.tooltip != 0 && texts ? texts->LoadTranslatedString(record.tooltip)
                                                       : std::string());
    widget.SetVisibleFlag(record.shown != 0);
}

}  // namespace ui
