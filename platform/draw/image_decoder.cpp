#include "platform/draw/image_decoder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/draw/bmp_codec.h"
#include "platform/draw/image_limits.h"
#include "platform/draw/jpeg_decoder.h"
#include "platform/draw/png_codec.h"
#include "platform/syserror.h"

namespace platform {
namespace {

void SetReason(std::string* reason, std::string text) {
    if (reason)
        *reason = std::move(text);
}

class Fd {
public:
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd() {
        if (m_fd >= 0)
            close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

}  // namespace

bool SniffImageFormat(std::span<const uint8_t> b, ImageFormat* format) {
    static constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (b.size() >= 8 && std::equal(b.begin(), b.begin() + 8, kPngSignature)) {
        *format = ImageFormat::kPng;
        return true;
    }
    if (b.size() >= 2 && b[0] == 'B' && b[1] == 'M') {
        *format = ImageFormat::kBmp;
        return true;
    }
    if (b.size() >= 3 && b[0] == 0xFF && b[1] == 0xD8 && b[2] == 0xFF) {
        *format = ImageFormat::kJpeg;
        return true;
    }
    return false;
}

std::unique_ptr<Image> DecodeImage(std::span<const uint8_t> bytes, std::string* reason) {
    ImageFormat format;
    if (!SniffImageFormat(bytes, &format)) {
        SetReason(reason, "not a PNG, BMP or JPEG file");
        return nullptr;
    }
    switch (format) {
        case ImageFormat::kPng:
            return DecodePng(bytes, reason);
        case ImageFormat::kBmp:
            return DecodeBmp(bytes, reason);
        case ImageFormat::kJpeg:
            return DecodeJpeg(bytes, reason);
        case ImageFormat::kDrawn:
            break;
    }
    SetReason(reason, "not a PNG, BMP or JPEG file");
    return nullptr;
}

bool ReadImageFile(const std::string& path, std::vector<uint8_t>* out, std::string* reason) {
    out->clear();
    Fd fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st {};
    if (fd.get() < 0 || fstat(fd.get(), &st) != 0) {
        SetReason(reason, "cannot open: " + SystemErrorText(LastSystemError()));
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        SetReason(reason, "not a regular file");
        return false;
    }
    if (static_cast<uint64_t>(st.st_size) > kMaxImageFileBytes) {
        SetReason(reason, "file of " + std::to_string(st.st_size) + " bytes is too large");
        return false;
    }
    out->resize(static_cast<size_t>(st.st_size));
    size_t done = 0;
    while (done < out->size()) {
        const ssize_t n = read(fd.get(), out->data() + done, out->size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            SetReason(reason, n == 0 ? std::string("file shrank while being read")
                                     : "read failed: " + SystemErrorText(LastSystemError()));
            out->clear();
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace platform
