#include "imaging/picture_probe.h"

#include <cstring>

#include "imaging/image.h"

namespace {

uint32_t Be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }
uint32_t Le32(const uint8_t* p) { return uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0]; }
uint16_t Le16(const uint8_t* p) { return uint16_t(p[1] << 8 | p[0]); }
uint16_t Be16(const uint8_t* p) { return uint16_t(p[0] << 8 | p[1]); }

// ImageWidth (256) and ImageLength (257) of the first IFD.
void ProbeTiff(const uint8_t* data, size_t size, PictureProbe& out)
{
    const bool little = data[0] == 'I';
    auto u16 = [&](size_t at) { return little ? Le16(data + at) : Be16(data + at); };
    auto u32 = [&](size_t at) { return little ? Le32(data + at) : Be32(data + at); };
    const uint32_t ifd = u32(4);
    if (ifd < 8 || ifd > size - 2) return;
    const uint16_t entries = u16(ifd);
    for (uint32_t i = 0; i < entries; ++i) {
        const size_t at = ifd + 2 + size_t(i) * 12;
        if (at + 12 > size) return;
        const uint16_t tag = u16(at), type = u16(at + 2);
        const uint32_t value = type == 3 ? u16(at + 8) : u32(at + 8);
        if (tag == 256) out.width = value;
        if (tag == 257) out.height = value;
    }
}

} // namespace

PictureProbe ProbePicture(const uint8_t* data, size_t size)
{
    PictureProbe out;
    if (size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF) {
        out.format = PictureFormat::Jpeg;
    } else if (size >= 24 && std::memcmp(data, "\x89PNG\r\n\x1a\n", 8) == 0) {
        out.format = PictureFormat::Png;
        out.width = Be32(data + 16);
        out.height = Be32(data + 20);
    } else if (size >= 10 && (std::memcmp(data, "GIF87a", 6) == 0 || std::memcmp(data, "GIF89a", 6) == 0)) {
        out.format = PictureFormat::Gif;
        out.width = Le16(data + 6);
        out.height = Le16(data + 8);
    } else if (size >= 26 && data[0] == 'B' && data[1] == 'M') {
        out.format = PictureFormat::Bmp;
        const uint32_t header = Le32(data + 14);
        if (header == 12) {
            out.width = Le16(data + 18);
            out.height = Le16(data + 20);
        } else {
            out.width = static_cast<int32_t>(Le32(data + 18));
            const int32_t h = static_cast<int32_t>(Le32(data + 22));
            out.height = h < 0 ? -static_cast<int64_t>(h) : h;  // negative: rows top-down
        }
    } else if (size >= 8 && ((data[0] == 'I' && data[1] == 'I' && data[2] == 42 && data[3] == 0) ||
                             (data[0] == 'M' && data[1] == 'M' && data[2] == 0 && data[3] == 42))) {
        out.format = PictureFormat::Tiff;
        ProbeTiff(data, size, out);
    }
    return out;
}

bool ClaimedSizeAcceptable(const PictureProbe& probe)
{
    if (probe.width < 0 || probe.height < 0) return false;
    if (probe.width > kMaxSide || probe.height > kMaxSide) return false;
    return probe.width * probe.height <= kMaxPixels;
}
