// Hands a web address to the desktop, which opens it in the user's browser:
// UrlOpener.
//
// This is the one seam through which the programs open things outside
// themselves: web pages, folders (in the file manager) and mailto: links
// (a new message in the mail program). The
// Linux implementation runs xdg-open, found by absolute path, with the
// target as its only argument: no shell ever sees the text. A target that
// is empty, starts with '-' (it would read as an option) or holds control
// characters is refused and logged. Each opener process is reaped: a
// finished one at the next Open, a running one when the object ends.
// Tests use FakeUrlOpener (fake_url_opener.h), which records the targets.
//
// What to open is the caller's decision (CWebBrowser2 takes only http and
// https); the opener checks only what keeps the command line safe.
//
// THREADING: one owner thread at a time (in practice the user-interface
// thread). Open does not wait for the browser.
#pragma once

#include <memory>
#include <string>

namespace platform {

class UrlOpener {
public:
    virtual ~UrlOpener() = default;

    // Starts opening `target`. True when the opener program was started;
    // false (logged) when the target is refused or nothing could be started.
    // Whether the browser then shows the page is the desktop's business.
    virtual bool Open(const std::string& target) = 0;

    // Opens the folder `path` in the file manager: Open(path) for an
    // absolute path that names a folder (a link to one counts); anything
    // else is refused (false, logged) and nothing is started.
    bool OpenFolder(const std::string& path);

    // Starts a new mail message: Open(link) for a "mailto:" link (the
    // scheme in any case) whose other characters are all printable ASCII
    // without blanks, as a percent-encoded link is; anything else is
    // refused (false, logged) and nothing is started.
    bool OpenMailLink(const std::string& link);

    // The desktop's opener: xdg-open from /usr/local/bin, /usr/bin or /bin.
    // nullptr (logged) when none is installed.
    static std::unique_ptr<UrlOpener> Create();

    // An opener that runs `program` (an absolute path) instead of xdg-open,
    // for tests. nullptr when the path is not absolute.
    static std::unique_ptr<UrlOpener> CreateWithProgramForTest(const std::string& program);
};

// True when `target` is safe to pass to an opener program: not empty, not
// starting with '-', no control characters (below 0x20, and 0x7F).
bool IsSafeOpenerArgument(const std::string& target);

// `target` as one log line: at most 200 bytes, control characters as '?'.
std::string TargetForLog(const std::string& target);

}  // namespace platform
