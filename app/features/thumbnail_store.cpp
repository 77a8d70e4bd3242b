#include "app/features/thumbnail_store.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <span>
#include <utility>
#include <vector>

#include "app/maindlg/safe_base_name.h"
#include "platform/draw/bmp_codec.h"
#include "platform/draw/jpeg_decoder.h"
#include "platform/log.h"
#include "platform/user_folders.h"

namespace pemuapp {
namespace {

constexpr const char* kArea = "thumbnail";

bool WriteAll(int fd, const std::vector<uint8_t>& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

ThumbnailStore::ThumbnailStore(std::string folder) : m_folder(std::move(folder)) {}

std::string ThumbnailStore::DefaultFolder() {
    const std::string base = platform::UserFolder(platform::UserFolderKind::kCache);
    return base.empty() ? std::string() : base + "/" + kThumbnailFolderName;
}

std::string ThumbnailBmpPath(const std::string& folder, const std::string& name) {
    const std::string safe = SafeBaseName(name);
    if (safe.empty() || folder.empty()) {
        return {};
    }
    return folder + "/" + safe + ".bmp";
}

std::string ThumbnailStore::BmpPath(const std::string& name) const {
    return ThumbnailBmpPath(m_folder, name);
}

bool ThumbnailStore::Fetch(const std::string& url, const std::string& name, std::string* error) {
    const auto fail = [&](std::string why) {
        platform::Log(platform::LogLevel::kWarning, kArea, "no thumbnail: %s", why.c_str());
        if (error) {
            *error = std::move(why);
        }
        return false;
    };
    const std::string path = BmpPath(name);
    if (path.empty()) {
        return fail("the name has no file name");
    }
    const HttpResult got = HttpGet(url, m_limits);
    if (!got.ok) {
        return fail(got.error);
    }
    std::string reason;
    const auto image = platform::DecodeJpeg(
        std::span(reinterpret_cast<const uint8_t*>(got.body.data()), got.body.size()), &reason);
    if (!image) {
        return fail("not a JPEG picture: " + reason);
    }
    std::vector<uint8_t> bmp;
    platform::EncodeBmp(image->Pixels(), platform::BmpLayout{}, &bmp);
    std::string folderError;
    if (!platform::MakeFolders(m_folder, 0700, &folderError)) {
        return fail(folderError);
    }
    std::string temp = m_folder + "/.thumbnail-XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        return fail("no temporary file");
    }
    const bool written = WriteAll(fd, bmp);
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || std::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        return fail("the picture could not be written");
    }
    return true;
}

}  // namespace pemuapp
