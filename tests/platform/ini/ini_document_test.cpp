// The text model of initialisation files: caseless names, first match,
// decoded values, and changes that leave every other byte alone.
#include "platform/ini/ini_document.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

TEST(IniDocumentTest, ReadsValuesAsTheProgramsAlwaysHave) {
    const IniDocument doc(
        "; settings\r\n"
        "[Quorvane_Sender]\r\n"
        "AutoWifi = true \r\n"
        "LoginCode=\"1234\"\r\n"
        "Name=' spaced '\r\n"
        "Quote=\"open\r\n"
        "Empty=\r\n"
        "Twice=first\r\n"
        "twice=second\r\n"
        "# Hidden=1\r\n"
        "NoEquals\r\n"
        "Url=http://a/?x=1\r\n"
        "[other]\r\n"
        "AutoWifi=false\r\n"
        "[QUORVANE_SENDER]\r\n"
        "Late=1");
    struct Row {
        const char* section;
        const char* key;
        std::optional<std::string> value;
    } rows[] = {
        {"Quorvane_Sender", "AutoWifi", "true"},  // trimmed
        {"quorvane_sender", "AUTOWIFI", "true"},  // caseless
        {"Quorvane_Sender", "LoginCode", "1234"},
        {"Quorvane_Sender", "Name", " spaced "},  // quotes keep the blanks inside
        {"Quorvane_Sender", "Quote", "\"open"},   // one quote alone stays
        {"Quorvane_Sender", "Empty", ""},
        {"Quorvane_Sender", "Twice", "first"},  // the first match wins
        {"Quorvane_Sender", "Hidden", std::nullopt},
        {"Quorvane_Sender", "NoEquals", std::nullopt},
        {"Quorvane_Sender", "Url", "http://a/?x=1"},
        {"other", "AutoWifi", "false"},
        {"Quorvane_Sender", "Late", "1"},  // a second block of the same section
        {"missing", "AutoWifi", std::nullopt},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.section) + "/" + r.key);
        EXPECT_EQ(doc.Get(r.section, r.key), r.value);
    }
    EXPECT_EQ(doc.Sections(), (std::vector<std::string>{"Quorvane_Sender", "other"}));
}

TEST(IniDocumentTest, ASetChangesOneLineAndKeepsEveryOtherByte) {
    struct Row {
        const char* what;
        const char* before;
        const char* section;
        const char* key;
        const char* value;
        const char* after;
    } rows[] = {
        {"replace, CR LF kept", "; c\r\n[S]\r\nA = 1\r\nB=2\r\n", "s", "a", "9",
         "; c\r\n[S]\r\nA = 9\r\nB=2\r\n"},
        {"add at the end of its section", "[S]\nA=1\n\n[T]\nX=1\n", "S", "B", "2",
         "[S]\nA=1\nB=2\n\n[T]\nX=1\n"},
        {"new section at the end", "[S]\nA=1", "T", "B", "2", "[S]\nA=1\n[T]\nB=2\n"},
        {"added in the middle, the last line keeps its missing end", "[S]\nA=1\n[T]\nX=1", "S", "B",
         "2", "[S]\nA=1\nB=2\n[T]\nX=1"},
        {"added at the end of the last section", "[S]\r\nA=1", "S", "B", "2",
         "[S]\r\nA=1\r\nB=2\r\n"},
        {"empty file", "", "S", "A", "1", "[S]\nA=1\n"},
        {"blanks kept by quotes", "[S]\nA=1\n", "S", "A", " x ", "[S]\nA=\" x \"\n"},
        {"quotes kept by quotes", "[S]\nA=1\n", "S", "A", "'q'", "[S]\nA=\"'q'\"\n"},
        {"first of two", "[S]\nA=1\nA=2\n", "S", "A", "3", "[S]\nA=3\nA=2\n"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        IniDocument doc(r.before);
        ASSERT_TRUE(doc.Set(r.section, r.key, r.value));
        EXPECT_EQ(doc.Text(), r.after);
        EXPECT_EQ(IniDocument(doc.Text()).Get(r.section, r.key), r.value);
    }
}

TEST(IniDocumentTest, RefusesWhatWouldBreakTheLineFormat) {
    IniDocument doc("[S]\nA=1\n");
    const std::string nul("a\0b", 3);
    struct Row {
        std::string section, key, value;
    } rows[] = {
        {"S", "A", "x\ny"}, {"S", "A", "x\ry"}, {"S", "A", nul},  {"S", "", "v"},
        {"S", "a=b", "v"},  {"S]", "A", "v"},   {"S", " A", "v"}, {"S", ";A", "v"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::PrintToString(r.section + "|" + r.key + "|" + r.value));
        EXPECT_FALSE(doc.Set(r.section, r.key, r.value));
    }
    EXPECT_EQ(doc.Text(), "[S]\nA=1\n");
}

TEST(IniDocumentTest, RemoveAndEntries) {
    IniDocument doc("[P]\nName=a\nKey=1\n[Q]\nName=b\n[p]\nOther=2\nname=c");
    EXPECT_EQ(doc.Entries("p"), (std::vector<std::pair<std::string, std::string>>{
                                    {"Name", "a"}, {"Key", "1"}, {"Other", "2"}}));
    EXPECT_TRUE(doc.Remove("P", "key"));
    EXPECT_FALSE(doc.Remove("P", "key"));
    EXPECT_TRUE(doc.Remove("p", "Other"));
    EXPECT_EQ(doc.Text(), "[P]\nName=a\n[Q]\nName=b\n[p]\nname=c");
}

}  // namespace
}  // namespace platform
