// The size a picture file's header claims, as read before any decoder runs.
#include <cstdlib>

#include "imaging/picture_probe.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const PictureProbe probe = ProbePicture(data, size);
    if (probe.format == PictureFormat::Unknown && (probe.width != 0 || probe.height != 0)) std::abort();
    ClaimedSizeAcceptable(probe);
    return 0;
}
