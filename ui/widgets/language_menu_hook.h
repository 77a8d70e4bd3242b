// The open language menu, as the skinned buttons see it.
//
// The language menu is a small window that closes as soon as any other
// skinned button of the program is pressed; its own entries (control ids
// 20236 and 20238 to 20247) keep it open. The menu registers its window
// here while it is open and clears it when it closes; a press posts it a
// close request by that checked id (never by its title), so a menu that is
// already gone is never touched.
//
// Not the menu itself: the dialog that shows the language choice owns it.
// THREADING: user-interface thread only.
#pragma once

#include <cstdint>

#include "platform/window/window_id.h"

namespace ui {

class LanguageMenuHook {
public:
    // The open language menu's window; null when none is open.
    static void SetOpenMenu(platform::WindowId menu);
    static platform::WindowId OpenMenu();

    // True for the controls of the language menu itself.
    static bool IsLanguageEntry(uint32_t controlId);

    // A skinned button `controlId` was pressed: unless it is a language
    // entry, the open menu (if any, and alive) is posted a close request.
    static void OnButtonPressed(uint32_t controlId);
};

}  // namespace ui
