#include "app/res/version_info.h"

// The four parts come from the project version (CMake's PROJECT_VERSION_*),
// set on this file by app/res/CMakeLists.txt.
#ifndef PEMU_VERSION_MAJOR
#error "PEMU_VERSION_MAJOR, _MINOR, _BUILD and _REVISION must be defined by the build"
#endif

namespace appres {

FileVersion ProgramFileVersion() {
    return {PEMU_VERSION_MAJOR, PEMU_VERSION_MINOR, PEMU_VERSION_BUILD, PEMU_VERSION_REVISION};
}

const char* ProgramBuildDate() {
    return __DATE__;
}

}  // namespace appres
