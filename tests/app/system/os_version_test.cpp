// The operating-system codes of both classifications.
#include "app/system/os_version.h"

#include <gtest/gtest.h>

namespace pemuapp {
namespace {

OsVersionInfo V(uint32_t platform, uint32_t major, uint32_t minor, uint16_t sp = 0,
                const char* spText = "", uint8_t product = kWorkstation, uint16_t suite = 0,
                bool r2 = false) {
    OsVersionInfo v;
    v.platformId = platform;
    v.major = major;
    v.minor = minor;
    v.servicePackMajor = sp;
    v.servicePackText = spText;
    v.productType = product;
    v.suiteMask = suite;
    v.serverR2 = r2;
    return v;
}

TEST(OsVersionTest, BothClassificationsTable) {
    constexpr uint8_t kServer = 3;
    // clang-format off
    struct Row { const char* what; OsVersionInfo v; int code; int legacy; int extended; bool newPower; } rows[] = {
        {"Win32s",                V(0, 3, 1),                                  1, 1, 1, false},
        {"4.0 of the 9x line",    V(1, 4, 0),                                  2, 2, 2, false},
        {"4.10",                  V(1, 4, 10),                                 3, 3, 3, false},
        {"4.90",                  V(1, 4, 90),                                 4, 4, 4, false},
        {"4.50 of the 9x line",   V(1, 4, 50),                                 0, 0, 0, false},
        {"NT 4.0",                V(2, 4, 0),                                  5, 5, 5, false},
        {"NT 10.0",               V(2, 10, 0),                                 5, 5, 5, false},
        {"5.0",                   V(2, 5, 0),                                  6, 6, 6, false},
        {"5.1 no service pack",   V(2, 5, 1, 0, ""),                           12, 0, 0, false},
        {"5.1 SP1",               V(2, 5, 1, 1, "Service Pack 1"),             13, 12, 12, false},
        {"5.1 SP2",               V(2, 5, 1, 2, "Service Pack 2"),             14, 14, 14, false},
        {"5.1 SP3",               V(2, 5, 1, 3, "Service Pack 3"),             15, 14, 14, false},
        {"5.1 SP4",               V(2, 5, 1, 4, "Service Pack 4"),             12, 0, 0, false},
        {"5.2 workstation",       V(2, 5, 2),                                  16, 15, 15, false},
        {"5.2 server",            V(2, 5, 2, 0, "", kServer),                  9, 9, 9, false},
        {"5.2 home server",       V(2, 5, 2, 0, "", kServer, kSuiteHomeServer), 9, 7, 9, false},
        {"5.2 R2 (metric first)", V(2, 5, 2, 0, "", kServer, kSuiteHomeServer, true), 9, 8, 9, false},
        {"5.3",                   V(2, 5, 3),                                  10, 10, 10, false},
        {"5.4",                   V(2, 5, 4),                                  0, 0, 0, false},
        {"6.0",                   V(2, 6, 0),                                  17, 16, 16, true},
        {"6.1",                   V(2, 6, 1),                                  18, 17, 17, true},
        {"6.2",                   V(2, 6, 2),                                  19, 18, 18, true},
        {"6.3",                   V(2, 6, 3),                                  0, 0, 0, false},
    };
    // clang-format on
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        EXPECT_EQ(ClassifyOsVersion(r.v), r.code);
        EXPECT_EQ(ClassifyOsVersionLegacy(r.v), r.legacy);
        int type = -1;
        EXPECT_EQ(ClassifyForExtendedDesktop(r.v, &type), r.extended != 0);
        if (r.extended != 0) {
            EXPECT_EQ(type, r.extended);
        }
        EXPECT_EQ(IsNewPowerApi(r.v), r.newPower);
    }
}

TEST(OsVersionTest, ThisSystemTakesTheModernWays) {
    const OsVersionInfo v = CurrentOsVersion();
    EXPECT_EQ(ClassifyOsVersion(v), 19);
    EXPECT_EQ(ClassifyOsVersionLegacy(v), 18);
    EXPECT_TRUE(IsNewPowerApi(v));
}

}  // namespace
}  // namespace pemuapp
