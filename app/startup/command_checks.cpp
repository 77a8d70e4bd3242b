#include "app/startup/command_checks.h"

#include <algorithm>

namespace pemuapp {
namespace {

bool IsDigits(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

bool IsValidIPv4Text(std::string_view text) {
    int parts = 0;
    size_t start = 0;
    for (;;) {
        const size_t dot = text.find('.', start);
        const std::string_view part =
            text.substr(start, dot == std::string_view::npos ? text.npos : dot - start);
        if (part.empty() || part.size() > 3 || !IsDigits(part) ||
            (part.size() > 1 && part[0] == '0')) {
            return false;
        }
        int value = 0;
        for (char c : part) {
            value = value * 10 + (c - '0');
        }
        if (value > 255 || ++parts > 4) {
            return false;
        }
        if (dot == std::string_view::npos) {
            break;
        }
        start = dot + 1;
    }
    return parts == 4;
}

bool IsValidLoginCodeText(std::string_view text) {
    return text.empty() || (text.size() == 4 && IsDigits(text));
}

}  // namespace pemuapp
