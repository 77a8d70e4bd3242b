// WidgetHost: what a skinned widget needs of the dialog it lives in.
//
// Every skinned widget (CQKin) is given its host by its creator
// (CQKin::SetOwner). Through it a widget finds
// - the dialog's window (the parent window of top-level widgets);
// - the back buffer it draws into (null: nothing is drawn);
// - the three copies of the back buffer to the screen, which go through the
//   dialog's ControlSet so that a widget's copy never wipes a standard
//   control lying over it;
// - the skin's images and the texts' translation;
// - the dialog's dispatcher (Dispatch): the main dialog's DoEvent or the
//   common dialog's OnItemClicked;
// - one kind of dialog's own members: AsMainDialog() for the main dialog's
//   (volume value, locks, choice flags, login code, slider hooks, its list),
//   AsCommonDialog() for the common dialog's. A host answers at most one.
//   Events that only the main dialog takes (a text click, hover of the
//   device-name text, the list's pass-through codes, the login-key and
//   full-screen presses, the menu tiles) reach nothing in another host.
//
// Implemented by the main dialog and the common dialog; tests use fakes.
// Ownership: the host outlives every widget it is given to (the dialog owns
// its widgets).
// THREADING: user-interface thread only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/draw/geometry.h"
#include "platform/draw/surface.h"
#include "platform/window/window_id.h"

namespace platform {
class ControlSet;
}

namespace ui {

class CQKin;
class CQKListView;
class SkinImages;

// The main dialog's side: its dispatcher and the members its widgets read
// and write.
class MainDialogSide {
public:
    // The main dialog's widget-event dispatcher; `widget` sent `flags`.
    virtual void DoEvent(CQKin& widget, uint32_t flags) = 0;

    // The volume value the volume knob sets (0..48).
    virtual int VolumeValue() const = 0;
    virtual void SetVolumeValue(int value) = 0;
    // While set, the four main-menu tiles ignore hover and moves.
    virtual bool IsMenuLocked() const = 0;
    // While set, the speed switch ignores presses.
    virtual bool IsSpeedSwitchLocked() const = 0;
    // Which button of the pairs 30155/30156 and 30157/30158 is drawn blue (0 or 1).
    virtual uint8_t FirstChoice() const = 0;
    virtual uint8_t SecondChoice() const = 0;
    // The login code the user set (compared with the default code).
    virtual std::string CurrentLoginCode() const = 0;
    // The main dialog's receiver list, or null.
    virtual CQKListView* ListView() = 0;

    // Slider hooks: re-lay the volume and media-position sliders (the volume
    // knob calls it with mode 1 while dragged); stop the media-position timer
    // 168; a media-position knob moved to `position`; draw the speed switch
    // at `position` (0..21); seek the playing file to `position`.
    virtual void LayoutVolumeSlider(int mode) = 0;
    virtual void KillMediaPositionTimer() = 0;
    virtual void OnMediaPositionMoved(int position) = 0;
    virtual void DrawSpeedyImage(int position) = 0;
    virtual void SeekMediaFile(int position) = 0;

protected:
    ~MainDialogSide() = default;
};

// The common dialog's side.
class CommonDialogSide {
public:
    // The common dialog's click dispatcher.
    virtual void OnItemClicked(CQKin& widget, uint32_t flags) = 0;
    // The volume page's value (0..157) and its slider.
    virtual int VolumeValue() const = 0;
    virtual void SetVolumeValue(int value) = 0;
    virtual void DrawVolumeSlider() = 0;

protected:
    ~CommonDialogSide() = default;
};

class WidgetHost {
public:
    virtual ~WidgetHost() = default;

    // The dialog's window.
    virtual platform::WindowId Window() const = 0;
    // The back buffer, in the dialog's client coordinates; null: none yet.
    virtual platform::Surface* BackBuffer() = 0;
    // The dialog's standard controls; null when it has none (copies then go
    // to the window directly).
    virtual platform::ControlSet* Controls() = 0;
    // The skin's images; null: widgets show no pictures.
    virtual SkinImages* Skin() = 0;

    virtual MainDialogSide* AsMainDialog() { return nullptr; }
    virtual CommonDialogSide* AsCommonDialog() { return nullptr; }

    // An English caption in the user's language (default: unchanged). Never
    // called with an empty text.
    virtual std::string TranslateText(std::string_view english) { return std::string(english); }
    // String-table text `id`, translated; empty for an unknown id.
    std::string LoadTranslatedString(uint32_t id);

    // Copies of the back buffer to the screen: the widget's rectangle as it
    // stands (its parent's coordinates, which are the dialog's for a
    // top-level widget); a rectangle of the widget's size at (x, y); the
    // whole client area.
    virtual void BlitWidgetRect(const CQKin& widget);
    virtual void BlitWidgetAt(const CQKin& widget, int x, int y);
    virtual void BlitClientArea();

    // Sends `flags` from `widget` to the dialog's dispatcher: DoEvent of a
    // main dialog, OnItemClicked of a common dialog, nothing otherwise.
    void Dispatch(CQKin& widget, uint32_t flags);

protected:
    // Copies `area` of the back buffer (through the ControlSet when there is one).
    void Present(const platform::Rect& area);
};

}  // namespace ui
