// The mail link: every byte of subject and body survives a percent-decode,
// the link stays within 1024 characters, cut at a line end and never inside
// an escape, and a cut link is still opened.
#include "logtool/mail_link.h"

#include <gtest/gtest.h>

#include <sstream>

#include "logtool/finish.h"
#include "platform/fake_url_opener.h"
#include "tests/logtool/logtool_test_support.h"

namespace logtool {
namespace {

// What a mail program does with the link's parts. Fails the test on a
// broken escape.
std::string PercentDecode(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out.push_back(text[i]);
            continue;
        }
        if (i + 2 >= text.size()) {
            ADD_FAILURE() << "an escape cut at the end of " << text;
            break;
        }
        const std::string hex(text.substr(i + 1, 2));
        if (hex.find_first_not_of("0123456789ABCDEF") != std::string::npos) {
            ADD_FAILURE() << "a broken escape %" << hex;
        }
        out.push_back(static_cast<char>(std::stoi(hex, nullptr, 16)));
        i += 2;
    }
    return out;
}

// The link's fields: address, decoded subject and decoded body.
struct LinkParts {
    std::string address;
    std::string subject;
    std::string body;
};

LinkParts Split(const std::string& link) {
    LinkParts parts;
    EXPECT_EQ(link.rfind("mailto:", 0), 0u) << link;
    const size_t question = link.find('?');
    const size_t amp = link.find("&body=");
    EXPECT_NE(question, std::string::npos);
    EXPECT_NE(amp, std::string::npos);
    EXPECT_EQ(link.substr(question, 9), "?subject=");
    parts.address = link.substr(7, question - 7);
    parts.subject = PercentDecode(link.substr(question + 9, amp - question - 9));
    parts.body = PercentDecode(link.substr(amp + 6));
    return parts;
}

const std::string kHeader = "\r\n===============Log===============\r\n";

TEST(MailLinkTest, EveryByteSurvivesTheRoundTrip) {
    struct Case {
        const char* name;
        std::string line;
    } cases[] = {
        {"delimiters", "a&b=c#d%e?f+g h/i:j;k@l"},
        {"a percent before hex digits", "100%20 done %41"},
        {"UTF-8", "caf\xC3\xA9 \xE6\xBC\xA2\xE5\xAD\x97 \xF0\x9F\x93\x8E"},
        {"control bytes", std::string("\x01\x1F\x7F\ttab", 7)},
        {"a NUL byte", std::string("a\0b", 3)},
        {"unreserved only", "AZaz09-._~"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string encoded = PercentEncode(c.line);
        EXPECT_EQ(encoded.find_first_not_of(
                      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-._~%"),
                  std::string::npos)
            << encoded;
        EXPECT_EQ(PercentDecode(encoded), c.line);

        std::istringstream log(c.line + "\nsecond\r\n");
        const MailLink mail = BuildMailLink("help+log@example.com", "Pemu & Co #1", log);
        const LinkParts parts = Split(mail.link);
        EXPECT_EQ(parts.address, "help%2Blog@example.com");
        EXPECT_EQ(parts.subject, "Pemu & Co #1 Test Log");
        EXPECT_EQ(parts.body, kHeader + c.line + "\r\nsecond\r\n");
        EXPECT_EQ(mail.lines, 2u);
        EXPECT_FALSE(mail.cut);
    }
}

TEST(MailLinkTest, ALongLogIsCutAtALineEndWithinTheBound) {
    std::string product;
    for (int i = 0; i < 128; ++i) {
        product += "\xE6\xBC\xA2";  // a product word of 128 three-byte characters
    }
    struct Case {
        const char* name;
        std::string address;
        std::string product;
        std::string log;
        bool cut = true;
    } cases[] = {
        {"many short lines", "", "Pemu Quorvane Sender",
         [] {
             std::string log;
             for (int i = 0; i < 500; ++i) {
                 log += "line " + std::to_string(i) + ": a & b % c\n";
             }
             return log;
         }()},
        {"a first line longer than the room", "support@example.com", "Pemu",
         std::string(2000, '#') + "\nshort\n"},
        {"escapes near the bound", std::string(128, 'a'), "Pemu", std::string(5000, '&')},
        {"a product word too long for the subject", std::string(128, 'a'), product, "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::istringstream log(c.log);
        const MailLink mail = BuildMailLink(c.address, c.product, log);
        EXPECT_LE(mail.link.size(), kMaxMailLinkChars);
        EXPECT_EQ(mail.cut, c.cut);
        const LinkParts parts = Split(mail.link);
        ASSERT_EQ(parts.body.substr(0, kHeader.size()), kHeader);
        const std::string lines = parts.body.substr(kHeader.size());
        // Whole lines only: the start of the log, each line ended by CR LF.
        EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), static_cast<long>(mail.lines));
        std::string expected;
        std::istringstream again(c.log);
        std::string line;
        for (size_t i = 0; i < mail.lines && std::getline(again, line); ++i) {
            expected += line + "\r\n";
        }
        EXPECT_EQ(lines, expected);
        if (c.product == product) {
            // The subject loses its end at a character boundary.
            EXPECT_GT(parts.subject.size(), 100u);
            EXPECT_TRUE(c.product.starts_with(parts.subject));
            EXPECT_EQ(parts.subject.size() % 3, 0u);
        } else {
            EXPECT_EQ(parts.subject, c.product + " Test Log");
        }
    }
}

TEST(MailLinkTest, ACutLinkIsStillOpenedAndAnUnreadableLogSaysWhy) {
    LogToolWorld world;
    const std::string sdk = world.Folder("sdk.log");
    std::string log;
    for (int i = 0; i < 300; ++i) {
        log += "line " + std::to_string(i) + "\r\n";
    }
    WriteText(sdk, log);
    platform::FakeUrlOpener opener;
    const FinishResult sent = SendLogByMail(&opener, "help@example.com", "Pemu", sdk, true);
    EXPECT_TRUE(sent.opened);
    ASSERT_EQ(opener.Opened().size(), 1u);
    EXPECT_EQ(opener.Opened()[0], sent.target);
    EXPECT_LE(sent.target.size(), kMaxMailLinkChars);
    EXPECT_NE(sent.message.find("A mail message with the log was opened (the log is longer"),
              std::string::npos)
        << sent.message;

    const FinishResult named = SendLogByMail(&opener, "", "Pemu", sdk, false);
    EXPECT_FALSE(named.opened);
    EXPECT_EQ(named.target.rfind("mailto:?subject=Pemu%20Test%20Log&body=", 0), 0u);
    EXPECT_EQ(opener.Opened().size(), 1u) << "named, not opened";
    EXPECT_TRUE(named.message.starts_with("The log is " + sdk + "; a mail link holds its first "))
        << named.message;

    const FinishResult missing =
        SendLogByMail(&opener, "", "Pemu", world.Folder("missing.log"), true);
    EXPECT_FALSE(missing.opened);
    EXPECT_TRUE(missing.target.empty());
    EXPECT_NE(missing.message.find("No mail: the log " + world.Folder("missing.log") +
                                   " cannot be read: No such file or directory"),
              std::string::npos)
        << missing.message;
    EXPECT_EQ(opener.Opened().size(), 1u);
}

}  // namespace
}  // namespace logtool
