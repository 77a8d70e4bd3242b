// Read-only access to a settings file in the ini format: "[section]" lines and
// "key=value" lines. Section and key names are matched without regard to case,
// values are trimmed, and a missing file or key gives the default, as the
// sender's other readers of the same file expect.
#pragma once

#include <map>
#include <string>

namespace porvane {

class IniFile {
public:
    // Reads the file; false when it cannot be read (every lookup then gives
    // its default).
    bool Load(const std::string& path);

    // The value, cut to `maxChars` characters, or `def`.
    std::string GetString(const std::string& section, const std::string& key,
                          const std::string& def, size_t maxChars = 1024) const;

    // The value's leading decimal integer (optional sign), or `def` when the
    // key is missing; a value without digits gives 0.
    int GetInt(const std::string& section, const std::string& key, int def) const;

private:
    static std::string Fold(const std::string& s);
    std::map<std::string, std::string> m_values;  // "section\nkey" (folded) -> value
};

}  // namespace porvane
