// PositionRecord: one position of the receiver's split screen as its
// conference information reports it, and the list the main window's tiles
// show.
// Plain data, usable on any thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pemuapp {

// States of a position record.
inline constexpr int kPositionIdle = 0;
inline constexpr int kPositionProjecting = 1;
inline constexpr int kPositionModerated = 10;

struct PositionRecord {
    std::string displayName;    // UTF-8; empty: the tile shows the address
    uint32_t address = 0;       // the sender's IPv4 address, network order
    int position = 128;         // requested split position (128: full screen)
    int state = kPositionIdle;  // 0 idle, 1 projecting, 10 projecting under moderator control
    std::string lockText;       // code a moderator must give; empty: open
    std::string thumbnailUrl;   // where the receiver keeps the sender's thumbnail
    std::string nameText;       // the thumbnail file's base name, as the receiver sent it
    int signalLevel = 3;        // 1 low, 2 moderate, anything else excellent
    bool operator==(const PositionRecord&) const = default;
};

using PositionList = std::vector<PositionRecord>;

}  // namespace pemuapp
