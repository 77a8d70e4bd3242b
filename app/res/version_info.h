// The program's version resource: its file version, from the project version
// the build is made with, and the date the program was compiled.
//
// The version line of the tray menu and the About page show these; the update
// check compares an offered version with them. Constant data, any thread.
#pragma once

#include <cstdint>

namespace appres {

struct FileVersion {
    uint16_t major = 0;
    uint16_t minor = 0;
    uint16_t build = 0;
    uint16_t revision = 0;
    constexpr bool operator==(const FileVersion&) const = default;
};

// The program's file version (major, minor, build, revision).
FileVersion ProgramFileVersion();

// The compile date as the compiler writes it, e.g. "Jan  6 2015".
const char* ProgramBuildDate();

}  // namespace appres
