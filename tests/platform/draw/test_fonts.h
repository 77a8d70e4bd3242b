// Fonts for tests that draw or measure text.
//
// Link the `pemu_test_fonts` target and include this header in any file of
// the test binary: before main runs, fontconfig is pointed at fonts.conf
// beside this file, which sets every family in DejaVu Sans, so text renders
// the same on every machine; after the last test the font caches are freed
// so that the leak checker sees a clean exit.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/draw/text_layout.h"

namespace platform {

class TestFontsEnvironment : public testing::Environment {
public:
    void TearDown() override { ReleaseTextCaches(); }
};

// True once the test fonts are in place; one instance per test binary.
inline const bool kTestFontsReady = [] {
    setenv("FONTCONFIG_FILE", PEMU_TEST_FONTS_CONF, 1);
    testing::AddGlobalTestEnvironment(new TestFontsEnvironment);
    return true;
}();

}  // namespace platform
