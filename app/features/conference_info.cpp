#include "app/features/conference_info.h"

#include <arpa/inet.h>

#include <algorithm>
#include <list>
#include <utility>

#include "app/features/feature_host.h"
#include "platform/log.h"
#include "vrxclientsdk/VRXClient/VRXClient.h"

namespace pemuapp {
namespace {

constexpr const char* kArea = "conference";
constexpr char kRequest[] = "GET_CONFERENCE_INFO";

std::string Dotted(uint32_t networkOrder) {
    char text[INET_ADDRSTRLEN] = {};
    in_addr a{};
    a.s_addr = networkOrder;
    inet_ntop(AF_INET, &a, text, sizeof text);
    return text;
}

// The length of the UTF-8 character that starts with `lead`.
size_t CharLength(unsigned char lead) {
    if (lead >= 0xF0) {
        return 4;
    }
    if (lead >= 0xE0) {
        return 3;
    }
    if (lead >= 0xC0) {
        return 2;
    }
    return 1;
}

}  // namespace

std::vector<ConferenceEntry> ParseConferenceReply(const std::string& reply) {
    bool ok = false;
    std::list<NccEntry> list;
    const NccParseResult result = ParseNccReply(reply, &ok, &list);
    if (!result.complete) {
        platform::Log(platform::LogLevel::kWarning, kArea, "conference reply cut: %s",
                      result.error.c_str());
    }
    std::vector<ConferenceEntry> entries;
    for (const NccEntry& n : list) {
        ConferenceEntry e;
        e.address = htonl(n.id);
        e.dotted = Dotted(e.address);
        e.name = n.name;
        e.thumbnailUrl = n.detail;
        e.state = n.kind;
        entries.push_back(std::move(e));
    }
    return entries;
}

bool HasThumbnail(const std::string& url) {
    const size_t at = url.find(".jpg");
    return at != std::string::npos && at > 0;
}

std::string BuildSetReceiverName(const std::string& name, std::string* sent) {
    std::string cut;
    size_t chars = 0;
    for (size_t i = 0; i < name.size() && chars < kMaxReceiverNameChars;) {
        const size_t n = std::min(CharLength(static_cast<unsigned char>(name[i])), name.size() - i);
        if (cut.size() + n > kMaxReceiverNameBytes) {
            break;
        }
        cut.append(name, i, n);
        i += n;
        ++chars;
    }
    if (sent) {
        *sent = cut;
    }
    std::string count = std::to_string(chars);
    if (count.size() < 2) {
        count.insert(0, "0");
    }
    return "SET_RECVNAME" + count + cut;
}

ConferenceInfo::ConferenceInfo(FeatureHost& host, std::string thumbnailFolder)
    : m_host(host), m_thumbnails(std::move(thumbnailFolder)) {}

ConferenceInfo::~ConferenceInfo() {
    WaitForWorkersForTest();
}

void ConferenceInfo::WaitForWorkersForTest() {
    if (m_requestWorker.joinable()) {
        m_requestWorker.join();
    }
    if (m_thumbnailWorker.joinable()) {
        m_thumbnailWorker.join();
    }
}

void ConferenceInfo::FetchConferenceInfo() {
    if (m_requestRunning) {
        return;
    }
    if (m_requestWorker.joinable()) {
        m_requestWorker.join();
    }
    m_requestRunning = true;
    m_requestWorker = std::thread([this, own = m_host.OwnAddresses()] {
        if (Refresh(own)) {
            m_host.PostCommand(kCmdConferenceUpdated);
        }
        m_requestRunning = false;
    });
}

bool ConferenceInfo::Refresh(const std::vector<uint32_t>& ownAddresses) {
    VRXClient* client = m_host.Client();
    if (!client) {
        return false;
    }
    // The reply is binary (it holds zero bytes): the whole answer is kept.
    ByteString reply;
    if (client->ForwardMessage(kConferenceMessageId, sizeof kRequest - 1, kRequest, &reply) < 0 ||
        reply.empty()) {
        platform::Log(platform::LogLevel::kInfo, kArea, "GetConferenceInfo ZAMP Function end");
        return false;
    }
    std::vector<ConferenceEntry> entries = ParseConferenceReply(reply);
    std::vector<Job> jobs;
    int own = -1;
    for (size_t i = 0; i < entries.size() && i < kMaxConferenceTiles; ++i) {
        const ConferenceEntry& e = entries[i];
        if (own < 0 &&
            std::find(ownAddresses.begin(), ownAddresses.end(), e.address) != ownAddresses.end()) {
            own = static_cast<int>(i);
        }
        if (HasThumbnail(e.thumbnailUrl) && !m_thumbnails.BmpPath(e.name).empty()) {
            jobs.push_back({e.thumbnailUrl, e.name});
        }
    }
    std::lock_guard<std::mutex> guard(m_lock);
    m_moreThanTwo = entries.size() >= 3;
    m_entries = std::move(entries);
    m_ownPosition = own;
    for (Job& job : jobs) {
        m_jobs.push_back(std::move(job));
    }
    return true;
}

void ConferenceInfo::OnConferenceUpdated() {
    m_host.SetMainWindowHeight(MoreThanTwo());
    m_host.RefreshTiles(0);
    StartThumbnailWorker();
}

void ConferenceInfo::OnThumbnailsReady() {
    m_host.RefreshTiles(0);
}

void ConferenceInfo::StartThumbnailWorker() {
    if (m_thumbnailsRunning) {
        return;
    }
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (m_jobs.empty()) {
            return;
        }
    }
    if (m_thumbnailWorker.joinable()) {
        m_thumbnailWorker.join();
    }
    m_thumbnailsRunning = true;
    m_thumbnailWorker = std::thread([this] { RunThumbnailJobs(); });
}

void ConferenceInfo::RunThumbnailJobs() {
    for (;;) {
        Job job;
        {
            std::lock_guard<std::mutex> guard(m_lock);
            if (m_jobs.empty()) {
                break;
            }
            job = std::move(m_jobs.front());
            m_jobs.erase(m_jobs.begin());
        }
        m_thumbnails.Fetch(job.url, job.name);
    }
    m_host.PostCommand(kCmdThumbnailsReady);
    m_thumbnailsRunning = false;
}

std::string ConferenceInfo::SetDeviceName(const std::string& name) {
    std::string sent;
    const std::string text = BuildSetReceiverName(name, &sent);
    platform::Log(platform::LogLevel::kInfo, kArea, "SetDeviceName Function");
    if (VRXClient* client = m_host.Client()) {
        client->ForwardMessageStr(kConferenceMessageId, static_cast<uint32_t>(text.size()),
                                  text.data());
    }
    return sent;
}

std::vector<ConferenceEntry> ConferenceInfo::Entries() {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_entries;
}

bool ConferenceInfo::MoreThanTwo() {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_moreThanTwo;
}

int ConferenceInfo::OwnPosition() {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_ownPosition;
}

}  // namespace pemuapp
