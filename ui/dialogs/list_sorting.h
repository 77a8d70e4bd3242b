// Sorting the rows of list 1009 by a click on a column header.
//
// The access-point pages (types 1 and 19) sort their shown access points by
// SSID (column 0); the receiver list page (type 2) sorts its receivers by
// address (column 0) or by name (column 1). Each click flips the column's
// toggle first: true sorts descending, false ascending, so the first click
// after the dialog opens gives descending order and the next one reverses
// it. The sort is an exchange of neighbours strictly out of order, so equal
// keys keep their order. The list is then filled again from the sorted rows.
//
// Keys: SSIDs without regard to ASCII case; names by UTF-16 code unit;
// addresses as 32-bit numbers, so 10.0.0.9 comes before 10.0.0.10 (a text
// that is no address counts as 255.255.255.255).
// THREADING: user-interface thread only.
#pragma once

#include <vector>

#include "ui/dialogs/cqk_common_dlg.h"

namespace platform {
class ListControl;
}

namespace ui {

// The two toggles of a dialog: the first serves column 0 of either page,
// the second column 1 of the receiver list.
struct ListSortToggles {
    bool first = false;
    bool second = false;
};

void SortAccessPointsBySsid(std::vector<AccessPointInfo>& points, bool descending);
void SortReceiversByIp(std::vector<DiscoveredReceiver>& receivers, bool descending);
void SortReceiversByName(std::vector<DiscoveredReceiver>& receivers, bool descending);

// Fills `list` with `points` (the SSID and its signal picture) and selects
// the first row.
void FillAccessPointRows(platform::ListControl& list, const std::vector<AccessPointInfo>& points);
// Fills `list` with the address in column 0 and the name in column 1.
void FillReceiverRows(platform::ListControl& list,
                      const std::vector<DiscoveredReceiver>& receivers);

// A click on header `column` of `list` in `dialog`: flips the toggle,
// sorts and refills. False (nothing changed) for a column or page that
// does not sort.
bool SortListByColumn(CQKCommonDlg& dialog, ListSortToggles& toggles, platform::ListControl& list,
                      int column);

}  // namespace ui
