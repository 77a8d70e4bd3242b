#include "app/res/skin_manifest.h"

#include <charconv>
#include <set>
#include <utility>

#include "app/res/resource_text_file.h"
#include "app/res/skin_marker.h"
#include "platform/draw/image_limits.h"

namespace appres {

namespace {

// Splits a line into blank-separated words, dropping a '#' comment.
std::vector<std::string_view> Words(std::string_view line) {
    if (const size_t hash = line.find('#'); hash != std::string_view::npos) {
        line = line.substr(0, hash);
    }
    std::vector<std::string_view> words;
    size_t pos = 0;
    while (pos < line.size()) {
        const size_t start = line.find_first_not_of(" \t\r", pos);
        if (start == std::string_view::npos) {
            break;
        }
        const size_t end = std::min(line.find_first_of(" \t\r", start), line.size());
        words.push_back(line.substr(start, end - start));
        pos = end;
    }
    return words;
}

bool ToInt(std::string_view word, int* value) {
    const auto [ptr, ec] = std::from_chars(word.data(), word.data() + word.size(), *value);
    return ec == std::errc() && ptr == word.data() + word.size();
}

// Checks one line's words; the reason names what is wrong.
bool ParseSpec(const std::vector<std::string_view>& words, SkinImageSpec* spec,
               std::string* reason) {
    // The glyph word may be left out: such an image is a plain body.
    if (words.size() != 5 && words.size() != 6) {
        *reason = "expected <kind> <id> <width> <height> <frames> [<glyph>]";
        return false;
    }
    if (words[0] == "png") {
        spec->kind = SkinImageKind::kPng;
    } else if (words[0] == "bmp") {
        spec->kind = SkinImageKind::kBitmap;
    } else {
        *reason = "kind must be png or bmp, not \"" + std::string(words[0]) + "\"";
        return false;
    }
    if (!ToInt(words[1], &spec->id) || !ToInt(words[2], &spec->width) ||
        !ToInt(words[3], &spec->height) || !ToInt(words[4], &spec->frames)) {
        *reason = "id, width, height and frames must be decimal numbers";
        return false;
    }
    // Resource ids are 16-bit; 0 means "no image" in the layout tables.
    if (spec->id < 1 || spec->id > 0xFFFF) {
        *reason = "id must be 1 to 65535";
        return false;
    }
    if (spec->frames < 1 || spec->frames > kMaxSkinFrames) {
        *reason = "frames must be 1 to " + std::to_string(kMaxSkinFrames);
        return false;
    }
    if (!platform::ImageSizeAllowed(spec->width, spec->height)) {
        *reason = "size is outside the image limits";
        return false;
    }
    if (spec->width / spec->frames < SkinManifest::kMinFrameSide ||
        spec->height < SkinManifest::kMinFrameSide) {
        *reason = "frames must be at least " + std::to_string(SkinManifest::kMinFrameSide) +
                  " pixels on each side";
        return false;
    }
    if (words.size() == 6) {
        const std::optional<SkinGlyph> glyph = SkinGlyphFromName(words[5]);
        if (!glyph) {
            *reason = "unknown glyph \"" + std::string(words[5]) + "\"";
            return false;
        }
        spec->glyph = *glyph;
    }
    return true;
}

}  // namespace

platform::Rect SkinImageSpec::FrameRect(int index) const {
    const int n = frames < 1 ? 1 : frames;
    // Computed in 64 bits: width * index stays exact for any allowed width.
    const int left = static_cast<int>(int64_t{width} * index / n);
    return platform::Rect::FromXywh(left, 0, width / n, height);
}

bool SkinManifest::Parse(std::string_view text, SkinManifest* out, std::string* reason) {
    out->m_images.clear();
    std::vector<SkinImageSpec> images;
    std::set<std::pair<SkinImageKind, int>> seen;
    const std::vector<std::string_view> lines = ResourceTextFile::Lines(text);
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string lineNumber = std::to_string(i + 1);
        const std::vector<std::string_view> words = Words(lines[i]);
        if (words.empty()) {
            continue;
        }
        SkinImageSpec spec;
        std::string why;
        if (!ParseSpec(words, &spec, &why)) {
            *reason = "line " + lineNumber + ": " + why;
            return false;
        }
        if (!seen.insert({spec.kind, spec.id}).second) {
            *reason = "line " + lineNumber + ": " + std::string(words[0]) + " " +
                      std::to_string(spec.id) + " is listed twice";
            return false;
        }
        images.push_back(spec);
    }
    out->m_images = std::move(images);
    return true;
}

bool SkinManifest::Load(const std::string& path, SkinManifest* out, std::string* reason) {
    std::string text;
    if (!ResourceTextFile::ReadFile(path, &text, reason)) {
        return false;
    }
    if (!Parse(text, out, reason)) {
        *reason = path + ": " + *reason;
        return false;
    }
    return true;
}

}  // namespace appres
