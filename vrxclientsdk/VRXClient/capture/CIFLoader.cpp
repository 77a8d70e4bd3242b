#include "vrxclientsdk/VRXClient/capture/CIFLoader.h"

#include <new>

#include "platform/thread.h"
#include "platform/wide_text.h"

namespace {

struct Fit {
    int drawnWidth = 0;
    int drawnHeight = 0;
};

// Fits a picture into the requested frame, keeping its aspect ratio and
// never enlarging it. A side of 0 or less is not a limit: only the other
// side bounds the picture, and with neither the picture keeps its size.
// The factors are single precision, as the reader module was always given.
Fit FitPicture(int pictureWidth, int pictureHeight, int width, int height) {
    const bool limitW = width > 0;
    const bool limitH = height > 0;
    const float sx = limitW ? static_cast<float>(width) / static_cast<float>(pictureWidth) : 0.0f;
    const float sy = limitH ? static_cast<float>(height) / static_cast<float>(pictureHeight) : 0.0f;
    Fit fit{pictureWidth, pictureHeight};
    if ((!limitW || sx >= 1.0f) && (!limitH || sy >= 1.0f)) {
        return fit;  // fits as it is
    }
    if (limitW && (!limitH || sx < sy)) {
        fit = {width, static_cast<int>(static_cast<float>(pictureHeight) * sx)};
    } else {
        fit = {static_cast<int>(static_cast<float>(pictureWidth) * sy), height};
    }
    // A very thin picture must not vanish to nothing.
    fit.drawnWidth = std::max(fit.drawnWidth, 1);
    fit.drawnHeight = std::max(fit.drawnHeight, 1);
    return fit;
}

}  // namespace

CIFLoader::CIFLoader(std::u16string path)
    : m_path(std::move(path)), m_pathText(platform::Utf16ToUtf8(m_path)) {}

CIFLoader::~CIFLoader() {
    Close();
}

void CIFLoader::GetWindowSize(int& width, int& height) {
    width = height = 0;
}

void CIFLoader::SetColorFormat(COLOR_FORMAT format) {
    std::lock_guard lock(m_lock);
    m_colorFormat = format;
    if (format == COLOR_FORMAT_RGB555 || format == COLOR_FORMAT_RGB565) {
        m_bits = 16;
        m_565 = format == COLOR_FORMAT_RGB565;
    } else if (format == COLOR_FORMAT_BGRX || format == COLOR_FORMAT_BGRA ||
               format == COLOR_FORMAT_RGBX) {
        m_bits = 32;
    }
}

void CIFLoader::SetBitCount(unsigned short bits) {
    std::lock_guard lock(m_lock);
    // The reader draws 16 or 32 bits; any other depth is drawn at 32.
    m_bits = bits == 16 ? 16 : 32;
    m_colorFormat =
        m_bits == 32 ? COLOR_FORMAT_BGRX : (m_565 ? COLOR_FORMAT_RGB565 : COLOR_FORMAT_RGB555);
}

void CIFLoader::Set16BitRGB(bool on) {
    std::lock_guard lock(m_lock);
    m_565 = on;
    m_colorFormat =
        m_bits == 32 ? COLOR_FORMAT_BGRX : (m_565 ? COLOR_FORMAT_RGB565 : COLOR_FORMAT_RGB555);
}

int CIFLoader::LoadReader() {
    if (m_reader) {
        return 0;
    }
    std::string reason;
    std::unique_ptr<platform::DynamicLibrary> reader =
        platform::DynamicLibrary::Load("Quillet", &reason);
    if (!reader) {
        QK_LOGF(LOG_ERROR, "CIFLoader cannot load the JPEG reader Quillet: %s", reason.c_str());
        return kNoReaderLibrary;
    }
    m_getJpegHeader = reader->Entry<GetJpegHeaderFn>("GetJpegHeader");
    m_loadJpegFileZ = reader->Entry<LoadJpegFileZFn>("LoadJpegFileZ");
    if (!m_getJpegHeader || !m_loadJpegFileZ) {
        QK_LOGF(LOG_ERROR, "CIFLoader: %s lacks GetJpegHeader or LoadJpegFileZ",
                reader->Path().c_str());
        m_getJpegHeader = nullptr;
        m_loadJpegFileZ = nullptr;
        return kReaderEntryMissing;
    }
    m_reader = std::move(reader);
    return 0;
}

int CIFLoader::Open(CaptureCallback callback, void* context, int width, int height) {
    Close();
    {
        std::lock_guard lock(m_lock);
        m_callback = callback;
        m_context = context;
    }
    if (int r = LoadReader(); r != 0) {
        return r;
    }
    int pictureWidth = 0, pictureHeight = 0;
    int result = m_getJpegHeader(&pictureWidth, &pictureHeight, m_path.c_str());
    QK_LOGF(LOG_DEBUG, "Get jpeg file header str:%s ret:%d Width:%d Height:%d", m_pathText.c_str(),
            result, pictureWidth, pictureHeight);
    if (result != 0 || pictureWidth <= 0 || pictureHeight <= 0) {
        // A reader that reports success with no picture, or a positive
        // failure, must not pass for an opened source.
        return result < 0 ? result : kQuilletNotJpeg;
    }

    const Fit fit = FitPicture(pictureWidth, pictureHeight, width, height);
    const int frameWidth = width > 0 ? width : fit.drawnWidth;
    const int frameHeight = height > 0 ? height : fit.drawnHeight;
    unsigned short bits = 32;
    bool is565 = false;
    {
        std::lock_guard lock(m_lock);
        bits = m_bits;
        is565 = m_565;
    }
    if (frameWidth > kQuilletMaxSide || frameHeight > kQuilletMaxSide) {
        return kQuilletTooLarge;
    }
    // Rows are padded to 4 bytes; the buffer holds the padding too, since
    // the reader writes padded rows (16-bit pictures of odd width).
    const int strideInPixels = ((frameWidth * bits / 8 + 3) / 4 * 32) / bits;
    const size_t bytes = static_cast<size_t>(strideInPixels) * frameHeight * (bits / 8);
    std::vector<unsigned char> picture;
    bool allocated = false;
    for (int attempt = 0; attempt < 10 && !allocated; ++attempt) {
        try {
            picture.assign(bytes, 0);  // black around the picture
            allocated = true;
        } catch (const std::bad_alloc&) {
        }
    }
    if (!allocated) {
        QK_LOGF(LOG_ERROR, "CIFLoader cannot allocate %zu bytes for %s", bytes, m_pathText.c_str());
        return kNoPictureMemory;
    }

    const int x = (frameWidth - fit.drawnWidth) / 2;
    const int y = (frameHeight - fit.drawnHeight) / 2;
    for (int attempt = 0; attempt < 10; ++attempt) {
        result = m_loadJpegFileZ(picture.data(), m_path.c_str(), fit.drawnWidth, fit.drawnHeight, x,
                                 y, frameWidth, frameHeight, bits, is565 ? 1 : 0);
        if (result == 0) {
            break;
        }
    }
    QK_LOGF(LOG_DEBUG, "Load jpeg file str:%s iw:%d ih:%d dw:%d dh:%d bbp:%d 565:%d ret:%d",
            m_pathText.c_str(), pictureWidth, pictureHeight, fit.drawnWidth, fit.drawnHeight, bits,
            is565 ? 1 : 0, result);
    if (result != 0) {
        return result < 0 ? result : kQuilletNotJpeg;
    }
    std::lock_guard lock(m_lock);
    m_picture = std::move(picture);
    m_frameWidth = frameWidth;
    m_frameHeight = frameHeight;
    m_drawnWidth = fit.drawnWidth;
    m_drawnHeight = fit.drawnHeight;
    m_strideInPixels = strideInPixels;
    return 0;
}

void CIFLoader::GetFrameBufSize(int& width, int& height) {
    std::lock_guard lock(m_lock);
    width = m_strideInPixels;
    height = m_frameHeight;
}

bool CIFLoader::RequestDelivery() {
    std::lock_guard lock(m_lock);
    if (m_picture.empty() || !m_callback) {
        return false;
    }
    m_status = STATUS_RUNNING;
    m_deliveryWanted = true;
    if (!m_thread) {
        m_quit = false;
        m_thread = platform::StartThread("cif-loader", [this] { Run(); });
        if (!m_thread) {
            m_status = STATUS_STOPPED;
            m_deliveryWanted = false;
            return false;
        }
    }
    m_wake.notify_all();
    return true;
}

bool CIFLoader::Start() {
    return RequestDelivery();
}

void CIFLoader::RefreshScreen() {
    RequestDelivery();
}

void CIFLoader::Run() {
    std::unique_lock lock(m_lock);
    while (true) {
        m_wake.wait(lock, [this] { return m_quit || m_deliveryWanted; });
        if (m_quit) {
            return;
        }
        m_deliveryWanted = false;
        IMAGE_BLOCK block{};
        block.pBits = m_picture.data();
        block.et = 0;
        block.size =
            static_cast<uint32_t>(static_cast<uint64_t>(m_bits) * m_frameHeight * m_frameWidth / 8);
        block.width = static_cast<uint32_t>(m_frameWidth);
        block.height = static_cast<uint32_t>(m_frameHeight);
        block.x1 = 0;
        block.y1 = 0;
        block.x2 = m_frameWidth - 1;
        block.y2 = m_frameHeight - 1;
        block.refresh = 1;
        block.quality100 = 0;
        block.bottomUp = 0;
        block.stride = static_cast<uint32_t>(m_strideInPixels * (m_bits / 8));
        block.fsn = 1;
        block.ftot = 1;
        block.colorFormat = m_colorFormat;
        block.sourceFormat =
            m_bits == 16 ? (m_565 ? COLOR_FORMAT_RGB565 : COLOR_FORMAT_RGB555) : COLOR_FORMAT_BGRX;
        block.frameRows = static_cast<uint32_t>(m_frameHeight);
        CaptureCallback callback = m_callback;
        void* context = m_context;
        // The picture stays put while the lock is released: only Open and
        // Close replace it, and both end this thread first.
        lock.unlock();
        callback(&block, context);
        lock.lock();
        if (m_status == STATUS_RUNNING) {
            m_status = STATUS_PAUSED;  // the pool treats a delivered picture as paused
        }
    }
}

void CIFLoader::Pause() {
    std::lock_guard lock(m_lock);
    m_status = STATUS_PAUSED;
}

void CIFLoader::Resume() {
    std::lock_guard lock(m_lock);
    m_status = STATUS_RUNNING;
}

STATUS CIFLoader::GetStatus() {
    std::lock_guard lock(m_lock);
    return m_status;
}

void CIFLoader::Stop() {
    std::lock_guard lock(m_lock);
    m_status = STATUS_STOPPED;
    m_deliveryWanted = false;
}

void CIFLoader::StopThread() {
    {
        std::lock_guard lock(m_lock);
        if (!m_thread) {
            return;
        }
        m_quit = true;
        m_wake.notify_all();
    }
    m_thread->join();
    std::lock_guard lock(m_lock);
    m_thread.reset();
}

void CIFLoader::Close() {
    Stop();
    StopThread();
    m_getJpegHeader = nullptr;
    m_loadJpegFileZ = nullptr;
    m_reader.reset();
    std::lock_guard lock(m_lock);
    m_picture.clear();
    m_picture.shrink_to_fit();
    m_frameWidth = m_frameHeight = m_drawnWidth = m_drawnHeight = m_strideInPixels = 0;
}

int CIFLoader::FrameWidth() const {
    std::lock_guard lock(m_lock);
    return m_frameWidth;
}

int CIFLoader::FrameHeight() const {
    std::lock_guard lock(m_lock);
    return m_frameHeight;
}

int CIFLoader::DrawnWidth() const {
    std::lock_guard lock(m_lock);
    return m_drawnWidth;
}

int CIFLoader::DrawnHeight() const {
    std::lock_guard lock(m_lock);
    return m_drawnHeight;
}
