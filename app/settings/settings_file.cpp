#include "app/settings/settings_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <optional>

#include "platform/syserror.h"
#include "platform/text_file.h"
#include "platform/unique_fd.h"
#include "platform/user_folders.h"
#include "vrxclientsdk/VRPClient/Logger.h"

namespace pemuapp {
namespace {

// The first `maxChars` characters of UTF-8 text.
std::string CutToCharacters(const std::string& text, size_t maxChars) {
    size_t chars = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 && chars++ == maxChars) {
            return text.substr(0, i);
        }
    }
    return text;
}

// The leading decimal integer of a text (optional sign); nullopt when the
// text is empty, 0 when it has no digits (the usual text-to-integer rule).
std::optional<long> LeadingInteger(const std::string& text) {
    if (text.empty()) {
        return std::nullopt;
    }
    size_t i = 0;
    bool negative = false;
    if (text[i] == '+' || text[i] == '-') {
        negative = text[i] == '-';
        ++i;
    }
    long value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > 1000000000L) {
            break;  // far outside every range; no overflow
        }
    }
    return negative ? -value : value;
}

struct LevelName {
    const char* name;
    int level;
};
constexpr LevelName kLevelNames[] = {
    {"FATAL", 0},  {"ALERT", 100},  {"CRIT", 200}, {"ERROR", 300},
    {"WARN", 400}, {"NOTICE", 500}, {"INFO", 600}, {"DEBUG", 700},
};

}  // namespace

SettingsFile::SettingsFile(SenderPaths paths, Logger* log)
    : m_paths(std::move(paths)), m_log(log), m_store(m_paths.settingsFile) {}

bool SettingsFile::Load(const SettingsLoadContext& context, SenderSettings* settings) {
    *settings = SenderSettings();
    if (m_paths.settingsFile.empty()) {
        QK_LOG(m_log, LOG_WARN, "LoadSettings: no home folder; the defaults are used");
        return false;
    }
    PrepareFolders();
    const bool haveFile = EnsureSettingsFile(context);
    std::string reason;
    const auto loaded = m_store.Load(&reason);
    if (loaded == platform::IniStore::LoadResult::kSetAside ||
        loaded == platform::IniStore::LoadResult::kUnreadable) {
        QK_LOG(m_log, LOG_WARN, "LoadSettings: %s", reason.c_str());
    }
    if (!haveFile) {
        QK_LOG(m_log, LOG_DEBUG, "LoadSettings: no settings file; the defaults are used");
        if (!context.languageFromRegistry.empty()) {
            settings->languageId = context.languageFromRegistry;
        }
        return false;
    }
    ReadKeys(context, settings);
    return true;
}

void SettingsFile::PrepareFolders() {
    std::string error;
    for (const std::string* folder : {&m_paths.configFolder, &m_paths.logFolder}) {
        if (!platform::MakeFolders(*folder, 0700, &error)) {
            QK_LOG(m_log, LOG_WARN, "LoadSettings: %s", error.c_str());
        }
    }
    struct stat st {};
    if (::stat(m_paths.scratchFolder.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        EmptyScratchFolder();
    } else if (!platform::MakeFolders(m_paths.scratchFolder, 0700, &error)) {
        QK_LOG(m_log, LOG_WARN, "LoadSettings: %s", error.c_str());
    }
}

// Deletes the files that an earlier run fetched; folders and names starting
// with '.' stay. Only entries of our own scratch folder are touched: a link
// is removed as a link, never followed.
void SettingsFile::EmptyScratchFolder() {
    platform::UniqueFd folder(
        ::open(m_paths.scratchFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW));
    DIR* dir = folder.valid() ? ::fdopendir(folder.get()) : nullptr;
    if (!dir) {
        QK_LOG(m_log, LOG_WARN, "LoadSettings: cannot read %s", m_paths.scratchFolder.c_str());
        return;
    }
    folder.release();  // the DIR owns it now
    const int fd = ::dirfd(dir);
    while (dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.') {
            continue;
        }
        struct stat st {};
        if (::fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || S_ISDIR(st.st_mode)) {
            continue;
        }
        if (::unlinkat(fd, entry->d_name, 0) != 0) {
            // One file that stays does not stop the others going.
            QK_LOG(m_log, LOG_WARN, "LoadSettings: cannot delete %s/%s: %s",
                   m_paths.scratchFolder.c_str(), entry->d_name,
                   platform::SystemErrorText(errno).c_str());
        }
    }
    ::closedir(dir);
}

// True when a settings file exists afterwards.
bool SettingsFile::EnsureSettingsFile(const SettingsLoadContext& context) {
    struct stat st {};
    if (::stat(m_paths.settingsFile.c_str(), &st) == 0) {
        return true;
    }
    for (const std::string* folder : {&context.startFolder, &context.programFolder}) {
        if (folder->empty()) {
            continue;
        }
        const std::string source = *folder + "/" + kSettingsFileName;
        std::string text;
        std::string reason;
        const auto status =
            platform::ReadTextFile(source, platform::IniStore::kMaxFileBytes, &text, &reason);
        if (status == platform::TextFileStatus::kMissing) {
            continue;
        }
        if (status != platform::TextFileStatus::kOk) {
            QK_LOG(m_log, LOG_WARN, "LoadSettings: default file not used: %s", reason.c_str());
            continue;
        }
        // O_EXCL: a file that appeared meanwhile is never overwritten.
        platform::UniqueFd out(
            ::open(m_paths.settingsFile.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (!out.valid()) {
            return errno == EEXIST;
        }
        const bool written =
            ::write(out.get(), text.data(), text.size()) == static_cast<ssize_t>(text.size()) &&
            out.Close() == 0;
        if (!written) {
            ::unlink(m_paths.settingsFile.c_str());
            QK_LOG(m_log, LOG_WARN, "LoadSettings: cannot copy %s", source.c_str());
            return false;
        }
        QK_LOG(m_log, LOG_DEBUG, "LoadSettings: settings file copied from %s", source.c_str());
        return true;
    }
    return false;
}

void SettingsFile::ReadKeys(const SettingsLoadContext& context, SenderSettings* s) {
    const std::string section = kSettingsSection;
    auto raw = [&](const char* key) { return m_store.Get(section, key); };
    auto flag = [&](const char* key, bool* value) {
        if (const auto text = raw(key)) {
            *value = *text == "true";
        }
    };
    auto text = [&](const char* key, std::string* value) {
        if (const auto t = raw(key)) {
            *value = CutToCharacters(*t, kMaxSettingChars);
        }
    };
    // An empty value keeps the default; so does a number outside
    // [minimum, maximum], which is logged.
    auto number = [&](const char* key, int* value, int minimum, int maximum) {
        const auto t = raw(key);
        if (!t) {
            return;
        }
        const std::optional<long> parsed = LeadingInteger(*t);
        if (!parsed) {
            QK_LOG(m_log, LOG_DEBUG, "LoadSettings: %s is empty; default %d", key, *value);
            return;
        }
        if (*parsed < minimum || *parsed > maximum) {
            QK_LOG(m_log, LOG_WARN, "LoadSettings: %s=%s is outside %d..%d; default %d", key,
                   t->c_str(), minimum, maximum, *value);
            return;
        }
        *value = static_cast<int>(*parsed);
    };
    constexpr int kAny = 1000000000;

    flag("AutoWifi", &s->autoWifi);
    flag("EnableZAMP", &s->enableZamp);
    text("LoginCode", &s->loginCode);
    flag("FirstTimeStartApplication", &s->firstTimeStartApplication);
    flag("AutoPowerManager", &s->autoPowerManager);
    number("RebootCountdown", &s->rebootCountdown, -kAny, kAny);
    number("AudioRefreshFreq", &s->audioRefreshFreq, -kAny, kAny);
    QK_LOG(m_log, LOG_DEBUG, "m_dwAudioRefreshFreq:%d", s->audioRefreshFreq);
    number("AudioRefreshSec", &s->audioRefreshSec, -kAny, kAny);
    if (context.osCode == kOsCodeModern) {
        s->enableAsc = true;  // not read on this system
    } else {
        if (context.backupAccel) {
            context.backupAccel();
        }
        flag("EnableASC", &s->enableAsc);
    }
    flag("ShowVACMessage", &s->showVacMessage);
    flag("StartFirst", &s->startFirst);
    text("FilterPrefixWord", &s->filterPrefixWord);
    text("LogFile", &s->logFile);
    if (const auto t = raw("LogAppend")) {
        s->logAppend = ::strcasecmp(t->c_str(), "true") == 0;
    }
    if (const auto t = raw("LogLevel")) {
        for (const LevelName& l : kLevelNames) {
            if (::strcasecmp(t->c_str(), l.name) == 0) {
                s->logLevel = l.level;
            }
        }
    }
    number("TVExpandWidth", &s->tvExpandWidth, -kAny, kAny);
    number("TVExpandHeight", &s->tvExpandHeight, -kAny, kAny);
    number("JpegQuality", &s->jpegQuality, kMinJpegQuality, kMaxJpegQuality);
    if (context.languageFromRegistry.empty()) {
        text("LanguageID", &s->languageId);
    } else {
        s->languageId = context.languageFromRegistry;
    }
    number("MaxFPS", &s->maxFps, kMinMaxFps, kMaxMaxFps);
    number("Volume", &s->volume, kMinVolume, kMaxVolume);
    if (context.defaultOutputAudible && !context.defaultOutputAudible()) {
        QK_LOG(m_log, LOG_DEBUG, "LoadSettings: no audible default output; Volume 0");
        s->volume = 0;
    }
    flag("TurnOffAudio", &s->turnOffAudio);
    flag("TurnOffVsync", &s->turnOffVsync);
    flag("AirProofQuestion", &s->airProofQuestion);
    if (const auto t = raw("ResolutionMode")) {
        s->resolutionMode = *t == "Large"    ? kResolutionLarge
                            : *t == "Middle" ? kResolutionMiddle
                                             : kResolutionSmall;
    }
    number("CursorSize", &s->cursorSize, kMinCursorSize, kMaxCursorSize);
    if (const auto t = raw("CodecType")) {
        s->codecType = *t == "H264" ? kCodecH264 : *t == "JPEG" ? kCodecJpeg : kCodecAuto;
    }
    flag("ShowResolutionConfirm", &s->showResolutionConfirm);
    flag("ChangeResolution", &s->changeResolution);
}

bool SettingsFile::WriteSetting(const std::string& key, const std::string& value) {
    std::string reason;
    if (!m_store.Write(kSettingsSection, key, value, &reason)) {
        QK_LOG(m_log, LOG_WARN, "WriteSetting %s: %s", key.c_str(), reason.c_str());
        return false;
    }
    return true;
}

bool SettingsFile::WriteSetting(const std::string& key, int value) {
    return WriteSetting(key, std::to_string(value));
}

bool SettingsFile::WriteFlag(const std::string& key, bool value) {
    return WriteSetting(key, value ? std::string("true") : std::string("false"));
}

std::string SettingsFile::ReadSetting(const std::string& key) {
    std::string reason;
    const auto loaded = m_store.Load(&reason);
    if (loaded == platform::IniStore::LoadResult::kSetAside ||
        loaded == platform::IniStore::LoadResult::kUnreadable) {
        QK_LOG(m_log, LOG_WARN, "ReadSetting: %s", reason.c_str());
    }
    return CutToCharacters(m_store.Get(kSettingsSection, key).value_or(""), kMaxSettingChars);
}

}  // namespace pemuapp
