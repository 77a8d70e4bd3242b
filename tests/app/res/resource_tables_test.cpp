#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <vector>

#include "app/res/dialog_templates.h"
#include "app/res/menu_resources.h"
#include "app/res/string_table.h"
#include "app/res/version_info.h"

namespace appres {
namespace {

// Every text a template or menu takes from the string table is there.
TEST(ResourceTablesTest, EveryStringIdResolves) {
    for (const uint32_t id : {102u, 146u, 199u}) {
        SCOPED_TRACE(id);
        const DialogTemplate* t = DialogTemplates::Find(id);
        ASSERT_NE(t, nullptr);
        if (t->titleStringId != 0) {
            EXPECT_EQ(StringTable::Find(t->titleStringId), t->title);
        }
        for (const DialogControl& c : t->controls) {
            SCOPED_TRACE(c.id);
            if (c.textStringId != 0) {
                EXPECT_FALSE(StringTable::Find(c.textStringId).empty());
            }
        }
    }
    const MenuResource* menu = MenuResources::Find(248);
    ASSERT_NE(menu, nullptr);
    for (const MenuItem& item : menu->popup) {
        SCOPED_TRACE(item.command);
        if (item.stringId != 0) {
            EXPECT_FALSE(StringTable::Find(item.stringId).empty());
        }
    }
    EXPECT_EQ(DialogTemplates::Find(100), nullptr);
    EXPECT_EQ(MenuResources::Find(249), nullptr);
}

// The common dialog's template holds every standard control its layout
// tables move into place, all hidden until a table shows them.
TEST(ResourceTablesTest, CommonDialogTemplateHoldsTheTablesControlsHidden) {
    const DialogTemplate* t = DialogTemplates::Find(146);
    ASSERT_NE(t, nullptr);
    EXPECT_STREQ(t->windowClass, "PEMU_COMMON");
    std::vector<uint32_t> ids;
    for (const DialogControl& c : t->controls) {
        SCOPED_TRACE(c.id);
        EXPECT_TRUE(c.styles & kControlHidden);
        ids.push_back(c.id);
    }
    for (const uint32_t id : {1u, 2u, 1004u, 1005u, 1009u, 1010u, 1011u, 1012u, 1013u, 1020u, 1021u,
                              2003u, 2004u, 10328u, 205u}) {
        SCOPED_TRACE(id);
        EXPECT_NE(std::find(ids.begin(), ids.end(), id), ids.end());
    }
}

TEST(ResourceTablesTest, TrayMenuItemsInOrder) {
    const MenuResource* menu = MenuResources::Find(248);
    ASSERT_NE(menu, nullptr);
    const uint32_t commands[] = {20230, 20231, 2024, 2033, 2014, 2024, 2015};
    ASSERT_EQ(menu->popup.size(), std::size(commands));
    for (size_t i = 0; i < std::size(commands); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(menu->popup[i].command, commands[i]);
        EXPECT_EQ(menu->popup[i].separator, commands[i] == 2024);
    }
    EXPECT_EQ(StringTable::Find(menu->popup[6].stringId), "Exit");
}

TEST(ResourceTablesTest, VersionComesFromTheBuild) {
    // "Mmm dd yyyy", as the compiler writes its date.
    EXPECT_EQ(std::strlen(ProgramBuildDate()), 11u);
    const FileVersion v = ProgramFileVersion();
    char text[32];
    std::snprintf(text, sizeof text, "%d.%d.%d.%d", v.major, v.minor, v.build, v.revision);
    EXPECT_STREQ(text, PEMU_PROJECT_VERSION);
}

}  // namespace
}  // namespace appres
