// One HTTP server on one port that answers GET and HEAD for the files of a
// FileTable, with single byte ranges; every other path is 404.
//
// Not a general web server: no directory listing, no path is resolved
// against the file system, nothing is written. A peer gets kHeadSeconds for
// each request head (and as long between two requests); at most
// kMaxConnections connections are served at once, at most
// kMaxPerAddress of them from one address; a connection beyond that, and
// one from a peer the PeerFilter does not admit, is closed at once. Stop() shuts every connection
// down and returns within kStopMs, whatever the peers do.
//
// THREADING: Bind() and Serve() run on the server's own thread; Stop() may
// be called from any thread, also before Serve() began (Serve then returns
// at once). Every connection has a thread of its own.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "vrxclientsdk/VRXClient/media/harnwick/FileTable.h"
#include "vrxclientsdk/VRXClient/media/harnwick/PeerFilter.h"

struct HttpRequestHead;

class HttpFileServer {
public:
    static constexpr int kHeadSeconds = 5;
    static constexpr int kWriteSeconds = 30;
    static constexpr size_t kMaxConnections = 32;
    static constexpr size_t kMaxPerAddress = 6;
    static constexpr int kStopMs = 2000;

    // `files` and `peers` must outlive the server.
    HttpFileServer(const FileTable& files, const PeerFilter& peers);
    // Stops and waits for the connections.
    ~HttpFileServer();
    HttpFileServer(const HttpFileServer&) = delete;
    HttpFileServer& operator=(const HttpFileServer&) = delete;

    // Binds and listens on `address`:`port`; false when the port is taken.
    bool Bind(const std::string& address, uint16_t port);
    // Answers requests until Stop(). Call after a successful Bind().
    bool Serve();
    void Stop();

private:
    struct Connection;

    void Accept();
    void Run(const std::shared_ptr<Connection>& connection);
    // Serves one request; false when the connection is to end.
    bool Answer(Connection& connection, const HttpRequestHead& request);
    // Waits for the connections to end, at most until `deadline`.
    void WaitForConnections(std::chrono::steady_clock::time_point deadline);

    const FileTable& m_files;
    const PeerFilter& m_peers;
    int m_listener = -1;
    std::atomic<bool> m_stopped{false};
    std::mutex m_lock;  // guards the connections
    std::condition_variable m_ended;
    std::map<uint64_t, std::shared_ptr<Connection>> m_connections;
    uint64_t m_nextId = 0;
};
