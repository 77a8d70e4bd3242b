// The nmcli join on recorded calls and output (this machine has no Wi-Fi):
// the key only ever reaches nmcli through a private passwd-file that is
// gone afterwards, failures carry nmcli's words, and the parsers read
// recorded terse output.
#include "platform/nm_wifi_join.h"
#include "platform/nm_wifi_provider.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "tests/support/TempDir.h"

namespace platform {
namespace {

struct Call {
    std::vector<std::string> args;
    std::string fileText;  // the passwd-file's content while nmcli ran
    mode_t fileMode = 0;
};

class Recorder {
public:
    NmcliRunner Runner() {
        return [this](const std::vector<std::string>& args, std::string* out) {
            Call call{args, {}, 0};
            for (size_t i = 0; i + 1 < args.size(); ++i) {
                if (args[i] == "passwd-file") {
                    std::ifstream in(args[i + 1]);
                    std::stringstream text;
                    text << in.rdbuf();
                    call.fileText = text.str();
                    struct stat st {};
                    ::stat(args[i + 1].c_str(), &st);
                    call.fileMode = st.st_mode & 0777;
                    files.push_back(args[i + 1]);
                }
            }
            calls.push_back(call);
            const size_t n = calls.size() - 1;
            if (out) {
                *out = n < outputs.size() ? outputs[n] : std::string();
            }
            return n < codes.size() ? codes[n] : 0;
        };
    }
    std::vector<Call> calls;
    std::vector<std::string> files;
    std::vector<int> codes;
    std::vector<std::string> outputs;
};

TEST(NmWifiJoinTest, TheKeyNeverReachesTheCommandLineAndItsFileIsPrivateAndRemoved) {
    testsupport::TempDir dir;
    for (int auth : {6, 3, 0}) {
        Recorder r;
        WifiJoinRequest request{"wlan0", "RX-Room1", "p@ss word;$(rm -rf)", auth};
        std::string error;
        ASSERT_TRUE(NmJoinNetwork(request, r.Runner(), dir.Path().string(), &error)) << error;
        ASSERT_EQ(r.calls.size(), 3u);
        EXPECT_EQ(r.calls[0].args,
                  (std::vector<std::string>{"connection", "delete", "id", "RX-Room1"}));
        EXPECT_EQ(r.calls[1].args[1], "add");
        EXPECT_EQ(r.calls[2].args[3], "up");
        for (const Call& c : r.calls) {
            for (const std::string& a : c.args) {
                EXPECT_EQ(a.find("p@ss"), std::string::npos) << a;
            }
        }
        ASSERT_EQ(r.files.size(), 1u);
        EXPECT_EQ(r.calls[2].fileMode, 0600u);
        EXPECT_EQ(r.calls[2].fileText, NmPasswdFileText(auth, request.key));
        EXPECT_NE(r.calls[2].fileText.find(auth == 0 ? "wep-key0:" : "psk:"), std::string::npos);
        EXPECT_NE(::access(r.files[0].c_str(), F_OK), 0) << "passwd-file left behind";
    }
}

TEST(NmWifiJoinTest, OpenNetworksUseNoFileAndFailuresCarryNmclisWords) {
    testsupport::TempDir dir;
    Recorder open;
    std::string error;
    ASSERT_TRUE(NmJoinNetwork({"", "Guest", "", -1}, open.Runner(), dir.Path().string(), &error));
    EXPECT_TRUE(open.files.empty());
    EXPECT_EQ(open.calls.size(), 3u);

    Recorder failing;
    failing.codes = {10, 0, 4};
    failing.outputs = {"", "", "Error: Connection activation failed: Secrets were required.\n"};
    EXPECT_FALSE(
        NmJoinNetwork({"wlan0", "RX", "secret", 6}, failing.Runner(), dir.Path().string(), &error));
    EXPECT_NE(error.find("status 4"), std::string::npos) << error;
    EXPECT_NE(error.find("Secrets were required"), std::string::npos) << error;
    EXPECT_EQ(error.find("secret\n"), std::string::npos);
    EXPECT_NE(::access(failing.files.at(0).c_str(), F_OK), 0);

    // Names that nmcli would take as options are refused before it runs.
    Recorder hostile;
    EXPECT_FALSE(
        NmJoinNetwork({"wlan0", "--help", "k", 6}, hostile.Runner(), dir.Path().string(), &error));
    EXPECT_FALSE(
        NmJoinNetwork({"-x", "RX", "k", 6}, hostile.Runner(), dir.Path().string(), &error));
    EXPECT_FALSE(
        NmJoinNetwork({"wlan0", "", "k", 6}, hostile.Runner(), dir.Path().string(), &error));
    EXPECT_TRUE(hostile.calls.empty());
}

TEST(NmWifiJoinTest, RecordedOutputParses) {
    EXPECT_EQ(SplitNmcliTerse("yes:My\\:Net\\\\x"), (std::vector<std::string>{"yes", "My:Net\\x"}));
    EXPECT_EQ(ParseNmServiceState(0, "running:enabled:enabled\n"), WifiServiceState::kManaged);
    EXPECT_EQ(ParseNmServiceState(0, "running:enabled:disabled\n"), WifiServiceState::kNotManaged);
    EXPECT_EQ(ParseNmServiceState(0, "running:missing:enabled\n"), WifiServiceState::kNotManaged);
    EXPECT_EQ(ParseNmServiceState(8, "Error: NetworkManager is not running.\n"),
              WifiServiceState::kQueryFailed);
    EXPECT_EQ(ParseNmServiceState(0, ""), WifiServiceState::kQueryFailed);
    EXPECT_EQ(ParseNmCurrentNetwork("no:home\nyes:RX\\:Room 1\nno:cafe\n"), "RX:Room 1");
    EXPECT_EQ(ParseNmCurrentNetwork("no:home\n"), "");
    EXPECT_EQ(ParseNmCurrentNetwork(""), "");
}

TEST(NmWifiJoinTest, TheAddressWaitEndsWithinItsBound) {
    // Either nothing changes (0) or something on the machine did (1); a
    // netlink socket is always available to a process.
    const int r = WaitForIpv4AddressChange(50);
    EXPECT_GE(r, 0);
}

// The join asks whether the joined adapter has its address already; the
// interface table answers, by exact name (the loopback always has one).
TEST(NmWifiJoinTest, AnAdapterHasAnAddressOnlyUnderItsOwnName) {
    NmWifiProvider nm("/nonexistent/nmcli");
    EXPECT_TRUE(nm.AdapterHasAddress("lo"));
    EXPECT_FALSE(nm.AdapterHasAddress("l"));
    EXPECT_FALSE(nm.AdapterHasAddress("lo0x"));
    EXPECT_FALSE(nm.AdapterHasAddress(""));
}

}  // namespace
}  // namespace platform
