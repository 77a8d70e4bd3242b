// The look of the common dialog's text elements, chosen by control id:
// format flags (ui/widgets/qk_text.h), colour (0x00BBGGRR), font size and
// weight.
// Pure data, any thread.
#pragma once

#include <cstdint>

namespace ui {

struct CommonTextStyle {
    uint8_t flags = 0;
    uint32_t colour = 0x151823;
    int size = 12;
    int weight = 400;
    bool operator==(const CommonTextStyle&) const = default;
};

// The second colour every text element holds.
inline constexpr uint32_t kTextSecondColour = 0xDEDEDE;

// The style of text `controlId`; `centreMessage` is the dialog's
// centre-the-message flag (message texts 10215 and 10390).
CommonTextStyle CommonTextStyleFor(uint32_t controlId, bool centreMessage);

}  // namespace ui
