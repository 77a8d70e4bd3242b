#include "logtool/mail_link.h"

#include "platform/wide_text.h"

namespace logtool {
namespace {

constexpr char kHeader[] = "\r\n===============Log===============\r\n";

bool IsUnreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

}  // namespace

std::string PercentEncode(std::string_view bytes, std::string_view keep) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size());
    for (unsigned char c : bytes) {
        if (IsUnreserved(c) || keep.find(static_cast<char>(c)) != std::string_view::npos) {
            out.push_back(static_cast<char>(c));
        } else {
            out.push_back('%');
            out.push_back(kHex[c >> 4]);
            out.push_back(kHex[c & 0x0F]);
        }
    }
    return out;
}

MailLink BuildMailLink(const std::string& mailTo, const std::string& product, std::istream& log) {
    MailLink mail;
    const std::string start = "mailto:" + PercentEncode(mailTo, "@") + "?subject=";
    const std::string body = "&body=" + PercentEncode(kHeader);
    // A configured address is at most 128 ASCII characters, so the subject
    // always has room; a product name too long for it loses its end.
    const std::string subjectText = product + " Test Log";
    std::string subject = PercentEncode(subjectText);
    for (size_t keep = subjectText.size();
         start.size() + subject.size() + body.size() > kMaxMailLinkChars && keep > 0;) {
        keep = platform::TruncateUtf8(subjectText, keep - 1).size();
        subject = PercentEncode(subjectText.substr(0, keep));
    }
    mail.link = start + subject + body;
    std::string line;
    while (std::getline(log, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        const std::string encoded = PercentEncode(line + "\r\n");
        if (mail.link.size() + encoded.size() > kMaxMailLinkChars) {
            mail.cut = true;
            break;
        }
        mail.link += encoded;
        ++mail.lines;
    }
    return mail;
}

}  // namespace logtool
