#include "logtool/command_line.h"

namespace logtool {

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args) {
    ParsedCommandLine parsed;
    BrelvixOptions& o = parsed.options;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        if (word == "--run") {
            o.run = true;
        } else if (word == "--mail") {
            o.mail = true;
        } else if (word == "--no-open") {
            o.noOpen = true;
        } else if (word == "--help" || word == "-h") {
            o.help = true;
        } else if (word == "--client" || word.starts_with("--client=")) {
            std::string value;
            if (word == "--client") {
                if (i + 1 == args.size()) {
                    parsed.error = "--client needs the path of a program";
                    return parsed;
                }
                value = args[++i];
            } else {
                value = word.substr(9);
            }
            if (value.empty()) {
                parsed.error = "--client needs the path of a program";
                return parsed;
            }
            o.client = value;
        } else {
            parsed.error = "unknown argument: " + word;
            return parsed;
        }
    }
    return parsed;
}

std::string UsageText() {
    return "Usage: brelvix [--run] [--mail] [--client PATH] [--no-open]\n"
           "       brelvix --help\n"
           "\n"
           "Switches the logging of the program named in Log.ini on, runs it and\n"
           "watches it; when it has ended, opens its log folder or a mail message\n"
           "with its log.\n"
           "\n"
           "  --run          no window: start at once, and print the log folder\n"
           "                 (or the mail link) when the program has ended;\n"
           "                 Ctrl+C stops the program\n"
           "  --mail         send the log by mail instead of opening the folder\n"
           "                 (in the window: show the \"Start and Mail\" button)\n"
           "  --client PATH  run this program instead of the one Log.ini names\n"
           "  --no-open      name the folder or link, do not open it\n"
           "  --help         this text\n"
           "\n"
           "Log.ini is read from the current folder, else from beside brelvix.\n"
           "Exit status: 0 after a collection, 1 on a configuration or start\n"
           "error, 2 on a wrong command line.\n";
}

}  // namespace logtool
