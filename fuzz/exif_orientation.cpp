// EXIF orientation of a JPEG file's bytes, and the turn it asks for on a small picture.
#include <cstdlib>

#include "imaging/exif.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const int orientation = ReadExifOrientation(data, size);
    if (orientation < 1 || orientation > 8) std::abort();
    Image image;
    if (!image.Allocate(3, 2)) std::abort();
    if (!ApplyOrientation(image, orientation)) std::abort();
    const bool swapped = OrientationSwapsSides(orientation);
    if (image.width != (swapped ? 2 : 3) || image.height != (swapped ? 3 : 2)) std::abort();
    return 0;
}
