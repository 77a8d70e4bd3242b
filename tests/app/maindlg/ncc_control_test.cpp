// The NCC control request bytes and the reply parser, including replies
// whose counts do not fit their bytes.
#include "app/maindlg/ncc_control.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pemuapp {
namespace {

std::string U16(uint16_t v) {
    return {static_cast<char>(v >> 8), static_cast<char>(v & 0xff)};
}
std::string U32(uint32_t v) {
    return U16(static_cast<uint16_t>(v >> 16)) + U16(v & 0xffff);
}

struct Record {
    std::string name = "Room";
    uint32_t id = 7;
    uint32_t kind = 1;
    int8_t flag = -1;
    uint32_t first = 20;
    uint32_t second = 70;
    std::string access;
    std::string detail = "note";
    int8_t last = 2;
    std::string Bytes() const {
        return U16(static_cast<uint16_t>(name.size())) + name + U32(id) + U32(kind) +
               std::string(1, static_cast<char>(flag)) + U32(first) + U32(second) +
               U16(static_cast<uint16_t>(access.size())) + access +
               U16(static_cast<uint16_t>(detail.size())) + detail +
               std::string(1, static_cast<char>(last));
    }
};

std::string Reply(const std::vector<Record>& records, uint8_t status = 1, int count = -1) {
    std::string r = U32(0xDEADBEEF) + std::string(1, static_cast<char>(status)) +
                    U16(static_cast<uint16_t>(count < 0 ? records.size() : count));
    for (const Record& rec : records) {
        r += rec.Bytes();
    }
    return r;
}

std::list<NccEntry> Parse(const std::string& reply, bool* ok, NccParseResult* result = nullptr) {
    std::list<NccEntry> list{NccEntry{.name = "stale"}};
    NccParseResult r = ParseNccReply(reply, ok, &list, [] { return 1000; });
    if (result) {
        *result = r;
    }
    return list;
}

TEST(NccRequest, GoldenBytesWithUtf8AccessText) {
    NccEntry e;
    e.id = 0x01020304;
    e.kind = 10;
    e.access = "\xC3\xA9t\xC3\xA9";  // "été": 5 bytes, 3 characters
    std::vector<uint8_t> out{9, 9};
    BuildNccRequest(e, &out);
    const std::vector<uint8_t> expected = {'N',  'C',  'C',  '_',  'C', 'O',
                                           'N',  'T',  'R',  'O',  'L',  // tag
                                           0x00, 0x02, 0x23, 0x45,       // 140101
                                           0x01, 0x02, 0x03, 0x04,       // id
                                           0x00, 0x00, 0x00, 0x0A,       // kind
                                           '0',  0x00, 0x05,             // n in bytes
                                           0xC3, 0xA9, 't',  0xC3, 0xA9};
    EXPECT_EQ(out, expected);
}

TEST(NccRequest, KindOutsideTheSetIsSentAsZero) {
    for (int kind : {0, 2, 5, 11, -1}) {
        NccEntry e;
        e.kind = kind;
        std::vector<uint8_t> out;
        BuildNccRequest(e, &out);
        ASSERT_EQ(out.size(), 26u);
        EXPECT_EQ(out[22], 0) << kind;
        EXPECT_EQ(out[25], 0);
    }
}

TEST(NccReply, RecordsDecodeWithTheirFieldRules) {
    Record a;
    Record b;
    b.name = "Hall";
    b.kind = 2;     // not in the set
    b.first = 15;   // not a level
    b.second = 80;  // above the second level's range
    b.access = "secret";
    b.detail.clear();
    b.flag = 5;
    b.last = -3;
    bool ok = false;
    const auto list = Parse(Reply({a, b}), &ok);
    EXPECT_TRUE(ok);
    ASSERT_EQ(list.size(), 2u);
    const NccEntry& e1 = list.front();
    EXPECT_EQ(e1, (NccEntry{"Room", 7, -1, 1, 20, 70, "", "note", "1000", 2}));
    const NccEntry& e2 = list.back();
    EXPECT_EQ(e2, (NccEntry{"Hall", 7, 5, 0, 0, 0, "a", "", "", -3}));
}

TEST(NccReply, StatusAndEmptyCases) {
    bool ok = true;
    EXPECT_TRUE(Parse(Reply({}, 0), &ok).empty());
    EXPECT_FALSE(ok);  // count 0: ok from the status byte

    ok = true;
    EXPECT_TRUE(Parse("", &ok).empty());
    EXPECT_TRUE(ok);  // empty reply: untouched
}

TEST(NccReply, TextsAreKeptTo63Bytes) {
    Record r;
    r.name = std::string(200, 'n');
    r.detail = std::string(64, 'd');
    bool ok = false;
    const auto list = Parse(Reply({r}), &ok);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list.front().name, std::string(63, 'n'));
    EXPECT_EQ(list.front().detail, std::string(63, 'd'));
    EXPECT_EQ(list.front().id, 7u);  // the rest still in place after a long text
}

TEST(NccReply, CountsBeyondTheBytesEndTheParseKeepingEarlierRecords) {
    const std::string two = Reply({Record{}, Record{}});
    struct Case {
        const char* what;
        std::string reply;
        size_t kept;
    } cases[] = {
        {"count above the records", Reply({Record{}}, 1, 3), 1},
        {"second record cut short", two.substr(0, two.size() - 1), 1},
        {"name length beyond the data", Reply({}, 1, 1) + U16(0xFFFF) + "ab", 0},
        {"head cut after the status", Reply({}).substr(0, 6), 0},
    };
    for (const Case& c : cases) {
        bool ok = false;
        NccParseResult r;
        const auto list = Parse(c.reply, &ok, &r);
        EXPECT_FALSE(r.complete) << c.what;
        EXPECT_FALSE(r.error.empty()) << c.what;
        EXPECT_EQ(list.size(), c.kept) << c.what;
    }
}

}  // namespace
}  // namespace pemuapp
