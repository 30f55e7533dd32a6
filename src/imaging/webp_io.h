#pragma once
// WebP reading through libwebp. No libwebp type leaks out of here.
#include <cstddef>
#include <cstdint>

#include "imaging/image.h"

struct WebpHeader {
    int width = 0, height = 0;  // the canvas
    bool animated = false;
};

// The size from the headers alone; reports any size, even one DecodeWebp refuses.
bool ReadWebpHeader(const uint8_t* data, size_t size, WebpHeader& out);
// Decodes a still picture at the smallest size, proportions kept, that is at least
// minWidth x minHeight (0 x 0, or a minimum at or above the full size: the full size); an
// animation gives its first frame at full size. Transparent parts come out on white. A size
// over kMaxPixels is refused before any allocation. out is empty on failure. Reentrant.
bool DecodeWebp(const uint8_t* data, size_t size, int minWidth, int minHeight, Image& out);
