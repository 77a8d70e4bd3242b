// Lends keycodes to keysyms that the keyboard map lacks, so that any
// character can be typed with XTest.
//
// The mapper takes a few keycodes that carry no symbols (or, when the map has
// too few, the highest keycodes, saving what they held) and maps a keysym to
// one of them on demand, least recently used first. A keysym keeps its
// keycode until the slot is needed for another one: clients look a key's
// symbol up when they read the event, so the mapping must outlive the
// events. The destructor puts every borrowed keycode back as it was.
//
// Not thread-safe: the owner serialises the calls and owns the display.
#pragma once

#include <cstdint>
#include <vector>

struct _XDisplay;

namespace platform {

class XKeysymMapper {
public:
    // `display` must outlive the mapper.
    explicit XKeysymMapper(_XDisplay* display);
    ~XKeysymMapper();
    XKeysymMapper(const XKeysymMapper&) = delete;
    XKeysymMapper& operator=(const XKeysymMapper&) = delete;

    // A keycode that gives `keysym` without modifiers; 0 when none could be
    // lent.
    unsigned KeycodeFor(unsigned long keysym);

private:
    struct Slot {
        unsigned keycode = 0;
        unsigned long keysym = 0;  // 0: free
        uint64_t lastUse = 0;
        std::vector<unsigned long> original;  // what the keycode held
    };

    _XDisplay* m_display;
    int m_symsPerCode = 0;
    std::vector<Slot> m_slots;
    uint64_t m_uses = 0;
};

}  // namespace platform
