// Where and how large the image channel's picture lands on the receiver:
// the region of the receiver's picture given to this sender (split and
// overscan), the encoded output size, and the offsets added on the wire.
// Pure arithmetic, shared by Start and its tests.
#pragma once

#include <boost/logic/tribool.hpp>

struct IBStartGeometry {
    int regionX = 0, regionY = 0, regionWidth = 0, regionHeight = 0;
    int outputWidth = 0, outputHeight = 0;
    int x = 0, y = 0;  // offsets of the output inside the receiver's picture
};

struct IBStartRequest {
    int deviceWidth = 0, deviceHeight = 0;  // the receiver's picture
    int split = 0;                          // 1..4 a quarter, else the whole picture
    int overscanX = 0, overscanY = 0;       // margins (dow, doh)
    int windowWidth = 0, windowHeight = 0;  // captured window before scaling
    double scale = 1.0;
    boost::logic::tribool aspect = boost::logic::indeterminate;
    int encoding = 4;
};

// Output size for a scaled window inside a region: never enlarged; stretched
// to the region, or fitted keeping the aspect ratio.
void CalcSize(int scaledWidth, int scaledHeight, int regionWidth, int regionHeight, bool keep,
              int* outWidth, int* outHeight);

// Computes the geometry of a start. Returns false when a size comes out
// zero or negative (an empty window or region, or an output rounded away),
// which Start reports as a capture that cannot be opened.
bool ComputeStartGeometry(const IBStartRequest& request, IBStartGeometry* out);
