#include "logtool/log_config.h"

#include <sys/stat.h>

#include <algorithm>

#include "platform/ini/ini_document.h"
#include "platform/text_file.h"

namespace logtool {
namespace {

// Log.ini is a handful of lines; anything larger is not one.
constexpr size_t kMaxConfigBytes = 64 * 1024;

size_t CountCharacters(std::string_view utf8) {
    size_t count = 0;
    for (unsigned char c : utf8) {
        count += (c & 0xC0) != 0x80 ? 1 : 0;
    }
    return count;
}

bool HasControlCharacters(std::string_view text) {
    for (unsigned char c : text) {
        if (c < 0x20 || c == 0x7F) {
            return true;
        }
    }
    return false;
}

// A value as a message shows it: control characters as '?'.
std::string Shown(std::string_view value) {
    std::string out(value);
    for (char& c : out) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            c = '?';
        }
    }
    return out;
}

bool IsRegularFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash ? slash : 1);
}

}  // namespace

bool IsPlainName(std::string_view name) {
    return !name.empty() && CountCharacters(name) <= kMaxConfigChars &&
           name.find('/') == std::string_view::npos && name != "." && name != ".." &&
           !HasControlCharacters(name);
}

ConfigResult ParseLogConfig(std::string_view text, const std::string& path) {
    const platform::IniDocument doc(text);
    ConfigResult result;
    auto fail = [&](const std::string& why) {
        result.error = path + ": " + why;
        return result;
    };
    LogConfig config;
    struct Required {
        const char* key;
        std::string* value;
    } required[] = {
        {"AppTempFolderName", &config.appTempFolderName},
        {"ININame", &config.iniName},
        {"SectionName", &config.sectionName},
        {"AppName", &config.appName},
    };
    for (const Required& r : required) {
        *r.value = doc.Get(kConfigSection, r.key).value_or("");
        if (r.value->empty()) {
            return fail("the key " + std::string(r.key) + " of section [" + kConfigSection +
                        "] is missing or empty");
        }
        if (!IsPlainName(*r.value)) {
            return fail("the value of " + std::string(r.key) + " (\"" + Shown(*r.value) +
                        "\") is not a plain name: at most 128 characters, no '/', "
                        "not \".\" or \"..\"");
        }
    }
    if (!platform::IniDocument::IsValidName(config.sectionName)) {
        return fail("the value of SectionName (\"" + Shown(config.sectionName) +
                    "\") cannot name a section of a settings file");
    }
    config.mailTo = doc.Get(kConfigSection, "MailTo").value_or("");
    const bool address = std::all_of(config.mailTo.begin(), config.mailTo.end(),
                                     [](char c) { return c > 0x20 && c < 0x7F; });
    if (config.mailTo.size() > kMaxConfigChars || !address) {
        return fail("the value of MailTo (\"" + Shown(config.mailTo) +
                    "\") is not a mail address: at most 128 printable ASCII characters, "
                    "no blanks");
    }
    config.folder = FolderOf(path);
    result.config = std::move(config);
    return result;
}

ConfigResult LoadLogConfig(const std::string& currentFolder, const std::string& programFolder) {
    std::string path = currentFolder + "/" + kConfigFileName;
    if (!IsRegularFile(path)) {
        path = programFolder + "/" + kConfigFileName;
        if (!IsRegularFile(path)) {
            ConfigResult missing;
            missing.error = "no " + std::string(kConfigFileName) + " in the current folder (" +
                            currentFolder + ") or beside the program (" + programFolder + ")";
            return missing;
        }
    }
    std::string text;
    std::string why;
    if (platform::ReadTextFile(path, kMaxConfigBytes, &text, &why) !=
        platform::TextFileStatus::kOk) {
        ConfigResult unreadable;
        unreadable.error = path + ": cannot be read: " + why;
        return unreadable;
    }
    return ParseLogConfig(text, path);
}

}  // namespace logtool
