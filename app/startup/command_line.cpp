#include "app/startup/command_line.h"

#include <algorithm>

#include "app/startup/command_file.h"
#include "platform/wide_text.h"

namespace pemuapp {
namespace {

using Result = ParsedCommandLine::Result;

// The word after position `i`, or empty.
std::string After(const std::vector<std::string>& args, size_t i, size_t offset = 1) {
    return i + offset < args.size() ? args[i + offset] : std::string();
}

// The word after the first option word `option`, or empty.
std::string OptionValue(const std::vector<std::string>& args, const char* option) {
    const auto it = std::find(args.begin(), args.end(), option);
    return it == args.end() ? std::string() : After(args, static_cast<size_t>(it - args.begin()));
}

bool CheckValue(const char* what, const std::string& value, std::string* error) {
    if (value.size() > kMaxCommandValueBytes) {
        *error = std::string(what) + " is longer than " + std::to_string(kMaxCommandValueBytes) +
                 " bytes";
        return false;
    }
    if (value.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos) {
        *error = std::string(what) + " holds a line break";
        return false;
    }
    if (!platform::IsValidUtf8(value)) {
        *error = std::string(what) + " is not UTF-8 text";
        return false;
    }
    return true;
}

}  // namespace

Result TranslateCommandLine(const std::vector<std::string>& args, CommandAction* action,
                            std::string* error) {
    *action = CommandAction();
    static const char* const kSwitches[] = {"-C", "-P", "-V", "-X", "-F", "-A", "-K"};
    size_t at = args.size();
    const char* found = nullptr;
    for (const char* s : kSwitches) {
        const auto it = std::find(args.begin(), args.end(), s);
        if (it != args.end()) {
            at = static_cast<size_t>(it - args.begin());
            found = s;
            break;
        }
    }
    if (!found) {
        return Result::kNoAction;
    }
    switch (found[1]) {
        case 'C':
            *action = {"Login", After(args, at), "", "", After(args, at, 2), ""};
            break;
        case 'P':
            *action = {"Presentation",          After(args, at),         OptionValue(args, "-o"),
                       OptionValue(args, "-u"), OptionValue(args, "-c"), ""};
            break;
        case 'V':
            *action = {"Video",
                       After(args, at),
                       "",
                       OptionValue(args, "-u"),
                       OptionValue(args, "-c"),
                       After(args, at, 2)};
            break;
        case 'X':
            *action = {"Stop", After(args, at), "", "", "", ""};
            break;
        case 'F':
            *action = {"Pause", After(args, at), "", "", "", ""};
            break;
        case 'A':
            action->action = "StopAll";
            break;
        default:
            action->action = "Exit";
            break;
    }
    if (!CheckValue("the address", action->ip, error) ||
        !CheckValue("the position", action->id, error) ||
        !CheckValue("the user name", action->name, error) ||
        !CheckValue("the login code", action->code, error) ||
        !CheckValue("the path", action->path, error)) {
        return Result::kInvalid;
    }
    return Result::kAction;
}

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args,
                                   const std::vector<LongOption>& longOptions) {
    ParsedCommandLine parsed;
    std::vector<std::string> rest;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        if (word == "/selto") {
            parsed.skipHandOff = true;
            continue;
        }
        if (word.rfind("--", 0) != 0) {
            rest.push_back(word);
            continue;
        }
        if (word == "--help") {
            parsed.result = Result::kHelp;
            return parsed;
        }
        const size_t equals = word.find('=');
        const std::string name = word.substr(2, equals == std::string::npos ? equals : equals - 2);
        const auto option = std::find_if(longOptions.begin(), longOptions.end(),
                                         [&](const LongOption& o) { return o.name == name; });
        if (option == longOptions.end() || name.empty()) {
            parsed.result = Result::kInvalid;
            parsed.error = "unknown option " + word;
            return parsed;
        }
        if (!option->takesValue) {
            if (equals != std::string::npos) {
                parsed.result = Result::kInvalid;
                parsed.error = "option --" + name + " takes no value";
                return parsed;
            }
            parsed.options[name] = "";
        } else if (equals != std::string::npos) {
            parsed.options[name] = word.substr(equals + 1);
        } else if (i + 1 < args.size()) {
            parsed.options[name] = args[++i];
        } else {
            parsed.result = Result::kInvalid;
            parsed.error = "option --" + name + " needs a value";
            return parsed;
        }
    }
    if (parsed.skipHandOff) {
        // Such a start never hands an action on.
        return parsed;
    }
    parsed.result = TranslateCommandLine(rest, &parsed.action, &parsed.error);
    return parsed;
}

std::string UsageText(const std::string& program, const std::vector<LongOption>& longOptions) {
    std::string text =
        "Usage: " + program +
        " [options] [action]\n"
        "Starts the sender, or hands an action to the copy that runs.\n"
        "\n"
        "Actions (the first switch present decides):\n"
        "  -C ADDRESS CODE                      log in to a receiver\n"
        "  -P ADDRESS [-o 0-4] [-u USER] [-c CODE]\n"
        "                                       present the screen (0: full screen)\n"
        "  -V ADDRESS PATH [-u USER] [-c CODE]  play a media file\n"
        "  -X ADDRESS                           stop\n"
        "  -F ADDRESS                           pause or resume\n"
        "  -A                                   stop every receiver\n"
        "  -K                                   stop every receiver and exit\n"
        "\n"
        "Options:\n"
        "  --help                               this text\n";
    for (const LongOption& o : longOptions) {
        std::string left = "  --" + o.name + (o.takesValue ? " VALUE" : "");
        left.resize(std::max<size_t>(left.size() + 1, 39), ' ');
        text += left + o.help + "\n";
    }
    return text;
}

}  // namespace pemuapp
