#include "ui/dialogs/cqk_common_dlg.h"

#include <algorithm>

#include "platform/window/window_limits.h"
#include "ui/dialogs/common_dialog_window.h"

namespace ui {

CQKCommonDlg::CQKCommonDlg(DialogEnvironment environment) : m_env(std::move(environment)) {}

CQKCommonDlg::~CQKCommonDlg() = default;

void CQKCommonDlg::SetApFilter(const std::string& text) {
    m_apFilter.clear();
    m_apFilterOn = !text.empty();
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(';', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        // An empty prefix would match every SSID: it is not kept.
        if (end > start) {
            m_apFilter.push_back(text.substr(start, end - start));
        }
        start = end + 1;
    }
}

DialogRecord CQKCommonDlg::Describe() const {
    return DialogRecord{m_type, m_titleText, m_messageText};
}

platform::WindowId CQKCommonDlg::Window() const {
    return m_window ? m_window->Window() : platform::WindowId();
}

bool CQKCommonDlg::Ended() const {
    return m_window && m_window->Ended();
}

int CQKCommonDlg::FirstReceiverToHandOver() const {
    for (size_t row = 0; row < m_receivers.size(); ++row) {
        if (std::find(m_passedOver.begin(), m_passedOver.end(), m_receivers[row].ip) ==
            m_passedOver.end()) {
            return static_cast<int>(row);
        }
    }
    return -1;
}

bool CQKCommonDlg::EndWithReceivers(std::vector<DiscoveredReceiver> receivers,
                                    std::vector<DevAnnounce> records) {
    if (m_type != 28 || !m_window || m_window->Ended() || !m_window->Window() ||
        receivers.empty() || receivers.size() != records.size()) {
        return false;
    }
    m_receivers = std::move(receivers);
    m_records = std::move(records);
    m_listOnly = true;
    m_selectedRow = 0;
    m_window->EndDialog(kIdOk);
    return true;
}

int CQKCommonDlg::RunModal() {
    m_window = std::make_unique<CommonDialogWindow>(*this);
    int result = m_window->Run();
    m_window.reset();
    return result;
}

}  // namespace ui
