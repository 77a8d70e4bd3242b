// The menu model: the tray menu resource with its texts, and the state
// changes a menu's owner makes (radio pairs, default item, grayed items).
#include "ui/widgets/menu_model.h"

#include <gtest/gtest.h>

namespace ui {
namespace {

TEST(MenuModelTest, TheTrayMenuResourceWithEnglishOrGivenTexts) {
    std::optional<MenuModel> menu = MenuModel::FromResource(248);
    ASSERT_TRUE(menu);
    struct Row {
        uint32_t id;
        const char* text;
        bool separator;
    } rows[] = {
        {20230, "Change password", false},
        {20231, "Manually add device", false},
        {2024, "", true},
        {2033, "Check for update", false},
        {2014, "", false},
        {2024, "", true},
        {2015, "Exit", false},
    };
    ASSERT_EQ(menu->Items().size(), std::size(rows));
    for (size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(menu->Items()[i].id, rows[i].id);
        EXPECT_EQ(menu->Items()[i].text, rows[i].text);
        EXPECT_EQ(menu->Items()[i].separator, rows[i].separator);
    }
    std::optional<MenuModel> loud =
        MenuModel::FromResource(248, [](uint32_t id) { return "#" + std::to_string(id); });
    ASSERT_TRUE(loud);
    EXPECT_EQ(loud->Items()[6].text, "#65249");
    EXPECT_EQ(loud->Items()[2].text, "") << "separators get no text";
    EXPECT_FALSE(MenuModel::FromResource(249));
}

TEST(MenuModelTest, RadioPairsDefaultAndGrayedItemsFollowTheCommands) {
    MenuItem sub{.id = 0, .text = "Mode"};
    sub.submenu = {{.id = 20228, .text = "Game Mode"}, {.id = 20229, .text = "Multimedia Mode"}};
    MenuModel menu({{.id = 2020, .text = "Mirror"},
                    {.id = 2021, .text = "Extend"},
                    {.id = 2024, .separator = true},
                    sub});
    ASSERT_TRUE(menu.CheckRadioItem(20228, 20229, 20229));
    EXPECT_FALSE(menu.FindCommand(20228)->checked);
    EXPECT_TRUE(menu.FindCommand(20229)->checked);
    EXPECT_EQ(menu.FindCommand(20229)->check, MenuCheck::kRadio);
    ASSERT_TRUE(menu.CheckRadioItem(2020, 2021, 2020));
    EXPECT_TRUE(menu.FindCommand(2020)->checked);
    EXPECT_FALSE(menu.FindCommand(2021)->checked);
    EXPECT_FALSE(menu.CheckRadioItem(2020, 2021, 2033)) << "an id outside the menu";
    EXPECT_FALSE(menu.CheckRadioItem(2020, 2021, 20228)) << "an id outside the range";
    EXPECT_TRUE(menu.FindCommand(2020)->checked) << "a refused call changes nothing";

    ASSERT_TRUE(menu.SetDefaultItem(2021));
    ASSERT_TRUE(menu.SetDefaultItem(20228));
    EXPECT_FALSE(menu.FindCommand(2021)->isDefault);
    EXPECT_TRUE(menu.FindCommand(20228)->isDefault);
    EXPECT_FALSE(menu.SetDefaultItem(4242));
    ASSERT_TRUE(menu.EnableItem(2021, false));
    EXPECT_TRUE(menu.FindCommand(2021)->grayed);
    EXPECT_EQ(menu.FindCommand(2024), nullptr) << "separators are no commands";
    EXPECT_FALSE(menu.SetTextAt(4, "none"));
    EXPECT_TRUE(menu.SetTextAt(1, "Extended"));
    EXPECT_EQ(menu.Items()[1].text, "Extended");
}

}  // namespace
}  // namespace ui
