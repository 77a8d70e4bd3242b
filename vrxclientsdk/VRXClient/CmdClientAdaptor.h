// CmdClientAdaptor: the facade's command channel. A CmdClient whose event
// handlers route each receiver event to the facade that owns it.
//
// Login, start and stop events take the facade's operation lock (waiting)
// before they touch the facade, so they never overlap a public operation; the
// close notice takes the facade's connection lock. The adaptor holds a
// reference to the facade, which owns it and outlives its threads.
//
// THREADING: event handlers on the command channel's dispatcher thread,
// OnConnectClose on the connection core's closer thread, AutoResync on the
// keep-alive thread.
#pragma once

#include <boost/thread/locks.hpp>
#include <boost/thread/recursive_mutex.hpp>
#include <cstdint>
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

protected:
    void OnConnectClose() override;

private:
    using FacadeLock = boost::unique_lock<boost::recursive_timed_mutex>;
    // Waits for the facade's operation lock; gives up (false) when this
    // connection closes meanwhile, so that closing it never waits for an
    // event stuck behind the lock.
    bool LockFacade(FacadeLock& lock);

    VRXClient& m_facade;
};
