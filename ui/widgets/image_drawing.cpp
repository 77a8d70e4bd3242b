#include "ui/widgets/image_drawing.h"

#include <optional>

#include "ui/widgets/drawing_functions.h"
#include "ui/widgets/skin_images.h"

namespace ui {

int CQKImageDrawing::LoadBitmapResource(SkinImages* skin, int id) {
    m_image.reset();
    if (skin) {
        m_image = skin->Bitmap(id);
    }
    return m_image ? 1 : 0;
}

int CQKImageDrawing::LoadImageFile(SkinImages* skin, const std::string& path) {
    m_image.reset();
    if (path.empty() || !skin) {
        return 0;
    }
    m_image = skin->File(path);
    return m_image ? 1 : 0;
}

void CQKImageDrawing::DrawFrame(int frames, platform::Surface& dc, int index, platform::Argb key,
                                int x, int y) const {
    if (m_pngFlag) {
        DrawImageFrame(m_png.Get(), m_pngSize, dc, x, y, frames, index);
    } else {
        DrawImageFrameKeyed(m_image.get(), dc, x, y, frames, index, key);
    }
}

void CQKImageDrawing::DrawFrameUnkeyed(int frames, platform::Surface& dc, int index, int x,
                                       int y) const {
    if (m_pngFlag) {
        DrawImageFrame(m_png.Get(), m_pngSize, dc, x, y, frames, index);
    } else {
        DrawImageFrameMatrix(m_image.get(), dc, x, y, frames, index);
    }
}

void CQKImageDrawing::DrawStretched(platform::Surface& dc, int x, int y, int w, int h) const {
    DrawImageStretchedMatrix(m_image.get(), dc, x, y, w, h);
}

void CQKImageDrawing::DrawPart(platform::Surface& dc, int x, int y, int w, int h, int srcW,
                               int srcH) const {
    if (m_pngFlag) {
        DrawBitmapPart(dc, x, y, w, h, srcW, srcH, m_png.Get());
    } else {
        DrawImagePart(dc, x, y, w, h, srcW, srcH, m_image.get());
    }
}

}  // namespace ui
