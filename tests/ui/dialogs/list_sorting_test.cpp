// Sorting list 1009 by its column headers: the sort rules on plain rows,
// and header clicks on the real pages (headless backend) flipping the
// order and refilling the list.
#include "ui/dialogs/list_sorting.h"

#include "platform/controls/list_control.h"
#include "tests/platform/window/test_artifacts.h"
#include "tests/ui/dialogs/common_dialog_test_support.h"
#include "ui/dialogs/common_element_builder.h"

namespace dialogtest {
namespace {

using ui::AccessPointInfo;
using ui::DiscoveredReceiver;

std::vector<std::string> Ips(const std::vector<DiscoveredReceiver>& rows) {
    std::vector<std::string> out;
    for (const DiscoveredReceiver& r : rows) {
        out.push_back(r.ip + "/" + r.name);
    }
    return out;
}

TEST(ListSortingRules, KeysAndStability) {
    // Addresses as numbers; equal keys keep their order in both directions.
    std::vector<DiscoveredReceiver> rx = {
        {"b", "10.0.0.10"}, {"a", "10.0.0.9"}, {"c", "10.0.0.10"}, {"d", "9.255.0.1"}};
    ui::SortReceiversByIp(rx, false);
    EXPECT_EQ(Ips(rx), (std::vector<std::string>{"9.255.0.1/d", "10.0.0.9/a", "10.0.0.10/b",
                                                 "10.0.0.10/c"}));
    ui::SortReceiversByIp(rx, true);
    EXPECT_EQ(Ips(rx), (std::vector<std::string>{"10.0.0.10/b", "10.0.0.10/c", "10.0.0.9/a",
                                                 "9.255.0.1/d"}));

    // Names by UTF-16 code unit, case counts: "B" < "a"; U+FF21 (one unit,
    // 0xFF21) after U+1F600 (a surrogate pair from 0xD83D), unlike UTF-8
    // byte order.
    std::vector<DiscoveredReceiver> named = {{"a", "1.1.1.1"},
                                             {"\xEF\xBC\xA1", "1.1.1.2"},
                                             {"B", "1.1.1.3"},
                                             {"\xF0\x9F\x98\x80", "1.1.1.4"}};
    ui::SortReceiversByName(named, false);
    EXPECT_EQ(Ips(named),
              (std::vector<std::string>{"1.1.1.3/B", "1.1.1.1/a", "1.1.1.4/\xF0\x9F\x98\x80",
                                        "1.1.1.2/\xEF\xBC\xA1"}));

    // SSIDs without regard to case; "Lab" and "lab" are equal and stay.
    std::vector<AccessPointInfo> aps = {
        {"office", "", 1, 1}, {"Lab", "", 2, 1}, {"lab", "", 3, 1}, {"ABC", "", 4, 1}};
    ui::SortAccessPointsBySsid(aps, false);
    std::vector<int> order;
    for (const AccessPointInfo& ap : aps) {
        order.push_back(ap.signal);
    }
    EXPECT_EQ(order, (std::vector<int>{4, 2, 3, 1}));
}

TEST(ListSortingRules, SignalPictures) {
    struct Row {
        int signal, auth, image;
    } rows[] = {{0, 6, 0},  {20, 6, 0},  {21, 6, 1}, {40, 3, 1}, {41, 0, 2}, {80, 6, 3},
                {81, 6, 4}, {100, 6, 4}, {20, 1, 5}, {21, 1, 6}, {80, 1, 8}, {81, 1, 9}};
    for (const Row& r : rows) {
        EXPECT_EQ(ui::AccessPointImageIndex(r.signal, r.auth), r.image)
            << r.signal << " " << r.auth;
    }
}

class ListSortingTest : public CommonDialogTest {
protected:
    platform::ListControl* List(ui::CommonDialogWindow& w) {
        return dynamic_cast<platform::ListControl*>(w.FindControl(1009));
    }
    // A press and release on header column `column` of list 1009.
    void ClickHeader(ui::CommonDialogWindow& w, int column) {
        platform::ListControl* list = List(w);
        ASSERT_NE(list, nullptr);
        const platform::Rect r = list->GetRect();
        const int x = r.left + (column == 0 ? 20 : 140);
        const Point p = *wm->ClientToScreen(w.Window(), {x, r.top + 8});
        clock.Advance(1000);  // never a double click
        headless->Click(platform::MouseButton::kLeft, p);
        Pump();
    }
    std::vector<std::string> Column(ui::CommonDialogWindow& w, int column) {
        std::vector<std::string> out;
        platform::ListControl* list = List(w);
        for (int i = 0; list && i < list->RowCount(); ++i) {
            out.push_back(list->Cell(i, column));
        }
        return out;
    }
};

TEST_F(ListSortingTest, HeaderClicksSortTheReceiverListByAddressAndByName) {
    ui::CQKCommonDlg& d = Dialog(2);
    d.Receivers() = {{"Room B", "10.0.0.10"}, {"Room C", "10.0.0.9"}, {"Room A", "10.0.0.11"}};
    ui::CommonDialogWindow& w = Open(d);
    ASSERT_EQ(Column(w, 0).size(), 3u);
    using V = std::vector<std::string>;
    // First click on a column: descending; the next: ascending.
    ClickHeader(w, 0);
    EXPECT_EQ(Column(w, 0), (V{"10.0.0.11", "10.0.0.10", "10.0.0.9"}));
    EXPECT_EQ(Column(w, 1), (V{"Room A", "Room B", "Room C"}));
    ClickHeader(w, 0);
    EXPECT_EQ(Column(w, 0), (V{"10.0.0.9", "10.0.0.10", "10.0.0.11"}));
    // The name column has its own toggle.
    ClickHeader(w, 1);
    EXPECT_EQ(Column(w, 1), (V{"Room C", "Room B", "Room A"}));
    ClickHeader(w, 1);
    EXPECT_EQ(Column(w, 1), (V{"Room A", "Room B", "Room C"}));
    EXPECT_EQ(Column(w, 0), (V{"10.0.0.11", "10.0.0.10", "10.0.0.9"}));
    // The dialog's own rows follow the list.
    EXPECT_EQ(d.Receivers()[0].name, "Room A");
    Pump();
    EXPECT_TRUE(platform::SaveArtifact(*headless->State(w.Window())->presented,
                                       "receiver_list_sorted_type2.png"));
}

TEST_F(ListSortingTest, HeaderClicksSortTheShownAccessPointsAndOtherPagesStay) {
    ui::CQKCommonDlg& d = Dialog(19);
    d.AllAccessPoints() = {{"lab", "", 90, 1}, {"Office", "", 10, 6}, {"guest", "", 50, 3}};
    ui::CommonDialogWindow& w = Open(d);
    using V = std::vector<std::string>;
    ClickHeader(w, 0);
    EXPECT_EQ(Column(w, 0), (V{"Office", "lab", "guest"}));
    platform::ListControl* list = List(w);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->Selected(), 0);
    EXPECT_EQ(list->RowImage(1), 9);  // lab: strong and open
    ClickHeader(w, 0);
    EXPECT_EQ(Column(w, 0), (V{"guest", "lab", "Office"}));
    EXPECT_EQ(d.ShownAccessPoints()[2].ssid, "Office");
    EXPECT_EQ(d.AllAccessPoints()[0].ssid, "lab");  // the full list keeps its order

    // Pages whose columns do not sort: the profile manager.
    ui::CQKCommonDlg& profiles = Dialog(13);
    profiles.Profiles() = {{"b", "", "", "", "", ""}, {"a", "", "", "", "", ""}};
    ui::CommonDialogWindow& pw = Open(profiles);
    ClickHeader(pw, 0);
    EXPECT_EQ(Column(pw, 0), (V{"b", "a"}));
}

}  // namespace
}  // namespace dialogtest
