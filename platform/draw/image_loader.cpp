#include "platform/draw/image_loader.h"

#include <cstdio>
#include <vector>

#include "platform/draw/image_decoder.h"
#include "platform/log.h"

namespace platform {

ImageLoader::ImageLoader(std::string resourceFolder, LogSink sink)
    : m_folder(std::move(resourceFolder)), m_sink(std::move(sink)) {}

std::unique_ptr<Image> ImageLoader::LoadPngResource(int id) const {
    return LoadResource("png", "png", id, ImageFormat::kPng);
}

std::unique_ptr<Image> ImageLoader::LoadBitmapResource(int id) const {
    return LoadResource("bmp", "bmp", id, ImageFormat::kBmp);
}

std::unique_ptr<Image> ImageLoader::LoadResource(const char* subfolder, const char* extension,
                                                 int id, ImageFormat wanted) const {
    const std::string what =
        std::string(ImageFormatName(wanted)) + " resource " + std::to_string(id);
    if (id <= 0) {
        Log(what + ": no such resource id");
        return nullptr;
    }
    const std::string path =
        m_folder + "/" + subfolder + "/" + std::to_string(id) + "." + extension;
    std::vector<uint8_t> bytes;
    std::string reason;
    if (!ReadImageFile(path, &bytes, &reason)) {
        Log(what + " (" + path + "): " + reason);
        return nullptr;
    }
    ImageFormat found;
    if (!SniffImageFormat(bytes, &found) || found != wanted) {
        Log(what + " (" + path + "): the file is not a " + ImageFormatName(wanted));
        return nullptr;
    }
    auto image = DecodeImage(bytes, &reason);
    if (!image)
        Log(what + " (" + path + "): " + reason);
    return image;
}

std::unique_ptr<Image> ImageLoader::LoadFile(const std::string& path) const {
    if (path.empty())
        return nullptr;
    std::vector<uint8_t> bytes;
    std::string reason;
    if (!ReadImageFile(path, &bytes, &reason)) {
        Log("picture file " + path + ": " + reason);
        return nullptr;
    }
    auto image = DecodeImage(bytes, &reason);
    if (!image)
        Log("picture file " + path + ": " + reason);
    return image;
}

void ImageLoader::Log(const std::string& line) const {
    if (m_sink)
        m_sink(line);
    else
        platform::Log(LogLevel::kWarning, "image", "%s", line.c_str());
}

}  // namespace platform
