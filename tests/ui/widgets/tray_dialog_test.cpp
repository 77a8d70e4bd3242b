// The tray dialog on the headless backend: clicks and double clicks on the
// icon, minimising into the tray (with and without a tray), the icon's
// pictures told apart by their skin markers, the menu's texts and radio
// pairs, and the tray menu run by the popup-menu engine.
#include "ui/widgets/tray_dialog.h"

#include <gtest/gtest.h>

#include <regex>

#include "app/res/skin_marker.h"
#include "platform/draw/image_loader.h"
#include "tests/ui/widgets/menu_loop_test_support.h"
#include "ui/widgets/gradient_menu.h"

namespace ui {
namespace {

using platform::MessageKind;
using platform::Point;
using platform::Rect;
using platform::TrayAction;
using platform::WindowId;

// A main dialog that records the commands it gets.
class RecordingTrayDialog : public CTrayDialog {
public:
    using CTrayDialog::CTrayDialog;
    int64_t OnMessage(WindowId self, const platform::Message& msg) override {
        if (msg.kind == MessageKind::kCommand) {
            commands.push_back(msg.code);
            return 0;
        }
        return CTrayDialog::OnMessage(self, msg);
    }
    std::vector<uint32_t> commands;
};

class TrayDialogTest : public WidgetTest {
protected:
    void SetUp() override {
        WidgetTest::SetUp();
        dialog = std::make_unique<RecordingTrayDialog>(MenuTextLoader{}, [this](uint32_t id) {
            return loader.LoadPngResource(static_cast<int>(id));
        });
        ASSERT_TRUE(dialog->Create());
        dialog->InitTray("Quorvane Sender");
        wm->Show(dialog->Window(), true);
        Pump();
    }
    void TearDown() override {
        dialog.reset();
        WidgetTest::TearDown();
    }

    void Tray(TrayAction action, Point at = {1000, 760}, uint32_t icon = kTrayIconId) {
        headless->TrayInput(dialog->Window(), icon, action, at);
        Pump();
    }
    // The resource id whose marker the tray's picture carries (0: none).
    int TrayPictureId() const {
        const auto* icon = headless->Tray(dialog->Window(), kTrayIconId);
        if (!icon || !icon->picture) {
            return 0;
        }
        auto marker = appres::ReadSkinMarker(
            icon->picture->PixelAt(appres::kSkinMarkerOffset.x, appres::kSkinMarkerOffset.y));
        return marker ? marker->id : 0;
    }

    platform::ImageLoader loader{PEMU_SKIN_DIR, [](const std::string&) {}};
    std::unique_ptr<RecordingTrayDialog> dialog;
};

TEST_F(TrayDialogTest, TheWindowComesFromTheMainTemplate) {
    WindowId w = dialog->Window();
    EXPECT_EQ(wm->ClassName(w), "Pemu Quorvane Sender");
    EXPECT_EQ(wm->Title(w), "Pemu");
    EXPECT_EQ(wm->GetRect(w)->Width(), 526);
    EXPECT_EQ(wm->GetRect(w)->Height(), 400);
    EXPECT_FALSE(dialog->Create()) << "one window per dialog";
}

TEST_F(TrayDialogTest, AClickRaisesAfterTheWaitAndADoubleClickOnlyShowsTheMainWindow) {
    platform::RecordingHandler& h = NewHandler();
    WindowId other = TopLevel(Rect::FromXywh(600, 0, 100, 100), &h);
    struct Row {
        const char* what;
        bool minimizeToTray;
        bool doubleClick;
        bool raised;
        std::vector<uint32_t> commands;
    } rows[] = {
        {"single click", true, false, true, {}},
        {"double click", true, true, false, {kCommandShowMain}},
        {"double click, minimise-to-tray off", false, true, false, {}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        dialog->commands.clear();
        dialog->SetMinimizeToTray(r.minimizeToTray);
        wm->Raise(other);
        ASSERT_EQ(wm->ActiveTopLevel(), other);
        Tray(TrayAction::kLeftDown);
        Tray(TrayAction::kLeftUp);
        clock.Advance(kClickWaitMs - 100);
        Pump();
        EXPECT_EQ(wm->ActiveTopLevel(), other) << "nothing before the wait is over";
        if (r.doubleClick) {
            Tray(TrayAction::kLeftDoubleClick);
            Tray(TrayAction::kLeftUp);
        }
        clock.Advance(kClickWaitMs);
        Pump();
        EXPECT_EQ(wm->ActiveTopLevel() == dialog->Window(), r.raised);
        EXPECT_EQ(dialog->commands, r.commands);
    }
}

TEST_F(TrayDialogTest, MinimisingIntoTheTrayOnceAndNotWithoutATray) {
    WindowId w = dialog->Window();
    ASSERT_TRUE(dialog->MinimizeToTray());
    EXPECT_TRUE(dialog->InTray());
    EXPECT_FALSE(wm->IsVisible(w));
    EXPECT_EQ(TrayPictureId(), static_cast<int>(kTrayIconIdle));
    EXPECT_EQ(headless->Tray(w, kTrayIconId)->tip, "Quorvane Sender");
    wm->Show(w, true);
    EXPECT_FALSE(dialog->MinimizeToTray()) << "in the tray already: nothing added";
    EXPECT_TRUE(wm->IsVisible(w));
}

TEST_F(TrayDialogTest, MinimiseRequests) {
    struct Row {
        const char* what;
        bool minimizeToTray;
        bool trayRuns;
        bool inTrayBefore;
        uint32_t code;
        bool visible;
        bool minimized;
        bool inTray;
    } rows[] = {
        // clang-format off
        {"into the tray",           true,  true,  false, 0xF020, false, false, true},
        {"any minimise code",       true,  true,  false, 0xF02F, false, false, true},
        {"option off",              false, true,  false, 0xF020, true,  true,  false},
        {"no tray",                 true,  false, false, 0xF020, true,  true,  false},
        {"icon already in the tray", true, true,  true,  0xF020, false, false, true},
        {"not a minimise",          true,  true,  false, 0xF030, true,  false, false},
        // clang-format on
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        auto d = std::make_unique<RecordingTrayDialog>();
        dialog.reset();  // one main window at a time
        ASSERT_TRUE(d->Create());
        d->InitTray("tip");
        d->SetMinimizeToTray(r.minimizeToTray);
        if (r.inTrayBefore) {
            ASSERT_TRUE(d->MinimizeToTray());
        }
        wm->Show(d->Window(), true);
        headless->SetTrayAvailable(r.trayRuns);
        wm->Post(d->Window(), platform::Message::User(r.code));
        Pump();
        EXPECT_EQ(wm->IsVisible(d->Window()), r.visible);
        EXPECT_EQ(wm->IsMinimized(d->Window()), r.minimized);
        EXPECT_EQ(d->InTray(), r.inTray);
        EXPECT_EQ(headless->Tray(d->Window(), kTrayIconId) != nullptr, r.inTray);
        headless->SetTrayAvailable(true);
    }
}

TEST_F(TrayDialogTest, TrayPicturesFollowTheStateAndAMissingOneKeepsThePrevious) {
    WindowId w = dialog->Window();
    dialog->SetTrayIcon(kTrayIconLoggedIn, false);
    EXPECT_EQ(headless->Tray(w, kTrayIconId), nullptr) << "not added without add";
    dialog->SetTrayIcon(kTrayIconLoggedIn, true);
    ASSERT_TRUE(dialog->InTray());
    EXPECT_FALSE(wm->IsVisible(w)) << "adding hides the window";
    EXPECT_EQ(TrayPictureId(), static_cast<int>(kTrayIconLoggedIn));
    struct Row {
        uint32_t id;
        int shown;
    } rows[] = {
        {kTrayIconProjecting, 261}, {kTrayIconIdle, 263}, {9999, 263}, {kTrayIconLoggedIn, 262}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.id);
        dialog->SetTrayIcon(r.id, true);
        EXPECT_EQ(TrayPictureId(), r.shown);
    }
    wm->Destroy(w);
    EXPECT_FALSE(dialog->InTray());
}

TEST_F(TrayDialogTest, MenuTextsByPositionWithTheVersionLine) {
    const std::vector<MenuItem>& items = dialog->TrayMenu().Items();
    ASSERT_EQ(items.size(), 7u);
    EXPECT_EQ(items[0].text, "Change password");
    EXPECT_EQ(items[1].text, "Manually add device");
    EXPECT_EQ(items[3].text, "Check for update");
    EXPECT_EQ(items[6].text, "Exit");
    EXPECT_EQ(items[4].id, 2014u) << "the version item keeps its command";
    EXPECT_TRUE(std::regex_match(items[4].text,
                                 std::regex(R"(Ver \d+\.\d+\.\d+\.\d+  \w{3} [ \d]\d \d{4})")))
        << items[4].text;

    // Texts come through the given loader, by position; mode items by command.
    MenuModel menu({{.id = 1},
                    {.id = 2},
                    {.id = 2024, .separator = true},
                    {.id = 3},
                    {.id = 4},
                    {.id = 2020},
                    {.id = 5},
                    {.id = 20229}});
    FillTrayMenuTexts(menu, [](uint32_t id) { return "#" + std::to_string(id); });
    std::vector<std::string> texts;
    for (const MenuItem& item : menu.Items()) {
        texts.push_back(item.text);
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"#65427", "#65428", "", "#65378", TrayVersionLine(),
                                               "#65429", "#65249", "#65426"}));
}

TEST_F(TrayDialogTest, RadioPairsFollowTheModeFlags) {
    MenuModel& menu = dialog->TrayMenu();
    for (uint32_t id : {2020u, 2021u, 20228u, 20229u}) {
        menu.Items().push_back({.id = id, .text = std::to_string(id)});
    }
    auto checked = [&] {
        std::vector<uint32_t> ids;
        for (uint32_t id : {2020u, 2021u, 20228u, 20229u}) {
            if (menu.FindCommand(id)->checked) {
                ids.push_back(id);
            }
        }
        return ids;
    };
    struct Row {
        uint32_t command;
        bool displayMode;
        bool playMode;
        std::vector<uint32_t> checked;
    } rows[] = {
        {2015, false, true, {}},  // other ids change nothing
        {20228, false, true, {20228}},
        {20230, false, false, {20229}},
        {2021, true, false, {2021, 20229}},
        {2020, false, false, {2020, 20229}},
        {20227, true, true, {2020, 20229}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.command);
        dialog->SetDisplayMode(r.displayMode);
        dialog->SetPlayMode(r.playMode);
        EXPECT_EQ(dialog->UpdateMenuChecks(r.command), 0);
        EXPECT_EQ(checked(), r.checked);
    }
}

TEST_F(TrayDialogTest, ARightPressOpensTheMenuAboveThePointAndItsChoiceComesBack) {
    dialog->SetDefaultMenuItem(2033);
    Then([&] {
        ASSERT_EQ(wm->FindTopLevel("BitmapMenu", "") != WindowId{}, true);
        WindowId menu = wm->FindTopLevel("BitmapMenu", "");
        Rect r = *wm->ScreenRect(menu);
        EXPECT_EQ(r.bottom, 760) << "bottom-aligned at the point";
        EXPECT_EQ(r.left, 300);
        // The last row is "Exit": press and release it with the right button.
        Point exit{r.left + r.Width() / 2, r.bottom - 10};
        headless->MoveMouse(exit);
        headless->Click(platform::MouseButton::kRight, exit);
    });
    Tray(TrayAction::kRightDown, {300, 760});
    EXPECT_EQ(dialog->commands, (std::vector<uint32_t>{2015}));
    EXPECT_FALSE(dialog->TrayMenu().FindCommand(2033)->isDefault)
        << "the dialog's menu is unchanged";
    // Another icon's input is not the dialog's.
    Tray(TrayAction::kRightDown, {900, 760}, 2);
    EXPECT_EQ(wm->FindTopLevel("BitmapMenu", ""), WindowId{});
}

}  // namespace
}  // namespace ui
