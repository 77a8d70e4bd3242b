// Media-file playback over a fake probe and fake receiver rows: the file
// checks, the receiver count, play, the progress knob and seeking; and one
// probe of a real file through the MediaInfo library, when it is installed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "app/features/media_playback.h"
#include "app/features/media_probe.h"
#include "tests/app/features/fake_feature_host.h"
#include "tests/support/TempDir.h"
#include "vrxclientsdk/VRXClient/VRXClient.h"

namespace {

using featuretest::FakeFeatureHost;
using pemuapp::MediaStream;

using Facts = std::map<std::string, std::string>;  // "General/Format" -> value

class FakeFacts final : public pemuapp::MediaFacts {
public:
    explicit FakeFacts(Facts facts) : m_facts(std::move(facts)) {}
    bool Open(const std::string&) override { return true; }
    std::string Get(MediaStream stream, const std::string& key) override {
        static const char* const kNames[] = {"General", "Video", "Audio"};
        const auto it = m_facts.find(std::string(kNames[static_cast<int>(stream)]) + "/" + key);
        return it == m_facts.end() ? std::string() : it->second;
    }

private:
    Facts m_facts;
};

class FakeRows final : public pemuapp::CheckedReceivers {
public:
    int CheckedCount() override { return checked; }
    int StopPlayImage() override { return Note("StopPlayImage"); }
    int PlayVideoFile(const std::string& p) override { return Note("PlayVideo " + p); }
    int PlayAudioFile(const std::string& p) override { return Note("PlayAudio " + p); }
    int PauseVideoFile() override { return Note("Pause"); }
    int ResumeVideoFile() override { return Note("Resume"); }
    int StopVideoFile() override { return Note("Stop"); }
    int SeekVideoFile(int s) override { return Note("Seek " + std::to_string(s)); }
    int MuteUnmute() override { return Note("Mute"); }
    int SetRepeat(bool on) override { return Note(on ? "Repeat 1" : "Repeat 0"); }
    int SetVolume(int v) override { return Note("Volume " + std::to_string(v)); }

    int Note(std::string call) {
        calls.push_back(std::move(call));
        return reached;
    }
    int checked = 1;
    int reached = 1;
    std::vector<std::string> calls;
};

class StateClient final : public VRXClient {
public:
    ~StateClient() override { Shutdown(); }
    int GetStatus() override { return status; }
    int status = kVrxMediaPlaying;
};

// A playable MPEG-1 file of `playTime` milliseconds.
Facts Playable(const char* playTime) {
    return {{"Video/Codec", "MPEG-1V"}, {"General/PlayTime", playTime}};
}

pemuapp::MediaPlayback::ProbeFactory Probe(Facts facts, bool library = true) {
    if (!library) {
        return [] { return std::unique_ptr<pemuapp::MediaFacts>(); };
    }
    return [facts] { return std::make_unique<FakeFacts>(facts); };
}

TEST(MediaProbeTest, ExtensionAndAudioListRules) {
    EXPECT_EQ(pemuapp::MediaExtension("C:/clips/Film.MPEG"), "peg");
    EXPECT_EQ(pemuapp::MediaExtension("a.Mp4"), "mp4");
    EXPECT_EQ(pemuapp::MediaExtension("x"), "x");
    struct Row {
        std::string list;
        bool supported;
    } rows[] = {
        {"", true},
        {"AAC / AC3", true},
        {"aac lc / pcm", true},
        {"FLAC / AAC", false},  // the first name decides a refusal
        {"AAC / FLAC", true},   // once one matched, unknown names are skipped
        {"Opus", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.list);
        FakeFacts facts({{"General/Audio_Codec_List", row.list}});
        EXPECT_EQ(pemuapp::IsAudioCodecListSupported(facts), row.supported);
    }
}

TEST(MediaPlaybackTest, ChosenFilesAreCheckedByKind) {
    struct Row {
        const char* name;
        std::string path;
        Facts facts;
        bool library;
        bool accepted;
        bool box;
        bool audio;
        int duration;
    } rows[] = {
        {"MPEG by its last letters",
         "/v/film.MPEG",
         {{"Video/Codec", "mpeg-1v"}, {"General/PlayTime", "600000"}},
         true,
         true,
         false,
         false,
         600},
        {"m4t silently", "/v/x.m4t", {}, true, false, false, false, 0},
        {"audio list",
         "/a/song.mp3",
         {{"General/Audio_Codec_List", "AAC / AC3"}},
         true,
         true,
         false,
         true,
         0},
        {"audio list refused",
         "/a/song.wav",
         {{"General/Audio_Codec_List", "FLAC / AAC"}},
         true,
         false,
         true,
         false,
         0},
        {"mp4 encrypted", "/v/a.mp4", {{"General/Encryption", "AES"}}, true, false, true, false, 0},
        {"MPEG-2PS without codec",
         "/v/a.vob",
         {{"General/Format", "MPEG-2PS"}},
         true,
         true,
         false,
         false,
         0},
        {"unknown codec", "/v/a.avi", {{"Video/Codec", "H263"}}, true, false, true, false, 0},
        {"no library", "/v/a.avi", {}, false, true, false, false, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        FakeFeatureHost host;
        FakeRows rowsSeen;
        pemuapp::MediaPlayback media(host, rowsSeen, Probe(row.facts, row.library));
        EXPECT_EQ(media.ChooseMediaFile(row.path), row.accepted ? row.path : "");
        EXPECT_EQ(host.runner.Records().size(), row.box ? 1u : 0u);
        if (row.box) {
            EXPECT_EQ(host.runner.Records()[0].text, "Unsupported file format!");
        }
        if (row.accepted) {
            EXPECT_EQ(media.AudioFile(), row.audio);
            EXPECT_EQ(media.Duration(), row.duration);
        }
    }
}

TEST(MediaPlaybackTest, OneToFourCheckedReceivers) {
    struct Row {
        int checked;
        bool ok;
        std::string text;
    } rows[] = {{0, false, "Please select one or more projector!"},
                {1, true, ""},
                {4, true, ""},
                {5, false, "Support up to 4 devices!!"}};
    for (const Row& row : rows) {
        FakeFeatureHost host;
        FakeRows rowsSeen;
        rowsSeen.checked = row.checked;
        pemuapp::MediaPlayback media(host, rowsSeen, Probe({}));
        EXPECT_EQ(media.CheckReceiverSelection(), row.ok);
        EXPECT_EQ(host.runner.Records().empty(), row.ok);
        if (!row.ok) {
            EXPECT_EQ(host.runner.Records()[0].text, row.text);
        }
    }
}

TEST(MediaPlaybackTest, PlayArmsTheTickOnlyWithADuration) {
    for (const char* playTime : {"0", "100000"}) {
        SCOPED_TRACE(playTime);
        FakeFeatureHost host;
        StateClient client;
        host.client = &client;
        FakeRows rows;
        pemuapp::MediaPlayback media(host, rows, Probe(Playable(playTime)));
        ASSERT_EQ(media.ChooseMediaFile("/v/a.mpg"), "/v/a.mpg");
        EXPECT_TRUE(media.PlayMediaFile("/v/a.mpg"));
        EXPECT_EQ(media.TickArmed(), std::string(playTime) != "0");
        EXPECT_EQ(rows.calls, (std::vector<std::string>{"StopPlayImage", "PlayVideo /v/a.mpg"}));
    }
    FakeFeatureHost host;
    FakeRows rows;
    rows.reached = 0;
    pemuapp::MediaPlayback media(host, rows, Probe({}));
    media.ChooseMediaFile("/a/b.mp3");
    EXPECT_FALSE(media.PlayMediaFile("/a/b.mp3"));
    EXPECT_EQ(rows.calls.back(), "PlayAudio /a/b.mp3");
    EXPECT_FALSE(media.Playing());
}

TEST(MediaPlaybackTest, KnobStaysWithinItsTrackAndSeeksInSeconds) {
    FakeFeatureHost host;
    StateClient client;
    host.client = &client;
    FakeRows rows;
    pemuapp::MediaPlayback media(host, rows, Probe(Playable("7000")));
    media.ChooseMediaFile("/v/a.mpg");
    media.PlayMediaFile("/v/a.mpg");
    for (int i = 0; i < 20; ++i) {
        media.Tick();
        EXPECT_LE(media.GetSliderPosition(), pemuapp::kSliderTickLimit);
    }
    EXPECT_FLOAT_EQ(media.GetSliderPosition(), pemuapp::kSliderTickLimit);
    media.OnSliderMoved(500.0f);
    EXPECT_FLOAT_EQ(media.GetSliderPosition(), 194.0f);
    media.OnSliderMoved(-3.0f);
    EXPECT_FLOAT_EQ(media.GetSliderPosition(), 0.0f);
    client.status = kVrxIdle;  // the file ended
    media.Tick();
    EXPECT_FALSE(media.TickArmed());

    struct Row {
        const char* playTime;
        std::vector<std::string> seeks;
    } seekRows[] = {{"0", {}}, {"100000", {"Seek 50"}}, {"600000", {"Seek 300"}}};
    for (const Row& row : seekRows) {
        SCOPED_TRACE(row.playTime);
        FakeRows seen;
        pemuapp::MediaPlayback m(host, seen, Probe(Playable(row.playTime)));
        m.ChooseMediaFile("/v/a.mpg");
        m.SeekMediaFile(97.0f);
        EXPECT_EQ(seen.calls, row.seeks);
    }
}

TEST(MediaProbeTest, RealLibraryReadsAFileFfmpegMade) {
    std::string why;
    auto probe = pemuapp::MediaInfoProbe::Create(&why);
    if (!probe) {
        GTEST_SKIP() << "MediaInfo library not installed: " << why;
    }
    testsupport::TempDir dir;
    const std::string file = dir.File("clip.mpg");
    const std::string command =
        "ffmpeg -loglevel error -y -f lavfi -i testsrc=duration=3:size=160x120:rate=25 "
        "-f lavfi -i sine=duration=3 -c:v mpeg1video -c:a mp2 '" +
        file + "'";
    if (std::system(command.c_str()) != 0) {
        GTEST_SKIP() << "ffmpeg could not make the file";
    }
    ASSERT_TRUE(probe->Open(file));
    EXPECT_EQ(probe->Get(MediaStream::kGeneral, "Format"), "MPEG-PS");
    EXPECT_NEAR(static_cast<double>(pemuapp::GetMediaPlayTime(*probe)), 3000.0, 200.0);
    EXPECT_FALSE(pemuapp::IsMediaEncrypted(*probe));
    EXPECT_FALSE(probe->Open(dir.File("missing.mpg")));
}

}  // namespace
