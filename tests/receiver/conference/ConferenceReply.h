// The receiver's answer to the conference question ("GET_CONFERENCE_INFO",
// a forwarded message): the counted list of the senders taking part, as the
// sender's main window reads it into its tiles. The simulator gives a fixed
// list so that the tiles can be seen and tried by hand.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace receiver_sim {

struct ConferenceSender {
    std::string name;
    uint32_t ipv4 = 0;  // host order
    int32_t state = 0;  // 0 idle, 1 projecting, 10 moderated
};

// The forwarded-message answer (its 16-byte head and the list) for
// `senders`; every integer big-endian, every text counted.
std::vector<uint8_t> ConferenceAnswer(const std::vector<ConferenceSender>& senders);

// `count` senders (1 to 4) with made-up names on 10.0.0.11 and up, the
// first one projecting.
std::vector<ConferenceSender> SampleConference(int count);

}  // namespace receiver_sim
