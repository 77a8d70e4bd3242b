// UsbSharing: the main window's side of sharing this PC's USB devices with
// the connected receiver through Porvane's CClientDeviceControl: the
// "EnableZAMP" setting and its command (2054), the attach and detach flows,
// Porvane's report callback and the status check other flows use.
//
// Porvane calls back on its own threads, with no context: a process-wide
// hook notes the loss (codes 1 and 7), posts command 10377 once and returns
// at once, so no Porvane thread ever waits in a dialog. The disconnected
// notice shows on the user-interface thread when the window stops sharing.
// The attach and detach run on a worker while the user-interface thread
// keeps dispatching messages; a second flow waits for the first. Boxes
// are shown only on the user-interface thread.
//
// While a flow runs, a please-wait notice (a common dialog of type 26,
// "Info") is open; the worker's end posts command 10398 to the window,
// whose handler closes that notice by its window id (never a window found
// by its title). After an attach, the device installations are waited for
// with a bounded `udevadm settle` (skipped when udevadm is not installed).
// Before the attach a receiver whose device status is set gets the full
// screen (the attach flow starts that projection itself).
//
// "Driver installed" means the vhci-hcd bus is there (its sysfs folder).
//
// THREADING: user-interface thread, except the callback.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

class CClientDeviceControl;

namespace ui {
class CQKCommonDlg;
}

namespace pemuapp {

class FeatureHost;

inline constexpr uint32_t kCmdEnableUsbSharing = 2054;
inline constexpr uint32_t kCmdStopAllUsbDevices = 10377;
// A flow's worker ended: its please-wait notice closes.
inline constexpr uint32_t kCmdCloseUsbNotice = 10398;
inline constexpr const char* kVhciFolder = "/sys/devices/platform/vhci_hcd.0";
// "USB sharing needs the vhci-hcd kernel module..."
inline constexpr uint32_t kStringNeedsVhci = 65446;

struct UsbSharingConfig {
    std::string vhciFolder = kVhciFolder;
    int pollPauseMs = 500;  // between two CanDeviceAttach calls
    int maxPolls = 60;      // at most about 30 s
    int positivesNeeded = 5;
    // udevadm, which waits for the device installations (empty: looked
    // for in the system's program folders; a path that is not an
    // executable: none).
    std::string udevadm;
    int settleSeconds = 40;        // udevadm's own bound
    int settleGraceMs = 5000;      // ours: that much more
    int driverCheckDelayMs = 500;  // before the wait starts
};

// Whether a sharing status lets the caller go on (`busy`: the caller's own
// flag, which always stops it).
bool UsbStatusAllowsGoingOn(int status, bool busy);

class UsbSharing {
public:
    // `control` is borrowed (null: no sharing object, every check passes).
    UsbSharing(FeatureHost& host, CClientDeviceControl* control, UsbSharingConfig config = {});
    // Waits for a running flow; the hook no longer reaches this object.
    ~UsbSharing();
    UsbSharing(const UsbSharing&) = delete;
    UsbSharing& operator=(const UsbSharing&) = delete;

    // Porvane's callback (Init's CallBackMsgFuntion). Returns 0 at once.
    static int ZAMPMsgCallBack(char* text, int code);

    // Command 2054: toggles the setting; starts or stops sharing with the
    // connected receiver.
    void OnEnableZAMP();
    // Attaches the receiver's devices (the receiver at `ip`); false when
    // that failed (the box has been shown and everything detached).
    bool StartSharing(const std::string& ip);
    // Shows the disconnected notice when a loss was reported, then detaches.
    void StopSharing();
    // Sharing runs, or a reported loss still waits for its notice.
    bool IsSharingOn() const { return m_active || m_noticePending; }
    bool CheckZAMPStatus(bool busy);
    bool CheckZAMPDriverFolder();
    bool Enabled() const { return m_enabled; }
    bool Stopped() const { return m_stopped; }
    // The attach flow runs (a projection start meanwhile is its own).
    bool AttachRunning() const { return m_attaching; }
    // Set when the attach flow started the full-screen projection.
    bool FullScreenStarted() const { return m_fullScreen; }
    // Command 10398: closes the open please-wait notice when its flow's
    // worker has ended; false when there was none to close.
    bool OnCloseNotice();

private:
    void OnReport(int code);
    enum class ConnectResult { kInitFailed, kFailed, kAttached };
    // Init, the polls, the bind and the attach (on the worker).
    ConnectResult ConnectZAMP(const std::string& ip);
    int DoUnBind();
    // Runs `work` on a worker while the user-interface thread dispatches;
    // with a text id, inside the please-wait notice of that text.
    void RunAndPump(const std::function<void()>& work, uint32_t noticeTextId = 0);
    // The full screen for a receiver whose device status asks for it.
    void StartFullScreenIfWanted();
    // `udevadm settle`, bounded; false when it could not run.
    bool WaitForDeviceInstalls(const std::string& udevadm);
    std::string FindUdevadm() const;
    bool ReceiverConnected(std::string* ip);

    FeatureHost& m_host;
    CClientDeviceControl* m_control;
    UsbSharingConfig m_config;
    bool m_enabled = true;
    bool m_flowRunning = false;
    bool m_stopWanted = false;  // a stop arrived while a flow ran
    bool m_fullScreen = false;
    std::atomic<bool> m_attaching{false};
    // The open notice and whether its worker has ended (user-interface
    // thread only).
    ui::CQKCommonDlg* m_notice = nullptr;
    const std::atomic<bool>* m_noticeWorkDone = nullptr;
    std::atomic<bool> m_active{false};
    std::atomic<bool> m_stopped{false};
    std::atomic<bool> m_noticePending{false};
};

}  // namespace pemuapp
