// Fills a widget's fields from its layout record: control id, element name,
// rectangle (as the record gives it), frame count, caption, tooltip text
// and visible flag.
//
// The caption passes through the host's translation (an empty caption is
// never looked up); the record's tooltip id becomes the string table's
// text, translated. How wide an image strip's widget is, and which text
// styles a name selects, stay with the builder that calls this.
// THREADING: user-interface thread only.
#pragma once

#include "ui/widgets/layout_element.h"

namespace ui {

class CQKin;
class WidgetHost;

// `texts` (may be null: English texts, no tooltips) translates.
void ApplyLayoutElement(CQKin& widget, const LayoutElement& record, WidgetHost* texts);

}  // namespace ui
