// Marks what Porvane exports from its shared library; everything else stays
// inside it.
#pragma once

#define PORVANE_EXPORT __attribute__((visibility("default")))
