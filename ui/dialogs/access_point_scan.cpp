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

AccessPointScan::Wait AccessPointScan::RunJob(std::function<void()> job,
                                              platform::WindowId wakeWindow) {
    platform::WindowManager* wm = platform::WindowManager::Current();
    if (m_busy) {
        return Wait::kBusy;
    }
    if (!wm || !wm->IsAlive(wakeWindow)) {
        return Wait::kNoLoop;
    }
    m_busy = true;
    Join();  // a worker left from an earlier job has finished by now
    auto done = std::make_shared<std::atomic<bool>>(false);
    m_worker = std::thread([job = std::move(job), done, wakeWindow] {
        job();
        done->store(true, std::memory_order_release);
        if (platform::WindowManager* manager = platform::WindowManager::Current()) {
            manager->Post(wakeWindow, platform::Message::User(kScanDoneMessage));
        }
    });
    wm->SetOverrideCursor(platform::CursorShape::kWait);
    const bool finished = wm->RunUntil([&done] { return done->load(std::memory_order_acquire); });
    wm->SetOverrideCursor(std::nullopt);
    if (!finished) {
        // A quit: the loops unwind; the worker is joined when this object goes.
        return Wait::kQuit;
    }
    Join();
    m_busy = false;
    return Wait::kDone;
}

bool AccessPointScan::Run(CQKCommonDlg& dialog, platform::WifiProvider* provider,
                          platform::ListControl* list, platform::WindowId wakeWindow) {
    if (!provider) {
        return false;
    }
    auto points = std::make_shared<std::vector<platform::WifiAccessPoint>>();
    const Wait wait =
        RunJob([provider, points] { provider->ListAccessPoints(*points); }, wakeWindow);
    if (wait != Wait::kDone) {
        return false;
    }
    std::vector<AccessPointInfo>& all = dialog.AllAccessPoints();
    all.clear();
    for (const platform::WifiAccessPoint& p : *points) {
        all.push_back(AccessPointInfo{p.ssid, p.bssid, p.signal, p.authentication});
    }
    RefillAccessPointList(dialog, list, dialog.ApFilterOn());
    return true;
}

}  // namespace ui
