// The entry points of the JPEG encoder module "Pexlo" (libPexlo.so), as the
// image channel resolves them by name. C linkage, so that the names in the
// module are exactly these.
#pragma once

#include <cstdint>

// ABI of the entries below; Pexlo_Version returns it.
constexpr int kPexloAbiVersion = 1;

extern "C" {
// Returns the module's ABI version (kPexloAbiVersion of the build).
using PexloVersionFn = int (*)();
}

constexpr const char kPexloModuleName[] = "Pexlo";
constexpr const char kPexloVersionEntry[] = "Pexlo_Version";
