#include "ui/dialogs/ctv_expand_dlg.h"

#include "ui/dialogs/tv_expand_window.h"

namespace ui {

CTVExpandDlg::CTVExpandDlg() = default;
CTVExpandDlg::~CTVExpandDlg() = default;

DialogRecord CTVExpandDlg::Describe() const {
    return DialogRecord{kRecordType, "TV Offset Compensation", ""};
}

int CTVExpandDlg::RunModal() {
    m_window = std::make_unique<TvExpandWindow>(*this);
    const int result = m_window->Run();
    m_window.reset();
    return result;
}

}  // namespace ui
