#include "ui/widgets/receiver_log.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <utility>

#include "platform/socket.h"
#include "platform/wide_text.h"
#include "ui/widgets/receiver_row_client.h"

namespace ui {
namespace {

// clang-format off
constexpr std::array<std::pair<std::string_view, int>, 8> kLevels = {{
    {"FATAL", 0}, {"ALERT", 100}, {"CRIT", 200}, {"ERROR", 300},
    {"WARN", 400}, {"NOTICE", 500}, {"INFO", 600}, {"DEBUG", 700},
}};
// clang-format on

bool IsControl(wchar_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

}  // namespace

std::string DottedIPv4(uint32_t networkOrder) {
    return platform::FormatIPv4(networkOrder);
}

int LogLevelFromWord(std::string_view word) {
    for (const auto& [name, level] : kLevels) {
        if (word == name) {
            return level;
        }
    }
    return kDefaultLogLevel;
}

bool LogAppendFromText(std::string_view text) {
    constexpr std::string_view kTrue = "true";
    if (text.size() != kTrue.size()) {
        return false;
    }
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i] >= 'A' && text[i] <= 'Z' ? static_cast<char>(text[i] + 32) : text[i];
        if (c != kTrue[i]) {
            return false;
        }
    }
    return true;
}

std::string SafeReceiverName(std::string_view name) {
    std::wstring wide = platform::Utf8ToWide(name);
    for (wchar_t& c : wide) {
        if (c == L'/' || c == L'\\' || IsControl(c) || c == 0xFFFD) {
            c = L'_';
        }
    }
    // ".." never stands in the name, whatever the folder rules of a system.
    for (size_t i = 0; i + 1 < wide.size(); ++i) {
        if (wide[i] == L'.' && wide[i + 1] == L'.') {
            wide[i] = L'_';
        }
    }
    std::string out;
    for (wchar_t c : wide) {
        const std::string piece = platform::WideToUtf8(std::wstring_view(&c, 1));
        if (out.size() + piece.size() > kMaxNameBytes) {
            break;
        }
        out += piece;
    }
    return out;
}

std::optional<ReceiverLogPlan> PlanReceiverLog(const SettingsReader& settings,
                                               std::string_view receiverName,
                                               uint32_t ipv4NetworkOrder) {
    const std::string logFile = settings.ReadSetting("LogFile").value_or("");
    const std::string folder = std::filesystem::path(logFile).parent_path().string();
    const std::string name = SafeReceiverName(receiverName);
    if (folder.empty()) {
        return std::nullopt;
    }
    ReceiverLogPlan plan;
    plan.folder = folder;
    if (!name.empty()) {
        const std::string file = name + "-" + DottedIPv4(ipv4NetworkOrder) + ".log";
        plan.path = (std::filesystem::path(folder) / file).string();
    }
    plan.level = LogLevelFromWord(settings.ReadSetting("LogLevel").value_or("INFO"));
    plan.append = LogAppendFromText(settings.ReadSetting("LogAppend").value_or("true"));
    return plan;
}

}  // namespace ui
