// Where menus open, and what mnemonics name: pure rules as tables.
#include "ui/widgets/menu_layout.h"

#include <gtest/gtest.h>

namespace ui {
namespace {

using platform::Point;
using platform::Rect;
using platform::Size;

TEST(MenuLayoutTest, TopMenusStayInsideTheWorkArea) {
    const Rect work{0, 0, 1024, 740};  // a task bar below
    const Size size{100, 80};
    struct Row {
        const char* what;
        Point at;
        bool bottomAlign;
        std::optional<Rect> exclude;
        Rect expected;
    } rows[] = {
        // clang-format off
        {"room everywhere",          {200, 200},  false, {}, Rect::FromXywh(200, 200, 100, 80)},
        {"right edge: to the left",  {1000, 200}, false, {}, Rect::FromXywh(900, 200, 100, 80)},
        {"bottom edge: upward",      {200, 700},  false, {}, Rect::FromXywh(200, 620, 100, 80)},
        {"bottom-right: left and up", {1020, 738}, false, {}, Rect::FromXywh(920, 658, 100, 80)},
        {"bottom-aligned",           {200, 300},  true,  {}, Rect::FromXywh(200, 220, 100, 80)},
        {"bottom-aligned at the top", {200, 40},  true,  {}, Rect::FromXywh(200, 40, 100, 80)},
        {"tray corner",              {1010, 760}, true,  {}, Rect::FromXywh(924, 660, 100, 80)},
        {"exclusion avoided",        {200, 200},  false, Rect{200, 150, 320, 290},
                                     Rect::FromXywh(100, 200, 100, 80)},
        // clang-format on
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        EXPECT_EQ(PlaceTopMenu(r.at, size, work, r.bottomAlign, r.exclude), r.expected);
    }
    // Bigger than the work area: its top-left corner stays visible.
    EXPECT_EQ(PlaceTopMenu({500, 500}, {2000, 1000}, work, false),
              Rect::FromXywh(0, 0, 2000, 1000));
}

TEST(MenuLayoutTest, SubmenusOpenRightThenLeftAlignedToTheItem) {
    const Rect desktop{0, 0, 1024, 768};
    const Size size{120, 100};
    struct Row {
        const char* what;
        Rect parent;
        Rect item;
        Rect expected;
    } rows[] = {
        // clang-format off
        {"right, item top",      {100, 100, 250, 400}, {103, 150, 247, 172}, Rect::FromXywh(250, 150, 120, 100)},
        {"right, item bottom",   {100, 500, 250, 740}, {103, 700, 247, 722}, Rect::FromXywh(250, 622, 120, 100)},
        {"left, item top",       {850, 100, 1000, 400}, {853, 150, 997, 172}, Rect::FromXywh(730, 150, 120, 100)},
        {"left, item bottom",    {850, 500, 1000, 760}, {853, 700, 997, 722}, Rect::FromXywh(730, 622, 120, 100)},
        // clang-format on
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        EXPECT_EQ(PlaceSubmenu(r.item, r.parent, size, desktop), r.expected);
    }
    // No side fits (a narrow screen): the first place, moved onto the screen.
    EXPECT_EQ(PlaceSubmenu({3, 10, 97, 30}, {0, 0, 100, 50}, size, {0, 0, 200, 300}),
              Rect::FromXywh(80, 10, 120, 100));
}

TEST(MenuLayoutTest, MnemonicsAndTheirMarkers) {
    struct Row {
        const char* text;
        const char* stripped;
        std::optional<char32_t> mnemonic;
    } rows[] = {
        {"&File", "File", U'F'},
        {"E&xit", "Exit", U'X'},
        {"Save && Quit", "Save & Quit", {}},
        {"&&&Both", "&Both", U'B'},
        {"trailing&", "trailing", {}},
        {"&\xc3\xa9t\xc3\xa9", "\xc3\xa9t\xc3\xa9", U'\u00e9'},
        {"", "", {}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text);
        EXPECT_EQ(StripMnemonic(r.text), r.stripped);
        EXPECT_EQ(MnemonicOf(r.text), r.mnemonic);
    }
    const std::vector<std::optional<char32_t>> items = {U'A', {}, U'B', U'A', U'A'};
    struct Hit {
        char32_t typed;
        int current;
        int index;
        bool unique;
    } hits[] = {
        {U'b', -1, 2, true}, {U'a', -1, 0, false}, {U'a', 0, 3, false},
        {U'a', 3, 4, false}, {U'a', 4, 0, false},  {U'z', 0, -1, false},
    };
    for (const Hit& h : hits) {
        SCOPED_TRACE(std::to_string(h.typed) + " after " + std::to_string(h.current));
        MnemonicHit got = FindMnemonic(items, h.typed, h.current);
        EXPECT_EQ(got.index, h.index);
        EXPECT_EQ(got.unique, h.unique);
    }
}

}  // namespace
}  // namespace ui
