// The checks the running copy applies to the values of a command file.
// Pure functions.
#pragma once

#include <string_view>

namespace pemuapp {

// Exactly four dot-separated decimal parts, each made only of digits 0-9,
// not above 255, and without a leading zero on a part of two or three digits.
bool IsValidIPv4Text(std::string_view text);

// Empty, or exactly four digits 0-9.
bool IsValidLoginCodeText(std::string_view text);

}  // namespace pemuapp
