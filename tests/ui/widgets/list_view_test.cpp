// The list view with device rows and receiver rows: layout of the shown
// rows and the first visible row between draws, selection by keys and
// clicks with the events each dialog gets, the rows' looks, and removing
// rows (also while a refresh waits for a receiver).
#include <gtest/gtest.h>

#include "tests/ui/widgets/widget_test_support.h"
#include "ui/widgets/qk_blank_item.h"
#include "ui/widgets/qk_list_view.h"
#include "ui/widgets/qk_login_item.h"
#include "ui/widgets/qk_scrollbar.h"
#include "ui/widgets/qk_text.h"
#include "ui/widgets/widget_events.h"

namespace widgettest {
namespace {

using appres::SkinMarker;
using ui::CQKBlankItem;
using ui::CQKListView;
using ui::CQKLoginItem;

constexpr uint32_t kListId = 5000;

class ListViewTest : public WidgetTest {
protected:
    void TearDown() override {
        widgets.clear();  // the rows log their clients out: before the clients go
        clients.clear();
        WidgetTest::TearDown();
    }

    CQKListView* MakeList(FakeHost& host, int width = 526) {
        auto* list = Add<CQKListView>(&host, kListId, Rect::FromXywh(0, 30, width, 0), "LIST");
        list->SetFontFamily("DejaVu Sans");
        EXPECT_TRUE(list->CreateWidget());
        if (&host == mainHost.get()) {
            mainHost->list = list;
        }
        host.AddPainted(list);
        return list;
    }
    FakeReceiverClient* NewClient(int status = kVrxDisconnected) {
        clients.push_back(std::make_unique<FakeReceiverClient>());
        clients.back()->status = status;
        return clients.back().get();
    }
    // Receiver rows "A", "B", ... with clients of these statuses.
    std::vector<FakeReceiverClient*> AddReceivers(CQKListView* list, std::vector<int> statuses) {
        std::vector<FakeReceiverClient*> added;
        for (size_t i = 0; i < statuses.size(); ++i) {
            added.push_back(NewClient(statuses[i]));
            list->AddLoginItem(added.back(), Ip(static_cast<int>(i) + 1),
                               std::string(1, static_cast<char>('A' + i)));
        }
        return added;
    }
    static uint32_t Ip(int last) { return 0x0001A8C0u | (static_cast<uint32_t>(last) << 24); }

    std::vector<std::unique_ptr<FakeReceiverClient>> clients;
};

TEST_F(ListViewTest, LayoutShowsFourRowsFromTheFirstVisibleOne) {
    FakeMainHost& host = Main();
    CQKListView* list = MakeList(host);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(list->AddBlankItem("Device " + std::to_string(i)), i + 1);
    }
    EXPECT_EQ(list->Row(2)->ControlId(), 5300u);
    list->SetFirstVisible(2);
    host.RepaintAll();
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        const ui::CQKin* row = list->Row(i);
        const bool shown = i >= 2;
        EXPECT_EQ(row->VisibleFlag(), shown);
        EXPECT_EQ(wm->IsVisible(row->Window()), shown);
        EXPECT_EQ(row->RowIndex(), i);
        if (shown) {
            EXPECT_EQ(row->GetRect(), Rect::FromXywh(0, 27 * (i - 2), 526, 27));
        }
    }
    EXPECT_EQ(list->GetRect(), Rect::FromXywh(0, 30, 526, 4 * 27));
    EXPECT_EQ(list->LastFirstVisible(), 2);
}

// The first visible row lasts between draws, kept on the last page.
TEST_F(ListViewTest, FirstVisibleRowLastsBetweenDrawsWithinTheLastPage) {
    FakeMainHost& host = Main();
    CQKListView* list = MakeList(host);
    struct Row {
        int rows;
        int asked;
        int kept;
    } rows[] = {{6, 1, 1}, {6, 2, 2}, {6, 5, 2}, {6, -3, 0}, {3, 2, 0}, {0, 4, 0}, {5, 9, 1}};
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.rows << " rows, asked " << r.asked);
        list->RemoveAll();
        for (int i = 0; i < r.rows; ++i) {
            list->AddBlankItem("D");
        }
        list->SetFirstVisible(r.asked);
        host.RepaintAll();
        EXPECT_EQ(list->FirstVisible(), r.kept);
        host.RepaintAll();
        EXPECT_EQ(list->FirstVisible(), r.kept);
    }
}

TEST_F(ListViewTest, KeysStepTheSelectionAndAlwaysTellTheDialog) {
    FakeMainHost& host = Main();
    CQKListView* list = MakeList(host);
    for (int i = 0; i < 6; ++i) {
        list->AddBlankItem("D");
    }
    struct Step {
        bool next;
        int selection;
        int firstVisible;
    } steps[] = {{false, 0, 0}, {true, 1, 0},  {true, 2, 0},  {true, 3, 0},  {true, 4, 1},
                 {true, 5, 2},  {true, 5, 2},  {false, 4, 2}, {false, 3, 2}, {false, 2, 2},
                 {false, 1, 1}, {false, 0, 0}, {false, 0, 0}};
    for (const Step& s : steps) {
        SCOPED_TRACE(testing::Message() << (s.next ? "next to " : "previous to ") << s.selection);
        EXPECT_EQ(s.next ? list->SelectNext() : list->SelectPrevious(), s.selection);
        EXPECT_EQ(list->FirstVisible(), s.firstVisible);
        EXPECT_EQ(host.TakeEvents(),
                  (std::vector<HostEvent>{{kListId, ui::kEventSelectionStepped, false}}));
    }
}

// A click on a row selects it and tells the dialog: the main dialog with the
// list's second flag set. The row's own pass-through codes reach only the
// main dialog; a double click leaves the list's mouse state at 2.
TEST_F(ListViewTest, RowClicksSelectAndReportToTheDialog) {
    for (bool mainDialog : {true, false}) {
        SCOPED_TRACE(mainDialog ? "main" : "common");
        FakeHost& host = mainDialog ? static_cast<FakeHost&>(Main()) : Common();
        CQKListView* list = MakeList(host);
        for (int i = 0; i < 3; ++i) {
            list->AddBlankItem("Device " + std::to_string(i));
        }
        host.RepaintAll();
        // On the name (which takes the press) a click reports once; on the
        // row's bare edge its press and its release both report.
        const HostEvent click{kListId, ui::kEventClick, mainDialog};
        ClickOn(*list->Row(2), {100, 10});
        EXPECT_EQ(list->Selection(), 2);
        EXPECT_EQ(host.TakeEvents(), (std::vector<HostEvent>{click}));
        ClickOn(*list->Row(0), {5, 10});
        EXPECT_EQ(list->Selection(), 0);
        EXPECT_EQ(host.TakeEvents(), (std::vector<HostEvent>{click, click}));
        EXPECT_EQ(list->MouseState(), ui::kMouseIdle);

        ClickOn(*list->Row(1), {100, 10});
        headless->PressButton(platform::MouseButton::kLeft, ScreenOf(*list->Row(1), {100, 10}));
        Pump();
        EXPECT_EQ(list->MouseState(), ui::kMouseDoubleClicked);
        EXPECT_EQ(list->Selection(), 1);
        host.TakeEvents();

        list->OnChildEvent(64, list->Row(0));
        EXPECT_EQ(list->OnChildEvent(ui::kChildPressed, nullptr), -1);
        const std::vector<HostEvent> passed =
            mainDialog ? std::vector<HostEvent>{{kListId, 64, false}} : std::vector<HostEvent>{};
        EXPECT_EQ(host.TakeEvents(), passed);
        ReleaseOn(*list->Row(1), {100, 10});
        host.TakeEvents();
        host.ClearPainted();
        widgets.clear();
    }
}

TEST_F(ListViewTest, DeviceRowsShowTheSelectionInBlue) {
    FakeMainHost& host = Main();
    CQKListView* list = MakeList(host);
    for (int i = 0; i < 6; ++i) {
        list->AddBlankItem("Device " + std::to_string(i));
    }
    list->SetSelection(1);
    host.RepaintAll();
    EXPECT_EQ(host.BackPixel({520, 30 + 27 + 2}), Argb(0xFF1A6BBCu));
    EXPECT_EQ(host.BackPixel({520, 30 + 2}), Argb(0xFFFFFFFFu));
    auto* name1 = static_cast<CQKBlankItem*>(list->Row(1))->DeviceNameText();
    auto* name0 = static_cast<CQKBlankItem*>(list->Row(0))->DeviceNameText();
    EXPECT_EQ(name1->TextColour(), platform::ColorRef::FromRgb(0xFF, 0xFF, 0xFF));
    EXPECT_EQ(name0->TextColour(), platform::ColorRef::FromRgb(0x70, 0x70, 0x70));
    EXPECT_EQ(name1->Caption(), "Device 1");

    // Scrolled down, the hidden rows keep their old places but draw nothing
    // there: the shown rows' pictures stay.
    list->SetFirstVisible(2);
    list->SetSelection(2);
    host.RepaintAll();
    list->SetFirstVisible(0);
    list->SetSelection(0);
    host.RepaintAll();
    EXPECT_EQ(host.BackPixel({520, 30 + 2}), Argb(0xFF1A6BBCu));
    EXPECT_EQ(host.BackPixel({520, 30 + 27 + 2}), Argb(0xFFFFFFFFu));
    EXPECT_EQ(host.BackPixel({520, 30 + 4 * 27 + 2}), FakeHost::kBackground);
}

TEST_F(ListViewTest, ReceiverRowBackgroundsFollowPlaceAndSelection) {
    FakeMainHost& host = Main();
    CQKListView* list = MakeList(host, 316);
    for (int i = 0; i < 4; ++i) {
        list->AddLoginItem(NewClient(), Ip(10 + i), "Receiver " + std::to_string(i));
    }
    list->SetSelection(3);
    host.RepaintAll();
    const int want[] = {5111, 5112, 5111, 5110};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(MarkerAt(host, {0, 30 + 20 * i}), (SkinMarker{want[i], 0}));
        EXPECT_EQ(list->Row(i)->ImageId(), static_cast<uint32_t>(want[i]));
    }
    // The first device-name text shows the receiver's name, the second none.
    const auto& children = static_cast<CQKLoginItem*>(list->Row(2))->Children();
    ASSERT_EQ(children.size(), 2u);
    EXPECT_EQ(children[0]->Caption(), "Receiver 2");
    EXPECT_EQ(children[1]->Caption(), "");
    EXPECT_EQ(list->Row(2)->ControlId(), 5300u);
}

TEST_F(ListViewTest, ProjectorRowOperationsFindNoRows) {
    FakeMainHost& host = Main();
    CQKListView* list = MakeList(host);
    list->AddBlankItem("D");
    list->AddLoginItem(NewClient(kVrxIdle), Ip(1), "R");
    EXPECT_EQ(list->CountCheckedRows(), 0);
    EXPECT_EQ(list->StopPlayImageOnChecked(), 0);
    EXPECT_EQ(list->PlayVideoFileOnChecked(L"/tmp/a.mp4"), 0);
    EXPECT_EQ(list->CountPlayableOnChecked(), 0);
    EXPECT_EQ(list->SetVolLevelOnChecked(20), 0);
    EXPECT_EQ(list->SeekVideoFileOnChecked(3.5), 0);
    EXPECT_TRUE(list->AllCheckedSupportH264());
    EXPECT_EQ(clients[0]->played.size(), 0u);
}

TEST_F(ListViewTest, LoggedInClientsComeFromTheRowsRefreshedState) {
    FakeMainHost& host = Main();
    CQKListView* list = MakeList(host, 316);
    std::vector<VRXClient*> out{nullptr, nullptr};
    list->AddBlankItem("D");
    EXPECT_EQ(list->GetLoggedInClients(out), 0);
    EXPECT_TRUE(out.empty());

    FakeReceiverClient* idle = NewClient(kVrxIdle);
    FakeReceiverClient* gone = NewClient(kVrxDisconnected);
    FakeReceiverClient* playing = NewClient(kVrxMediaPlaying);
    list->AddLoginItem(idle, Ip(1), "A");
    list->AddLoginItem(gone, Ip(2), "B");
    list->AddLoginItem(playing, Ip(3), "C");
    EXPECT_EQ(list->GetLoggedInClients(out), 0);  // not refreshed yet
    list->RefreshLoginStates();
    EXPECT_EQ(list->GetLoggedInClients(out), 2);
    EXPECT_EQ(out, (std::vector<VRXClient*>{idle, playing}));
}

// Removing a receiver row logs its client out and deletes the row and its
// window; the list goes back to its top once the rest fits.
TEST_F(ListViewTest, RemoveClientRowDeletesTheRowAndItsWindow) {
    FakeMainHost& host = Main();
    CQKListView* list = MakeList(host, 316);
    auto* bar = Add<ui::CQKScrollbar>(&host, 7000, Rect::FromXywh(320, 30, 21, 80));
    ASSERT_TRUE(bar->CreateWidget());
    bar->SetList(list->Window());
    list->SetScrollbar(bar->Window());
    bar->CreateChildren();
    std::vector<FakeReceiverClient*> c;
    for (int i = 0; i < 5; ++i) {
        c.push_back(NewClient());
        list->AddLoginItem(c.back(), Ip(i), "R" + std::to_string(i));
    }
    list->SetFirstVisible(1);
    bar->SetFirstVisible(1);
    host.RepaintAll();
    const WindowId rowWindow = list->Row(2)->Window();

    EXPECT_FALSE(list->RemoveClientRow(nullptr));
    FakeReceiverClient stranger;
    EXPECT_TRUE(list->RemoveClientRow(&stranger));
    EXPECT_EQ(list->RowCount(), 5);
    EXPECT_EQ(list->FirstVisible(), 1);

    EXPECT_TRUE(list->RemoveClientRow(c[2]));
    EXPECT_EQ(c[2]->logouts, 1);
    EXPECT_EQ(list->RowCount(), 4);
    EXPECT_FALSE(wm->IsAlive(rowWindow));
    EXPECT_EQ(ui::CQKin::FromWindow(rowWindow), nullptr);
    EXPECT_EQ(list->FirstVisible(), 0);
    EXPECT_EQ(bar->FirstVisible(), 0);
    for (int i = 0; i < 4; ++i) {
        EXPECT_NE(static_cast<CQKLoginItem*>(list->Row(i))->Client(), c[2]);
    }
    host.RepaintAll();
}

TEST_F(ListViewTest, RemoveAllLogsOutOnlyRowsNotLoggedIn) {
    FakeMainHost& host = Main();
    CQKListView* list = MakeList(host, 316);
    const std::vector<FakeReceiverClient*> r = AddReceivers(list, {kVrxIdle, kVrxDisconnected});
    FakeReceiverClient* in = r[0];
    FakeReceiverClient* out = r[1];
    list->AddLoginItem(nullptr, Ip(3), "None");
    list->RefreshLoginStates();
    list->RemoveAll();
    EXPECT_EQ(in->logouts, 0);
    EXPECT_EQ(out->logouts, 1);
    EXPECT_EQ(list->RowCount(), 0);
}

// While a refresh waits for a receiver, window messages run; one of them
// removes rows, the row being refreshed among them. The walk skips the
// rows gone and touches none of them after they went.
TEST_F(ListViewTest, RowsRemovedDuringAPumpedRefreshAreSkipped) {
    FakeMainHost& host = Main();
    CQKListView* list = MakeList(host, 316);
    const std::vector<FakeReceiverClient*> r = AddReceivers(list, {kVrxIdle, kVrxIdle, kVrxIdle});
    FakeReceiverClient* a = r[0];
    FakeReceiverClient* b = r[1];
    FakeReceiverClient* c = r[2];
    platform::RecordingHandler& remover = NewHandler();
    const WindowId removerWindow = TopLevel(Rect::FromXywh(700, 600, 10, 10), &remover, false);
    remover.on[MessageKind::kUser] = [&](WindowId, const Message&) -> int64_t {
        list->RemoveClientRow(b);
        list->RemoveClientRow(a);
        return 0;
    };
    a->announcedName = "A renamed";
    a->duringAnnounce = [&] {
        wm->Post(removerWindow, Message::User(1));
        wm->PumpPending(platform::PumpKind::kAll);
    };
    list->RefreshLoginStates();
    EXPECT_EQ(a->asked.size(), 1u);
    EXPECT_TRUE(b->asked.empty());
    EXPECT_EQ(c->asked.size(), 1u);
    ASSERT_EQ(list->RowCount(), 1);
    EXPECT_EQ(static_cast<CQKLoginItem*>(list->Row(0))->Client(), c);
    host.RepaintAll();
}

// The list itself may go while one of its rows waits (a dialog closed by a
// message that ran meanwhile).
TEST_F(ListViewTest, ListLetGoDuringARefreshIsNotTouchedAfterwards) {
    FakeMainHost& host = Main();
    CQKListView* list = MakeList(host, 316);
    const std::vector<FakeReceiverClient*> r = AddReceivers(list, {kVrxIdle, kVrxIdle});
    FakeReceiverClient* a = r[0];
    FakeReceiverClient* b = r[1];
    a->duringAnnounce = [&] {
        host.list = nullptr;
        host.ClearPainted();
        widgets.clear();
    };
    list->RefreshLoginStates();
    EXPECT_EQ(a->flagClears, 0);
    EXPECT_TRUE(b->asked.empty());
}

}  // namespace
}  // namespace widgettest
