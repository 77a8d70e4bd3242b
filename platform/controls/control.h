// The base of the standard controls (edit, list, combo box, buttons,
// trackbar, static, IP address field): one child window of a dialog in
// WindowLayer::kControl, above every skinned widget, whose handler is the
// control object itself.
//
// A control is made by ControlSet::Add, which creates its window and keeps
// the object; the dialog finds it again by id (ControlSet::Find, Get). The
// window layer paints only top-levels, so a control does not present
// anything itself: it draws in its top-level's client coordinates when the
// ControlSet asks it to (Paint), and a control that changes invalidates its
// own rectangle so that the dialog presents that area again. Notices go to
// the parent window at once as kCommand messages (control_notices.h).
// Colours come from the dialog's colour callback (ControlSet), fonts per
// control. A disabled control is drawn grey and takes no input.
//
// A class may derive from a control and override OnMessage or PreTranslate
// to change its handling; it calls the base class's OnMessage for every
// message it does not take over.
//
// Not a widget of the skin: controls draw our own flat look.
//
// THREADING: user-interface thread only.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/draw/color.h"
#include "platform/draw/geometry.h"
#include "platform/draw/text_style.h"
#include "platform/window/window_handler.h"
#include "platform/window/window_options.h"

namespace platform {

class ControlSet;
class Painter;
class WindowManager;

enum class ControlKind : uint8_t {
    kButton,  // push button, radio button, check box
    kEdit,
    kList,
    kCombo,
    kTrackbar,
    kStatic,  // label, group box, picture frame
    kIpAddress,
};

// A control's font: the family, the size in points at 96 dots per inch and
// the weight (400 regular, 700 bold). Plain value.
struct ControlFont {
    std::string family = "DejaVu Sans";
    double points = 9.0;
    int weight = 400;

    // The font for a height given in pixels (how some dialogs give it).
    static ControlFont FromPixels(std::string family, int pixels, int weight = 400);
    // The em height in pixels: points * 96 / 72, rounded, at least 1.
    int PixelSize() const;
    // A text style of this font with the given alignment.
    TextStyle Style(TextAlign horizontal = TextAlign::kNear,
                    TextAlign vertical = TextAlign::kCenter) const;
};

// The colours a dialog gives a control through its colour callback. Plain value.
struct ControlColours {
    ColorRef text;
    // Behind the text; nullopt: transparent (the fill or what lies below shows).
    std::optional<ColorRef> textBackground;
    // The control's background; nullopt: none, what lies below shows.
    std::optional<ColorRef> fill;
};

// What ControlSet::Add makes a control with. Plain value.
struct ControlOptions {
    uint32_t id = 0;
    Rect rect;  // in the parent's client coordinates; may be empty until the dialog places it
    bool visible = true;
    bool enabled = true;
    std::string text;  // UTF-8: a button's or static's caption, an edit's contents
};

class Control : public WindowHandler {
public:
    // Destroys the control's window when it still lives. Only the
    // ControlSet deletes controls, once the window layer is done with them.
    ~Control() override;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    ControlKind Kind() const { return m_kind; }
    uint32_t Id() const { return m_id; }
    // The control's window; null before ControlSet::Add made it.
    WindowId Window() const { return m_window; }
    // The top-level the control lies in.
    WindowId TopLevel() const;

    // Window state, through the window layer (false for a dead window).
    bool Show(bool visible);
    bool IsVisible() const;  // itself and its parents
    bool Enable(bool enabled);
    bool IsEnabled() const;  // itself, its parents and its top-level
    // Parent client coordinates.
    bool Move(const Rect& rect);
    Rect GetRect() const;
    bool SetFocus();
    bool HasFocus() const;

    // The caption of a button or static, the contents of an edit (UTF-8).
    virtual void SetText(std::string_view text);
    virtual std::string Text() const { return m_text; }

    void SetFont(const ControlFont& font);
    const ControlFont& Font() const { return m_font; }

    // The control's rectangle in its top-level's client coordinates.
    Rect BoundsInTopLevel() const;

    // Draws the control with its client area at `bounds` (top-level client
    // coordinates). The ControlSet calls it with drawing clipped to
    // `bounds` and to the area being presented.
    virtual void Paint(Painter& painter, const Rect& bounds) = 0;

    // Redraws on focus changes and enabling; returns kDefault for the rest.
    int64_t OnMessage(WindowId self, const Message& msg) override;

protected:
    explicit Control(ControlKind kind) : m_kind(kind) {}

    // The window this kind wants: class name, Tab stop, cursor, double
    // clicks. Called once, before the window is made.
    virtual void Configure(WindowOptions& options) const = 0;
    // Called once the window exists and the options were taken.
    virtual void OnAttached() {}
    // The font changed: drop what was measured with the old one.
    virtual void OnFontChanged() {}

    // Sends a notice to the parent window now (control_notices.h).
    void Notify(int64_t code, int64_t param2 = 0);
    // Invalidates the control's rectangle.
    void Redraw();
    void Bell();
    // The dialog's colours for this control, else `defaults`.
    ControlColours ResolveColours(const ControlColours& defaults) const;

    WindowManager& Wm() const { return *m_wm; }
    ControlSet& Set() const { return *m_set; }
    const std::string& CaptionText() const { return m_text; }

private:
    friend class ControlSet;
    // Makes the window; false when the window layer refuses it.
    bool Attach(WindowManager& wm, ControlSet& set, WindowId parent, const ControlOptions& options);

    ControlKind m_kind;
    uint32_t m_id = 0;
    WindowManager* m_wm = nullptr;
    ControlSet* m_set = nullptr;
    WindowId m_window;
    std::string m_text;
    ControlFont m_font;
};

}  // namespace platform
