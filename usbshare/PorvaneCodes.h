// The numbers that Porvane shows to its caller: the callback function type
// and its codes, and the control object's status values.
#pragma once

// Porvane's report to the program: a text (a bus id, "ERR" or none) and a
// code. The return value is ignored. Called on whichever library thread
// notices the event, with no lock of the library held.
typedef int (*CallBackMsgFuntion)(char* text, int code);

namespace porvane {

enum CallbackCode : int {
    kCbConnectionDropped = 1,    // no text
    kCbDeviceDetached = 2,       // bus id
    kCbDeviceWithdrawn = 3,      // bus id
    kCbBindFailed = 4,           // none, or "ERR"
    kCbUnbindFailed = 5,         // none, or "ERR"
    kCbAttachFailed = 6,         // bus id, or "ERR"
    kCbDeviceLinkFailed = 7,     // bus id, or "ERR"
    kCbBindSucceeded = 8,        // no text
    kCbUnbindSucceeded = 9,      // no text
    kCbDeviceListRejected = 12,  // "ERR"
    kCbRequestedAttached = 14,   // bus id
    kCbRequestedFailed = 15,     // bus id
};

// CClientDeviceControl::GetStatus values.
enum ControlStatus : int {
    kStatusInit = 0,
    kStatusBindRequested = 1,
    kStatusBound = 2,
    kStatusListRequested = 3,
    kStatusListReceived = 4,
    kStatusUnbindRequested = 11,
    kStatusUnbound = 12,
    kStatusExportRequested = 14,
    kStatusExportDone = 15,
    kStatusTerminating = 16,
    kStatusTerminated = 17,
    kStatusInfoRequested = 18,
};

}  // namespace porvane
