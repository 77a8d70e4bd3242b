#include "app/res/string_table.h"

#include <algorithm>

namespace appres {

std::string_view StringTable::Find(uint32_t id) {
    const std::span<const Entry> entries = Entries();
    const auto it = std::lower_bound(entries.begin(), entries.end(), id,
                                     [](const Entry& e, uint32_t wanted) { return e.id < wanted; });
    if (it == entries.end() || it->id != id) {
        return {};
    }
    return it->text;
}

}  // namespace appres
