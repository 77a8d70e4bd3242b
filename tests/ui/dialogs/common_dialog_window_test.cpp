// The common dialog's window on the headless backend: placement, the built
// elements, drawing, keys, clicks, timers on the fake clock, the language
// menu and events from other threads.
#include <arpa/inet.h>

#include <algorithm>
#include <thread>

#include "platform/controls/edit.h"
#include "platform/controls/image_list.h"
#include "platform/controls/list_control.h"
#include "platform/log.h"
#include "platform/window/window_limits.h"
#include "tests/ui/dialogs/caption_check.h"
#include "tests/ui/dialogs/common_dialog_test_support.h"
#include "ui/dialogs/common_element_builder.h"
#include "ui/dialogs/common_layout_tables.h"
#include "ui/widgets/language_menu_hook.h"
#include "ui/widgets/qk_text.h"
#include "ui/widgets/widget_events.h"

namespace dialogtest {
namespace {

using platform::Argb;
using platform::Key;
using ui::CommonDialogWindow;
using ui::CQKCommonDlg;

constexpr Argb kBlue = platform::ToArgb(platform::ColorRef(0xBC6B1A));
constexpr Argb kFrame = platform::ToArgb(platform::ColorRef(0xA97300));

TEST_F(CommonDialogTest, MessageBoxIsAPemuCommonWindowCentredAt340x128AndOkEndsIt) {
    CQKCommonDlg& d = Dialog(10);
    d.SetTitleText("Warning");
    d.SetMessageText("Something happened.");
    CommonDialogWindow& w = Open(d);
    EXPECT_EQ(wm->ClassName(w.Window()), "PEMU_COMMON");
    EXPECT_EQ(wm->Title(w.Window()), "Pemu");
    // Made at 453 x 148, shown at 340 x 128 on the middle of the screen.
    EXPECT_EQ(*wm->ScreenRect(w.Window()),
              Rect::FromXywh((1024 - 340) / 2, (768 - 128) / 2, 340, 128));
    EXPECT_TRUE(headless->State(w.Window())->spec.topmost ||
                headless->StackingOrder().back() == w.Window());
    EXPECT_EQ(w.FindWidget(10214)->Caption(), "Warning");
    EXPECT_EQ(w.FindWidget(10215)->Caption(), "Something happened.");

    ClickWidget(w, 10218);
    ASSERT_TRUE(w.Ended());
    EXPECT_EQ(*w.EndResult(), ui::kIdOk);
    EXPECT_EQ(w.ResultCode(), 1);
}

TEST_F(CommonDialogTest, BackBufferIsMadeOnceAndWidgetsAreListedInTableOrder) {
    CommonDialogWindow& w = Open(29);
    platform::Surface* back = w.BackBuffer();
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->Width(), 614);
    EXPECT_EQ(back->Height(), 400);
    EXPECT_TRUE(w.Create());  // initialising again keeps the buffer
    EXPECT_EQ(w.BackBuffer(), back);
    // Skinned records become widgets; the edit is a standard control.
    std::vector<ui::LayoutElement> table;
    ASSERT_TRUE(ui::GetLayoutTable(29, table));
    std::erase_if(table,
                  [](const ui::LayoutElement& e) { return !e.ClassName().starts_with("CQK"); });
    ASSERT_EQ(w.Widgets().size(), table.size());
    for (size_t i = 0; i < table.size() && i < w.Widgets().size(); ++i) {
        EXPECT_EQ(w.Widgets()[i]->ControlId(), table[i].id) << i;
    }
    // A record with shown = 0 is listed but its window stays hidden.
    ui::CQKin* play = w.FindWidget(30135);
    ASSERT_NE(play, nullptr);
    EXPECT_FALSE(play->VisibleFlag());
    EXPECT_FALSE(wm->IsVisible(play->Window()));
}

TEST_F(CommonDialogTest, TypesWithoutElementsBuildNothing) {
    for (int type : {3, 11, 36}) {
        CommonDialogWindow& w = Open(type);
        EXPECT_TRUE(w.Widgets().empty()) << type;
    }
}

TEST_F(CommonDialogTest, StripButtonsAreOneFrameWide) {
    CommonDialogWindow& ap = Open(1);
    // A 288-pixel PNG strip of 4 frames.
    EXPECT_EQ(ap.FindWidget(10261)->GetRect().Width(), 72);
    // The profile pages' bitmap strips hold one frame's width in the record
    // already; other bitmap strips hold the whole strip.
    CommonDialogWindow& profiles = Open(13);
    EXPECT_EQ(profiles.FindWidget(10269)->GetRect().Width(), 27);
    CommonDialogWindow& search = Open(28);
    EXPECT_EQ(search.FindWidget(30127)->GetRect().Width(), 85);
    EXPECT_EQ(search.FindWidget(30128)->GetRect().Width(), 85);
    CommonDialogWindow& notice = Open(38);
    EXPECT_EQ(notice.FindWidget(10379)->GetRect().Width(), 13);
}

TEST_F(CommonDialogTest, PasswordFieldsTakeTheEditFontAndTheFirstStartPageDropsTheFrame) {
    // type -> frame, mask, limit of the PASSWORD edit (1005)
    const struct {
        int type;
        bool border;
        char32_t mask;
        size_t limit;
    } cases[] = {{30, true, U'*', 0}, {35, false, U'\u25CF', 6}, {31, true, U'\u25CF', 6}};
    for (const auto& c : cases) {
        CommonDialogWindow& w = Open(c.type);
        auto* edit = dynamic_cast<platform::Edit*>(w.FindControl(1005));
        ASSERT_NE(edit, nullptr) << c.type;
        EXPECT_EQ(edit->HasBorder(), c.border) << c.type;
        EXPECT_EQ(edit->Mask(), std::optional<char32_t>(c.mask)) << c.type;
        if (c.limit != 0) {
            EXPECT_EQ(edit->Limit(), c.limit) << c.type;
        }
        EXPECT_EQ(edit->Font().family, "Futura-Book") << c.type;
        EXPECT_EQ(edit->Font().PixelSize(), 20) << c.type;
        wm->Destroy(w.Window());
        Pump();
    }
}

// A widget host on an open dialog's window that records every text asked
// for and makes "Cancel" long.
class RecordingTextHost final : public ui::WidgetHost {
public:
    explicit RecordingTextHost(CommonDialogWindow& on) : m_on(on) {}
    platform::WindowId Window() const override { return m_on.Window(); }
    platform::Surface* BackBuffer() override { return m_on.BackBuffer(); }
    platform::ControlSet* Controls() override { return nullptr; }
    ui::SkinImages* Skin() override { return m_on.Skin(); }
    std::string TranslateText(std::string_view english) override {
        asked.emplace_back(english);
        return english == "Cancel" ? "Abbrechen und verwerfen" : std::string(english);
    }
    std::vector<std::string> asked;

private:
    CommonDialogWindow& m_on;
};

TEST_F(CommonDialogTest, BuilderSkipsUnknownClassesLooksUpNoEmptyCaptionAndWidensALongCancel) {
    CQKCommonDlg& d = Dialog(14);
    CommonDialogWindow& page = Open(d);
    std::vector<ui::LayoutElement> table;
    ASSERT_TRUE(ui::GetLayoutTable(14, table));
    // The cancel button and the key label without its caption.
    std::vector<ui::LayoutElement> picked;
    for (const ui::LayoutElement& e : table) {
        if (e.id == 10253 || e.id == 10251) {
            picked.push_back(e);
        }
    }
    ASSERT_EQ(picked.size(), 2u);
    for (ui::LayoutElement& e : picked) {
        if (e.id == 10251) {
            std::fill(std::begin(e.text), std::end(e.text), u'\0');
        }
    }
    ui::LayoutElement unknown = picked[0];
    std::copy_n(u"CQKGauge", 9, unknown.className);
    unknown.id = 40001;
    picked.insert(picked.begin(), unknown);

    RecordingTextHost host(page);
    std::vector<ui::WidgetPtr<>> widgets;
    ui::CommonBuildContext ctx{d, host, nullptr, widgets, ""};
    ui::BuildLayoutElements(ctx, picked);
    ASSERT_EQ(widgets.size(), 2u);  // the unknown class made nothing
    for (const std::string& text : host.asked) {
        EXPECT_FALSE(text.empty());
    }
    // A cancel caption over 11 characters takes the wide picture, 112 wide.
    ui::CQKin* cancel = widgets[0]->ControlId() == 10253 ? widgets[0].get() : widgets[1].get();
    EXPECT_EQ(cancel->Caption(), "Abbrechen und verwerfen");
    EXPECT_EQ(cancel->GetRect().Width(), 112);
    EXPECT_TRUE(cancel->PngFlag());  // the wide picture is a PNG strip
}

TEST_F(CommonDialogTest, ProfilePageHidesTheDefaultCodeAndMarksAnExistingNetwork) {
    CQKCommonDlg& d = Dialog(7);
    d.CurrentProfile().loginCode = "6049";
    d.CurrentProfile().userName = "someone";
    CommonDialogWindow& w = Open(d);
    auto edit = [&](const char* name) -> platform::Edit* {
        std::vector<ui::LayoutElement> table;
        ui::GetLayoutTable(7, table);
        for (const ui::LayoutElement& e : table) {
            if (e.Name() == name) {
                return dynamic_cast<platform::Edit*>(w.FindControl(e.id));
            }
        }
        return nullptr;
    };
    ASSERT_NE(edit("PROFILE_LOGINCODE"), nullptr);
    EXPECT_EQ(edit("PROFILE_LOGINCODE")->Text(), "****");
    EXPECT_EQ(edit("PROFILE_LOGINCODE")->Limit(), 4u);
    ASSERT_NE(edit("PROFILE_AP"), nullptr);
    EXPECT_EQ(edit("PROFILE_AP")->Text(), "<<Existing Network>>");
    EXPECT_FALSE(edit("PROFILE_AP")->IsEnabled());
    EXPECT_EQ(edit("PROFILE_AP")->Limit(), 32u);
    EXPECT_EQ(edit("PROFILE_USERNAME")->Text(), "someone");
    EXPECT_EQ(edit("PROFILE_USERNAME")->Limit(), 12u);
}

TEST_F(CommonDialogTest, ReceiverListHasTheAddressInColumnZeroAndTheFirstRowSelected) {
    CQKCommonDlg& d = Dialog(2);
    d.Receivers() = {{"Room A", "10.0.0.5"}, {"Room B", "10.0.0.6"}};
    CommonDialogWindow& w = Open(d);
    auto* list = dynamic_cast<platform::ListControl*>(w.FindControl(1009));
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->ColumnCount(), 2);
    ASSERT_EQ(list->RowCount(), 2);
    EXPECT_EQ(list->Cell(0, 0), "10.0.0.5");
    EXPECT_EQ(list->Cell(0, 1), "Room A");
    EXPECT_EQ(list->Selected(), 0);
    // Connect takes the selected row.
    ClickWidget(w, 10020);
    EXPECT_EQ(d.SelectedRow(), 0);
    EXPECT_EQ(w.EndResult(), std::optional<int>(ui::kIdOk));
}

TEST_F(CommonDialogTest, AccessPointRowsShowTheirBarsAndWhetherTheyAskForAKey) {
    CQKCommonDlg& d = Dialog(1);
    // signal, authentication -> picture: bars 0..4 (each step's upper bound
    // inclusive), plus 5 when open (1); an unknown value is not open.
    const struct {
        const char* ssid;
        int signal, authentication, picture;
    } cases[] = {{"wpa2-full", 100, 6, 4},
                 {"wpa-79", 79, 3, 3},
                 {"wep-none", 0, 0, 0},
                 {"open-20", 20, 1, 5},
                 {"unknown-95", 95, -1, 4}};
    for (const auto& c : cases) {
        d.AllAccessPoints().push_back({c.ssid, "", c.signal, c.authentication});
    }
    CommonDialogWindow& w = Open(d);
    auto* list = static_cast<platform::ListControl*>(w.FindControl(1009));
    ASSERT_NE(list->GetImageList(), nullptr);
    EXPECT_EQ(list->GetImageList()->Count(), 10);
    ASSERT_EQ(list->RowCount(), 5);
    for (int row = 0; row < 5; ++row) {
        EXPECT_EQ(list->RowImage(row), cases[row].picture) << cases[row].ssid;
    }
    // The SSIDs show: dark text on the light rows (the same list without
    // rows has only its header's text).
    auto darkPixels = [this](CommonDialogWindow& page) {
        wm->Invalidate(page.Window());
        Pump();
        const platform::Surface* shown = headless->State(page.Window())->presented.get();
        const platform::Rect r = page.FindControl(1009)->BoundsInTopLevel();
        int dark = 0;
        for (int y = r.top; y < r.bottom; ++y) {
            for (int x = r.left + 20; x < r.right - 20; ++x) {
                dark += (shown->PixelAt(x, y).value & 0xFF) < 0x60;
            }
        }
        return dark;
    };
    EXPECT_GT(darkPixels(w), darkPixels(Open(1)) + 100);
}

TEST_F(CommonDialogTest, OpenDialogsRereadTheirTextsWhenTheLanguageChanges) {
    using appres::Translator;
    ASSERT_TRUE(Translator::Bind(PEMU_SKIN_DIR));
    CQKCommonDlg& d = Dialog(4);
    d.SetChosenAuthentication(6);
    CommonDialogWindow& security = Open(d);
    CQKCommonDlg& r = Dialog(2);
    r.Receivers().push_back({"Room A", "10.0.0.5"});
    CommonDialogWindow& receivers = Open(r);
    // A caption the page code set is the page's: it stays.
    security.FindWidget(10264)->SetCaption("Again:");

    Translator::SelectLanguage("qps_PLOC");
    EXPECT_EQ(wm->Title(security.Window()), Translator::Translate("Pemu"));
    EXPECT_NE(Translator::Translate("Pemu"), "Pemu");
    EXPECT_EQ(security.FindWidget(10256)->Caption(), Translator::Translate("Network Security"));
    EXPECT_EQ(security.FindWidget(10257)->Caption(),
              ui::FillFirstPlaceholder(Translator::LoadString(65259), "WPA2"));
    EXPECT_EQ(security.FindWidget(10266)->Caption(), Translator::Translate("OK"));
    EXPECT_EQ(security.FindWidget(10264)->Caption(), "Again:");
    EXPECT_EQ(security.FindControl(10328)->Text(), Translator::Translate("Hide characters"));
    auto* list = static_cast<platform::ListControl*>(receivers.FindControl(1009));
    EXPECT_EQ(list->ColumnTitle(0), Translator::LoadString(65264));
    EXPECT_EQ(list->ColumnTitle(1), Translator::LoadString(65265));
    EXPECT_EQ(list->Cell(0, 1), "Room A");

    // And back: the English texts again.
    Translator::SelectLanguage("");
    EXPECT_EQ(security.FindWidget(10256)->Caption(), "Network Security");
    EXPECT_EQ(security.FindWidget(10257)->Caption(), "Please enter the WPA2 Key");
    EXPECT_EQ(list->ColumnTitle(0), "IP Address");
    // A window that is gone hears nothing more.
    windows.clear();
    Translator::SelectLanguage("qps_PLOC");
}

TEST_F(CommonDialogTest, SecurityPageNamesTheKeyWithoutFormattingTheCatalogText) {
    CQKCommonDlg& d = Dialog(4);
    d.SetChosenAuthentication(6);
    CommonDialogWindow& w = Open(d);
    EXPECT_EQ(w.FindWidget(10257)->Caption(), "Please enter the WPA2 Key");
    EXPECT_EQ(w.FindWidget(10263)->Caption(), "WPA2 Key:");
}

TEST_F(CommonDialogTest, RussianCatalogueWidensTheConfirmButtonButNotTheCancelPicture) {
    ASSERT_TRUE(appres::Translator::Bind(PEMU_SKIN_DIR));
    CommonDialogWindow& english = Open(31);
    const Rect plain = english.FindWidget(10203)->GetRect();
    appres::Translator::SelectLanguage("ru_RU");
    CommonDialogWindow& russian = Open(31);
    const Rect wide = russian.FindWidget(10203)->GetRect();
    EXPECT_EQ(wide.left, plain.left - 30);
    EXPECT_EQ(wide.Width(), plain.Width() + 30);
    // The prompt that was open when the language changed widened too, and
    // narrows again with English.
    EXPECT_EQ(english.FindWidget(10203)->GetRect(), wide);
    appres::Translator::SelectLanguage("");
    EXPECT_EQ(russian.FindWidget(10203)->GetRect(), plain);
    appres::Translator::SelectLanguage("ru_RU");
    // "Cancel" in Russian is 6 characters (12 bytes): the normal picture.
    CommonDialogWindow& profile = Open(14);
    ui::CQKin* cancel = profile.FindWidget(10253);
    EXPECT_EQ(cancel->GetRect().Width(), 72);
}

TEST_F(CommonDialogTest, DrawnOutlinesLinesFramesAndTheVolumeBarWidth) {
    CommonDialogWindow& menu = Open(39);
    const Rect bg = menu.FindWidget(20237)->GetRect();
    EXPECT_EQ(menu.BackBuffer()->PixelAt(bg.left, bg.top + 50), kBlue);
    EXPECT_EQ(menu.BackBuffer()->PixelAt(bg.right - 1, bg.top + 50), kBlue);
    EXPECT_EQ(menu.BackBuffer()->PixelAt(bg.left + 50, bg.bottom - 1), kBlue);
    wm->Destroy(menu.Window());
    Pump();

    CQKCommonDlg& d = Dialog(33);
    d.SetVolume(20);
    CommonDialogWindow& audio = Open(d);
    const Rect line = audio.FindWidget(30190)->GetRect();
    EXPECT_EQ(audio.BackBuffer()->PixelAt(line.left + 10, line.top), kBlue);
    // The volume page's title image has the frame; the prompts' have none.
    const Rect title = audio.FindWidget(10374)->GetRect();
    EXPECT_EQ(audio.BackBuffer()->PixelAt(title.left + 2, title.top + 60), kFrame);
    CommonDialogWindow& prompt = Open(6);
    const Rect promptTitle = prompt.FindWidget(10188)->GetRect();
    EXPECT_NE(prompt.BackBuffer()->PixelAt(promptTitle.left + 2, promptTitle.top + 60), kFrame);

    // The highlight covers the bar up to volume + 3 only.
    const Rect bar = audio.FindWidget(30194)->GetRect();
    ui::CQKin* highlight = audio.FindWidget(30194);
    highlight->SetVisibleFlag(true);
    audio.BackBuffer()->Clear(Argb(0xFF00FF00));
    audio.DrawElements();
    const Argb inside = audio.BackBuffer()->PixelAt(bar.left + 10, bar.top + 6);
    d.SetVolume(150);
    audio.BackBuffer()->Clear(Argb(0xFF00FF00));
    audio.DrawElements();
    // With volume 150 the highlight reaches 141 at most; at 20 it stops at 23.
    EXPECT_EQ(audio.BackBuffer()->PixelAt(bar.left + 30, bar.top + 6), inside);
    EXPECT_NE(audio.BackBuffer()->PixelAt(bar.left + 145, bar.top + 6), inside);
    d.SetVolume(20);
    audio.BackBuffer()->Clear(Argb(0xFF00FF00));
    audio.DrawElements();
    EXPECT_NE(audio.BackBuffer()->PixelAt(bar.left + 30, bar.top + 6), inside);
}

TEST_F(CommonDialogTest, EnterAndEscapeByType) {
    CommonDialogWindow& box = Open(10);
    Key(Key::kReturn);
    EXPECT_EQ(box.EndResult(), std::optional<int>(ui::kIdCancel));
    EXPECT_EQ(box.ResultCode(), 1);
    wm->Destroy(box.Window());

    CommonDialogWindow& page = Open(28);
    Key(Key::kReturn);
    Key(Key::kEscape);
    EXPECT_FALSE(page.Ended());
    wm->Destroy(page.Window());

    CommonDialogWindow& prompt = Open(20);
    Key(Key::kEscape);
    EXPECT_EQ(prompt.EndResult(), std::optional<int>(ui::kIdCancel));
}

TEST_F(CommonDialogTest, SecurityKeyCheckBoxesBeepsOrAccepts) {
    CQKCommonDlg& d = Dialog(4);
    CommonDialogWindow& w = Open(d);
    auto* key = dynamic_cast<platform::Edit*>(w.FindControl(1012));
    auto* again = dynamic_cast<platform::Edit*>(w.FindControl(1013));
    ASSERT_TRUE(key && again);
    key->SetText("abcdefgh");
    again->SetText("abcdefgX");
    Key(Key::kReturn);
    ASSERT_EQ(runner.Records().size(), 1u);
    EXPECT_EQ(runner.Records()[0].type, 10);
    EXPECT_FALSE(w.Ended());
    again->SetText("abcdefg");
    key->SetText("abcdefg");  // 7 characters
    Key(Key::kReturn);
    EXPECT_EQ(headless->BellCount(), 1);
    EXPECT_FALSE(w.Ended());
    key->SetText("abcde");
    again->SetText("abcde");
    Key(Key::kReturn);
    EXPECT_EQ(w.EndResult(), std::optional<int>(ui::kIdOk));
    EXPECT_EQ(d.GetEnteredKey(), "abcde");
}

TEST_F(CommonDialogTest, DragMovesMostDialogsButNotThePrompts) {
    // Pressed on the title text, which hands the press to the dialog.
    for (auto [type, title, moves] : {std::tuple{10, 10214u, true}, {6, 10199u, false}}) {
        CommonDialogWindow& w = Open(type);
        const Rect before = *wm->ScreenRect(w.Window());
        const Point p = WidgetPoint(w, title);
        headless->PressButton(platform::MouseButton::kLeft, p);
        Pump();
        headless->MoveMouse({p.x + 40, p.y + 25});
        Pump();
        headless->ReleaseButton(platform::MouseButton::kLeft, {p.x + 40, p.y + 25});
        Pump();
        const Rect after = *wm->ScreenRect(w.Window());
        EXPECT_EQ(after.left - before.left, moves ? 40 : 0) << type;
        EXPECT_EQ(after.top - before.top, moves ? 25 : 0) << type;
        wm->Destroy(w.Window());
        Pump();
    }
}

TEST_F(CommonDialogTest, TimersOnTheFakeClock) {
    // 177: the dock closes itself after 2 s.
    CommonDialogWindow& dock = Open(17);
    clock.Advance(1999);
    Pump();
    EXPECT_FALSE(dock.Ended());
    clock.Advance(1);
    Pump();
    EXPECT_EQ(dock.EndResult(), std::optional<int>(ui::kIdCancel));

    // 252: the dots step every 200 ms, 1 to 4 and round again.
    CommonDialogWindow& search = Open(28);
    std::vector<int> steps;
    for (int i = 0; i < 5; ++i) {
        clock.Advance(200);
        Pump();
        steps.push_back(search.DotStep());
    }
    EXPECT_EQ(steps, (std::vector<int>{1, 2, 3, 4, 1}));
    // 250: one search step a second, then every 5 s while none runs.
    const auto calls = pages.Calls();
    EXPECT_GE(std::count(calls.begin(), calls.end(), "SearchPageClients"), 1);
    wm->Destroy(search.Window());

    // 264: the prompt's edit gets the focus after 200 ms.
    CommonDialogWindow& prompt = Open(32);
    clock.Advance(200);
    Pump();
    EXPECT_EQ(wm->Focus(), prompt.FindControl(1005)->Window());
    wm->Destroy(prompt.Window());

    // 210: the fixed Wi-Fi profile of the network the dialog holds is
    // removed once; a failure is logged.
    CQKCommonDlg& fixed = Dialog(2);
    fixed.SetFixedProfileSsid("Room A");
    CommonDialogWindow& list = Open(fixed);
    wm->SetTimer(list.Window(), ui::kTimerFixedProfile, 100);
    clock.Advance(300);
    Pump();
    EXPECT_EQ(wifi.DeletedProfiles(), (std::vector<std::string>{"Room A"}));
    std::vector<std::string> logged;
    platform::LogSink before =
        platform::SetLogSink([&](platform::LogLevel, std::string_view, std::string_view text) {
            logged.emplace_back(text);
        });
    wifi.SetDeleteFails(true);
    wm->SetTimer(list.Window(), ui::kTimerFixedProfile, 100);
    clock.Advance(100);
    Pump();
    platform::SetLogSink(before);
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_NE(logged[0].find("Room A"), std::string::npos);
    wm->Destroy(list.Window());

    // 266: the language menu closes once another window is active.
    CommonDialogWindow& other = Open(10);
    CommonDialogWindow& menu = Open(39);
    wm->Raise(menu.Window());
    clock.Advance(200);
    Pump();
    EXPECT_FALSE(menu.Ended());
    wm->Raise(other.Window());
    clock.Advance(200);
    Pump();
    EXPECT_EQ(menu.EndResult(), std::optional<int>(ui::kIdCancel));
}

TEST_F(CommonDialogTest, APressInAnotherDialogClosesTheLanguageMenuByItsId) {
    CommonDialogWindow& page = Open(33);
    CommonDialogWindow& menu = Open(39);
    EXPECT_EQ(ui::LanguageMenuHook::OpenMenu(), menu.Window());
    const Rect r = *wm->ScreenRect(page.Window());
    // Beside the menu, on the page's background.
    headless->Click(platform::MouseButton::kLeft, {r.left + 5, r.bottom - 8});
    Pump();
    EXPECT_EQ(menu.EndResult(), std::optional<int>(ui::kIdCancel));
}

TEST_F(CommonDialogTest, LanguageChoiceGoesOnlyToALiveCaller) {
    CQKCommonDlg& d = Dialog(33);
    d.SetLanguage("English");
    CommonDialogWindow& w = Open(d);
    runner.ThenType(39, ui::kIdOk, [](ui::ModalDialog& m) {
        static_cast<CQKCommonDlg&>(m).SetLanguage("German");
    });
    ClickWidget(w, 20236);
    EXPECT_EQ(d.Language(), "German");
    auto calls = pages.Calls();
    EXPECT_NE(std::find(calls.begin(), calls.end(), "OnLanguageSelected German"), calls.end());

    // The caller's window goes while its menu is open: nothing is posted.
    CQKCommonDlg& gone = Dialog(33);
    CommonDialogWindow& g = Open(gone);
    platform::WindowManager* manager = wm.get();
    const platform::WindowId gw = g.Window();
    runner.ThenType(39, ui::kIdOk, [manager, gw](ui::ModalDialog& m) {
        static_cast<CQKCommonDlg&>(m).SetLanguage("French");
        manager->Destroy(gw);
    });
    const size_t before = pages.Calls().size();
    ClickWidget(g, 20236);
    Pump();
    EXPECT_EQ(pages.Calls().size(), before);
}

TEST_F(CommonDialogTest, ClientEventFromAnotherThreadIsHandledOnTheUiThread) {
    CommonDialogWindow& w = Open(28);
    const size_t before = pages.Calls().size();
    std::thread network([&w] { w.PostClientEvent(ui::kClientEventConnectClose, 0); });
    network.join();
    // Nothing runs on the posting thread.
    EXPECT_EQ(pages.Calls().size(), before);
    Pump();
    auto calls = pages.Calls();
    EXPECT_NE(std::find(calls.begin(), calls.end(), "OnClientEvent 5 0"), calls.end());
    ASSERT_FALSE(runner.Records().empty());
    EXPECT_EQ(runner.Records().back().text, "Device disconnected.");
}

TEST_F(CommonDialogTest, SemicolonsNeverStayInTheApClientEdits) {
    CommonDialogWindow& w = Open(21);
    auto* ssid = dynamic_cast<platform::Edit*>(w.FindControl(1005));
    ASSERT_NE(ssid, nullptr);
    ssid->SetText("home;net");  // set
    Pump();
    EXPECT_EQ(ssid->Text(), "homenet");
    ssid->SetFocus();
    headless->TypeChar(';');  // typed
    Pump();
    EXPECT_EQ(ssid->Text().find(';'), std::string::npos);
    wm->SetClipboardText("a;b");  // pasted
    headless->PressKey(Key::kUnknown, platform::kModControl, 'v');
    headless->ReleaseKey(Key::kUnknown, platform::kModControl, 'v');
    Pump();
    EXPECT_EQ(ssid->Text().find(';'), std::string::npos);
}

// The search page's progress dots light one after the other on their timer.
TEST_F(CommonDialogTest, SearchPageDotsLightInTurn) {
    CommonDialogWindow& w = Open(28);
    const uint32_t dots[] = {30219, 30167, 30166, 30165};
    const platform::Image* lit = skin->Png(5199).get();
    ASSERT_NE(lit, nullptr);
    for (int step = 0; step < 4; ++step) {
        clock.Advance(200);
        Pump();
        for (int i = 0; i < 4; ++i) {
            ui::CQKin* dot = w.FindWidget(dots[i]);
            ASSERT_NE(dot, nullptr);
            EXPECT_EQ(dot->PngHolder().Get() == lit, i == step) << "step " << step << " dot " << i;
        }
    }
}

TEST_F(CommonDialogTest, ReceiverTilesLightWhileThePointerIsOverThem) {
    CQKCommonDlg& d = Dialog(27);
    d.Receivers() = {{"Room A", "10.0.0.5"}, {"Room B", "10.0.0.6"}};
    CommonDialogWindow& w = Open(d);
    ui::CQKin* tile = w.FindWidget(30177);
    ASSERT_NE(tile, nullptr);
    const platform::Image* selected = skin->Png(5204).get();
    const platform::Image* frame = skin->Png(5205).get();
    ASSERT_NE(selected, nullptr);
    w.OnItemClicked(*tile, ui::kEventHover);
    EXPECT_EQ(tile->PngHolder().Get(), selected);
    EXPECT_TRUE(tile->VisibleFlag());
    w.OnItemClicked(*tile, ui::kEventLeave);
    EXPECT_EQ(tile->PngHolder().Get(), frame);
    const auto calls = pages.Calls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "OnTileHover 67108864 30177"), 1);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "OnTileHover 134217728 30177"), 1);
}

TEST_F(CommonDialogTest, EveryPageShowsItsCaptionsWholeInTheWidestCatalogue) {
    ASSERT_TRUE(appres::Translator::Bind(PEMU_SKIN_DIR));
    appres::Translator::SelectLanguage("qps_PLOC");
    for (int type = 1; type <= 39; ++type) {
        std::vector<ui::LayoutElement> table;
        if (!ui::GetLayoutTable(type, table)) {
            continue;
        }
        CQKCommonDlg& d = Dialog(type);
        d.SetTitleText("Warning");
        d.SetMessageText("The security keys entered are not identical. Please check again.");
        d.SetReceiverName("Meeting room");
        CommonDialogWindow& w = Open(d);
        ui::ExpectCaptionsWhole(w, *wm->GetRect(w.Window()), "type " + std::to_string(type));
        wm->Destroy(w.Window());
        Pump();
    }
}

}  // namespace
}  // namespace dialogtest

// --- the looking-for-receiver page: how it ends and what it hands over -------
namespace dialogtest {
namespace {

DevAnnounce RecordAt(const char* dotted) {
    DevAnnounce record;
    record.SetIPv4(::inet_addr(dotted));
    return record;
}

// Every way the page ends: its exit counts as a close (to the tray), found
// receivers are handed over to be listed (not those passed over in this
// search), a receiver added by address is chosen; a search that finds
// nothing, or only receivers passed over, keeps the page.
TEST_F(CommonDialogTest, SearchPageEndsWithWhatItFoundOrAddedAndItsExitClosesIt) {
    enum class Way { kExit, kFound, kNothingFound, kAdded };
    const struct {
        const char* what;
        Way way;
        bool ends;
        int result, closeCode, row;
        bool listOnly;
        size_t records;
        std::vector<std::string> passedOver;
    } rows[] = {
        {"exit button", Way::kExit, true, ui::kIdCancel, 2, -1, false, 0},
        {"search found two", Way::kFound, true, ui::kIdOk, 0, 0, true, 2},
        {"first passed over", Way::kFound, true, ui::kIdOk, 0, 1, true, 2, {"10.0.0.5"}},
        {"both passed over", Way::kFound, false, 0, 0, -1, false, 2, {"10.0.0.6", "10.0.0.5"}},
        {"search found none", Way::kNothingFound, false, 0, 0, -1, false, 0},
        {"added by address", Way::kAdded, true, ui::kIdOk, 0, 1, false, 0},
    };
    for (const auto& row : rows) {
        pages.manualConnectResult = row.way == Way::kAdded;
        pages.onCall = [&row](CQKCommonDlg& d, const std::string& line) {
            if (line == "SearchPageClients" && row.way == Way::kFound) {
                d.Receivers() = {{"Room A", "10.0.0.5"}, {"Room B", "10.0.0.6"}};
                d.ReceiverRecords() = {RecordAt("10.0.0.5"), RecordAt("10.0.0.6")};
            }
            if (line == "ManualConnectByIp") {
                d.Receivers().push_back({"Typed", "10.0.0.9"});
            }
        };
        CQKCommonDlg& d = Dialog(28);
        d.SetPassedOver(row.passedOver);
        if (row.way == Way::kAdded) {
            d.Receivers() = {{"Listed", "10.0.0.8"}};
        }
        CommonDialogWindow& w = Open(d);
        switch (row.way) {
            case Way::kExit:
                ClickWidget(w, 30129);
                break;
            case Way::kAdded:
                ClickWidget(w, 30128);
                break;
            case Way::kFound:
            case Way::kNothingFound:
                clock.Advance(1000);
                Pump();
                break;
        }
        ASSERT_EQ(w.Ended(), row.ends) << row.what;
        if (row.ends) {
            EXPECT_EQ(w.EndResult(), std::optional<int>(row.result)) << row.what;
        }
        EXPECT_EQ(d.CloseCode(), row.closeCode) << row.what;
        EXPECT_EQ(d.SelectedRow(), row.row) << row.what;
        EXPECT_EQ(d.ListOnly(), row.listOnly) << row.what;
        EXPECT_EQ(d.ReceiverRecords().size(), row.records) << row.what;
        wm->Destroy(w.Window());
        Pump();
    }
}

// A login made elsewhere while the page runs (a hand-off from another start)
// ends it with that receiver, list-only; a second one does not replace it.
// A page that does not run is not touched.
TEST_F(CommonDialogTest, ALoginMadeElsewhereEndsTheRunningSearchPage) {
    CQKCommonDlg idle(env);
    idle.SetType(28);
    EXPECT_FALSE(idle.EndWithReceivers({{"Room", "10.0.0.7"}}, {RecordAt("10.0.0.7")}));
    EXPECT_FALSE(idle.ListOnly());

    CQKCommonDlg page(env);
    page.SetType(28);
    bool refusedUneven = false, refusedTwice = true;
    pages.onCall = [&](CQKCommonDlg& d, const std::string& line) {
        if (line != "SearchPageClients") {
            return;
        }
        refusedUneven = !d.EndWithReceivers({{"Room", "10.0.0.7"}}, {});
        ASSERT_TRUE(d.EndWithReceivers({{"Room", "10.0.0.7"}}, {RecordAt("10.0.0.7")}));
        refusedTwice = !d.EndWithReceivers({{"Late", "10.0.0.8"}}, {RecordAt("10.0.0.8")});
    };
    EXPECT_EQ(page.RunModal(), ui::kIdOk);
    EXPECT_TRUE(refusedUneven);
    EXPECT_TRUE(refusedTwice);
    EXPECT_TRUE(page.ListOnly());
    EXPECT_EQ(page.SelectedRow(), 0);
    ASSERT_EQ(page.ReceiverRecords().size(), 1u);
    EXPECT_EQ(page.ReceiverRecords()[0].GetIPv4(), ::inet_addr("10.0.0.7"));
    EXPECT_EQ(page.Receivers()[0].name, "Room");
}

}  // namespace
}  // namespace dialogtest
