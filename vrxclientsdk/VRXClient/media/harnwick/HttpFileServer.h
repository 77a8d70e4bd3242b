// One HTTP server on one port that answers GET and HEAD for the files of a
// FileTable, with single byte ranges; every other path is 404.
//
// Not a general web server: no directory listing, no path is resolved
// against the file system, nothing is written.
//
// THREADING: Bind() and Serve() run on the server's own thread; Stop() may
// be called from any thread, also before Serve() began (it then retries
// until the server has stopped, see Harnwick.cpp).
#pragma once

#include <httplib.h>

#include <cstdint>
#include <string>

#include "vrxclientsdk/VRXClient/media/harnwick/FileTable.h"

class HttpFileServer {
public:
    // `files` must outlive the server.
    explicit HttpFileServer(const FileTable& files);
    HttpFileServer(const HttpFileServer&) = delete;
    HttpFileServer& operator=(const HttpFileServer&) = delete;

    // Binds and listens on `address`:`port`; false when the port is taken.
    bool Bind(const std::string& address, uint16_t port);
    // Answers requests until Stop(). Call after a successful Bind().
    bool Serve();
    void Stop();

private:
    void Answer(const httplib::Request& request, httplib::Response& response) const;

    const FileTable& m_files;
    httplib::Server m_server;
};
