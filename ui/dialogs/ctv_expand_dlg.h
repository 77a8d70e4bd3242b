// CTVExpandDlg: the "TV Offset Compensation" dialog: a horizontal and a
// vertical offset, each set with a slider or typed into a three-digit edit.
// Standard controls of dialog template 199, not skinned.
//
// The creator sets the maximum (and the vertical slider's range) and the
// two stored offsets, runs it through its DialogRunner, and reads the
// offsets back only when it ends with kIdOk ("Apply"). Close and Escape
// leave them as they were.
// THREADING: user-interface thread only.
#pragma once

#include <memory>

#include "ui/dialogs/dialog_runner.h"

namespace ui {

class TvExpandWindow;

class CTVExpandDlg final : public ModalDialog {
public:
    // Type reported to recording runners (not a common-dialog type).
    static constexpr int kRecordType = 199;

    CTVExpandDlg();
    ~CTVExpandDlg() override;

    void SetMaximum(int maximum) { m_maximum = maximum; }
    int Maximum() const { return m_maximum; }
    void SetVerticalRange(int range) { m_verticalRange = range; }
    int VerticalRange() const { return m_verticalRange; }
    void SetHorizontalOffset(int offset) { m_horizontal = offset; }
    int HorizontalOffset() const { return m_horizontal; }
    void SetVerticalOffset(int offset) { m_vertical = offset; }
    int VerticalOffset() const { return m_vertical; }

    int RunModal() override;
    DialogRecord Describe() const override;
    // The running window's internals, null when not running (tests).
    TvExpandWindow* RunningWindow() { return m_window.get(); }

private:
    int m_maximum = 250;
    int m_verticalRange = 250;
    int m_horizontal = 0;
    int m_vertical = 0;
    std::unique_ptr<TvExpandWindow> m_window;
};

}  // namespace ui
