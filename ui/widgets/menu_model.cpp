#include "ui/widgets/menu_model.h"

#include <utility>

#include "app/res/menu_resources.h"
#include "app/res/string_table.h"

namespace ui {
namespace {

template <class Items, class Fn>
void ForEachItem(Items& items, const Fn& fn) {
    for (auto& item : items) {
        fn(item);
        ForEachItem(item.submenu, fn);
    }
}

}  // namespace

MenuTextLoader EnglishMenuTexts() {
    return [](uint32_t stringId) { return std::string(appres::StringTable::Find(stringId)); };
}

std::optional<MenuModel> MenuModel::FromResource(uint32_t menuId, const MenuTextLoader& texts) {
    const appres::MenuResource* resource = appres::MenuResources::Find(menuId);
    if (!resource) {
        return std::nullopt;
    }
    const MenuTextLoader& load = texts ? texts : EnglishMenuTexts();
    std::vector<MenuItem> items;
    for (const appres::MenuItem& r : resource->popup) {
        MenuItem item;
        item.id = r.command;
        item.separator = r.separator;
        if (!r.separator && r.stringId != 0) {
            item.text = load(r.stringId);
        }
        items.push_back(std::move(item));
    }
    return MenuModel(std::move(items));
}

MenuItem* MenuModel::FindCommand(uint32_t id) {
    return const_cast<MenuItem*>(std::as_const(*this).FindCommand(id));
}

const MenuItem* MenuModel::FindCommand(uint32_t id) const {
    const MenuItem* found = nullptr;
    ForEachItem(m_items, [&](const MenuItem& item) {
        if (!found && !item.separator && item.id == id) {
            found = &item;
        }
    });
    return found;
}

bool MenuModel::SetTextAt(size_t position, std::string text) {
    if (position >= m_items.size()) {
        return false;
    }
    m_items[position].text = std::move(text);
    return true;
}

bool MenuModel::CheckRadioItem(uint32_t first, uint32_t last, uint32_t checkedId) {
    if (!FindCommand(checkedId) || checkedId < first || checkedId > last) {
        return false;
    }
    ForEachItem(m_items, [&](MenuItem& item) {
        if (!item.separator && item.id >= first && item.id <= last) {
            item.check = MenuCheck::kRadio;
            item.checked = item.id == checkedId;
        }
    });
    return true;
}

bool MenuModel::SetDefaultItem(uint32_t id) {
    if (id != 0 && !FindCommand(id)) {
        return false;
    }
    ForEachItem(m_items, [&](MenuItem& item) {
        item.isDefault = id != 0 && !item.separator && item.id == id;
    });
    return true;
}

bool MenuModel::EnableItem(uint32_t id, bool enabled) {
    MenuItem* item = FindCommand(id);
    if (!item) {
        return false;
    }
    item->grayed = !enabled;
    return true;
}

}  // namespace ui
