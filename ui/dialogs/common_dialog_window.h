// CommonDialogWindow: the window of one running CQKCommonDlg: it lives from
// RunModal's start to its end.
// THREADING: user-interface thread only.
#pragma once

#include "platform/window/window_id.h"

namespace ui {

class CQKCommonDlg;

class CommonDialogWindow {
public:
    explicit CommonDialogWindow(CQKCommonDlg& dialog) : m_dialog(dialog) {}
    // Creates the window and runs its modal loop; returns the dialog's result.
    int Run();
    platform::WindowId Window() const { return m_window; }

private:
    CQKCommonDlg& m_dialog;
    platform::WindowId m_window;
};

}  // namespace ui
