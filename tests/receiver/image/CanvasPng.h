// Writes the simulator's decoded picture to a PNG file (for people to look
// at: the run script, the demo).
#pragma once

#include <string>

#include "tests/receiver/image/Canvas.h"

namespace receiver {

// False, with the reason in *error, when the picture cannot be encoded or
// the file cannot be written.
bool WriteCanvasPng(const Canvas& canvas, const std::string& path, std::string* error);

}  // namespace receiver
