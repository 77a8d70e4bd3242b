// Comparing an offered version text ("1.2.3.4") with the program's own file
// version. Pure; any thread.
#pragma once

#include <string_view>

#include "app/res/version_info.h"

namespace ui {

// 1 when `offered` is newer than `own`, 0 when equal, -1 when older or
// empty. Parts are compared in order (major, minor, build, revision); a
// missing part, or one that does not start with digits, counts 0.
int CompareVersionText(std::string_view offered, const appres::FileVersion& own);

}  // namespace ui
