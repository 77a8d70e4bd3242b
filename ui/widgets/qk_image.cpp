#include "ui/widgets/qk_image.h"

#include "platform/draw/color.h"

namespace ui {

CQKImage::CQKImage() : CQKin("CQKImage") {}

void CQKImage::SetBitmap(int id) {
    if (id != 0) {
        LoadBitmapResource(id);
    } else {
        ClearImage();
    }
    SetDrawingFrames(FrameCount());
}

void CQKImage::ShowFrame(int index) {
    if (index < 0 || index >= FrameCount()) {
        index = 0;
    }
    platform::Surface* back = BackBuffer();
    if (!VisibleFlag() || !back) {
        return;
    }
    const platform::Point at = DrawingPosition();
    DrawFrame(DrawingFrames(), *back, index, platform::kMagentaKey, at.x, at.y);
}

int CQKImage::DrawToBackBuffer() {
    platform::Surface* back = BackBuffer();
    if (!back || (!GetImage() && !PngFlag()) || !VisibleFlag()) {
        return 0;
    }
    const platform::Point at = DrawingPosition();
    DrawFrame(DrawingFrames(), *back, m_currentFrame, platform::kMagentaKey, at.x, at.y);
    return 0;
}

bool CQKImage::PreTranslate(platform::WindowId self, const platform::Message& msg) {
    if (msg.target == self) {
        m_tip.Relay(msg);
    }
    return false;
}

int64_t CQKImage::OnLButtonDown(platform::Point) {
    return 0;
}

bool CQKImage::InHotArea(platform::Point p) const {
    const std::string& name = ElementName();
    if (name == "QKINMAIN_CONNECTION2_IMAGE") {
        return p.x >= 11;
    }
    if (name == "QKINMAIN_TV_IMAGE") {
        return p.x <= 33 && p.y >= 9 && p.y <= 29;
    }
    return false;
}

int64_t CQKImage::OnMouseMove(platform::Point p) {
    // A hidden image has no hot area.
    if (!VisibleFlag()) {
        return 0;
    }
    if (InHotArea(p)) {
        if (!m_tracking) {
            m_tracking = TrackHoverAndLeave();
        }
    } else {
        m_tracking = false;
        m_tooltipShown = false;
        m_tip.Deactivate();
    }
    return 0;
}

int64_t CQKImage::OnMouseHover(platform::Point p) {
    // The hover was armed in the hot area; the pointer may have come to rest
    // elsewhere since.
    if (!VisibleFlag() || !InHotArea(p)) {
        return 0;
    }
    m_tip.Show(Window(), TooltipText(), p);
    m_tooltipShown = true;
    return 0;
}

int64_t CQKImage::OnMouseLeave() {
    m_tracking = false;
    m_tooltipShown = false;
    return 0;
}

}  // namespace ui
