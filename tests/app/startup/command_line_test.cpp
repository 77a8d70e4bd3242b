// The command line to the command file's exact bytes, the file back to an
// action, and the checks the running copy applies.
#include "app/startup/command_line.h"

#include <gtest/gtest.h>

#include "app/startup/command_checks.h"
#include "app/startup/command_file.h"

namespace pemuapp {
namespace {

using Result = ParsedCommandLine::Result;

TEST(CommandLineTest, ArgumentsToExactFileBytes) {
    struct Row {
        std::vector<std::string> args;
        const char* file;
    } rows[] = {
        {{"-C", "10.0.0.2", "4821"}, "Action=Login\nIP=10.0.0.2\nLoginCode=4821"},
        {{"-C", "10.0.0.2"}, "Action=Login\nIP=10.0.0.2\nLoginCode="},  // a missing word
        {{"-C"}, "Action=Login\nIP=\nLoginCode="},
        {{"-P", "10.0.0.2", "-o", "3", "-u", "ann", "-c", "4821"},
         "Action=Presentation\nIP=10.0.0.2\nID=3\nName=ann\nLoginCode=4821"},
        // Options anywhere, in any order; the switch still takes the word after it.
        {{"-c", "4821", "-P", "10.0.0.2", "-o", "9"},
         "Action=Presentation\nIP=10.0.0.2\nID=9\nName=\nLoginCode=4821"},
        {{"-P", "10.0.0.2", "-o"}, "Action=Presentation\nIP=10.0.0.2\nID=\nName=\nLoginCode="},
        {{"-V", "10.0.0.2", "/home/a/My Clip.mp4", "-u", "Ann Lee"},
         "Action=Video\nIP=10.0.0.2\nPath=/home/a/My Clip.mp4\nName=Ann Lee\nLoginCode="},
        // "-C" inside a path is no switch; a whole word "-C" is, and comes first.
        {{"-V", "10.0.0.2", "/a/-C/b.mp4"},
         "Action=Video\nIP=10.0.0.2\nPath=/a/-C/b.mp4\nName=\nLoginCode="},
        {{"-V", "10.0.0.2", "-C", "x"}, "Action=Login\nIP=x\nLoginCode="},
        {{"-X", "10.0.0.2"}, "Action=Stop\nIP=10.0.0.2"},
        {{"-F", "10.0.0.2"}, "Action=Pause\nIP=10.0.0.2"},
        {{"-A"}, "Action=StopAll"},
        {{"-K", "-A"}, "Action=StopAll"},  // -A is looked for before -K
        {{"-K"}, "Action=Exit"},
        {{"-P", "\xea\xb9\x80.lan"},  // UTF-8 stays as it is
         "Action=Presentation\nIP=\xea\xb9\x80.lan\nID=\nName=\nLoginCode="},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::PrintToString(r.args));
        const ParsedCommandLine parsed = ParseCommandLine(r.args, {});
        ASSERT_EQ(parsed.result, Result::kAction) << parsed.error;
        EXPECT_EQ(FormatCommandFile(parsed.action), r.file);
        // What the running copy reads back is what was given.
        CommandAction back;
        std::string reason;
        ASSERT_TRUE(ParseCommandFile(r.file, &back, &reason));
        EXPECT_EQ(back, parsed.action);
    }
}

TEST(CommandLineTest, OptionsHelpAndRefusedValues) {
    const std::vector<LongOption> options = {{"discovery-to", true, "where to search"},
                                             {"quiet", false, ""}};
    struct Row {
        std::vector<std::string> args;
        Result result;
    } rows[] = {
        {{}, Result::kNoAction},
        {{"C:/some/folder"}, Result::kNoAction},  // no switch: a plain start
        {{"--help", "-K"}, Result::kHelp},
        {{"--bogus"}, Result::kInvalid},
        {{"--"}, Result::kInvalid},
        {{"--quiet=1"}, Result::kInvalid},
        {{"--discovery-to"}, Result::kInvalid},
        {{"-X", "10.0.0.1\n-K"}, Result::kInvalid},  // a line break would forge a line
        {{"-V", "10.0.0.1", "a\rb"}, Result::kInvalid},
        {{"-V", "10.0.0.1", "\xc0\xaf"}, Result::kInvalid},  // not UTF-8
        {{"-V", "10.0.0.1", std::string(kMaxCommandValueBytes + 1, 'a')}, Result::kInvalid},
        {{"-V", "10.0.0.1", std::string(kMaxCommandValueBytes, 'a')}, Result::kAction},
        {{"/selto", "-K"}, Result::kNoAction},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::PrintToString(r.args));
        const ParsedCommandLine parsed = ParseCommandLine(r.args, options);
        EXPECT_EQ(parsed.result, r.result);
        EXPECT_EQ(parsed.result == Result::kInvalid, !parsed.error.empty());
    }
    ParsedCommandLine parsed =
        ParseCommandLine({"--discovery-to", "127.0.0.5", "-C", "127.0.0.5", "6049"}, options);
    EXPECT_EQ(parsed.result, Result::kAction);
    EXPECT_EQ(parsed.options.at("discovery-to"), "127.0.0.5");
    EXPECT_EQ(parsed.action.ip, "127.0.0.5");
    parsed = ParseCommandLine({"--discovery-to=127.0.0.6", "--quiet"}, options);
    EXPECT_EQ(parsed.options.at("discovery-to"), "127.0.0.6");
    EXPECT_EQ(parsed.options.count("quiet"), 1u);
    EXPECT_TRUE(ParseCommandLine({"/selto"}, options).skipHandOff);
    const std::string usage = UsageText("pemu", options);
    EXPECT_NE(usage.find("--discovery-to VALUE"), std::string::npos) << usage;
}

TEST(CommandFileTest, ReadingIsPositionalAndWholeLined) {
    struct Row {
        const char* what;
        std::string text;
        bool ok;
        CommandAction action;
    } rows[] = {
        {"CRLF line ends",
         "Action=Login\r\nIP=10.0.0.2\r\nLoginCode=4821\r\n",
         true,
         {"Login", "10.0.0.2", "", "", "4821", ""}},
        {"a line without its key is consumed",
         "Action=Presentation\nIP=10.0.0.2\nX=1\nName=a",
         true,
         {"Presentation", "10.0.0.2", "", "a", "", ""}},
        {"missing lines are empty",
         "Action=Video\nIP=10.0.0.2",
         true,
         {"Video", "10.0.0.2", "", "", "", ""}},
        {"a key inside a line is not its start",
         "Action=Stop\nxIP=10.0.0.2",
         true,
         {"Stop", "", "", "", "", ""}},
        {"the value is all after the key",
         "Action=Stop\nIP=a=b",
         true,
         {"Stop", "a=b", "", "", "", ""}},
        {"unknown action", "Action=Reboot\nIP=10.0.0.2", true, {"Reboot", "", "", "", "", ""}},
        {"empty file", "", true, {}},
        {"a 5000-byte line",
         "Action=Video\nIP=10.0.0.2\nPath=" + std::string(5000, 'a'),
         false,
         {}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        CommandAction action;
        std::string reason;
        EXPECT_EQ(ParseCommandFile(r.text, &action, &reason), r.ok);
        if (r.ok) {
            EXPECT_EQ(action, r.action);
        } else {
            EXPECT_FALSE(reason.empty());
            EXPECT_EQ(action, CommandAction());
        }
    }
}

TEST(CommandChecksTest, AddressesAndCodes) {
    struct Address {
        const char* text;
        bool valid;
    } addresses[] = {
        {"10.0.0.2", true},   {"0.0.0.0", true},    {"255.255.255.255", true},
        {"1.20.100.9", true}, {"010.0.0.1", false}, {"1.02.3.4", false},
        {"1.2.3", false},     {"1.2.3.4.5", false}, {"256.1.1.1", false},
        {"1.2.3.", false},    {".1.2.3", false},    {"1..2.3", false},
        {"", false},          {"1.2.3.a", false},   {" 1.2.3.4", false},
        {"1.2.3.4 ", false},  {"+1.2.3.4", false},  {"1.2.3.1000", false},
    };
    for (const Address& a : addresses) {
        SCOPED_TRACE(a.text);
        EXPECT_EQ(IsValidIPv4Text(a.text), a.valid);
    }
    struct Code {
        const char* text;
        bool valid;
    } codes[] = {
        {"", true},       {"0000", true},  {"4821", true},  {"123", false},
        {"12345", false}, {"12a4", false}, {" 123", false},
    };
    for (const Code& c : codes) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(IsValidLoginCodeText(c.text), c.valid);
    }
}

}  // namespace
}  // namespace pemuapp
