#pragma once
// Planar RGB pictures of 1 to 16 bits a sample, as libheif gives the HEVC and AV1 pictures
// of HEIF files, turned into our 8-bit BGR, reduced by a whole factor on the way.
#include <cstddef>
#include <cstdint>

#include "imaging/image.h"

struct SamplePlane {
    const uint8_t* data = nullptr;  // samples of `bits` > 8 are 16-bit little-endian words
    ptrdiff_t stride = 0;           // bytes from one row to the next
    int width = 0, height = 0;
    int bits = 8;                   // 1..16: the samples run from 0 to 2^bits - 1
};

struct PlanarPicture {
    int width = 0, height = 0;
    SamplePlane red, green, blue;
    SamplePlane alpha;  // no data: opaque
    bool premultiplied = false;
};

// The largest whole factor by which the picture can be reduced and still be at least
// minWidth x minHeight (each side rounded up). 1 for 0 x 0 or when the picture is not larger.
int ChoosePlanarReduction(int width, int height, int minWidth, int minHeight);

// The picture in 8-bit BGR, ceil(width / factor) x ceil(height / factor): each pixel the mean
// of its factor x factor box (the last row and column of boxes may be cut short), rounded to
// 8 bits, not cut. Transparent parts come out on white, each pixel laid over white before
// the boxes are averaged. False when a plane is smaller than the picture, or memory runs
// out; `out` is then empty.
bool PlanarToBgr(const PlanarPicture& picture, int factor, Image& out);
