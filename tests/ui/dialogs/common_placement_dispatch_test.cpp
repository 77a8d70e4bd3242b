// Window placement by type, text styles, and the click, Enter and key
// decisions of the common dialog, as tables.
#include <gtest/gtest.h>

#include "ui/dialogs/common_dialog_placement.h"
#include "ui/dialogs/common_dispatch.h"
#include "ui/dialogs/common_element_builder.h"
#include "ui/dialogs/common_text_styles.h"

namespace ui {
namespace {

using platform::Rect;

std::string Tr(const std::string& s) {
    return "<" + s + ">";
}

const Rect kScreen{0, 0, 1000, 800};
const Rect kReference = Rect::FromXywh(100, 100, 400, 300);  // centre (300, 250)

struct PlaceCase {
    int type;
    int w, h;
    bool topmost;
    bool app;
    bool followsReference;
    std::string title;
};

TEST(CommonWindowSpec, SizePlaceStackingTaskbarAndTitleByType) {
    const PlaceCase cases[] = {
        {1, 350, 222, true, true, false, "<Pemu>"},
        {19, 350, 222, true, true, false, "<Pemu>"},
        {2, 350, 222, false, true, false, "<Pemu>"},
        {3, 365, 145, false, true, false, "<Pemu>"},
        {4, 350, 199, false, true, false, "<Pemu>"},
        {18, 350, 199, false, true, false, "<Pemu>"},
        {6, 270, 130, false, true, true, "<Pemu>"},
        {30, 270, 130, false, true, true, "Login_Code"},
        {31, 270, 130, false, true, true, "<Pemu>"},
        {32, 270, 130, false, true, true, "Login_IP"},
        {8, 453, 148, true, true, false, "<Pemu>"},
        {11, 453, 148, true, true, false, "<Pemu>"},
        {38, 453, 148, true, true, false, "<Pemu>"},
        {16, 320, 86, false, false, false, "<Auto Reconnecting>"},
        {17, 526, 230, true, true, false, "<Pemu>"},
        {20, 340, 128, false, true, false, "<Pemu>"},
        {21, 515, 309, false, true, false, "<Pemu>"},
        {25, 340, 128, true, true, false, "<Pemu>"},
        {26, 340, 128, false, false, true, "Info"},
        {34, 340, 128, false, false, true, "<Pemu> "},
        {27, 525, 305, false, true, false, "<Pemu>"},
        {28, 526, 230, false, true, false, "Pemu "},
        {29, 526, 400, false, true, false, "<Pemu>"},
        {33, 270, 148, false, true, true, "Audio"},
        {35, 526, 230, false, true, false, "<Pemu>"},
        {36, 368, 266, false, true, false, "<Pemu>"},
        {37, 368, 266, false, true, false, "<Pemu>"},
    };
    for (const PlaceCase& c : cases) {
        SCOPED_TRACE("type " + std::to_string(c.type));
        for (bool withReference : {false, true}) {
            auto ref = withReference ? std::optional<Rect>(kReference) : std::nullopt;
            CommonWindowSpec s = CommonWindowSpecFor(c.type, kScreen, ref, std::nullopt, &Tr);
            EXPECT_EQ(s.rect.Width(), c.w);
            EXPECT_EQ(s.rect.Height(), c.h);
            const bool onReference = withReference && c.followsReference;
            const Rect area = onReference ? kReference : kScreen;
            EXPECT_EQ(s.rect.left, area.left + (area.Width() - c.w) / 2) << withReference;
            EXPECT_EQ(s.rect.top, area.top + (area.Height() - c.h) / 2) << withReference;
            EXPECT_EQ(s.topmost, c.topmost);
            EXPECT_EQ(s.appWindow, c.app);
            EXPECT_EQ(s.title, c.title);
            EXPECT_FALSE(s.alpha.has_value());
        }
    }
}

TEST(CommonWindowSpec, OddPlacesOfTypes12_16_39) {
    CommonWindowSpec s12 = CommonWindowSpecFor(12, kScreen, std::nullopt, std::nullopt, &Tr);
    EXPECT_EQ(s12.rect, Rect::FromXywh((1000 - 479) / 2, (800 - 178) / 2, 459, 178));
    EXPECT_TRUE(s12.topmost);

    const Rect parent = Rect::FromXywh(10, 20, 526, 400);
    CommonWindowSpec s16 = CommonWindowSpecFor(16, kScreen, std::nullopt, parent, &Tr);
    EXPECT_EQ(s16.rect, parent);
    ASSERT_TRUE(s16.region.has_value());
    EXPECT_EQ(s16.alpha, std::optional<uint8_t>(220));
    CommonWindowSpec alone = CommonWindowSpecFor(16, kScreen, std::nullopt, std::nullopt, &Tr);
    EXPECT_EQ(alone.rect, Rect::FromXywh(340, 357, 320, 86));
    EXPECT_FALSE(alone.region.has_value());
    EXPECT_FALSE(alone.alpha.has_value());

    CommonWindowSpec menu = CommonWindowSpecFor(39, kScreen, kReference, std::nullopt, &Tr);
    EXPECT_EQ(menu.rect, Rect::FromXywh(112, 202, 141, 222));
    EXPECT_FALSE(menu.appWindow);
    EXPECT_EQ(menu.title, "Language");
    CommonWindowSpec menuAlone = CommonWindowSpecFor(39, kScreen, std::nullopt, std::nullopt, &Tr);
    EXPECT_EQ(menuAlone.rect, Rect::FromXywh((1000 - 141) / 2, (800 - 46) / 2, 141, 222));

    CommonWindowSpec s17 = CommonWindowSpecFor(17, kScreen, std::nullopt, std::nullopt, &Tr);
    EXPECT_TRUE(s17.region.has_value());
}

TEST(CommonWindowSpec, MessageBoxesTake340x128WhenShown) {
    for (int type : {8, 9, 10, 11, 38}) {
        auto p = ShowTimePlacement(type, kScreen, std::nullopt);
        ASSERT_TRUE(p) << type;
        EXPECT_EQ(p->rect, Rect::FromXywh(330, 336, 340, 128));
        EXPECT_TRUE(p->topmost);
    }
    auto onRef = ShowTimePlacement(10, kScreen, kReference);
    EXPECT_EQ(onRef->rect, Rect::FromXywh(130, 186, 340, 128));
    EXPECT_FALSE(onRef->topmost);
    EXPECT_TRUE(ShowTimePlacement(9, kScreen, kReference)->topmost);
    EXPECT_FALSE(ShowTimePlacement(20, kScreen, std::nullopt));
}

TEST(CommonTextStyles, ByControlId) {
    EXPECT_EQ(CommonTextStyleFor(10214, false), (CommonTextStyle{0x14, 0xFFFFFF, 12, 400}));
    EXPECT_EQ(CommonTextStyleFor(10276, false), (CommonTextStyle{0x30, 0, 18, 900}));
    EXPECT_EQ(CommonTextStyleFor(10215, true).flags, 0x15);
    EXPECT_EQ(CommonTextStyleFor(10215, false).flags, 0x14);
    EXPECT_EQ(CommonTextStyleFor(10390, false).flags, 0x10);
    EXPECT_EQ(CommonTextStyleFor(30185, false), (CommonTextStyle{0x11, 0x1E1E1E, 8, 400}));
    EXPECT_EQ(CommonTextStyleFor(10318, false), (CommonTextStyle{0x22, 0x0000FF, 11, 400}));
    EXPECT_EQ(CommonTextStyleFor(12345, false), (CommonTextStyle{0, 0x151823, 12, 400}));
}

TEST(CommonDispatch, ClickTable) {
    struct Case {
        uint32_t id;
        ClickAction action;
    };
    const Case cases[] = {
        {10019, ClickAction::kCancel},
        {10020, ClickAction::kSelectedRowOk},
        {10261, ClickAction::kSelectedRowOk},
        {10021, ClickAction::kCancel},
        {10203, ClickAction::kConfirmPrompt},
        {10218, ClickAction::kOkResult1},
        {30042, ClickAction::kOkResult1},
        {10223, ClickAction::kRefreshReceivers},
        {10258, ClickAction::kScanAccessPoints},
        {10266, ClickAction::kKeyCheck},
        {10313, ClickAction::kMessageCancel},
        {10217, ClickAction::kCancelResult2},
        {30091, ClickAction::kCancelResult2},
        {20235, ClickAction::kCancelResult2},
        {10273, ClickAction::kCancelThenResult0},
        {10275, ClickAction::kCancelThenResult0},
        {20236, ClickAction::kLanguageMenu},
        {20238, ClickAction::kLanguageEntry},
        {20247, ClickAction::kLanguageEntry},
        {30127, ClickAction::kTroubleshoot},
        {30129, ClickAction::kPageExit},
        {30153, ClickAction::kNone},
        {30176, ClickAction::kTileChosen},
        {30179, ClickAction::kTileChosen},
        {30199, ClickAction::kCancel},
        {30212, ClickAction::kMinimise},
        {10187, ClickAction::kOk},  // below 10203
        {10300, ClickAction::kOk},  // inside 10203..10379
        {30100, ClickAction::kOk},  // inside 30042..30226
        {10400, ClickAction::kNone},
        {30300, ClickAction::kNone},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ClassifyClick(c.id, 10), c.action) << c.id;
    }
}

TEST(CommonDispatch, EnterTable) {
    const std::pair<int, EnterAction> cases[] = {
        {1, EnterAction::kSelectedRowOk},
        {2, EnterAction::kSelectedRowOk},
        {19, EnterAction::kSelectedRowOk},
        {4, EnterAction::kKeyCheck},
        {6, EnterAction::kStorePasswordOk},
        {30, EnterAction::kStorePasswordCloseShadowOk},
        {31, EnterAction::kStorePasswordCloseShadowOk},
        {32, EnterAction::kStoreAddressOk},
        {14, EnterAction::kProfileKeyOk},
        {15, EnterAction::kProfileOk},
        {18, EnterAction::kQuickConnectOk},
        {20, EnterAction::kOk},
        {21, EnterAction::kOk},
        {25, EnterAction::kSwallow},
        {28, EnterAction::kSwallow},
        {10, EnterAction::kResult1Cancel},
        {39, EnterAction::kResult1Cancel},
    };
    for (auto [type, action] : cases) {
        EXPECT_EQ(ClassifyEnter(type), action) << type;
    }
}

TEST(CommonDispatch, SecurityKeyLengths) {
    const std::pair<size_t, KeyCheck> cases[] = {
        {4, KeyCheck::kBadLength}, {5, KeyCheck::kAccepted},  {7, KeyCheck::kBadLength},
        {8, KeyCheck::kAccepted},  {64, KeyCheck::kAccepted}, {65, KeyCheck::kBadLength},
    };
    for (auto [length, check] : cases) {
        const std::string key(length, 'k');
        EXPECT_EQ(CheckSecurityKey(key, key), check) << length;
    }
    EXPECT_EQ(CheckSecurityKey("12345", "12346"), KeyCheck::kNotIdentical);
    // Only the first 125 characters of each edit count.
    EXPECT_EQ(CheckSecurityKey(std::string(130, 'a'), std::string(125, 'a') + "bbbbb"),
              KeyCheck::kBadLength);
}

TEST(CommonDispatch, DragRules) {
    for (int type : {6, 16, 30, 31, 32, 33}) {
        EXPECT_FALSE(DialogMovesByDrag(type)) << type;
    }
    for (int type : {1, 10, 28, 39}) {
        EXPECT_TRUE(DialogMovesByDrag(type)) << type;
    }
}

TEST(CommonBuilderTexts, PlaceholderIsNeverAFormat) {
    EXPECT_EQ(FillFirstPlaceholder("Please enter the %s Key", "WPA2"), "Please enter the WPA2 Key");
    // A catalog entry with other directives keeps them as text.
    EXPECT_EQ(FillFirstPlaceholder("%d %s %n", "WEP"), "%d WEP %n");
    EXPECT_EQ(FillFirstPlaceholder("%s %s", "WPA"), "WPA %s");
    EXPECT_EQ(FillFirstPlaceholder("no directive", "WPA"), "no directive");
    EXPECT_EQ(SecurityWord(3), "WPA");
    EXPECT_EQ(SecurityWord(6), "WPA2");
    EXPECT_EQ(SecurityWord(0), "WEP");
    EXPECT_EQ(SecurityWord(1), "");
}

}  // namespace
}  // namespace ui
