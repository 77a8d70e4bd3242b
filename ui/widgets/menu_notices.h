// What a popup menu tells its owner window while it runs: kUser messages
// whose codes are the system's menu notices, sent (not posted) to the owner.
//
//   code              param                           param2
//   kMenuInitMenu     0                               0 (the top menu)
//   kMenuInitPopup    position of the item opening    level of the submenu (1, 2, ...)
//                     the submenu in its menu
//   kMenuSelect       MenuSelectParam(): the item's   level of the menu
//                     command (a submenu item: its
//                     position, with kMenuFlagPopup)
//   kMenuChar         the typed character             level of the menu
//                     (no item has it as mnemonic)
//   kMenuEnterLoop    1 (a popup menu)                the menu window's id (Value())
//   kMenuExitLoop     1                               the menu window's id (Value())
//
// Only the answer to kMenuChar is used: MenuCharAnswer(kMenuCharClose, 0)
// closes every open menu, MenuCharAnswer(kMenuCharExecute, id) chooses
// command `id`, anything else (0) does nothing. Every open menu window sends
// one kMenuEnterLoop when it shows and one kMenuExitLoop when it closes;
// the chosen command follows as a posted kCommand once they are all gone.
// Plain constants, usable anywhere.
#pragma once

#include <cstdint>

namespace ui {

inline constexpr uint32_t kMenuInitMenu = 0x116;
inline constexpr uint32_t kMenuInitPopup = 0x117;
inline constexpr uint32_t kMenuSelect = 0x11F;
inline constexpr uint32_t kMenuChar = 0x120;
inline constexpr uint32_t kMenuEnterLoop = 0x211;
inline constexpr uint32_t kMenuExitLoop = 0x212;

// High-word flag of kMenuSelect: the item opens a submenu.
inline constexpr uint32_t kMenuFlagPopup = 0x10;

// Actions an owner may answer kMenuChar with (high word of the answer).
inline constexpr uint32_t kMenuCharClose = 1;
inline constexpr uint32_t kMenuCharExecute = 2;

constexpr int64_t MenuSelectParam(uint32_t idOrPosition, uint32_t flags) {
    return static_cast<int64_t>((flags << 16) | (idOrPosition & 0xFFFFu));
}

constexpr int64_t MenuCharAnswer(uint32_t action, uint32_t commandId) {
    return static_cast<int64_t>((action << 16) | (commandId & 0xFFFFu));
}

}  // namespace ui
