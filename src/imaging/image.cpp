#include "imaging/image.h"

#include <new>

// kMaxPixels takes in the largest single-shot camera photos (151-megapixel medium-format
// backs) with a little room; anything larger is refused before a byte is allocated, so a
// hostile header cannot make us reserve gigabytes.

int StrideForWidth(int width)
{
    return (width * 3 + 3) & ~3;
}

// False, and the image left empty, for a side <= 0 or > kMaxSide, more than kMaxPixels, or
// when memory runs out (a job then fails cleanly instead of throwing).
bool Image::Allocate(int w, int h)
{
    Clear();
    if (w <= 0 || h <= 0 || w > kMaxSide || h > kMaxSide || int64_t{w} * h > kMaxPixels)
        return false;
    const int rowBytes = StrideForWidth(w);
    try {
        pixels.assign(static_cast<size_t>(rowBytes) * static_cast<size_t>(h), 0);
    } catch (const std::bad_alloc&) {
        Clear();
        return false;
    }
    width = w;
    height = h;
    stride = rowBytes;
    return true;
}

void Image::Clear()
{
    width = height = stride = 0;
    decltype(pixels)().swap(pixels);
}
