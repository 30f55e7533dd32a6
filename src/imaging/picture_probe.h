#pragma once
// The pixel size a picture file claims, read from its header alone, so a
// hostile file that claims a gigantic size is refused before any decoder
// allocates for it.
#include <cstddef>
#include <cstdint>

enum class PictureFormat { Unknown, Jpeg, Png, Gif, Bmp, Tiff, Webp };

struct PictureProbe {
    PictureFormat format = PictureFormat::Unknown;
    int64_t width = 0, height = 0;  // 0 when the header does not say
};

PictureProbe ProbePicture(const uint8_t* data, size_t size);
// False when the header claims a size we never decode (over kMaxPixels or a side over kMaxSide).
bool ClaimedSizeAcceptable(const PictureProbe& probe);
