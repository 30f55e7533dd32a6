#include <gtest/gtest.h>

#include <string>

#include "imaging/picture_probe.h"

namespace {

PictureProbe Probe(const std::string& bytes)
{
    return ProbePicture(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

std::string Png(uint32_t w, uint32_t h)
{
    std::string s("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16);
    for (uint32_t v : {w, h})
        for (int shift = 24; shift >= 0; shift -= 8) s += static_cast<char>((v >> shift) & 0xFF);
    return s + std::string(5, '\0');
}

TEST(PictureProbe, ReadsClaimedSizes)
{
    PictureProbe png = Probe(Png(640, 427));
    EXPECT_EQ(png.format, PictureFormat::Png);
    EXPECT_EQ(png.width, 640);
    EXPECT_EQ(png.height, 427);
    EXPECT_TRUE(ClaimedSizeAcceptable(png));

    PictureProbe gif = Probe(std::string("GIF89a\x20\x03\x58\x02", 10));
    EXPECT_EQ(gif.format, PictureFormat::Gif);
    EXPECT_EQ(gif.width, 800);
    EXPECT_EQ(gif.height, 600);

    std::string bmp(26, '\0');
    bmp[0] = 'B', bmp[1] = 'M', bmp[14] = 40;
    bmp[18] = '\x10', bmp[19] = '\x27';                             // width 10000
    bmp[22] = '\xF0', bmp[23] = '\xD8', bmp[24] = bmp[25] = '\xFF';  // height -10000: top-down rows
    PictureProbe b = Probe(bmp);
    EXPECT_EQ(b.format, PictureFormat::Bmp);
    EXPECT_EQ(b.width, 10000);
    EXPECT_EQ(b.height, 10000);

    // Little-endian TIFF, one IFD at 8 with ImageWidth 300 (SHORT) and ImageLength 200 (LONG).
    std::string tiff("II\x2a\0\x08\0\0\0\x02\0", 10);
    tiff += std::string("\x00\x01\x03\x00\x01\0\0\0\x2c\x01\0\0", 12);
    tiff += std::string("\x01\x01\x04\x00\x01\0\0\0\xc8\0\0\0", 12);
    PictureProbe t = Probe(tiff);
    EXPECT_EQ(t.format, PictureFormat::Tiff);
    EXPECT_EQ(t.width, 300);
    EXPECT_EQ(t.height, 200);
}

// RIFF, WEBP and one chunk holding the given first bytes, padded to 30 bytes in all.
std::string Webp(const std::string& chunk, const std::string& payload)
{
    std::string s = std::string("RIFF\x16\0\0\0WEBP", 12) + chunk + std::string("\x0a\0\0\0", 4) + payload;
    return s + std::string(s.size() < 30 ? 30 - s.size() : 0, '\0');
}

TEST(PictureProbe, ReadsWebpSizesFromEveryKindOfFirstChunk)
{
    struct Row {
        const char* rule;
        std::string file;
        int64_t width, height;
    } rows[] = {
        // Lossy: a 3-byte frame tag, the start code 9d 01 2a, 14-bit width and height.
        {"VP8, 640 x 480", Webp("VP8 ", std::string("\0\0\0\x9d\x01\x2a\x80\x02\xe0\x01", 10)), 640, 480},
        // Lossless: 0x2f, then width - 1 and height - 1 in 14 bits each, low bits first.
        // 1000 x 750: 999 | 749 << 14 = 0x00BB43E7.
        {"VP8L, 1000 x 750", Webp("VP8L", std::string("\x2f\xe7\x43\xbb\x00", 5)), 1000, 750},
        // Extended: flags, then canvas width - 1 and height - 1 in 24 bits each.
        {"VP8X canvas 20000 x 3", Webp("VP8X", std::string("\x10\0\0\0\x1f\x4e\x00\x02\0\0", 10)), 20000, 3},
        {"VP8 without its start code says nothing", Webp("VP8 ", std::string(10, '\x01')), 0, 0},
    };
    for (const Row& row : rows) {
        const PictureProbe p = Probe(row.file);
        EXPECT_EQ(p.format, PictureFormat::Webp) << row.rule;
        EXPECT_EQ(p.width, row.width) << row.rule;
        EXPECT_EQ(p.height, row.height) << row.rule;
    }
    EXPECT_FALSE(ClaimedSizeAcceptable(Probe(Webp("VP8X", std::string(4, '\0') + std::string(6, '\xff'))))) << "a 2^24 x 2^24 canvas";
    EXPECT_EQ(Probe(Webp("VP8X", "").substr(0, 19)).format, PictureFormat::Unknown) << "cut inside the header";
}

TEST(PictureProbe, RefusesGiantClaimsAndSurvivesScraps)
{
    EXPECT_FALSE(ClaimedSizeAcceptable(Probe(Png(60000, 60000)))) << "3.6 gigapixels";
    EXPECT_FALSE(ClaimedSizeAcceptable(Probe(Png(70000, 10)))) << "a side past JPEG's limit";
    EXPECT_FALSE(ClaimedSizeAcceptable(Probe(Png(0xFFFFFFFFu, 1))));
    EXPECT_EQ(Probe(Png(60000, 60000).substr(0, 20)).format, PictureFormat::Unknown) << "cut inside the header";
    std::string tiffLoop("MM\0\x2a\xff\xff\xff\xf0", 8);
    EXPECT_EQ(Probe(tiffLoop).width, 0) << "IFD offset past the end";
    EXPECT_EQ(Probe("").format, PictureFormat::Unknown);
    // MP4 video shares HEIF's box format, not its brands.
    EXPECT_EQ(Probe(std::string("\0\0\0\x18" "ftypisom\0\0\0\0isommp41", 24)).format, PictureFormat::Unknown);
    EXPECT_EQ(Probe(std::string("\0\0\0\x14" "ftypmp42\0\0\0\0avif", 20)).format, PictureFormat::Heif) << "a compatible brand";
    EXPECT_EQ(Probe(std::string("\0\0\0\xff" "ftypheic\0\0\0\0", 16)).format, PictureFormat::Unknown) << "a box past the end";
}

void PutLe(std::string& s, size_t at, int64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i) s[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

// An ENHMETAHEADER with the frame (hundredths of a millimetre) given.
std::string Emf(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    std::string s(88, '\0');
    PutLe(s, 0, 1, 4);
    PutLe(s, 4, 88, 4);
    const int32_t frame[] = {left, top, right, bottom};
    for (int i = 0; i < 4; ++i) PutLe(s, 24 + 4 * i, frame[i], 4);
    PutLe(s, 40, 0x464D4520, 4);
    return s;
}

// A placeable WMF header with its box and units per inch.
std::string Wmf(int16_t left, int16_t top, int16_t right, int16_t bottom, uint16_t perInch)
{
    std::string s(40, '\0');
    PutLe(s, 0, 0x9AC6CDD7, 4);
    const int16_t box[] = {left, top, right, bottom};
    for (int i = 0; i < 4; ++i) PutLe(s, 6 + 2 * i, box[i], 2);
    PutLe(s, 14, perInch, 2);
    return s;
}

TEST(PictureProbe, MetafilesAreMeasuredAt96DotsPerInch)
{
    struct Row {
        const char* rule;
        std::string file;
        PictureFormat format;
        int64_t width, height;
        bool acceptable;
    } rows[] = {
        {"EMF frame 2 x 1 inches (5080 x 2540 hundredths of a mm)", Emf(0, 0, 5080, 2540), PictureFormat::Emf, 192, 96, true},
        {"EMF frame off the origin: 100 mm x 50 mm = 377.95 x 188.98 px", Emf(1000, -500, 11000, 4500), PictureFormat::Emf, 378, 189, true},
        {"EMF frame upside down", Emf(0, 2540, 2540, 0), PictureFormat::Emf, 96, -1, false},
        {"EMF frame of 20 m: 75591 px, past the side limit", Emf(0, 0, 2000000, 100), PictureFormat::Emf, 75591, 4, false},
        {"EMF frame of 2^31 hundredths of a mm both ways", Emf(-2147483647 - 1, 0, 2147483647, 2540), PictureFormat::Emf, 162329473, 96, false},
        {"placeable WMF 1440 twips per inch, 2880 x 1440", Wmf(0, 0, 2880, 1440, 1440), PictureFormat::Wmf, 192, 96, true},
        {"placeable WMF, negative corner, 1000 per inch", Wmf(-500, -250, 500, 250, 1000), PictureFormat::Wmf, 96, 48, true},
        {"placeable WMF with 0 units per inch", Wmf(0, 0, 100, 100, 0), PictureFormat::Wmf, -1, -1, false},
        {"bare WMF: no size to go by", std::string("\x01\0\x09\0\0\x03\0\0\0\0\0\0\0\0\0\0\0\0", 18), PictureFormat::Wmf, 0, 0, true},
        {"EMF without its signature", Emf(0, 0, 100, 100).replace(40, 4, "EMF "), PictureFormat::Unknown, 0, 0, true},
        {"EMF cut inside the header", Emf(0, 0, 100, 100).substr(0, 60), PictureFormat::Unknown, 0, 0, true},
    };
    for (const Row& row : rows) {
        const PictureProbe p = Probe(row.file);
        EXPECT_EQ(p.format, row.format) << row.rule;
        EXPECT_EQ(p.width, row.width) << row.rule;
        EXPECT_EQ(p.height, row.height) << row.rule;
        EXPECT_EQ(ClaimedSizeAcceptable(p), row.acceptable) << row.rule;
    }
}

} // namespace
