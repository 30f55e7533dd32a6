#pragma once
// The picture in memory between decoding and encoding.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "imaging/block_pool.h"

// The largest picture we ever hold in memory: 160 megapixels, 480 MB as BGR.
constexpr int64_t kMaxPixels = 160'000'000;
// JPEG's own limit on a side (libjpeg-turbo's JPEG_MAX_DIMENSION).
constexpr int kMaxSide = 65500;

// 8-bit BGR pixels, rows padded to a multiple of 4 bytes: the memory layout of a GDI+
// PixelFormat24bppRGB bitmap (GdipCreateBitmapFromScan0 can wrap it without a copy) and of
// libjpeg's JCS_EXT_BGR scanlines. Padding bytes are zero after Allocate.
struct Image {
    int width = 0, height = 0, stride = 0;
    std::vector<uint8_t, PooledAllocator<uint8_t>> pixels;

    bool Allocate(int w, int h);
    void Clear();
    bool Empty() const { return width <= 0 || height <= 0; }
    uint8_t* Row(int y) { return pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(stride); }
    const uint8_t* Row(int y) const { return pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(stride); }
};

// Bytes per row for a width: 3 per pixel, rounded up to a multiple of 4.
int StrideForWidth(int width);
