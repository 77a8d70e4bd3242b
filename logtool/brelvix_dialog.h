// The log tool's window: CBrelvixDlg.
//
// A small dialog with the instruction text (1008), "Start and Log" (1005),
// "Start and Mail" (1006, hidden unless asked for), "Stop Logging" (1007,
// disabled until a client runs) and a status line (1009) that shows what
// happened: errors, the watched client, the result of a collection. The
// window layer's top-levels have no frame of their own, so the dialog
// draws its title in a caption strip with a close button (2) beside it.
//
//   Idle --Start--> Watching (minimised, timer 1 every 3000 ms)
//        --the client has ended--> Finishing (system log, folder or mail)
//        --> Idle (restored)
//
// A start that fails (Log.ini, the settings file, the client's start)
// leaves the dialog idle and on screen with the reason in the status line.
// "Stop Logging" only stops the client; the timer then finishes as always.
// Closing the window while watching stops the client and finishes before
// the window goes; then the message loop is asked to quit.
//
// Ownership: the dialog borrows the window manager and the session; both
// must outlive it. It owns its window and controls.
// THREADING: user-interface thread only.
#pragma once

#include <memory>
#include <string>

#include "logtool/log_session.h"
#include "platform/controls/control_set.h"
#include "platform/draw/surface.h"
#include "platform/window/window_handler.h"
#include "platform/window/window_manager.h"

namespace logtool {

inline constexpr uint32_t kIdcStartAndLog = 1005;
inline constexpr uint32_t kIdcStartAndMail = 1006;
inline constexpr uint32_t kIdcStopLogging = 1007;
inline constexpr uint32_t kIdcInstruction = 1008;
inline constexpr uint32_t kIdcStatus = 1009;
inline constexpr uint32_t kIdcClose = platform::kCommandCancel;
inline constexpr uint32_t kWatchTimer = 1;

// "<AppName> Auto Log Tool".
std::string WindowTitle(const std::string& appName);
// The instruction text of control 1008 for the product word `product`.
std::string InstructionText(const std::string& product);

class CBrelvixDlg final : public platform::WindowHandler {
public:
    static constexpr int kWidth = 470;
    static constexpr int kHeight = 290;

    CBrelvixDlg(platform::WindowManager& wm, LogSession& session, bool showMailButton);
    ~CBrelvixDlg() override;
    CBrelvixDlg(const CBrelvixDlg&) = delete;
    CBrelvixDlg& operator=(const CBrelvixDlg&) = delete;

    // Makes the window in the middle of the work area, its controls and
    // texts (OnInitDialog), and shows it. False when the display refused it.
    bool Create();

    platform::WindowId Window() const { return m_window; }
    const platform::ControlSet& Controls() const { return *m_controls; }
    std::string StatusText() const;
    bool StatusIsError() const { return m_statusError; }

    void OnBnClickedStartAndLog() { StartClicked(FinishMode::kOpenFolder); }
    void OnBnClickedStartAndMail() { StartClicked(FinishMode::kMail); }
    void OnBnClickedStopLogging();
    void OnTimer(uint32_t timerId);

    int64_t OnMessage(platform::WindowId self, const platform::Message& msg) override;

private:
    void OnInitDialog();
    void StartClicked(FinishMode mode);
    void SetWatching(bool watching);
    void SetStatus(const std::string& text, bool error);
    void OnClose();
    void DrawFrame();

    platform::WindowManager& m_wm;
    LogSession& m_session;
    bool m_showMailButton;
    platform::WindowId m_window;
    std::unique_ptr<platform::ControlSet> m_controls;
    std::unique_ptr<platform::Surface> m_back;
    std::string m_title;
    bool m_statusError = false;
};

}  // namespace logtool
