// The simulated receiver's image channel: listens on a loopback port, sends
// the 12-byte handshake to each sender that connects, reads its stream with
// the strict ImageMessageParser, decodes every block into one canvas and
// acknowledges each message ("vrpib",0,0,0x10, serial) as the test scripts:
// at once, when the test releases them, or never. It can also stop reading,
// as a receiver that hangs.
//
// One connection at a time; a new one replaces the canvas contents only
// where new blocks land. The first protocol violation is recorded in
// Error() and ends that connection.
#pragma once

#include <array>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/receiver/image/BlockDecoder.h"
#include "tests/receiver/image/Canvas.h"
#include "tests/receiver/image/ImageMessageParser.h"

namespace receiver {

class ImageReceiver {
public:
    struct Options {
        int width = 1280;  // the receiver's picture
        int height = 720;
        bool expectSenderId = false;
        bool sendHandshake = true;
        bool rgb565 = true;                     // meaning of 16-bit LZO pixels
        bool keepPayloads = false;              // keep each message's encoded data
        const char* bindAddress = "127.0.0.1";  // a loopback address
        // A new connection may go on with the serials of the last one (a
        // sender that re-opened a lost connection).
        bool continuedSerials = false;
    };
    enum class AckMode { kImmediate, kManual, kNever };

    struct Received {
        ImageBlockHeader header;
        bool keyFrame = false;
        std::string payload;  // only with keepPayloads
    };

    explicit ImageReceiver(Options options);
    ~ImageReceiver();
    ImageReceiver(const ImageReceiver&) = delete;
    ImageReceiver& operator=(const ImageReceiver&) = delete;

    // Binds the bind address on a free port and starts the thread; false on failure.
    bool Start();
    uint16_t Port() const { return m_port; }

    void SetAckMode(AckMode mode);
    // Manual mode: sends the next `count` withheld acknowledgements.
    void ReleaseAcks(size_t count);
    size_t WithheldAcks();
    // While false the receiver reads nothing (its socket buffers fill up).
    void SetReading(bool on);
    // Closes the current sender's connection, as a receiver that drops it;
    // the next sender that connects is served again.
    void DropConnection();

    // Waits until `count` messages were decoded in all, or an error, or
    // `timeoutMs` of real time. True when the count was reached.
    bool WaitForMessages(size_t count, int timeoutMs);
    // Waits until the current sender has closed its connection.
    bool WaitForDisconnect(int timeoutMs);

    std::vector<Received> Messages();
    size_t MessageCount();
    Canvas CanvasCopy();
    std::array<uint8_t, 4> SenderKey();
    size_t Connections();
    // The first violation seen, or an empty text.
    std::string Error();

private:
    void Run();
    void Serve(int fd);
    bool HandleItem(ImageMessageParser::Item item, ImageMessageParser& parser, int fd);
    void SendAck(int fd, uint32_t serial);

    Options m_options;
    int m_listenFd = -1;
    uint16_t m_port = 0;
    std::thread m_thread;

    std::mutex m_lock;
    std::condition_variable m_changed;
    bool m_stop = false;
    bool m_connected = false;
    AckMode m_ackMode = AckMode::kImmediate;
    bool m_reading = true;
    bool m_drop = false;
    std::deque<uint32_t> m_withheld;
    size_t m_release = 0;
    std::vector<Received> m_messages;
    Canvas m_canvas;
    std::array<uint8_t, 4> m_key{};
    size_t m_connections = 0;
    std::string m_error;

    std::unique_ptr<BlockDecoder> m_lzo;
    std::unique_ptr<BlockDecoder> m_jpeg;
    std::unique_ptr<BlockDecoder> m_h264;
};

}  // namespace receiver
