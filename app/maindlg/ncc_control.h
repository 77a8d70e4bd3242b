// The "NCC_CONTROL" exchange with the receiver: the request for one entry
// and the receiver's counted list of entries in reply. Sent as a forwarded
// message (id 0x1000020); every integer on the wire is big-endian and every
// text is 8-bit and counted, without a terminating zero.
//
// The reply comes from the receiver: every count is checked against the
// bytes left. A record that does not fit ends the parse; the records before
// it are kept and the fault is reported. Texts are kept to their first
// 63 bytes.
// Pure functions.
#pragma once

#include <cstdint>
#include <functional>
#include <list>
#include <string>
#include <vector>

namespace pemuapp {

struct NccEntry {
    std::string name;
    uint32_t id = 0;
    int32_t flag = 0;
    int32_t kind = 0;         // 1, 3, 4 or 10; anything else 0
    int32_t firstLevel = 0;   // 10 to 60 in tens; anything else 0
    int32_t secondLevel = 0;  // 10 to 70 in tens; anything else 0
    // A request: the text sent (UTF-8). A parsed reply: "a" when the record
    // carried a non-empty access block, else empty.
    std::string access;
    std::string detail;
    std::string tag;  // empty when detail is, else "1" to "1000"
    int32_t lastFlag = 0;

    bool operator==(const NccEntry&) const = default;
};

inline constexpr uint32_t kNccVersionWord = 140101;
inline constexpr size_t kNccTextLimit = 63;

// Clears `out` and writes the request for `entry`; the access text goes as
// its UTF-8 bytes, n counting those bytes (at most 65535 are sent).
void BuildNccRequest(const NccEntry& entry, std::vector<uint8_t>* out);

struct NccParseResult {
    bool complete = true;  // false: a record did not fit (see error)
    std::string error;
};

// Empties `list` and parses `reply`. An empty reply leaves `ok` untouched;
// otherwise a reply shorter than its 7-byte head sets nothing more and
// reports it; the status byte sets *ok (1: true). `randomTag` gives the
// tag's number (1..1000); null: a process generator.
NccParseResult ParseNccReply(const std::string& reply, bool* ok, std::list<NccEntry>* list,
                             const std::function<int()>& randomTag = {});

}  // namespace pemuapp
