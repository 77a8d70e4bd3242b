#include "app/maindlg/client_events.h"

#include <array>

namespace pemuapp {
namespace {

constexpr std::array<std::wstring_view, static_cast<size_t>(ClientEvent::kCount)> kNames = {
    L"OnStartPlayImage", L"OnStopPlayImage", L"OnChangeValue", L"OnDeviceNotice", L"OnStopVideo",
    L"OnConnectClose",   L"OnSendIBError",   L"OnLogin",       L"StartPlayImage",
};

}  // namespace

std::wstring_view ClientEventName(ClientEvent event) {
    const auto i = static_cast<size_t>(event);
    return i < kNames.size() ? kNames[i] : std::wstring_view();
}

ClientEvent ClientEventFromName(std::wstring_view name) {
    for (size_t i = 0; i < kNames.size(); ++i) {
        if (kNames[i] == name) {
            return static_cast<ClientEvent>(i);
        }
    }
    return ClientEvent::kCount;
}

}  // namespace pemuapp
