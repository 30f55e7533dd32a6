// A HEIC/HEIF or AVIF file through the steps the engine takes: the picture probe, the
// header, the decode with its reduction to BGR, the colour profile and the final resample.
// The seeds are the test pictures of tests/data/heif (scripts/fuzz adds them).
#include <string>

#include "engine/jpeg_load.h"
#include "engine/output_names.h"
#include "imaging/colour.h"
#include "imaging/heif_io.h"
#include "imaging/picture_probe.h"

namespace {
constexpr int64_t kFuzzMaxPixels = 4'000'000;  // as in jpeg_load.cpp
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const PictureProbe probe = ProbePicture(data, size);
    if (!ClaimedSizeAcceptable(probe) || probe.width * probe.height > kFuzzMaxPixels) return 0;
    HeifHeader header;
    if (!ReadHeifHeader(data, size, header) || int64_t{header.width} * header.height > kFuzzMaxPixels) return 0;
    const Size2 target = OutputSize(header.width, header.height, 60 + static_cast<int>(size % 7) * 20, size % 2 == 1);
    Image picture;
    HeifExtras extras;
    if (!DecodeHeif(data, size, static_cast<int>(target.width * kDecodeMargin), static_cast<int>(target.height * kDecodeMargin),
                    1, picture, &extras))
        return 0;
    ConvertToSrgb(picture, extras.iccProfile);
    ScaleTo(picture, target);
    return 0;
}
