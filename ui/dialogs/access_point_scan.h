// The access-point pages' list: one scan of the visible access points on a
// worker thread while the user-interface loop keeps running, and the refill
// of list 1009 from its result. The chooser's listing and its probe of the
// chosen access point run on the same worker (RunJob).
//
// The worker fills a result of its own and says "done" by a flag and a
// posted message that wakes the loop; the user-interface thread copies the
// result into the dialog only after the wait. A quit during the scan ends
// the wait (and every loop around it) without a refill; the worker is
// joined when the scan object goes, never killed.
// THREADING: Run, Busy and the destructor on the user-interface thread.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "platform/wifi_provider.h"
#include "platform/window/window_id.h"

namespace platform {
class ListControl;
}

namespace ui {

class CQKCommonDlg;

// The message code the worker posts to wake the dialog's loop.
inline constexpr uint32_t kScanDoneMessage = 0x5CA1;

// Rebuilds `list` (may be null) and the dialog's shown access points from
// all access points: never an empty SSID nor the never-listed name, and
// with `filtered` only those beginning with one of the filter's prefixes.
// Returns the number shown.
int RefillAccessPointList(CQKCommonDlg& dialog, platform::ListControl* list, bool filtered);

class AccessPointScan {
public:
    AccessPointScan() = default;
    // Joins a worker still running (after a quit ended the wait).
    ~AccessPointScan();
    AccessPointScan(const AccessPointScan&) = delete;
    AccessPointScan& operator=(const AccessPointScan&) = delete;

    // Lists the access points through `provider` on a worker while the loop
    // runs (messages of `wakeWindow` included), then stores them in the
    // dialog and refills `list` (filtered when the dialog has a filter).
    // False, with nothing changed, when a scan is running already (a pumped
    // second click), when there is no provider or worker, or when a quit
    // ended the wait.
    bool Run(CQKCommonDlg& dialog, platform::WifiProvider* provider, platform::ListControl* list,
             platform::WindowId wakeWindow);
    bool Busy() const { return m_busy; }

    enum class Wait {
        kDone,    // the job has run
        kQuit,    // a quit ended the wait; the job may still be running
        kBusy,    // a job was running already: this one did not start
        kNoLoop,  // no window manager, or `wakeWindow` is gone
    };
    // Runs `job` on the worker while the loop runs (messages of
    // `wakeWindow` included) and waits for it. The job must keep what it
    // writes in state it owns: after kQuit nobody waits for it.
    Wait RunJob(std::function<void()> job, platform::WindowId wakeWindow);

private:
    void Join();

    bool m_busy = false;
    std::thread m_worker;
};

}  // namespace ui
