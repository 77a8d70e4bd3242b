// The layout tables the widgets build their own children from: the receiver
// row's (CQKLoginItem) and the scrollbar's (CQKScrollbar). Records as stored,
// without the end record. Read-only data, usable on any thread.
#pragma once

#include <span>

#include "ui/widgets/layout_element.h"

namespace ui {

// Control ids and element names of the scrollbar's parts.
inline constexpr uint32_t kScrollbarBackgroundId = 10308;
inline constexpr uint32_t kScrollbarButtonDownId = 10307;
inline constexpr uint32_t kScrollbarButtonUpId = 10306;
inline constexpr uint32_t kScrollbarThumbBodyId = 10310;
inline constexpr uint32_t kScrollbarThumbTopId = 10309;
inline constexpr uint32_t kScrollbarThumbBottomId = 10311;

// The receiver row's children: two device-name texts and two empty records.
std::span<const LayoutElement> LoginRowLayout();

// The scrollbar's six parts, in the order they are built.
std::span<const LayoutElement> ScrollbarLayout();

}  // namespace ui
