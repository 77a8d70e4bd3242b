// What a popup menu holds: MenuModel, a list of MenuItem rows, each a
// command, a separator or a submenu, with the states a menu shows (grayed,
// a check or radio mark, the default item in bold).
//
// A model comes from the program's menu resources (FromResource) or is
// built by hand; the menu engine (CGradientMenu) shows a copy of it. Texts
// are UTF-8; '&' marks the mnemonic character that follows it, and "&&"
// stands for a plain '&'.
//
// Plain value; usable on any thread, though menus live on the
// user-interface thread.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ui {

enum class MenuCheck : uint8_t {
    kCheck,  // a tick when checked
    kRadio,  // a bullet when checked (one of a group)
};

struct MenuItem {
    uint32_t id = 0;  // the command sent when the item is chosen
    std::string text;
    bool separator = false;
    bool grayed = false;  // shown, never chosen
    MenuCheck check = MenuCheck::kCheck;
    bool checked = false;
    bool isDefault = false;         // drawn in bold
    std::vector<MenuItem> submenu;  // not empty: the item opens this submenu

    bool HasSubmenu() const { return !submenu.empty(); }
};

// The text of a string-table id, as the caller wants it shown (translated
// or not); empty when there is none.
using MenuTextLoader = std::function<std::string(uint32_t stringId)>;

// The English texts of the program's string table.
MenuTextLoader EnglishMenuTexts();

class MenuModel {
public:
    MenuModel() = default;
    explicit MenuModel(std::vector<MenuItem> items) : m_items(std::move(items)) {}

    // The first submenu of the program's menu resource `menuId` with each
    // item's text from `texts` (default: English); nullopt for an unknown id.
    static std::optional<MenuModel> FromResource(uint32_t menuId, const MenuTextLoader& texts = {});

    const std::vector<MenuItem>& Items() const { return m_items; }
    std::vector<MenuItem>& Items() { return m_items; }

    // The first item with command `id`, searched depth first through the
    // submenus (separators never match); nullptr when there is none.
    MenuItem* FindCommand(uint32_t id);
    const MenuItem* FindCommand(uint32_t id) const;

    // Replaces the text of the item at `position` of the top level; false
    // when there is no such item.
    bool SetTextAt(size_t position, std::string text);

    // Gives every item with a command in [first, last] a radio mark, checked
    // only for `checkedId`, in whichever (sub)menu holds them. False when
    // `checkedId` is not in the menu.
    bool CheckRadioItem(uint32_t first, uint32_t last, uint32_t checkedId);

    // Makes `id` the one default item (0: none). False when there is no such item.
    bool SetDefaultItem(uint32_t id);

    bool EnableItem(uint32_t id, bool enabled);

private:
    std::vector<MenuItem> m_items;
};

}  // namespace ui
