// Login rows of a page: one receiver client per listed receiver, shown as a
// row of the page's skinned list view, and the row's end when its receiver
// closes the connection.
//
// Each client is made through the main window's factory with a source
// number of its own; its lost connection is posted to the page's window
// with that number, so the page finds the entry on the user-interface
// thread. The entry is taken out before anything is shown: a second event
// for the same client, pumped while the box is open, finds nothing and
// changes nothing.
// THREADING: user-interface thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "vrxclientsdk/VRPClient/DevAnnounce.h"

class VRXClient;

namespace ui {

class CQKCommonDlg;
class CQKListView;
class MainWindowServices;

struct LoginRowEntry {
    std::unique_ptr<VRXClient> client;
    uint32_t ipv4 = 0;  // network order
    std::string name;
    int64_t source = 0;  // the number its lost connection carries (0: none)
};

// A new source number (never 0), unique in this process.
int64_t NextLoginRowSource();

// The message of a lost connection: "Device disconnected." and, for a
// named receiver, "\n(" the name (its first 22 characters and "..." when
// longer), ": ", the dotted address and ")".
std::string DisconnectedText(const std::string& name, uint32_t ipv4);

// The page's skinned list view; null when the page has none.
CQKListView* LoginListView(CQKCommonDlg& dialog);

// For each record whose address no entry has yet: a client from `main`
// (events to the page's window), an entry and a login row; then every
// row's logged-in state is refreshed. The number of entries, or -1 when
// the page has no list view.
int AddClientsForFound(CQKCommonDlg& dialog, MainWindowServices& main,
                       const std::vector<DevAnnounce>& found, std::vector<LoginRowEntry>& entries);

// The receiver of the client numbered `source` closed the connection: the
// entry is taken out, its row removed (the client logged out), the page
// drawn again, `showBox` given the message, and the client deleted. False,
// with nothing changed, when no entry has that number.
bool RemoveClosedClient(CQKCommonDlg& dialog, std::vector<LoginRowEntry>& entries, int64_t source,
                        const std::function<void(const std::string&)>& showBox);

}  // namespace ui
