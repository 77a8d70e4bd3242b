#include "ui/dialogs/access_point_scan.h"

#include "platform/controls/list_control.h"
#include "platform/window/window_manager.h"
#include "ui/dialogs/common_element_builder.h"
#include "ui/dialogs/cqk_common_dlg.h"

namespace ui {
namespace {

bool Listed(const CQKCommonDlg& dialog, const std::string& ssid, bool filtered) {
    if (ssid.empty() || ssid == dialog.NeverListedName()) {
        return false;
    }
    if (!filtered) {
        return true;
    }
    for (const std::string& prefix : dialog.ApFilterPrefixes()) {
        if (ssid.starts_with(prefix)) {
            return true;
        }
    }
    return false;
}

}  // namespace

int RefillAccessPointList(CQKCommonDlg& dialog, platform::ListControl* list, bool filtered) {
    std::vector<AccessPointInfo>& shown = dialog.ShownAccessPoints();
    shown.clear();
    if (list) {
        list->DeleteAllRows();
    }
    // The filter's prefixes are never empty (SetApFilter drops them), so an
    // empty filter text can never let every SSID through.
    for (const AccessPointInfo& ap : dialog.AllAccessPoints()) {
        if (!Listed(dialog, ap.ssid, filtered)) {
            continue;
        }
        shown.push_back(ap);
        if (list) {
            list->InsertRow(list->RowCount(), ap.ssid,
                            AccessPointImageIndex(ap.signal, ap.authentication));
        }
    }
    return static_cast<int>(shown.size());
}

AccessPointScan::~AccessPointScan() {
    Join();
}

void AccessPointScan::Join() {
    if (m_worker.joinable()) {
        m_worker.join();
    }
}

bool AccessPointScan::Run(CQKCommonDlg& dialog, platform::WifiProvider* provider,
                          platform::ListControl* list, platform::WindowId wakeWindow) {
    platform::WindowManager* wm = platform::WindowManager::Current();
    if (m_busy || !provider || !wm) {
        return false;
    }
    m_busy = true;
    Join();  // a worker left from an earlier scan has finished by now
    auto result = std::make_shared<Result>();
    m_worker = std::thread([provider, result, wakeWindow] {
        std::vector<platform::WifiAccessPoint> points;
        provider->ListAccessPoints(points);
        result->points = std::move(points);
        result->done.store(true, std::memory_order_release);
        platform::WindowManager* manager = platform::WindowManager::Current();
        if (manager) {
            manager->Post(wakeWindow, platform::Message::User(kScanDoneMessage));
        }
    });
    wm->SetOverrideCursor(platform::CursorShape::kWait);
    const bool finished =
        wm->RunUntil([&result] { return result->done.load(std::memory_order_acquire); });
    wm->SetOverrideCursor(std::nullopt);
    if (!finished) {
        // A quit: the loops unwind; the worker is joined when this object goes.
        return false;
    }
    Join();
    m_busy = false;
    std::vector<AccessPointInfo>& all = dialog.AllAccessPoints();
    all.clear();
    for (const platform::WifiAccessPoint& p : result->points) {
        all.push_back(AccessPointInfo{p.ssid, p.bssid, p.signal, p.authentication});
    }
    RefillAccessPointList(dialog, list, dialog.ApFilterOn());
    return true;
}

}  // namespace ui
