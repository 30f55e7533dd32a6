// JPEG decoding (scales, colour spaces, damaged and hostile files) and what we encode.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "imaging/jpeg_io.h"
#include "test_profiles.h"

#if defined(__SANITIZE_ADDRESS__)
// From AddressSanitizer's runtime (GCC ships no header for it): called on every malloc in
// the process, libjpeg's included.
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*)(const volatile void*, size_t), void (*)(const volatile void*));
#define VARBO_WATCH_ALLOCATIONS 1
#endif

namespace {

using Bytes = std::vector<uint8_t>;

// Test files made with libjpeg directly, so decoding is checked against an encoder not ours.
struct RawJpeg {
    int width = 64, height = 48;
    J_COLOR_SPACE input = JCS_RGB;
    int components = 3;
    J_COLOR_SPACE stored = JCS_UNKNOWN;  // JCS_UNKNOWN: libjpeg's default for the input
    int adobeMarker = -1;                // -1: libjpeg's default for the stored space
    std::function<uint8_t(int x, int y, int c)> pixel = [](int x, int y, int c) { return uint8_t(x * y + c * 50); };
    bool progressive = false;
    int lumaH = 0, lumaV = 0;  // sampling of the first component; 0: libjpeg's default (2 x 2)
    int restartInterval = 0;
    std::vector<jpeg_scan_info> scans = {};
    Bytes icc = {};  // written as APP2 chunks
};

Bytes Encode(const RawJpeg& raw)
{
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &buffer, &size);
    c.image_width = raw.width;
    c.image_height = raw.height;
    c.input_components = raw.components;
    c.in_color_space = raw.input;
    jpeg_set_defaults(&c);
    if (raw.stored != JCS_UNKNOWN)
        jpeg_set_colorspace(&c, raw.stored);
    if (raw.adobeMarker >= 0)
        c.write_Adobe_marker = raw.adobeMarker;
    jpeg_set_quality(&c, 95, TRUE);
    if (raw.lumaH)
        c.comp_info[0].h_samp_factor = raw.lumaH, c.comp_info[0].v_samp_factor = raw.lumaV;
    if (raw.progressive)
        jpeg_simple_progression(&c);
    if (!raw.scans.empty())
        c.scan_info = raw.scans.data(), c.num_scans = int(raw.scans.size());
    c.restart_interval = raw.restartInterval;
    jpeg_start_compress(&c, TRUE);
    if (!raw.icc.empty())
        jpeg_write_icc_profile(&c, raw.icc.data(), static_cast<unsigned>(raw.icc.size()));
    Bytes row(raw.width * raw.components);
    for (int y = 0; y < raw.height; ++y) {
        for (size_t i = 0; i < row.size(); ++i)
            row[i] = raw.pixel(int(i) / raw.components, y, int(i) % raw.components);
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&c, rows, 1);
    }
    jpeg_finish_compress(&c);
    Bytes file(buffer, buffer + size);
    jpeg_destroy_compress(&c);
    std::free(buffer);
    return file;
}

Bytes EncodeBlack(int w, int h)
{
    Image image;
    Bytes jpeg;
    EXPECT_TRUE(image.Allocate(w, h) && EncodeJpeg(image, 75, jpeg));
    return jpeg;
}

struct Segment {
    uint8_t marker;
    Bytes payload;
};

// The marker segments after SOI, up to and including SOS.
std::vector<Segment> HeaderSegments(const Bytes& jpeg)
{
    std::vector<Segment> segments;
    for (size_t pos = 2; pos + 4 <= jpeg.size() && (segments.empty() || segments.back().marker != 0xDA);) {
        const size_t length = jpeg[pos + 2] << 8 | jpeg[pos + 3];
        if (pos + 2 + length > jpeg.size())
            break;
        segments.push_back({jpeg[pos + 1], Bytes(jpeg.begin() + pos + 4, jpeg.begin() + pos + 2 + length)});
        pos += 2 + length;
    }
    return segments;
}

size_t ScanStart(const Bytes& jpeg)
{
    size_t at = 2;
    for (const Segment& s : HeaderSegments(jpeg))
        at += 4 + s.payload.size();
    return at;
}

int Get16(const Bytes& b, size_t at) { return b[at] << 8 | b[at + 1]; }

TEST(ImagingJpegScale, ChoosesTheSmallestEighthAtOrAboveTheMinimum)
{
    // ceil(side * M / 8) for M = 1..8: the smallest M whose result covers the minimum.
    struct Row {
        const char* rule;
        int w, h, minW, minH, m;
    } rows[] = {
        {"12 MP to 901 x 675: 1/8 = 500 x 375 too small, 2/8 = 1000 x 750", 4000, 3000, 901, 675, 2},
        {"portrait, minimum swapped", 3000, 4000, 675, 901, 2},
        {"8000 x 6000: 1/8 = 1000 x 750", 8000, 6000, 901, 675, 1},
        {"ceil: 7201 / 8 -> 901 and 5401 / 8 -> 676 fit at 1/8", 7201, 5401, 901, 676, 1},
        {"1920 x 1080 to 901 x 506: 3/8 = 720 too narrow, 4/8 = 960 x 540", 1920, 1080, 901, 506, 4},
        {"height decides: 2/8 = 1000 x 250 too short", 4000, 1000, 901, 300, 3},
        {"1000 x 1000 to 901: 7/8 = 875 too small, so whole", 1000, 1000, 901, 901, 8},
        {"smaller than the minimum: whole, never enlarged in the DCT", 640, 427, 901, 600, 8},
        {"no minimum: whole", 4000, 3000, 0, 0, 8},
    };
    for (const Row& row : rows)
        EXPECT_EQ(ChooseDctScale(row.w, row.h, row.minW, row.minH), row.m) << row.rule;

    struct Decode {
        const char* rule;
        int w, h, minW, minH, outW, outH;
    } decodes[] = {
        {"12 MP to 901 x 675 decodes at 2/8", 4000, 3000, 901, 675, 1000, 750},
        {"small picture decodes whole", 640, 427, 901, 600, 640, 427},
        {"libjpeg rounds up as we do: 801 x 601 at 1/8", 801, 601, 101, 76, 101, 76},
        {"no minimum", 801, 601, 0, 0, 801, 601},
    };
    for (const Decode& row : decodes) {
        const Bytes jpeg = EncodeBlack(row.w, row.h);
        Image image;
        ASSERT_TRUE(DecodeJpeg(jpeg.data(), jpeg.size(), row.minW, row.minH, image)) << row.rule;
        EXPECT_EQ(image.width, row.outW) << row.rule;
        EXPECT_EQ(image.height, row.outH) << row.rule;
    }
}

TEST(ImagingJpegEncode, WritesJfif300DpiBaseline420OptimisedTablesAndNothingElse)
{
    // mozjpeg's default quant table (the same for luma and chroma: DC 16, last entry 418),
    // scaled by hand: scale = q < 50 ? 5000 / q : 200 - 2q, entry = (base * scale + 50) / 100
    // in 1..255 (baseline tables). The standard tables would give DC 16 / 17, last 99 at q50.
    // Below 82 the number is first raised by (82 - q) * 3 / 16, and the scale rounded.
    struct Row {
        int quality, dc, last;
    } rows[] = {
        {50, 14, 255},  // as 56, scale 88: 418 -> 368, cut to 255
        {70, 9, 234},   // as 72.25, scale 55.5 -> 56
        {80, 6, 163},   // as 80.375, scale 39.25 -> 39
        {90, 3, 84},    // scale 20
        {100, 1, 1},    // scale 0, raised to 1
        {10, 34, 255},  // as 23.5, scale 5000 / 23.5 = 212.8 -> 213
    };
    const Bytes source = Encode({.pixel = [](int x, int y, int c) { return uint8_t(x * 3 + y * 2 + c * 20); }});
    Image image;  // 64 x 48, then taken as 37 px wide: 111 bytes of each 192-byte row
    ASSERT_TRUE(DecodeJpeg(source.data(), source.size(), 0, 0, image));
    image.width = 37;
    for (const Row& row : rows) {
        Bytes jpeg;
        ASSERT_TRUE(EncodeJpeg(image, row.quality, jpeg));
        EXPECT_EQ(Get16(jpeg, 0), 0xFFD8);
        EXPECT_EQ(Get16(jpeg, jpeg.size() - 2), 0xFFD9);
        std::string markers, tables;  // one segment may hold several tables
        for (const Segment& s : HeaderSegments(jpeg)) {
            const Bytes& p = s.payload;
            markers += s.marker == 0xE0 ? "A" : s.marker == 0xDB ? "Q" : s.marker == 0xC0 ? "F" : s.marker == 0xC4 ? "H" : s.marker == 0xDA ? "S" : "?";
            if (s.marker == 0xE0) {  // "JFIF\0", version, unit 1 = dots per inch, 300 x 300
                EXPECT_EQ(std::string(p.begin(), p.begin() + 5), std::string("JFIF", 5));
                EXPECT_EQ(p[7], 1);
                EXPECT_EQ(Get16(p, 8), 300);
                EXPECT_EQ(Get16(p, 10), 300);
            } else if (s.marker == 0xDB) {  // 8-bit tables, 64 entries each in zigzag order
                for (size_t at = 0; at + 65 <= p.size(); at += 65) {
                    tables += "q" + std::to_string(p[at]);
                    EXPECT_EQ(p[at + 1], row.dc) << "q" << row.quality << " DC, table " << int(p[at]);
                    EXPECT_EQ(p[at + 64], row.last) << "q" << row.quality << " last, table " << int(p[at]);
                }
            } else if (s.marker == 0xC0) {  // height, width, Y 2x2, Cb 1x1, Cr 1x1
                EXPECT_EQ(Get16(p, 1), 48);
                EXPECT_EQ(Get16(p, 3), 37);
                EXPECT_EQ(std::vector<int>({p[5], p[7], p[10], p[13]}), std::vector<int>({3, 0x22, 0x11, 0x11}));
            } else if (s.marker == 0xC4) {
                for (size_t at = 0; at + 17 <= p.size();) {
                    int codes = 0;
                    for (int i = 1; i <= 16; ++i)
                        codes += p[at + i];
                    tables += (p[at] >> 4 ? "ac" : "dc") + std::to_string(p[at] & 15);
                    if (p[at] >> 4) {  // AC table fitted to this picture: far fewer than the standard 162
                        EXPECT_LT(codes, 162) << "q" << row.quality;
                    }
                    at += 17 + codes;
                }
            }
        }
        EXPECT_EQ(markers, "AQFHS") << "q" << row.quality;
        EXPECT_EQ(tables, "q0q1dc0ac0dc1ac1") << "q" << row.quality;
        Image back;  // rows are read by stride, not width: a wrong step would shear the picture
        ASSERT_TRUE(DecodeJpeg(jpeg.data(), jpeg.size(), 0, 0, back));
        long error = 0;
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 111; ++x)
                error += std::abs(back.Row(y)[x] - image.Row(y)[x]);
        EXPECT_LT(error, (row.quality >= 80 ? 2L : 8L) * 48 * 111) << "q" << row.quality << ": mean error";
    }
    Bytes jpeg;
    EXPECT_FALSE(EncodeJpeg(image, 0, jpeg));
    EXPECT_FALSE(EncodeJpeg(image, 101, jpeg));
}

TEST(ImagingJpegDecode, EveryColourSpaceComesOutAsBgr)
{
    const Bytes cyanOnly = CyanOnlyCmykProfile();
    // Flat pictures of one colour. Adobe CMYK stores inverted inks (255 = none), as
    // Photoshop writes it; plain CMYK stores inks as they are.
    auto flat = [](Bytes v) { return [v](int, int, int c) { return v[c]; }; };
    struct Row {
        const char* rule;
        RawJpeg raw;
        int b, g, r;
    } rows[] = {
        {"grayscale 200", {.input = JCS_GRAYSCALE, .components = 1, .pixel = flat({200})}, 200, 200, 200},
        {"YCbCr from orange RGB", {.pixel = flat({255, 128, 0})}, 0, 128, 255},
        {"stored as RGB, red", {.stored = JCS_RGB, .pixel = flat({255, 0, 0})}, 0, 0, 255},
        {"Adobe CMYK, red ink (M+Y)", {.input = JCS_CMYK, .components = 4, .pixel = flat({255, 0, 0, 255})}, 0, 0, 255},
        {"Adobe CMYK, half black", {.input = JCS_CMYK, .components = 4, .pixel = flat({255, 255, 255, 127})}, 127, 127, 127},
        {"Adobe YCCK, green ink (C+Y)", {.input = JCS_CMYK, .components = 4, .stored = JCS_YCCK, .pixel = flat({0, 255, 0, 255})}, 0, 255, 0},
        {"CMYK without Adobe marker, blue ink (C+M)", {.input = JCS_CMYK, .components = 4, .adobeMarker = 0, .pixel = flat({255, 255, 0, 0})}, 255, 0, 0},
        {"Adobe CMYK with a profile: red ink but no cyan is white through it", {.input = JCS_CMYK, .components = 4, .pixel = flat({255, 0, 0, 255}), .icc = cyanOnly}, 255, 255, 255},
        {"CMYK with a profile: full cyan is its grey", {.input = JCS_CMYK, .components = 4, .adobeMarker = 0, .pixel = flat({255, 0, 0, 0}), .icc = cyanOnly}, 119, 119, 119},
        {"an RGB profile leaves CMYK to the naive way", {.input = JCS_CMYK, .components = 4, .pixel = flat({255, 0, 0, 255}), .icc = Saved(cmsCreate_sRGBProfile())}, 0, 0, 255},
    };
    for (const Row& row : rows) {
        const Bytes jpeg = Encode(row.raw);
        Image image;
        ASSERT_TRUE(DecodeJpeg(jpeg.data(), jpeg.size(), 0, 0, image)) << row.rule;
        const uint8_t* p = image.Row(20) + 3 * 30;
        EXPECT_NEAR(p[0], row.b, 4) << row.rule << " (blue)";
        EXPECT_NEAR(p[1], row.g, 4) << row.rule << " (green)";
        EXPECT_NEAR(p[2], row.r, 4) << row.rule << " (red)";
    }
    Image red;  // and our own encoder takes B, G, R
    ASSERT_TRUE(red.Allocate(16, 16));
    for (int i = 2; i < 16 * 3; i += 3)
        red.Row(8)[i] = 255;
    Bytes jpeg;
    ASSERT_TRUE(EncodeJpeg(red, 95, jpeg) && DecodeJpeg(jpeg.data(), jpeg.size(), 0, 0, red));
    EXPECT_GT(red.Row(8)[3 * 8 + 2], 2 * red.Row(8)[3 * 8]);
}

TEST(ImagingJpegDecode, DamagedOrForeignDataFails)
{
    const Bytes good = Encode({});
    const Bytes progressive = Encode({.progressive = true});
    auto cut = [](const Bytes& b, size_t n) { return Bytes(b.begin(), b.begin() + n); };
    const size_t midScan = (ScanStart(good) + good.size()) / 2;
    ASSERT_GT(good.size() - ScanStart(good), 1000u) << "enough scan data to cut into";
    Bytes cutWithEoi = cut(good, midScan);
    cutWithEoi.insert(cutWithEoi.end(), {0xFF, 0xD9});
    Bytes noise(5000);
    for (size_t i = 0; i < noise.size(); ++i)
        noise[i] = uint8_t(i * 7919 + (i >> 3));
    Bytes soiNoise = noise;
    soiNoise[0] = 0xFF, soiNoise[1] = 0xD8;

    struct Row {
        const char* rule;
        Bytes data;
    } rows[] = {
        {"empty", {}},
        {"PNG signature", {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'}},
        {"noise", noise},
        {"SOI then noise", soiNoise},
        {"cut after SOI", cut(good, 2)},
        {"cut inside the header", cut(good, 30)},
        {"cut in the middle of the scan", cut(good, midScan)},
        {"cut in the middle of the scan, EOI put back", cutWithEoi},
        {"cut just before EOI", cut(good, good.size() - 2)},
        {"cut inside EOI", cut(good, good.size() - 1)},
        {"progressive, cut halfway", cut(progressive, progressive.size() / 2)},
        {"progressive, cut before EOI", cut(progressive, progressive.size() - 2)},
    };
    JpegHeader header;
    for (const Row& row : rows) {
        Image image;
        ASSERT_TRUE(image.Allocate(3, 3));
        EXPECT_FALSE(DecodeJpeg(row.data.data(), row.data.size(), 0, 0, image)) << row.rule;
        EXPECT_TRUE(image.Empty()) << row.rule;
        EXPECT_FALSE(DecodeJpeg(row.data.data(), row.data.size(), 16, 4, image)) << row.rule << " (scaled)";
        EXPECT_TRUE(row.data.size() > 40 || !ReadJpegHeader(row.data.data(), row.data.size(), header)) << row.rule;
    }
    Image image;
    EXPECT_FALSE(DecodeJpeg(nullptr, 100, 0, 0, image));
    EXPECT_TRUE(DecodeJpeg(progressive.data(), progressive.size(), 16, 4, image));
    EXPECT_EQ(image.width * 100 + image.height, 16 * 100 + 12) << "64 x 48 at 2/8";
    ASSERT_TRUE(ReadJpegHeader(progressive.data(), progressive.size(), header));
    EXPECT_TRUE(header.progressive);
    // An Exif APP1 (big-endian, IFD0 at 8, one entry: Orientation SHORT 6) right after SOI.
    Bytes withExif = good;
    withExif.insert(withExif.begin() + 2, {0xFF, 0xE1, 0, 34, 'E', 'x', 'i', 'f', 0, 0, 'M', 'M', 0, 42, 0, 0, 0, 8,
                                           0, 1, 0x01, 0x12, 0, 3, 0, 0, 0, 1, 0, 6, 0, 0, 0, 0, 0, 0});
    ASSERT_TRUE(ReadJpegHeader(withExif.data(), withExif.size(), header));
    EXPECT_EQ(header.width * 100 + header.height, 64 * 100 + 48);
    EXPECT_EQ(header.orientation, 6);
    EXPECT_FALSE(header.progressive);
}

#ifdef VARBO_WATCH_ALLOCATIONS
std::atomic<bool> gWatching{false};
std::atomic<size_t> gLargest{0};
void OnMalloc(const volatile void*, size_t size)
{
    for (size_t seen = gLargest; gWatching && size > seen && !gLargest.compare_exchange_weak(seen, size);) {
    }
}
void OnFree(const volatile void*) {}
#endif

TEST(ImagingJpegDecode, GiantClaimedSizeIsRefusedBeforeAnyLargeAllocation)
{
    // A small real file whose SOF0 claims 60000 x 60000: 3.6 gigapixels, 56 even at 1/8.
    Bytes jpeg = EncodeBlack(16, 16);
    size_t sof = 2;
    while (sof + 9 < jpeg.size() && Get16(jpeg, sof) != 0xFFC0)
        ++sof;
    for (size_t at : {sof + 5, sof + 7})  // height, width
        jpeg[at] = 0xEA, jpeg[at + 1] = 0x60;
    JpegHeader header;
    ASSERT_TRUE(ReadJpegHeader(jpeg.data(), jpeg.size(), header));
    EXPECT_EQ(header.width, 60000);
    EXPECT_EQ(header.height, 60000);
#ifdef VARBO_WATCH_ALLOCATIONS
    static const bool hooked = __sanitizer_install_malloc_and_free_hooks(OnMalloc, OnFree) != 0;
    ASSERT_TRUE(hooked);
    gLargest = 0;
    gWatching = true;
#endif
    Image image;
    EXPECT_FALSE(DecodeJpeg(jpeg.data(), jpeg.size(), 0, 0, image));
    EXPECT_FALSE(DecodeJpeg(jpeg.data(), jpeg.size(), 901, 675, image));
#ifdef VARBO_WATCH_ALLOCATIONS
    gWatching = false;
    EXPECT_LT(gLargest.load(), size_t{1} << 20) << "largest single allocation, bytes";
#endif
}

TEST(ImagingJpegDecode, ToleratesAFewWarningsButNotAFloodNorEndlessScans)
{
    // Empty comment segments after SOI, each with a stray byte before its marker: one
    // "extraneous bytes" warning apiece.
    const Bytes clean = Encode({});
    auto garbled = [&](int count) {
        Bytes out = clean;
        for (int i = 0; i < count; ++i)
            out.insert(out.begin() + 2, {0x55, 0xFF, 0xFE, 0x00, 0x02});
        return out;
    };
    const Bytes few = garbled(10), flood = garbled(1001);
    Image image;
    EXPECT_TRUE(DecodeJpeg(few.data(), few.size(), 0, 0, image)) << "10 warnings";
    EXPECT_EQ(image.height, 48);
    EXPECT_FALSE(DecodeJpeg(flood.data(), flood.size(), 0, 0, image)) << "1001 warnings";

    // Valid but absurd: DC and each AC coefficient sent a bit at a time (first scan Al 7,
    // then 7 refinements): 64 x 8 = 512 scans.
    RawJpeg raw{.input = JCS_GRAYSCALE, .components = 1};
    for (int k = 0; k < 64; ++k)
        for (int al = 7; al >= 0; --al)
            raw.scans.push_back({1, {0, 0, 0, 0}, k, k, al == 7 ? 0 : al + 1, al});
    const Bytes many = Encode(raw);
    EXPECT_FALSE(DecodeJpeg(many.data(), many.size(), 0, 0, image)) << "512 scans";
}

TEST(ImagingJpegDecode, TwoThreadsGiveThePixelsOfOneOrLeaveTheFileToIt)
{
    auto same = [](const Image& a, const Image& b) {
        return a.width == b.width && a.height == b.height && a.pixels == b.pixels;
    };
    auto detail = [](int x, int y, int c) { return uint8_t((x * x + y * 3) * (c + 1) + ((x ^ y) & 31)); };
    Bytes colour;
    // Odd sizes, the four usual samplings, every DCT scale.
    for (const auto& [h, v] : {std::pair{2, 2}, {2, 1}, {1, 1}, {1, 2}}) {
        const Bytes jpeg = Encode({.width = 203, .height = 117, .pixel = detail, .progressive = true, .lumaH = h, .lumaV = v});
        for (int m = 1; m <= 8; ++m) {
            const int minWidth = (203 * m + 7) / 8;
            Image one, two;
            ASSERT_TRUE(DecodeJpeg(jpeg.data(), jpeg.size(), minWidth, 0, one));
            ASSERT_TRUE(DecodeJpegOnTwoThreads(jpeg.data(), jpeg.size(), minWidth, 0, two)) << h << "x" << v << " at " << m << "/8";
            EXPECT_TRUE(same(one, two)) << h << "x" << v << " at " << m << "/8";
        }
        colour = jpeg;
    }

    // Wherever a byte is damaged, a two-thread success means the same pixels from one thread.
    int decoded = 0;
    for (size_t at = 2; at < colour.size(); at += colour.size() / 60) {
        Bytes bad = colour;
        bad[at] ^= 0x5A;
        Image one, two;
        const bool okOne = DecodeJpeg(bad.data(), bad.size(), 0, 0, one);
        if (!DecodeJpegOnTwoThreads(bad.data(), bad.size(), 0, 0, two))
            continue;
        ++decoded;
        EXPECT_TRUE(okOne && same(one, two)) << "byte " << at;
    }
    EXPECT_GT(decoded, 10);

    // Files it leaves to the one-thread decode.
    Bytes stray = colour;
    stray.insert(stray.begin() + 2, {0x55, 0xFF, 0xFE, 0x00, 0x02});
    // One DC scan and 63 x 4 AC scans each for luma and for Cb: neither stream has too
    // many, the file has.
    RawJpeg manyScans{.width = 8, .height = 8};
    manyScans.scans.push_back({3, {0, 1, 2, 0}, 0, 0, 0, 0});
    for (int c = 0; c < 2; ++c)
        for (int k = 1; k < 64; ++k)
            for (int al = 3; al >= 0; --al)
                manyScans.scans.push_back({1, {c, 0, 0, 0}, k, k, al == 3 ? 0 : al + 1, al});
    const struct {
        const char* rule;
        Bytes data;
    } refused[] = {
        {"baseline", Encode({})},
        {"grey", Encode({.input = JCS_GRAYSCALE, .components = 1, .progressive = true})},
        {"RGB stored as RGB", Encode({.stored = JCS_RGB, .progressive = true})},
        {"a stray byte before a marker", stray},
        {"cut before its end marker", Bytes(colour.begin(), colour.end() - 2)},
        {"more scans than we decode", Encode(manyScans)},
    };
    for (const auto& row : refused) {
        Image image;
        ASSERT_TRUE(image.Allocate(3, 3));
        EXPECT_FALSE(DecodeJpegOnTwoThreads(row.data.data(), row.data.size(), 0, 0, image)) << row.rule;
        EXPECT_TRUE(image.Empty()) << row.rule;
    }
    Image one, two;
    ASSERT_TRUE(DecodeJpeg(stray.data(), stray.size(), 0, 0, one, 1));
    ASSERT_TRUE(DecodeJpeg(stray.data(), stray.size(), 0, 0, two, 2));
    EXPECT_TRUE(same(one, two));
}

}  // namespace
