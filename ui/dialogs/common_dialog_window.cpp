#include "ui/dialogs/common_dialog_window.h"

#include "platform/window/window_limits.h"

namespace ui {

int CommonDialogWindow::Run() {
    return platform::kModalAborted;
}

}  // namespace ui
