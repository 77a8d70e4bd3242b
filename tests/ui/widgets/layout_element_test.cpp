// The layout record: byte layout as stored, texts read back as UTF-8 with
// their fields' bounds, and the two tables the widgets build from.
#include "ui/widgets/layout_element.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "ui/widgets/widget_layout_tables.h"

namespace ui {
namespace {

// A record made in a constant expression, checked byte by byte.
constexpr LayoutElement kButton = MakeLayoutElement(30127, u"OK_BUTTON", u"CQKButton", 10, 20, 288,
                                                    23, u"BMP", 5021, 4, u"Ok \u00e9", 65123, 0);

uint32_t U32At(const std::vector<uint8_t>& bytes, size_t offset) {
    return uint32_t{bytes[offset]} | uint32_t{bytes[offset + 1]} << 8 |
           uint32_t{bytes[offset + 2]} << 16 | uint32_t{bytes[offset + 3]} << 24;
}

TEST(LayoutElementTest, StoredLayoutIsLittleEndianUtf16AtItsOffsets) {
    std::vector<uint8_t> bytes(sizeof(LayoutElement));
    std::memcpy(bytes.data(), &kButton, bytes.size());
    EXPECT_EQ(U32At(bytes, 0), 30127u);
    EXPECT_EQ(bytes[4], 'O');
    EXPECT_EQ(bytes[5], 0);
    EXPECT_EQ(bytes[260], 'C');
    EXPECT_EQ(U32At(bytes, 516), 10u);
    EXPECT_EQ(U32At(bytes, 520), 20u);
    EXPECT_EQ(U32At(bytes, 524), 288u);
    EXPECT_EQ(U32At(bytes, 528), 23u);
    EXPECT_EQ(bytes[532], 'B');
    EXPECT_EQ(U32At(bytes, 544), 5021u);
    EXPECT_EQ(U32At(bytes, 548), 4u);
    EXPECT_EQ(bytes[552 + 6], 0xE9);  // é as one UTF-16 unit
    EXPECT_EQ(bytes[552 + 7], 0);
    EXPECT_EQ(U32At(bytes, 1576), 65123u);
    EXPECT_EQ(U32At(bytes, 1580), 0u);
    // Texts are zero-padded to their field's end.
    for (size_t i = 4 + 2 * 9; i < 260; ++i) {
        ASSERT_EQ(bytes[i], 0) << i;
    }
}

TEST(LayoutElementTest, TextsReadAsUtf8UpToTheirFieldsEnd) {
    EXPECT_EQ(kButton.Name(), "OK_BUTTON");
    EXPECT_EQ(kButton.ClassName(), "CQKButton");
    EXPECT_EQ(kButton.ResourceType(), "BMP");
    EXPECT_EQ(kButton.Text(), "Ok \xC3\xA9");
    EXPECT_EQ(kButton.Rect(), (platform::Rect{10, 20, 298, 43}));
    EXPECT_FALSE(kButton.IsEnd());

    // A record read from elsewhere may lack its terminators.
    LayoutElement full{};
    for (char16_t& c : full.name) {
        c = u'x';
    }
    for (char16_t& c : full.resourceType) {
        c = u'P';
    }
    EXPECT_EQ(full.Name(), std::string(LayoutElement::kNameChars, 'x'));
    EXPECT_EQ(full.ResourceType(), "PPPPPP");
    EXPECT_FALSE(full.LoadsPng());
    EXPECT_TRUE(full.IsEnd());
}

TEST(LayoutElementTest, Utf16BecomesUtf8WithBadSurrogatesReplaced) {
    struct Row {
        std::u16string in;
        std::string out;
    } rows[] = {
        {u"plain", "plain"},
        {u"\u00fc\u4e2d", "\xC3\xBC\xE4\xB8\xAD"},
        {u"\U0001F600", "\xF0\x9F\x98\x80"},
        {std::u16string(1, char16_t(0xD83D)) + u"x", "\xEF\xBF\xBDx"},  // lone high surrogate
        {std::u16string(1, char16_t(0xDE00)), "\xEF\xBF\xBD"},          // lone low surrogate
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.out);
        EXPECT_EQ(Utf16ToUtf8(r.in), r.out);
    }
}

TEST(LayoutElementTest, ResourceTypeSelectsPngOnlyForPng) {
    struct Row {
        std::u16string_view type;
        bool png;
    } rows[] = {{u"PNG", true}, {u"BMP", false}, {u"", false}, {u"PMP", false}, {u"png", false}};
    for (const Row& r : rows) {
        SCOPED_TRACE(Utf16ToUtf8(r.type));
        EXPECT_EQ(MakeLayoutElement(1, u"N", u"CQKImage", 0, 0, 1, 1, r.type, 5, 1).LoadsPng(),
                  r.png);
    }
}

TEST(LayoutElementTest, TextTooLongAtRunTimeIsCutToItsField) {
    const std::u16string longName(300, u'n');
    const LayoutElement e = MakeLayoutElement(1, longName, u"CQKText", 0, 0, 1, 1, u"", 0, 1);
    EXPECT_EQ(e.Name(), std::string(LayoutElement::kNameChars - 1, 'n'));
    EXPECT_EQ(e.name[LayoutElement::kNameChars - 1], 0);
}

TEST(WidgetLayoutTablesTest, LoginRowAndScrollbarTablesHoldTheirRecords) {
    const auto row = LoginRowLayout();
    ASSERT_EQ(row.size(), 4u);
    for (size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(row[i].id, 30207u);
        EXPECT_EQ(row[i].Name(), "BLANKITEM_DEVICENAME_TEXT");
        EXPECT_EQ(row[i].ClassName(), "CQKText");
        EXPECT_EQ(row[i].Rect(), (platform::Rect{0, 0, 526, 27}));
    }
    EXPECT_EQ(row[2].ClassName(), "");
    EXPECT_EQ(row[3].ClassName(), "");

    struct Part {
        uint32_t id;
        const char* name;
        const char* cls;
        platform::Rect rect;
        bool png;
        uint32_t resource;
    } parts[] = {
        {10308, "QKINMAIN_SCROLLBAR_BACKGROUND", "CQKImage", {0, 33, 21, 42}, false, 5124},
        {10307, "QKINMAIN_SCROLLBAR_BUTTONDOWN", "CQKButton", {0, 101, 17, 118}, false, 5120},
        {10306, "QKINMAIN_SCROLLBAR_BUTTONUP", "CQKButton", {0, 0, 17, 17}, false, 5121},
        {10310, "QKINMAIN_SCROLLBAR_BUTTON_BODY", "CQKImage", {0, 0, 0, 0}, true, 5118},
        {10309, "QKINMAIN_SCROLLBAR_BUTTON_TOP", "CQKImage", {0, 0, 0, 0}, true, 5117},
        {10311, "QKINMAIN_SCROLLBAR_BUTTON_BOTTON", "CQKImage", {0, 0, 0, 0}, true, 5119},
    };
    const auto bar = ScrollbarLayout();
    ASSERT_EQ(bar.size(), std::size(parts));
    for (size_t i = 0; i < bar.size(); ++i) {
        SCOPED_TRACE(parts[i].name);
        EXPECT_EQ(bar[i].id, parts[i].id);
        EXPECT_EQ(bar[i].Name(), parts[i].name);
        EXPECT_EQ(bar[i].ClassName(), parts[i].cls);
        EXPECT_EQ(bar[i].Rect(), parts[i].rect);
        EXPECT_EQ(bar[i].LoadsPng(), parts[i].png);
        EXPECT_EQ(bar[i].resourceId, parts[i].resource);
        EXPECT_EQ(bar[i].frames, 1u);
        EXPECT_EQ(bar[i].shown, 1u);
    }
}

}  // namespace
}  // namespace ui
