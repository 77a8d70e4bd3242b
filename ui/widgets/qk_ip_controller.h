// The IPv4 address field of the skinned dialogs: CQKIPController.
//
// The standard address entry (platform::IpAddressControl) with two things
// added: a left press anywhere in it (on a number or on a dot) first tells
// the dialog, with exactly one kCommand kIpFieldClicked (param 1006), and
// then does what the entry does (focus, field under the press); and it
// remembers where it was last placed (Rectangle(), the parent's client
// coordinates). Pointer moves are not the entry's business.
//
// The dialog's element builder makes it for layout records of this class;
// it is a control of the dialog's ControlSet.
// THREADING: user-interface thread only.
#pragma once

#include <cstdint>

#include "platform/controls/ip_address_control.h"

namespace ui {

// The command a press in the field sends its dialog.
inline constexpr uint32_t kIpFieldClicked = 1006;

class CQKIPController : public platform::IpAddressControl {
public:
    platform::Rect Rectangle() const { return m_rect; }

    int64_t OnMessage(platform::WindowId self, const platform::Message& msg) override;

private:
    platform::Rect m_rect;
};

}  // namespace ui
