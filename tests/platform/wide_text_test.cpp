#include "platform/wide_text.h"

#include <gtest/gtest.h>

TEST(WideTextTest, ConvertsBetweenWideUtf8AndUtf16) {
    struct Case {
        std::wstring wide;
        std::string utf8;
        std::u16string utf16;
    } cases[] = {
        {L"", "", u""},
        {L"/tmp/clip.mp4", "/tmp/clip.mp4", u"/tmp/clip.mp4"},
        {L"\u00e9t\u00e9", "\xc3\xa9t\xc3\xa9", u"\u00e9t\u00e9"},
        {L"\u6f14\u793a.wmv", "\xe6\xbc\x94\xe7\xa4\xba.wmv", u"\u6f14\u793a.wmv"},
        {L"\U0001F3AC", "\xf0\x9f\x8e\xac", u"\xD83C\xDFAC"},
        {L"\U0010FFFF", "\xf4\x8f\xbf\xbf", u"\xDBFF\xDFFF"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.utf8);
        EXPECT_EQ(platform::WideToUtf8(c.wide), c.utf8);
        EXPECT_EQ(platform::Utf8ToWide(c.utf8), c.wide);
        EXPECT_EQ(platform::WideToUtf16(c.wide), c.utf16);
        EXPECT_EQ(platform::Utf16ToUtf8(c.utf16), c.utf8);
    }
}

TEST(WideTextTest, ReplacesWhatCannotBeEncoded) {
    const std::wstring replacement(1, static_cast<wchar_t>(0xFFFD));
    const std::wstring surrogate(1, static_cast<wchar_t>(0xD800));
    const std::wstring tooLarge(1, static_cast<wchar_t>(0x110000));
    EXPECT_EQ(platform::WideToUtf8(surrogate), "\xef\xbf\xbd");
    EXPECT_EQ(platform::WideToUtf8(tooLarge), "\xef\xbf\xbd");
    EXPECT_EQ(platform::WideToUtf16(surrogate), u"\xFFFD");
    EXPECT_EQ(platform::WideToUtf16(tooLarge), u"\xFFFD");
    // Unpaired UTF-16 surrogates: a lone high one (also at the end), a lone
    // low one, and two high ones in a row.
    struct Utf16Case {
        std::u16string text;
        std::string utf8;
    } utf16[] = {
        {u"a\xD83C"
         u"b",
         "a\xef\xbf\xbd"
         "b"},
        {u"a\xD83C", "a\xef\xbf\xbd"},
        {u"\xDFAC"
         u"b",
         "\xef\xbf\xbd"
         "b"},
        {u"\xD83C\xD83C\xDFAC", "\xef\xbf\xbd\xf0\x9f\x8e\xac"},
    };
    for (const Utf16Case& c : utf16) {
        SCOPED_TRACE(testing::PrintToString(c.utf8));
        EXPECT_EQ(platform::Utf16ToUtf8(c.text), c.utf8);
    }
    const char* malformed[] = {
        "\xff",              // no lead byte
        "\xc3",              // truncated
        "\xc0\xaf",          // overlong "/": never a way around a path check
        "\xed\xa0\x80",      // a surrogate
        "\xf4\x90\x80\x80",  // above U+10FFFF
    };
    for (const char* bytes : malformed) {
        SCOPED_TRACE(testing::PrintToString(bytes));
        const std::wstring wide = platform::Utf8ToWide(bytes);
        ASSERT_FALSE(wide.empty());
        EXPECT_EQ(wide.substr(0, 1), replacement);
        EXPECT_EQ(wide.find(L'/'), std::wstring::npos);
    }
}

TEST(WideTextTest, ValidatesAndTruncatesUtf8) {
    struct Case {
        const char* bytes;
        bool valid;
    } cases[] = {
        {"", true},
        {"plain", true},
        {"\xc3\xa9t\xc3\xa9", true},
        {"\xff", false},
        {"\xc3", false},
        {"\xc0\xaf", false},
        {"\xed\xa0\x80", false},
        {"\xf4\x90\x80\x80", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.bytes));
        EXPECT_EQ(platform::IsValidUtf8(c.bytes), c.valid);
    }
    // "a" then three-byte characters: a cut inside one drops all of it.
    const std::string text = "a\xe6\xbc\x94\xe7\xa4\xba";
    EXPECT_EQ(platform::TruncateUtf8(text, 7), text);
    EXPECT_EQ(platform::TruncateUtf8(text, 6), "a\xe6\xbc\x94");
    EXPECT_EQ(platform::TruncateUtf8(text, 4), "a\xe6\xbc\x94");
    EXPECT_EQ(platform::TruncateUtf8(text, 3), "a");
    EXPECT_EQ(platform::TruncateUtf8(text, 0), "");
}
