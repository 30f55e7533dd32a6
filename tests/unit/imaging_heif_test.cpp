// HEIC/HEIF and AVIF reading: every kind a phone or camera writes comes out upright at its
// shown size, a grid equals the picture stored whole, more bits are rounded, alpha lies on
// white, colour descriptions convert, and damaged files are refused. The pictures are the
// committed ones of tests/data/heif (tools/make-heif-samples): 64 x 48 in four flat quarters,
// red top left, green top right, blue bottom left, yellow bottom right.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "imaging/colour.h"
#include "imaging/heif_io.h"
#include "imaging/nclx.h"
#include "imaging/picture_probe.h"
#include "imaging/planar.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Rgb = std::array<int, 3>;

Bytes Sample(const std::string& name)
{
    std::ifstream in(std::string(VARBO_SOURCE_DIR) + "/tests/data/heif/" + name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

Rgb At(const Image& image, int x, int y)
{
    const uint8_t* p = image.Row(y) + 3 * x;
    return {p[2], p[1], p[0]};
}

bool Near(const Rgb& got, const Rgb& want, int tolerance)
{
    for (int c = 0; c < 3; ++c)
        if (std::abs(got[c] - want[c]) > tolerance) return false;
    return true;
}

constexpr Rgb kRed{255, 0, 0}, kGreen{0, 160, 0}, kBlue{0, 0, 255}, kYellow{255, 220, 0}, kWhite{255, 255, 255};

Rgb Grey(const Rgb& c)  // BT.601 luma, as the grey picture was made
{
    const int y = static_cast<int>(0.299 * c[0] + 0.587 * c[1] + 0.114 * c[2] + 0.5);
    return {y, y, y};
}

TEST(ImagingHeif, EveryKindComesOutUprightAtItsShownSize)
{
    struct Row {
        const char* file;
        int width, height;
        Rgb topLeft, topRight, bottomLeft, bottomRight;
    };
    const Row rows[] = {
        {"quarters.heic", 64, 48, kRed, kGreen, kBlue, kYellow},
        {"quarters.avif", 64, 48, kRed, kGreen, kBlue, kYellow},
        {"quarters-444.heic", 64, 48, kRed, kGreen, kBlue, kYellow},
        {"ten-bit.heic", 64, 48, kRed, kGreen, kBlue, kYellow},
        {"twelve-bit.avif", 64, 48, kRed, kGreen, kBlue, kYellow},
        {"grey.heic", 64, 48, Grey(kRed), Grey(kGreen), Grey(kBlue), Grey(kYellow)},
        {"thumbnail.heic", 64, 48, kRed, kGreen, kBlue, kYellow},  // the primary, not its 16 x 12 thumbnail
        {"sequence-with-still.heic", 64, 48, kRed, kGreen, kBlue, kYellow},
        // A quarter turn anticlockwise (irot 1), clockwise (irot 3).
        {"turned-90.heic", 48, 64, kGreen, kYellow, kRed, kBlue},
        {"turned-270.heic", 48, 64, kBlue, kRed, kYellow, kGreen},
        // imir 0 swaps top and bottom, as libheif reads it; after a turn it applies to the turned picture.
        {"mirrored.heic", 64, 48, kBlue, kYellow, kRed, kGreen},
        {"turned-90-mirrored.heic", 48, 64, kRed, kBlue, kGreen, kYellow},
        // clap: 40 x 30 around a centre 4 left of and 3 below the picture's.
        {"cropped.heic", 40, 30, kRed, kGreen, kBlue, kYellow},
        // The Exif item says "turned right"; the file turns nothing, and neither do we.
        {"exif-says-turned.heic", 64, 48, kRed, kGreen, kBlue, kYellow},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.file);
        const Bytes file = Sample(row.file);
        HeifHeader header;
        ASSERT_TRUE(ReadHeifHeader(file.data(), file.size(), header));
        EXPECT_EQ(header.width, row.width);
        EXPECT_EQ(header.height, row.height);
        const PictureProbe probe = ProbePicture(file.data(), file.size());
        EXPECT_EQ(probe.format, PictureFormat::Heif);
        // The probe's size is the picture's before a crop: it bounds the shown size.
        EXPECT_GE(probe.width, row.width);
        EXPECT_GE(probe.height, row.height);
        Image image;
        ASSERT_TRUE(DecodeHeif(file.data(), file.size(), 0, 0, 1, image));
        ASSERT_EQ(image.width, row.width);
        ASSERT_EQ(image.height, row.height);
        const int w = row.width, h = row.height;
        EXPECT_TRUE(Near(At(image, 2, 2), row.topLeft, 12));
        EXPECT_TRUE(Near(At(image, w - 3, 2), row.topRight, 12));
        EXPECT_TRUE(Near(At(image, 2, h - 3), row.bottomLeft, 12));
        EXPECT_TRUE(Near(At(image, w - 3, h - 3), row.bottomRight, 12));
    }
}

TEST(ImagingHeif, GridTilesMakeThePictureStoredWholeOnAnyNumberOfThreads)
{
    // 2 x 2 lossless tiles of 64 x 64 cut to 120 x 100, and the 120 x 100 picture whole: the
    // same pixels, the four quarters of 60 x 50 (within 1: libheif's own step from the coded
    // GBR to RGB rounds 255 to 254).
    const Bytes grid = Sample("grid-lossless.heic"), whole = Sample("whole-lossless.heic");
    Image fromWhole;
    ASSERT_TRUE(DecodeHeif(whole.data(), whole.size(), 0, 0, 1, fromWhole));
    for (int threads : {1, 4}) {
        SCOPED_TRACE(threads);
        Image fromGrid;
        ASSERT_TRUE(DecodeHeif(grid.data(), grid.size(), 0, 0, threads, fromGrid));
        ASSERT_EQ(fromGrid.width, 120);
        ASSERT_EQ(fromGrid.height, 100);
        EXPECT_EQ(fromGrid.pixels, fromWhole.pixels);
    }
    EXPECT_TRUE(Near(At(fromWhole, 59, 49), kRed, 1));
    EXPECT_TRUE(Near(At(fromWhole, 60, 49), kGreen, 1));
    EXPECT_TRUE(Near(At(fromWhole, 59, 50), kBlue, 1));
    EXPECT_TRUE(Near(At(fromWhole, 119, 99), kYellow, 1));

    // Reduced by 4 for a minimum of 30 x 25: each pixel the mean of a 4 x 4 box.
    Image reduced;
    ASSERT_TRUE(DecodeHeif(grid.data(), grid.size(), 30, 25, 1, reduced));
    ASSERT_EQ(reduced.width, 30);
    ASSERT_EQ(reduced.height, 25);
    EXPECT_TRUE(Near(At(reduced, 14, 11), kRed, 1));
    EXPECT_TRUE(Near(At(reduced, 15, 13), kYellow, 1));
    EXPECT_TRUE(Near(At(reduced, 14, 12), (Rgb{128, 0, 128}), 1)) << "half red, half blue";
}

TEST(ImagingHeif, ReductionIsTheLargestWholeFactorThatKeepsTheMinimum)
{
    struct Row {
        int width, height, minWidth, minHeight, factor;
    };
    const Row rows[] = {
        {4032, 3024, 1802, 1350, 2},  // a 12 MP phone photo for the default 901
        {120, 100, 30, 25, 4},
        {120, 100, 31, 25, 3},        // ceil(120 / 4) = 30 is short of 31
        {7, 5, 2, 2, 4},              // sides rounded up: 7 / 4 -> 2, 5 / 4 -> 2
        {100, 100, 0, 0, 1},          // no minimum: full size
        {100, 100, 200, 200, 1},      // an enlargement
        {100, 100, 0, 50, 2},
    };
    for (const Row& r : rows)
        EXPECT_EQ(ChoosePlanarReduction(r.width, r.height, r.minWidth, r.minHeight), r.factor)
            << r.width << "x" << r.height << " for " << r.minWidth << "x" << r.minHeight;
}

TEST(ImagingHeif, PlanesBecomeBgrRoundedAndLaidOverWhite)
{
    // 10-bit samples, little-endian: R 3, G 1023, B 512. 3/1023 of 255 is 0.75: rounded to 1,
    // where dropping the low two bits would give 0; 512 gives 127.6, so 128.
    const uint8_t r10[2] = {3, 0}, g10[2] = {0xFF, 0x03}, b10[2] = {0x00, 0x02};
    auto plane = [](const uint8_t* data, int bits, int width) { return SamplePlane{data, width * (bits > 8 ? 2 : 1), width, 1, bits}; };
    PlanarPicture deep{1, 1, plane(r10, 10, 1), plane(g10, 10, 1), plane(b10, 10, 1), {}, false};
    Image image;
    ASSERT_TRUE(PlanarToBgr(deep, 1, image));
    EXPECT_EQ(At(image, 0, 0), (Rgb{1, 255, 128}));

    // 3 x 1 reduced by 2: the last box holds one pixel.
    const uint8_t reds[3] = {10, 20, 31}, zeros[3] = {0, 0, 0};
    PlanarPicture row{3, 1, plane(reds, 8, 3), plane(zeros, 8, 3), plane(zeros, 8, 3), {}, false};
    ASSERT_TRUE(PlanarToBgr(row, 2, image));
    ASSERT_EQ(image.width, 2);
    EXPECT_EQ(At(image, 0, 0)[0], 15);
    EXPECT_EQ(At(image, 1, 0)[0], 31);

    // 40 x 1 halved: the pairs (2k, 2k + 1) mean 2k + 0.5, rounded up; 16 bytes at a time
    // and the rest one pair at a time give the same.
    uint8_t ramp[40], flat[40] = {};
    for (int x = 0; x < 40; ++x) ramp[x] = static_cast<uint8_t>(x);
    PlanarPicture wide{40, 1, plane(ramp, 8, 40), plane(flat, 8, 40), plane(flat, 8, 40), {}, false};
    ASSERT_TRUE(PlanarToBgr(wide, 2, image));
    ASSERT_EQ(image.width, 20);
    for (int k = 0; k < 20; ++k) EXPECT_EQ(At(image, k, 0)[0], 2 * k + 1) << "pair " << k;

    // Red at alpha 128: straight, red stays 255 and the white shows through green and blue by
    // 127/255; premultiplied, the stored red is already 128/255 of itself.
    const uint8_t full[1] = {255}, half[1] = {128}, none[1] = {0};
    PlanarPicture straight{1, 1, plane(full, 8, 1), plane(none, 8, 1), plane(none, 8, 1), plane(half, 8, 1), false};
    ASSERT_TRUE(PlanarToBgr(straight, 1, image));
    EXPECT_EQ(At(image, 0, 0), (Rgb{255, 127, 127}));
    PlanarPicture premultiplied{1, 1, plane(half, 8, 1), plane(none, 8, 1), plane(none, 8, 1), plane(half, 8, 1), true};
    ASSERT_TRUE(PlanarToBgr(premultiplied, 1, image));
    EXPECT_EQ(At(image, 0, 0), (Rgb{255, 127, 127}));

    // A plane smaller than the picture is refused, not read past.
    PlanarPicture short_{3, 1, plane(reds, 8, 3), plane(zeros, 8, 2), plane(zeros, 8, 3), {}, false};
    EXPECT_FALSE(PlanarToBgr(short_, 1, image));
    EXPECT_TRUE(image.Empty());
}

TEST(ImagingHeif, TransparentPartsComeOutWhite)
{
    for (const char* name : {"right-half-clear.heic", "right-half-clear.avif"}) {
        SCOPED_TRACE(name);
        const Bytes file = Sample(name);
        Image image;
        ASSERT_TRUE(DecodeHeif(file.data(), file.size(), 0, 0, 1, image));
        EXPECT_TRUE(Near(At(image, 2, 2), kRed, 12));
        EXPECT_TRUE(Near(At(image, 2, 45), kBlue, 12));
        EXPECT_TRUE(Near(At(image, 61, 2), kWhite, 4));
        EXPECT_TRUE(Near(At(image, 61, 45), kWhite, 4));
    }
}

TEST(ImagingHeif, DisplayP3ByProfileOrByNumbersBecomesSrgb)
{
    // P3 (200, 100, 50) and (100, 150, 200) are sRGB (215, 93, 31) and (84, 152, 205):
    // worked out through both primaries' RGB-to-XYZ matrices and the sRGB curve.
    for (const char* name : {"p3-icc.heic", "p3-nclx.avif"}) {
        SCOPED_TRACE(name);
        const Bytes file = Sample(name);
        Image image;
        HeifExtras extras;
        ASSERT_TRUE(DecodeHeif(file.data(), file.size(), 0, 0, 1, image, &extras));
        ASSERT_FALSE(extras.iccProfile.empty());
        ASSERT_TRUE(ConvertToSrgb(image, extras.iccProfile));
        EXPECT_TRUE(Near(At(image, 10, 24), (Rgb{215, 93, 31}), 4));
        EXPECT_TRUE(Near(At(image, 54, 24), (Rgb{84, 152, 205}), 4));
    }
    // sRGB itself, BT.709 and unspecified need nothing; other primaries or curves a profile.
    EXPECT_TRUE(ProfileForNclx(1, 13).empty());
    EXPECT_TRUE(ProfileForNclx(1, 1).empty());
    EXPECT_TRUE(ProfileForNclx(2, 2).empty());
    EXPECT_FALSE(ProfileForNclx(12, 13).empty());
    EXPECT_FALSE(ProfileForNclx(9, 16).empty());  // BT.2020 with PQ
    EXPECT_FALSE(ProfileForNclx(1, 8).empty());   // linear light
}

TEST(ImagingHeif, TheExifItemComesFromItsTiffHeader)
{
    const Bytes file = Sample("exif-says-turned.heic");
    Image image;
    HeifExtras extras;
    ASSERT_TRUE(DecodeHeif(file.data(), file.size(), 0, 0, 1, image, &extras));
    ASSERT_GE(extras.exif.size(), 8u);
    EXPECT_EQ(std::string(extras.exif.begin(), extras.exif.begin() + 4), std::string("MM\0*", 4));
    const Bytes plain = Sample("quarters.heic");
    ASSERT_TRUE(DecodeHeif(plain.data(), plain.size(), 0, 0, 1, image, &extras));
    EXPECT_TRUE(extras.exif.empty());
}

TEST(ImagingHeif, DamagedOrHostileFilesAreRefused)
{
    Image image;
    HeifHeader header;
    const Bytes sequence = Sample("sequence-only.heic");  // an image sequence without a still picture
    EXPECT_EQ(ProbePicture(sequence.data(), sequence.size()).format, PictureFormat::Heif);
    EXPECT_FALSE(ReadHeifHeader(sequence.data(), sequence.size(), header));
    EXPECT_FALSE(DecodeHeif(sequence.data(), sequence.size(), 0, 0, 1, image));

    // Cut anywhere, or with bytes changed: a picture or a refusal, never a crash (ASan watches).
    for (const char* name : {"quarters.heic", "quarters.avif", "grid-lossless.heic", "right-half-clear.avif"}) {
        const Bytes file = Sample(name);
        for (size_t cut : {size_t{16}, file.size() / 4, file.size() / 2, file.size() - 1}) {
            const Bytes part(file.begin(), file.begin() + static_cast<ptrdiff_t>(cut));
            if (!DecodeHeif(part.data(), part.size(), 0, 0, 1, image)) {
                EXPECT_TRUE(image.Empty());
            }
        }
        for (size_t at = 20; at < file.size(); at += 37) {
            Bytes changed = file;
            changed[at] ^= 0x5A;
            if (!DecodeHeif(changed.data(), changed.size(), 0, 0, 1, image)) {
                EXPECT_TRUE(image.Empty());
            }
        }
    }

    // The picture claims 20000 x 20000 (400 MP): the probe refuses it, and so does libheif,
    // held to the same limit; the decode does not begin.
    Bytes huge = Sample("quarters.heic");
    const std::string ispe = "ispe";
    size_t last = std::string::npos;
    for (size_t at = 0; at + 16 <= huge.size(); ++at)
        if (std::equal(ispe.begin(), ispe.end(), huge.begin() + static_cast<ptrdiff_t>(at))) last = at;
    ASSERT_NE(last, std::string::npos);
    for (size_t side : {last + 8, last + 12}) {  // the primary's (the grid's) width and height
        huge[side] = 0, huge[side + 1] = 0, huge[side + 2] = 0x4E, huge[side + 3] = 0x20;
    }
    EXPECT_FALSE(ReadHeifHeader(huge.data(), huge.size(), header));
    EXPECT_FALSE(ClaimedSizeAcceptable(ProbePicture(huge.data(), huge.size())));
    EXPECT_FALSE(DecodeHeif(huge.data(), huge.size(), 0, 0, 1, image));

    // The grid's own data claims 28672 x 28672 where its extent says 64 x 48: libheif would
    // make the grid that large (and turn it), so the boxes are believed first.
    Bytes grid = Sample("quarters.heic");
    const uint8_t gridData[8] = {0, 0, 0, 0, 0, 64, 0, 48};
    auto at = std::search(grid.begin(), grid.end(), std::begin(gridData), std::end(gridData));
    ASSERT_NE(at, grid.end());
    at[4] = at[6] = 0x70, at[5] = at[7] = 0;
    EXPECT_FALSE(ClaimedSizeAcceptable(ProbePicture(grid.data(), grid.size())));
    EXPECT_FALSE(DecodeHeif(grid.data(), grid.size(), 0, 0, 1, image));
    // Two turns on one picture: a decoder would copy the whole picture for each.
    const Bytes twice = Sample("turned-twice.heic");
    EXPECT_EQ(ProbePicture(twice.data(), twice.size()).repeatedTransforms, 1);
    EXPECT_FALSE(DecodeHeif(twice.data(), twice.size(), 0, 0, 1, image));
}

// Files whose items would send libheif round in a circle (a stack overflow ends the whole program
// on Windows), into a kind we do not decode, or to pictures that differ from what the file
// states: refused before decoding, or once the decoder's planes disagree, quickly and whole.
TEST(ImagingHeif, HostileItemsAndMisstatedPicturesAreRefused)
{
    struct Row {
        const char* file;
        bool itemsSound, decodes;
    } rows[] = {
        {"grid-names-itself.heic", false, false},
        {"grids-name-each-other.heic", false, false},
        {"alpha-of-its-alpha.heic", false, false},
        {"four-steps-down.heic", true, true},               // iden of iden of iden of iden
        {"five-steps-down.heic", false, false},
        {"mask-primary.heic", false, false},                // a mask (mski) is no picture we show
        {"grid-tiles-short-of-canvas.heic", false, false},  // 2 x 64 columns for a canvas 130 wide
        {"grid-tiles-smaller-than-stated.heic", true, false},  // tiles say 64 x 48, are 32 x 24
        {"depth-says-8-bits.heic", true, false},            // hvcC says 8 bits, the samples have 10
        {"extent-larger.heic", true, false},                // ispe 80 x 60 for a 64 x 64 picture
        {"extent-smaller.heic", true, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.file);
        const Bytes file = Sample(row.file);
        const PictureProbe probe = ProbePicture(file.data(), file.size());
        EXPECT_EQ(probe.heifItemsSound, row.itemsSound);
        EXPECT_EQ(ClaimedSizeAcceptable(probe), row.itemsSound);
        HeifHeader header;
        EXPECT_EQ(ReadHeifHeader(file.data(), file.size(), header), row.itemsSound);
        Image image;
        EXPECT_EQ(DecodeHeif(file.data(), file.size(), 0, 0, 1, image), row.decodes);
        EXPECT_EQ(image.Empty(), !row.decodes);
    }
}

// Pictures that libheif once put together past its planes' ends: an overlay whose layers reach off
// its canvas, a grid of odd-sized 4:2:0 tiles. Each comes out as it should.
TEST(ImagingHeif, OverlaysOffTheCanvasAndOddTilesComeOutWhole)
{
    // The quarters' coded 64 x 64 picture on a white 100 x 80 canvas at (-20, -10) and (70, 50), and
    // once wholly off it.
    const Bytes overlay = Sample("overlay-off-canvas.heic");
    Image image;
    ASSERT_TRUE(DecodeHeif(overlay.data(), overlay.size(), 0, 0, 1, image));
    ASSERT_EQ(image.width, 100);
    ASSERT_EQ(image.height, 80);
    EXPECT_TRUE(Near(At(image, 2, 2), kRed, 12));        // the first layer's (22, 12)
    EXPECT_TRUE(Near(At(image, 40, 30), kYellow, 12));   // its (60, 40)
    EXPECT_TRUE(Near(At(image, 72, 52), kRed, 12));      // the second layer's top left
    EXPECT_TRUE(Near(At(image, 98, 78), kBlue, 12));     // its (28, 28), cut by the canvas's corner
    EXPECT_TRUE(Near(At(image, 55, 70), kWhite, 4));     // no layer
    EXPECT_TRUE(Near(At(image, 2, 60), kWhite, 4));

    // right-half-clear's picture at (20, 10), laid by its alpha plane: its transparent half shows
    // the canvas.
    const Bytes clear = Sample("overlay-with-alpha.heic");
    ASSERT_TRUE(DecodeHeif(clear.data(), clear.size(), 0, 0, 1, image));
    EXPECT_TRUE(Near(At(image, 22, 12), kRed, 12));
    EXPECT_TRUE(Near(At(image, 22, 55), kBlue, 12));
    EXPECT_TRUE(Near(At(image, 80, 40), kWhite, 4));

    // Four flat AV1 tiles of 33 x 25: their chroma planes of 17 x 13 meet half a sample off.
    const Bytes grid = Sample("grid-odd-tiles.avif");
    ASSERT_TRUE(DecodeHeif(grid.data(), grid.size(), 0, 0, 1, image));
    ASSERT_EQ(image.width, 66);
    ASSERT_EQ(image.height, 50);
    EXPECT_TRUE(Near(At(image, 2, 2), kRed, 16));
    EXPECT_TRUE(Near(At(image, 63, 2), kGreen, 16));
    EXPECT_TRUE(Near(At(image, 2, 47), kBlue, 16));
    EXPECT_TRUE(Near(At(image, 63, 47), kYellow, 16));
}

}  // namespace

// An early encoder's HEIC (libgd's test picture) states no extent (ispe): it is read at the size
// of its coded picture, 100 x 64, blue letters on white.
TEST(ImagingHeif, APictureWithoutItsExtentTakesItsCodedSize)
{
    std::ifstream in(std::string(VARBO_SOURCE_DIR) + "/build/deps/samples/label.heic", std::ios::binary);
    const Bytes file(std::istreambuf_iterator<char>(in), {});
    ASSERT_FALSE(file.empty()) << "scripts/setup extracts build/deps/samples";
    HeifHeader header;
    ASSERT_TRUE(ReadHeifHeader(file.data(), file.size(), header));
    EXPECT_EQ(header.width, 0);
    Image picture;
    ASSERT_TRUE(DecodeHeif(file.data(), file.size(), 0, 0, 1, picture));
    EXPECT_EQ(picture.width, 100);
    EXPECT_EQ(picture.height, 64);
    EXPECT_TRUE(Near(At(picture, 2, 2), kWhite, 8));
}

// Our patches make libde265's edge offset and libheif's fixed-point YCbCr step faster, never
// different: a real camera HEIC (exiv2's heic.heic, 1280 x 854, 4:2:0, edge offsets all over)
// decodes to the pixels (their FNV-1a) of libde265's own edge offset and the one-pixel-at-a-time
// YCbCr step.
TEST(ImagingHeif, FasterDecodingGivesTheSamePixels)
{
    std::ifstream in(std::string(VARBO_SOURCE_DIR) + "/build/deps/samples/heic.heic", std::ios::binary);
    const Bytes file(std::istreambuf_iterator<char>(in), {});
    ASSERT_FALSE(file.empty()) << "scripts/setup extracts build/deps/samples";
    Image picture;
    ASSERT_TRUE(DecodeHeif(file.data(), file.size(), 0, 0, 1, picture));
    ASSERT_EQ(picture.width, 1280);
    uint64_t fnv = 14695981039346656037ull;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width * 3; ++x) fnv = (fnv ^ picture.Row(y)[x]) * 1099511628211ull;
    EXPECT_EQ(fnv, 0x6413949c0b5f4967ull);
}
