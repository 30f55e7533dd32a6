// The EXIF fields we keep: reading them from hand-built (and hostile) TIFF blocks in every
// container, and the small EXIF written from them.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "imaging/exif.h"
#include "imaging/jpeg_io.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint16_t kAscii = 2, kShort = 3, kLong = 4, kRational = 5, kSRational = 10;

// One IFD entry as a test writes it: numbers are put in the block's byte order, a text as it
// is. `offset` forces the value field (an offset that lies); `count` forces the count.
struct E {
    uint16_t tag, type;
    std::vector<uint32_t> numbers = {};
    std::string text = {};
    std::optional<uint32_t> count = {};
    std::optional<uint32_t> offset = {};
};
E Text(uint16_t tag, const std::string& text) { return {tag, kAscii, {}, text + '\0'}; }
E Short(uint16_t tag, uint32_t v) { return {tag, kShort, {v}}; }
E Long(uint16_t tag, uint32_t v) { return {tag, kLong, {v}}; }
E Rational(uint16_t tag, uint32_t n, uint32_t d) { return {tag, kRational, {n, d}}; }
E SRational(uint16_t tag, int32_t n, int32_t d) { return {tag, kSRational, {uint32_t(n), uint32_t(d)}}; }

struct Writer {
    bool big;
    Bytes bytes;
    void Put(uint32_t v, int size)
    {
        for (int i = 0; i < size; ++i) bytes.push_back(uint8_t(v >> 8 * (big ? size - 1 - i : i)));
    }
    void PutAt(size_t at, uint32_t v)
    {
        for (int i = 0; i < 4; ++i) bytes[at + i] = uint8_t(v >> 8 * (big ? 3 - i : i));
    }
    Bytes Value(const E& e)
    {
        Writer w{big, {}};
        if (e.type == kAscii) return Bytes(e.text.begin(), e.text.end());
        for (uint32_t n : e.numbers) w.Put(n, e.type == kShort ? 2 : 4);
        return w.bytes;
    }
    // The IFD at the end of the block, its long values after it; returns where it starts.
    size_t Ifd(const std::vector<E>& entries)
    {
        const size_t start = bytes.size();
        size_t dataAt = start + 2 + 12 * entries.size() + 4;
        Put(uint32_t(entries.size()), 2);
        std::vector<Bytes> later;
        for (const E& e : entries) {
            const Bytes value = Value(e);
            const uint32_t count = e.count ? *e.count
                                   : e.type == kAscii ? uint32_t(value.size())
                                                      : uint32_t(e.numbers.size() / (e.type == kShort || e.type == kLong ? 1 : 2));
            Put(e.tag, 2), Put(e.type, 2), Put(count, 4);
            if (value.size() <= 4 && !e.offset) {
                bytes.insert(bytes.end(), value.begin(), value.end());
                bytes.resize(bytes.size() + 4 - value.size());
            } else {
                Put(e.offset ? *e.offset : uint32_t(dataAt), 4);
                if (!e.offset) {
                    later.push_back(value);
                    dataAt += value.size() + value.size() % 2;
                }
            }
        }
        Put(0, 4);
        for (Bytes& v : later) {
            if (v.size() % 2) v.push_back(0);
            bytes.insert(bytes.end(), v.begin(), v.end());
        }
        return start;
    }
};

constexpr uint16_t kExifPointer = 0x8769;

// A TIFF block: IFD0 and, when given, an Exif IFD that a pointer entry of IFD0 (added last,
// unless IFD0 has one of its own) leads to.
Bytes Block(bool big, std::vector<E> ifd0, const std::vector<E>& exif = {})
{
    Writer w{big, big ? Bytes{'M', 'M', 0, 42, 0, 0, 0, 8} : Bytes{'I', 'I', 42, 0, 8, 0, 0, 0}};
    bool ownPointer = false;
    for (const E& e : ifd0) ownPointer |= e.tag == kExifPointer;
    if (!exif.empty() && !ownPointer) ifd0.push_back(Long(kExifPointer, 0));
    w.Ifd(ifd0);
    if (!exif.empty() && !ownPointer) {
        // The pointer's value field is the last entry's: 4 + 4 bytes before IFD0's end of entries.
        const size_t pointerValue = 8 + 2 + 12 * (ifd0.size() - 1) + 8;
        w.PutAt(pointerValue, uint32_t(w.bytes.size()));
        w.Ifd(exif);
    }
    return w.bytes;
}

// Read from a heap block of exactly the data's size, so AddressSanitizer sees any overread.
ExifFields Read(const Bytes& tiff)
{
    std::unique_ptr<uint8_t[]> exact(new uint8_t[tiff.size()]);
    std::memcpy(exact.get(), tiff.data(), tiff.size());
    return ReadExif(exact.get(), tiff.size());
}

ExifFields Canon()
{
    ExifFields f;
    f.make = "Canon";
    f.model = "Canon EOS 5D";
    f.dateTime = "2024:07:14 10:00:00";
    f.dateTimeOriginal = "2024:07:13 18:30:05";
    f.dateTimeDigitized = "2024:07:13 18:30:05";
    f.offsetTimeOriginal = "+03:00";
    f.subSecTimeOriginal = "42";
    f.lensModel = "EF24-105mm f/4L IS USM";
    f.artist = "Анна";
    f.copyright = "(c) Anna";
    f.exposureTime = ExifRational{1, 250};
    f.fNumber = ExifRational{56, 10};
    f.focalLength = ExifRational{50, 1};
    f.exposureBias = ExifSignedRational{-2, 3};
    f.iso = 400;
    f.flash = 16;
    f.whiteBalance = 0;
    return f;
}

// Canon() as a camera writes it, with what must never be passed on beside it.
std::vector<E> CanonIfd0()
{
    return {Text(0x010F, "Canon"), Text(0x0110, "Canon EOS 5D"), Short(0x0112, 6), Text(0x0132, "2024:07:14 10:00:00"),
            Text(0x013B, "Анна"), Text(0x8298, "(c) Anna"), Long(0x8825, 8) /* GPS IFD */};
}
std::vector<E> CanonExif()
{
    return {Rational(0x829A, 1, 250),   Rational(0x829D, 56, 10),     Short(0x8827, 400),
            Text(0x9003, "2024:07:13 18:30:05"), Text(0x9004, "2024:07:13 18:30:05"), Text(0x9011, "+03:00"),
            SRational(0x9204, -2, 3),   Short(0x9209, 16),            Rational(0x920A, 50, 1),
            Text(0x927C, "maker note"), Text(0x9291, "42"),           Short(0xA403, 0),
            Text(0xA431, "0560018150") /* BodySerialNumber */,      Text(0xA434, "EF24-105mm f/4L IS USM"),
            Text(0xA435, "0000c3f1") /* LensSerialNumber */};
}

TEST(ExifFields, ReadsTheKeptTagsOfIfd0AndTheExifIfd)
{
    ExifFields turned = Canon();
    turned.orientation = 6;
    const std::string fifty(50000, 'x');
    ExifFields longText;
    longText.imageDescription = std::string(kMaxExifTextBytes, 'x');
    ExifFields cutBeforeLetter;  // "x" then two-byte letters: byte 1024 is the second of one
    cutBeforeLetter.imageDescription = "x";
    for (int i = 0; i < 511; ++i) cutBeforeLetter.imageDescription += "д";
    ExifFields make;
    make.make = "Canon";
    ExifFields makeFlash = make;
    makeFlash.flash = 16;
    ExifFields iso200;
    iso200.iso = 200;
    ExifFields tiffEp;
    tiffEp.dateTimeOriginal = "2004:06:09 16:02:35";
    tiffEp.exposureTime = ExifRational{1, 60};
    ExifFields exifWins;
    exifWins.dateTimeOriginal = "2001:01:01 00:00:00";

    struct Row {
        const char* rule;
        Bytes tiff;
        ExifFields expected;
    } rows[] = {
        {"Intel order: every kept tag, none of the others", Block(false, CanonIfd0(), CanonExif()), turned},
        {"Motorola order: the same", Block(true, CanonIfd0(), CanonExif()), turned},
        {"a text without its NUL is taken whole", Block(false, {{0x010F, kAscii, {}, "Canon"}}), make},
        {"blanks that pad an unset text are dropped", Block(false, {Text(0x010F, "Canon   "), Text(0x013B, "          ")}), make},
        {"a 50 KB text is cut to the limit", Block(false, {Text(0x010E, fifty)}), longText},
        {"a cut never splits a character",
         Block(false, {Text(0x010E, cutBeforeLetter.imageDescription + "д")}), cutBeforeLetter},
        {"the first of two entries of a tag counts", Block(false, {Text(0x010F, "Canon"), Text(0x010F, "Nikon")}), make},
        {"ISO as a LONG that fits, the first of several values",
         Block(false, {}, {{0x8827, kLong, {200, 400}}}), iso200},
        {"a TIFF/EP IFD0 holds the date taken and the exposure",
         Block(true, {Text(0x9003, "2004:06:09 16:02:35"), Rational(0x829A, 1, 60)}), tiffEp},
        {"the Exif IFD's date taken wins over IFD0's",
         Block(false, {Text(0x9003, "1999:09:09 09:09:09")}, {Text(0x9003, "2001:01:01 00:00:00")}), exifWins},
        // Hostile or damaged: the field in question is dropped, the others stay.
        {"a text whose offset lies past the end", Block(false, {Text(0x010F, "Canon"), {0x0110, kAscii, {}, "Model", {}, 0xFFFFFFF0u}}), make},
        {"a text whose count runs past the end", Block(false, {Text(0x010F, "Canon"), {0x0110, kAscii, {}, "EOS 5D", 60000u}}), make},
        {"a count whose bytes overflow 32 bits (2^29 rationals)",
         Block(false, {Text(0x010F, "Canon")}, {{0x829A, kRational, {1, 250}, {}, 0x20000000u}, Short(0x9209, 16)}), makeFlash},
        {"a tag in the wrong type", Block(false, {Text(0x010F, "Canon"), Short(0x0110, 5)}, {Text(0x8827, "400")}), make},
        {"a rational over zero", Block(false, {Text(0x010F, "Canon")}, {Rational(0x829D, 56, 0)}), make},
        {"a LONG too big for the SHORT it stands for", Block(false, {Text(0x010F, "Canon")}, {Long(0x8827, 70000)}), make},
        {"a count of 0", Block(false, {Text(0x010F, "Canon")}, {{0x8827, kShort, {}, {}, 0u}}), make},
        {"an Exif IFD pointer past the end", Block(false, {Text(0x010F, "Canon"), Long(kExifPointer, 0x7FFFFFF0)}), make},
        {"an Exif IFD pointer back to IFD0 (a loop)", Block(false, {Text(0x010F, "Canon"), Long(kExifPointer, 8)}), make},
        {"an IFD that claims more entries than it has",
         [] {
             Bytes b = Block(false, {Text(0x010F, "Canon")});
             b[8] = 200;
             return b;
         }(),
         make},
        {"no TIFF header", Bytes{'X', 'X', 42, 0, 8, 0, 0, 0, 0, 0}, ExifFields{}},
    };
    for (const Row& row : rows) {
        const ExifFields got = Read(row.tiff);
        EXPECT_TRUE(got == row.expected) << row.rule << "\n make [" << got.make << "] model [" << got.model
                                         << "] description " << got.imageDescription.size() << " bytes";
    }
    EXPECT_TRUE(ReadExif(nullptr, 100) == ExifFields{});
}

// Containers, each with the block "Make: Canon".
Bytes Chunk(const char* type, const Bytes& payload, bool bigLength)
{
    const uint32_t n = uint32_t(payload.size());
    Bytes c;
    if (bigLength) c = {uint8_t(n >> 24), uint8_t(n >> 16), uint8_t(n >> 8), uint8_t(n)};
    c.insert(c.end(), type, type + 4);
    if (!bigLength) c.insert(c.end(), {uint8_t(n), uint8_t(n >> 8), uint8_t(n >> 16), uint8_t(n >> 24)});
    c.insert(c.end(), payload.begin(), payload.end());
    if (bigLength) c.insert(c.end(), {0, 0, 0, 0});  // CRC: not checked
    else if (n % 2) c.push_back(0);
    return c;
}

Bytes Concat(std::vector<Bytes> parts)
{
    Bytes all;
    for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

TEST(ExifFields, FoundInJpegPngWebpAndTiffFiles)
{
    const Bytes tiff = Block(true, {Text(0x010F, "Canon")});
    const Bytes exifId{'E', 'x', 'i', 'f', 0, 0};
    const Bytes withId = Concat({exifId, tiff});
    auto segment = [](uint8_t marker, const Bytes& payload) {
        const size_t n = payload.size() + 2;
        return Concat({{0xFF, marker, uint8_t(n >> 8), uint8_t(n)}, payload});
    };
    const Bytes jfif = segment(0xE0, {'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0});
    const Bytes xmp = segment(0xE1, {'h', 't', 't', 'p', ':', '/', '/', 0});
    const Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    const Bytes ihdr = Chunk("IHDR", Bytes(13, 1), true), idat = Chunk("IDAT", Bytes(7, 0), true);
    Bytes pngCut = Concat({png, ihdr, Chunk("eXIf", tiff, true)});
    pngCut.resize(pngCut.size() - 10);
    auto webp = [](const Bytes& chunks) {
        const uint32_t n = uint32_t(chunks.size() + 4);
        return Concat({{'R', 'I', 'F', 'F', uint8_t(n), uint8_t(n >> 8), uint8_t(n >> 16), uint8_t(n >> 24), 'W', 'E', 'B', 'P'}, chunks});
    };
    const Bytes vp8x = Chunk("VP8X", Bytes(10, 0), false), vp8l = Chunk("VP8L", Bytes(5, 0), false);

    struct Row {
        const char* rule;
        Bytes file;
        const char* make;
    } rows[] = {
        {"JPEG: the Exif APP1 after JFIF and an XMP APP1",
         Concat({{0xFF, 0xD8}, jfif, xmp, segment(0xE1, withId), {0xFF, 0xDA, 0, 2, 0xFF, 0xD9}}), "Canon"},
        {"PNG: eXIf after the image data", Concat({png, ihdr, idat, Chunk("eXIf", tiff, true), Chunk("IEND", {}, true)}), "Canon"},
        {"PNG: eXIf that runs past the end of the file", pngCut, ""},
        {"PNG: nothing after IEND counts",
         Concat({png, ihdr, idat, Chunk("IEND", {}, true), Chunk("eXIf", tiff, true)}), ""},
        {"WebP: the EXIF chunk after the image", webp(Concat({vp8x, vp8l, Chunk("EXIF", tiff, false)})), "Canon"},
        {"WebP: an EXIF chunk that begins with Exif\\0\\0", webp(Concat({vp8x, Chunk("EXIF", withId, false)})), "Canon"},
        {"TIFF: the file's own IFD0", tiff, "Canon"},
        {"BMP: none", Concat({{'B', 'M'}, withId}), ""},
    };
    for (const Row& row : rows) {
        std::unique_ptr<uint8_t[]> exact(new uint8_t[row.file.size()]);
        std::memcpy(exact.get(), row.file.data(), row.file.size());
        EXPECT_EQ(ReadPictureExif(exact.get(), row.file.size()).make, row.make) << row.rule;
    }
}

// The tags of the IFD at `at` of a little-endian block, and its next-IFD offset.
std::vector<uint16_t> TagsAt(const Bytes& tiff, size_t at, uint32_t& next)
{
    auto u16 = [&](size_t i) { return uint16_t(tiff.at(i) | tiff.at(i + 1) << 8); };
    std::vector<uint16_t> tags;
    for (int i = 0; i < u16(at); ++i) tags.push_back(u16(at + 2 + 12 * i));
    const size_t nextAt = at + 2 + 12 * tags.size();
    next = uint32_t(u16(nextAt) | u16(nextAt + 2) << 16);
    return tags;
}

uint32_t ValueOf(const Bytes& tiff, size_t ifd, uint16_t tag)
{
    auto u16 = [&](size_t i) { return uint32_t(tiff.at(i) | tiff.at(i + 1) << 8); };
    for (uint32_t i = 0; i < u16(ifd); ++i) {
        const size_t e = ifd + 2 + 12 * i;
        if (u16(e) == tag) return u16(e + 2) == kShort ? u16(e + 8) : u16(e + 8) | u16(e + 10) << 16;
    }
    return 0xDEADBEEF;
}

TEST(ExifWriter, WritesTheKeptTagsAndOurOwnAndNothingElse)
{
    ExifFields source = Read(Block(true, CanonIfd0(), CanonExif()));
    const Bytes app1 = MakeExifApp1(source, 901, 601);
    ASSERT_GT(app1.size(), 6u);
    ASSERT_LT(app1.size(), 700u) << "a few hundred bytes";
    EXPECT_EQ(Bytes(app1.begin(), app1.begin() + 6), (Bytes{'E', 'x', 'i', 'f', 0, 0}));
    const Bytes tiff(app1.begin() + 6, app1.end());
    EXPECT_EQ(Bytes(tiff.begin(), tiff.begin() + 8), (Bytes{'I', 'I', 42, 0, 8, 0, 0, 0}));

    uint32_t next0 = 1, nextExif = 1;
    const std::vector<uint16_t> ifd0 = TagsAt(tiff, 8, next0);
    EXPECT_EQ(ifd0, (std::vector<uint16_t>{0x010F, 0x0110, 0x0112, 0x011A, 0x011B, 0x0128, 0x0132, 0x013B, 0x0213, 0x8298,
                                           0x8769}))
        << "no GPS IFD pointer (0x8825)";
    EXPECT_EQ(next0, 0u) << "no IFD1: no thumbnail";
    const uint32_t exifAt = ValueOf(tiff, 8, 0x8769);
    ASSERT_LT(exifAt, tiff.size());
    EXPECT_EQ(TagsAt(tiff, exifAt, nextExif),
              (std::vector<uint16_t>{0x829A, 0x829D, 0x8827, 0x9000, 0x9003, 0x9004, 0x9011, 0x9101, 0x9204, 0x9209, 0x920A,
                                     0x9291, 0xA000, 0xA001, 0xA002, 0xA003, 0xA403, 0xA434}))
        << "no MakerNote (0x927C), no serial numbers (0xA431, 0xA435)";
    EXPECT_EQ(nextExif, 0u);
    EXPECT_EQ(ValueOf(tiff, 8, 0x0112), 1u) << "Orientation 1: the pixels stand upright";
    EXPECT_EQ(ValueOf(tiff, 8, 0x0128), 2u) << "resolution in inches";
    EXPECT_EQ(ValueOf(tiff, exifAt, 0xA001), 1u) << "ColorSpace sRGB";
    EXPECT_EQ(ValueOf(tiff, exifAt, 0xA002), 901u) << "PixelXDimension: the picture's width";
    EXPECT_EQ(ValueOf(tiff, exifAt, 0xA003), 601u) << "PixelYDimension";

    source.orientation = 1;
    EXPECT_TRUE(Read(tiff) == source) << "read back, the kept fields are the source's";
}

// A block small enough to work out by hand: IFD0 of 7 entries (2 + 84 + 4 = 90 bytes at 8),
// then "Canon\0" at 98 and the two resolutions at 104 and 112; the Exif IFD at 120, 6 entries
// all in their own fields (78 bytes): 198 bytes of TIFF, 204 with "Exif\0\0".
TEST(ExifWriter, LaysOutTheBlockAsTiffAsks)
{
    ExifFields make;
    make.make = "Canon";
    const Bytes app1 = MakeExifApp1(make, 100, 50);
    ASSERT_EQ(app1.size(), 204u);
    const Bytes tiff(app1.begin() + 6, app1.end());
    EXPECT_EQ(tiff[8], 7);
    EXPECT_EQ(ValueOf(tiff, 8, 0x010F), 98u) << "Make's offset";
    EXPECT_EQ(std::string(tiff.begin() + 98, tiff.begin() + 104), std::string("Canon\0", 6));
    EXPECT_EQ(ValueOf(tiff, 8, 0x011A), 104u);
    EXPECT_EQ(Bytes(tiff.begin() + 104, tiff.begin() + 112), (Bytes{44, 1, 0, 0, 1, 0, 0, 0})) << "300/1";
    EXPECT_EQ(ValueOf(tiff, 8, 0x8769), 120u);
    EXPECT_EQ(tiff[120], 6);
    EXPECT_EQ(ValueOf(tiff, 120, 0x9000), 0x32333230u) << "ExifVersion \"0232\"";
}

TEST(ExifWriter, WritesNothingWithoutKeptFieldsAndAlwaysFitsOneSegment)
{
    // A phone photo that says only where it was taken and how it was turned.
    const ExifFields onlyGps = Read(Block(false, {Short(0x0112, 6), Long(0x8825, 26)}));
    EXPECT_EQ(onlyGps.orientation, 6);
    EXPECT_FALSE(HasKeptFields(onlyGps));
    EXPECT_TRUE(MakeExifApp1(onlyGps, 100, 100).empty());
    EXPECT_TRUE(MakeExifApp1(ExifFields{}, 100, 100).empty());

    // Every text 50 KB long in the source.
    const std::string fifty(50000, 'y');
    std::vector<E> ifd0, exif;
    for (uint16_t tag : {0x010E, 0x010F, 0x0110, 0x0132, 0x013B, 0x8298}) ifd0.push_back(Text(tag, fifty));
    for (uint16_t tag : {0x9003, 0x9004, 0x9010, 0x9011, 0x9012, 0x9290, 0x9291, 0x9292, 0xA433, 0xA434})
        exif.push_back(Text(tag, fifty));
    const ExifFields huge = Read(Block(false, ifd0, exif));
    EXPECT_EQ(huge.lensModel.size(), kMaxExifTextBytes);
    const Bytes app1 = MakeExifApp1(huge, 6000, 4000);
    EXPECT_GT(app1.size(), 16 * kMaxExifTextBytes);
    EXPECT_LE(app1.size(), kMaxExifApp1Bytes);
    EXPECT_TRUE(Read(Bytes(app1.begin() + 6, app1.end())) == huge);
}

TEST(ExifWriter, TheEncoderPutsItRightAfterJfif)
{
    Image image;
    ASSERT_TRUE(image.Allocate(32, 16));
    ExifFields make;
    make.make = "Canon";
    const Bytes app1 = MakeExifApp1(make, 32, 16);
    Bytes jpeg;
    ASSERT_TRUE(EncodeJpeg(image, 82, jpeg, app1));
    // SOI, then JFIF's APP0 of 2 + 16 bytes, then ours.
    ASSERT_GT(jpeg.size(), 24 + app1.size());
    EXPECT_EQ(Bytes(jpeg.begin() + 20, jpeg.begin() + 24), (Bytes{0xFF, 0xE1, 0, uint8_t(app1.size() + 2)}));
    EXPECT_EQ(Bytes(jpeg.begin() + 24, jpeg.begin() + 24 + app1.size()), app1);
    EXPECT_EQ(ReadPictureExif(jpeg.data(), jpeg.size()).make, "Canon");
    Image decoded;
    EXPECT_TRUE(DecodeJpeg(jpeg.data(), jpeg.size(), 0, 0, decoded));

    // More than one segment holds: the picture is written all the same, without it.
    ASSERT_TRUE(EncodeJpeg(image, 82, jpeg, Bytes(kMaxExifApp1Bytes + 1, 'E')));
    EXPECT_EQ(Bytes(jpeg.begin() + 20, jpeg.begin() + 22), (Bytes{0xFF, 0xDB})) << "the tables follow JFIF";
}

}  // namespace
