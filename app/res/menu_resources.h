// The program's menu resources as data.
//
//   248  the tray menu: one popup whose items the tray dialog fills with
//        translated string-table texts by position (its version item with
//        the version line)
//
// An item is a command with the string-table id of its label, or a
// separator. Read-only data, any thread.
#pragma once

#include <cstdint>
#include <span>

namespace appres {

struct MenuItem {
    uint32_t command;   // WM_COMMAND id sent when the item is chosen
    uint32_t stringId;  // label; 0 for the separator and the version line
    bool separator;
};

struct MenuResource {
    uint32_t id;
    std::span<const MenuItem> popup;  // the items of the first submenu, in order
};

class MenuResources {
public:
    // The menu `id` (248), or nullptr for any other id.
    static const MenuResource* Find(uint32_t id);
};

}  // namespace appres
