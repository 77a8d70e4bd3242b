// Fonts for test binaries that draw or measure text; compiled into every
// binary that links pemu_test_fonts.
//
// Before main runs, fontconfig is pointed at fonts.conf, which sets every
// family in DejaVu Sans, so text renders the same on every machine.
#include <cstdlib>

namespace {

const bool kTestFontsReady = [] {
    setenv("FONTCONFIG_FILE", PEMU_TEST_FONTS_CONF, 1);
    return true;
}();

}  // namespace

// pango keeps the fonts it has loaded, and fontconfig's patterns with them,
// until the process ends; it has no tear-down that is safe to call (fontconfig
// asserts when its caches are freed while fonts are in use). Those patterns
// are the library's own cache, not ours, so the leak checker is told to
// ignore fontconfig's allocations.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
