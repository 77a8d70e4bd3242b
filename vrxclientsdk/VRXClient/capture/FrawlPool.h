// The process-wide owner of capture objects. Every image channel subscribes;
// channels with equal capture keys share one capture object, and the pool
// fans each captured block out to the channels that want it.
//
// A channel is identified by an opaque pointer (the channel object). The
// first channel creates the pool with Acquire(), the last releases it.
//
// THREADING: the operations run on callers' threads under the pool lock.
// The block callback runs on each capture object's thread (any number of
// threads may deliver at once), holds the fan-out lock only while copying
// the subscriber list into a snapshot of that thread, and calls the
// channels without any pool lock. Detach waits until deliveries to that
// channel in progress have returned, so a channel may be destroyed right
// after it detached.
#pragma once

#include <boost/thread/mutex.hpp>
#include <boost/thread/recursive_mutex.hpp>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "vrxclientsdk/VRPClient/QKErrorHandler.h"
#include "vrxclientsdk/VRXClient/capture/CaptureClientRecord.h"
#include "vrxclientsdk/VRXClient/capture/FrameBufferBase.h"

class FrawlPool : public QKErrorHandler {
public:
    using ClientId = const void*;
    // Creates a capture object for a record: the picture-file source when an
    // image path is set, else the screen capturer. nullptr when it cannot.
    using CaptureFactory =
        std::function<std::unique_ptr<CFrameBufferBase>(const CaptureClientRecord&)>;

    // Open's results when no capture object can be created.
    static constexpr int kNoPictureSource = -1006;
    static constexpr int kNoScreenCapture = -1005;

    // The process-wide pool: Acquire creates it on the first call, Release
    // destroys it when the calls balance.
    static FrawlPool* Acquire();
    static void Release();

    FrawlPool();
    ~FrawlPool() override;

    // Replaces the capture-object factory (tests install a fake source;
    // nullptr leaves the pool unable to create any).
    void SetCaptureFactory(CaptureFactory factory);

    // --- record setters, applied at the next Open ---
    void SetWindowCapture(ClientId client, CaptureWindow window, bool flag);
    void SetScreenCapture(ClientId client, int screen);
    void SetRotation(ClientId client, int rotation);
    void SetBitCount(ClientId client, unsigned short bits);
    void Set16BitRGB(ClientId client, bool on);
    void SetCapLayer(ClientId client, bool on);
    void SetImagePath(ClientId client, const std::u16string& path);
    // --- stored, and forwarded while the client runs ---
    void SetCursorMode(ClientId client, bool on);
    void SetRectDist(ClientId client, int dist);
    void SetMaxFrameTime(ClientId client, int ms);
    void SetMaxFPS(ClientId client, int fps);
    void SetMaxMouseFPS(ClientId client, int fps);
    void SetCursorScale(ClientId client, double scale);
    void SetCursorPosition(ClientId client, CapturePoint* point);

    // Size of the client's screen or window, from a temporary capture object.
    void GetWindowSize(ClientId client, int& width, int& height);

    // Opens capture for the client at width x height, delivering its blocks
    // to callback(block, context). Returns the capture object's Open result,
    // or kNoPictureSource / kNoScreenCapture.
    int Open(ClientId client, CaptureCallback callback, void* context, int width, int height);
    bool Start(ClientId client);
    void RefreshScreen(ClientId client);
    void Pause(ClientId client);
    // Stops deliveries to the client (state 0); closes the capture object
    // when no other client uses it. Returns after deliveries in progress.
    void Detach(ClientId client);
    // Detach, then forget the client.
    void RemoveClient(ClientId client);

    void GetFrameBufSize(ClientId client, int& width, int& height);
    long GetFirstCapTime(ClientId client);
    // 0 stopped, 1 running, 2 paused (0 for an unknown client). Any thread.
    int GetState(ClientId client);
    // The client's live state, for channels that read it on every block.
    std::shared_ptr<CaptureClientState> LiveState(ClientId client);

private:
    struct Client {
        CaptureClientRecord record;
        std::shared_ptr<CaptureClientState> live = std::make_shared<CaptureClientState>();
    };
    struct SubscriberEntry {
        ClientId client;
        std::shared_ptr<CaptureClientState> live;
    };
    struct SubscriberList {
        boost::mutex lock;                     // the fan-out lock of this key
        std::vector<SubscriberEntry> entries;  // guarded by lock
    };

    static unsigned long OnBlock(IMAGE_BLOCK* block, void* context);
    Client& ClientFor(ClientId client);                             // pool lock held
    std::shared_ptr<CFrameBufferBase> CaptureFor(ClientId client);  // pool lock held
    template <typename Fn>
    void ForwardWhenRunning(ClientId client, Fn fn);

    boost::recursive_mutex m_poolLock;
    std::map<ClientId, Client> m_clients;
    std::map<std::string, std::shared_ptr<CFrameBufferBase>> m_captures;
    std::map<std::string, std::unique_ptr<SubscriberList>> m_subscribers;
    CaptureFactory m_factory;
    std::string m_keyScratch;  // guarded by m_poolLock
};
