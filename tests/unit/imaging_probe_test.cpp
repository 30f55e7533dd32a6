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
}

} // namespace
