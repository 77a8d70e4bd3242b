#include "vrxclientsdk/VRXClient/ProjectionSettings.h"

#include <algorithm>
#include <cmath>

namespace {

// The receiver's JPEG decoder takes qualities 1 to 100.
constexpr int kMinJpegQuality = 1;
constexpr int kMaxJpegQuality = 100;
// The cursor is drawn at most four times its size.
constexpr double kMinCursorScale = 1.0;
constexpr double kMaxCursorScale = 4.0;

}  // namespace

int ProjectionSettings::FromTribool(boost::logic::tribool value) {
    return value ? 1 : (!value ? 0 : kIndeterminate);
}

boost::logic::tribool ProjectionSettings::ToTribool(int stored) {
    return stored == kIndeterminate ? boost::logic::tribool(boost::logic::indeterminate)
                                    : boost::logic::tribool(stored == 1);
}

const char* ProjectionSettings::TriboolText(boost::logic::tribool value) {
    if (value) {
        return "true";
    }
    if (!value) {
        return "false";
    }
    return "indeterminate";
}

void ProjectionSettings::SetEnlargeFactor(int factor) {
    m_enlargeFactor = std::max(factor, 1);
}

void ProjectionSettings::SetDeOverscanOffset(int x, int y) {
    m_deOverscanX = std::max(x, 0);
    m_deOverscanY = std::max(y, 0);
}

double ProjectionSettings::SetCursorScale(double scale) {
    scale =
        std::isnan(scale) ? kMinCursorScale : std::clamp(scale, kMinCursorScale, kMaxCursorScale);
    m_cursorScale = scale;
    return scale;
}

int ProjectionSettings::SetJpegQuality(int quality) {
    quality = std::clamp(quality, kMinJpegQuality, kMaxJpegQuality);
    m_jpegQuality = quality;
    return quality;
}
