// The state that the control object shares with every thread of one sharing
// session (reader, keep-alive, device forwarding): the link's error state,
// the quit flag and the caller's callback.
#pragma once

#include <atomic>
#include <string>

#include "usbshare/PorvaneCodes.h"

namespace porvane {

struct ZampLinkState {
    // 0 normal; 2 the command link is lost (dropped, keep-alive failed, or
    // the device list could not be fetched). A device's own failures stay
    // with the device (CZAMPDevice's flags) and end its forwarding only.
    std::atomic<int> sockErr{0};
    // Set once code 1 (command link lost) has been reported in this session:
    // each loss reaches the program once, whatever else failed before.
    std::atomic<bool> lossReported{false};
    // 0 while sharing runs; 1 after a failed start; 2 once detaching began.
    // Every forwarding loop ends when it is not 0.
    std::atomic<int> quit{0};
    // Cleared when attaching begins; set by a device whose bus side failed.
    std::atomic<int> devErr{0};
    std::atomic<CallBackMsgFuntion> callback{nullptr};

    // Calls the callback (when set) with a private copy of `text` (nullptr:
    // no text).
    void Report(const char* text, int code) const {
        CallBackMsgFuntion fn = callback.load();
        if (!fn) {
            return;
        }
        if (!text) {
            fn(nullptr, code);
            return;
        }
        std::string copy(text);
        fn(copy.data(), code);
    }
};

}  // namespace porvane
