#include "usbshare/IniFile.h"

#include <cctype>
#include <climits>
#include <fstream>

namespace porvane {
namespace {

std::string Trim(const std::string& s) {
    size_t b = 0;
    size_t e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) {
        ++b;
    }
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) {
        --e;
    }
    return s.substr(b, e - b);
}

}  // namespace

std::string IniFile::Fold(const std::string& s) {
    std::string out = s;
    for (char& c : out) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

bool IniFile::Load(const std::string& path) {
    m_values.clear();
    std::ifstream in(path);
    if (!in) {
        return false;
    }
    std::string section;
    std::string line;
    while (std::getline(in, line)) {
        const std::string t = Trim(line);
        if (t.empty() || t[0] == ';') {
            continue;
        }
        if (t.front() == '[') {
            const size_t close = t.find(']');
            section =
                Fold(Trim(t.substr(1, close == std::string::npos ? std::string::npos : close - 1)));
            continue;
        }
        const size_t eq = t.find('=');
        if (eq == std::string::npos) {
            continue;
        }
        const std::string key = section + '\n' + Fold(Trim(t.substr(0, eq)));
        // The first occurrence of a key wins.
        m_values.emplace(key, Trim(t.substr(eq + 1)));
    }
    return true;
}

std::string IniFile::GetString(const std::string& section, const std::string& key,
                               const std::string& def, size_t maxChars) const {
    auto it = m_values.find(Fold(section) + '\n' + Fold(key));
    const std::string& value = it == m_values.end() ? def : it->second;
    return value.substr(0, maxChars);
}

int IniFile::GetInt(const std::string& section, const std::string& key, int def) const {
    auto it = m_values.find(Fold(section) + '\n' + Fold(key));
    if (it == m_values.end()) {
        return def;
    }
    const std::string& v = it->second;
    size_t i = 0;
    bool negative = false;
    if (i < v.size() && (v[i] == '-' || v[i] == '+')) {
        negative = v[i] == '-';
        ++i;
    }
    long long n = 0;
    for (; i < v.size() && std::isdigit(static_cast<unsigned char>(v[i])); ++i) {
        n = n * 10 + (v[i] - '0');
        if (n > INT_MAX) {
            n = INT_MAX;  // saturate instead of overflowing
        }
    }
    return static_cast<int>(negative ? -n : n);
}

}  // namespace porvane
