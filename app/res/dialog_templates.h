// The program's dialog templates as data: the window class, frame, size and
// standard controls that a dialog window starts with.
//
//   102  the main window: borderless, with the device-name edit box 1004
//   146  every skinned secondary window ("PEMU_COMMON"): the standard
//        controls that the layout tables move into place, all created hidden
//   199  the screen-offset dialog "TV Offset Compensation", a plain dialog
//        of standard controls
//
// The window layer creates the controls from these records; skinned widgets
// are not here (they come from the layout tables). Texts are English: a
// control with a string id shows that string-table text, translated, instead
// of its own text. Read-only data, any thread.
#pragma once

#include <cstdint>
#include <span>

#include "platform/draw/geometry.h"

namespace appres {

enum class ControlKind {
    kPushButton,
    kEdit,
    kIpAddress,
    kListView,
    kRadioButton,
    kCheckBox,
    kComboBox,
    kSlider,
    kStatic,
    kGroupBox,
};

// Control style bits beyond "visible child window".
enum ControlStyle : uint32_t {
    kControlHidden = 1u << 0,        // created hidden; the dialog shows it
    kControlNumber = 1u << 1,        // edit: digits only
    kControlAutoScroll = 1u << 2,    // edit: scrolls sideways as text is typed
    kControlPassword = 1u << 3,      // edit: shows a placeholder per character
    kControlReportView = 1u << 4,    // list: columns with headers, left-aligned
    kControlAutoRadio = 1u << 5,     // radio: checks itself and clears its group
    kControlAutoCheck = 1u << 6,     // check box: toggles itself
    kControlDropDownList = 1u << 7,  // combo: choice from a list, no typing
    kControlVScroll = 1u << 8,       // vertical scroll bar
    kControlBorder = 1u << 9,        // thin border
    kControlTicks = 1u << 10,        // slider: tick marks
    kControlVertical = 1u << 11,     // slider: vertical
};

// Dialog frame bits.
enum DialogStyle : uint32_t {
    kDialogBorderless = 1u << 0,  // popup without caption or frame (skinned)
    kDialogCaption = 1u << 1,     // caption, system menu and modal frame
    kDialogAppWindow = 1u << 2,   // has a taskbar button
};

struct DialogControl {
    uint32_t id;
    ControlKind kind;
    uint32_t styles;        // ControlStyle bits
    const char* text;       // English text, "" for none
    uint32_t textStringId;  // string-table id of the text, 0 for none
    platform::Rect rect;    // client pixels; empty when the dialog places it
};

struct DialogTemplate {
    uint32_t id;
    const char* windowClass;  // registered class, nullptr for the default
    const char* title;        // English title, translated by the dialog
    uint32_t titleStringId;   // string-table id of the title, 0 for none
    uint32_t styles;          // DialogStyle bits
    platform::Size size;      // client size before the dialog resizes itself
    std::span<const DialogControl> controls;
};

class DialogTemplates {
public:
    // The template `id` (102, 146 or 199), or nullptr for any other id.
    static const DialogTemplate* Find(uint32_t id);
};

}  // namespace appres
