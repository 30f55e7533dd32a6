#pragma once
// EXIF orientation: reading it from a JPEG file and standing the pixels upright.
#include <cstddef>
#include <cstdint>

#include "imaging/image.h"

// The Orientation tag (1..8) of IFD0 in the file's Exif APP1 segment; 1 when absent or malformed.
int ReadExifOrientation(const uint8_t* data, size_t size);
// True for 5..8, whose upright picture has width and height swapped.
bool OrientationSwapsSides(int orientation);
// Rotates/flips the pixels so the picture stands upright; values outside 2..8 leave it as it is.
// False only when memory runs out.
bool ApplyOrientation(Image& image, int orientation);
