// pemu_resgen: makes the program's resources at build time.
//
//   pemu_resgen images <skin_manifest.txt> <skin folder>
//       draws every image of the manifest into <skin folder>/png/<id>.png
//       and <skin folder>/bmp/<id>.bmp
//   pemu_resgen sheet <skin_manifest.txt> <skin folder> <out.png>
//       writes the contact sheet of the images in the skin folder
//   pemu_resgen strings <strings.txt> <out.cpp>
//       writes the string table as C++ data for StringTable
//   pemu_resgen pseudo <strings.txt> <captions.txt> <out.po>
//       writes the catalog of the tests' pseudo-locale
//
// Every output is written to a temporary name and renamed into place, so a
// failed run leaves no half-written file behind. Errors go to stderr with the
// file and reason, and the exit status is 1.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "app/res/pseudo_translation.h"
#include "app/res/resource_text_file.h"
#include "app/res/skin_contact_sheet.h"
#include "app/res/skin_image_painter.h"
#include "app/res/skin_manifest.h"
#include "platform/draw/bmp_codec.h"
#include "platform/draw/image_loader.h"
#include "platform/draw/png_codec.h"

namespace {

using appres::ResourceTextFile;
using appres::StringSourceEntry;

int Fail(const std::string& message) {
    std::fprintf(stderr, "pemu_resgen: %s\n", message.c_str());
    return 1;
}

bool MakeFolder(const std::string& path, std::string* reason) {
    if (mkdir(path.c_str(), 0755) == 0 || errno == EEXIST) {
        return true;
    }
    *reason = "cannot create " + path + ": " + std::strerror(errno);
    return false;
}

bool WriteFile(const std::string& path, const void* data, size_t size, std::string* reason) {
    const std::string temp = path + ".tmp";
    FILE* f = std::fopen(temp.c_str(), "wb");
    if (!f) {
        *reason = "cannot create " + temp + ": " + std::strerror(errno);
        return false;
    }
    const bool written = std::fwrite(data, 1, size, f) == size;
    const bool closed = std::fclose(f) == 0;
    if (!written || !closed || std::rename(temp.c_str(), path.c_str()) != 0) {
        *reason = "cannot write " + path + ": " + std::strerror(errno);
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

bool WriteFile(const std::string& path, const std::string& text, std::string* reason) {
    return WriteFile(path, text.data(), text.size(), reason);
}

int MakeImages(const std::string& manifestPath, const std::string& folder) {
    appres::SkinManifest manifest;
    std::string reason;
    if (!appres::SkinManifest::Load(manifestPath, &manifest, &reason) ||
        !MakeFolder(folder, &reason) || !MakeFolder(folder + "/png", &reason) ||
        !MakeFolder(folder + "/bmp", &reason)) {
        return Fail(reason);
    }
    std::vector<uint8_t> bytes;
    for (const appres::SkinImageSpec& spec : manifest.Images()) {
        const auto surface = appres::SkinImagePainter::Paint(spec);
        if (!surface) {
            return Fail("image " + std::to_string(spec.id) + ": cannot make the surface");
        }
        std::string path;
        if (spec.kind == appres::SkinImageKind::kPng) {
            path = folder + "/png/" + std::to_string(spec.id) + ".png";
            if (!platform::EncodePng(*surface, &bytes, &reason)) {
                return Fail(path + ": " + reason);
            }
        } else {
            // 24-bit bottom-up: the plain form of a resource bitmap.
            path = folder + "/bmp/" + std::to_string(spec.id) + ".bmp";
            platform::EncodeBmp(*surface, {}, &bytes);
        }
        if (!WriteFile(path, bytes.data(), bytes.size(), &reason)) {
            return Fail(reason);
        }
    }
    return 0;
}

int MakeContactSheet(const std::string& manifestPath, const std::string& folder,
                     const std::string& outPath) {
    appres::SkinManifest manifest;
    std::string reason;
    if (!appres::SkinManifest::Load(manifestPath, &manifest, &reason)) {
        return Fail(reason);
    }
    std::string loadErrors;
    const platform::ImageLoader loader(
        folder, [&](const std::string& line) { loadErrors += "\n  " + line; });
    const auto sheet = appres::SkinContactSheet::Make(manifest, loader, &reason);
    std::vector<uint8_t> bytes;
    if (!sheet) {
        return Fail(outPath + ": " + reason + loadErrors);
    }
    if (!platform::EncodePng(*sheet, &bytes, &reason) ||
        !WriteFile(outPath, bytes.data(), bytes.size(), &reason)) {
        return Fail(outPath + ": " + reason);
    }
    return 0;
}

// A C++ string literal for `text`. Bytes outside printable ASCII are written
// as three-digit octal escapes, which never run into a following digit.
std::string CppLiteral(const std::string& text) {
    std::string out = "\"";
    for (const unsigned char c : text) {
        if (c == '\\' || c == '"') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char octal[5];
            std::snprintf(octal, sizeof octal, "\\%03o", c);
            out += octal;
        }
    }
    return out + "\"";
}

bool ReadStrings(const std::string& path, std::vector<StringSourceEntry>* entries,
                 std::string* reason) {
    std::string source;
    if (!ResourceTextFile::ReadFile(path, &source, reason)) {
        return false;
    }
    if (!ResourceTextFile::ParseStringTable(source, entries, reason)) {
        *reason = path + ": " + *reason;
        return false;
    }
    return true;
}

int MakeStringTable(const std::string& stringsPath, const std::string& outPath) {
    std::vector<StringSourceEntry> entries;
    std::string reason;
    if (!ReadStrings(stringsPath, &entries, &reason)) {
        return Fail(reason);
    }
    std::string code =
        "// Made by pemu_resgen from strings.txt; edit that file instead.\n"
        "#include \"app/res/string_table.h\"\n\n"
        "namespace appres {\n\n"
        "const StringTable::Entry StringTable::kEntries[] = {\n";
    for (const StringSourceEntry& e : entries) {
        code += "    {" + std::to_string(e.id) + ", " + CppLiteral(e.text) + "},\n";
    }
    code += "};\n\nconst size_t StringTable::kEntryCount = " + std::to_string(entries.size()) +
            ";\n\n}  // namespace appres\n";
    return WriteFile(outPath, code, &reason) ? 0 : Fail(reason);
}

// A PO string: quoted, with backslash, quote, tab and line break escaped.
std::string PoString(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '"':
                out += "\\\"";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                out += c;
        }
    }
    return out + "\"";
}

int MakePseudoCatalog(const std::string& stringsPath, const std::string& captionsPath,
                      const std::string& outPath) {
    std::vector<StringSourceEntry> entries;
    std::string captionSource;
    std::vector<std::string> captions;
    std::string reason;
    if (!ReadStrings(stringsPath, &entries, &reason) ||
        !ResourceTextFile::ReadFile(captionsPath, &captionSource, &reason)) {
        return Fail(reason);
    }
    if (!ResourceTextFile::ParseTextList(captionSource, &captions, &reason)) {
        return Fail(captionsPath + ": " + reason);
    }
    std::vector<std::string> texts;
    for (const StringSourceEntry& e : entries) {
        texts.push_back(e.text);
    }
    texts.insert(texts.end(), captions.begin(), captions.end());

    std::string po =
        "# Pseudo-locale of the tests, made by pemu_resgen; edit strings.txt or\n"
        "# captions.txt instead.\n"
        "msgid \"\"\n"
        "msgstr \"\"\n"
        "\"Project-Id-Version: Pemu\\n\"\n"
        "\"Language: " +
        std::string(appres::kPseudoLocale) +
        "\\n\"\n"
        "\"MIME-Version: 1.0\\n\"\n"
        "\"Content-Type: text/plain; charset=UTF-8\\n\"\n"
        "\"Content-Transfer-Encoding: 8bit\\n\"\n";
    std::set<std::string> seen;
    for (const std::string& text : texts) {
        if (!seen.insert(text).second) {
            continue;  // the string table and the captions share some texts
        }
        po += "\n";
        if (text.find('%') != std::string::npos) {
            po += "#, c-format\n";
        }
        po += "msgid " + PoString(text) + "\nmsgstr " + PoString(appres::PseudoTranslate(text)) +
              "\n";
    }
    return WriteFile(outPath, po, &reason) ? 0 : Fail(reason);
}

}  // namespace

// The contact sheet's labels load fonts through pango, which keeps
// fontconfig's patterns cached until the process ends and has no safe way to
// free them; in sanitizer builds the leak checker leaves that cache alone.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 3 && args[0] == "images") {
        return MakeImages(args[1], args[2]);
    }
    if (args.size() == 4 && args[0] == "sheet") {
        return MakeContactSheet(args[1], args[2], args[3]);
    }
    if (args.size() == 3 && args[0] == "strings") {
        return MakeStringTable(args[1], args[2]);
    }
    if (args.size() == 4 && args[0] == "pseudo") {
        return MakePseudoCatalog(args[1], args[2], args[3]);
    }
    return Fail(
        "usage: pemu_resgen images <manifest> <skin folder> | sheet <manifest> <skin folder> "
        "<out.png> | strings <strings.txt> <out.cpp> | pseudo <strings.txt> <captions.txt> "
        "<out.po>");
}
