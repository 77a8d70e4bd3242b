// Reads the text sources of the program's resources: the string table
// (strings.txt: `<id> "<text>"` per line) and the list of captions that the
// catalogs translate (captions.txt: `"<text>"` per line).
//
// Texts are quoted and may use the escapes \n, \t, \" and \\; '#' starts a
// comment outside quotes; blank lines are skipped. Used by the resource
// generator and its tests. Parsing never throws: a bad line is rejected with
// its line number and reason.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace appres {

struct StringSourceEntry {
    uint32_t id = 0;
    std::string text;
};

class ResourceTextFile {
public:
    // The string table, sorted by id. Ids are 1..65535 and unique; texts are
    // not empty. False with "line N: why" in *reason otherwise.
    static bool ParseStringTable(std::string_view source, std::vector<StringSourceEntry>* out,
                                 std::string* reason);

    // The quoted texts of a caption list, in file order, each non-empty.
    static bool ParseTextList(std::string_view source, std::vector<std::string>* out,
                              std::string* reason);

    // The lines of `source`, without their line breaks; line N is element
    // N - 1. A text ending in a line break has an empty last line.
    static std::vector<std::string_view> Lines(std::string_view source);

    // Reads a whole file into *out; false with the reason when it cannot.
    static bool ReadFile(const std::string& path, std::string* out, std::string* reason);
};

}  // namespace appres
