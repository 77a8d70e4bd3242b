#include "platform/controls/edit_model.h"

#include <algorithm>

namespace platform {

std::pair<size_t, size_t> EditModel::Selection() const {
    return {std::min(m_caret, m_anchor), std::max(m_caret, m_anchor)};
}

std::u32string EditModel::SelectedText() const {
    auto [first, last] = Selection();
    return m_text.substr(first, last - first);
}

EditModel::Verdict EditModel::Check(char32_t c) const {
    if (m_filter && !m_filter(c)) {
        return Verdict::kDropped;
    }
    if (m_digitsOnly && (c < U'0' || c > U'9')) {
        return Verdict::kRefused;
    }
    return Verdict::kTaken;
}

bool EditModel::SetText(const std::u32string& text) {
    std::u32string kept;
    kept.reserve(text.size());
    for (char32_t c : text) {
        if (!m_filter || m_filter(c)) {
            kept.push_back(c);
        }
    }
    bool changed = kept != m_text;
    m_text = std::move(kept);
    m_caret = 0;
    m_anchor = 0;
    return changed;
}

void EditModel::ReplaceSelection(const std::u32string& text) {
    auto [first, last] = Selection();
    m_text.replace(first, last - first, text);
    m_caret = first + text.size();
    m_anchor = m_caret;
}

EditModel::Result EditModel::Type(char32_t c) {
    Verdict v = Check(c);
    if (v != Verdict::kTaken) {
        return {false, v == Verdict::kRefused};
    }
    auto [first, last] = Selection();
    if (m_text.size() - (last - first) + 1 > m_limit) {
        return {false, true};
    }
    ReplaceSelection(std::u32string(1, c));
    return {true, false};
}

EditModel::Result EditModel::Paste(const std::u32string& text) {
    Result result;
    std::u32string kept;
    for (char32_t c : text) {
        if (c == U'\r' || c == U'\n') {
            break;  // one line only
        }
        if (c < 0x20 || c == 0x7F) {
            continue;
        }
        Verdict v = Check(c);
        if (v != Verdict::kTaken) {
            result.refused = result.refused || v == Verdict::kRefused;
            continue;
        }
        kept.push_back(c);
    }
    auto [first, last] = Selection();
    size_t room = m_limit - std::min(m_limit, m_text.size() - (last - first));
    if (kept.size() > room) {
        kept.resize(room);
        result.refused = true;
    }
    if (kept.empty()) {
        return result;  // nothing to put in: the selection stays
    }
    std::u32string before = m_text;
    ReplaceSelection(kept);
    result.changed = m_text != before;
    return result;
}

EditModel::Result EditModel::Backspace() {
    if (!HasSelection()) {
        if (m_caret == 0) {
            return {};
        }
        m_anchor = m_caret - 1;
    }
    ReplaceSelection({});
    return {true, false};
}

EditModel::Result EditModel::DeleteForward() {
    if (!HasSelection()) {
        if (m_caret >= m_text.size()) {
            return {};
        }
        m_anchor = m_caret + 1;
    }
    ReplaceSelection({});
    return {true, false};
}

EditModel::Result EditModel::Cut() {
    if (!HasSelection()) {
        return {};
    }
    ReplaceSelection({});
    return {true, false};
}

void EditModel::MoveTo(size_t position, bool extend) {
    m_caret = std::min(position, m_text.size());
    if (!extend) {
        m_anchor = m_caret;
    }
}

void EditModel::Left(bool extend) {
    if (HasSelection() && !extend) {
        MoveTo(Selection().first, false);  // a selection collapses to its start
        return;
    }
    MoveTo(m_caret > 0 ? m_caret - 1 : 0, extend);
}

void EditModel::Right(bool extend) {
    if (HasSelection() && !extend) {
        MoveTo(Selection().second, false);
        return;
    }
    MoveTo(m_caret + 1, extend);
}

void EditModel::SelectAll() {
    Select(0, m_text.size());
}

void EditModel::Select(size_t first, size_t last) {
    m_anchor = std::min(first, m_text.size());
    m_caret = std::min(last, m_text.size());
}

}  // namespace platform
