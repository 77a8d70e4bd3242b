#include "platform/input/x_keysym_mapper.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>

namespace platform {

namespace {

// Keycodes lent at the same time. A text with more distinct characters than
// this reuses slots, so a client that reads its events late may see a later
// character's symbol; four covers a short burst of typing.
constexpr size_t kSlots = 4;

}  // namespace

XKeysymMapper::XKeysymMapper(_XDisplay* display) : m_display(display) {
    int minCode = 0, maxCode = 0;
    XDisplayKeycodes(m_display, &minCode, &maxCode);
    KeySym* map = XGetKeyboardMapping(m_display, static_cast<KeyCode>(minCode),
                                      maxCode - minCode + 1, &m_symsPerCode);
    if (!map) {
        return;
    }
    auto symsOf = [&](int code) {
        const KeySym* first = map + static_cast<size_t>(code - minCode) * m_symsPerCode;
        return std::vector<unsigned long>(first, first + m_symsPerCode);
    };
    auto empty = [](const std::vector<unsigned long>& syms) {
        return std::all_of(syms.begin(), syms.end(), [](unsigned long s) { return s == NoSymbol; });
    };
    // Free keycodes first, from the top; then borrowed ones, also from the
    // top, where the rarely used keys are.
    for (int code = maxCode; code >= minCode && m_slots.size() < kSlots; --code) {
        if (empty(symsOf(code))) {
            m_slots.push_back({static_cast<unsigned>(code), 0, 0, symsOf(code)});
        }
    }
    for (int code = maxCode; code >= minCode && m_slots.size() < kSlots; --code) {
        if (!empty(symsOf(code))) {
            m_slots.push_back({static_cast<unsigned>(code), 0, 0, symsOf(code)});
        }
    }
    XFree(map);
}

XKeysymMapper::~XKeysymMapper() {
    bool changed = false;
    for (Slot& slot : m_slots) {
        if (slot.keysym != 0) {
            std::vector<KeySym> original(slot.original.begin(), slot.original.end());
            XChangeKeyboardMapping(m_display, static_cast<int>(slot.keycode), m_symsPerCode,
                                   original.data(), 1);
            changed = true;
        }
    }
    if (changed) {
        XSync(m_display, False);
    }
}

unsigned XKeysymMapper::KeycodeFor(unsigned long keysym) {
    if (m_slots.empty() || keysym == 0) {
        return 0;
    }
    ++m_uses;
    for (Slot& slot : m_slots) {
        if (slot.keysym == keysym) {
            slot.lastUse = m_uses;
            return slot.keycode;
        }
    }
    Slot& slot =
        *std::min_element(m_slots.begin(), m_slots.end(),
                          [](const Slot& a, const Slot& b) { return a.lastUse < b.lastUse; });
    // The same symbol with and without Shift, so that a held Shift key does
    // not change the character.
    KeySym syms[2] = {keysym, keysym};
    XChangeKeyboardMapping(m_display, static_cast<int>(slot.keycode), 2, syms, 1);
    // The server must have the new map before the key event arrives.
    XSync(m_display, False);
    slot.keysym = keysym;
    slot.lastUse = m_uses;
    return slot.keycode;
}

}  // namespace platform
