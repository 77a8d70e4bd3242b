// Serves one local video or audio file to the receiver over HTTP.
//
// Initialize() takes a reference on the process's web server for the video
// port (HwkServerRegistry), Start() publishes the file and gives its URL path,
// Stop() withdraws it, Shutdown() withdraws any file still published and drops
// the reference. While the stream holds a server, the web server answers
// only its receiver (SetReceiver) and this host. The facade builds the media URL from the path it
// gets: "http://%03d.%03d.%03d.%03d:%d%s".
//
// The transcoding mode is asked for with Initialize(port, true); this system
// does not offer it (HWKTStream), so that mode fails with -6528603.
//
// THREADING: called under the facade's operation lock; the server registry
// is shared by all streams of the process and locked on its own.
#pragma once

#include <cstdint>
#include <string>

#include "vrxclientsdk/VRPClient/QKErrorHandler.h"
#include "vrxclientsdk/VRXClient/media/HWKStream.h"
#include "vrxclientsdk/VRXClient/media/HWKTStream.h"

class VideoFileStream : public QKErrorHandler {
public:
    VideoFileStream();
    // Shutdown(): no file stays published after the stream is gone.
    ~VideoFileStream() override;

    // Makes a server serve `port` (1024..65535) for this stream: reuses the
    // one this stream already uses on that port, else takes a reference on
    // the process's server of the port, starting it when needed. A published
    // file is withdrawn when the port or the mode changes. 0, -6528506 when
    // transcoding is asked for while a plain server is in use, -6528501 for a
    // port outside the range, or the server start's code.
    virtual int Initialize(uint16_t port, bool transcode);

    // Publishes `path` and gives its URL path in `urlPath`. The same path
    // again gives the URL path it already has; another path replaces the
    // published file (the old one is withdrawn first). 0, -6528505 when no
    // server was initialised, or -6528503.
    virtual int Start(const std::wstring& path, std::string& urlPath);

    // Withdraws the published file (whatever `path` says; it is only
    // logged). 0 when nothing is published, -6528505 when no server was
    // initialised, or the withdrawal's code.
    virtual int Stop(const std::wstring& path);

    // The receiver (network order) that fetches this stream's files; 0: no
    // receiver, every peer is answered.
    void SetReceiver(uint32_t ipv4);

    // Withdraws a published file and drops this stream's server reference;
    // the last reference of the process stops the server. 0 or a code.
    virtual int Shutdown();

    // Also the logger of the two member streams.
    void SetLogger(Logger* logger) override;

    bool IsServerStarted() const { return m_bServerStarted; }
    bool IsFileRegistered() const { return m_bFileRegistered; }
    uint16_t Port() const { return m_Port; }
    // References on web servers held by all streams of the process.
    static int ServerUseCount();

private:
    int Withdraw();

    bool m_bTranscode = false;
    HWKTStream m_HwktStream;
    HWKStream m_HwkStream;
    bool m_bServerStarted = false;
    uint16_t m_Port = 0;
    uint32_t m_Receiver = 0;
    bool m_bFileRegistered = false;
    std::wstring m_RegisteredPath;
    std::string m_UrlPath;
};
