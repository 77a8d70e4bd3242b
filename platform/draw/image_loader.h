// Loads the skin's images by resource id, and picture files by path, and
// logs why an image could not be had.
//
// Skin resources live in one folder as files named by id: PNG resources in
// "png/<id>.png", bitmap resources in "bmp/<id>.bmp". A PNG resource must be
// a PNG and a bitmap resource a BMP. Every failure (missing, damaged,
// truncated, absurdly large, wrong kind) gives "no image" (nullptr) and one
// log line with the reason; nothing is thrown.
//
// THREADING: user-interface thread only; the loader keeps no state beyond
// its folder and log sink, so one loader per thread also works.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/draw/image.h"

namespace platform {

class ImageLoader {
public:
    // Receives one line per failure. The default hands it to the platform
    // log (platform/log.h), area "image".
    using LogSink = std::function<void(const std::string& line)>;

    // `resourceFolder` holds the png/ and bmp/ folders. With no sink given,
    // failures go to the platform log.
    explicit ImageLoader(std::string resourceFolder, LogSink sink = {});

    // The PNG resource `id`, or nullptr (logged). The caller owns the image.
    std::unique_ptr<Image> LoadPngResource(int id) const;

    // The bitmap resource `id`, or nullptr (logged). The caller owns the image.
    std::unique_ptr<Image> LoadBitmapResource(int id) const;

    // A picture file (PNG, BMP or JPEG), or nullptr (logged); an empty path
    // gives nullptr without a log line. The caller owns the image.
    std::unique_ptr<Image> LoadFile(const std::string& path) const;

    const std::string& ResourceFolder() const { return m_folder; }

private:
    std::unique_ptr<Image> LoadResource(const char* subfolder, const char* extension, int id,
                                        ImageFormat wanted) const;
    void Log(const std::string& line) const;

    std::string m_folder;
    LogSink m_sink;
};

}  // namespace platform
