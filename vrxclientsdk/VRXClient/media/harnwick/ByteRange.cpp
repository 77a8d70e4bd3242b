#include "vrxclientsdk/VRXClient/media/harnwick/ByteRange.h"

#include <cctype>
#include <limits>
#include <optional>

namespace {

constexpr std::string_view kUnit = "bytes";
constexpr uint64_t kMax = std::numeric_limits<uint64_t>::max();

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) {
        s.remove_prefix(1);
    }
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) {
        s.remove_suffix(1);
    }
    return s;
}

// A run of decimal digits; values past 2^64-1 saturate (they are beyond any
// file anyway). nullopt when empty or not all digits.
std::optional<uint64_t> ParseNumber(std::string_view s) {
    if (s.empty()) {
        return std::nullopt;
    }
    uint64_t value = 0;
    for (char c : s) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        const auto digit = static_cast<uint64_t>(c - '0');
        value = value > (kMax - digit) / 10 ? kMax : value * 10 + digit;
    }
    return value;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

}  // namespace

ByteRange ResolveByteRange(std::string_view header, uint64_t size) {
    ByteRange whole{ByteRange::Kind::kWhole, 0, size};
    header = Trim(header);
    const size_t eq = header.find('=');
    if (eq == std::string_view::npos || !EqualsIgnoringCase(Trim(header.substr(0, eq)), kUnit)) {
        return whole;
    }
    const std::string_view rangeSet = Trim(header.substr(eq + 1));
    const size_t dash = rangeSet.find('-');
    if (rangeSet.find(',') != std::string_view::npos || dash == std::string_view::npos) {
        return whole;
    }
    const std::string_view firstText = Trim(rangeSet.substr(0, dash));
    const std::string_view lastText = Trim(rangeSet.substr(dash + 1));
    const ByteRange unsatisfiable{ByteRange::Kind::kUnsatisfiable, 0, 0};

    if (firstText.empty()) {
        // "-n": the last n bytes.
        const std::optional<uint64_t> suffix = ParseNumber(lastText);
        if (!suffix) {
            return whole;
        }
        if (*suffix == 0 || size == 0) {
            return unsatisfiable;
        }
        const uint64_t length = *suffix < size ? *suffix : size;
        return {ByteRange::Kind::kPartial, size - length, length};
    }
    const std::optional<uint64_t> first = ParseNumber(firstText);
    if (!first) {
        return whole;
    }
    uint64_t last = kMax;
    if (!lastText.empty()) {
        const std::optional<uint64_t> parsed = ParseNumber(lastText);
        if (!parsed || *parsed < *first) {
            return whole;  // syntactically invalid: ignored
        }
        last = *parsed;
    }
    if (*first >= size) {
        return unsatisfiable;
    }
    if (last >= size) {
        last = size - 1;
    }
    return {ByteRange::Kind::kPartial, *first, last - *first + 1};
}
