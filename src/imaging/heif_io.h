#pragma once
// HEIC/HEIF (HEVC) and AVIF (AV1) reading through libheif, with libde265 and dav1d
// built in. No libheif type leaks out of here.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "imaging/image.h"

struct HeifHeader {
    int width = 0, height = 0;  // the primary image as it is shown: turned, mirrored and cropped
    int bitDepth = 8;           // of its luma
    bool alpha = false;
};

// What a HEIF file says about its primary image beside the pixels.
struct HeifExtras {
    std::vector<uint8_t> iccProfile;  // its ICC profile, or one made from a colour description
                                      // (nclx) of other primaries than sRGB's; empty for sRGB
    std::vector<uint8_t> exif;        // its Exif item from the TIFF header on; empty when none
};

// The primary image's facts from the file's boxes, no picture decoded; a side DecodeHeif
// refuses too (libheif refuses to read a picture over kMaxPixels), and 0 x 0 for one that
// states no size (some early encoders left its
// extent out: its size comes with the decoded picture). False when the file cannot be read as
// HEIF, its items are unsafe to decode (CheckHeifItems), or it has no primary image.
bool ReadHeifHeader(const uint8_t* data, size_t size, HeifHeader& out);
// Decodes the primary image (never a thumbnail, depth map or other auxiliary image; a grid is
// put together from its tiles), with the file's turns, mirrors and crop applied, so it stands
// as the phone showed it. HEVC and AV1 decode at full size; the result is reduced by a whole
// factor while it becomes 8-bit BGR, as long as it stays at least minWidth x minHeight (0 x 0:
// full size). Alpha is laid over white. A primary image over kMaxPixels or kMaxSide is refused
// before anything is decoded (one that states no size, once its decoder has read its size), and
// so is one whose decoded planes differ from the size the file states. `threads` > 1 decodes a grid's tiles on that many threads (for a
// picture made on its own); 1 decodes them one after another on the calling thread. `extras`
// may be null. False, and `out` empty, on any failure. Reentrant.
bool DecodeHeif(const uint8_t* data, size_t size, int minWidth, int minHeight, int threads, Image& out,
                HeifExtras* extras = nullptr);
