// SettingsFile: the sender's settings file "Quorvane_Sender.ini" (section
// "Quorvane_Sender"), read once at start and written one key at a time.
//
// Load() prepares the folders (settings, log, and the scratch folder, which
// it empties of files), puts a default file in place when there is none
// (copied from the start folder, else from the program's folder, never over
// an existing file) and reads every key into SenderSettings:
//   flag     true exactly for "true" (LogAppend: any letter case)
//   integer  leading decimal digits; an empty value, or JpegQuality,
//            MaxFPS, CursorSize or Volume outside their range, gives the
//            default (logged)
//   text     at most 1024 characters
//   names    LogLevel (any case), ResolutionMode and CodecType (exact)
// A file that is not text is set aside by the store and the defaults are
// used; no file at all gives the defaults too. Login codes never reach the
// log.
//
// Writes go through the store: under its lock, one key, atomically, so the
// USB library and the log tool, which share the file, lose nothing.
//
// Not the values' users: the main dialog keeps SenderSettings and acts on
// them. THREADING: one thread (the user-interface thread).
#pragma once

#include <functional>
#include <string>

#include "app/settings/sender_paths.h"
#include "app/settings/sender_settings.h"
#include "platform/ini/ini_store.h"

class Logger;

namespace pemuapp {

// Ranges outside which a stored number takes its default.
inline constexpr int kMinJpegQuality = 1, kMaxJpegQuality = 100;
inline constexpr int kMinMaxFps = 1, kMaxMaxFps = 99;  // the settings page's two digits
inline constexpr int kMinCursorSize = 1, kMaxCursorSize = 4;
inline constexpr int kMinVolume = 0, kMaxVolume = 138;  // the volume slider's travel
// The most characters a text value keeps.
inline constexpr size_t kMaxSettingChars = 1024;
// The operating-system code on which EnableASC is not read and is on.
inline constexpr int kOsCodeModern = 19;

// What loading needs from the rest of the program.
struct SettingsLoadContext {
    int osCode = kOsCodeModern;
    // The language name already taken from the registry's LANG; when not
    // empty it is the language and LanguageID is not read.
    std::string languageFromRegistry;
    // True when a default audio output exists and is not muted; Volume is 0
    // otherwise. Null: taken as true.
    std::function<bool()> defaultOutputAudible;
    // Called before EnableASC is read on systems other than kOsCodeModern.
    std::function<void()> backupAccel;
    // Where a missing settings file is copied from: the start folder first,
    // then the program's folder. Empty entries are skipped.
    std::string startFolder;
    std::string programFolder;
};

class SettingsFile {
public:
    // `log` is borrowed (null: no log) and must outlive the object.
    SettingsFile(SenderPaths paths, Logger* log);

    // Prepares the folders, copies a default file when none exists, and
    // reads every key into *settings (which starts from the defaults).
    // False when no settings file exists and none could be copied; the
    // settings are then the defaults.
    bool Load(const SettingsLoadContext& context, SenderSettings* settings);

    // Writes one key through to the file ("true"/"false" for flags, "%d"
    // for numbers). False, logged, when the value is refused or the file
    // cannot be written.
    bool WriteSetting(const std::string& key, const std::string& value);
    bool WriteSetting(const std::string& key, int value);
    bool WriteFlag(const std::string& key, bool value);

    // The current value of one key as the file holds it now (read again, so
    // another program's write is seen); empty when missing. At most
    // kMaxSettingChars characters.
    std::string ReadSetting(const std::string& key);

    const SenderPaths& Paths() const { return m_paths; }

private:
    void PrepareFolders();
    void EmptyScratchFolder();
    bool EnsureSettingsFile(const SettingsLoadContext& context);
    void ReadKeys(const SettingsLoadContext& context, SenderSettings* s);

    SenderPaths m_paths;
    Logger* m_log;
    platform::IniStore m_store;
};

}  // namespace pemuapp
