// The sender's handle on the local web-server module Harnwick: starts its
// HTTP server on a thread of its own, publishes one media file at a time
// under a URL path and withdraws it again.
//
// The module is loaded by name in the constructor. When it or one of its five
// required entries is missing, the stream records -6528507 and never calls into the
// module: every later operation fails with that code at once.
//
// Not the owner of the process's running servers: HwkServerRegistry decides
// which stream starts and stops a server; VideoFileStream uses its own stream
// only to publish and withdraw its file.
//
// THREADING: called by one thread at a time (the facade's operation lock, or
// the registry's lock); the server thread is this object's own and is joined
// by Shutdown() and the destructor.
#pragma once

#include <atomic>
#include <boost/thread/thread.hpp>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/dynload.h"
#include "vrxclientsdk/VRPClient/QKErrorHandler.h"
#include "vrxclientsdk/VRXClient/media/harnwick/HarnwickApi.h"

class HWKStream : public QKErrorHandler {
public:
    HWKStream();
    ~HWKStream() override;

    // Starts the HTTP server on `port` and returns once it listens there
    // (0), or when it could not: -6528501 with the port as detail when the
    // port cannot be bound (also when another program listens on it),
    // -6528507 when the module is missing, -6527001 when no thread can be
    // created. A server this stream still runs is shut down first.
    int StartServer(uint16_t port);

    // Publishes the file `path` and gives its URL path in `urlPath`; the
    // stream remembers it as its registered URL (a second registration
    // replaces the remembered one). 0, or -6528503 with the path as detail.
    int RegisterFile(const std::wstring& path, std::string& urlPath);

    // Withdraws the registered URL, which is forgotten whatever the result.
    // 0, or -6528504 with the URL as detail.
    int DeregisterFile();

    // Stops the server this stream started and joins its thread. The module
    // stops all of its servers at once, so servers of other streams stop
    // too (HwkServerRegistry shuts down only when none is in use). A stream
    // whose server is not running calls nothing and answers 0. Else 0 or
    // -6528502.
    int Shutdown();

    // Lets the module's servers answer only the receiver `ipv4` (network
    // order) and this host, in place of the receiver this stream allowed
    // before; 0 withdraws this stream's allowance. The stream's end
    // withdraws it too. 0, or -6528507 when the module lacks the entry (it
    // then answers every peer).
    int AllowPeer(uint32_t ipv4);
    uint32_t AllowedPeer() const { return m_AllowedPeer; }

    // True when the module and all five required entries were found.
    bool HasAllFunctions() const;
    // True while the server thread this stream started is running.
    bool IsServing() const;
    // The URL path registered last; empty when none.
    const std::string& RegisteredUrl() const { return m_RegisteredUrl; }

private:
    void LoadServerLibrary();
    // The body of the server thread. It touches nothing of this object after
    // HWKInit returned: `ended` is shared with it.
    static void HttpServerThread(HWKInitFn init, uint16_t port, Logger* logger,
                                 std::shared_ptr<std::atomic<bool>> ended);
    int WaitUntilServing(uint16_t port);
    void JoinServerThread();

    std::unique_ptr<platform::DynamicLibrary> m_pLibrary;
    HWKInitFn m_pfnInit = nullptr;
    HWKRegisterWFn m_pfnRegisterW = nullptr;
    HWKDeregisterWFn m_pfnDeregisterW = nullptr;
    HWKDeregisterByURLFn m_pfnDeregisterByURL = nullptr;
    HWKShutdownFn m_pfnShutdown = nullptr;
    HWKAllowPeerFn m_pfnAllowPeer = nullptr;  // optional
    uint32_t m_AllowedPeer = 0;

    uint16_t m_Port = 0;
    std::unique_ptr<boost::thread> m_pHttpServerThread;
    std::shared_ptr<std::atomic<bool>> m_pServerEnded;  // set when HWKInit returned
    std::string m_RegisteredUrl;
};
