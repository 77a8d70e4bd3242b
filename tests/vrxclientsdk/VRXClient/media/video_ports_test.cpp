#include "vrxclientsdk/VRXClient/media/VideoPorts.h"

#include <gtest/gtest.h>

TEST(VideoPortsTest, StepsStayInsideTheRange) {
    struct Case {
        int port;
        unsigned step;
        uint16_t next;
    } cases[] = {
        {10000, 1, 10001},   {65535, 0, 65535}, {65535, 1, 1024}, {65000, 999, 1487},
        {59999, 999, 60998}, {0, 5, 1029},      {80, 0, 1024},    {1024, 64512, 1024},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.port) + " + " + std::to_string(c.step));
        const uint16_t next = StepVideoPort(c.port, c.step);
        EXPECT_EQ(next, c.next);
        EXPECT_TRUE(IsValidVideoPort(next));
    }
    EXPECT_FALSE(IsValidVideoPort(0));
    EXPECT_FALSE(IsValidVideoPort(1023));
    EXPECT_FALSE(IsValidVideoPort(65536));
}
