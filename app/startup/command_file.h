// The command file "commandline.txt": the action of a start with switches,
// written by that start and consumed by the running copy.
//
// Format: UTF-8, one value per line, lines ended by "\n" and none after the
// last value. Line layouts, in file order:
//   Login         Action=Login         IP=  LoginCode=
//   Presentation  Action=Presentation  IP=  ID=    Name=  LoginCode=
//   Video         Action=Video         IP=  Path=  Name=  LoginCode=
//   Stop, Pause   Action=Stop|Pause    IP=
//   StopAll, Exit Action=StopAll|Exit
// The reader is positional: one line per expected key, in this order; a line
// that does not start with its key gives an empty value and is consumed all
// the same. CRs at a line's end are dropped. A line longer than
// kMaxCommandLineBytes makes the whole file invalid: no part of it is read
// as a value of another line.
//
// Pure text functions; reading and writing the file is the hand-off's.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "app/startup/command_action.h"

namespace pemuapp {

// The longest value (a path: PATH_MAX) and the longest line (value and key).
inline constexpr size_t kMaxCommandValueBytes = 4096;
inline constexpr size_t kMaxCommandLineBytes = kMaxCommandValueBytes + 16;
// The longest command file: five whole lines.
inline constexpr size_t kMaxCommandFileBytes = 5 * (kMaxCommandLineBytes + 2);

// The file text of `action` (its action word and the values of its layout;
// an unknown word gives only its "Action=" line).
std::string FormatCommandFile(const CommandAction& action);

// Reads a command file's text. False, with the reason, when a line is too
// long; an empty action is not an error (it does nothing).
bool ParseCommandFile(std::string_view text, CommandAction* action, std::string* reason);

}  // namespace pemuapp
