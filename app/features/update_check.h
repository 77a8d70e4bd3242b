// UpdateCheck: compares the program's version with the version text on the
// update server and offers the installer when the server has a newer one.
//
// The text is fetched by a worker thread ("<base>/winUpdate/
// PemuQuorvaneSender.txt"; <base> is the setting "UpdateServer", else the
// build's default) with connect, total and size limits. The thread is never
// killed: a later check, and the destructor, raise its abort flag and join
// it. Its answer is handed over under a lock, tagged with the check it
// belongs to, so a late answer of an earlier check is dropped.
//
// Results: 1 the user took the update, 0 the server's version is not newer,
// -1 no usable version text, -2 the user declined.
//
// THREADING: user-interface thread; the fetch runs on its own thread.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "app/features/http_get.h"
#include "app/res/version_info.h"

namespace pemuapp {

class FeatureHost;

inline constexpr const char* kVersionTextPath = "/winUpdate/PemuQuorvaneSender.txt";
inline constexpr const char* kInstallerPath = "/winUpdate/PemuQuorvaneSender.exe";
inline constexpr int kUpdateWaitAtStartMs = 3000;

class UpdateCheck {
public:
    UpdateCheck(FeatureHost& host, std::string defaultBase,
                appres::FileVersion own = appres::ProgramFileVersion());
    ~UpdateCheck();
    UpdateCheck(const UpdateCheck&) = delete;
    UpdateCheck& operator=(const UpdateCheck&) = delete;

    // The start-up check: waits at most 3 s, does not exit the program.
    int CheckForUpdateAtStart();
    // The command path: waits for the fetch (dispatching messages), exits
    // the program when the user takes the update.
    int CheckForUpdate();
    // Command 2033: the check and its notices.
    void OnCheckForUpdate();

    // "<base>" without a trailing '/'.
    std::string BaseAddress();
    void SetLimitsForTest(const HttpLimits& limits) { m_limits = limits; }

private:
    int Check(bool atStart);
    int CheckOnce(bool atStart);
    // Starts a fetch and waits for it (ms 0: until it ends); the version
    // text it brought in time, else empty.
    std::string RunUpdateCheck(int ms);
    void StopWorker();
    void ShowVersionDialog(const std::string& version, bool newer, int* result);

    FeatureHost& m_host;
    std::string m_defaultBase;
    appres::FileVersion m_own;
    HttpLimits m_limits{5000, 15000, 64 * 1024};

    std::thread m_worker;
    std::atomic<bool> m_abort{false};
    std::mutex m_lock;
    std::condition_variable m_done;
    uint64_t m_attempt = 0;       // UI thread writes; read under m_lock
    uint64_t m_doneAttempt = 0;   // guarded by m_lock
    std::string m_fetchedText;    // guarded by m_lock
    std::string m_serverVersion;  // UI thread
    bool m_checking = false;      // UI thread
};

}  // namespace pemuapp
