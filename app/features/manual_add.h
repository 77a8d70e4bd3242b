// ManualAdd: menu command 20231 "Manually add device": the address page
// (a common dialog of type 32) asks for a receiver's address, the engine's
// login connects to it, and the conference information of the new session
// is fetched before the main window shows again. One add at a time; a
// failed login returns the window to its search page.
//
// THREADING: user-interface thread.
#pragma once

#include <cstdint>

namespace pemuapp {

class ConferenceInfo;
class FeatureHost;

inline constexpr uint32_t kCmdManualAddDevice = 20231;

class ManualAdd {
public:
    ManualAdd(FeatureHost& host, ConferenceInfo& conference)
        : m_host(host), m_conference(conference) {}

    // True when a receiver was added and logged in to.
    bool OnManualAddDevice();
    bool Running() const { return m_running; }

private:
    FeatureHost& m_host;
    ConferenceInfo& m_conference;
    bool m_running = false;
};

}  // namespace pemuapp
