// The log tool's command line:
//
//   brelvix [--mail] [--client PATH] [--no-open]
//       the window; --mail shows its "Start and Mail" button
//   brelvix --run [--mail] [--client PATH] [--no-open]
//       no window: starts the client at once, watches it, and when it has
//       ended prints the log folder (or, with --mail, the mail link) and
//       exits 0; a configuration or start error exits 1
//   brelvix --help
//
// --client PATH runs that program instead of the one Log.ini names;
// --no-open only names the folder or link instead of opening it.
// Pure. THREADING: any thread.
#pragma once

#include <string>
#include <vector>

namespace logtool {

struct BrelvixOptions {
    bool run = false;
    bool mail = false;
    bool noOpen = false;
    bool help = false;
    std::string client;
};

struct ParsedCommandLine {
    BrelvixOptions options;
    std::string error;  // empty: the words were understood
};

// `args` without the program name.
ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args);

// The text --help prints.
std::string UsageText();

}  // namespace logtool
