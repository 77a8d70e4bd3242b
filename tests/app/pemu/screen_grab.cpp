// screen-grab FILE.png: writes the whole screen of $DISPLAY as a PNG (the
// run script keeps what the program showed on its private X server).
#include <cstdio>
#include <fstream>
#include <vector>

#include "platform/draw/png_codec.h"
#include "tests/support/XScreenGrab.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: screen-grab FILE.png\n");
        return 2;
    }
    auto surface = testsupport::GrabScreen("");
    if (!surface) {
        std::fprintf(stderr, "screen-grab: cannot read the screen of the display\n");
        return 1;
    }
    std::vector<uint8_t> png;
    std::string error;
    if (!platform::EncodePng(*surface, &png, &error)) {
        std::fprintf(stderr, "screen-grab: %s\n", error.c_str());
        return 1;
    }
    std::ofstream out(argv[1], std::ios::binary);
    out.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    return out ? 0 : 1;
}
