#include "imaging/exif.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "imaging/file_structure.h"

namespace {

constexpr uint16_t kOrientationTag = 0x0112;
constexpr uint16_t kTypeShort = 3;

int OrientationFromTiff(const uint8_t* tiff, size_t size)
{
    int orientation = 1;
    ForEachTiffEntry(tiff, size, [&](const TiffReader& reader, const TiffEntry& entry) {
        if (entry.tag != kOrientationTag) return true;
        uint16_t value = 0;
        if (entry.type == kTypeShort && entry.count == 1 && reader.U16(entry.valueAt, value) && value >= 1 && value <= 8)
            orientation = value;
        return false;
    });
    return orientation;
}

}  // namespace

// Cameras put Exif right after SOI, but JFIF APP0 or XMP (also APP1) may come first.
int ReadExifOrientation(const uint8_t* data, size_t size)
{
    static const uint8_t kExifId[6] = {'E', 'x', 'i', 'f', 0, 0};
    int orientation = 1;
    ForEachJpegSegment(data, size, [&](uint8_t marker, const uint8_t* payload, size_t payloadSize) {
        if (marker != 0xE1 || payloadSize < sizeof kExifId || std::memcmp(payload, kExifId, sizeof kExifId) != 0) return true;
        orientation = OrientationFromTiff(payload + sizeof kExifId, payloadSize - sizeof kExifId);
        return false;
    });
    return orientation;
}

bool OrientationSwapsSides(int orientation)
{
    return orientation >= 5 && orientation <= 8;
}

// Upright picture D (dw x dh) from stored picture S (W x H), EXIF's meaning of each value:
//   2 mirror:        D(x,y) = S(W-1-x, y)        6 turn right:  D(x,y) = S(y, H-1-x)
//   3 half turn:     D(x,y) = S(W-1-x, H-1-y)    7 transverse:  D(x,y) = S(W-1-y, H-1-x)
//   4 upside down:   D(x,y) = S(x, H-1-y)        8 turn left:   D(x,y) = S(W-1-y, x)
//   5 transpose:     D(x,y) = S(y, x)
// Written as a start pixel in S plus steps in S per unit of x and y of D, then walked in
// 64 x 64 tiles so the turns stay cache-friendly on big pictures.
// False only when memory for the turned copy ran out (the picture is then left as it was).
bool ApplyOrientation(Image& image, int orientation)
{
    if (orientation < 2 || orientation > 8 || image.Empty())
        return true;
    const int w = image.width, h = image.height;
    const bool swap = OrientationSwapsSides(orientation);
    Image result;
    if (!result.Allocate(swap ? h : w, swap ? w : h))
        return false;

    // Source column/row for D's origin and how they move with D's x and y.
    int x0 = 0, y0 = 0, sxPerX = 1, syPerX = 0, sxPerY = 0, syPerY = 1;
    switch (orientation) {
    case 2: x0 = w - 1; sxPerX = -1; break;
    case 3: x0 = w - 1; y0 = h - 1; sxPerX = -1; syPerY = -1; break;
    case 4: y0 = h - 1; syPerY = -1; break;
    case 5: sxPerX = 0; syPerX = 1; sxPerY = 1; syPerY = 0; break;
    case 6: y0 = h - 1; sxPerX = 0; syPerX = -1; sxPerY = 1; syPerY = 0; break;
    case 7: x0 = w - 1; y0 = h - 1; sxPerX = 0; syPerX = -1; sxPerY = -1; syPerY = 0; break;
    case 8: x0 = w - 1; sxPerX = 0; syPerX = 1; sxPerY = -1; syPerY = 0; break;
    }
    const ptrdiff_t stepX = ptrdiff_t{syPerX} * image.stride + ptrdiff_t{sxPerX} * 3;
    const uint8_t* source = image.pixels.data();
    constexpr int kTile = 64;
    for (int ty = 0; ty < result.height; ty += kTile) {
        const int yEnd = std::min(ty + kTile, result.height);
        for (int tx = 0; tx < result.width; tx += kTile) {
            const int xEnd = std::min(tx + kTile, result.width);
            for (int y = ty; y < yEnd; ++y) {
                const int sx = x0 + sxPerX * tx + sxPerY * y;
                const int sy = y0 + syPerX * tx + syPerY * y;
                ptrdiff_t from = ptrdiff_t{sy} * image.stride + ptrdiff_t{sx} * 3;
                uint8_t* dst = result.Row(y) + ptrdiff_t{tx} * 3;
                for (int x = tx; x < xEnd; ++x, from += stepX, dst += 3) {
                    const uint8_t* src = source + from;
                    dst[0] = src[0];
                    dst[1] = src[1];
                    dst[2] = src[2];
                }
            }
        }
    }
    image = std::move(result);
    return true;
}
