// The main dialog's internal command ids, shared with the window's
// features that post some of them.
#pragma once

#include <cstdint>

namespace pemuapp {

// Internal commands (WM_COMMAND ids) of the main dialog.
enum MainCommand : uint32_t {
    kCmdProcessCommandFile = 10291,
    kCmdReconnectNotice = 10296,
    kCmdLogoutFromDialog = 10369,
    kCmdConnect = 10373,
    kCmdStopAllSharing = 10377,
    kCmdRefreshStatus = 10381,
    kCmdThumbnailsReady = 10382,
    kCmdListPageFilled = 10384,
    kCmdStoppedByReceiver = 10385,
    kCmdConnectionClosed = 10386,
    kCmdAutoExit = 10391,
    kCmdConferenceInfoReady = 10389,
    kCmdListFilled = 10393,
    kCmdWifiResult = 50000,
    kCmdMenuExit = 2015,
    kCmdMenuSearch = 2003,
};

}  // namespace pemuapp
