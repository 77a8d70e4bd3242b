#include "vrxclientsdk/VRXClient/imagechannel/IBGeometry.h"

#include <cstdint>

#include "vrxclientsdk/VRXClient/imagechannel/ImageBlockWire.h"

void CalcSize(int sw, int sh, int rw, int rh, bool keep, int* ow, int* oh) {
    if (rw >= sw && rh >= sh) {
        *ow = sw;
        *oh = sh;
    } else if (!keep) {
        *ow = rw;
        *oh = rh;
    } else if (static_cast<double>(rh) / sh > static_cast<double>(rw) / sw) {
        *ow = rw;
        *oh = static_cast<int>(int64_t{sh} * rw / sw);
    } else {
        *ow = static_cast<int>(int64_t{sw} * rh / sh);
        *oh = rh;
    }
}

bool ComputeStartGeometry(const IBStartRequest& r, IBStartGeometry* g) {
    const bool quarter = r.split >= 1 && r.split <= 4;
    const int dow = r.overscanX & ~1;
    const int scaledW = static_cast<int>(r.windowWidth * r.scale);
    const int scaledH = static_cast<int>(r.windowHeight * r.scale);
    g->regionWidth = r.deviceWidth - 2 * dow;
    g->regionHeight = r.deviceHeight - 2 * r.overscanY;
    g->regionX = dow;
    g->regionY = r.overscanY;
    if (quarter) {
        g->regionWidth /= 2;
        g->regionHeight /= 2;
        if (r.split == 2 || r.split == 4) {
            g->regionX += g->regionWidth;
        }
        if (r.split == 3 || r.split == 4) {
            g->regionY += g->regionHeight;
        }
    }
    // The size calculations divide by these.
    if (scaledW <= 0 || scaledH <= 0 || g->regionWidth <= 0 || g->regionHeight <= 0) {
        return false;
    }
    const bool keep = r.aspect ? true : !r.aspect ? false : !quarter;
    CalcSize(scaledW, scaledH, g->regionWidth, g->regionHeight, keep, &g->outputWidth,
             &g->outputHeight);
    const bool jpeg = r.encoding == ibwire::kEncodingJpeg;
    const bool h264 = r.encoding == ibwire::kEncodingH264;
    if ((jpeg || h264) && (g->outputWidth != r.windowWidth || g->outputHeight != r.windowHeight)) {
        g->outputWidth &= ~15;
        g->outputHeight &= ~15;
    }
    if (h264) {
        // 4:2:0 pictures have even sizes.
        g->outputWidth &= ~1;
        g->outputHeight &= ~1;
    }
    if (g->outputWidth <= 0 || g->outputHeight <= 0) {
        return false;
    }
    g->x = g->regionX + (g->regionWidth - g->outputWidth) / 2;
    g->y = g->regionY + (g->regionHeight - g->outputHeight) / 2;
    if (jpeg) {
        g->x &= ~15;
    }
    return true;
}
