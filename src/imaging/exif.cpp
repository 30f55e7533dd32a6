#include "imaging/exif.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

constexpr uint16_t kOrientationTag = 0x0112;
constexpr uint16_t kTypeShort = 3;

// Bounds-checked reads from a TIFF block in its own byte order. Offsets come from the
// file, so they are 64-bit here and every read is checked against the block's end.
struct TiffReader {
    const uint8_t* data;
    size_t size;
    bool bigEndian;

    bool U16(uint64_t at, uint16_t& value) const
    {
        if (at + 2 > size)
            return false;
        const uint8_t* p = data + at;
        value = bigEndian ? static_cast<uint16_t>(p[0] << 8 | p[1]) : static_cast<uint16_t>(p[1] << 8 | p[0]);
        return true;
    }
    bool U32(uint64_t at, uint32_t& value) const
    {
        uint16_t a = 0, b = 0;
        if (!U16(at, a) || !U16(at + 2, b))
            return false;
        value = bigEndian ? (uint32_t{a} << 16 | b) : (uint32_t{b} << 16 | a);
        return true;
    }
};

// Only IFD0 is read: it describes the main picture (IFD1 is the thumbnail's), so no offset
// chain is ever followed and a looping file cannot keep us here.
int OrientationFromTiff(const uint8_t* tiff, size_t size)
{
    if (size < 8)
        return 1;
    TiffReader reader{tiff, size, false};
    if (tiff[0] == 'M' && tiff[1] == 'M')
        reader.bigEndian = true;
    else if (tiff[0] != 'I' || tiff[1] != 'I')
        return 1;
    uint16_t magic = 0, count = 0;
    uint32_t ifd = 0;
    if (!reader.U16(2, magic) || magic != 42 || !reader.U32(4, ifd) || !reader.U16(ifd, count))
        return 1;
    for (uint32_t i = 0; i < count; ++i) {
        const uint64_t entry = uint64_t{ifd} + 2 + 12 * uint64_t{i};
        uint16_t tag = 0, type = 0, value = 0;
        uint32_t valueCount = 0;
        if (entry + 12 > size || !reader.U16(entry, tag))
            return 1;
        if (tag != kOrientationTag)
            continue;
        if (!reader.U16(entry + 2, type) || !reader.U32(entry + 4, valueCount) || !reader.U16(entry + 8, value))
            return 1;
        if (type != kTypeShort || valueCount != 1 || value < 1 || value > 8)
            return 1;
        return value;
    }
    return 1;
}

}  // namespace

// Walks the marker segments from SOI up to the first SOS, as far as the data goes. Cameras
// put Exif right after SOI, but JFIF APP0 or XMP (also APP1) may come first.
int ReadExifOrientation(const uint8_t* data, size_t size)
{
    if (!data || size < 4 || data[0] != 0xFF || data[1] != 0xD8)
        return 1;
    size_t pos = 2;
    while (pos + 2 <= size) {
        if (data[pos] != 0xFF)
            return 1;
        const uint8_t marker = data[pos + 1];
        if (marker == 0xFF) {  // fill byte before a marker
            ++pos;
            continue;
        }
        pos += 2;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8))  // markers without a length
            continue;
        if (marker == 0xDA || marker == 0xD9)  // image data (or the end) comes before any Exif
            return 1;
        if (pos + 2 > size)
            return 1;
        const size_t length = size_t{data[pos]} << 8 | data[pos + 1];
        if (length < 2 || length > size - pos)
            return 1;
        static const uint8_t kExifId[6] = {'E', 'x', 'i', 'f', 0, 0};
        if (marker == 0xE1 && length >= 2 + sizeof kExifId && std::memcmp(data + pos + 2, kExifId, sizeof kExifId) == 0)
            return OrientationFromTiff(data + pos + 2 + sizeof kExifId, length - 2 - sizeof kExifId);
        pos += length;
    }
    return 1;
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
