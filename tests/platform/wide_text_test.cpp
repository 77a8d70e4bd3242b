#include "platform/wide_text.h"

#include <gtest/gtest.h>

TEST(WideTextTest, ConvertsBothWays) {
    struct Case {
        std::wstring wide;
        std::string utf8;
    } cases[] = {
        {L"", ""},
        {L"/tmp/clip.mp4", "/tmp/clip.mp4"},
        {L"\u00e9t\u00e9", "\xc3\xa9t\xc3\xa9"},
        {L"\u6f14\u793a.wmv", "\xe6\xbc\x94\xe7\xa4\xba.wmv"},
        {L"\U0001F3AC", "\xf0\x9f\x8e\xac"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.utf8);
        EXPECT_EQ(platform::WideToUtf8(c.wide), c.utf8);
        EXPECT_EQ(platform::Utf8ToWide(c.utf8), c.wide);
    }
}

TEST(WideTextTest, ReplacesWhatCannotBeEncoded) {
    const std::wstring replacement(1, static_cast<wchar_t>(0xFFFD));
    EXPECT_EQ(platform::WideToUtf8(std::wstring(1, static_cast<wchar_t>(0xD800))), "\xef\xbf\xbd");
    EXPECT_EQ(platform::WideToUtf8(std::wstring(1, static_cast<wchar_t>(0x110000))),
              "\xef\xbf\xbd");
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
