// The program's string table: the English text of every string id that the
// user interface loads (message texts, titles, menu labels, tooltips).
//
// The data is made at build time from strings.txt. The English text is also
// the message id under which the catalogs translate it; translating is the
// caller's step (gettext), not this table's. Read-only data, usable from any
// thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace appres {

class StringTable {
public:
    struct Entry {
        uint32_t id;
        const char* text;  // UTF-8, static storage
    };

    // The English text of string `id`, or an empty view when the table has
    // no such string.
    static std::string_view Find(uint32_t id);

    // Every entry, sorted by id.
    static std::span<const Entry> Entries() { return {kEntries, kEntryCount}; }

private:
    static const Entry kEntries[];
    static const size_t kEntryCount;
};

}  // namespace appres
