// The events that a client adapter reports to the dialog that registered as
// its event target, and how they travel: each is posted to the target's
// window as one kUser message (code kClientEventMessage, param the event,
// param2 its argument), so that the dialog's handler runs on the
// user-interface thread. A message for a window that is gone is dropped.
// The argument of kOnConnectClose is the client's event source number
// (CQKVRXClientEx::SetEventSource), 0 when it has none.
#pragma once

#include <cstdint>
#include <string_view>

namespace pemuapp {

inline constexpr uint32_t kClientEventMessage = 0x5E01;

enum class ClientEvent : uint32_t {
    kOnStartPlayImage,
    kOnStopPlayImage,
    kOnChangeValue,
    kOnDeviceNotice,
    kOnStopVideo,
    kOnConnectClose,
    kOnSendIBError,
    kOnLogin,
    kStartPlayImage,  // to a common dialog only: the start it asked for went through
    kCount,
};

// The event's name ("OnStartPlayImage", ...); empty for a value out of range.
std::wstring_view ClientEventName(ClientEvent event);
// The event of a name (compared exactly); kCount for an unknown one.
ClientEvent ClientEventFromName(std::wstring_view name);

// The class names by which a dialog registers as a client's event target.
inline constexpr const wchar_t* kMainDialogTargetName = L"CQKinMainDlg";
inline constexpr const wchar_t* kCommonDialogTargetName = L"CQKCommonDlg";

// Commands the adapter posts to the main dialog.
inline constexpr uint32_t kCmdStartPlayImage = 10376;  // a start went through
inline constexpr uint32_t kCmdStopPlayImage = 10388;   // a stop went through
inline constexpr uint32_t kCmdStopVideoReason2 = 10286;

}  // namespace pemuapp
