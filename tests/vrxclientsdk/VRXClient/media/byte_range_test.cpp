#include "vrxclientsdk/VRXClient/media/harnwick/ByteRange.h"

#include <gtest/gtest.h>

using Kind = ByteRange::Kind;

TEST(ByteRangeTest, ResolvesHeadersAgainstTheFileSize) {
    struct Case {
        const char* header;
        uint64_t size;
        Kind kind;
        uint64_t first;
        uint64_t length;
    } cases[] = {
        {"", 1000, Kind::kWhole, 0, 1000},
        {"bytes=0-99", 1000, Kind::kPartial, 0, 100},
        {"bytes=100-", 1000, Kind::kPartial, 100, 900},
        {"bytes=-100", 1000, Kind::kPartial, 900, 100},
        {"bytes=-5000", 1000, Kind::kPartial, 0, 1000},     // suffix longer than the file
        {"bytes=990-5000", 1000, Kind::kPartial, 990, 10},  // end clamped to the last byte
        {"bytes=999-999", 1000, Kind::kPartial, 999, 1},
        {" Bytes = 5 - 9 ", 1000, Kind::kPartial, 5, 5},                 // blanks and unit case
        {"bytes=0-99999999999999999999999", 10, Kind::kPartial, 0, 10},  // saturated end
        {"bytes=1000-", 1000, Kind::kUnsatisfiable, 0, 0},               // starts at the end
        {"bytes=5000-6000", 1000, Kind::kUnsatisfiable, 0, 0},
        {"bytes=99999999999999999999999-", 1000, Kind::kUnsatisfiable, 0, 0},
        {"bytes=-0", 1000, Kind::kUnsatisfiable, 0, 0},
        {"bytes=0-", 0, Kind::kUnsatisfiable, 0, 0},  // empty file
        {"bytes=-1", 0, Kind::kUnsatisfiable, 0, 0},
        {"bytes=0-1,5-6", 1000, Kind::kWhole, 0, 1000},  // several ranges: ignored
        {"bytes=9-5", 1000, Kind::kWhole, 0, 1000},      // reversed: invalid, ignored
        {"bytes=a-5", 1000, Kind::kWhole, 0, 1000},
        {"bytes=5", 1000, Kind::kWhole, 0, 1000},
        {"bytes=-", 1000, Kind::kWhole, 0, 1000},
        {"items=0-5", 1000, Kind::kWhole, 0, 1000},  // another unit
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.header) + " of " + std::to_string(c.size));
        const ByteRange r = ResolveByteRange(c.header, c.size);
        EXPECT_EQ(r.kind, c.kind);
        EXPECT_EQ(r.first, c.first);
        EXPECT_EQ(r.length, c.length);
    }
}
