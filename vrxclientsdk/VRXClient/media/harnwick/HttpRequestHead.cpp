#include "vrxclientsdk/VRXClient/media/harnwick/HttpRequestHead.h"

#include <algorithm>
#include <cctype>

namespace {

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    return text;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// %XX sequences decoded; a malformed one is kept as it is.
std::string DecodePath(std::string_view target) {
    std::string path;
    for (size_t i = 0; i < target.size(); ++i) {
        if (target[i] == '%' && i + 2 < target.size()) {
            const int high = HexValue(target[i + 1]);
            const int low = HexValue(target[i + 2]);
            if (high >= 0 && low >= 0) {
                path.push_back(static_cast<char>(high * 16 + low));
                i += 2;
                continue;
            }
        }
        path.push_back(target[i]);
    }
    return path;
}

}  // namespace

std::optional<HttpRequestHead> ParseHttpRequestHead(std::string_view head) {
    const size_t lineEnd = head.find('\n');
    std::string_view line = Trim(head.substr(0, lineEnd));
    const size_t firstSpace = line.find(' ');
    const size_t lastSpace = line.rfind(' ');
    if (firstSpace == std::string_view::npos || lastSpace == firstSpace || firstSpace == 0) {
        return std::nullopt;
    }
    const std::string_view version = line.substr(lastSpace + 1);
    if (version != "HTTP/1.1" && version != "HTTP/1.0") {
        return std::nullopt;
    }
    std::string_view target = Trim(line.substr(firstSpace + 1, lastSpace - firstSpace - 1));
    if (target.empty() || target.front() != '/') {
        return std::nullopt;
    }
    target = target.substr(0, target.find('?'));
    HttpRequestHead request;
    request.method = std::string(line.substr(0, firstSpace));
    request.path = DecodePath(target);
    request.keepAlive = version == "HTTP/1.1";

    std::string_view rest = lineEnd == std::string_view::npos ? "" : head.substr(lineEnd + 1);
    while (!rest.empty()) {
        const size_t end = rest.find('\n');
        const std::string_view field = rest.substr(0, end);
        rest = end == std::string_view::npos ? "" : rest.substr(end + 1);
        const size_t colon = field.find(':');
        if (colon == std::string_view::npos) {
            continue;
        }
        const std::string name = Lower(Trim(field.substr(0, colon)));
        const std::string_view value = Trim(field.substr(colon + 1));
        if (name == "range") {
            request.range = std::string(value);
        } else if (name == "connection") {
            const std::string token = Lower(value);
            if (token == "close") {
                request.keepAlive = false;
            } else if (token == "keep-alive") {
                request.keepAlive = true;
            }
        }
    }
    return request;
}
