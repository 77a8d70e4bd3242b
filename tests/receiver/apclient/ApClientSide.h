// ApClientSide: the simulated receiver's access-point-client settings, as
// they travel in forwarded text messages (message id 0x01010101).
//
// - "123;$APCLIENT;" is answered from the scripted settings:
//   "<sum>;APCLIENT_SUPPORT=<0|1>;APCLIENT_ONOFF=<0|1>;APCLIENT_ESSID=<ssid>;
//   APCLIENT_ENCRYPT_MODE=<code>;APCLIENT_ENCRYPT_KEY=<key>;" (or a scripted
//   raw text).
// - A set request "<sum>;<body>" is checked strictly: the sum is the decimal
//   sum of the body's unsigned bytes; the body is APCLIENT_ONOFF (0 or 1),
//   APCLIENT_ESSID, APCLIENT_ENCRYPT_MODE (0..12), APCLIENT_ENCRYPT_KEY and
//   the channel part (with the mode off exactly "CHANNEL=0;", with it on
//   none or "CHANNEL=<n>;" with n >= 1), each ending in ';', nothing else.
//   Every set request is recorded with what the check found; an accepted
//   one becomes the settings a later query reads and is answered
//   "<sum>;APCLIENT_RESULT=0;", a refused one "<sum>;APCLIENT_RESULT=1;"
//   (or the scripted result).
// - "12;$REBOOT;" is counted and answered "12;REBOOT=0;".
// Any other text with that message id (one that does not start with a
// decimal number and ';') is recorded as an error.
//
// THREADING: Answer runs on the simulator's serving thread; the other
// operations may be called from any thread.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace receiver_sim {

inline constexpr uint32_t kApClientMessage = 0x01010101;

struct ApClientSettings {
    bool supported = true;
    bool on = false;
    std::string ssid;
    int encryptMode = 0;
    std::string key;
};

// One set request as it arrived, and what the check found.
struct ApClientSetRequest {
    std::string raw;  // the whole request text
    bool sumOk = false;
    bool wellFormed = false;  // body fields in order, values in range
    std::string problem;      // why not, when not
    ApClientSettings settings;
    std::optional<int> channel;  // the CHANNEL part, when present
};

class ApClientSide {
public:
    // The decimal sum of the unsigned byte values of `body`.
    static uint64_t ByteSum(std::string_view body);

    // The reply to a forwarded text with message id `id`; nullopt when the
    // id is not this side's.
    std::optional<std::string> Answer(uint32_t id, const std::string& text);

    // --- scripting -------------------------------------------------------
    void SetSettings(const ApClientSettings& settings);
    // The query's reply exactly as given (nullopt: from the settings).
    void SetRawQueryReply(std::optional<std::string> reply);
    // The result value of accepted set requests (default 0).
    void SetResultCode(int code);

    // --- what the sender did ---------------------------------------------
    ApClientSettings Settings();
    std::vector<ApClientSetRequest> SetRequests();
    int Queries();
    int Reboots();
    // Texts with this side's id that are neither query, set nor reboot.
    std::vector<std::string> Errors();

private:
    static ApClientSetRequest Check(const std::string& text);
    std::string QueryReply() const;

    std::mutex m_lock;
    ApClientSettings m_settings;
    std::optional<std::string> m_rawQueryReply;
    int m_resultCode = 0;
    std::vector<ApClientSetRequest> m_sets;
    int m_queries = 0;
    int m_reboots = 0;
    std::vector<std::string> m_errors;
};

}  // namespace receiver_sim
