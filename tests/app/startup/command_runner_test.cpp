// The runner's decisions on a scripted client: which facade calls each
// action makes, and the checks that end an action with nothing done.
#include "app/startup/command_runner.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <map>

#include "app/startup/command_file.h"
#include "platform/wide_text.h"
#include "tests/support/TempDir.h"
#include "vrxclientsdk/VRPClient/Logger.h"
#include "vrxclientsdk/VRXClient/VRXClient.h"

namespace pemuapp {
namespace {

// What every scripted client did, in order, as "<address> <call>".
using CallLog = std::vector<std::string>;

// A receiver as the scripted clients see it.
struct ScriptedReceiver {
    bool reachable = true;
    uint8_t codeMode = 0;  // 0: asks for a login code
    int loginResult = 0;
    int status = kVrxDisconnected;  // before a login
};

// The facade with its receiver calls scripted: nothing touches a network.
class ScriptedClient : public VRXClient {
public:
    ScriptedClient(CallLog* log, std::map<std::string, ScriptedReceiver>* receivers)
        : m_log(log), m_receivers(receivers) {}
    ~ScriptedClient() override {
        m_log = nullptr;  // the stops of Shutdown() are no decision of the runner
        Shutdown();
    }

    int ConnectToDeviceThruIP(uint32_t ipv4, DevAnnounce* out, int timeoutSeconds) override {
        m_address = Text(ipv4);
        Record("Connect " + std::to_string(timeoutSeconds));
        const auto it = m_receivers->find(m_address);
        if (it == m_receivers->end() || !it->second.reachable) {
            return -6528001;
        }
        std::memcpy(out->bytes, "QKPP", 4);
        out->SetIPv4(ipv4);
        std::memcpy(out->bytes + DevAnnounce::kNameOffset, "Room", 4);
        out->bytes[DevAnnounce::kCodeModeOffset] = it->second.codeMode;
        return 0;
    }
    int Login(uint32_t ipv4, const char* name, const char* password) override {
        Record("Login " + Text(ipv4) + " " + name + " " + password);
        if (onLogin) {
            onLogin();
        }
        const ScriptedReceiver& r = (*m_receivers)[m_address];
        if (r.loginResult >= 0) {
            m_status = kVrxIdle;
        }
        return r.loginResult;
    }
    int GetStatus() override {
        return m_status == -1 ? (*m_receivers)[m_address].status : m_status;
    }
    int StartPlayImage(uint8_t mode) override {
        Record("StartPlayImage " + std::to_string(mode));
        m_mode = mode;
        m_status = kVrxProjecting;
        return 0;
    }
    uint8_t GetPlayImageMode() override { return m_mode; }
    int StopPlayImage() override {
        Record("StopPlayImage");
        return 0;
    }
    int PausePlayImage() override {
        Record("PausePlayImage");
        m_status = kVrxPaused;
        return 0;
    }
    int StopVideoFile() override {
        Record("StopVideoFile");
        return 0;
    }
    int PauseResumeVideoFile() override {
        Record("PauseResumeVideoFile");
        return 0;
    }
    int PlayVideoFileW(const std::wstring& path, bool findPort, int transcode) override {
        Record("PlayVideoFileW " + platform::WideToUtf8(path) + " " + std::to_string(findPort) +
               " " + std::to_string(transcode));
        m_status = kVrxMediaPlaying;
        return 0;
    }

    void SetStatus(int status) { m_status = status; }
    std::function<void()> onLogin;

private:
    static std::string Text(uint32_t ipv4) {
        char text[INET_ADDRSTRLEN];
        in_addr a{};
        a.s_addr = ipv4;
        return inet_ntop(AF_INET, &a, text, sizeof text);
    }
    void Record(const std::string& call) {
        if (m_log) {
            m_log->push_back(m_address + " " + call);
        }
    }

    CallLog* m_log;
    std::map<std::string, ScriptedReceiver>* m_receivers;
    std::string m_address;
    int m_status = -1;  // -1: the receiver's scripted status
    uint8_t m_mode = 128;
};

class CommandRunnerTest : public testing::Test {
protected:
    CommandRunnerTest() {
        receivers["10.0.0.1"] = {};
        receivers["10.0.0.2"] = {};
        receivers["10.0.0.3"] = {};
        receivers["10.0.0.4"] = {};
        receivers["10.0.0.5"] = {};
        receivers["10.0.0.9"] = {true, 1};  // sends its stored code: no code needed
        receivers["10.0.0.8"] = {false};
        MakeRunner();
    }
    void MakeRunner() {
        CommandRunner::Hooks hooks;
        hooks.makeClient = [this] {
            auto client = std::make_unique<ScriptedClient>(&calls, &receivers);
            lastClient = client.get();
            return client;
        };
        hooks.onExit = [this] { ++exits; };
        hooks.fileExists = [](const std::string& path) { return path == "/media/clip.mp4"; };
        hooks.userName = "ann";
        runner = std::make_unique<CommandRunner>(std::move(hooks), nullptr);
    }
    // Runs the action that a command file of `text` holds.
    int RunFile(const std::string& text) {
        CommandAction action;
        std::string reason;
        if (!ParseCommandFile(text, &action, &reason)) {
            return -2;
        }
        return runner->Run(action);
    }
    CallLog Take() { return std::exchange(calls, {}); }

    CallLog calls;
    std::map<std::string, ScriptedReceiver> receivers;
    std::unique_ptr<CommandRunner> runner;
    ScriptedClient* lastClient = nullptr;
    int exits = 0;
};

TEST_F(CommandRunnerTest, DecisionsOnOneFileEach) {
    struct Row {
        const char* what;
        std::string file;
        int result;
        CallLog calls;
    } rows[] = {
        {"login",
         "Action=Login\nIP=10.0.0.1\nLoginCode=4821",
         1,
         {"10.0.0.1 Connect 10", "10.0.0.1 Login 10.0.0.1 ann 4821"}},
        {"login with CRLF",
         "Action=Login\r\nIP=10.0.0.1\r\nLoginCode=4821\r\n",
         1,
         {"10.0.0.1 Connect 10", "10.0.0.1 Login 10.0.0.1 ann 4821"}},
        {"login without a code where one is asked",
         "Action=Login\nIP=10.0.0.1\nLoginCode=",
         1,
         {"10.0.0.1 Connect 10"}},
        {"login where the stored code is sent",
         "Action=Login\nIP=10.0.0.9\nLoginCode=",
         1,
         {"10.0.0.9 Connect 10", "10.0.0.9 Login 10.0.0.9 ann "}},
        {"bad code", "Action=Login\nIP=10.0.0.1\nLoginCode=123", -1, {}},
        {"leading zero", "Action=Login\nIP=10.0.0.01\nLoginCode=4821", -1, {}},
        {"unreachable", "Action=Login\nIP=10.0.0.8\nLoginCode=4821", -1, {"10.0.0.8 Connect 10"}},
        {"0.0.0.0 is never connected to", "Action=Login\nIP=0.0.0.0\nLoginCode=4821", -1, {}},
        {"-o 9 with a code: full screen",
         "Action=Presentation\nIP=10.0.0.1\nID=9\nName=\nLoginCode=4821",
         1,
         {"10.0.0.1 Connect 10", "10.0.0.1 Login 10.0.0.1 ann 4821",
          "10.0.0.1 StartPlayImage 128"}},
        {"-o 9 without a code: refused",
         "Action=Presentation\nIP=10.0.0.9\nID=9\nName=\nLoginCode=",
         -1,
         {}},
        {"-o 3 with a name",
         "Action=Presentation\nIP=10.0.0.9\nID=3\nName=Bo\nLoginCode=",
         1,
         {"10.0.0.9 Connect 10", "10.0.0.9 Login 10.0.0.9 Bo ", "10.0.0.9 StartPlayImage 3"}},
        {"no position: full screen",
         "Action=Presentation\nIP=10.0.0.9\nID=\nName=\nLoginCode=",
         1,
         {"10.0.0.9 Connect 10", "10.0.0.9 Login 10.0.0.9 ann ", "10.0.0.9 StartPlayImage 128"}},
        {"video",
         "Action=Video\nIP=10.0.0.1\nPath=/media/clip.mp4\nName=\nLoginCode=4821",
         1,
         {"10.0.0.1 Connect 10", "10.0.0.1 Login 10.0.0.1 ann 4821",
          "10.0.0.1 PlayVideoFileW /media/clip.mp4 1 0"}},
        {"video of a missing file",
         "Action=Video\nIP=10.0.0.1\nPath=/media/none.mp4\nName=\nLoginCode=4821",
         1,
         {"10.0.0.1 Connect 10", "10.0.0.1 Login 10.0.0.1 ann 4821"}},
        {"stop of an unknown address", "Action=Stop\nIP=10.0.0.1", 1, {}},
        {"pause of an unknown address", "Action=Pause\nIP=10.0.0.1", 1, {}},
        {"empty action", "Action=\nIP=10.0.0.1", -1, {}},
        {"unknown action", "Action=Reboot", 1, {}},
        {"a 5000-byte line", "Action=Video\nIP=10.0.0.1\nPath=/" + std::string(4999, 'a'), -2, {}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        MakeRunner();  // a fresh client list per row
        EXPECT_EQ(RunFile(r.file), r.result);
        EXPECT_EQ(Take(), r.calls);
    }
}

TEST_F(CommandRunnerTest, ClientsAreKeptAndFoundByAddress) {
    ASSERT_EQ(RunFile("Action=Presentation\nIP=10.0.0.1\nID=2\nName=\nLoginCode=4821"), 1);
    ASSERT_EQ(runner->ClientCount(), 1u);
    EXPECT_EQ(runner->Client(0).name, "Room");
    EXPECT_EQ(runner->Client(0).codeMode, 0);
    EXPECT_EQ(runner->FindClientByAddress("10.0.0.1"), 0);
    EXPECT_EQ(runner->FindClientByAddress("10.0.0.2"), -1);
    Take();
    // A second login to a connected receiver does not log in again.
    ASSERT_EQ(RunFile("Action=Login\nIP=10.0.0.1\nLoginCode=4821"), 1);
    EXPECT_EQ(Take(), CallLog{});
    // Pause by status: projecting pauses, paused resumes where it was.
    ASSERT_EQ(RunFile("Action=Pause\nIP=10.0.0.1"), 1);
    ASSERT_EQ(RunFile("Action=Pause\nIP=10.0.0.1"), 1);
    lastClient->SetStatus(kVrxMediaPlaying);
    ASSERT_EQ(RunFile("Action=Pause\nIP=10.0.0.1"), 1);
    lastClient->SetStatus(kVrxIdle);
    ASSERT_EQ(RunFile("Action=Pause\nIP=10.0.0.1"), 1);
    EXPECT_EQ(Take(), (CallLog{"10.0.0.1 PausePlayImage", "10.0.0.1 StartPlayImage 2",
                               "10.0.0.1 PauseResumeVideoFile"}));
    ASSERT_EQ(RunFile("Action=Stop\nIP=10.0.0.1"), 1);
    EXPECT_EQ(Take(), (CallLog{"10.0.0.1 StopVideoFile", "10.0.0.1 StopPlayImage"}));
}

TEST_F(CommandRunnerTest, AFifthPresentationAndASecondVideoDoNothing) {
    for (const char* a : {"10.0.0.1", "10.0.0.2", "10.0.0.3", "10.0.0.4"}) {
        ASSERT_EQ(
            RunFile(std::string("Action=Presentation\nIP=") + a + "\nID=1\nName=\nLoginCode=4821"),
            1);
    }
    lastClient->SetStatus(kVrxPaused);  // paused counts as projecting
    Take();
    ASSERT_EQ(RunFile("Action=Presentation\nIP=10.0.0.5\nID=1\nName=\nLoginCode=4821"), 1);
    EXPECT_EQ(Take(), (CallLog{"10.0.0.5 Connect 10", "10.0.0.5 Login 10.0.0.5 ann 4821"}));

    lastClient->SetStatus(kVrxMediaPaused);
    ASSERT_EQ(RunFile("Action=Video\nIP=10.0.0.1\nPath=/media/clip.mp4\nName=\nLoginCode="), 1);
    EXPECT_EQ(Take(), CallLog{});

    ASSERT_EQ(RunFile("Action=Exit"), 1);
    EXPECT_EQ(exits, 1);
    CallLog expected;
    for (const char* a : {"10.0.0.1", "10.0.0.2", "10.0.0.3", "10.0.0.4", "10.0.0.5"}) {
        expected.push_back(std::string(a) + " StopVideoFile");
        expected.push_back(std::string(a) + " StopPlayImage");
    }
    EXPECT_EQ(Take(), expected);
}

TEST_F(CommandRunnerTest, LoginCodesNeverReachTheLog) {
    testsupport::TempDir dir;
    Logger log;
    ASSERT_EQ(log.Open(dir.File("log").c_str(), LOG_DEBUG, false), 0);
    CommandRunner::Hooks hooks;
    hooks.makeClient = [this] { return std::make_unique<ScriptedClient>(&calls, &receivers); };
    hooks.userName = "ann";
    CommandRunner logged(std::move(hooks), &log);
    logged.Run({"Login", "10.0.0.1", "", "", "4821", ""});
    logged.Run({"Presentation", "10.0.0.1", "7", "", "9356", ""});
    logged.Run({"Login", "10.0.0.2", "", "", "12x4", ""});  // refused, still not shown
    const std::string text = testsupport::ReadFile(dir.File("log"));
    EXPECT_NE(text.find("LoginCode=xxxx"), std::string::npos) << text;
    for (const char* code : {"4821", "9356", "12x4"}) {
        EXPECT_EQ(text.find(code), std::string::npos) << code;
    }
}

// An action that arrives while a facade call pumps messages waits for the
// action in progress, then runs; after Exit nothing more runs.
TEST_F(CommandRunnerTest, AnActionArrivingDuringAPumpedCallWaits) {
    CommandActionQueue queue;
    queue.Push({"Login", "10.0.0.1", "", "", "4821", ""});
    bool nested = false;
    CommandRunner::Hooks hooks;
    hooks.makeClient = [&] {
        auto client = std::make_unique<ScriptedClient>(&calls, &receivers);
        client->onLogin = [&] {
            if (!nested) {
                nested = true;
                // What the 10291 handler does when it runs inside the wait.
                queue.Push({"Stop", "10.0.0.1", "", "", "", ""});
                queue.Push({"Exit", "", "", "", "", ""});
                queue.Push({"StopAll", "", "", "", "", ""});
                runner->RunQueued(queue);
                calls.push_back("(pump returns)");
            }
        };
        return client;
    };
    hooks.onExit = [&] { ++exits; };
    hooks.userName = "ann";
    runner = std::make_unique<CommandRunner>(std::move(hooks), nullptr);
    runner->RunQueued(queue);
    EXPECT_EQ(Take(), (CallLog{"10.0.0.1 Connect 10", "10.0.0.1 Login 10.0.0.1 ann 4821",
                               "(pump returns)", "10.0.0.1 StopVideoFile", "10.0.0.1 StopPlayImage",
                               "10.0.0.1 StopVideoFile", "10.0.0.1 StopPlayImage"}));
    EXPECT_EQ(exits, 1);
    EXPECT_EQ(queue.Size(), 0u);  // StopAll after Exit was dropped
}

}  // namespace
}  // namespace pemuapp
