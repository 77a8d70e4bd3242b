// The receiver's feature flags from its announce record.
#include "app/receiver/feature_flags.h"

#include <gtest/gtest.h>

#include <cstring>

#include "vrxclientsdk/VRPClient/DevAnnounce.h"

namespace pemuapp {
namespace {

// A record whose bytes 63 to 77 hold `text` and bytes 78 and 79 the two bits.
DevAnnounce Record(const char* text, uint8_t byte78, uint8_t byte79) {
    DevAnnounce record;
    std::memcpy(record.bytes + 63, text, std::strlen(text));
    record.bytes[78] = byte78;
    record.bytes[79] = byte79;
    return record;
}

std::string Flags(const ReceiverFeatureFlags& f) {
    std::string s;
    for (uint8_t v : f) {
        s += static_cast<char>('0' + v);
    }
    return s;
}

TEST(FeatureFlagsTest, DecodingTable) {
    struct Row {
        const char* what;
        DevAnnounce record;
        const char* flags;  // flags 0 to 22
    } rows[] = {
        {"all '0', no bits", Record("000000000000000", 0, 0), "00000000000000000000000"},
        {"byte 78 = 0x21", Record("000000000000000", 0x21, 0x02), "00000000000000010000100"},
        {"'1' flags and bit 0x80 unused",
         Record("1x1\x01"
                "00000000001",
                0x80, 0xFF),
         "10100000000000100000001"},
        {"every bit", Record("111111111111111", 0x7F, 0x01), "11111111111111111111111"},
        {"zero bytes", DevAnnounce(), "00000000000000000000000"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        ReceiverFeatureFlags flags;
        flags.fill(7);
        EXPECT_EQ(ParseFeatureFlags(&flags, r.record.GetOptionBlock()), 1);
        EXPECT_EQ(Flags(flags), r.flags);
    }
}

TEST(FeatureFlagsTest, NoBlockOrAShortOneGivesZeroFlags) {
    ReceiverFeatureFlags flags;
    flags.fill(1);
    EXPECT_EQ(ParseFeatureFlags(&flags, {}), 0);
    EXPECT_EQ(Flags(flags), std::string(23, '0'));
    const DevAnnounce record = Record("111111111111111", 0x7F, 0x01);
    flags.fill(1);
    EXPECT_EQ(ParseFeatureFlags(&flags, record.GetOptionBlock().first(kOptionBlockNeeded - 1)), 0);
    EXPECT_EQ(Flags(flags), std::string(23, '0'));
    EXPECT_EQ(ParseFeatureFlags(&flags, record.GetOptionBlock().first(kOptionBlockNeeded)), 1);
}

}  // namespace
}  // namespace pemuapp
