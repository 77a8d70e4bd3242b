// The kinds of target the opener seam knows beyond web addresses: folders
// and mailto: links. Both are checked here and handed to Open, so every
// opener (the desktop's or a test's) sees them the same way.
#include <sys/stat.h>

#include "platform/log.h"
#include "platform/url_opener.h"

namespace platform {
namespace {

constexpr const char* kArea = "url";

bool StartsWithCaseless(const std::string& text, const std::string& prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (size_t i = 0; i < prefix.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
        if (c != prefix[i]) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool UrlOpener::OpenFolder(const std::string& path) {
    struct stat st {};
    if (path.empty() || path.front() != '/' || ::stat(path.c_str(), &st) != 0 ||
        !S_ISDIR(st.st_mode)) {
        Log(LogLevel::kWarning, kArea, "not a folder, not opened: %s", TargetForLog(path).c_str());
        return false;
    }
    return Open(path);
}

bool UrlOpener::OpenMailLink(const std::string& link) {
    bool plain = StartsWithCaseless(link, "mailto:");
    for (unsigned char c : link) {
        plain = plain && c > 0x20 && c < 0x7F;
    }
    if (!plain) {
        Log(LogLevel::kWarning, kArea, "not a mail link, not opened: %s",
            TargetForLog(link).c_str());
        return false;
    }
    return Open(link);
}

}  // namespace platform
