// Reading the EXIF orientation from hand-built, and hostile, APP1 segments.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "imaging/exif.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Tiff {
    bool big;
    Bytes bytes;

    void Put(uint32_t v, int size)  // in the block's byte order
    {
        for (int i = 0; i < size; ++i)
            bytes.push_back(static_cast<uint8_t>(v >> 8 * (big ? size - 1 - i : i)));
    }
    // One IFD of {tag, value} entries: a SHORT value sits in the first two bytes of its
    // 4-byte field. claimedCount 0 = the real count.
    Tiff& Ifd(std::vector<std::pair<uint16_t, uint16_t>> entries, uint32_t next, uint16_t claimedCount = 0)
    {
        Put(claimedCount ? claimedCount : entries.size(), 2);
        for (auto [tag, value] : entries) {
            Put(tag, 2), Put(3, 2), Put(1, 4), Put(value, 2), Put(0, 2);
        }
        Put(next, 4);
        return *this;
    }
};

// TIFF header with IFD0 at ifd0 (IFDs written after it start at 8).
Tiff Header(bool big, uint32_t ifd0 = 8)
{
    Tiff t{big, big ? Bytes{'M', 'M'} : Bytes{'I', 'I'}};
    t.Put(42, 2);
    t.Put(ifd0, 4);
    return t;
}

Bytes Segment(uint8_t marker, Bytes payload, int lengthAdjust = 0)
{
    const size_t length = payload.size() + 2 + lengthAdjust;
    payload.insert(payload.begin(), {0xFF, marker, uint8_t(length >> 8), uint8_t(length)});
    return payload;
}

Bytes Exif(const Tiff& tiff, int lengthAdjust = 0)
{
    Bytes payload{'E', 'x', 'i', 'f', 0, 0};
    payload.insert(payload.end(), tiff.bytes.begin(), tiff.bytes.end());
    return Segment(0xE1, payload, lengthAdjust);
}

Bytes Jpeg(std::vector<Bytes> segments)
{
    Bytes file{0xFF, 0xD8};
    for (const Bytes& s : segments)
        file.insert(file.end(), s.begin(), s.end());
    file.insert(file.end(), {0xFF, 0xDA, 0x00, 0x02, 0xFF, 0xD9});
    return file;
}

constexpr uint16_t kOrientation = 0x0112, kMake = 0x010F;

TEST(ImagingExif, ReadsOrientationAndShrugsOffHostileData)
{
    const Bytes jfif = Segment(0xE0, {'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0});
    const Bytes xmp = Segment(0xE1, {'h', 't', 't', 'p', ':', '/', '/', 0});
    const Tiff good = Header(false).Ifd({{kOrientation, 6}}, 0);
    Tiff cutEntry = Header(false).Ifd({{kMake, 1}, {kOrientation, 6}}, 0);
    cutEntry.bytes.resize(cutEntry.bytes.size() - 4 - 3);  // the last entry loses its value
    Bytes noSoi = Jpeg({Exif(good)});
    noSoi[1] = 0xD9;

    struct Row {
        const char* rule;
        Bytes file;
        int expected;
    } rows[] = {
        {"Intel order (II), turned right", Jpeg({Exif(good)}), 6},
        {"Motorola order (MM), turned left", Jpeg({Exif(Header(true).Ifd({{kOrientation, 8}}, 0))}), 8},
        {"tag after another tag", Jpeg({Exif(Header(true).Ifd({{kMake, 1}, {kOrientation, 3}}, 0))}), 3},
        {"Exif after JFIF and an XMP APP1", Jpeg({jfif, xmp, Exif(Header(true).Ifd({{kOrientation, 5}}, 0))}), 5},
        {"9 is not an orientation", Jpeg({Exif(Header(false).Ifd({{kOrientation, 9}}, 0))}), 1},
        {"no Exif at all", Jpeg({jfif}), 1},
        {"IFD0 offset far past the end (wraps 32 bits)", Jpeg({Exif(Header(false, 0xFFFFFFF0).Ifd({{kOrientation, 6}}, 0))}), 1},
        {"IFD0 offset 0: the header read as 0x4949 entries", Jpeg({Exif(Header(false, 0).Ifd({{kOrientation, 6}}, 0))}), 1},
        {"count claims 1000 entries, 1 is there", Jpeg({Exif(Header(true).Ifd({{kMake, 1}}, 0, 1000))}), 1},
        {"orientation entry cut by the segment's end", Jpeg({Exif(cutEntry)}), 1},
        {"IFD0 links to itself", Jpeg({Exif(Header(true).Ifd({{kMake, 1}}, 8))}), 1},
        {"only the thumbnail's IFD1 (linking back to IFD0) has one",
         Jpeg({Exif(Header(false).Ifd({{kMake, 1}}, 8 + 18).Ifd({{kOrientation, 6}}, 8))}), 1},
        {"APP1 length runs past the end of the file", Jpeg({Exif(good, 5000)}), 1},
        {"APP1 length shorter than its Exif id", Jpeg({Exif(good, -int(good.bytes.size()) - 5)}), 1},
        {"not a JPEG (no SOI)", noSoi, 1},
    };
    for (const Row& row : rows) {
        // From a heap block of exactly the file's size, so AddressSanitizer sees any overread.
        std::unique_ptr<uint8_t[]> exact(new uint8_t[row.file.size()]);
        std::memcpy(exact.get(), row.file.data(), row.file.size());
        EXPECT_EQ(ReadExifOrientation(exact.get(), row.file.size()), row.expected) << row.rule;
    }
    EXPECT_EQ(ReadExifOrientation(nullptr, 100), 1);
}

}  // namespace
