// Small pictures by index, 16 x 16 each: the row images of a list.
//
// A bitmap added to the list is cut into 16 x 16 pictures from left to
// right (a 16 x 16 bitmap is one picture); they are drawn with the magenta
// colour key, so magenta pixels leave what lies below. A bitmap resource
// that cannot be loaded still takes its place (one picture that draws
// nothing), so that the pictures after it keep their indices.
//
// THREADING: user-interface thread only.
#pragma once

#include <memory>
#include <span>
#include <vector>

#include "platform/draw/geometry.h"
#include "platform/draw/image.h"

namespace platform {

class ImageLoader;
class Painter;

class ImageList {
public:
    static constexpr int kSide = 16;

    // Adds the pictures of `image`. False (nothing added) when the image is
    // null, not 16 high, or not a multiple of 16 wide.
    bool Add(std::unique_ptr<Image> image);
    // Adds bitmap resource `id` (one picture that draws nothing when it
    // cannot be loaded; the loader logs why). False when it could not.
    bool AddBitmapResource(const ImageLoader& loader, int id);
    // A list of the bitmap resources `ids`, in this order.
    static std::unique_ptr<ImageList> FromBitmapResources(const ImageLoader& loader,
                                                          std::span<const int> ids);

    int Count() const { return static_cast<int>(m_pictures.size()); }
    // Draws picture `index` with its top-left corner at `at`; nothing for
    // an index outside the list.
    void Draw(Painter& painter, int index, Point at) const;

private:
    struct Picture {
        const Image* image = nullptr;  // null: a placeholder
        Rect part;
    };
    std::vector<std::unique_ptr<Image>> m_images;
    std::vector<Picture> m_pictures;
};

}  // namespace platform
