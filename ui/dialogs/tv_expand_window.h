// TvExpandWindow: the window of one running CTVExpandDlg: template 199's
// standard controls placed, the two sliders and their three-digit edits
// kept in step, "Apply" ending with the slider positions.
// THREADING: user-interface thread only.
#pragma once

#include <memory>
#include <optional>

#include "app/res/translator.h"
#include "platform/controls/control_set.h"
#include "platform/window/window_handler.h"
#include "platform/window/window_id.h"

namespace platform {
class WindowManager;
class Trackbar;
class Edit;
}  // namespace platform

namespace ui {

class CTVExpandDlg;

// Control ids of the screen-offset dialog.
inline constexpr uint32_t kTvHorizontalSlider = 181;
inline constexpr uint32_t kTvVerticalSlider = 182;
inline constexpr uint32_t kTvVerticalEdit = 1004;
inline constexpr uint32_t kTvHorizontalEdit = 1005;

class TvExpandWindow final : public platform::WindowHandler {
public:
    explicit TvExpandWindow(CTVExpandDlg& dialog) : m_dialog(dialog) {}
    ~TvExpandWindow() override;
    TvExpandWindow(const TvExpandWindow&) = delete;
    TvExpandWindow& operator=(const TvExpandWindow&) = delete;

    // Makes and initialises the window (hidden); false without a window
    // manager on this thread or when the window cannot be made.
    bool Create();
    // Create, then the modal loop; kIdOk after Apply, else kIdCancel (or
    // platform::kModalAborted).
    int Run();

    platform::WindowId Window() const { return m_window; }
    platform::ControlSet* Controls() { return m_controls.get(); }
    platform::Trackbar* HorizontalSlider() const;
    platform::Trackbar* VerticalSlider() const;
    platform::Edit* HorizontalEdit() const;
    platform::Edit* VerticalEdit() const;

    int64_t OnMessage(platform::WindowId self, const platform::Message& msg) override;

    // Shows the title, labels and buttons in the language now chosen; runs
    // by itself on every change of language while the window lives.
    void RereadTexts();

private:
    void OnHorizontalEdit();
    void OnVerticalEdit();
    void OnApply();
    // The edit's number: leading digits, 0 when there are none, at most the
    // maximum (the edit then shows the maximum).
    int ReadEdit(platform::Edit& edit);

    CTVExpandDlg& m_dialog;
    platform::WindowManager* m_wm = nullptr;
    platform::WindowId m_window;
    std::unique_ptr<platform::ControlSet> m_controls;
    std::optional<int> m_result;
    appres::Translator::Subscription m_languageWatch;
};

}  // namespace ui
