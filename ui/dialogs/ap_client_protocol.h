// The receiver's access-point-client settings as they travel over the
// command channel, and the checks the page makes before sending them.
//
// Query "123;$APCLIENT;" -> "x;AVAILABLE=1;ONOFF=1;ESSID=home;MODE=7;KEY=..."
// (fields split at ';', the value of each after its first '='). The set
// request is "<checksum>;<body>", the checksum the decimal sum of the body's
// bytes. Pure functions; any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ui {

inline constexpr uint32_t kApClientMessageId = 0x01010101;
inline constexpr const char* kApClientQuery = "123;$APCLIENT;";
inline constexpr const char* kApClientReboot = "12;$REBOOT;";
// What the page keeps of the reply's texts.
inline constexpr size_t kApClientSsidBytes = 63;
inline constexpr size_t kApClientTextBytes = 1023;

// The combo's items, index 0..5.
inline constexpr const char* kEncryptionNames[] = {"Disable",  "WEP",      "WPA-AES",
                                                   "WPA2-AES", "WPA-TKIP", "WPA2-TKIP"};

struct ApClientSettings {
    bool available = false;
    bool on = false;
    std::string ssid;        // UTF-8, at most kApClientSsidBytes
    std::string encryption;  // a combo name
    std::string key;         // at most kApClientTextBytes
};

// Parses the query's reply; nullopt when it has fewer than the five fields
// after the first. Texts are cut at their bounds (on a UTF-8 boundary for
// the SSID).
std::optional<ApClientSettings> ParseApClientReply(std::string_view reply);

// The combo name of a wire code ("7" -> "WPA2-AES"); "Disable" for any text
// that is not a known code.
std::string EncryptionNameOfCode(std::string_view code);

// The wire code the page sends for a combo name and key: -1 for a name and
// key that give no code (a WPA key outside 8..64 characters).
int EncryptionCodeFor(std::string_view name, std::string_view key);

// The set request, checksum included. `channel` <= 0: no channel known.
std::string BuildApClientSetRequest(bool on, std::string_view ssid, int code, std::string_view key,
                                    int channel);

// Success of a set request: the second field's value is exactly "0" (after
// its '='). A reply that is not of that form is a failure.
bool ApClientSetSucceeded(std::string_view reply);

enum class ApClientCheck { kValid, kBadSsid, kBadKey };
// The page's checks with the mode on: an SSID over 32 bytes or with ';' or
// a line break; a key of the wrong length or characters for its encryption
// (';' and line breaks never pass).
ApClientCheck CheckApClientInput(std::string_view ssid, std::string_view encryption,
                                 std::string_view key);

// Neither ';' nor a line break (the request's separators).
bool IsWireSafe(std::string_view text);

}  // namespace ui
