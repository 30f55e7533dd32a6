#pragma once
// JPEG reading through libjpeg-turbo (jpeg_io.cpp), writing through mozjpeg (jpeg_encode.cpp).
// No libjpeg type leaks out of here.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "imaging/image.h"

struct JpegHeader {
    int width = 0, height = 0;  // as stored, before the orientation is applied
    int orientation = 1;        // EXIF orientation 1..8
    bool progressive = false;
};

// Header and EXIF orientation only; allocates no pixels. Reports any size, even one DecodeJpeg refuses.
bool ReadJpegHeader(const uint8_t* data, size_t size, JpegHeader& out);
// The DCT-domain scale M/8 (M = 1..8) DecodeJpeg uses for a stored size and a minimum result.
int ChooseDctScale(int width, int height, int minWidth, int minHeight);
// Decodes at the smallest scale M/8 whose result is at least minWidth x minHeight (0 x 0 = full
// size). The minimum is in the stored orientation: swap it when OrientationSwapsSides(). A stored
// size over kMaxPixels is refused before any allocation; any libjpeg error, data that ends
// early or a flood of warnings fails. out is empty on failure. Reentrant, like everything here.
// CMYK comes out as sRGB through the file's CMYK profile, or naively without a usable one; an
// RGB or grey file's profile is left to ConvertToSrgb (imaging/colour.h).
// With threads >= 2 a large progressive colour file decodes its luma and its chroma scans on
// two threads, to the same pixels; for a picture decoded on its own, not beside others.
bool DecodeJpeg(const uint8_t* data, size_t size, int minWidth, int minHeight, Image& out, int threads = 1);
// That two-thread decode alone, at any size: false, and `out` empty, for a file that is not a
// progressive three-component YCbCr file of well-formed segments, or when any part fails.
// Whenever it succeeds, the one-thread decode gives the same pixels.
bool DecodeJpegOnTwoThreads(const uint8_t* data, size_t size, int minWidth, int minHeight, Image& out);
// Baseline JPEG, quality 1..100 (anything else fails), optimised Huffman tables, 4:2:0, JFIF
// 300 dpi, and `exifApp1` (MakeExifApp1's bytes) as an APP1 right after JFIF when given; no other markers.
bool EncodeJpeg(const Image& image, int quality, std::vector<uint8_t>& out, const std::vector<uint8_t>& exifApp1 = {});
