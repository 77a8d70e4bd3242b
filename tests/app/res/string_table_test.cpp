#include "app/res/string_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/res/resource_text_file.h"

namespace appres {
namespace {

TEST(StringTableTest, ReturnsTheUserInterfaceTexts) {
    struct Row {
        uint32_t id;
        const char* text;
    };
    const Row rows[] = {
        {65206, "Close"},
        {65216, "Refresh"},
        {65249, "Exit"},
        {65259, "Please enter the %s Key"},
        {65272, "Incorrect LOGIN CODE"},
        {65292, "Warning"},
        {65304,
         "Failed to stream the selected file.\nPlease check the following possible problems:\n"
         "1. Poor wireless network performance\n2. Network is busy\n"
         "3. File format not support or this file might be damaged."},
        {65305, "Projecting!!\nAre you sure you want to close this application?"},
        {65343, "TV Offset Compensation"},
        {65364,
         "Draw the sliders to adjust offset to compensate for the Overscan of your TV. Click "
         "\"Apply\" when you can see your entire Desktop on your TV."},
        {65387, "4x"},
        {65388, "3x"},
        {65427, "Change password"},
        {65436,
         "Your current screen resolution needs to be temporarily changed to %dx%d in order to get "
         "the best image projection quality!"},
        {65443, "Excellent - PEMU is performing with optimal network signal strength."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.id);
        EXPECT_EQ(StringTable::Find(row.id), row.text);
    }
}

TEST(StringTableTest, UnknownIdsGiveNoText) {
    for (const uint32_t id : {0u, 1u, 65207u, 65535u, 65536u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(id);
        EXPECT_TRUE(StringTable::Find(id).empty());
    }
}

// The compiled table holds exactly the source file's entries, byte for byte
// (quotes, line breaks and all), in id order.
TEST(StringTableTest, HoldsEveryEntryOfTheSourceFile) {
    std::string source;
    std::string reason;
    ASSERT_TRUE(ResourceTextFile::ReadFile(PEMU_RES_SOURCE_DIR "/strings.txt", &source, &reason))
        << reason;
    std::vector<StringSourceEntry> entries;
    ASSERT_TRUE(ResourceTextFile::ParseStringTable(source, &entries, &reason)) << reason;
    ASSERT_EQ(StringTable::Entries().size(), entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        SCOPED_TRACE(entries[i].id);
        EXPECT_EQ(StringTable::Entries()[i].id, entries[i].id);
        EXPECT_EQ(StringTable::Find(entries[i].id), entries[i].text);
    }
}

TEST(ResourceTextFileTest, ReadsEscapesCommentsAndSortsById) {
    const char* source =
        "# comment\n"
        "65300 \"second\"  # trailing comment\n"
        "\n"
        "  65206\t\"a \\\"quoted\\\" \\\\ text\\nnext line\\t# not a comment\"\n";
    std::vector<StringSourceEntry> entries;
    std::string reason;
    ASSERT_TRUE(ResourceTextFile::ParseStringTable(source, &entries, &reason)) << reason;
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].id, 65206u);
    EXPECT_EQ(entries[0].text, "a \"quoted\" \\ text\nnext line\t# not a comment");
    EXPECT_EQ(entries[1].id, 65300u);
    EXPECT_EQ(entries[1].text, "second");
}

TEST(ResourceTextFileTest, RejectsBadLinesWithTheirLineNumber) {
    struct Row {
        const char* source;
        const char* reason;
    };
    const Row rows[] = {
        {"65206 Close", "line 1: expected a quoted text"},
        {"\n65206 \"Close", "line 2: the text has no closing quote"},
        {"65206 \"Clo\\se\"", "unknown escape \\s"},
        {"65206 \"Close\" x", "unexpected text after the closing quote"},
        {"65206 \"\"", "string 65206 is empty"},
        {"0 \"Close\"", "expected a string id of 1 to 65535"},
        {"65536 \"Close\"", "expected a string id of 1 to 65535"},
        {"65a \"Close\"", "expected a string id"},
        {"65206 \"Close\"\n65206 \"Shut\"", "line 2: string 65206 is listed twice"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.source);
        std::vector<StringSourceEntry> entries;
        std::string reason;
        EXPECT_FALSE(ResourceTextFile::ParseStringTable(row.source, &entries, &reason));
        EXPECT_NE(reason.find(row.reason), std::string::npos) << reason;
        EXPECT_TRUE(entries.empty());
    }
    std::vector<std::string> texts;
    std::string reason;
    EXPECT_FALSE(ResourceTextFile::ParseTextList("\"Pemu\"\n\"\"", &texts, &reason));
    EXPECT_NE(reason.find("line 2: empty text"), std::string::npos) << reason;
}

}  // namespace
}  // namespace appres
