#include "logtool/brelvix_dialog.h"

#include "platform/controls/button.h"
#include "platform/controls/control_look.h"
#include "platform/controls/static_control.h"
#include "platform/draw/painter.h"

namespace logtool {
namespace {

using platform::Rect;

constexpr int kCaptionHeight = 30;
constexpr int kMargin = 16;
constexpr int kButtonWidth = 128;
constexpr int kButtonHeight = 28;
constexpr platform::ColorRef kCaption = platform::ColorRef::FromRgb(0x2B, 0x57, 0x97);
constexpr platform::ColorRef kErrorText = platform::ColorRef::FromRgb(0xB0, 0x10, 0x10);

constexpr Rect kInstructionRect =
    Rect::FromXywh(kMargin, kCaptionHeight + 12, CBrelvixDlg::kWidth - 2 * kMargin, 90);
constexpr int kButtonTop = kInstructionRect.bottom + 10;
constexpr Rect kStartAndLogRect = Rect::FromXywh(kMargin, kButtonTop, kButtonWidth, kButtonHeight);
constexpr Rect kStartAndMailRect =
    Rect::FromXywh(kMargin + kButtonWidth + 10, kButtonTop, kButtonWidth, kButtonHeight);
constexpr Rect kStopLoggingRect = Rect::FromXywh(CBrelvixDlg::kWidth - kMargin - kButtonWidth,
                                                 kButtonTop, kButtonWidth, kButtonHeight);
constexpr Rect kStatusRect =
    Rect::FromXywh(kMargin, kButtonTop + kButtonHeight + 10, CBrelvixDlg::kWidth - 2 * kMargin,
                   CBrelvixDlg::kHeight - (kButtonTop + kButtonHeight + 10) - 8);
constexpr Rect kCloseRect = Rect::FromXywh(CBrelvixDlg::kWidth - 28, 5, 22, 20);

}  // namespace

std::string WindowTitle(const std::string& appName) {
    return appName.empty() ? "Auto Log Tool" : appName + " Auto Log Tool";
}

std::string InstructionText(const std::string& product) {
    return "This tool will run " + product +
           " and log debugging message for engineering analysis. Please click \"Start and "
           "Log\" button to launch the client. The log folder will be opened when test "
           "completes." +
           " If the " + product +
           " client freezes during the test, restore the window of this tool and click \"Stop "
           "Logging\".";
}

CBrelvixDlg::CBrelvixDlg(platform::WindowManager& wm, LogSession& session, bool showMailButton)
    : m_wm(wm), m_session(session), m_showMailButton(showMailButton) {}

CBrelvixDlg::~CBrelvixDlg() {
    m_controls.reset();
    if (m_wm.IsAlive(m_window)) {
        m_wm.Destroy(m_window);
    }
}

bool CBrelvixDlg::Create() {
    const Rect work = m_wm.WorkArea();
    const Rect rect = Rect::FromXywh(work.left + (work.Width() - kWidth) / 2,
                                     work.top + (work.Height() - kHeight) / 2, kWidth, kHeight);
    platform::WindowOptions options = platform::DialogWindowOptions({}, rect, this);
    options.className = "Brelvix";
    m_window = m_wm.Create(options);
    if (!m_window) {
        return false;
    }
    m_back = platform::Surface::Create(kWidth, kHeight);
    m_controls = std::make_unique<platform::ControlSet>(m_wm, m_window);
    OnInitDialog();
    m_wm.Show(m_window, true);
    return true;
}

void CBrelvixDlg::OnInitDialog() {
    const ConfigResult read = m_session.ReadConfig();
    const LogConfig config = read.config.value_or(LogConfig{});
    m_title = WindowTitle(config.appName);
    m_wm.SetTitle(m_window, m_title);
    DrawFrame();

    using platform::Button;
    using platform::ControlOptions;
    using platform::Static;
    m_controls->Add(std::make_unique<Static>(),
                    ControlOptions{kIdcInstruction, kInstructionRect, true, true,
                                   InstructionText(config.appTempFolderName)});
    m_controls->Add(std::make_unique<Button>(),
                    ControlOptions{kIdcStartAndLog, kStartAndLogRect, true, true, "Start and Log"});
    m_controls->Add(std::make_unique<Button>(),
                    ControlOptions{kIdcStartAndMail, kStartAndMailRect, m_showMailButton, true,
                                   "Start and Mail"});
    m_controls->Add(std::make_unique<Button>(),
                    ControlOptions{kIdcStopLogging, kStopLoggingRect, true, false, "Stop Logging"});
    m_controls->Add(std::make_unique<Static>(),
                    ControlOptions{kIdcStatus, kStatusRect, true, true, ""});
    m_controls->Add(std::make_unique<Button>(),
                    ControlOptions{kIdcClose, kCloseRect, true, true, "\u00D7"});
    m_controls->SetColourCallback(
        [this](uint32_t id, platform::ControlKind) -> std::optional<platform::ControlColours> {
            if (id == kIdcStatus && m_statusError) {
                return platform::ControlColours{kErrorText, std::nullopt, platform::look::kFace};
            }
            return std::nullopt;
        });
    if (!read.config) {
        SetStatus(read.error, true);
    }
}

void CBrelvixDlg::DrawFrame() {
    platform::Painter painter(*m_back);
    painter.FillRect(Rect{0, 0, kWidth, kHeight}, platform::ToArgb(platform::look::kFace));
    painter.FillRect(Rect{0, 0, kWidth, kCaptionHeight}, platform::ToArgb(kCaption));
    platform::TextStyle style = platform::ControlFont{"DejaVu Sans", 10.0, 700}.Style(
        platform::TextAlign::kNear, platform::TextAlign::kCenter);
    style.singleLine = true;
    style.ellipsis = true;
    painter.DrawText(m_title, Rect{10, 0, kCloseRect.left - 6, kCaptionHeight}, style,
                     platform::Argb{0xFFFFFFFFu});
    painter.FrameRect(Rect{0, 0, kWidth, kHeight}, platform::ToArgb(kCaption));
}

std::string CBrelvixDlg::StatusText() const {
    const platform::Control* status = m_controls ? m_controls->Find(kIdcStatus) : nullptr;
    return status ? status->Text() : std::string();
}

void CBrelvixDlg::SetStatus(const std::string& text, bool error) {
    m_statusError = error;
    if (platform::Control* status = m_controls->Find(kIdcStatus)) {
        status->SetText(text);
    }
    m_wm.Invalidate(m_window, kStatusRect);
}

void CBrelvixDlg::SetWatching(bool watching) {
    m_controls->Find(kIdcStopLogging)->Enable(watching);
    m_controls->Find(kIdcStartAndLog)->Enable(!watching);
    m_controls->Find(kIdcStartAndMail)->Enable(!watching);
}

void CBrelvixDlg::StartClicked(FinishMode mode) {
    if (!m_session.Start(mode)) {
        SetStatus("Not started: " + m_session.Error(), true);
        return;
    }
    std::string status = "Watching " + m_session.ClientPath() + " (process " +
                         std::to_string(m_session.ClientPid()) + "); its log goes to " +
                         m_session.Paths().sdkLog + ".";
    if (!m_session.Notice().empty()) {
        status += "\n" + m_session.Notice();
    }
    SetStatus(status, false);
    SetWatching(true);
    m_wm.Minimize(m_window);
    m_wm.SetTimer(m_window, kWatchTimer, kWatchIntervalMs);
}

void CBrelvixDlg::OnBnClickedStopLogging() {
    m_session.StopClient();
}

void CBrelvixDlg::OnTimer(uint32_t timerId) {
    if (timerId != kWatchTimer || !m_session.ClientHasEnded()) {
        return;
    }
    m_wm.KillTimer(m_window, kWatchTimer);
    m_wm.Show(m_window, true);
    m_wm.Raise(m_window);
    SetWatching(false);
    // The result names the log folder or the log file whether or not it
    // could be opened.
    SetStatus(m_session.Finish().Text(), false);
}

void CBrelvixDlg::OnClose() {
    if (m_session.IsWatching()) {
        m_wm.KillTimer(m_window, kWatchTimer);
        m_session.Finish();
    }
    m_wm.Destroy(m_window);
    m_wm.PostQuit(0);
}

int64_t CBrelvixDlg::OnMessage(platform::WindowId self, const platform::Message& msg) {
    (void)self;
    using platform::MessageKind;
    switch (msg.kind) {
        case MessageKind::kPaint:
            if (m_controls && m_back) {
                m_controls->Present(*m_back, msg.rect);
            }
            return 0;
        case MessageKind::kTimer:
            OnTimer(msg.code);
            return 0;
        case MessageKind::kClose:
            OnClose();
            return 0;
        case MessageKind::kCommand:
            switch (msg.code) {
                case kIdcStartAndLog:
                    OnBnClickedStartAndLog();
                    return 0;
                case kIdcStartAndMail:
                    OnBnClickedStartAndMail();
                    return 0;
                case kIdcStopLogging:
                    OnBnClickedStopLogging();
                    return 0;
                case kIdcClose:
                    OnClose();
                    return 0;
                default:
                    return 0;  // Enter answers nothing here
            }
        default:
            return kDefault;
    }
}

}  // namespace logtool
