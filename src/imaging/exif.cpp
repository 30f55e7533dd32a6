#include "imaging/exif.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <new>
#include <utility>

#include "imaging/file_structure.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint16_t kTypeAscii = 2, kTypeShort = 3, kTypeLong = 4, kTypeRational = 5, kTypeUndefined = 7,
                   kTypeSignedRational = 10, kTypeIfd = 13;
constexpr uint16_t kOrientationTag = 0x0112, kExifIfdTag = 0x8769;

// The kept tags and the IFD the EXIF standard puts each in. A tag is taken only in its
// standard type (SHORT values also as LONG), and only from IFD0 or the Exif IFD, never from
// the GPS IFD, the MakerNote or the thumbnail's IFD1.
enum class Ifd { Zero, Exif };
struct TextTag {
    uint16_t tag;
    Ifd ifd;
    std::string ExifFields::*field;
};
constexpr TextTag kTextTags[] = {
    {0x010E, Ifd::Zero, &ExifFields::imageDescription},
    {0x010F, Ifd::Zero, &ExifFields::make},
    {0x0110, Ifd::Zero, &ExifFields::model},
    {0x0132, Ifd::Zero, &ExifFields::dateTime},
    {0x013B, Ifd::Zero, &ExifFields::artist},
    {0x8298, Ifd::Zero, &ExifFields::copyright},
    {0x9003, Ifd::Exif, &ExifFields::dateTimeOriginal},
    {0x9004, Ifd::Exif, &ExifFields::dateTimeDigitized},
    {0x9010, Ifd::Exif, &ExifFields::offsetTime},
    {0x9011, Ifd::Exif, &ExifFields::offsetTimeOriginal},
    {0x9012, Ifd::Exif, &ExifFields::offsetTimeDigitized},
    {0x9290, Ifd::Exif, &ExifFields::subSecTime},
    {0x9291, Ifd::Exif, &ExifFields::subSecTimeOriginal},
    {0x9292, Ifd::Exif, &ExifFields::subSecTimeDigitized},
    {0xA433, Ifd::Exif, &ExifFields::lensMake},
    {0xA434, Ifd::Exif, &ExifFields::lensModel},
};
// The numbers all sit in the Exif IFD.
struct ShortTag {
    uint16_t tag;
    std::optional<uint16_t> ExifFields::*field;
};
constexpr ShortTag kShortTags[] = {
    {0x8822, &ExifFields::exposureProgram}, {0x8827, &ExifFields::iso},          {0x9207, &ExifFields::meteringMode},
    {0x9209, &ExifFields::flash},           {0xA403, &ExifFields::whiteBalance}, {0xA405, &ExifFields::focalLength35mm},
};
struct RationalTag {
    uint16_t tag;
    std::optional<ExifRational> ExifFields::*field;
};
constexpr RationalTag kRationalTags[] = {
    {0x829A, &ExifFields::exposureTime}, {0x829D, &ExifFields::fNumber}, {0x920A, &ExifFields::focalLength}};
constexpr uint16_t kExposureBiasTag = 0x9204;  // the one signed rational

// A text as we keep it: up to its first NUL, at most kMaxExifTextBytes (a cut moves back to
// the start of the UTF-8 character it would split, at most three bytes), without the blanks
// some cameras pad an unset Artist or Copyright with. Reading it again gives it unchanged.
std::string KeptText(const char* text, size_t length)
{
    if (length > kMaxExifTextBytes) {
        length = kMaxExifTextBytes;
        for (int back = 0; back < 3 && length > 0 && (static_cast<uint8_t>(text[length]) & 0xC0) == 0x80; ++back)
            --length;
    }
    while (length > 0 && text[length - 1] == ' ') --length;
    return std::string(text, length);
}

bool ReadText(const TiffReader& reader, const TiffEntry& entry, std::string& out)
{
    uint64_t at = 0, bytes = 0;
    if (entry.type != kTypeAscii || entry.count == 0 || !TiffValueBytes(reader, entry, at, bytes)) return false;
    const char* text = reinterpret_cast<const char*>(reader.data + at);
    const void* nul = std::memchr(text, 0, bytes);
    out = KeptText(text, nul ? static_cast<size_t>(static_cast<const char*>(nul) - text) : bytes);
    return true;
}

// The first value of a SHORT (or LONG that fits a SHORT): ISOSpeedRatings may hold several.
bool ReadShort(const TiffReader& reader, const TiffEntry& entry, std::optional<uint16_t>& out)
{
    uint64_t at = 0, bytes = 0;
    if ((entry.type != kTypeShort && entry.type != kTypeLong) || entry.count == 0 || !TiffValueBytes(reader, entry, at, bytes))
        return false;
    uint16_t value16 = 0;
    uint32_t value32 = 0;
    if (entry.type == kTypeShort) {
        if (!reader.U16(at, value16)) return false;
    } else {
        if (!reader.U32(at, value32) || value32 > 0xFFFF) return false;
        value16 = static_cast<uint16_t>(value32);
    }
    out = value16;
    return true;
}

// The first value; a zero denominator says nothing, so it is not kept.
bool ReadRational(const TiffReader& reader, const TiffEntry& entry, uint16_t type, uint32_t& numerator, uint32_t& denominator)
{
    uint64_t at = 0, bytes = 0;
    return entry.type == type && entry.count != 0 && TiffValueBytes(reader, entry, at, bytes) &&
           reader.U32(at, numerator) && reader.U32(at + 4, denominator) && denominator != 0;
}

// One entry of IFD0 or the Exif IFD, for the kept tags whose standard IFD is `home` (all of
// them when none is given); the first entry of a tag wins over later ones.
void TakeEntry(const TiffReader& reader, const TiffEntry& entry, std::optional<Ifd> home, ExifFields& fields)
{
    for (const TextTag& t : kTextTags)
        if (t.tag == entry.tag && (!home || t.ifd == *home) && (fields.*t.field).empty()) ReadText(reader, entry, fields.*t.field);
    if (home == Ifd::Zero) return;  // the numbers' home is the Exif IFD
    for (const ShortTag& t : kShortTags)
        if (t.tag == entry.tag && !(fields.*t.field)) ReadShort(reader, entry, fields.*t.field);
    uint32_t numerator = 0, denominator = 0;
    for (const RationalTag& t : kRationalTags)
        if (t.tag == entry.tag && !(fields.*t.field) && ReadRational(reader, entry, kTypeRational, numerator, denominator))
            fields.*t.field = ExifRational{numerator, denominator};
    if (entry.tag == kExposureBiasTag && !fields.exposureBias &&
        ReadRational(reader, entry, kTypeSignedRational, numerator, denominator))
        fields.exposureBias = ExifSignedRational{static_cast<int32_t>(numerator), static_cast<int32_t>(denominator)};
}

// Little-endian TIFF writing. An entry's values are kept as the bytes they are written as.
struct Entry {
    uint16_t tag, type;
    uint32_t count;
    Bytes value;
};

void Put16(Bytes& out, uint32_t v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(Bytes& out, uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

void AddShort(std::vector<Entry>& ifd, uint16_t tag, uint16_t value)
{
    Entry e{tag, kTypeShort, 1, {}};
    Put16(e.value, value);
    ifd.push_back(std::move(e));
}

void AddLong(std::vector<Entry>& ifd, uint16_t tag, uint32_t value)
{
    Entry e{tag, kTypeLong, 1, {}};
    Put32(e.value, value);
    ifd.push_back(std::move(e));
}

void AddRational(std::vector<Entry>& ifd, uint16_t tag, uint16_t type, uint32_t numerator, uint32_t denominator)
{
    Entry e{tag, type, 1, {}};
    Put32(e.value, numerator);
    Put32(e.value, denominator);
    ifd.push_back(std::move(e));
}

void AddText(std::vector<Entry>& ifd, uint16_t tag, const std::string& text)
{
    if (text.empty()) return;
    Entry e{tag, kTypeAscii, static_cast<uint32_t>(text.size() + 1), Bytes(text.begin(), text.end())};
    e.value.push_back(0);
    ifd.push_back(std::move(e));
}

// A 4-byte UNDEFINED value, such as a version "0232".
void AddUndefined(std::vector<Entry>& ifd, uint16_t tag, const char (&value)[5])
{
    ifd.push_back(Entry{tag, kTypeUndefined, 4, Bytes(value, value + 4)});
}

// Values over 4 bytes follow the IFD, each at an even offset, as TIFF asks.
size_t IfdBytes(const std::vector<Entry>& ifd)
{
    size_t bytes = 2 + 12 * ifd.size() + 4;
    for (const Entry& e : ifd)
        if (e.value.size() > 4) bytes += e.value.size() + (e.value.size() & 1);
    return bytes;
}

// Writes the IFD, entries in ascending tag order, at the end of `tiff` (an even offset), with
// no next IFD: there is no thumbnail.
void PutIfd(Bytes& tiff, std::vector<Entry> ifd)
{
    std::sort(ifd.begin(), ifd.end(), [](const Entry& a, const Entry& b) { return a.tag < b.tag; });
    size_t valueAt = tiff.size() + 2 + 12 * ifd.size() + 4;
    Put16(tiff, static_cast<uint32_t>(ifd.size()));
    for (const Entry& e : ifd) {
        Put16(tiff, e.tag);
        Put16(tiff, e.type);
        Put32(tiff, e.count);
        if (e.value.size() <= 4) {
            tiff.insert(tiff.end(), e.value.begin(), e.value.end());
            tiff.resize(tiff.size() + 4 - e.value.size());
        } else {
            Put32(tiff, static_cast<uint32_t>(valueAt));
            valueAt += e.value.size() + (e.value.size() & 1);
        }
    }
    Put32(tiff, 0);
    for (const Entry& e : ifd) {
        if (e.value.size() <= 4) continue;
        tiff.insert(tiff.end(), e.value.begin(), e.value.end());
        if (e.value.size() & 1) tiff.push_back(0);
    }
}

// The most the written EXIF can hold: every entry (the kept ones, ExposureBiasValue, and the
// 12 we write of our own) with its 12 bytes and a value of up to 8 bytes, every text at its
// longest with its NUL and padding byte.
constexpr size_t kMaxEntries = std::size(kTextTags) + std::size(kShortTags) + std::size(kRationalTags) + 1 + 12;
static_assert(6 + 8 + 2 * 6 + kMaxEntries * 20 + std::size(kTextTags) * (kMaxExifTextBytes + 2) <= kMaxExifApp1Bytes,
              "the written EXIF always fits one APP1 segment");

// After "Exif\0\0" (or a stray copy of it before the TIFF header, which some writers put in
// PNG and WebP files too).
std::span<const uint8_t> WithoutExifId(const uint8_t* data, size_t size)
{
    static const uint8_t kExifId[6] = {'E', 'x', 'i', 'f', 0, 0};
    if (size >= sizeof kExifId && std::memcmp(data, kExifId, sizeof kExifId) == 0)
        return {data + sizeof kExifId, size - sizeof kExifId};
    return {data, size};
}

uint32_t Be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }
uint32_t Le32(const uint8_t* p) { return uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0]; }

}  // namespace

ExifFields ReadExif(const uint8_t* tiff, size_t size)
{
    ExifFields fields;
    TiffReader reader;
    uint32_t ifd0 = 0;
    if (!OpenTiff(tiff, size, reader, ifd0)) return fields;
    try {
        bool orientationSeen = false;
        std::optional<uint32_t> exifIfd;
        ForEachIfdEntry(reader, ifd0, [&](const TiffReader& r, const TiffEntry& entry) {
            if (entry.tag == kOrientationTag && !orientationSeen) {
                orientationSeen = true;
                uint16_t value = 0;
                if (entry.type == kTypeShort && entry.count == 1 && r.U16(entry.valueAt, value) && value >= 1 && value <= 8)
                    fields.orientation = value;
            }
            uint32_t offset = 0;
            if (entry.tag == kExifIfdTag && !exifIfd && (entry.type == kTypeLong || entry.type == kTypeIfd) &&
                entry.count == 1 && r.U32(entry.valueAt, offset))
                exifIfd = offset;
            TakeEntry(r, entry, Ifd::Zero, fields);
            return true;
        });
        // One step from IFD0 and no further: no chain is followed, so no loop can hold us.
        if (exifIfd)
            ForEachIfdEntry(reader, *exifIfd, [&](const TiffReader& r, const TiffEntry& entry) {
                TakeEntry(r, entry, std::nullopt, fields);
                return true;
            });
        // TIFF/EP files (raw camera files, some scanners') keep the date taken and the
        // exposure in IFD0 itself; they count where the Exif IFD does not have them.
        ForEachIfdEntry(reader, ifd0, [&](const TiffReader& r, const TiffEntry& entry) {
            TakeEntry(r, entry, Ifd::Exif, fields);
            return true;
        });
    } catch (const std::bad_alloc&) {
        const int orientation = fields.orientation;
        fields = ExifFields{};
        fields.orientation = orientation;
    }
    return fields;
}

// Cameras put Exif right after SOI, but JFIF APP0 or XMP (also APP1) may come first.
std::span<const uint8_t> FindJpegExif(const uint8_t* data, size_t size)
{
    static const uint8_t kExifId[6] = {'E', 'x', 'i', 'f', 0, 0};
    std::span<const uint8_t> tiff;
    ForEachJpegSegment(data, size, [&](uint8_t marker, const uint8_t* payload, size_t payloadSize) {
        if (marker != 0xE1 || payloadSize < sizeof kExifId || std::memcmp(payload, kExifId, sizeof kExifId) != 0) return true;
        tiff = {payload + sizeof kExifId, payloadSize - sizeof kExifId};
        return false;
    });
    return tiff;
}

// eXIf may stand before or after the image data: the walk goes on to IEND.
std::span<const uint8_t> FindPngExif(const uint8_t* data, size_t size)
{
    if (!data || size < 8 || std::memcmp(data, "\x89PNG\r\n\x1a\n", 8) != 0) return {};
    size_t pos = 8;
    while (size - pos >= 12) {
        const uint32_t length = Be32(data + pos);
        const uint8_t* type = data + pos + 4;
        if (length > size - pos - 12 || std::memcmp(type, "IEND", 4) == 0) break;
        if (std::memcmp(type, "eXIf", 4) == 0) return WithoutExifId(data + pos + 8, length);
        pos += 12 + size_t{length};
    }
    return {};
}

// The chunks after "WEBP", each padded to an even size.
std::span<const uint8_t> FindWebpExif(const uint8_t* data, size_t size)
{
    if (!data || size < 12 || std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "WEBP", 4) != 0) return {};
    size_t pos = 12;
    while (size - pos >= 8) {
        const uint32_t length = Le32(data + pos + 4);
        if (length > size - pos - 8) break;
        if (std::memcmp(data + pos, "EXIF", 4) == 0) return WithoutExifId(data + pos + 8, length);
        pos += 8 + size_t{length} + (length & 1);
        if (pos > size) break;
    }
    return {};
}

ExifFields ReadPictureExif(const uint8_t* data, size_t size)
{
    std::span<const uint8_t> tiff;
    if (data && size >= 4 && data[0] == 0xFF && data[1] == 0xD8)
        tiff = FindJpegExif(data, size);
    else if (data && size >= 8 && std::memcmp(data, "\x89PNG", 4) == 0)
        tiff = FindPngExif(data, size);
    else if (data && size >= 12 && std::memcmp(data, "RIFF", 4) == 0)
        tiff = FindWebpExif(data, size);
    else if (data && size >= 8 && (std::memcmp(data, "II\x2a\0", 4) == 0 || std::memcmp(data, "MM\0\x2a", 4) == 0))
        tiff = {data, size};  // a TIFF file's own IFD0 holds its camera and dates
    return ReadExif(tiff.data(), tiff.size());
}

bool HasKeptFields(const ExifFields& fields)
{
    ExifFields none;
    none.orientation = fields.orientation;
    return !(fields == none);
}

// What the program writes of its own: the pixels are upright (Orientation 1) and sRGB
// (ColorSpace 1), at 300 dpi like the JFIF header, of the size written; and what the EXIF
// standard asks of every JPEG's EXIF: its versions, YCbCrPositioning (centred, as libjpeg
// samples) and ComponentsConfiguration (Y, Cb, Cr).
std::vector<uint8_t> MakeExifApp1(const ExifFields& fields, int width, int height)
{
    Bytes app1;
    if (!HasKeptFields(fields) || width <= 0 || height <= 0) return app1;
    try {
        std::vector<Entry> ifd0, exif;
        for (const TextTag& t : kTextTags) AddText(t.ifd == Ifd::Zero ? ifd0 : exif, t.tag, fields.*t.field);
        for (const ShortTag& t : kShortTags)
            if (fields.*t.field) AddShort(exif, t.tag, *(fields.*t.field));
        for (const RationalTag& t : kRationalTags)
            if (const auto& r = fields.*t.field) AddRational(exif, t.tag, kTypeRational, r->numerator, r->denominator);
        if (const auto& bias = fields.exposureBias)
            AddRational(exif, kExposureBiasTag, kTypeSignedRational, static_cast<uint32_t>(bias->numerator),
                        static_cast<uint32_t>(bias->denominator));

        AddShort(ifd0, kOrientationTag, 1);
        AddRational(ifd0, 0x011A, kTypeRational, 300, 1);  // XResolution
        AddRational(ifd0, 0x011B, kTypeRational, 300, 1);  // YResolution
        AddShort(ifd0, 0x0128, 2);                         // ResolutionUnit: inches
        AddShort(ifd0, 0x0213, 1);                         // YCbCrPositioning: centred
        AddUndefined(exif, 0x9000, "0232");                // ExifVersion 2.32, which has OffsetTime*
        AddUndefined(exif, 0x9101, "\1\2\3\0");           // ComponentsConfiguration
        AddUndefined(exif, 0xA000, "0100");                // FlashpixVersion
        AddShort(exif, 0xA001, 1);                         // ColorSpace: sRGB
        AddLong(exif, 0xA002, static_cast<uint32_t>(width));
        AddLong(exif, 0xA003, static_cast<uint32_t>(height));
        AddLong(ifd0, kExifIfdTag, 0);
        ifd0.back().value.clear();
        Put32(ifd0.back().value, static_cast<uint32_t>(8 + IfdBytes(ifd0)));

        app1 = {'E', 'x', 'i', 'f', 0, 0};
        Bytes tiff{'I', 'I', 42, 0, 8, 0, 0, 0};
        PutIfd(tiff, std::move(ifd0));
        PutIfd(tiff, std::move(exif));
        app1.insert(app1.end(), tiff.begin(), tiff.end());
    } catch (const std::bad_alloc&) {
        app1.clear();
    }
    return app1;
}

int ReadExifOrientation(const uint8_t* data, size_t size)
{
    const std::span<const uint8_t> tiff = FindJpegExif(data, size);
    return ReadExif(tiff.data(), tiff.size()).orientation;
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
