// The popup-menu engine on the headless backend: choosing, grayed items,
// submenus on hover and by key, placement at the screen's corner, closing
// by an outside press, mnemonics and the owner's kMenuChar answers, the
// gradient band, and the ways a menu ends early.
#include "ui/widgets/gradient_menu.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/draw/surface.h"
#include "tests/ui/widgets/menu_loop_test_support.h"
#include "ui/widgets/menu_look.h"
#include "ui/widgets/menu_notices.h"

namespace ui {
namespace {

using platform::Argb;
using platform::Key;
using platform::Message;
using platform::MessageKind;
using platform::MouseButton;
using platform::Point;
using platform::Rect;
using platform::WindowId;

MenuModel SampleMenu() {
    MenuItem recent{.id = 0, .text = "&Recent"};
    recent.submenu = {{.id = 201, .text = "File &A"}, {.id = 202, .text = "File &B"}};
    MenuItem more{.id = 0, .text = "&More"};
    more.submenu = {{.id = 301, .text = "&X"}};
    return MenuModel({{.id = 101, .text = "&Open"},
                      recent,
                      {.id = 2024, .separator = true},
                      {.id = 103, .text = "&Disabled", .grayed = true},
                      more,
                      {.id = 104, .text = "E&xit"}});
}

class GradientMenuTest : public WidgetTest {
protected:
    void SetUp() override {
        WidgetTest::SetUp();
        ownerHandler = &NewHandler();
        ownerHandler->on[MessageKind::kUser] = [this](WindowId, const Message& m) -> int64_t {
            notices.push_back(m);
            return m.code == kMenuChar ? menuCharAnswer : 0;
        };
        owner = TopLevel(Rect::FromXywh(0, 0, 400, 300), ownerHandler);
        Pump();
    }

    // The screen point in the middle of row `index` of `popup`.
    Point RowPoint(const MenuPopup& popup, int index) {
        Rect r = *wm->ScreenRect(popup.Window());
        Point o = popup.BarOrigin();
        Rect row = popup.Bar().RowRect(index);
        return {r.left + o.x + row.left + row.Width() / 2,
                r.top + o.y + row.top + row.Height() / 2};
    }
    void ClickRow(const MenuPopup& popup, int index) {
        headless->MoveMouse(RowPoint(popup, index));
        headless->Click(MouseButton::kLeft, RowPoint(popup, index));
    }
    int MenuWindows() const {
        int n = 0;
        for (WindowId id : headless->StackingOrder()) {
            n += wm->ClassName(id) == "BitmapMenu" ? 1 : 0;
        }
        return n;
    }
    std::vector<uint32_t> NoticeCodes() const {
        std::vector<uint32_t> codes;
        for (const Message& m : notices) {
            codes.push_back(m.code);
        }
        return codes;
    }
    size_t Count(uint32_t code) const {
        const std::vector<uint32_t> codes = NoticeCodes();
        return static_cast<size_t>(std::count(codes.begin(), codes.end(), code));
    }
    std::vector<int64_t> SelectParams() const {
        std::vector<int64_t> params;
        for (const Message& m : notices) {
            if (m.code == kMenuSelect) {
                params.push_back(m.param);
            }
        }
        return params;
    }
    std::vector<uint32_t> Commands() const {
        std::vector<uint32_t> ids;
        for (const platform::Received& r : ownerHandler->Of(MessageKind::kCommand)) {
            ids.push_back(r.code);
        }
        return ids;
    }
    const platform::Surface& Shown(WindowId window) const {
        return *headless->State(window)->presented;
    }

    platform::RecordingHandler* ownerHandler = nullptr;
    WindowId owner;
    std::vector<Message> notices;
    int64_t menuCharAnswer = 0;
};

// The darkest and the lightest channel value inside `area`.
std::pair<int, int> ChannelRange(const platform::Surface& s, const Rect& area) {
    int lo = 255;
    int hi = 0;
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            Argb p = s.PixelAt(x, y);
            lo = std::min({lo, int{p.Red()}, int{p.Green()}, int{p.Blue()}});
            hi = std::max({hi, int{p.Red()}, int{p.Green()}, int{p.Blue()}});
        }
    }
    return {lo, hi};
}

TEST_F(GradientMenuTest, AClickedItemIsPostedOnceEveryMenuWindowIsGone) {
    CGradientMenu menu(SampleMenu());
    WindowId window;
    Then([&] {
        ASSERT_NE(menu.OpenMenu(), nullptr);
        window = menu.OpenMenu()->Window();
        EXPECT_EQ(wm->ScreenRect(window)->left, 100);
        EXPECT_EQ(wm->ScreenRect(window)->top, 100);
        EXPECT_EQ(wm->Capture(), window);
        EXPECT_EQ(wm->Focus(), window);
        ClickRow(*menu.OpenMenu(), 5);
    });
    int windowsAtCommand = -1;
    ownerHandler->on[MessageKind::kCommand] = [&](WindowId, const Message&) -> int64_t {
        windowsAtCommand = MenuWindows();
        return 0;
    };
    EXPECT_EQ(menu.TrackPopupMenu(owner, {100, 100}), 1);
    EXPECT_EQ(menu.OpenMenu(), nullptr);
    EXPECT_FALSE(wm->IsAlive(window));
    EXPECT_TRUE(Commands().empty()) << "posted, not sent";
    Pump();
    EXPECT_EQ(Commands(), (std::vector<uint32_t>{104}));
    EXPECT_EQ(windowsAtCommand, 0);
    EXPECT_EQ(NoticeCodes(),
              (std::vector<uint32_t>{kMenuInitMenu, kMenuEnterLoop, kMenuSelect, kMenuExitLoop}));
    EXPECT_EQ(SelectParams(), (std::vector<int64_t>{MenuSelectParam(104, 0)}));
    EXPECT_EQ(notices[1].param2, static_cast<int64_t>(window.Value()));
    EXPECT_EQ(notices[3].param2, static_cast<int64_t>(window.Value()));
    EXPECT_EQ(wm->Capture(), WindowId{});
}

TEST_F(GradientMenuTest, AGrayedItemIsDrawnGreyAndCannotBeChosen) {
    CGradientMenu menu(SampleMenu());
    Then([&] {
        const MenuPopup& p = *menu.OpenMenu();
        const Point o = p.BarOrigin();
        auto textArea = [&](int row) {
            Rect r = p.Bar().RowRect(row).Offset(o.x, o.y);
            return Rect{r.left + kMenuRowHeight, r.top, r.right - kMenuCheckSize, r.bottom};
        };
        auto [grayLo, grayHi] = ChannelRange(Shown(p.Window()), textArea(3));
        auto [plainLo, plainHi] = ChannelRange(Shown(p.Window()), textArea(0));
        EXPECT_EQ(plainLo, 0) << "black text";
        EXPECT_GE(grayLo, kMenuPalette.grayText.Red() - 2) << "no darker than the grey text";
        EXPECT_LE(grayLo, kMenuPalette.grayText.Red() + 8);
        EXPECT_EQ(grayHi, 0xFF) << "the light copy under the text";
        EXPECT_EQ(plainHi, kMenuPalette.menu.Red());
        ClickRow(p, 3);
    });
    Then([&] {
        ASSERT_NE(menu.OpenMenu(), nullptr) << "still open";
        EXPECT_EQ(menu.OpenMenu()->Bar().Hot(), 3) << "hot, but not chosen";
        ClickRow(*menu.OpenMenu(), 2);  // the separator does nothing either
    });
    Then([&] {
        ASSERT_NE(menu.OpenMenu(), nullptr);
        headless->PressKey(Key::kReturn);  // Return on the grayed item: nothing
    });
    Then([&] { headless->PressKey(Key::kEscape); });
    EXPECT_EQ(menu.TrackPopupMenu(owner, {100, 100}), 1);
    Pump();
    EXPECT_TRUE(Commands().empty());
}

TEST_F(GradientMenuTest, HoverOpensOneSubmenuAtATime) {
    CGradientMenu menu(SampleMenu());
    const MenuPopup* top = nullptr;
    Then([&] {
        top = menu.OpenMenu();
        headless->MoveMouse(RowPoint(*top, 1));
    });
    Then([&] { EXPECT_EQ(top->Submenu(), nullptr) << "not before the pointer rests"; });
    ThenWait(kSubmenuHoverMs);
    Then([&] {
        ASSERT_NE(top->Submenu(), nullptr);
        EXPECT_EQ(top->OpenIndex(), 1);
        EXPECT_EQ(MenuWindows(), 2);
        EXPECT_EQ(wm->Focus(), top->Submenu()->Window());
        // Left of the item's row, beside the parent, aligned to the item.
        Rect parent = *wm->ScreenRect(top->Window());
        Rect sub = *wm->ScreenRect(top->Submenu()->Window());
        EXPECT_EQ(sub.left, parent.right);
        EXPECT_EQ(sub.top, RowPoint(*top, 1).y - kMenuRowHeight / 2);
        headless->MoveMouse(RowPoint(*top, 4));
    });
    ThenWait(kSubmenuHoverMs);
    Then([&] {
        ASSERT_NE(top->Submenu(), nullptr);
        EXPECT_EQ(top->OpenIndex(), 4);
        EXPECT_EQ(MenuWindows(), 2) << "never two submenus";
        // Crossing another item on the way into the submenu keeps it open.
        headless->MoveMouse(RowPoint(*top, 5));
        headless->MoveMouse(RowPoint(*top->Submenu(), 0));
    });
    ThenWait(3 * kSubmenuHoverMs);
    Then([&] {
        EXPECT_EQ(top->OpenIndex(), 4);
        EXPECT_EQ(top->Bar().Hot(), 4);
        EXPECT_EQ(top->Submenu()->Bar().Hot(), 0);
        headless->PressKey(Key::kEscape);
    });
    EXPECT_EQ(menu.TrackPopupMenu(owner, {100, 100}), 1);
    EXPECT_EQ(Count(kMenuEnterLoop), 3u);
    EXPECT_EQ(Count(kMenuExitLoop), 3u);
    std::vector<std::pair<int64_t, int64_t>> popups;
    for (const Message& m : notices) {
        if (m.code == kMenuInitPopup) {
            popups.emplace_back(m.param, m.param2);
        }
    }
    EXPECT_EQ(popups, (std::vector<std::pair<int64_t, int64_t>>{{1, 1}, {4, 1}}));
    EXPECT_EQ(SelectParams()[0], MenuSelectParam(1, kMenuFlagPopup));
}

TEST_F(GradientMenuTest, NearTheBottomRightCornerMenusOpenLeftAndUp) {
    CGradientMenu menu(SampleMenu());
    Then([&] {
        const MenuPopup* top = menu.OpenMenu();
        Rect r = *wm->ScreenRect(top->Window());
        EXPECT_EQ(r.right, 1020);
        EXPECT_EQ(r.bottom, 760);
        headless->PressKey(Key::kUp);  // the last item, then up to "More"
        headless->PressKey(Key::kUp);
        headless->PressKey(Key::kRight);
    });
    Then([&] {
        const MenuPopup* top = menu.OpenMenu();
        ASSERT_NE(top->Submenu(), nullptr);
        Rect parent = *wm->ScreenRect(top->Window());
        Rect sub = *wm->ScreenRect(top->Submenu()->Window());
        EXPECT_EQ(sub.right, parent.left) << "no room on the right";
        EXPECT_LE(sub.bottom, 768);
        headless->PressKey(Key::kEscape);
    });
    EXPECT_EQ(menu.TrackPopupMenu(owner, {1020, 760}), 1);
}

TEST_F(GradientMenuTest, APressOutsideClosesEveryMenuWithOneExitNoticeEach) {
    CGradientMenu menu(SampleMenu());
    Then([&] { headless->MoveMouse(RowPoint(*menu.OpenMenu(), 1)); });
    ThenWait(kSubmenuHoverMs);
    Then([&] {
        ASSERT_NE(menu.OpenMenu()->Submenu(), nullptr);
        headless->Click(MouseButton::kLeft, {20, 20});  // on the owner
    });
    EXPECT_EQ(menu.TrackPopupMenu(owner, {100, 100}), 1);
    Pump();
    EXPECT_EQ(Count(kMenuEnterLoop), 2u);
    EXPECT_EQ(Count(kMenuExitLoop), 2u);
    EXPECT_EQ(NoticeCodes().back(), kMenuExitLoop);
    EXPECT_EQ(MenuWindows(), 0);
    EXPECT_TRUE(Commands().empty());
    EXPECT_TRUE(ownerHandler->Of(MessageKind::kButtonDown).empty()) << "the menu took the press";
}

TEST_F(GradientMenuTest, KeysWalkTheRowsAndOpenAndLeaveSubmenus) {
    CGradientMenu menu(SampleMenu());
    Then([&] {
        headless->PressKey(Key::kDown);   // Open
        headless->PressKey(Key::kDown);   // Recent
        headless->PressKey(Key::kRight);  // its submenu, first item hot
    });
    Then([&] {
        const MenuPopup* sub = menu.OpenMenu()->Submenu();
        ASSERT_NE(sub, nullptr);
        EXPECT_EQ(sub->Bar().Hot(), 0);
        headless->PressKey(Key::kDown);
        headless->PressKey(Key::kLeft);
    });
    Then([&] {
        EXPECT_EQ(menu.OpenMenu()->Submenu(), nullptr);
        EXPECT_EQ(menu.OpenMenu()->Bar().Hot(), 1);
        EXPECT_EQ(wm->Focus(), menu.OpenMenu()->Window());
        headless->PressKey(Key::kDown);  // over the separator to the grayed item
        headless->PressKey(Key::kDown);  // More
        headless->PressKey(Key::kReturn);
    });
    Then([&] {
        ASSERT_NE(menu.OpenMenu()->Submenu(), nullptr);
        headless->PressKey(Key::kReturn);  // "X"
    });
    EXPECT_EQ(menu.TrackPopupMenu(owner, {100, 100}), 1);
    Pump();
    EXPECT_EQ(Commands(), (std::vector<uint32_t>{301}));
    EXPECT_EQ(SelectParams(),
              (std::vector<int64_t>{MenuSelectParam(101, 0), MenuSelectParam(1, kMenuFlagPopup),
                                    MenuSelectParam(201, 0), MenuSelectParam(202, 0),
                                    MenuSelectParam(103, 0), MenuSelectParam(4, kMenuFlagPopup),
                                    MenuSelectParam(301, 0)}));
}

TEST_F(GradientMenuTest, OpenedAsByKeyTheFirstItemIsHot) {
    CGradientMenu menu(SampleMenu(), 0, false, kMenuFirstItemHot);
    Then([&] {
        EXPECT_EQ(menu.OpenMenu()->Bar().Hot(), 0);
        headless->PressKey(Key::kReturn);
    });
    EXPECT_EQ(menu.TrackPopupMenu(owner, {100, 100}), 1);
    Pump();
    EXPECT_EQ(Commands(), (std::vector<uint32_t>{101}));
    EXPECT_EQ(SelectParams(), (std::vector<int64_t>{MenuSelectParam(101, 0)}));
}

TEST_F(GradientMenuTest, MnemonicsChooseOpenOrCycle) {
    struct Row {
        const char* what;
        MenuModel menu;
        std::u32string typed;
        std::vector<uint32_t> commands;
    } rows[] = {
        {"unique item", SampleMenu(), U"x", {104}},
        {"upper case", SampleMenu(), U"X", {104}},
        {"submenu then item", SampleMenu(), U"rb", {202}},
        {"several: cycle, then Return",
         MenuModel({{.id = 1, .text = "&Alpha"},
                    {.id = 2, .text = "&Another"},
                    {.id = 3, .text = "&Beta"}}),
         U"aa\r",
         {2}},
    };
    for (Row& r : rows) {
        SCOPED_TRACE(r.what);
        notices.clear();
        ownerHandler->log.clear();
        CGradientMenu menu(r.menu);
        for (char32_t c : r.typed) {
            Then([&, c] {
                if (c == U'\r') {
                    headless->PressKey(Key::kReturn);
                } else {
                    headless->TypeChar(c);
                }
            });
        }
        EXPECT_EQ(menu.TrackPopupMenu(owner, {100, 100}), 1);
        Pump();
        EXPECT_EQ(Commands(), r.commands);
        EXPECT_EQ(Count(kMenuChar), 0u);
        EXPECT_FALSE(StepsLeft());
    }
}

TEST_F(GradientMenuTest, TheOwnerAnswersCharactersNoItemHas) {
    struct Row {
        const char* what;
        int64_t answer;
        bool staysOpen;
        std::vector<uint32_t> commands;
    } rows[] = {
        {"execute", MenuCharAnswer(kMenuCharExecute, 555), false, {555}},
        {"close", MenuCharAnswer(kMenuCharClose, 0), false, {}},
        {"ignore", 0, true, {}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        notices.clear();
        ownerHandler->log.clear();
        menuCharAnswer = r.answer;
        CGradientMenu menu(SampleMenu());
        bool openAfter = false;
        Then([&] { headless->TypeChar(U'q'); });
        Then([&] {
            openAfter = menu.OpenMenu() && wm->IsAlive(menu.OpenMenu()->Window());
            if (openAfter) {
                headless->PressKey(Key::kEscape);
            }
        });
        EXPECT_EQ(menu.TrackPopupMenu(owner, {100, 100}), 1);
        // The step after the answer runs only when the menu still waits.
        ClearSteps();
        Pump();
        EXPECT_EQ(openAfter, r.staysOpen);
        EXPECT_EQ(Commands(), r.commands);
        ASSERT_EQ(Count(kMenuChar), 1u);
        auto it = std::find_if(notices.begin(), notices.end(),
                               [](const Message& m) { return m.code == kMenuChar; });
        EXPECT_EQ(it->param, static_cast<int64_t>(U'q'));
        EXPECT_EQ(it->param2, 0);
    }
}

TEST_F(GradientMenuTest, TheBandShowsAStepGradientUpwardAndItsCaption) {
    std::vector<MenuItem> many;
    for (uint32_t i = 0; i < 14; ++i) {
        many.push_back({.id = 500 + i, .text = "Item " + std::to_string(i)});
    }
    CGradientMenu menu(MenuModel(many), 24, true);
    menu.SetGradient(platform::ColorRef::FromRgb(255, 0, 0),
                     platform::ColorRef::FromRgb(0, 0, 255));
    menu.SetCaption("Pemu", platform::ColorRef::FromRgb(255, 255, 255));
    Then([&] {
        const MenuPopup& p = *menu.OpenMenu();
        const platform::Surface& s = Shown(p.Window());
        const int bandHeight = p.Bar().BarSize().height;  // 14 rows of 22: 308, steps of 2
        ASSERT_EQ(bandHeight / 128, 2);
        EXPECT_EQ(p.BarOrigin().x, kMenuFrame + 24);
        const int x = kMenuFrame + 20;  // right of the caption
        const int bottom = kMenuFrame + bandHeight - 1;
        EXPECT_EQ(s.PixelAt(x, bottom), Argb(0xFFFF0000));
        Argb top = s.PixelAt(x, kMenuFrame);
        EXPECT_LE(top.Red(), 2);
        EXPECT_GE(top.Blue(), 253);
        for (int y = bottom; y > kMenuFrame + 1; y -= 2) {
            SCOPED_TRACE(y);
            EXPECT_EQ(s.PixelAt(x, y), s.PixelAt(x, y - 1)) << "two rows per step";
            EXPECT_GE(s.PixelAt(x, y).Red(), s.PixelAt(x, y - 2).Red());
        }
        // The caption: white pixels near the band's bottom, none near its top.
        auto [lo, hi] = ChannelRange(s, Rect{kMenuFrame + 2, bottom - 40, kMenuFrame + 20, bottom});
        (void)lo;
        EXPECT_EQ(hi, 0xFF);
        EXPECT_EQ(s.PixelAt(kMenuFrame + 1, kMenuFrame + 1).Green(), 0) << "no caption at the top";
        headless->PressKey(Key::kEscape);
    });
    EXPECT_EQ(menu.TrackPopupMenu(owner, {10, 10}), 1);

    CGradientMenu plain(MenuModel(many), 24, false);
    Then([&] {
        EXPECT_EQ(plain.OpenMenu()->BarOrigin().x, kMenuFrame) << "no band without the flag";
        headless->PressKey(Key::kEscape);
    });
    EXPECT_EQ(plain.TrackPopupMenu(owner, {10, 10}), 1);
}

TEST_F(GradientMenuTest, TheRightButtonChoosesOnlyWhenAsked) {
    for (uint32_t flags : {0u, kMenuRightButton}) {
        SCOPED_TRACE(flags);
        ownerHandler->log.clear();
        CGradientMenu menu(SampleMenu());
        Then([&] { headless->Click(MouseButton::kRight, RowPoint(*menu.OpenMenu(), 0)); });
        Then([&] { headless->PressKey(Key::kEscape); });
        EXPECT_EQ(menu.TrackPopupMenu(owner, {100, 100}, std::nullopt, flags), 1);
        EXPECT_EQ(StepsLeft(), flags != 0) << "the chosen item ended the menu before Escape";
        ClearSteps();
        Pump();
        EXPECT_EQ(Commands(), flags ? std::vector<uint32_t>{101} : std::vector<uint32_t>{});
    }
}

TEST_F(GradientMenuTest, EndsWhenTheOwnerGoesOrLosesTheActivationAndRefusesWhatCannotRun) {
    platform::RecordingHandler& other = NewHandler();
    WindowId second = TopLevel(Rect::FromXywh(500, 0, 100, 100), &other, false);
    wm->Raise(owner);
    ASSERT_EQ(wm->ActiveTopLevel(), owner);
    {
        CGradientMenu menu(SampleMenu());
        Then([&] { wm->Show(second, true); });  // another window becomes active
        EXPECT_EQ(menu.TrackPopupMenu(owner, {100, 100}), 1);
        EXPECT_EQ(MenuWindows(), 0);
    }
    {
        CGradientMenu menu(SampleMenu());
        int nested = -1;
        Then([&] {
            CGradientMenu inner(SampleMenu());
            nested = inner.TrackPopupMenu(owner, {50, 50});
            wm->Destroy(owner);
        });
        EXPECT_EQ(menu.TrackPopupMenu(owner, {100, 100}), 1);
        EXPECT_EQ(nested, 0) << "one menu at a time";
        EXPECT_EQ(MenuWindows(), 0);
    }
    CGradientMenu menu(SampleMenu());
    EXPECT_EQ(menu.TrackPopupMenu(owner, {100, 100}), 0) << "a dead owner";
    EXPECT_EQ(CGradientMenu(MenuModel()).TrackPopupMenu(second, {1, 1}), 0) << "an empty menu";
    headless->SetRefuseTopLevels(true);
    EXPECT_EQ(menu.TrackPopupMenu(second, {1, 1}), 0) << "no window";
}

}  // namespace
}  // namespace ui
