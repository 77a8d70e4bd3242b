// UdpAnnouncer: the discovery side of the receiver simulator.
//
// It listens on one or more UDP ports of one local address and answers each
// "VRPS" query with the receiver's 128-byte record, sent from the port the
// query arrived on back to the query's source. Other datagrams are ignored.
// Reply behaviours let tests feed the sender faulty answers: a record one
// byte short or long, a wrong magic, several copies of one answer.
//
// It answers either on a thread of its own (Start/Stop, for the simulator
// program) or when the owner calls ServeOnce (for tests that step a fake
// clock from the sender's idle step, so that no thread races the clock).
// Every query is recorded with the time of platform::NowMs() at which it was
// answered.
#pragma once

#include <netinet/in.h>

#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/receiver/discovery/ReceiverAnnouncement.h"

namespace receiver_sim {

enum class AnnounceReply {
    kRecord,       // the 128-byte record
    kShortRecord,  // its first 127 bytes
    kLongRecord,   // the record and one more zero byte: 129 bytes
    kWrongMagic,   // 128 bytes starting "QKPS" instead of "QKPP"
};

struct AnnouncerConfig {
    std::string bindAddress = "0.0.0.0";  // dotted; 0.0.0.0 also hears broadcasts
    std::vector<uint16_t> ports = {1047, 1048, 1049};
    AnnouncementBytes record = ReceiverAnnouncement{}.Encode();
    AnnounceReply reply = AnnounceReply::kRecord;
    int copies = 1;  // datagrams sent per query
};

struct AnnounceQuery {
    in_addr source{};  // the sender's address
    uint16_t sourcePort = 0;
    uint16_t localPort = 0;  // the announcer's port the query arrived on
    in_addr destination{};   // where the sender addressed it (a broadcast address, say)
    uint64_t answeredAtMs = 0;
};

class UdpAnnouncer {
public:
    explicit UdpAnnouncer(AnnouncerConfig config);
    ~UdpAnnouncer();  // stops the thread and closes the sockets
    UdpAnnouncer(const UdpAnnouncer&) = delete;
    UdpAnnouncer& operator=(const UdpAnnouncer&) = delete;

    // Binds every configured port. Returns 0, or minus the system error of
    // the first port that cannot be bound (nothing stays bound then).
    int Open();

    // Opens when not yet open and answers queries on a thread of its own
    // until Stop. Returns 0 or minus a system error.
    int Start();
    void Stop();

    // Answers every query that is waiting now, without blocking; call from
    // one thread only and not while started. Returns the number answered.
    int ServeOnce();

    // Every query answered so far, in order.
    std::vector<AnnounceQuery> Queries() const;

private:
    struct Endpoint {
        int fd = -1;
        uint16_t port = 0;
    };
    int ServeEndpoint(const Endpoint& endpoint);
    void Answer(const Endpoint& endpoint, const sockaddr_in& to);
    void Run();
    void CloseAll();

    const AnnouncerConfig m_config;
    std::vector<Endpoint> m_endpoints;
    int m_wakeFd = -1;  // eventfd that ends the thread's wait
    std::thread m_thread;
    mutable std::mutex m_lock;
    std::vector<AnnounceQuery> m_queries;  // guarded by m_lock
};

}  // namespace receiver_sim
