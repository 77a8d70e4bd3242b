// The entry points of the H.264 encoder module "Vemrin" (libVemrin.so), as
// the image channel resolves them by name. C linkage, so that the names in
// the module are exactly these.
#pragma once

#include <cstdint>

// ABI of the entries below; Vemrin_Version returns it.
constexpr int kVemrinAbiVersion = 1;

extern "C" {
// Returns the module's ABI version (kVemrinAbiVersion of the build).
using VemrinVersionFn = int (*)();
}

constexpr const char kVemrinModuleName[] = "Vemrin";
constexpr const char kVemrinVersionEntry[] = "Vemrin_Version";
