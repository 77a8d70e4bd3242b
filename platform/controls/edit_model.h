// The text, caret and selection of a one-line edit, without a window: what
// typing, pasting, deleting and moving do, and which input the edit's
// rules refuse.
//
// Positions count characters (code points), 0 before the first. The
// selection runs between the anchor and the caret. Rules:
// - the limit (characters) and digits-only apply to what the user types
//   and pastes; text the program sets is taken whole (as the dialogs expect
//   when they put "****" into a digits-only box);
// - the filter applies alike to typed, pasted and set text: a character it
//   refuses is left out, silently;
// - a paste takes the first line only, without control characters, and as
//   much of it as the limit leaves room for.
// Plain value, any thread.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <utility>

namespace platform {

// The default limit of an edit, in characters.
inline constexpr size_t kDefaultEditLimit = 32767;

class EditModel {
public:
    // True for a character the edit may hold.
    using Filter = std::function<bool(char32_t)>;

    // What an edit by the user did: changed the text, and/or refused input
    // against the limit or the digits rule (the edit then rings the bell).
    struct Result {
        bool changed = false;
        bool refused = false;
    };

    const std::u32string& Text() const { return m_text; }
    size_t Caret() const { return m_caret; }
    size_t Anchor() const { return m_anchor; }
    bool HasSelection() const { return m_caret != m_anchor; }
    // The selection as [first, last).
    std::pair<size_t, size_t> Selection() const;
    std::u32string SelectedText() const;

    void SetLimit(size_t limit) { m_limit = limit; }
    size_t Limit() const { return m_limit; }
    void SetDigitsOnly(bool on) { m_digitsOnly = on; }
    bool DigitsOnly() const { return m_digitsOnly; }
    // Applies to text set from now on; the text held stays.
    void SetFilter(Filter filter) { m_filter = std::move(filter); }

    // The program's text, less what the filter refuses; the caret goes to
    // the start. True when the text changed.
    bool SetText(const std::u32string& text);

    // The user's edits; each replaces the selection when there is one.
    Result Type(char32_t c);
    Result Paste(const std::u32string& text);
    Result Backspace();
    Result DeleteForward();
    // Removes the selection (after copying it elsewhere).
    Result Cut();

    // Caret moves; with `extend` the anchor stays and the selection grows.
    void MoveTo(size_t position, bool extend);
    void Left(bool extend);
    void Right(bool extend);
    void Home(bool extend) { MoveTo(0, extend); }
    void End(bool extend) { MoveTo(m_text.size(), extend); }
    void SelectAll();
    // Selects [first, last) with the caret at `last` (clamped to the text).
    void Select(size_t first, size_t last);

private:
    // kDropped: the filter leaves it out silently; kRefused: against the
    // digits rule, which rings the bell.
    enum class Verdict { kTaken, kDropped, kRefused };
    Verdict Check(char32_t c) const;
    // Replaces the selection by `text` (already checked); the caret ends
    // after it.
    void ReplaceSelection(const std::u32string& text);

    std::u32string m_text;
    size_t m_caret = 0;
    size_t m_anchor = 0;
    size_t m_limit = kDefaultEditLimit;
    bool m_digitsOnly = false;
    Filter m_filter;
};

}  // namespace platform
