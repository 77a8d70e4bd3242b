// Fetches a URL with the curl program, the HTTP peer of the media-server
// tests, and hands back status, headers and body.
#pragma once

#include <sys/wait.h>

#include <string>
#include <vector>

#include "platform/child_process.h"
#include "tests/support/TempDir.h"

namespace mediatest {

struct HttpReply {
    int status = 0;       // 0 when curl could not fetch
    std::string headers;  // the raw header block of the last response
    std::string body;
};

// Runs curl on `url` with `extraArgs` ("-I", "-r", "10-19", ...). The path is
// sent as it is written (no "../" folding) and no proxy is used.
inline HttpReply CurlFetch(const std::string& url, const std::vector<std::string>& extraArgs = {}) {
    testsupport::TempDir dir;
    const std::string headers = dir.File("headers");
    const std::string body = dir.File("body");
    std::vector<std::string> args = {"-s", "--path-as-is", "--noproxy", "*",  "--max-time",
                                     "20", "-D",           headers,     "-o", body};
    args.insert(args.end(), extraArgs.begin(), extraArgs.end());
    args.push_back(url);
    HttpReply reply;
    auto curl = platform::ChildProcess::Start("/usr/bin/curl", args);
    if (!curl) {
        return reply;
    }
    const int status = curl->Wait();
    reply.headers = testsupport::ReadFile(headers);
    reply.body = testsupport::ReadFile(body);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0 && reply.headers.size() > 12) {
        // "HTTP/1.1 206 Partial Content"
        reply.status = std::stoi(reply.headers.substr(reply.headers.find(' ') + 1, 3));
    }
    return reply;
}

// The value of header `name` (case as sent by the server), or "".
inline std::string HeaderValue(const std::string& headers, const std::string& name) {
    const std::string key = "\n" + name + ": ";
    const size_t at = ("\n" + headers).find(key);
    if (at == std::string::npos) {
        return {};
    }
    const size_t start = at + key.size() - 1;
    const size_t end = headers.find("\r\n", start);
    return headers.substr(start, end - start);
}

}  // namespace mediatest
