// The simulator's conference answer read by the sender as its tiles read
// it: the two sides agree on the wire.
#include <arpa/inet.h>
#include <gtest/gtest.h>

#include "app/features/conference_info.h"
#include "tests/receiver/conference/ConferenceReply.h"

namespace pemuapp {
namespace {

TEST(ConferenceAnswerTest, TheSimulatorsConferenceReadsBackAsItsSenders) {
    for (int count = 1; count <= 4; ++count) {
        SCOPED_TRACE(count);
        const auto senders = receiver_sim::SampleConference(count);
        const std::vector<uint8_t> answer = receiver_sim::ConferenceAnswer(senders);
        // The client keeps what follows the answer's 16-byte head, whose
        // first word counts it.
        ASSERT_GE(answer.size(), 16u);
        const uint32_t size = (uint32_t{answer[0]} << 24) | (uint32_t{answer[1]} << 16) |
                              (uint32_t{answer[2]} << 8) | answer[3];
        ASSERT_EQ(size, answer.size() - 16);
        const auto entries = ParseConferenceReply(std::string(answer.begin() + 16, answer.end()));
        ASSERT_EQ(entries.size(), static_cast<size_t>(count));
        for (size_t i = 0; i < entries.size(); ++i) {
            EXPECT_EQ(entries[i].name, senders[i].name);
            EXPECT_EQ(entries[i].address, htonl(senders[i].ipv4));
            EXPECT_EQ(entries[i].state, senders[i].state);
            EXPECT_TRUE(entries[i].thumbnailUrl.empty());
        }
    }
}

}  // namespace
}  // namespace pemuapp
