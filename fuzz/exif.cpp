// EXIF of a picture file's bytes (JPEG, PNG, WebP, TIFF) and of the bytes as a TIFF block:
// the orientation and the turn it asks for on a small picture; then the EXIF written from
// the fields, which must be a well-formed TIFF block under 64 KB that reads back to them.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "imaging/exif.h"

namespace {

void Check(bool ok)
{
    if (!ok) std::abort();
}

uint32_t Le(const std::vector<uint8_t>& b, size_t at, int bytes)
{
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | b[at + i];
    return v;
}

// One IFD of the written block: in bounds, entries in ascending tag order, types we write,
// values after the IFD at even offsets, texts ending in NUL, no next IFD. The areas it uses
// are added to `used`; answers the Exif IFD's offset (0 when it has no pointer).
uint32_t CheckIfd(const std::vector<uint8_t>& t, uint32_t at, std::vector<std::pair<size_t, size_t>>& used)
{
    Check(at % 2 == 0 && at + 2 <= t.size());
    const uint32_t count = Le(t, at, 2);
    const size_t end = at + 2 + 12 * size_t{count} + 4;
    Check(count > 0 && end <= t.size() && Le(t, end - 4, 4) == 0);
    used.emplace_back(at, end);
    uint32_t exifIfd = 0, lastTag = 0;
    for (uint32_t i = 0; i < count; ++i) {
        const size_t e = at + 2 + 12 * size_t{i};
        const uint32_t tag = Le(t, e, 2), type = Le(t, e + 2, 2), n = Le(t, e + 4, 4);
        Check(i == 0 || tag > lastTag);
        lastTag = tag;
        size_t unit = 0;
        switch (type) {
        case 2: case 7: unit = 1; break;
        case 3: unit = 2; break;
        case 4: unit = 4; break;
        case 5: case 10: unit = 8; break;
        default: Check(false);
        }
        Check(n > 0);
        const size_t bytes = unit * n;
        size_t value = e + 8;
        if (bytes > 4) {
            value = Le(t, e + 8, 4);
            Check(value % 2 == 0 && value >= end && value <= t.size() && bytes <= t.size() - value);
            used.emplace_back(value, value + bytes);
        }
        if (type == 2) Check(t[value + bytes - 1] == 0 && std::memchr(&t[value], 0, bytes) == &t[value + bytes - 1]);
        if (tag == 0x8769) {
            Check(type == 4 && n == 1);
            exifIfd = Le(t, e + 8, 4);
        }
    }
    return exifIfd;
}

void CheckWritten(const std::vector<uint8_t>& app1)
{
    Check(app1.size() <= kMaxExifApp1Bytes && app1.size() > 14 && std::memcmp(app1.data(), "Exif\0\0II\x2a\0\x08\0\0\0", 14) == 0);
    const std::vector<uint8_t> t(app1.begin() + 6, app1.end());
    std::vector<std::pair<size_t, size_t>> used{{0, 8}};
    const uint32_t exifIfd = CheckIfd(t, 8, used);
    Check(exifIfd != 0 && CheckIfd(t, exifIfd, used) == 0);
    std::sort(used.begin(), used.end());
    for (size_t i = 1; i < used.size(); ++i) Check(used[i].first >= used[i - 1].second);  // nothing overlaps
}

void RoundTrip(const ExifFields& fields, int width, int height)
{
    const std::vector<uint8_t> app1 = MakeExifApp1(fields, width, height);
    Check(app1.empty() == !HasKeptFields(fields));
    if (app1.empty()) return;
    CheckWritten(app1);
    ExifFields upright = fields;
    upright.orientation = 1;
    Check(ReadExif(app1.data() + 6, app1.size() - 6) == upright);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const int orientation = ReadExifOrientation(data, size);
    Check(orientation >= 1 && orientation <= 8);
    Image image;
    Check(image.Allocate(3, 2) && ApplyOrientation(image, orientation));
    const bool swapped = OrientationSwapsSides(orientation);
    Check(image.width == (swapped ? 2 : 3) && image.height == (swapped ? 3 : 2));

    const ExifFields fields = ReadPictureExif(data, size);
    if (size >= 2 && data[0] == 0xFF && data[1] == 0xD8) Check(fields.orientation == orientation);
    const int width = 1 + static_cast<int>(size % 9000), height = 1 + static_cast<int>(size % 7001);
    RoundTrip(fields, width, height);
    RoundTrip(ReadExif(data, size), width, height);
    return 0;
}
