#include "ui/dialogs/chooser_worker.h"

#include <memory>

#include "ui/dialogs/common_dialog_window.h"

namespace ui {
namespace {

// Runs `job` on the page's worker; kDone only when it ran to its end.
ChooserWait RunOnPageWorker(CQKCommonDlg& page, std::function<void()> job) {
    CommonDialogWindow* w = page.RunningWindow();
    if (!w) {
        return ChooserWait::kUnavailable;
    }
    switch (w->Scan().RunJob(std::move(job), w->Window())) {
        case AccessPointScan::Wait::kDone:
            return ChooserWait::kDone;
        case AccessPointScan::Wait::kQuit:
            return ChooserWait::kQuit;
        case AccessPointScan::Wait::kBusy:
        case AccessPointScan::Wait::kNoLoop:
            break;
    }
    return ChooserWait::kUnavailable;
}

}  // namespace

ChooserWait ListAccessPointsOnWorker(CQKCommonDlg& page, platform::WifiProvider* provider,
                                     std::vector<platform::WifiAccessPoint>& points) {
    if (!provider) {
        return ChooserWait::kUnavailable;
    }
    // The worker's own result: after a quit nobody reads it, the worker
    // still may write it.
    struct Listing {
        std::vector<platform::WifiAccessPoint> points;
        bool listed = false;
    };
    auto listing = std::make_shared<Listing>();
    const ChooserWait wait = RunOnPageWorker(page, [provider, listing] {
        listing->listed = provider->ListAccessPoints(listing->points);
    });
    if (wait != ChooserWait::kDone) {
        return wait;
    }
    if (!listing->listed) {
        return ChooserWait::kUnavailable;
    }
    points = std::move(listing->points);
    return ChooserWait::kDone;
}

ChooserWait ProbeAccessPointOnWorker(
    CQKCommonDlg& page, const std::function<AccessPointProbe(const AccessPointInfo&)>& probe,
    const AccessPointInfo& chosen, AccessPointProbe& result) {
    if (!probe) {
        result = AccessPointProbe{};
        return ChooserWait::kDone;
    }
    auto probed = std::make_shared<AccessPointProbe>();
    const ChooserWait wait =
        RunOnPageWorker(page, [probe, chosen, probed] { *probed = probe(chosen); });
    if (wait == ChooserWait::kDone) {
        result = *probed;
    }
    return wait;
}

}  // namespace ui
