// A one-line edit box: Edit.
//
// Typing, the caret and the selection follow EditModel (limit, digits only,
// text filter); the edit scrolls sideways to keep the caret in view. Keys:
// Left, Right, Home, End (with Shift to select), Backspace, Delete,
// Ctrl+A, Ctrl+C, Ctrl+X, Ctrl+V through the clipboard of the window layer.
// The mouse places the caret, drags a selection, and a double click selects
// everything. A mask character ('*', U+25CF) shows in place of every
// character and may be switched at any time; a masked edit gives nothing to
// the clipboard. Refused input rings the bell.
//
// Notices: kEnChange after every change of the text, the program's SetText
// included, exactly once per change and after the edit is up to date (a
// handler may read the text, or set it again).
//
// Colours: text, text background and fill from the dialog; white box and
// dark text by default, grey when disabled.
//
// THREADING: user-interface thread only.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/controls/control.h"
#include "platform/controls/edit_model.h"

namespace platform {

// The mask characters the dialogs use.
inline constexpr char32_t kMaskAsterisk = U'*';
inline constexpr char32_t kMaskDot = U'\u25CF';

class Edit : public Control {
public:
    Edit() : Control(ControlKind::kEdit) {}

    void SetText(std::string_view text) override;
    std::string Text() const override;

    // Input rules (see EditModel).
    void SetLimit(size_t characters) { m_model.SetLimit(characters); }
    size_t Limit() const { return m_model.Limit(); }
    void SetDigitsOnly(bool on) { m_model.SetDigitsOnly(on); }
    bool DigitsOnly() const { return m_model.DigitsOnly(); }
    void SetFilter(EditModel::Filter filter) { m_model.SetFilter(std::move(filter)); }

    // The character shown for every character, or nullopt for the text.
    void SetMask(std::optional<char32_t> mask);
    std::optional<char32_t> Mask() const { return m_mask; }

    void SetBorder(bool border);
    bool HasBorder() const { return m_border; }

    // Selects [first, last) in characters, the caret at `last`.
    void SetSelection(size_t first, size_t last);
    std::pair<size_t, size_t> Selection() const { return m_model.Selection(); }
    size_t Caret() const { return m_model.Caret(); }

    void Paint(Painter& painter, const Rect& bounds) override;
    int64_t OnMessage(WindowId self, const Message& msg) override;

protected:
    void Configure(WindowOptions& options) const override;
    // Takes the text the edit was made with (no notice: nothing changed).
    void OnAttached() override;
    void OnFontChanged() override { m_widths.clear(); }

private:
    bool OnKey(const Message& msg);
    // After a user edit: the bell for refused input, the view, the notice.
    void Apply(const EditModel::Result& result);
    void Copy();
    void Paste();
    // What the box shows: the text or the mask.
    std::u32string Shown() const;
    // x of the boundary before character i of the shown text, from its start.
    int XOf(size_t i);
    size_t IndexAt(int x);
    void ScrollToCaret();
    Rect Inner() const;

    EditModel m_model;
    std::optional<char32_t> m_mask;
    bool m_border = true;
    bool m_dragging = false;
    int m_scroll = 0;           // pixels of text hidden at the left
    std::vector<int> m_widths;  // XOf for every boundary; empty when stale
};

}  // namespace platform
