// The common dialog through its modal loop, the access-point scan on its
// worker, and the screen-offset dialog.
#include <chrono>
#include <thread>

#include "platform/controls/edit.h"
#include "platform/controls/list_control.h"
#include "platform/controls/trackbar.h"
#include "platform/window/window_limits.h"
#include "tests/platform/window/test_artifacts.h"
#include "tests/ui/dialogs/common_dialog_test_support.h"
#include "ui/dialogs/access_point_scan.h"
#include "ui/dialogs/ctv_expand_dlg.h"
#include "ui/dialogs/tv_expand_window.h"
#include "ui/widgets/widget_events.h"

namespace dialogtest {
namespace {

using ui::CommonDialogWindow;
using ui::CQKCommonDlg;

TEST_F(CommonDialogTest, DoModalRunsTheBoxUntilOkAndACloseRequestCancels) {
    ui::WindowDialogRunner real;
    CQKCommonDlg box(env);
    box.SetType(10);
    box.SetTitleText("Info");
    OnFirstIdle(headless, clock, [&] {
        ui::CommonDialogWindow* w = box.RunningWindow();
        ASSERT_NE(w, nullptr);
        const platform::Rect r = w->FindWidget(10218)->GetRect();
        const platform::Point p =
            *wm->ClientToScreen(w->Window(), {(r.left + r.right) / 2, (r.top + r.bottom) / 2});
        headless->Click(platform::MouseButton::kLeft, p);
    });
    EXPECT_EQ(real.DoModal(box), ui::kIdOk);
    EXPECT_EQ(box.RunningWindow(), nullptr);

    CQKCommonDlg closed(env);
    closed.SetType(9);
    OnFirstIdle(headless, clock, [&] { headless->RequestClose(closed.Window()); });
    EXPECT_EQ(real.DoModal(closed), ui::kIdCancel);
    EXPECT_EQ(closed.CloseCode(), 2);
}

std::vector<platform::WifiAccessPoint> Points(std::initializer_list<const char*> ssids) {
    std::vector<platform::WifiAccessPoint> out;
    for (const char* s : ssids) {
        out.push_back({s, "00:11:22:33:44:55", 70, 6});
    }
    return out;
}

std::vector<std::string> Rows(CommonDialogWindow& w) {
    auto* list = dynamic_cast<platform::ListControl*>(w.FindControl(1009));
    std::vector<std::string> rows;
    for (int i = 0; list && i < list->RowCount(); ++i) {
        rows.push_back(list->Cell(i, 0));
    }
    return rows;
}

TEST_F(CommonDialogTest, RefillSkipsEmptySsidsTheHiddenNameAndFiltersByPrefix) {
    CQKCommonDlg& d = Dialog(1);
    for (const char* s : {"", "office", "abc-1", "home", "ab"}) {
        d.AllAccessPoints().push_back({s, "", 50, 3});
    }
    d.SetNeverListedName("home");
    EXPECT_EQ(ui::RefillAccessPointList(d, nullptr, false), 3);  // office, abc-1, ab
    // Empty prefixes in the filter text let nothing through on their own.
    d.SetApFilter(";ab;;");
    EXPECT_EQ(ui::RefillAccessPointList(d, nullptr, d.ApFilterOn()), 2);
    EXPECT_EQ(d.ShownAccessPoints()[0].ssid, "abc-1");
    EXPECT_EQ(d.ShownAccessPoints()[1].ssid, "ab");
}

TEST_F(CommonDialogTest, RefreshScansOnAWorkerAndRefillsFiltered) {
    wifi.SetPoints(Points({"lab-a", "", "guest", "lab-b"}));
    CQKCommonDlg& d = Dialog(1);
    d.SetApFilter("lab");
    CommonDialogWindow& w = Open(d);
    OnFirstIdle(headless, clock, [] {});
    ClickWidget(w, 10258);
    EXPECT_EQ(Rows(w), (std::vector<std::string>{"lab-a", "lab-b"}));
    EXPECT_EQ(d.AllAccessPoints().size(), 4u);
}

TEST_F(CommonDialogTest, ASecondScanDuringTheFirstReturnsAtOnce) {
    wifi.SetPoints(Points({"one"}));
    wifi.Block();
    CommonDialogWindow& w = Open(19);
    bool second = true;
    OnFirstIdle(headless, clock, [&] {
        wifi.WaitForCalls(1);
        second = w.ScanAccessPoints();  // pumped while the first waits
        wifi.Release();
    });
    EXPECT_TRUE(w.ScanAccessPoints());
    EXPECT_FALSE(second);
    EXPECT_EQ(wifi.Calls(), 1);
    EXPECT_EQ(Rows(w), (std::vector<std::string>{"one"}));
}

TEST_F(CommonDialogTest, AQuitDuringAScanEndsTheWaitAndTheWorkerIsJoined) {
    wifi.SetPoints(Points({"late"}));
    wifi.Block();
    CommonDialogWindow& w = Open(1);
    OnFirstIdle(headless, clock, [&] {
        wifi.WaitForCalls(1);
        wm->PostQuit(0);
    });
    EXPECT_FALSE(w.ScanAccessPoints());
    EXPECT_TRUE(Rows(w).empty());
    EXPECT_TRUE(w.Scan().Busy());
    // The blocked listing ends later; the window's end joins the worker.
    wifi.Release();
    windows.clear();
}

class TvExpandTest : public CommonDialogTest {
protected:
    ui::TvExpandWindow& Open(ui::CTVExpandDlg& d) {
        window = std::make_unique<ui::TvExpandWindow>(d);
        EXPECT_TRUE(window->Create());
        wm->Show(window->Window(), true);
        Pump();
        return *window;
    }
    void TearDown() override {
        window.reset();
        CommonDialogTest::TearDown();
    }
    std::unique_ptr<ui::TvExpandWindow> window;
};

TEST_F(TvExpandTest, EditsClampToTheMaximumAndMoveTheirSliders) {
    ui::CTVExpandDlg d;
    d.SetHorizontalOffset(10);
    d.SetVerticalOffset(40);
    ui::TvExpandWindow& w = Open(d);
    EXPECT_EQ(wm->Title(w.Window()), "TV Offset Compensation");
    EXPECT_EQ(w.HorizontalSlider()->Pos(), 10);
    EXPECT_EQ(w.VerticalSlider()->Pos(), 250 - 40);  // the top is the largest offset
    EXPECT_EQ(w.VerticalEdit()->Text(), "40");

    w.HorizontalEdit()->SetText("999");
    EXPECT_EQ(w.HorizontalEdit()->Text(), "250");
    EXPECT_EQ(w.HorizontalSlider()->Pos(), 250);
    w.VerticalEdit()->SetText("999");
    EXPECT_EQ(w.VerticalEdit()->Text(), "250");
    EXPECT_EQ(w.VerticalSlider()->Pos(), 0);
    w.HorizontalEdit()->SetText("x7");
    EXPECT_EQ(w.HorizontalSlider()->Pos(), 0);  // not a number: 0
}

TEST_F(TvExpandTest, ANewLanguageRetitlesTheOpenDialogAndItsTexts) {
    using appres::Translator;
    ASSERT_TRUE(Translator::Bind(PEMU_SKIN_DIR));
    ui::CTVExpandDlg d;
    ui::TvExpandWindow& w = Open(d);
    Translator::SelectLanguage("qps_PLOC");
    EXPECT_EQ(wm->Title(w.Window()), Translator::LoadString(65343));
    EXPECT_NE(Translator::LoadString(65343), "TV Offset Compensation");
    // string id of each control's text
    for (auto [id, text] : {std::pair{1u, 65365u}, {2u, 65206u}, {179u, 65367u}, {183u, 65364u}}) {
        EXPECT_EQ(w.Controls()->Find(id)->Text(), Translator::LoadString(text)) << id;
    }
    Translator::SelectLanguage("");
    EXPECT_EQ(wm->Title(w.Window()), "TV Offset Compensation");
    EXPECT_EQ(w.Controls()->Find(1)->Text(), "Apply");
}

TEST_F(TvExpandTest, ApplyReturnsTheSliderPositionsAndCloseReturnsNothing) {
    ui::WindowDialogRunner real;
    ui::CTVExpandDlg apply;
    apply.SetHorizontalOffset(5);
    apply.SetVerticalOffset(6);
    OnFirstIdle(headless, clock, [&] {
        ui::TvExpandWindow* w = apply.RunningWindow();
        w->HorizontalSlider()->SetPos(120);
        w->VerticalSlider()->SetPos(200);
        wm->PostCommand(w->Window(), platform::kCommandOk);
    });
    EXPECT_EQ(real.DoModal(apply), ui::kIdOk);
    EXPECT_EQ(apply.HorizontalOffset(), 120);
    EXPECT_EQ(apply.VerticalOffset(), 50);

    ui::CTVExpandDlg escape;
    OnFirstIdle(headless, clock, [&] {
        headless->PressKey(platform::Key::kEscape);
        headless->ReleaseKey(platform::Key::kEscape);
    });
    EXPECT_EQ(real.DoModal(escape), ui::kIdCancel);
    ui::CTVExpandDlg closeButton;
    OnFirstIdle(headless, clock, [&] {
        wm->PostCommand(closeButton.RunningWindow()->Window(), platform::kCommandCancel);
    });
    EXPECT_EQ(real.DoModal(closeButton), ui::kIdCancel);
}

}  // namespace
}  // namespace dialogtest

namespace dialogtest {
namespace {

// A few pages as the screen would show them, kept as artefacts to look at.
TEST_F(CommonDialogTest, PagesPresentedAsScreenshots) {
    for (int type : {1, 6, 33, 29, 28, 35, 27}) {
        CQKCommonDlg& d = Dialog(type);
        d.SetReceiverName("Meeting room");
        d.SetVolume(80);
        if (type == 1) {
            d.AllAccessPoints() = {{"Office", "", 90, 6}, {"Guest", "", 45, 1}, {"Lab", "", 10, 3}};
        }
        if (type == 27) {
            d.Receivers() = {{"Room A", "10.0.0.5"}, {"Room B", "10.0.0.6"}};
        }
        CommonDialogWindow& w = Open(d);
        if (type == 27) {
            w.OnItemClicked(*w.FindWidget(30177), ui::kEventHover);  // the pointer on Room B
        }
        wm->Invalidate(w.Window());
        Pump();
        const platform::HeadlessBackend::TopLevelState* state = headless->State(w.Window());
        ASSERT_NE(state, nullptr);
        ASSERT_NE(state->presented, nullptr) << type;
        EXPECT_TRUE(platform::SaveArtifact(*state->presented,
                                           "common_dialog_type" + std::to_string(type) + ".png"));
        wm->Destroy(w.Window());
        Pump();
    }
    ui::CTVExpandDlg offsets;
    offsets.SetHorizontalOffset(30);
    offsets.SetVerticalOffset(60);
    ui::TvExpandWindow tv(offsets);
    ASSERT_TRUE(tv.Create());
    wm->Show(tv.Window(), true);
    Pump();
    const platform::HeadlessBackend::TopLevelState* state = headless->State(tv.Window());
    ASSERT_NE(state->presented, nullptr);
    EXPECT_TRUE(platform::SaveArtifact(*state->presented, "tv_offset_dialog.png"));
}

}  // namespace
}  // namespace dialogtest
