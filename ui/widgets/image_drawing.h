// CQKImageDrawing: the picture of a skinned widget (and of the common
// dialog), and how it is drawn.
//
// It holds an image (a bitmap resource or a picture file) and a PNG holder;
// when the PNG flag is set the PNG takes precedence over the image. A PNG
// strip's size is what the creator sets (SetPngSize), not the PNG's own; an
// image strip's size is the image's own. Frames are cut as drawing_functions.h
// says; colour keys apply to the image only.
//
// Not a window: CQKin adds the window and finds where to draw.
// Ownership: images are shared with the skin's cache (SkinImages).
// THREADING: user-interface thread only.
#pragma once

#include <memory>
#include <string>

#include "platform/draw/color.h"
#include "platform/draw/geometry.h"
#include "platform/draw/image.h"
#include "platform/draw/surface.h"
#include "ui/widgets/gdiplus_bitmap.h"

namespace ui {

class SkinImages;

class CQKImageDrawing {
public:
    CQKImageDrawing() = default;
    virtual ~CQKImageDrawing() = default;
    CQKImageDrawing(const CQKImageDrawing&) = delete;
    CQKImageDrawing& operator=(const CQKImageDrawing&) = delete;

    // Lets go of the image, then takes bitmap resource `id` from `skin`.
    // 1 when there is an image afterwards; 0 (and no image) when the skin is
    // missing or the resource cannot be loaded or decoded.
    int LoadBitmapResource(SkinImages* skin, int id);
    // An empty path clears the image and answers 0; otherwise as above with
    // the picture file at `path`.
    int LoadImageFile(SkinImages* skin, const std::string& path);
    void ClearImage() { m_image.reset(); }
    const platform::Image* GetImage() const { return m_image.get(); }

    // The PNG: shown instead of the image while the flag is set.
    CGdiPlusBitmapResource& PngHolder() { return m_png; }
    const CGdiPlusBitmapResource& PngHolder() const { return m_png; }
    bool PngFlag() const { return m_pngFlag; }
    void SetPngFlag(bool on) { m_pngFlag = on; }
    platform::Size PngSize() const { return m_pngSize; }
    void SetPngSize(int width, int height) { m_pngSize = {width, height}; }

    // The frame count the strip is cut with (a copy of the widget's, taken
    // when the picture is set).
    int DrawingFrames() const { return m_frames; }
    void SetDrawingFrames(int frames) { m_frames = frames; }

    // Frame `index` of a `frames`-frame strip at (x, y): the PNG when the
    // flag is set, else the image keyed with `key`.
    void DrawFrame(int frames, platform::Surface& dc, int index, platform::Argb key, int x,
                   int y) const;
    // The same without a colour key.
    void DrawFrameUnkeyed(int frames, platform::Surface& dc, int index, int x, int y) const;
    // The whole image stretched into (x, y, w, h); see DrawImageStretchedMatrix.
    void DrawStretched(platform::Surface& dc, int x, int y, int w, int h) const;
    // The top-left srcW x srcH of the PNG (flag set) or of the image, scaled
    // into (x, y, w, h).
    void DrawPart(platform::Surface& dc, int x, int y, int w, int h, int srcW, int srcH) const;

private:
    std::shared_ptr<const platform::Image> m_image;
    int m_frames = 1;
    bool m_pngFlag = false;
    CGdiPlusBitmapResource m_png;
    platform::Size m_pngSize;
};

}  // namespace ui
