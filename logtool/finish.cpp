#include "logtool/finish.h"

#include <cerrno>
#include <fstream>

#include "logtool/mail_link.h"
#include "platform/syserror.h"

namespace logtool {

FinishResult OpenLogFolder(platform::UrlOpener* opener, const std::string& logFolder, bool open) {
    FinishResult result;
    result.target = logFolder;
    if (!open) {
        result.message = "The logs are in " + logFolder;
    } else if (!opener) {
        result.message = "No program to open folders is installed; the logs are in " + logFolder;
    } else if (opener->OpenFolder(logFolder)) {
        result.opened = true;
        result.message = "The log folder was opened: " + logFolder;
    } else {
        result.message = "The log folder could not be opened; the logs are in " + logFolder;
    }
    return result;
}

FinishResult SendLogByMail(platform::UrlOpener* opener, const std::string& mailTo,
                           const std::string& product, const std::string& sdkLog, bool open) {
    FinishResult result;
    std::ifstream log(sdkLog, std::ios::binary);
    if (!log) {
        result.message =
            "No mail: the log " + sdkLog + " cannot be read: " + platform::SystemErrorText(errno);
        return result;
    }
    const MailLink mail = BuildMailLink(mailTo, product, log);
    result.target = mail.link;
    const std::string cut = mail.cut ? " (the log is longer than a mail link can hold: its first " +
                                           std::to_string(mail.lines) +
                                           " lines are in it; the whole log is " + sdkLog + ")"
                                     : "";
    if (!open) {
        result.message =
            "The log is " + sdkLog + "; a mail link holds " +
            (mail.cut ? "its first " + std::to_string(mail.lines) + " lines" : "all of it");
    } else if (!opener) {
        result.message = "No mail program is installed; the log is " + sdkLog;
    } else if (opener->OpenMailLink(mail.link)) {
        result.opened = true;
        result.message = "A mail message with the log was opened" + cut;
    } else {
        result.message = "The mail message could not be opened; the log is " + sdkLog;
    }
    return result;
}

}  // namespace logtool
