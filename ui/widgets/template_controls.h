// Builds the standard controls of a dialog template (appres::DialogTemplate)
// into the dialog's ControlSet.
//
// Every entry becomes one control with the entry's id, kind, rectangle (an
// empty one for entries the dialog places later) and visibility, and its
// styles made into the control's settings: digits only, the '*' mask of a
// password box, borders, automatic radio buttons and check boxes, the
// vertical trackbar and its ticks. Each control's text is what the dialog's
// text source gives for the entry (its translation), or the English text
// when the dialog gives none. A dialog that handles an entry with a class of
// its own (a derived control) makes it through the factory.
//
// What the builder does not do: fonts, limits and colours (the dialog sets
// them after building), skinned widgets (the layout tables make those).
//
// THREADING: user-interface thread only (it makes windows).
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/res/dialog_templates.h"
#include "platform/controls/control.h"

namespace platform {
class ControlSet;
}

namespace ui {

// The text a dialog shows for an entry (for example the string table's
// text of entry.textStringId, translated).
using TemplateTextSource = std::function<std::string(const appres::DialogControl& entry)>;

// A control of the dialog's own class for an entry, or nullptr for the
// standard control of the entry's kind.
using TemplateControlFactory =
    std::function<std::unique_ptr<platform::Control>(const appres::DialogControl& entry)>;

// The standard control for an entry's kind and styles, not yet made.
std::unique_ptr<platform::Control> MakeTemplateControl(const appres::DialogControl& entry);

// Makes every control of `dialogTemplate` in `set`, in the template's order
// (its stacking and Tab order). Returns how many were made; a control the
// window layer refuses is left out and logged by the set.
int BuildTemplateControls(const appres::DialogTemplate& dialogTemplate, platform::ControlSet& set,
                          const TemplateTextSource& text = {},
                          const TemplateControlFactory& factory = {});

}  // namespace ui
