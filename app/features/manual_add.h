// ManualAdd: menu command 20231 "Manually add device": the address page
// (a common dialog of type 32) asks for a receiver's address, the engine's
// login connects to it, and the conference information of the new session
// is fetched before the main window shows again. The receiver joins the
// engine's receiver list before the login (listed by its address until the
// login names it). One add at a time; a failed login returns the window to
// its search page. While the search page's companion window (titled
// "Pemu ") is open, the command only brings it up and asks it to connect by
// address itself.
//
// THREADING: user-interface thread.
#pragma once

#include <cstdint>

namespace pemuapp {

class ConferenceInfo;
class FeatureHost;

inline constexpr uint32_t kCmdManualAddDevice = 20231;
// Asks the search page's window to connect by address from its own page.
inline constexpr uint32_t kCmdConnectByAddress = 10383;
// The title of the search page's companion window (the name and one blank).
inline constexpr const char* kCompanionWindowTitle = "Pemu ";

class ManualAdd {
public:
    ManualAdd(FeatureHost& host, ConferenceInfo& conference)
        : m_host(host), m_conference(conference) {}

    // True when a receiver was added and logged in to.
    bool OnManualAddDevice();
    // The search page's companion window, when one is open: shown and sent
    // kCmdConnectByAddress; true then.
    static bool HandToCompanionWindow();
    bool Running() const { return m_running; }

private:
    FeatureHost& m_host;
    ConferenceInfo& m_conference;
    bool m_running = false;
};

}  // namespace pemuapp
