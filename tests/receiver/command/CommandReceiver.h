// CommandReceiver: the command side of the simulated receiver.
//
// It listens on a TCP port, answers the sender's "vrpaliveROCK" handshake and
// keep-alive with "vrpaliveROLL", reads every frame with the strict
// CommandParser, records and logs it, and answers each request from its
// configuration (capabilities, protocol version, login code) or from a
// script: given answer bytes, a delay, no answer, a disconnect, raw bytes, or
// half a frame and then a close. Tests send device events through it and
// read back the sender's acknowledgements, and make it misbehave on purpose.
//
// A protocol violation by the sender is recorded in Errors(), logged, and
// ends that connection; tests expect Errors() to stay empty.
//
// THREADING: one thread serves every connection; the public operations may
// be called from any thread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/receiver/apclient/ApClientSide.h"
#include "tests/receiver/command/CapabilityBlock.h"
#include "tests/receiver/command/CommandParser.h"
#include "tests/receiver/discovery/ReceiverAnnouncement.h"

namespace receiver_sim {

// How the receiver answers the connect handshake.
enum class HandshakeMode {
    kNormal,  // "vrpaliveROLL" at once
    kSplit,   // the first 5 bytes, the other 7 a moment later
    kWrong,   // 12 other bytes
    kSilent,  // nothing at all, ever: a peer that connects and says nothing
};

struct CommandConfig {
    std::string bindAddress = "127.0.0.1";
    uint16_t port = 0;  // 0: any free port
    uint16_t protocolVersion = 0x0130;
    CapabilityBlock capabilities;
    std::string loginCode = "6049";
    ReceiverAnnouncement record;  // the answer to ConnectToDeviceThruIP
    HandshakeMode handshake = HandshakeMode::kNormal;
    bool answerKeepAlive = true;  // ROLL for every later ROCK
    FILE* log = nullptr;          // every frame, both ways; nullptr: no log
};

// A scripted reaction to one request.
struct Reply {
    enum class Kind {
        kAnswer,        // the answer code and `bytes` as payload
        kNoAnswer,      // nothing
        kDisconnect,    // close the connection
        kRaw,           // `bytes` exactly as given, prefix and all
        kHalfThenClose  // the first half of `bytes`, then close
    };
    Kind kind = Kind::kAnswer;
    std::vector<uint8_t> bytes;
    int delayMs = 0;

    static Reply Answer(std::vector<uint8_t> payload, int delayMs = 0) {
        return Reply{Kind::kAnswer, std::move(payload), delayMs};
    }
    static Reply Result(uint8_t result) { return Answer({result}); }
    static Reply None() { return Reply{Kind::kNoAnswer, {}, 0}; }
    static Reply Disconnect(int delayMs = 0) { return Reply{Kind::kDisconnect, {}, delayMs}; }
    static Reply Raw(std::vector<uint8_t> bytes) { return Reply{Kind::kRaw, std::move(bytes), 0}; }
    static Reply HalfThenClose(std::vector<uint8_t> frame) {
        return Reply{Kind::kHalfThenClose, std::move(frame), 0};
    }
};

// A frame the sender wrote, with the connection it came on (1, 2, ...).
struct ReceivedFrame {
    int connection = 0;
    SenderFrame frame;
};

class CommandReceiver {
public:
    explicit CommandReceiver(CommandConfig config);
    ~CommandReceiver();  // stops the thread, closes every socket
    CommandReceiver(const CommandReceiver&) = delete;
    CommandReceiver& operator=(const CommandReceiver&) = delete;

    // Binds, listens and starts the thread. 0 or minus the system error.
    int Start();
    // Serves a connection the receiver opened itself (a sender in server
    // mode): no handshake is awaited on it. Call after Start(); takes `fd`.
    // Returns the connection's number.
    int AdoptConnection(int fd);
    void Stop();
    uint16_t Port() const { return m_port; }

    // --- scripting ----------------------------------------------------------
    // The reply to every later request `code` (replaces the default).
    void SetReply(uint8_t code, Reply reply);
    // A reply used once, before any set with SetReply.
    void QueueReply(uint8_t code, Reply reply);
    void SetAnswerKeepAlive(bool on);
    // The access-point-client settings: forwarded texts with its message id
    // are answered by it (unless a reply to 0xc0 is scripted).
    ApClientSide& ApClient() { return m_apClient; }

    // --- the receiver speaking ----------------------------------------------
    // The bytes go to the newest connection; false when there is none.
    bool SendEvent(uint8_t code, const std::vector<uint8_t>& payload);
    bool SendRaw(const std::vector<uint8_t>& bytes);
    // `count` copies of one event, written as fast as the sender reads.
    bool FloodEvents(uint8_t code, const std::vector<uint8_t>& payload, size_t count);
    // Closes the newest connection.
    void CloseClient();

    // --- what the sender did --------------------------------------------------
    // Every frame but the keep-alive, in order of arrival.
    std::vector<ReceivedFrame> Frames();
    void ClearFrames();
    // The frames with one code.
    std::vector<SenderFrame> FramesWithCode(uint8_t code);
    bool WaitForFrames(size_t count, int timeoutMs = 5000);
    // ROCKs after the handshake, on every connection.
    size_t RockCount();
    bool WaitForRocks(size_t count, int timeoutMs = 5000);
    size_t Connections();  // accepted so far
    size_t OpenConnections();
    bool WaitForConnections(size_t count, int timeoutMs = 5000);
    bool WaitForNoOpenConnection(int timeoutMs = 5000);
    // Waits until the serving thread has gone twice round its loop, so that
    // everything the sender wrote before the call has been read.
    void Settle();
    std::vector<std::string> Errors();

private:
    using Clock = std::chrono::steady_clock;
    struct Connection {
        int id = 0;
        int fd = -1;
        CommandParser parser;
        std::vector<uint8_t> out;  // waiting to be written
        bool handshaken = false;
        bool closeAfterWrite = false;
    };
    struct Delayed {
        Clock::time_point due;
        int connection = 0;
        Reply reply;
        uint8_t answerCode = 0;
    };

    void Run();
    void Accept();
    void Read(Connection& c);
    void Flush(Connection& c);
    void Close(Connection& c);
    void HandleFrame(Connection& c, SenderFrame& frame);
    void HandleRequest(Connection& c, const SenderFrame& frame);
    void Apply(Connection& c, const Reply& reply, uint8_t answerCode);
    std::vector<uint8_t> DefaultAnswer(const SenderFrame& frame, bool* answer);
    Connection* Newest();
    Connection* ById(int id);
    void Log(const char* direction, int connection, const std::string& text);
    void Wake();
    template <typename Pred>
    bool WaitFor(Pred pred, int timeoutMs);

    CommandConfig m_config;
    int m_listenFd = -1;
    int m_wakeFd = -1;
    uint16_t m_port = 0;
    std::thread m_thread;
    bool m_stop = false;

    std::mutex m_lock;
    std::condition_variable m_changed;
    std::deque<Connection> m_connections;  // guarded by m_lock
    std::map<uint8_t, Reply> m_replies;
    std::map<uint8_t, std::deque<Reply>> m_queued;
    std::vector<Delayed> m_delayed;
    std::vector<ReceivedFrame> m_frames;
    std::vector<std::string> m_errors;
    std::map<std::string, std::vector<uint8_t>> m_values;  // ChangeValue store
    ApClientSide m_apClient;
    size_t m_rocks = 0;
    int m_accepted = 0;
    uint64_t m_loops = 0;
};

}  // namespace receiver_sim
