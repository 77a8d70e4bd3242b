#include "ui/widgets/layout_element.h"

#include "platform/window/window_log.h"

namespace ui {
namespace {

template <size_t N>
std::u16string_view FieldText(const char16_t (&field)[N]) {
    size_t n = 0;
    while (n < N && field[n] != 0) {
        ++n;
    }
    return std::u16string_view(field, n);
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace

std::string Utf16ToUtf8(std::u16string_view text) {
    constexpr char32_t kReplacement = 0xFFFD;
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t u = text[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            AppendUtf8(out, 0x10000 + ((char32_t{u} - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            AppendUtf8(out, kReplacement);
        } else {
            AppendUtf8(out, u);
        }
    }
    return out;
}

bool LayoutElement::LoadsPng() const {
    return FieldText(resourceType) == u"PNG";
}

std::string LayoutElement::Name() const {
    return Utf16ToUtf8(FieldText(name));
}

std::string LayoutElement::ClassName() const {
    return Utf16ToUtf8(FieldText(className));
}

std::string LayoutElement::ResourceType() const {
    return Utf16ToUtf8(FieldText(resourceType));
}

std::string LayoutElement::Text() const {
    return Utf16ToUtf8(FieldText(text));
}

namespace layout_detail {

void FieldTooLong(std::u16string_view text, size_t fieldChars) {
    platform::WindowLog("layout text of %zu characters cut to its field of %zu", text.size(),
                        fieldChars - 1);
}

}  // namespace layout_detail

}  // namespace ui
