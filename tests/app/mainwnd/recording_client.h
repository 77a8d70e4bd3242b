// A main client for the main window's tests: its state is what the test
// sets, and it records the calls that start, stop and configure the stream.
#pragma once

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
    int ConnectToDeviceThruIP(uint32_t, DevAnnounce*, int) override {
        calls.push_back("connect");
        return -1;  // no receiver answers
    }
    int status = kVrxDisconnected;
    bool busy = false;
    std::vector<std::string> calls;
};

}  // namespace pemuapp
