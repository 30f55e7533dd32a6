#include "engine/heif_load.h"

#include <algorithm>
#include <thread>

#include "engine/jpeg_load.h"
#include "engine/output_names.h"
#include "imaging/colour.h"
#include "imaging/heif_io.h"

bool LoadHeif(const std::string& bytes, int size, bool keepSize, Image& out, int decodeThreads, ExifFields* exif)
{
    out.Clear();
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    HeifHeader header;
    if (!ReadHeifHeader(data, bytes.size(), header)) return false;
    // HEVC and AV1 decode at full size; the reduction to BGR keeps the same margin as a JPEG's
    // DCT scaling, so the final resample has room to filter. A picture that states no size is
    // reduced only once its size is known, by the resample.
    const bool sized = header.width > 0;
    const Size2 planned = sized ? OutputSize(header.width, header.height, size, keepSize) : Size2{};
    const int minWidth = static_cast<int>(planned.width * kDecodeMargin);
    const int minHeight = static_cast<int>(planned.height * kDecodeMargin);
    const int threads = decodeThreads > 1 ? std::max<int>(decodeThreads, static_cast<int>(std::thread::hardware_concurrency())) : 1;
    HeifExtras extras;
    if (!DecodeHeif(data, bytes.size(), minWidth, minHeight, threads, out, &extras)) return false;
    const Size2 target = sized ? planned : OutputSize(out.width, out.height, size, keepSize);
    if (exif && !extras.exif.empty()) *exif = ReadExif(extras.exif.data(), extras.exif.size());
    // HEVC's reduction is a whole factor, so the picture here may hold five times the target's
    // pixels: its colours are managed on the final size, after the resample.
    if (!ScaleTo(out, target)) {
        out.Clear();
        return false;
    }
    ConvertToSrgb(out, extras.iccProfile);
    return true;
}
