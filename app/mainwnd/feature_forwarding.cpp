// The engine's feature calls, handed to the window's features when it has
// them; without features the window answers as MainWindowParts does.
#include "app/features/main_window_features.h"
#include "app/mainwnd/main_window.h"

namespace pemuapp {

bool MainWindow::IsUsbSharingOn() {
    return m_features && m_features->IsUsbSharingOn();
}

void MainWindow::StopUsbSharing() {
    if (m_features) {
        m_features->StopUsbSharing();
    }
}

void MainWindow::StartUsbSharing(const std::string& ip) {
    if (m_features) {
        m_features->StartUsbSharing(ip);
    }
}

bool MainWindow::RunUpdateCheck() {
    return m_features && m_features->RunUpdateCheck();
}

void MainWindow::ShowFirstStartDialog() {
    if (m_features) {
        m_features->ShowFirstStartDialog();
    }
}

void MainWindow::SetupSenderIdentity() {
    if (m_features) {
        m_features->SetupSenderIdentity();
    }
}

void MainWindow::TakeConferencePositions() {
    if (!m_features) {
        return;
    }
    PositionList positions;
    for (const ConferenceEntry& e : m_features->Conference().Entries()) {
        PositionRecord r;
        r.displayName = e.name;
        r.address = e.address;
        r.state = e.state;
        r.thumbnailUrl = e.thumbnailUrl;
        r.nameText = e.name;
        positions.push_back(std::move(r));
    }
    m_positions = std::move(positions);
    MarkOwnRecords();
}

void MainWindow::FetchConferenceInfo() {
    NoteSessionClient();  // the request's worker asks through it
    if (m_features) {
        m_features->FetchConferenceInfo();
    }
}

bool MainWindow::ForwardFeatureCommand(uint32_t id) {
    return m_features && m_features->OnCommand(id);
}

bool MainWindow::IsUsbAttachRunning() {
    return m_features && m_features->Usb().AttachRunning();
}

}  // namespace pemuapp
