// The access-point chooser's slow steps off the user-interface thread: the
// listing of the visible access points and the probe of the chosen one run
// on the calling page's scan worker (AccessPointScan::RunJob) while its
// loop keeps running, so the page paints and its timers fire meanwhile.
//
// A quit during either wait ends it at once: nothing is stored, the loops
// unwind, and the page's window joins the worker when it goes.
// THREADING: user-interface thread; the provider and the probe run on the
// worker and must not touch windows.
#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "platform/wifi_provider.h"
#include "ui/dialogs/settings_pages.h"

namespace ui {

enum class ChooserWait {
    kDone,         // finished; its result is filled
    kUnavailable,  // no provider, no running page to wait in, or a wait already running
    kQuit,         // a quit ended the wait
};

// Lists the access points through `provider` into `points`. kUnavailable
// also when the provider reports a failed listing.
ChooserWait ListAccessPointsOnWorker(CQKCommonDlg& page, platform::WifiProvider* provider,
                                     std::vector<platform::WifiAccessPoint>& points);

// Probes `chosen` through `probe` into `result` (left as it is unless kDone).
ChooserWait ProbeAccessPointOnWorker(
    CQKCommonDlg& page, const std::function<AccessPointProbe(const AccessPointInfo&)>& probe,
    const AccessPointInfo& chosen, AccessPointProbe& result);

}  // namespace ui
