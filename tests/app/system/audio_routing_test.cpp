// The sender's local audio on a fake output, and the PulseAudio form
// against a private sound server (skipped where none is installed).
#include "app/system/audio_routing.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <optional>
#include <thread>

#include "platform/audio/fake_audio_endpoint.h"
#include "platform/child_process.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"
#include "vrxclientsdk/VRPClient/Logger.h"

namespace pemuapp {
namespace {

TEST(AudioRoutingTest, StartUpMuteAndExitOnAModernSystem) {
    testsupport::TempDir dir;
    Logger log;
    ASSERT_EQ(log.Open(dir.File("log").c_str(), LOG_DEBUG, false), 0);
    platform::FakeAudioEndpoint output;
    output.muted = false;
    AudioRouting audio(&output, 19, &log);
    bool showVacMessage = true;
    audio.StartUp(&showVacMessage);
    EXPECT_FALSE(showVacMessage);
    EXPECT_EQ(audio.MixerDriverState(), 0);
    EXPECT_FALSE(audio.MutedAtStartUp());
    audio.MuteLocalVolume(true);  // projection start
    EXPECT_TRUE(output.muted);
    audio.SetVolume();
    audio.RestoreAudioRouting();  // exit: as it was at start
    EXPECT_FALSE(output.muted);
    const std::string text = testsupport::ReadFile(dir.File("log"));
    // The missing helpers are said once, and nothing is started.
    size_t count = 0;
    for (size_t at = 0; (at = text.find("not installed", at)) != std::string::npos; ++at) {
        ++count;
    }
    EXPECT_EQ(count, 1u) << text;
}

TEST(AudioRoutingTest, AnOutputMutedBeforeTheStartStaysMuted) {
    platform::FakeAudioEndpoint output;
    output.muted = true;
    AudioRouting audio(&output, 19, nullptr);
    bool showVacMessage = true;
    audio.StartUp(&showVacMessage);
    EXPECT_TRUE(audio.MutedAtStartUp());
    audio.MuteLocalVolume(false);  // projection stop
    audio.RestoreAudioRouting();
    EXPECT_TRUE(output.muted);
}

TEST(AudioRoutingTest, OnlyModernSystemsTouchTheEndpoint) {
    for (int code : {16, 17, 18, 19, 0}) {
        SCOPED_TRACE(code);
        platform::FakeAudioEndpoint output;
        AudioRouting audio(&output, code, nullptr);
        audio.MuteLocalVolume(true);
        EXPECT_EQ(output.muted, code >= 17);
    }
}

TEST(AudioRoutingTest, AudibleOutputAndTheSlider) {
    struct Row {
        bool present, muted, audible;
    } rows[] = {{true, false, true}, {true, true, false}, {false, false, false}};
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.present << r.muted);
        platform::FakeAudioEndpoint output;
        output.present = r.present;
        output.muted = r.muted;
        AudioRouting audio(&output, 19, nullptr);
        EXPECT_EQ(audio.DefaultOutputAudible(), r.audible);
    }
    platform::FakeAudioEndpoint output;
    AudioRouting audio(&output, 19, nullptr);
    ASSERT_TRUE(audio.SetLocalVolume(0.25f, false));
    float volume = 0;
    ASSERT_TRUE(audio.GetLocalVolume(&volume));
    EXPECT_FLOAT_EQ(volume, 0.25f);
    ASSERT_TRUE(audio.SetLocalVolume(0.5f, true));  // the mute flag mutes afterwards
    EXPECT_TRUE(output.muted);
    AudioRouting none(nullptr, 19, nullptr);
    EXPECT_FALSE(none.DefaultOutputAudible());
    EXPECT_FALSE(none.GetLocalVolume(&volume));
}

using testsupport::ScopedEnv;

constexpr const char* kPulseServer = "/usr/bin/pulseaudio";

// A sound server of our own with one null sink, reachable only through its
// socket in a private folder.
class PrivatePulseServer {
public:
    PrivatePulseServer() {
        const std::string runtime = m_dir.File("runtime");
        ::mkdir(runtime.c_str(), 0700);
        m_socket = m_dir.File("native");
        ScopedEnv home("HOME", m_dir.Path().string());
        ScopedEnv xdg("XDG_RUNTIME_DIR", runtime);
        ScopedEnv config("XDG_CONFIG_HOME", m_dir.Path().string());
        m_server = platform::ChildProcess::Start(
            kPulseServer,
            {"-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no", "--system=no",
             "--log-target=file:" + m_dir.File("server.log"),
             "--load=module-null-sink sink_name=pemu_test",
             "--load=module-native-protocol-unix auth-anonymous=1 socket=" + m_socket});
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        struct stat st {};
        while (m_server && ::stat(m_socket.c_str(), &st) != 0 &&
               std::chrono::steady_clock::now() < end) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    bool Running() {
        struct stat st {};
        return m_server && !m_server->HasExited() && ::stat(m_socket.c_str(), &st) == 0;
    }
    std::string Address() const { return "unix:" + m_socket; }

private:
    testsupport::TempDir m_dir;
    std::string m_socket;
    std::unique_ptr<platform::ChildProcess> m_server;
};

TEST(AudioEndpointPulseTest, MuteAndVolumeOfTheDefaultSink) {
    if (::access(kPulseServer, X_OK) != 0) {
        GTEST_SKIP() << "no sound server installed";
    }
    PrivatePulseServer server;
    if (!server.Running()) {
        GTEST_SKIP() << "the private sound server did not start";
    }
    testsupport::TempDir home;
    ScopedEnv pulse("PULSE_SERVER", server.Address());
    ScopedEnv homeEnv("HOME", home.Path().string());
    auto output = platform::AudioEndpoint::Create();
    ASSERT_TRUE(output->HasDefaultOutput());
    bool muted = true;
    ASSERT_TRUE(output->GetMute(&muted));
    EXPECT_FALSE(muted);
    ASSERT_TRUE(output->SetMute(true));
    ASSERT_TRUE(output->GetMute(&muted));
    EXPECT_TRUE(muted);
    ASSERT_TRUE(output->SetVolume(0.5f));
    float volume = 0;
    ASSERT_TRUE(output->GetVolume(&volume));
    EXPECT_NEAR(volume, 0.5f, 0.001f);
    ASSERT_TRUE(output->SetVolume(7.0f));  // clamped
    ASSERT_TRUE(output->GetVolume(&volume));
    EXPECT_FLOAT_EQ(volume, 1.0f);
    // Through the sender's service: projection mutes, exit restores.
    AudioRouting audio(output.get(), 19, nullptr);
    ASSERT_TRUE(output->SetMute(false));
    bool showVacMessage = true;
    audio.StartUp(&showVacMessage);
    EXPECT_TRUE(audio.DefaultOutputAudible());
    audio.MuteLocalVolume(true);
    EXPECT_FALSE(audio.DefaultOutputAudible());
    audio.RestoreAudioRouting();
    EXPECT_TRUE(audio.DefaultOutputAudible());
}

TEST(AudioEndpointPulseTest, WithoutAServerEveryCallFails) {
    testsupport::TempDir dir;
    ScopedEnv pulse("PULSE_SERVER", "unix:" + dir.File("none"));
    ScopedEnv home("HOME", dir.Path().string());
    auto output = platform::AudioEndpoint::Create();
    bool muted = false;
    float volume = 0;
    EXPECT_FALSE(output->HasDefaultOutput());
    EXPECT_FALSE(output->GetMute(&muted));
    EXPECT_FALSE(output->SetMute(true));
    EXPECT_FALSE(output->GetVolume(&volume));
    EXPECT_FALSE(output->SetVolume(0.5f));
    AudioRouting audio(output.get(), 19, nullptr);
    EXPECT_FALSE(audio.DefaultOutputAudible());  // so the settings' Volume is 0
}

}  // namespace
}  // namespace pemuapp
