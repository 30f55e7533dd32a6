#include "imaging/icc_profile.h"

#include <cstring>
#include <new>

#include <zlib.h>

#include "imaging/file_structure.h"

namespace {

using Bytes = std::vector<uint8_t>;

uint32_t Be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }
uint32_t Le32(const uint8_t* p) { return uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0]; }

// A profile starts with a 128-byte header whose bytes 36..39 are the signature "acsp", and
// a tag count after it; everything else is left to the colour engine to judge.
bool LooksLikeProfile(const Bytes& profile)
{
    return profile.size() >= 132 && std::memcmp(profile.data() + 36, "acsp", 4) == 0;
}

// Each APP2 chunk: "ICC_PROFILE\0", its number (1..count), the count, then its part of the
// profile. A file with chunks missing, repeated or disagreeing on the count is damaged, and a
// profile pieced together from it would describe wrong colours, so it is not used.
Bytes FromJpeg(const uint8_t* data, size_t size)
{
    static const char kId[12] = {'I', 'C', 'C', '_', 'P', 'R', 'O', 'F', 'I', 'L', 'E', '\0'};
    const uint8_t* parts[256] = {};
    size_t partSizes[256] = {};
    int count = 0, seen = 0;
    bool damaged = false;
    ForEachJpegSegment(data, size, [&](uint8_t marker, const uint8_t* payload, size_t payloadSize) {
        if (marker != 0xE2 || payloadSize < sizeof kId + 2 || std::memcmp(payload, kId, sizeof kId) != 0) return true;
        const int number = payload[sizeof kId], total = payload[sizeof kId + 1];
        if (total == 0 || (count != 0 && total != count) || number == 0 || number > total || parts[number]) {
            damaged = true;
            return false;
        }
        count = total;
        parts[number] = payload + sizeof kId + 2;
        partSizes[number] = payloadSize - sizeof kId - 2;
        ++seen;
        return true;
    });
    Bytes profile;
    if (damaged || seen == 0 || seen != count) return profile;
    for (int i = 1; i <= count; ++i) profile.insert(profile.end(), parts[i], parts[i] + partSizes[i]);
    return profile;
}

// iCCP: a name of 1..79 bytes, a zero, compression method 0, then the zlib stream. The
// profile must come before the image data, so the walk stops at IDAT.
Bytes FromPng(const uint8_t* data, size_t size)
{
    Bytes profile;
    size_t pos = 8;
    while (size - pos >= 12) {
        const uint32_t length = Be32(data + pos);
        const uint8_t* type = data + pos + 4;
        const uint8_t* payload = data + pos + 8;
        if (length > size - pos - 12) break;
        if (std::memcmp(type, "IDAT", 4) == 0 || std::memcmp(type, "IEND", 4) == 0) break;
        if (std::memcmp(type, "iCCP", 4) == 0) {
            const void* nul = std::memchr(payload, 0, length < 80 ? length : 80);
            if (!nul) break;
            const size_t nameEnd = static_cast<size_t>(static_cast<const uint8_t*>(nul) - payload);
            if (nameEnd == 0 || nameEnd + 2 > length || payload[nameEnd + 1] != 0) break;
            const uint8_t* compressed = payload + nameEnd + 2;
            const size_t compressedSize = length - nameEnd - 2;
            // Inflated in steps into a buffer that grows up to the limit, so a small stream
            // that would inflate to gigabytes costs at most kMaxIccProfileBytes.
            z_stream z{};
            if (inflateInit(&z) != Z_OK) break;
            z.next_in = const_cast<Bytef*>(compressed);
            z.avail_in = static_cast<uInt>(compressedSize);
            int status = Z_OK;
            while (status == Z_OK) {
                const size_t done = profile.size();
                const size_t step = done < 65536 ? 65536 : done;
                profile.resize(done + (step < kMaxIccProfileBytes - done ? step : kMaxIccProfileBytes - done));
                z.next_out = profile.data() + done;
                z.avail_out = static_cast<uInt>(profile.size() - done);
                status = inflate(&z, Z_NO_FLUSH);
                profile.resize(profile.size() - z.avail_out);
            }
            inflateEnd(&z);
            if (status != Z_STREAM_END) profile.clear();
            break;
        }
        pos += 12 + size_t{length};
    }
    return profile;
}

// Tag 34675 (InterColorProfile) of IFD0, its bytes at the offset the entry gives.
Bytes FromTiff(const uint8_t* data, size_t size)
{
    Bytes profile;
    ForEachTiffEntry(data, size, [&](const TiffReader& reader, const TiffEntry& entry) {
        if (entry.tag != 34675) return true;
        uint32_t offset = 0;
        if ((entry.type == 1 || entry.type == 7) && entry.count > 4 && entry.count <= kMaxIccProfileBytes &&
            reader.U32(entry.valueAt, offset) && offset <= size && entry.count <= size - offset)
            profile.assign(data + offset, data + offset + entry.count);
        return false;
    });
    return profile;
}

// The chunks after "WEBP", each padded to an even size; the profile is the ICCP chunk.
Bytes FromWebp(const uint8_t* data, size_t size)
{
    size_t pos = 12;
    while (size - pos >= 8) {
        const uint32_t length = Le32(data + pos + 4);
        if (length > size - pos - 8) break;
        if (std::memcmp(data + pos, "ICCP", 4) == 0) return Bytes(data + pos + 8, data + pos + 8 + length);
        pos += 8 + size_t{length} + (length & 1);
        if (pos > size) break;
    }
    return {};
}

} // namespace

std::vector<uint8_t> ExtractIccProfile(const uint8_t* data, size_t size)
{
    Bytes profile;
    if (!data) return profile;
    try {
        if (size >= 4 && data[0] == 0xFF && data[1] == 0xD8)
            profile = FromJpeg(data, size);
        else if (size >= 8 && std::memcmp(data, "\x89PNG\r\n\x1a\n", 8) == 0)
            profile = FromPng(data, size);
        else if (size >= 8 && (std::memcmp(data, "II\x2a\0", 4) == 0 || std::memcmp(data, "MM\0\x2a", 4) == 0))
            profile = FromTiff(data, size);
        else if (size >= 12 && std::memcmp(data, "RIFF", 4) == 0 && std::memcmp(data + 8, "WEBP", 4) == 0)
            profile = FromWebp(data, size);
    } catch (const std::bad_alloc&) {
        profile.clear();
    }
    if (!LooksLikeProfile(profile) || profile.size() > kMaxIccProfileBytes) profile.clear();
    return profile;
}
