#include "ui/dialogs/common_text_styles.h"

#include <algorithm>
#include <array>
#include <initializer_list>

namespace ui {
namespace {

struct StyleRow {
    std::initializer_list<uint32_t> ids;
    CommonTextStyle style;
};

// Titles white on the title bars, subtitles and labels dark, the prompts'
// and the volume page's captions in the program's blue (0xBC6B1A).
const StyleRow kRows[] = {
    {{10014, 10181, 10197, 10214, 10237, 10256, 10342, 10349, 10354, 10360, 30022, 30030, 30043,
      30050},
     {0x14, 0xFFFFFF, 12, 400}},
    {{30160, 30171, 30200}, {0x14, 0xFFFFFF, 15, 400}},
    {{10361, 10363}, {0x15, 0x585858, 12, 400}},
    {{10380}, {0x14, 0x585858, 12, 400}},
    {{30180, 30181, 30182, 30183}, {0x5, 0x151823, 12, 400}},
    {{10006, 30023, 30044, 30051}, {0x1, 0x151823, 12, 400}},
    {{30026, 30027, 30045, 30046}, {0, 0x151823, 10, 400}},
    {{10276}, {0x30, 0, 18, 900}},
    {{10263, 10264, 10200}, {0x14, 0, 12, 400}},
    {{10238, 10239, 10240, 10241, 10246, 10251, 10252}, {0x16, 0, 12, 400}},
    {{10015, 10183, 10184, 10249, 10257, 20224, 20225, 20226}, {0x10, 0, 12, 400}},
    {{30185}, {0x11, 0x1E1E1E, 8, 400}},
    {{10199, 10227}, {0x11, 0xBC6B1A, 15, 400}},
    {{10387}, {0x15, 0xBC6B1A, 12, 400}},
    {{30218}, {0x10, 0xBC6B1A, 15, 400}},
    {{30189, 30191, 30227}, {0x14, 0xBC6B1A, 12, 400}},
    {{30202}, {0x11, 0x3A3A3A, 15, 400}},
    {{30201}, {0x11, 0x727272, 12, 400}},
    {{10318}, {0x22, 0x0000FF, 11, 400}},
};

}  // namespace

CommonTextStyle CommonTextStyleFor(uint32_t controlId, bool centreMessage) {
    if (controlId == 10215) {
        return {static_cast<uint8_t>(centreMessage ? 0x15 : 0x14), 0x585858, 12, 400};
    }
    if (controlId == 10390) {
        return {static_cast<uint8_t>(centreMessage ? 0x15 : 0x10), 0x585858, 12, 400};
    }
    for (const StyleRow& row : kRows) {
        if (std::find(row.ids.begin(), row.ids.end(), controlId) != row.ids.end()) {
            return row.style;
        }
    }
    return {};
}

}  // namespace ui
