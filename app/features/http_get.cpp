#include "app/features/http_get.h"

#include <curl/curl.h>

#include <memory>
#include <mutex>

namespace pemuapp {
namespace {

struct Transfer {
    std::string* body;
    size_t maxBytes;
    bool tooLarge = false;
    const std::atomic<bool>* abort;
};

size_t WriteChunk(char* data, size_t size, size_t count, void* user) {
    auto* t = static_cast<Transfer*>(user);
    const size_t n = size * count;
    if (n > t->maxBytes - t->body->size()) {
        t->tooLarge = true;
        return 0;  // ends the transfer as failed
    }
    t->body->append(data, n);
    return n;
}

int Progress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    auto* t = static_cast<Transfer*>(user);
    return (t->abort && t->abort->load()) ? 1 : 0;
}

void GlobalInit() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_ALL); });
}

}  // namespace

HttpResult HttpGet(const std::string& url, const HttpLimits& limits,
                   const std::atomic<bool>* abort) {
    HttpResult result;
    if (url.rfind("http://", 0) != 0 && url.rfind("https://", 0) != 0) {
        result.error = "not an http or https address";
        return result;
    }
    GlobalInit();
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), curl_easy_cleanup);
    if (!curl) {
        result.error = "curl_easy_init failed";
        return result;
    }
    Transfer transfer{&result.body, limits.maxBytes, false, abort};
    CURL* h = curl.get();
    curl_easy_setopt(h, CURLOPT_URL, url.c_str());
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, 3L);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, limits.connectMs);
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, limits.totalMs);
    curl_easy_setopt(h, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limits.maxBytes));
    curl_easy_setopt(h, CURLOPT_USERAGENT, "libcurl-agent/1.0");
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, WriteChunk);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, Progress);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    const CURLcode code = curl_easy_perform(h);
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &result.status);
    if (code != CURLE_OK) {
        result.error = transfer.tooLarge ? "answer larger than allowed" : curl_easy_strerror(code);
        result.body.clear();
        return result;
    }
    if (result.status != 200) {
        result.error = "HTTP status " + std::to_string(result.status);
        result.body.clear();
        return result;
    }
    result.ok = true;
    return result;
}

}  // namespace pemuapp
