// The nmcli join on recorded calls and output (this machine has no Wi-Fi):
// the key only ever reaches nmcli through a private passwd-file that is
// gone afterwards, failures carry nmcli's words, and the parsers read
// recorded terse output.
#include "platform/nm_wifi_join.h"
#include "platform/nm_wifi_provider.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "platform/nm_wifi_provider.h"
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
                  (std::vector<std::string>{"-t", "-f", "NAME,UUID,TYPE", "connection", "show"}));
        EXPECT_EQ(r.calls[1].args[1], "add");
        EXPECT_EQ(r.calls[2].args[3], "up");
        EXPECT_EQ(r.calls[2].args[5], "Pemu: RX-Room1");
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
    failing.codes = {0, 0, 4};
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

// A stand-in for nmcli over a folder of connections, one file per UUID
// holding the name, the type and the SSID on three lines. It answers the
// calls the join and the removal make, with nmcli's terse escapes and its
// exit statuses; its complaints go to standard error, as nmcli's do.
constexpr const char* kFakeNmcli = R"SH(#!/bin/sh
here=$(dirname "$0")
store="$here/connections"
esc() { printf '%s' "$1" | sed 's/[\\:]/\\&/g'; }
case "$*" in
"-t -f NAME,UUID,TYPE connection show")
  for f in "$store"/*; do
    [ -f "$f" ] || continue
    { read -r n; read -r t; } < "$f"
    printf '%s:%s:%s\n' "$(esc "$n")" "${f##*/}" "$t"
  done ;;
"-g 802-11-wireless.ssid connection show uuid "*)
  [ -f "$store/$6" ] || { echo "Error: $6 - no such connection profile." >&2; exit 10; }
  esc "$(sed -n 3p "$store/$6")"; echo ;;
"connection delete uuid "*)
  [ -e "$here/refuse-delete" ] && { echo "Error: not authorized." >&2; exit 1; }
  rm "$store/$4" 2>/dev/null || exit 10 ;;
"connection add type wifi con-name "*)
  printf '%s\n802-11-wireless\n%s\n' "$6" "$8" > "$store/new-$$" ;;
"--wait 30 connection up id "*)
  for f in "$store"/*; do
    [ "$(sed -n 1p "$f")" = "$6" ] && exit 0
  done
  echo "Error: unknown connection '$6'." >&2; exit 10 ;;
*) exit 2 ;;
esac
)SH";

class FakeNmcli {
public:
    FakeNmcli() {
        std::filesystem::create_directory(dir.File("connections"));
        std::ofstream(Path()) << kFakeNmcli;
        ::chmod(Path().c_str(), 0700);
    }
    std::string Path() const { return dir.File("nmcli"); }
    void Add(const std::string& uuid, const std::string& name, const std::string& type,
             const std::string& ssid) {
        std::ofstream(dir.File("connections/" + uuid)) << name << "\n"
                                                       << type << "\n"
                                                       << ssid << "\n";
    }
    // "name|type|ssid" of every connection left.
    std::multiset<std::string> Left() const {
        std::multiset<std::string> left;
        for (const auto& e : std::filesystem::directory_iterator(dir.File("connections"))) {
            std::ifstream in(e.path());
            std::string name, type, ssid;
            std::getline(in, name);
            std::getline(in, type);
            std::getline(in, ssid);
            left.insert(name + "|" + type + "|" + ssid);
        }
        return left;
    }
    void RefuseDeletes() { std::ofstream(dir.File("refuse-delete")) << ""; }

    testsupport::TempDir dir;
};

TEST(NmOwnConnectionsTest, OnlyTheProgramsOwnConnectionForTheNetworkIsReplacedAndRemoved) {
    FakeNmcli nm;
    nm.Add("u-user", "Room 1", "802-11-wireless", "Room 1");  // the user's own
    nm.Add("u-stale", "Pemu: Room 1", "802-11-wireless", "Room 1");
    nm.Add("u-named", "Pemu: Room 1", "802-11-wireless", "Elsewhere");  // named like ours
    nm.Add("u-wired", "Pemu: Room 1", "802-3-ethernet", "");
    nm.Add("u-lab", "Pemu: Lab:5G", "802-11-wireless", "Lab:5G");
    const std::multiset<std::string> users = {"Room 1|802-11-wireless|Room 1",
                                              "Pemu: Room 1|802-11-wireless|Elsewhere",
                                              "Pemu: Room 1|802-3-ethernet|"};
    NmWifiProvider provider(nm.Path());

    std::string error;
    ASSERT_TRUE(provider.Join({"", "Room 1", "", -1}, &error)) << error;
    std::multiset<std::string> want = users;
    want.insert({"Pemu: Room 1|802-11-wireless|Room 1", "Pemu: Lab:5G|802-11-wireless|Lab:5G"});
    EXPECT_EQ(nm.Left(), want) << "the stale connection of ours is replaced, nothing else";
    EXPECT_FALSE(std::filesystem::exists(nm.dir.File("connections/u-stale")));

    EXPECT_TRUE(provider.DeleteFixedProfile("Room 1"));
    want.erase("Pemu: Room 1|802-11-wireless|Room 1");
    EXPECT_EQ(nm.Left(), want);
    EXPECT_FALSE(provider.DeleteFixedProfile("Room 1")) << "none of ours is left";
    EXPECT_EQ(nm.Left(), want);

    // Names and SSIDs with nmcli's escaped characters.
    EXPECT_TRUE(provider.DeleteFixedProfile("Lab:5G"));
    EXPECT_EQ(nm.Left(), users);
    EXPECT_FALSE(provider.DeleteFixedProfile(""));
    EXPECT_EQ(nm.Left(), users);
}

TEST(NmOwnConnectionsTest, AMissingOrFailingNmcliGivesAClearErrorAndDeletesNothing) {
    FakeNmcli refusing;
    refusing.Add("u-user", "Room 1", "802-11-wireless", "Room 1");
    refusing.Add("u-ours", "Pemu: Room 1", "802-11-wireless", "Room 1");
    refusing.RefuseDeletes();
    testsupport::TempDir dir;
    auto script = [&dir](const std::string& name, const std::string& body) {
        const std::string path = dir.File(name);
        std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
        ::chmod(path.c_str(), 0700);
        return path;
    };
    struct Row {
        const char* what;
        std::string path;
        const char* error;
    } rows[] = {
        {"not installed", dir.File("no-such-nmcli"), "could not be run or did not finish"},
        {"service down", script("down", "exit 8"),
         "listing the connections failed (nmcli status 8: NetworkManager is not running)"},
        {"hangs", script("hangs", "exec sleep 30"), "could not be run or did not finish"},
        {"delete refused", refusing.Path(), "deleting the connection failed (nmcli status 1)"},
        {"connection gone while read", script("gone", R"(case "$1" in
-t) echo 'Pemu\: Room 1:u-1:802-11-wireless' ;;
*) exit 10 ;;
esac)"),
         "reading a connection failed (nmcli status 10: no such connection"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        std::string error;
        EXPECT_EQ(NmDeleteOwnConnections("Room 1", NmcliAt(row.path, 300), &error), -1);
        EXPECT_NE(error.find(row.error), std::string::npos) << error;
    }
    for (const std::string& path : {dir.File("no-such-nmcli"), refusing.Path()}) {
        NmWifiProvider provider(path);
        EXPECT_FALSE(provider.DeleteFixedProfile("Room 1")) << path;
    }
    EXPECT_EQ(refusing.Left(), (std::multiset<std::string>{"Room 1|802-11-wireless|Room 1",
                                                           "Pemu: Room 1|802-11-wireless|Room 1"}));
    std::string error;
    EXPECT_FALSE(NmJoinNetwork({"", "Room 1", "", -1}, NmcliAt(dir.File("down"), 300),
                               dir.Path().string(), &error));
    EXPECT_NE(error.find("NetworkManager is not running"), std::string::npos) << error;
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
