// The list of skin images the resource generator draws: kind, resource id,
// strip size, frame count and glyph per image, read from skin_manifest.txt.
//
// Used by the generator at build time and by the tests that check the
// generated files; the program itself does not read it. Parsing never throws:
// a bad line is rejected with its line number and reason.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "app/res/skin_glyph.h"
#include "platform/draw/geometry.h"

namespace appres {

enum class SkinImageKind {
    kPng,     // PNG resource: "png/<id>.png", own alpha, never colour-keyed
    kBitmap,  // bitmap resource: "bmp/<id>.bmp", opaque, magenta colour key
};

struct SkinImageSpec {
    SkinImageKind kind = SkinImageKind::kPng;
    int id = 0;
    int width = 0;  // of the whole strip
    int height = 0;
    int frames = 1;
    SkinGlyph glyph = SkinGlyph::kNone;  // what the image shows

    // Frame `index` of the strip as the widgets cut it: starting at
    // width * index / frames, width / frames wide, the full height.
    platform::Rect FrameRect(int index) const;
};

class SkinManifest {
public:
    // Smallest frame the generator draws: room for a border and the marker.
    static constexpr int kMinFrameSide = 3;

    // Parses the manifest text. On failure returns false with "line N: why"
    // in *reason and leaves *out empty.
    static bool Parse(std::string_view text, SkinManifest* out, std::string* reason);

    // Reads and parses the manifest file at `path`.
    static bool Load(const std::string& path, SkinManifest* out, std::string* reason);

    const std::vector<SkinImageSpec>& Images() const { return m_images; }

private:
    std::vector<SkinImageSpec> m_images;
};

}  // namespace appres
