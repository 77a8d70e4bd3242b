// The main window's keyboard: seen before the focused window gets a key.
#include "app/maindlg/main_dlg.h"
#include "vrxclientsdk/VRPClient/Logger.h"

namespace pemuapp {
namespace {

// The device name a receiver takes: 16 characters (of the 32 read).
constexpr size_t kDeviceNameReadChars = 32;
constexpr size_t kDeviceNameChars = 16;

}  // namespace

std::string FirstCharacters(const std::string& text, size_t count) {
    size_t end = 0;
    for (size_t chars = 0; end < text.size() && chars < count; ++chars) {
        ++end;
        // Continuation bytes belong to the character before them.
        while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
            ++end;
        }
    }
    return text.substr(0, end);
}

void CQKinMainDlg::CommitDeviceName() {
    const std::string name = FirstCharacters(
        FirstCharacters(m_parts->DeviceNameEditText(), kDeviceNameReadChars), kDeviceNameChars);
    m_parts->SetDeviceNameEditText(name);
    if (m_parts->IsDeviceNameEditVisible()) {
        m_parts->SetDeviceName(name);
        m_parts->HideDeviceNameEdit();
    }
}

bool CQKinMainDlg::PreTranslate(platform::WindowId self, const platform::Message& msg) {
    using platform::Key;
    if (msg.kind == platform::MessageKind::kButtonDown && m_parts->IsDeviceNameEditVisible() &&
        msg.target != m_parts->DeviceNameEditWindow()) {
        // A click anywhere else renames the receiver before it does
        // anything else; the click then goes on.
        CommitDeviceName();
        m_wm.Invalidate(Window());
    }
    if (msg.kind != platform::MessageKind::kKeyDown) {
        return ui::CTrayDialog::PreTranslate(self, msg);
    }
    switch (msg.key) {
        case Key::kReturn:
            CommitDeviceName();
            if (m_listPage) {
                m_parts->TakeChosenListReceiver();
            }
            m_wm.Invalidate(Window());
            return true;
        case Key::kSpace:
            // No button is pressed by Space (typed text comes as kChar).
            return true;
        case Key::kEscape:
            // Never the dialog's cancel: Esc does not end the main window.
            if (m_parts->IsDeviceNameEditVisible()) {
                m_parts->CancelDeviceNameEdit();
            } else if (m_listPage) {
                m_listPage = false;
                m_parts->LeaveListPage();
            }
            m_wm.Invalidate(Window());
            return true;
        case Key::kUp:
        case Key::kDown:
            m_parts->ScrollReceiverList(msg.key == Key::kUp ? -1 : 1);
            m_wm.Invalidate(Window());
            break;
        case Key::kF5:
            m_parts->RefreshSenderStatus();
            break;
        default:
            break;
    }
    return ui::CTrayDialog::PreTranslate(self, msg);
}

}  // namespace pemuapp
