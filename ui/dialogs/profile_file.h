// ProfileFile: the connection profiles of profile.ini.
//
// The file sits beside the settings file (<config>/Pemu Quorvane Sender/
// profile.ini). Section "1", "2", ... holds one profile each, in list order;
// the first section without a ProfileName ends the list, and section "1" is
// the current profile. Keys: ProfileName, SSID, ServerIP, UserName,
// LoginCode, WPAKey; all UTF-8.
//
// Reading goes through the ini store, which treats the file as hostile: a
// file that is not text is set aside, read as no profiles, and the reason is
// kept for the caller's error box. Saving replaces the whole file atomically
// (temporary file, flush, rename, mode 0600) after checking every name, so a
// refused save leaves the file as it was.
//
// THREADING: user-interface thread (one object per call site is fine; every
// read goes to the file, nothing is cached).
#pragma once

#include <string>
#include <vector>

#include "ui/dialogs/cqk_common_dlg.h"

namespace ui {

inline constexpr const char* kProfileFileName = "profile.ini";

class ProfileFile {
public:
    // `path`: the file's full path.
    explicit ProfileFile(std::string path) : m_path(std::move(path)) {}
    // profile.ini in the sender's config folder; an empty path (no home
    // folder known) reads as no profiles and refuses to save.
    static ProfileFile InUserConfig();

    const std::string& Path() const { return m_path; }

    // Section "1" into `out`: true when it has a ProfileName. A missing or
    // empty ServerIP reads as "0.0.0.0", and so does one that is no dotted
    // IPv4 address.
    bool LoadCurrentProfile(ConnectionProfile& out);
    // Replaces `out` with the file's profiles in section order; returns
    // their count. Missing keys stay empty.
    int LoadProfiles(std::vector<ConnectionProfile>& out);
    // Writes `profiles` as sections "1".."N" (LoginCode is never written, a
    // key with an empty value is left out). An empty list removes the file.
    // A profile without a name refuses the whole save: false, file
    // unchanged. False too when the file cannot be written.
    bool SaveProfiles(const std::vector<ConnectionProfile>& profiles);
    // Sets SSID, ServerIP and WPAKey of section "1" (even when empty),
    // keeping everything else of the file.
    bool SaveWifiToCurrentProfile(const std::string& serverIp, const std::string& ssid,
                                  const std::string& key);

    // Why the last call failed or read nothing of an existing file (a file
    // that is not text, set aside; a write error); empty when it did not.
    const std::string& LastError() const { return m_error; }

private:
    std::string m_path;
    std::string m_error;
};

}  // namespace ui
