#include "imaging/file_structure.h"

bool TiffReader::U16(uint64_t at, uint16_t& value) const
{
    if (at > size || size - at < 2) return false;
    const uint8_t* p = data + at;
    value = bigEndian ? static_cast<uint16_t>(p[0] << 8 | p[1]) : static_cast<uint16_t>(p[1] << 8 | p[0]);
    return true;
}

bool TiffReader::U32(uint64_t at, uint32_t& value) const
{
    uint16_t a = 0, b = 0;
    if (!U16(at, a) || !U16(at + 2, b)) return false;
    value = bigEndian ? (uint32_t{a} << 16 | b) : (uint32_t{b} << 16 | a);
    return true;
}

void ForEachJpegSegment(const uint8_t* data, size_t size,
                        const std::function<bool(uint8_t marker, const uint8_t* payload, size_t payloadSize)>& visit)
{
    if (!data || size < 4 || data[0] != 0xFF || data[1] != 0xD8) return;
    size_t pos = 2;
    while (pos + 2 <= size) {
        if (data[pos] != 0xFF) return;
        const uint8_t marker = data[pos + 1];
        if (marker == 0xFF) {  // fill byte before a marker
            ++pos;
            continue;
        }
        pos += 2;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8))  // markers without a length
            continue;
        if (marker == 0xDA || marker == 0xD9)  // image data (or the end): the header is over
            return;
        if (pos + 2 > size) return;
        const size_t length = size_t{data[pos]} << 8 | data[pos + 1];
        if (length < 2 || length > size - pos) return;
        if (!visit(marker, data + pos + 2, length - 2)) return;
        pos += length;
    }
}

bool OpenTiff(const uint8_t* data, size_t size, TiffReader& reader, uint32_t& ifd0)
{
    if (!data || size < 8) return false;
    reader = TiffReader{data, size, false};
    if (data[0] == 'M' && data[1] == 'M')
        reader.bigEndian = true;
    else if (data[0] != 'I' || data[1] != 'I')
        return false;
    uint16_t magic = 0;
    return reader.U16(2, magic) && magic == 42 && reader.U32(4, ifd0);
}

bool ForEachIfdEntry(const TiffReader& reader, uint32_t offset, const TiffVisit& visit)
{
    uint16_t count = 0;
    if (!reader.U16(offset, count)) return false;
    for (uint32_t i = 0; i < count; ++i) {
        TiffEntry entry;
        const uint64_t at = uint64_t{offset} + 2 + 12 * uint64_t{i};
        if (!reader.U16(at, entry.tag) || !reader.U16(at + 2, entry.type) || !reader.U32(at + 4, entry.count) ||
            at + 12 > reader.size)
            break;
        entry.valueAt = at + 8;
        if (!visit(reader, entry)) break;
    }
    return true;
}

bool ForEachTiffEntry(const uint8_t* data, size_t size, const TiffVisit& visit)
{
    TiffReader reader;
    uint32_t ifd = 0;
    return OpenTiff(data, size, reader, ifd) && ForEachIfdEntry(reader, ifd, visit);
}

bool TiffValueBytes(const TiffReader& reader, const TiffEntry& entry, uint64_t& at, uint64_t& bytes)
{
    // Bytes per value of TIFF's types 1..12 (BYTE, ASCII, SHORT, LONG, RATIONAL, SBYTE,
    // UNDEFINED, SSHORT, SLONG, SRATIONAL, FLOAT, DOUBLE).
    static const uint8_t kTypeSize[13] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};
    if (entry.type == 0 || entry.type > 12) return false;
    bytes = uint64_t{entry.count} * kTypeSize[entry.type];  // at most 2^32 x 8: no overflow in 64 bits
    if (bytes <= 4) {
        at = entry.valueAt;
        return true;
    }
    uint32_t offset = 0;
    if (!reader.U32(entry.valueAt, offset)) return false;
    at = offset;
    return at <= reader.size && bytes <= reader.size - at;
}
