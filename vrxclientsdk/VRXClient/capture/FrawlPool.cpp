#include "vrxclientsdk/VRXClient/capture/FrawlPool.h"

#include <boost/thread/lock_guard.hpp>

#include "platform/clock.h"
#include "vrxclientsdk/VRXClient/capture/CaptureSourceFactory.h"

namespace {

boost::mutex g_instanceLock;
FrawlPool* g_instance = nullptr;  // guarded by g_instanceLock
int g_users = 0;                  // guarded by g_instanceLock

// SRCCOPY with CAPTUREBLT: layered windows are part of the copy.
constexpr unsigned long kCaptureLayeredBlt = 0x40CC0020;

// Until the screen capturer and the picture-file source are built in, no
// capture object can be created.
std::unique_ptr<CFrameBufferBase> NoCaptureSource(const CaptureClientRecord&) {
    return nullptr;
}

}  // namespace

FrawlPool* FrawlPool::Acquire() {
    boost::lock_guard<boost::mutex> guard(g_instanceLock);
    if (g_users++ == 0) {
        g_instance = new FrawlPool;
    }
    return g_instance;
}

void FrawlPool::Release() {
    FrawlPool* doomed = nullptr;
    {
        boost::lock_guard<boost::mutex> guard(g_instanceLock);
        if (g_users > 0 && --g_users == 0) {
            doomed = g_instance;
            g_instance = nullptr;
        }
    }
    delete doomed;
}

// The product's sources: the picture-file source for a record with a picture,
// else the X11 screen capturer on the DISPLAY screen.
FrawlPool::FrawlPool()
    : m_factory([this](const CaptureClientRecord& record) {
          return CreateCaptureSource(record, GetLogger());
      }) {}

FrawlPool::~FrawlPool() {
    // Close every capture object before the subscriber lists they use go.
    std::map<std::string, std::shared_ptr<CFrameBufferBase>> captures;
    {
        boost::recursive_mutex::scoped_lock guard(m_poolLock);
        captures.swap(m_captures);
    }
    for (auto& [key, capture] : captures) {
        capture->Close();
    }
}

void FrawlPool::SetCaptureFactory(CaptureFactory factory) {
    boost::recursive_mutex::scoped_lock guard(m_poolLock);
    m_factory = factory ? std::move(factory) : CaptureFactory(NoCaptureSource);
}

FrawlPool::Client& FrawlPool::ClientFor(ClientId client) {
    return m_clients[client];
}

std::shared_ptr<CFrameBufferBase> FrawlPool::CaptureFor(ClientId client) {
    // A reused key buffer: lookups made while blocks stream allocate nothing.
    ClientFor(client).record.KeyInto(m_keyScratch);
    auto it = m_captures.find(m_keyScratch);
    return it == m_captures.end() ? nullptr : it->second;
}

template <typename Fn>
void FrawlPool::ForwardWhenRunning(ClientId client, Fn fn) {
    if (ClientFor(client).live->state.load() != STATUS_RUNNING) {
        return;
    }
    if (std::shared_ptr<CFrameBufferBase> capture = CaptureFor(client)) {
        fn(*capture);
    }
}

#define POOL_SET(field, value)                             \
    boost::recursive_mutex::scoped_lock guard(m_poolLock); \
    ClientFor(client).record.field = (value)

void FrawlPool::SetWindowCapture(ClientId client, CaptureWindow window, bool flag) {
    POOL_SET(window, window);
    ClientFor(client).record.windowFlag = flag;
}
void FrawlPool::SetScreenCapture(ClientId client, int screen) {
    POOL_SET(screen, screen);
}
void FrawlPool::SetRotation(ClientId client, int rotation) {
    POOL_SET(rotation, rotation);
}
void FrawlPool::SetBitCount(ClientId client, unsigned short bits) {
    POOL_SET(bitCount, bits);
}
void FrawlPool::Set16BitRGB(ClientId client, bool on) {
    POOL_SET(rgb16, on);
}
void FrawlPool::SetCapLayer(ClientId client, bool on) {
    POOL_SET(captureLayered, on);
}
void FrawlPool::SetImagePath(ClientId client, const std::u16string& path) {
    POOL_SET(imagePath, path);
}

void FrawlPool::SetCursorMode(ClientId client, bool on) {
    POOL_SET(cursorMode, on);
    ForwardWhenRunning(client, [&](CFrameBufferBase& c) { c.SetCursorMode(on); });
}
void FrawlPool::SetRectDist(ClientId client, int dist) {
    POOL_SET(rectDist, dist);
    ForwardWhenRunning(client, [&](CFrameBufferBase& c) { c.SetRectDist(dist); });
}
void FrawlPool::SetMaxFrameTime(ClientId client, int ms) {
    POOL_SET(maxFrameTime, ms);
    ForwardWhenRunning(client, [&](CFrameBufferBase& c) { c.SetMaxFrameTime(ms); });
}
void FrawlPool::SetMaxFPS(ClientId client, int fps) {
    POOL_SET(maxFps, fps);
    ForwardWhenRunning(client, [&](CFrameBufferBase& c) { c.SetMaxFPS(fps); });
}
void FrawlPool::SetMaxMouseFPS(ClientId client, int fps) {
    POOL_SET(maxMouseFps, fps);
    ForwardWhenRunning(client, [&](CFrameBufferBase& c) { c.SetMaxMouseFPS(fps); });
}
void FrawlPool::SetCursorScale(ClientId client, double scale) {
    POOL_SET(cursorScale, scale);
    ForwardWhenRunning(client, [&](CFrameBufferBase& c) { c.SetCursorScale(scale); });
}
#undef POOL_SET

void FrawlPool::SetCursorPosition(ClientId client, CapturePoint* point) {
    boost::recursive_mutex::scoped_lock guard(m_poolLock);
    ForwardWhenRunning(client, [&](CFrameBufferBase& c) { c.SetCursorPosition(point); });
}

void FrawlPool::GetWindowSize(ClientId client, int& width, int& height) {
    width = height = 0;
    boost::recursive_mutex::scoped_lock guard(m_poolLock);
    CaptureClientRecord probe = ClientFor(client).record;
    probe.imagePath.clear();  // always the screen capturer
    std::unique_ptr<CFrameBufferBase> capture = m_factory(probe);
    if (capture) {
        capture->SetScreenCapture(probe.screen);
        capture->SetWindowCapture(probe.window, false);
        capture->SetRotation(probe.rotation);
        capture->GetWindowSize(width, height);
    }
}

int FrawlPool::Open(ClientId client, CaptureCallback callback, void* context, int width,
                    int height) {
    boost::recursive_mutex::scoped_lock guard(m_poolLock);
    Client& c = ClientFor(client);
    c.live->state.store(STATUS_STOPPED);
    c.live->callback = callback;
    c.live->context = context;
    c.record.outputWidth = width;
    c.record.outputHeight = height;
    const std::string key = c.record.Key();

    if (auto it = m_captures.find(key); it != m_captures.end()) {
        std::shared_ptr<CFrameBufferBase> old = std::move(it->second);
        m_captures.erase(it);
        guard.unlock();
        old->Close();  // a block callback in progress finishes first
        old.reset();
        guard.lock();
    }

    std::unique_ptr<SubscriberList>& list = m_subscribers[key];
    if (!list) {
        list = std::make_unique<SubscriberList>();
    }
    {
        boost::lock_guard<boost::mutex> fan(list->lock);
        bool present = false;
        for (const SubscriberEntry& e : list->entries) {
            present = present || e.client == client;
        }
        if (!present) {
            list->entries.push_back({client, c.live});
        }
    }

    const CaptureClientRecord& r = c.record;
    std::unique_ptr<CFrameBufferBase> created = m_factory(r);
    if (!created) {
        return r.imagePath.empty() ? kNoScreenCapture : kNoPictureSource;
    }
    std::shared_ptr<CFrameBufferBase> capture(std::move(created));
    capture->SetCursorMode(r.cursorMode);
    capture->SetScreenCapture(r.screen);
    capture->SetWindowCapture(r.window, r.windowFlag);
    if (r.captureLayered) {
        capture->SetBitBltFlag(kCaptureLayeredBlt);
    }
    capture->SetRotation(r.rotation);
    capture->SetBitCount(r.bitCount);
    capture->Set16BitRGB(r.rgb16);
    capture->SetRectDist(r.rectDist);
    capture->SetMaxFrameTime(r.maxFrameTime);
    capture->SetMaxFPS(r.maxFps);
    capture->SetMaxMouseFPS(r.maxMouseFps);
    capture->SetCursorScale(r.cursorScale);
    capture->Close();
    const int result = capture->Open(&FrawlPool::OnBlock, list.get(), width, height);
    if (result >= 0) {
        m_captures[key] = std::move(capture);
    }
    return result;
}

bool FrawlPool::Start(ClientId client) {
    boost::recursive_mutex::scoped_lock guard(m_poolLock);
    ClientFor(client).live->state.store(STATUS_RUNNING);
    std::shared_ptr<CFrameBufferBase> capture = CaptureFor(client);
    return capture ? capture->Start() : false;
}

void FrawlPool::RefreshScreen(ClientId client) {
    boost::recursive_mutex::scoped_lock guard(m_poolLock);
    Client& c = ClientFor(client);
    if (c.live->state.load() == STATUS_STOPPED) {
        return;
    }
    c.live->refreshRequested.store(true);
    if (std::shared_ptr<CFrameBufferBase> capture = CaptureFor(client)) {
        capture->RefreshScreen();
    }
}

void FrawlPool::Pause(ClientId client) {
    boost::recursive_mutex::scoped_lock guard(m_poolLock);
    Client& c = ClientFor(client);
    if (c.live->state.load() != STATUS_STOPPED) {
        c.live->state.store(STATUS_PAUSED);
    }
    const std::string key = c.record.Key();
    for (const auto& [id, other] : m_clients) {
        if (id != client && other.record.Key() == key &&
            other.live->state.load() == STATUS_RUNNING) {
            return;
        }
    }
    if (std::shared_ptr<CFrameBufferBase> capture = CaptureFor(client)) {
        capture->Pause();
    }
}

void FrawlPool::Detach(ClientId client) {
    boost::recursive_mutex::scoped_lock guard(m_poolLock);
    auto found = m_clients.find(client);
    if (found == m_clients.end()) {
        return;
    }
    Client& c = found->second;
    c.live->state.store(STATUS_STOPPED);
    const std::string key = c.record.Key();
    auto listIt = m_subscribers.find(key);
    if (listIt != m_subscribers.end()) {
        boost::lock_guard<boost::mutex> fan(listIt->second->lock);
        std::erase_if(listIt->second->entries,
                      [&](const SubscriberEntry& e) { return e.client == client; });
    }
    // A block being handed to this client on the capture thread finishes
    // before the client may go away.
    while (c.live->inDelivery.load() != 0) {
        platform::SleepMs(1);
    }

    bool running = false, paused = false;
    for (const auto& [id, other] : m_clients) {
        if (id == client || other.record.Key() != key) {
            continue;
        }
        running = running || other.live->state.load() == STATUS_RUNNING;
        paused = paused || other.live->state.load() == STATUS_PAUSED;
    }
    if (running) {
        return;
    }
    auto captureIt = m_captures.find(key);
    if (captureIt == m_captures.end()) {
        return;
    }
    if (paused) {
        captureIt->second->Pause();
        return;
    }
    std::shared_ptr<CFrameBufferBase> capture = std::move(captureIt->second);
    m_captures.erase(captureIt);
    guard.unlock();
    capture->Close();
    capture.reset();
    guard.lock();
    // No capture object uses the list any more: drop it when empty.
    listIt = m_subscribers.find(key);
    if (listIt != m_subscribers.end() && m_captures.find(key) == m_captures.end()) {
        bool empty;
        {
            boost::lock_guard<boost::mutex> fan(listIt->second->lock);
            empty = listIt->second->entries.empty();
        }
        if (empty) {
            m_subscribers.erase(listIt);
        }
    }
}

void FrawlPool::RemoveClient(ClientId client) {
    boost::recursive_mutex::scoped_lock guard(m_poolLock);
    Detach(client);
    m_clients.erase(client);
}

void FrawlPool::GetFrameBufSize(ClientId client, int& width, int& height) {
    width = height = 0;
    boost::recursive_mutex::scoped_lock guard(m_poolLock);
    if (std::shared_ptr<CFrameBufferBase> capture = CaptureFor(client)) {
        capture->GetFrameBufSize(width, height);
    }
}

long FrawlPool::GetFirstCapTime(ClientId client) {
    boost::recursive_mutex::scoped_lock guard(m_poolLock);
    std::shared_ptr<CFrameBufferBase> capture = CaptureFor(client);
    return capture ? capture->GetFirstCapTime() : 0;
}

int FrawlPool::GetState(ClientId client) {
    boost::recursive_mutex::scoped_lock guard(m_poolLock);
    auto it = m_clients.find(client);
    return it == m_clients.end() ? STATUS_STOPPED : it->second.live->state.load();
}

std::shared_ptr<CaptureClientState> FrawlPool::LiveState(ClientId client) {
    boost::recursive_mutex::scoped_lock guard(m_poolLock);
    return ClientFor(client).live;
}

unsigned long FrawlPool::OnBlock(IMAGE_BLOCK* block, void* context) {
    auto* list = static_cast<SubscriberList*>(context);
    // Every delivering thread fans out from a snapshot of its own: a capture object may
    // deliver from more than one thread. The snapshot's buffer stays with the thread, so a
    // block allocates nothing once the thread has seen the list at its size. It is taken out
    // while in use: a delivery nested on the same thread starts from an empty one.
    static thread_local std::vector<SubscriberEntry> t_spare;
    std::vector<SubscriberEntry> snapshot = std::move(t_spare);
    {
        boost::lock_guard<boost::mutex> fan(list->lock);
        snapshot.assign(list->entries.begin(), list->entries.end());
    }
    for (const SubscriberEntry& e : snapshot) {
        CaptureClientState& live = *e.live;
        live.inDelivery.fetch_add(1);
        const int state = live.state.load();
        bool deliver = state == STATUS_RUNNING;
        if (deliver) {
            live.refreshRequested.store(false);
        } else if (state == STATUS_PAUSED && block->refresh) {
            // Exactly one thread takes the refresh a paused channel asked for.
            deliver = live.refreshRequested.exchange(false);
        }
        if (deliver) {
            live.callback(block, live.context);
        }
        live.inDelivery.fetch_sub(1);
    }
    snapshot.clear();
    t_spare = std::move(snapshot);
    return 0;
}
