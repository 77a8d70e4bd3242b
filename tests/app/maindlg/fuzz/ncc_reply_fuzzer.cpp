// Fuzz target for the receiver's NCC reply: any bytes parse without a
// crash, every kept entry respects the field rules, and a complete parse
// keeps exactly the count the reply announced.
#include <cstdint>
#include <cstdlib>
#include <list>
#include <string>

#include "app/maindlg/ncc_control.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string reply(reinterpret_cast<const char*>(data), size);
    bool ok = false;
    std::list<pemuapp::NccEntry> list;
    const pemuapp::NccParseResult r = pemuapp::ParseNccReply(reply, &ok, &list, [] { return 7; });
    for (const pemuapp::NccEntry& e : list) {
        if (e.name.size() > pemuapp::kNccTextLimit || e.detail.size() > pemuapp::kNccTextLimit ||
            (e.kind != 0 && e.kind != 1 && e.kind != 3 && e.kind != 4 && e.kind != 10) ||
            e.firstLevel % 10 != 0 || e.firstLevel > 60 || e.secondLevel > 70 ||
            e.tag.empty() != e.detail.empty()) {
            std::abort();
        }
    }
    if (r.complete && size >= 7) {
        const size_t count = (size_t{data[5]} << 8) | data[6];
        if (list.size() != count) {
            std::abort();
        }
    }
    return 0;
}
