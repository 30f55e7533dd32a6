// Image memory layout, EXIF turns and flips, and the Lanczos resize.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <string>
#include <utility>
#include <vector>

#include "imaging/block_pool.h"
#include "imaging/exif.h"
#include "imaging/image.h"
#include "imaging/resample.h"

namespace {

// Every byte of every pixel set to v(x, y); row padding set to 0xEE, which no test pixel
// has, so code that reads padding shows up in the results.
template <class F>
Image Make(int w, int h, F v)
{
    Image image;
    EXPECT_TRUE(image.Allocate(w, h));
    for (int y = 0; y < h; ++y) {
        std::fill_n(image.Row(y) + w * 3, image.stride - w * 3, 0xEE);
        for (int x = 0; x < w; ++x)
            std::fill_n(image.Row(y) + 3 * x, 3, static_cast<uint8_t>(v(x, y)));
    }
    return image;
}

TEST(ImagingImage, AllocatePadsRowsToFourBytesAndRefusesImpossibleSizes)
{
    struct Row {
        const char* rule;
        int w, h, stride;  // stride 0: refused
    } rows[] = {
        {"1 px = 3 bytes, padded to 4", 1, 1, 4},
        {"2 px = 6 bytes, padded to 8", 2, 3, 8},
        {"4 px = 12 bytes, no padding", 4, 2, 12},
        {"901 px = 2703 bytes, padded to 2704", 901, 2, 2704},
        {"zero width", 0, 10, 0},
        {"negative height", 10, -1, 0},
        {"side above JPEG's 65500", 65501, 1, 0},
        {"20000 x 8001 is just over 160 megapixels", 20000, 8001, 0},
    };
    for (const Row& row : rows) {
        Image image;
        ASSERT_TRUE(image.Allocate(2, 2));
        EXPECT_EQ(image.Allocate(row.w, row.h), row.stride != 0) << row.rule;
        EXPECT_EQ(image.stride, row.stride) << row.rule;
        EXPECT_EQ(image.pixels.size(), row.stride ? size_t(row.stride) * row.h : 0) << row.rule;
        EXPECT_EQ(image.width, row.stride ? row.w : 0) << row.rule;
    }
}

std::string Spell(const Image& image)
{
    std::string text;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            text += std::string(y && !x ? "/" : "") + static_cast<char>(image.Row(y)[3 * x]);
    return text;
}

TEST(ImagingOrientation, StandsEachOfTheEightCasesUpright)
{
    // Stored:  A B C    Worked out by hand from EXIF's meaning of each value: which corner
    //          D E F    of the stored picture shows at the top left, and which way rows run.
    struct Row {
        int orientation;
        const char* rule;
        const char* upright;
    } rows[] = {
        {1, "as stored", "ABC/DEF"},
        {2, "mirrored left-right", "CBA/FED"},
        {3, "turned half round", "FED/CBA"},
        {4, "mirrored top-bottom", "DEF/ABC"},
        {5, "transposed", "AD/BE/CF"},
        {6, "turned right: stored top row becomes the right column", "DA/EB/FC"},
        {7, "transverse", "FC/EB/DA"},
        {8, "turned left: stored top row becomes the left column", "CF/BE/AD"},
        {9, "not a valid value: left alone", "ABC/DEF"},
    };
    for (const Row& row : rows) {
        Image image = Make(3, 2, [](int x, int y) { return 'A' + x + 3 * y; });
        EXPECT_TRUE(ApplyOrientation(image, row.orientation));
        EXPECT_EQ(Spell(image), row.upright) << row.orientation << ": " << row.rule;
        EXPECT_EQ(image.stride, image.width == 2 ? 8 : 12) << row.orientation;
    }
    // 150 x 70 spans several 64-pixel tiles: turned right, upright (x, y) shows stored (y, 69 - x).
    Image big = Make(150, 70, [](int x, int y) { return x + y * 7; });
    ASSERT_TRUE(ApplyOrientation(big, 6));
    ASSERT_EQ(big.width, 70);
    for (int y = 0; y < 150; ++y)
        for (int x = 0; x < 70; ++x)
            ASSERT_EQ(big.Row(y)[3 * x + 1], uint8_t(y + (69 - x) * 7)) << x << "," << y;
}

TEST(ImagingResize, FlatPictureStaysExactlyFlat)
{
    // The weights of every output pixel add up to exactly one, at the edges too.
    struct Row {
        const char* rule;
        int sw, sh, dw, dh;
    } rows[] = {
        {"enlarge both axes", 7, 5, 23, 17},
        {"reduce both axes", 100, 80, 13, 9},
        {"reduce to one pixel", 100, 80, 1, 1},
        {"one pixel to many", 1, 1, 5, 3},
        {"reduce one axis, enlarge the other", 40, 3, 7, 30},
        {"long strip to a single row", 3000, 2, 900, 1},
        {"odd strides (5 px rows to 3 px rows)", 5, 9, 3, 4},
    };
    for (const Row& row : rows) {
        const Image src = Make(row.sw, row.sh, [](int, int) { return 173; });
        Image out;
        ASSERT_TRUE(Resize(src, row.dw, row.dh, out)) << row.rule;
        ASSERT_EQ(out.width, row.dw) << row.rule;
        ASSERT_EQ(out.height, row.dh) << row.rule;
        int wrong = 0;
        for (int y = 0; y < out.height; ++y)
            wrong += std::count_if(out.Row(y), out.Row(y) + out.width * 3, [](uint8_t v) { return v != 173; });
        EXPECT_EQ(wrong, 0) << row.rule;
    }
    Image out;
    EXPECT_FALSE(Resize(Make(8, 8, [](int, int) { return 1; }), 0, 5, out));
    EXPECT_TRUE(out.Empty());
    EXPECT_FALSE(Resize(Image(), 5, 5, out));
    EXPECT_FALSE(Resize(Make(8, 8, [](int, int) { return 1; }), 4, 4, out, 0.0)) << "a kernel of no width";
    EXPECT_TRUE(out.Empty());
}

TEST(ImagingResize, ReducedCheckerboardIsEvenGrey)
{
    // A one-pixel checkerboard holds nothing but the highest frequency; a reduction must
    // filter it away. A kernel not widened with the factor aliases it into blotches
    // wherever the output grid is out of step with the board.
    struct Row {
        const char* rule;
        int sw, sh, dw, dh;
    } rows[] = {
        {"4 times smaller", 64, 48, 16, 12},
        {"3.2 times smaller", 64, 48, 20, 15},
        {"odd factors (63/16, 45/12)", 63, 45, 16, 12},
    };
    for (const Row& row : rows) {
        Image out;
        ASSERT_TRUE(Resize(Make(row.sw, row.sh, [](int x, int y) { return (x + y) % 2 * 255; }), row.dw, row.dh, out));
        int worst = 0;
        for (int y = 0; y < row.dh; ++y)
            for (int x = 0; x < row.dw * 3; ++x)
                worst = std::max(worst, std::abs(2 * out.Row(y)[x] - 255));
        EXPECT_LE(worst, 2 * 6) << row.rule << ": largest distance from mid-grey, doubled";
    }
}

TEST(ImagingResize, EveryPixelAndChannelLandsWhereAPlainFilterPutsIt)
{
    // The passes work on several bytes, taps and channels at once, with scalar tails;
    // a smooth picture whose three channels differ is compared with a plain double-precision
    // Lanczos-3 filter. A pixel, tap or channel taken from the wrong place is tens of levels
    // off; the integer passes are within 2 (weights and the picture between the passes are
    // rounded). A kernel width under one (the sharper filter after a DCT-domain reduction)
    // narrows the stretched kernel to that share of the reduction, never below interpolation.
    auto lanczos = [](double x) {
        auto sinc = [](double t) { return t == 0 ? 1.0 : std::sin(std::numbers::pi * t) / (std::numbers::pi * t); };
        return std::fabs(x) < 3 ? sinc(x) * sinc(x / 3) : 0.0;
    };
    auto axis = [&](int from, int to, double width, int i, std::vector<std::pair<int, double>>& taps) {
        const double scale = double(from) / to, stretch = std::max(scale * width, 1.0), centre = (i + 0.5) * scale;
        taps.clear();
        double sum = 0;
        for (int j = int(std::ceil(centre - 3 * stretch - 0.5)); j <= int(std::floor(centre + 3 * stretch - 0.5)); ++j) {
            const double w = lanczos((j + 0.5 - centre) / stretch);
            taps.emplace_back(std::clamp(j, 0, from - 1), w);
            sum += w;
        }
        for (auto& tap : taps) tap.second /= sum;
    };
    struct Row {
        int sw, sh, dw, dh;
        double width = 1.0;
    } rows[] = {{37, 23, 16, 11},      {41, 29, 90, 61},     {1000, 3, 333, 2}, {5, 700, 3, 99},
                {61, 7, 17, 7},        {8, 40, 8, 13},       {37, 23, 16, 11, 0.9},
                {50, 40, 41, 33, 0.9}, {41, 29, 90, 61, 0.9}};
    for (const Row& row : rows) {
        Image src;
        ASSERT_TRUE(src.Allocate(row.sw, row.sh));
        auto value = [&](int x, int y, int c) { return 128 + 90 * std::sin(x / 4.0 + 2 * c) * std::cos(y / 5.0 - c); };
        for (int y = 0; y < row.sh; ++y)
            for (int x = 0; x < row.sw; ++x)
                for (int c = 0; c < 3; ++c) src.Row(y)[3 * x + c] = uint8_t(std::lround(value(x, y, c)));
        Image out;
        ASSERT_TRUE(Resize(src, row.dw, row.dh, out, row.width));
        int worst = 0;
        std::vector<std::pair<int, double>> across, down;
        for (int y = 0; y < row.dh; ++y) {
            axis(row.sh, row.dh, row.width, y, down);
            for (int x = 0; x < row.dw; ++x) {
                axis(row.sw, row.dw, row.width, x, across);
                for (int c = 0; c < 3; ++c) {
                    double sum = 0;
                    for (auto [j, wy] : down)
                        for (auto [i, wx] : across) sum += wx * wy * src.Row(j)[3 * i + c];
                    worst = std::max(worst, int(std::fabs(sum - out.Row(y)[3 * x + c]) + 0.5));
                }
            }
        }
        EXPECT_LE(worst, 2) << row.sw << "x" << row.sh << " to " << row.dw << "x" << row.dh << ", kernel width " << row.width;
    }
}

TEST(ImagingResize, ANarrowerKernelKeepsMoreOfTheFineDetail)
{
    // A dark line on every third source pixel, reduced by 1.2, repeats every 2.5 output
    // pixels, close to what the smaller picture can hold: the kernel stretched by the whole reduction softens them more than one narrowed
    // to 0.9 of it. Measured as the spread of the middle row around its mean.
    const Image src = Make(60, 9, [](int x, int) { return x % 3 == 0 ? 40 : 215; });
    auto spread = [&](double width) {
        Image out;
        EXPECT_TRUE(Resize(src, 50, 9, out, width));
        double sum = 0, squares = 0;
        for (int x = 5; x < 45; ++x) {
            sum += out.Row(4)[3 * x];
            squares += double(out.Row(4)[3 * x]) * out.Row(4)[3 * x];
        }
        return std::sqrt(squares / 40 - (sum / 40) * (sum / 40));
    };
    const double full = spread(1.0), narrower = spread(0.9);
    EXPECT_GT(narrower, full * 1.05) << "spread " << narrower << " against " << full;
}

TEST(ImagingBlockPool, BigBlocksComeBackUpToTheCapAndAreReleased)
{
    ReleaseKeptBlocks();
    void* big = TakeBlock(3 << 20);
    GiveBackBlock(big, 3 << 20);
    EXPECT_EQ(TakeBlock((3 << 20) - 4096), big) << "a block a little smaller fits the kept one";
    GiveBackBlock(big, (3 << 20) - 4096);
    void* other = TakeBlock(1 << 20);
    EXPECT_NE(other, big) << "a request under half the kept block gets its own";
    GiveBackBlock(other, 1 << 20);
    ReleaseKeptBlocks();
    // Past the cap a block goes back to the system: 40 blocks of 2 MB are more than it holds.
    std::vector<void*> many;
    for (int i = 0; i < 40; ++i) many.push_back(TakeBlock(2 << 20));
    for (void* b : many) GiveBackBlock(b, 2 << 20);
    int reused = 0;
    for (int i = 0; i < 40; ++i) {
        void* b = TakeBlock(2 << 20);
        reused += std::find(many.begin(), many.end(), b) != many.end();
        many[i] = b;
    }
    EXPECT_EQ(reused, 24) << "the pool keeps 24 blocks";
    for (void* b : many) GiveBackBlock(b, 2 << 20);
    ReleaseKeptBlocks();
}

}  // namespace
