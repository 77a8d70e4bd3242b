#include "ui/widgets/skin_images.h"

#include <utility>

namespace ui {
namespace {

template <class Load>
std::shared_ptr<const platform::Image> Cached(
    std::map<int, std::shared_ptr<const platform::Image>>& cache, int id, Load load) {
    if (id <= 0) {
        return nullptr;
    }
    auto it = cache.find(id);
    if (it == cache.end()) {
        // A failure is kept too (as nullptr): the loader has said why once.
        it = cache.emplace(id, std::shared_ptr<const platform::Image>(load(id))).first;
    }
    return it->second;
}

}  // namespace

SkinImages::SkinImages(std::string folder, platform::ImageLoader::LogSink sink)
    : m_loader(std::move(folder), std::move(sink)) {}

std::shared_ptr<const platform::Image> SkinImages::Png(int id) {
    return Cached(m_png, id, [this](int n) { return m_loader.LoadPngResource(n); });
}

std::shared_ptr<const platform::Image> SkinImages::Bitmap(int id) {
    return Cached(m_bitmap, id, [this](int n) { return m_loader.LoadBitmapResource(n); });
}

std::shared_ptr<const platform::Image> SkinImages::File(const std::string& path) const {
    return m_loader.LoadFile(path);
}

}  // namespace ui
