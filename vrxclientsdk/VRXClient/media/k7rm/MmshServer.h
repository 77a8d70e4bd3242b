// Serves one live ASF stream over MMS over HTTP to any number of players.
//
// A player first asks for the stream description (a GET without
// "xPlayStrm=1") and gets the header chunk; then it asks to play and gets the
// header chunk followed by every data packet from then on, until it or the
// server closes the connection. Requests are read with a size limit and a
// deadline; connections and players are limited in number; a player that
// falls too far behind, or the one furthest behind when all queues together
// grow too large, is dropped rather than buffered without end.
//
// Not an HTTP server in general: every request gets the stream.
//
// THREADING: one thread drives it through its poll descriptors.
#pragma once

#include <poll.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class MmshServer {
public:
    struct Limits {
        int requestMs = 5000;                   // from connecting to the end of the request
        size_t maxConnections = 16;             // beyond: closed at once
        size_t maxPlayers = 4;                  // beyond: a play request gets 503
        size_t maxQueuedBytes = 4 << 20;        // per player
        size_t maxTotalQueuedBytes = 12 << 20;  // all players together
    };

    // A server that accepts players only once SetHeader gave it the stream.
    MmshServer();
    // `header` is the payload of the header chunk (AsfStreamReader::Header()).
    explicit MmshServer(std::string header);
    ~MmshServer();
    MmshServer(const MmshServer&) = delete;
    MmshServer& operator=(const MmshServer&) = delete;

    // Binds and listens on `address`:`port` (0: any free port); false when
    // the port is taken. Players that connect before the header is known
    // wait in the backlog.
    bool Listen(const std::string& address, uint16_t port);
    // The port listened on (0 before Listen succeeded).
    uint16_t Port() const { return m_port; }
    // Sets the header chunk's payload; players are accepted from then on.
    void SetHeader(std::string header) { m_header = std::move(header); }
    void SetLimits(const Limits& limits) { m_limits = limits; }

    // Appends the descriptors to poll (listening socket and players).
    void AppendPollFds(std::vector<pollfd>& fds) const;
    // Handles the results of a poll over the descriptors appended from
    // `first` on.
    void OnPoll(const std::vector<pollfd>& fds, size_t first);

    // Queues one data packet for every playing client.
    void Broadcast(std::string_view packet);

    size_t ClientCount() const { return m_clients.size(); }
    // Bytes queued for all players together.
    size_t QueuedBytes() const;

private:
    struct Client;
    void Accept();
    void OnReadable(Client& client);
    void OnWritable(Client& client);
    void StartResponse(Client& client);

    // Closes the connections whose request did not come in time.
    void ExpireRequests();
    size_t Players() const;

    Limits m_limits;
    std::string m_header;
    int m_listen = -1;
    uint16_t m_port = 0;
    uint32_t m_sequence = 0;
    uint32_t m_nextClientId = 1;
    std::vector<std::unique_ptr<Client>> m_clients;
    std::string m_chunk;  // reused for every packet
};
