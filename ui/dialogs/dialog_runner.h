// DialogRunner: the one way the program opens a modal dialog.
//
// Every creator (the main dialog, the common dialog opening a second one,
// the settings pages) builds its dialog object, fills what the dialog type
// reads and hands it to DoModal of the runner it was given. The program's
// runner (WindowDialogRunner) runs the dialog's own modal loop; tests use
// ScriptedDialogRunner (ui/dialogs/testing), which runs no window, answers
// from a script and records every box (type, title, text).
//
// THREADING: user-interface thread only; a runner is not shared between
// threads.
#pragma once

#include <string>

namespace ui {

// Result values of a modal dialog.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;

// What a recording runner keeps of one dialog: its type, its title and its
// message text, as the creator set them (before translation when the
// creator passed English texts or string ids).
struct DialogRecord {
    int type = 0;
    std::string title;
    std::string text;

    bool operator==(const DialogRecord&) const = default;
};

// A dialog that can run modally: CQKCommonDlg, CTVExpandDlg and the main
// window's own dialogs.
class ModalDialog {
public:
    virtual ~ModalDialog() = default;
    // Creates the window, runs its modal loop and destroys the window;
    // returns kIdOk, kIdCancel (a close request cancels) or
    // platform::kModalAborted when no window could be made or a quit ended
    // the loop. Called only by a DialogRunner.
    virtual int RunModal() = 0;
    // The dialog as a recording runner notes it.
    virtual DialogRecord Describe() const = 0;
};

class DialogRunner {
public:
    virtual ~DialogRunner() = default;
    // Runs `dialog` modally and returns its result. `dialog` is borrowed for
    // the call; the creator reads its results afterwards.
    virtual int DoModal(ModalDialog& dialog) = 0;
};

// The program's runner: the dialog's own modal loop.
class WindowDialogRunner final : public DialogRunner {
public:
    int DoModal(ModalDialog& dialog) override { return dialog.RunModal(); }
};

}  // namespace ui
