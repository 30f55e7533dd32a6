// A WebP file through the steps the engine takes: header, scaled decode (the
// first frame of an animation), colour profile and the final resample.
#include <string>

#include "engine/jpeg_load.h"
#include "imaging/colour.h"
#include "imaging/icc_profile.h"
#include "imaging/webp_io.h"

namespace {
constexpr int64_t kFuzzMaxPixels = 4'000'000;  // as in jpeg_load.cpp
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    WebpHeader header;
    if (!ReadWebpHeader(data, size, header) || int64_t{header.width} * header.height > kFuzzMaxPixels) return 0;
    const Size2 target = OutputSize(header.width, header.height, 60 + static_cast<int>(size % 7) * 20, size % 2 == 1);
    Image picture;
    if (!DecodeWebp(data, size, static_cast<int>(target.width * kDecodeMargin), static_cast<int>(target.height * kDecodeMargin), picture))
        return 0;
    ConvertToSrgb(picture, ExtractIccProfile(data, size));
    ScaleTo(picture, target);
    return 0;
}
