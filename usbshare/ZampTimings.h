// The waits and pauses of the ZAMP channel, in milliseconds.
//
// Waits are measured on the platform clock (platform/clock.h), so a test
// with a fake clock decides when they run out. Pauses give the bus driver
// time between plug-ins; tests set them to 0.
#pragma once

#include <cstdint>

namespace porvane {

struct ZampTimings {
    // Each of the three waits for an info or bind reply.
    uint32_t replyWaitMs = 2500;
    // Each of the three unbind attempts.
    uint32_t unbindWaitMs = 2000;
    // The one wait for the device list.
    uint32_t exportWaitMs = 500;
    // One keep-alive second (the keep-alive wait is "Seconds" of these).
    uint32_t keepAliveUnitMs = 1000;
    // How long an export request waits for an earlier device with the same
    // bus id to finish before it is refused. It runs on the reader thread,
    // which reads nothing meanwhile, so it stays short.
    uint32_t sameBusIdWaitMs = 3000;
    // Connecting the command socket, and sending one message.
    uint32_t connectTimeoutMs = 5000;
    uint32_t writeTimeoutMs = 5000;

    // Pauses (real time): between starting two devices, after starting a
    // device the receiver exported, and between detaching and terminating a
    // device the receiver withdrew.
    uint32_t attachPauseMs = 300;
    uint32_t exportPauseMs = 600;
    uint32_t unexportPauseMs = 200;
};

}  // namespace porvane
