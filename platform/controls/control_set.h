// The standard controls of one dialog: ControlSet.
//
// A dialog keeps one ControlSet. It makes each control's window (Add),
// owns the control objects, finds them by id (Find, Get) and draws the
// visible ones, in stacking order, over the dialog's own pictures:
//
// - PaintOver draws the controls over a surface in the dialog's client
//   coordinates, for a dialog that captures its controls into its back
//   buffer;
// - Present copies an area of the dialog's back buffer to the screen with
//   the controls drawn on top. Every host presents through it (its paint
//   handler and each widget blit), so a widget's blit never wipes a control.
//
// A control that changes invalidates its rectangle; the dialog's kPaint
// then presents that area again through Present. Hidden controls are
// neither drawn nor hit (the window layer skips them for hits).
//
// Colours: the dialog's colour callback, asked whenever a control is drawn,
// gives a control's text, text background and fill by id and kind; without
// an answer the control keeps its own look.
//
// Ownership: controls live until the set ends; their windows end with the
// set or with the dialog, whichever comes first, and the objects are let go
// once the window layer can no longer call them.
//
// THREADING: user-interface thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/controls/control.h"
#include "platform/draw/surface.h"
#include "platform/window/window_id.h"

namespace platform {

class WindowManager;

class ControlSet {
public:
    // (id, kind) -> colours, or nullopt for the control's own look.
    using ColourCallback = std::function<std::optional<ControlColours>(uint32_t, ControlKind)>;

    // The controls of the top-level `dialog`. `wm` is borrowed and must
    // outlive the set or be destroyed before it (the set then only frees
    // its objects).
    ControlSet(WindowManager& wm, WindowId dialog);
    ~ControlSet();
    ControlSet(const ControlSet&) = delete;
    ControlSet& operator=(const ControlSet&) = delete;

    WindowId Dialog() const { return m_dialog; }

    // Makes the control's window as a child of `parent` (null: the dialog)
    // and keeps the control. Returns it, or nullptr (the control is dropped,
    // a line logged) when the window layer refused the window.
    template <class T>
    T* Add(std::unique_ptr<T> control, const ControlOptions& options, WindowId parent = {}) {
        T* raw = control.get();
        return AddControl(std::move(control), options, parent) ? raw : nullptr;
    }

    // The first control with this id (ids need not be unique), or nullptr.
    Control* Find(uint32_t id) const;
    // The control with this id as a T, or nullptr when there is none or it
    // is of another class.
    template <class T>
    T* Get(uint32_t id) const {
        return dynamic_cast<T*>(Find(id));
    }
    // The control whose window this is, or nullptr.
    Control* FindByWindow(WindowId window) const;
    // Every control in creation order, which is the stacking order.
    const std::vector<Control*>& Controls() const { return m_order; }

    void SetColourCallback(ColourCallback callback) { m_colours = std::move(callback); }
    std::optional<ControlColours> ColoursFor(const Control& control) const;

    // Draws the visible controls of the dialog over `surface` (its client
    // coordinates) inside `area`, in stacking order.
    void PaintOver(Surface& surface, const Rect& area) const;

    // Copies `area` of `backBuffer` (the dialog's client coordinates) to the
    // screen with the visible controls drawn on top. The back buffer is not
    // changed. False when the dialog is gone.
    bool Present(const Surface& backBuffer, const Rect& area);

private:
    bool AddControl(std::unique_ptr<Control> control, const ControlOptions& options,
                    WindowId parent);

    WindowManager* m_wm;
    WindowId m_dialog;
    std::vector<std::unique_ptr<Control>> m_controls;
    std::vector<Control*> m_order;
    ColourCallback m_colours;
    std::unique_ptr<Surface> m_scratch;  // reused by Present; the dialog's size
};

}  // namespace platform
