// One TCP connection carrying prefixed frames: prefix, one code byte, and a
// payload whose length the code fixes.
//
// It connects over a list of ports (the first port whose handshake succeeds
// wins) or adopts an accepted socket. A request waits for its answer while the
// waiting thread pumps window messages; frames that are not the awaited answer
// are events, read and queued by the network thread and handed to per-code
// handlers on the dispatcher thread. After a loss, OnConnectClose runs on a
// closer thread of its own.
//
// Not a general socket class: it knows nothing of the codes it carries.
// Subclasses install a payload reader per code they accept and an event
// handler per event code. Its parts: the socket routines (SocketIo.h), the
// port connector (PortConnector.h) and the event queue and its dispatch
// (EventDispatcher.h); this class is the connection's state and its threads.
//
// THREADING: the public operations may be called from any thread; one request
// waits at a time per connection. Every most-derived destructor must call
// ShutdownConnection() first, so that no thread runs a virtual of a
// half-destroyed object.
#pragma once

#include <atomic>
#include <boost/thread/condition_variable.hpp>
#include <boost/thread/mutex.hpp>
#include <boost/thread/recursive_mutex.hpp>
#include <boost/thread/thread.hpp>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/socket.h"
#include "vrxclientsdk/VRPClient/EventDispatcher.h"
#include "vrxclientsdk/VRPClient/QKErrorHandler.h"
#include "vrxclientsdk/VRPClient/SocketIo.h"

class ProtocolBase : public QKErrorHandler {
public:
    // Reads the payload of one frame of its code into `payload` (or a place of
    // its own) and returns the byte count; 0 or -1 fails the connection.
    using PayloadReader = std::function<int(ByteString& payload)>;
    // Handles one queued event on the dispatcher thread; the result goes to
    // HandleRetVal.
    using EventHandler = std::function<int(const ByteString& payload)>;

    ProtocolBase();
    ~ProtocolBase() override;

    // --- set-up -------------------------------------------------------------
    virtual void SetCmdPrefix(const void* bytes, size_t length);
    // Takes as many bytes as the command prefix has: call SetCmdPrefix first.
    virtual void SetCustCmdPrefix(const void* bytes);
    virtual void SetSndRcvTimeout(int seconds);

    // --- connection ---------------------------------------------------------
    // Closes, remembers the arguments for ReConnect, then OpenConnect.
    virtual int Connect(const std::string& address, const std::vector<uint16_t>& ports,
                        bool noDispatcher, int timeoutSeconds);
    virtual int ReConnect();
    // Adopts a socket that a listening server accepted. On failure the socket
    // is not adopted and stays the caller's to close (also when the
    // connection's threads could not start).
    virtual int InitSocket(platform::SocketHandle socket, bool noDispatcher);
    int OpenConnect(const std::string& address, const std::vector<uint16_t>& ports,
                    bool noDispatcher, int timeoutSeconds);

    // --- sending ------------------------------------------------------------
    // Sends request `request` with `payload` and waits up to `timeoutSeconds`
    // for the frame with code `answer`, pumping window messages meanwhile (all
    // of them with pumpAll, else only timer and paint messages). Returns 0 when
    // the answer came; with timeoutSeconds 0 it returns 0 right after sending.
    virtual int RequestCommand(uint8_t request, uint8_t answer, const char* name,
                               const ByteString& payload, bool pumpAll, int timeoutSeconds);
    // Sends prefix, code and payload without waiting. Bytes sent or -1.
    virtual int AckCommand(uint8_t answer, const char* name, const ByteString& payload);
    // Sends prefix followed by `bytes` (the first of which is the code).
    virtual int SendCommandData(const void* bytes, size_t length, int flags, bool log);

    virtual void CloseConnect();
    // True while a request waits (pumping) on this connection.
    virtual bool IsRequestPending();
    // True from the moment a request is sent until its answer came or the
    // wait ended, on whichever thread it waits.
    bool IsAnswerPending() const { return m_PendingAnswer.load() != 0; }
    virtual bool IsConnected();
    virtual platform::SocketHandle GetSocket();

    // Stops the connection and joins every thread it started; waits for calls
    // in progress on other threads to return. Idempotent. Every most-derived
    // destructor calls it first.
    void ShutdownConnection();

    // --- socket routines (SocketIo.h) ---------------------------------------
    static int SendAll(SocketHolder& socket, const void* bytes, size_t length, int flags,
                       bool* sentSome = nullptr, uint32_t deadlineMs = 5000) {
        return socketio::SendAll(socket, bytes, length, flags, sentSome, deadlineMs);
    }
    static int RecvAll(SocketHolder& socket, void* buffer, size_t count, int flags,
                       const std::atomic<bool>* keepGoing, uint32_t deadlineMs = 5000) {
        return socketio::RecvAll(socket, buffer, count, flags, keepGoing, deadlineMs);
    }

    // Test hook: shortens the 5000 ms send/receive retry deadline.
    void SetIoDeadlineForTest(uint32_t ms) { m_IoDeadlineMs = ms; }

protected:
    // --- hooks for subclasses -----------------------------------------------
    // Runs on the closer thread after the connection was lost.
    virtual void OnConnectClose();
    // True on the closer thread once another connection has started after
    // the lost one: the loss is stale, and closing or logging out would end
    // the new connection.
    bool LossIsStale() const { return m_Generation.load() != m_LostGeneration.load(); }
    // Runs on the dispatcher thread after each event handler.
    virtual void HandleRetVal(uint8_t code, int result);
    // Reads the rest of a custom frame; 0 or -1 fails the connection.
    virtual int OnCustCommand();
    // Runs on the network thread after the prefix of every frame.
    virtual void OnPeerAlive();
    // Checks a freshly connected non-blocking socket; >= 0 accepts it,
    // PortConnector::kHandshakeRejected gives the port up, another negative
    // value asks to be called again (once per 30 ms step at most, and only
    // while the peer is still there). Must not block.
    virtual int Handshake(platform::SocketHandle socket);
    // Polled by the network thread before every wait; false ends the connection.
    virtual bool IsPeerAlive();
    // The body of the network thread.
    virtual void NetworkThread();

    int OnUnknownCommand(const ByteString& payload);

    void SetPayloadReader(uint8_t code, PayloadReader reader);
    void SetEventHandler(uint8_t code, EventHandler handler);

    // Reads exactly `length` payload bytes into `payload`; answers length, or
    // 0/-1 (failing the connection) when fewer arrived.
    int ReadPayload(ByteString& payload, size_t length);
    // Reads exactly `length` bytes into `buffer`; length or 0/-1.
    int ReadExact(void* buffer, size_t length);

    bool IsRunning() const { return m_Running.load(std::memory_order_acquire); }
    // Shuts the socket down after part of a frame went out: the stream can't
    // be trusted any more, and the network thread ends the connection
    // through the ordinary loss path.
    void MarkBroken();

    // The payload of the last answer; valid in the requester once
    // RequestCommand returned 0 for a request that waited.
    const ByteString& AnswerPayload() const { return m_AnswerPayload; }

    SocketHolder m_Socket;
    std::atomic<bool> m_Running{false};

private:
    // Counts a public call in progress so that ShutdownConnection can wait
    // for it.
    class CallScope;

    // Starts the connection's threads on the socket in m_Socket. When one
    // cannot start, the socket is given back unclosed (m_Socket no longer
    // holds it) and the caller decides what becomes of it.
    int StartThreads(bool noDispatcher);
    void AbandonStart();
    int SendFrame(uint8_t code, const void* payload, size_t length, int flags);
    int SendPrefixed(const void* bytes, size_t length, int flags);
    void DispatcherThread();
    void RunNetworkThread();
    void StartCloserThread();
    void JoinHelperThreads();
    void CloseSocket();
    void InitSocketOptions(platform::SocketHandle socket);
    bool ReadFrame();

    EventDispatcher m_Events;
    PayloadReader m_PayloadReaders[256];

    boost::recursive_mutex m_RequestLock;
    boost::recursive_mutex m_ConnectLock;
    std::unique_ptr<boost::thread_group> m_pThreadGroup;
    boost::recursive_mutex m_AnswerWaitLock;
    boost::condition_variable_any m_AnswerCondition;
    std::unique_ptr<boost::thread> m_pDispatcherThread;
    std::unique_ptr<boost::thread> m_pCloserThread;
    boost::recursive_mutex m_ThreadsLock;  // guards the two thread pointers above
    boost::recursive_mutex m_FrameLock;

    std::atomic<uint8_t> m_PendingAnswer{0};
    ByteString m_CmdPrefix;
    ByteString m_CustPrefix;
    ByteString m_SendBuffer;
    std::atomic<bool> m_InWait{false};
    std::atomic<int> m_SndRcvTimeout{30};
    std::atomic<bool> m_Closing{false};
    std::atomic<bool> m_ShutDown{false};
    std::atomic<int> m_CallsInProgress{0};
    std::atomic<unsigned> m_Generation{0};      // bumped by StartThreads; an older dispatcher stops
    std::atomic<unsigned> m_LostGeneration{0};  // the connection the closer thread reports
    ByteString m_AnswerPayload;
    std::atomic<uint32_t> m_IoDeadlineMs{5000};

    std::string m_Address;
    std::vector<uint16_t> m_Ports;
    bool m_NoDispatcher = false;
    int m_ConnectTimeout = 10;
};

// The message pumps that waits on the user-interface thread use.
#include "platform/pump.h"
