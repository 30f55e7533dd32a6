#include "imaging/picture_probe.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "imaging/file_structure.h"
#include "imaging/heif_meta.h"
#include "imaging/image.h"

namespace {

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

// The brands of a still-image HEIF file, with HEVC or AV1 inside. Plain MP4 and QuickTime
// video (isom, mp41, qt) are not among them.
bool IsHeifBrand(uint32_t brand)
{
    for (uint32_t b : {FourCc("heic"), FourCc("heix"), FourCc("hevc"), FourCc("hevx"), FourCc("heim"), FourCc("heis"),
                       FourCc("mif1"), FourCc("msf1"), FourCc("avif"), FourCc("avis")})
        if (brand == b) return true;
    return false;
}

// The primary item's spatial extent (ispe) and transforms (irot, imir, clap), and whether the
// items it is made of may be decoded at all. A grid or an overlay says in its own data how large
// the picture it makes is: a decoder believes that, not the extent.
void ProbeHeifMeta(const uint8_t* file, size_t fileSize, const Box& box, PictureProbe& out)
{
    const HeifMeta meta = ReadHeifMeta(file, fileSize, box);
    const HeifItemsVerdict verdict = CheckHeifItems(meta);
    out.heifItemsSound = verdict.sound;
    out.tiles = verdict.codedPictures;
    const auto primary = meta.items.find(meta.primary);
    if (primary == meta.items.end()) return;
    bool turned = false;
    int turns = 0, mirrors = 0, crops = 0;
    for (uint32_t index : primary->second.properties) {
        if (index < 1 || index > meta.properties.size()) continue;
        const Box& property = meta.properties[index - 1];
        if (property.type == FourCc("ispe") && property.size >= 12) {
            out.width = Be32(property.payload + 4);
            out.height = Be32(property.payload + 8);
        } else if (property.type == FourCc("irot") && property.size >= 1) {
            turned = (property.payload[0] & 3) % 2 == 1;
            ++turns;
        } else if (property.type == FourCc("imir")) {
            ++mirrors;
        } else if (property.type == FourCc("clap")) {
            ++crops;
        }
    }
    out.repeatedTransforms = std::max(turns, 1) - 1 + std::max(mirrors, 1) - 1 + std::max(crops, 1) - 1;
    if (turned) std::swap(out.width, out.height);
    HeifCanvas canvas;
    if (primary->second.type != FourCc("hvc1") && primary->second.type != FourCc("av01") &&
        ReadCanvas(meta, meta.primary, canvas)) {
        // The rotation turns the canvas too.
        out.width = std::max(out.width, turned ? canvas.height : canvas.width);
        out.height = std::max(out.height, turned ? canvas.width : canvas.height);
    }
}

bool ProbeHeif(const uint8_t* data, size_t size, PictureProbe& out)
{
    if (size < 16 || Be32(data + 4) != FourCc("ftyp")) return false;
    bool heif = false;
    int metas = 0;
    ForEachBox(data, size, [&](const Box& box) {
        if (box.type == FourCc("ftyp")) {
            // The major brand, the minor version, then the compatible brands.
            for (size_t at = 0; at + 4 <= box.size; at += 4)
                if (at != 4 && IsHeifBrand(Be32(box.payload + at))) heif = true;
            if (!heif) return false;
            out.format = PictureFormat::Heif;
            out.heifItemsSound = false;  // until the meta box says otherwise
        } else if (box.type == FourCc("meta") && metas++ == 0) {
            ProbeHeifMeta(data, size, box, out);
        }
        return true;
    });
    // A decoder reads the first meta box; a second one is no file of a camera's or a phone's.
    if (metas > 1) out.heifItemsSound = false;
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
    if (!probe.heifItemsSound || probe.tiles > kMaxHeifTiles || probe.repeatedTransforms > 0) return false;
    if (probe.width < 0 || probe.height < 0) return false;
    if (probe.width > kMaxSide || probe.height > kMaxSide) return false;
    return probe.width * probe.height <= kMaxPixels;
}
