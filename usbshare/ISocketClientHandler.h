// The handler that the socket client's reader thread calls. Every operation
// runs on that thread. The slot order of the five handlers is part of the
// interface that Pemu and Porvane share.
#pragma once

#include "usbshare/SockAddrIn.h"

namespace porvane {

class CSocketHandle;

class ISocketClientHandler {
public:
    // The reader thread has started.
    virtual void OnThreadBegin(CSocketHandle* pSH) = 0;
    // The reader thread is about to end.
    virtual void OnThreadExit(CSocketHandle* pSH) = 0;
    // `count` bytes arrived from `addr`; `data` is valid during the call.
    virtual void OnDataReceived(CSocketHandle* pSH, const unsigned char* data, unsigned long count,
                                const SockAddrIn& addr) = 0;
    // The connection is gone (peer closed or reset it, or the network is
    // down). The reader thread ends after this call.
    virtual void OnConnectionDropped(CSocketHandle* pSH) = 0;
    // A receive failed with `error` (an errno value) without ending the
    // connection.
    virtual void OnConnectionError(CSocketHandle* pSH, unsigned long error) = 0;

protected:
    // Objects are never deleted through this interface.
    ~ISocketClientHandler() = default;
};

}  // namespace porvane
