// WebP decoding: lossy and lossless, alpha on white, reduced sizes, the first frame of an
// animation, and damaged or hostile files. The files are made with libwebp's own encoders.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

#include <webp/encode.h>
#include <webp/mux.h>

#include "imaging/webp_io.h"

namespace {

using Bytes = std::vector<uint8_t>;
using PixelFn = std::function<std::array<uint8_t, 4>(int x, int y)>;  // B, G, R, A

std::vector<uint8_t> Pixels(int w, int h, const PixelFn& pixel)
{
    std::vector<uint8_t> bgra;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const auto p = pixel(x, y);
            bgra.insert(bgra.end(), p.begin(), p.end());
        }
    return bgra;
}

Bytes Owned(uint8_t* data, size_t size)
{
    Bytes bytes(data, data + size);
    WebPFree(data);
    return bytes;
}

Bytes Lossless(int w, int h, const PixelFn& pixel)
{
    uint8_t* out = nullptr;
    const size_t size = WebPEncodeLosslessBGRA(Pixels(w, h, pixel).data(), w, h, 4 * w, &out);
    return Owned(out, size);
}

Bytes Lossy(int w, int h)
{
    std::vector<uint8_t> bgr;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) bgr.insert(bgr.end(), {uint8_t(x), uint8_t(y), 128});
    uint8_t* out = nullptr;
    const size_t size = WebPEncodeBGR(bgr.data(), w, h, 3 * w, 90, &out);
    return Owned(out, size);
}

std::array<int, 3> At(const Image& image, int x, int y)
{
    const uint8_t* p = image.Row(y) + 3 * x;
    return {p[0], p[1], p[2]};
}

TEST(ImagingWebp, StillPicturesComeOutOnWhiteAtTheSizeAsked)
{
    // Left half opaque red; right half transparent green at the top, half-transparent blue below.
    const Bytes alpha = Lossless(40, 30, [](int x, int y) -> std::array<uint8_t, 4> {
        if (x < 20) return {0, 0, 255, 255};
        return y < 15 ? std::array<uint8_t, 4>{0, 255, 0, 0} : std::array<uint8_t, 4>{255, 0, 0, 128};
    });
    WebpHeader header;
    ASSERT_TRUE(ReadWebpHeader(alpha.data(), alpha.size(), header));
    EXPECT_EQ(header.width, 40);
    EXPECT_EQ(header.height, 30);
    EXPECT_FALSE(header.animated);
    Image image;
    ASSERT_TRUE(DecodeWebp(alpha.data(), alpha.size(), 0, 0, image));
    ASSERT_EQ(image.width, 40);
    ASSERT_EQ(image.height, 30);
    EXPECT_EQ(At(image, 5, 5), (std::array<int, 3>{0, 0, 255})) << "opaque red";
    EXPECT_EQ(At(image, 30, 5), (std::array<int, 3>{255, 255, 255})) << "transparent is white";
    const auto half = At(image, 30, 25);  // blue at 128/255 over white: 255, 127, 127
    EXPECT_EQ(half[0], 255);
    EXPECT_NEAR(half[1], 127, 1);
    EXPECT_NEAR(half[2], 127, 1);

    const Bytes lossy = Lossy(800, 600);
    struct Row {
        const char* rule;
        int minW, minH, w, h;
    } rows[] = {
        {"the width decides, proportions kept", 300, 100, 300, 225},
        {"one side at the picture's: full size", 800, 10, 800, 600},
        {"no minimum: full size", 0, 0, 800, 600},
    };
    for (const Row& row : rows) {
        ASSERT_TRUE(DecodeWebp(lossy.data(), lossy.size(), row.minW, row.minH, image)) << row.rule;
        EXPECT_EQ(image.width, row.w) << row.rule;
        EXPECT_EQ(image.height, row.h) << row.rule;
    }
}

TEST(ImagingWebp, AnAnimationGivesItsFirstFrame)
{
    WebPAnimEncoderOptions options;
    ASSERT_TRUE(WebPAnimEncoderOptionsInit(&options));
    WebPAnimEncoder* encoder = WebPAnimEncoderNew(64, 48, &options);
    ASSERT_NE(encoder, nullptr);
    WebPConfig config;
    ASSERT_TRUE(WebPConfigInit(&config));
    config.lossless = 1;
    int time = 0;
    for (std::array<uint8_t, 4> colour : {std::array<uint8_t, 4>{0, 0, 255, 255}, std::array<uint8_t, 4>{255, 0, 0, 255}}) {
        WebPPicture frame;
        ASSERT_TRUE(WebPPictureInit(&frame));
        frame.width = 64, frame.height = 48, frame.use_argb = 1;
        ASSERT_TRUE(WebPPictureImportBGRA(&frame, Pixels(64, 48, [&](int, int) { return colour; }).data(), 4 * 64));
        EXPECT_TRUE(WebPAnimEncoderAdd(encoder, &frame, time, &config));
        WebPPictureFree(&frame);
        time += 100;
    }
    WebPAnimEncoderAdd(encoder, nullptr, time, nullptr);
    WebPData assembled;
    WebPDataInit(&assembled);
    ASSERT_TRUE(WebPAnimEncoderAssemble(encoder, &assembled));
    WebPAnimEncoderDelete(encoder);
    const Bytes animation = Owned(const_cast<uint8_t*>(assembled.bytes), assembled.size);

    WebpHeader header;
    ASSERT_TRUE(ReadWebpHeader(animation.data(), animation.size(), header));
    EXPECT_TRUE(header.animated);
    Image image;
    ASSERT_TRUE(DecodeWebp(animation.data(), animation.size(), 16, 12, image));
    EXPECT_EQ(image.width, 64) << "animations decode at full size";
    EXPECT_EQ(At(image, 32, 24), (std::array<int, 3>{0, 0, 255})) << "red, the first frame; blue is the second";
}

TEST(ImagingWebp, DamagedAndHostileFilesFail)
{
    const Bytes lossy = Lossy(320, 240);
    Bytes giant(30, 0);  // VP8X claiming a 16777216 x 16777216 canvas
    const std::string head("RIFF\x16\0\0\0WEBPVP8X\x0a\0\0\0", 20);
    std::copy(head.begin(), head.end(), giant.begin());
    for (int i = 24; i < 30; ++i) giant[i] = 0xFF;
    struct Row {
        const char* rule;
        Bytes file;
    } rows[] = {
        {"cut in half", Bytes(lossy.begin(), lossy.begin() + lossy.size() / 2)},
        {"garbage after the headers", [&] { Bytes b = lossy; std::fill(b.begin() + 40, b.end(), 0x5A); return b; }()},
        {"a giant canvas", giant},
        {"empty", {}},
    };
    for (const Row& row : rows) {
        Image image;
        EXPECT_FALSE(DecodeWebp(row.file.data(), row.file.size(), 0, 0, image)) << row.rule;
        EXPECT_TRUE(image.Empty()) << row.rule;
    }
}

} // namespace
