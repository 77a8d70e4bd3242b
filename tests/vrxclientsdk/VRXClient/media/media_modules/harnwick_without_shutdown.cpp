// A build of the web-server module under its real name that lacks the
// HWKShutdown entry. The entries it has end the process when called: a
// module without all its entries must never be called at all.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#define EXPORT extern "C" __attribute__((visibility("default")))

EXPORT bool HWKInit(uint16_t) {
    std::abort();
}
EXPORT bool HWKRegisterW(const wchar_t*, char*, size_t) {
    std::abort();
}
EXPORT bool HWKDeregisterW(const wchar_t*) {
    std::abort();
}
EXPORT bool HWKDeregisterByURL(const char*) {
    std::abort();
}
