// screen-grab [--trim] FILE.png: writes the whole screen of $DISPLAY as a PNG
// (the run script keeps what the program showed on its private X server).
// With --trim only the part that differs from the screen's background (the
// colour of its top-left pixel) is kept, with a small margin: the windows
// the program shows, for the README's pictures.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <vector>

#include "platform/draw/painter.h"
#include "platform/draw/png_codec.h"
#include "tests/support/XScreenGrab.h"

namespace {

constexpr int kMargin = 8;

// The bounds of every pixel that is not the background, grown by the
// margin; empty when the screen is all background.
platform::Rect Foreground(const platform::Surface& screen) {
    const platform::Argb background = screen.PixelAt(0, 0);
    int left = screen.Width(), top = screen.Height(), right = 0, bottom = 0;
    for (int y = 0; y < screen.Height(); ++y) {
        for (int x = 0; x < screen.Width(); ++x) {
            if (screen.PixelAt(x, y) != background) {
                left = std::min(left, x);
                top = std::min(top, y);
                right = std::max(right, x + 1);
                bottom = std::max(bottom, y + 1);
            }
        }
    }
    if (right <= left || bottom <= top) {
        return {};
    }
    return platform::Rect{std::max(0, left - kMargin), std::max(0, top - kMargin),
                          std::min(screen.Width(), right + kMargin),
                          std::min(screen.Height(), bottom + kMargin)};
}

}  // namespace

int main(int argc, char** argv) {
    const bool trim = argc == 3 && std::strcmp(argv[1], "--trim") == 0;
    if (argc != 2 && !trim) {
        std::fprintf(stderr, "usage: screen-grab [--trim] FILE.png\n");
        return 2;
    }
    const char* file = argv[argc - 1];
    std::unique_ptr<platform::Surface> surface = testsupport::GrabScreen("");
    if (!surface) {
        std::fprintf(stderr, "screen-grab: cannot read the screen of the display\n");
        return 1;
    }
    if (trim) {
        const platform::Rect area = Foreground(*surface);
        if (area.Width() <= 0 || area.Height() <= 0) {
            std::fprintf(stderr, "screen-grab: the screen shows no window\n");
            return 1;
        }
        std::unique_ptr<platform::Surface> part =
            platform::Surface::Create(area.Width(), area.Height());
        if (!part) {
            return 1;
        }
        platform::Painter(*part).CopyFrom(*surface, area, {0, 0});
        surface = std::move(part);
    }
    std::vector<uint8_t> png;
    std::string error;
    if (!platform::EncodePng(*surface, &png, &error)) {
        std::fprintf(stderr, "screen-grab: %s\n", error.c_str());
        return 1;
    }
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    return out ? 0 : 1;
}
