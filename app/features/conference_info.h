// ConferenceInfo: which senders take part on the connected receiver (its
// answer to "GET_CONFERENCE_INFO"), their thumbnails, and the receiver's
// new name ("SET_RECVNAME").
//
// The request runs on a worker thread, which reports with command 10389;
// the thumbnail worker fetches the pictures of the first four participants
// and reports with command 10382. Workers only post: the window applies the
// result on the user-interface thread (OnConferenceUpdated,
// OnThumbnailsReady). One mutex guards the entries and the jobs.
//
// THREADING: the public operations on the user-interface thread, except
// Refresh and Entries, which any thread may call.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/features/thumbnail_store.h"
#include "app/maindlg/main_commands.h"
#include "app/maindlg/ncc_control.h"

namespace pemuapp {

class FeatureHost;

inline constexpr uint32_t kConferenceMessageId = 0x1000020;
// The engine's commands: the conference information was read (10389), the
// thumbnails are on disk (kCmdThumbnailsReady, 10382).
inline constexpr uint32_t kCmdConferenceUpdated = kCmdConferenceInfoReady;
inline constexpr size_t kMaxConferenceTiles = 4;
// The receiver's name: at most 16 characters and 97 bytes.
inline constexpr size_t kMaxReceiverNameChars = 16;
inline constexpr size_t kMaxReceiverNameBytes = 97;

struct ConferenceEntry {
    uint32_t address = 0;  // network order
    std::string dotted;
    std::string name;          // also the thumbnail file's base name
    std::string thumbnailUrl;  // may be empty
    int32_t state = 0;         // 0 idle, 1 projecting, 10 moderated
    bool operator==(const ConferenceEntry&) const = default;
};

// The entries of a conference reply (the counted list of the NCC reply).
std::vector<ConferenceEntry> ParseConferenceReply(const std::string& reply);
// True when `url` holds ".jpg" after its first character.
bool HasThumbnail(const std::string& url);
// "SET_RECVNAME" and the name with its character count in front ("09...",
// "10..."); the name is cut to 16 characters and 97 bytes, on a character
// boundary. *sent (when not null) gets the name as cut.
std::string BuildSetReceiverName(const std::string& name, std::string* sent = nullptr);

class ConferenceInfo {
public:
    ConferenceInfo(FeatureHost& host, std::string thumbnailFolder);
    // Waits for the workers (a request ends by the client's own limits).
    ~ConferenceInfo();
    ConferenceInfo(const ConferenceInfo&) = delete;
    ConferenceInfo& operator=(const ConferenceInfo&) = delete;

    // Starts the request on a worker unless one runs.
    void FetchConferenceInfo();
    // The request itself: sends it, parses a non-empty answer into the
    // entries and queues the thumbnails of the first four. False when no
    // answer came (the entries stay). Any thread.
    bool Refresh(const std::vector<uint32_t>& ownAddresses);
    // Command 10389: the window's height and tiles follow the entries, and
    // the thumbnail worker starts when pictures wait.
    void OnConferenceUpdated();
    // Command 10382: the tiles show the new pictures.
    void OnThumbnailsReady();
    // Sends the receiver's new name; returns the name as sent.
    std::string SetDeviceName(const std::string& name);

    std::vector<ConferenceEntry> Entries();
    bool MoreThanTwo();
    int OwnPosition();  // -1: this PC takes no part
    const ThumbnailStore& Thumbnails() const { return m_thumbnails; }

    // Waits for both workers (tests).
    void WaitForWorkersForTest();

private:
    void StartThumbnailWorker();
    void RunThumbnailJobs();

    struct Job {
        std::string url;
        std::string name;
    };

    FeatureHost& m_host;
    ThumbnailStore m_thumbnails;
    std::mutex m_lock;
    std::vector<ConferenceEntry> m_entries;  // guarded by m_lock
    std::vector<Job> m_jobs;                 // guarded by m_lock
    bool m_moreThanTwo = false;              // guarded by m_lock
    int m_ownPosition = -1;                  // guarded by m_lock

    std::thread m_requestWorker;
    std::atomic<bool> m_requestRunning{false};
    std::thread m_thumbnailWorker;
    std::atomic<bool> m_thumbnailsRunning{false};
};

}  // namespace pemuapp
