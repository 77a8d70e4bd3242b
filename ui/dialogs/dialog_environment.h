// DialogEnvironment: what every dialog of the program is given by its
// creator: the runner through which it opens further dialogs, the main
// window's services, the page code, the skin and the font.
//
// Plain struct of borrowed pointers; each must outlive the dialogs made
// with it. A null service means "not available": the dialog then skips what
// needs it (tests leave out what they do not exercise).
#pragma once

#include <string>

namespace ui {

class DialogRunner;
class MainWindowServices;
class PageOperations;
class SkinImages;

struct DialogEnvironment {
    DialogRunner* runner = nullptr;
    MainWindowServices* mainWindow = nullptr;
    PageOperations* pages = nullptr;
    SkinImages* skin = nullptr;
    // The skin folder (png/, bmp/, Language/locale) and the font family
    // that every text element is given.
    std::string skinFolder;
    std::string fontName = "Arial";
};

}  // namespace ui
