#include "ui/dialogs/ctv_expand_dlg.h"

#include "platform/window/window_limits.h"

namespace ui {

class TvExpandWindow {};

CTVExpandDlg::CTVExpandDlg() = default;
CTVExpandDlg::~CTVExpandDlg() = default;

DialogRecord CTVExpandDlg::Describe() const {
    return DialogRecord{kRecordType, "TV Offset Compensation", ""};
}

int CTVExpandDlg::RunModal() {
    return platform::kModalAborted;
}

}  // namespace ui
