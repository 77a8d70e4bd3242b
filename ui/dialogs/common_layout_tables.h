// The layout tables of the common dialog: one table of skinned elements and
// standard-control places per dialog type.
//
// Tables are data in the code (common_layout_tables.cpp), records as stored
// without their end record. Types 9, 12, 20 and 34 share the tables of 8,
// 10, 10 and 26; types 3 and 11 have an empty table; 36 and any type
// outside 1..39 have none.
// Read-only data, usable on any thread.
#pragma once

#include <span>
#include <vector>

#include "ui/widgets/layout_element.h"

namespace ui {

inline constexpr int kFirstDialogType = 1;
inline constexpr int kLastDialogType = 39;

// The records of `type` (empty for a type without a table or an empty one).
std::span<const LayoutElement> LayoutTableOf(int type);

// Replaces `out` with the records of the dialog type's table. False (and
// `out` emptied) for a type without a table: the dialog then has no elements.
bool GetLayoutTable(int type, std::vector<LayoutElement>& out);

}  // namespace ui
