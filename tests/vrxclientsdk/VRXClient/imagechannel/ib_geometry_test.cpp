#include <gtest/gtest.h>

#include "vrxclientsdk/VRXClient/imagechannel/IBGeometry.h"

TEST(IBGeometryTest, CalcSizeNeverEnlargesAndKeepsTheAspectWhenAsked) {
    struct Case {
        int sw, sh, rw, rh;
        bool keep;
        int ow, oh;
    } cases[] = {
        {1280, 720, 1920, 1080, true, 1280, 720},   // never enlarged
        {1920, 1080, 1280, 720, true, 1280, 720},   // same aspect
        {1280, 1024, 1280, 720, true, 900, 720},    // fitted to the height
        {1280, 1024, 1280, 720, false, 1280, 720},  // stretched
        {1024, 1280, 720, 1280, true, 720, 900},    // fitted to the width
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.sw << "x" << c.sh << " in " << c.rw << "x" << c.rh);
        int ow = 0, oh = 0;
        CalcSize(c.sw, c.sh, c.rw, c.rh, c.keep, &ow, &oh);
        EXPECT_EQ(ow, c.ow);
        EXPECT_EQ(oh, c.oh);
    }
}

TEST(IBGeometryTest, StartGeometryTable) {
    struct Case {
        const char* name;
        int split, overscanX, overscanY, windowW, windowH, encoding;
        boost::logic::tribool aspect;
        IBStartGeometry g;
    } cases[] = {
        {"whole picture, split 0",
         0,
         0,
         0,
         1920,
         1080,
         4,
         boost::logic::indeterminate,
         {0, 0, 1920, 1080, 1920, 1080, 0, 0}},
        {"split 5 is the whole picture",
         5,
         0,
         0,
         1920,
         1080,
         4,
         boost::logic::indeterminate,
         {0, 0, 1920, 1080, 1920, 1080, 0, 0}},
        {"split 4: lower right, stretched, rounded to 16",
         4,
         0,
         0,
         1920,
         1080,
         4,
         boost::logic::indeterminate,
         {960, 540, 960, 540, 960, 528, 960, 546}},
        {"split 2: upper right",
         2,
         0,
         0,
         1920,
         1080,
         2,
         boost::logic::indeterminate,
         {960, 0, 960, 540, 960, 540, 960, 0}},
        {"overscan, odd x margin rounded down",
         0,
         5,
         10,
         1920,
         1080,
         2,
         true,
         {4, 10, 1912, 1060, 1884, 1060, 18, 10}},
        {"JPEG x offset on the 16-pixel grid",
         0,
         0,
         0,
         1280,
         1024,
         4,
         true,
         {0, 0, 1920, 1080, 1280, 1024, 320, 28}},
        {"H.264 output sizes are even",
         0,
         0,
         0,
         1279,
         719,
         7,
         true,
         {0, 0, 1920, 1080, 1278, 718, 321, 181}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        IBStartRequest r;
        r.deviceWidth = 1920;
        r.deviceHeight = 1080;
        r.split = c.split;
        r.overscanX = c.overscanX;
        r.overscanY = c.overscanY;
        r.windowWidth = c.windowW;
        r.windowHeight = c.windowH;
        r.encoding = c.encoding;
        r.aspect = c.aspect;
        IBStartGeometry g;
        ASSERT_TRUE(ComputeStartGeometry(r, &g));
        EXPECT_EQ(g.regionX, c.g.regionX);
        EXPECT_EQ(g.regionY, c.g.regionY);
        EXPECT_EQ(g.regionWidth, c.g.regionWidth);
        EXPECT_EQ(g.regionHeight, c.g.regionHeight);
        EXPECT_EQ(g.outputWidth, c.g.outputWidth);
        EXPECT_EQ(g.outputHeight, c.g.outputHeight);
        EXPECT_EQ(g.x, c.g.x);
        EXPECT_EQ(g.y, c.g.y);
    }
}

TEST(IBGeometryTest, EmptySizesFailInsteadOfDividingByZero) {
    struct Case {
        const char* name;
        int deviceW, overscanX, windowW;
        double scale;
        int encoding;
    } cases[] = {
        {"zero window", 1920, 0, 0, 1.0, 4},
        {"scaled to nothing", 1920, 0, 1280, 0.0, 4},
        {"overscan eats the region", 1920, 960, 1280, 1.0, 4},
        {"zero receiver picture", 0, 0, 1280, 1.0, 2},
        {"output rounded away", 10, 0, 1280, 1.0, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        IBStartRequest r;
        r.deviceWidth = c.deviceW;
        r.deviceHeight = 1080;
        r.overscanX = c.overscanX;
        r.windowWidth = c.windowW;
        r.windowHeight = 720;
        r.scale = c.scale;
        r.encoding = c.encoding;
        IBStartGeometry g;
        EXPECT_FALSE(ComputeStartGeometry(r, &g));
    }
}
