#include "ui/dialogs/version_compare.h"

#include <algorithm>
#include <cstdint>

namespace ui {

int CompareVersionText(std::string_view offered, const appres::FileVersion& own) {
    if (offered.empty()) {
        return -1;
    }
    const uint16_t mine[4] = {own.major, own.minor, own.build, own.revision};
    size_t pos = 0;
    for (int part = 0; part < 4; ++part) {
        uint64_t value = 0;
        if (pos != std::string_view::npos) {
            size_t i = pos;
            while (i < offered.size() && offered[i] >= '0' && offered[i] <= '9') {
                value = std::min<uint64_t>(value * 10 + static_cast<uint64_t>(offered[i] - '0'),
                                           1u << 20);
                ++i;
            }
            const size_t dot = offered.find('.', pos);
            pos = dot == std::string_view::npos ? dot : dot + 1;
        }
        if (value != mine[part]) {
            return value > mine[part] ? 1 : -1;
        }
    }
    return 0;
}

}  // namespace ui
