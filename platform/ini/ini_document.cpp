#include "platform/ini/ini_document.h"

#include <algorithm>
#include <cctype>

namespace platform {
namespace {

constexpr std::string_view kBlanks = " \t";

std::string_view Trim(std::string_view s) {
    const size_t first = s.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return {};
    }
    const size_t last = s.find_last_not_of(kBlanks);
    return s.substr(first, last - first + 1);
}

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// A stored value as readers see it: trimmed, one pair of matching quotes
// around it removed.
std::string Decode(std::string_view raw) {
    std::string_view v = Trim(raw);
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
        v = v.substr(1, v.size() - 2);
    }
    return std::string(v);
}

// The stored form of a value that reads back as `value`.
std::string Encode(std::string_view value) {
    if (Decode(value) == value) {
        return std::string(value);
    }
    return "\"" + std::string(value) + "\"";
}

}  // namespace

IniDocument::IniDocument(std::string_view text) {
    size_t start = 0;
    while (start < text.size()) {
        const size_t newline = text.find('\n', start);
        if (newline == std::string_view::npos) {
            m_lines.push_back(ParseLine(std::string(text.substr(start)), ""));
            break;
        }
        size_t end = newline;
        std::string lineEnd = "\n";
        if (end > start && text[end - 1] == '\r') {
            --end;
            lineEnd = "\r\n";
        }
        m_lines.push_back(ParseLine(std::string(text.substr(start, end - start)), lineEnd));
        start = newline + 1;
    }
}

IniDocument::Line IniDocument::ParseLine(std::string text, std::string end) {
    Line line;
    line.text = std::move(text);
    line.end = std::move(end);
    const std::string_view body = Trim(line.text);
    if (body.empty() || body.front() == ';' || body.front() == '#') {
        return line;
    }
    if (body.front() == '[') {
        const size_t close = body.find(']');
        if (close != std::string_view::npos) {
            line.kind = Line::Kind::kSection;
            line.name = std::string(Trim(body.substr(1, close - 1)));
        }
        return line;
    }
    const size_t equals = line.text.find('=');
    if (equals != std::string::npos) {
        line.kind = Line::Kind::kKey;
        line.name = std::string(Trim(std::string_view(line.text).substr(0, equals)));
        line.valueStart = equals + 1;
    }
    return line;
}

size_t IniDocument::FindKey(std::string_view section, std::string_view key) const {
    bool inSection = false;
    for (size_t i = 0; i < m_lines.size(); ++i) {
        const Line& line = m_lines[i];
        if (line.kind == Line::Kind::kSection) {
            inSection = SameName(line.name, section);
        } else if (inSection && line.kind == Line::Kind::kKey && SameName(line.name, key)) {
            return i;
        }
    }
    return std::string::npos;
}

std::optional<std::string> IniDocument::Get(std::string_view section, std::string_view key) const {
    const size_t i = FindKey(section, key);
    if (i == std::string::npos) {
        return std::nullopt;
    }
    return Decode(std::string_view(m_lines[i].text).substr(m_lines[i].valueStart));
}

std::string IniDocument::LineEnd() const {
    return !m_lines.empty() && !m_lines.front().end.empty() ? m_lines.front().end : "\n";
}

bool IniDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
    if (!IsValidName(section) || !IsValidName(key) || !IsValidValue(value)) {
        return false;
    }
    const std::string stored = Encode(value);
    if (const size_t i = FindKey(section, key); i != std::string::npos) {
        Line& line = m_lines[i];
        // Keep the key and the blanks right after the '='.
        size_t keep = line.valueStart;
        while (keep < line.text.size() && (line.text[keep] == ' ' || line.text[keep] == '\t')) {
            ++keep;
        }
        line.text = line.text.substr(0, keep) + stored;
        return true;
    }
    const std::string end = LineEnd();
    Line added = ParseLine(std::string(key) + "=" + stored, end);
    // After the last non-blank line of the first matching section.
    size_t insertAt = std::string::npos;
    bool inSection = false;
    for (size_t i = 0; i < m_lines.size(); ++i) {
        const Line& line = m_lines[i];
        if (line.kind == Line::Kind::kSection) {
            if (inSection) {
                break;
            }
            inSection = SameName(line.name, section);
            if (inSection) {
                insertAt = i + 1;
            }
        } else if (inSection && !Trim(line.text).empty()) {
            insertAt = i + 1;
        }
    }
    // A last line without a line end gets one only when something follows it.
    if ((insertAt == std::string::npos || insertAt == m_lines.size()) && !m_lines.empty() &&
        m_lines.back().end.empty()) {
        m_lines.back().end = end;
    }
    if (insertAt == std::string::npos) {
        m_lines.push_back(ParseLine("[" + std::string(section) + "]", end));
        m_lines.push_back(std::move(added));
    } else {
        m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(insertAt), std::move(added));
    }
    return true;
}

bool IniDocument::Remove(std::string_view section, std::string_view key) {
    const size_t i = FindKey(section, key);
    if (i == std::string::npos) {
        return false;
    }
    // A last line without a line end hands that form on to the line before.
    if (m_lines[i].end.empty() && i > 0) {
        m_lines[i - 1].end.clear();
    }
    m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(i));
    return true;
}

std::vector<std::string> IniDocument::Sections() const {
    std::vector<std::string> names;
    for (const Line& line : m_lines) {
        if (line.kind == Line::Kind::kSection &&
            std::none_of(names.begin(), names.end(),
                         [&](const std::string& n) { return SameName(n, line.name); })) {
            names.push_back(line.name);
        }
    }
    return names;
}

std::vector<std::pair<std::string, std::string>> IniDocument::Entries(
    std::string_view section) const {
    std::vector<std::pair<std::string, std::string>> entries;
    bool inSection = false;
    for (const Line& line : m_lines) {
        if (line.kind == Line::Kind::kSection) {
            inSection = SameName(line.name, section);
        } else if (inSection && line.kind == Line::Kind::kKey &&
                   std::none_of(entries.begin(), entries.end(),
                                [&](const auto& e) { return SameName(e.first, line.name); })) {
            entries.emplace_back(line.name,
                                 Decode(std::string_view(line.text).substr(line.valueStart)));
        }
    }
    return entries;
}

std::string IniDocument::Text() const {
    std::string text;
    for (const Line& line : m_lines) {
        text += line.text;
        text += line.end;
    }
    return text;
}

bool IniDocument::IsValidName(std::string_view name) {
    return !name.empty() && name.find_first_of(std::string_view("\r\n\0[]=", 6)) == name.npos &&
           Trim(name).size() == name.size() && name.front() != ';' && name.front() != '#';
}

bool IniDocument::IsValidValue(std::string_view value) {
    return value.find_first_of(std::string_view("\r\n\0", 3)) == value.npos;
}

}  // namespace platform
