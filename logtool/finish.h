// The end of a collection: the log folder opened in the file manager, or
// the client library's log put into a new mail message.
//
// The opener is the desktop's (platform/url_opener.h); without one, or
// with opening switched off, nothing is opened and the result names the
// folder or the link, so the user can still find the logs.
// THREADING: the opener's thread (the user-interface thread in the window).
#pragma once

#include <string>

#include "platform/url_opener.h"

namespace logtool {

struct FinishResult {
    std::string target;   // the folder or the mail link
    bool opened = false;  // handed to the opener
    std::string message;  // one line for the user
};

// Opens `logFolder` through `opener` (null: none installed) when `open`.
FinishResult OpenLogFolder(platform::UrlOpener* opener, const std::string& logFolder, bool open);

// Builds the mail link of `sdkLog` (mail_link.h) and opens it through
// `opener` when `open`, even when the log had to be cut. A log that cannot
// be read gives no link and says why.
FinishResult SendLogByMail(platform::UrlOpener* opener, const std::string& mailTo,
                           const std::string& product, const std::string& sdkLog, bool open);

}  // namespace logtool
