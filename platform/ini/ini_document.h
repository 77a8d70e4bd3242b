// IniDocument: the text of an initialisation file ("[section]" lines and
// "key=value" lines), read and changed without disturbing the rest.
//
// Reading follows the rules the sender's settings files have always had:
// section and key names match without regard to ASCII case, the first match
// wins, and a value is trimmed of blanks and of one pair of matching quotes
// around it. Lines starting with ';' or '#' are comments.
//
// A change touches one line (or adds one): every other byte of the text
// (comments, order, blank lines, CR LF or LF line ends) stays as it was, so
// programs that share a file never undo each other's edits.
//
// Not a file: IniStore reads and writes the file under its lock.
// THREADING: a plain value; one thread at a time.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

class IniDocument {
public:
    IniDocument() = default;
    // Takes `text` as it is; every line is kept, whatever it holds.
    explicit IniDocument(std::string_view text);

    // The value of `key` in `section`, decoded; nullopt when absent.
    std::optional<std::string> Get(std::string_view section, std::string_view key) const;

    // Sets the first matching key's value, keeping the line's spelling up to
    // the '='; else adds the key at the end of the first matching section;
    // else adds the section at the end. A value that reading would change
    // (blanks at its ends, quotes around it) is written in quotes, so that it
    // reads back as given. False, and nothing changed, for a name or value
    // that IsValidName / IsValidValue refuse.
    bool Set(std::string_view section, std::string_view key, std::string_view value);

    // Removes the first matching key line; false when there is none.
    bool Remove(std::string_view section, std::string_view key);

    // The section names in order of first appearance, as written.
    std::vector<std::string> Sections() const;
    // The keys (as written) and decoded values of every section of that
    // name, in order; a key listed twice keeps its first value.
    std::vector<std::pair<std::string, std::string>> Entries(std::string_view section) const;

    // The whole text.
    std::string Text() const;

    // A section or key name: not empty, no line break, NUL, '[', ']' or '=',
    // no blanks at its ends (reading would drop them), not starting with a
    // comment mark.
    static bool IsValidName(std::string_view name);
    // A value: no CR, LF or NUL (it must stay one line).
    static bool IsValidValue(std::string_view value);

private:
    struct Line {
        std::string text;  // without its line end
        std::string end;   // "\n", "\r\n", or "" for a last line without one
        enum class Kind { kOther, kSection, kKey } kind = Kind::kOther;
        std::string name;       // section or key name, trimmed
        size_t valueStart = 0;  // kKey: where the value starts in `text`
    };

    static Line ParseLine(std::string text, std::string end);
    // Index of the first key line of `key` in `section`, or npos.
    size_t FindKey(std::string_view section, std::string_view key) const;
    std::string LineEnd() const;

    std::vector<Line> m_lines;
};

}  // namespace platform
