// The client of the session the window shows.
#include "app/maindlg/main_dlg.h"
#include "app/mainwnd/main_window.h"
#include "app/startup/command_runner.h"

namespace pemuapp {

VRXClient* MainWindow::SessionClient() const {
    CQKVRXClientEx* main = m_engine ? m_engine->Client() : nullptr;
    if (!main || main->GetStatus() != kVrxDisconnected) {
        return main;
    }
    // A login handed over by another start is the command runner's: the
    // main client only names its receiver.
    if (CommandRunner* runner = m_engine->Runner(); runner && main->receiverAddress != 0) {
        for (size_t i = 0; i < runner->ClientCount(); ++i) {
            const CommandRunner::ClientEntry& entry = runner->Client(i);
            if (entry.client && entry.address == main->receiverAddress &&
                entry.client->GetStatus() != kVrxDisconnected) {
                return entry.client.get();
            }
        }
    }
    return main;
}

VRXClient* MainWindow::NoteSessionClient() {
    VRXClient* client = SessionClient();
    m_sessionClient.store(client);
    return client;
}

}  // namespace pemuapp
