// The simulated receiver's access-point-client side: what it answers, and
// that its check of set requests tells a well-made request from a broken
// one (so that tests of the sender can trust what it records).
#include "tests/receiver/apclient/ApClientSide.h"

#include <gtest/gtest.h>

namespace receiver_sim {
namespace {

// "<sum>;<body>" with a sum given by hand.
std::string Sent(const std::string& body) {
    return std::to_string(ApClientSide::ByteSum(body)) + ";" + body;
}

TEST(ApClientSideTest, QueryRebootAndOtherIds) {
    ApClientSide side;
    side.SetSettings({true, true, "home", 7, "abcdefgh"});
    EXPECT_EQ(side.Answer(kApClientMessage, "123;$APCLIENT;"),
              Sent("APCLIENT_SUPPORT=1;APCLIENT_ONOFF=1;APCLIENT_ESSID=home;"
                   "APCLIENT_ENCRYPT_MODE=7;APCLIENT_ENCRYPT_KEY=abcdefgh;"));
    EXPECT_EQ(side.Answer(kApClientMessage, "12;$REBOOT;"), "12;REBOOT=0;");
    EXPECT_EQ(side.Answer(0x1000020, "123;$APCLIENT;"), std::nullopt);
    EXPECT_EQ(side.Answer(kApClientMessage, "$SOMETHING;"), Sent("APCLIENT_RESULT=1;"));
    EXPECT_EQ(side.Answer(kApClientMessage, "x9;APCLIENT_ONOFF=0;"), Sent("APCLIENT_RESULT=1;"));
    EXPECT_EQ(side.Queries(), 1);
    EXPECT_EQ(side.Reboots(), 1);
    EXPECT_EQ(side.Errors(), (std::vector<std::string>{"$SOMETHING;", "x9;APCLIENT_ONOFF=0;"}));
    EXPECT_TRUE(side.SetRequests().empty());
    side.SetRawQueryReply("x;A=0;");
    EXPECT_EQ(side.Answer(kApClientMessage, "123;$APCLIENT;"), "x;A=0;");
}

TEST(ApClientSideTest, SetRequestsAreCheckedStrictly) {
    const std::string on =
        "APCLIENT_ONOFF=1;APCLIENT_ESSID=home;APCLIENT_ENCRYPT_MODE=7;"
        "APCLIENT_ENCRYPT_KEY=abcdefgh;";
    const std::string off =
        "APCLIENT_ONOFF=0;APCLIENT_ESSID=;APCLIENT_ENCRYPT_MODE=0;"
        "APCLIENT_ENCRYPT_KEY=;";
    struct Row {
        const char* what;
        std::string text;
        bool sumOk, wellFormed;
        std::optional<int> channel;
    } rows[] = {
        {"on, no channel", Sent(on), true, true, std::nullopt},
        {"on, channel 6", Sent(on + "CHANNEL=6;"), true, true, 6},
        {"off, channel 0", Sent(off + "CHANNEL=0;"), true, true, 0},
        // "abc" sums to 294.
        {"the sum of a short body", "294;abc", true, false, std::nullopt},
        {"a sum one off", std::to_string(ApClientSide::ByteSum(on) + 1) + ";" + on, false, true,
         std::nullopt},
        {"off without a channel", Sent(off), true, false, std::nullopt},
        {"off with channel 6", Sent(off + "CHANNEL=6;"), true, false, 6},
        {"on with channel 0", Sent(on + "CHANNEL=0;"), true, false, 0},
        {"fields out of order",
         Sent("APCLIENT_ESSID=home;APCLIENT_ONOFF=1;APCLIENT_ENCRYPT_MODE=7;"
              "APCLIENT_ENCRYPT_KEY=abcdefgh;"),
         true, false, std::nullopt},
        {"a ';' inside the key splits it",
         Sent("APCLIENT_ONOFF=1;APCLIENT_ESSID=home;APCLIENT_ENCRYPT_MODE=7;"
              "APCLIENT_ENCRYPT_KEY=abc;defgh;"),
         true, false, std::nullopt},
        {"mode 13",
         Sent("APCLIENT_ONOFF=1;APCLIENT_ESSID=h;APCLIENT_ENCRYPT_MODE=13;"
              "APCLIENT_ENCRYPT_KEY=;"),
         true, false, std::nullopt},
        {"a line break",
         Sent("APCLIENT_ONOFF=1;APCLIENT_ESSID=h\n;APCLIENT_ENCRYPT_MODE=0;"
              "APCLIENT_ENCRYPT_KEY=;"),
         true, false, std::nullopt},
        {"no final ';'", Sent(on + "CHANNEL=6"), true, false, std::nullopt},
    };
    for (const Row& row : rows) {
        ApClientSide side;
        side.SetSettings({true, false, "before", 0, ""});
        const std::optional<std::string> reply = side.Answer(kApClientMessage, row.text);
        ASSERT_EQ(side.SetRequests().size(), 1u) << row.what;
        const ApClientSetRequest r = side.SetRequests()[0];
        EXPECT_EQ(r.raw, row.text) << row.what;
        EXPECT_EQ(r.sumOk, row.sumOk) << row.what;
        EXPECT_EQ(r.wellFormed, row.wellFormed) << row.what << ": " << r.problem;
        if (row.wellFormed) {
            EXPECT_EQ(r.channel, row.channel) << row.what;
        }
        const bool accepted = row.sumOk && row.wellFormed;
        EXPECT_EQ(reply, Sent(accepted ? "APCLIENT_RESULT=0;" : "APCLIENT_RESULT=1;")) << row.what;
        EXPECT_EQ(side.Settings().ssid, accepted ? r.settings.ssid : "before") << row.what;
    }
}

TEST(ApClientSideTest, AnAcceptedSetIsWhatTheNextQueryReads) {
    ApClientSide side;
    side.SetResultCode(5);
    const std::string body =
        "APCLIENT_ONOFF=1;APCLIENT_ESSID=Caf\xC3\xA9;APCLIENT_ENCRYPT_MODE=8;"
        "APCLIENT_ENCRYPT_KEY=" +
        std::string(64, 'a') + ";CHANNEL=11;";
    EXPECT_EQ(side.Answer(kApClientMessage, Sent(body)), Sent("APCLIENT_RESULT=5;"));
    EXPECT_EQ(side.Answer(kApClientMessage, "123;$APCLIENT;"),
              Sent("APCLIENT_SUPPORT=1;APCLIENT_ONOFF=1;APCLIENT_ESSID=Caf\xC3\xA9;"
                   "APCLIENT_ENCRYPT_MODE=8;APCLIENT_ENCRYPT_KEY=" +
                   std::string(64, 'a') + ";"));
}

}  // namespace
}  // namespace receiver_sim
