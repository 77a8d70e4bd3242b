#include "tests/receiver/apclient/ApClientSide.h"

#include <charconv>

namespace receiver_sim {
namespace {

constexpr std::string_view kQuery = "123;$APCLIENT;";
constexpr std::string_view kReboot = "12;$REBOOT;";

// "<sum>;<body>" with the body's own sum in front.
std::string WithSum(const std::string& body) {
    return std::to_string(ApClientSide::ByteSum(body)) + ";" + body;
}

// A decimal number that is the whole of `text` (no sign, no blanks).
std::optional<uint64_t> Decimal(std::string_view text) {
    if (text.empty() || text.size() > 18) {
        return std::nullopt;
    }
    uint64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

// Reads "<name>=<value>;" at the front of `rest`; the value may not hold ';'.
bool TakeField(std::string_view& rest, std::string_view name, std::string* value) {
    if (rest.substr(0, name.size()) != name || rest.size() <= name.size() ||
        rest[name.size()] != '=') {
        return false;
    }
    rest.remove_prefix(name.size() + 1);
    const size_t end = rest.find(';');
    if (end == std::string_view::npos) {
        return false;
    }
    *value = std::string(rest.substr(0, end));
    rest.remove_prefix(end + 1);
    return true;
}

}  // namespace

uint64_t ApClientSide::ByteSum(std::string_view body) {
    uint64_t sum = 0;
    for (char c : body) {
        sum += static_cast<unsigned char>(c);
    }
    return sum;
}

ApClientSetRequest ApClientSide::Check(const std::string& text) {
    ApClientSetRequest r;
    r.raw = text;
    const size_t cut = text.find(';');
    if (cut == std::string::npos) {
        r.problem = "no ';' after the sum";
        return r;
    }
    const std::optional<uint64_t> sum = Decimal(std::string_view(text).substr(0, cut));
    std::string_view body = std::string_view(text).substr(cut + 1);
    r.sumOk = sum && *sum == ByteSum(body);
    auto fail = [&r](std::string why) {
        r.problem = std::move(why);
        return r;
    };
    if (body.find_first_of("\r\n") != std::string_view::npos) {
        return fail("a line break in the body");
    }
    std::string onoff, mode, channel;
    if (!TakeField(body, "APCLIENT_ONOFF", &onoff) || (onoff != "0" && onoff != "1")) {
        return fail("APCLIENT_ONOFF missing or not 0/1");
    }
    r.settings.on = onoff == "1";
    if (!TakeField(body, "APCLIENT_ESSID", &r.settings.ssid)) {
        return fail("APCLIENT_ESSID missing");
    }
    const std::optional<uint64_t> code =
        TakeField(body, "APCLIENT_ENCRYPT_MODE", &mode) ? Decimal(mode) : std::nullopt;
    if (!code || *code > 12) {
        return fail("APCLIENT_ENCRYPT_MODE missing or not 0..12");
    }
    r.settings.encryptMode = static_cast<int>(*code);
    if (!TakeField(body, "APCLIENT_ENCRYPT_KEY", &r.settings.key)) {
        return fail("APCLIENT_ENCRYPT_KEY missing");
    }
    if (!body.empty()) {
        const std::optional<uint64_t> n =
            TakeField(body, "CHANNEL", &channel) ? Decimal(channel) : std::nullopt;
        if (!n || *n > 255) {
            return fail("a bad channel part");
        }
        r.channel = static_cast<int>(*n);
    }
    if (!body.empty()) {
        return fail("text after the channel part");
    }
    if (!r.settings.on && r.channel != 0) {
        return fail("mode off without \"CHANNEL=0;\"");
    }
    if (r.settings.on && r.channel && *r.channel < 1) {
        return fail("mode on with channel 0");
    }
    r.wellFormed = true;
    return r;
}

std::string ApClientSide::QueryReply() const {
    if (m_rawQueryReply) {
        return *m_rawQueryReply;
    }
    const ApClientSettings& s = m_settings;
    return WithSum(std::string("APCLIENT_SUPPORT=") + (s.supported ? "1" : "0") +
                   ";APCLIENT_ONOFF=" + (s.on ? "1" : "0") + ";APCLIENT_ESSID=" + s.ssid +
                   ";APCLIENT_ENCRYPT_MODE=" + std::to_string(s.encryptMode) +
                   ";APCLIENT_ENCRYPT_KEY=" + s.key + ";");
}

std::optional<std::string> ApClientSide::Answer(uint32_t id, const std::string& text) {
    if (id != kApClientMessage) {
        return std::nullopt;
    }
    std::lock_guard<std::mutex> g(m_lock);
    if (text == kQuery) {
        ++m_queries;
        return QueryReply();
    }
    if (text == kReboot) {
        ++m_reboots;
        return std::string("12;REBOOT=0;");
    }
    const size_t cut = text.find(';');
    if (cut == std::string::npos || cut == 0 || text.find_first_not_of("0123456789") != cut) {
        m_errors.push_back(text);
        return WithSum("APCLIENT_RESULT=1;");
    }
    ApClientSetRequest request = Check(text);
    const bool accepted = request.sumOk && request.wellFormed;
    if (accepted) {
        m_settings.on = request.settings.on;
        m_settings.ssid = request.settings.ssid;
        m_settings.encryptMode = request.settings.encryptMode;
        m_settings.key = request.settings.key;
    }
    m_sets.push_back(std::move(request));
    return WithSum("APCLIENT_RESULT=" + std::to_string(accepted ? m_resultCode : 1) + ";");
}

void ApClientSide::SetSettings(const ApClientSettings& settings) {
    std::lock_guard<std::mutex> g(m_lock);
    m_settings = settings;
}

void ApClientSide::SetRawQueryReply(std::optional<std::string> reply) {
    std::lock_guard<std::mutex> g(m_lock);
    m_rawQueryReply = std::move(reply);
}

void ApClientSide::SetResultCode(int code) {
    std::lock_guard<std::mutex> g(m_lock);
    m_resultCode = code;
}

ApClientSettings ApClientSide::Settings() {
    std::lock_guard<std::mutex> g(m_lock);
    return m_settings;
}

std::vector<ApClientSetRequest> ApClientSide::SetRequests() {
    std::lock_guard<std::mutex> g(m_lock);
    return m_sets;
}

int ApClientSide::Queries() {
    std::lock_guard<std::mutex> g(m_lock);
    return m_queries;
}

int ApClientSide::Reboots() {
    std::lock_guard<std::mutex> g(m_lock);
    return m_reboots;
}

std::vector<std::string> ApClientSide::Errors() {
    std::lock_guard<std::mutex> g(m_lock);
    return m_errors;
}

}  // namespace receiver_sim
