// Where tests keep what a person should look at (screenshots):
// $PEMU_TEST_ARTIFACTS, else test-artifacts/ under the folder the test runs in.
#pragma once

#include <cairo.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/draw/surface.h"

namespace platform {

inline std::filesystem::path ArtifactPath(const std::string& name) {
    const char* dir = std::getenv("PEMU_TEST_ARTIFACTS");
    std::filesystem::path folder = dir && *dir ? dir : "test-artifacts";
    std::filesystem::create_directories(folder);
    return folder / name;
}

// Writes `surface` as a PNG artefact; false when cairo could not.
inline bool SaveArtifact(const Surface& surface, const std::string& name) {
    surface.ConstPixels();  // pending drawing finished
    return cairo_surface_write_to_png(surface.CairoSurface(), ArtifactPath(name).c_str()) ==
           CAIRO_STATUS_SUCCESS;
}

}  // namespace platform
