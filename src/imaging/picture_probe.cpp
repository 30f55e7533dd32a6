#include "imaging/picture_probe.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "imaging/file_structure.h"
#include "imaging/image.h"

namespace {

uint32_t Be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }
uint32_t Le32(const uint8_t* p) { return uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0]; }
uint16_t Le16(const uint8_t* p) { return uint16_t(p[1] << 8 | p[0]); }
uint32_t Le24(const uint8_t* p) { return uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0]; }

// ImageWidth (256) and ImageLength (257) of the first IFD.
void ProbeTiff(const uint8_t* data, size_t size, PictureProbe& out)
{
    ForEachTiffEntry(data, size, [&](const TiffReader& reader, const TiffEntry& entry) {
        uint16_t shortValue = 0;
        uint32_t longValue = 0;
        const bool read = entry.type == 3 ? reader.U16(entry.valueAt, shortValue) : reader.U32(entry.valueAt, longValue);
        const uint32_t value = entry.type == 3 ? shortValue : longValue;
        if (read && entry.tag == 256) out.width = value;
        if (read && entry.tag == 257) out.height = value;
        return true;
    });
}

// The first chunk says the size: a lossy frame (VP8), a lossless one (VP8L), or the canvas of
// an extended file (VP8X) that may hold alpha, animation frames and a colour profile.
void ProbeWebp(const uint8_t* data, size_t size, PictureProbe& out)
{
    const uint8_t* chunk = data + 12;
    const uint8_t* payload = chunk + 8;
    if (std::memcmp(chunk, "VP8 ", 4) == 0 && size >= 30 && payload[3] == 0x9d && payload[4] == 0x01 && payload[5] == 0x2a) {
        out.width = Le16(payload + 6) & 0x3fff;
        out.height = Le16(payload + 8) & 0x3fff;
    } else if (std::memcmp(chunk, "VP8L", 4) == 0 && size >= 25 && payload[0] == 0x2f) {
        const uint32_t bits = Le32(payload + 1);
        out.width = (bits & 0x3fff) + 1;
        out.height = ((bits >> 14) & 0x3fff) + 1;
    } else if (std::memcmp(chunk, "VP8X", 4) == 0 && size >= 30) {
        out.width = int64_t{Le24(payload + 4)} + 1;
        out.height = int64_t{Le24(payload + 7)} + 1;
    }
}

// ISO base media file format boxes (ISO/IEC 14496-12): a 32-bit size (1: a 64-bit size
// follows the type; 0: to the end of the data) and a four-character type.
struct Box {
    uint32_t type = 0;
    const uint8_t* payload = nullptr;
    size_t size = 0;
};

constexpr uint32_t FourCc(const char (&s)[5])
{
    return uint32_t(uint8_t(s[0])) << 24 | uint32_t(uint8_t(s[1])) << 16 | uint32_t(uint8_t(s[2])) << 8 | uint8_t(s[3]);
}

// The boxes one after another in data[0, size); stops at the first that does not fit.
template <class Visit>
void ForEachBox(const uint8_t* data, size_t size, Visit visit)
{
    size_t at = 0;
    while (size - at >= 8) {
        uint64_t length = Be32(data + at);
        size_t header = 8;
        if (length == 1) {
            if (size - at < 16) return;
            length = uint64_t{Be32(data + at + 8)} << 32 | Be32(data + at + 12);
            header = 16;
        } else if (length == 0) {
            length = size - at;
        }
        if (length < header || length > size - at) return;
        Box box{Be32(data + at + 4), data + at + header, static_cast<size_t>(length - header)};
        if (!visit(box)) return;
        at += static_cast<size_t>(length);
    }
}

// The brands of a still-image HEIF file, with HEVC or AV1 inside. Plain MP4 and QuickTime
// video (isom, mp41, qt) are not among them.
bool IsHeifBrand(uint32_t brand)
{
    for (uint32_t b : {FourCc("heic"), FourCc("heix"), FourCc("hevc"), FourCc("hevx"), FourCc("heim"), FourCc("heis"),
                       FourCc("mif1"), FourCc("msf1"), FourCc("avif"), FourCc("avis")})
        if (brand == b) return true;
    return false;
}

// A big-endian number of `bytes` (0, 2, 4 or 8) at p, moved past; false past the end.
bool ReadBe(const uint8_t*& p, const uint8_t* end, int bytes, uint64_t& value)
{
    if (bytes != 0 && bytes != 2 && bytes != 4 && bytes != 8) return false;
    if (end - p < bytes) return false;
    value = 0;
    for (int i = 0; i < bytes; ++i) value = value << 8 | *p++;
    return true;
}

// Where the item's data lies (iloc): its first extent, in the file (construction method 0)
// or in the meta box's idat (1). False for anything else or when the box is damaged.
bool FindItemData(const Box& iloc, uint32_t item, bool& inIdat, uint64_t& offset, uint64_t& length)
{
    const uint8_t* p = iloc.payload;
    const uint8_t* end = iloc.payload + iloc.size;
    uint64_t version = 0, flags = 0, sizes = 0, moreSizes = 0, count = 0;
    if (!ReadBe(p, end, 2, version) || !ReadBe(p, end, 2, flags) || !ReadBe(p, end, 2, sizes)) return false;
    version >>= 8;
    moreSizes = sizes & 0xff;
    const int offsetBytes = static_cast<int>(sizes >> 12), lengthBytes = static_cast<int>((sizes >> 8) & 15);
    const int baseBytes = static_cast<int>(moreSizes >> 4), indexBytes = version >= 1 ? static_cast<int>(moreSizes & 15) : 0;
    if (version > 2 || !ReadBe(p, end, version < 2 ? 2 : 4, count)) return false;
    for (uint64_t i = 0; i < count; ++i) {
        uint64_t id = 0, method = 0, reference = 0, base = 0, extents = 0;
        if (!ReadBe(p, end, version < 2 ? 2 : 4, id) || (version >= 1 && !ReadBe(p, end, 2, method)) ||
            !ReadBe(p, end, 2, reference) || !ReadBe(p, end, baseBytes, base) || !ReadBe(p, end, 2, extents))
            return false;
        for (uint64_t e = 0; e < extents; ++e) {
            uint64_t index = 0, extentOffset = 0, extentLength = 0;
            if (!ReadBe(p, end, indexBytes, index) || !ReadBe(p, end, offsetBytes, extentOffset) ||
                !ReadBe(p, end, lengthBytes, extentLength))
                return false;
            if (id == item && e == 0) {
                inIdat = (method & 15) == 1;
                offset = base + extentOffset;
                length = extentLength;
                if ((method & 15) > 1 || offset < base) return false;
            }
        }
        if (id == item) return extents > 0;
    }
    return false;
}

// The primary item (pitm), its type (iinf), its properties (iprp: ipco holds them, ipma tells
// which belong to which item) and of those the spatial extent and the transforms. A grid says
// in its own data (iloc, idat) how large the picture it makes is and of how many tiles: a
// decoder believes that, not the extent.
void ProbeHeifMeta(const uint8_t* file, size_t fileSize, const Box& meta, PictureProbe& out)
{
    if (meta.size < 4) return;
    uint32_t primary = 0;
    bool havePrimary = false;
    Box ipco, ipma, iinf, iloc, idat;
    ForEachBox(meta.payload + 4, meta.size - 4, [&](const Box& box) {  // after version and flags
        if (box.type == FourCc("pitm") && box.size >= 6) {
            primary = box.payload[0] == 0 ? (uint32_t{box.payload[4]} << 8 | box.payload[5])
                                          : (box.size >= 8 ? Be32(box.payload + 4) : 0);
            havePrimary = true;
        } else if (box.type == FourCc("iprp")) {
            ForEachBox(box.payload, box.size, [&](const Box& inner) {
                if (inner.type == FourCc("ipco") && !ipco.payload) ipco = inner;
                if (inner.type == FourCc("ipma") && !ipma.payload) ipma = inner;
                return true;
            });
        } else if (box.type == FourCc("iinf") && !iinf.payload) {
            iinf = box;
        } else if (box.type == FourCc("iloc") && !iloc.payload) {
            iloc = box;
        } else if (box.type == FourCc("idat") && !idat.payload) {
            idat = box;
        }
        return true;
    });
    if (!havePrimary || !ipco.payload || !ipma.payload || ipma.size < 8) return;

    // The 1-based indices of the primary item's properties.
    std::vector<uint32_t> indices;
    const uint8_t version = ipma.payload[0];
    const bool wideIndex = ipma.payload[3] & 1;
    const uint8_t* p = ipma.payload + 8;
    const uint8_t* end = ipma.payload + ipma.size;
    for (uint32_t entries = Be32(ipma.payload + 4), e = 0; e < entries; ++e) {
        const size_t idBytes = version < 1 ? 2 : 4;
        if (size_t(end - p) < idBytes + 1) return;
        const uint32_t item = idBytes == 2 ? (uint32_t{p[0]} << 8 | p[1]) : Be32(p);
        const uint8_t count = p[idBytes];
        p += idBytes + 1;
        const size_t associationBytes = wideIndex ? 2 : 1;
        if (size_t(end - p) < associationBytes * count) return;
        for (int i = 0; i < count; ++i, p += associationBytes)
            if (item == primary) indices.push_back(wideIndex ? ((uint32_t{p[0]} << 8 | p[1]) & 0x7fff) : (p[0] & 0x7f));
        if (item == primary) break;
    }

    uint32_t index = 0;
    bool turned = false;
    int turns = 0, mirrors = 0, crops = 0;
    ForEachBox(ipco.payload, ipco.size, [&](const Box& property) {
        ++index;
        const auto associated = std::count(indices.begin(), indices.end(), index);
        if (associated == 0) return true;
        if (property.type == FourCc("ispe") && property.size >= 12) {
            out.width = Be32(property.payload + 4);
            out.height = Be32(property.payload + 8);
        } else if (property.type == FourCc("irot") && property.size >= 1) {
            turned = (property.payload[0] & 3) % 2 == 1;
            turns += static_cast<int>(associated);
        } else if (property.type == FourCc("imir")) {
            mirrors += static_cast<int>(associated);
        } else if (property.type == FourCc("clap")) {
            crops += static_cast<int>(associated);
        }
        return true;
    });
    out.repeatedTransforms = std::max(turns, 1) - 1 + std::max(mirrors, 1) - 1 + std::max(crops, 1) - 1;
    if (turned) std::swap(out.width, out.height);

    // infe (version 2 or 3): item ID, protection index, item type.
    bool grid = false;
    if (iinf.payload && iinf.size >= 6) {
        const size_t entriesAt = iinf.payload[0] == 0 ? 6 : 8;
        if (iinf.size >= entriesAt)
            ForEachBox(iinf.payload + entriesAt, iinf.size - entriesAt, [&](const Box& infe) {
                if (infe.type != FourCc("infe") || infe.size < 4 || infe.payload[0] < 2) return true;
                const size_t idBytes = infe.payload[0] == 2 ? 2 : 4;
                if (infe.size < 4 + idBytes + 2 + 4) return true;
                const uint32_t id = idBytes == 2 ? (uint32_t{infe.payload[4]} << 8 | infe.payload[5]) : Be32(infe.payload + 4);
                if (id != primary) return true;
                grid = Be32(infe.payload + 4 + idBytes + 2) == FourCc("grid");
                return false;
            });
    }
    bool inIdat = false;
    uint64_t offset = 0, length = 0;
    if (!grid || !iloc.payload || !FindItemData(iloc, primary, inIdat, offset, length)) return;
    const uint8_t* source = inIdat ? idat.payload : file;
    const uint64_t sourceSize = inIdat ? idat.size : fileSize;
    if (!source || length < 8 || offset > sourceSize || sourceSize - offset < std::min<uint64_t>(length, 12)) return;
    const uint8_t* header = source + offset;  // version, flags, rows - 1, columns - 1, width, height
    const bool wide = header[1] & 1;
    if (wide && (length < 12 || sourceSize - offset < 12)) return;
    const int64_t gridWidth = wide ? Be32(header + 4) : (uint32_t{header[4]} << 8 | header[5]);
    const int64_t gridHeight = wide ? Be32(header + 8) : (uint32_t{header[6]} << 8 | header[7]);
    out.tiles = int64_t{header[2] + 1} * (header[3] + 1);
    // The rotation turns the grid's picture too.
    out.width = std::max(out.width, turned ? gridHeight : gridWidth);
    out.height = std::max(out.height, turned ? gridWidth : gridHeight);
}

bool ProbeHeif(const uint8_t* data, size_t size, PictureProbe& out)
{
    if (size < 16 || Be32(data + 4) != FourCc("ftyp")) return false;
    bool heif = false;
    ForEachBox(data, size, [&](const Box& box) {
        if (box.type == FourCc("ftyp")) {
            // The major brand, the minor version, then the compatible brands.
            for (size_t at = 0; at + 4 <= box.size; at += 4)
                if (at != 4 && IsHeifBrand(Be32(box.payload + at))) heif = true;
            if (!heif) return false;
            out.format = PictureFormat::Heif;
        } else if (box.type == FourCc("meta")) {
            ProbeHeifMeta(data, size, box, out);
            return false;
        }
        return true;
    });
    return heif;
}

int32_t Le32s(const uint8_t* p) { return static_cast<int32_t>(Le32(p)); }
int16_t Le16s(const uint8_t* p) { return static_cast<int16_t>(Le16(p)); }

// A length in some unit, `perInch` of them to the inch, in pixels at kMetafileDpi,
// rounded; -1 when it is not a positive length (the size is then refused).
int64_t MetafilePixels(int64_t length, int64_t perInch)
{
    if (length <= 0 || perInch <= 0) return -1;
    return std::max<int64_t>(1, (length * kMetafileDpi + perInch / 2) / perInch);
}

// ENHMETAHEADER: record type 1, the frame (left, top, right, bottom) in
// hundredths of a millimetre at 24, the signature " EMF" at 40.
bool ProbeEmf(const uint8_t* data, size_t size, PictureProbe& out)
{
    if (size < 88 || Le32(data) != 1 || Le32(data + 40) != 0x464D4520) return false;
    out.format = PictureFormat::Emf;
    const int64_t frameWidth = int64_t{Le32s(data + 32)} - Le32s(data + 24);
    const int64_t frameHeight = int64_t{Le32s(data + 36)} - Le32s(data + 28);
    out.width = MetafilePixels(frameWidth, 2540);
    out.height = MetafilePixels(frameHeight, 2540);
    return true;
}

// The placeable header: key 0x9AC6CDD7, the box (left, top, right, bottom) at 6
// in its own units and their number to the inch at 14. A bare WMF starts with
// METAHEADER: type 1 or 2, a header of 9 words, version 0x100 or 0x300.
bool ProbeWmf(const uint8_t* data, size_t size, PictureProbe& out)
{
    if (size >= 22 && Le32(data) == 0x9AC6CDD7) {
        out.format = PictureFormat::Wmf;
        const int64_t perInch = Le16(data + 14);
        out.width = MetafilePixels(int64_t{Le16s(data + 10)} - Le16s(data + 6), perInch);
        out.height = MetafilePixels(int64_t{Le16s(data + 12)} - Le16s(data + 8), perInch);
        return true;
    }
    if (size >= 18 && (Le16(data) == 1 || Le16(data) == 2) && Le16(data + 2) == 9 &&
        (Le16(data + 4) == 0x300 || Le16(data + 4) == 0x100)) {
        out.format = PictureFormat::Wmf;
        return true;
    }
    return false;
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
    } else if (size >= 20 && std::memcmp(data, "RIFF", 4) == 0 && std::memcmp(data + 8, "WEBP", 4) == 0) {
        out.format = PictureFormat::Webp;
        ProbeWebp(data, size, out);
    } else if (!ProbeHeif(data, size, out) && !ProbeEmf(data, size, out)) {
        ProbeWmf(data, size, out);
    }
    return out;
}

bool ClaimedSizeAcceptable(const PictureProbe& probe)
{
    if (probe.tiles > kMaxHeifTiles || probe.repeatedTransforms > 0) return false;
    if (probe.width < 0 || probe.height < 0) return false;
    if (probe.width > kMaxSide || probe.height > kMaxSide) return false;
    return probe.width * probe.height <= kMaxPixels;
}
