// CQKImage: a skinned widget that shows one frame of an image strip
// (backgrounds, status pictures, icons, the scrollbar's pieces), and a
// tooltip over a hot area of two of the main window's images.
//
// Frames are drawn with the magenta colour key (bitmaps only). A press on
// an image does nothing. The hot areas: "QKINMAIN_CONNECTION2_IMAGE" from
// x 11 on, "QKINMAIN_TV_IMAGE" up to x 33 and from y 9 to 29; resting the
// pointer there shows the tooltip text, and only while the image is shown.
// THREADING: user-interface thread only.
#pragma once

#include "ui/widgets/qkin.h"
#include "ui/widgets/widget_tool_tip.h"

namespace ui {

class CQKImage : public CQKin {
public:
    CQKImage();

    // Bitmap resource `id` as the image (0: none); the frame count is copied.
    void SetBitmap(int id);

    // The frame DrawToBackBuffer shows.
    int CurrentFrame() const { return m_currentFrame; }
    void SetCurrentFrame(int frame) { m_currentFrame = frame; }

    // Draws frame `index` (outside the strip: frame 0) into the back buffer
    // at once when the image is visible; the current frame is kept.
    void ShowFrame(int index);

    // The current frame, keyed, when visible and there is a picture. 0.
    int DrawToBackBuffer() override;

    bool PreTranslate(platform::WindowId self, const platform::Message& msg) override;

    // For tests: the tooltip, null before it was first needed.
    const platform::ToolTip* ToolTipForTest() const { return m_tip.Get(); }
    bool IsTooltipShown() const { return m_tooltipShown; }

protected:
    int64_t OnLButtonDown(platform::Point p) override;
    int64_t OnMouseMove(platform::Point p) override;
    int64_t OnMouseHover(platform::Point p) override;
    int64_t OnMouseLeave() override;

private:
    bool InHotArea(platform::Point p) const;

    int m_currentFrame = 0;
    WidgetToolTip m_tip;
    bool m_tooltipShown = false;
    bool m_tracking = false;
};

}  // namespace ui
