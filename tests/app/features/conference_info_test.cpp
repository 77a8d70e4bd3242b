// Conference information against the simulated receiver's scripted answers
// and thumbnails from a loopback HTTP server: four tiles of six
// participants, which addresses are fetched, names that must stay inside
// the thumbnail folder, downloads that must leave no file, and the
// receiver-name request.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <turbojpeg.h>

#include <filesystem>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "app/features/conference_info.h"
#include "app/features/main_window_features.h"
#include "platform/draw/bmp_codec.h"
#include "tests/app/features/fake_feature_host.h"
#include "tests/support/TempDir.h"
#include "tests/vrxclientsdk/VRXClient/facade_test_env.h"

// Last: the resolver header it brings defines macros (STATUS) that the
// client's headers use as names.
#include "tests/app/features/http_test_server.h"

namespace {

namespace fs = std::filesystem;
using featuretest::FakeFeatureHost;
using featuretest::HttpTestServer;
using receiver_sim::Reply;

constexpr const char* kReceiver = "127.0.0.2";
constexpr uint8_t kForwardMessage = 0xc0;

std::string MakeJpeg(int width, int height) {
    std::vector<unsigned char> rgb(static_cast<size_t>(width * height * 3), 0x80);
    tjhandle tj = tjInitCompress();
    unsigned char* out = nullptr;
    unsigned long size = 0;
    EXPECT_EQ(tjCompress2(tj, rgb.data(), width, width * 3, height, TJPF_RGB, &out, &size,
                          TJSAMP_444, 90, 0),
              0);
    std::string jpeg(reinterpret_cast<char*>(out), size);
    tjFree(out);
    tjDestroy(tj);
    return jpeg;
}

struct Participant {
    std::string name;
    std::string address;
    std::string url;
};

void PutU16(std::string& s, uint16_t v) {
    s.push_back(static_cast<char>(v >> 8));
    s.push_back(static_cast<char>(v & 0xff));
}
void PutU32(std::string& s, uint32_t v) {
    PutU16(s, static_cast<uint16_t>(v >> 16));
    PutU16(s, static_cast<uint16_t>(v & 0xffff));
}

// The receiver's counted list, as the NCC reply lays it out.
std::string ConferenceReply(const std::vector<Participant>& people) {
    std::string r;
    PutU32(r, 0);
    r.push_back(1);
    PutU16(r, static_cast<uint16_t>(people.size()));
    for (const Participant& p : people) {
        PutU16(r, static_cast<uint16_t>(p.name.size()));
        r += p.name;
        PutU32(r, ntohl(facadetest::Ip(p.address.c_str())));
        PutU32(r, 1);  // kind: projecting
        r.push_back(0);
        PutU32(r, 10);
        PutU32(r, 10);
        PutU16(r, 0);
        PutU16(r, static_cast<uint16_t>(p.url.size()));
        r += p.url;
        r.push_back(0);
    }
    return r;
}

// The forwarded message's answer: the reply size (big-endian) in a 16-byte
// head, then the reply.
std::vector<uint8_t> ForwardAnswer(const std::string& reply) {
    std::string head;
    PutU32(head, static_cast<uint32_t>(reply.size()));
    head.resize(16, '\0');
    const std::string all = head + reply;
    return std::vector<uint8_t>(all.begin(), all.end());
}

std::set<std::string> FilesUnder(const fs::path& root) {
    std::set<std::string> files;
    if (!fs::exists(root)) {
        return files;
    }
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        if (e.is_regular_file()) {
            files.insert(fs::relative(e.path(), root).string());
        }
    }
    return files;
}

class PictureServer {
public:
    PictureServer() : m_jpeg(MakeJpeg(48, 32)) {
        auto& r = m_http.Routes();
        r.Get(R"(/t/[^/]+\.jpg)", [this](const httplib::Request&, httplib::Response& res) {
            res.set_content(m_jpeg, "image/jpeg");
        });
        r.Get("/missing.jpg", [](const httplib::Request&, httplib::Response& res) {
            res.status = 404;
            res.set_content(MakeJpeg(8, 8), "image/jpeg");
        });
        r.Get("/cut.jpg", [this](const httplib::Request&, httplib::Response& res) {
            res.set_content(m_jpeg.substr(0, m_jpeg.size() / 2), "image/jpeg");
        });
        r.Get("/text.jpg", [](const httplib::Request&, httplib::Response& res) {
            res.set_content("<html>not a picture</html>", "text/html");
        });
        EXPECT_TRUE(m_http.Start());
    }
    std::string Url(const std::string& path) const { return m_http.Base() + path; }

private:
    std::string m_jpeg;
    HttpTestServer m_http;
};

class ConferenceTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(facadetest::Discover(client, {{kReceiver, receiver.sim->Port()}}), 0);
        ASSERT_EQ(client.Login(facadetest::Ip(kReceiver), "alice", "6049"), 0)
            << client.GetErrorMessage();
        host.client = &client;
    }
    void AnswerOnce(const std::string& reply) {
        receiver.sim->QueueReply(kForwardMessage, Reply::Answer(ForwardAnswer(reply)));
    }
    fs::path Folder() const { return dir.Path() / "thumbnails"; }

    facadetest::SimReceiver receiver{kReceiver};  // outlives the client
    facadetest::TestClient client;
    testsupport::TempDir dir;
    PictureServer pictures;
    FakeFeatureHost host;
};

TEST_F(ConferenceTest, SixParticipantsGiveFourThumbnailsAndTheTallWindow) {
    std::vector<Participant> people;
    for (int i = 0; i < 6; ++i) {
        const std::string name = "p" + std::to_string(i);
        people.push_back(
            {name, "10.0.0." + std::to_string(10 + i), pictures.Url("/t/" + name + ".jpg")});
    }
    AnswerOnce(ConferenceReply(people));
    host.ownAddresses = {facadetest::Ip("10.0.0.12")};
    pemuapp::MainWindowFeatures features(host, {.thumbnailFolder = Folder().string()});
    pemuapp::ConferenceInfo& conference = features.Conference();

    features.FetchConferenceInfo();
    conference.WaitForWorkersForTest();
    EXPECT_EQ(host.Posted(), std::vector<uint32_t>{pemuapp::kCmdConferenceUpdated});
    const auto entries = conference.Entries();
    ASSERT_EQ(entries.size(), 6u);
    EXPECT_EQ(entries[5].dotted, "10.0.0.15");
    EXPECT_EQ(entries[0].thumbnailUrl, people[0].url);
    EXPECT_EQ(conference.OwnPosition(), 2);

    EXPECT_TRUE(features.OnCommand(pemuapp::kCmdConferenceUpdated));
    EXPECT_EQ(host.heights, std::vector<bool>{true});
    conference.WaitForWorkersForTest();
    EXPECT_EQ(host.Posted(), (std::vector<uint32_t>{pemuapp::kCmdConferenceUpdated,
                                                    pemuapp::kCmdThumbnailsReady}));
    EXPECT_EQ(FilesUnder(Folder()),
              (std::set<std::string>{"p0.bmp", "p1.bmp", "p2.bmp", "p3.bmp"}));
    const std::string bmp = testsupport::ReadFile((Folder() / "p0.bmp").string());
    std::string reason;
    const auto image = platform::DecodeBmp(
        std::span(reinterpret_cast<const uint8_t*>(bmp.data()), bmp.size()), &reason);
    ASSERT_TRUE(image) << reason;
    EXPECT_EQ(image->Width(), 48);
    EXPECT_EQ(image->Height(), 32);
    EXPECT_EQ(fs::status(Folder()).permissions() & fs::perms::all, fs::perms::owner_all);
    EXPECT_TRUE(features.OnCommand(pemuapp::kCmdThumbnailsReady));
    EXPECT_EQ(host.tileRefreshes.size(), 2u);
}

TEST_F(ConferenceTest, OnlyAddressesWithJpgAfterTheirStartAreFetched) {
    AnswerOnce(ConferenceReply({
        {"dot", "10.0.0.1", ".jpg"},
        {"png", "10.0.0.2", pictures.Url("/t/png.png")},
    }));
    pemuapp::MainWindowFeatures features(host, {.thumbnailFolder = Folder().string()});
    features.FetchConferenceInfo();
    features.Conference().WaitForWorkersForTest();
    features.OnCommand(pemuapp::kCmdConferenceUpdated);
    features.Conference().WaitForWorkersForTest();
    EXPECT_EQ(host.heights, std::vector<bool>{false});
    EXPECT_EQ(host.Posted(), std::vector<uint32_t>{pemuapp::kCmdConferenceUpdated});
    EXPECT_TRUE(FilesUnder(Folder()).empty());
    EXPECT_FALSE(pemuapp::HasThumbnail(""));
    EXPECT_TRUE(pemuapp::HasThumbnail("x.jpg"));
}

TEST_F(ConferenceTest, AnEmptyAnswerKeepsTheEntries) {
    AnswerOnce(
        ConferenceReply({{"a", "10.0.0.1", ""}, {"b", "10.0.0.2", ""}, {"c", "10.0.0.3", ""}}));
    pemuapp::ConferenceInfo conference(host, Folder().string());
    EXPECT_TRUE(conference.Refresh({}));
    EXPECT_FALSE(conference.Refresh({}));  // the simulator's own answer is empty
    EXPECT_EQ(conference.Entries().size(), 3u);
    EXPECT_TRUE(conference.MoreThanTwo());
}

TEST_F(ConferenceTest, ReceiverNameGoesWithItsCharacterCount) {
    pemuapp::ConferenceInfo conference(host, Folder().string());
    EXPECT_EQ(conference.SetDeviceName("Hall nine"), "Hall nine");
    ASSERT_TRUE(receiver.sim->WaitForFrames(1));
    receiver.sim->Settle();
    const auto frames = receiver.sim->FramesWithCode(kForwardMessage);
    ASSERT_FALSE(frames.empty());
    const auto& p = frames.back().payload;
    ASSERT_GE(p.size(), 32u);
    EXPECT_EQ(std::string(p.begin() + 32, p.end()), "SET_RECVNAME09Hall nine");
}

TEST(ReceiverNameTest, CountIsOfCharactersAndTheNameIsCut) {
    struct Row {
        std::string name;
        std::string request;
    } rows[] = {
        {"abcdefghi", "SET_RECVNAME09abcdefghi"},
        {"abcdefghij", "SET_RECVNAME10abcdefghij"},
        {"", "SET_RECVNAME00"},
        {std::string(20, 'x'), "SET_RECVNAME16" + std::string(16, 'x')},
        {"\xC3\xA4\xC3\xB6\xC3\xBC", "SET_RECVNAME03\xC3\xA4\xC3\xB6\xC3\xBC"},
        {std::string(40, '\xE2'), ""},  // stray lead bytes: counted as characters, cut to 97 bytes
    };
    for (const Row& row : rows) {
        std::string sent;
        const std::string request = pemuapp::BuildSetReceiverName(row.name, &sent);
        EXPECT_LE(sent.size(), pemuapp::kMaxReceiverNameBytes);
        if (!row.request.empty()) {
            EXPECT_EQ(request, row.request);
        }
    }
    std::string sent;
    pemuapp::BuildSetReceiverName(std::string(20, '\xF0') + std::string(100, 'a'), &sent);
    EXPECT_LE(sent.size(), pemuapp::kMaxReceiverNameBytes);
}

TEST(ThumbnailStoreTest, NamesFromTheReceiverStayInsideTheFolder) {
    testsupport::TempDir dir;
    PictureServer pictures;
    const fs::path folder = dir.Path() / "thumbnails";
    pemuapp::ThumbnailStore store(folder.string());
    const std::string names[] = {"../x", "/etc/passwd",  "a/b",
                                 "..",   "\x01\x02\x7f", std::string(300, 'n')};
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const std::string path = store.BmpPath(name);
        EXPECT_EQ(store.Fetch(pictures.Url("/t/any.jpg"), name), !path.empty());
        if (!path.empty()) {
            EXPECT_EQ(fs::path(path).parent_path(), folder);
            EXPECT_TRUE(fs::exists(path));
        }
    }
    EXPECT_EQ(FilesUnder(dir.Path()),
              (std::set<std::string>{"thumbnails/.._x.bmp", "thumbnails/_etc_passwd.bmp",
                                     "thumbnails/a_b.bmp", "thumbnails/___.bmp",
                                     "thumbnails/" + std::string(64, 'n') + ".bmp"}));
}

TEST(ThumbnailStoreTest, FailedDownloadsLeaveNoFile) {
    testsupport::TempDir dir;
    PictureServer pictures;
    struct Row {
        const char* name;
        std::string url;
        size_t cap;
    } rows[] = {
        {"not found", pictures.Url("/missing.jpg"), 2u << 20},
        {"truncated", pictures.Url("/cut.jpg"), 2u << 20},
        {"not a JPEG", pictures.Url("/text.jpg"), 2u << 20},
        {"too large", pictures.Url("/t/big.jpg"), 64},
        {"no server", featuretest::AbsentServerBase() + "/t/a.jpg", 2u << 20},
        {"other scheme", "file:///etc/passwd", 2u << 20},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        pemuapp::ThumbnailStore store(dir.File("thumbnails"));
        store.SetLimitsForTest({5000, 10000, row.cap});
        std::string error;
        EXPECT_FALSE(store.Fetch(row.url, "someone", &error));
        EXPECT_FALSE(error.empty());
        EXPECT_TRUE(FilesUnder(dir.Path()).empty());
    }
}

}  // namespace
