// A JPEG file through the engine's whole decode path: header, DCT-scaled
// decode, orientation, colour profile and the final resample. The two-thread
// decode runs beside the one-thread decode and must never disagree with it.
#include <cstdlib>
#include <string>

#include "engine/jpeg_load.h"
#include "imaging/jpeg_io.h"

namespace {
// Pictures past this are decoded like any other, only slower; the fuzzer's time
// is better spent on many small files.
constexpr int64_t kFuzzMaxPixels = 4'000'000;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    JpegHeader header;
    if (ReadJpegHeader(data, size, header) && int64_t{header.width} * header.height > kFuzzMaxPixels) return 0;
    // The size and copy mode come from the length, so both paths are taken.
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    Image picture;
    LoadJpeg(bytes, 60 + static_cast<int>(size % 7) * 20, size % 2 == 1, picture);

    const int minWidth = static_cast<int>(size % 5) * 16;
    Image two;
    if (DecodeJpegOnTwoThreads(data, size, minWidth, 0, two)) {
        Image one;
        if (!DecodeJpeg(data, size, minWidth, 0, one) || one.width != two.width || one.height != two.height ||
            one.pixels != two.pixels)
            std::abort();
    }
    return 0;
}
