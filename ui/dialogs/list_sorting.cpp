#include "ui/dialogs/list_sorting.h"

#include <arpa/inet.h>

#include "platform/controls/list_control.h"
#include "platform/wide_text.h"
#include "ui/dialogs/common_element_builder.h"

namespace ui {
namespace {

// Exchanges neighbours only when strictly out of order: equal keys stay.
template <typename T, typename Less>
void ExchangeSort(std::vector<T>& rows, bool descending, Less less) {
    for (size_t end = rows.size(); end > 1; --end) {
        bool swapped = false;
        for (size_t i = 0; i + 1 < end; ++i) {
            const bool outOfOrder =
                descending ? less(rows[i], rows[i + 1]) : less(rows[i + 1], rows[i]);
            if (outOfOrder) {
                std::swap(rows[i], rows[i + 1]);
                swapped = true;
            }
        }
        if (!swapped) {
            return;
        }
    }
}

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SsidLess(const AccessPointInfo& a, const AccessPointInfo& b) {
    const size_t n = std::min(a.ssid.size(), b.ssid.size());
    for (size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(AsciiLower(a.ssid[i]));
        const auto y = static_cast<unsigned char>(AsciiLower(b.ssid[i]));
        if (x != y) {
            return x < y;
        }
    }
    return a.ssid.size() < b.ssid.size();
}

uint32_t AddressKey(const std::string& dotted) {
    in_addr a{};
    if (::inet_pton(AF_INET, dotted.c_str(), &a) != 1) {
        return 0xFFFFFFFFu;
    }
    return ntohl(a.s_addr);
}

}  // namespace

void SortAccessPointsBySsid(std::vector<AccessPointInfo>& points, bool descending) {
    ExchangeSort(points, descending, SsidLess);
}

void SortReceiversByIp(std::vector<DiscoveredReceiver>& receivers, bool descending) {
    ExchangeSort(receivers, descending,
                 [](const DiscoveredReceiver& a, const DiscoveredReceiver& b) {
                     return AddressKey(a.ip) < AddressKey(b.ip);
                 });
}

void SortReceiversByName(std::vector<DiscoveredReceiver>& receivers, bool descending) {
    // Keys converted once: the sort compares each pair many times.
    std::vector<std::pair<std::u16string, DiscoveredReceiver>> keyed;
    keyed.reserve(receivers.size());
    for (DiscoveredReceiver& r : receivers) {
        keyed.emplace_back(platform::WideToUtf16(platform::Utf8ToWide(r.name)), std::move(r));
    }
    ExchangeSort(keyed, descending, [](const auto& a, const auto& b) { return a.first < b.first; });
    receivers.clear();
    for (auto& [key, r] : keyed) {
        receivers.push_back(std::move(r));
    }
}

void FillAccessPointRows(platform::ListControl& list, const std::vector<AccessPointInfo>& points) {
    list.DeleteAllRows();
    for (const AccessPointInfo& ap : points) {
        list.InsertRow(list.RowCount(), ap.ssid,
                       AccessPointImageIndex(ap.signal, ap.authentication));
    }
    if (list.RowCount() > 0) {
        list.Select(0);
    }
}

void FillReceiverRows(platform::ListControl& list,
                      const std::vector<DiscoveredReceiver>& receivers) {
    list.DeleteAllRows();
    int row = 0;
    for (const DiscoveredReceiver& r : receivers) {
        list.InsertRow(row, r.ip);
        list.SetCell(row, 1, r.name);
        ++row;
    }
}

bool SortListByColumn(CQKCommonDlg& dialog, ListSortToggles& toggles, platform::ListControl& list,
                      int column) {
    const int type = dialog.Type();
    if ((type == 1 || type == 19) && column == 0) {
        toggles.first = !toggles.first;
        SortAccessPointsBySsid(dialog.ShownAccessPoints(), toggles.first);
        FillAccessPointRows(list, dialog.ShownAccessPoints());
        return true;
    }
    if (type == 2 && column == 0) {
        toggles.first = !toggles.first;
        SortReceiversByIp(dialog.Receivers(), toggles.first);
        FillReceiverRows(list, dialog.Receivers());
        return true;
    }
    if (type == 2 && column == 1) {
        toggles.second = !toggles.second;
        SortReceiversByName(dialog.Receivers(), toggles.second);
        FillReceiverRows(list, dialog.Receivers());
        return true;
    }
    return false;
}

}  // namespace ui
