#pragma once
// ISO base media file format boxes (ISO/IEC 14496-12), as HEIF and AVIF files are made of: a
// 32-bit size (1: a 64-bit size follows the type; 0: to the end of the data) and a
// four-character type. Every read is checked against the end of the data.
#include <cstddef>
#include <cstdint>

struct Box {
    uint32_t type = 0;
    const uint8_t* payload = nullptr;
    size_t size = 0;
};

inline uint32_t Be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }
inline uint16_t Be16(const uint8_t* p) { return uint16_t(p[0] << 8 | p[1]); }

constexpr uint32_t FourCc(const char (&s)[5])
{
    return uint32_t(uint8_t(s[0])) << 24 | uint32_t(uint8_t(s[1])) << 16 | uint32_t(uint8_t(s[2])) << 8 | uint8_t(s[3]);
}

// The boxes one after another in data[0, size); stops at the first that does not fit, or when
// visit answers false.
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

// A big-endian number of `bytes` (0, 2, 4 or 8, the sizes iloc allows) at p, moved past; false
// past the end.
inline bool ReadBe(const uint8_t*& p, const uint8_t* end, int bytes, uint64_t& value)
{
    if (bytes != 0 && bytes != 2 && bytes != 4 && bytes != 8) return false;
    if (end - p < bytes) return false;
    value = 0;
    for (int i = 0; i < bytes; ++i) value = value << 8 | *p++;
    return true;
}
