#include "ui/widgets/language_menu_hook.h"

#include "platform/window/window_manager.h"

namespace ui {
namespace {

// One per process, like the menu; only the user-interface thread uses it.
platform::WindowId g_openMenu;

}  // namespace

void LanguageMenuHook::SetOpenMenu(platform::WindowId menu) {
    g_openMenu = menu;
}

platform::WindowId LanguageMenuHook::OpenMenu() {
    return g_openMenu;
}

bool LanguageMenuHook::IsLanguageEntry(uint32_t controlId) {
    return controlId == 20236 || (controlId >= 20238 && controlId <= 20247);
}

void LanguageMenuHook::OnButtonPressed(uint32_t controlId) {
    if (!g_openMenu || IsLanguageEntry(controlId)) {
        return;
    }
    platform::WindowManager* wm = platform::WindowManager::Current();
    if (wm && wm->IsAlive(g_openMenu)) {
        wm->Post(g_openMenu, platform::Message::Close());
    }
}

}  // namespace ui
