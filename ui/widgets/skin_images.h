// The skin's images for the widgets of one or more windows: PNG and bitmap
// resources by id, kept once loaded, and picture files by path.
//
// Widgets ask for the same backgrounds again and again (a row reloads its
// background at every draw), so a resource is decoded once and shared; an
// image never changes once made. A resource that cannot be had is asked
// for once and logged once by the loader; later asks answer nullptr at once.
// Picture files are loaded on every ask (they may change on disk).
//
// Not a window and not a drawing: ImageLoader decodes, Painter draws.
// Ownership: images are shared; a widget keeps the ones it shows.
// THREADING: user-interface thread only.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "platform/draw/image_loader.h"

namespace ui {

class SkinImages {
public:
    // The skin folder holding png/ and bmp/; failures go to `sink` (default
    // standard error).
    explicit SkinImages(std::string folder, platform::ImageLoader::LogSink sink = {});

    // PNG resource `id`, or nullptr (0 and negative ids without a log line).
    std::shared_ptr<const platform::Image> Png(int id);
    // Bitmap resource `id`, or nullptr.
    std::shared_ptr<const platform::Image> Bitmap(int id);
    // A picture file (PNG, BMP or JPEG), or nullptr; never kept.
    std::shared_ptr<const platform::Image> File(const std::string& path) const;

    const std::string& Folder() const { return m_loader.ResourceFolder(); }

private:
    platform::ImageLoader m_loader;
    std::map<int, std::shared_ptr<const platform::Image>> m_png;
    std::map<int, std::shared_ptr<const platform::Image>> m_bitmap;
};

}  // namespace ui
