// Writes a text file for a test, creating its folders.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>

namespace porvane_test {

inline void WriteFile(const std::filesystem::path& path, const std::string& text) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path) << text;
}

}  // namespace porvane_test
