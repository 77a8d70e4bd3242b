// The pages' rules: the access-point-client wire texts and input checks, the
// version compare, the login-error messages and the self-check's order.
#include <gtest/gtest.h>

#include <map>

#include "platform/icmp_pinger.h"
#include "platform/network_adapters.h"
#include "ui/dialogs/ap_client_protocol.h"
#include "ui/dialogs/login_error_messages.h"
#include "ui/dialogs/network_self_check.h"
#include "ui/dialogs/version_compare.h"

namespace ui {
namespace {

int Sum(const std::string& body) {
    int sum = 0;
    for (unsigned char c : body) {
        sum += c;
    }
    return sum;
}

TEST(ApClientProtocolTest, RepliesParseByFieldWithBoundsAndUnknownCodesDisable) {
    auto s = ParseApClientReply("x;AVAIL=1;ONOFF=0;ESSID=home;MODE=7;KEY=abcdefgh;");
    ASSERT_TRUE(s);
    EXPECT_TRUE(s->available);
    EXPECT_FALSE(s->on);
    EXPECT_EQ(s->ssid, "home");
    EXPECT_EQ(s->encryption, "WPA2-AES");
    EXPECT_EQ(s->key, "abcdefgh");

    // The value is the text after the first '='.
    s = ParseApClientReply("x;A=1;B=1;C=a=b;D=13;E=k=;");
    ASSERT_TRUE(s);
    EXPECT_EQ(s->ssid, "a=b");
    EXPECT_EQ(s->encryption, "Disable");  // code 13
    EXPECT_EQ(s->key, "k=");

    // Too few fields: no settings at all.
    EXPECT_FALSE(ParseApClientReply("x;A=1;B=1;"));
    EXPECT_FALSE(ParseApClientReply(""));

    // Oversize texts are cut: the SSID at 63 bytes on a character boundary.
    const std::string longSsid = std::string(62, 'a') + "é" + "tail";
    s = ParseApClientReply("x;A=1;B=1;C=" + longSsid + ";D=0;E=" + std::string(5000, 'k'));
    ASSERT_TRUE(s);
    EXPECT_EQ(s->ssid, std::string(62, 'a'));
    EXPECT_EQ(s->key.size(), kApClientTextBytes);

    const std::map<std::string, std::string> codes = {
        {"0", "Disable"},  {"1", "WEP"},      {"4", "WEP"},      {"5", "WPA-AES"},
        {"6", "WPA-AES"},  {"8", "WPA2-AES"}, {"9", "WPA-TKIP"}, {"12", "WPA2-TKIP"},
        {"13", "Disable"}, {"-1", "Disable"}, {"", "Disable"},   {"7x", "Disable"}};
    for (const auto& [code, name] : codes) {
        EXPECT_EQ(EncryptionNameOfCode(code), name) << code;
    }
}

TEST(ApClientProtocolTest, SetRequestsCarryTheBodysByteSumAndTheChannelRule) {
    struct Row {
        bool on;
        int channel;
        const char* tail;
    } rows[] = {
        {true, 6, "CHANNEL=6;"},  {true, 0, ""}, {true, -1, ""}, {false, 6, "CHANNEL=0;"},
        {false, 0, "CHANNEL=0;"},
    };
    for (const Row& row : rows) {
        const std::string body = std::string("APCLIENT_ONOFF=") + (row.on ? "1;" : "0;") +
                                 "APCLIENT_ESSID=home;APCLIENT_ENCRYPT_MODE=7;"
                                 "APCLIENT_ENCRYPT_KEY=abcdefgh;" +
                                 row.tail;
        EXPECT_EQ(BuildApClientSetRequest(row.on, "home", 7, "abcdefgh", row.channel),
                  std::to_string(Sum(body)) + ";" + body)
            << row.on << " " << row.channel;
    }
    // Bytes above 127 count unsigned.
    const std::string request = BuildApClientSetRequest(true, "ü", 0, "", 0);
    const std::string body = request.substr(request.find(';') + 1);
    EXPECT_EQ(request.substr(0, request.find(';')), std::to_string(Sum(body)));
    EXPECT_EQ(Sum("abc"), 294);
}

TEST(ApClientProtocolTest, OnlyAnExactZeroInTheSecondFieldIsSuccess) {
    const std::map<std::string, bool> replies = {
        {"x;RESULT=0;", true}, {"x;RESULT=0", true},    {"x;RESULT=1;", false},
        {"x;RESULT=;", false}, {"x;RESULT;", false},    {"x;", false},
        {"", false},           {"x;RESULT=00;", false}, {"x;RESULT=0x;", false}};
    for (const auto& [reply, ok] : replies) {
        EXPECT_EQ(ApClientSetSucceeded(reply), ok) << reply;
    }
}

TEST(ApClientProtocolTest, InputChecksByEncryption) {
    struct Row {
        const char* ssid;
        const char* encryption;
        std::string key;
        ApClientCheck want;
    } rows[] = {
        {"home", "Disable", "", ApClientCheck::kValid},
        {"home", "Unknown", "x", ApClientCheck::kValid},
        {"", "Disable", "", ApClientCheck::kValid},
        {"12345678901234567890123456789012", "Disable", "", ApClientCheck::kValid},
        {"123456789012345678901234567890123", "Disable", "", ApClientCheck::kBadSsid},
        {"ho;me", "Disable", "", ApClientCheck::kBadSsid},
        {"ho\nme", "Disable", "", ApClientCheck::kBadSsid},
        {"home", "WEP", "ab cd", ApClientCheck::kValid},
        {"home", "WEP", "abcd", ApClientCheck::kBadKey},
        {"home", "WEP", "abcdefghijklm", ApClientCheck::kValid},
        {"home", "WEP", "ab;de", ApClientCheck::kBadKey},
        {"home", "WEP", "0123456789", ApClientCheck::kValid},
        {"home", "WEP", "012345678g", ApClientCheck::kBadKey},
        {"home", "WEP", std::string(26, 'F'), ApClientCheck::kValid},
        {"home", "WPA2-AES", std::string(63, 'a'), ApClientCheck::kValid},
        {"home", "WPA-TKIP", "!#%&*+-/=?@_ aZ9", ApClientCheck::kValid},
        {"home", "WPA-AES", std::string(64, 'a'), ApClientCheck::kValid},
        {"home", "WPA-AES", std::string(63, 'a') + "g", ApClientCheck::kBadKey},
        {"home", "WPA2-TKIP", "abc$defg", ApClientCheck::kBadKey},
        {"home", "WPA2-TKIP", "abcdefg", ApClientCheck::kBadKey},
        {"home", "WPA2-TKIP", "abcd;efg", ApClientCheck::kBadKey},
        {"home", "WPA2-TKIP", std::string(65, 'a'), ApClientCheck::kBadKey},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(CheckApClientInput(row.ssid, row.encryption, row.key), row.want)
            << row.ssid << " / " << row.encryption << " / " << row.key;
    }
}

TEST(ApClientProtocolTest, CodesByNameAndKeyLength) {
    EXPECT_EQ(EncryptionCodeFor("Disable", "whatever"), 0);
    EXPECT_EQ(EncryptionCodeFor("WEP", "abcdefghijklm"), 1);
    EXPECT_EQ(EncryptionCodeFor("WEP", "abcde"), 2);
    EXPECT_EQ(EncryptionCodeFor("WEP", std::string(26, '0')), 3);
    EXPECT_EQ(EncryptionCodeFor("WEP", std::string(10, '0')), 4);
    EXPECT_EQ(EncryptionCodeFor("WEP", "abc"), 0);
    EXPECT_EQ(EncryptionCodeFor("WPA-AES", "abcdefgh"), 5);
    EXPECT_EQ(EncryptionCodeFor("WPA-AES", std::string(64, '0')), 6);
    EXPECT_EQ(EncryptionCodeFor("WPA2-AES", "abcdefgh"), 7);
    EXPECT_EQ(EncryptionCodeFor("WPA-TKIP", "abcdefgh"), 9);
    EXPECT_EQ(EncryptionCodeFor("WPA2-TKIP", std::string(64, '0')), 12);
    EXPECT_EQ(EncryptionCodeFor("WPA2-TKIP", "short"), -1);
    // No code: the mode field stays empty.
    EXPECT_NE(BuildApClientSetRequest(false, "h", -1, "short", 0).find("APCLIENT_ENCRYPT_MODE=;"),
              std::string::npos);
}

TEST(VersionCompareTest, PartByPartAgainstTheOwnVersion) {
    const appres::FileVersion own{1, 2, 3, 4};
    const std::map<std::string, int> rows = {
        {"1.2.3.4", 0},   {"1.2.3.5", 1}, {"1.3.0.0", 1}, {"1.1.9.9", -1},
        {"", -1},         {"2", 1},       {"1.2", -1},    {"1.2.3", -1},
        {"1.2.3.4.9", 0}, {"x.y", -1},    {"1.2.4", 1},   {"99999999999999999999.0", 1},
        {"1..3.4", -1}};
    for (const auto& [text, want] : rows) {
        EXPECT_EQ(CompareVersionText(text, own), want) << text;
    }
    EXPECT_EQ(CompareVersionText("0.0.0.0", appres::FileVersion{}), 0);
    EXPECT_EQ(CompareVersionText("1", appres::FileVersion{1, 0, 0, 0}), 0);
}

TEST(LoginErrorMessagesTest, CodesMapToTheirMessagesAndUnknownCodesToNothing) {
    const std::map<int, std::string> rows = {
        {-6528001, kConnectFailedText},
        {-6528002, "Device disconnected."},
        {-6528202, "Device disconnected."},
        {-6528203, "Device disconnected."},
        {-6528204, ""},
        {-6528101, "Remote box is busy now. Please retry later!"},
        {-6528323, "Remote box is busy now. Please retry later!"},
        {-6528301, "Incorrect LOGIN CODE"},
        {-6528303, "Fail to stop projection."},
        {-6528502, ""},
        {-6528504, LoginErrorMessage(-6528304)},
        {-6528405, "Please install the Magnifier component first and try again later!"},
        {-6528403, "Internal error - no stop function."},
        {0, ""},
        {-1, ""}};
    for (const auto& [code, text] : rows) {
        EXPECT_EQ(LoginErrorMessage(code), text) << code;
    }
    EXPECT_EQ(LoginErrorMessage(-6528304).rfind("Failed to stream the selected file.\n", 0), 0u);
}

class FakeAdapters final : public platform::AdapterProvider {
public:
    std::vector<platform::CheckAdapter> adapters;
    std::vector<platform::CheckAdapter> ListAdapters() override { return adapters; }
};

class FakePinger final : public platform::Pinger {
public:
    std::map<std::string, int> answers;  // missing: answered
    std::vector<std::string> pinged;
    int PingAddress(const std::string& address) override {
        pinged.push_back(address);
        auto it = answers.find(address);
        return it == answers.end() ? platform::kPingAnswered : it->second;
    }
};

TEST(NetworkSelfCheckTest, FirstQualifyingAdapterThenLoopbackGatewayDhcpInOrder) {
    const platform::CheckAdapter staticOnly{"eth0", "10.0.0.5", "10.0.0.1", ""};
    const platform::CheckAdapter zeroGateway{"eth1", "10.1.0.5", "0.0.0.0", "10.1.0.1"};
    const platform::CheckAdapter good{"wlan0", "192.168.1.5", "192.168.1.1", "192.168.1.2"};
    struct Row {
        const char* what;
        std::vector<platform::CheckAdapter> adapters;
        std::map<std::string, int> answers;
        int want;
        std::vector<std::string> pinged;
    } rows[] = {
        {"no adapter", {}, {}, kCheckNoAdapter, {}},
        {"static only", {staticOnly, zeroGateway}, {}, kCheckNoAdapter, {}},
        {"passes",
         {staticOnly, good},
         {},
         kCheckPassed,
         {"127.0.0.1", "192.168.1.1", "192.168.1.2"}},
        {"silent gateway stops",
         {good},
         {{"192.168.1.1", 0}},
         kCheckNoAnswer,
         {"127.0.0.1", "192.168.1.1"}},
        {"no socket",
         {good},
         {{"127.0.0.1", platform::kPingNoSocket}},
         kCheckNoAnswer,
         {"127.0.0.1"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        FakeAdapters adapters;
        adapters.adapters = row.adapters;
        FakePinger pinger;
        pinger.answers = row.answers;
        EXPECT_EQ(RunNetworkSelfCheck(adapters, pinger), row.want);
        EXPECT_EQ(pinger.pinged, row.pinged);
    }
}

}  // namespace
}  // namespace ui
