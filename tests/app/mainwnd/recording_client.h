// A main client for the main window's tests: its state is what the test
// sets, and it records the calls that start, stop and configure the stream.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/maindlg/vrx_client_ex.h"

namespace pemuapp {

// A client whose state the test sets and whose calls it records.
class RecordingClient : public CQKVRXClientEx {
public:
    int GetStatus() override { return status; }
    bool IsBusy() override { return busy; }
    int StartPlayImage(uint8_t mode) override {
        calls.push_back("start(" + std::to_string(mode) + ")");
        status = kVrxProjecting;
        return 0;
    }
    int StopPlayImage() override {
        calls.push_back("stop");
        status = kVrxIdle;
        return 0;
    }
    void SetMaxFPS(int fps) override {
        calls.push_back("fps(" + std::to_string(fps) + ")");
        CQKVRXClientEx::SetMaxFPS(fps);
    }
    int ConnectToDeviceThruIP(uint32_t ipv4, DevAnnounce*, int) override {
        calls.push_back("connect");
        connectedTo = ipv4;
        if (duringConnect) {
            duringConnect();
        }
        return connectResult;
    }
    int Login(uint32_t, const char*, const char*) override {
        calls.push_back("login");
        return 0;
    }
    int ForwardMessage(uint32_t, uint32_t, const void*, ByteString* reply) override {
        if (forwardReply.empty()) {
            return -1;
        }
        *reply = forwardReply;
        return 0;
    }
    int GetDeviceStatus(uint8_t* statusBytes) override {
        statusBytes[0] = statusBytes[1] = 0;  // not in use
        return 0;
    }
    int status = kVrxDisconnected;
    // -1: no receiver answers; 0: the connect (and the login) go through.
    int connectResult = -1;
    uint32_t connectedTo = 0;
    // The answer to a forwarded message; empty: the request fails.
    std::string forwardReply;
    // Runs while the connect waits (as the messages it pumps would).
    std::function<void()> duringConnect;
    bool busy = false;
    std::vector<std::string> calls;
};

}  // namespace pemuapp
