#include "platform/controls/image_list.h"

#include "platform/draw/image_loader.h"
#include "platform/draw/painter.h"
#include "platform/window/window_log.h"

namespace platform {

bool ImageList::Add(std::unique_ptr<Image> image) {
    if (!image || image->Height() != kSide || image->Width() <= 0 || image->Width() % kSide != 0) {
        return false;
    }
    for (int x = 0; x < image->Width(); x += kSide) {
        m_pictures.push_back(Picture{image.get(), Rect::FromXywh(x, 0, kSide, kSide)});
    }
    m_images.push_back(std::move(image));
    return true;
}

bool ImageList::AddBitmapResource(const ImageLoader& loader, int id) {
    std::unique_ptr<Image> image = loader.LoadBitmapResource(id);
    if (image && (image->Height() != kSide || image->Width() % kSide != 0)) {
        WindowLog("bitmap %d is %dx%d, not %d high and a multiple of %d wide; left out", id,
                  image->Width(), image->Height(), kSide, kSide);
    }
    if (Add(std::move(image))) {
        return true;
    }
    m_pictures.push_back(Picture{});
    return false;
}

std::unique_ptr<ImageList> ImageList::FromBitmapResources(const ImageLoader& loader,
                                                          std::span<const int> ids) {
    auto list = std::make_unique<ImageList>();
    for (int id : ids) {
        list->AddBitmapResource(loader, id);
    }
    return list;
}

void ImageList::Draw(Painter& painter, int index, Point at) const {
    if (index < 0 || index >= Count()) {
        return;
    }
    const Picture& p = m_pictures[static_cast<size_t>(index)];
    if (p.image) {
        painter.DrawImage(*p.image, p.part, at, kMagentaKey);
    }
}

}  // namespace platform
