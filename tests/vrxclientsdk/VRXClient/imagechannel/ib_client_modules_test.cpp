// Start without usable encoder modules: this binary runs from a folder of
// its own and points PEMU_MODULE_PATH at builds of the modules that lack
// their entries, before the process loads them.
#include <gtest/gtest.h>
#include <stdlib.h>

#include "vrxclientsdk/VRPClient/ErrorCodes.h"
#include "vrxclientsdk/VRXClient/ProcessGlobals.h"
#include "vrxclientsdk/VRXClient/imagechannel/IBClient.h"

TEST(IBClientModulesTest, CodingsWhoseModuleIsMissingFailStart) {
    ::setenv("PEMU_MODULE_PATH", PEMU_BROKEN_MODULE_DIR, 1);
    ASSERT_EQ(JpegEncoderModule(), nullptr);
    ASSERT_EQ(H264EncoderModule(), nullptr);
    struct Case {
        const char* name;
        int fmt;
        int code;
    } cases[] = {
        {"JPEG", 4, qkerr::kLoadJpegEncoder},
        {"H.264, loaded again and still missing", 7, qkerr::kOpenH264Encoder},
    };
    IBClient client(ProcessGlobals::Get().Encoders());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(client.Start(1280, 720, 32, 0, c.fmt, false, 1.0f, true, 0, 0), c.code);
        EXPECT_EQ(client.GetErrorCode(), c.code);
    }
    ::unsetenv("PEMU_MODULE_PATH");
}
