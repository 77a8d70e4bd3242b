// CmdClientAdaptor: the facade's command channel. A CmdClient whose event
// handlers route each receiver event to the facade that owns it.
//
// Login, start and stop events take the facade's operation lock (waiting)
// before they touch the facade, so they never overlap a public operation; the
// close notice takes the facade's connection lock. The adaptor holds a
// reference to the facade, which owns it and outlives its threads.
//
// The adaptor also runs the automatic re-sync: every three hours of
// projection with a pre-buffer time, the keep-alive thread decides on a
// pause (or stop) and restart, and a short worker thread of the adaptor runs
// it, so that keep-alives go on meanwhile.
//
// THREADING: event handlers on the command channel's dispatcher thread,
// OnConnectClose on the connection core's closer thread, AutoResync on the
// keep-alive thread, the re-sync itself on its worker thread.
#pragma once

#include <atomic>
#include <boost/thread/locks.hpp>
#include <boost/thread/mutex.hpp>
#include <boost/thread/recursive_mutex.hpp>
#include <boost/thread/thread.hpp>
#include <cstdint>
#include <memory>
#include <string>

#include "vrxclientsdk/VRPClient/CmdClient.h"

class VRXClient;

class CmdClientAdaptor : public CmdClient {
public:
    // `facade` owns this adaptor and must outlive its threads.
    explicit CmdClientAdaptor(VRXClient& facade) : m_facade(facade) {}
    ~CmdClientAdaptor() override;
    CmdClientAdaptor(const CmdClientAdaptor&) = delete;
    CmdClientAdaptor& operator=(const CmdClientAdaptor&) = delete;

    int OnLogin(const std::string& loginCode) override;
    int OnStartPlayImage(const ByteString& payload) override;
    int OnStopPlayImage(const ByteString& payload) override;
    int OnChangeValue(const uint8_t* key, const uint8_t* value) override;
    int OnDeviceNotice(const ByteString& payload) override;
    int OnStopVideo(uint8_t reason, const std::string& url, const uint8_t* status) override;
    int OnRefreshScreen(const ByteString& payload) override;
    int OnRelayCommand(const ByteString& payload) override;
    int OnKeyboardCommand(const ByteString& payload) override;
    int OnMouseCommand(const ByteString& payload) override;
    void OnTouchEvent(int id, int x, int y, int state) override;
    int OnStringInput(const ByteString& payload) override;
    void OnForwardMessage(uint32_t id, uint32_t size, const uint8_t* data,
                          ByteString& reply) override;
    int OnSidebar(const ByteString& payload) override;
    // Decides on the keep-alive thread whether the projection is due for its
    // re-sync, and starts the worker that runs it. Never waits.
    int AutoResync() override;

    // Waits for a re-sync in progress to end; none starts afterwards. The
    // facade calls it when it shuts down, before its members go.
    void StopResync();

    // Projection time after which the receiver is re-synced (3 hours).
    static constexpr uint64_t kResyncAfterMs = 10800000;

protected:
    void OnConnectClose() override;

private:
    using FacadeLock = boost::unique_lock<boost::recursive_timed_mutex>;
    // Waits for the facade's operation lock; gives up (false) when this
    // connection closes meanwhile, so that closing it never waits for an
    // event stuck behind the lock.
    bool LockFacade(FacadeLock& lock);
    // The worker: pause (or stop) and restart under the facade's lock.
    void RunResync();

    VRXClient& m_facade;

    boost::mutex m_ResyncLock;  // guards the worker thread and the flag below
    std::unique_ptr<boost::thread> m_pResyncThread;
    bool m_ResyncStopped = false;
    std::atomic<bool> m_ResyncRunning{false};
};
