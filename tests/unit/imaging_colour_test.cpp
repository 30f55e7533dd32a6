// Colour profiles read out of JPEG, PNG, TIFF and WebP bytes (damaged and hostile ones too),
// and pictures turned into sRGB through them.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <zlib.h>

#include "imaging/colour.h"
#include "imaging/icc_profile.h"
#include "test_profiles.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Passes for a profile: "acsp" where an ICC header has it, a counting pattern elsewhere.
Bytes FakeProfile(size_t size)
{
    Bytes p(size);
    for (size_t i = 0; i < size; ++i) p[i] = static_cast<uint8_t>(i * 7);
    std::memcpy(p.data() + 36, "acsp", 4);
    return p;
}

void Append(Bytes& to, const Bytes& more) { to.insert(to.end(), more.begin(), more.end()); }
void AppendText(Bytes& to, const std::string& text) { to.insert(to.end(), text.begin(), text.end()); }
void Put32(Bytes& to, uint32_t v, bool big)
{
    for (int i = 0; i < 4; ++i) to.push_back(static_cast<uint8_t>(v >> 8 * (big ? 3 - i : i)));
}

struct Chunk {
    int number, count;
    Bytes data;
};

// SOI, one APP2 segment per chunk, then the start of the image data.
Bytes JpegWithChunks(const std::vector<Chunk>& chunks)
{
    Bytes jpeg{0xFF, 0xD8};
    for (const Chunk& c : chunks) {
        Bytes payload;
        AppendText(payload, std::string("ICC_PROFILE\0", 12));
        payload.push_back(static_cast<uint8_t>(c.number));
        payload.push_back(static_cast<uint8_t>(c.count));
        Append(payload, c.data);
        const size_t length = payload.size() + 2;
        Append(jpeg, {0xFF, 0xE2, static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length)});
        Append(jpeg, payload);
    }
    Append(jpeg, {0xFF, 0xDA, 0x00, 0x02, 0x00});
    return jpeg;
}

Bytes Extract(const Bytes& file) { return ExtractIccProfile(file.data(), file.size()); }

TEST(IccProfile, JpegChunksAreJoinedInSequenceOrder)
{
    const Bytes profile = FakeProfile(1000);
    const Bytes a(profile.begin(), profile.begin() + 400), b(profile.begin() + 400, profile.begin() + 700),
        c(profile.begin() + 700, profile.end());
    EXPECT_EQ(Extract(JpegWithChunks({{1, 3, a}, {2, 3, b}, {3, 3, c}})), profile);
    EXPECT_EQ(Extract(JpegWithChunks({{3, 3, c}, {1, 3, a}, {2, 3, b}})), profile) << "stored out of order";
    EXPECT_EQ(Extract(JpegWithChunks({{1, 1, profile}})), profile);

    struct Row {
        const char* rule;
        std::vector<Chunk> chunks;
    } damaged[] = {
        {"a chunk missing", {{1, 3, a}, {3, 3, c}}},
        {"a chunk twice, in place of another", {{1, 3, a}, {2, 3, b}, {2, 3, b}}},
        {"counts disagree", {{1, 3, a}, {2, 2, b}, {3, 3, c}}},
        {"count 0", {{1, 0, profile}}},
        {"number 0", {{0, 1, profile}}},
        {"number past the count", {{2, 1, profile}}},
        {"no ICC header", {{1, 1, Bytes(profile.begin() + 40, profile.end())}}},
    };
    for (const Row& row : damaged) EXPECT_TRUE(Extract(JpegWithChunks(row.chunks)).empty()) << row.rule;

    // A segment whose length runs past the end of the file hides the last chunk.
    Bytes cut = JpegWithChunks({{1, 2, a}, {2, 2, c}});
    cut.resize(cut.size() - 100);
    EXPECT_TRUE(Extract(cut).empty());
    // The most chunks a file can hold, every one present.
    const Bytes small = FakeProfile(255 * 4);
    std::vector<Chunk> many;
    for (int i = 0; i < 255; ++i) many.push_back({i + 1, 255, Bytes(small.begin() + 4 * i, small.begin() + 4 * i + 4)});
    EXPECT_EQ(Extract(JpegWithChunks(many)), small);
}

Bytes PngWithIccp(const Bytes& zlibData, const std::string& name = "ICC Profile")
{
    Bytes png;
    AppendText(png, "\x89PNG\r\n\x1a\n");
    auto chunk = [&](const std::string& type, const Bytes& data) {
        Put32(png, static_cast<uint32_t>(data.size()), true);
        AppendText(png, type);
        Append(png, data);
        Put32(png, 0, true);  // the CRC is not checked
    };
    chunk("IHDR", Bytes(13, 1));
    Bytes iccp(name.begin(), name.end());
    Append(iccp, {0, 0});
    Append(iccp, zlibData);
    chunk("iCCP", iccp);
    chunk("IDAT", Bytes(10, 0));
    return png;
}

Bytes Deflate(const Bytes& data)
{
    uLongf size = compressBound(data.size());
    Bytes out(size);
    EXPECT_EQ(compress(out.data(), &size, data.data(), data.size()), Z_OK);
    out.resize(size);
    return out;
}

TEST(IccProfile, PngTiffAndWebpCarryItTheirWay)
{
    const Bytes profile = FakeProfile(3000);
    const Bytes packed = Deflate(profile);
    EXPECT_EQ(Extract(PngWithIccp(packed)), profile) << "PNG iCCP, inflated";
    EXPECT_TRUE(Extract(PngWithIccp(Bytes(packed.begin(), packed.end() - 20))).empty()) << "zlib stream cut short";
    EXPECT_TRUE(Extract(PngWithIccp(Bytes(100, 0x55))).empty()) << "not zlib at all";
    EXPECT_TRUE(Extract(PngWithIccp(packed, std::string(90, 'n'))).empty()) << "name longer than 79";
    // Over 16 MB packs into some 16 KB; inflating stops at the limit, and what came out
    // before it is no profile.
    Bytes huge(kMaxIccProfileBytes + 1, 0);
    std::memcpy(huge.data() + 36, "acsp", 4);
    EXPECT_TRUE(Extract(PngWithIccp(Deflate(huge))).empty()) << "past kMaxIccProfileBytes";

    Bytes tiff;  // big-endian; both orders are walked by the same reader as EXIF's
    AppendText(tiff, std::string("MM\0\x2a", 4));
    Put32(tiff, 8, true);
    Append(tiff, {0, 1, 0x87, 0x73, 0, 7});  // one entry: InterColorProfile (34675), UNDEFINED
    Put32(tiff, static_cast<uint32_t>(profile.size()), true);
    Put32(tiff, 26, true);  // right after the IFD
    Put32(tiff, 0, true);   // no next IFD
    Append(tiff, profile);
    EXPECT_EQ(Extract(tiff), profile) << "TIFF tag 34675";
    tiff.pop_back();
    EXPECT_TRUE(Extract(tiff).empty()) << "profile runs past the end";

    Bytes webp;
    AppendText(webp, "RIFF");
    Put32(webp, 0, false);
    AppendText(webp, "WEBPVP8X");
    Put32(webp, 10, false);
    Append(webp, Bytes(10, 0));
    AppendText(webp, "ICCP");
    Put32(webp, static_cast<uint32_t>(profile.size()), false);
    Append(webp, profile);
    EXPECT_EQ(Extract(webp), profile) << "WebP ICCP chunk";
    webp[34 + 3] = 0x7F;  // the ICCP length (bytes 34..37) now runs past the end
    EXPECT_TRUE(Extract(webp).empty());
    EXPECT_TRUE(Extract({}).empty());
}

TEST(ColourConversion, AgreesWithLittleCmsOwnTransformWithinAStep)
{
    // Every 8-bit colour whose channels are 3, 11, 19, ... 251: off the interpolation grid's
    // points, near its cells' middles where an interpolation strays most.
    std::vector<uint8_t> colours;
    for (int b = 3; b < 256; b += 8)
        for (int g = 3; g < 256; g += 8)
            for (int r = 3; r < 256; r += 8) colours.insert(colours.end(), {uint8_t(b), uint8_t(g), uint8_t(r)});
    const Bytes adobe = AdobeRgb();
    cmsHPROFILE source = cmsOpenProfileFromMem(adobe.data(), static_cast<cmsUInt32Number>(adobe.size()));
    cmsHPROFILE srgb = cmsCreate_sRGBProfile();
    cmsHTRANSFORM direct = cmsCreateTransform(source, TYPE_BGR_8, srgb, TYPE_BGR_8, INTENT_PERCEPTUAL, 0);
    std::vector<uint8_t> want(colours.size());
    cmsDoTransform(direct, colours.data(), want.data(), static_cast<cmsUInt32Number>(colours.size() / 3));
    cmsDeleteTransform(direct);
    cmsCloseProfile(srgb);
    cmsCloseProfile(source);

    Image image;
    ASSERT_TRUE(image.Allocate(static_cast<int>(colours.size() / 3), 1));
    std::copy(colours.begin(), colours.end(), image.Row(0));
    ASSERT_TRUE(ConvertToSrgb(image, adobe));
    int worst = 0;
    for (size_t i = 0; i < colours.size(); ++i) worst = std::max(worst, std::abs(int{image.Row(0)[i]} - int{want[i]}));
    EXPECT_LE(worst, 1);
}

TEST(ColourConversion, OnlyAUsableForeignProfileChangesThePixels)
{
    cmsToneCurve* linear = cmsBuildGamma(nullptr, 1.0);
    const Bytes linearGrey = Saved(cmsCreateGrayProfile(cmsD50_xyY(), linear));
    cmsFreeToneCurve(linear);
    Image colour;
    colour.Allocate(2, 1);
    std::copy_n(std::array<uint8_t, 6>{40, 90, 200, 128, 128, 128}.begin(), 6, colour.Row(0));

    struct Row {
        const char* rule;
        Bytes profile;
    } untouched[] = {
        {"no profile", {}},
        {"sRGB's own profile", Saved(cmsCreate_sRGBProfile())},
        {"garbage behind an ICC header", FakeProfile(500)},
        {"a Lab profile: no space pictures come in", Saved(cmsCreateLab4Profile(nullptr))},
        {"a grey profile on a colour picture", linearGrey},
    };
    for (const Row& row : untouched) {
        Image image = colour;
        EXPECT_FALSE(ConvertToSrgb(image, row.profile)) << row.rule;
        EXPECT_EQ(image.pixels, colour.pixels) << row.rule;
    }
    // Linear-light grey 128 is sRGB 188.
    Image grey;
    grey.Allocate(1, 1);
    std::fill_n(grey.Row(0), 3, 128);
    ASSERT_TRUE(ConvertToSrgb(grey, linearGrey));
    EXPECT_NEAR(grey.Row(0)[0], 188, 1);
    EXPECT_EQ(grey.Row(0)[0], grey.Row(0)[2]);
}

} // namespace
