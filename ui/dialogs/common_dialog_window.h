// CommonDialogWindow: the window of one running CQKCommonDlg, from the start
// of RunModal to its end.
//
// It makes the top-level window of class "PEMU_COMMON" (title, size, place,
// stacking and taskbar by type), the 614 x 400 back buffer (once), the
// standard controls of template 146 (hidden until the layout table places
// them) and the skinned widgets of the type's table; it is the widgets'
// WidgetHost and their dispatcher (OnItemClicked), draws them into the back
// buffer, copies it to the screen, and carries out timers, keys, dragging
// and clicks. Page work goes to the environment's PageOperations; further
// dialogs open through its DialogRunner.
//
// Ownership: owned by its CQKCommonDlg; owns its widgets, controls, shadow,
// scan and self-check worker (joined on destruction).
// THREADING: user-interface thread only, except PostClientEvent.
#pragma once

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "app/res/translator.h"

#include "platform/controls/control_set.h"
#include "platform/draw/surface.h"
#include "platform/window/window_handler.h"
#include "platform/window/window_id.h"
#include "ui/dialogs/access_point_scan.h"
#include "ui/dialogs/list_sorting.h"
#include "ui/widgets/qkin.h"
#include "ui/widgets/widget_host.h"

namespace platform {
class ImageList;
class WindowManager;
}  // namespace platform

namespace ui {

class CQKCommonDlg;
class CWndShadow;
class CQKButton;

// Timer ids of the common dialog.
inline constexpr uint32_t kTimerDockClose = 177;       // type 17: close after 2 s
inline constexpr uint32_t kTimerSelectionReset = 175;  // page code: rebuild the connect page
inline constexpr uint32_t kTimerSearch = 250;          // type 28: receiver search step
inline constexpr uint32_t kTimerDots = 252;            // type 28: progress dots
inline constexpr uint32_t kTimerPromptFocus = 264;     // types 6, 32: focus to edit 1005
inline constexpr uint32_t kTimerLanguageMenu = 266;    // type 39: close when left
inline constexpr uint32_t kTimerCancel = 215;          // page code: cancel
inline constexpr uint32_t kTimerFixedProfile = 210;    // page code: remove a fixed Wi-Fi profile

// Commands the dialog window takes.
inline constexpr uint32_t kCommandCheckResult = 1035;      // param: 0, 1 or 2
inline constexpr uint32_t kCommandLanguageChosen = 10392;  // the language menu's choice
// A receiver client's event as the client adapter posts it to the window
// registered as its target: one kUser message, code kClientEventMessage,
// param the event, param2 its argument (the adapter's ClientEvent values).
inline constexpr uint32_t kClientEventMessage = 0x5E01;
// The event of a lost connection (ClientEvent::kOnConnectClose).
inline constexpr int64_t kClientEventConnectClose = 5;

class CommonDialogWindow final : public platform::WindowHandler,
                                 public WidgetHost,
                                 public CommonDialogSide {
public:
    explicit CommonDialogWindow(CQKCommonDlg& dialog);
    ~CommonDialogWindow() override;
    CommonDialogWindow(const CommonDialogWindow&) = delete;
    CommonDialogWindow& operator=(const CommonDialogWindow&) = delete;

    // Makes the window (as the dialog initialises) and runs its modal loop;
    // returns kIdOk, kIdCancel or platform::kModalAborted.
    int Run();
    // The initialisation alone (tests drive the window without a loop):
    // window, back buffer, controls, elements, placement, timers. False
    // when no window manager runs or the window cannot be made.
    bool Create();
    // Ends the dialog with `result` (kIdOk or kIdCancel).
    void EndDialog(int result);
    bool Ended() const { return m_ended.has_value(); }
    // Arms timer 210: the fixed Wi-Fi profile of the dialog's
    // FixedProfileSsid is removed after 1 s, or when the window goes away
    // before then (an ended page does not wait for its timer).
    void ArmFixedProfileRemoval();
    bool FixedProfileRemovalDue() const { return m_fixedProfileDue; }
    std::optional<int> EndResult() const { return m_ended; }

    // Posts a receiver client's event to the dialog's window; it is handled
    // on the user-interface thread. Any thread; false when the window is gone.
    bool PostClientEvent(uint32_t code, int64_t param);

    // --- Page and test access ---------------------------------------------
    CQKCommonDlg& Dialog() { return m_dialog; }
    const std::vector<WidgetPtr<>>& Widgets() const { return m_widgets; }
    CQKin* FindWidget(uint32_t controlId) const;
    platform::Control* FindControl(uint32_t controlId) const;
    // 0 none, 1 confirmed by a message OK, 2 closed by an exit or cancel.
    int ResultCode() const { return m_resultCode; }
    bool DontAskAgain() const { return m_dontAsk; }
    int DotStep() const { return m_dotStep; }
    // Draws every widget into the back buffer in creation order, with the
    // elements' own additions (outlines, frames, the volume bar's width).
    // A caption that does not fit its box is drawn smaller first
    // (common_caption_fit.h).
    void DrawElements();
    // Shows the texts again in the language now chosen: the window title,
    // the captions and tooltips of the skinned widgets (those the page code
    // has not changed), the template controls' captions and list 1009's
    // headers. Runs by itself on every change of language while the window
    // lives.
    void RereadTexts();
    // Runs the access-point scan of the refresh button.
    bool ScanAccessPoints();
    AccessPointScan& Scan() { return m_scan; }

    // --- WidgetHost -----------------------------------------------------------
    platform::WindowId Window() const override { return m_window; }
    platform::Surface* BackBuffer() override { return m_back.get(); }
    platform::ControlSet* Controls() override { return m_controls.get(); }
    SkinImages* Skin() override;
    CommonDialogSide* AsCommonDialog() override { return this; }
    std::string TranslateText(std::string_view english) override;

    // --- CommonDialogSide -----------------------------------------------------
    void OnItemClicked(CQKin& widget, uint32_t flags) override;
    int VolumeValue() const override;
    void SetVolumeValue(int value) override;
    void DrawVolumeSlider() override;

    // --- WindowHandler --------------------------------------------------------
    int64_t OnMessage(platform::WindowId self, const platform::Message& msg) override;
    bool PreTranslate(platform::WindowId self, const platform::Message& msg) override;

private:
    void OnShowWindow();
    void OnTimer(uint32_t id);
    void OnCommand(uint32_t id, int64_t code, int64_t param2);
    bool OnKeyDown(const platform::Message& msg);
    void OnEnter();
    void OnClick(CQKin& widget);
    void OnPointerEvent(CQKin& widget, uint32_t flags);
    void KeyCheckThenOk();
    void StoreTypedPassword();
    void StoreQuickConnect();
    // The selected row of list 1009 (-1: none) ends the dialog with OK;
    // false when none is selected. The profile variant also takes that
    // profile over as the current one.
    bool SelectedRowOk();
    bool TakeSelectedProfileOk();
    int SelectedListRow() const;
    void CloseShadow();
    void Beep();
    void ShowBox(int type, const std::string& title, const std::string& text);
    void RunLanguageMenu();
    void StartSelfCheck();
    void AdvanceDots();
    std::string ControlText(uint32_t id) const;
    void RemoveSeparatorFromEdit(uint32_t id);
    void DeleteFixedProfile();
    void FitCaption(CQKin& widget);

    CQKCommonDlg& m_dialog;
    platform::WindowManager* m_wm = nullptr;
    platform::WindowId m_window;
    std::unique_ptr<platform::Surface> m_back;
    std::unique_ptr<platform::ControlSet> m_controls;
    std::vector<WidgetPtr<>> m_widgets;
    std::unique_ptr<CWndShadow> m_shadow;
    std::optional<int> m_ended;
    int m_resultCode = 0;
    bool m_dontAsk = false;
    bool m_hasSelection = false;
    int m_dotStep = 0;
    bool m_fixedProfileDue = false;
    bool m_volumeDisabled = false;
    // Dragging: the press point while this dialog holds the capture.
    std::optional<platform::Point> m_dragAnchor;
    // Keeps refresh and scan from re-entering through pumped messages.
    bool m_busy = false;
    AccessPointScan m_scan;
    ListSortToggles m_sort;
    std::thread m_selfCheck;
    // List 1009's row pictures; outlives the controls (destroyed after them).
    std::unique_ptr<platform::ImageList> m_listImages;
    // The caption each widget was built with: a widget whose caption still
    // equals it shows the table's text, which a new language re-reads.
    std::unordered_map<const CQKin*, std::string> m_builtCaptions;
    // What each caption was last fitted for, and the size its style gives.
    struct FittedCaption {
        std::string caption;
        platform::Rect box;
        int styleSize = 0;
    };
    std::unordered_map<const CQKin*, FittedCaption> m_fitted;
    appres::Translator::Subscription m_languageWatch;
};

}  // namespace ui
