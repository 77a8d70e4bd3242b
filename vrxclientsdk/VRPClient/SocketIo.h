// The socket routines of a connection: a socket with its locks and its
// stash of peeked bytes (SocketHolder), and sending or receiving a whole
// byte count within a deadline.
//
// Not a connection: no frames, no threads, no error object. ProtocolBase
// uses these for every byte it moves; its subclasses send a few records of
// their own through ProtocolBase::SendAll.
//
// THREADING: any thread; SendAll holds the socket's send lock, RecvAll its
// receive lock, for the whole call.
#pragma once

#include <atomic>
#include <boost/thread/mutex.hpp>
#include <boost/thread/recursive_mutex.hpp>
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/socket.h"

// Bytes on the wire. std::string holds any byte value.
using ByteString = std::string;

// A socket with its two locks and the bytes that were peeked but not consumed.
struct SocketHolder {
    std::atomic<platform::SocketHandle> handle{platform::kInvalidSocket};
    boost::recursive_mutex sendLock;
    boost::recursive_mutex recvLock;
    // Held while the handle is closed or shut down, so that a shutdown from
    // another thread never hits a reused descriptor number.
    boost::mutex handleLock;
    ByteString peekStash;  // guarded by recvLock
};

// The receive flag that asks RecvAll to deliver bytes without consuming them.
constexpr int kRecvPeek = 2;

namespace socketio {

// Sends all bytes under the send lock. Retries partial sends and
// EAGAIN/EINTR for up to `deadlineMs`. Returns length, or -1 (errno set) on a
// hard error or the deadline; *sentSome tells whether part of the bytes went
// out.
int SendAll(SocketHolder& socket, const void* bytes, size_t length, int flags, bool* sentSome,
            uint32_t deadlineMs);

// Receives `count` bytes under the receive lock, first from the peek stash.
// flags kRecvPeek keeps the bytes. Returns the bytes delivered (fewer than
// count only after the deadline or when `keepGoing` turned false, the peer
// still connected), 0 when the peer closed before all of them came (errno 0),
// -1 on a socket error; a partial count never stands for a closed peer.
int RecvAll(SocketHolder& socket, void* buffer, size_t count, int flags,
            const std::atomic<bool>* keepGoing, uint32_t deadlineMs);

// Closes the socket under all three locks and forgets the stash.
void Close(SocketHolder& socket);

// Shuts the socket down (both directions): every thread blocked on it wakes,
// and the next read sees the end of the stream.
void Shutdown(SocketHolder& socket);

}  // namespace socketio
