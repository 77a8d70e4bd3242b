#include "app/res/dialog_templates.h"

namespace appres {

namespace {

using platform::Rect;

// Main window: the whole face is skinned; the only standard control is the
// device-name box that the page shows over the device name when it is edited.
constexpr DialogControl kMainControls[] = {
    {1004, ControlKind::kEdit, kControlHidden | kControlAutoScroll, "", 0,
     Rect::FromXywh(14, 2, 185, 23)},
};

// Skinned secondary windows: every standard control that a layout table
// refers to. They start hidden and unplaced; the element builder moves and
// shows the ones its table names.
constexpr uint32_t kHiddenEdit = kControlHidden | kControlBorder | kControlAutoScroll;
constexpr DialogControl kCommonControls[] = {
    {1, ControlKind::kPushButton, kControlHidden, "OK", 0, {}},
    {2, ControlKind::kPushButton, kControlHidden, "Cancel", 0, {}},
    {1004, ControlKind::kEdit, kHiddenEdit | kControlNumber, "", 0, {}},
    {1005, ControlKind::kEdit, kHiddenEdit, "", 0, {}},
    {1010, ControlKind::kEdit, kHiddenEdit, "", 0, {}},
    {1011, ControlKind::kEdit, kHiddenEdit, "", 0, {}},
    {1020, ControlKind::kEdit, kHiddenEdit, "", 0, {}},
    {1012, ControlKind::kEdit, kHiddenEdit | kControlPassword, "", 0, {}},
    {1013, ControlKind::kEdit, kHiddenEdit | kControlPassword, "", 0, {}},
    {1021, ControlKind::kIpAddress, kControlHidden | kControlBorder, "", 0, {}},
    {1009, ControlKind::kListView, kControlHidden | kControlBorder | kControlReportView, "", 0, {}},
    {2003, ControlKind::kRadioButton, kControlHidden | kControlAutoRadio, "", 0, {}},
    {2004, ControlKind::kRadioButton, kControlHidden | kControlAutoRadio, "", 0, {}},
    {10328, ControlKind::kCheckBox, kControlHidden | kControlAutoCheck, "Hide characters", 0, {}},
    {205,
     ControlKind::kComboBox,
     kControlHidden | kControlBorder | kControlDropDownList | kControlVScroll,
     "",
     0,
     {}},
};

// Screen-offset dialog. The scale labels mark the offsets 0 to 250 in steps
// of 50: left to right under the horizontal slider, bottom to top beside the
// vertical one (its top end is the largest offset).
constexpr uint32_t kSliderStyles = kControlTicks;
constexpr DialogControl kTvOffsetControls[] = {
    {178, ControlKind::kGroupBox, 0, "", 0, Rect::FromXywh(7, 7, 406, 280)},
    {196, ControlKind::kStatic, kControlBorder, "", 0, Rect::FromXywh(39, 23, 252, 159)},
    {181, ControlKind::kSlider, kSliderStyles, "", 0, Rect::FromXywh(33, 185, 264, 28)},
    {182, ControlKind::kSlider, kSliderStyles | kControlVertical, "", 0,
     Rect::FromXywh(296, 43, 28, 142)},
    {1004, ControlKind::kEdit, kControlBorder | kControlNumber, "", 0,
     Rect::FromXywh(297, 23, 33, 20)},
    {1005, ControlKind::kEdit, kControlBorder | kControlNumber, "", 0,
     Rect::FromXywh(297, 193, 33, 20)},
    {179, ControlKind::kStatic, 0, "Vertical Offset", 65367, Rect::FromXywh(337, 20, 60, 50)},
    {180, ControlKind::kStatic, 0, "Horizontal Offset", 65366, Rect::FromXywh(337, 190, 60, 50)},
    {183, ControlKind::kStatic, 0, "", 65364, Rect::FromXywh(40, 232, 365, 55)},
    {195, ControlKind::kStatic, 0, "0", 0, Rect::FromXywh(43, 219, 18, 12)},
    {194, ControlKind::kStatic, 0, "50", 0, Rect::FromXywh(87, 219, 18, 12)},
    {193, ControlKind::kStatic, 0, "100", 0, Rect::FromXywh(133, 219, 18, 12)},
    {192, ControlKind::kStatic, 0, "150", 0, Rect::FromXywh(181, 219, 18, 12)},
    {191, ControlKind::kStatic, 0, "200", 0, Rect::FromXywh(228, 219, 18, 12)},
    {190, ControlKind::kStatic, 0, "250", 0, Rect::FromXywh(275, 219, 18, 12)},
    {189, ControlKind::kStatic, 0, "0", 0, Rect::FromXywh(330, 165, 18, 12)},
    {188, ControlKind::kStatic, 0, "50", 0, Rect::FromXywh(330, 142, 18, 12)},
    {187, ControlKind::kStatic, 0, "100", 0, Rect::FromXywh(330, 119, 18, 12)},
    {186, ControlKind::kStatic, 0, "150", 0, Rect::FromXywh(330, 95, 18, 12)},
    {185, ControlKind::kStatic, 0, "200", 0, Rect::FromXywh(330, 72, 18, 12)},
    {184, ControlKind::kStatic, 0, "250", 0, Rect::FromXywh(330, 49, 18, 12)},
    {1, ControlKind::kPushButton, 0, "Apply", 65365, Rect::FromXywh(259, 294, 73, 21)},
    {2, ControlKind::kPushButton, 0, "Close", 65206, Rect::FromXywh(340, 294, 73, 21)},
};

constexpr DialogTemplate kTemplates[] = {
    {102,
     "Pemu Quorvane Sender",
     "Pemu",
     0,
     kDialogBorderless | kDialogAppWindow,
     {526, 400},
     kMainControls},
    // 368 x 266 is the size of the types without a size of their own.
    {146,
     "PEMU_COMMON",
     "Pemu",
     0,
     kDialogBorderless | kDialogAppWindow,
     {368, 266},
     kCommonControls},
    {199, nullptr, "TV Offset Compensation", 65343, kDialogCaption, {420, 322}, kTvOffsetControls},
};

}  // namespace

const DialogTemplate* DialogTemplates::Find(uint32_t id) {
    for (const DialogTemplate& t : kTemplates) {
        if (t.id == id) {
            return &t;
        }
    }
    return nullptr;
}

}  // namespace appres
