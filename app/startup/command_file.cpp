#include "app/startup/command_file.h"

#include <vector>

namespace pemuapp {
namespace {

struct Field {
    const char* key;
    std::string CommandAction::*value;
};

// The lines after "Action=" for each action word.
std::vector<Field> Layout(const std::string& action) {
    using A = CommandAction;
    if (action == "Login") {
        return {{"IP=", &A::ip}, {"LoginCode=", &A::code}};
    }
    if (action == "Presentation") {
        return {{"IP=", &A::ip}, {"ID=", &A::id}, {"Name=", &A::name}, {"LoginCode=", &A::code}};
    }
    if (action == "Video") {
        return {
            {"IP=", &A::ip}, {"Path=", &A::path}, {"Name=", &A::name}, {"LoginCode=", &A::code}};
    }
    if (action == "Stop" || action == "Pause") {
        return {{"IP=", &A::ip}};
    }
    return {};
}

constexpr std::string_view kActionKey = "Action=";

}  // namespace

std::string FormatCommandFile(const CommandAction& action) {
    std::string text = std::string(kActionKey) + action.action;
    for (const Field& f : Layout(action.action)) {
        text += "\n";
        text += f.key;
        text += action.*f.value;
    }
    return text;
}

bool ParseCommandFile(std::string_view text, CommandAction* action, std::string* reason) {
    *action = CommandAction();
    std::vector<std::string_view> lines;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        const bool last = end == std::string_view::npos;
        if (last) {
            end = text.size();
        }
        std::string_view line = text.substr(start, end - start);
        while (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);  // CR LF line ends, and stray CRs before them
        }
        if (line.size() > kMaxCommandLineBytes) {
            *reason = "a line of " + std::to_string(line.size()) + " bytes (at most " +
                      std::to_string(kMaxCommandLineBytes) + ")";
            return false;
        }
        lines.push_back(line);
        if (last) {
            break;
        }
        start = end + 1;
    }
    // Line i holds the value of key i, or an empty one.
    auto value = [&](size_t i, std::string_view key) {
        if (i >= lines.size() || lines[i].substr(0, key.size()) != key) {
            return std::string();
        }
        return std::string(lines[i].substr(key.size()));
    };
    action->action = value(0, kActionKey);
    const std::vector<Field> layout = Layout(action->action);
    for (size_t i = 0; i < layout.size(); ++i) {
        (*action).*layout[i].value = value(i + 1, layout[i].key);
    }
    return true;
}

}  // namespace pemuapp
