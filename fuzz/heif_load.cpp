// A HEIC/HEIF or AVIF file through the steps the engine takes: the picture probe with its check
// of the items, the header, the decode with its reduction to BGR, the Exif item, the colour
// profile and the final resample. The seeds are the test pictures of tests/data/heif (scripts/fuzz
// adds them) and hostile files of fuzz/corpus/heif_load.
#include <string>

#include "engine/heif_load.h"
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
    Image picture;
    ExifFields exif;
    LoadHeif(std::string(reinterpret_cast<const char*>(data), size), 60 + static_cast<int>(size % 7) * 20, size % 2 == 1,
             picture, 1, &exif);
    return 0;
}
