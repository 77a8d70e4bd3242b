#include "ui/widgets/qk_ip_controller.h"

#include "platform/window/window_manager.h"

namespace ui {

int64_t CQKIPController::OnMessage(platform::WindowId self, const platform::Message& msg) {
    switch (msg.kind) {
        case platform::MessageKind::kButtonDown:
            if (msg.button == platform::MouseButton::kLeft) {
                Wm().Send(Wm().Parent(self),
                          platform::Message::Command(kIpFieldClicked, kIpFieldClicked));
            }
            break;
        case platform::MessageKind::kMouseMove:
            return 0;
        case platform::MessageKind::kCreate:
        case platform::MessageKind::kMove:
            m_rect = msg.rect;
            break;
        default:
            break;
    }
    return IpAddressControl::OnMessage(self, msg);
}

}  // namespace ui
