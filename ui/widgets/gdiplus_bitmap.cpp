#include "ui/widgets/gdiplus_bitmap.h"

#include "ui/widgets/skin_images.h"

namespace ui {

bool CGdiPlusBitmapResource::Load(SkinImages* skin, int id) {
    m_image.reset();
    if (skin) {
        m_image = skin->Png(id);
    }
    return m_image != nullptr;
}

}  // namespace ui
