// The bitmap holders of the widgets: CGdiPlusBitmap holds one decoded image
// (or none), CGdiPlusBitmapResource fills it from a PNG resource of the skin.
//
// The image is shared with the skin's cache (SkinImages) and never changes,
// so a holder needs no private copy of the file: loading another resource,
// clearing or destroying the holder only lets go of its share.
// THREADING: user-interface thread only.
#pragma once

#include <memory>

#include "platform/draw/image.h"

namespace ui {

class SkinImages;

class CGdiPlusBitmap {
public:
    CGdiPlusBitmap() = default;
    virtual ~CGdiPlusBitmap() = default;
    CGdiPlusBitmap(const CGdiPlusBitmap&) = delete;
    CGdiPlusBitmap& operator=(const CGdiPlusBitmap&) = delete;

    // The image, or nullptr when the holder is empty. Borrowed: valid until
    // the holder changes.
    const platform::Image* Get() const { return m_image.get(); }
    bool IsEmpty() const { return !m_image; }
    void Clear() { m_image.reset(); }

protected:
    std::shared_ptr<const platform::Image> m_image;
};

class CGdiPlusBitmapResource : public CGdiPlusBitmap {
public:
    // Lets go of the current image, then takes PNG resource `id` from
    // `skin`. False, with the holder empty, when there is no skin or the
    // resource is missing or cannot be decoded (the skin logs why).
    bool Load(SkinImages* skin, int id);
};

}  // namespace ui
