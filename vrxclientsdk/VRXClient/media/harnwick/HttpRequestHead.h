// The head of one HTTP/1.x request as the web server reads it: the request
// line and the few headers it acts on. Anything else is ignored.
#pragma once

#include <optional>
#include <string>
#include <string_view>

struct HttpRequestHead {
    std::string method;     // as sent ("GET", "HEAD", ...)
    std::string path;       // the target without its query, %XX decoded
    std::string range;      // the Range header's value, empty when absent
    bool keepAlive = true;  // HTTP/1.1 without "Connection: close"
};

// Parses `head` (the bytes up to and without the blank line). nullopt when
// the request line is malformed or the version is not HTTP/1.x.
std::optional<HttpRequestHead> ParseHttpRequestHead(std::string_view head);
