#include "app/res/menu_resources.h"

namespace appres {

namespace {

// Command 2024 is the separators' id; 2014 is the version line, whose text
// the tray dialog writes at run time.
constexpr MenuItem kTrayItems[] = {
    {20230, 65427, false},                        // "Change password"
    {20231, 65428, false},                        // "Manually add device"
    {2024, 0, true},       {2033, 65378, false},  // "Check for update"
    {2014, 0, false},                             // version line
    {2024, 0, true},       {2015, 65249, false},  // "Exit"
};

constexpr MenuResource kMenus[] = {
    {248, kTrayItems},
};

}  // namespace

const MenuResource* MenuResources::Find(uint32_t id) {
    for (const MenuResource& m : kMenus) {
        if (m.id == id) {
            return &m;
        }
    }
    return nullptr;
}

}  // namespace appres
