// The sender's command line: the action switches of a start and its long
// options.
//
// Switches are whole words: "-C", "-P", "-V", "-X", "-F", "-A", "-K" are
// looked for in that order and the first one present decides; its arguments
// are the words that follow it (a missing word is an empty value). "-o",
// "-u" and "-c" may stand anywhere and take the word after them. So a path
// or a name that holds blanks or the letters "-C" is one word and never a
// switch.
//
//   -C ip code                      Login
//   -P ip [-o position] [-u user] [-c code]   Presentation
//   -V ip path [-u user] [-c code]  Video
//   -X ip                           Stop
//   -F ip                           Pause (or resume)
//   -A                              StopAll
//   -K                              Exit
//
// Long options ("--help", and those the program declares, as "--name value"
// or "--name=value") are taken out first; an unknown one is an error.
// Pure functions.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "app/startup/command_action.h"

namespace pemuapp {

struct LongOption {
    std::string name;  // without the leading "--"
    bool takesValue = false;
    std::string help;  // one line for the usage text
};

struct ParsedCommandLine {
    enum class Result {
        kNoAction,  // a plain start
        kAction,    // `action` holds what a switch asked for
        kHelp,      // --help
        kInvalid,   // `error` says why
    };
    Result result = Result::kNoAction;
    CommandAction action;
    std::map<std::string, std::string> options;  // long options given
    // A word "/selto": the start skips the hand-off.
    bool skipHandOff = false;
    std::string error;
};

// Parses argv[1..] of a start.
ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args,
                                   const std::vector<LongOption>& longOptions);

// The switches of `args` as an action (the long options already removed).
// kNoAction when no switch is present; kInvalid when a value is not UTF-8
// text of one line within kMaxCommandValueBytes.
ParsedCommandLine::Result TranslateCommandLine(const std::vector<std::string>& args,
                                               CommandAction* action, std::string* error);

// The usage text for --help.
std::string UsageText(const std::string& program, const std::vector<LongOption>& longOptions);

}  // namespace pemuapp
