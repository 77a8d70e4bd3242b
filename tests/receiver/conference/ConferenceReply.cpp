#include "tests/receiver/conference/ConferenceReply.h"

#include <algorithm>

namespace receiver_sim {
namespace {

void U16(std::string& out, uint32_t v) {
    out.push_back(static_cast<char>((v >> 8) & 0xFF));
    out.push_back(static_cast<char>(v & 0xFF));
}
void U32(std::string& out, uint32_t v) {
    U16(out, v >> 16);
    U16(out, v & 0xFFFF);
}
void Text(std::string& out, const std::string& text) {
    const std::string cut = text.substr(0, 0xFFFF);
    U16(out, static_cast<uint32_t>(cut.size()));
    out += cut;
}

}  // namespace

std::vector<uint8_t> ConferenceAnswer(const std::vector<ConferenceSender>& senders) {
    std::string list;
    U32(list, 0);            // the list's own word
    list.push_back('\x01');  // status: good
    U16(list, static_cast<uint32_t>(senders.size()));
    for (const ConferenceSender& s : senders) {
        Text(list, s.name);
        U32(list, s.ipv4);
        U32(list, static_cast<uint32_t>(s.state));
        list.push_back('\0');  // flag
        U32(list, 0);          // levels
        U32(list, 0);
        Text(list, "");  // no access block
        Text(list, "");  // no thumbnail
        list.push_back('\0');
    }
    std::string answer;
    U32(answer, static_cast<uint32_t>(list.size()));
    answer.append(12, '\0');
    answer += list;
    return std::vector<uint8_t>(answer.begin(), answer.end());
}

std::vector<ConferenceSender> SampleConference(int count) {
    static const char* const kNames[] = {"Projector laptop", "Anna's notebook", "Meeting PC",
                                         "Guest tablet"};
    std::vector<ConferenceSender> senders;
    for (int i = 0; i < std::clamp(count, 1, 4); ++i) {
        senders.push_back({kNames[i], 0x0A00000Bu + static_cast<uint32_t>(i), i == 0 ? 1 : 0});
    }
    return senders;
}

}  // namespace receiver_sim
