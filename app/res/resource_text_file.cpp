#include "app/res/resource_text_file.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <sstream>

namespace appres {

namespace {

// Reads one quoted text starting at line[*pos] (which must be '"') and
// leaves *pos after the closing quote.
bool ReadQuoted(std::string_view line, size_t* pos, std::string* text, std::string* reason) {
    if (*pos >= line.size() || line[*pos] != '"') {
        *reason = "expected a quoted text";
        return false;
    }
    text->clear();
    for (size_t i = *pos + 1; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '"') {
            *pos = i + 1;
            return true;
        }
        if (c != '\\') {
            text->push_back(c);
            continue;
        }
        if (++i == line.size()) {
            break;
        }
        switch (line[i]) {
            case 'n':
                text->push_back('\n');
                break;
            case 't':
                text->push_back('\t');
                break;
            case '"':
            case '\\':
                text->push_back(line[i]);
                break;
            default:
                *reason = std::string("unknown escape \\") + line[i];
                return false;
        }
    }
    *reason = "the text has no closing quote";
    return false;
}

size_t SkipBlanks(std::string_view line, size_t pos) {
    while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t' || line[pos] == '\r')) {
        ++pos;
    }
    return pos;
}

// True when nothing but blanks or a comment follows pos.
bool RestIsEmpty(std::string_view line, size_t pos) {
    pos = SkipBlanks(line, pos);
    return pos == line.size() || line[pos] == '#';
}

// Calls parseLine(line, why) for every line that is not blank or a comment;
// stops at the first failure with "line N: why".
template <typename ParseLine>
bool ForEachLine(std::string_view source, std::string* reason, ParseLine parseLine) {
    const std::vector<std::string_view> lines = ResourceTextFile::Lines(source);
    for (size_t i = 0; i < lines.size(); ++i) {
        if (RestIsEmpty(lines[i], 0)) {
            continue;
        }
        std::string why;
        if (!parseLine(lines[i], &why)) {
            *reason = "line " + std::to_string(i + 1) + ": " + why;
            return false;
        }
    }
    return true;
}

}  // namespace

bool ResourceTextFile::ParseStringTable(std::string_view source,
                                        std::vector<StringSourceEntry>* out, std::string* reason) {
    out->clear();
    std::vector<StringSourceEntry> entries;
    const bool ok = ForEachLine(source, reason, [&](std::string_view line, std::string* why) {
        size_t pos = SkipBlanks(line, 0);
        const size_t digitsEnd = std::min(line.find_first_of(" \t", pos), line.size());
        uint32_t id = 0;
        const auto [ptr, ec] = std::from_chars(line.data() + pos, line.data() + digitsEnd, id);
        if (ec != std::errc() || ptr != line.data() + digitsEnd || id < 1 || id > 0xFFFF) {
            *why = "expected a string id of 1 to 65535";
            return false;
        }
        StringSourceEntry entry{id, {}};
        pos = SkipBlanks(line, digitsEnd);
        if (!ReadQuoted(line, &pos, &entry.text, why)) {
            return false;
        }
        if (!RestIsEmpty(line, pos)) {
            *why = "unexpected text after the closing quote";
            return false;
        }
        if (entry.text.empty()) {
            *why = "string " + std::to_string(id) + " is empty";
            return false;
        }
        for (const StringSourceEntry& e : entries) {
            if (e.id == id) {
                *why = "string " + std::to_string(id) + " is listed twice";
                return false;
            }
        }
        entries.push_back(std::move(entry));
        return true;
    });
    if (!ok) {
        return false;
    }
    std::sort(entries.begin(), entries.end(),
              [](const StringSourceEntry& a, const StringSourceEntry& b) { return a.id < b.id; });
    *out = std::move(entries);
    return true;
}

bool ResourceTextFile::ParseTextList(std::string_view source, std::vector<std::string>* out,
                                     std::string* reason) {
    out->clear();
    std::vector<std::string> texts;
    const bool ok = ForEachLine(source, reason, [&](std::string_view line, std::string* why) {
        size_t pos = SkipBlanks(line, 0);
        std::string text;
        if (!ReadQuoted(line, &pos, &text, why)) {
            return false;
        }
        if (!RestIsEmpty(line, pos)) {
            *why = "unexpected text after the closing quote";
            return false;
        }
        if (text.empty()) {
            *why = "empty text";
            return false;
        }
        texts.push_back(std::move(text));
        return true;
    });
    if (!ok) {
        return false;
    }
    *out = std::move(texts);
    return true;
}

std::vector<std::string_view> ResourceTextFile::Lines(std::string_view source) {
    std::vector<std::string_view> lines;
    size_t pos = 0;
    while (pos <= source.size()) {
        const size_t end = std::min(source.find('\n', pos), source.size());
        lines.push_back(source.substr(pos, end - pos));
        pos = end + 1;
    }
    return lines;
}

bool ResourceTextFile::ReadFile(const std::string& path, std::string* out, std::string* reason) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        *reason = "cannot open " + path;
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) {
        *reason = "cannot read " + path;
        return false;
    }
    *out = text.str();
    return true;
}

}  // namespace appres
