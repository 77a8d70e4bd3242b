#include "ui/dialogs/ap_client_protocol.h"

#include <cstdio>
#include <vector>

#include "platform/wide_text.h"

namespace ui {
namespace {

std::vector<std::string_view> SplitFields(std::string_view text) {
    std::vector<std::string_view> out;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find(';', start);
        if (end == std::string_view::npos) {
            out.push_back(text.substr(start));
            break;
        }
        out.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return out;
}

std::string_view ValueOf(std::string_view field) {
    const size_t eq = field.find('=');
    return eq == std::string_view::npos ? std::string_view() : field.substr(eq + 1);
}

bool IsAsciiAlnum(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

template <typename Pred>
bool All(std::string_view text, Pred pred) {
    for (char c : text) {
        if (!pred(c)) {
            return false;
        }
    }
    return true;
}

bool IsWpaChar(char c) {
    static constexpr std::string_view kExtra = "!#%&*+-/=?@_";
    return IsAsciiAlnum(c) || c == ' ' || kExtra.find(c) != std::string_view::npos;
}

}  // namespace

std::optional<ApClientSettings> ParseApClientReply(std::string_view reply) {
    const std::vector<std::string_view> fields = SplitFields(reply);
    if (fields.size() < 6) {
        return std::nullopt;
    }
    ApClientSettings s;
    s.available = ValueOf(fields[1]) != "0";
    s.on = ValueOf(fields[2]) != "0";
    s.ssid = platform::TruncateUtf8(ValueOf(fields[3]), kApClientSsidBytes);
    s.encryption = EncryptionNameOfCode(ValueOf(fields[4]));
    s.key = std::string(ValueOf(fields[5]).substr(0, kApClientTextBytes));
    return s;
}

std::string EncryptionNameOfCode(std::string_view code) {
    static constexpr const char* kByCode[] = {
        "Disable",  "WEP",      "WEP",      "WEP",      "WEP",       "WPA-AES",  "WPA-AES",
        "WPA2-AES", "WPA2-AES", "WPA-TKIP", "WPA-TKIP", "WPA2-TKIP", "WPA2-TKIP"};
    if (code.empty() || code.size() > 2 ||
        !All(code, [](char c) { return c >= '0' && c <= '9'; })) {
        return "Disable";
    }
    const int value = code.size() == 1 ? code[0] - '0' : (code[0] - '0') * 10 + (code[1] - '0');
    if (value > 12) {
        return "Disable";
    }
    return kByCode[value];
}

int EncryptionCodeFor(std::string_view name, std::string_view key) {
    if (name == "WEP") {
        switch (key.size()) {
            case 13:
                return 1;
            case 5:
                return 2;
            case 26:
                return 3;
            case 10:
                return 4;
            default:
                return 0;
        }
    }
    int ascii = 0;
    if (name == "WPA-AES") {
        ascii = 5;
    } else if (name == "WPA2-AES") {
        ascii = 7;
    } else if (name == "WPA-TKIP") {
        ascii = 9;
    } else if (name == "WPA2-TKIP") {
        ascii = 11;
    } else {
        return 0;
    }
    if (key.size() >= 8 && key.size() <= 63) {
        return ascii;
    }
    if (key.size() == 64) {
        return ascii + 1;
    }
    return -1;
}

std::string BuildApClientSetRequest(bool on, std::string_view ssid, int code, std::string_view key,
                                    int channel) {
    std::string body = "APCLIENT_ONOFF=";
    body += on ? "1;" : "0;";
    body += "APCLIENT_ESSID=";
    body += platform::TruncateUtf8(ssid, kApClientSsidBytes);
    body += ";APCLIENT_ENCRYPT_MODE=";
    if (code >= 0) {
        body += std::to_string(code);
    }
    body += ";APCLIENT_ENCRYPT_KEY=";
    body += key;
    body += ';';
    if (!on) {
        body += "CHANNEL=0;";
    } else if (channel >= 1) {
        body += "CHANNEL=" + std::to_string(channel) + ";";
    }
    unsigned long sum = 0;
    for (char c : body) {
        sum += static_cast<unsigned char>(c);
    }
    return std::to_string(sum) + ";" + body;
}

bool ApClientSetSucceeded(std::string_view reply) {
    const std::vector<std::string_view> fields = SplitFields(reply);
    if (fields.size() < 2 || fields[1].find('=') == std::string_view::npos) {
        return false;
    }
    return ValueOf(fields[1]) == "0";
}

bool IsWireSafe(std::string_view text) {
    return text.find_first_of(";\r\n") == std::string_view::npos;
}

ApClientCheck CheckApClientInput(std::string_view ssid, std::string_view encryption,
                                 std::string_view key) {
    if (ssid.size() > 32 || !IsWireSafe(ssid)) {
        return ApClientCheck::kBadSsid;
    }
    const bool wep = encryption == "WEP";
    const bool wpa = encryption == "WPA-AES" || encryption == "WPA2-AES" ||
                     encryption == "WPA-TKIP" || encryption == "WPA2-TKIP";
    if (!wep && !wpa) {
        return ApClientCheck::kValid;
    }
    const auto hexOrBlank = [](char c) { return IsHex(c) || c == ' '; };
    bool ok = false;
    if (wep) {
        if (key.size() == 5 || key.size() == 13) {
            ok = All(key, [](char c) { return IsAsciiAlnum(c) || c == ' '; });
        } else if (key.size() == 10 || key.size() == 26) {
            ok = All(key, hexOrBlank);
        }
    } else if (key.size() >= 8 && key.size() <= 63) {
        ok = All(key, IsWpaChar);
    } else if (key.size() == 64) {
        ok = All(key, hexOrBlank);
    }
    return ok ? ApClientCheck::kValid : ApClientCheck::kBadKey;
}

}  // namespace ui
