#include "app/maindlg/login_code_overlay.h"

#include "platform/draw/painter.h"
#include "platform/draw/surface.h"

namespace pemuapp {
namespace {

constexpr platform::Argb kBlack{0xFF000000u};
constexpr platform::Argb kWhite{0xFFFFFFFFu};

}  // namespace

LoginCodeOverlay::LoginCodeOverlay(platform::WindowManager& wm, int dpi) : m_wm(wm), m_dpi(dpi) {}

LoginCodeOverlay::~LoginCodeOverlay() {
    Hide();
}

bool LoginCodeOverlay::Show(const std::string& code) {
    Hide();
    m_code = code;
    m_labelFont = std::make_unique<platform::TextStyle>();
    m_labelFont->family = "Arial";
    m_labelFont->pixelSize = OverlayLabelHeight(m_dpi);
    m_labelFont->weight = 600;
    m_labelFont->singleLine = true;
    platform::WindowOptions o;
    o.rect = platform::Rect::FromXywh(0, 0, kOverlayWidth, kOverlayHeight);
    o.className = kOverlayClass;
    o.handler = this;
    o.topmost = true;
    o.popup = true;
    o.toolWindow = true;
    o.visible = true;
    m_window = m_wm.Create(o);
    return static_cast<bool>(m_window);
}

int LoginCodeOverlay::Hide() {
    int result = 0;
    if (m_window) {
        // The window first: nothing paints with a font that is gone.
        result = m_wm.Destroy(m_window) ? 1 : 0;
        m_window = {};
    }
    m_labelFont.reset();
    return result;
}

int64_t LoginCodeOverlay::OnMessage(platform::WindowId self, const platform::Message& msg) {
    switch (msg.kind) {
        case platform::MessageKind::kCreate:
            m_wm.SetTimer(self, kOverlayTimerId, 50);
            return 0;
        case platform::MessageKind::kTimer:
            if (msg.code == kOverlayTimerId) {
                m_wm.Invalidate(self);
            }
            return 0;
        case platform::MessageKind::kPaint:
            Paint();
            return 0;
        default:
            return kDefault;
    }
}

void LoginCodeOverlay::Paint() {
    auto surface = platform::Surface::Create(kOverlayWidth, kOverlayHeight);
    if (!surface || !m_labelFont) {
        return;
    }
    {
        platform::Painter p(*surface);
        p.FillRect(platform::Rect{0, 0, kOverlayWidth, kOverlayHeight}, kBlack);
        const platform::TextResult label =
            p.DrawText(" LOGIN CODE: ", platform::Rect{0, 15, kOverlayWidth, kOverlayHeight},
                       *m_labelFont, kWhite);
        platform::TextStyle codeFont = *m_labelFont;
        codeFont.pixelSize = OverlayCodeHeight(m_dpi);
        p.DrawText(m_code, platform::Rect{label.width, 0, kOverlayWidth, kOverlayHeight}, codeFont,
                   kWhite);
    }
    m_wm.Present(m_window, *surface, platform::Rect{0, 0, kOverlayWidth, kOverlayHeight});
}

}  // namespace pemuapp
