#include "ui/widgets/widget_layout_tables.h"

#include <array>

namespace ui {
namespace {

// clang-format off
constexpr std::array kLoginRow = {
    MakeLayoutElement(30207, u"BLANKITEM_DEVICENAME_TEXT", u"CQKText", 0, 0, 526, 27, u"", 0, 1),
    MakeLayoutElement(30207, u"BLANKITEM_DEVICENAME_TEXT", u"CQKText", 0, 0, 526, 27, u"", 0, 1),
    LayoutElement{},
    LayoutElement{},
};

constexpr std::array kScrollbar = {
    MakeLayoutElement(kScrollbarBackgroundId,   u"QKINMAIN_SCROLLBAR_BACKGROUND",    u"CQKImage",  0,  33, 21,  9, u"BMP", 5124, 1),
    MakeLayoutElement(kScrollbarButtonDownId,   u"QKINMAIN_SCROLLBAR_BUTTONDOWN",    u"CQKButton", 0, 101, 17, 17, u"BMP", 5120, 1),
    MakeLayoutElement(kScrollbarButtonUpId,     u"QKINMAIN_SCROLLBAR_BUTTONUP",      u"CQKButton", 0,   0, 17, 17, u"BMP", 5121, 1),
    MakeLayoutElement(kScrollbarThumbBodyId,    u"QKINMAIN_SCROLLBAR_BUTTON_BODY",   u"CQKImage",  0,   0,  0,  0, u"PNG", 5118, 1),
    MakeLayoutElement(kScrollbarThumbTopId,     u"QKINMAIN_SCROLLBAR_BUTTON_TOP",    u"CQKImage",  0,   0,  0,  0, u"PNG", 5117, 1),
    MakeLayoutElement(kScrollbarThumbBottomId,  u"QKINMAIN_SCROLLBAR_BUTTON_BOTTON", u"CQKImage",  0,   0,  0,  0, u"PNG", 5119, 1),
};
// clang-format on

}  // namespace

std::span<const LayoutElement> LoginRowLayout() {
    return kLoginRow;
}

std::span<const LayoutElement> ScrollbarLayout() {
    return kScrollbar;
}

}  // namespace ui
