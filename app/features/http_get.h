// HttpGet: one bounded GET over http or https, through libcurl.
//
// Every transfer has a connect limit, a total limit and a byte cap; a
// larger body ends the transfer as failed. `abort` (when not null) is read
// by curl's progress callback, so a transfer can be ended from another
// thread without killing the one that runs it. Other schemes are refused.
//
// THREADING: any thread; each call has its own handle.
#pragma once

#include <atomic>
#include <cstddef>
#include <string>

namespace pemuapp {

struct HttpLimits {
    long connectMs = 5000;
    long totalMs = 15000;
    size_t maxBytes = 64 * 1024;
};

struct HttpResult {
    bool ok = false;  // a whole body with HTTP status 200
    long status = 0;  // the HTTP status; 0 when none arrived
    std::string body;
    std::string error;  // why it failed, for the log
};

HttpResult HttpGet(const std::string& url, const HttpLimits& limits,
                   const std::atomic<bool>* abort = nullptr);

}  // namespace pemuapp
