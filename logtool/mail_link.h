// The mailto: link that puts the client library's log into a new mail
// message:
//
//   mailto:<MailTo>?subject=<product> Test Log&body=<body>
//
// The body is the line "===============Log===============" between two
// line ends, then every line of the log, each ended by CR LF. Subject and
// body are percent-encoded byte for byte (everything but the unreserved
// characters A-Z a-z 0-9 - . _ ~), so '&', '#', '%', '?', '+', blanks, line
// ends, control bytes and UTF-8 all arrive as they were; the address keeps
// '@' and encodes the rest the same way.
//
// Mail programs take links of limited length: the whole link is at most
// kMaxMailLinkChars characters. A log that does not fit is cut after its
// last whole line that does (never inside a line or an escape); the
// message then holds the start of the log. (A product name so long that
// the subject alone would not fit loses its end, at a character boundary.)
//
// Pure functions. THREADING: any thread.
#pragma once

#include <cstddef>
#include <istream>
#include <string>
#include <string_view>

namespace logtool {

inline constexpr size_t kMaxMailLinkChars = 1024;

// `bytes` with every byte outside the unreserved characters and `keep` as
// "%XX" (capital hex digits).
std::string PercentEncode(std::string_view bytes, std::string_view keep = {});

struct MailLink {
    std::string link;
    size_t lines = 0;  // log lines in the body
    bool cut = false;  // lines were left out
};

// The link for `log` (read line by line; a line's CR before its LF is
// dropped). Reads no more of the log than fits.
MailLink BuildMailLink(const std::string& mailTo, const std::string& product, std::istream& log);

}  // namespace logtool
